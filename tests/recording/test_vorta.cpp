// Header unit walk, packet parse and the refusal of malformed input.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/Vorta.h"
#include "tests/recording/FormatWriter.h"

using namespace testfmt;
using VORTA::HEADERUNIT;
using VORTA::PacketKind;
using VORTA::REPLY_DATA;

namespace {

Bytes fullHeader() {
    return headerUnit({fileProperties(2016, 3, 1, 23, 59, 59, 60000, "Front"),
                       videoProperties(0, 1280, 720),
                       audioProperties(audioCodecId(4), 1, 800, 8, 1),
                       valueProperties(VORTA::kIFramePropertiesCode, 0x123456, "if"),
                       valueProperties(VORTA::kEventPropertiesCode, 77, "event"), endMarker()});
}

// `b` with the little-endian word at `at` replaced by `v`.
Bytes withU32(Bytes b, std::size_t at, std::uint32_t v) {
    ByteWriter w;
    w.bytes(b);
    w.patchU32(at, v);
    return w.data();
}

}  // namespace

TEST(HeaderUnit, ParsesEveryPropertyObject) {
    const Bytes h = fullHeader();
    HEADERUNIT unit;
    EXPECT_EQ(unit.parse(h.data(), h.size()), h.size() - 4);  // stops at the end marker
    EXPECT_EQ(unit.leadBlock[31], 31);
    EXPECT_EQ(unit.leadInCode, VORTA::kLeadInCode);
    EXPECT_EQ(unit.leadInLength, h.size() - 40);
    EXPECT_EQ(HEADERUNIT::declaredSize(h.data(), h.size()), h.size());

    const auto& f = unit.fileProperties;
    EXPECT_EQ(f.type, VORTA::kFilePropertiesCode);
    EXPECT_EQ((std::vector<int>{f.year, f.month, f.day, f.hour, f.minute, f.second}),
              (std::vector<int>{2016, 3, 1, 23, 59, 59}));
    EXPECT_EQ(f.recordingLength, 60000u);
    EXPECT_EQ(f.titleString(), "Front");
    EXPECT_STREQ(f.title, "Front");

    const auto& v = unit.videoProperties;
    EXPECT_EQ((std::vector<std::size_t>{v.streamNumber, v.width, v.height, v.options.value2,
                                        v.options.run1.size(), v.options.run2.size(),
                                        v.extra.size()}),
              (std::vector<std::size_t>{0, 1280, 720, 2, 3, 2, 2}));
    const auto& a = unit.audioProperties;
    EXPECT_EQ((std::vector<int>{a.streamNumber, a.sampleRateDiv10, a.sampleSize, a.valueB}),
              (std::vector<int>{1, 800, 8, 1}));

    EXPECT_EQ(unit.iframeProperties.tableOffset(), 0x123456u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(unit.eventProperties.data.data()),
                          unit.eventProperties.data.size()),
              "event");
}

TEST(HeaderUnit, WalkEndsAtEndMarkerUnknownCodeOrTheEndOfItsBytes) {
    const Bytes h = headerUnit({endMarker(), videoProperties(2, 640, 480)});
    HEADERUNIT unit;
    EXPECT_EQ(unit.parse(h.data(), h.size()), 40u);
    EXPECT_EQ(unit.iframeProperties.tableOffset(), 0u);
    EXPECT_EQ(unit.videoProperties.streamNumber, 0);
    EXPECT_EQ(unit.videoProperties.width, 0);
    EXPECT_EQ(unit.fileProperties.type, 0u);
    EXPECT_TRUE(unit.videoProperties.extra.empty());

    Bytes unknown = ByteWriter().u32(0x12345678).u32(8).data();
    const Bytes a = headerUnit({videoProperties(1, 320, 240), unknown, videoProperties(2, 9, 9)});
    EXPECT_EQ(unit.parse(a.data(), a.size()), 40 + videoProperties(1, 320, 240).size());
    EXPECT_EQ(unit.videoProperties.width, 320);

    // No end marker: the walk stops where the lead-in's L bytes end, even when
    // the buffer goes on (packets follow the header unit in a file).
    Bytes b = headerUnit({videoProperties(1, 320, 240)});
    const std::size_t headerSize = b.size();
    const Bytes more = videoProperties(2, 9, 9);
    b.insert(b.end(), more.begin(), more.end());
    EXPECT_EQ(unit.parse(b.data(), b.size()), headerSize);
    EXPECT_EQ(unit.videoProperties.width, 320);
}

TEST(HeaderUnit, LaterObjectOfAKindReplacesTheEarlier) {
    const Bytes h =
        headerUnit({fileProperties(2016, 3, 1, 0, 0, 0, 1, "A long first title"),
                    videoProperties(1, 1280, 720), fileProperties(2017, 4, 2, 0, 0, 0, 2, "B"),
                    videoProperties(2, 640, 480), endMarker()});
    HEADERUNIT unit;
    ASSERT_GT(unit.parse(h.data(), h.size()), 0u);
    EXPECT_EQ(unit.fileProperties.year, 2017);
    EXPECT_EQ(unit.fileProperties.titleString(), "B");
    EXPECT_STREQ(unit.fileProperties.title, "B");  // nothing left of the first title
    EXPECT_EQ(unit.videoProperties.streamNumber, 2);
    EXPECT_EQ(unit.videoProperties.width, 640);
}

TEST(HeaderUnit, RefusesMalformedInputAndStaysUnchanged) {
    const Bytes good = fullHeader();
    HEADERUNIT unit;
    ASSERT_GT(unit.parse(good.data(), good.size()), 0u);

    auto expectRefused = [&](const Bytes& bad, const char* what) {
        EXPECT_EQ(unit.parse(bad.data(), bad.size()), 0u) << what;
        EXPECT_EQ(unit.videoProperties.width, 1280) << what;
        EXPECT_EQ(unit.fileProperties.titleString(), "Front") << what;
    };

    const Bytes one = headerUnit({videoProperties(1, 2, 3)});
    expectRefused(withU32(one, 40 + 4, 0), "object size 0");
    expectRefused(withU32(one, 40 + 4, 1000), "object size past the property bytes");
    // An object that runs past L although the buffer is longer.
    expectRefused(withU32(one, 36, static_cast<std::uint32_t>(one.size() - 40 - 1)),
                  "object past L");

    // Title length beyond the object's end.
    Bytes title = fileProperties(2016, 1, 1, 0, 0, 0, 0, "abc");
    title[47] = 200;
    expectRefused(headerUnit({title}), "title past the object");

    Bytes longer = fullHeader();
    longer.resize(longer.size() - 1);
    expectRefused(longer, "header unit longer than its buffer");

    expectRefused(Bytes(good.begin(), good.begin() + 39), "shorter than lead block and lead-in");
    EXPECT_EQ(unit.parse(nullptr, 100), 0u);
}

TEST(Packet, KeyFrameFlagCountsOnlyForTheVideoStream) {
    HEADERUNIT unit;
    const Bytes h3 = headerUnit(
        {videoProperties(3, 8, 8), audioProperties(audioCodecId(3), 1, 800, 16, 1), endMarker()});
    ASSERT_GT(unit.parse(h3.data(), h3.size()), 0u);
    EXPECT_EQ(VORTA::packetKind(unit, 0x83), PacketKind::Video);

    const Bytes h1 = headerUnit(
        {videoProperties(1, 8, 8), audioProperties(audioCodecId(3), 2, 800, 16, 1), endMarker()});
    ASSERT_GT(unit.parse(h1.data(), h1.size()), 0u);
    EXPECT_EQ(VORTA::packetKind(unit, 0x83), PacketKind::Gps);
    EXPECT_EQ(VORTA::packetKind(unit, 0x81), PacketKind::Video);
    EXPECT_EQ(VORTA::packetKind(unit, 0x02), PacketKind::Audio);
    EXPECT_EQ(VORTA::packetKind(unit, 0x04), PacketKind::GSensor);
    EXPECT_EQ(VORTA::packetKind(unit, 0x05), PacketKind::Skipped);
}

TEST(Packet, ParsesFieldsAndPayload) {
    PacketSpec spec;
    spec.flags = 0x81;
    spec.timestamp = 1234;
    spec.payload = {1, 2, 3, 4, 5};
    spec.option = true;
    spec.extra = "n3";
    const Bytes b = packet(spec);
    REPLY_DATA pk;
    EXPECT_EQ(pk.parse(b.data(), b.size()), b.size());
    EXPECT_EQ(pk.length, b.size());
    EXPECT_EQ(pk.streamNumber(), 1);
    EXPECT_TRUE(pk.isKeyFrameFlag());
    EXPECT_EQ(pk.timestamp, 1234u);
    EXPECT_EQ(pk.optionFlag, 1);
    EXPECT_EQ(pk.options.value1, 7);
    EXPECT_EQ(pk.options.run1.size(), 2u);
    EXPECT_EQ(pk.options.run2.size(), 3u);
    EXPECT_EQ(pk.extra.size(), 2u);
    EXPECT_EQ(Bytes(pk.payload.data(), pk.payload.data() + pk.payload.size()), spec.payload);

    // The buffer may hold more than the packet: only T bytes are consumed.
    Bytes two = b;
    two.insert(two.end(), b.begin(), b.end());
    EXPECT_EQ(pk.parse(two.data(), two.size()), b.size());

    // A packet of its head only leaves no payload of an earlier one behind.
    const Bytes head = packet(PacketSpec());
    ASSERT_EQ(head.size(), 11u);
    EXPECT_EQ(pk.parse(head.data(), head.size()), 11u);
    EXPECT_TRUE(pk.payload.empty());
    EXPECT_EQ(pk.payload.data(), nullptr);
}

TEST(Packet, ExtensionShiftsThePayloadByFiveBytes) {
    PacketSpec ext;
    ext.flags = 0x41;
    ext.payload = {9, 8, 7};
    const Bytes b = packet(ext);
    REPLY_DATA pb;
    ASSERT_EQ(pb.parse(b.data(), b.size()), b.size());
    EXPECT_EQ(pb.extensionByte, 0xE1);
    EXPECT_EQ(pb.extensionWord, 0xE2E3E4E5u);
    ASSERT_EQ(pb.payload.size(), 3u);
    EXPECT_EQ(pb.payload.data()[0], 9);
}

TEST(Packet, RefusesMalformedPackets) {
    PacketSpec spec;
    spec.flags = 0x01;
    spec.timestamp = 5;
    spec.payload = {1, 2, 3};
    const Bytes good = packet(spec);
    REPLY_DATA pk;
    ASSERT_GT(pk.parse(good.data(), good.size()), 0u);

    auto withLength = [](const Bytes& b, std::uint32_t t) { return withU32(b, 0, t); };
    auto expectRefused = [&](const Bytes& bad, std::size_t size, const char* what) {
        EXPECT_EQ(pk.parse(bad.data(), size), 0u) << what;
        EXPECT_EQ(pk.timestamp, 5u) << what;  // unchanged
        EXPECT_EQ(pk.payload.size(), 3u) << what;
    };

    EXPECT_TRUE(VORTA::isPacketLengthInRange(11));
    EXPECT_FALSE(VORTA::isPacketLengthInRange(10));
    EXPECT_TRUE(VORTA::isPacketLengthInRange(0x400000));
    EXPECT_FALSE(VORTA::isPacketLengthInRange(0x400001));

    expectRefused(good, good.size() - 1, "T past the buffer");
    expectRefused(good, 3, "not even a length");
    expectRefused(withLength(good, 8), good.size(), "T below the fixed head");
    expectRefused(withLength(good, 4), good.size(), "T of 4");
    expectRefused(withLength(good, 0), good.size(), "T of 0");
    expectRefused(withLength(good, 10), good.size(), "no room for N3");
    PacketSpec ext = spec;
    ext.flags = 0x41;
    expectRefused(withLength(packet(ext), 13), packet(ext).size(), "T below the extended head");

    Bytes huge(VORTA::kMaxPacketSize + 16, 0);
    const Bytes big = withLength(good, static_cast<std::uint32_t>(VORTA::kMaxPacketSize + 1));
    std::copy(big.begin(), big.end(), huge.begin());
    expectRefused(huge, huge.size(), "longer than 4 MiB");

    Bytes n3 = good;
    n3[10] = 50;  // N3 past T
    expectRefused(n3, n3.size(), "N3 past T");

    PacketSpec opt = spec;
    opt.option = true;
    Bytes optBad = packet(opt);
    optBad[12] = 0xFF;  // N1 low byte
    optBad[13] = 0x7F;
    expectRefused(optBad, optBad.size(), "option run past T");
}

TEST(PacketHeaderTest, SerialisesInNetworkOrder) {
    VORTA::PacketHeader h;
    h.word1 = 0x01020304;
    h.word2 = 0xA0B0C0D0;
    h.word3 = 7;
    std::uint8_t out[12] = {};
    EXPECT_EQ(h.serialize(out, 11), 0u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(h.serialize(out, sizeof out), 12u);
    const std::uint8_t want[12] = {1, 2, 3, 4, 0xA0, 0xB0, 0xC0, 0xD0, 0, 0, 0, 7};
    EXPECT_EQ(0, std::memcmp(out, want, 12));
}

TEST(Copies, HeaderUnitCopiesItsByteRuns) {
    const Bytes h = fullHeader();
    HEADERUNIT a;
    ASSERT_GT(a.parse(h.data(), h.size()), 0u);
    HEADERUNIT b(a);
    ASSERT_EQ(b.eventProperties.data.size(), 5u);
    EXPECT_NE(b.eventProperties.data.data(), a.eventProperties.data.data());
    EXPECT_NE(b.videoProperties.options.run1.data(), a.videoProperties.options.run1.data());
    a = HEADERUNIT();  // frees a's runs; b's copies stay readable
    EXPECT_EQ(b.eventProperties.data.data()[0], 'e');
    EXPECT_EQ(b.fileProperties.titleString(), "Front");
    HEADERUNIT c;
    c = b;
    EXPECT_NE(c.audioProperties.extra.data(), b.audioProperties.extra.data());
    EXPECT_EQ(c.audioProperties.extra.size(), 2u);
}
