#pragma once

// H.264 encoder of the demo card on libavcodec's libx264: ultrafast, zero
// latency, no B-frames, an IDR picture with SPS and PPS every `fps` pictures,
// Annex B output, exactly one access unit per picture, x264's own threads off so
// that the output depends on the input alone.
// Threading: one encoder per thread; separate encoders are independent.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Painter.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace mkcard {

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const;
};
struct FrameDeleter {
    void operator()(AVFrame* f) const;
};
struct PacketDeleter {
    void operator()(AVPacket* p) const;
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

class H264Encoder {
public:
    // Opens the encoder for width x height pictures at fps.
    bool open(int width, int height, int fps, std::string* error);

    // The picture to paint next; valid until the next encode.
    bool picture(YuvPicture* out, std::string* error);

    // Encodes the painted picture as picture number pts. On success *unit holds
    // one access unit and *key tells whether it is an IDR picture.
    bool encode(int64_t pts, std::vector<uint8_t>* unit, bool* key, std::string* error);

private:
    CodecContextPtr context_;
    FramePtr frame_;
    PacketPtr packet_;
};

// Text of an FFmpeg error code.
std::string ffmpegError(int code);

}  // namespace mkcard
