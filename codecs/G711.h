#pragma once

// G.711 A-law and µ-law codecs (16-bit linear PCM <-> 8-bit codes).
//
// Threading: one thread per codec object; the shared tables are built once,
// thread-safely, on first use and are read-only afterwards.

#include <cstdint>
#include <vector>

#include "codecs/ACodec.h"

namespace g711 {

// A-law, computed from the segment structure directly.
std::int16_t alawExpand(std::uint8_t code);
std::uint8_t alawCompress(std::int16_t sample);

// µ-law, through tables: 256 expansions, and 16384 compressions indexed by the
// sample divided by 4 (the code depends only on the top 14 bits).
std::int16_t ulawExpand(std::uint8_t code);
std::uint8_t ulawCompress(std::int16_t sample);

}  // namespace g711

// Shared shape of the two G.711 codecs: an output buffer of up to 20480 bytes,
// one sample per input byte on decode and one byte per sample on encode.
class CG711Codec : public IACodec {
public:
    static constexpr int kMaxSamples = 10240;

    bool open(int kind, int param1, int param2, int param3) override;
    // False for a null buffer or input. At most kMaxSamples bytes are decoded.
    bool decode(AudioDecodeBuffer* buffer) override;
    // Compresses inputSize / 2 samples (at most 2 * kMaxSamples) to one byte each.
    bool encode(AudioDecodeBuffer* buffer) override;
    bool close() override;

protected:
    CG711Codec() = default;

    virtual std::int16_t expand(std::uint8_t code) const = 0;
    virtual std::uint8_t compress(std::int16_t sample) const = 0;

private:
    // Grown on demand up to its limit. Decode: samples; encode: codes as bytes.
    std::vector<std::int16_t> m_buffer;
};

class ACodecG711Alaw : public CG711Codec {
protected:
    std::int16_t expand(std::uint8_t code) const override { return g711::alawExpand(code); }
    std::uint8_t compress(std::int16_t sample) const override { return g711::alawCompress(sample); }
};

class ACodecG711Ulaw : public CG711Codec {
protected:
    std::int16_t expand(std::uint8_t code) const override { return g711::ulawExpand(code); }
    std::uint8_t compress(std::int16_t sample) const override { return g711::ulawCompress(sample); }
};
