#include "Probe.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "Json.h"
#include "analysis/DayAnalysis.h"
#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "core/Records.h"
#include "recording/DayListing.h"
#include "recording/FolderScan.h"
#include "recording/PacketRecords.h"
#include "recording/PacketTime.h"
#include "recording/SSFChannelReader.h"
#include "recording/Vorta.h"

namespace probe {

namespace {

namespace fs = std::filesystem;
namespace pt = boost::posix_time;

// A reason to stop, reported as the one line on the error stream. Used only
// inside run(); nothing leaves it as an exception.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Discards what the reader and the folder scan log, so that the output stays
// JSON.
class NullStream : public std::ostream {
public:
    NullStream() : std::ostream(nullptr) {}
};

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Channel of a recording by its name (characters 7-8), 0 when they are no
// number.
int channelOfName(const std::string& path) {
    const std::string name = baseName(path);
    if (name.size() < 8 || !std::isdigit(static_cast<unsigned char>(name[6])) ||
        !std::isdigit(static_cast<unsigned char>(name[7]))) {
        return 0;
    }
    return (name[6] - '0') * 10 + (name[7] - '0');
}

// A whole decimal number of at most `digits` digits within [lo, hi].
bool parseNumber(const std::string& text, std::size_t digits, long lo, long hi, long* value) {
    if (text.empty() || text.size() > digits) {
        return false;
    }
    long v = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) {
        return false;
    }
    *value = v;
    return true;
}

void requireRegularFile(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path), ec);
    if (!fs::exists(status)) {
        throw Failure(path + ": no such file");
    }
    if (fs::is_directory(status)) {
        throw Failure(path + ": is a directory, not a recording file");
    }
}

void requireFolder(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path), ec);
    if (!fs::exists(status)) {
        throw Failure(path + ": no such folder");
    }
    if (!fs::is_directory(status)) {
        throw Failure(path + ": not a folder");
    }
}

struct Header {
    VORTA::HEADERUNIT unit;
    std::uint32_t firstPacket = 0;
};

// The header unit of a recording file, read as the channel reader reads it
// but with every refusal named.
Header readHeader(const std::string& path) {
    requireRegularFile(path);
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        throw Failure(path + ": cannot open: " + std::strerror(errno));
    }
    std::uint8_t head[VORTA::kHeaderUnitHeadSize];
    const std::size_t got = std::fread(head, 1, sizeof head, f.get());
    if (got < sizeof head) {
        throw Failure(path + ": truncated header unit (" + std::to_string(got) + " of " +
                      std::to_string(sizeof head) + " bytes)");
    }
    if (le32(head + VORTA::kLeadBlockSize) != VORTA::kLeadInCode) {
        throw Failure(path + ": no lead-in at offset 32, not a recording file");
    }
    const std::uint64_t size = VORTA::HEADERUNIT::declaredSize(head, sizeof head);
    if (size > SSFChannelReader::kHeaderBufferSize) {
        throw Failure(path + ": header unit of " + std::to_string(size) +
                      " bytes is longer than the reader's " +
                      std::to_string(SSFChannelReader::kHeaderBufferSize));
    }
    std::vector<std::uint8_t> unit(static_cast<std::size_t>(size));
    std::memcpy(unit.data(), head, sizeof head);
    const std::size_t rest = unit.size() - sizeof head;
    if (std::fread(unit.data() + sizeof head, 1, rest, f.get()) < rest) {
        throw Failure(path + ": truncated header unit (needs " + std::to_string(size) + " bytes)");
    }
    Header h;
    if (h.unit.parse(unit.data(), unit.size()) == 0) {
        throw Failure(path + ": malformed header unit");
    }
    h.firstPacket = static_cast<std::uint32_t>(size);
    return h;
}

std::string startText(const VORTA::FILE_PROPERTIES_OBJECT& f) {
    char s[48];
    std::snprintf(s, sizeof s, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{f.year}, unsigned{f.month},
                  unsigned{f.day}, unsigned{f.hour}, unsigned{f.minute}, unsigned{f.second});
    return s;
}

// "YYYY-MM-DD hh:mm:ss.fff" as a JSON string, or null.
std::string instantJson(const pt::ptime& t) {
    if (t.is_special()) {
        return "null";
    }
    const auto ymd = t.date().year_month_day();
    const pt::time_duration d = t.time_of_day();
    const long ms =
        static_cast<long>(d.fractional_seconds() * 1000 / pt::time_duration::ticks_per_second());
    char s[48];
    std::snprintf(s, sizeof s, "%04d-%02d-%02d %02ld:%02ld:%02ld.%03ld", int{ymd.year},
                  int{ymd.month}, int{ymd.day}, static_cast<long>(d.hours()),
                  static_cast<long>(d.minutes()), static_cast<long>(d.seconds()), ms);
    return jsonString(s);
}

// What the audio sink saw during one read.
struct AudioCapture {
    bool seen = false;
    int codecKind = -1;
    int size = 0;
    int date = 0;
    int time = 0;
    int milliseconds = 0;

    SourceParams params() {
        SourceParams p;
        p.audioSink = [this](READASTREAM* a) {
            seen = true;
            codecKind = a->codecKind;
            size = a->size;
            date = a->date;
            time = a->time;
            milliseconds = a->milliseconds;
        };
        return p;
    }
};

// Audio records carry no time stamp of their own; the reader's current
// instant, taken from the same packet, gives it back against the file's
// start. Null when either is unknown.
std::string audioSequenceJson(const SSFChannelReader& reader) {
    const pt::ptime now = reader.currentInstant();
    if (now.is_special()) {
        return "null";
    }
    const pt::ptime start = reader.openFileStart();
    if (start.is_special()) {
        return "null";
    }
    return std::to_string((now - start).total_milliseconds());
}

JsonObject audioJson(const AudioCapture& a, const SSFChannelReader& reader) {
    JsonObject o;
    o.text("kind", "audio")
        .integer("date", a.date)
        .integer("time", a.time)
        .integer("ms", a.milliseconds)
        .raw("seq", audioSequenceJson(reader))
        .integer("codec", a.codecKind)
        .integer("size", a.size);
    return o;
}

JsonObject sampleJson(const STREAMOBJECT& s) {
    JsonObject o;
    const char* kind = s.kind == STREAMOBJECT::KIND_VIDEO ? "video"
                       : s.kind == STREAMOBJECT::KIND_GPS ? "gps"
                                                          : "gsensor";
    o.text("kind", kind)
        .integer("date", s.date)
        .integer("time", s.time)
        .integer("ms", s.milliseconds)
        .integer("seq", s.sequence);
    if (const auto* v = dynamic_cast<const READVSTREAM*>(&s)) {
        o.integer("size", v->size)
            .boolean("key", v->frameType == READVSTREAM::kKeyFrame)
            .integer("width", v->width)
            .integer("height", v->height);
    } else if (const auto* g = dynamic_cast<const GPSDATA*>(&s)) {
        o.real("lat", g->latitude).real("lon", g->longitude).real("knots", g->speed);
    } else if (const auto* g = dynamic_cast<const GSENSORDATA*>(&s)) {
        o.real("x", g->x).real("y", g->y).real("z", g->z);
    }
    return o;
}

// Command line after the command word: positional arguments and --speed.
struct Args {
    std::vector<std::string> positional;
    int speed = kSpeedIndexNormal;
    bool speedGiven = false;
    double threshold = 0.0;  // g; 0 for the card's shock levels
    bool thresholdGiven = false;
};

Args parseArgs(const std::vector<std::string>& args) {
    Args a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--speed") {
            long v = 0;
            if (i + 1 >= args.size() || !parseNumber(args[i + 1], 2, 0, kSpeedIndexCount - 1, &v)) {
                throw Failure("--speed takes a speed index 0 to 14");
            }
            a.speed = static_cast<int>(v);
            a.speedGiven = true;
            ++i;
        } else if (args[i] == "--threshold") {
            char* end = nullptr;
            const double v = i + 1 < args.size() ? std::strtod(args[i + 1].c_str(), &end) : 0.0;
            if (i + 1 >= args.size() || end == args[i + 1].c_str() || *end != '\0' ||
                !(v >= 0.01 && v <= 16.0)) {
                throw Failure("--threshold takes a shock threshold in g, 0.01 to 16");
            }
            a.threshold = v;
            a.thresholdGiven = true;
            ++i;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw Failure("unknown option " + args[i] + " (try --help)");
        } else {
            a.positional.push_back(args[i]);
        }
    }
    return a;
}

void expectCount(const Args& a, std::size_t n, bool speedAllowed, const char* form,
                 bool thresholdAllowed = false) {
    if (a.positional.size() != n || (a.speedGiven && !speedAllowed) ||
        (a.thresholdGiven && !thresholdAllowed)) {
        throw Failure(std::string("usage: korvel-probe ") + form);
    }
}

void header(const Args& a, std::ostream& out) {
    expectCount(a, 1, false, "header FILE");
    const Header h = readHeader(a.positional[0]);
    const VORTA::HEADERUNIT& u = h.unit;
    const VORTA::AudioCodecParams codec = VORTA::audioCodecParams(u.audioProperties);
    JsonObject o;
    o.text("start", startText(u.fileProperties))
        .integer("length_ms", u.fileProperties.recordingLength)
        .text("title", u.fileProperties.titleString())
        .integer("video_stream", u.videoProperties.streamNumber)
        .integer("width", u.videoProperties.width)
        .integer("height", u.videoProperties.height)
        .integer("audio_stream", u.audioProperties.streamNumber)
        .integer("audio_codec", codec.codecKind)
        .integer("sample_rate", codec.sampleRate)
        .integer("sample_size", codec.sampleSize)
        .integer("audio_b", codec.valueB)
        .integer("iframe_offset", u.iframeProperties.tableOffset())
        .integer("first_packet", h.firstPacket);
    out << o.str() << '\n';
}

// A reader with `path` as its only file, at `speed`, opened at its start.
void openSingle(SSFChannelReader& reader, const std::string& path, int speed) {
    reader.addFile(path);
    reader.prepare();
    if (speed != kSpeedIndexNormal) {
        // No valid date: the reader takes speed and direction without seeking.
        reader.setSpeed(speed, 0, 0);
    }
    reader.rewind();
    reader.openCurrentFile();
    if (reader.isClosed()) {
        throw Failure(path + ": the channel reader cannot open it");
    }
}

void packets(const Args& a, std::ostream& out) {
    expectCount(a, 1, true, "packets FILE [--speed INDEX]");
    const std::string& path = a.positional[0];
    readHeader(path);
    NullStream quiet;
    AudioCapture audio;
    SSFChannelReader reader(channelOfName(path), audio.params());
    reader.setLog(&quiet);
    openSingle(reader, path, a.speed);
    for (;;) {
        // A new sample is made before the old one goes, so a changed address
        // means a new record.
        const auto before = reinterpret_cast<std::uintptr_t>(reader.currentSample());
        audio.seen = false;
        reader.readNext();
        const STREAMOBJECT* sample = reader.currentSample();
        if (audio.seen) {
            out << audioJson(audio, reader).str() << '\n';
        } else if (sample != nullptr && reinterpret_cast<std::uintptr_t>(sample) != before) {
            out << sampleJson(*sample).str() << '\n';
        } else if (reader.isClosed()) {
            break;  // run out
        }
        // Otherwise a packet of a stream the reader skips: nothing to print.
    }
}

using KeyFrames = std::vector<SSFChannelReader::KeyFrame>;

void keyframes(const Args& a, std::ostream& out) {
    expectCount(a, 1, false, "keyframes FILE");
    const std::string& path = a.positional[0];
    readHeader(path);
    NullStream quiet;
    SSFChannelReader reader(channelOfName(path), SourceParams());
    reader.setLog(&quiet);
    openSingle(reader, path, kSpeedIndexNormal);
    // A file without a usable list has its key frames found from its
    // packets, as a seek into it would.
    reader.findOffset(path, reader.openFileStart());
    const KeyFrames keys = reader.keyFrames();
    const char* source = "none";
    switch (reader.keySource()) {
        case SSFChannelReader::KeySource::Index:
            source = "idx";
            break;
        case SSFChannelReader::KeySource::Table:
            source = "table";
            break;
        case SSFChannelReader::KeySource::Scan:
            source = "scan";
            break;
        case SSFChannelReader::KeySource::None:
            break;
    }
    std::string entries = "[";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i != 0) {
            entries += ',';
        }
        entries +=
            "[" + std::to_string(keys[i].offset) + "," + std::to_string(keys[i].timeMs) + "]";
    }
    entries += "]";
    JsonObject o;
    o.text("source", source)
        .integer("count", static_cast<std::int64_t>(keys.size()))
        .raw("start", instantJson(reader.fileStart(path)))
        .raw("end", instantJson(reader.fileEnd(path)))
        .raw("entries", entries);
    out << o.str() << '\n';
}

void seek(const Args& a, std::ostream& out) {
    expectCount(a, 4, true, "seek DAYFOLDER CHANNEL YYYYMMDD HHMMSS [--speed INDEX]");
    const std::string& folder = a.positional[0];
    long channel = 0;
    long date = 0;
    long time = 0;
    if (!parseNumber(a.positional[1], 2, 0, kMaxChannels - 1, &channel)) {
        throw Failure("CHANNEL must be 0 to " + std::to_string(kMaxChannels - 1));
    }
    // A time before 10:00 may come without its leading zero (90000).
    if (a.positional[2].size() != 8 || !parseNumber(a.positional[2], 8, 0, 99999999, &date) ||
        !parseNumber(a.positional[3], 6, 0, 235959, &time)) {
        throw Failure("date and time must be YYYYMMDD and HHMMSS");
    }
    requireFolder(folder);

    NullStream quiet;
    AudioCapture audio;
    SSFChannelReader reader(static_cast<int>(channel), audio.params());
    reader.setLog(&quiet);
    const std::atomic<bool> keepGoing{true};
    scanFolder(folder, {&reader}, keepGoing, &quiet);
    if (a.speed != kSpeedIndexNormal) {
        reader.setSpeed(a.speed, 0, 0);  // no valid date: no seek of its own
    }
    audio.seen = false;
    if (!reader.seek(static_cast<int>(date), static_cast<int>(time))) {
        throw Failure(a.positional[2] + " " + a.positional[3] + ": not a valid date and time");
    }

    JsonObject o;
    const std::vector<std::string> files = reader.files();
    const int current = reader.currentFile();
    if (!reader.isClosed() && current >= 0 && current < static_cast<int>(files.size())) {
        o.text("file", baseName(files[static_cast<std::size_t>(current)]));
    } else {
        o.null("file");
    }
    const STREAMOBJECT* sample = reader.currentSample();
    JsonObject record;
    if (audio.seen) {
        record = audioJson(audio, reader);
    } else if (sample != nullptr) {
        record = sampleJson(*sample);
    } else {
        record.null("kind").null("date").null("time").null("ms").null("seq");
    }
    out << o.merge(record).str() << '\n';
}

void list(const Args& a, std::ostream& out) {
    expectCount(a, 1, false, "list DAYFOLDER");
    const std::string& folder = a.positional[0];
    requireFolder(folder);
    if (dayListing::dayFolderDate(folder) == 0) {
        throw Failure(folder + ": not a day folder (named yyyymmdd)");
    }
    for (const dayListing::Item& item : dayListing::listDayFolder(folder)) {
        JsonObject o;
        o.text("item", item.item).integer("date", item.date);
        out << o.str() << '\n';
    }
}

// The day folder's analysis, as the viewer makes it.
analysis::DayAnalysis analyseDayFolder(const std::string& folder, const Args& a) {
    requireFolder(folder);
    if (dayListing::dayFolderDate(folder) == 0) {
        throw Failure(folder + ": not a day folder (named yyyymmdd)");
    }
    analysis::AnalysisOptions options;
    if (a.thresholdGiven) {
        options.thresholds = analysis::ShockThresholds::uniform(a.threshold);
    }
    analysis::DayAnalysis day;
    const std::atomic<bool> cancel{false};
    if (!analysis::analyseDay(folder, options, &cancel, &day)) {
        throw Failure(folder + ": cannot be read as a day folder");
    }
    return day;
}

// "date", "time" and "ms" of a time in ms from the day's midnight.
JsonObject timeJson(int dayDate, std::int64_t ms) {
    const pt::ptime at = VORTA::instantFromDateTime(dayDate, 0) + pt::milliseconds(ms);
    JsonObject o;
    o.integer("date", VORTA::dateInteger(at))
        .integer("time", VORTA::timeInteger(at))
        .integer("ms", ((ms % 1000) + 1000) % 1000);
    return o;
}

void track(const Args& a, std::ostream& out) {
    expectCount(a, 1, false, "track DAYFOLDER");
    const analysis::DayAnalysis day = analyseDayFolder(a.positional[0], a);
    for (const analysis::GpsFix& f : day.data.fixes) {
        JsonObject o = timeJson(day.data.date, f.ms);
        o.real("lat", f.latitude)
            .real("lon", f.longitude)
            .real("speed_kmh", f.knots * analysis::kKmhPerKnot)
            .integer("channel", f.channel);
        out << o.str() << '\n';
    }
}

void events(const Args& a, std::ostream& out) {
    expectCount(a, 1, false, "events DAYFOLDER [--threshold G]", true);
    const analysis::DayAnalysis day = analyseDayFolder(a.positional[0], a);
    for (const analysis::ShockEvent& e : day.events) {
        JsonObject o = timeJson(day.data.date, e.ms);
        // Samples are hundredths: so is their difference from the rest.
        o.real("peak_g", std::round(static_cast<double>(e.peakG) * 100.0) / 100.0)
            .text("axis", analysis::axisName(e.axis));
        if (e.hasFix) {
            o.real("speed_kmh", e.knots * analysis::kKmhPerKnot)
                .real("lat", e.latitude)
                .real("lon", e.longitude);
        } else {
            o.null("speed_kmh").null("lat").null("lon");
        }
        out << o.str() << '\n';
    }
}

}  // namespace

std::string usage() {
    return R"(korvel-probe: what the viewer's recording code reads from recording files
and day folders, printed as JSON, one object per line.

  korvel-probe header FILE
      The header unit of a recording file (.ssf):
      {"start":"YYYY-MM-DD hh:mm:ss","length_ms","title","video_stream","width",
       "height","audio_stream","audio_codec","sample_rate","sample_size",
       "audio_b","iframe_offset","first_packet"}
      audio_codec is the audio decoder's codec number (-1 when the codec is
      unknown), sample_rate and sample_size the parameters the audio records
      carry, audio_b the header's value B; first_packet = 40 + L.

  korvel-probe packets FILE [--speed INDEX]
      FILE as the only file of a channel reader (channel = characters 7-8 of
      its name, else 0) at speed index INDEX (0-14, default 8 = normal
      forward; 7 = still; others step through the key frames, below 7
      backward). One object per record until the reader runs out:
      {"kind":"video"|"audio"|"gps"|"gsensor","date","time","ms","seq",...}
        video    "size","key","width","height"
        audio    "codec","size"; "seq" is the packet's time stamp found
                 from the reader's instant, null when the start is invalid
        gps      "lat","lon","knots"
        gsensor  "x","y","z"
      Packets of other stream numbers print nothing.

  korvel-probe keyframes FILE
      The key-frame list the reader loads for FILE:
      {"source":"idx"|"table"|"none","count","start","end",
       "entries":[[offset,ms],...]}
      start and end ("YYYY-MM-DD hh:mm:ss.fff" or null) are the file's start
      and end as the time search finds them.

  korvel-probe seek DAYFOLDER CHANNEL YYYYMMDD HHMMSS [--speed INDEX]
      Scans DAYFOLDER as the player does, prepares the reader of CHANNEL
      (0-31), sets speed index INDEX (default 8), seeks to the date and time
      and prints the reader's current record:
      {"file":NAME|null,"kind","date","time","ms","seq",...}
      (all null when the seek left no record).

  korvel-probe list DAYFOLDER
      The file list of a day folder: {"item":"hh:mm:ss","date":yyyymmdd} per
      listed recording.

  korvel-probe track DAYFOLDER
      The day's GPS track, one object per recorded fix in time order:
      {"date","time","ms","lat","lon","speed_kmh","channel"}
      For each recording period the fixes of the lowest channel that has
      them (channel 0 unless its recording is missing or has none).

  korvel-probe events DAYFOLDER [--threshold G]
      The day's shock events in time order:
      {"date","time","ms","peak_g","axis","speed_kmh","lat","lon"}
      peak_g is the signed deviation from the resting vector on axis "X",
      "Y" or "Z"; speed and position are null when no fix lies within 2 s.
      Thresholds come from SHOCK_DRIVE_X/Y/Z in DVRSETUP.INI of the card
      root (the day folder's parent): 0.3 g + 0.2 g x (10 - level), level
      1-10, 5 (1.3 g) when missing; --threshold G takes G on every axis.

  korvel-probe --help
      This text.

Dates are yyyymmdd and times hhmmss as numbers (a leading zero of the time
may be left out: 90000 is 09:00:00); day folders may be given relative to
the current folder. Strings are JSON strings;
bytes that are not UTF-8 appear as \u00XX. Exit status 0 on success; 1 with
one line on standard error for a missing, unreadable or malformed input or a
wrong command line.
)";
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        for (const std::string& arg : args) {
            if (arg == "--help" || arg == "-h") {
                out << usage();
                return 0;
            }
        }
        if (args.empty()) {
            throw Failure("no command (try --help)");
        }
        const Args a = parseArgs(args);
        const std::string& command = args[0];
        if (command == "header") {
            header(a, out);
        } else if (command == "packets") {
            packets(a, out);
        } else if (command == "keyframes") {
            keyframes(a, out);
        } else if (command == "seek") {
            seek(a, out);
        } else if (command == "list") {
            list(a, out);
        } else if (command == "track") {
            track(a, out);
        } else if (command == "events") {
            events(a, out);
        } else {
            throw Failure("unknown command " + command + " (try --help)");
        }
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        // Paths may hold line ends; the message stays one line.
        std::string text = e.what();
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 0x20) {
                c = '?';
            }
        }
        err << "korvel-probe: " << text << '\n';
    }
    return 1;
}

}  // namespace probe
