#pragma once

// H.264 encoder of the demo card on libavcodec's libx264: zero latency, no
// B-frames, an IDR picture with SPS and PPS every `fps` pictures, Annex B
// output, exactly one access unit per picture, x264's own threads off so that
// the output depends on the input alone.
//
// Two settings. Fast: x264's ultrafast preset (no CABAC, no deblocking), the
// cheapest stream to make and to decode, for tests. Recorder: what the
// encoders of recorders write, CABAC and the deblocking filter on, one
// reference picture, quality-driven but capped at the bit rate a recorder
// gives the picture size and rate (8 Mb/s at 1920x1080 and 30 fps, scaled by
// the picture area and by the square root of the frame rate: 2.5 Mb/s at
// 1280x720 and 15 fps).
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

enum class EncoderSettings { Fast, Recorder };

// The cap of the Recorder settings, in bits per second.
int64_t recorderBitRate(int width, int height, int fps);

class H264Encoder {
public:
    // Opens the encoder for width x height pictures at fps.
    bool open(int width, int height, int fps, EncoderSettings settings, std::string* error);

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
