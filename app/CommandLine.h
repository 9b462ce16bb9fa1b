#pragma once

// The command line of korvel, read before any window (or display) exists:
//
//   korvel [--help] [--version] [FOLDER]
//
// Qt's own options (-platform NAME, -style NAME, -reverse, ...) are left for
// QApplication. Anything else that starts with "-" is an unknown option.
//
// Threading: plain functions on values.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    // Run: the folder named, empty when none was.
    QString folder;
    // Error: one line saying what was wrong.
    QString error;
};

// `args` without the program name.
CommandLine parseCommandLine(const QStringList& args);

// The --help text (ends with a line end).
QString commandLineUsage();
// "korvel <version>".
QString commandLineVersion();
