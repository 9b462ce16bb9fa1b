#pragma once

// korvel-export: the viewer's exports from the command line (see usage()).
//
// Threading: run() blocks its caller for the whole export; `cancel` may be set
// from any thread (a signal handler of the program sets it on SIGINT and
// SIGTERM). The evidence command needs a QGuiApplication to exist.

#include <atomic>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace exportcli {

enum class Command { Clip, Evidence, Gpx, Kml, Csv };

struct Options {
    Command command = Command::Clip;
    std::string dayFolder;
    std::int64_t fromMs = -1;
    std::int64_t toMs = -1;
    std::vector<int> channels;  // 0-based; empty = every channel of the day
    std::string out;
    std::optional<int> audioChannel;  // evidence: 0-based, -1 = none
    bool mph = false;
    std::string preset;
    int crf = -1;
    bool quiet = false;
    bool verbose = false;  // FFmpeg's and Qt's own messages on standard error
};

// Parses the command line without the program name. Sets *wantHelp (and
// returns true) for -h or --help; returns false with a one-line reason on bad
// input.
bool parse(const std::vector<std::string>& args, Options* options, bool* wantHelp,
           std::string* error);

// Runs a parsed command: the files written go to `out` one per line, progress
// and notes to `err` ("korvel-export: 42% (0:12 left)"), a failure as one line
// "korvel-export: <reason>". Returns 0 on success, 1 on failure, 130 when
// cancelled.
int run(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal,
        const std::atomic<bool>* cancel);

std::string usage();

}  // namespace exportcli
