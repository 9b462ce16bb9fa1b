// Start and end of recording files, key-frame offsets and the positioning of a
// channel reader at a date and time across its files; the folder scan.

#include <atomic>
#include <sstream>

#include <gtest/gtest.h>

#include "ReaderCard.h"
#include "recording/FolderScan.h"

namespace {

using namespace readertest;

// Eight files of 3 s (key frames at +0, +1 and +2 s) with files 2 and 5
// removed, so that the channel has gaps: files at 0, 3, 9, 12, 18 and 21 s.
class GapCard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        card_ = new Card("gaps", tinyOptions(8, 3));
        for (int k : {2, 5}) {
            fs::remove(card_->ssf(0, k));
            fs::remove(card_->idx(0, k));
        }
    }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(card_->ok()); }

    static std::vector<std::string> files(int count) {
        std::vector<std::string> out;
        for (int k : {0, 1, 3, 4, 6, 7}) {
            if (static_cast<int>(out.size()) < count) {
                out.push_back(card_->ssf(0, k));
            }
        }
        return out;
    }
    static pt::ptime at(int seconds) { return card_->start(0) + pt::seconds(seconds); }
    static std::unique_ptr<SSFChannelReader> reader(int count) {
        return makeReader(files(count), &log_);
    }

    static inline Card* card_ = nullptr;
    static inline std::ostringstream log_;
};

TEST_F(GapCard, LinearAndBinarySearchGiveTheSameFileForEveryTargetAndDirection) {
    const int starts[] = {0, 3, 9, 12, 18, 21};
    for (int count = 1; count <= 6; ++count) {
        auto r = reader(count);
        // The last key frame of the last file is 2 s after its start.
        const int lastEnd = starts[count - 1] + 2;
        for (const int speed : {8, 4}) {
            r->setSpeed(speed, dateOf(at(0)), timeOf(at(0)));
            for (int s = -5; s <= 30; ++s) {
                SCOPED_TRACE("files " + std::to_string(count) + ", speed " + std::to_string(speed) +
                             ", at " + std::to_string(s));
                const SSFChannelReader::FileSearch a = r->searchLinear(at(s));
                const SSFChannelReader::FileSearch b = r->searchBinary(at(s));
                EXPECT_EQ(a.file, b.file);
                EXPECT_EQ(a.inside, b.inside);
                // Nothing after the last recording forward, nothing before the
                // first one backward.
                const bool nothing = speed == 8 ? s > lastEnd : s < 0;
                EXPECT_EQ(a.file < 0, nothing);
            }
        }
    }
    // Without files nothing is found.
    auto none = reader(0);
    EXPECT_EQ(none->searchLinear(at(0)).file, -1);
    EXPECT_EQ(none->searchBinary(at(0)).file, -1);
}

TEST_F(GapCard, SeekLandsOnTheKeyFrameForTheTargetWithFewAndManyFiles) {
    struct Case {
        int target;       // seconds from the card's start
        bool backward;    // key frames backward (-1x) instead of normal speed
        int wantFile;     // index into the reader's list
        int wantInstant;  // seconds from the card's start
    };
    // A target with no recording on its side (after the last one forward,
    // before the first one backward) leaves the reader with nothing: it is
    // not sent back to a recording on the other side of the target.
    constexpr int kNone = -100;
    const std::pair<int, std::vector<Case>> rounds[] = {
        // Three files (linear search): files at 0, 3 and 9 s; the gap is 6 to 8 s.
        {3,
         {{-10, false, 0, 0}, {4, false, 1, 4}, {7, false, 2, 9}, {7, true, 1, 5},
          {11, false, 2, 11}, {40, false, -1, kNone}, {40, true, 2, 11}, {-10, true, -1, kNone}}},
        // Six files (binary search): gaps at 6 to 8 and 15 to 17 s.
        {6,
         {{-10, false, 0, 0}, {13, false, 3, 13}, {7, false, 2, 9}, {16, false, 4, 18},
          {16, true, 3, 14}, {8, true, 1, 5}, {40, false, -1, kNone}, {40, true, 5, 23},
          {23, false, 5, 23}}},
    };
    for (const auto& [count, cases] : rounds) {
        for (const Case& c : cases) {
            SCOPED_TRACE("files " + std::to_string(count) + ", target " + std::to_string(c.target) +
                         (c.backward ? " backward" : " forward"));
            auto r = reader(count);
            if (c.backward) {
                r->playBackwardFrom(dateOf(at(c.target)), timeOf(at(c.target)));
            } else {
                EXPECT_TRUE(r->seek(dateOf(at(c.target)), timeOf(at(c.target))));
            }
            EXPECT_EQ(r->currentFile(), c.wantFile);
            if (c.wantInstant == kNone) {
                EXPECT_TRUE(r->currentInstant().is_not_a_date_time());
                EXPECT_TRUE(r->isClosed());
            } else {
                EXPECT_EQ(r->currentInstant(), at(c.wantInstant));
            }
        }
    }
    // Dates and times that are none change nothing.
    auto r = reader(3);
    EXPECT_TRUE(r->seek(dateOf(at(4)), timeOf(at(4))));
    EXPECT_FALSE(r->seek(20261301, 120000));
    EXPECT_FALSE(r->seek(20260301, 126000));
    EXPECT_FALSE(r->seek(0, 0));
    EXPECT_EQ(r->currentInstant(), at(4));
}

TEST_F(GapCard, SeekAnywhereBetweenFirstAndLastRecordingFindsAKeyFrame) {
    // Forward, the reader lands on the first key frame at or after the target,
    // at most a gap of 3 s later.
    for (int count : {4, 6}) {
        auto r = reader(count);
        const int lastEnd = count == 4 ? 14 : 23;
        for (int s = 0; s <= lastEnd; ++s) {
            SCOPED_TRACE(s);
            ASSERT_TRUE(r->seek(dateOf(at(s)), timeOf(at(s))));
            EXPECT_GE(r->currentFile(), 0);
            ASSERT_FALSE(r->currentInstant().is_not_a_date_time());
            EXPECT_GE(r->currentInstant(), at(s));
            EXPECT_LE(r->currentInstant(), at(s + 3));
        }
    }
}

TEST_F(GapCard, FindOffsetPicksTheKeyFrameByDirection) {
    auto r = reader(1);
    r->rewind();
    r->openCurrentFile();
    const std::vector<SSFChannelReader::KeyFrame> keys = r->keyFrames();
    ASSERT_EQ(keys.size(), 3u);
    const std::string path = files(1)[0];
    const pt::ptime between = at(1) + pt::milliseconds(500);

    EXPECT_EQ(r->findOffset(path, between), keys[2].offset);
    EXPECT_EQ(r->currentEntry(), 2);
    EXPECT_EQ(r->findOffset(path, at(-1)), keys[0].offset);
    // After the last key frame: the target lies in the last group of
    // pictures, not back at the file's first key frame.
    EXPECT_EQ(r->findOffset(path, at(2) + pt::milliseconds(600)), keys[2].offset);
    EXPECT_EQ(r->currentEntry(), 2);

    r->setSpeed(4, dateOf(at(0)), timeOf(at(0)));
    // Backward: the earlier key frame, with the entry left at the later one.
    EXPECT_EQ(r->findOffset(path, between), keys[1].offset);
    EXPECT_EQ(r->currentEntry(), 2);
    EXPECT_EQ(r->findOffset(path, at(-1)), keys[0].offset);
    EXPECT_EQ(r->currentEntry(), 0);
    EXPECT_EQ(r->findOffset(path, at(5)), keys[2].offset);
    EXPECT_EQ(r->currentEntry(), 2);
    EXPECT_EQ(r->findOffset(path + ".none", at(0)), -1);
}

TEST(TimeSearch, MissingAndCutIndexFilesFallBackToTheFileItself) {
    mkcard::CardOptions o = tinyOptions(5, 3);
    o.faults = {
        {mkcard::FaultKind::NoIndex, 0, 0},         {mkcard::FaultKind::TruncatedIndex, 0, 1},
        {mkcard::FaultKind::NoIndex, 0, 2},         {mkcard::FaultKind::NoIFrameTable, 0, 2},
        {mkcard::FaultKind::TruncatedLastPacket, 0, 2},
        {mkcard::FaultKind::TruncatedIndex, 0, 3},  {mkcard::FaultKind::NoIFrameTable, 0, 3},
        {mkcard::FaultKind::InvalidStartDate, 0, 4}};
    Card card("fallback", o);
    ASSERT_TRUE(card.ok());
    std::ostringstream log;
    std::vector<std::string> paths;
    for (int k = 0; k < 5; ++k) {
        paths.push_back(card.ssf(0, k));
    }
    auto r = makeReader(paths, &log);
    const auto s = [&](int k, int ms) { return card.start(k) + pt::milliseconds(ms); };
    // Ends from the table instead of the index; the table instead of a cut
    // index; the recording length; the whole entries of a cut index; and the
    // file whose header has no date, dated from its folder and name.
    const int ends[] = {2000, 2000, 3000, 1000, 2000};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(r->fileStart(paths[k]), s(k, 0)) << k;
        EXPECT_EQ(r->fileEnd(paths[k]), s(k, ends[k])) << k;
    }
    EXPECT_EQ(r->lastInstant(), s(4, 2000));

    r->rewind();
    r->openCurrentFile();
    EXPECT_EQ(r->entryCount(), 3);
    // A file without any key-frame list and with its last packet cut (power
    // loss): the key frame for the target is found from the packets, not the
    // file's start.
    for (const int ms : {0, 1000, 2000}) {
        ASSERT_TRUE(r->seek(dateOf(s(2, ms)), timeOf(s(2, ms))));
        EXPECT_EQ(r->currentFile(), 2);
        EXPECT_EQ(r->keySource(), SSFChannelReader::KeySource::Scan);
        EXPECT_EQ(r->entryCount(), 3);
        EXPECT_EQ(r->currentInstant(), s(2, ms));
    }
    // The dateless file is found and read with the dates of its name.
    ASSERT_TRUE(r->seek(dateOf(s(4, 1000)), timeOf(s(4, 1000))));
    EXPECT_EQ(r->currentFile(), 4);
    EXPECT_EQ(r->currentInstant(), s(4, 1000));
}

TEST(TimeSearch, NamesGiveDatesTimesAndIndexPaths) {
    EXPECT_EQ(SSFChannelReader::dateOfPath("/card/20260301/120000000.ssf"), 20260301);
    EXPECT_EQ(SSFChannelReader::timeOfPath("/card/20260301/120000000.ssf"), 120000);
    EXPECT_EQ(SSFChannelReader::dateOfPath("20260301/120000000.ssf"), -1);
    EXPECT_EQ(SSFChannelReader::dateOfPath("/card/2026-03/120000000.ssf"), -1);
    EXPECT_EQ(SSFChannelReader::dateOfPath("/card/00000000/120000000.ssf"), -1);
    EXPECT_EQ(SSFChannelReader::timeOfPath("/card/20260301/ab3456000.ssf"), -1);
    EXPECT_EQ(SSFChannelReader::timeOfPath("120000000.ssf"), -1);
    EXPECT_TRUE(SSFChannelReader::nameInstant("/c/20260301/126000000.ssf").is_not_a_date_time());
    EXPECT_TRUE(SSFChannelReader::nameInstant("/c/20260231/120000000.ssf").is_not_a_date_time());
    EXPECT_EQ(SSFChannelReader::nameInstant("/c/20260301/235959000.ssf"),
              pt::ptime(boost::gregorian::date(2026, 3, 1),
                        pt::hours(23) + pt::minutes(59) + pt::seconds(59)));

    EXPECT_EQ(SSFChannelReader::indexPathFor("/a.ssf/20260301/120000000.ssf"),
              "/a.ssf/20260301/120000000.idx");
    EXPECT_EQ(SSFChannelReader::indexPathFor("/c/20260301/120000010.SSF"),
              "/c/20260301/120000010.IDX");
    EXPECT_EQ(SSFChannelReader::indexPathFor("/c/x.sSf"), "/c/x.iDx");
    EXPECT_EQ(SSFChannelReader::indexPathFor("/c/x.mp4"), "/c/x.mp4");
}

TEST(FolderScan, ChannelsFromNamesRealCaseKeptAndOddFilesPassedOver) {
    mkcard::CardOptions o = tinyOptions(2, 2, 3);
    o.faults = {{mkcard::FaultKind::BadNames, -1, -1}, {mkcard::FaultKind::NoIFrameTable, 1, 1}};
    Card card("scan", o);
    ASSERT_TRUE(card.ok());
    // An upper-case name whose index file is upper-case too, and whose only
    // key-frame list is that index file.
    const std::string upper = card.dayFolder() + "/120002010.SSF";
    fs::rename(card.ssf(1, 1), upper);
    fs::rename(card.idx(1, 1), card.dayFolder() + "/120002010.IDX");
    fs::create_directory(card.dayFolder() + "/sub");

    std::ostringstream log;
    SourceParams params;
    // Channels 0, 1 and 2 in readers ordered 2, 0, 1: files go by channel number.
    SSFChannelReader two(2, params), zero(0, params), one(1, params);
    const std::vector<SSFChannelReader*> readers = {&two, &zero, &one};
    for (SSFChannelReader* r : readers) {
        r->setLog(&log);
    }
    std::atomic<bool> keepGoing{true};
    scanFolder(card.dayFolder() + "/", readers, keepGoing, &log);

    EXPECT_EQ(readers[0]->files(), (std::vector<std::string>{card.ssf(2, 0), card.ssf(2, 1)}));
    EXPECT_EQ(readers[1]->files(), (std::vector<std::string>{card.ssf(0, 0), card.ssf(0, 1)}));
    EXPECT_EQ(readers[2]->files(), (std::vector<std::string>{card.ssf(1, 0), upper}));
    EXPECT_EQ(readers[2]->lastInstant(), card.start(1) + pt::seconds(1));
    EXPECT_EQ(readers[1]->firstInstant(), card.start(0));
    readers[2]->seek(dateOf(card.start(1)), timeOf(card.start(1)));
    EXPECT_EQ(readers[2]->currentFile(), 1);
    EXPECT_EQ(readers[2]->entryCount(), 2);

    const std::string text = log.str();
    EXPECT_NE(text.find("\nIn directory: \"" + card.dayFolder() + "\"\n\n"), std::string::npos);
    EXPECT_NE(text.find("sub [directory]\n"), std::string::npos);
    EXPECT_NE(text.find("ab3456000.ssf\n"), std::string::npos);
    EXPECT_NE(text.find("120000990.ssf\n"), std::string::npos);

    // A missing folder, a file given as folder, and a cleared flag.
    std::ostringstream other;
    SSFChannelReader lone(0, params);
    scanFolder(card.root() + "/nothing", {&lone}, keepGoing, &other);
    scanFolder(card.ssf(0, 0), {&lone}, keepGoing, &other);
    keepGoing = false;
    scanFolder(card.dayFolder(), {&lone}, keepGoing, &other);
    EXPECT_TRUE(lone.files().empty());
    EXPECT_NE(other.str().find("\nNot found: \"" + card.root() + "/nothing\""), std::string::npos);
    EXPECT_NE(other.str().find("\nFound: \"" + card.ssf(0, 0) + "\"\n"), std::string::npos);
}

}  // namespace
