// Determinism, fault injection, calendar and command line of the card generator.

#include <gtest/gtest.h>

#include "CardParse.h"
#include "MakeCard.h"

using namespace cardtest;

namespace {

bool sameBytes(const std::string& a, const std::string& b) {
    return readAll(a) == readAll(b);
}

}  // namespace

TEST(CardDeterminism, SameSeedSameBytesWhateverTheThreads) {
    mkcard::CardOptions a = tinyOptions("det-a");
    a.jobs = 1;
    mkcard::CardOptions b = tinyOptions("det-b");
    b.jobs = 3;
    mkcard::CardOptions c = tinyOptions("det-c");
    c.seed = 8;
    const testsupport::Card cards[] = {testsupport::Card(a), testsupport::Card(b),
                                       testsupport::Card(c)};
    for (const testsupport::Card& card : cards) {
        ASSERT_TRUE(card.ok()) << card.error();
    }
    const auto filesA = listFiles(a.outDir);
    ASSERT_EQ(filesA, listFiles(b.outDir));
    for (const auto& f : filesA) {
        EXPECT_TRUE(sameBytes(a.outDir + "/" + f.first, b.outDir + "/" + f.first)) << f.first;
    }
    // Another seed drives another route and other G-sensor values.
    EXPECT_FALSE(
        sameBytes(a.outDir + "/logs/20260302m/00.mlog", c.outDir + "/logs/20260302m/00.mlog"));
    EXPECT_FALSE(
        sameBytes(a.outDir + "/20260301/235958000.ssf", c.outDir + "/20260301/235958000.ssf"));
}

// One fault on each of files 1 to 5 of a channel; file 0 stays whole.
TEST(CardFaults, EachOnItsOwnFile) {
    mkcard::CardOptions o = tinyOptions("faults");
    o.channels = 1;
    o.filesPerChannel = 6;
    o.faults = {{mkcard::FaultKind::NoIndex, 0, 1},
                {mkcard::FaultKind::TruncatedIndex, 0, 2},
                {mkcard::FaultKind::NoIFrameTable, 0, 3},
                {mkcard::FaultKind::TruncatedLastPacket, 0, 4},
                {mkcard::FaultKind::InvalidStartDate, 0, 5}};
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    Recording r[6];
    for (int k = 0; k < 6; ++k) {
        std::string why;
        ASSERT_TRUE(parseRecording(card.ssf(0, k), &r[k], &why)) << k << ": " << why;
    }
    EXPECT_FALSE(r[0].cutShort);
    EXPECT_NE(r[0].iframeTableOffset, 0u);
    const std::vector<uint8_t> whole = readAll(card.idx(0, 0));
    EXPECT_EQ(whole.size(), 294u + 3 * 16);

    EXPECT_FALSE(std::filesystem::exists(card.idx(0, 1)));

    // The count still promises every entry; the last keeps its offset and
    // time stamp but not its reserved half.
    const std::vector<uint8_t> cut = readAll(card.idx(0, 2));
    EXPECT_EQ(cut.size(), whole.size() - 8);
    EXPECT_EQ(le16(cut, 8), 3);
    EXPECT_EQ(le32(cut, 294 + 32), le32(r[2].bytes, r[2].bytes.size() - 8));
    EXPECT_EQ(le32(cut, 294 + 36), le32(r[2].bytes, r[2].bytes.size() - 4));

    EXPECT_EQ(r[3].iframeTableOffset, 0u);
    EXPECT_FALSE(r[3].cutShort);
    EXPECT_EQ(r[3].packets.back().offset + r[3].packets.back().size, r[3].bytes.size());

    // Whole packets up to the cut, then the first half of the last packet,
    // which no index entry points into.
    EXPECT_TRUE(r[4].cutShort);
    EXPECT_EQ(r[4].iframeTableOffset, 0u);
    const Packet& last = r[4].packets.back();
    const size_t tail = r[4].bytes.size() - (last.offset + last.size);
    ASSERT_GE(tail, 4u);
    EXPECT_EQ(tail, le32(r[4].bytes, last.offset + last.size) / 2);
    const std::vector<uint8_t> idx = readAll(card.idx(0, 4));
    for (size_t e = 0; e < le16(idx, 8); ++e) {
        EXPECT_LT(le32(idx, 294 + 16 * e), last.offset + last.size);
    }

    EXPECT_EQ(le16(r[0].bytes, 40 + 19), 2026);
    EXPECT_EQ(le16(r[5].bytes, 40 + 19), 0);
    EXPECT_EQ(card.planned(0, 5).ssfPath.substr(0, 9), "20260302/") << "the name keeps the date";
}

// One channel of two files, the odd names beside file 1.
TEST(CardFaults, BadNames) {
    mkcard::CardOptions o = tinyOptions("fault");
    o.channels = 1;
    o.faults.push_back({mkcard::FaultKind::BadNames, 0, 1});
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    const auto files = listFiles(card.root());
    const uintmax_t first = files.at("20260301/235958000.ssf");
    EXPECT_EQ(files.at("20260301/ab3456000.ssf"), first);
    EXPECT_EQ(files.at("20260301/ab3456000.idx"), files.at("20260301/235958000.idx"));
    EXPECT_EQ(files.at("20260301/235958990.ssf"), first);
    EXPECT_EQ(files.at("20260301/235958009.ssf"), 300u);
    EXPECT_EQ(files.at("2026-03/235958000.ssf"), first);
    EXPECT_EQ(files.size(), 7u + 6u) << "normal card plus the six extra files";
}

TEST(CardOptionsParse, ValuesAndRefusals) {
    mkcard::CardOptions o;
    bool help = false;
    std::string error;
    ASSERT_TRUE(mkcard::parseCardOptions(
        {"--out", "/tmp/x", "--minutes-per-file=0.05", "--size", "320x180", "--audio", "adpcm",
         "--fault", "no-index:1:2", "--fault=bad-names", "--start", "20261231-235900", "--files",
         "3", "--channels", "4"},
        &o, &help, &error))
        << error;
    EXPECT_FALSE(help);
    EXPECT_EQ(o.audio, mkcard::AudioCoding::Adpcm);
    ASSERT_EQ(o.faults.size(), 2u);
    EXPECT_EQ((std::vector<int>{o.secondsPerFile, o.width, o.height, o.faults[0].channel,
                                o.faults[0].file, o.faults[1].channel, o.start.month,
                                o.start.minute}),
              (std::vector<int>{3, 320, 180, 1, 2, -1, 12, 59}));

    const std::vector<std::vector<std::string>> bad = {
        {"--channels", "2"},                               // no output folder
        {"--out", "x", "--size", "161x90"},                // odd width
        {"--out", "x", "--start", "2026-02-30 10:00:00"},  // no such day
        {"--out", "x", "--audio", "mp3"},
        {"--out", "x", "--seconds-per-file", "3600"},  // an hour or more
        {"--out", "x", "--fault", "no-index:5"},       // channel 5 of 4
        {"--out", "x", "--fps"},
        {"--out", "x", "--vehicle", "12\r34"},                         // would break the INI line
        {"--out", "x", "--vehicle", "\xF0\x9F\x9A\x97"},               // no EUC-KR form
        {"--out", "x", "--files", "200", "--minutes-per-file", "59"},  // over 7 days
    };
    for (const auto& args : bad) {
        mkcard::CardOptions p;
        error.clear();
        EXPECT_FALSE(mkcard::parseCardOptions(args, &p, &help, &error)) << args.back();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(CardCommandLine, OneErrorLineAndStatusOne) {
    std::string err;
    EXPECT_EQ(testsupport::runCommand(MKCARD_EXE " --out x --size 10 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("--size"), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line only";
}

TEST(CardCalendar, LeapDaysAndRoundTrips) {
    using mkcard::CivilTime;
    const CivilTime eve{2028, 2, 28, 23, 59, 59};
    const CivilTime leap = mkcard::fromSeconds(mkcard::toSeconds(eve) + 1);
    EXPECT_EQ(leap.month, 2);
    EXPECT_EQ(leap.day, 29);
    EXPECT_EQ(leap.hour, 0);
    EXPECT_EQ(mkcard::toSeconds({2026, 3, 1, 12, 0, 0}), 1772366400);
    EXPECT_TRUE(mkcard::isValid({2000, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(mkcard::isValid({2100, 2, 29, 0, 0, 0}));
    for (int64_t s = 0; s < 4000LL * 86400 * 365; s += 86400LL * 97 + 3701) {
        const CivilTime t = mkcard::fromSeconds(s);
        ASSERT_TRUE(mkcard::isValid(t)) << s;
        ASSERT_EQ(mkcard::toSeconds(t), s);
    }
}
