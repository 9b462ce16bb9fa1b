// Pieces of the main window that stand alone: the card-root rule, the
// recorder's setup file, the read-out formats, the close dialog, the busy
// indicator and the keep-awake request.

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QThread>

#include "app/CardPaths.h"
#include "app/DvrSetupInfo.h"
#include "app/KeepAwake.h"
#include "app/QProgressIndicator.h"
#include "app/ReadOuts.h"
#include "app/UCDlgClose.h"
#include "widgets/CConfiguration.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
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
    void cardRootOfADayFolder();
    void dvrSetupInEucKr();
    void readOutFormats();
    void closeDialogStoresCloseAsk();
    void busyIndicatorDrawsOnlyWhileRunning();
    void keepAwakeWithoutSessionBusDoesNothing();
    void keepAwakeInhibitsWhileAlive();

private:
    QTemporaryDir m_home;
};

void TestMainWindowParts::initTestCase() {
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    // The native settings store follows XDG_CONFIG_HOME when it is set.
    qputenv("XDG_CONFIG_HOME", (m_home.path() + "/.config").toLocal8Bit());
    // No session bus for this process: the keep-awake request must not find one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/korvel-test-bus");
}

void TestMainWindowParts::cardRootOfADayFolder() {
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
}

void TestMainWindowParts::dvrSetupInEucKr() {
    QTemporaryDir card;
    QTextCodec* euckr = QTextCodec::codecForName("EUC-KR");
    QVERIFY(euckr != nullptr);
    const QString plate = QString::fromUtf8("서울12가3456");
    const QString text = QString(
                             "[General]\nDVR_NAME=%1\n[INFORMATION]\nFW_VER1=1\nFW_VER2=0\n"
                             "FW_VER3=0\nFW_VER4=33\n")
                             .arg(plate);
    writeBytes(dvrSetupPath(card.path()), euckr->fromUnicode(text));
    QCOMPARE(dvrSetupPath(card.path()), card.path() + "/DVRSETUP.INI");

    DvrSetupInfo info = readDvrSetupInfo(card.path());
    QCOMPARE(info.vehicleNumber, plate);
    QCOMPARE(info.firmware[0], 1);
    QCOMPARE(info.firmware[3], 33);
    QVERIFY(info.isOldFirmware());

    // 1.0.0.34 and 2.0.0.1 are new enough; an unquoted comma stays in the name.
    writeBytes(dvrSetupPath(card.path()),
               euckr->fromUnicode("DVR_NAME=12,34\n[INFORMATION]\nFW_VER1=1\nFW_VER4=34\n"));
    info = readDvrSetupInfo(card.path());
    QCOMPARE(info.vehicleNumber, QString("12,34"));
    QVERIFY(!info.isOldFirmware());
    info.firmware[0] = 2;
    info.firmware[3] = 1;
    QVERIFY(!info.isOldFirmware());

    // No file: empty number, firmware 0.0.0.0, which is not old.
    QTemporaryDir empty;
    info = readDvrSetupInfo(empty.path());
    QVERIFY(info.vehicleNumber.isEmpty());
    QCOMPARE(info.firmware[0] + info.firmware[1] + info.firmware[2] + info.firmware[3], 0);
    QVERIFY(!info.isOldFirmware());
}

void TestMainWindowParts::readOutFormats() {
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
    {
        UCDlgClose dialog;
        dialog.cbDontAsk->setChecked(true);
        dialog.pbOK->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QVERIFY(g_config.closeAsk());
    QSettings file(CConfiguration::filePath(), QSettings::IniFormat);
    QCOMPARE(file.value("CLOSE_ASK").toString(), QString("true"));

    // The box starts as stored, and OK with it cleared asks again next time.
    UCDlgClose again;
    QVERIFY(again.cbDontAsk->isChecked());
    again.cbDontAsk->setChecked(false);
    again.pbOK->click();
    QSettings reread(CConfiguration::filePath(), QSettings::IniFormat);
    QCOMPARE(reread.value("CLOSE_ASK").toString(), QString("false"));
}

void TestMainWindowParts::busyIndicatorDrawsOnlyWhileRunning() {
    QProgressIndicator indicator;
    indicator.resize(28, 28);
    auto whitePixels = [&] {
        QImage image(indicator.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        indicator.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += qAlpha(image.pixel(x, y)) > 200 ? 1 : 0;
            }
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

void TestMainWindowParts::keepAwakeWithoutSessionBusDoesNothing() {
    QVERIFY(!QDBusConnection::sessionBus().isConnected());
    KeepAwake awake("test");
    QVERIFY(!awake.isActive());
}

void TestMainWindowParts::keepAwakeInhibitsWhileAlive() {
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
        {
            // A bus without the service: nothing is asked.
            KeepAwake awake(client, "test");
            QVERIFY(!awake.isActive());
        }

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

QTEST_MAIN(TestMainWindowParts)
#include "test_mainwindow_parts.moc"
