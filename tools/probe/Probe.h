#pragma once

// korvel-probe: looks into recording files and day folders with the viewer's
// own recording code and prints what it finds as JSON, one object per line.
// See usage() for the commands.
//
// Threading: run() uses its own readers and no global state; it may be called
// from any thread, also concurrently.

#include <ostream>
#include <string>
#include <vector>

namespace probe {

// Runs one command line (without the program name). JSON lines go to `out`.
// On failure one line "korvel-probe: <reason>" goes to `err` and the result
// is 1; otherwise 0.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The --help text.
std::string usage();

}  // namespace probe
