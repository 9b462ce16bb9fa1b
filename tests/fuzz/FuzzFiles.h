#pragma once

// Scratch files for the reader fuzz targets: a day folder below the temporary
// folder, private to the process, where each input is written before it is
// read back through a channel reader.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fuzzfiles {

// The scratch folder, removed again when the process ends normally.
class Scratch {
public:
    explicit Scratch(const std::string& tag)
        : root_(std::filesystem::temp_directory_path() /
                ("korvel-fuzz-" + tag + "-" + std::to_string(::getpid()))),
          day_((root_ / "20260301").string()) {
        std::filesystem::create_directories(day_);
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& day() const { return day_; }

private:
    std::filesystem::path root_;
    std::string day_;
};

// "<tmp>/korvel-fuzz-<tag>-<pid>/20260301"; created on first use.
inline const std::string& dayFolder(const char* tag) {
    static const Scratch scratch(tag);
    return scratch.day();
}

inline void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        __builtin_trap();
    }
    if (size > 0 && std::fwrite(data, 1, size, f) != size) {
        __builtin_trap();
    }
    std::fclose(f);
}

}  // namespace fuzzfiles
