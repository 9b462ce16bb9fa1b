#include "recording/SSFile.h"

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
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (file_) {
        path_ = path;
    }
    return static_cast<bool>(file_);
}

void SSFile::close() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    file_.reset();
    path_.clear();
}

std::size_t SSFile::read(void* buffer, std::size_t count) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!file_ || buffer == nullptr || count == 0) {
        return 0;
    }
    return std::fread(buffer, 1, count, file_.get());
}

bool SSFile::seek(std::int32_t offset, int origin) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!file_) {
        return false;
    }
    return std::fseek(file_.get(), static_cast<long>(offset), origin) == 0;
}

std::int64_t SSFile::tell() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!file_) {
        return 0;
    }
    const long at = std::ftell(file_.get());
    return at < 0 ? 0 : static_cast<std::int64_t>(at);
}

std::FILE* SSFile::handle() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return file_.get();
}

std::string SSFile::path() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return path_;
}
