#include "widgets/DriveRootsModel.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSet>
#include <QStorageInfo>

namespace {

bool isPseudoFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> pseudo = {
        "proc",      "sysfs",         "tmpfs",       "devtmpfs",
        "devpts",    "ramfs",         "cgroup",      "cgroup2",
        "overlay",   "squashfs",      "securityfs",  "pstore",
        "debugfs",   "tracefs",       "configfs",    "fusectl",
        "mqueue",    "hugetlbfs",     "binfmt_misc", "autofs",
        "bpf",       "efivarfs",      "nsfs",        "rpc_pipefs",
        "selinuxfs", "fuse.snapfuse", "fuse.portal", "fuse.gvfsd-fuse",
        "nfsd"};
    return pseudo.contains(type);
}

bool isUnder(const QString& path, const QString& folder) {
    return path.startsWith(folder + QLatin1Char('/'));
}

bool isRemovableMediaPath(const QString& path) {
    return isUnder(path, QStringLiteral("/media")) || isUnder(path, QStringLiteral("/run/media"));
}

// Places that only the system itself mounts things on.
bool isSystemPath(const QString& path) {
    for (const char* folder : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"}) {
        const QString system = QLatin1String(folder);
        if (path == system || isUnder(path, system)) {
            return !isRemovableMediaPath(path);
        }
    }
    return false;
}

}  // namespace

QStringList orderDriveRoots(const QList<MountedVolume>& volumes, const QString& homePath) {
    QStringList removable;
    QStringList others;
    for (const MountedVolume& volume : volumes) {
        const QString path = QDir::cleanPath(volume.rootPath);
        if (path.isEmpty() || path == QLatin1String("/") ||
            isPseudoFileSystem(volume.fileSystemType) || isSystemPath(path)) {
            continue;
        }
        (isRemovableMediaPath(path) ? removable : others) << path;
    }
    QStringList roots = removable + others;
    roots << QStringLiteral("/");
    if (!homePath.isEmpty()) {
        roots << QDir::cleanPath(homePath);
    }
    roots.removeDuplicates();
    return roots;
}

QStringList driveRoots() {
    QList<MountedVolume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        // Files bind-mounted into containers are volumes too; only folders
        // can be browsed.
        if (storage.isValid() && storage.isReady() && QFileInfo(storage.rootPath()).isDir()) {
            volumes.append({storage.rootPath(), storage.fileSystemType()});
        }
    }
    return orderDriveRoots(volumes, QDir::homePath());
}

DriveRootsModel::DriveRootsModel(QFileSystemModel* source, const QStringList& rootPaths,
                                 QObject* parent)
    : QAbstractItemModel(parent), m_source(source), m_rootPaths(rootPaths) {
    buildRoots();
    connect(m_source, &QAbstractItemModel::rowsAboutToBeInserted, this,
            &DriveRootsModel::sourceRowsAboutToBeInserted);
    connect(m_source, &QAbstractItemModel::rowsInserted, this,
            &DriveRootsModel::sourceRowsInserted);
    connect(m_source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &DriveRootsModel::sourceRowsAboutToBeRemoved);
    connect(m_source, &QAbstractItemModel::rowsRemoved, this, &DriveRootsModel::sourceRowsRemoved);
    connect(m_source, &QAbstractItemModel::dataChanged, this, &DriveRootsModel::sourceDataChanged);
    connect(m_source, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &DriveRootsModel::sourceLayoutAboutToBeChanged);
    connect(m_source, &QAbstractItemModel::layoutChanged, this,
            &DriveRootsModel::sourceLayoutChanged);
    connect(m_source, &QAbstractItemModel::modelAboutToBeReset, this,
            &DriveRootsModel::sourceAboutToBeReset);
    connect(m_source, &QAbstractItemModel::modelReset, this, &DriveRootsModel::sourceReset);
}

DriveRootsModel::~DriveRootsModel() = default;

void DriveRootsModel::buildRoots() {
    m_roots.clear();
    m_tops.clear();
    m_lookup.clear();
    m_nodes.clear();
    for (int row = 0; row < m_rootPaths.size(); ++row) {
        // Asking the file-system model for a path makes it list the folders
        // on the way there, even before their parents are fetched.
        const QModelIndex source = m_source->index(m_rootPaths.at(row));
        m_roots.emplace_back(source);
        m_nodes.push_back(std::make_unique<Node>(Node{row, source}));
        m_tops.push_back(m_nodes.back().get());
        if (source.isValid()) {
            m_lookup.insert(qMakePair(row, source.internalId()), m_tops.back());
        }
    }
}

DriveRootsModel::Node* DriveRootsModel::node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

DriveRootsModel::Node* DriveRootsModel::nodeFor(int root, const QModelIndex& source) const {
    const QModelIndex column0 = source.sibling(source.row(), 0);
    const auto key = qMakePair(root, column0.internalId());
    Node* found = m_lookup.value(key, nullptr);
    // The file-system model may reuse the address of a deleted entry.
    if (found != nullptr && found->source == column0) {
        return found;
    }
    m_nodes.push_back(std::make_unique<Node>(Node{root, column0}));
    m_lookup.insert(key, m_nodes.back().get());
    return m_nodes.back().get();
}

bool DriveRootsModel::isTop(const Node* node) const {
    return node != nullptr && m_tops.at(node->root) == node;
}

QModelIndex DriveRootsModel::proxyIndex(Node* node, int column) const {
    if (isTop(node)) {
        return createIndex(node->root, column, node);
    }
    if (node == nullptr || !node->source.isValid()) {
        return QModelIndex();
    }
    return createIndex(node->source.row(), column, node);
}

bool DriveRootsModel::isWithin(const QModelIndex& source, int root) const {
    const QModelIndex top = m_roots.at(root);
    if (!top.isValid()) {
        return false;
    }
    for (QModelIndex at = source; at.isValid(); at = at.parent()) {
        if (at == top) {
            return true;
        }
    }
    return false;
}

QList<QModelIndex> DriveRootsModel::appearances(const QModelIndex& source) const {
    QList<QModelIndex> found;
    if (!source.isValid()) {
        return found;
    }
    const QModelIndex column0 = source.sibling(source.row(), 0);
    for (int root = 0; root < int(m_roots.size()); ++root) {
        if (column0 == m_roots.at(root)) {
            found << proxyIndex(m_tops.at(root));
            continue;
        }
        // An appearance nobody asked an index for has nothing to update.
        Node* existing = m_lookup.value(qMakePair(root, column0.internalId()), nullptr);
        if (existing != nullptr && existing->source == column0 && isWithin(column0, root)) {
            found << proxyIndex(existing);
        }
    }
    return found;
}

QModelIndex DriveRootsModel::mapToSource(const QModelIndex& index) const {
    const Node* n = node(index);
    if (n == nullptr || !n->source.isValid()) {
        return QModelIndex();
    }
    return n->source.sibling(n->source.row(), index.column());
}

QString DriveRootsModel::filePath(const QModelIndex& index) const {
    const Node* n = node(index);
    if (n == nullptr) {
        return QString();
    }
    if (isTop(n)) {
        return m_rootPaths.at(n->root);
    }
    return n->source.isValid() ? m_source->filePath(n->source) : QString();
}

QModelIndex DriveRootsModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) {
        return QModelIndex();
    }
    if (!parent.isValid()) {
        return row < int(m_tops.size()) ? createIndex(row, column, m_tops.at(row)) : QModelIndex();
    }
    const Node* p = node(parent);
    if (p == nullptr || !p->source.isValid()) {
        return QModelIndex();
    }
    const QModelIndex source = m_source->index(row, 0, p->source);
    if (!source.isValid()) {
        return QModelIndex();
    }
    return createIndex(row, column, nodeFor(p->root, source));
}

QModelIndex DriveRootsModel::parent(const QModelIndex& child) const {
    const Node* n = node(child);
    if (n == nullptr || isTop(n) || !n->source.isValid()) {
        return QModelIndex();
    }
    const QModelIndex sourceParent = n->source.parent();
    if (sourceParent == m_roots.at(n->root)) {
        return proxyIndex(m_tops.at(n->root));
    }
    if (!sourceParent.isValid()) {
        return QModelIndex();
    }
    return proxyIndex(nodeFor(n->root, sourceParent));
}

int DriveRootsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return int(m_tops.size());
    }
    const Node* n = node(parent);
    if (parent.column() != 0 || n == nullptr || !n->source.isValid()) {
        return 0;
    }
    return m_source->rowCount(n->source);
}

int DriveRootsModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool DriveRootsModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return !m_tops.empty();
    }
    const Node* n = node(parent);
    return parent.column() == 0 && n != nullptr && n->source.isValid() &&
           m_source->hasChildren(n->source);
}

QVariant DriveRootsModel::data(const QModelIndex& index, int role) const {
    const Node* n = node(index);
    if (n == nullptr) {
        return QVariant();
    }
    // Top-level rows show where they are, which their folder name alone
    // ("sdb1", "me") would not.
    if (isTop(n) && (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
        return m_rootPaths.at(n->root);
    }
    if (!n->source.isValid()) {
        return QVariant();
    }
    return m_source->data(mapToSource(index), role);
}

QVariant DriveRootsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // QFileSystemModel names its column from Qt's own catalogue, which the
    // program does not ship; the entry is kept in ours (the folder tree of the
    // main window shows it too).
    static_cast<void>(QT_TRANSLATE_NOOP("QFileSystemModel", "Name"));
    return section == 0 ? m_source->headerData(0, orientation, role) : QVariant();
}

Qt::ItemFlags DriveRootsModel::flags(const QModelIndex& index) const {
    const QModelIndex source = mapToSource(index);
    if (!source.isValid()) {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    return m_source->flags(source) & (Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

bool DriveRootsModel::canFetchMore(const QModelIndex& parent) const {
    const QModelIndex source = mapToSource(parent);
    return source.isValid() && m_source->canFetchMore(source);
}

void DriveRootsModel::fetchMore(const QModelIndex& parent) {
    const QModelIndex source = mapToSource(parent);
    if (source.isValid()) {
        m_source->fetchMore(source);
    }
}

void DriveRootsModel::sourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last) {
    const QList<QModelIndex> targets = appearances(parent);
    for (const QModelIndex& target : targets) {
        beginInsertRows(target, first, last);
    }
    m_pendingInserts.push_back(targets.size());
}

void DriveRootsModel::sourceRowsInserted() {
    if (m_pendingInserts.empty()) {
        return;
    }
    for (int i = m_pendingInserts.back(); i > 0; --i) {
        endInsertRows();
    }
    m_pendingInserts.pop_back();
}

void DriveRootsModel::sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    const QList<QModelIndex> targets = appearances(parent);
    for (const QModelIndex& target : targets) {
        beginRemoveRows(target, first, last);
    }
    int begun = targets.size();
    // A top-level folder that goes away (an unmounted card) stays listed, but
    // empty.
    for (int root = 0; root < int(m_roots.size()); ++root) {
        QModelIndex at = m_roots.at(root);
        while (at.isValid() && at.parent() != parent) {
            at = at.parent();
        }
        const bool removed = at.isValid() && at.row() >= first && at.row() <= last;
        const QModelIndex top = proxyIndex(m_tops.at(root));
        const int rows = rowCount(top);
        if (removed && rows > 0) {
            beginRemoveRows(top, 0, rows - 1);
            ++begun;
        }
    }
    m_pendingRemovals.push_back(begun);
}

void DriveRootsModel::sourceRowsRemoved() {
    if (m_pendingRemovals.empty()) {
        return;
    }
    for (int i = m_pendingRemovals.back(); i > 0; --i) {
        endRemoveRows();
    }
    m_pendingRemovals.pop_back();
}

void DriveRootsModel::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                        const QVector<int>& roles) {
    if (!topLeft.isValid() || topLeft.column() > 0) {
        return;
    }
    const QModelIndex parent = topLeft.parent();
    for (const QModelIndex& target : appearances(parent)) {
        emit dataChanged(index(topLeft.row(), 0, target), index(bottomRight.row(), 0, target),
                         roles);
    }
    for (int root = 0; root < int(m_roots.size()); ++root) {
        const QModelIndex top = m_roots.at(root);
        if (top.isValid() && top.parent() == parent && top.row() >= topLeft.row() &&
            top.row() <= bottomRight.row()) {
            const QModelIndex proxy = proxyIndex(m_tops.at(root));
            emit dataChanged(proxy, proxy, roles);
        }
    }
}

void DriveRootsModel::sourceLayoutAboutToBeChanged() {
    emit layoutAboutToBeChanged();
    m_layoutSave.clear();
    for (const QModelIndex& proxy : persistentIndexList()) {
        const Node* n = node(proxy);
        if (n != nullptr && !isTop(n)) {
            m_layoutSave.push_back({proxy, n->root, QPersistentModelIndex(mapToSource(proxy))});
        }
    }
}

void DriveRootsModel::sourceLayoutChanged() {
    QModelIndexList from;
    QModelIndexList to;
    for (const SavedIndex& saved : m_layoutSave) {
        from << saved.proxy;
        to << (saved.source.isValid()
                   ? proxyIndex(nodeFor(saved.root, saved.source), saved.proxy.column())
                   : QModelIndex());
    }
    m_layoutSave.clear();
    changePersistentIndexList(from, to);
    emit layoutChanged();
}

void DriveRootsModel::sourceAboutToBeReset() {
    beginResetModel();
}

void DriveRootsModel::sourceReset() {
    buildRoots();
    endResetModel();
}
