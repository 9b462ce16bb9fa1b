// The channel reader over generated cards: reading patterns at every kind of
// speed, moves between files, damaged packets, and agreement with the
// generator on every record field.

#include <atomic>
#include <chrono>
#include <cmath>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "ReaderCard.h"
#include "recording/FolderScan.h"

namespace {

using namespace readertest;

// What one readNext() produced.
struct Got {
    Expected::Kind kind = Expected::Video;
    pt::ptime instant;
    int date = 0;
    int time = 0;
    int ms = 0;
    int sequence = 0;
    int channel = -1;
    int size = 0;
    bool key = false;
    int width = 0;
    int height = 0;
    double latitude = 0;
    double longitude = 0;
    double knots = 0;
    std::uint32_t gpsExtra = 0;
    float x = 0, y = 0, z = 0;
    int gExtra = 0;
    int audioRate = 0;
};

// Audio records arrive through the sink; everything else as the current sample.
struct Capture {
    std::vector<Got> audio;
};

SourceParams paramsWith(Capture* capture) {
    SourceParams p;
    p.audioSink = [capture](READASTREAM* a) {
        Got g;
        g.kind = Expected::Audio;
        g.date = a->date;
        g.time = a->time;
        g.ms = a->milliseconds;
        g.channel = a->channel;
        g.size = a->size;
        g.audioRate = a->param2;
        capture->audio.push_back(g);
    };
    return p;
}

// Reads until the reader runs out (or `limit` reads), one Got per read.
std::vector<Got> readAll(SSFChannelReader& r, Capture& capture, std::size_t limit = 100000,
                         bool readFirst = false) {
    std::vector<Got> out;
    auto take = [&]() {
        Got g;
        if (!capture.audio.empty()) {
            g = capture.audio.back();
            capture.audio.clear();
            EXPECT_EQ(r.currentSample(), nullptr);
        } else if (STREAMOBJECT* s = r.currentSample()) {
            g.date = s->date;
            g.time = s->time;
            g.ms = s->milliseconds;
            g.sequence = s->sequence;
            g.channel = s->channel;
            if (auto* v = dynamic_cast<READVSTREAM*>(s)) {
                g.kind = Expected::Video;
                g.size = v->size;
                g.key = v->frameType == READVSTREAM::kKeyFrame;
                g.width = v->width;
                g.height = v->height;
            } else if (auto* gps = dynamic_cast<GPSDATA*>(s)) {
                g.kind = Expected::Gps;
                g.latitude = gps->latitude;
                g.longitude = gps->longitude;
                g.knots = gps->speed;
                g.gpsExtra = gps->extra;
            } else if (auto* gs = dynamic_cast<GSENSORDATA*>(s)) {
                g.kind = Expected::GSensor;
                g.x = gs->x;
                g.y = gs->y;
                g.z = gs->z;
                g.gExtra = gs->extra;
            }
        }
        g.instant = r.currentInstant();
        out.push_back(g);
    };
    if (readFirst && !r.currentInstant().is_not_a_date_time()) {
        take();
    }
    for (std::size_t i = 0; i < limit; ++i) {
        r.readNext();
        if (r.currentInstant().is_not_a_date_time()) {
            break;
        }
        take();
    }
    return out;
}

int centisOf(float v) {
    return static_cast<int>(std::lround(static_cast<double>(v) * 100.0));
}

std::vector<std::string> channelFiles(const Card& card, int channel = 0) {
    std::vector<std::string> files;
    for (int k = 0; k < card.options().filesPerChannel; ++k) {
        files.push_back(card.ssf(channel, k));
    }
    return files;
}

TEST(ChannelReader, NormalSpeedReadsEveryPacketOfEveryFileInOrderWithTheGeneratorsValues) {
    Card card("through", tinyOptions(4, 3));
    ASSERT_TRUE(card.ok());
    const mkcard::CardOptions& o = card.options();
    const mkcard::Telemetry telemetry =
        mkcard::makeTelemetry(o.seed, o.filesPerChannel * o.secondsPerFile);
    std::ostringstream log;
    Capture capture;
    auto reader = makeReader(channelFiles(card), &log, 0, paramsWith(&capture));
    EXPECT_EQ(reader->firstInstant(), card.start(0));
    EXPECT_EQ(reader->lastInstant(), card.start(3) + pt::seconds(o.secondsPerFile - 1));

    reader->rewind();
    reader->openCurrentFile();
    EXPECT_EQ(reader->entryCount(), o.secondsPerFile);
    const std::vector<Got> got = readAll(*reader, capture);
    EXPECT_TRUE(reader->isClosed());
    EXPECT_EQ(reader->currentFile(), o.filesPerChannel);

    std::vector<Expected> want;
    std::vector<std::uint32_t> lengths;
    for (int k = 0; k < o.filesPerChannel; ++k) {
        const std::vector<Expected> e = expectedPackets(o, k);
        want.insert(want.end(), e.begin(), e.end());
        for (const RawPacket& p : walkPackets(readBytes(card.ssf(0, k)))) {
            lengths.push_back(p.length - ((p.flags & 0x40) != 0 ? 16 : 11));
        }
    }
    ASSERT_EQ(got.size(), want.size());
    ASSERT_EQ(lengths.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("packet " + std::to_string(i));
        const Expected& e = want[i];
        const Got& g = got[i];
        const pt::ptime at = card.start(e.file) + pt::milliseconds(e.stamp);
        ASSERT_EQ(g.kind, e.kind);
        EXPECT_EQ(g.instant, at);
        EXPECT_EQ(g.date, dateOf(at));
        EXPECT_EQ(g.time, timeOf(at));
        EXPECT_EQ(g.ms, static_cast<int>(e.stamp % 1000));
        EXPECT_EQ(g.channel, 0);
        switch (e.kind) {
            case Expected::Video:
                EXPECT_EQ(g.sequence, static_cast<int>(e.stamp));
                EXPECT_EQ(g.key, e.key);
                EXPECT_EQ(g.width, o.width);
                EXPECT_EQ(g.height, o.height);
                EXPECT_EQ(static_cast<std::uint32_t>(g.size), lengths[i]);
                break;
            case Expected::Audio:
                EXPECT_EQ(g.size, mkcard::audioCadence(o.audio).samplesPerPacket);
                EXPECT_EQ(g.audioRate, mkcard::kAudioSampleRate);
                break;
            case Expected::Gps: {
                const mkcard::GpsSample& s = telemetry.gps[e.index];
                EXPECT_EQ(g.sequence, static_cast<int>(e.stamp));
                EXPECT_EQ(g.latitude, s.latitude);
                EXPECT_EQ(g.longitude, s.longitude);
                EXPECT_EQ(g.knots, s.knots);
                EXPECT_EQ(g.gpsExtra, s.satellites);
                break;
            }
            case Expected::GSensor: {
                const mkcard::GsensorSample& s = telemetry.gsensor[e.index];
                EXPECT_EQ(centisOf(g.x), mkcard::centis(s.x));
                EXPECT_EQ(centisOf(g.y), mkcard::centis(s.y));
                EXPECT_EQ(centisOf(g.z), mkcard::centis(s.z));
                EXPECT_EQ(g.gExtra, s.event);
                break;
            }
        }
    }
}

// Key-frame instants of the reads, as offsets from the card's start in ms.
std::vector<long> keyTimes(const Card& card, const std::vector<Got>& got) {
    std::vector<long> out;
    for (const Got& g : got) {
        EXPECT_EQ(g.kind, Expected::Video);
        EXPECT_TRUE(g.key);
        out.push_back(static_cast<long>((g.instant - card.start(0)).total_milliseconds()));
    }
    return out;
}

TEST(ChannelReader, KeyFrameSpeedsStepThroughTheTablesForwardAndBackwardAcrossFiles) {
    Card card("keys", tinyOptions(3, 5));
    ASSERT_TRUE(card.ok());
    std::ostringstream log;
    Capture capture;
    auto reader = makeReader(channelFiles(card), &log, 0, paramsWith(&capture));
    reader->rewind();
    reader->openCurrentFile();

    // 4x forward from the start: every second of every file, in order.
    reader->setSpeed(10, dateOf(card.start(0)), timeOf(card.start(0)));
    EXPECT_EQ(reader->direction(), DIRECTION_FORWARD);
    std::vector<long> forward = keyTimes(card, readAll(*reader, capture, 100, true));
    std::vector<long> all;
    for (long s = 0; s < 15; ++s) {
        all.push_back(s * 1000);
    }
    EXPECT_EQ(forward, all);

    // -4x from the last second: entries 4..0 of the last file, then the one before.
    const pt::ptime last = card.start(2) + pt::seconds(4);
    reader->setSpeed(4, dateOf(last), timeOf(last));
    EXPECT_EQ(reader->direction(), DIRECTION_BACKWARD);
    EXPECT_EQ(reader->currentFile(), 2);
    std::vector<long> backward = keyTimes(card, readAll(*reader, capture, 100, true));
    EXPECT_EQ(backward, std::vector<long>(all.rbegin(), all.rend()));
    EXPECT_EQ(reader->currentFile(), -1);
}

TEST(ChannelReader, TruncatedLastPacketEndsTheFileAndTheReaderMovesOn) {
    mkcard::CardOptions o = tinyOptions(3, 3);
    o.faults.push_back({mkcard::FaultKind::TruncatedLastPacket, 0, 1});
    Card card("truncated", o);
    ASSERT_TRUE(card.ok());
    std::ostringstream log;
    Capture capture;
    auto reader = makeReader(channelFiles(card), &log, 0, paramsWith(&capture));
    reader->rewind();
    reader->openCurrentFile();
    const std::vector<Got> got = readAll(*reader, capture);
    std::size_t want = 0;
    for (int k = 0; k < 3; ++k) {
        want += expectedPackets(o, k).size();
    }
    // Everything but the cut packet, and file 2 follows file 1 at once.
    ASSERT_EQ(got.size(), want - 1);
    const std::size_t firstOf2 = want - expectedPackets(o, 2).size() - 1;
    EXPECT_EQ(got[firstOf2].instant, card.start(2));
    EXPECT_LT(got[firstOf2 - 1].instant, card.start(2));
    EXPECT_GT(got[firstOf2 - 1].instant, card.start(1));

    // Backward key frames from file 2 carry on with the truncated file's last
    // whole key frame (its index lists whole packets only).
    reader->setSpeed(4, dateOf(card.start(2)), timeOf(card.start(2)));
    const std::vector<long> keys = keyTimes(card, readAll(*reader, capture, 4, true));
    EXPECT_EQ(keys, (std::vector<long>{6000, 5000, 4000, 3000, 2000}));
}

TEST(ChannelReader, StillPlaysOnAndSpeedChangesRepositionOnlyWhenThePatternChanges) {
    Card card("speeds", tinyOptions(2, 3));
    ASSERT_TRUE(card.ok());
    std::ostringstream log;
    Capture capture;
    auto reader = makeReader(channelFiles(card), &log, 0, paramsWith(&capture));
    reader->rewind();
    reader->openCurrentFile();
    reader->readNext();
    const pt::ptime mid = card.start(1) + pt::seconds(1);

    reader->setSpeed(8, dateOf(mid), timeOf(mid));  // the current index: nothing happens
    EXPECT_EQ(reader->currentInstant(), card.start(0));
    reader->setSpeed(99, dateOf(mid), timeOf(mid));
    EXPECT_EQ(reader->speedIndex(), 8);

    reader->setSpeed(12, dateOf(mid), timeOf(mid));
    EXPECT_EQ(reader->currentInstant(), mid);
    reader->readNext();
    EXPECT_EQ(reader->currentInstant(), mid + pt::seconds(1));

    // Still keeps the position and reads on packet by packet.
    reader->setSpeed(7, dateOf(card.start(0)), timeOf(card.start(0)));
    EXPECT_EQ(reader->direction(), DIRECTION_STILL);
    EXPECT_EQ(reader->currentInstant(), mid + pt::seconds(1));
    // The audio, GPS and G-sensor packets of the key frame's stamp, then on.
    int reads = 0;
    while (reader->currentInstant() == mid + pt::seconds(1) && reads < 10) {
        reader->readNext();
        ++reads;
    }
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(reader->currentInstant(), mid + pt::milliseconds(1100));

    reader->playBackwardFrom(dateOf(mid), timeOf(mid));
    EXPECT_EQ(reader->speedIndex(), kSpeedIndexReverse);
    EXPECT_EQ(reader->direction(), DIRECTION_BACKWARD);
    // A target on a key frame counts as between it and the next one: the
    // later key frame comes first, then the earlier ones.
    EXPECT_EQ(reader->currentInstant(), mid + pt::seconds(1));
    reader->readNext();
    EXPECT_EQ(reader->currentInstant(), mid);
    // Already at -1x, a new start moves the reader all the same: whoever
    // asks has dropped what the reader read ahead.
    reader->playBackwardFrom(dateOf(card.start(0)), timeOf(card.start(0)));
    EXPECT_EQ(reader->currentInstant(), card.start(0));

    reader->playForwardFrom(dateOf(card.start(0)), timeOf(card.start(0)));
    EXPECT_EQ(reader->speedIndex(), kSpeedIndexNormal);
    EXPECT_EQ(reader->currentInstant(), card.start(0));
    reader->readNext();
    EXPECT_EQ(reader->currentInstant(), card.start(0));  // the audio block at the same stamp

    reader->goToLast();
    EXPECT_EQ(reader->currentInstant(), card.start(0) + pt::seconds(2));
    reader->goToFirstFile();
    EXPECT_EQ(reader->currentInstant(), card.start(0));
    reader->goToLastFile();
    EXPECT_EQ(reader->currentFile(), 1);
    EXPECT_EQ(reader->currentInstant(), card.start(1) + pt::seconds(2));

    // Still play reads on into the next file, as normal speed does.
    Capture stillCapture;
    auto still = makeReader(channelFiles(card), &log, 0, paramsWith(&stillCapture));
    still->setSpeed(kSpeedIndexStill, 0, 0);
    still->rewind();
    still->openCurrentFile();
    EXPECT_EQ(readAll(*still, stillCapture).size(), expectedPackets(card.options(), 0).size() +
                                                        expectedPackets(card.options(), 1).size());
}

// Copies file 0 of a card into a day folder that sorts before the card's own,
// with `edit` applied.
std::string editedCopy(
    const Card& card, const std::string& name,
    const std::function<void(std::vector<std::uint8_t>&, const std::vector<RawPacket>&)>& edit) {
    const std::string folder = card.root() + "/0edit/" + card.dayName();
    fs::create_directories(folder);
    std::vector<std::uint8_t> bytes = readBytes(card.ssf(0, 0));
    const std::vector<RawPacket> packets = walkPackets(bytes);
    edit(bytes, packets);
    const std::string path = folder + "/" + name;
    writeBytes(path, bytes);
    return path;
}

TEST(ChannelReader, OddPacketsAreSkippedRetriedOrEndTheFile) {
    mkcard::CardOptions o = tinyOptions(2, 2);
    o.faults.push_back({mkcard::FaultKind::NoIndex, 0, 0});
    o.faults.push_back({mkcard::FaultKind::NoIFrameTable, 0, 0});
    Card card("odd", o);
    ASSERT_TRUE(card.ok());
    std::ostringstream log;
    const std::vector<Expected> want = expectedPackets(o, 0);
    std::size_t victim = 5;
    while (want[victim].kind != Expected::GSensor || want[victim - 1].kind == Expected::Audio) {
        ++victim;
    }

    // Stream number 5: the previous record and instant stay.
    const std::string skipped = editedCopy(card, "120000000.ssf", [&](auto& b, const auto& p) {
        b[p[victim].offset + 4] = static_cast<std::uint8_t>((b[p[victim].offset + 4] & ~7) | 5);
    });
    {
        Capture capture;
        auto reader = makeReader({skipped}, &log, 0, paramsWith(&capture));
        reader->rewind();
        reader->openCurrentFile();
        for (std::size_t i = 0; i < victim; ++i) {
            reader->readNext();
        }
        const STREAMOBJECT* before = reader->currentSample();
        const pt::ptime at = reader->currentInstant();
        ASSERT_NE(before, nullptr);
        reader->readNext();
        EXPECT_EQ(reader->currentSample(), before);
        EXPECT_EQ(reader->currentInstant(), at);
        const std::vector<Got> rest = readAll(*reader, capture);
        EXPECT_EQ(rest.size(), want.size() - victim - 1);
    }

    // An empty packet (T = 4) inserted before a packet: the reader reads on.
    const std::string empty = editedCopy(card, "120000000.ssf", [&](auto& b, const auto& p) {
        const std::uint8_t four[4] = {4, 0, 0, 0};
        b.insert(b.begin() + p[victim].offset, four, four + 4);
    });
    {
        Capture capture;
        auto reader = makeReader({empty}, &log, 0, paramsWith(&capture));
        reader->rewind();
        reader->openCurrentFile();
        EXPECT_EQ(readAll(*reader, capture).size(), want.size());
    }

    // Lengths beyond the buffer or below the packet head: the file has no
    // key-frame list, so reading resumes at the next packet head found by
    // scanning; video waits for the next key frame, the other streams go on.
    std::size_t nextKey = victim + 1;
    while (nextKey < want.size() && !want[nextKey].key) {
        ++nextKey;
    }
    std::size_t kept = victim;
    for (std::size_t i = victim + 1; i < want.size(); ++i) {
        if (want[i].kind != Expected::Video || i >= nextKey) {
            ++kept;
        }
    }
    for (const std::uint32_t bad : {0x400001u, 0xFFFFFFF0u, 5u, 10u}) {
        SCOPED_TRACE(bad);
        const std::string broken = editedCopy(card, "120000000.ssf", [&](auto& b, const auto& p) {
            putLe32(b, p[victim].offset, bad);
        });
        Capture capture;
        auto reader = makeReader({broken, card.ssf(0, 1)}, &log, 0, paramsWith(&capture));
        reader->rewind();
        reader->openCurrentFile();
        const std::vector<Got> got = readAll(*reader, capture);
        ASSERT_EQ(got.size(), kept + expectedPackets(o, 1).size());
        EXPECT_EQ(got[victim].instant, card.start(0) + pt::milliseconds(want[victim + 1].stamp));
        EXPECT_EQ(got[kept].instant, card.start(1));
    }
}

TEST(ChannelReader, ReadsAndRepositioningFromTwoThreadsKeepTheReaderConsistent) {
    Card card("threads", tinyOptions(3, 2));
    ASSERT_TRUE(card.ok());
    std::ostringstream log;
    std::atomic<int> audio{0};
    SourceParams params;
    params.audioSink = [&audio](READASTREAM*) { ++audio; };
    auto reader = makeReader(channelFiles(card), &log, 0, params);
    reader->rewind();
    reader->openCurrentFile();
    std::atomic<bool> stop{false};
    std::atomic<int> delivered{0};
    std::thread readThread([&]() {
        const boost::function<void(STREAMOBJECT*)> sink = [&](STREAMOBJECT* s) {
            if (s->channel == 0) {
                ++delivered;
            }
        };
        while (!stop.load()) {
            if (reader->enabled.load() != 0 && !reader->currentInstant().is_not_a_date_time()) {
                reader->deliverCurrentSample(sink);
            }
            reader->readNext();
            std::this_thread::yield();
        }
    });
    reader->enabled = 1;
    const int speeds[] = {8, 10, 4, 7, 8, 14, 0, 8};
    for (int round = 0; round < 40; ++round) {
        const pt::ptime at = card.start(round % 3) + pt::seconds(round % 2);
        reader->enabled = 0;
        switch (round % 4) {
            case 0:
                reader->seek(dateOf(at), timeOf(at));
                break;
            case 1:
                reader->setSpeed(speeds[round % 8], dateOf(at), timeOf(at));
                break;
            case 2:
                reader->goToFirst();
                break;
            default:
                reader->playForwardFrom(dateOf(at), timeOf(at));
                break;
        }
        reader->enabled = 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reader->playForwardFrom(dateOf(card.start(1)), timeOf(card.start(1)));
    // The read thread may not have had a turn yet on a busy machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (delivered.load() + audio.load() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    readThread.join();
    EXPECT_GT(delivered.load() + audio.load(), 0);
    EXPECT_EQ(reader->speedIndex(), kSpeedIndexNormal);
}

}  // namespace
