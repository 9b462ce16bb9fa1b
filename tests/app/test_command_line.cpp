// korvel's command line: --help and --version answer without a window (and
// without a display), a bad option fails with exit status 2, and Qt's own
// options pass through to QApplication.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "app/CommandLine.h"

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionNeedNoWindow();
    void badCommandLinesExitWithTwo();
    void qtOptionsAndFolders();

private:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    static Run korvel(const QStringList& args);
};

TestCommandLine::Run TestCommandLine::korvel(const QStringList& args) {
    QProcess process;
    // No display at all: a window would not even start.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.start(KORVEL_PROGRAM, args);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

void TestCommandLine::helpAndVersionNeedNoWindow() {
    for (const char* option : {"--help", "-h"}) {
        const Run help = korvel({option});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("Usage: korvel [OPTION] [FOLDER]\n"));
        QVERIFY(help.out.contains("--version"));
        QCOMPARE(help.err, QString());
    }
    const Run version = korvel({"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QString("korvel 1.0.0.8\n"));
    QCOMPARE(version.err, QString());
}

void TestCommandLine::badCommandLinesExitWithTwo() {
    const Run bad = korvel({"--bogus", "/tmp"});
    QCOMPARE(bad.exitCode, 2);
    QCOMPARE(bad.out, QString());
    QCOMPARE(bad.err.section('\n', 0, 0), QString("korvel: unknown option '--bogus'"));
    QVERIFY(bad.err.section('\n', 1).startsWith("Usage: korvel"));
    const Run two = korvel({"/tmp/a", "/tmp/b"});
    QCOMPARE(two.exitCode, 2);
    QVERIFY(two.err.startsWith("korvel: one folder only"));
}

void TestCommandLine::qtOptionsAndFolders() {
    CommandLine c = parseCommandLine({"-platform", "offscreen", "-style=fusion", "/media/card"});
    QCOMPARE(c.action, CommandLine::Run);
    QCOMPARE(c.folder, QString("/media/card"));
    c = parseCommandLine({"-reverse"});
    QCOMPARE(c.action, CommandLine::Run);
    QVERIFY(c.folder.isEmpty());
    // After "--" even a name that starts with "-" is a folder.
    c = parseCommandLine({"--", "-odd name"});
    QCOMPARE(c.action, CommandLine::Run);
    QCOMPARE(c.folder, QString("-odd name"));
    // --help wins wherever it stands; the first bad option is named.
    QCOMPARE(parseCommandLine({"/card", "--help"}).action, CommandLine::Help);
    c = parseCommandLine({"-x", "--version"});
    QCOMPARE(c.action, CommandLine::Error);
    QVERIFY(c.error.contains("'-x'"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
