// Feeds arbitrary bytes to the recording-file parsers the way a reader meets
// them: a header unit at offset 0, then packets back to back, each mapped to
// its record; and the whole input once more as a single packet.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "recording/PacketRecords.h"
#include "recording/Vorta.h"

namespace {

// The reader's header buffer.
constexpr std::size_t kHeaderBuffer = 10240;

void mapPacket(const VORTA::HEADERUNIT& header, const VORTA::REPLY_DATA& packet) {
    VORTA::PacketRecord record = VORTA::makePacketRecord(header, packet, 1);
    if (auto* video = dynamic_cast<READVSTREAM*>(record.sample.get())) {
        const READVSTREAM copy(*video);
        if (copy.size != video->size) {
            __builtin_trap();
        }
    }
    if (record.kind == VORTA::PacketKind::Audio) {
        const READASTREAM copy(record.audio);
        if (copy.size != record.audio.size) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VORTA::HEADERUNIT header;
    std::size_t pos = 0;
    const std::uint64_t declared = VORTA::HEADERUNIT::declaredSize(data, size);
    if (declared != 0 && declared <= size && declared <= kHeaderBuffer &&
        header.parse(data, static_cast<std::size_t>(declared)) != 0) {
        pos = static_cast<std::size_t>(declared);
    }
    // The walk over the whole input: its limits come from the lead-in alone.
    VORTA::HEADERUNIT whole;
    whole.parse(data, size);
    const VORTA::HEADERUNIT copy(whole);
    (void)copy;

    VORTA::REPLY_DATA packet;
    while (pos < size) {
        const std::size_t used = packet.parse(data + pos, size - pos);
        if (used == 0) {
            break;
        }
        mapPacket(header, packet);
        pos += used;
    }
    if (packet.parse(data, size) != 0) {
        mapPacket(whole, packet);
    }
    return 0;
}
