#pragma once

// Test-side reading of what korvel-mkcard writes, coded separately from the
// writer so that the tests check the bytes against the format, not against the
// writer's own idea of it.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace cardtest {

// The generator tests' card: 2 files of 3 s a channel from 23:59:58, across
// midnight, in 192x108 pictures.
inline mkcard::CardOptions tinyOptions(const std::string& tag) {
    mkcard::CardOptions o = testsupport::smallCard(tag);
    o.start = {2026, 3, 1, 23, 59, 58};
    o.width = 192;
    o.height = 108;
    o.seed = 7;
    return o;
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

inline std::vector<uint8_t> readAll(const std::string& path) {
    return testsupport::readBytes(path);
}
using testsupport::le32;
inline uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
inline float leFloat(const std::vector<uint8_t>& b, size_t at) {
    const uint32_t bits = le32(b, at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
inline double leDouble(const std::vector<uint8_t>& b, size_t at) {
    const uint64_t bits = le32(b, at) | static_cast<uint64_t>(le32(b, at + 4)) << 32;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

struct Packet {
    uint32_t offset = 0;
    uint32_t size = 0;  // T as stored
    uint8_t flags = 0;
    uint32_t timeStamp = 0;
    std::vector<uint8_t> payload;
};

struct Recording {
    std::vector<uint8_t> bytes;
    uint32_t leadInLength = 0;  // L
    // Object offsets in the file, 0 when absent.
    size_t fileProps = 0, audioProps = 0;
    uint32_t iframeTableOffset = 0;
    std::string title;
    uint8_t videoStream = 0, audioStream = 0;
    std::vector<Packet> packets;
    bool cutShort = false;  // the last packet runs past the end of the data
};

// Walks the header unit and the packets up to the I-frame table (or the end of
// the file). False with a reason on a structural error.
bool parseRecording(const std::string& path, Recording* out, std::string* why);

}  // namespace cardtest
