// The main window and its pieces: opening day folders and card roots, the
// file list, the idle read-outs, the sliding bars and closing; the card-root
// rule, the recorder's setup file, the read-out formats, the close dialog, the
// busy indicator, the keep-awake request; the configuration file, stored texts
// and the style-sheet lookup.

#include <QCheckBox>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

#include "app/CardPaths.h"
#include "app/DvrSetupInfo.h"
#include "app/KeepAwake.h"
#include "app/Korvel.h"
#include "app/QProgressIndicator.h"
#include "app/ReadOuts.h"
#include "app/StyleSheets.h"
#include "app/UCDlgClose.h"
#include "widgets/CConfiguration.h"
#include "widgets/StoredText.h"

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// A value as the configuration file holds it.
QString storedValue(const QString& key) {
    return QSettings(CConfiguration::filePath(), QSettings::IniFormat).value(key).toString();
}

// A stand-in for the desktop's screen saver service, served on a thread of its
// own so that the blocking calls of KeepAwake can be answered.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList calls() const {
        QMutexLocker lock(&m_lock);
        return m_calls;
    }

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        QMutexLocker lock(&m_lock);
        m_calls << QString("Inhibit %1 %2").arg(application, reason);
        return 4711;
    }
    void UnInhibit(uint cookie) {
        QMutexLocker lock(&m_lock);
        m_calls << QString("UnInhibit %1").arg(cookie);
    }

private:
    mutable QMutex m_lock;
    QStringList m_calls;
};

}  // namespace

class TestMainWindowParts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cardFilesAndReadOuts();
    void closeDialogStoresCloseAsk();
    void busyIndicatorDrawsOnlyWhileRunning();
    void keepAwakeInhibitsWhileAlive();
    void opensDayFoldersOnly();
    void barsSlideAndCloseStopsTheHeartbeat();

    // Last: these move HOME to a fresh folder each.
    void firstStartWritesEveryKeyOnce();
    void dzoomSwitchesShareOneKey();
    void emptyCapturePathBecomesPictures();
    void p2pPasswordIsBase64();
    void storedTextDecoding();
    void styleSheetLookup();

private:
    // A fresh home: QSettings caches files by path within a process.
    void freshHome() {
        m_fresh = std::make_unique<QTemporaryDir>();
        QVERIFY(m_fresh->isValid());
        qputenv("HOME", m_fresh->path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
    }

    QTemporaryDir m_home;
    QTemporaryDir m_card;  // two empty days and a setup file in EUC-KR
    std::unique_ptr<QTemporaryDir> m_fresh;
};

void TestMainWindowParts::initTestCase() {
    QVERIFY(m_home.isValid() && m_card.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    // The native settings store follows XDG_CONFIG_HOME when it is set.
    qputenv("XDG_CONFIG_HOME", (m_home.path() + "/.config").toLocal8Bit());
    // No session bus for this process: the keep-awake request must not find one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/korvel-test-bus");
    QTextCodec* euckr = QTextCodec::codecForName("EUC-KR");
    writeFile(m_card.path() + "/DVRSETUP.INI",
              euckr->fromUnicode(QString::fromUtf8("DVR_NAME=경기34나5678\n[INFORMATION]\n"
                                                   "FW_VER1=2\n")));
    for (const char* folder : {"20180105", "20180102", "logs"}) {
        QDir(m_card.path()).mkpath(folder);
    }
}

void TestMainWindowParts::cardFilesAndReadOuts() {
    QCOMPARE(cardRootOfDayFolder("/media/u/CARD/20180102/"), QString("/media/u/CARD"));
    QCOMPARE(cardRootOfDayFolder("/media/u/CARD//20180102"), QString("/media/u/CARD"));
    QCOMPARE(cardRootOfDayFolder("/20180102"), QString("/"));
    QCOMPARE(cardRootOfDayFolder("card/20180102"), QDir::current().absoluteFilePath("card"));
    QCOMPARE(initialCardRoot(), m_home.path());
    // The start-up listing runs on the home folder and ends at once: its name
    // is not a date.
    QCOMPARE(dayFolderDate(initialCardRoot()), 0);
    QCOMPARE(dayFolderDate("/media/u/CARD/20180102/"), 20180102);
    QCOMPARE(dayFolderDate("/media/u/CARD"), 0);

    // Firmware before 1.0.0.34 is old; 2.0.0.1 is not; an unquoted comma
    // stays in the name. The plate in EUC-KR is read end to end in
    // opensDayFoldersOnly.
    QTemporaryDir card;
    writeFile(card.path() + "/DVRSETUP.INI",
              "[INFORMATION]\nFW_VER1=1\nFW_VER2=0\nFW_VER3=0\nFW_VER4=33\n");
    QVERIFY(readDvrSetupInfo(card.path()).isOldFirmware());
    writeFile(card.path() + "/DVRSETUP.INI",
              "DVR_NAME=12,34\n[INFORMATION]\nFW_VER1=1\nFW_VER4=34\n");
    DvrSetupInfo info = readDvrSetupInfo(card.path());
    QCOMPARE(info.vehicleNumber, QString("12,34"));
    QVERIFY(!info.isOldFirmware());
    info.firmware[0] = 2;
    info.firmware[3] = 1;
    QVERIFY(!info.isOldFirmware());
    // No file: empty number, firmware 0.0.0.0, which is not old.
    QTemporaryDir empty;
    info = readDvrSetupInfo(empty.path());
    QVERIFY(info.vehicleNumber.isEmpty() && !info.isOldFirmware());

    using namespace readOuts;
    QCOMPARE(latitudeText(37.5714286), QString(" 37.5714 N "));
    QCOMPARE(speedValue(100.0, true), 115);
    QCOMPARE(speedValue(-1.5, false), -2);  // toward zero, not down
    QCOMPARE(dateText(QDate()), QString("No Date"));
    QSettings store("QUENDRA", "Korvel");
    store.setValue("SHOW/SPEED_MPH", true);
    store.sync();
    QVERIFY(readUseMph());
    store.remove("SHOW/SPEED_MPH");
    store.sync();
    QVERIFY(!readUseMph());
}

void TestMainWindowParts::closeDialogStoresCloseAsk() {
    g_config.setCloseAsk(false);
    g_config.save();
    {
        UCDlgClose dialog;
        QVERIFY(!dialog.cbDontAsk->isChecked());
        dialog.cbDontAsk->setChecked(true);
        dialog.pbCancel->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!g_config.closeAsk());
    }
    // The box starts as stored, and OK with it cleared asks again next time.
    for (bool dontAsk : {true, false}) {
        UCDlgClose dialog;
        QCOMPARE(dialog.cbDontAsk->isChecked(), !dontAsk);
        dialog.cbDontAsk->setChecked(dontAsk);
        dialog.pbOK->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(g_config.closeAsk(), dontAsk);
        QCOMPARE(storedValue("CLOSE_ASK"), QVariant(dontAsk).toString());
    }
}

void TestMainWindowParts::busyIndicatorDrawsOnlyWhileRunning() {
    QProgressIndicator indicator;
    indicator.resize(28, 28);
    auto whitePixels = [&] {
        QImage image(indicator.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        indicator.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        int count = 0;
        for (int i = 0; i < image.width() * image.height(); ++i) {
            count += qAlpha(image.pixel(i % image.width(), i / image.width())) > 200 ? 1 : 0;
        }
        return count;
    };
    QCOMPARE(whitePixels(), 0);
    indicator.startAnimation();
    QVERIFY(indicator.isAnimated());
    QVERIFY(whitePixels() > 10);
    indicator.stopAnimation();
    QVERIFY(!indicator.isAnimated());
    QCOMPARE(whitePixels(), 0);
}

void TestMainWindowParts::keepAwakeInhibitsWhileAlive() {
    QVERIFY(!QDBusConnection::sessionBus().isConnected());
    QVERIFY(!KeepAwake("test").isActive());

    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForStarted(5000)) {
        QSKIP("dbus-daemon is not available");
    }
    QVERIFY(daemon.waitForReadyRead(5000));
    const QString address = QString::fromLocal8Bit(daemon.readLine()).trimmed();
    {
        QDBusConnection client = QDBusConnection::connectToBus(address, "korvel-client");
        QVERIFY(client.isConnected());
        // A bus without the service: nothing is asked.
        QVERIFY(!KeepAwake(client, "test").isActive());

        QDBusConnection service = QDBusConnection::connectToBus(address, "korvel-service");
        QThread serviceThread;
        auto* saver = new FakeScreenSaver;
        saver->moveToThread(&serviceThread);
        connect(&serviceThread, &QThread::finished, saver, &QObject::deleteLater);
        serviceThread.start();
        QVERIFY(service.registerObject(KeepAwake::kPath, saver, QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(KeepAwake::kService));
        {
            KeepAwake awake(client, "Playing recordings");
            QVERIFY(awake.isActive());
            QCOMPARE(saver->calls().size(), 1);
            QVERIFY(saver->calls().at(0).startsWith("Inhibit "));
            QVERIFY(saver->calls().at(0).endsWith(" Playing recordings"));
        }
        QCOMPARE(saver->calls().size(), 2);
        QCOMPARE(saver->calls().at(1), QString("UnInhibit 4711"));

        service.unregisterObject(KeepAwake::kPath);
        serviceThread.quit();
        serviceThread.wait();
    }
    QDBusConnection::disconnectFromBus("korvel-client");
    QDBusConnection::disconnectFromBus("korvel-service");
    daemon.terminate();
    daemon.waitForFinished(5000);
}

void TestMainWindowParts::opensDayFoldersOnly() {
    Korvel window;
    auto* plate = window.findChild<QLineEdit*>("lePlatNumber");
    auto* list = window.findChild<QTreeWidget*>("twFileList");
    window.openDayFolder(m_card.path() + "/logs");
    window.openDayFolder(m_card.path());
    QCOMPARE(window.cardRoot(), QDir::homePath());
    QCOMPARE(window.currentFolder(), QDir::homePath());
    QCOMPARE(plate->text(), QString());

    // No page views: the computer's date and time.
    window.slotCheckTimer();
    QCOMPARE(window.findChild<QLabel*>("lbDate")->text(), readOuts::dateText(QDate::currentDate()));
    QCOMPARE(window.findChild<QLabel*>("lbSpeed_2")->text(), QString(" km/h "));
    const QTime shown = QTime::fromString(window.findChild<QLabel*>("lbTime")->text(), "hh:mm:ss");
    QVERIFY(shown.isValid());
    QVERIFY(std::abs(shown.secsTo(QTime::currentTime())) <= 2);

    window.openDayFolder(m_card.path() + "/20180105/");
    QCOMPARE(window.cardRoot(), m_card.path());
    QCOMPARE(window.currentFolder(), m_card.path() + "/20180105");
    QCOMPARE(plate->text(), QString::fromUtf8("경기34나5678"));
    QVERIFY(!window.fileListBusy());
    // The busy indicator spins over the file list until the listing ends.
    auto* viewport = list->viewport();
    QVERIFY(viewport->findChild<QProgressIndicator*>() != nullptr);
    QTRY_VERIFY(viewport->findChild<QProgressIndicator*>() == nullptr);

    // A card root to start with: its first day is selected, not opened.
    window.openStartFolder(m_card.path());
    auto* tree = window.findChild<QTreeView*>("twSiteList");
    QCOMPARE(window.folderModel()->filePath(tree->rootIndex()), m_card.path());
    QTRY_COMPARE_WITH_TIMEOUT(window.folderModel()->filePath(tree->currentIndex()),
                              m_card.path() + "/20180102", 10000);
    QCOMPARE(window.currentFolder(), m_card.path() + "/20180105");
    // A day folder to start with is opened.
    window.openStartFolder(m_card.path() + "/20180102");
    QVERIFY(viewport->findChild<QProgressIndicator*>() != nullptr);
    QTRY_VERIFY(viewport->findChild<QProgressIndicator*>() == nullptr);
    QCOMPARE(window.currentFolder(), m_card.path() + "/20180102");

    // File items are unique and sorted; a new listing starts empty.
    window.slotFillFileList(m_card.path() + "/20180102", {"*.ssf"});
    window.slotAddFileItem("13:45:01", 20180102);
    window.slotAddFileItem("13:45:01", 20180102);
    window.slotAddFileItem("12:00:00", 20180102);
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QString("12:00:00"));
    QCOMPARE(list->topLevelItem(1)->data(0, Qt::UserRole).toInt(), 20180102);
    window.slotFillFileList(m_card.path() + "/20180105", {"*.ssf"});
    QCOMPARE(list->topLevelItemCount(), 0);
}

void TestMainWindowParts::barsSlideAndCloseStopsTheHeartbeat() {
    g_config.setCloseAsk(true);
    g_config.save();
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

    // Closed without the question (CLOSE_ASK): the heartbeat stops too.
    window.slotCloseDlg(false);
    QVERIFY(!window.isVisible());
    auto* time = window.findChild<QLabel*>("lbTime");
    time->setText("stopped");
    QVERIFY(!QTest::qWaitFor([time] { return time->text() != "stopped"; }, 150));
}

void TestMainWindowParts::firstStartWritesEveryKeyOnce() {
    freshHome();
    QCOMPARE(CConfiguration::filePath(), m_fresh->path() + "/korvl/korvel_config.ini");
    CConfiguration config;
    config.load();
    config.setAppStyle("QWidget{}");  // never saved
    config.save();

    // No key twice, whatever group it is in.
    QStringList names;
    for (const QString& key : QSettings(CConfiguration::filePath(), QSettings::IniFormat).allKeys()) {
        QVERIFY2(!names.contains(key.section('/', -1)), qPrintable(key));
        names << key.section('/', -1);
    }
    // A first start shows every overlay text.
    for (const char* key : {"FIRST_LOGIN", "SHOW_TEXT_MODE", "SHOW_TEXT_DZOOM",
                            "SHOW_TEXT_DATETIME", "SHOW_TEXT_RESOLUTION", "SHOW_TEXT_SITENAME",
                            "SHOW_TEXT_CHANNEL_TITLE"}) {
        QVERIFY2(storedValue(key) == "true", key);
    }
    QFile file(CConfiguration::filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("QWidget"));
    // It holds the P2P password: its owner's only.
    QCOMPARE(QFile::permissions(CConfiguration::filePath()) &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());

    // Values of the wrong type convert as QVariant does; an empty server is
    // replaced by the default host; a second load starts again from defaults.
    config.setStreamType(1);
    writeFile(m_fresh->path() + "/other/korvl/korvel_config.ini",
              "[General]\nPBSECONDBEFORE=abc\nP2P_SERVER_ADDRESS=\nSKIN=1\n");
    qputenv("HOME", (m_fresh->path() + "/other").toLocal8Bit());
    config.load();
    QCOMPARE(config.pbSecondBefore(), 0);
    QCOMPARE(config.p2pServerAddress(), QString(CConfiguration::kDefaultP2PServer));
    QCOMPARE(config.skin(), 1);
    QCOMPARE(config.streamType(), 2);
}

void TestMainWindowParts::dzoomSwitchesShareOneKey() {
    freshHome();
    CConfiguration a;
    a.load();
    a.setShowTextDZoom(false);  // the second switch alone
    a.save();
    CConfiguration b;
    b.load();
    QCOMPARE(b.showTextPtz(), false);
    QCOMPARE(b.showTextDZoom(), false);

    // The second switch is written last, so it decides the stored value.
    b.setShowTextPtz(true);
    b.setShowTextDZoom(false);
    b.save();
    b.setShowTextPtz(false);
    b.setShowTextDZoom(true);
    b.save();
    CConfiguration c;
    c.load();
    QCOMPARE(c.showTextPtz(), true);
    QCOMPARE(c.showTextDZoom(), true);
}

void TestMainWindowParts::emptyCapturePathBecomesPictures() {
    freshHome();
    // The pictures folder follows XDG, not a fixed name.
    qputenv("XDG_CONFIG_HOME", (m_fresh->path() + "/.config").toLocal8Bit());
    writeFile(m_fresh->path() + "/.config/user-dirs.dirs",
              "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    writeFile(CConfiguration::filePath(), "[General]\nCAPTUREPATH=\nFONTSIZE=3\n");
    CConfiguration config;
    config.load();
    const QString pictures = m_fresh->path() + "/Bilder/Korvel";
    QCOMPARE(config.capturePath(), pictures);
    QCOMPARE(config.fontSize(), 3);
    config.save();
    QCOMPARE(storedValue("CAPTUREPATH"), pictures);

    // The desktop folder stored by earlier versions counts as the default
    // while it does not exist, and is kept once it does.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    writeFile(CConfiguration::filePath(), "[General]\nCAPTUREPATH=" + desktop.toUtf8() + "\n");
    CConfiguration old;
    old.load();
    QCOMPARE(old.capturePath(), pictures);
    QVERIFY(QDir().mkpath(desktop));
    old.load();
    QCOMPARE(old.capturePath(), desktop);
}

void TestMainWindowParts::p2pPasswordIsBase64() {
    freshHome();
    // Written by hand in plain text: read as Base64 like every stored password.
    writeFile(CConfiguration::filePath(), "[General]\nP2P_USER_PASSWORD=secret\n");
    CConfiguration plain;
    plain.load();
    QCOMPARE(plain.p2pUserPassword(), decodeStoredText("secret"));
    QVERIFY(plain.p2pUserPassword() != "secret");

    writeFile(CConfiguration::filePath(), "[General]\nP2P_USER_PASSWORD=c2VjcmV0\n");
    CConfiguration encoded;
    encoded.load();
    QCOMPARE(encoded.p2pUserPassword(), QString("secret"));

    encoded.setP2pUserPassword(QString::fromUtf8("p\xc3\xa4ss w0rd"));
    encoded.save();
    QCOMPARE(storedValue("P2P_USER_PASSWORD"), QString("cMOkc3MgdzByZA=="));
    CConfiguration again;
    again.load();
    QCOMPARE(again.p2pUserPassword(), QString::fromUtf8("p\xc3\xa4ss w0rd"));
}

void TestMainWindowParts::storedTextDecoding() {
    const struct {
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {" user ", " user "},
        {QByteArray("abc\0def", 7), "abc"},  // zero ends the text
        {QByteArray(200, 'y'), QString(127, 'y')},  // cut at 127 bytes
        // A two-byte character across the limit is dropped whole rather than
        // left half.
        {QByteArray(126, 'z') + "\xc3\xa9\xc3\xa9", QString(126, 'z')},
    };
    for (const auto& c : cases) {
        const QString stored = QString::fromLatin1(c.bytes.toBase64());
        QCOMPARE(decodeStoredText(stored), c.expected);
        if (!c.bytes.contains('\0') && c.bytes.size() <= 127) {
            QCOMPARE(encodeStoredText(QString::fromUtf8(c.bytes)), stored);
        }
    }
}

void TestMainWindowParts::styleSheetLookup() {
    freshHome();
    const QString root = m_fresh->path();
    const QString appDir = root + "/tree/bin";
    for (const char* name : {"style.css", "style_light.css", "monitor.css", "sitelist.css",
                             "style_screen_bottom_menu.css", "style_screen_menu.css"}) {
        writeFile(appDir + "/css/" + name, QByteArray("beside:") + name);
    }
    // The styles found for a skin; no style at all is a failure.
    auto expect = [](const QString& dir, int skin, const QString& app, const QString& monitor,
                     const QString& siteList) {
        CConfiguration config;
        config.setSkin(skin);
        QCOMPARE(loadStyleSheets(dir, config), !app.isEmpty());
        QCOMPARE(config.appStyle(), app);
        QCOMPARE(config.monitorStyle(), monitor);
        QCOMPARE(config.siteListStyle(), siteList);
    };

    // Beside the program (build tree), chosen by skin; no gray skin there.
    expect(appDir, 0, "beside:style.css", "beside:monitor.css", "beside:sitelist.css");
    expect(appDir, 1, "beside:style_light.css", "beside:monitor.css", "beside:sitelist.css");
    expect(appDir, 2, "", "", "");
    CConfiguration config;
    QVERIFY(loadStyleSheets(appDir, config));
    QCOMPARE(config.screenMenuStyle(), QString("beside:style_screen_menu.css"));

    // An installed tree (css/ above bin/) wins; a missing companion is empty.
    writeFile(root + "/tree/css/style.css", "above:style.css");
    writeFile(root + "/tree/css/style_gray.css", "above:style_gray.css");
    writeFile(root + "/tree/css/monitor.css", QByteArray("above:\xc3\xa9"));
    const QString above = QString::fromUtf8("above:\xc3\xa9");
    expect(appDir, 2, "above:style_gray.css", above, "");
    expect(appDir, 9, "above:style.css", above, "");

    // Installed with cmake --install: share/korvel/css beside bin/, looked
    // at only when neither place above holds a style.
    const QString prefix = root + "/prefix";
    writeFile(prefix + "/share/korvel/css/style.css", "share:style.css");
    writeFile(prefix + "/share/korvel/css/monitor.css", "share:monitor.css");
    QDir().mkpath(prefix + "/bin");
    expect(prefix + "/bin", 0, "share:style.css", "share:monitor.css", "");
    writeFile(prefix + "/bin/css/style.css", "beside:style.css");
    expect(prefix + "/bin", 0, "beside:style.css", "", "");
}

QTEST_MAIN(TestMainWindowParts)
#include "test_mainwindow_parts.moc"
