#pragma once

// Audio of the demo card: a per-channel test tone and the encoders of the
// recorder's audio codings (G.711 µ-law and A-law, IMA ADPCM in 168-byte frames).
// Pure functions and small value types; one encoder object per thread.

#include <cstdint>
#include <vector>

#include "MakeCard.h"

namespace mkcard {

uint8_t linearToUlaw(int16_t sample);
uint8_t linearToAlaw(int16_t sample);

constexpr int kAdpcmFrameBytes = 168;
constexpr int kAdpcmFrameSamples = 320;

// Step and index tables of IMA ADPCM.
extern const int kImaStepTable[89];
extern const int kImaIndexTable[16];

// Encodes 320 samples per call into one 168-byte frame: header 00 01 52 00, the
// running predictor (int16 little-endian) and step index before the frame, a 0
// byte, then 160 bytes of 4-bit codes, first sample in the high nibble. The
// running state follows the decoder's reconstruction exactly.
class AdpcmFrameEncoder {
public:
    void encodeFrame(const int16_t* samples, uint8_t* frame);

private:
    int predictor_ = 0;
    int index_ = 0;
};

// Packet cadence of a coding at 8 kHz: G.711 blocks of 100 ms (800 bytes),
// ADPCM packets of two frames (80 ms, 336 bytes).
struct AudioCadence {
    int samplesPerPacket = 0;
    int msPerPacket = 0;
};
AudioCadence audioCadence(AudioCoding coding);

// Tone of 400 + 100 * channel Hz at 8 kHz, with a 40 ms chirp an octave up (down
// from 1900 Hz on) at the start of every second. Sample n is the n-th sample since the card's
// start.
class ToneSource {
public:
    explicit ToneSource(int channel);
    int frequency() const { return frequency_; }
    void render(int64_t firstSample, int count, int16_t* out) const;

private:
    int frequency_;
};

// Encodes one packet's samples in the coding; the ADPCM encoder keeps its state
// across packets of one file.
std::vector<uint8_t> encodeAudioPacket(AudioCoding coding, const int16_t* samples, int count,
                                       AdpcmFrameEncoder* adpcm);

}  // namespace mkcard
