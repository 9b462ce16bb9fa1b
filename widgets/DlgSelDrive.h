#pragma once

// Lets the user pick the card's root folder: a mounted volume, a folder inside
// one, or any folder below "/" or the home folder (see DriveRootsModel).
//
// OK stays disabled until an entry is selected; after exec() returns Accepted,
// selectedPath() is the chosen folder's absolute path.
//
// Threading: GUI thread only.

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <QStringList>

class DriveRootsModel;
class QFileSystemModel;
class QPushButton;
class QTreeView;

class DlgSelDrive : public QDialog {
    Q_OBJECT

public:
    // Lists driveRoots().
    explicit DlgSelDrive(QWidget* parent = nullptr);
    // Lists the given folders as the top-level entries.
    DlgSelDrive(const QStringList& rootPaths, QWidget* parent);

    QString selectedPath() const { return m_selectedPath; }

    QTreeView* treeViewDrive = nullptr;
    QPushButton* pbOK = nullptr;
    QPushButton* pbCancel = nullptr;

public slots:
    // Takes the entry's absolute path as the selected path.
    void OnSelDisk(const QModelIndex& index);

private slots:
    // Keeps the selected path in step with keyboard selection and deselection.
    void slotSelectionChanged();

private:
    QFileSystemModel* m_folderModel = nullptr;
    DriveRootsModel* m_driveModel = nullptr;
    QString m_selectedPath;
};
