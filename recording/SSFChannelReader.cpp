#include "recording/SSFChannelReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "core/Trace.h"
#include "recording/ByteReader.h"
#include "recording/FileOffset.h"
#include "recording/PacketRecords.h"
#include "recording/PacketTime.h"
#include "recording/RegularFile.h"

namespace pt = boost::posix_time;

namespace {

using KeyFrame = SSFChannelReader::KeyFrame;
using KeySource = SSFChannelReader::KeySource;

constexpr std::size_t kIndexHeaderSize = 286;
constexpr std::size_t kIndexGapSize = 8;
constexpr std::size_t kIndexEntrySize = 16;
constexpr std::size_t kTableHeadSize = 10;
constexpr std::size_t kTableEntrySize = 8;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool readWhole(std::FILE* f, void* out, std::size_t n) {
    return std::fread(out, 1, n, f) == n;
}

// Reads and parses the header unit at the current position (offset 0) of f,
// refusing one larger than `limit`. On success f stands at the first packet,
// whose offset goes to *firstPacket.
bool readHeaderUnit(std::FILE* f, std::size_t limit, VORTA::HEADERUNIT* header,
                    std::uint32_t* firstPacket) {
    std::uint8_t head[VORTA::kHeaderUnitHeadSize];
    if (!readWhole(f, head, sizeof head)) {
        return false;
    }
    const std::uint64_t size = VORTA::HEADERUNIT::declaredSize(head, sizeof head);
    if (size < sizeof head || size > limit) {
        return false;
    }
    std::vector<std::uint8_t> unit(static_cast<std::size_t>(size));
    std::memcpy(unit.data(), head, sizeof head);
    if (!readWhole(f, unit.data() + sizeof head, unit.size() - sizeof head)) {
        return false;
    }
    if (header->parse(unit.data(), unit.size()) == 0) {
        return false;
    }
    *firstPacket = static_cast<std::uint32_t>(size);
    return true;
}

// Entries of an index file: the whole ones, and whether the file held all
// the entries its header counts.
struct IndexEntries {
    std::vector<KeyFrame> keys;
    bool complete = false;
};

IndexEntries readIndexFile(const std::string& ssfPath) {
    IndexEntries out;
    const std::string idxPath = SSFChannelReader::indexPathFor(ssfPath);
    if (idxPath == ssfPath) {
        return out;
    }
    FilePtr idx(regularfile::openStream(idxPath));
    if (!idx) {
        return out;
    }
    std::uint8_t head[kIndexHeaderSize];
    std::uint8_t gap[kIndexGapSize];
    if (!readWhole(idx.get(), head, sizeof head) || !readWhole(idx.get(), gap, sizeof gap)) {
        return out;
    }
    const unsigned count = static_cast<unsigned>(head[8] | (head[9] << 8));
    out.keys.reserve(count);
    std::uint8_t entry[kIndexEntrySize];
    for (unsigned i = 0; i < count && readWhole(idx.get(), entry, sizeof entry); ++i) {
        out.keys.push_back(KeyFrame{VORTA::loadU32(entry), VORTA::loadU32(entry + 4)});
    }
    out.complete = out.keys.size() == count;
    return out;
}

// Entries of the I-frame table at tableOffset in f.
std::vector<KeyFrame> readIFrameTable(std::FILE* f, std::uint32_t tableOffset) {
    std::vector<KeyFrame> keys;
    if (tableOffset == 0) {
        return keys;
    }
    std::uint8_t head[kTableHeadSize];
    if (fileoffset::seek(f, tableOffset) &&
        readWhole(f, head, sizeof head) && VORTA::loadU32(head) == VORTA::kIFrameTableMarker) {
        const unsigned count = static_cast<unsigned>(head[8] | (head[9] << 8));
        keys.reserve(count);
        std::uint8_t entry[kTableEntrySize];
        for (unsigned i = 0; i < count && readWhole(f, entry, sizeof entry); ++i) {
            keys.push_back(KeyFrame{VORTA::loadU32(entry), VORTA::loadU32(entry + 4)});
        }
    }
    return keys;
}

// Where the packets of a file end: its I-frame table when that lies within
// the file, else the file's end.
std::uint64_t dataLimit(std::uint32_t tableOffset, std::uint32_t firstPacket,
                        std::int64_t fileSize) {
    const std::uint64_t size = fileSize > 0 ? static_cast<std::uint64_t>(fileSize) : 0;
    if (tableOffset > firstPacket && tableOffset <= size) {
        return tableOffset;
    }
    return size;
}

// The key frames of a recording file as every user of the list (opening,
// start, end, offset search) reads them, so that entry numbers agree: the
// index file when it fits the recording, else the I-frame table when it
// fits, else the whole entries of a cut index file when they fit. f's
// position is not kept.
std::vector<KeyFrame> readKeyFrameList(const std::string& ssfPath, std::FILE* ssf,
                                       const VORTA::HEADERUNIT& header, std::uint32_t firstPacket,
                                       std::uint64_t limit, KeySource* source) {
    const packetscan::Streams streams(header);
    IndexEntries index = readIndexFile(ssfPath);
    if (index.complete && packetscan::keyFramesFit(ssf, index.keys, firstPacket, limit, streams)) {
        *source = KeySource::Index;
        return std::move(index.keys);
    }
    std::vector<KeyFrame> table = readIFrameTable(ssf, header.iframeProperties.tableOffset());
    if (packetscan::keyFramesFit(ssf, table, firstPacket, limit, streams)) {
        *source = KeySource::Table;
        return table;
    }
    if (!index.complete && packetscan::keyFramesFit(ssf, index.keys, firstPacket, limit, streams)) {
        *source = KeySource::Index;
        return std::move(index.keys);
    }
    *source = KeySource::None;
    return {};
}

// The number formed by `width` decimal digits at `pos` of s; -1 when s is too
// short there or a character is not a digit.
int digitsAt(const std::string& s, std::size_t pos, std::size_t width) {
    if (pos > s.size() || s.size() - pos < width) {
        return -1;
    }
    int v = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isdigit(c)) {
            return -1;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

bool validTime(int time) {
    return time >= 0 && time / 10000 < 24 && time / 100 % 100 < 60 && time % 100 < 60;
}

pt::ptime instantOrUnset(int date, int time) {
    if (date <= 0 || !validTime(time)) {
        return pt::ptime(pt::not_a_date_time);
    }
    try {
        return VORTA::instantFromDateTime(date, time);
    } catch (const std::out_of_range&) {
        return pt::ptime(pt::not_a_date_time);
    }
}

// A recording file opened on its own stream with its header unit parsed.
struct ProbedFile {
    FilePtr file;
    VORTA::HEADERUNIT header;
    std::uint32_t firstPacket = 0;
    std::uint64_t limit = 0;
    pt::ptime start;  // not_a_date_time when the file cannot be dated

    bool open(const std::string& path) {
        start = pt::ptime(pt::not_a_date_time);
        std::int64_t size = 0;
        file.reset(regularfile::openStream(path, &size));
        if (!file ||
            !readHeaderUnit(file.get(), VORTA::kMaxSearchHeaderUnitSize, &header, &firstPacket)) {
            return false;
        }
        limit = dataLimit(header.iframeProperties.tableOffset(), firstPacket, size);
        start = SSFChannelReader::datingStart(header, path);
        return true;
    }

    std::vector<KeyFrame> keyFrames(const std::string& path, bool scanWhenNone) {
        KeySource source = KeySource::None;
        std::vector<KeyFrame> keys =
            readKeyFrameList(path, file.get(), header, firstPacket, limit, &source);
        if (keys.empty() && scanWhenNone) {
            keys = packetscan::scanKeyFrames(file.get(), firstPacket, limit,
                                             packetscan::Streams(header));
        }
        return keys;
    }
};

// Key frame for `target` among `keys` of a file starting at `start`:
// forward, the first at or after the target, else the last one; backward,
// the one before the target with *entry staying at the one after it, else
// the last one. The result is the offset to seek to; -1 when there are no
// key frames (then *entry is 0).
std::int64_t keyFrameFor(const std::vector<KeyFrame>& keys, const pt::ptime& start,
                         const pt::ptime& target, bool backward, int* entry) {
    const int count = static_cast<int>(keys.size());
    if (count == 0) {
        *entry = 0;
        return -1;
    }
    pt::ptime previous;
    for (int i = 0; i < count; ++i) {
        const std::size_t u = static_cast<std::size_t>(i);
        const pt::ptime t = start + pt::milliseconds(static_cast<std::int64_t>(keys[u].timeMs));
        *entry = i;
        if (i == 0) {
            if (t >= target) {
                return keys[0].offset;
            }
        } else if (!backward) {
            if (previous < target && target <= t) {
                return keys[u].offset;
            }
        } else if (previous <= target && target < t) {
            // The earlier key frame; the entry stays at the later one.
            return keys[u - 1].offset;
        }
        previous = t;
    }
    // The target lies in the last group of pictures of the file.
    *entry = count - 1;
    return keys.back().offset;
}

}  // namespace

struct SSFChannelReader::Impl {
    explicit Impl(const SourceParams& p) : params(p), buffer(new std::uint8_t[kPacketBufferSize]) {}

    // Everything below is guarded by `lock`, the reader's lock. `file` has its
    // own lock besides, always taken after this one. Recursive: the packet
    // and audio sinks run while it is held (deliverCurrentSample, readNext),
    // and a sink may call back into the reader it came from (channel
    // switches and queries are allowed from inside the sinks).
    mutable std::recursive_mutex lock;
    SourceParams params;
    std::unique_ptr<std::uint8_t[]> buffer;  // one packet while it is parsed
    SSFile file;
    std::vector<std::string> files;
    int currentFile = -1;
    std::vector<KeyFrame> keys;
    KeySource keySource = KeySource::None;
    // The open file's packets were walked for key frames already (done at
    // most once per opening: a file without key frames stays without).
    bool keysScanned = false;
    int currentEntry = -1;
    pt::ptime current{pt::not_a_date_time};
    // Whether `current` is set, readable without the lock.
    std::atomic<bool> hasCurrent{false};
    pt::ptime first{pt::not_a_date_time};
    pt::ptime last{pt::not_a_date_time};
    std::unique_ptr<STREAMOBJECT> sample;
    VORTA::HEADERUNIT header;       // of the open file
    pt::ptime start;                // what the open file's packets are dated from
    std::uint32_t firstPacket = 0;  // offset of the open file's first packet
    std::uint64_t limit = 0;        // where its packets end (I-frame table or end)
    std::uint32_t lastStamp = 0;    // time stamp of the last packet read whole
    // Set after reading resumed at a packet found by scanning: video up to
    // the next key frame would not decode and is passed over.
    bool awaitKeyFrame = false;
    std::ostream* log = nullptr;  // null: the trace stream

    std::ostream* logStream() const { return log != nullptr ? log : korvel::traceStream(); }
    void setCurrent(const pt::ptime& t) {
        current = t;
        hasCurrent.store(!t.is_not_a_date_time());
    }
};

SSFChannelReader::SSFChannelReader(int channel, const SourceParams& params)
    : d_(new Impl(params)), channel_(channel) {
    reset();
}

SSFChannelReader::~SSFChannelReader() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->file.close();
}

void SSFChannelReader::reset() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->file.close();
    d_->setCurrent(pt::ptime(pt::not_a_date_time));
    d_->first = pt::ptime(pt::not_a_date_time);
    d_->last = pt::ptime(pt::not_a_date_time);
    d_->currentFile = -1;
    d_->keys.clear();
    d_->keySource = KeySource::None;
    d_->currentEntry = -1;
}

void SSFChannelReader::addFile(const std::string& path) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->files.push_back(path);
}

void SSFChannelReader::prepare() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    std::sort(d_->files.begin(), d_->files.end());
    d_->first = pt::ptime(pt::not_a_date_time);
    d_->last = pt::ptime(pt::not_a_date_time);
    for (const std::string& path : d_->files) {
        d_->first = fileStart(path);
        if (!d_->first.is_not_a_date_time()) {
            break;
        }
    }
    for (auto it = d_->files.rbegin(); it != d_->files.rend(); ++it) {
        d_->last = fileEnd(*it);
        if (!d_->last.is_not_a_date_time()) {
            break;
        }
    }
}

void SSFChannelReader::rewind() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->currentFile = 0;
}

void SSFChannelReader::startAtFirstFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const int n = static_cast<int>(d.files.size());
    for (d.currentFile = 0; d.currentFile < n; ++d.currentFile) {
        openCurrentFile();
        if (d.file.isOpen()) {
            readNext();
            return;
        }
    }
}

void SSFChannelReader::openCurrentFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const int n = static_cast<int>(d.files.size());
    if (n == 0 || d.currentFile < 0 || d.currentFile >= n) {
        return;
    }
    const std::string& path = d.files[static_cast<std::size_t>(d.currentFile)];
    if (d.file.isOpen()) {
        if (d.file.path() == path) {
            return;
        }
        d.file.close();
    }
    if (!d.file.open(path)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> holdFile(d.file.lock());
    VORTA::HEADERUNIT header;
    std::uint32_t firstPacket = 0;
    if (!readHeaderUnit(d.file.handle(), kHeaderBufferSize, &header, &firstPacket)) {
        // Without its header unit the packets cannot be told apart.
        d.file.close();
        return;
    }
    const pt::ptime start = datingStart(header, path);
    if (start.is_not_a_date_time()) {
        // Its packets could only carry made-up dates.
        d.file.close();
        return;
    }
    d.header = std::move(header);
    d.start = start;
    d.firstPacket = firstPacket;
    d.limit = dataLimit(d.header.iframeProperties.tableOffset(), firstPacket, d.file.size());
    d.lastStamp = 0;
    d.awaitKeyFrame = false;
    loadKeyFrames();
    d.file.seek(static_cast<std::int64_t>(firstPacket));
}

void SSFChannelReader::loadKeyFrames() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    std::lock_guard<std::recursive_mutex> holdFile(d.file.lock());
    d.keys.clear();
    d.keySource = KeySource::None;
    d.keysScanned = false;
    d.currentEntry = -1;
    if (!d.file.isOpen()) {
        return;
    }
    const std::int64_t mark = d.file.tell();
    d.keys = readKeyFrameList(d.file.path(), d.file.handle(), d.header, d.firstPacket, d.limit,
                              &d.keySource);
    d.file.seek(static_cast<std::int64_t>(mark));
    if (!d.keys.empty()) {
        d.currentEntry =
            direction_.load() == DIRECTION_BACKWARD ? static_cast<int>(d.keys.size()) - 1 : 0;
    }
}

// Walks the open file's packets for its key frames when it has no list; the
// position is kept and the current entry follows it.
void SSFChannelReader::ensureKeyFrames() {
    Impl& d = *d_;
    if (!d.keys.empty() || d.keysScanned || !d.file.isOpen()) {
        return;
    }
    d.keysScanned = true;
    std::lock_guard<std::recursive_mutex> holdFile(d.file.lock());
    const std::int64_t mark = d.file.tell();
    d.keys = packetscan::scanKeyFrames(d.file.handle(), d.firstPacket, d.limit,
                                       packetscan::Streams(d.header));
    d.file.seek(static_cast<std::int64_t>(mark));
    if (d.keys.empty()) {
        return;
    }
    d.keySource = KeySource::Scan;
    const int count = static_cast<int>(d.keys.size());
    if (direction_.load() == DIRECTION_BACKWARD) {
        d.currentEntry = -1;
        while (d.currentEntry + 1 < count &&
               static_cast<std::int64_t>(d.keys[static_cast<std::size_t>(d.currentEntry + 1)].offset) <=
                   mark) {
            ++d.currentEntry;
        }
        d.currentEntry = std::max(d.currentEntry, 0);
    } else {
        d.currentEntry = 0;
        while (d.currentEntry < count &&
               static_cast<std::int64_t>(d.keys[static_cast<std::size_t>(d.currentEntry)].offset) < mark) {
            ++d.currentEntry;
        }
    }
}

// After damage at `at`: on at the next key frame of the list after it, else
// at the next plausible packet found by scanning. False when the rest of the
// file holds nothing readable.
bool SSFChannelReader::resumeAfterDamage(std::int64_t at) {
    Impl& d = *d_;
    for (const KeyFrame& k : d.keys) {
        if (static_cast<std::int64_t>(k.offset) > at) {
            d.file.seek(static_cast<std::int64_t>(k.offset));
            d.awaitKeyFrame = false;
            return true;
        }
    }
    std::int64_t next = -1;
    {
        std::lock_guard<std::recursive_mutex> holdFile(d.file.lock());
        next = packetscan::findPacket(d.file.handle(), static_cast<std::uint64_t>(at) + 1, d.limit,
                                      packetscan::Streams(d.header), d.lastStamp);
    }
    if (next < 0) {
        return false;
    }
    d.file.seek(static_cast<std::int64_t>(next));
    d.awaitKeyFrame = true;
    return true;
}

void SSFChannelReader::readNext() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const int fileCount = static_cast<int>(d.files.size());

    // The open file's data are over: on to the neighbouring file, or out.
    auto endOfFile = [&]() -> bool {
        d.file.close();
        const int dir = direction_.load();
        for (;;) {
            if (dir == DIRECTION_BACKWARD) {
                if (d.currentFile < 0) {
                    break;
                }
                if (--d.currentFile < 0) {
                    break;
                }
            } else {
                if (d.currentFile >= fileCount) {
                    break;
                }
                if (++d.currentFile >= fileCount) {
                    break;
                }
            }
            openCurrentFile();
            if (d.file.isOpen()) {
                return true;
            }
        }
        d.setCurrent(pt::ptime(pt::not_a_date_time));
        return false;
    };

    for (;;) {
        if (!d.file.isOpen()) {
            return;
        }
        const int s = speedIndex_.load();
        // In key-frame stepping, the entry this read went to.
        const KeyFrame* entry = nullptr;
        if (s != kSpeedIndexStill && s != kSpeedIndexNormal) {
            const int dir = direction_.load();
            if (dir != DIRECTION_FORWARD && dir != DIRECTION_BACKWARD) {
                return;
            }
            ensureKeyFrames();
            if (!d.keys.empty()) {
                const int count = static_cast<int>(d.keys.size());
                if (dir == DIRECTION_FORWARD) {
                    if (d.currentEntry >= count) {
                        if (!endOfFile()) {
                            return;
                        }
                        continue;
                    }
                    d.currentEntry = std::max(d.currentEntry, 0);
                    entry = &d.keys[static_cast<std::size_t>(d.currentEntry)];
                    ++d.currentEntry;
                } else {
                    if (d.currentEntry < 0) {
                        if (!endOfFile()) {
                            return;
                        }
                        continue;
                    }
                    d.currentEntry = std::min(d.currentEntry, count - 1);
                    entry = &d.keys[static_cast<std::size_t>(d.currentEntry)];
                    --d.currentEntry;
                }
                d.file.seek(static_cast<std::int64_t>(entry->offset));
            }
        }
        if (speedIndex_.load() != s) {
            continue;
        }
        const std::int64_t at = d.file.tell();
        // The I-frame table ends the packets as the end of the file would.
        if (at >= static_cast<std::int64_t>(d.limit)) {
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        // A packet that cannot be read as one: in key-frame stepping the
        // entry is passed over; otherwise reading resumes after the damage.
        auto damaged = [&]() -> bool {
            if (entry != nullptr) {
                return true;
            }
            return resumeAfterDamage(at) || endOfFile();
        };
        std::uint8_t* const buf = d.buffer.get();
        if (d.file.read(buf, 4) < 4) {
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        const std::uint32_t t = VORTA::loadU32(buf);
        if (speedIndex_.load() != s) {
            continue;
        }
        if (t == 4 && entry == nullptr) {
            continue;  // an empty packet: try the next 4 bytes
        }
        if (!VORTA::isPacketLengthInRange(t) ||
            at + static_cast<std::int64_t>(t) > static_cast<std::int64_t>(d.limit)) {
            if (!damaged()) {
                return;
            }
            continue;
        }
        const std::size_t rest = t - 4;
        const std::size_t got = d.file.read(buf + 4, rest);
        if (!d.file.isOpen()) {
            continue;
        }
        if (got < rest) {
            // The file got shorter than when it was opened.
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        if (speedIndex_.load() != s) {
            continue;
        }
        VORTA::REPLY_DATA packet;
        if (packet.parse(buf, t) == 0 || packet.timestamp >= VORTA::kLongestRecordingMs) {
            if (!damaged()) {
                return;
            }
            continue;
        }
        if (entry != nullptr && (!packet.isKeyFrameFlag() ||
                                 packet.streamNumber() != d.header.videoProperties.streamNumber ||
                                 packet.timestamp != entry->timeMs)) {
            continue;  // an entry that does not point at its key frame
        }
        VORTA::PacketRecord record =
            VORTA::makePacketRecordAt(d.header, d.start, packet, channel_);
        if (d.awaitKeyFrame && record.kind == VORTA::PacketKind::Video) {
            if (!packet.isKeyFrameFlag()) {
                continue;
            }
            d.awaitKeyFrame = false;
        }
        d.lastStamp = packet.timestamp;
        switch (record.kind) {
            case VORTA::PacketKind::Skipped:
                return;
            case VORTA::PacketKind::Audio:
                d.sample.reset();
                if (d.params.audioSink) {
                    d.params.audioSink(&record.audio);
                }
                break;
            default:
                d.sample = std::move(record.sample);
                break;
        }
        if (!record.instant.is_not_a_date_time()) {
            d.setCurrent(record.instant);
        }
        return;
    }
}

SSFChannelReader::ptime SSFChannelReader::currentInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->current;
}

bool SSFChannelReader::hasCurrentInstant() const {
    return d_->hasCurrent.load();
}

STREAMOBJECT* SSFChannelReader::currentSample() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->sample.get();
}

bool SSFChannelReader::deliverCurrentSample(
    const boost::function<void(STREAMOBJECT*)>& sink) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (!d_->sample || sink.empty()) {
        return false;
    }
    sink(d_->sample.get());
    return true;
}

bool SSFChannelReader::isClosed() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return !d_->file.isOpen();
}

void SSFChannelReader::setSpeed(int speedIndex, int date, int time) {
    if (!isValidSpeedIndex(speedIndex)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (speedIndex == speedIndex_.load()) {
        return;
    }
    speedIndex_.store(speedIndex);
    if (speedIndex == kSpeedIndexStill) {
        direction_.store(DIRECTION_STILL);
        return;
    }
    direction_.store(speedIndex > kSpeedIndexStill ? DIRECTION_FORWARD : DIRECTION_BACKWARD);
    seek(date, time);
}

void SSFChannelReader::repositionAt(int speedIndex, int date, int time) {
    if (!isValidSpeedIndex(speedIndex)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    speedIndex_.store(speedIndex);
    direction_.store(speedIndex > kSpeedIndexStill   ? DIRECTION_FORWARD
                     : speedIndex < kSpeedIndexStill ? DIRECTION_BACKWARD
                                                     : DIRECTION_STILL);
    seek(date, time);
}

void SSFChannelReader::playForwardFrom(int date, int time) {
    repositionAt(kSpeedIndexNormal, date, time);
}

void SSFChannelReader::playBackwardFrom(int date, int time) {
    repositionAt(kSpeedIndexReverse, date, time);
}

SSFChannelReader::ptime SSFChannelReader::fileStart(const std::string& path) const {
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return pt::ptime(pt::not_a_date_time);
    }
    const std::vector<KeyFrame> keys = f.keyFrames(path, false);
    if (keys.empty()) {
        // No key-frame list at all: the recording starts with the file.
        return f.start;
    }
    return f.start + pt::milliseconds(static_cast<std::int64_t>(keys.front().timeMs));
}

SSFChannelReader::ptime SSFChannelReader::fileEnd(const std::string& path) const {
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return pt::ptime(pt::not_a_date_time);
    }
    const std::vector<KeyFrame> keys = f.keyFrames(path, false);
    // Without a list that fits the recording (none written, or damaged), the
    // recording length of the header.
    const std::uint32_t stamp =
        keys.empty() ? f.header.fileProperties.recordingLength : keys.back().timeMs;
    if (stamp >= VORTA::kLongestRecordingMs) {
        // A recording covers less than an hour: such a stamp is no end.
        return pt::ptime(pt::not_a_date_time);
    }
    return f.start + pt::milliseconds(static_cast<std::int64_t>(stamp));
}

std::int64_t SSFChannelReader::findOffset(const std::string& path, const ptime& target) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const bool backward = direction_.load() == DIRECTION_BACKWARD;
    if (target.is_special()) {
        return -1;
    }
    if (d.file.isOpen() && d.file.path() == path) {
        ensureKeyFrames();
        const std::int64_t offset =
            keyFrameFor(d.keys, d.start, target, backward, &d.currentEntry);
        return offset >= 0 ? offset : d.firstPacket;
    }
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return -1;
    }
    const std::vector<KeyFrame> keys = f.keyFrames(path, true);
    const std::int64_t offset = keyFrameFor(keys, f.start, target, backward, &d.currentEntry);
    return offset >= 0 ? offset : f.firstPacket;
}

bool SSFChannelReader::seek(int date, int time) {
    const pt::ptime target = instantOrUnset(date, time);
    if (target.is_not_a_date_time()) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    d.setCurrent(pt::ptime(pt::not_a_date_time));
    d.sample.reset();
    const FileSearch where = static_cast<int>(d.files.size()) > kLinearSearchMaxFiles
                                 ? searchBinary(target)
                                 : searchLinear(target);
    if (where.file < 0) {
        // Nothing to play on this side of the target.
        d.file.close();
        d.currentFile = -1;
        return true;
    }
    d.currentFile = where.file;
    openCurrentFile();
    if (!d.file.isOpen()) {
        return true;
    }
    const bool backward = direction_.load() == DIRECTION_BACKWARD;
    ensureKeyFrames();
    std::int64_t offset = -1;
    if (d.keys.empty()) {
        offset = d.firstPacket;
        d.currentEntry = 0;
    } else if (where.inside) {
        offset = keyFrameFor(d.keys, d.start, target, backward, &d.currentEntry);
    } else {
        // The next file forward, the previous one backward.
        d.currentEntry = backward ? static_cast<int>(d.keys.size()) - 1 : 0;
        offset = d.keys[static_cast<std::size_t>(d.currentEntry)].offset;
    }
    d.file.seek(static_cast<std::int64_t>(offset));
    d.awaitKeyFrame = false;
    d.lastStamp = 0;
    readNext();
    return true;
}

void SSFChannelReader::goToFirst() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    // The current file stays open when it is already (its key frames, maybe
    // found by walking its packets, stay with it); another one is opened.
    openCurrentFile();
    if (!d.file.isOpen()) {
        return;
    }
    d.setCurrent(pt::ptime(pt::not_a_date_time));
    d.awaitKeyFrame = false;
    ensureKeyFrames();
    d.currentEntry = 0;
    d.file.seek(static_cast<std::int64_t>(d.keys.empty() ? d.firstPacket : d.keys.front().offset));
    readNext();
}

void SSFChannelReader::goToLast() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    // The current file stays open when it is already (its key frames, maybe
    // found by walking its packets, stay with it); another one is opened.
    openCurrentFile();
    if (!d.file.isOpen()) {
        return;
    }
    d.setCurrent(pt::ptime(pt::not_a_date_time));
    d.awaitKeyFrame = false;
    ensureKeyFrames();
    d.currentEntry = static_cast<int>(d.keys.size()) - 1;
    d.file.seek(static_cast<std::int64_t>(d.keys.empty() ? d.firstPacket : d.keys.back().offset));
    readNext();
}

void SSFChannelReader::goToFirstFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (d_->files.empty()) {
        return;
    }
    d_->currentFile = 0;
    goToFirst();
}

void SSFChannelReader::goToLastFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (d_->files.empty()) {
        return;
    }
    d_->currentFile = static_cast<int>(d_->files.size()) - 1;
    goToLast();
}

namespace {

// A target that lies in no file: the next file when playing forward (or
// still), the previous one when playing backward; none when there is no file
// on that side.
SSFChannelReader::FileSearch nearestFile(int before, int after, int direction) {
    SSFChannelReader::FileSearch r;
    r.file = direction == DIRECTION_BACKWARD ? before : after;
    return r;
}

}  // namespace

SSFChannelReader::FileSearch SSFChannelReader::searchLinear(const ptime& target) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const Impl& d = *d_;
    std::ostream* log = d.logStream();
    int before = -1;
    int after = -1;
    for (std::size_t i = 0; i < d.files.size(); ++i) {
        const std::string& path = d.files[i];
        const pt::ptime start = nameInstant(path);
        if (start.is_not_a_date_time()) {
            continue;
        }
        if (log != nullptr) {
            *log << "ch." << channel_ << " date:" << dateOfPath(path)
                 << " time:<<" << timeOfPath(path) << "\n";
        }
        const pt::ptime end = fileEnd(path);
        if (end.is_not_a_date_time()) {
            continue;
        }
        if (start <= target && target <= end) {
            return FileSearch{static_cast<int>(i), true};
        }
        if (start > target) {
            if (log != nullptr) {
                *log << "ch." << channel_ << " 1. temp find!!!\n";
            }
            after = static_cast<int>(i);
            break;  // the list is in time order: no later file holds the target
        }
        if (log != nullptr) {
            *log << "ch." << channel_ << " 2. find!!!\n";
        }
        before = static_cast<int>(i);
    }
    return nearestFile(before, after, direction_.load());
}

SSFChannelReader::FileSearch SSFChannelReader::searchBinary(const ptime& target) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const Impl& d = *d_;
    std::ostream* log = d.logStream();
    const int n = static_cast<int>(d.files.size());
    auto startOf = [&](int i) { return nameInstant(d.files[static_cast<std::size_t>(i)]); };

    // The last file, by its name, that starts at or before the target. Names
    // are cheap to read; files with invalid names are stepped over.
    int lo = 0;
    int hi = n - 1;
    int atOrBefore = -1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        int m = mid;
        while (m >= lo && startOf(m).is_not_a_date_time()) {
            --m;
        }
        if (m < lo) {
            m = mid + 1;
            while (m <= hi && startOf(m).is_not_a_date_time()) {
                ++m;
            }
            if (m > hi) {
                break;
            }
        }
        if (startOf(m) <= target) {
            atOrBefore = m;
            lo = m + 1;
        } else {
            hi = m - 1;
        }
    }

    // Ends are read only around that file, skipping files without one.
    auto examine = [&](int i, pt::ptime* end) {
        const std::string& path = d.files[static_cast<std::size_t>(i)];
        if (startOf(i).is_not_a_date_time()) {
            return false;
        }
        if (log != nullptr) {
            *log << "ch." << channel_ << " date:" << dateOfPath(path)
                 << " time:<<" << timeOfPath(path) << "\n";
        }
        *end = fileEnd(path);
        return !end->is_not_a_date_time();
    };
    int before = -1;
    pt::ptime end;
    for (int i = atOrBefore; i >= 0; --i) {
        if (examine(i, &end)) {
            if (target <= end) {
                return FileSearch{i, true};
            }
            before = i;
            break;
        }
    }
    int after = -1;
    for (int i = atOrBefore + 1; i < n; ++i) {
        if (examine(i, &end)) {
            after = i;
            break;
        }
    }
    return nearestFile(before, after, direction_.load());
}

int SSFChannelReader::dateOfPath(const std::string& path) {
    const std::size_t lastSlash = path.rfind('/');
    if (lastSlash == std::string::npos || lastSlash == 0) {
        return -1;
    }
    const std::size_t slash = path.rfind('/', lastSlash - 1);
    if (slash == std::string::npos) {
        return -1;
    }
    // The day folder's name must be exactly yyyymmdd.
    if (lastSlash - slash - 1 != 8) {
        return -1;
    }
    const int date = digitsAt(path, slash + 1, 8);
    return date == 0 ? -1 : date;
}

int SSFChannelReader::timeOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return -1;
    }
    return digitsAt(path, slash + 1, 6);
}

SSFChannelReader::ptime SSFChannelReader::nameInstant(const std::string& path) {
    return instantOrUnset(dateOfPath(path), timeOfPath(path));
}

SSFChannelReader::ptime SSFChannelReader::datingStart(const VORTA::HEADERUNIT& header,
                                                      const std::string& path) {
    const pt::ptime fromHeader = VORTA::startInstantOrUnset(header.fileProperties);
    if (!fromHeader.is_not_a_date_time()) {
        return fromHeader;
    }
    // A recorder whose clock was not set writes no date into the header; the
    // name it gave the file still says when the recording started.
    const pt::ptime fromName = nameInstant(path);
    return VORTA::isUsableStart(fromName) ? fromName : pt::ptime(pt::not_a_date_time);
}

std::string SSFChannelReader::indexPathFor(const std::string& ssfPath) {
    const std::size_t n = ssfPath.size();
    for (std::size_t i = n >= 4 ? n - 4 + 1 : 0; i-- > 0;) {
        if (ssfPath[i] != '.') {
            continue;
        }
        const char* const ssf = "ssf";
        const char* const idx = "idx";
        bool match = true;
        for (int k = 0; k < 3; ++k) {
            if (std::tolower(static_cast<unsigned char>(
                    ssfPath[i + 1 + static_cast<std::size_t>(k)])) != ssf[k]) {
                match = false;
                break;
            }
        }
        if (!match) {
            continue;
        }
        std::string out = ssfPath;
        for (int k = 0; k < 3; ++k) {
            const std::size_t at = i + 1 + static_cast<std::size_t>(k);
            const bool upper = std::isupper(static_cast<unsigned char>(ssfPath[at])) != 0;
            out[at] = upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(idx[k])))
                            : idx[k];
        }
        return out;
    }
    return ssfPath;
}

SSFChannelReader::ptime SSFChannelReader::firstInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->first;
}

SSFChannelReader::ptime SSFChannelReader::lastInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->last;
}

std::vector<std::string> SSFChannelReader::files() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->files;
}

int SSFChannelReader::currentFile() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->currentFile;
}

int SSFChannelReader::currentEntry() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->currentEntry;
}

int SSFChannelReader::entryCount() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return static_cast<int>(d_->keys.size());
}

std::vector<SSFChannelReader::KeyFrame> SSFChannelReader::keyFrames() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->keys;
}

SSFChannelReader::KeySource SSFChannelReader::keySource() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->keySource;
}

VORTA::HEADERUNIT SSFChannelReader::headerUnit() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->header;
}

SSFChannelReader::ptime SSFChannelReader::openFileStart() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->file.isOpen() ? d_->start : pt::ptime(pt::not_a_date_time);
}

void SSFChannelReader::setLog(std::ostream* log) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->log = log;
}
