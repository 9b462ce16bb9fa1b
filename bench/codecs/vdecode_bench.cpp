// Time of one decode() call (H.264 decoding plus conversion to RGBA) for key
// frames and other frames at two picture sizes. The pictures are a moving
// gradient with fine texture, so that they code to realistic sizes.
//   bench_vdecode [ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "H264TestStream.h"
#include "codecs/VCodec.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

namespace {

void paint(AVFrame* frame, int index) {
    unsigned noise = 12345u + static_cast<unsigned>(index);
    for (int y = 0; y < frame->height; ++y) {
        std::uint8_t* line = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < frame->width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int value = ((x + 4 * index) * 255 / frame->width + y / 4) % 200 + 20 +
                              static_cast<int>((noise >> 16) % 9);
            line[x] = static_cast<std::uint8_t>(value);
        }
    }
    for (int plane = 1; plane < 3; ++plane) {
        for (int y = 0; y < frame->height / 2; ++y) {
            std::uint8_t* line = frame->data[plane] + y * frame->linesize[plane];
            for (int x = 0; x < frame->width / 2; ++x) {
                line[x] = static_cast<std::uint8_t>(96 + ((x + y + index * plane) % 64));
            }
        }
    }
}

void measure(int width, int height, int rounds) {
    const int pictures = 30;
    const auto stream = testing_h264::encodePictures(width, height, pictures, pictures, paint);
    if (static_cast<int>(stream.size()) != pictures) {
        std::printf("%dx%d: libx264 not available\n", width, height);
        return;
    }
    void* p = nullptr;
    if (!CreateVCodec(&p, 0) || p == nullptr) {
        std::abort();
    }
    auto* codec = static_cast<IVCodec*>(p);
    if (!codec->openByKind(0)) {
        std::abort();
    }
    std::vector<double> keyTimes;
    std::vector<double> otherTimes;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < pictures; ++i) {
            VideoDecodeBuffer buffer;
            buffer.data = stream[i].data();
            buffer.size = static_cast<int>(stream[i].size());
            const auto start = std::chrono::steady_clock::now();
            codec->decode(&buffer);
            const auto end = std::chrono::steady_clock::now();
            if (buffer.gotPicture == 0) {
                std::abort();
            }
            const double ms = std::chrono::duration<double, std::milli>(end - start).count();
            (i == 0 ? keyTimes : otherTimes).push_back(ms);
        }
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::size_t otherBytes = 0;
    for (int i = 1; i < pictures; ++i) {
        otherBytes += stream[i].size();
    }
    std::printf(
        "%4dx%-4d key frame %7zu bytes %6.2f ms | other frames %7zu bytes %6.2f ms (median)\n",
        width, height, stream[0].size(), median(keyTimes), otherBytes / (pictures - 1),
        median(otherTimes));
    codec->close();
    DestroyVCodec(&p);
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_QUIET);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    measure(640, 360, rounds);
    measure(1280, 720, rounds);
    measure(1920, 1080, rounds);
    return 0;
}
