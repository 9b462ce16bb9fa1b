#include "AudioEncoders.h"

#include <algorithm>
#include <cmath>

namespace mkcard {

const int kImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int kImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

uint8_t linearToUlaw(int16_t sample) {
    constexpr int kBias = 0x84;
    constexpr int kClip = 32635;
    int s = sample;
    const int sign = s < 0 ? 0x80 : 0;
    if (s < 0) {
        s = -s;
    }
    s = std::min(s, kClip) + kBias;
    // Segment = position of the highest set bit above bit 7.
    int exponent = 7;
    for (int mask = 0x4000; (s & mask) == 0 && exponent > 0; mask >>= 1) {
        --exponent;
    }
    const int mantissa = (s >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

uint8_t linearToAlaw(int16_t sample) {
    int s = sample >> 3;  // 13-bit magnitude range
    int mask = 0xD5;
    if (s < 0) {
        mask = 0x55;
        s = -s - 1;
    }
    int segment = 0;
    while (segment < 8 && s > (0x20 << segment) - 1) {
        ++segment;
    }
    if (segment >= 8) {
        return static_cast<uint8_t>(0x7F ^ mask);
    }
    int value = segment << 4;
    value |= segment < 2 ? (s >> 1) & 0x0F : (s >> segment) & 0x0F;
    return static_cast<uint8_t>(value ^ mask);
}

void AdpcmFrameEncoder::encodeFrame(const int16_t* samples, uint8_t* frame) {
    frame[0] = 0x00;
    frame[1] = 0x01;
    frame[2] = 0x52;
    frame[3] = 0x00;
    frame[4] = static_cast<uint8_t>(predictor_ & 0xFF);
    frame[5] = static_cast<uint8_t>((predictor_ >> 8) & 0xFF);
    frame[6] = static_cast<uint8_t>(index_);
    frame[7] = 0;
    for (int i = 0; i < kAdpcmFrameSamples; ++i) {
        const int step = kImaStepTable[index_];
        int diff = samples[i] - predictor_;
        int code = 0;
        if (diff < 0) {
            code = 8;
            diff = -diff;
        }
        int part = step;
        if (diff >= part) {
            code |= 4;
            diff -= part;
        }
        part >>= 1;
        if (diff >= part) {
            code |= 2;
            diff -= part;
        }
        part >>= 1;
        if (diff >= part) {
            code |= 1;
        }
        // Reconstruct as the decoder does, so that both sides stay in step.
        int delta = step >> 3;
        if (code & 4) {
            delta += step;
        }
        if (code & 2) {
            delta += step >> 1;
        }
        if (code & 1) {
            delta += step >> 2;
        }
        predictor_ = std::clamp(predictor_ + ((code & 8) ? -delta : delta), -32768, 32767);
        index_ = std::clamp(index_ + kImaIndexTable[code], 0, 88);
        uint8_t& byte = frame[8 + i / 2];
        byte = (i % 2 == 0) ? static_cast<uint8_t>(code << 4) : static_cast<uint8_t>(byte | code);
    }
}

AudioCadence audioCadence(AudioCoding coding) {
    if (coding == AudioCoding::Adpcm) {
        return {2 * kAdpcmFrameSamples, 2 * kAdpcmFrameSamples * 1000 / kAudioSampleRate};
    }
    return {kAudioSampleRate / 10, 100};
}

ToneSource::ToneSource(int channel) : frequency_(400 + 100 * channel) {}

void ToneSource::render(int64_t firstSample, int count, int16_t* out) const {
    constexpr double kTwoPi = 6.28318530717958647692;
    for (int i = 0; i < count; ++i) {
        const int64_t n = firstSample + i;
        // Exact phase: frequencies are whole hertz.
        const double phase =
            static_cast<double>((n * frequency_) % kAudioSampleRate) / kAudioSampleRate;
        double v = 6000.0 * std::sin(kTwoPi * phase);
        if (n % kAudioSampleRate < kAudioSampleRate / 25) {
            // An octave up while that stays well below the Nyquist frequency.
            const int64_t pitch = 2 * frequency_ < 3800 ? 2 * frequency_ : frequency_ / 2;
            const double chirp =
                static_cast<double>((n * pitch) % kAudioSampleRate) / kAudioSampleRate;
            v += 6000.0 * std::sin(kTwoPi * chirp);
        }
        out[i] = static_cast<int16_t>(std::lround(v));
    }
}

std::vector<uint8_t> encodeAudioPacket(AudioCoding coding, const int16_t* samples, int count,
                                       AdpcmFrameEncoder* adpcm) {
    std::vector<uint8_t> out;
    switch (coding) {
        case AudioCoding::Ulaw:
        case AudioCoding::Alaw:
            out.resize(count);
            for (int i = 0; i < count; ++i) {
                out[i] = coding == AudioCoding::Ulaw ? linearToUlaw(samples[i])
                                                     : linearToAlaw(samples[i]);
            }
            break;
        case AudioCoding::Adpcm:
            out.resize(static_cast<size_t>(count / kAdpcmFrameSamples) * kAdpcmFrameBytes);
            for (int f = 0; f < count / kAdpcmFrameSamples; ++f) {
                adpcm->encodeFrame(samples + f * kAdpcmFrameSamples,
                                   out.data() + f * kAdpcmFrameBytes);
            }
            break;
        case AudioCoding::None:
            break;
    }
    return out;
}

}  // namespace mkcard
