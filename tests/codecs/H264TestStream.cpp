#include "H264TestStream.h"

#include <array>

#include "codecs/FFmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

namespace testing_h264 {
namespace {

// Studio-range BT.601 (Y, U, V), the matrix the decoder side assumes for such streams.
std::array<int, 3> toYuv(const Rgb& c) {
    const double y = 16 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 255.0;
    const double u = 128 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 255.0;
    const double v = 128 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 255.0;
    return {static_cast<int>(y + 0.5), static_cast<int>(u + 0.5), static_cast<int>(v + 0.5)};
}

void fill(AVFrame* frame, const Halves& halves) {
    const std::array<int, 3> left = toYuv(halves.left);
    const std::array<int, 3> right = toYuv(halves.right);
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? frame->width : frame->width / 2;
        const int height = plane == 0 ? frame->height : frame->height / 2;
        for (int row = 0; row < height; ++row) {
            std::uint8_t* line = frame->data[plane] + row * frame->linesize[plane];
            for (int col = 0; col < width; ++col) {
                line[col] = static_cast<std::uint8_t>(col < width / 2 ? left[plane] : right[plane]);
            }
        }
    }
}

void drain(AVCodecContext* context, AVPacket* packet, std::vector<Packet>& out) {
    while (avcodec_receive_packet(context, packet) == 0) {
        out.emplace_back(packet->data, packet->data + packet->size);
        av_packet_unref(packet);
    }
}

}  // namespace

std::vector<Packet> encodePictures(int width, int height, int count, int keyInterval,
                                   const Painter& paint) {
    std::vector<Packet> out;
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    if (encoder == nullptr) {
        return out;
    }
    korvel::ffmpeg::CodecContextPtr context(avcodec_alloc_context3(encoder));
    korvel::ffmpeg::FramePtr frame(av_frame_alloc());
    korvel::ffmpeg::PacketPtr packet(av_packet_alloc());
    if (!context || !frame || !packet) {
        return out;
    }
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_YUV420P;
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, 25};
    context->framerate = AVRational{25, 1};
    context->gop_size = keyInterval;
    context->max_b_frames = 0;
    context->thread_count = 1;
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    if (avcodec_open2(context.get(), encoder, nullptr) < 0 ||
        av_frame_get_buffer(frame.get(), 0) < 0) {
        return out;
    }
    for (int i = 0; i < count; ++i) {
        if (av_frame_make_writable(frame.get()) < 0) {
            return {};
        }
        paint(frame.get(), i);
        frame->pts = i;
        if (avcodec_send_frame(context.get(), frame.get()) < 0) {
            return {};
        }
        drain(context.get(), packet.get(), out);
    }
    avcodec_send_frame(context.get(), nullptr);
    drain(context.get(), packet.get(), out);
    return out;
}

std::vector<Packet> encodeHalves(int width, int height, const std::vector<Halves>& pictures,
                                 int keyInterval) {
    return encodePictures(width, height, static_cast<int>(pictures.size()), keyInterval,
                          [&](AVFrame* frame, int index) { fill(frame, pictures[index]); });
}

}  // namespace testing_h264
