// Key-frame lists from an index file: loaded on opening, and used by the file
// start and end, the offset search in both directions, the seek and key-frame
// play. Input: a 4-byte little-endian length n, then n bytes of index file,
// then the recording file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "FuzzFiles.h"
#include "core/Params.h"
#include "recording/SSFChannelReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    std::size_t n = static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8) |
                    (static_cast<std::size_t>(data[2]) << 16) |
                    (static_cast<std::size_t>(data[3]) << 24);
    n = n > size - 4 ? size - 4 : n;
    const std::string& day = fuzzfiles::dayFolder("keyframes");
    const std::string ssf = day + "/120000000.ssf";
    fuzzfiles::writeFile(day + "/120000000.idx", data + 4, n);
    fuzzfiles::writeFile(ssf, data + 4 + n, size - 4 - n);

    std::ostream quiet(nullptr);
    SSFChannelReader reader(0, SourceParams());
    reader.setLog(&quiet);
    reader.addFile(ssf);
    reader.prepare();
    reader.rewind();
    reader.openCurrentFile();
    const int count = reader.entryCount();
    if (count < 0 || count > 65535 || reader.currentEntry() >= count + 1) {
        __builtin_trap();
    }
    const boost::posix_time::ptime base = SSFChannelReader::nameInstant(ssf);
    for (const int speed : {10, 4}) {
        reader.setSpeed(speed, 20260301, 120001);
        for (const long ms : {-1000L, 0L, 1500L, 3600000L}) {
            reader.findOffset(ssf, base + boost::posix_time::milliseconds(ms));
            // A file without a list that fits gets one from its packets here,
            // at most one entry per smallest packet.
            const int bound = std::max(count, reader.entryCount()) + static_cast<int>(size / 11);
            if (reader.currentEntry() < -1 || reader.currentEntry() > bound) {
                __builtin_trap();
            }
        }
        for (int i = 0; i < 64 && !reader.currentInstant().is_not_a_date_time(); ++i) {
            reader.readNext();
        }
        reader.goToLast();
    }
    return 0;
}
