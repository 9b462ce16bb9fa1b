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
    CConfiguration config;
    config.load();
    config.setAppStyle("QWidget{}");  // never saved
    config.save();

    const QList<QPair<QString, QString>> written = iniLines(CConfiguration::filePath());
    QStringList keys;
    for (const auto& kv : written) {
        QVERIFY2(!keys.contains(kv.first), qPrintable(kv.first));
        keys << kv.first;
    }
    QVERIFY(written.contains(qMakePair(QString("FIRST_LOGIN"), QString("true"))));
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
    writeFile(m_home->path() + "/other/korvl/korvel_config.ini",
              "[General]\nPBSECONDBEFORE=abc\nP2P_SERVER_ADDRESS=\nSKIN=1\n");
    qputenv("HOME", (m_home->path() + "/other").toLocal8Bit());
    config.load();
    QCOMPARE(config.pbSecondBefore(), 0);
    QCOMPARE(config.p2pServerAddress(), QString(CConfiguration::kDefaultP2PServer));
    QCOMPARE(config.skin(), 1);
    QCOMPARE(config.streamType(), 2);
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
    QTest::newRow("plain") << QByteArray(" user ") << QString(" user ");
    QTest::newRow("zero ends the text") << QByteArray("abc\0def", 7) << QString("abc");
    QTest::newRow("cut at 127 bytes") << QByteArray(200, 'y') << QString(127, 'y');
    // 126 ASCII bytes, then a two-byte character across the limit: it is dropped
    // whole rather than left half.
    QTest::newRow("no half character")
        << QByteArray(126, 'z') + QByteArray("\xc3\xa9\xc3\xa9") << QString(126, 'z');
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
