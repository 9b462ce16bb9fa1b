#pragma once

// G.723 at 24 kbit/s: 3-bit ADPCM codes to 16-bit linear PCM, decode only.
//
// Threading: one thread per object; no locks.

#include <cstdint>
#include <vector>

#include "codecs/ACodec.h"

namespace g726 {

// The adaptive quantiser and predictor of the 24 kbit/s ADPCM decoder, state
// carried from one code to the next.
class Decoder24 {
public:
    // One 3-bit code (bit 2 is the sign) to one 16-bit sample.
    std::int16_t decode(int code);

private:
    int scaleFactor() const;
    void update(int y, int wi, int fi, int dq, int sr, int dqsez);

    int m_yu = 544;                          // fast (unlocked) scale factor
    int m_yl = 34816;                        // slow (locked) scale factor, 6 more fractional bits
    int m_dms = 0;                           // short-term average of F(I)
    int m_dml = 0;                           // long-term average of F(I)
    int m_ap = 0;                            // speed control
    int m_a[2] = {0, 0};                     // pole coefficients
    int m_b[6] = {0, 0, 0, 0, 0, 0};         // zero coefficients
    int m_pk[2] = {0, 0};                    // signs of the last two dq + sez
    int m_dq[6] = {32, 32, 32, 32, 32, 32};  // last quantised differences, floating form
    int m_sr[2] = {32, 32};                  // last reconstructed samples, floating form
    int m_td = 0;                            // tone detected
};

}  // namespace g726

class CG723Coder : public IACodec {
public:
    static constexpr int kMaxSamples = 192000;

    bool open(int kind, int param1, int param2, int param3) override;  // true
    // Reads the input as 3-bit codes packed least significant bit first:
    // inputSize * 8 / 3 codes (at most kMaxSamples), one sample each. The
    // decoder state carries over to the next call. False when no code was there.
    bool decode(AudioDecodeBuffer* buffer) override;
    bool encode(AudioDecodeBuffer* buffer) override;  // no encoder: true
    bool close() override;                            // true

private:
    g726::Decoder24 m_decoder;
    std::vector<std::int16_t> m_buffer;  // grown on demand up to kMaxSamples
};
