// The channel reader over damaged and unusual recordings: a flipped packet
// length, index entries that miss their packets, header dates that are no
// usable date. (Files without any key-frame list: test_time_search.cpp; FIFOs
// named like recordings: tests/engine/test_fault_cards.cpp.)

#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "ReaderCard.h"

namespace {

using namespace readertest;

// Instants of everything a reader reads until it runs out (audio included),
// and the dates the records carried.
struct Reads {
    std::vector<pt::ptime> instants;
    std::vector<int> dates;
    std::vector<bool> keys;  // video key frames among them
};

Reads readOut(SSFChannelReader& r, std::size_t limit = 100000) {
    Reads out;
    for (std::size_t i = 0; i < limit; ++i) {
        const STREAMOBJECT* before = r.currentSample();
        r.readNext();
        if (r.currentInstant().is_not_a_date_time()) {
            break;
        }
        const STREAMOBJECT* s = r.currentSample();
        out.instants.push_back(r.currentInstant());
        out.dates.push_back(s != nullptr && s != before ? s->date : -1);
        const auto* v = dynamic_cast<const READVSTREAM*>(s);
        out.keys.push_back(v != nullptr && s != before && v->frameType == READVSTREAM::kKeyFrame);
    }
    return out;
}

std::vector<std::string> filesOf(const Card& card, int channel = 0) {
    std::vector<std::string> out;
    for (int k = 0; k < card.options().filesPerChannel; ++k) {
        out.push_back(card.ssf(channel, k));
    }
    return out;
}

std::size_t packetCount(const mkcard::CardOptions& o) {
    std::size_t n = 0;
    for (int k = 0; k < o.filesPerChannel; ++k) {
        n += expectedPackets(o, k).size();
    }
    return n;
}

// Sets the header start of a recording to 9999-12-31 23:59:59: a second
// later has no date.
void setLastDateStart(const std::string& path) {
    std::vector<std::uint8_t> b = readBytes(path);
    for (std::size_t p = 40; p + 26 <= b.size(); ++p) {
        if (le32(b, p) == VORTA::kFilePropertiesCode) {
            const std::uint8_t start[7] = {0x0F, 0x27, 12, 31, 23, 59, 59};
            std::copy(start, start + 7, b.begin() + static_cast<std::ptrdiff_t>(p + 19));
            writeBytes(path, b);
            return;
        }
    }
    ADD_FAILURE() << "no file properties in " << path;
}

// Adds `delta` to the offset of every entry of an index file, or sets it.
void editIndex(const std::string& idxPath, const std::function<std::uint32_t(std::uint32_t)>& f) {
    std::vector<std::uint8_t> b = readBytes(idxPath);
    const unsigned count = static_cast<unsigned>(b[8] | (b[9] << 8));
    for (unsigned e = 0; e < count; ++e) {
        const std::size_t at = 294 + 16 * e;
        putLe32(b, at, f(le32(b, at)));
    }
    writeBytes(idxPath, b);
}

TEST(DamagedRecordings, AFlippedLengthCostsAtMostTheRestOfItsGroupOfPictures) {
    const mkcard::CardOptions o = tinyOptions(2, 4);
    Card card("flip", o);
    ASSERT_TRUE(card.ok());
    const std::vector<Expected> want = expectedPackets(o, 0);
    // A video packet in the second second that is no key frame.
    std::size_t victim = 0;
    while (want[victim].kind != Expected::Video || want[victim].key ||
           want[victim].stamp < 1400) {
        ++victim;
    }
    std::size_t nextKey = victim + 1;
    while (!want[nextKey].key) {
        ++nextKey;
    }
    std::vector<std::uint8_t> bytes = readBytes(card.ssf(0, 0));
    const std::vector<RawPacket> packets = walkPackets(bytes);
    ASSERT_EQ(packets.size(), want.size());
    bytes[packets[victim].offset + 3] ^= 0x40;  // one bit of the length's top byte
    writeBytes(card.ssf(0, 0), bytes);

    std::ostringstream log;
    auto reader = makeReader(filesOf(card), &log);
    reader->startAtFirstFile();
    const Reads got = readOut(*reader);
    // The first packet was read by startAtFirstFile.
    const std::size_t lost = nextKey - victim;
    ASSERT_EQ(got.instants.size() + 1, packetCount(o) - lost);
    EXPECT_EQ(got.instants[victim - 1], card.start(0) + pt::milliseconds(want[nextKey].stamp));
    EXPECT_TRUE(got.keys[victim - 1]);
    EXPECT_EQ(got.instants.back(), card.start(1) + pt::milliseconds(expectedPackets(o, 1).back().stamp));
}

TEST(DamagedRecordings, IndexEntriesThatMissTheirPacketsAreNotUsed) {
    mkcard::CardOptions o = tinyOptions(2, 4);
    // File 1 has no I-frame table: with its index damaged, its key frames
    // come from its packets.
    o.faults.push_back({mkcard::FaultKind::NoIFrameTable, 0, 1});
    Card card("idx", o);
    ASSERT_TRUE(card.ok());
    const std::vector<std::uint8_t> index0 = readBytes(card.idx(0, 0));
    const std::vector<std::uint8_t> index1 = readBytes(card.idx(0, 1));
    const std::int64_t size0 = static_cast<std::int64_t>(fs::file_size(card.ssf(0, 0)));
    const std::function<std::uint32_t(std::uint32_t)> damages[] = {
        [](std::uint32_t v) { return v + 5; },  // into the packets
        [](std::uint32_t) { return 0u; },       // at offset 0
        [size0](std::uint32_t v) { return static_cast<std::uint32_t>(v + size0); },  // past the end
    };
    for (int d = 0; d < 3; ++d) {
        SCOPED_TRACE("damage " + std::to_string(d));
        writeBytes(card.idx(0, 0), index0);
        writeBytes(card.idx(0, 1), index1);
        editIndex(card.idx(0, 0), damages[d]);
        editIndex(card.idx(0, 1), damages[d]);
        std::ostringstream log;
        auto reader = makeReader(filesOf(card), &log);
        // File 1 has no list that fits: it ends with its recording length.
        EXPECT_EQ(reader->lastInstant(), card.start(1) + pt::seconds(4));
        reader->rewind();
        reader->openCurrentFile();
        EXPECT_EQ(reader->keySource(), SSFChannelReader::KeySource::Table);

        // 4x forward: one key frame a second through both files.
        reader->setSpeed(10, dateOf(card.start(0)), timeOf(card.start(0)));
        std::vector<pt::ptime> keys{reader->currentInstant()};
        const Reads forward = readOut(*reader, 100);
        keys.insert(keys.end(), forward.instants.begin(), forward.instants.end());
        ASSERT_EQ(keys.size(), 8u);
        for (int s = 0; s < 8; ++s) {
            EXPECT_EQ(keys[static_cast<std::size_t>(s)], card.start(0) + pt::seconds(s));
        }
        // Backward from the end, and a seek into the middle of each file.
        const pt::ptime end = card.start(1) + pt::seconds(3);
        reader->setSpeed(4, dateOf(end), timeOf(end));
        EXPECT_EQ(reader->keySource(), SSFChannelReader::KeySource::Scan);
        EXPECT_EQ(readOut(*reader, 100).instants.size() + 1, 8u);
        for (int k = 0; k < 2; ++k) {
            const pt::ptime mid = card.start(k) + pt::seconds(2);
            reader->playForwardFrom(dateOf(mid), timeOf(mid));
            EXPECT_EQ(reader->currentInstant(), mid);
        }
    }
}

TEST(DamagedRecordings, FilesWithoutAUsableHeaderDateAreDatedFromTheirNames) {
    mkcard::CardOptions o = tinyOptions(3, 2);
    o.faults.push_back({mkcard::FaultKind::InvalidStartDate, 0, 1});
    Card card("dates", o);
    ASSERT_TRUE(card.ok());
    setLastDateStart(card.ssf(0, 2));
    std::ostringstream log;
    auto reader = makeReader(filesOf(card), &log);
    EXPECT_EQ(reader->firstInstant(), card.start(0));
    EXPECT_EQ(reader->lastInstant(), card.start(2) + pt::seconds(1));
    reader->startAtFirstFile();
    const Reads got = readOut(*reader);
    ASSERT_EQ(got.instants.size() + 1, packetCount(o));
    for (std::size_t i = 0; i < got.dates.size(); ++i) {
        if (got.dates[i] != -1) {
            EXPECT_EQ(got.dates[i], 20260301) << "record " << i;
        }
    }
    EXPECT_TRUE(std::is_sorted(got.instants.begin(), got.instants.end()));
    EXPECT_EQ(got.instants.back(),
              card.start(2) + pt::milliseconds(expectedPackets(o, 2).back().stamp));
    const pt::ptime inDateless = card.start(1) + pt::seconds(1);
    ASSERT_TRUE(reader->seek(dateOf(inDateless), timeOf(inDateless)));
    EXPECT_EQ(reader->currentInstant(), inDateless);

    // Neither header nor folder gives a date: the file is passed over.
    const std::string folder = card.root() + "/2026-03";
    fs::create_directories(folder);
    fs::copy_file(card.ssf(0, 1), folder + "/120002000.ssf");
    auto lone = makeReader({folder + "/120002000.ssf", card.ssf(0, 2)}, &log);
    EXPECT_EQ(lone->firstInstant(), card.start(2));
    lone->startAtFirstFile();
    EXPECT_EQ(lone->currentFile(), 1);
    EXPECT_EQ(lone->currentInstant(), card.start(2));
}

}  // namespace
