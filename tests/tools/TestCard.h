#pragma once

// Small cards for the generator's tests, written below the temporary folder.

#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "MakeCard.h"

namespace cardtest {

// Options of a card a few seconds long in small pictures.
inline mkcard::CardOptions tinyOptions(const std::string& tag) {
    mkcard::CardOptions o;
    o.outDir = (std::filesystem::temp_directory_path() /
                ("mkcard-test-" + std::to_string(::getpid()) + "-" + tag))
                   .string();
    o.start = {2026, 3, 1, 23, 59, 58};
    o.filesPerChannel = 2;
    o.secondsPerFile = 3;
    o.channels = 2;
    o.width = 192;
    o.height = 108;
    o.fps = 5;
    o.seed = 7;
    o.jobs = 2;
    return o;
}

// Writes the card into a fresh folder; returns the error text, empty on success.
inline std::string writeCard(const mkcard::CardOptions& o) {
    std::error_code ec;
    std::filesystem::remove_all(o.outDir, ec);
    std::string error;
    if (!mkcard::makeCard(o, &error)) {
        return error.empty() ? "failed without a reason" : error;
    }
    return std::string();
}

// Every regular file below root, relative path -> size.
inline std::map<std::string, uintmax_t> listFiles(const std::string& root) {
    std::map<std::string, uintmax_t> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files[std::filesystem::relative(e.path(), root).generic_string()] = e.file_size();
        }
    }
    return files;
}

}  // namespace cardtest
