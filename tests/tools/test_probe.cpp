// korvel-probe against generated cards: what it prints must be what the
// generator wrote, read back through the test's own parser of the format.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "CardParse.h"
#include "Json.h"
#include "MakeCard.h"
#include "Probe.h"

namespace {

namespace fs = std::filesystem;

using testsupport::tempPath;

struct Result {
    int status = -1;
    std::vector<std::string> lines;  // stdout
    std::string err;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

Result probe(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Result r;
    r.status = probe::run(args, out, err);
    r.lines = splitLines(out.str());
    r.err = err.str();
    return r;
}

// The value text of a field of a JSON line ("abc" with its quotes, 12, null,
// or an array of arrays); empty when the key is missing.
std::string field(const std::string& line, const std::string& key) {
    const std::string tag = "\"" + key + "\":";
    const std::size_t at = line.find(tag);
    if (at == std::string::npos) {
        return std::string();
    }
    const std::size_t p = at + tag.size();
    std::size_t e = p;
    if (line[p] == '"') {
        for (e = p + 1; e < line.size() && line[e] != '"'; ++e) {
            e += line[e] == '\\' ? 1 : 0;
        }
        return line.substr(p, e + 1 - p);
    }
    int depth = 0;
    for (; e < line.size(); ++e) {
        depth += line[e] == '[' ? 1 : line[e] == ']' ? -1 : 0;
        if (depth == 0 && (line[e] == ',' || line[e] == '}' || line[e] == ']')) {
            break;
        }
    }
    return line.substr(p, e + (line[p] == '[' ? 1 : 0) - p);
}

long long number(const std::string& line, const std::string& key) {
    return std::stoll(field(line, key));
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

TEST(ProbeJson, StringsKeepUtf8AndEscapeEverythingElse) {
    using probe::jsonString;
    EXPECT_EQ(jsonString("\xEC\x84\x9C\xEC\x9A\xB8 12"), "\"\xEC\x84\x9C\xEC\x9A\xB8 12\"");
    EXPECT_EQ(jsonString("a\"b\\c\td\ne\x7F"), "\"a\\\"b\\\\c\\td\\ne\\u007f\"");
    // Overlong, surrogate, beyond U+10FFFF, cut at the end: byte by byte.
    EXPECT_EQ(jsonString("\xC0\x80"), "\"\\u00c0\\u0080\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\u00ed\\u00a0\\u0080\"");
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"\\u00f4\\u0090\\u0080\\u0080\"");
    EXPECT_EQ(jsonString("x\xE2\x82"), "\"x\\u00e2\\u0082\"");
    EXPECT_EQ(jsonString(std::string("\0", 1)), "\"\\u0000\"");
    EXPECT_EQ(probe::jsonNumber(1.23f), "1.23");
    EXPECT_EQ(probe::jsonNumber(-0.01), "-0.01");
    EXPECT_EQ(probe::jsonNumber(std::nan("")), "null");
}

using Card = testsupport::Card;

// What the recording code reads is tested with it; here, that the probe
// prints it faithfully and takes its arguments as users type them.
class ProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clean_ = new Card(testsupport::smallCard("probe"));
        ASSERT_TRUE(clean_->ok()) << clean_->error();
    }
    static void TearDownTestSuite() {
        delete clean_;
        clean_ = nullptr;
    }

    static cardtest::Recording parsed(const std::string& path) {
        cardtest::Recording r;
        std::string why;
        EXPECT_TRUE(cardtest::parseRecording(path, &r, &why)) << path << ": " << why;
        return r;
    }

    static inline Card* clean_ = nullptr;
};

TEST_F(ProbeTest, HeaderGivesTheFieldsTheGeneratorWrote) {
    const std::string path = clean_->ssf(1, 1);
    const cardtest::Recording rec = parsed(path);
    const Result r = probe({"header", path});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.lines.size(), 1u);
    const std::string& line = r.lines[0];
    EXPECT_EQ(field(line, "start"), quoted("2026-03-01 12:00:03"));
    EXPECT_EQ(number(line, "length_ms"), 3000);
    EXPECT_EQ(field(line, "title"), quoted("CH2"));
    EXPECT_EQ(number(line, "height"), 96);
    EXPECT_EQ(number(line, "audio_codec"), 5);
    EXPECT_EQ(number(line, "iframe_offset"), rec.iframeTableOffset);
    EXPECT_EQ(number(line, "first_packet"), 40 + rec.leadInLength);
}

TEST_F(ProbeTest, PacketsFollowTheFileRecordByRecord) {
    const std::string path = clean_->ssf(1, 0);
    const cardtest::Recording rec = parsed(path);
    const Result r = probe({"packets", path});
    ASSERT_EQ(r.status, 0) << r.err;
    // Every packet, in order (the card's packet counts: test_mkcard_format).
    ASSERT_EQ(r.lines.size(), rec.packets.size());
    for (std::size_t i = 0; i < rec.packets.size(); ++i) {
        const cardtest::Packet& p = rec.packets[i];
        const std::string& line = r.lines[i];
        SCOPED_TRACE(line);
        const int stream = p.flags & 7;
        const std::string kind = stream == rec.videoStream   ? "video"
                                 : stream == rec.audioStream ? "audio"
                                 : stream == 3               ? "gps"
                                                             : "gsensor";
        ASSERT_EQ(field(line, "kind"), quoted(kind));
        EXPECT_EQ(number(line, "seq"), p.timeStamp);
        EXPECT_EQ(number(line, "ms"), p.timeStamp % 1000);
        EXPECT_EQ(number(line, "time"), 120000 + p.timeStamp / 1000);
        EXPECT_EQ(number(line, "date"), 20260301);
        if (kind == "video") {
            EXPECT_EQ(number(line, "size"), static_cast<long long>(p.payload.size()));
            EXPECT_EQ(field(line, "key"), (p.flags & 0x80) != 0 ? "true" : "false");
        } else if (kind == "audio") {
            EXPECT_EQ(number(line, "size"), static_cast<long long>(p.payload.size()));
            EXPECT_EQ(number(line, "codec"), 5);
        } else if (kind == "gps") {
            // Shortest round-trip text: the doubles come back bit for bit.
            EXPECT_EQ(std::stod(field(line, "lat")), cardtest::leDouble(p.payload, 12));
            EXPECT_EQ(std::stod(field(line, "lon")), cardtest::leDouble(p.payload, 20));
            EXPECT_EQ(std::stod(field(line, "knots")), cardtest::leDouble(p.payload, 28));
        } else {
            const float x = cardtest::leFloat(p.payload, 0);
            EXPECT_NEAR(std::stod(field(line, "x")), static_cast<int>(x * 100.0) / 100.0, 1e-6);
        }
    }
}

TEST_F(ProbeTest, KeyFramesNameTheirSource) {
    // A whole index file: its entries, as stored.
    const std::string path = clean_->ssf(1, 1);
    const std::vector<uint8_t> idx = cardtest::readAll(clean_->idx(1, 1));
    const unsigned count = cardtest::le16(idx, 8);
    std::string entries = "[";
    for (unsigned i = 0; i < count; ++i) {
        entries += (i ? ",[" : "[") + std::to_string(cardtest::le32(idx, 294 + 16 * i)) + "," +
                   std::to_string(cardtest::le32(idx, 298 + 16 * i)) + "]";
    }
    const Result r = probe({"keyframes", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(field(r.lines.at(0), "source"), "\"idx\"");
    EXPECT_EQ(number(r.lines.at(0), "count"), count);
    EXPECT_EQ(field(r.lines.at(0), "entries"), entries + "]");
    EXPECT_EQ(field(r.lines.at(0), "end"), "\"2026-03-01 12:00:05.000\"");
    // Without its index file: the I-frame table.
    const testsupport::TempDir dir("keys");
    fs::copy_file(path, dir.file("120003010.ssf"));
    const Result table = probe({"keyframes", dir.file("120003010.ssf")});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(field(table.lines.at(0), "source"), "\"table\"");
    EXPECT_EQ(field(table.lines.at(0), "entries"), entries + "]");
}

TEST_F(ProbeTest, SeekLandsOnTheKeyFrameForTheTarget) {
    const std::string day = clean_->day();
    // Inside the second file, on its second key frame; before the first file,
    // its first key frame.
    for (const auto& [channel, time, file, at, seq] :
         {std::tuple("1", "120004", "120003010.ssf", 120004, 1000),
          std::tuple("0", "110000", "120000000.ssf", 120000, 0)}) {
        SCOPED_TRACE(std::string(channel) + " " + time);
        const Result r = probe({"seek", day, channel, "20260301", time});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(field(r.lines[0], "file"), quoted(file));
        EXPECT_EQ(field(r.lines[0], "kind"), "\"video\"");
        EXPECT_EQ(field(r.lines[0], "key"), "true");
        EXPECT_EQ(number(r.lines[0], "time"), at);
        EXPECT_EQ(number(r.lines[0], "seq"), seq);
    }
    // A channel without recordings, and a target after the last recording
    // forward: nothing current.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"seek", day, "7", "20260301", "120001"},
          std::vector<std::string>{"seek", day, "0", "20260301", "130000"}}) {
        const Result none = probe(args);
        ASSERT_EQ(none.status, 0) << none.err;
        EXPECT_EQ(none.lines.at(0),
                  "{\"file\":null,\"kind\":null,\"date\":null,\"time\":null,\"ms\":null,"
                  "\"seq\":null}");
    }
    // A date that does not exist.
    EXPECT_EQ(probe({"seek", day, "0", "20260230", "120000"}).status, 1);

    // What users type: the day folder relative to the current folder, and a
    // time without its leading zero (09:00:00, before the first recording).
    const fs::path before = fs::current_path();
    fs::current_path(fs::path(day).parent_path());
    const Result relative = probe({"seek", "./20260301/", "0", "20260301", "120001"});
    const Result shortTime = probe({"seek", "20260301", "0", "20260301", "90000"});
    fs::current_path(before);
    ASSERT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(field(relative.lines.at(0), "file"), "\"120000000.ssf\"");
    EXPECT_EQ(number(relative.lines.at(0), "time"), 120001);
    ASSERT_EQ(shortTime.status, 0) << shortTime.err;
    EXPECT_EQ(number(shortTime.lines.at(0), "time"), 120000);
}

TEST_F(ProbeTest, ListFollowsTheDayFolderRules) {
    const std::string root = tempPath("list");
    const std::string day = root + "/20160301";
    fs::create_directories(day + "/140000000.ssf");  // a folder is no recording
    auto write = [](const std::string& path, std::size_t size) {
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    };
    write(day + "/134501000.ssf", 1000);
    write(day + "/134601000.ssf", 100);    // too small
    write(day + "/134701000.ssf", 300);    // too small
    write(day + "/120000010.SSF", 301);    // any case, sorted without it
    write(day + "/.130000000.ssf", 1000);  // hidden
    write(day + "/130000000.txt", 1000);
    const Result r = probe({"list", day});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lines, (std::vector<std::string>{"{\"item\":\"12:00:00\",\"date\":20160301}",
                                                 "{\"item\":\"13:45:01\",\"date\":20160301}"}));
    // Not a day: "-0" reads as month 0.
    fs::create_directories(root + "/2016-03");
    const Result notDay = probe({"list", root + "/2016-03"});
    EXPECT_EQ(notDay.status, 1);
    EXPECT_TRUE(notDay.lines.empty());
    fs::remove_all(root);
}

TEST_F(ProbeTest, TrackAndEventsOfTheDay) {
    const mkcard::Telemetry t = mkcard::cardTelemetry(clean_->options());
    const Result track = probe({"track", clean_->day()});
    ASSERT_EQ(track.status, 0) << track.err;
    ASSERT_EQ(track.lines.size(), t.gps.size());
    EXPECT_EQ(number(track.lines.back(), "time"),
              120000 + static_cast<long long>(t.gps.size()) - 1);
    EXPECT_NEAR(std::stod(field(track.lines.back(), "speed_kmh")), t.gps.back().knots * 1.852,
                1e-9);
    const Result events = probe({"events", clean_->day()});
    ASSERT_EQ(events.status, 0) << events.err;
    ASSERT_EQ(events.lines.size(), t.shocks.size());
    // No shock reaches 16 g; a threshold is no option of the track.
    EXPECT_TRUE(probe({"events", clean_->day(), "--threshold", "16"}).lines.empty());
    EXPECT_EQ(probe({"track", clean_->day(), "--threshold", "1"}).status, 1);
    EXPECT_EQ(probe({"events", clean_->day(), "--threshold", "0"}).status, 1);
}

TEST_F(ProbeTest, MalformedInputEndsWithOneLineAndStatusOne) {
    const std::string dir = tempPath("bad");
    fs::create_directories(dir);
    const std::vector<uint8_t> good = cardtest::readAll(clean_->ssf(0, 0));
    auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return dir + "/" + name;
    };
    std::vector<uint8_t> random(5000);
    uint32_t x = 12345;
    for (uint8_t& b : random) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    std::vector<uint8_t> huge(good.begin(), good.begin() + 40);
    huge[38] = 0x01;  // L of 65536 + the real one: beyond the reader's buffer
    const std::vector<std::string> inputs = {
        write("random.ssf", random),
        write("cut.ssf", std::vector<uint8_t>(good.begin(), good.begin() + 100)),
        write("short.ssf", std::vector<uint8_t>(good.begin(), good.begin() + 20)),
        write("huge.ssf", huge),
        dir,
        dir + "/missing.ssf",
    };
    for (const std::string& input : inputs) {
        for (const char* command : {"header", "packets", "keyframes"}) {
            SCOPED_TRACE(std::string(command) + " " + input);
            const Result r = probe({command, input});
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.lines.empty());
            EXPECT_EQ(r.err.rfind("korvel-probe: ", 0), 0u) << r.err;
            EXPECT_EQ(splitLines(r.err).size(), 1u) << r.err;
        }
    }
    // A good header over packets of garbage: read until the reader gives up.
    std::vector<uint8_t> garbage(good.begin(), good.begin() + 40 + cardtest::le32(good, 36));
    garbage.insert(garbage.end(), random.begin(), random.end());
    const std::string path = write("garbage.ssf", garbage);
    for (const char* speed : {"8", "10", "4"}) {
        const Result r = probe({"packets", path, "--speed", speed});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", dir + "/missing"},
          std::vector<std::string>{"list", path},
          std::vector<std::string>{"seek", dir + "/missing", "0", "20260301", "120000"}}) {
        const Result r = probe(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_EQ(splitLines(r.err).size(), 1u) << r.err;
    }
    // The program itself: the same status and line.
    std::string err;
    EXPECT_EQ(
        testsupport::runCommand(
            "'" PROBE_EXE "' header " + testsupport::shellQuoted(dir) + " 2>&1 >/dev/null", &err),
        1);
    EXPECT_EQ(err.rfind("korvel-probe: ", 0), 0u) << err;
    fs::remove_all(dir);
}

}  // namespace
