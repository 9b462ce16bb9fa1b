// Start-up: command line, messages, language, font, style sheets, login, main
// window.
//
//   korvel [--help] [--version] [FOLDER]
//
// The command line is read before anything else, so --help and --version
// need no display. FOLDER, when given, is opened at once: a day folder
// (yyyymmdd) as if it had been double-clicked in the folder tree, any other
// folder (a card root) as the tree's root with its first day folder selected.
// Without it the window comes back where it was, with the last card and day
// opened and paused.

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QSettings>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <memory>

#include <unistd.h>

#include "app/CommandLine.h"
#include "app/Korvel.h"
#include "app/LoginFlow.h"
#include "app/StyleSheets.h"
#include "core/Trace.h"
#include "widgets/CConfiguration.h"

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i) {
        rawArgs << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine commandLine = parseCommandLine(rawArgs);
    switch (commandLine.action) {
        case CommandLine::Help:
            std::fputs(commandLineUsage().toLocal8Bit().constData(), stdout);
            return 0;
        case CommandLine::Version:
            std::printf("%s\n", commandLineVersion().toLocal8Bit().constData());
            return 0;
        case CommandLine::Error:
            std::fprintf(stderr, "%s\n%s", commandLine.error.toLocal8Bit().constData(),
                         commandLineUsage().toLocal8Bit().constData());
            return 2;
        case CommandLine::Run:
            break;
    }

    qSetMessagePattern("%{file}::%{function}(%{line}): %{message}");
    // FFmpeg reports every damaged picture of a worn card and the encoder's
    // statistics of every export on standard error, which a desktop session
    // sends to the system journal: only while tracing.
    av_log_set_level(korvel::traceEnabled() ? AV_LOG_INFO : AV_LOG_FATAL);
    // The map's web engine shares GL contexts with the video views.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The web engine's sandbox refuses to start as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QApplication app(argc, argv);
    // Desktops match the window to korvel.desktop and its icon.
    QGuiApplication::setDesktopFileName("korvel");
    QApplication::setWindowIcon(QIcon(":/Korvel/images/korvel.png"));

    QTranslator translator;
    QString language = ":/Language/korvel_len_en.qm";
    switch (QLocale::system().language()) {
        case QLocale::Korean:
            language = ":/Language/korvel_len_ko.qm";
            break;
        case QLocale::Japanese:
            language = ":/Language/korvel_len_ja.qm";
            break;
        default:
            break;
    }
    if (!translator.load(language) && !translator.load(":/Language/korvel_len_en.qm")) {
        qWarning("no translation could be loaded; showing the source texts");
    }
    QApplication::installTranslator(&translator);

    // Tahoma where it exists; fontconfig substitutes a close sans face elsewhere.
    QFont font("Tahoma");
    font.setPixelSize(10);
    font.setWeight(50);
    QApplication::setFont(font);

    // The skin is the configuration's initial value here: the file is read when
    // the main window is built.
    loadStyleSheets(QCoreApplication::applicationDirPath(), g_config);

    QSettings store("QUENDRA", "Korvel");
    if (!runLogin(store)) {
        return -1;
    }

    auto window = std::make_unique<Korvel>();
    window->setFont(font);
    window->setStyleSheet(g_config.appStyle());
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    window->restoreGeometryState();
    window->show();
    if (!commandLine.folder.isEmpty()) {
        window->openStartFolder(commandLine.folder);
    } else {
        window->restoreSession();
    }
    const int exitCode = app.exec();
    window.reset();
    return exitCode;
}
