#pragma once

// G.711 µ-law decoding through libavcodec's PCM µ-law decoder.
//
// Threading: one thread only (the site's audio thread); no locks.

#include "codecs/ACodec.h"
#include "codecs/FFmpegHandles.h"

class ACodec_FFMpeg_Core : public IACodec {
public:
    ACodec_FFMpeg_Core() = default;
    ~ACodec_FFMpeg_Core() override = default;
    ACodec_FFMpeg_Core(const ACodec_FFMpeg_Core&) = delete;
    ACodec_FFMpeg_Core& operator=(const ACodec_FFMpeg_Core&) = delete;

    // param2 is the sample rate, param3 the channel count. False when FFmpeg
    // has no µ-law decoder or refuses these parameters.
    bool open(int kind, int param1, int param2, int param3) override;
    // False only when not open. An input that does not decode returns true
    // with no output (outputSize 0, gotFrame 0).
    bool decode(AudioDecodeBuffer* buffer) override;
    bool encode(AudioDecodeBuffer* buffer) override;  // no encoder: true
    bool close() override;

private:
    korvel::ffmpeg::CodecContextPtr m_context;  // null when closed
    korvel::ffmpeg::PacketPtr m_packet;         // reused; never owns data
    korvel::ffmpeg::FramePtr m_frame;           // holds the last decoded samples
    korvel::ffmpeg::FramePtr m_spare;           // drains any further frames
};
