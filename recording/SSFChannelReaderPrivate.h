#pragma once

// Shared by the channel reader's sources (SSFChannelReader*.cpp) only: the
// reader's state and the helpers its parts share.

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

namespace ssfreader {

using KeyFrame = SSFChannelReader::KeyFrame;
using KeySource = SSFChannelReader::KeySource;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads and parses the header unit at the current position (offset 0) of f,
// refusing one larger than `limit`. On success f stands at the first packet,
// whose offset goes to *firstPacket.
bool readHeaderUnit(std::FILE* f, std::size_t limit, VORTA::HEADERUNIT* header,
                    std::uint32_t* firstPacket);

// Where the packets of a file end: its I-frame table when that lies within
// the file, else the file's end.
std::uint64_t dataLimit(std::uint32_t tableOffset, std::uint32_t firstPacket,
                        std::int64_t fileSize);

// The key frames of a recording file as every user of the list (opening,
// start, end, offset search) reads them, so that entry numbers agree: the
// index file when it fits the recording, else the I-frame table when it
// fits, else the whole entries of a cut index file when they fit. f's
// position is not kept.
std::vector<KeyFrame> readKeyFrameList(const std::string& ssfPath, std::FILE* ssf,
                                       const VORTA::HEADERUNIT& header, std::uint32_t firstPacket,
                                       std::uint64_t limit, KeySource* source);

pt::ptime instantOrUnset(int date, int time);

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

}  // namespace ssfreader

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
