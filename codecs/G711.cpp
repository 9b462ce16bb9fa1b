#include "codecs/G711.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace g711 {
namespace {

// Number of significant bits of a non-negative value (0 for 0).
int bitLength(int value) {
    int bits = 0;
    while (value > 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

// µ-law works on the magnitude plus a bias of 33 (in 14-bit units, 132 in
// 16-bit units), so that every segment starts at a power of two.
constexpr int kUlawBias = 0x84;
constexpr int kUlawClip = 8159;  // largest 14-bit magnitude before the bias

std::uint8_t ulawCompressArithmetic(int sample14) {
    // Negative codes carry a 0 sign bit; the whole code is sent inverted.
    const std::uint8_t mask = sample14 < 0 ? 0x7F : 0xFF;
    int magnitude = sample14 < 0 ? -sample14 : sample14;
    // The biased magnitude stays below 8192, so the largest values share the
    // outermost code instead of overflowing into a ninth segment.
    magnitude = std::min(magnitude, kUlawClip) + (kUlawBias >> 2);
    magnitude = std::min(magnitude, 0x1FFF);
    const int segment = bitLength(magnitude) - 6;  // biased magnitude is 33..8191
    const int mantissa = (magnitude >> (segment + 1)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | mantissa) ^ mask);
}

std::int16_t ulawExpandArithmetic(std::uint8_t code) {
    const int inverted = static_cast<std::uint8_t>(~code);
    const int segment = (inverted >> 4) & 0x07;
    const int mantissa = inverted & 0x0F;
    const int magnitude = (((mantissa << 3) + kUlawBias) << segment) - kUlawBias;
    return static_cast<std::int16_t>((inverted & 0x80) ? -magnitude : magnitude);
}

struct UlawTables {
    std::array<std::int16_t, 256> expand;
    std::array<std::uint8_t, 16384> compress;  // index: sample / 4 + 8192

    UlawTables() {
        for (int code = 0; code < 256; ++code) {
            expand[code] = ulawExpandArithmetic(static_cast<std::uint8_t>(code));
        }
        for (int i = 0; i < 16384; ++i) {
            compress[i] = ulawCompressArithmetic(i - 8192);
        }
    }
};

const UlawTables& ulawTables() {
    static const UlawTables tables;
    return tables;
}

}  // namespace

std::int16_t alawExpand(std::uint8_t code) {
    // Even bits travel inverted; bit 7 set means positive.
    const int value = code ^ 0x55;
    const int segment = (value >> 4) & 0x07;
    const int mantissa = value & 0x0F;
    // Reconstruct at the middle of the quantisation interval, in 16-bit units.
    int magnitude = (mantissa << 4) + 8;
    if (segment > 0) {
        magnitude = ((mantissa << 4) + 0x108) << (segment - 1);
    }
    return static_cast<std::int16_t>((value & 0x80) ? magnitude : -magnitude);
}

std::uint8_t alawCompress(std::int16_t sample) {
    // 13-bit magnitude; negative values are one's-complemented, so -8 and 7
    // share the innermost interval on either side of zero.
    const bool positive = sample >= 0;
    const int magnitude = positive ? (sample >> 3) : (~sample >> 3);  // 0..4095
    const int segment = magnitude < 32 ? 0 : bitLength(magnitude) - 5;
    const int mantissa = (magnitude >> (segment < 2 ? 1 : segment)) & 0x0F;
    const int value = (positive ? 0x80 : 0x00) | (segment << 4) | mantissa;
    return static_cast<std::uint8_t>(value ^ 0x55);
}

std::int16_t ulawExpand(std::uint8_t code) {
    return ulawTables().expand[code];
}

std::uint8_t ulawCompress(std::int16_t sample) {
    // Arithmetic shift: floor division by 4 keeps -1 and -4 in one entry.
    return ulawTables().compress[(sample >> 2) + 8192];
}

}  // namespace g711

bool CG711Codec::open(int /*kind*/, int /*param1*/, int /*param2*/, int /*param3*/) {
    return true;
}

bool CG711Codec::decode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    if (buffer->input == nullptr || buffer->inputSize <= 0) {
        return false;
    }
    const int count = buffer->inputSize < kMaxSamples ? buffer->inputSize : kMaxSamples;
    if (m_buffer.size() < static_cast<std::size_t>(count)) {
        m_buffer.resize(count);
    }
    for (int i = 0; i < count; ++i) {
        m_buffer[i] = expand(buffer->input[i]);
    }
    buffer->output = reinterpret_cast<std::uint8_t*>(m_buffer.data());
    buffer->outputSize = count * 2;
    return true;
}

bool CG711Codec::encode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    if (buffer->input == nullptr || buffer->inputSize < 2) {
        return false;
    }
    const int capacity = kMaxSamples * 2;  // one code byte per sample
    int count = buffer->inputSize / 2;
    if (count > capacity) {
        count = capacity;
    }
    if (m_buffer.size() < static_cast<std::size_t>(count + 1) / 2) {
        m_buffer.resize((count + 1) / 2);
    }
    auto* codes = reinterpret_cast<std::uint8_t*>(m_buffer.data());
    for (int i = 0; i < count; ++i) {
        std::int16_t sample;
        std::memcpy(&sample, buffer->input + 2 * i, sizeof sample);  // input may be unaligned
        codes[i] = compress(sample);
    }
    buffer->output = codes;
    buffer->outputSize = count;
    return true;
}

bool CG711Codec::close() {
    return true;
}
