#pragma once

// Video decoder interface and its exported factory.
//
// Threading: a decoder object is used by one thread at a time (its decode
// worker). Every operation of the FFmpeg decoder except the destructor runs
// under VCodecLock(), one process-wide recursive mutex, so opening, decoding
// and closing are serialised across all decoders of the process.

#include <cstdint>

#include <boost/thread/recursive_mutex.hpp>

#include "engine/EngineObject.h"

struct AVCodecContext;

// What decode() reads and writes. The caller fills data and size; the decoder
// fills the rest. The planes point into the decoder's own RGBA buffer and stay
// valid until the next decode() or close() of the same decoder.
struct VideoDecodeBuffer {
    const std::uint8_t* data = nullptr;  // in: one coded packet
    int size = 0;                        // in: bytes in data

    std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};  // out: packed RGBA in planes[0]
    int lineSizes[3] = {0, 0, 0};  // out: bytes per row (planes[0]: width * 4, no padding)
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

// The lock every video decoder of the process holds for each open, decode and
// close. Recursive, so a caller may hold it around several decoder calls.
boost::recursive_mutex& VCodecLock();

extern "C" {
// Kind 0 stores a new closed H.264 decoder in *out (null if allocation failed)
// and returns true. Any other kind (or a null out) returns false and leaves
// *out unchanged. The object is deleted with DestroyVCodec.
bool CreateVCodec(void** out, int kind);
}
