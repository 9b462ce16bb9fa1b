#pragma once

// Video decoder interface and its exported factory.
//
// Threading: a decoder object is used by one thread at a time (its decode
// worker). Decoders share no state, so any number of them open, decode and
// close on their own threads at the same time.

#include <cstdint>
#include <memory>

#include "core/EngineObject.h"
#include "core/PlaybackTypes.h"

struct AVCodecContext;

// What decode() reads and writes. The caller fills data, size and wanted; the
// decoder fills the rest. The planes point into the decoder's own buffers and
// stay valid until the next decode() or close() of the same decoder.
struct VideoDecodeBuffer {
    const std::uint8_t* data = nullptr;  // in: one coded packet
    int size = 0;                        // in: bytes in data
    // in: PICTURE_YUV420 asks for the decoded planes themselves when the
    // stream decodes to 8-bit 4:2:0 (no conversion, no copy); any other
    // stream, and PICTURE_RGBA, gives packed RGBA.
    int wanted = PICTURE_RGBA;

    int format = PICTURE_RGBA;  // out: the layout of the planes (PlaybackTypes.h)
    // out: with PICTURE_YUV420, whether the samples use the full 0-255 range
    // rather than 16-235 (16-240 for U and V).
    bool fullRange = false;
    std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};  // out: see format
    int lineSizes[3] = {0, 0, 0};  // out: bytes per row (RGBA: width * 4, no padding)
    // out: with PICTURE_YUV420, a reference to the decoded picture that keeps
    // the planes valid and unchanged for as long as it is held, beyond the
    // next decode() or close(): a consumer may keep it instead of copying.
    // Empty for RGBA pictures (their buffer is reused by the next decode).
    std::shared_ptr<const void> keep;
    int width = 0;                 // out: 0 when no picture came out
    int height = 0;                // out: 0 when no picture came out
    int heightCopy = 0;            // out: height again
    int gotPicture = 0;            // out: non-zero when a picture came out
    int result = 0;                // out: bytes consumed, or a negative FFmpeg error
};

class IVCodec : public IEngineObject {
public:
    ~IVCodec() override = default;

    // Opens a decoder for the codec and stream parameters of a context prepared
    // elsewhere. The context stays the caller's and is not used after the call:
    // the decoder works on its own copy, so one context may serve any number of
    // decoders, one after the other or at once.
    virtual bool openWithContext(AVCodecContext* context) = 0;
    // Kind 0 opens an H.264 decoder; every other kind fails.
    virtual bool openByKind(int kind) = 0;
    // False when the decoder is not open (buffer untouched). Otherwise true,
    // with a picture or with width, height and gotPicture 0 (corrupt packet).
    virtual bool decode(VideoDecodeBuffer* buffer) = 0;
    // Frees everything FFmpeg gave out; harmless on a closed decoder. Always true.
    virtual bool close() = 0;
};

extern "C" {
// Kind 0 stores a new closed H.264 decoder in *out (null if allocation failed)
// and returns true. Any other kind (or a null out) returns false and leaves
// *out unchanged. The object is deleted with DestroyVCodec.
bool CreateVCodec(void** out, int kind);

// Deletes *p through its virtual destructor when it is not null; does not clear *p.
// Always returns true. Any engine object a factory handed out (site, media
// source, video or audio codec) goes this way, since each one's root is
// IEngineObject.
bool DestroyVCodec(void** p);
}
