#pragma once

// Bounded little-endian reader over a byte buffer. Every read checks the bytes
// that remain; a read that would pass the end fails, leaves the value
// untouched and makes the reader fail for good, so a parse can read a run of
// fields and test ok() once.
//
// Threading: a reader is a local value of one thread.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace VORTA {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
    // Points at the current position; valid while remaining() > 0.
    const std::uint8_t* here() const { return data_ + pos_; }

    bool u8(std::uint8_t& v) { return read(&v, 1); }
    bool u16(std::uint16_t& v) {
        std::uint8_t b[2];
        if (!read(b, 2)) {
            return false;
        }
        v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(std::uint32_t& v) {
        std::uint8_t b[4];
        if (!read(b, 4)) {
            return false;
        }
        v = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
        return true;
    }
    bool f32(float& v) {
        std::uint32_t bits;
        if (!u32(bits)) {
            return false;
        }
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    bool f64(double& v) {
        std::uint32_t lo;
        std::uint32_t hi;
        if (!u32(lo) || !u32(hi)) {
            return false;
        }
        const std::uint64_t bits = (static_cast<std::uint64_t>(hi) << 32) | lo;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    // Copies n bytes into out.
    bool read(void* out, std::size_t n) {
        if (!take(n)) {
            return false;
        }
        if (n > 0) {
            std::memcpy(out, data_ + pos_ - n, n);
        }
        return true;
    }
    // Steps over n bytes; *start (when given) receives where they begin.
    bool skip(std::size_t n, const std::uint8_t** start = nullptr) {
        if (!take(n)) {
            return false;
        }
        if (start != nullptr) {
            *start = data_ + pos_ - n;
        }
        return true;
    }

private:
    bool take(std::size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Little-endian 32-bit value at p; the caller has checked that 4 bytes exist.
inline std::uint32_t loadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace VORTA
