#include "app/CommandLine.h"

#include "app/UCDlgAbout.h"

namespace {

// QApplication's options that take a value, and those that do not.
const QStringList kQtValueOptions = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin",     "-style",
    "-stylesheet", "-session",          "-qwindowgeometry", "-qwindowtitle", "-qwindowicon",
    "-display",    "-geometry",         "-title",           "-name",         "-qmljsdebugger"};
const QStringList kQtFlagOptions = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

}  // namespace

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine result;
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnd && arg == "--") {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && arg.startsWith('-') && arg.size() > 1) {
            if (arg == "-h" || arg == "--help") {
                result.action = CommandLine::Help;
                return result;
            }
            if (arg == "-v" || arg == "--version") {
                result.action = CommandLine::Version;
                return result;
            }
            const QString name = arg.section('=', 0, 0);
            if (kQtFlagOptions.contains(name)) {
                continue;
            }
            if (kQtValueOptions.contains(name)) {
                if (!arg.contains('=')) {
                    ++i;  // its value
                }
                continue;
            }
            result.action = CommandLine::Error;
            result.error = QString("korvel: unknown option '%1'").arg(arg);
            return result;
        }
        if (!result.folder.isEmpty()) {
            result.action = CommandLine::Error;
            result.error = QString("korvel: one folder only ('%1' is one too many)").arg(arg);
            return result;
        }
        result.folder = arg;
    }
    return result;
}

QString commandLineUsage() {
    return QStringLiteral(
        "Usage: korvel [OPTION] [FOLDER]\n"
        "Plays the recordings of a vehicle black box's card.\n"
        "\n"
        "FOLDER is a day folder of a card (named yyyymmdd), which is opened and\n"
        "played, or a card's root folder, which is shown in the folder tree with\n"
        "its first day selected. Without FOLDER the last card and day are opened\n"
        "again, paused.\n"
        "\n"
        "  -h, --help     show this text and exit\n"
        "  -v, --version  show the version and exit\n"
        "\n"
        "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n"
        "Exit status: 0 when closed normally, 2 for a bad command line, -1 (255)\n"
        "when the login is cancelled.\n");
}

QString commandLineVersion() {
    return QString("korvel %1").arg(UCDlgAbout::kVersion);
}
