#pragma once

// One open recording file, read through a C stream.
//
// Threading: every operation takes the object's recursive lock, so one SSFile
// may be used from several threads. A channel reader that owns an SSFile takes
// its own lock first and this one second, never the other way round.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

class SSFile {
public:
    // Origins of seek(), as for fseek.
    enum Origin : int { kStart = SEEK_SET, kCurrent = SEEK_CUR, kEnd = SEEK_END };

    SSFile() = default;
    virtual ~SSFile();
    SSFile(const SSFile&) = delete;
    SSFile& operator=(const SSFile&) = delete;

    // Opens `path` for binary reading. If that path is already the open one,
    // returns true and keeps the position; otherwise closes the current file
    // first. Only regular files are opened (see RegularFile.h). Returns
    // whether a file is open afterwards.
    bool open(const std::string& path);
    // Closes the open file, if any, and forgets its path.
    void close();
    // Reads up to `count` bytes at the current position; 0 when no file is open.
    std::size_t read(void* buffer, std::size_t count);
    // Moves to `offset` relative to `origin`; nothing when no file is open.
    // Returns whether the move succeeded.
    bool seek(std::int64_t offset, int origin = kStart);
    // The current position, or 0 when no file is open. Served from a position
    // kept beside the stream: ftell costs a system call, and the reader asks
    // for the position before every packet.
    std::int64_t tell() const;
    // Whether a file is open.
    bool isOpen() const;
    // The open stream, or null. A caller that reads through it directly holds
    // lock() meanwhile; handing it out forgets the kept position.
    std::FILE* handle() const;
    // Size of the open file when it was opened; 0 when none is open.
    std::int64_t size() const;
    // Path of the open file; empty when none is open.
    std::string path() const;
    // The lock every operation takes, for callers that combine several steps.
    std::recursive_mutex& lock() const { return lock_; }

private:
    struct Closer {
        void operator()(std::FILE* f) const {
            if (f != nullptr) {
                std::fclose(f);
            }
        }
    };

    // Recursive: a caller holds it across several steps (seek, then read)
    // that each take it as well.
    mutable std::recursive_mutex lock_;
    std::unique_ptr<std::FILE, Closer> file_;  // guarded by lock_
    std::string path_;                         // guarded by lock_
    std::int64_t size_ = 0;                    // guarded by lock_
    // Position of the stream as far as this object moved it; -1 when unknown
    // (after a relative seek or once the stream was handed out). Guarded by lock_.
    mutable std::int64_t pos_ = -1;
};
