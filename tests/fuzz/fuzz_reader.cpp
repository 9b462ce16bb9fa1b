// A whole recording file, read through a channel reader: at normal speed from
// its first packet on, then at a key-frame speed picked from the input (so
// that a run covers every speed) after a seek into it. (Going to the first
// and last key frame: fuzz_keyframes.) The input is written twice, as two consecutive recordings of one
// channel, so that the moves between files are exercised too.
//
// Fast enough for 10^5 inputs in the CI's 30 s: one reader serves every input
// (reset in between, so nothing of the last one stays open); the input is
// written in place into one file in a scratch folder in memory when there is
// one, the second recording being a link to it; each input takes two speeds,
// not all fifteen, and one seek.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "FuzzFiles.h"
#include "core/Params.h"
#include "core/PlaybackTypes.h"
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

SSFChannelReader& readerFor(const std::string& first, const std::string& second) {
    static SSFChannelReader* reader = [&]() {
        SourceParams params;
        params.audioSink = [](READASTREAM* a) {
            if (a->size < 0 || (a->size > 0 && a->data == nullptr)) {
                __builtin_trap();
            }
        };
        // Seek lines go nowhere: a stream without buffer drops what it is given.
        static std::ostream quiet(nullptr);
        auto* r = new SSFChannelReader(3, params);
        r->setLog(&quiet);
        r->addFile(second);
        r->addFile(first);
        return r;
    }();
    return *reader;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& day = fuzzfiles::dayFolder("reader");
    const std::string first = day + "/120000030.ssf";
    const std::string second = day + "/120100030.ssf";
    static fuzzfiles::ScratchFile file(first);
    static const bool linked = ::symlink(first.c_str(), second.c_str()) == 0;
    if (!linked) {
        __builtin_trap();
    }
    SSFChannelReader& reader = readerFor(first, second);
    // Closed before the file changes under it.
    reader.reset();
    file.write(data, size);
    reader.prepare();

    // Normal speed (no valid date: the speed is taken without a seek).
    reader.repositionAt(kSpeedIndexNormal, 0, 0);
    reader.startAtFirstFile();
    readOut(reader);
    // A key-frame speed: 0..6 backward, 9..14 forward.
    const int keySpeeds[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14};
    reader.repositionAt(keySpeeds[size == 0 ? 0 : data[size / 2] % 13], 20260301, 120001);
    readOut(reader);
    return 0;
}
