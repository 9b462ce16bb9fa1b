// Evidence export against a generated card, read back with ffprobe and
// ffmpeg: the grid at 1920x1080 and the recording's frame rate, AAC audio,
// and the date and time burned into each picture being that picture's second.

#include <atomic>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "export/EvidenceExport.h"

namespace {

using namespace exporttest;

exporting::EvidenceRequest evidence(const std::string& day, std::int64_t from, std::int64_t to,
                                    std::vector<int> channels, const std::string& outPath) {
    exporting::EvidenceRequest r;
    r.range = {day, from, to, std::move(channels)};
    r.outPath = outPath;
    r.x264Preset = "ultrafast";
    return r;
}

class EvidenceExport : public CardSuite {
protected:
    exporting::EvidenceRequest request(std::vector<int> channels) const {
        return evidence(card_->day(), ms(12, 0, 2), ms(12, 0, 5), channels, out_ + "/evidence.mp4");
    }
};

// Luma of the band's date-and-time area in pictures n of a video.
std::vector<std::vector<std::uint8_t>> dateTimeAreas(const std::string& file,
                                                     const std::vector<int>& pictures) {
    const exporting::Rect area =
        exporting::bandDateTimeArea(exporting::kEvidenceWidth, exporting::kBandHeight);
    std::string select;
    for (const int n : pictures) {
        select += (select.empty() ? "" : "+") + std::string("eq(n\\,") + std::to_string(n) + ")";
    }
    std::string out;
    runCommand("ffmpeg -nostdin -v error -i " + shellQuoted(file) + " -vf 'select=" + select +
                   ",crop=" + std::to_string(area.width) + ":" + std::to_string(area.height) + ":" +
                   std::to_string(area.x) + ":" +
                   std::to_string(exporting::kEvidenceHeight - exporting::kBandHeight + area.y) +
                   "' -vsync 0 -f rawvideo -pix_fmt gray -",
               &out);
    const std::size_t size = static_cast<std::size_t>(area.width) * area.height;
    std::vector<std::vector<std::uint8_t>> areas;
    for (std::size_t at = 0; at + size <= out.size(); at += size) {
        areas.emplace_back(out.begin() + static_cast<std::ptrdiff_t>(at),
                           out.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    return areas;
}

// Mean squared difference between a decoded area (ffmpeg's grey is full
// range) and the band drawn with `dateTime`.
double differenceTo(const std::vector<std::uint8_t>& decoded, const std::string& dateTime) {
    const exporting::Rect area =
        exporting::bandDateTimeArea(exporting::kEvidenceWidth, exporting::kBandHeight);
    exporting::BandText text;
    text.dateTime = dateTime;
    const QImage drawn = exporting::drawBand(text, exporting::kEvidenceWidth,
                                             exporting::kBandHeight)
                             .copy(area.x, area.y, area.width, area.height)
                             .convertToFormat(QImage::Format_Grayscale8);
    double sum = 0.0;
    for (int y = 0; y < area.height; ++y) {
        const std::uint8_t* row = drawn.constScanLine(y);
        for (int x = 0; x < area.width; ++x) {
            const double d = decoded[static_cast<std::size_t>(y * area.width + x)] - row[x];
            sum += d * d;
        }
    }
    return sum / (area.width * area.height);
}

TEST_F(EvidenceExport, GridAtTheRecordingsFrameRateWithAudioAndNotes) {
    // Channel 7 has no recordings: a black tile and a note.
    const exporting::ExportResult r = exporting::exportEvidence(request({0, 1, 6}), {});
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.files, std::vector<std::string>{out_ + "/evidence.mp4"});
    ASSERT_EQ(r.notes.size(), 1u);
    const QJsonObject p = probe(r.files[0]);
    const QJsonObject video = streamOf(p, "video");
    EXPECT_EQ(video["codec_name"].toString(), "h264");
    EXPECT_EQ(video["width"].toInt(), 1920);
    EXPECT_EQ(video["height"].toInt(), 1080);
    EXPECT_EQ(video["r_frame_rate"].toString(), "5/1");
    EXPECT_EQ(number(video["nb_read_packets"]), 3 * 5);
    EXPECT_NEAR(number(p["format"].toObject()["duration"]), 3.0, 0.2);
    EXPECT_EQ(streamOf(p, "audio")["codec_name"].toString(), "aac");
    EXPECT_NEAR(number(streamOf(p, "audio")["duration"]), 3.0, 0.15);
    EXPECT_EQ(p["format"].toObject()["tags"].toObject()["vehicle_number"].toString(),
              QString::fromUtf8("서울12가3456"));
    EXPECT_EQ(decodeErrors(r.files[0]), "");
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{"evidence.mp4"});
}

TEST_F(EvidenceExport, EachPictureShowsItsOwnSecond) {
    const exporting::ExportResult r = exporting::exportEvidence(request({1}), {});
    ASSERT_TRUE(r.ok()) << r.message;
    // Pictures 1, 6 and 11 lie at 12:00:02.2, 12:00:03.2 and 12:00:04.2.
    const auto areas = dateTimeAreas(r.files[0], {1, 4, 6, 11});
    ASSERT_EQ(areas.size(), 4u);
    const char* seconds[] = {"2026-03-01 12:00:02", "2026-03-01 12:00:02", "2026-03-01 12:00:03",
                             "2026-03-01 12:00:04"};
    const char* others[] = {"2026-03-01 12:00:03", "2026-03-01 12:00:03", "2026-03-01 12:00:04",
                            "2026-03-01 12:00:03"};
    for (std::size_t i = 0; i < areas.size(); ++i) {
        SCOPED_TRACE(seconds[i]);
        const double right = differenceTo(areas[i], seconds[i]);
        const double wrong = differenceTo(areas[i], others[i]);
        // Compression leaves the drawn text nearly whole; one wrong digit
        // costs hundreds.
        EXPECT_LT(right, 10.0);
        EXPECT_LT(right * 4, wrong) << right << " vs " << wrong;
    }
}

TEST(EvidenceExportCards, AnotherShapeIsFittedBetweenBlackBars) {
    // 4:3 pictures in the single tile of a 16:9 video: black bars left and
    // right, whatever the picture before left there.
    mkcard::CardOptions o = smallCard("evidence-4x3");
    o.width = 160;
    o.height = 120;
    o.channels = 1;
    o.filesPerChannel = 1;
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    const testsupport::TempDir outTree("evidence-4x3-out");
    const exporting::EvidenceRequest r =
        evidence(o.outDir + "/20260301", ms(12, 0, 1), ms(12, 0, 3), {0}, outTree.file("e.mp4"));
    const exporting::ExportResult done = exporting::exportEvidence(r, {});
    ASSERT_TRUE(done.ok()) << done.message;
    // The last picture's left bar ((1920 - 1440) / 2 = 240 wide), below the
    // channel's label and above the band, in colour: black, not merely dark.
    auto brightest = [&](const std::string& crop) {
        std::string rgb;
        runCommand("ffmpeg -nostdin -v error -sseof -0.3 -i " + shellQuoted(r.outPath) +
                       " -frames:v 1 -vf crop=" + crop + " -f rawvideo -pix_fmt rgb24 -",
                   &rgb);
        int most = rgb.empty() ? -1 : 0;
        for (const char c : rgb) {
            most = std::max(most, static_cast<int>(static_cast<unsigned char>(c)));
        }
        return most;
    };
    EXPECT_GT(brightest("232:60:0:0"), 100);  // the label is there
    EXPECT_LT(brightest("232:900:0:100"), 8);
    EXPECT_GT(brightest("200:200:800:400"), 100);  // the picture is there
}

TEST_F(EvidenceExport, CancelledOrRefusedLeavesNoFile) {
    std::atomic<bool> cancel{false};
    exporting::ExportControl control;
    control.cancel = &cancel;
    control.progress = [&](double fraction) {
        if (fraction > 0.1) {
            cancel = true;
        }
    };
    const exporting::EvidenceRequest whole =
        evidence(card_->day(), ms(12, 0, 0), ms(12, 0, 12), {0, 1}, out_ + "/evidence.mp4");
    exporting::ExportResult r = exporting::exportEvidence(whole, control);
    EXPECT_EQ(r.status, exporting::Status::Cancelled);
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});

    // Nothing recorded in the range; a full disk.
    r = exporting::exportEvidence(
        evidence(card_->day(), ms(13, 0, 0), ms(13, 0, 5), {0, 1}, out_ + "/evidence.mp4"), {});
    EXPECT_EQ(r.status, exporting::Status::Failed);
    EXPECT_NE(r.message.find("No recording"), std::string::npos) << r.message;
    r = withFileSizeLimit(20 * 1024, [&] { return exporting::exportEvidence(whole, {}); });
    EXPECT_EQ(r.status, exporting::Status::Failed);
    EXPECT_NE(r.message.find("Cannot write " + whole.outPath), std::string::npos) << r.message;
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});

    exporting::EvidenceRequest bad = request({0, 1});
    bad.audioChannel = 4;
    r = exporting::exportEvidence(bad, {});
    EXPECT_EQ(r.status, exporting::Status::Failed);
    EXPECT_NE(r.message.find("audio channel 5"), std::string::npos) << r.message;
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});
}

}  // namespace
