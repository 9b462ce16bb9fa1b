#include "export/H264Util.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "codecs/FFmpegHandles.h"

namespace exporting {

namespace {

// Offset of the next start code (00 00 01, possibly behind a further 00) at
// or after `from`, and its length; size when there is none.
int nextStartCode(const std::uint8_t* d, int size, int from, int* codeLength) {
    for (int i = from; i + 3 <= size; ++i) {
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) {
            if (i > from && d[i - 1] == 0) {
                *codeLength = 4;
                return i - 1;
            }
            *codeLength = 3;
            return i;
        }
    }
    *codeLength = 0;
    return size;
}

}  // namespace

std::vector<std::uint8_t> annexBParameterSets(const std::uint8_t* data, int size) {
    std::vector<std::uint8_t> out;
    if (data == nullptr || size <= 0) {
        return out;
    }
    int codeLength = 0;
    int at = nextStartCode(data, size, 0, &codeLength);
    while (at < size) {
        const int unitStart = at + codeLength;
        int nextLength = 0;
        const int unitEnd = nextStartCode(data, size, unitStart, &nextLength);
        if (unitStart < unitEnd) {
            const int type = data[unitStart] & 0x1F;
            if (type == 7 || type == 8) {
                static const std::uint8_t kStart[4] = {0, 0, 0, 1};
                out.insert(out.end(), kStart, kStart + 4);
                out.insert(out.end(), data + unitStart, data + unitEnd);
            }
        }
        at = unitEnd;
        codeLength = nextLength;
    }
    return out;
}

bool decodedPictureSize(const std::uint8_t* data, int size, int* width, int* height) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (codec == nullptr || data == nullptr || size <= 0) {
        return false;
    }
    korvel::ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    korvel::ffmpeg::PacketPtr packet(av_packet_alloc());
    korvel::ffmpeg::FramePtr frame(av_frame_alloc());
    if (!context || !packet || !frame || av_new_packet(packet.get(), size) < 0) {
        return false;
    }
    context->thread_count = 1;
    if (avcodec_open2(context.get(), codec, nullptr) < 0) {
        return false;
    }
    std::copy(data, data + size, packet->data);
    if (avcodec_send_packet(context.get(), packet.get()) < 0 ||
        avcodec_send_packet(context.get(), nullptr) < 0 ||
        avcodec_receive_frame(context.get(), frame.get()) < 0 || frame->width <= 0 ||
        frame->height <= 0) {
        return false;
    }
    *width = frame->width;
    *height = frame->height;
    return true;
}

}  // namespace exporting
