// The drive dialog: its list of places, picking a folder, and the folder tree
// model below it.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "widgets/DlgSelDrive.h"
#include "widgets/DriveRootsModel.h"

namespace {

// The row below parent whose folder is path, once the file-system model has
// listed it.
QModelIndex waitForChild(DriveRootsModel* model, QTreeView* view, const QModelIndex& parent,
                         const QString& path) {
    view->expand(parent);
    QModelIndex found;
    const auto lookup = [&] {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex child = model->index(row, 0, parent);
            if (model->filePath(child) == path) {
                found = child;
                return true;
            }
        }
        return false;
    };
    if (!QTest::qWaitFor(lookup, 10000)) {
        return QModelIndex();
    }
    return found;
}

}  // namespace

class TestFileListDialog : public QObject {
    Q_OBJECT

private slots:
    void placesOrder();
    void pickAFolderThatFollowsChanges();
};

void TestFileListDialog::placesOrder() {
    const QList<MountedVolume> volumes = {
        {"/", "ext4"},
        {"/boot", "ext4"},
        {"/proc", "proc"},
        {"/tmp", "tmpfs"},
        {"/snap/core/1", "squashfs"},
        {"/media/me/CARD", "vfat"},
        {"/sys/fs/cgroup", "cgroup2"},
        {"/run/media/me/USB/", "exfat"},
        {"/var/lib/docker/overlay2/x/merged", "overlay"},
        {"/run/user/1000", "tmpfs"},
        {"/data", "xfs"},
        {"/media/me/CARD", "vfat"},
    };
    QCOMPARE(
        orderDriveRoots(volumes, "/home/me"),
        (QStringList{"/media/me/CARD", "/run/media/me/USB", "/boot", "/data", "/", "/home/me"}));
    // A home that is also a volume is listed once.
    QCOMPARE(orderDriveRoots({{"/home/me", "ext4"}}, "/home/me"), (QStringList{"/home/me", "/"}));
    QCOMPARE(orderDriveRoots({}, "/"), QStringList{"/"});

    // The places of this machine end with "/" and home, are folders, and are
    // what the dialog lists.
    const QStringList here = driveRoots();
    QVERIFY(here.contains("/"));
    QVERIFY(here.contains(QDir::cleanPath(QDir::homePath())));
    for (const QString& path : here) {
        QVERIFY2(QFileInfo(path).isDir(), qPrintable(path));
    }
    DlgSelDrive dlg;
    auto* model = qobject_cast<DriveRootsModel*>(dlg.treeViewDrive->model());
    QStringList tops;
    for (int row = 0; row < model->rowCount(); ++row) {
        tops << model->filePath(model->index(row, 0));
    }
    QCOMPARE(tops, here);
}

void TestFileListDialog::pickAFolderThatFollowsChanges() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString base = QDir(temp.path()).canonicalPath();
    const QString card = base + "/card";
    QVERIFY(QDir().mkpath(card + "/20160301"));

    // The card folder both as a place of its own and inside the folder above.
    DlgSelDrive dlg({card, base}, nullptr);
    auto* model = qobject_cast<DriveRootsModel*>(dlg.treeViewDrive->model());
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(!dlg.pbOK->isEnabled());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    const QModelIndex ownTop = model->index(0, 0);
    const QModelIndex inner = waitForChild(model, dlg.treeViewDrive, model->index(1, 0), card);
    QVERIFY(inner.isValid());
    QVERIFY(waitForChild(model, dlg.treeViewDrive, ownTop, card + "/20160301").isValid());
    QVERIFY(waitForChild(model, dlg.treeViewDrive, inner, card + "/20160301").isValid());

    // A new day folder shows up under both; a removed one leaves both. Views
    // learn of it through the signals of each appearance.
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    const auto signalledParents = [](const QSignalSpy& spy) {
        QSet<QModelIndex> parents;
        for (const QList<QVariant>& arguments : spy) {
            parents << arguments.at(0).value<QModelIndex>();
        }
        return parents;
    };
    QVERIFY(QDir().mkpath(card + "/20160302"));
    QVERIFY(waitForChild(model, dlg.treeViewDrive, ownTop, card + "/20160302").isValid());
    QVERIFY(waitForChild(model, dlg.treeViewDrive, inner, card + "/20160302").isValid());
    QCOMPARE(model->rowCount(ownTop), 2);
    QCOMPARE(model->rowCount(inner), 2);
    QCOMPARE(signalledParents(inserted), (QSet<QModelIndex>{ownTop, inner}));
    QVERIFY(QDir(card + "/20160301").removeRecursively());
    QTRY_COMPARE(model->rowCount(ownTop), 1);
    QCOMPARE(model->rowCount(inner), 1);
    QTRY_COMPARE(signalledParents(removed), (QSet<QModelIndex>{ownTop, inner}));
    const QModelIndex day = model->index(0, 0, inner);
    QCOMPARE(model->filePath(day), card + "/20160302");

    // A click picks the folder; deselecting takes the choice back, and OK
    // cannot accept an empty path.
    dlg.treeViewDrive->scrollTo(day);
    QTRY_VERIFY(dlg.treeViewDrive->viewport()->rect().contains(
        dlg.treeViewDrive->visualRect(day).center()));
    QTest::mouseClick(dlg.treeViewDrive->viewport(), Qt::LeftButton, Qt::NoModifier,
                      dlg.treeViewDrive->visualRect(day).center());
    QCOMPARE(dlg.selectedPath(), card + "/20160302");
    QVERIFY(dlg.pbOK->isEnabled());
    dlg.treeViewDrive->clearSelection();
    QVERIFY(dlg.selectedPath().isEmpty());
    QVERIFY(!dlg.pbOK->isEnabled());
    // The keyboard chooses as well as the mouse.
    dlg.treeViewDrive->setFocus();
    dlg.treeViewDrive->setCurrentIndex(inner);
    QCOMPARE(dlg.selectedPath(), card);
    QTest::keyClick(dlg.treeViewDrive, Qt::Key_Down);
    QCOMPARE(dlg.selectedPath(), card + "/20160302");
    QTest::mouseClick(dlg.pbOK, Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.selectedPath(), card + "/20160302");

    // The place itself going away leaves its entry, empty.
    QVERIFY(QDir(card).removeRecursively());
    QTRY_COMPARE(model->rowCount(model->index(1, 0)), 0);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->rowCount(ownTop), 0);
    QCOMPARE(model->filePath(ownTop), card);
}

QTEST_MAIN(TestFileListDialog)
#include "test_filelist_dialog.moc"
