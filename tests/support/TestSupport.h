#pragma once

// What the test programs share: generated cards in temporary folders, waiting
// for an event with a deadline, a quiet standard output and running a
// command. Everything here is for one test thread at a time, except
// QuietStdout's sink, which keeps no state.

#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "MakeCard.h"

namespace testsupport {

// A fresh path below the temporary folder, unique to this process and tag.
std::string tempPath(const std::string& tag);

// A folder below the temporary folder, created empty and removed with the
// object, also when a test stops early.
class TempDir {
public:
    explicit TempDir(const std::string& tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// A small card: 2 channels of 2 recordings of 3 s each from 2026-03-01
// 12:00:00, 160x96 at 5 fps (a key frame every whole second), mu-law audio.
mkcard::CardOptions smallCard(const std::string& tag);

// A card written into a fresh options.outDir on construction and removed with the object.
class Card {
public:
    explicit Card(const mkcard::CardOptions& options);
    ~Card();
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const mkcard::CardOptions& options() const { return options_; }
    const std::string& root() const { return options_.outDir; }
    // Of the first recording, "yyyymmdd".
    std::string dayName() const { return mkcard::dateDigits(options_.start); }
    std::string day() const { return root() + "/" + dayName(); }
    const std::vector<mkcard::PlannedFile>& plan() const { return plan_; }
    const mkcard::PlannedFile& planned(int channel, int k) const {
        return plan_[static_cast<std::size_t>(channel * options_.filesPerChannel + k)];
    }
    std::string ssf(int channel, int k) const { return root() + "/" + planned(channel, k).ssfPath; }
    std::string idx(int channel, int k) const { return root() + "/" + planned(channel, k).idxPath; }

private:
    mkcard::CardOptions options_;
    std::vector<mkcard::PlannedFile> plan_;
    std::string error_;
};

// The bytes of a file (none when it cannot be read), and a file made of bytes.
std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
inline std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Polls `condition` until it holds (true) or the deadline passes (false);
// `between` runs between polls (an event loop's turn, say).
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = std::chrono::seconds(10),
                const std::function<void()>& between = {});

// Runs a shell command line: its exit status (-1 when it did not exit), its
// standard output in *out.
int runCommand(const std::string& command, std::string* out);
inline std::string shellQuoted(const std::string& s) {
    return "'" + s + "'";
}

// Standard output into nothing while the object lives (the engine's trace
// lines would fill the test log).
class QuietStdout {
public:
    QuietStdout() : old_(std::cout.rdbuf(&sink_)) {}
    ~QuietStdout() { std::cout.rdbuf(old_); }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    struct Discard : std::streambuf {
        int overflow(int c) override { return traits_type::not_eof(c); }
        std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    };
    Discard sink_;
    std::streambuf* old_;
};

}  // namespace testsupport
