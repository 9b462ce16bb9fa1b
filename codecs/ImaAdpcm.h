#pragma once

// IMA/DVI ADPCM codecs: the block form (kind 2, CAdpcmDecoder) and the
// framed form with a frame header (kind 3, ACodecAdpcmHi).
//
// Threading: one thread per codec object; no locks.

#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/ACodec.h"

namespace ima {

constexpr int kMaxIndex = 88;

// Step size for a step index (clamped to 0..88).
int stepSize(int index);
// The step index after a 4-bit code.
int nextIndex(int index, int code);

// Running predictor and step index of one ADPCM stream.
struct State {
    int predictor = 0;
    int index = 0;
};

// Decodes one code the way the framed form does: step / 8, plus step for
// bit 2, step / 2 for bit 1, step / 4 for bit 0, each a right shift.
std::int16_t decodeFramed(State& state, int code);
// The code whose reconstruction by decodeFramed comes nearest to sample;
// advances the state exactly as decodeFramed does.
int encodeFramed(State& state, std::int16_t sample);
// Decodes one code the way the block form does: ((code & 7) * 2 + 1) * step / 8.
std::int16_t decodeBlock(State& state, int code);

}  // namespace ima

// Bookkeeping object of the block decoder; the block form carries all it
// needs in every block, so decoding keeps no state in it.
class ADPCMCoder {
public:
    ima::State state;
};

// Kind 2: whole 104-byte blocks (first sample, step index, one spare byte,
// 100 bytes of codes, low nibble first), 201 samples per block.
class CAdpcmDecoder : public IACodec {
public:
    static constexpr int kBlockBytes = 104;
    static constexpr int kSamplesPerBlock = 201;
    static constexpr int kMaxSamples = 20480;
    static constexpr int kMaxBlocks = kMaxSamples / kSamplesPerBlock;  // 101

    bool open(int kind, int param1, int param2, int param3) override;
    // Decodes the whole blocks of the input, at most kMaxBlocks; trailing bytes
    // are ignored. False when no whole block was there.
    bool decode(AudioDecodeBuffer* buffer) override;
    bool encode(AudioDecodeBuffer* buffer) override;  // no encoder: true
    bool close() override;

private:
    std::unique_ptr<ADPCMCoder> m_coder;  // exists between open and close
    std::vector<std::int16_t> m_buffer;   // grown on demand up to kMaxSamples
};

// Kind 3: 168-byte frames: header 00 01 52 00, predictor (16-bit little-endian),
// step index, a 0 byte, then 160 bytes of codes, high nibble first. 320 samples
// per frame; the predictor itself is not output.
class ACodecAdpcmHi : public IACodec {
public:
    static constexpr int kFrameBytes = 168;
    static constexpr int kHeaderBytes = 8;
    static constexpr int kSamplesPerFrame = 320;
    static constexpr int kBufferBytes = 20480;
    static constexpr int kMaxFrames = kBufferBytes / (kSamplesPerFrame * 2);  // 32

    // Resets the encoder and decoder states (predictor and index 0).
    bool open(int kind, int param1, int param2, int param3) override;
    // An input size that is not a whole number of frames fails with outputSize
    // -1. At most kMaxFrames frames are decoded; further ones are ignored.
    bool decode(AudioDecodeBuffer* buffer) override;
    // One frame from inputSize / 2 samples (an odd last sample is left out):
    // header, the running predictor and index, then one code per sample.
    // Output: 8 + samples / 2 bytes.
    bool encode(AudioDecodeBuffer* buffer) override;
    bool close() override;

private:
    ima::State m_decoder;
    ima::State m_encoder;
    // Grown on demand up to kBufferBytes. Decode: samples; encode: the frame bytes.
    std::vector<std::int16_t> m_buffer;
};
