#include "recording/PacketScan.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "recording/ByteReader.h"
#include "recording/FileOffset.h"
#include "recording/PacketTime.h"

namespace packetscan {

namespace {

// Beyond this an offset is no file offset at all.
constexpr std::uint64_t kLargestOffset =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace

namespace {

// Bytes read at a time while looking for a packet head.
constexpr std::size_t kWindowSize = 64 * 1024;
// Entries of a key-frame list whose packets are looked at.
constexpr std::size_t kSampledEntries = 8;

Head headAt(const std::uint8_t* p) {
    Head h;
    h.length = VORTA::loadU32(p);
    h.flags = p[4];
    h.stamp = VORTA::loadU32(p + 5);
    return h;
}

// A plausible head that follows `previous` closely in time.
bool follows(const Head& head, const Head& previous) {
    return head.stamp + kStampSlackMs >= previous.stamp &&
           head.stamp <= previous.stamp + kStampGapMs;
}

// The two packets after the one at `offset` are plausible and close in time,
// or the run ends exactly at `limit`.
bool runHolds(std::FILE* f, std::uint64_t offset, const Head& head, std::uint64_t limit,
              const Streams& streams) {
    Head previous = head;
    std::uint64_t at = offset + head.length;
    for (int i = 0; i < 2; ++i) {
        if (at == limit) {
            return true;
        }
        Head next;
        if (!readHead(f, at, &next) || !isPlausibleHead(next, at, limit, streams) ||
            !follows(next, previous)) {
            return false;
        }
        previous = next;
        at += next.length;
    }
    return true;
}

}  // namespace

Streams::Streams(const VORTA::HEADERUNIT& header)
    : video(header.videoProperties.streamNumber), audio(header.audioProperties.streamNumber) {}

bool Streams::carries(std::uint8_t stream) const {
    return stream == video || stream == audio || stream == 3 || stream == 4;
}

bool readHead(std::FILE* f, std::uint64_t offset, Head* head) {
    std::uint8_t bytes[VORTA::kPacketHeadSize];
    if (offset > kLargestOffset ||
        !fileoffset::seek(f, static_cast<std::int64_t>(offset)) ||
        std::fread(bytes, 1, sizeof bytes, f) != sizeof bytes) {
        return false;
    }
    *head = headAt(bytes);
    return true;
}

bool isPlausibleHead(const Head& head, std::uint64_t offset, std::uint64_t limit,
                     const Streams& streams) {
    const std::size_t minimum = (head.flags & VORTA::kFlagExtension) != 0
                                    ? VORTA::kPacketHeadSizeWithExtension + VORTA::kPacketMinTail
                                    : VORTA::kPacketHeadSize + VORTA::kPacketMinTail;
    return head.length >= minimum && VORTA::isPacketLengthInRange(head.length) &&
           offset + head.length <= limit && streams.carries(head.stream()) &&
           head.stamp < VORTA::kLongestRecordingMs;
}

std::int64_t findPacket(std::FILE* f, std::uint64_t from, std::uint64_t limit,
                        const Streams& streams, std::uint32_t minStamp) {
    if (from >= limit) {
        return -1;
    }
    std::vector<std::uint8_t> window(
        static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, limit - from)));
    std::uint64_t base = from;
    while (base + VORTA::kPacketHeadSize <= limit) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, limit - base));
        if (base > kLargestOffset ||
            !fileoffset::seek(f, static_cast<std::int64_t>(base))) {
            return -1;
        }
        const std::size_t got = std::fread(window.data(), 1, want, f);
        if (got < VORTA::kPacketHeadSize) {
            return -1;
        }
        const std::size_t last = got - VORTA::kPacketHeadSize;
        const std::uint8_t* bytes = window.data();
        // A length is at most 0x00400000: its high byte is 0. Candidates are
        // found by looking for zero bytes, which damaged data and coded
        // pictures hold few of, before anything else is parsed.
        const std::uint8_t* zero = bytes + 3;
        const std::uint8_t* const zerosEnd = bytes + last + 4;
        while (zero < zerosEnd) {
            zero = static_cast<const std::uint8_t*>(
                std::memchr(zero, 0, static_cast<std::size_t>(zerosEnd - zero)));
            if (zero == nullptr) {
                break;
            }
            const std::size_t i = static_cast<std::size_t>(zero - bytes) - 3;
            ++zero;
            if (bytes[i + 2] > 0x40) {
                continue;
            }
            const Head head = headAt(bytes + i);
            const std::uint64_t at = base + i;
            if (!isPlausibleHead(head, at, limit, streams) ||
                head.stamp + kStampSlackMs < minStamp) {
                continue;
            }
            if (runHolds(f, at, head, limit, streams)) {
                return static_cast<std::int64_t>(at);
            }
            // runHolds moved the stream; the window is still in memory.
        }
        if (got < want) {
            return -1;
        }
        // The next window starts where the last complete head of this one
        // could not be tested.
        base += last + 1;
    }
    return -1;
}

std::vector<KeyFrame> scanKeyFrames(std::FILE* f, std::uint64_t first, std::uint64_t limit,
                                    const Streams& streams) {
    std::vector<KeyFrame> keys;
    std::uint64_t at = first;
    std::uint32_t latest = 0;
    while (at + VORTA::kPacketHeadSize <= limit) {
        Head head;
        if (!readHead(f, at, &head)) {
            break;
        }
        if (isPlausibleHead(head, at, limit, streams) && head.stamp + kStampSlackMs >= latest) {
            if (streams.isKeyFrame(head) && (keys.empty() || head.stamp >= keys.back().timeMs)) {
                keys.push_back(KeyFrame{at, head.stamp});
            }
            latest = std::max(latest, head.stamp);
            at += head.length;
            continue;
        }
        const std::int64_t next = findPacket(f, at + 1, limit, streams, latest);
        if (next < 0) {
            break;
        }
        at = static_cast<std::uint64_t>(next);
    }
    return keys;
}

bool keyFramesFit(std::FILE* f, const std::vector<KeyFrame>& keys, std::uint64_t first,
                  std::uint64_t limit, const Streams& streams) {
    if (keys.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const KeyFrame& k = keys[i];
        if (k.offset < first || k.offset + VORTA::kPacketHeadSize > limit ||
            k.timeMs >= VORTA::kLongestRecordingMs) {
            return false;
        }
        if (i > 0 && (k.offset <= keys[i - 1].offset || k.timeMs < keys[i - 1].timeMs)) {
            return false;
        }
    }
    const std::size_t n = keys.size();
    const std::size_t samples = std::min(n, kSampledEntries);
    for (std::size_t s = 0; s < samples; ++s) {
        // Evenly spread, the first and the last entry always among them.
        const std::size_t i = samples == 1 ? 0 : s * (n - 1) / (samples - 1);
        Head head;
        if (!readHead(f, keys[i].offset, &head) ||
            !isPlausibleHead(head, keys[i].offset, limit, streams) || !streams.isKeyFrame(head) ||
            head.stamp != keys[i].timeMs) {
            return false;
        }
    }
    return true;
}

}  // namespace packetscan
