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

namespace {

using namespace readertest;

// What one readNext() produced: the record's date, time, milliseconds and
// channel, then the values of its kind.
struct Got {
    Expected::Kind kind = Expected::Video;
    pt::ptime instant;
    bool key = false;
    std::vector<double> fields;
};

int centisOf(float v) {
    return static_cast<int>(std::lround(static_cast<double>(v) * 100.0));
}

Got gotFrom(const STREAMOBJECT& s) {
    Got g;
    g.fields = {double(s.date), double(s.time), double(s.milliseconds), double(s.channel)};
    auto add = [&g](std::initializer_list<double> values) {
        g.fields.insert(g.fields.end(), values);
    };
    if (auto* v = dynamic_cast<const READVSTREAM*>(&s)) {
        g.key = v->frameType == READVSTREAM::kKeyFrame;
        add({double(s.sequence), double(g.key), double(v->width), double(v->height),
             double(v->size)});
    } else if (auto* gps = dynamic_cast<const GPSDATA*>(&s)) {
        g.kind = Expected::Gps;
        add({double(s.sequence), gps->latitude, gps->longitude, gps->speed, double(gps->extra)});
    } else if (auto* gs = dynamic_cast<const GSENSORDATA*>(&s)) {
        g.kind = Expected::GSensor;
        add({double(centisOf(gs->x)), double(centisOf(gs->y)), double(centisOf(gs->z)),
             double(gs->extra)});
    }
    return g;
}

// A reader over `files`, opened at the first, its audio records (which arrive
// through the sink, not as the current sample) captured.
struct Reading {
    explicit Reading(const std::vector<std::string>& files,
                     int speed = kSpeedIndexNormal) {
        SourceParams p;
        p.audioSink = [this](READASTREAM* a) {
            Got g;
            g.kind = Expected::Audio;
            g.fields = {double(a->date),    double(a->time), double(a->milliseconds),
                        double(a->channel), double(a->size), double(a->param2)};
            audio.push_back(g);
        };
        reader = makeReader(files, &log, p);
        reader->setSpeed(speed, 0, 0);
        reader->rewind();
        reader->openCurrentFile();
    }

    // Reads until the reader runs out (or `limit` reads), one Got per read.
    std::vector<Got> readAll(std::size_t limit = 100000, bool readFirst = false) {
        std::vector<Got> out;
        auto take = [&]() {
            Got g;
            if (!audio.empty()) {
                g = audio.back();
                audio.clear();
                EXPECT_EQ(reader->currentSample(), nullptr);
            } else if (const STREAMOBJECT* s = reader->currentSample()) {
                g = gotFrom(*s);
            }
            g.instant = reader->currentInstant();
            out.push_back(g);
        };
        if (readFirst && !reader->currentInstant().is_not_a_date_time()) {
            take();
        }
        for (std::size_t i = 0; i < limit; ++i) {
            reader->readNext();
            if (reader->currentInstant().is_not_a_date_time()) {
                break;
            }
            take();
        }
        return out;
    }

    std::ostringstream log;
    std::vector<Got> audio;
    std::unique_ptr<SSFChannelReader> reader;
};

std::vector<std::string> channelFiles(const Card& card) {
    std::vector<std::string> files;
    for (int k = 0; k < card.options().filesPerChannel; ++k) {
        files.push_back(card.ssf(0, k));
    }
    return files;
}

TEST(ChannelReader, NormalSpeedReadsEveryPacketOfEveryFileInOrderWithTheGeneratorsValues) {
    Card card("through", tinyOptions(4, 3));
    ASSERT_TRUE(card.ok());
    const mkcard::CardOptions& o = card.options();
    const mkcard::Telemetry telemetry =
        mkcard::makeTelemetry(o.seed, o.filesPerChannel * o.secondsPerFile);
    Reading reading(channelFiles(card));
    SSFChannelReader& reader = *reading.reader;
    EXPECT_EQ(reader.firstInstant(), card.start(0));
    EXPECT_EQ(reader.lastInstant(), card.start(3) + pt::seconds(o.secondsPerFile - 1));
    EXPECT_EQ(reader.entryCount(), o.secondsPerFile);
    const std::vector<Got> got = reading.readAll();
    EXPECT_TRUE(reader.isClosed());
    EXPECT_EQ(reader.currentFile(), o.filesPerChannel);

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
        const pt::ptime at = card.start(e.file) + pt::milliseconds(e.stamp);
        std::vector<double> fields = {double(dateOf(at)), double(timeOf(at)),
                                      double(e.stamp % 1000), 0};
        auto add = [&fields](std::initializer_list<double> values) {
            fields.insert(fields.end(), values);
        };
        switch (e.kind) {
            case Expected::Video:
                add({double(e.stamp), double(e.key), double(o.width), double(o.height),
                     double(lengths[i])});
                break;
            case Expected::Audio:
                add({double(mkcard::audioCadence(o.audio).samplesPerPacket),
                     double(mkcard::kAudioSampleRate)});
                break;
            case Expected::Gps: {
                const mkcard::GpsSample& s = telemetry.gps[e.index];
                add({double(e.stamp), s.latitude, s.longitude, s.knots, double(s.satellites)});
                break;
            }
            case Expected::GSensor: {
                const mkcard::GsensorSample& s = telemetry.gsensor[e.index];
                add({double(mkcard::centis(s.x)), double(mkcard::centis(s.y)),
                     double(mkcard::centis(s.z)), double(s.event)});
                break;
            }
        }
        ASSERT_EQ(got[i].kind, e.kind);
        EXPECT_EQ(got[i].instant, at);
        EXPECT_EQ(got[i].fields, fields);
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

// File 1 ends in a cut packet: the reader moves on at once, and its key-frame
// table lists whole packets only.
TEST(ChannelReader, KeyFrameSpeedsAndNormalSpeedStepAcrossFilesAndPastATruncatedPacket) {
    mkcard::CardOptions o = tinyOptions(3, 5);
    o.faults.push_back({mkcard::FaultKind::TruncatedLastPacket, 0, 1});
    Card card("keys", o);
    ASSERT_TRUE(card.ok());
    Reading reading(channelFiles(card));
    SSFChannelReader* reader = reading.reader.get();

    // 4x forward from the start: every second of every file, in order.
    reader->setSpeed(10, dateOf(card.start(0)), timeOf(card.start(0)));
    EXPECT_EQ(reader->direction(), DIRECTION_FORWARD);
    std::vector<long> all;
    for (long s = 0; s < 15; ++s) {
        all.push_back(s * 1000);
    }
    EXPECT_EQ(keyTimes(card, reading.readAll(100, true)), all);

    // -4x from the last second: entries 4..0 of the last file, then the ones before.
    const pt::ptime last = card.start(2) + pt::seconds(4);
    reader->setSpeed(4, dateOf(last), timeOf(last));
    EXPECT_EQ(reader->direction(), DIRECTION_BACKWARD);
    EXPECT_EQ(reader->currentFile(), 2);
    EXPECT_EQ(keyTimes(card, reading.readAll(100, true)),
              std::vector<long>(all.rbegin(), all.rend()));
    EXPECT_EQ(reader->currentFile(), -1);

    // Normal speed: everything but the cut packet, file 2 right after file 1.
    const std::vector<Got> got = Reading(channelFiles(card)).readAll();
    std::size_t want = 0;
    for (int k = 0; k < 3; ++k) {
        want += expectedPackets(o, k).size();
    }
    ASSERT_EQ(got.size(), want - 1);
    const std::size_t firstOf2 = want - expectedPackets(o, 2).size() - 1;
    EXPECT_EQ(got[firstOf2].instant, card.start(2));
    EXPECT_LT(got[firstOf2 - 1].instant, card.start(2));
    EXPECT_GT(got[firstOf2 - 1].instant, card.start(1));
}

TEST(ChannelReader, StillPlaysOnAndSpeedChangesRepositionOnlyWhenThePatternChanges) {
    Card card("speeds", tinyOptions(2, 3));
    ASSERT_TRUE(card.ok());
    Reading reading(channelFiles(card));
    SSFChannelReader* reader = reading.reader.get();
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
    Reading still(channelFiles(card), kSpeedIndexStill);
    EXPECT_EQ(still.readAll().size(), expectedPackets(card.options(), 0).size() +
                                          expectedPackets(card.options(), 1).size());
}

// Copies file 0 of a card into a day folder that sorts before the card's own,
// with `edit` applied.
std::string editedCopy(
    const Card& card,
    const std::function<void(std::vector<std::uint8_t>&, const std::vector<RawPacket>&)>& edit) {
    const std::string folder = card.root() + "/0edit/" + card.dayName();
    fs::create_directories(folder);
    std::vector<std::uint8_t> bytes = readBytes(card.ssf(0, 0));
    const std::vector<RawPacket> packets = walkPackets(bytes);
    edit(bytes, packets);
    const std::string path = folder + "/120000000.ssf";
    writeBytes(path, bytes);
    return path;
}

TEST(ChannelReader, OddPacketsAreSkippedRetriedOrEndTheFile) {
    mkcard::CardOptions o = tinyOptions(2, 2);
    o.faults.push_back({mkcard::FaultKind::NoIndex, 0, 0});
    o.faults.push_back({mkcard::FaultKind::NoIFrameTable, 0, 0});
    Card card("odd", o);
    ASSERT_TRUE(card.ok());
    const std::vector<Expected> want = expectedPackets(o, 0);
    std::size_t victim = 5;
    while (want[victim].kind != Expected::GSensor || want[victim - 1].kind == Expected::Audio) {
        ++victim;
    }

    // Stream number 5: the previous record and instant stay.
    const std::string skipped = editedCopy(card, [&](auto& b, const auto& p) {
        b[p[victim].offset + 4] = static_cast<std::uint8_t>((b[p[victim].offset + 4] & ~7) | 5);
    });
    {
        Reading reading({skipped});
        SSFChannelReader* reader = reading.reader.get();
        for (std::size_t i = 0; i < victim; ++i) {
            reader->readNext();
        }
        const STREAMOBJECT* before = reader->currentSample();
        const pt::ptime at = reader->currentInstant();
        ASSERT_NE(before, nullptr);
        reader->readNext();
        EXPECT_EQ(reader->currentSample(), before);
        EXPECT_EQ(reader->currentInstant(), at);
        EXPECT_EQ(reading.readAll().size(), want.size() - victim - 1);
    }

    // An empty packet (T = 4) inserted before a packet: the reader reads on.
    const std::string empty = editedCopy(card, [&](auto& b, const auto& p) {
        const std::uint8_t four[4] = {4, 0, 0, 0};
        b.insert(b.begin() + p[victim].offset, four, four + 4);
    });
    EXPECT_EQ(Reading({empty}).readAll().size(), want.size());

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
        const std::string broken = editedCopy(card, [&](auto& b, const auto& p) {
            putLe32(b, p[victim].offset, bad);
        });
        const std::vector<Got> got = Reading({broken, card.ssf(0, 1)}).readAll();
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
    auto reader = makeReader(channelFiles(card), &log, params);
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
        if (round % 4 == 0) {
            reader->seek(dateOf(at), timeOf(at));
        } else if (round % 4 == 1) {
            reader->setSpeed(speeds[round % 8], dateOf(at), timeOf(at));
        } else if (round % 4 == 2) {
            reader->goToFirst();
        } else {
            reader->playForwardFrom(dateOf(at), timeOf(at));
        }
        reader->enabled = 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reader->playForwardFrom(dateOf(card.start(1)), timeOf(card.start(1)));
    // The read thread may not have had a turn yet on a busy machine.
    EXPECT_TRUE(testsupport::eventually([&] { return delivered.load() + audio.load() > 0; }));
    stop = true;
    readThread.join();
    EXPECT_EQ(reader->speedIndex(), kSpeedIndexNormal);
}

}  // namespace
