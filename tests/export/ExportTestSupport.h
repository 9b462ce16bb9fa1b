#pragma once

// Small generated cards and the Debian ffprobe and ffmpeg programs for the
// export tests: what the exported files hold is read back by real tools.

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include "MakeCard.h"
#include "TestSupport.h"

namespace exporttest {

namespace fs = std::filesystem;
using testsupport::runCommand;
using testsupport::shellQuoted;
using testsupport::tempPath;

// A card of 2 channels: 3 recordings of 4 s each from 12:00:00, 160x90 at
// 5 fps, key frames at every whole second.
inline mkcard::CardOptions smallCard(const std::string& tag) {
    mkcard::CardOptions o = testsupport::smallCard(tag);
    o.filesPerChannel = 3;
    o.secondsPerFile = 4;
    o.height = 90;
    return o;
}

constexpr std::int64_t ms(int h, int m, int s, int milli = 0) {
    return ((h * 60LL + m) * 60LL + s) * 1000LL + milli;
}

// A suite over one small card, written once, and an empty output folder for
// every test.
class CardSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { card_ = new testsupport::Card(smallCard("suite")); }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(card_->ok()) << card_->error(); }

    static inline testsupport::Card* card_ = nullptr;
    testsupport::TempDir dir_{"export-out"};
    const std::string out_ = dir_.path();
};

// ffprobe's streams (with counted packets) and format of a file.
inline QJsonObject probe(const std::string& path) {
    std::string out;
    runCommand(
        "ffprobe -v error -count_packets -show_streams -show_format -of json " + shellQuoted(path),
        &out);
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

inline QJsonObject streamOf(const QJsonObject& probed, const QString& type) {
    for (const QJsonValue& s : probed["streams"].toArray()) {
        if (s.toObject()["codec_type"].toString() == type) {
            return s.toObject();
        }
    }
    return QJsonObject();
}

inline double number(const QJsonValue& v) {
    return v.isString() ? v.toString().toDouble() : v.toDouble();
}

// What `ffmpeg -v error` says decoding every frame of a file (empty when all
// decode), or a note when ffmpeg fails.
inline std::string decodeErrors(const std::string& path) {
    std::string out;
    const int rc =
        runCommand("ffmpeg -nostdin -v error -i " + shellQuoted(path) + " -f null - 2>&1", &out);
    return rc == 0 ? out : "ffmpeg exit " + std::to_string(rc) + ": " + out;
}

// Runs f with the process's file size limited to `bytes`: writes past it fail
// with EFBIG, as writes to a full disk fail.
template <typename F>
auto withFileSizeLimit(rlim_t bytes, F&& f) {
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = f();
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);
    return result;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The regular files of a folder, names only.
inline std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace exporttest
