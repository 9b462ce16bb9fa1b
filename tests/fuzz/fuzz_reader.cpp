// A whole recording file, read through a channel reader at every speed: from
// the first packet on, after a seek into it and from its last key frame. The
// input is written twice, as two consecutive recordings of one channel, so
// that the moves between files are exercised too.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "FuzzFiles.h"
#include "engine/Params.h"
#include "engine/PlaybackTypes.h"
#include "recording/SSFChannelReader.h"

namespace {

// More reads than any input of the fuzzer's size can feed.
constexpr int kMaxReads = 4000;

void readOut(SSFChannelReader& reader) {
    for (int i = 0; i < kMaxReads && !reader.currentInstant().is_not_a_date_time(); ++i) {
        reader.readNext();
        if (STREAMOBJECT* s = reader.currentSample()) {
            if (s->channel != 3) {
                __builtin_trap();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& day = fuzzfiles::dayFolder("reader");
    const std::string first = day + "/120000030.ssf";
    const std::string second = day + "/120100030.ssf";
    fuzzfiles::writeFile(first, data, size);
    fuzzfiles::writeFile(second, data, size);

    SourceParams params;
    params.audioSink = [](READASTREAM* a) {
        if (a->size < 0 || (a->size > 0 && a->data == nullptr)) {
            __builtin_trap();
        }
    };
    // Seek lines go nowhere: a stream without buffer drops what it is given.
    std::ostream quiet(nullptr);
    SSFChannelReader reader(3, params);
    reader.setLog(&quiet);
    reader.addFile(second);
    reader.addFile(first);
    reader.prepare();
    for (int speed = 0; speed < kSpeedIndexCount; ++speed) {
        reader.reset();
        reader.rewind();
        reader.openCurrentFile();
        if (speed == reader.speedIndex()) {
            reader.seek(20260301, 120000);
        } else {
            reader.setSpeed(speed, 20260301, 120000);
        }
        readOut(reader);
        reader.goToFirstFile();
        readOut(reader);
        reader.seek(20260301, 120001);
        readOut(reader);
        reader.goToLastFile();
        readOut(reader);
    }
    return 0;
}
