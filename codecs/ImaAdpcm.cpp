#include "codecs/ImaAdpcm.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ima {
namespace {

constexpr std::array<std::int16_t, kMaxIndex + 1> kStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr std::array<int, 16> kIndexSteps = {-1, -1, -1, -1, 2, 4, 6, 8,
                                             -1, -1, -1, -1, 2, 4, 6, 8};

int clampIndex(int index) {
    return std::clamp(index, 0, kMaxIndex);
}

std::int16_t apply(State& state, int code, int difference) {
    const int predictor = (code & 8) ? state.predictor - difference : state.predictor + difference;
    state.predictor = std::clamp(predictor, -32768, 32767);
    state.index = nextIndex(state.index, code);
    return static_cast<std::int16_t>(state.predictor);
}

int framedDifference(int step, int code) {
    int difference = step >> 3;
    if (code & 4) {
        difference += step;
    }
    if (code & 2) {
        difference += step >> 1;
    }
    if (code & 1) {
        difference += step >> 2;
    }
    return difference;
}

}  // namespace

int stepSize(int index) {
    return kStepSizes[clampIndex(index)];
}

int nextIndex(int index, int code) {
    return clampIndex(index + kIndexSteps[code & 0x0F]);
}

std::int16_t decodeFramed(State& state, int code) {
    return apply(state, code, framedDifference(stepSize(state.index), code));
}

std::int16_t decodeBlock(State& state, int code) {
    const int step = stepSize(state.index);
    return apply(state, code, (((code & 7) * 2 + 1) * step) >> 3);
}

int encodeFramed(State& state, std::int16_t sample) {
    const int step = stepSize(state.index);
    int difference = sample - state.predictor;
    int code = 0;
    if (difference < 0) {
        code = 8;
        difference = -difference;
    }
    // Successive approximation against step, step / 2, step / 4: the same
    // terms framedDifference adds back, so encoder and decoder stay in step.
    if (difference >= step) {
        code |= 4;
        difference -= step;
    }
    if (difference >= (step >> 1)) {
        code |= 2;
        difference -= step >> 1;
    }
    if (difference >= (step >> 2)) {
        code |= 1;
    }
    apply(state, code, framedDifference(step, code));
    return code;
}

}  // namespace ima

namespace {

std::int16_t readLe16(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

bool CAdpcmDecoder::open(int /*kind*/, int /*param1*/, int /*param2*/, int /*param3*/) {
    if (!m_coder) {
        m_coder = std::make_unique<ADPCMCoder>();
    }
    std::fill(m_buffer.begin(), m_buffer.end(), 0);
    return true;
}

bool CAdpcmDecoder::decode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    if (buffer->input == nullptr || buffer->inputSize < kBlockBytes) {
        return false;
    }
    const int blocks = std::min(buffer->inputSize / kBlockBytes, kMaxBlocks);
    if (m_buffer.size() < static_cast<std::size_t>(blocks * kSamplesPerBlock)) {
        m_buffer.resize(blocks * kSamplesPerBlock);
    }
    std::int16_t* out = m_buffer.data();
    for (int b = 0; b < blocks; ++b) {
        const std::uint8_t* block = buffer->input + b * kBlockBytes;
        ima::State state;
        state.predictor = readLe16(block);
        state.index = std::clamp(static_cast<int>(block[2]), 0, ima::kMaxIndex);
        *out++ = static_cast<std::int16_t>(state.predictor);
        for (int i = 4; i < kBlockBytes; ++i) {
            *out++ = ima::decodeBlock(state, block[i] & 0x0F);
            *out++ = ima::decodeBlock(state, block[i] >> 4);
        }
    }
    buffer->output = reinterpret_cast<std::uint8_t*>(m_buffer.data());
    buffer->outputSize = blocks * kSamplesPerBlock * 2;
    return true;
}

bool CAdpcmDecoder::encode(AudioDecodeBuffer* /*buffer*/) {
    return true;
}

bool CAdpcmDecoder::close() {
    m_coder.reset();
    return true;
}

bool ACodecAdpcmHi::open(int /*kind*/, int /*param1*/, int /*param2*/, int /*param3*/) {
    close();
    std::fill(m_buffer.begin(), m_buffer.end(), 0);
    m_decoder = ima::State();
    m_encoder = ima::State();
    return true;
}

bool ACodecAdpcmHi::decode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    if (buffer->input == nullptr || buffer->inputSize <= 0) {
        return false;
    }
    if (buffer->inputSize % kFrameBytes != 0) {
        buffer->outputSize = -1;
        return false;
    }
    const int frames = std::min(buffer->inputSize / kFrameBytes, kMaxFrames);
    if (m_buffer.size() < static_cast<std::size_t>(frames * kSamplesPerFrame)) {
        m_buffer.resize(frames * kSamplesPerFrame);
    }
    std::int16_t* out = m_buffer.data();
    for (int f = 0; f < frames; ++f) {
        const std::uint8_t* frame = buffer->input + f * kFrameBytes;
        m_decoder.predictor = readLe16(frame + 4);
        m_decoder.index = std::clamp(static_cast<int>(frame[6]), 0, ima::kMaxIndex);
        for (int i = kHeaderBytes; i < kFrameBytes; ++i) {
            *out++ = ima::decodeFramed(m_decoder, frame[i] >> 4);
            *out++ = ima::decodeFramed(m_decoder, frame[i] & 0x0F);
        }
    }
    buffer->output = reinterpret_cast<std::uint8_t*>(m_buffer.data());
    buffer->outputSize = frames * kSamplesPerFrame * 2;
    return true;
}

bool ACodecAdpcmHi::encode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    if (buffer->input == nullptr || buffer->inputSize < 4) {
        return false;
    }
    const int capacity = (kBufferBytes - kHeaderBytes) * 2;
    const int samples = std::min(buffer->inputSize / 2, capacity) & ~1;

    const int bytes = kHeaderBytes + samples / 2;
    if (m_buffer.size() < static_cast<std::size_t>(bytes + 1) / 2) {
        m_buffer.resize((bytes + 1) / 2);
    }
    auto* frame = reinterpret_cast<std::uint8_t*>(m_buffer.data());
    frame[0] = 0x00;
    frame[1] = 0x01;
    frame[2] = 0x52;
    frame[3] = 0x00;
    frame[4] = static_cast<std::uint8_t>(m_encoder.predictor & 0xFF);
    frame[5] = static_cast<std::uint8_t>((m_encoder.predictor >> 8) & 0xFF);
    frame[6] = static_cast<std::uint8_t>(m_encoder.index);
    frame[7] = 0x00;
    for (int i = 0; i < samples; i += 2) {
        std::int16_t first;
        std::int16_t second;
        std::memcpy(&first, buffer->input + 2 * i, sizeof first);  // input may be unaligned
        std::memcpy(&second, buffer->input + 2 * i + 2, sizeof second);
        const int high = ima::encodeFramed(m_encoder, first);
        const int low = ima::encodeFramed(m_encoder, second);
        frame[kHeaderBytes + i / 2] = static_cast<std::uint8_t>((high << 4) | low);
    }
    buffer->output = frame;
    buffer->outputSize = bytes;
    return true;
}

bool ACodecAdpcmHi::close() {
    return true;
}
