#pragma once

// Scratch files for the reader fuzz targets: a day folder below /dev/shm when
// it exists (memory, so that writing every input costs little), else below
// the temporary folder, private to the process, where each input is written
// before it is read back through a channel reader.

#include <fcntl.h>
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
        : root_(base() / ("korvel-fuzz-" + tag + "-" + std::to_string(::getpid()))),
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
    static std::filesystem::path base() {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) {
            return "/dev/shm";
        }
        return std::filesystem::temp_directory_path();
    }

    std::filesystem::path root_;
    std::string day_;
};

// "<tmp>/korvel-fuzz-<tag>-<pid>/20260301"; created on first use.
inline const std::string& dayFolder(const char* tag) {
    static const Scratch scratch(tag);
    return scratch.day();
}

// Rewrites `path` in place through a descriptor kept open for it (one write
// and one truncation per input, no open and close).
class ScratchFile {
public:
    explicit ScratchFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ < 0) {
            __builtin_trap();
        }
    }
    ~ScratchFile() { ::close(fd_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void write(const std::uint8_t* data, std::size_t size) {
        if ((size > 0 && ::pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) ||
            ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
            __builtin_trap();
        }
    }

private:
    int fd_;
};

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
