#include "ExportCli.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "export/ClipExport.h"
#include "export/EvidenceExport.h"
#include "export/TrackExport.h"

namespace exportcli {

namespace {

bool toInt(const std::string& text, int lo, int hi, int* out) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

// "1,2,4" or "1-4" or a mix: channel numbers as the viewer shows them (CH1 =
// channel 0).
bool parseChannels(const std::string& text, std::vector<int>* out) {
    std::vector<int> channels;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = text.find(',', at);
        const std::string part =
            text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        const std::size_t dash = part.find('-');
        int a = 0;
        int b = 0;
        if (dash == std::string::npos) {
            if (!toInt(part, 1, 32, &a)) {
                return false;
            }
            b = a;
        } else if (!toInt(part.substr(0, dash), 1, 32, &a) ||
                   !toInt(part.substr(dash + 1), 1, 32, &b) || b < a) {
            return false;
        }
        for (int c = a; c <= b; ++c) {
            channels.push_back(c - 1);
        }
        if (comma == std::string::npos) {
            break;
        }
        at = comma + 1;
    }
    *out = channels;
    return !channels.empty();
}

}  // namespace

std::string usage() {
    return "Usage: korvel-export COMMAND DAYFOLDER --from HHMMSS --to HHMMSS\n"
           "                     [--channels LIST] --out PATH [options]\n"
           "Exports a stretch of a day folder of the black box's recordings.\n"
           "\n"
           "Commands:\n"
           "  clip       one MP4 per channel into the folder PATH (created when missing):\n"
           "             the recorded H.264 pictures as they are, the audio as AAC\n"
           "  evidence   one MP4 file PATH: the channels in a grid (1, 2x2 or 3x3) at\n"
           "             1920x1080, date, time, speed, GPS position and vehicle number\n"
           "             burned in, re-encoded with libx264, one channel's audio\n"
           "  gpx        the GPS track as GPX 1.1 into the file PATH\n"
           "  kml        the GPS track as KML into the file PATH\n"
           "  csv        the GPS fixes with speed and G-sensor values as CSV into PATH\n"
           "\n"
           "  --from HHMMSS, --to HHMMSS   the range, recorder's clock (also HH:MM:SS;\n"
           "                               240000 is the end of the day)\n"
           "  --channels LIST   channels as numbered in the viewer, \"1,2,4\" or \"1-4\"\n"
           "                    (default: every channel of the day; evidence: at most 9)\n"
           "  --out PATH        output folder (clip) or file (the others)\n"
           "  --audio N|none    evidence: the channel whose audio goes along (default:\n"
           "                    the first of --channels)\n"
           "  --mph             evidence: speed in mph instead of km/h\n"
           "  --preset NAME     evidence: libx264 preset (default veryfast)\n"
           "  --crf N           evidence: libx264 quality, 0-51 (default 21)\n"
           "  --quiet           no progress on standard error\n"
           "  --verbose         FFmpeg's own messages on standard error\n"
           "  -h, --help        this text\n"
           "\n"
           "Progress goes to standard error, the files written to standard output.\n"
           "Exit status 0 on success, 1 on bad input or a failed export (one line on\n"
           "standard error), 130 when interrupted; an unfinished export leaves no file.\n";
}

bool parse(const std::vector<std::string>& args, Options* options, bool* wantHelp,
           std::string* error) {
    *wantHelp = false;
    Options o;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const std::size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto take = [&](std::string* v) {
            if (hasValue) {
                *v = value;
                return true;
            }
            if (i + 1 >= args.size()) {
                *error = name + " needs a value";
                return false;
            }
            *v = args[++i];
            return true;
        };
        if (name == "-h" || name == "--help") {
            *wantHelp = true;
            return true;
        }
        std::string v;
        if (name == "--from" || name == "--to") {
            if (!take(&v)) {
                return false;
            }
            std::int64_t ms = 0;
            if (!exporting::parseClockTime(v, &ms)) {
                *error = name + " takes a time HHMMSS, not \"" + v + "\"";
                return false;
            }
            (name == "--from" ? o.fromMs : o.toMs) = ms;
        } else if (name == "--channels") {
            if (!take(&v)) {
                return false;
            }
            if (!parseChannels(v, &o.channels)) {
                *error = "--channels takes channel numbers 1-32 like 1,2,4 or 1-4, not \"" + v +
                         "\"";
                return false;
            }
        } else if (name == "--out" || name == "-o") {
            if (!take(&o.out)) {
                return false;
            }
        } else if (name == "--audio") {
            if (!take(&v)) {
                return false;
            }
            int c = 0;
            if (v == "none") {
                o.audioChannel = -1;
            } else if (toInt(v, 1, 32, &c)) {
                o.audioChannel = c - 1;
            } else {
                *error = "--audio takes a channel number 1-32 or none, not \"" + v + "\"";
                return false;
            }
        } else if (name == "--mph" && !hasValue) {
            o.mph = true;
        } else if (name == "--quiet" && !hasValue) {
            o.quiet = true;
        } else if (name == "--verbose" && !hasValue) {
            o.verbose = true;
        } else if (name == "--preset") {
            if (!take(&o.preset)) {
                return false;
            }
        } else if (name == "--crf") {
            if (!take(&v)) {
                return false;
            }
            if (!toInt(v, 0, 51, &o.crf)) {
                *error = "--crf takes a number 0-51, not \"" + v + "\"";
                return false;
            }
        } else if (name.size() > 1 && name[0] == '-') {
            *error = "unknown option " + name;
            return false;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        *error = positional.empty() ? "no command given (see --help)"
                                    : "expected COMMAND DAYFOLDER (see --help)";
        return false;
    }
    const std::string& command = positional[0];
    if (command == "clip") {
        o.command = Command::Clip;
    } else if (command == "evidence") {
        o.command = Command::Evidence;
    } else if (command == "gpx") {
        o.command = Command::Gpx;
    } else if (command == "kml") {
        o.command = Command::Kml;
    } else if (command == "csv") {
        o.command = Command::Csv;
    } else {
        *error = "unknown command \"" + command + "\" (clip, evidence, gpx, kml or csv)";
        return false;
    }
    o.dayFolder = positional[1];
    if (o.fromMs < 0 || o.toMs < 0) {
        *error = "--from and --to are required";
        return false;
    }
    if (o.toMs <= o.fromMs) {
        *error = "--to must come after --from";
        return false;
    }
    if (o.out.empty()) {
        *error = "--out is required";
        return false;
    }
    *options = o;
    return true;
}

int run(const Options& o, std::ostream& out, std::ostream& err, bool errIsTerminal,
        const std::atomic<bool>* cancel) {
    exporting::ExportControl control;
    control.cancel = cancel;
    exporting::TimeLeft clock;
    int lastTenth = -1;
    if (!o.quiet) {
        control.progress = [&](double fraction) {
            const int percent = static_cast<int>(std::floor(fraction * 100.0));
            const std::string left = exporting::TimeLeft::format(clock.secondsLeft(fraction));
            if (errIsTerminal) {
                err << "\rkorvel-export: " << percent << "%"
                    << (left.empty() ? std::string("          ") : " (" + left + " left)  ")
                    << std::flush;
            } else if (percent / 10 != lastTenth) {
                lastTenth = percent / 10;
                err << "korvel-export: " << percent << "%"
                    << (left.empty() ? std::string() : " (" + left + " left)") << "\n"
                    << std::flush;
            }
        };
    }
    exporting::ExportRange range{o.dayFolder, o.fromMs, o.toMs, o.channels};
    exporting::ExportResult result;
    switch (o.command) {
        case Command::Clip: {
            std::error_code ec;
            const bool made = std::filesystem::create_directories(o.out, ec);
            exporting::ClipRequest request{range, o.out};
            result = exporting::exportClips(request, control);
            if (made && !result.ok()) {
                std::filesystem::remove(o.out, ec);  // only when still empty
            }
            break;
        }
        case Command::Evidence: {
            exporting::EvidenceRequest request;
            request.range = range;
            request.outPath = o.out;
            request.audioChannel = o.audioChannel;
            request.mph = o.mph;
            if (!o.preset.empty()) {
                request.x264Preset = o.preset;
            }
            if (o.crf >= 0) {
                request.crf = o.crf;
            }
            result = exporting::exportEvidence(request, control);
            break;
        }
        case Command::Gpx:
        case Command::Kml:
        case Command::Csv: {
            exporting::TrackRequest request;
            request.range = range;
            request.outPath = o.out;
            request.format = o.command == Command::Gpx   ? exporting::TrackFormat::Gpx
                             : o.command == Command::Kml ? exporting::TrackFormat::Kml
                                                         : exporting::TrackFormat::Csv;
            result = exporting::exportTrack(request, control);
            break;
        }
    }
    if (!o.quiet && errIsTerminal) {
        err << "\n";
    }
    for (const std::string& note : result.notes) {
        err << "korvel-export: " << note << "\n";
    }
    if (result.status == exporting::Status::Cancelled) {
        err << "korvel-export: cancelled\n";
        return 130;
    }
    if (!result.ok()) {
        err << "korvel-export: " << result.message << "\n";
        return 1;
    }
    for (const std::string& file : result.files) {
        out << file << "\n";
    }
    return 0;
}

}  // namespace exportcli
