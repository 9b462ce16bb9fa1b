// The main window as a whole: opening day folders and card roots, the file
// list, the read-outs of an idle page and closing.

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QTreeView>
#include <QTreeWidget>

#include "app/Korvel.h"
#include "app/QProgressIndicator.h"
#include "app/ReadOuts.h"
#include "widgets/CConfiguration.h"

#include <cstdlib>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void opensADayFolder();
    void ignoresFoldersThatAreNotDays();
    void startFolderCardRootSelectsFirstDay();
    void fileItemsAreUnique();
    void idleReadOuts();
    void barsSlideOutAndIn();
    void closeWithoutAskingStopsTheHeartbeat();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_card;
};

void TestMainWindow::initTestCase() {
    QVERIFY(m_home.isValid() && m_card.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    // The native settings store follows XDG_CONFIG_HOME when it is set.
    qputenv("XDG_CONFIG_HOME", (m_home.path() + "/.config").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/korvel-test-bus");
    QTextCodec* euckr = QTextCodec::codecForName("EUC-KR");
    writeBytes(m_card.path() + "/DVRSETUP.INI",
               euckr->fromUnicode(QString::fromUtf8("DVR_NAME=경기34나5678\n[INFORMATION]\n"
                                                    "FW_VER1=2\n")));
    QDir(m_card.path()).mkpath("20180105");
    QDir(m_card.path()).mkpath("20180102");
    QDir(m_card.path()).mkpath("logs");
}

void TestMainWindow::opensADayFolder() {
    Korvel window;
    QCOMPARE(window.cardRoot(), QDir::homePath());
    QCOMPARE(window.currentFolder(), QDir::homePath());

    window.openDayFolder(m_card.path() + "/20180102/");
    QCOMPARE(window.cardRoot(), m_card.path());
    QCOMPARE(window.currentFolder(), m_card.path() + "/20180102");
    auto* plate = window.findChild<QLineEdit*>("lePlatNumber");
    QVERIFY(plate != nullptr);
    QCOMPARE(plate->text(), QString::fromUtf8("경기34나5678"));
    QVERIFY(!window.fileListBusy());

    // The busy indicator spins over the file list until the listing ends.
    auto* list = window.findChild<QTreeWidget*>("twFileList");
    QVERIFY(list->viewport()->findChild<QProgressIndicator*>() != nullptr);
    QTRY_VERIFY(list->viewport()->findChild<QProgressIndicator*>() == nullptr);
    window.openDayFolder(m_card.path() + "/20180105");
    QVERIFY(list->viewport()->findChild<QProgressIndicator*>() != nullptr);
    QTRY_VERIFY(list->viewport()->findChild<QProgressIndicator*>() == nullptr);
    QCOMPARE(window.currentFolder(), m_card.path() + "/20180105");
}

void TestMainWindow::ignoresFoldersThatAreNotDays() {
    Korvel window;
    window.openDayFolder(m_card.path() + "/logs");
    window.openDayFolder(m_card.path());
    QCOMPARE(window.cardRoot(), QDir::homePath());
    QCOMPARE(window.findChild<QLineEdit*>("lePlatNumber")->text(), QString());
}

void TestMainWindow::startFolderCardRootSelectsFirstDay() {
    Korvel window;
    window.openStartFolder(m_card.path());
    QCOMPARE(window.cardRoot(), m_card.path());
    auto* tree = window.findChild<QTreeView*>("twSiteList");
    QCOMPARE(window.folderModel()->filePath(tree->rootIndex()), m_card.path());
    QTRY_COMPARE_WITH_TIMEOUT(window.folderModel()->filePath(tree->currentIndex()),
                              m_card.path() + "/20180102", 10000);
    // Selecting does not open: nothing was read from the card yet.
    QCOMPARE(window.findChild<QLineEdit*>("lePlatNumber")->text(), QString());

    Korvel second;
    second.openStartFolder(m_card.path() + "/20180105");
    QCOMPARE(second.currentFolder(), m_card.path() + "/20180105");
    QCOMPARE(second.cardRoot(), m_card.path());
}

void TestMainWindow::fileItemsAreUnique() {
    Korvel window;
    auto* list = window.findChild<QTreeWidget*>("twFileList");
    window.slotFillFileList(m_card.path() + "/20180102", {"*.ssf"});
    window.slotAddFileItem("13:45:01", 20180102);
    window.slotAddFileItem("13:45:01", 20180102);
    window.slotAddFileItem("12:00:00", 20180102);
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QString("12:00:00"));
    QCOMPARE(list->topLevelItem(1)->data(0, Qt::UserRole).toInt(), 20180102);
    // A new listing starts from an empty list.
    window.slotFillFileList(m_card.path() + "/20180105", {"*.ssf"});
    QCOMPARE(list->topLevelItemCount(), 0);
}

void TestMainWindow::idleReadOuts() {
    Korvel window;
    window.slotCheckTimer();
    // No page views: the computer's date and time.
    QCOMPARE(window.findChild<QLabel*>("lbDate")->text(), readOuts::dateText(QDate::currentDate()));
    QCOMPARE(window.findChild<QLabel*>("lbSpeed_2")->text(), QString(" km/h "));
    const QTime shown = QTime::fromString(window.findChild<QLabel*>("lbTime")->text(), "hh:mm:ss");
    QVERIFY(shown.isValid());
    QVERIFY(std::abs(shown.secsTo(QTime::currentTime())) <= 2);
}

void TestMainWindow::barsSlideOutAndIn() {
    Korvel window;
    window.resize(1200, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* central = window.findChild<QWidget*>("centralWidget");
    auto* left = window.findChild<QWidget*>("wgLeftBar");
    auto* right = window.findChild<QWidget*>("wgRightBar");
    auto* bottom = window.findChild<QWidget*>("wgBottomBar");

    // The bottom bar slides in at start; the others are shown from the start.
    QVERIFY(window.slotBottomBarVisible());
    QTRY_COMPARE(bottom->y(), central->height() - Korvel::kBottomBarHeight);
    QCOMPARE(bottom->x(), left->width());
    QCOMPARE(right->x(), central->width() - Korvel::kRightBarWidth);
    QCOMPARE(right->y(), Korvel::kTopBarHeight + Korvel::kRightBarOffset);
    QCOMPARE(right->geometry().bottom() + 1, bottom->y());

    // Hidden bars keep only their edge inside; the neighbours follow.
    window.slotShowHideLeftbar();
    window.slotShowHideBottombar();
    QVERIFY(!window.slotLeftBarVisible());
    QVERIFY(!window.slotBottomBarVisible());
    QTRY_COMPARE(left->geometry().right() + 1, Korvel::kBarEdge);
    QTRY_COMPARE(bottom->y(), central->height() - Korvel::kBarEdge);
    QTRY_COMPARE(bottom->x(), Korvel::kBarEdge);
    QTRY_COMPARE(right->geometry().bottom() + 1, bottom->y());
    window.slotShowHideRightbar();
    QTRY_COMPARE(right->x(), central->width() - Korvel::kBarEdge);

    window.slotShowHideLeftbar();
    QTRY_COMPARE(left->x(), 0);
    QTRY_COMPARE(bottom->x(), left->width());
}

void TestMainWindow::closeWithoutAskingStopsTheHeartbeat() {
    g_config.setCloseAsk(true);
    g_config.save();
    Korvel window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.slotCloseDlg(false);
    QVERIFY(!window.isVisible());
    auto* time = window.findChild<QLabel*>("lbTime");
    time->setText("stopped");
    QVERIFY(!QTest::qWaitFor([time] { return time->text() != "stopped"; }, 150));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
