// Time base of packets and the records made from them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include <boost/date_time/posix_time/posix_time.hpp>

#include "recording/PacketRecords.h"
#include "recording/PacketTime.h"
#include "tests/recording/FormatWriter.h"

using namespace testfmt;
namespace pt = boost::posix_time;
using VORTA::HEADERUNIT;
using VORTA::PacketKind;
using VORTA::REPLY_DATA;

namespace {

HEADERUNIT makeHeader(int year, int videoStream = 1, int audioKind = 4) {
    const Bytes h =
        headerUnit({fileProperties(year, 3, 1, 23, 59, 59, 0, "Cam 1"),
                    videoProperties(videoStream, 1280, 720),
                    audioProperties(audioCodecId(audioKind), 2, 800, 8, 1), endMarker()});
    HEADERUNIT unit;
    EXPECT_GT(unit.parse(h.data(), h.size()), 0u);
    return unit;
}

REPLY_DATA makePacket(std::uint8_t flags, std::uint32_t timestamp, const Bytes& payload) {
    PacketSpec spec;
    spec.flags = flags;
    spec.timestamp = timestamp;
    spec.payload = payload;
    const Bytes b = packet(spec);
    REPLY_DATA pk;
    EXPECT_EQ(pk.parse(b.data(), b.size()), b.size());
    return pk;
}

VORTA::FILE_PROPERTIES_OBJECT startingAt(int year, int month, int day) {
    VORTA::FILE_PROPERTIES_OBJECT f;
    f.year = static_cast<std::uint16_t>(year);
    f.month = static_cast<std::uint8_t>(month);
    f.day = static_cast<std::uint8_t>(day);
    f.hour = 23;
    f.minute = 59;
    f.second = 59;
    return f;
}

}  // namespace

// (A time stamp across midnight: with the video records below.)
TEST(PacketTime, DatesFromIntegersAndOutOfRangeDateErrors) {
    EXPECT_EQ(VORTA::instantFromDateTime(20160302, 123456),
              pt::time_from_string("2016-03-02 12:34:56"));
    for (auto f : {startingAt(1399, 1, 1), startingAt(10000, 1, 1), startingAt(2016, 0, 1),
                   startingAt(2016, 13, 1), startingAt(2016, 1, 0), startingAt(2016, 1, 32),
                   startingAt(2015, 2, 29)}) {
        EXPECT_THROW(VORTA::packetInstant(f, 0), std::out_of_range)
            << f.year << "-" << int(f.month);
    }
    EXPECT_THROW(VORTA::instantFromDateTime(-1, 0), std::out_of_range);
    EXPECT_THROW(VORTA::instantFromDateTime(0, 0), std::out_of_range);
    // 70000 would wrap to a valid year in a 16-bit field.
    EXPECT_THROW(VORTA::instantFromDateTime(700000101, 0), std::out_of_range);
    EXPECT_NO_THROW(VORTA::packetInstant(startingAt(2016, 2, 29), 0));
}

// 9999-12-31 23:59:59 is a valid start, but a second later has no date: no
// conversion may throw, and such a start is no usable one.
TEST(PacketTime, InstantsPastTheLastDateNeverThrow) {
    VORTA::FILE_PROPERTIES_OBJECT last = startingAt(9999, 12, 31);
    EXPECT_NO_THROW({
        const auto stamp = VORTA::recordStamp(last, 5000);
        EXPECT_NE(stamp.date, 100000101);
        EXPECT_NE(stamp.date, 0);
    });
    const pt::ptime start = VORTA::packetInstant(last, 0);
    EXPECT_FALSE(VORTA::isUsableStart(start));
    EXPECT_TRUE(VORTA::startInstantOrUnset(last).is_not_a_date_time());
    EXPECT_TRUE(VORTA::isUsableStart(VORTA::packetInstant(startingAt(9999, 12, 30), 0)));
    const pt::ptime past = start + pt::seconds(5);
    EXPECT_EQ(VORTA::dateInteger(past), 0);
    EXPECT_EQ(VORTA::timeInteger(past), 0);
    EXPECT_TRUE(VORTA::recordStampAt(start, 5000).instant.is_not_a_date_time());
    EXPECT_EQ(VORTA::recordStampAt(start, 500).date, 99991231);
}

TEST(PacketTime, GSensorValuesAreCutToTwoDecimals) {
    // -0.019 and 1.239: with the G-sensor records below.
    EXPECT_FLOAT_EQ(VORTA::truncateToHundredths(-0.017f), -0.01f);
    EXPECT_FLOAT_EQ(VORTA::truncateToHundredths(0.004f), 0.0f);
    EXPECT_TRUE(std::isnan(VORTA::truncateToHundredths(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_EQ(VORTA::truncateToHundredths(3e38f), 3e38f);
}

TEST(PacketRecords, VideoRecord) {
    const HEADERUNIT unit = makeHeader(2016);
    const REPLY_DATA key = makePacket(0x81, 1500, {0, 0, 0, 1, 0x65});
    VORTA::PacketRecord rec = VORTA::makePacketRecord(unit, key, 5);
    ASSERT_EQ(rec.kind, PacketKind::Video);
    auto* v = dynamic_cast<READVSTREAM*>(rec.sample.get());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->kind, STREAMOBJECT::KIND_VIDEO);
    EXPECT_EQ((std::vector<long long>{v->date, v->time, v->milliseconds, v->sequence, v->channel}),
              (std::vector<long long>{20160302, 0, 500, 1500, 5}));
    ASSERT_EQ(v->size, 5);
    EXPECT_EQ(v->data[4], 0x65);
    EXPECT_NE(v->data.get(), key.payload.data());
    EXPECT_EQ(v->width, 1280);
    EXPECT_EQ(v->height, 720);
    EXPECT_EQ(v->frameType, READVSTREAM::kKeyFrame);
    EXPECT_EQ(v->text1, "Cam 1");
    EXPECT_EQ(rec.instant, pt::time_from_string("2016-03-02 00:00:00.500"));

    rec = VORTA::makePacketRecord(unit, makePacket(0x01, 0, {}), 0);
    v = dynamic_cast<READVSTREAM*>(rec.sample.get());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->frameType, READVSTREAM::kOtherFrame);
    EXPECT_EQ(v->size, 0);
    EXPECT_EQ(v->data, nullptr);
}

TEST(PacketRecords, AudioRecordFollowsTheCodecTable) {
    struct Case {
        int idKind;
        int codecKind;
        int sampleSize;
        int rate;
    };
    for (const Case c :
         {Case{4, 4, 16, 8000}, Case{5, 5, 16, 8000}, Case{3, 3, 8, 8000}, Case{0, -1, 0, 0}}) {
        const HEADERUNIT unit = makeHeader(2016, 1, c.idKind);
        const VORTA::PacketRecord rec =
            VORTA::makePacketRecord(unit, makePacket(0x02, 2001, {5, 6, 7}), 3);
        ASSERT_EQ(rec.kind, PacketKind::Audio);
        EXPECT_EQ(rec.sample, nullptr);
        const auto& a = rec.audio;
        EXPECT_EQ((std::vector<int>{a.codecKind, a.param1, a.param2, a.param3, a.channel}),
                  (std::vector<int>{c.codecKind, c.sampleSize, c.rate, 1, 3}));
        ASSERT_EQ(a.size, 3);
        EXPECT_EQ(a.data[2], 7);
        EXPECT_EQ((std::vector<int>{a.date, a.time, a.milliseconds}),
                  (std::vector<int>{20160302, 1, 1}));
    }
}

TEST(PacketRecords, GpsAndGSensorSamples) {
    const HEADERUNIT unit = makeHeader(2016);
    VORTA::PacketRecord rec = VORTA::makePacketRecord(
        unit, makePacket(0x03, 10, gpsPayload(0xCAFE, 37.5, 127.25, 30.0)), 2);
    ASSERT_EQ(rec.kind, PacketKind::Gps);
    auto* gps = dynamic_cast<GPSDATA*>(rec.sample.get());
    ASSERT_NE(gps, nullptr);
    EXPECT_EQ(gps->kind, STREAMOBJECT::KIND_GPS);
    EXPECT_EQ(gps->extra, 0xCAFEu);
    EXPECT_DOUBLE_EQ(gps->latitude, 37.5);
    EXPECT_DOUBLE_EQ(gps->longitude, 127.25);
    EXPECT_DOUBLE_EQ(gps->speed, 30.0);
    EXPECT_EQ((std::vector<long long>{gps->date, gps->time, gps->sequence, gps->channel}),
              (std::vector<long long>{20160301, 235959, 10, 2}));

    rec = VORTA::makePacketRecord(
        unit, makePacket(0x04, 20, gsensorPayload(-0.019f, 1.239f, 0.5f, 9)), 2);
    ASSERT_EQ(rec.kind, PacketKind::GSensor);
    auto* g = dynamic_cast<GSENSORDATA*>(rec.sample.get());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->kind, STREAMOBJECT::KIND_GSENSOR);
    EXPECT_FLOAT_EQ(g->x, -0.01f);
    EXPECT_FLOAT_EQ(g->y, 1.23f);
    EXPECT_FLOAT_EQ(g->z, 0.5f);
    EXPECT_EQ(g->extra, 9);
    EXPECT_EQ(g->milliseconds, 20);
}

TEST(PacketRecords, SkippedPacketsAndStreamZero) {
    const HEADERUNIT unit = makeHeader(2016);
    VORTA::PacketRecord rec = VORTA::makePacketRecord(unit, makePacket(0x05, 0, {1}), 0);
    EXPECT_EQ(rec.kind, PacketKind::Skipped);
    EXPECT_EQ(rec.sample, nullptr);
    EXPECT_TRUE(rec.instant.is_not_a_date_time());

    // Sample payloads too short for their sample are skipped, not read past.
    Bytes gps = gpsPayload(1, 2, 3, 4);
    gps.pop_back();
    rec = VORTA::makePacketRecord(unit, makePacket(0x03, 0, gps), 0);
    EXPECT_EQ(rec.kind, PacketKind::Skipped);
    EXPECT_EQ(rec.sample, nullptr);
    Bytes sensor = gsensorPayload(1, 2, 3, 4);
    sensor.pop_back();
    rec = VORTA::makePacketRecord(unit, makePacket(0x04, 0, sensor), 0);
    EXPECT_EQ(rec.kind, PacketKind::Skipped);

    // Without a video properties object, stream 0 is the video.
    const Bytes h = headerUnit({endMarker()});
    HEADERUNIT empty;
    ASSERT_EQ(empty.parse(h.data(), h.size()), 40u);
    EXPECT_EQ(VORTA::makePacketRecord(empty, makePacket(0x00, 0, {1}), 0).kind, PacketKind::Video);
}

// A header start that is no date: records are labelled with the local time.
TEST(PacketRecords, InvalidStartDateLabelsRecordsWithLocalTime) {
    const HEADERUNIT unit = makeHeader(1200);
    const pt::ptime before = pt::second_clock::local_time();
    const VORTA::PacketRecord rec = VORTA::makePacketRecord(unit, makePacket(0x01, 1500, {1}), 0);
    const pt::ptime after = pt::second_clock::local_time();
    ASSERT_EQ(rec.kind, PacketKind::Video);
    EXPECT_TRUE(rec.instant.is_not_a_date_time());
    EXPECT_EQ(rec.sample->milliseconds, 0);
    EXPECT_EQ(rec.sample->sequence, 1500);
    const pt::ptime labelled = VORTA::instantFromDateTime(rec.sample->date, rec.sample->time);
    EXPECT_LE(before, labelled);
    EXPECT_LE(labelled, after);
}
