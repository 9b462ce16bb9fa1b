// Structure of a generated card: names, folders, header unit fields at their
// offsets, packets, I-frame table, index files, logs and setup file.

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>

#include "CardParse.h"
#include "MakeCard.h"
#include "TestSupport.h"

using namespace cardtest;

namespace {

class CardFormat : public ::testing::Test {
protected:
    static void SetUpTestSuite() { card_ = new testsupport::Card(tinyOptions("format")); }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(card_->ok()) << card_->error(); }
    static std::string path(const std::string& rel) { return card_->root() + "/" + rel; }
    static Recording parsed(const std::string& rel) {
        Recording r;
        std::string why;
        EXPECT_TRUE(parseRecording(path(rel), &r, &why)) << rel << ": " << why;
        return r;
    }
    static inline testsupport::Card* card_ = nullptr;
};

const uint8_t kAlawGuid[16] = {0x1C, 0x3C, 0x48, 0xFA, 0xE3, 0xE3, 0x92, 0x42,
                               0x91, 0x76, 0x36, 0x11, 0x65, 0x2B, 0x1F, 0x25};
const uint8_t kAdpcmGuid[16] = {0xB5, 0xE7, 0xA7, 0x0A, 0x5C, 0xB6, 0x2B, 0x48,
                                0x9B, 0x58, 0x9D, 0xCF, 0xCE, 0x32, 0x22, 0x46};

}  // namespace

TEST_F(CardFormat, NamesFoldersSizesPacketsTableAndIndex) {
    const std::map<std::string, uintmax_t> files = listFiles(card_->root());
    std::set<std::string> names;
    for (const auto& f : files) {
        names.insert(f.first);
    }
    const std::set<std::string> expected = {
        "DVRSETUP.INI",           "20260301/235958000.ssf", "20260301/235958000.idx",
        "20260301/235958010.ssf", "20260301/235958010.idx", "20260302/000001000.ssf",
        "20260302/000001000.idx", "20260302/000001010.ssf", "20260302/000001010.idx",
        "logs/20260301m/23.mlog", "logs/20260302m/00.mlog"};
    EXPECT_EQ(names, expected);

    for (const mkcard::PlannedFile& f : card_->plan()) {
        SCOPED_TRACE(f.ssfPath);
        const Recording r = parsed(f.ssfPath);
        // Three key frames: table head plus three entries end the file; the
        // index holds its header and three 16-byte entries.
        EXPECT_EQ(files.at(f.ssfPath), r.iframeTableOffset + 10u + 3 * 8u);
        EXPECT_EQ(files.at(f.idxPath), 294u + 3 * 16u);
        EXPECT_LE(40 + r.leadInLength, 2048u);
        // The header's start is the name's, across midnight; its length the file's.
        const size_t h = r.fileProps;
        EXPECT_EQ(le16(r.bytes, h + 19) * 10000 + r.bytes[h + 21] * 100 + r.bytes[h + 22],
                  f.start.year * 10000 + f.start.month * 100 + f.start.day);
        EXPECT_EQ(r.bytes[h + 25], f.start.second);
        EXPECT_EQ(le32(r.bytes, h + 38), 3000u);
        EXPECT_EQ(r.title, "CH" + std::to_string(f.channel + 1));

        ASSERT_FALSE(r.cutShort);
        std::map<int, int> perStream;
        std::vector<const Packet*> keys;
        uint32_t lastStamp = 0;
        for (const Packet& p : r.packets) {
            EXPECT_GE(p.timeStamp, lastStamp) << "packets out of time order";
            lastStamp = p.timeStamp;
            const int stream = p.flags & 7;
            ++perStream[stream];
            if (stream == 1 && (p.flags & 0x80)) {
                keys.push_back(&p);
                // Annex B access unit that starts a stream: SPS, PPS and an IDR slice.
                std::set<int> nalTypes;
                for (size_t i = 0; i + 3 < p.payload.size(); ++i) {
                    if (p.payload[i] == 0 && p.payload[i + 1] == 0 && p.payload[i + 2] == 1) {
                        nalTypes.insert(p.payload[i + 3] & 0x1F);
                    }
                }
                EXPECT_TRUE(nalTypes.count(7) && nalTypes.count(8) && nalTypes.count(5));
            }
            if (stream != 1) {
                // Mu-law audio of 100 ms, GPS (with the extension), G-sensor.
                EXPECT_EQ(p.payload.size(), stream == 2 ? 800u : stream == 3 ? 36u : 13u);
                EXPECT_EQ(p.timeStamp % 100, 0u);
                EXPECT_EQ(p.flags & 0x40, stream == 3 ? 0x40 : 0);
            }
        }
        EXPECT_EQ(perStream, (std::map<int, int>{{1, 15}, {2, 30}, {3, 3}, {4, 30}}));
        ASSERT_EQ(keys.size(), 3u);
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(keys[i]->timeStamp, i * 1000);
        }

        // I-frame table right after the last packet, its last entry = last 8 bytes.
        const std::vector<uint8_t>& b = r.bytes;
        const size_t t = r.iframeTableOffset;
        ASSERT_EQ(t, r.packets.back().offset + r.packets.back().size);
        EXPECT_EQ(le32(b, t), 0xFFFA0000u);
        ASSERT_EQ(le16(b, t + 8), 3);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(le32(b, t + 10 + 8 * i), keys[i]->offset);
            EXPECT_EQ(le32(b, t + 14 + 8 * i), keys[i]->timeStamp);
        }
        EXPECT_EQ(le32(b, b.size() - 8), keys.back()->offset);
        EXPECT_EQ(le32(b, b.size() - 4), keys.back()->timeStamp);

        // Index: count at 8, entries from 294 pointing at the key-frame packets.
        const std::vector<uint8_t> idx = readAll(path(f.idxPath));
        ASSERT_EQ(le16(idx, 8), 3);
        for (size_t i = 0; i < 3; ++i) {
            const size_t e = 294 + 16 * i;
            EXPECT_EQ((std::vector<uint32_t>{le32(idx, e), le32(idx, e + 4), le32(idx, e + 8),
                                             le32(idx, e + 12)}),
                      (std::vector<uint32_t>{keys[i]->offset, keys[i]->timeStamp, 0, 0}));
            EXPECT_EQ(b[keys[i]->offset + 4], 0x81);
        }
    }
}

// The hourly logs hold every G-sensor sample of the recordings, parsed as the
// viewer's graph does; every channel carries the same vehicle samples.
TEST_F(CardFormat, LogsAgreeWithGsensorPackets) {
    std::map<std::string, std::vector<float>> fromPackets;  // "yyyymmdd-hhmmss.ms" -> xyz
    std::map<std::string, int> events;
    for (const mkcard::PlannedFile& f : card_->plan()) {
        const Recording r = parsed(f.ssfPath);
        for (const Packet& p : r.packets) {
            if ((p.flags & 7) != 4) {
                continue;
            }
            const int64_t s = mkcard::toSeconds(f.start) + p.timeStamp / 1000;
            const mkcard::CivilTime t = mkcard::fromSeconds(s);
            const std::string key = mkcard::dateDigits(t) + "-" + mkcard::timeDigits(t) + "." +
                                    std::to_string(p.timeStamp % 1000);
            const std::vector<float> xyz = {leFloat(p.payload, 0), leFloat(p.payload, 4),
                                            leFloat(p.payload, 8)};
            if (f.channel == 0) {
                fromPackets[key] = xyz;
                events[key] = p.payload[12];
            } else {
                EXPECT_EQ(fromPackets.at(key), xyz) << "channels disagree at " << key;
            }
        }
    }
    ASSERT_EQ(fromPackets.size(), 60u);

    size_t lines = 0;
    for (const char* log : {"logs/20260301m/23.mlog", "logs/20260302m/00.mlog"}) {
        std::ifstream in(path(log));
        for (std::string line; std::getline(in, line); ++lines) {
            char day[9] = {0}, hms[7] = {0};
            int ms = 0;
            double v[4] = {0, 0, 0, 0};
            ASSERT_EQ(std::sscanf(line.c_str(),
                                  "[GS][%*[^]]][%8[0-9]-%6[0-9]][%d][7,2][X:%lf,Y:%lf,Z:%lf,E:%lf]",
                                  day, hms, &ms, &v[0], &v[1], &v[2], &v[3]),
                      7)
                << line;
            EXPECT_EQ(std::string(day), std::string(log).substr(5, 8));
            const std::string key = std::string(day) + "-" + hms + "." + std::to_string(ms);
            ASSERT_TRUE(fromPackets.count(key)) << key;
            for (int i = 0; i < 3; ++i) {
                // The viewer cuts recorded values to hundredths toward zero.
                const double cut = std::trunc(static_cast<double>(fromPackets[key][i]) * 100.0);
                EXPECT_NEAR(v[i] * 100.0, cut, 1e-6) << line;
            }
            EXPECT_EQ(static_cast<int>(v[3]), events[key]);
        }
    }
    EXPECT_EQ(lines, 60u);
}

TEST_F(CardFormat, SetupFileReadsBackThroughQSettingsInEucKr) {
    const std::vector<uint8_t> raw = readAll(path("DVRSETUP.INI"));
    const std::string text(raw.begin(), raw.end());
    EXPECT_NE(text.find("\xBC\xAD\xBF\xEF"), std::string::npos) << "\"서울\" in EUC-KR";

    QSettings ini(QString::fromStdString(path("DVRSETUP.INI")), QSettings::IniFormat);
    ini.setIniCodec("eucKR");
    EXPECT_EQ(ini.value("/DVR_NAME").toString(), QString::fromUtf8("서울12가3456"));
    EXPECT_EQ(ini.value("INFORMATION/CAM_MAX").toInt(), 2);
    EXPECT_EQ(ini.value("CAMERA/TITLE_1").toString(), QString("CH2"));
}

TEST(CardAudio, CodingsInHeaderAndPackets) {
    struct Case {
        mkcard::AudioCoding coding;
        const uint8_t* guid;
        uint8_t sampleSize;
        size_t packetBytes;
        uint32_t packetMs;
    };
    const Case cases[] = {{mkcard::AudioCoding::Alaw, kAlawGuid, 8, 800, 100},
                          {mkcard::AudioCoding::Adpcm, kAdpcmGuid, 16, 336, 80},
                          {mkcard::AudioCoding::None, nullptr, 0, 0, 0}};
    for (const Case& c : cases) {
        mkcard::CardOptions o = tinyOptions("audio");
        o.channels = 1;
        o.filesPerChannel = 1;
        o.secondsPerFile = 2;
        o.audio = c.coding;
        const testsupport::Card card(o);
        ASSERT_TRUE(card.ok()) << card.error();
        Recording r;
        std::string why;
        ASSERT_TRUE(parseRecording(card.ssf(0, 0), &r, &why)) << why;
        int audioPackets = 0;
        for (const Packet& p : r.packets) {
            if ((p.flags & 7) == 2) {
                ++audioPackets;
                EXPECT_EQ(p.payload.size(), c.packetBytes);
                EXPECT_EQ(p.timeStamp % c.packetMs, 0u);
                if (c.coding == mkcard::AudioCoding::Adpcm) {
                    for (size_t f = 0; f < p.payload.size(); f += 168) {
                        EXPECT_LE(p.payload[f + 6], 88) << "step index of frame " << f / 168;
                    }
                }
            }
        }
        if (c.guid == nullptr) {
            EXPECT_EQ(r.audioProps, 0u);
            EXPECT_EQ(audioPackets, 0);
        } else {
            ASSERT_NE(r.audioProps, 0u);
            EXPECT_TRUE(std::equal(c.guid, c.guid + 16, r.bytes.begin() + r.audioProps + 8));
            EXPECT_EQ(r.bytes[r.audioProps + 27], c.sampleSize);
            EXPECT_EQ(audioPackets, static_cast<int>(2000 / c.packetMs));
        }
    }
}
