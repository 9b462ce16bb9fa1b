// The generated video decodes to pictures that show the right channel and
// instant; the audio encoders agree with independent decoders.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "AudioEncoders.h"
#include "CardParse.h"
#include "MakeCard.h"
#include "Painter.h"
#include "VideoEncoder.h"

using namespace cardtest;

namespace {

// Reads n characters at a text placement of a decoded picture by comparing each
// glyph cell with the painter's glyphs; *worst gets the largest number of cells
// in which a character differs from its best-matching glyph.
std::string readText(const std::vector<uint8_t>& luma, int width, const mkcard::TextPlacement& at,
                     size_t n, int* worst) {
    static const std::string kCharset = "0123456789:-.CH ";
    const int k = at.scale;
    const int margin = k >= 3 ? 1 : 0;
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        uint8_t rows[mkcard::kGlyphHeight] = {0};
        for (int r = 0; r < mkcard::kGlyphHeight; ++r) {
            for (int c = 0; c < mkcard::kGlyphWidth; ++c) {
                const int x0 = at.x + (static_cast<int>(i) * mkcard::kGlyphAdvance + c) * k;
                const int y0 = at.y + r * k;
                int sum = 0, count = 0;
                for (int y = y0 + margin; y < y0 + k - margin; ++y) {
                    for (int x = x0 + margin; x < x0 + k - margin; ++x) {
                        sum += luma[static_cast<size_t>(y * width + x)];
                        ++count;
                    }
                }
                if (sum > count * (mkcard::kTextBoxLuma + mkcard::kGlyphLuma) / 2) {
                    rows[r] |= static_cast<uint8_t>(1 << (mkcard::kGlyphWidth - 1 - c));
                }
            }
        }
        char best = '?';
        int bestDistance = INT_MAX;
        for (char ch : kCharset) {
            const uint8_t* g = mkcard::glyphRows(ch);
            int d = 0;
            for (int r = 0; r < mkcard::kGlyphHeight; ++r) {
                d += __builtin_popcount(static_cast<unsigned>(g[r] ^ rows[r]));
            }
            if (d < bestDistance) {
                bestDistance = d;
                best = ch;
            }
        }
        *worst = std::max(*worst, bestDistance);
        text += best;
    }
    return text;
}

// The luma planes of a recording's pictures, decoded by the ffmpeg program.
std::vector<std::vector<uint8_t>> decodeVideo(const Recording& r, int width, int height) {
    const testsupport::TempDir dir("h264");
    std::ofstream stream(dir.file("video.h264"), std::ios::binary);
    for (const Packet& p : r.packets) {
        if ((p.flags & 7) == mkcard::kVideoStream) {
            stream.write(reinterpret_cast<const char*>(p.payload.data()),
                         static_cast<long>(p.payload.size()));
        }
    }
    stream.close();
    std::string raw;
    testsupport::runCommand("ffmpeg -nostdin -v error -f h264 -i " + dir.file("video.h264") +
                                " -vsync 0 -f rawvideo -pix_fmt yuv420p -",
                            &raw);
    const std::size_t luma = static_cast<std::size_t>(width) * height;
    EXPECT_EQ(raw.size() % (luma * 3 / 2), 0u) << "pictures of another size";
    std::vector<std::vector<uint8_t>> pictures;
    for (std::size_t at = 0; at + luma * 3 / 2 <= raw.size(); at += luma * 3 / 2) {
        pictures.emplace_back(raw.begin() + static_cast<long>(at),
                              raw.begin() + static_cast<long>(at + luma));
    }
    return pictures;
}

// The ffmpeg program's decoding of G.711 codes ("mulaw" or "alaw").
std::vector<int16_t> ffmpegG711(const std::string& format, const std::vector<uint8_t>& coded) {
    const testsupport::TempDir dir("g711");
    std::ofstream(dir.file("coded"), std::ios::binary)
        .write(reinterpret_cast<const char*>(coded.data()), static_cast<long>(coded.size()));
    std::string pcm;
    testsupport::runCommand("ffmpeg -nostdin -v error -f " + format + " -ar 8000 -ac 1 -i " +
                                dir.file("coded") + " -f s16le -",
                            &pcm);
    std::vector<int16_t> out(pcm.size() / 2);
    std::memcpy(out.data(), pcm.data(), out.size() * 2);
    return out;
}

// IMA ADPCM frame decoder written from the frame description: 4-byte header,
// predictor, index, a zero byte, 320 codes high nibble first.
std::vector<int16_t> decodeAdpcmFrame(const uint8_t* f, int* predictorOut, int* indexOut) {
    int predictor = static_cast<int16_t>(f[4] | f[5] << 8);
    int index = f[6];
    std::vector<int16_t> out;
    for (int i = 0; i < 320; ++i) {
        const int code = (i % 2 == 0) ? f[8 + i / 2] >> 4 : f[8 + i / 2] & 0x0F;
        const int step = mkcard::kImaStepTable[index];
        const int diff = (step >> 3) + ((code & 4) ? step : 0) + ((code & 2) ? step >> 1 : 0) +
                         ((code & 1) ? step >> 2 : 0);
        predictor = std::clamp(predictor + ((code & 8) ? -diff : diff), -32768, 32767);
        index = std::clamp(index + mkcard::kImaIndexTable[code], 0, 88);
        out.push_back(static_cast<int16_t>(predictor));
    }
    *predictorOut = predictor;
    *indexOut = index;
    return out;
}

}  // namespace

TEST(CardVideo, DecodedPicturesShowChannelDateAndTime) {
    mkcard::CardOptions o = tinyOptions("video");
    o.channels = 3;
    o.filesPerChannel = 1;
    o.secondsPerFile = 2;
    o.start = {2026, 3, 1, 9, 59, 59};
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    const mkcard::OverlayLayout layout = mkcard::overlayLayout(o.width, o.height);
    ASSERT_GE(layout.date.scale, 2);
    for (const mkcard::PlannedFile& f : mkcard::planCard(o)) {
        Recording r;
        std::string why;
        ASSERT_TRUE(parseRecording(o.outDir + "/" + f.ssfPath, &r, &why)) << why;
        const std::vector<std::vector<uint8_t>> frames = decodeVideo(r, o.width, o.height);
        ASSERT_EQ(frames.size(), 10u) << f.ssfPath;
        for (size_t i = 0; i < frames.size(); ++i) {
            int worst = 0;
            const std::string channel = readText(frames[i], o.width, layout.channel,
                                                 mkcard::channelText(f.channel).size(), &worst);
            const std::string date = readText(frames[i], o.width, layout.date, 10, &worst);
            const std::string time = readText(frames[i], o.width, layout.time, 10, &worst);
            EXPECT_EQ(channel, "CH" + std::to_string(f.channel + 1)) << f.ssfPath;
            const int ms = static_cast<int>(i) * 200;
            EXPECT_EQ(date, "2026-03-01");
            const std::string expected =
                std::string(i < 5 ? "09:59:59." : "10:00:00.") + std::to_string(ms % 1000 / 100);
            EXPECT_EQ(time, expected) << f.ssfPath << " picture " << i;
            EXPECT_LE(worst, 1) << "glyph cells blurred beyond recognition";
        }
    }
}

TEST(CardAudioEncoders, G711AgreesWithFfmpegDecoders) {
    std::vector<int16_t> input;
    for (int v = -32768; v <= 32767; v += 7) {
        input.push_back(static_cast<int16_t>(v));
    }
    for (const std::string format : {"mulaw", "alaw"}) {
        std::vector<uint8_t> coded;
        for (int16_t s : input) {
            coded.push_back(format == "mulaw" ? mkcard::linearToUlaw(s) : mkcard::linearToAlaw(s));
        }
        const std::vector<int16_t> decoded = ffmpegG711(format, coded);
        ASSERT_EQ(decoded.size(), input.size());
        for (size_t i = 0; i < input.size(); ++i) {
            const int err = std::abs(decoded[i] - input[i]);
            const int bound = std::max(16, std::abs(static_cast<int>(input[i])) / 16);
            ASSERT_LE(err, bound) << "sample " << input[i] << " " << format;
        }
    }
}

TEST(CardAudioEncoders, AdpcmFramesDecodeToTheTone) {
    const mkcard::ToneSource tone(3);
    std::vector<int16_t> pcm(3 * 320);
    tone.render(8000 * 5 + 400, static_cast<int>(pcm.size()), pcm.data());
    mkcard::AdpcmFrameEncoder encoder;
    const std::vector<uint8_t> coded =
        mkcard::encodeAudioPacket(mkcard::AudioCoding::Adpcm, pcm.data(), 960, &encoder);
    ASSERT_EQ(coded.size(), 3u * 168);
    double signal = 0, noise = 0;
    int predictor = 0, index = 0;
    for (int f = 0; f < 3; ++f) {
        const uint8_t* frame = coded.data() + 168 * f;
        if (f > 0) {
            // Each frame starts from where the previous one ended.
            EXPECT_EQ(static_cast<int16_t>(frame[4] | frame[5] << 8), predictor);
            EXPECT_EQ(frame[6], index);
        }
        const std::vector<int16_t> out = decodeAdpcmFrame(frame, &predictor, &index);
        for (int i = 0; i < 320; ++i) {
            if (f == 0 && i < 40) {
                continue;  // the step size is still adapting from 0
            }
            const double s = pcm[f * 320 + i];
            signal += s * s;
            noise += (s - out[i]) * (s - out[i]);
        }
    }
    EXPECT_GT(10 * std::log10(signal / noise), 20.0);
}
