#pragma once

// Little-endian byte assembly for the card's binary files. Plain value type.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace mkcard {

class ByteSink {
public:
    void u8(uint32_t v) { bytes_.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v) {
        u16(v);
        u16(v >> 16);
    }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void f64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(static_cast<uint32_t>(bits));
        u32(static_cast<uint32_t>(bits >> 32));
    }
    void raw(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    // One length byte, then at most 255 bytes of the string.
    void shortString(const std::string& s) {
        const size_t n = s.size() > 255 ? 255 : s.size();
        u8(static_cast<uint32_t>(n));
        raw(s.data(), n);
    }
    void patchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace mkcard
