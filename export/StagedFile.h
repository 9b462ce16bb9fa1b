#pragma once

// An output file written under a temporary name beside its final one
// ("<final>.part") and renamed when it is complete, so that a reader of the
// folder never sees half a file and a cancelled or failed export leaves
// nothing behind.
//
// Threading: one owner.

#include <string>
#include <vector>

namespace exporting {

class StagedFile {
public:
    explicit StagedFile(std::string finalPath);
    // Removes the temporary file unless it was committed.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const std::string& finalPath() const { return final_; }
    const std::string& tempPath() const { return temp_; }

    // Creates the temporary file empty, which also proves the folder
    // writable. False with "Cannot write <final path>: <reason>" otherwise.
    bool create(std::string* error);
    // Flushes the temporary file to the disk and renames it to the final name
    // (replacing a file of that name). False with a message naming the path.
    bool commit(std::string* error);
    // Removes the temporary file (harmless when there is none).
    void discard();

    // "Cannot write <path>: <strerror(err)>".
    static std::string writeError(const std::string& path, int err);
    static std::string writeError(const std::string& path, const std::string& reason);

private:
    std::string final_;
    std::string temp_;
    bool committed_ = false;
};

// Commits every file or none: a failure removes the files this call already
// renamed and every temporary file.
bool commitAll(const std::vector<StagedFile*>& files, std::string* error);

}  // namespace exporting
