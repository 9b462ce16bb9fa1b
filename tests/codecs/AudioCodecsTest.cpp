#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

#include "codecs/ACodec.h"
#include "codecs/FFmpegHandles.h"
#include "codecs/G711.h"
#include "codecs/ImaAdpcm.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

namespace {

[[maybe_unused]] const bool kQuietFFmpeg = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
}();

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;
using CodecPtr = std::unique_ptr<IACodec>;

CodecPtr makeCodec(int kind, int rate = 8000, int channels = 1) {
    IACodec* codec = nullptr;
    EXPECT_TRUE(CreateACodec(&codec, kind));
    EXPECT_NE(codec, nullptr);
    if (codec != nullptr) {
        EXPECT_TRUE(codec->open(kind, 16, rate, channels));
    }
    return CodecPtr(codec);
}

Samples toSamples(const AudioDecodeBuffer& buffer) {
    Samples out(buffer.outputSize > 0 ? buffer.outputSize / 2 : 0);
    if (!out.empty()) {
        std::memcpy(out.data(), buffer.output, out.size() * 2);
    }
    return out;
}

// Encodes `size` bytes at `input`; the returned buffer carries the answer.
AudioDecodeBuffer encode(IACodec& codec, const std::uint8_t* input, int size) {
    AudioDecodeBuffer buffer;
    buffer.input = input;
    buffer.inputSize = size;
    EXPECT_TRUE(codec.encode(&buffer));
    return buffer;
}

// Decodes input; the returned buffer carries the codec's answer.
AudioDecodeBuffer run(IACodec& codec, const Bytes& input, bool* ok = nullptr) {
    AudioDecodeBuffer buffer;
    buffer.input = input.data();
    buffer.inputSize = static_cast<int>(input.size());
    const bool result = codec.decode(&buffer);
    if (ok != nullptr) {
        *ok = result;
    }
    return buffer;
}

Bytes repeated(const Bytes& block, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

Bytes pcmBytes(const Samples& samples) {
    Bytes bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

Samples sine(int count, double amplitude, double period, double phase = 0) {
    Samples out(count);
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<std::int16_t>(amplitude * std::sin(phase + 2 * M_PI * i / period));
    }
    return out;
}

// Width of the G.711 quantisation interval that holds a 16-bit value.
int alawStep(int value) {
    const int magnitude = (value < 0 ? -value - 1 : value) >> 3;
    int segment = 0;
    while (segment < 7 && magnitude >= (32 << segment)) {
        ++segment;
    }
    return 16 << (segment > 0 ? segment - 1 : 0);
}

int ulawStep(int value) {
    const int magnitude = std::abs(value) + 132;
    int segment = 0;
    while (segment < 7 && magnitude >= (256 << segment)) {
        ++segment;
    }
    return 8 << segment;
}

}  // namespace

TEST(AudioFactory, UnknownKindsAreRefused) {
    IACodec* codec = reinterpret_cast<IACodec*>(0x10);
    EXPECT_FALSE(CreateACodec(&codec, 6));
    EXPECT_FALSE(CreateACodec(&codec, -1));
    EXPECT_EQ(codec, reinterpret_cast<IACodec*>(0x10));
    EXPECT_FALSE(CreateACodec(nullptr, 4));
}

TEST(G711, KnownExpansions) {
    CodecPtr alaw = makeCodec(kAudioG711Alaw);
    CodecPtr ulaw = makeCodec(kAudioG711Ulaw);
    bool ok = false;
    EXPECT_EQ(toSamples(run(*alaw, {0xD5, 0x55, 0xAA, 0x2A}, &ok)),
              (Samples{8, -8, 32256, -32256}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(toSamples(run(*ulaw, {0xFF, 0x00, 0x80, 0x7F, 0xFE}, &ok)),
              (Samples{0, -32124, 32124, 0, 8}));
    EXPECT_TRUE(ok);

    AudioDecodeBuffer empty;
    EXPECT_FALSE(alaw->decode(&empty));
    EXPECT_FALSE(ulaw->decode(&empty));
    EXPECT_EQ(empty.outputSize, 0);

    const Samples capped = toSamples(run(*ulaw, Bytes(20000, 0x00)));
    EXPECT_EQ(capped.size(), 10240u) << "one call takes at most the buffer";
    EXPECT_EQ(capped.back(), -32124);
}

TEST(G711, CodesSurviveExpandAndCompress) {
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        EXPECT_EQ(g711::alawCompress(g711::alawExpand(c)), c) << code;
        // 0x7F is the negative zero of µ-law; zero compresses to 0xFF.
        EXPECT_EQ(g711::ulawCompress(g711::ulawExpand(c)), code == 0x7F ? 0xFF : c) << code;
    }
}

TEST(G711, EveryValueLandsInItsInterval) {
    int previousA = -40000;
    int previousU = -40000;
    for (int value = -32768; value <= 32767; ++value) {
        const auto sample = static_cast<std::int16_t>(value);
        const int a = g711::alawExpand(g711::alawCompress(sample));
        const int u = g711::ulawExpand(g711::ulawCompress(sample));
        // Reconstruction sits in the middle of the interval; the coders look
        // at 13 (A-law) or 14 (µ-law) bits only, which adds 8 or 4.
        ASSERT_LE(std::abs(a - value), std::max(alawStep(value), alawStep(a)) / 2 + 8) << value;
        // Beyond 32124 µ-law clips to its largest value.
        ASSERT_LE(std::abs(u - value),
                  std::max({ulawStep(value) / 2 + 4, ulawStep(u) / 2 + 4, std::abs(value) - 32124}))
            << value;
        ASSERT_GE(a, previousA) << value;
        ASSERT_GE(u, previousU) << value;
        previousA = a;
        previousU = u;
    }
}

TEST(G711, EncodersCompressEverySample) {
    const Samples speech = sine(1001, 20000, 37.3);
    Bytes pcm = pcmBytes(speech);
    pcm.insert(pcm.begin(), 0);  // samples need not be aligned
    for (int kind : {kAudioG711Alaw, kAudioG711Ulaw}) {
        SCOPED_TRACE(kind);
        CodecPtr codec = makeCodec(kind);
        // The last sample is cut in half.
        const AudioDecodeBuffer encoded =
            encode(*codec, pcm.data() + 1, static_cast<int>(pcm.size()) - 2);
        ASSERT_EQ(encoded.outputSize, 1000);
        // Decoded back, the unaligned samples come out as they went in.
        const Samples back =
            toSamples(run(*codec, Bytes(encoded.output, encoded.output + encoded.outputSize)));
        ASSERT_EQ(back.size(), 1000u);
        for (int i = 0; i < 1000; i += 37) {
            EXPECT_NEAR(back[i], speech[i], 700) << i;
        }
    }
}

TEST(FFmpegMulaw, AgreesWithTheTable) {
    CodecPtr codec = makeCodec(kAudioFFmpegMulaw, 8000, 1);
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);
    for (int round = 0; round < 2; ++round) {
        const AudioDecodeBuffer out = run(*codec, all);
        EXPECT_EQ(out.gotFrame, 1);
        const Samples samples = toSamples(out);
        ASSERT_EQ(samples.size(), 256u);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(samples[i], g711::ulawExpand(static_cast<std::uint8_t>(i))) << i;
        }
    }

    // Empty input: true, but nothing out, and the decoder keeps going.
    AudioDecodeBuffer empty;
    EXPECT_TRUE(codec->decode(&empty));
    EXPECT_EQ(empty.outputSize, 0);
    EXPECT_EQ(empty.gotFrame, 0);
    EXPECT_EQ(toSamples(run(*codec, {0x00})), (Samples{-32124}));
}

TEST(FFmpegMulaw, ChannelsAndFailures) {
    CodecPtr stereo = makeCodec(kAudioFFmpegMulaw, 16000, 2);
    EXPECT_EQ(toSamples(run(*stereo, {0xFF, 0x00, 0x80, 0x7F})), (Samples{0, -32124, 32124, 0}));
    // An odd byte left over is not a whole sample pair.
    EXPECT_EQ(run(*stereo, {0x80, 0x80, 0x80}).outputSize, 4);

    IACodec* raw = nullptr;
    ASSERT_TRUE(CreateACodec(&raw, kAudioFFmpegMulaw));
    CodecPtr codec(raw);
    EXPECT_FALSE(codec->open(0, 16, 8000, 0)) << "no channels";
    AudioDecodeBuffer buffer;
    EXPECT_FALSE(codec->decode(&buffer)) << "not open";
    EXPECT_TRUE(codec->open(0, 16, 8000, 1));
    EXPECT_TRUE(codec->close());
    EXPECT_TRUE(codec->close());
    EXPECT_FALSE(codec->decode(&buffer));
}

TEST(AdpcmHi, FramesAndSizes) {
    CodecPtr codec = makeCodec(kAudioAdpcmHi);
    Bytes frame(168, 0);
    frame[1] = 0x01;
    frame[2] = 0x52;
    frame[4] = 0x90;  // predictor 0x1290 = 4752
    frame[5] = 0x12;
    frame[6] = 0;     // step 7
    frame[8] = 0x07;  // high nibble first: code 0, then code 7

    bool ok = false;
    Samples out = toSamples(run(*codec, frame, &ok));
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.size(), 320u);
    EXPECT_EQ(out[0], 4752);              // 7 >> 3 = 0
    EXPECT_EQ(out[1], 4752 + 7 + 3 + 1);  // step + step/2 + step/4 + step/8 with step 7
    // Index 0 - 1 (clamped) + 8 = 8 after these: step 16, code 0 adds 16 >> 3.
    EXPECT_EQ(out[2], 4763 + 2);

    EXPECT_EQ(run(*codec, repeated(frame, 2)).outputSize, 1280);

    const AudioDecodeBuffer bad = run(*codec, Bytes(170, 0), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(bad.outputSize, -1);

    EXPECT_EQ(run(*codec, repeated(frame, 33), &ok).outputSize, 32 * 640)
        << "the buffer holds 32 frames";
    EXPECT_TRUE(ok);
}

TEST(AdpcmHi, EncoderFramesDecodeBack) {
    CodecPtr codec = makeCodec(kAudioAdpcmHi);
    const Samples tone = sine(640, 12000, 50.0);
    Samples decoded;
    int previousLast = 0;
    for (int part = 0; part < 2; ++part) {
        const Samples half(tone.begin() + part * 320, tone.begin() + (part + 1) * 320);
        const Bytes pcm = pcmBytes(half);
        const AudioDecodeBuffer encoded = encode(*codec, pcm.data(), static_cast<int>(pcm.size()));
        ASSERT_EQ(encoded.outputSize, 168);
        const Bytes frame(encoded.output, encoded.output + encoded.outputSize);
        // Each frame starts from where the previous one ended.
        EXPECT_EQ(static_cast<std::int16_t>(frame[4] | (frame[5] << 8)), previousLast);

        const Samples out = toSamples(run(*codec, frame));
        ASSERT_EQ(out.size(), 320u);
        previousLast = out.back();
        decoded.insert(decoded.end(), out.begin(), out.end());
    }
    // Past the first few samples, where the step size is still growing, the
    // reconstruction follows the tone closely.
    double error = 0;
    for (std::size_t i = 40; i < tone.size(); ++i) {
        error += std::abs(decoded[i] - tone[i]);
    }
    EXPECT_LT(error / (tone.size() - 40), 400.0);

    // An odd sample is left out: 8 + 3 / 2 bytes.
    const Bytes three = pcmBytes({100, 200, 300});
    EXPECT_EQ(encode(*codec, three.data(), 6).outputSize, 9);
}

TEST(AdpcmBlocks, BlocksAndSizes) {
    CodecPtr codec = makeCodec(kAudioAdpcm);
    Bytes block(104, 0);
    block[0] = 0xE8;  // 1000
    block[1] = 0x03;
    block[2] = 10;    // step 19
    block[4] = 0x03;  // low nibble first: code 3, then code 0

    Bytes two = repeated(block, 2);
    two[104] = 0x18;  // -1000
    two[105] = 0xFC;

    bool ok = false;
    const Samples out = toSamples(run(*codec, two, &ok));
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.size(), 402u);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[1], 1000 + ((3 * 2 + 1) * 19 >> 3));
    // Index 10 - 1 = 9 (step 17); code 0 adds (0 * 2 + 1) * 17 >> 3.
    EXPECT_EQ(out[2], out[1] + 2);
    EXPECT_EQ(out[201], -1000) << "each block restarts from its own header";
    EXPECT_EQ(out[202], -1000 + ((3 * 2 + 1) * 19 >> 3));

    EXPECT_FALSE(run(*codec, Bytes(103, 0), &ok).outputSize > 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(run(*codec, Bytes(104 * 2 + 50, 0)).outputSize, 402 * 2) << "tail ignored";
    EXPECT_EQ(run(*codec, Bytes(104 * 102, 0)).outputSize, 101 * 201 * 2)
        << "the buffer holds 101 blocks";
}

TEST(AdpcmBlocks, SignAndClamp) {
    ima::State state;
    state.predictor = 32760;
    state.index = 88;
    EXPECT_EQ(ima::decodeBlock(state, 0x7), 32767);
    EXPECT_EQ(state.index, 88);
    state.predictor = -32760;
    EXPECT_EQ(ima::decodeFramed(state, 0xF), -32768);
}

namespace {

// FFmpeg's G.726 codec at 24 kbit/s in its LSB-first packing, the reference
// the G.723 decoder is checked against: *coded gets `pcm` encoded, and the
// result is that decoded again (both empty without the codec).
Samples g726Reference(const Samples& pcm, Bytes* coded) {
    Samples out;
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_ADPCM_G726LE);
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_ADPCM_G726LE);
    if (encoder == nullptr || decoder == nullptr) {
        return out;
    }
    korvel::ffmpeg::CodecContextPtr enc(avcodec_alloc_context3(encoder));
    enc->sample_rate = 8000;
    enc->bit_rate = 24000;
    enc->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&enc->ch_layout, 1);
    korvel::ffmpeg::CodecContextPtr dec(avcodec_alloc_context3(decoder));
    dec->sample_rate = 8000;
    dec->bits_per_coded_sample = 3;
    av_channel_layout_default(&dec->ch_layout, 1);
    if (avcodec_open2(enc.get(), encoder, nullptr) < 0 ||
        avcodec_open2(dec.get(), decoder, nullptr) < 0) {
        return out;
    }
    korvel::ffmpeg::FramePtr frame(av_frame_alloc());
    korvel::ffmpeg::PacketPtr packet(av_packet_alloc());
    const int frameSize = enc->frame_size;
    for (std::size_t start = 0; start + frameSize <= pcm.size(); start += frameSize) {
        av_frame_unref(frame.get());
        frame->nb_samples = frameSize;
        frame->format = AV_SAMPLE_FMT_S16;
        av_channel_layout_default(&frame->ch_layout, 1);
        av_frame_get_buffer(frame.get(), 0);
        std::memcpy(frame->data[0], pcm.data() + start, frameSize * 2);
        avcodec_send_frame(enc.get(), frame.get());
        while (avcodec_receive_packet(enc.get(), packet.get()) == 0) {
            coded->insert(coded->end(), packet->data, packet->data + packet->size);
            avcodec_send_packet(dec.get(), packet.get());
            av_packet_unref(packet.get());
            while (avcodec_receive_frame(dec.get(), frame.get()) == 0) {
                const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
                out.insert(out.end(), s, s + frame->nb_samples);
            }
        }
    }
    return out;
}

}  // namespace

TEST(G723, MatchesTheReferenceDecoder) {
    // A tone that sweeps in level and pitch, then silence: exercises fast and
    // slow adaptation and the predictor.
    Samples pcm;
    for (int i = 0; i < 2736 * 4; ++i) {
        const double level = 2000 + 14000 * std::fabs(std::sin(i / 3000.0));
        pcm.push_back(static_cast<std::int16_t>(level * std::sin(i * (0.05 + i * 0.00002))));
    }
    pcm.insert(pcm.end(), 2736, 0);
    Bytes coded;
    const Samples reference = g726Reference(pcm, &coded);
    if (coded.empty()) {
        GTEST_SKIP() << "libavcodec has no G.726 encoder";
    }
    ASSERT_FALSE(reference.empty());

    CodecPtr codec = makeCodec(kAudioG723);
    // Two calls: the decoder state carries over between them.
    const std::size_t split = 3 * 1000;
    const Samples first = toSamples(run(*codec, Bytes(coded.begin(), coded.begin() + split)));
    const Samples second = toSamples(run(*codec, Bytes(coded.begin() + split, coded.end())));
    Samples ours = first;
    ours.insert(ours.end(), second.begin(), second.end());
    ASSERT_EQ(ours.size(), coded.size() * 8 / 3);
    ASSERT_GE(ours.size(), reference.size());

    // FFmpeg's decoder rounds the scale-factor mix and the transition
    // threshold its own way, so the two drift apart by a few levels now and
    // then; a wrong sign, table or adaptation step would drop these to 0 dB.
    double signal = 0;
    double againstReference = 0;
    double againstInput = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        signal += double(pcm[i]) * pcm[i];
        againstReference += double(ours[i] - reference[i]) * (ours[i] - reference[i]);
        againstInput += double(ours[i] - pcm[i]) * (ours[i] - pcm[i]);
    }
    EXPECT_GT(10 * std::log10(signal / againstReference), 28.0);
    EXPECT_GT(10 * std::log10(signal / againstInput), 28.0);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(ours[i], reference[i]) << "before any rounding difference, sample " << i;
    }
}

TEST(G723, CodeUnpackingAndSizes) {
    CodecPtr codec = makeCodec(kAudioG723);
    bool ok = false;
    EXPECT_EQ(run(*codec, Bytes(3, 0), &ok).outputSize, 16);
    EXPECT_TRUE(ok);
    EXPECT_EQ(run(*codec, Bytes(4, 0)).outputSize, 2 * (4 * 8 / 3));
    run(*codec, Bytes(), &ok);
    EXPECT_FALSE(ok);
    // How the codes are unpacked: against FFmpeg's LSB-first decoder above.
}
