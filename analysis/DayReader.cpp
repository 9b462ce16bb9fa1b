#include "analysis/DayReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <system_error>
#include <thread>

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "recording/ByteReader.h"
#include "recording/DayListing.h"
#include "recording/PacketRecords.h"
#include "recording/PacketTime.h"
#include "recording/SSFChannelReader.h"
#include "recording/Vorta.h"

namespace analysis {

namespace {

namespace fs = std::filesystem;
namespace pt = boost::posix_time;

// Packets are looked at through a window of the file this big: the heads of
// most packets fall into the window already read, so stepping over video
// costs no system call.
constexpr std::size_t kWindowSize = 256 * 1024;
// How many packets pass between two looks at the cancel flag.
constexpr unsigned kCancelCheckEvery = 512;
// Samples of two channels closer than these are the same sample.
constexpr std::int64_t kSameFixMs = 500;
constexpr std::int64_t kSameGsensorMs = 50;

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

class FileDescriptor {
public:
    explicit FileDescriptor(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads up to n bytes at offset; fewer only at the end of the file or on an
// error.
std::size_t readAt(int fd, std::uint8_t* to, std::size_t n, std::int64_t offset) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r =
            ::pread(fd, to + got, n - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    return got;
}

// A read-only window onto a file.
class FileWindow {
public:
    explicit FileWindow(int fd) : fd_(fd), buffer_(kWindowSize) {}

    // Points at n bytes from `offset`, or null when the file has fewer.
    const std::uint8_t* at(std::int64_t offset, std::size_t n) {
        if (offset >= start_ &&
            offset + static_cast<std::int64_t>(n) <= start_ + static_cast<std::int64_t>(length_)) {
            return buffer_.data() + (offset - start_);
        }
        if (n > buffer_.size()) {
            buffer_.resize(n);
        }
        start_ = offset;
        length_ = readAt(fd_, buffer_.data(), buffer_.size(), offset);
        return n <= length_ ? buffer_.data() : nullptr;
    }

private:
    int fd_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t start_ = 0;
    std::size_t length_ = 0;
};

pt::ptime midnightOf(int dayDate) {
    try {
        return pt::ptime(
            boost::gregorian::date(dayDate / 10000, dayDate / 100 % 100, dayDate % 100));
    } catch (const std::out_of_range&) {
        return pt::ptime(pt::not_a_date_time);
    }
}

bool isPosition(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0 &&
           std::fabs(longitude) <= 180.0 && !(latitude == 0.0 && longitude == 0.0);
}

int twoDigits(const char* p) {
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9') {
        return -1;
    }
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// Keeps, of samples of different channels closer than `window` ms, the one of
// the lowest channel, and of samples of one channel at the same instant (a
// copy of a recording under another name) the first. `v` is sorted by time;
// `channelOf` gives a sample's channel.
template <typename T, typename ChannelOf>
void dropDuplicates(std::vector<T>* v, std::int64_t window, ChannelOf channelOf) {
    std::vector<T> kept;
    kept.reserve(v->size());
    for (T& s : *v) {
        bool drop = false;
        for (std::size_t k = kept.size(); k-- > 0 && s.ms - kept[k].ms < window;) {
            const int other = channelOf(kept[k]);
            if (other == channelOf(s)) {
                if (kept[k].ms == s.ms) {
                    drop = true;
                    break;
                }
                continue;
            }
            if (other < channelOf(s)) {
                drop = true;
            } else {
                kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(k));
            }
            break;
        }
        if (!drop) {
            kept.push_back(std::move(s));
        }
    }
    v->swap(kept);
}

struct Recording {
    std::string path;
    int channel = 0;
};

// Recordings of one period (same start time in their names), lowest channel
// first.
using Period = std::vector<Recording>;

std::vector<Period> periodsOf(const std::string& dayFolder) {
    std::map<std::string, Period> byStart;
    for (const std::string& name : dayListing::recordingNames(dayFolder)) {
        if (name.size() < 8) {
            continue;
        }
        const int channel = twoDigits(name.data() + 6);
        const std::string path = dayFolder + "/" + name;
        if (channel < 0 || !dayListing::isListedSize(path)) {
            continue;
        }
        byStart[name.substr(0, 6)].push_back({path, channel});
    }
    std::vector<Period> periods;
    periods.reserve(byStart.size());
    for (auto& [start, files] : byStart) {
        std::stable_sort(files.begin(), files.end(), [](const Recording& a, const Recording& b) {
            return a.channel < b.channel;
        });
        periods.push_back(std::move(files));
    }
    return periods;
}

struct PeriodSamples {
    std::vector<GpsFix> fixes;
    std::vector<GsensorSample> gsensor;
    int read = 0;
    int failed = 0;
};

PeriodSamples readPeriod(const Period& period, int dayDate, const std::atomic<bool>* cancel) {
    PeriodSamples out;
    bool haveFixes = false;
    bool haveGsensor = false;
    for (const Recording& r : period) {
        if (cancelled(cancel) || (haveFixes && haveGsensor)) {
            break;
        }
        RecordingSamples s = readRecordingSamples(r.path, r.channel, dayDate, cancel);
        (s.opened ? out.read : out.failed) += 1;
        if (!haveFixes && !s.fixes.empty()) {
            out.fixes = std::move(s.fixes);
            haveFixes = true;
        }
        if (!haveGsensor && !s.gsensor.empty()) {
            out.gsensor = std::move(s.gsensor);
            haveGsensor = true;
        }
    }
    return out;
}

bool parseDouble(const char* begin, const char* end, double* value) {
    while (begin < end && (*begin == ' ' || *begin == '\t')) {
        ++begin;
    }
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) {
        --end;
    }
    if (begin < end && *begin == '+') {
        ++begin;
    }
    double v = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, v);
    if (error != std::errc() || stop != end || begin == end || !std::isfinite(v)) {
        return false;
    }
    *value = v;
    return true;
}

// Fills the seconds no recording covers with the samples of the hourly logs.
void fillFromLogs(const std::string& cardRoot, DayData* day, const std::atomic<bool>* cancel) {
    std::vector<bool> covered(24 * 3600, false);
    for (const GsensorSample& s : day->gsensor) {
        if (s.ms >= 0 && s.ms < kMsPerDay) {
            covered[static_cast<std::size_t>(s.ms / 1000)] = true;
        }
    }
    std::vector<GsensorSample> added;
    for (int hour = 0; hour < 24 && !cancelled(cancel); ++hour) {
        const auto first = covered.begin() + hour * 3600;
        if (std::all_of(first, first + 3600, [](bool c) { return c; })) {
            continue;
        }
        const std::string path = gsensorLogPath(cardRoot, day->date, hour);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            continue;
        }
        ++day->logsRead;
        for (GsensorSample& s : readGsensorLog(path, hour)) {
            if (!covered[static_cast<std::size_t>(s.ms / 1000)]) {
                added.push_back(s);
            }
        }
    }
    if (added.empty()) {
        return;
    }
    day->gsensor.insert(day->gsensor.end(), added.begin(), added.end());
    std::stable_sort(day->gsensor.begin(), day->gsensor.end(),
                     [](const GsensorSample& a, const GsensorSample& b) { return a.ms < b.ms; });
}

}  // namespace

RecordingSamples readRecordingSamples(const std::string& path, int channel, int dayDate,
                                      const std::atomic<bool>* cancel) {
    RecordingSamples out;
    FileDescriptor fd(path);
    if (fd.get() < 0) {
        return out;
    }
    FileWindow window(fd.get());
    const std::uint8_t* head = window.at(0, VORTA::kHeaderUnitHeadSize);
    if (head == nullptr) {
        return out;
    }
    const std::uint64_t headerSize =
        VORTA::HEADERUNIT::declaredSize(head, VORTA::kHeaderUnitHeadSize);
    if (headerSize < VORTA::kHeaderUnitHeadSize ||
        headerSize > SSFChannelReader::kHeaderBufferSize) {
        return out;
    }
    const std::uint8_t* unitBytes = window.at(0, static_cast<std::size_t>(headerSize));
    auto header = std::make_unique<VORTA::HEADERUNIT>();
    if (unitBytes == nullptr ||
        header->parse(unitBytes, static_cast<std::size_t>(headerSize)) == 0) {
        return out;
    }
    out.opened = true;

    // A recorder whose clock was never set writes no valid start date; the
    // file's name still tells when it began.
    pt::ptime start;
    try {
        start = VORTA::startInstant(header->fileProperties);
    } catch (const std::out_of_range&) {
        start = SSFChannelReader::nameInstant(path);
    }
    const pt::ptime midnight = midnightOf(dayDate);
    if (start.is_special() || midnight.is_special()) {
        return out;
    }
    out.timed = true;
    const std::int64_t baseMs = (start - midnight).total_milliseconds();

    const std::uint32_t tableOffset = header->iframeProperties.tableOffset();
    auto packet = std::make_unique<VORTA::REPLY_DATA>();
    std::int64_t offset = static_cast<std::int64_t>(headerSize);
    for (unsigned n = 1;; ++n) {
        if (n % kCancelCheckEvery == 0 && cancelled(cancel)) {
            break;
        }
        // The I-frame table ends the packets; an offset inside the header
        // unit is no table's.
        if (tableOffset > headerSize && offset >= static_cast<std::int64_t>(tableOffset)) {
            break;
        }
        const std::uint8_t* p = window.at(offset, VORTA::kPacketHeadSize);
        if (p == nullptr) {
            break;
        }
        const std::uint32_t length = VORTA::loadU32(p);
        if (!VORTA::isPacketLengthInRange(length)) {
            break;
        }
        const VORTA::PacketKind kind = VORTA::packetKind(*header, p[4]);
        if (kind == VORTA::PacketKind::Gps || kind == VORTA::PacketKind::GSensor) {
            const std::uint8_t* whole = window.at(offset, length);
            if (whole == nullptr || packet->parse(whole, length) == 0) {
                break;
            }
            const std::int64_t ms = baseMs + packet->timestamp;
            VORTA::ByteReader in(packet->payload.data(), packet->payload.size());
            if (kind == VORTA::PacketKind::Gps) {
                GpsFix fix;
                double knots = 0.0;
                in.skip(12);
                in.f64(fix.latitude);
                in.f64(fix.longitude);
                in.f64(knots);
                if (in.ok()) {
                    fix.ms = ms;
                    fix.channel = channel;
                    fix.knots = std::isfinite(knots) && knots >= 0.0 ? knots : 0.0;
                    fix.valid = isPosition(fix.latitude, fix.longitude);
                    out.fixes.push_back(fix);
                }
            } else {
                GsensorSample s;
                for (float& a : s.axis) {
                    in.f32(a);
                    a = VORTA::truncateToHundredths(a);
                }
                if (in.ok() && std::isfinite(s.axis[0]) && std::isfinite(s.axis[1]) &&
                    std::isfinite(s.axis[2])) {
                    s.ms = ms;
                    s.channel = channel;
                    out.gsensor.push_back(s);
                }
            }
        }
        offset += length;
    }
    return out;
}

bool readDay(const std::string& dayFolder, const ReadOptions& options,
             const std::atomic<bool>* cancel, DayData* out) {
    *out = DayData();
    out->date = dayListing::dayFolderDate(dayFolder);
    if (out->date == 0 || midnightOf(out->date).is_special()) {
        return false;
    }
    const std::vector<Period> periods = periodsOf(dayFolder);
    std::vector<PeriodSamples> results(periods.size());
    std::atomic<std::size_t> next{0};
    auto work = [&]() {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= periods.size() || cancelled(cancel)) {
                return;
            }
            results[i] = readPeriod(periods[i], out->date, cancel);
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min<std::size_t>(
        periods.size(), options.threads > 0 ? static_cast<std::size_t>(options.threads) : cores);
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& t : threads) {
        t.join();
    }
    if (cancelled(cancel)) {
        return false;
    }

    for (PeriodSamples& r : results) {
        out->recordingsRead += r.read;
        out->recordingsFailed += r.failed;
        out->fixes.insert(out->fixes.end(), r.fixes.begin(), r.fixes.end());
        out->gsensor.insert(out->gsensor.end(), r.gsensor.begin(), r.gsensor.end());
    }
    // Periods are in time order and each one's samples too; only overlapping
    // periods of unaligned channels need the sort.
    auto byTime = [](const auto& a, const auto& b) { return a.ms < b.ms; };
    if (!std::is_sorted(out->fixes.begin(), out->fixes.end(), byTime)) {
        std::stable_sort(out->fixes.begin(), out->fixes.end(), byTime);
    }
    if (!std::is_sorted(out->gsensor.begin(), out->gsensor.end(), byTime)) {
        std::stable_sort(out->gsensor.begin(), out->gsensor.end(), byTime);
    }
    dropDuplicates(&out->fixes, kSameFixMs, [](const GpsFix& f) { return f.channel; });
    dropDuplicates(&out->gsensor, kSameGsensorMs, [](const GsensorSample& s) { return s.channel; });

    if (options.useLogs) {
        std::string root = options.cardRoot;
        if (root.empty()) {
            root = cardRootOf(dayFolder);
        }
        fillFromLogs(root, out, cancel);
    }
    return !cancelled(cancel);
}

std::string cardRootOf(const std::string& dayFolder) {
    fs::path p = fs::path(dayFolder).lexically_normal();
    if (!p.has_filename()) {
        p = p.parent_path();  // "card/20260301/" names the day too
    }
    const std::string root = p.parent_path().string();
    return root.empty() ? std::string(".") : root;
}

std::string gsensorLogPath(const std::string& cardRoot, int dayDate, int hour) {
    char tail[40];
    std::snprintf(tail, sizeof tail, "/logs/%08dm/%02d.mlog", dayDate, hour);
    return cardRoot + tail;
}

bool parseGsensorLogLine(const char* line, std::size_t length, int hour, GsensorSample* out) {
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) {
        --length;
    }
    // Fields are the pieces between "[" characters, empty ones dropped; each
    // keeps its closing bracket.
    const char* fields[6];
    std::size_t sizes[6];
    int count = 0;
    std::size_t i = 0;
    while (i < length && count < 6) {
        const std::size_t begin = i;
        while (i < length && line[i] != '[') {
            ++i;
        }
        if (i > begin) {
            fields[count] = line + begin;
            sizes[count] = i - begin;
            ++count;
        }
        ++i;
    }
    if (count < 6) {
        return false;
    }
    const std::string_view kind(fields[4], sizes[4]);
    if (kind.find("7,2") == std::string_view::npos) {
        return false;
    }
    // Field 5 is the last one taken: it runs to the next "[" or the line end.
    std::string_view named(fields[5], sizes[5]);
    named.remove_suffix(1);  // the closing bracket
    std::string_view items[4];
    int itemCount = 0;
    for (std::size_t from = 0;;) {
        const std::size_t comma = named.find(',', from);
        if (itemCount == 4) {
            return false;
        }
        items[itemCount++] =
            named.substr(from, comma == std::string_view::npos ? comma : comma - from);
        if (comma == std::string_view::npos) {
            break;
        }
        from = comma + 1;
    }
    if (itemCount != 4) {
        return false;
    }
    const std::string_view stampField(fields[2], sizes[2]);
    const std::size_t dash = stampField.find('-');
    if (dash == std::string_view::npos || stampField.size() < dash + 1 + 6) {
        return false;
    }
    const char* hhmmss = stampField.data() + dash + 1;
    const int minute = twoDigits(hhmmss + 2);
    const int second = twoDigits(hhmmss + 4);
    if (minute < 0 || minute > 59 || second < 0 || second > 59 || hour < 0 || hour > 23) {
        return false;
    }
    double millisecond = 0.0;
    const std::string_view msField(fields[3], sizes[3]);
    if (!parseDouble(msField.data(), msField.data() + msField.size() - 1, &millisecond) ||
        millisecond < 0 || millisecond > 999 || millisecond != std::floor(millisecond)) {
        millisecond = 0.0;
    }

    GsensorSample s;
    for (int a = 0; a < 3; ++a) {
        const std::string_view item = items[a];
        const std::size_t colon = item.find(':');
        double v = 0.0;
        if (colon != std::string_view::npos &&
            item.find(':', colon + 1) == std::string_view::npos &&
            parseDouble(item.data() + colon + 1, item.data() + item.size(), &v)) {
            s.axis[a] = static_cast<float>(v);
        }
    }
    s.ms = (static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second) * 1000 +
           static_cast<std::int64_t>(millisecond);
    s.fromLog = true;
    s.channel = -1;
    *out = s;
    return true;
}

std::vector<GsensorSample> readGsensorLog(const std::string& path, int hour) {
    std::vector<GsensorSample> samples;
    FileDescriptor fd(path);
    if (fd.get() < 0) {
        return samples;
    }
    // A real line is about 70 bytes: longer ones are no log lines, and a file
    // without line ends must not be gathered into memory whole.
    constexpr std::size_t kMaxLine = 4096;
    std::vector<std::uint8_t> block(64 * 1024);
    std::string line;
    bool tooLong = false;
    auto finishLine = [&]() {
        GsensorSample s;
        if (!tooLong && !line.empty() && parseGsensorLogLine(line.data(), line.size(), hour, &s)) {
            samples.push_back(s);
        }
        line.clear();
        tooLong = false;
    };
    std::int64_t offset = 0;
    for (;;) {
        const std::size_t got = readAt(fd.get(), block.data(), block.size(), offset);
        if (got == 0) {
            break;
        }
        offset += static_cast<std::int64_t>(got);
        const char* p = reinterpret_cast<const char*>(block.data());
        const char* end = p + got;
        while (p < end) {
            const char* nl =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* stop = nl != nullptr ? nl : end;
            const std::size_t n = static_cast<std::size_t>(stop - p);
            if (line.size() + n <= kMaxLine) {
                line.append(p, n);
            } else {
                tooLong = true;
            }
            if (nl == nullptr) {
                break;
            }
            finishLine();
            p = nl + 1;
        }
    }
    finishLine();
    return samples;
}

}  // namespace analysis
