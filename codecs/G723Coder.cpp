#include "codecs/G723Coder.h"

#include <algorithm>
#include <cstdlib>

namespace g726 {
namespace {

// The quantiser of the 24 kbit/s coder, indexed by the whole 3-bit code:
// log2 of the normalised output magnitude (7 fractional bits; -2048 stands
// for minus infinity), the scale-factor multiplier W(I) and the rate-of-change
// function F(I) (both 9 fractional bits).
constexpr int kDqln[8] = {-2048, 135, 273, 373, 373, 273, 135, -2048};
constexpr int kW[8] = {-128, 960, 4384, 18624, 18624, 4384, 960, -128};
constexpr int kF[8] = {0, 0x200, 0x400, 0xE00, 0xE00, 0x400, 0x200, 0};

constexpr int kNegative = 0x400;  // sign of the 11-bit floating form
constexpr int kFloatZero = 0x20;  // zero: exponent 0, mantissa 100000

// Number of significant bits, at most 15.
int exponentOf(int magnitude) {
    int bits = 0;
    while (magnitude > 0 && bits < 15) {
        ++bits;
        magnitude >>= 1;
    }
    return bits;
}

// Magnitude to the floating form: 4-bit exponent, 6-bit mantissa; negative
// values are the positive form minus kNegative.
int toFloat(int magnitude, bool negative) {
    int value = kFloatZero;
    if (magnitude != 0) {
        const int exponent = exponentOf(magnitude);
        value = (exponent << 6) + ((magnitude << 6) >> exponent);
    }
    return negative ? value - kNegative : value;
}

// Product of a predictor coefficient (fixed point) and a signal in the
// floating form, as the predictor accumulates it.
int multiply(int coefficient, int signal) {
    const int magnitude = coefficient > 0 ? coefficient : (-coefficient) & 0x1FFF;
    const int exponent = exponentOf(magnitude) - 6;
    int mantissa = 32;
    if (magnitude != 0) {
        mantissa = exponent >= 0 ? magnitude >> exponent : magnitude << -exponent;
    }
    const int productExponent = exponent + ((signal >> 6) & 0x0F) - 13;
    const int productMantissa = (mantissa * (signal & 0x3F) + 0x30) >> 4;
    const int product = productExponent >= 0 ? (productMantissa << productExponent) & 0x7FFF
                                             : productMantissa >> -productExponent;
    return (coefficient ^ signal) < 0 ? -product : product;
}

// Quantised difference from its log-domain value and the scale factor; the
// sign travels as 0x8000 subtracted from the magnitude.
int reconstruct(bool negative, int dqln, int y) {
    const int dql = dqln + (y >> 2);
    if (dql < 0) {
        return negative ? -0x8000 : 0;
    }
    const int exponent = (dql >> 7) & 0x0F;
    const int mantissa = 128 + (dql & 0x7F);
    const int magnitude = (mantissa << 7) >> (14 - exponent);
    return negative ? magnitude - 0x8000 : magnitude;
}

}  // namespace

int Decoder24::scaleFactor() const {
    if (m_ap >= 256) {
        return m_yu;
    }
    int y = m_yl >> 6;
    const int difference = m_yu - y;
    const int weight = m_ap >> 2;
    if (difference > 0) {
        y += (difference * weight) >> 6;
    } else if (difference < 0) {
        y += (difference * weight + 0x3F) >> 6;
    }
    return y;
}

std::int16_t Decoder24::decode(int code) {
    code &= 7;
    int zeroPart = 0;
    for (int i = 0; i < 6; ++i) {
        zeroPart += multiply(m_b[i] >> 2, m_dq[i]);
    }
    const int full = zeroPart + multiply(m_a[1] >> 2, m_sr[1]) + multiply(m_a[0] >> 2, m_sr[0]);
    const int sez = zeroPart >> 1;
    const int se = full >> 1;

    const int y = scaleFactor();
    const int dq = reconstruct((code & 4) != 0, kDqln[code], y);
    const int sr = dq < 0 ? se - (dq & 0x3FFF) : se + dq;
    update(y, kW[code], kF[code], dq, sr, sr - se + sez);

    // The reconstructed signal has 14 significant bits.
    return static_cast<std::int16_t>(std::clamp(sr * 4, -32768, 32767));
}

void Decoder24::update(int y, int wi, int fi, int dq, int sr, int dqsez) {
    const int pk0 = dqsez < 0 ? 1 : 0;
    const int magnitude = dq & 0x7FFF;

    // Transition detector: a large difference while a tone was detected
    // resets the predictor.
    const int ylInt = m_yl >> 15;
    const int ylFrac = (m_yl >> 10) & 0x1F;
    const int threshold1 = (32 + ylFrac) << ylInt;
    const int threshold2 = ylInt > 9 ? 31 << 10 : threshold1;
    const int dqThreshold = (threshold2 + (threshold2 >> 1)) >> 1;
    const bool transition = m_td != 0 && magnitude > dqThreshold;

    // Scale factors.
    m_yu = std::clamp(y + ((wi - y) >> 5), 544, 5120);
    m_yl += m_yu + ((-m_yl) >> 6);

    int a2 = 0;
    if (transition) {
        std::fill(std::begin(m_a), std::end(m_a), 0);
        std::fill(std::begin(m_b), std::end(m_b), 0);
    } else {
        // Second pole: leak, gradient term limited by f(a1), sign term, |a2| <= 0.75.
        const int pks1 = pk0 ^ m_pk[0];
        a2 = m_a[1] - (m_a[1] >> 7);
        if (dqsez != 0) {
            const int fa1 = pks1 ? m_a[0] : -m_a[0];
            a2 += std::clamp(fa1, -8192, 8191) >> 5;
            a2 += (pk0 ^ m_pk[1]) ? -0x80 : 0x80;
            a2 = std::clamp(a2, -12288, 12288);
        }
        m_a[1] = a2;

        // First pole, limited to 1 - 2^-4 - a2.
        m_a[0] -= m_a[0] >> 8;
        if (dqsez != 0) {
            m_a[0] += pks1 == 0 ? 192 : -192;
        }
        const int a1Limit = 15360 - a2;
        m_a[0] = std::clamp(m_a[0], -a1Limit, a1Limit);

        // Zeros: leak, and a step towards agreement of the signs.
        for (int i = 0; i < 6; ++i) {
            m_b[i] -= m_b[i] >> 8;
            if (magnitude != 0) {
                m_b[i] += (dq ^ m_dq[i]) >= 0 ? 128 : -128;
            }
        }
    }

    for (int i = 5; i > 0; --i) {
        m_dq[i] = m_dq[i - 1];
    }
    m_dq[0] = toFloat(magnitude, dq < 0);

    m_sr[1] = m_sr[0];
    if (sr > -32768) {
        m_sr[0] = toFloat(sr < 0 ? -sr : sr, sr < 0);
    } else {
        m_sr[0] = kFloatZero - kNegative;
    }

    m_pk[1] = m_pk[0];
    m_pk[0] = pk0;

    // Tone detector.
    m_td = (!transition && a2 < -11776) ? 1 : 0;

    // Speed control: fast adaptation for speech-like signals, slow for steady ones.
    m_dms += (fi - m_dms) >> 5;
    m_dml += ((fi << 2) - m_dml) >> 7;
    if (transition) {
        m_ap = 256;
    } else if (y < 1536 || m_td != 0 || std::abs((m_dms << 2) - m_dml) >= (m_dml >> 3)) {
        m_ap += (0x200 - m_ap) >> 4;
    } else {
        m_ap += (-m_ap) >> 4;
    }
}

}  // namespace g726

bool CG723Coder::open(int /*kind*/, int /*param1*/, int /*param2*/, int /*param3*/) {
    return true;
}

bool CG723Coder::decode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    if (buffer->input == nullptr || buffer->inputSize <= 0) {
        return false;
    }
    const long long available = static_cast<long long>(buffer->inputSize) * 8 / 3;
    const int count = static_cast<int>(std::min<long long>(available, kMaxSamples));
    if (count == 0) {
        return false;
    }
    if (m_buffer.size() < static_cast<std::size_t>(count)) {
        m_buffer.resize(count);
    }
    // Codes are packed least significant bit first and may straddle bytes.
    unsigned bits = 0;
    int held = 0;
    int next = 0;
    for (int i = 0; i < count; ++i) {
        if (held < 3) {
            bits |= static_cast<unsigned>(buffer->input[next++]) << held;
            held += 8;
        }
        m_buffer[i] = m_decoder.decode(static_cast<int>(bits & 7));
        bits >>= 3;
        held -= 3;
    }
    buffer->output = reinterpret_cast<std::uint8_t*>(m_buffer.data());
    buffer->outputSize = count * 2;
    return true;
}

bool CG723Coder::encode(AudioDecodeBuffer* /*buffer*/) {
    return true;
}

bool CG723Coder::close() {
    return true;
}
