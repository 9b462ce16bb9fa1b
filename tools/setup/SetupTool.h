#pragma once

// korvel-setup: the recorder's setup on a card, read and changed from the
// command line with the setup editor's own fields (SetupModel.h), so that a
// fleet of cards can be set up by a script.
//
//   korvel-setup show CARD [KEY...]
//   korvel-setup set CARD KEY=VALUE...
//
// Threading: one call at a time per output stream; no shared state.

#include <QString>
#include <QStringList>

class QTextStream;

// Runs the command line `args` (without the program name). Returns the exit
// status: 0 done, 1 refused (usage, unknown key, value out of range, no setup
// file on the card; nothing written), 2 the card could not be written.
int runSetupTool(const QStringList& args, QTextStream& out, QTextStream& err);

// The --help text.
QString setupToolUsage();
