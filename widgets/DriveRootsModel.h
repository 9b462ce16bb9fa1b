#pragma once

// The folder tree of the drive dialog: the places where a recorder's card can
// be found as top-level entries, each with its folders below it.
//
// A Linux system has no drive letters; a card shows up as a mounted volume,
// usually under /media or /run/media. driveRoots() lists those first, then the
// other real volumes, then "/" and the user's home, so that a card that is not
// mounted in the usual place (or copied to a disk) can still be picked.
//
// DriveRootsModel presents several folders of one QFileSystemModel side by
// side as top-level rows. Below a top-level row the tree is the file-system
// model's own, folders only, one column (the name). The same folder can appear
// under more than one top-level row ("/home/me" under "/" and as the home
// entry); every appearance follows the file-system model's changes.
//
// Threading: GUI thread only (like the QFileSystemModel it wraps).

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPersistentModelIndex>
#include <QStringList>

#include <memory>
#include <vector>

class QFileSystemModel;

struct MountedVolume {
    QString rootPath;
    QByteArray fileSystemType;
};

// Removable media (under /media and /run/media) first, then the other volumes,
// then "/" and homePath; kernel and container pseudo file systems and snap
// images are left out, and no path is listed twice. Keeps the given order
// within each group.
QStringList orderDriveRoots(const QList<MountedVolume>& volumes, const QString& homePath);

// orderDriveRoots() for the folders mounted now and the user's home.
QStringList driveRoots();

class DriveRootsModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // source must outlive the model; its filter decides what is listed.
    DriveRootsModel(QFileSystemModel* source, const QStringList& rootPaths,
                    QObject* parent = nullptr);
    ~DriveRootsModel() override;

    QStringList rootPaths() const { return m_rootPaths; }
    QModelIndex mapToSource(const QModelIndex& index) const;
    // The absolute path of an entry; empty for an invalid index.
    QString filePath(const QModelIndex& index) const;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // One appearance of a source folder: below top-level row `root`. Nodes are
    // made on demand and kept until the model is reset, so that the internal
    // pointers of handed-out indexes stay valid.
    struct Node {
        int root;
        QPersistentModelIndex source;  // column 0
    };

    Node* node(const QModelIndex& index) const;
    Node* nodeFor(int root, const QModelIndex& source) const;
    bool isTop(const Node* node) const;
    QModelIndex proxyIndex(Node* node, int column = 0) const;
    // Every appearance of a source index in this model (column 0).
    QList<QModelIndex> appearances(const QModelIndex& source) const;
    bool isWithin(const QModelIndex& source, int root) const;
    void buildRoots();

    void sourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsInserted();
    void sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void sourceRowsRemoved();
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QVector<int>& roles);
    void sourceLayoutAboutToBeChanged();
    void sourceLayoutChanged();
    void sourceAboutToBeReset();
    void sourceReset();

    QFileSystemModel* m_source;
    QStringList m_rootPaths;
    std::vector<QPersistentModelIndex> m_roots;
    // Made on demand by const accessors, hence mutable.
    mutable std::vector<std::unique_ptr<Node>> m_nodes;
    mutable QHash<QPair<int, quintptr>, Node*> m_lookup;
    std::vector<Node*> m_tops;

    // How many begin…() calls each pending source change issued, so that its
    // end is answered with as many end…() calls.
    std::vector<int> m_pendingInserts;
    std::vector<int> m_pendingRemovals;
    // Persistent indexes across a source layout change: the proxy index and
    // where it pointed in the source.
    struct SavedIndex {
        QModelIndex proxy;
        int root;
        QPersistentModelIndex source;
    };
    std::vector<SavedIndex> m_layoutSave;
};
