#include "recording/SSFile.h"

#include "recording/FileOffset.h"
#include "recording/RegularFile.h"

SSFile::~SSFile() = default;

bool SSFile::open(const std::string& path) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (file_ && path == path_) {
        return true;
    }
    close();
    if (path.empty()) {
        return false;
    }
    std::int64_t size = 0;
    file_.reset(regularfile::openStream(path, &size));
    if (file_) {
        path_ = path;
        pos_ = 0;
        size_ = size;
    }
    return static_cast<bool>(file_);
}

void SSFile::close() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    file_.reset();
    path_.clear();
    pos_ = -1;
    size_ = 0;
}

std::size_t SSFile::read(void* buffer, std::size_t count) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!file_ || buffer == nullptr || count == 0) {
        return 0;
    }
    const std::size_t got = std::fread(buffer, 1, count, file_.get());
    if (pos_ >= 0) {
        pos_ += static_cast<std::int64_t>(got);
    }
    return got;
}

bool SSFile::seek(std::int64_t offset, int origin) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!file_) {
        return false;
    }
    const bool moved = fileoffset::seek(file_.get(), offset, origin);
    pos_ = (moved && origin == kStart) ? offset : -1;
    return moved;
}

std::int64_t SSFile::tell() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!file_) {
        return 0;
    }
    if (pos_ < 0) {
        const std::int64_t at = fileoffset::tell(file_.get());
        if (at < 0) {
            return 0;
        }
        pos_ = at;
    }
    return pos_;
}

bool SSFile::isOpen() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return static_cast<bool>(file_);
}

std::FILE* SSFile::handle() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    pos_ = -1;
    return file_.get();
}

std::int64_t SSFile::size() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return size_;
}

std::string SSFile::path() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return path_;
}
