#pragma once

// Audio decoder interface and factory.
//
// Threading: a decoder is used by one thread only (the site's audio thread)
// and takes no locks. Its output buffer belongs to it: what decode() or
// encode() hands out stays valid until the next call on the same object.

#include <cstdint>

#include "core/EngineObject.h"

// What decode() and encode() read and write. The caller fills input and
// inputSize; the codec fills the rest.
struct AudioDecodeBuffer {
    const std::uint8_t* input = nullptr;  // coded bytes (encode: 16-bit PCM samples)
    int inputSize = 0;                    // bytes of input
    std::uint8_t* output = nullptr;       // the codec's own buffer (decode: 16-bit PCM)
    int outputSize = 0;                   // bytes of output; -1 for a malformed input
    int gotFrame = 0;                     // written by the FFmpeg-based decoder only
};

class IACodec : public IEngineObject {
public:
    ~IACodec() override = default;

    // kind is the codec kind the factory was asked for; the three parameters
    // are those of the recording's audio header (sample-size value, sample
    // rate, channel count). Only the FFmpeg-based decoder uses them.
    virtual bool open(int kind, int param1, int param2, int param3) = 0;
    // False when nothing came out.
    virtual bool decode(AudioDecodeBuffer* buffer) = 0;
    // True without doing anything where the codec has no encoder.
    virtual bool encode(AudioDecodeBuffer* buffer) = 0;
    // Always true.
    virtual bool close() = 0;
};

// Codec kinds the factory builds.
enum AudioCodecKind {
    kAudioFFmpegMulaw = 0,  // ACodec_FFMpeg_Core
    kAudioG723 = 1,         // CG723Coder
    kAudioAdpcm = 2,        // CAdpcmDecoder
    kAudioAdpcmHi = 3,      // ACodecAdpcmHi
    kAudioG711Alaw = 4,     // ACodecG711Alaw
    kAudioG711Ulaw = 5,     // ACodecG711Ulaw
};

// Kinds 0 to 5 store a new decoder in *out (null if allocation failed) and
// return true; any other kind (or a null out) returns false and leaves *out
// unchanged. Delete the decoder with delete or DestroyVCodec.
bool CreateACodec(IACodec** out, int kind);
