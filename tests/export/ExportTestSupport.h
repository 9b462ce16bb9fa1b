#pragma once

// Small generated cards and the Debian ffprobe and ffmpeg programs for the
// export tests: what the exported files hold is read back by real tools.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "MakeCard.h"

namespace exporttest {

namespace fs = std::filesystem;

inline std::string tempPath(const std::string& tag) {
    return (fs::temp_directory_path() /
            ("korvel-export-" + std::to_string(::getpid()) + "-" + tag))
        .string();
}

// A card of 2 channels: 3 recordings of 4 s each from 12:00:00, 160x90 at
// 5 fps, key frames at every whole second.
inline mkcard::CardOptions smallCard(const std::string& tag) {
    mkcard::CardOptions o;
    o.outDir = tempPath(tag);
    o.start = {2026, 3, 1, 12, 0, 0};
    o.filesPerChannel = 3;
    o.secondsPerFile = 4;
    o.channels = 2;
    o.width = 160;
    o.height = 90;
    o.fps = 5;
    o.seed = 5;
    o.jobs = 2;
    return o;
}

// Writes the card into a fresh folder; the error text, empty on success.
inline std::string writeCard(const mkcard::CardOptions& o) {
    std::error_code ec;
    fs::remove_all(o.outDir, ec);
    std::string error;
    return mkcard::makeCard(o, &error) ? std::string() : error;
}

constexpr std::int64_t ms(int h, int m, int s, int milli = 0) {
    return ((h * 60LL + m) * 60LL + s) * 1000LL + milli;
}

// Removes a folder tree when it goes out of scope, also when a test stops
// early.
class TempTree {
public:
    explicit TempTree(std::string path) : path_(std::move(path)) {}
    ~TempTree() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs a shell command line; its standard output in *out, its exit status.
inline int run(const std::string& command, std::string* out) {
    out->clear();
    std::FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) {
        return -1;
    }
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) {
        out->append(buf, n);
    }
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string shellQuoted(const std::string& s) {
    return "'" + s + "'";
}

// ffprobe's streams (with counted packets) and format of a file.
inline QJsonObject probe(const std::string& path) {
    std::string out;
    run("ffprobe -v error -count_packets -show_streams -show_format -of json " + shellQuoted(path),
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
    const int rc = run("ffmpeg -nostdin -v error -i " + shellQuoted(path) + " -f null - 2>&1", &out);
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
