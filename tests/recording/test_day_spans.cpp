// The recorded spans of a day folder, as the day timeline shows them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ReaderCard.h"
#include "recording/DaySpans.h"

namespace {

using daySpans::Span;
using readertest::Card;
using readertest::tinyOptions;

constexpr std::int64_t kNoon = 12LL * 3600 * 1000;

using Spans = std::vector<std::pair<std::int64_t, std::int64_t>>;

Spans pairsOf(const std::vector<Span>& spans) {
    Spans out;
    for (const Span& s : spans) {
        out.emplace_back(s.startMs, s.endMs);
    }
    return out;
}

Spans spansOf(const std::string& folder) {
    return pairsOf(daySpans::recordedSpans(folder));
}

}  // namespace

TEST(DaySpans, GapsBetweenRecordingsStayGaps) {
    // Three 4-second recordings of two channels, one after the other; the
    // last key frame of each lies a second before its end.
    Card card("spans", tinyOptions(3, 4, 2));
    ASSERT_TRUE(card.ok());
    EXPECT_EQ(spansOf(card.dayFolder()), (Spans{{kNoon, kNoon + 8000 + 3000}}));

    // Without the middle recording of both channels the day has a hole.
    for (int channel = 0; channel < 2; ++channel) {
        std::filesystem::remove(card.ssf(channel, 1));
        std::filesystem::remove(card.idx(channel, 1));
    }
    EXPECT_EQ(spansOf(card.dayFolder()),
              (Spans{{kNoon, kNoon + 3000}, {kNoon + 8000, kNoon + 11000}}));
}

TEST(DaySpans, ADamagedFileLeavesTheEndToItsPeers) {
    // Channel 0's first file has no usable start in its header: channel 1's
    // file of the same period gives the end.
    mkcard::CardOptions options = tinyOptions(2, 4, 2);
    options.faults.push_back({mkcard::FaultKind::InvalidStartDate, 0, 0});
    Card card("spans-damaged", options);
    ASSERT_TRUE(card.ok());
    EXPECT_EQ(spansOf(card.dayFolder()), (Spans{{kNoon, kNoon + 7000}}));

    // Alone, the damaged file is dated from its name and gives its own end.
    std::filesystem::remove(card.ssf(1, 0));
    EXPECT_EQ(spansOf(card.dayFolder()), (Spans{{kNoon, kNoon + 7000}}));
}

TEST(DaySpans, FromMidnightAndNotForFilesTooSmallToBeRecordings) {
    mkcard::CardOptions options = tinyOptions(1, 3, 1);
    options.start = {2026, 3, 1, 0, 0, 0};
    Card card("spans-midnight", options);
    ASSERT_TRUE(card.ok());
    // A 100-byte "recording" at 13:00 is no recording.
    std::ofstream(card.dayFolder() + "/130000000.ssf") << std::string(100, 'x');
    EXPECT_EQ(spansOf(card.dayFolder()), (Spans{{0, 2000}}));
}

TEST(DaySpans, NothingForFoldersThatAreNoDaysOrACancelledScan) {
    Card card("spans-none", tinyOptions(1, 2, 1));
    ASSERT_TRUE(card.ok());
    EXPECT_TRUE(daySpans::recordedSpans(card.root()).empty());
    EXPECT_TRUE(daySpans::recordedSpans(card.root() + "/missing").empty());
    EXPECT_TRUE(daySpans::recordedSpans(card.dayFolder(), [] { return false; }).empty());
}

TEST(DaySpans, JoinsOnlyWhatIsCloserThanTheGap) {
    const std::int64_t gap = daySpans::kJoinGapMs;
    EXPECT_EQ(pairsOf(daySpans::joinSpans({{10000, 20000},
                                           {0, 5000},
                                           {5000 + gap, 6000},
                                           {12000, 15000},
                                           {20000 + gap + 1, 30000}})),
              (Spans{{0, 6000}, {10000, 20000}, {20000 + gap + 1, 30000}}));
}
