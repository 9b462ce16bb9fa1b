// Every audio decoder kind over arbitrary bytes: the first byte picks the
// channel count for the FFmpeg decoder and where the rest is split into two
// calls, so that state carried from one call to the next is exercised too.
// The encoders get the same bytes as PCM.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "codecs/ACodec.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

// Reads every output byte, so that the sanitizer sees any overrun.
unsigned touch(const AudioDecodeBuffer& buffer, int capacity) {
    if (buffer.outputSize <= 0) {
        return 0;
    }
    if (buffer.output == nullptr || buffer.outputSize > capacity) {
        std::abort();
    }
    unsigned sum = 0;
    for (int i = 0; i < buffer.outputSize; ++i) {
        sum += buffer.output[i];
    }
    return sum;
}

int capacityOf(int kind) {
    switch (kind) {
        case kAudioG723:
            return 192000 * 2;
        case kAudioAdpcm:
            return 20480 * 2;
        case kAudioFFmpegMulaw:
            return 1 << 30;  // FFmpeg's own frame: as large as the packet asks
        default:
            return 20480;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    if (size < 1 || size > 100000) {
        return 0;
    }
    const int channels = data[0] & 3;
    const std::uint8_t* body = data + 1;
    const int length = static_cast<int>(size - 1);
    const int split = length == 0 ? 0 : (data[0] * 131) % (length + 1);

    volatile unsigned sink = 0;
    for (int kind = kAudioFFmpegMulaw; kind <= kAudioG711Ulaw; ++kind) {
        IACodec* raw = nullptr;
        if (!CreateACodec(&raw, kind) || raw == nullptr) {
            std::abort();
        }
        std::unique_ptr<IACodec> codec(raw);
        if (!codec->open(kind, 16, 8000, channels)) {
            continue;
        }
        const int parts[2][2] = {{0, split}, {split, length - split}};
        for (const auto& part : parts) {
            AudioDecodeBuffer buffer;
            buffer.input = body + part[0];
            buffer.inputSize = part[1];
            const bool ok = codec->decode(&buffer);
            if (ok && kind != kAudioFFmpegMulaw && buffer.outputSize <= 0) {
                std::abort();  // true means output came out
            }
            sink = sink + touch(buffer, capacityOf(kind));
        }
        AudioDecodeBuffer pcm;
        pcm.input = body;
        pcm.inputSize = length;
        codec->encode(&pcm);
        sink = sink + touch(pcm, capacityOf(kind));
        codec->close();
    }
    return 0;
}
