// Configuration file, stored texts and style-sheet lookup.

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/StyleSheets.h"
#include "widgets/CConfiguration.h"
#include "widgets/StoredText.h"

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// key=value lines of an INI file, in file order, group headers left out.
QList<QPair<QString, QString>> iniLines(const QString& path) {
    QList<QPair<QString, QString>> lines;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return lines;
    }
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const int eq = line.indexOf('=');
        if (line.isEmpty() || line.startsWith('[') || eq < 0) {
            continue;
        }
        QString value = line.mid(eq + 1);
        // QSettings quotes values holding special characters such as '='.
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) {
            value = value.mid(1, value.size() - 2);
        }
        lines.append({line.left(eq), value});
    }
    return lines;
}

}  // namespace

class TestConfiguration : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstStartWritesEveryKeyOnce();
    void roundTripAndConversions();
    void dzoomSwitchesShareOneKey();
    void emptyCapturePathBecomesPictures();
    void p2pPasswordIsBase64();
    void storedTextDecoding_data();
    void storedTextDecoding();
    void styleSheetLookup();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestConfiguration::init() {
    // A fresh home per case: QSettings caches files by path within a process.
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", m_home->path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
}

void TestConfiguration::firstStartWritesEveryKeyOnce() {
    QCOMPARE(CConfiguration::filePath(), m_home->path() + "/korvl/korvel_config.ini");
    QVERIFY(!QFile::exists(CConfiguration::filePath()));

    CConfiguration config;
    config.load();
    config.save();

    const QString pictures =
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + "/Korvel";
    const QList<QPair<QString, QString>> expected = {
        {"CAPTUREPATH", pictures},
        {"FIRST_LOGIN", "true"},
        {"REMEMBER_ME", "false"},
        {"AUTO_LOGIN", "false"},
        {"EVENTRECVPORT", "8003"},
        {"ENABLEEVENTSERVER", "true"},
        {"PBSECONDBEFORE", "300"},
        {"SCREEN_RATIO", "0"},
        {"STREAM_TYPE", "2"},
        {"FONTSIZE", "0"},
        {"RECONNECT_INTERVAL", "3"},
        {"ENABLE_RECONNECT", "true"},
        {"P2P_SERVER_ADDRESS", CConfiguration::kDefaultP2PServer},
        {"P2P_SERVER_PORT", "0"},
        {"P2P_USER_ID", ""},
        {"P2P_USER_PASSWORD", ""},
        {"SHOW_TEXT_MODE", "true"},
        {"SHOW_TEXT_DZOOM", "true"},
        {"SHOW_TEXT_DATETIME", "true"},
        {"SHOW_TEXT_RESOLUTION", "true"},
        {"SHOW_TEXT_SITENAME", "true"},
        {"SHOW_TEXT_CHANNEL_TITLE", "true"},
        {"CLOSE_ASK", "false"},
        {"GLOBAL_RECORDING", "true"},
        {"RECORDING_WIDTH", "-1"},
        {"RECORDING_HEIGHT", "-1"},
        {"RECORDING_FPS", "10"},
        {"TOP_SPACE", "10"},
        {"BOTTOM_SPACE", "15"},
        {"RIGHT_SPACE", "20"},
        {"LEFT_SPACE", "20"},
        {"CELL_SPACE", "8"},
        {"SKIN", "0"},
        {"LANGUAGE", "0"},
        {"LAST_USER", "ozrec"},
    };
    const QList<QPair<QString, QString>> written = iniLines(CConfiguration::filePath());
    QCOMPARE(written.size(), expected.size());
    // QSettings writes the keys of a group sorted, so compare as sets; the size
    // check above makes every key occur exactly once.
    for (const auto& kv : expected) {
        QVERIFY2(written.contains(kv), qPrintable(kv.first + "=" + kv.second));
    }
    // It holds the P2P password: its owner's only.
    QCOMPARE(QFile::permissions(CConfiguration::filePath()) &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
}

void TestConfiguration::roundTripAndConversions() {
    CConfiguration a;
    a.load();
    a.setCapturePath("/pictures");
    a.setStreamType(1);
    a.setScreenRatio(2);
    a.setCloseAsk(true);
    a.setSkin(2);
    a.setTopSpace(4);
    a.setP2pServerAddress("relay.local");
    a.setP2pUserId("fleet");
    a.setLastUser("driver");
    a.setAppStyle("QWidget{}");  // never saved
    a.save();

    CConfiguration b;
    b.load();
    QCOMPARE(b.capturePath(), QString("/pictures"));
    QCOMPARE(b.streamType(), 1);
    QCOMPARE(b.screenRatio(), 2);
    QCOMPARE(b.closeAsk(), true);
    QCOMPARE(b.skin(), 2);
    QCOMPARE(b.topSpace(), 4);
    QCOMPARE(b.p2pServerAddress(), QString("relay.local"));
    QCOMPARE(b.p2pUserId(), QString("fleet"));
    QCOMPARE(b.lastUser(), QString("driver"));
    QVERIFY(b.appStyle().isEmpty());

    // Values of the wrong type convert as QVariant does; an empty server is
    // replaced by the default host; a second load starts again from defaults.
    writeFile(m_home->path() + "/other/korvl/korvel_config.ini",
              "[General]\nPBSECONDBEFORE=abc\nP2P_SERVER_ADDRESS=\nSKIN=1\n");
    qputenv("HOME", (m_home->path() + "/other").toLocal8Bit());
    b.load();
    QCOMPARE(b.pbSecondBefore(), 0);
    QCOMPARE(b.p2pServerAddress(), QString(CConfiguration::kDefaultP2PServer));
    QCOMPARE(b.skin(), 1);
    QCOMPARE(b.streamType(), 2);
    QCOMPARE(b.closeAsk(), false);
    QCOMPARE(b.lastUser(), QString("ozrec"));
}

void TestConfiguration::dzoomSwitchesShareOneKey() {
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

void TestConfiguration::emptyCapturePathBecomesPictures() {
    // The pictures folder follows XDG, not a fixed name.
    qputenv("XDG_CONFIG_HOME", (m_home->path() + "/.config").toLocal8Bit());
    writeFile(m_home->path() + "/.config/user-dirs.dirs",
              "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    writeFile(CConfiguration::filePath(), "[General]\nCAPTUREPATH=\nFONTSIZE=3\n");
    CConfiguration config;
    config.load();
    const QString pictures = m_home->path() + "/Bilder/Korvel";
    QCOMPARE(config.capturePath(), pictures);
    QCOMPARE(config.fontSize(), 3);
    config.save();
    QVERIFY(
        iniLines(CConfiguration::filePath()).contains(qMakePair(QString("CAPTUREPATH"), pictures)));

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

void TestConfiguration::p2pPasswordIsBase64() {
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
    QVERIFY(iniLines(CConfiguration::filePath())
                .contains(qMakePair(QString("P2P_USER_PASSWORD"), QString("cMOkc3MgdzByZA=="))));
    CConfiguration again;
    again.load();
    QCOMPARE(again.p2pUserPassword(), QString::fromUtf8("p\xc3\xa4ss w0rd"));
}

void TestConfiguration::storedTextDecoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("plain") << QByteArray(" user ") << QString(" user ");
    QTest::newRow("zero ends the text") << QByteArray("abc\0def", 7) << QString("abc");
    QTest::newRow("127 bytes kept") << QByteArray(127, 'x') << QString(127, 'x');
    QTest::newRow("cut at 127 bytes") << QByteArray(200, 'y') << QString(127, 'y');
    // 126 ASCII bytes, then a two-byte character across the limit: it is dropped
    // whole rather than left half.
    QTest::newRow("no half character")
        << QByteArray(126, 'z') + QByteArray("\xc3\xa9\xc3\xa9") << QString(126, 'z');
    QTest::newRow("multi-byte kept")
        << QByteArray("\xed\x95\x9c\xea\xb8\x80") << QString::fromUtf8("\xed\x95\x9c\xea\xb8\x80");
}

void TestConfiguration::storedTextDecoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString stored = QString::fromLatin1(bytes.toBase64());
    QCOMPARE(decodeStoredText(stored), expected);
    if (!bytes.contains('\0') && bytes.size() <= 127) {
        QCOMPARE(encodeStoredText(QString::fromUtf8(bytes)), stored);
    }
}

void TestConfiguration::styleSheetLookup() {
    const QString root = m_home->path();
    const QString appDir = root + "/tree/bin";
    QDir().mkpath(appDir);
    for (const char* name : {"style.css", "style_light.css", "monitor.css", "sitelist.css",
                             "style_screen_bottom_menu.css", "style_screen_menu.css"}) {
        writeFile(appDir + "/css/" + name, QByteArray("beside:") + name);
    }

    // Beside the program (build tree), chosen by skin; no gray skin there.
    CConfiguration config;
    QVERIFY(loadStyleSheets(appDir, config));
    QCOMPARE(config.appStyle(), QString("beside:style.css"));
    QCOMPARE(config.monitorStyle(), QString("beside:monitor.css"));
    QCOMPARE(config.siteListStyle(), QString("beside:sitelist.css"));
    QCOMPARE(config.screenBottomMenuStyle(), QString("beside:style_screen_bottom_menu.css"));
    QCOMPARE(config.screenMenuStyle(), QString("beside:style_screen_menu.css"));
    config.setSkin(1);
    QVERIFY(loadStyleSheets(appDir, config));
    QCOMPARE(config.appStyle(), QString("beside:style_light.css"));

    CConfiguration gray;
    gray.setSkin(2);
    QVERIFY(!loadStyleSheets(appDir, gray));
    QVERIFY(gray.appStyle().isEmpty());
    QVERIFY(gray.monitorStyle().isEmpty());

    // An installed tree (css/ above bin/) wins; a missing companion is empty.
    writeFile(root + "/tree/css/style.css", "above:style.css");
    writeFile(root + "/tree/css/style_gray.css", "above:style_gray.css");
    writeFile(root + "/tree/css/monitor.css", QByteArray("above:\xc3\xa9"));
    QVERIFY(loadStyleSheets(appDir, gray));
    QCOMPARE(gray.appStyle(), QString("above:style_gray.css"));
    QCOMPARE(gray.monitorStyle(), QString::fromUtf8("above:\xc3\xa9"));
    QVERIFY(gray.siteListStyle().isEmpty());
    gray.setSkin(9);
    QVERIFY(loadStyleSheets(appDir, gray));
    QCOMPARE(gray.appStyle(), QString("above:style.css"));

    // Installed with cmake --install: share/korvel/css beside bin/, looked
    // at only when neither place above holds a style.
    const QString prefix = root + "/prefix";
    writeFile(prefix + "/share/korvel/css/style.css", "share:style.css");
    writeFile(prefix + "/share/korvel/css/monitor.css", "share:monitor.css");
    QDir().mkpath(prefix + "/bin");
    CConfiguration installed;
    QVERIFY(loadStyleSheets(prefix + "/bin", installed));
    QCOMPARE(installed.appStyle(), QString("share:style.css"));
    QCOMPARE(installed.monitorStyle(), QString("share:monitor.css"));
    writeFile(prefix + "/bin/css/style.css", "beside:style.css");
    QVERIFY(loadStyleSheets(prefix + "/bin", installed));
    QCOMPARE(installed.appStyle(), QString("beside:style.css"));
}

QTEST_GUILESS_MAIN(TestConfiguration)
#include "test_configuration.moc"
