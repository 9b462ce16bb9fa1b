#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "H264TestStream.h"
#include "codecs/FFmpegHandles.h"
#include "codecs/VCodec.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

using testing_h264::Halves;
using testing_h264::Packet;
using testing_h264::Rgb;

namespace {

// The garbage tests make FFmpeg complain at length; only crashes matter here.
[[maybe_unused]] const bool kQuietFFmpeg = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
}();

struct CodecDeleter {
    void operator()(IVCodec* codec) const {
        void* p = codec;
        DestroyVCodec(&p);
    }
};
using CodecPtr = std::unique_ptr<IVCodec, CodecDeleter>;

CodecPtr makeDecoder(bool open = true) {
    void* p = nullptr;
    EXPECT_TRUE(CreateVCodec(&p, 0));
    CodecPtr codec(static_cast<IVCodec*>(p));
    EXPECT_TRUE(codec && (!open || codec->openByKind(0)));
    return codec;
}

VideoDecodeBuffer decodePacket(IVCodec& codec, const Packet& packet, int wanted = PICTURE_RGBA) {
    VideoDecodeBuffer buffer;
    buffer.data = packet.data();
    buffer.size = static_cast<int>(packet.size());
    buffer.wanted = wanted;
    EXPECT_TRUE(codec.decode(&buffer));
    return buffer;
}

Rgb pixelAt(const VideoDecodeBuffer& picture, int x, int y) {
    const std::uint8_t* p = picture.planes[0] + y * picture.lineSizes[0] + x * 4;
    return {p[0], p[1], p[2]};
}

// Flat areas survive the coding almost unchanged; 12 levels cover the
// colour-matrix rounding on both sides.
void expectColour(const VideoDecodeBuffer& picture, int x, int y, const Rgb& want) {
    const Rgb got = pixelAt(picture, x, y);
    EXPECT_NEAR(got.r, want.r, 12) << "at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, 12) << "at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, 12) << "at " << x << "," << y;
}

void expectPicture(const VideoDecodeBuffer& picture, int width, int height, const Halves& want) {
    ASSERT_NE(picture.gotPicture, 0);
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    EXPECT_EQ(picture.heightCopy, height);
    EXPECT_EQ(picture.lineSizes[0], width * 4);
    ASSERT_NE(picture.planes[0], nullptr);
    expectColour(picture, width / 4, height / 2, want.left);
    expectColour(picture, width * 3 / 4, height / 2, want.right);
    const std::uint8_t* last = picture.planes[0] + (height - 1) * picture.lineSizes[0];
    EXPECT_EQ(last[(width - 1) * 4 + 3], 255) << "alpha of the last pixel";
}

std::vector<Halves> changingPictures(int count) {
    std::vector<Halves> pictures;
    for (int i = 0; i < count; ++i) {
        const int level = 30 + 35 * i;
        pictures.push_back({{level, level, level}, {40, 60, 200}});
    }
    return pictures;
}

// The pictures coded, one packet each.
std::vector<Packet> encode(int width, int height, const std::vector<Halves>& pictures,
                           int keyInterval) {
    std::vector<Packet> stream =
        testing_h264::encodeHalves(width, height, pictures, keyInterval);
    EXPECT_EQ(stream.size(), pictures.size());
    return stream;
}

class VideoCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (avcodec_find_encoder_by_name("libx264") == nullptr) {
            GTEST_SKIP() << "libavcodec has no libx264 encoder";
        }
    }
};

}  // namespace

TEST(VCodecFactory, KindsAndDestroy) {
    int sentinel = 0;
    void* p = &sentinel;
    for (const int kind : {1, -1}) {
        EXPECT_FALSE(CreateVCodec(&p, kind));
        EXPECT_EQ(p, &sentinel);
    }
    EXPECT_FALSE(CreateVCodec(nullptr, 0));

    p = nullptr;
    ASSERT_TRUE(CreateVCodec(&p, 0));
    ASSERT_NE(p, nullptr);
    void* kept = p;
    EXPECT_TRUE(DestroyVCodec(&p));
    EXPECT_EQ(p, kept) << "the caller clears the pointer";
    p = nullptr;
    EXPECT_TRUE(DestroyVCodec(&p));
    EXPECT_TRUE(DestroyVCodec(nullptr));
}

TEST(VCodecLifecycle, DecodeOnlyWhileOpen) {
    CodecPtr codec = makeDecoder(false);
    const std::uint8_t bytes[4] = {0, 0, 0, 1};
    VideoDecodeBuffer buffer;
    buffer.data = bytes;
    buffer.size = 4;
    buffer.width = 77;
    buffer.result = 55;
    EXPECT_FALSE(codec->decode(&buffer));
    EXPECT_EQ(buffer.width, 77) << "a closed decoder writes nothing";
    EXPECT_EQ(buffer.result, 55);

    EXPECT_FALSE(codec->openByKind(1));
    EXPECT_FALSE(codec->decode(&buffer));
    ASSERT_TRUE(codec->openByKind(0));
    EXPECT_FALSE(codec->openByKind(1)) << "kind 1 fails even after an H.264 open";
    EXPECT_FALSE(codec->decode(&buffer));

    ASSERT_TRUE(codec->openByKind(0));
    EXPECT_TRUE(codec->decode(&buffer));
    EXPECT_TRUE(codec->close());
    EXPECT_TRUE(codec->close());
    buffer.width = 77;
    EXPECT_FALSE(codec->decode(&buffer));
    EXPECT_EQ(buffer.width, 77);
    EXPECT_TRUE(codec->openByKind(0)) << "a closed decoder opens again";
}

TEST_F(VideoCodecTest, OpenWithContextLeavesTheContextToTheCaller) {
    using ContextPtr = korvel::ffmpeg::CodecContextPtr;
    CodecPtr first = makeDecoder();
    EXPECT_FALSE(first->openWithContext(nullptr));
    ContextPtr unknown(avcodec_alloc_context3(nullptr));
    ASSERT_TRUE(unknown);
    unknown->codec_id = AV_CODEC_ID_NONE;
    EXPECT_FALSE(first->openWithContext(unknown.get()));
    VideoDecodeBuffer buffer;
    EXPECT_FALSE(first->decode(&buffer));

    // One context, as every copy of a packet carries it, serves several
    // decoders; each of them decodes, and the context outlives them all (a
    // decoder that freed it would show up as a double free under ASan).
    ContextPtr shared(avcodec_alloc_context3(avcodec_find_decoder(AV_CODEC_ID_H264)));
    ASSERT_TRUE(shared);
    const std::vector<Halves> pictures = changingPictures(2);
    const std::vector<Packet> stream = encode(64, 48, pictures, 10);
    CodecPtr second = makeDecoder();
    ASSERT_TRUE(first->openWithContext(shared.get()));
    ASSERT_TRUE(second->openWithContext(shared.get()));
    for (std::size_t i = 0; i < stream.size(); ++i) {
        expectPicture(decodePacket(*first, stream[i]), 64, 48, pictures[i]);
        expectPicture(decodePacket(*second, stream[i]), 64, 48, pictures[i]);
    }
    first->close();
    second.reset();
    EXPECT_EQ(shared->codec_id, AV_CODEC_ID_H264);
    EXPECT_FALSE(avcodec_is_open(shared.get()));
}

// Two decoders on two threads, each decoding the stream several times over.
TEST_F(VideoCodecTest, EveryPacketYieldsItsOwnPictureAtOnceOnSeveralThreads) {
    const std::vector<Halves> pictures = changingPictures(6);
    const std::vector<Packet> stream = encode(160, 96, pictures, 3);
    auto work = [&] {
        CodecPtr codec = makeDecoder();
        const std::uint8_t* firstPlane = nullptr;
        for (int round = 0; round < 4; ++round) {
            for (std::size_t i = 0; i < stream.size(); ++i) {
                const VideoDecodeBuffer picture = decodePacket(*codec, stream[i]);
                EXPECT_EQ(picture.result, static_cast<int>(stream[i].size()));
                expectPicture(picture, 160, 96, pictures[i]);
                if (firstPlane == nullptr) {
                    firstPlane = picture.planes[0];
                }
                EXPECT_EQ(picture.planes[0], firstPlane) << "one RGBA buffer for one picture size";
            }
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
}

TEST_F(VideoCodecTest, SizeChangeBetweenStreamsRebuildsTheConversion) {
    // The second size has the same area as the first: only width and height
    // tell them apart, as with a portrait and a landscape stream.
    struct Stream {
        int width;
        int height;
        Halves colours;
    };
    const Stream streams[] = {{64, 32, {{200, 40, 40}, {40, 60, 200}}},
                              {32, 64, {{40, 200, 40}, {220, 220, 40}}},
                              {96, 48, {{250, 250, 250}, {20, 20, 20}}},
                              {64, 32, {{40, 60, 200}, {200, 40, 40}}}};
    CodecPtr codec = makeDecoder();
    for (const Stream& s : streams) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        for (const Packet& packet : encode(s.width, s.height, {s.colours, s.colours}, 10)) {
            expectPicture(decodePacket(*codec, packet), s.width, s.height, s.colours);
        }
    }
}

TEST_F(VideoCodecTest, GarbageFailsCleanlyAndTheDecoderCarriesOn) {
    const std::vector<Halves> pictures = changingPictures(3);
    const std::vector<Packet> stream = encode(64, 64, pictures, 10);
    CodecPtr codec = makeDecoder();
    std::mt19937 random(1234);
    Packet noise(3000);
    for (auto& byte : noise) {
        // No zero bytes, so there is no start code and nothing to decode.
        byte = static_cast<std::uint8_t>(1 + random() % 255);
    }
    VideoDecodeBuffer buffer = decodePacket(*codec, noise);
    EXPECT_EQ(buffer.gotPicture, 0);
    EXPECT_EQ(buffer.width, 0);
    EXPECT_EQ(buffer.height, 0);

    buffer = VideoDecodeBuffer();
    buffer.size = 100;
    EXPECT_TRUE(codec->decode(&buffer));
    EXPECT_EQ(buffer.gotPicture, 0);
    EXPECT_LT(buffer.result, 1);

    // Truncated and bit-flipped real packets: whatever comes out must be a
    // consistent picture or none.
    for (int round = 0; round < 20; ++round) {
        Packet damaged = stream[round % stream.size()];
        if (round % 2 == 0) {
            damaged.resize(damaged.size() / 2);
        }
        for (std::size_t k = 8; k < damaged.size(); k += 7) {
            damaged[k] ^= static_cast<std::uint8_t>(random());
        }
        const VideoDecodeBuffer out = decodePacket(*codec, damaged);
        EXPECT_EQ(out.width, out.gotPicture != 0 ? 64 : 0);
        EXPECT_EQ(out.lineSizes[0], out.gotPicture != 0 ? 64 * 4 : 0);
    }

    // The same decoder decodes a clean stream from its key frame on.
    for (std::size_t i = 0; i < stream.size(); ++i) {
        expectPicture(decodePacket(*codec, stream[i]), 64, 64, pictures[i]);
    }
}

// Asked for planes, the decoder hands out its own 4:2:0 picture: studio-range
// BT.601 samples of the coded colours, the same picture the RGBA path shows.
TEST_F(VideoCodecTest, PlanesInsteadOfRgbaWhenAsked) {
    const std::vector<Halves> pictures = changingPictures(3);
    const std::vector<Packet> stream = encode(96, 64, pictures, 2);
    CodecPtr planar = makeDecoder();
    CodecPtr packed = makeDecoder();
    std::shared_ptr<const void> firstKept;
    const std::uint8_t* firstLuma = nullptr;
    int firstValue = -1;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        const VideoDecodeBuffer yuv = decodePacket(*planar, stream[i], PICTURE_YUV420);
        ASSERT_NE(yuv.gotPicture, 0);
        EXPECT_EQ(yuv.format, PICTURE_YUV420);
        EXPECT_FALSE(yuv.fullRange);
        ASSERT_EQ(yuv.width, 96);
        ASSERT_EQ(yuv.height, 64);
        EXPECT_GE(yuv.lineSizes[0], 96);
        ASSERT_TRUE(yuv.keep);
        if (i == 0) {
            // Held, the first picture outlives the decoding of the others.
            firstKept = yuv.keep;
            firstLuma = yuv.planes[0] + 32 * yuv.lineSizes[0] + 24;
            firstValue = *firstLuma;
        }

        const VideoDecodeBuffer rgba = decodePacket(*packed, stream[i]);
        EXPECT_EQ(rgba.format, PICTURE_RGBA);
        for (const int x : {24, 72}) {
            const int y = 32;
            const double luma = yuv.planes[0][y * yuv.lineSizes[0] + x] - 16.0;
            const double u = yuv.planes[1][y / 2 * yuv.lineSizes[1] + x / 2] - 128.0;
            const double v = yuv.planes[2][y / 2 * yuv.lineSizes[2] + x / 2] - 128.0;
            const Rgb want = pixelAt(rgba, x, y);
            EXPECT_NEAR(1.164 * luma + 1.596 * v, want.r, 4) << "picture " << i << " x " << x;
            EXPECT_NEAR(1.164 * luma - 0.392 * u - 0.813 * v, want.g, 4);
            EXPECT_NEAR(1.164 * luma + 2.017 * u, want.b, 4);
        }
    }
    planar->close();
    EXPECT_EQ(*firstLuma, firstValue) << "a held picture survives its decoder and the others";
    firstKept.reset();
}
