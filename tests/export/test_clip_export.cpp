// Clip export against generated cards, read back with ffprobe and ffmpeg:
// every recorded picture of the range, starting on a key frame, with AAC
// audio and the card's names, across recording files; and what a cancelled
// or failed export leaves (nothing).

#include <atomic>
#include <cmath>
#include <sstream>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "ReadOnlyFolder.h"
#include "export/ClipExport.h"
#include "setup/IniDocument.h"
#include "setup/SetupModel.h"

namespace {

using namespace exporttest;
using exporting::ExportControl;
using exporting::ExportResult;

constexpr double kFrame = 0.2;  // 5 fps

struct VideoPacket {
    double pts = 0;
    bool key = false;
};

std::vector<VideoPacket> videoPackets(const std::string& path) {
    std::string out;
    runCommand(
        "ffprobe -v error -select_streams v -show_entries packet=pts_time,flags -of csv=p=0 " +
            shellQuoted(path),
        &out);
    std::vector<VideoPacket> packets;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t comma = line.find(',');
        if (comma != std::string::npos) {
            packets.push_back({std::stod(line.substr(0, comma)), line[comma + 1] == 'K'});
        }
    }
    return packets;
}

class ClipExport : public CardSuite {
protected:
    exporting::ClipRequest request(std::int64_t from, std::int64_t to,
                                   std::vector<int> channels = {0, 1}) const {
        return exporting::ClipRequest{{card_->day(), from, to, channels}, out_};
    }
};

TEST_F(ClipExport, EveryPictureOfTheRangeAcrossRecordingFilesWithAudioAndNames) {
    // 12:00:02 to 12:00:10 runs through all three recordings (4 s each).
    const ExportResult r = exporting::exportClips(request(ms(12, 0, 2), ms(12, 0, 10)), {});
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.files.size(), 2u);
    EXPECT_EQ(filesIn(out_), (std::vector<std::string>{"20260301_120002-120010_CH1.mp4",
                                                        "20260301_120002-120010_CH2.mp4"}));
    for (const std::string& file : r.files) {
        SCOPED_TRACE(file);
        const QJsonObject p = probe(file);
        const QJsonObject video = streamOf(p, "video");
        const QJsonObject audio = streamOf(p, "audio");
        EXPECT_EQ(video["codec_name"].toString(), "h264");
        EXPECT_EQ(video["width"].toInt(), 160);
        EXPECT_EQ(number(video["nb_read_packets"]), 8 * 5);
        EXPECT_NEAR(number(p["format"].toObject()["duration"]), 8.0, kFrame);
        EXPECT_EQ(audio["codec_name"].toString(), "aac");
        EXPECT_EQ(audio["sample_rate"].toString(), "8000");
        EXPECT_NEAR(number(audio["duration"]), 8.0, 0.15);
        const QJsonObject tags = p["format"].toObject()["tags"].toObject();
        EXPECT_EQ(tags["vehicle_number"].toString(), QString::fromUtf8("서울12가3456"));
        EXPECT_EQ(tags["creation_time"].toString(), "2026-03-01T12:00:02");
        EXPECT_EQ(decodeErrors(file), "");

        // The recording's own time stamps, without a seam between the files.
        const std::vector<VideoPacket> packets = videoPackets(file);
        ASSERT_EQ(packets.size(), 40u);
        EXPECT_TRUE(packets.front().key);
        EXPECT_DOUBLE_EQ(packets.front().pts, 0.0);
        for (std::size_t i = 1; i < packets.size(); ++i) {
            EXPECT_NEAR(packets[i].pts - packets[i - 1].pts, kFrame, 0.002) << "packet " << i;
            // The recorder's key frames, one a second, kept where they were.
            EXPECT_EQ(packets[i].key, i % 5 == 0) << "packet " << i;
        }
    }
    const QJsonObject second = probe(r.files[1])["format"].toObject()["tags"].toObject();
    EXPECT_EQ(second["channel_title"].toString(), "CH2");
    EXPECT_EQ(second["channel"].toString(), "2");
}

// Creation time and picture count of a one-channel clip.
std::pair<QString, int> clipStart(const std::string& day, std::int64_t from, std::int64_t to,
                                  int channel, const std::string& out) {
    fs::remove_all(out);
    fs::create_directories(out);
    const ExportResult r = exporting::exportClips({{day, from, to, {channel}}, out}, {});
    if (!r.ok() || r.files.size() != 1) {
        return {QString::fromStdString(r.message), -1};
    }
    const QJsonObject p = probe(r.files[0]);
    if (!videoPackets(r.files[0]).at(0).key) {
        return {"first picture not a key frame", -1};
    }
    return {p["format"].toObject()["tags"].toObject()["creation_time"].toString(),
            static_cast<int>(number(streamOf(p, "video")["nb_read_packets"]))};
}

TEST(ClipExportCards, KeyFramesTwoSecondsApartStartTheClipAtTheOneBefore) {
    // The index files list only the key frames of even seconds, as a
    // recorder with 2-second groups of pictures writes them: the reader's
    // search lands after the start, and the clip must go back.
    const mkcard::CardOptions o = smallCard("clip-gop");
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    const std::string day = o.outDir + "/20260301";
    for (const auto& e : fs::directory_iterator(day)) {
        if (e.path().extension() != ".idx") {
            continue;
        }
        const std::string bytes = readFile(e.path().string());
        std::string kept = bytes.substr(0, 294);
        int count = 0;
        for (std::size_t at = 294; at + 16 <= bytes.size(); at += 16) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + 4);
            const std::uint32_t stamp = p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24);
            if (stamp % 2000 == 0) {
                kept += bytes.substr(at, 16);
                ++count;
            }
        }
        kept[8] = static_cast<char>(count);
        kept[9] = 0;
        std::ofstream(e.path(), std::ios::binary) << kept;
    }
    const testsupport::TempDir outTree("clip-gop-out");
    const std::string out = outTree.path();
    // Within a recording: the key frame 1.5 s before.
    EXPECT_EQ(clipStart(day, ms(12, 0, 5, 500), ms(12, 0, 7), 0, out),
              std::make_pair(QString("2026-03-01T12:00:04"), 3 * 5));
    // After a recording's last listed key frame: that key frame, in the
    // recording before the one the search finds.
    EXPECT_EQ(clipStart(day, ms(12, 0, 7, 500), ms(12, 0, 9), 0, out),
              std::make_pair(QString("2026-03-01T12:00:06"), 3 * 5));
}

TEST_F(ClipExport, ChannelsWithoutPicturesAreNotedOrRefused) {
    ExportResult r = exporting::exportClips(request(ms(12, 0, 1), ms(12, 0, 3), {1, 6}), {});
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{"20260301_120001-120003_CH2.mp4"});
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("CH7"), std::string::npos) << r.notes[0];

    // No channels named: every channel of the day.
    fs::remove_all(out_);
    fs::create_directories(out_);
    r = exporting::exportClips(request(ms(12, 0, 1), ms(12, 0, 3), {}), {});
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(filesIn(out_), (std::vector<std::string>{"20260301_120001-120003_CH1.mp4",
                                                        "20260301_120001-120003_CH2.mp4"}));

    // A range after the recordings: nothing written, a reason given.
    r = exporting::exportClips(request(ms(12, 5, 0), ms(12, 6, 0)), {});
    EXPECT_EQ(r.status, exporting::Status::Failed);
    EXPECT_NE(r.message.find("No recording"), std::string::npos) << r.message;
    EXPECT_EQ(filesIn(out_), (std::vector<std::string>{"20260301_120001-120003_CH1.mp4",
                                                        "20260301_120001-120003_CH2.mp4"}));
}

TEST_F(ClipExport, ACancelledExportLeavesNoFile) {
    std::atomic<bool> cancel{false};
    ExportControl control;
    control.cancel = &cancel;
    int reports = 0;
    // Cancelled when the second channel's file begins: the first one is
    // complete but not yet renamed.
    control.progress = [&](double fraction) {
        ++reports;
        if (fraction >= 0.5) {
            cancel = true;
        }
    };
    const ExportResult r = exporting::exportClips(request(ms(12, 0, 0), ms(12, 0, 12)), control);
    EXPECT_EQ(r.status, exporting::Status::Cancelled);
    EXPECT_GT(reports, 1);
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});
}

TEST_F(ClipExport, AWriteFailureNamesThePathAndLeavesNoFile) {
    // A file size limit fails the writes as a full disk would.
    const ExportResult r = withFileSizeLimit(40 * 1024, [&] {
        return exporting::exportClips(request(ms(12, 0, 0), ms(12, 0, 12)), {});
    });
    EXPECT_EQ(r.status, exporting::Status::Failed);
    EXPECT_NE(r.message.find(out_ + "/20260301_120000-120012_CH"), std::string::npos) << r.message;
    EXPECT_EQ(filesIn(out_), std::vector<std::string>{});

    ReadOnlyFolder readOnly(QString::fromStdString(out_));
    if (!readOnly.effective()) {
        GTEST_SKIP() << "the folder stays writable for this user";
    }
    const ExportResult denied = exporting::exportClips(request(ms(12, 0, 0), ms(12, 0, 2)), {});
    EXPECT_EQ(denied.status, exporting::Status::Failed);
    EXPECT_EQ(denied.message, "Cannot write " + out_ + "/20260301_120000-120002_CH1.mp4: " +
                                  "Permission denied");
}

TEST(ClipExportCards, OtherAudioCodingsAndAFileWithoutClock) {
    // IMA ADPCM audio; the middle recording of channel 0 has no valid start
    // date in its header (the recorder's clock unset): the reader dates it
    // from its name, so its pictures take their places.
    mkcard::CardOptions o = smallCard("clip-adpcm");
    o.audio = mkcard::AudioCoding::Adpcm;
    o.faults.push_back({mkcard::FaultKind::InvalidStartDate, 0, 1});
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    const testsupport::TempDir outTree("clip-adpcm-out");
    const std::string out = outTree.path();
    const ExportResult r = exporting::exportClips(
        {{o.outDir + "/20260301", ms(12, 0, 2), ms(12, 0, 10), {0, 1}}, out}, {});
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.files.size(), 2u);
    for (const std::string& file : r.files) {
        SCOPED_TRACE(file);
        const QJsonObject p = probe(file);
        EXPECT_EQ(streamOf(p, "audio")["codec_name"].toString(), "aac");
        EXPECT_NEAR(number(streamOf(p, "audio")["duration"]), 8.0, 0.15);
        EXPECT_EQ(decodeErrors(file), "");
    }
    // Channel 0 runs through the undated recording without a pause.
    const std::vector<VideoPacket> packets = videoPackets(r.files[0]);
    ASSERT_EQ(packets.size(), 40u);
    for (std::size_t i = 1; i < packets.size(); ++i) {
        EXPECT_NEAR(packets[i].pts - packets[i - 1].pts, kFrame, 0.002) << i;
    }
    EXPECT_EQ(number(streamOf(probe(r.files[1]), "video")["nb_read_packets"]), 40);

    // A recorder without microphone: pictures only.
    mkcard::CardOptions silent = smallCard("clip-silent");
    silent.audio = mkcard::AudioCoding::None;
    silent.channels = 1;
    silent.filesPerChannel = 1;
    const testsupport::Card silentCard(silent);
    ASSERT_TRUE(silentCard.ok()) << silentCard.error();
    // Its camera named in the setup file, in Korean as the recorder stores it.
    const QString ini = QString::fromStdString(silent.outDir) + "/DVRSETUP.INI";
    QByteArray bytes;
    ASSERT_TRUE(readSetupFile(ini, &bytes));
    IniDocument setup(bytes);
    ASSERT_TRUE(setup.setValue("CAMERA/TITLE_0", encodeSetupText(QString::fromUtf8("전방"))));
    std::ofstream(ini.toStdString(), std::ios::binary) << setup.bytes().toStdString();
    const ExportResult quiet = exporting::exportClips(
        {{silent.outDir + "/20260301", ms(12, 0, 0), ms(12, 0, 2), {0}}, out}, {});
    ASSERT_TRUE(quiet.ok()) << quiet.message;
    const QJsonObject p = probe(quiet.files.at(0));
    EXPECT_EQ(p["streams"].toArray().size(), 1);
    EXPECT_EQ(streamOf(p, "video")["codec_name"].toString(), "h264");
    EXPECT_EQ(p["format"].toObject()["tags"].toObject()["channel_title"].toString(),
              QString::fromUtf8("전방"));
}

}  // namespace
