#pragma once

// Finding packets in a damaged recording file without trusting what the
// damage may have hit: plausible packet heads, the next packet after a bad
// stretch, the key frames of a file whose index file and I-frame table are
// missing or wrong, and the check of a key-frame list against the packets
// it points at.
//
// A packet head is plausible when its length is in range and ends within the
// file's data, its stream number is one the file carries (video, audio, GPS
// or G-sensor) and its time stamp lies within the hour a recording covers.
// After damage the reader does not take one plausible head as the way back
// into the file: the heads that follow it must be plausible too, with time
// stamps close to each other, so that a few payload bytes that happen to
// look like a head do not count.
//
// Threading: free functions without shared state. Each works on the stream
// it is given, whose position it changes; the caller serialises access.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "recording/Vorta.h"

namespace packetscan {

// One key frame: its packet's file offset and its time stamp (ms since the
// file's start instant).
struct KeyFrame {
    std::uint64_t offset = 0;
    std::uint32_t timeMs = 0;
};

// The first 9 bytes of a packet.
struct Head {
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
    std::uint32_t stamp = 0;

    std::uint8_t stream() const { return flags & VORTA::kFlagStreamMask; }
    bool isKeyFlag() const { return (flags & VORTA::kFlagKeyFrame) != 0; }
};

// The stream numbers a file's packets carry, from its header unit.
struct Streams {
    std::uint8_t video = 0;
    std::uint8_t audio = 0;

    explicit Streams(const VORTA::HEADERUNIT& header);
    bool carries(std::uint8_t stream) const;
    bool isKeyFrame(const Head& head) const { return head.stream() == video && head.isKeyFlag(); }
};

// Packets of one file are written in time-stamp order; streams may be
// interleaved a little out of order, never by more than this.
constexpr std::uint32_t kStampSlackMs = 2000;
// Two neighbouring packets of a file are never further apart than this.
constexpr std::uint32_t kStampGapMs = 10000;

// Reads the head at `offset`; false on a short read.
bool readHead(std::FILE* f, std::uint64_t offset, Head* head);

// Whether a head at `offset` is plausible for a file whose packets end at
// `limit` (its I-frame table, or its end).
bool isPlausibleHead(const Head& head, std::uint64_t offset, std::uint64_t limit,
                     const Streams& streams);

// The first offset in [from, limit) where a plausible packet starts whose
// time stamp is not below `minStamp` (less the slack) and whose next two
// packets are plausible and close in time, or which ends exactly at `limit`;
// -1 when there is none.
std::int64_t findPacket(std::FILE* f, std::uint64_t from, std::uint64_t limit,
                        const Streams& streams, std::uint32_t minStamp);

// The key frames of the packets between `first` and `limit`, found by walking
// the packet heads (payloads are skipped); damage is stepped over as
// findPacket does.
std::vector<KeyFrame> scanKeyFrames(std::FILE* f, std::uint64_t first, std::uint64_t limit,
                                    const Streams& streams);

// Whether a key-frame list read from an index file or an I-frame table fits
// the recording: every entry lies between `first` and `limit`, offsets rise,
// time stamps do not fall and stay within the hour, and the packets at a
// sample of entries (the first, the last and some between) are key frames
// with the entry's time stamp. An empty list does not fit.
bool keyFramesFit(std::FILE* f, const std::vector<KeyFrame>& keys, std::uint64_t first,
                  std::uint64_t limit, const Streams& streams);

}  // namespace packetscan
