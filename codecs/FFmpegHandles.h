#pragma once

// Owning smart pointers for the FFmpeg handles the codecs keep. The deleters
// are defined out of line so that headers can hold these pointers with only
// forward declarations of the FFmpeg types.

#include <memory>

struct AVCodecContext;
struct AVCodecParameters;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace korvel::ffmpeg {

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const;  // avcodec_free_context (closes it too)
};
struct CodecParametersDeleter {
    void operator()(AVCodecParameters* parameters) const;  // avcodec_parameters_free
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const;  // av_frame_free
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const;  // av_packet_free
};
struct ScalerDeleter {
    void operator()(SwsContext* scaler) const;  // sws_freeContext
};
struct MemoryDeleter {
    void operator()(void* memory) const;  // av_free
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using CodecParametersPtr = std::unique_ptr<AVCodecParameters, CodecParametersDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerDeleter>;
using MemoryPtr = std::unique_ptr<unsigned char, MemoryDeleter>;

}  // namespace korvel::ffmpeg
