#include "codecs/FFmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace korvel::ffmpeg {

void CodecContextDeleter::operator()(AVCodecContext* context) const {
    avcodec_free_context(&context);
}

void CodecParametersDeleter::operator()(AVCodecParameters* parameters) const {
    avcodec_parameters_free(&parameters);
}

void FrameDeleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

void PacketDeleter::operator()(AVPacket* packet) const {
    av_packet_free(&packet);
}

void ScalerDeleter::operator()(SwsContext* scaler) const {
    sws_freeContext(scaler);
}

void MemoryDeleter::operator()(void* memory) const {
    av_free(memory);
}

}  // namespace korvel::ffmpeg
