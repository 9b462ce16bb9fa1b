#include "export/StagedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exporting {

StagedFile::StagedFile(std::string finalPath)
    : final_(std::move(finalPath)), temp_(final_ + ".part") {}

StagedFile::~StagedFile() {
    if (!committed_) {
        discard();
    }
}

std::string StagedFile::writeError(const std::string& path, int err) {
    return writeError(path, std::strerror(err));
}

std::string StagedFile::writeError(const std::string& path, const std::string& reason) {
    return "Cannot write " + path + ": " + reason;
}

bool StagedFile::create(std::string* error) {
    committed_ = false;
    const int fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = writeError(final_, errno);
        return false;
    }
    ::close(fd);
    return true;
}

bool StagedFile::commit(std::string* error) {
    const int fd = ::open(temp_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = writeError(final_, errno);
        return false;
    }
    // A card or stick pulled right after the export must still hold the file.
    const int synced = ::fsync(fd);
    const int syncErr = errno;
    ::close(fd);
    if (synced != 0 && syncErr != EINVAL && syncErr != EROFS) {
        *error = writeError(final_, syncErr);
        return false;
    }
    if (std::rename(temp_.c_str(), final_.c_str()) != 0) {
        *error = writeError(final_, errno);
        return false;
    }
    committed_ = true;
    return true;
}

void StagedFile::discard() {
    ::unlink(temp_.c_str());
}

bool commitAll(const std::vector<StagedFile*>& files, std::string* error) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->commit(error)) {
            for (std::size_t k = 0; k < i; ++k) {
                ::unlink(files[k]->finalPath().c_str());
            }
            for (StagedFile* f : files) {
                f->discard();
            }
            return false;
        }
    }
    return true;
}

}  // namespace exporting
