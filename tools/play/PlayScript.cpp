#include "PlayScript.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace play {

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

// A whole decimal number in [low, high].
bool toInt(const std::string& text, long low, long high, int* out) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool validDate(int date) {
    const int month = date / 100 % 100;
    const int day = date % 100;
    return date / 10000 >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool validTime(int time) {
    return time / 10000 <= 23 && time / 100 % 100 <= 59 && time % 100 <= 59;
}

// "0x..." or decimal, or a comma list of channels ("0,1,5").
bool parseMask(const std::string& text, std::uint32_t* out) {
    if (text.empty()) {
        return false;
    }
    if (text.find(',') != std::string::npos) {
        std::uint32_t mask = 0;
        std::stringstream list(text);
        std::string item;
        while (std::getline(list, item, ',')) {
            int channel = 0;
            if (!toInt(trim(item), 0, 31, &channel)) {
                return false;
            }
            mask |= std::uint32_t{1} << channel;
        }
        *out = mask;
        return mask != 0;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value == 0 || value > 0xFFFFFFFFull ||
        text[0] == '-') {
        return false;
    }
    *out = static_cast<std::uint32_t>(value);
    return true;
}

bool parseCommand(const std::string& raw, Command* out, std::string* error) {
    std::stringstream words(raw);
    std::vector<std::string> w;
    for (std::string word; words >> word;) {
        w.push_back(word);
    }
    Command c;
    c.text = trim(raw);
    const std::string& name = w[0];
    const auto args = [&](std::size_t n) {
        if (w.size() != n + 1) {
            *error = "command \"" + c.text + "\" takes " + std::to_string(n) + " argument" +
                     (n == 1 ? "" : "s");
            return false;
        }
        return true;
    };
    const auto bad = [&](const std::string& what) {
        *error = "command \"" + c.text + "\": " + what;
        return false;
    };
    if (name == "play" || name == "reverse" || name == "pause" || name == "first" ||
        name == "last" || name == "step" || name == "stepback" || name == "time") {
        if (!args(0)) {
            return false;
        }
        c.op = name == "play"       ? Op::Play
               : name == "reverse"  ? Op::Reverse
               : name == "pause"    ? Op::Pause
               : name == "first"    ? Op::First
               : name == "last"     ? Op::Last
               : name == "step"     ? Op::Step
               : name == "stepback" ? Op::StepBack
                                    : Op::Time;
    } else if (name == "speed") {
        if (!args(1)) {
            return false;
        }
        c.op = Op::Speed;
        if (!toInt(w[1], 0, 14, &c.a)) {
            return bad("speed index 0 to 14 expected");
        }
    } else if (name == "wait") {
        if (!args(1)) {
            return false;
        }
        c.op = Op::Wait;
        if (!toInt(w[1], 0, 3600000, &c.a)) {
            return bad("milliseconds 0 to 3600000 expected");
        }
    } else if (name == "goto") {
        if (!args(2)) {
            return false;
        }
        c.op = Op::Goto;
        if (!toInt(w[1], 0, 99991231, &c.a) || !validDate(c.a)) {
            return bad("date yyyymmdd expected");
        }
        if (!toInt(w[2], 0, 235959, &c.b) || !validTime(c.b)) {
            return bad("time hhmmss expected");
        }
    } else if (name == "remove" || name == "add") {
        if (!args(1)) {
            return false;
        }
        c.op = name == "remove" ? Op::Remove : Op::Add;
        if (!toInt(w[1], 0, 31, &c.a)) {
            return bad("channel 0 to 31 expected");
        }
    } else if (name == "stream") {
        if (!args(2)) {
            return false;
        }
        c.op = Op::Stream;
        if (!toInt(w[1], 0, 2, &c.a)) {
            return bad("stream type 0 to 2 expected");
        }
        if (!toInt(w[2], 0, 31, &c.b)) {
            return bad("channel 0 to 31 expected");
        }
    } else {
        *error = "unknown command \"" + name + "\"";
        return false;
    }
    *out = c;
    return true;
}

}  // namespace

bool parseScript(const std::string& text, std::vector<Command>* out, std::string* error) {
    std::vector<Command> script;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ';')) {
        if (trim(part).empty()) {
            continue;
        }
        Command c;
        if (!parseCommand(part, &c, error)) {
            return false;
        }
        script.push_back(c);
    }
    *out = std::move(script);
    return true;
}

bool parseOptions(const std::vector<std::string>& args, Options* out, bool* wantHelp,
                  std::string* error) {
    Options o;
    bool haveScript = false;
    *wantHelp = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string* v) {
            if (i + 1 >= args.size()) {
                *error = "option " + arg + " needs a value";
                return false;
            }
            *v = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            *wantHelp = true;
            return true;
        } else if (arg == "--channels") {
            if (!value(&v)) {
                return false;
            }
            if (!parseMask(v, &o.channelMask)) {
                *error = "bad channel mask \"" + v + "\" (0x0F, 15 or 0,1,2,3)";
                return false;
            }
        } else if (arg == "--pacing") {
            if (!value(&v)) {
                return false;
            }
            if (v != "on" && v != "off") {
                *error = "--pacing takes on or off";
                return false;
            }
            o.pacing = v == "on";
        } else if (arg == "--start") {
            if (!value(&v)) {
                return false;
            }
            std::stringstream words(v);
            std::string date, time, extra;
            words >> date >> time;
            if (!toInt(date, 0, 99991231, &o.startDate) || !validDate(o.startDate) ||
                !toInt(time, 0, 235959, &o.startTime) || !validTime(o.startTime) ||
                (words >> extra)) {
                *error = "--start takes \"yyyymmdd hhmmss\"";
                return false;
            }
        } else if (arg == "--script") {
            if (!value(&v)) {
                return false;
            }
            if (!parseScript(v, &o.script, error)) {
                return false;
            }
            haveScript = true;
        } else if (arg == "--events") {
            o.events = true;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (!arg.empty() && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else if (o.folder.empty()) {
            o.folder = arg;
        } else {
            *error = "more than one folder given";
            return false;
        }
    }
    if (o.folder.empty()) {
        *error = "no day folder given (korvel-play --help)";
        return false;
    }
    if (!haveScript) {
        parseScript("play;wait 5000", &o.script, error);
    }
    *out = std::move(o);
    return true;
}

std::string usage() {
    return R"(Usage: korvel-play [options] DAY_FOLDER

Plays the recordings of a day folder (yyyymmdd) without a display, runs a
script of playback commands and reports what every channel delivered as JSON
lines on standard output.

Options:
  --channels MASK     channels to open: a mask (0x0F, 15) or a list (0,1,2,3);
                      default 0xFF (channels 0 to 7)
  --pacing on|off     pace pictures against the presentation clock (default on);
                      off delivers every picture as fast as it decodes
  --start "D T"       start at yyyymmdd hhmmss instead of the first recording
  --script "CMDS"     commands separated by ';' (default "play;wait 5000")
  --events            one JSON line per picture and audio block
  --verbose           the engine's diagnostic lines on standard output too
  -h, --help          this text

Commands:
  play | reverse | pause       forward at normal speed, backward at -1, still
  speed N                      speed index 0..14 (-64 -32 -16 -8 -4 -2 -1 0
                               1 2 4 8 16 32 64; 8 is normal forward)
  goto YYYYMMDD HHMMSS         jump to a date and time
  first | last                 jump to the first / last recording
  step | stepback              single step forward / backward
  wait MS                      let the site play for MS milliseconds
  remove C | add C             close / open channel C
  stream T C                   stream type T (0 automatic, 1, 2) of channel C
  time                         report the current play time

Output (one JSON object per line):
  {"event":"open",...}                         the site was opened
  {"event":"command","command":"speed 12",...} after each command: elapsed
                                               ms, play mode, speed index and
                                               current play time
  {"event":"picture","channel":0,"date":20260301,"time":120005,"ms":1234}
  {"event":"audio","channel":0,"bytes":1600,"rate":8000,"ms":1240}
                                               with --events only
  {"summary":"channel","channel":0,"pictures":N,"audio_blocks":M,
   "first":"20260301 120000","last":"20260301 120007"}
  {"summary":"total","pictures":N,"audio_blocks":M,"commands":K,
   "elapsed_ms":E,"close_ms":C}

DAY_FOLDER may be relative ("20260301", "./20260301/"); times may leave out
the leading zero (goto 20260301 90000).

Exit status: 0 after the script ran, 1 on bad input or a folder that is not
a day folder (one line on standard error).
)";
}

}  // namespace play
