// The channel reader's key-frame index: the index file, the I-frame table,
// and finding the way back into a damaged file.

#include "recording/SSFChannelReaderPrivate.h"

using namespace ssfreader;

namespace {

constexpr std::size_t kIndexHeaderSize = 286;
constexpr std::size_t kIndexGapSize = 8;
constexpr std::size_t kIndexEntrySize = 16;
constexpr std::size_t kTableHeadSize = 10;
constexpr std::size_t kTableEntrySize = 8;

bool readWhole(std::FILE* f, void* out, std::size_t n) {
    return std::fread(out, 1, n, f) == n;
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
    if (fileoffset::seek(f, tableOffset) && readWhole(f, head, sizeof head) &&
        VORTA::loadU32(head) == VORTA::kIFrameTableMarker) {
        const unsigned count = static_cast<unsigned>(head[8] | (head[9] << 8));
        keys.reserve(count);
        std::uint8_t entry[kTableEntrySize];
        for (unsigned i = 0; i < count && readWhole(f, entry, sizeof entry); ++i) {
            keys.push_back(KeyFrame{VORTA::loadU32(entry), VORTA::loadU32(entry + 4)});
        }
    }
    return keys;
}

}  // namespace

namespace ssfreader {

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

}  // namespace ssfreader

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
               static_cast<std::int64_t>(
                   d.keys[static_cast<std::size_t>(d.currentEntry + 1)].offset) <= mark) {
            ++d.currentEntry;
        }
        d.currentEntry = std::max(d.currentEntry, 0);
    } else {
        d.currentEntry = 0;
        while (d.currentEntry < count &&
               static_cast<std::int64_t>(d.keys[static_cast<std::size_t>(d.currentEntry)].offset) <
                   mark) {
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
