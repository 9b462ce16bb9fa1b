// korvel-export: the viewer's clip, evidence and track exports on the command
// line (see ExportCli.h).

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QtGlobal>

extern "C" {
#include <libavutil/log.h>
}

#include "ExportCli.h"

namespace {

// Set by SIGINT and SIGTERM: the export stops and removes its unfinished
// files.
std::atomic<bool> g_interrupted{false};

void onSignal(int) {
    g_interrupted.store(true);
}

void quietQt(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    exportcli::Options options;
    bool wantHelp = false;
    std::string error;
    if (!exportcli::parse(args, &options, &wantHelp, &error)) {
        std::cerr << "korvel-export: " << error << "\n";
        return 1;
    }
    if (wantHelp) {
        std::cout << exportcli::usage();
        return 0;
    }
    // libx264 and the muxer report every file's statistics otherwise.
    av_log_set_level(options.verbose ? AV_LOG_INFO : AV_LOG_QUIET);
    if (!options.verbose) {
        qInstallMessageHandler(quietQt);
    }
    std::unique_ptr<QGuiApplication> app;
    if (options.command == exportcli::Command::Evidence) {
        // The burned-in text is drawn with QtGui, which needs its application
        // object but no display.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int qtArgc = 1;
        static char name[] = "korvel-export";
        static char* qtArgv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
    }
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return exportcli::run(options, std::cout, std::cerr, isatty(STDERR_FILENO) != 0,
                          &g_interrupted);
}
