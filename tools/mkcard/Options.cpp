#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "MakeCard.h"

namespace mkcard {

namespace {

bool toInt(const std::string& text, long long lo, long long hi, long long* out) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) {
        return false;
    }
    *out = v;
    return true;
}

bool toInt(const std::string& text, int lo, int hi, int* out) {
    long long v = 0;
    if (!toInt(text, lo, hi, &v)) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

// "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS" or "YYYYMMDD-HHMMSS".
bool parseStart(const std::string& text, CivilTime* out) {
    CivilTime t;
    char sep = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &t.year, &t.month, &t.day, &sep,
                    &t.hour, &t.minute, &t.second, &used) == 7 &&
        (sep == ' ' || sep == 'T') && used == static_cast<int>(text.size())) {
        *out = t;
        return true;
    }
    used = 0;
    if (text.size() == 15 &&
        std::sscanf(text.c_str(), "%4d%2d%2d-%2d%2d%2d%n", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &used) == 6 &&
        used == 15) {
        *out = t;
        return true;
    }
    return false;
}

bool parseFault(const std::string& text, Fault* out) {
    static const struct {
        const char* name;
        FaultKind kind;
    } kKinds[] = {
        {"no-index", FaultKind::NoIndex},
        {"truncated-index", FaultKind::TruncatedIndex},
        {"no-iframe-table", FaultKind::NoIFrameTable},
        {"truncated-last-packet", FaultKind::TruncatedLastPacket},
        {"invalid-start-date", FaultKind::InvalidStartDate},
        {"bad-names", FaultKind::BadNames},
    };
    const size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    Fault f;
    bool known = false;
    for (const auto& k : kKinds) {
        if (name == k.name) {
            f.kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        return false;
    }
    if (colon != std::string::npos) {
        const std::string rest = text.substr(colon + 1);
        const size_t colon2 = rest.find(':');
        const std::string ch = rest.substr(0, colon2);
        if (ch != "*" && !toInt(ch, 0, 31, &f.channel)) {
            return false;
        }
        if (colon2 != std::string::npos) {
            const std::string file = rest.substr(colon2 + 1);
            if (file != "*" && !toInt(file, 0, 100000, &f.file)) {
                return false;
            }
        }
    }
    *out = f;
    return true;
}

}  // namespace

std::string cardUsage() {
    return "Usage: korvel-mkcard --out DIR [options]\n"
           "Writes a demo card of the black box: DVRSETUP.INI, day folders with\n"
           "recordings (.ssf) and index files (.idx), hourly G-sensor logs.\n"
           "\n"
           "  -o, --out DIR              output folder (created when missing)\n"
           "  --start DATETIME           first recording's start, \"YYYY-MM-DD HH:MM:SS\",\n"
           "                             \"YYYY-MM-DDTHH:MM:SS\" or YYYYMMDD-HHMMSS\n"
           "                             (default 2026-03-01 12:00:00)\n"
           "  --files N                  recordings per channel (default 3)\n"
           "  --minutes-per-file M       length of a recording in minutes, fractions\n"
           "                             allowed, rounded to whole seconds (default 1)\n"
           "  --seconds-per-file S       length of a recording in seconds (1-3599)\n"
           "  --channels N               camera channels, 1-32 (default 4)\n"
           "  --size WxH                 picture size, even numbers (default 640x360)\n"
           "  --fps N                    frame rate, 1-60 (default 15)\n"
           "  --audio CODING             ulaw, alaw, adpcm or none (default ulaw)\n"
           "  --seed N                   seed of GPS route and G-sensor values (default 1);\n"
           "                             the same options always give the same bytes\n"
           "  --vehicle TEXT             vehicle number, UTF-8 (default 서울12가3456)\n"
           "  --title TEXT               camera title in the setup files, UTF-8; repeat\n"
           "                             for CH1, CH2, ... (default CH<n>)\n"
           "  --model-ini                also write ZD-3100.INI, the setup for the recorder\n"
           "                             to take over: DVRSETUP.INI's keys without its\n"
           "                             [INFORMATION] section\n"
           "  --model-set KEY=VALUE      set KEY (SECTION/NAME or NAME) in ZD-3100.INI;\n"
           "                             repeatable; implies --model-ini\n"
           "  --jobs N                   worker threads, 0 = one per core (default 0)\n"
           "  --fault KIND[:CH[:FILE]]   damage recordings of channel CH, file FILE (both\n"
           "                             0-based; omitted or * = all); repeatable. KIND:\n"
           "      no-index               no .idx file\n"
           "      truncated-index        .idx ends 8 bytes into its last entry\n"
           "      no-iframe-table        no I-frame table (offset 0 in the header)\n"
           "      truncated-last-packet  no I-frame table, file ends halfway through\n"
           "                             its last packet (as after a power loss)\n"
           "      invalid-start-date     start date 0000-00-00 in the file header\n"
           "      bad-names              adds files and a folder a scan must pass over:\n"
           "                             ab3456000.ssf, <hhmmss>990.ssf (channel 99),\n"
           "                             <hhmmss>009.ssf (300 bytes), folder YYYY-MM\n"
           "  -h, --help                 this text\n"
           "\n"
           "Setup values are written exactly as given (plain text, no quoting); camera\n"
           "keys are numbered from 0 (TITLE_0 is CH1).\n"
           "Names: <yyyymmdd>/<hhmmss><CC>0.ssf with CC the channel 00-31, and the same\n"
           "with .idx; logs/<yyyymmdd>m/<HH>.mlog. Exit status 0 on success, 1 on a bad\n"
           "option, 2 when the card cannot be written.\n";
}

bool parseCardOptions(const std::vector<std::string>& args, CardOptions* options, bool* wantHelp,
                      std::string* error) {
    *wantHelp = false;
    CardOptions o = *options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (name == "-h" || name == "--help") {
            *wantHelp = true;
            return true;
        }
        auto needValue = [&]() {
            if (hasValue) {
                return true;
            }
            if (i + 1 >= args.size()) {
                *error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto bad = [&]() {
            *error = "bad value for " + name + ": " + value;
            return false;
        };
        if (name == "-o" || name == "--out") {
            if (!needValue()) {
                return false;
            }
            if (value.empty()) {
                return bad();
            }
            o.outDir = value;
        } else if (name == "--start") {
            if (!needValue()) {
                return false;
            }
            if (!parseStart(value, &o.start)) {
                return bad();
            }
        } else if (name == "--files") {
            if (!needValue() || (!toInt(value, 1, 100000, &o.filesPerChannel) && !bad())) {
                return false;
            }
        } else if (name == "--seconds-per-file") {
            if (!needValue() || (!toInt(value, 1, 3599, &o.secondsPerFile) && !bad())) {
                return false;
            }
        } else if (name == "--minutes-per-file") {
            if (!needValue()) {
                return false;
            }
            char* end = nullptr;
            const double m = std::strtod(value.c_str(), &end);
            const double seconds = std::round(m * 60.0);
            if (value.empty() || *end != '\0' || !(seconds >= 1 && seconds <= 3599)) {
                return bad();
            }
            o.secondsPerFile = static_cast<int>(seconds);
        } else if (name == "--channels") {
            if (!needValue() || (!toInt(value, 1, 32, &o.channels) && !bad())) {
                return false;
            }
        } else if (name == "--size") {
            if (!needValue()) {
                return false;
            }
            const size_t x = value.find('x');
            if (x == std::string::npos || !toInt(value.substr(0, x), 64, 4096, &o.width) ||
                !toInt(value.substr(x + 1), 48, 2304, &o.height) || o.width % 2 != 0 ||
                o.height % 2 != 0) {
                return bad();
            }
        } else if (name == "--fps") {
            if (!needValue() || (!toInt(value, 1, 60, &o.fps) && !bad())) {
                return false;
            }
        } else if (name == "--audio") {
            if (!needValue()) {
                return false;
            }
            if (value == "ulaw") {
                o.audio = AudioCoding::Ulaw;
            } else if (value == "alaw") {
                o.audio = AudioCoding::Alaw;
            } else if (value == "adpcm") {
                o.audio = AudioCoding::Adpcm;
            } else if (value == "none") {
                o.audio = AudioCoding::None;
            } else {
                return bad();
            }
        } else if (name == "--seed") {
            long long seed = 0;
            if (!needValue()) {
                return false;
            }
            if (!toInt(value, 0, 0x7FFFFFFFFFFFFFFFll, &seed)) {
                return bad();
            }
            o.seed = static_cast<uint64_t>(seed);
        } else if (name == "--vehicle") {
            if (!needValue()) {
                return false;
            }
            o.vehicleNumber = value;
        } else if (name == "--title") {
            if (!needValue()) {
                return false;
            }
            o.titles.push_back(value);
        } else if (name == "--model-ini") {
            o.modelIni = true;
        } else if (name == "--model-set") {
            if (!needValue()) {
                return false;
            }
            const size_t eq = value.find('=');
            if (eq == std::string::npos || eq == 0) {
                return bad();
            }
            o.modelIni = true;
            o.modelSettings.push_back({value.substr(0, eq), value.substr(eq + 1)});
        } else if (name == "--jobs") {
            if (!needValue() || (!toInt(value, 0, 256, &o.jobs) && !bad())) {
                return false;
            }
        } else if (name == "--fault") {
            Fault f;
            if (!needValue()) {
                return false;
            }
            if (!parseFault(value, &f)) {
                return bad();
            }
            o.faults.push_back(f);
        } else {
            *error = "unknown option: " + args[i];
            return false;
        }
    }
    if (!validateOptions(o, error)) {
        return false;
    }
    *options = o;
    return true;
}

}  // namespace mkcard
