#include "widgets/DlgSelDrive.h"

#include <QFileSystemModel>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>

#include "widgets/DriveRootsModel.h"

DlgSelDrive::DlgSelDrive(QWidget* parent) : DlgSelDrive(driveRoots(), parent) {}

DlgSelDrive::DlgSelDrive(const QStringList& rootPaths, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgSelDrive"));
    setWindowTitle(tr("Select Drive"));
    resize(255, 241);
    setFont(QFont(QStringLiteral("Tahoma"), 10));

    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_folderModel->setRootPath(QString());
    m_driveModel = new DriveRootsModel(m_folderModel, rootPaths, this);

    treeViewDrive = new QTreeView(this);
    treeViewDrive->setObjectName(QStringLiteral("treeViewDrive"));
    treeViewDrive->setGeometry(0, 0, 256, 201);
    treeViewDrive->setModel(m_driveModel);
    treeViewDrive->setHeaderHidden(true);
    treeViewDrive->setSelectionMode(QAbstractItemView::SingleSelection);

    pbOK = new QPushButton(tr("OK"), this);
    pbOK->setObjectName(QStringLiteral("pbOK"));
    pbOK->setGeometry(40, 210, 75, 23);
    pbOK->setEnabled(false);

    pbCancel = new QPushButton(tr("Cancel"), this);
    pbCancel->setObjectName(QStringLiteral("pbCancel"));
    pbCancel->setGeometry(130, 210, 75, 23);

    connect(pbOK, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(pbCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(treeViewDrive, &QAbstractItemView::clicked, this, &DlgSelDrive::OnSelDisk);
    connect(treeViewDrive->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DlgSelDrive::slotSelectionChanged);
}

void DlgSelDrive::OnSelDisk(const QModelIndex& index) {
    m_selectedPath = m_driveModel->filePath(index);
    pbOK->setEnabled(!m_selectedPath.isEmpty());
}

void DlgSelDrive::slotSelectionChanged() {
    const QModelIndexList rows = treeViewDrive->selectionModel()->selectedRows();
    OnSelDisk(rows.isEmpty() ? QModelIndex() : rows.first());
}
