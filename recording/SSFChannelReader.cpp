#include "recording/SSFChannelReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "recording/ByteReader.h"
#include "recording/PacketRecords.h"
#include "recording/PacketTime.h"

namespace pt = boost::posix_time;

namespace {

using KeyFrame = SSFChannelReader::KeyFrame;

constexpr std::size_t kIndexHeaderSize = 286;
constexpr std::size_t kIndexGapSize = 8;
constexpr std::size_t kIndexEntrySize = 16;
constexpr std::size_t kTableHeadSize = 10;
constexpr std::size_t kTableEntrySize = 8;
constexpr std::uint32_t kMaxStampMs = 3599999;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr openRead(const std::string& path) {
    return FilePtr(path.empty() ? nullptr : std::fopen(path.c_str(), "rb"));
}

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
    FilePtr idx = openRead(idxPath);
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

// Entries of the I-frame table at tableOffset in f; f's position is kept.
std::vector<KeyFrame> readIFrameTable(std::FILE* f, std::uint32_t tableOffset) {
    std::vector<KeyFrame> keys;
    if (tableOffset == 0 || tableOffset > 0x7FFFFFFFu) {
        return keys;
    }
    const long mark = std::ftell(f);
    std::uint8_t head[kTableHeadSize];
    if (std::fseek(f, static_cast<long>(tableOffset), SEEK_SET) == 0 &&
        readWhole(f, head, sizeof head) && VORTA::loadU32(head) == VORTA::kIFrameTableMarker) {
        const unsigned count = static_cast<unsigned>(head[8] | (head[9] << 8));
        keys.reserve(count);
        std::uint8_t entry[kTableEntrySize];
        for (unsigned i = 0; i < count && readWhole(f, entry, sizeof entry); ++i) {
            keys.push_back(KeyFrame{VORTA::loadU32(entry), VORTA::loadU32(entry + 4)});
        }
    }
    if (mark >= 0) {
        std::fseek(f, mark, SEEK_SET);
    }
    return keys;
}

// The key frames of a recording file: its index file, else its I-frame
// table. Every user of the list (opening, start, end, offset
// search) reads it the same way, so that entry numbers agree.
std::vector<KeyFrame> readKeyFrameList(const std::string& ssfPath, std::FILE* ssf,
                                       std::uint32_t tableOffset) {
    IndexEntries index = readIndexFile(ssfPath);
    if (index.complete && !index.keys.empty()) {
        return std::move(index.keys);
    }
    // A missing or cut index file: the file's own table, if it has one, else
    // whatever whole entries the index file held.
    std::vector<KeyFrame> table = readIFrameTable(ssf, tableOffset);
    return table.empty() ? std::move(index.keys) : table;
}

// A recording file opened on its own stream with its header unit parsed.
struct ProbedFile {
    FilePtr file;
    VORTA::HEADERUNIT header;
    std::uint32_t firstPacket = 0;
    pt::ptime start;  // not_a_date_time when the file's start date is invalid

    bool open(const std::string& path) {
        start = pt::ptime(pt::not_a_date_time);
        file = openRead(path);
        if (!file ||
            !readHeaderUnit(file.get(), VORTA::kMaxSearchHeaderUnitSize, &header, &firstPacket)) {
            return false;
        }
        try {
            start = VORTA::startInstant(header.fileProperties);
        } catch (const std::out_of_range&) {
            // Set again explicitly: see the note on recordStamp().
            start = pt::ptime(pt::not_a_date_time);
        }
        return true;
    }
};

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

}  // namespace

struct SSFChannelReader::Impl {
    explicit Impl(const SourceParams& p) : params(p), buffer(new std::uint8_t[kPacketBufferSize]) {}

    // Everything below is guarded by `lock`, the reader's lock. `file` has its
    // own lock besides, always taken after this one.
    mutable std::recursive_mutex lock;
    SourceParams params;
    std::unique_ptr<std::uint8_t[]> buffer;  // one packet while it is parsed
    SSFile file;
    std::vector<std::string> files;
    int currentFile = -1;
    std::vector<KeyFrame> keys;
    int currentEntry = -1;
    pt::ptime current{pt::not_a_date_time};
    pt::ptime first{pt::not_a_date_time};
    pt::ptime last{pt::not_a_date_time};
    std::unique_ptr<STREAMOBJECT> sample;
    VORTA::HEADERUNIT header;       // of the open file
    std::uint32_t firstPacket = 0;  // offset of the open file's first packet
    std::uint32_t dataEnd = 0;      // its I-frame table offset; 0 = none
    std::ostream* log = &std::cout;
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
    d_->current = pt::ptime(pt::not_a_date_time);
    d_->first = pt::ptime(pt::not_a_date_time);
    d_->last = pt::ptime(pt::not_a_date_time);
    d_->currentFile = -1;
    d_->keys.clear();
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
    d.header = std::move(header);
    d.firstPacket = firstPacket;
    d.dataEnd = d.header.iframeProperties.tableOffset();
    loadKeyFrames();
}

void SSFChannelReader::loadKeyFrames() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    std::lock_guard<std::recursive_mutex> holdFile(d.file.lock());
    d.keys.clear();
    d.currentEntry = -1;
    if (!d.file.isOpen()) {
        return;
    }
    d.keys = readKeyFrameList(d.file.path(), d.file.handle(), d.dataEnd);
    if (!d.keys.empty()) {
        d.currentEntry =
            direction_.load() == DIRECTION_BACKWARD ? static_cast<int>(d.keys.size()) - 1 : 0;
    }
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
        d.current = pt::ptime(pt::not_a_date_time);
        return false;
    };

    for (;;) {
        if (!d.file.isOpen()) {
            return;
        }
        const int s = speedIndex_.load();
        if (s != kSpeedIndexStill && s != kSpeedIndexNormal) {
            const int dir = direction_.load();
            if (dir != DIRECTION_FORWARD && dir != DIRECTION_BACKWARD) {
                return;
            }
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
                    d.file.seek(static_cast<std::int32_t>(
                        d.keys[static_cast<std::size_t>(d.currentEntry)].offset));
                    ++d.currentEntry;
                } else {
                    if (d.currentEntry < 0) {
                        if (!endOfFile()) {
                            return;
                        }
                        continue;
                    }
                    d.currentEntry = std::min(d.currentEntry, count - 1);
                    d.file.seek(static_cast<std::int32_t>(
                        d.keys[static_cast<std::size_t>(d.currentEntry)].offset));
                    --d.currentEntry;
                }
            }
        }
        if (speedIndex_.load() != s) {
            continue;
        }
        const std::int64_t at = d.file.tell();
        // The I-frame table ends the packets as the end of the file would.
        if (d.dataEnd != 0 && at >= static_cast<std::int64_t>(d.dataEnd)) {
            if (!endOfFile()) {
                return;
            }
            continue;
        }
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
        if (t == 4) {
            continue;  // an empty packet: try the next 4 bytes
        }
        const bool overTable = d.dataEnd != 0 && at + static_cast<std::int64_t>(t) >
                                                     static_cast<std::int64_t>(d.dataEnd);
        if (!VORTA::isPacketLengthInRange(t) || overTable) {
            if (!endOfFile()) {
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
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        if (speedIndex_.load() != s) {
            continue;
        }
        VORTA::REPLY_DATA packet;
        if (packet.parse(buf, t) == 0) {
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        VORTA::PacketRecord record = VORTA::makePacketRecord(d.header, packet, channel_);
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
            d.current = record.instant;
        }
        return;
    }
}

SSFChannelReader::ptime SSFChannelReader::currentInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->current;
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

void SSFChannelReader::playForwardFrom(int date, int time) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    speedIndex_.store(kSpeedIndexNormal);
    direction_.store(DIRECTION_FORWARD);
    seek(date, time);
}

void SSFChannelReader::playBackwardFrom(int date, int time) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (speedIndex_.load() == kSpeedIndexReverse) {
        return;
    }
    speedIndex_.store(kSpeedIndexReverse);
    direction_.store(DIRECTION_BACKWARD);
    seek(date, time);
}

SSFChannelReader::ptime SSFChannelReader::fileStart(const std::string& path) const {
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return pt::ptime(pt::not_a_date_time);
    }
    const std::vector<KeyFrame> keys =
        readKeyFrameList(path, f.file.get(), f.header.iframeProperties.tableOffset());
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
    const std::uint32_t tableOffset = f.header.iframeProperties.tableOffset();
    const std::vector<KeyFrame> keys = readKeyFrameList(path, f.file.get(), tableOffset);
    std::uint32_t stamp = 0;
    if (!keys.empty()) {
        stamp = keys.back().timeMs;
    } else if (tableOffset == 0) {
        stamp = f.header.fileProperties.recordingLength;
    } else {
        return pt::ptime(pt::not_a_date_time);
    }
    if (stamp > kMaxStampMs) {
        // A recording covers less than an hour: such a stamp is no end.
        return pt::ptime(pt::not_a_date_time);
    }
    return f.start + pt::milliseconds(static_cast<std::int64_t>(stamp));
}

std::int64_t SSFChannelReader::findOffset(const std::string& path, const ptime& target) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const bool backward = direction_.load() == DIRECTION_BACKWARD;
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time() || target.is_special()) {
        return -1;
    }
    const std::uint32_t tableOffset = f.header.iframeProperties.tableOffset();
    const std::vector<KeyFrame> keys = readKeyFrameList(path, f.file.get(), tableOffset);
    if (keys.empty()) {
        // Nothing to choose from: the file is read from its first packet.
        d_->currentEntry = 0;
        return f.firstPacket;
    }
    const int count = static_cast<int>(keys.size());
    pt::ptime previous;
    for (int i = 0; i < count; ++i) {
        const pt::ptime t =
            f.start +
            pt::milliseconds(static_cast<std::int64_t>(keys[static_cast<std::size_t>(i)].timeMs));
        d_->currentEntry = i;
        if (i == 0) {
            if (t >= target) {
                return keys[0].offset;
            }
        } else if (!backward) {
            if (previous < target && target <= t) {
                return keys[static_cast<std::size_t>(i)].offset;
            }
        } else if (previous <= target && target < t) {
            // The earlier key frame; the entry stays at the later one.
            return keys[static_cast<std::size_t>(i) - 1].offset;
        }
        previous = t;
    }
    d_->currentEntry = backward ? count - 1 : 0;
    return -1;
}

bool SSFChannelReader::seek(int date, int time) {
    const pt::ptime target = instantOrUnset(date, time);
    if (target.is_not_a_date_time()) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    d.current = pt::ptime(pt::not_a_date_time);
    d.sample.reset();
    const FileSearch where = static_cast<int>(d.files.size()) > kLinearSearchMaxFiles
                                 ? searchBinary(target)
                                 : searchLinear(target);
    if (where.file < 0) {
        d.file.close();
        d.currentFile = -1;
        return true;
    }
    d.currentFile = where.file;
    openCurrentFile();
    if (!d.file.isOpen()) {
        return true;
    }
    const std::int64_t offset = findOffset(d.files[static_cast<std::size_t>(where.file)], target);
    const bool haveEntry = d.currentEntry >= 0 && d.currentEntry < static_cast<int>(d.keys.size());
    if (where.inside && offset >= 0) {
        d.file.seek(static_cast<std::int32_t>(offset));
    } else if (haveEntry) {
        d.file.seek(
            static_cast<std::int32_t>(d.keys[static_cast<std::size_t>(d.currentEntry)].offset));
    } else if (offset >= 0) {
        d.file.seek(static_cast<std::int32_t>(offset));
    } else {
        d.file.seek(static_cast<std::int32_t>(d.firstPacket));
    }
    readNext();
    return true;
}

void SSFChannelReader::goToFirst() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    d.file.close();
    openCurrentFile();
    if (!d.file.isOpen()) {
        return;
    }
    d.current = pt::ptime(pt::not_a_date_time);
    d.currentEntry = 0;
    if (!d.keys.empty()) {
        d.file.seek(static_cast<std::int32_t>(d.keys.front().offset));
    }
    readNext();
}

void SSFChannelReader::goToLast() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    d.file.close();
    openCurrentFile();
    if (!d.file.isOpen()) {
        return;
    }
    d.current = pt::ptime(pt::not_a_date_time);
    d.currentEntry = static_cast<int>(d.keys.size()) - 1;
    if (!d.keys.empty()) {
        d.file.seek(static_cast<std::int32_t>(d.keys.back().offset));
    }
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

// Chooses between the file before and the file after a target that lies in
// no file: the next one when playing forward (or still), the previous one
// when playing backward, else whichever exists.
SSFChannelReader::FileSearch nearestFile(int before, int after, int direction) {
    SSFChannelReader::FileSearch r;
    if (direction == DIRECTION_BACKWARD) {
        r.file = before >= 0 ? before : after;
    } else {
        r.file = after >= 0 ? after : before;
    }
    return r;
}

}  // namespace

SSFChannelReader::FileSearch SSFChannelReader::searchLinear(const ptime& target) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const Impl& d = *d_;
    std::ostream& log = *d.log;
    int before = -1;
    int after = -1;
    for (std::size_t i = 0; i < d.files.size(); ++i) {
        const std::string& path = d.files[i];
        const pt::ptime start = nameInstant(path);
        if (start.is_not_a_date_time()) {
            continue;
        }
        log << "ch." << channel_ << " date:" << dateOfPath(path) << " time:<<" << timeOfPath(path)
            << "\n";
        const pt::ptime end = fileEnd(path);
        if (end.is_not_a_date_time()) {
            continue;
        }
        if (start <= target && target <= end) {
            return FileSearch{static_cast<int>(i), true};
        }
        if (start > target) {
            log << "ch." << channel_ << " 1. temp find!!!\n";
            after = static_cast<int>(i);
            break;  // the list is in time order: no later file holds the target
        }
        log << "ch." << channel_ << " 2. find!!!\n";
        before = static_cast<int>(i);
    }
    return nearestFile(before, after, direction_.load());
}

SSFChannelReader::FileSearch SSFChannelReader::searchBinary(const ptime& target) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const Impl& d = *d_;
    std::ostream& log = *d.log;
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
        log << "ch." << channel_ << " date:" << dateOfPath(path) << " time:<<" << timeOfPath(path)
            << "\n";
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

VORTA::HEADERUNIT SSFChannelReader::headerUnit() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->header;
}

void SSFChannelReader::setLog(std::ostream* log) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->log = log != nullptr ? log : &std::cout;
}
