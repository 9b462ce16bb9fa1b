#pragma once

// H.264 decoder on libavcodec with conversion to packed RGBA through libswscale.
//
// Threading: one thread at a time per object (its decode worker). Every
// decoder owns its FFmpeg context, frames and scaler and shares nothing with
// any other, so decoders on different threads run at the same time without a
// lock; all members below belong to the thread that uses the object.

#include <cstdint>

#include "codecs/FFmpegHandles.h"
#include "codecs/VCodec.h"

struct AVCodec;

class VCodec_FFMpeg_Core : public IVCodec {
public:
    VCodec_FFMpeg_Core() = default;
    ~VCodec_FFMpeg_Core() override;
    VCodec_FFMpeg_Core(const VCodec_FFMpeg_Core&) = delete;
    VCodec_FFMpeg_Core& operator=(const VCodec_FFMpeg_Core&) = delete;

    bool openWithContext(AVCodecContext* context) override;
    bool openByKind(int kind) override;
    bool decode(VideoDecodeBuffer* buffer) override;
    bool close() override;

private:
    bool openContext();
    bool convert(VideoDecodeBuffer* buffer);
    void release();

    const AVCodec* m_decoder = nullptr;         // null until opened
    korvel::ffmpeg::CodecContextPtr m_context;  // null when closed
    korvel::ffmpeg::PacketPtr m_packet;         // reused for every packet; never owns data
    korvel::ffmpeg::FramePtr m_decoded;         // the picture being converted
    korvel::ffmpeg::FramePtr m_received;        // where the decoder hands out pictures
    korvel::ffmpeg::ScalerPtr m_scaler;         // for m_width x m_height from m_sourceFormat
    korvel::ffmpeg::MemoryPtr m_rgba;           // the converted picture
    std::uint8_t* m_rgbaPlanes[4] = {nullptr, nullptr, nullptr, nullptr};
    int m_rgbaLineSizes[4] = {0, 0, 0, 0};
    int m_width = -1;  // size of m_rgba; -1 when there is none
    int m_height = -1;
    int m_sourceFormat = -1;  // pixel format m_scaler converts from
};
