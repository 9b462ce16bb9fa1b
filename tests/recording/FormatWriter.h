#pragma once

// Writes recording-file structures byte by byte for tests: a little-endian
// byte writer and builders for property objects, header units and packets.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "recording/Vorta.h"

namespace testfmt {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
public:
    ByteWriter& u8(std::uint32_t v) {
        out_.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    ByteWriter& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    ByteWriter& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    ByteWriter& f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(bits);
    }
    ByteWriter& f64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
    }
    ByteWriter& bytes(const Bytes& b) {
        out_.insert(out_.end(), b.begin(), b.end());
        return *this;
    }
    ByteWriter& fill(std::size_t n, std::uint8_t v) {
        out_.insert(out_.end(), n, v);
        return *this;
    }
    // u8 length and the bytes of s.
    ByteWriter& str8(const std::string& s) {
        u8(static_cast<std::uint32_t>(s.size()));
        out_.insert(out_.end(), s.begin(), s.end());
        return *this;
    }
    void patchU32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    }
    const Bytes& data() const { return out_; }

private:
    Bytes out_;
};

// Sets the object size field (offset 4) to the object's length.
inline Bytes sized(ByteWriter w) {
    w.patchU32(4, static_cast<std::uint32_t>(w.data().size()));
    return w.data();
}

inline Bytes fileProperties(int year, int month, int day, int hour, int minute, int second,
                            std::uint32_t recordingLength, const std::string& title,
                            const std::string& second2 = "") {
    ByteWriter w;
    w.u32(VORTA::kFilePropertiesCode).u32(0).fill(11, 0xA5);
    w.u16(year).u8(month).u8(day).u8(hour).u8(minute).u8(second);
    w.fill(12, 0).u32(recordingLength).fill(5, 0);
    w.str8(title).str8(second2);
    return sized(w);
}

inline Bytes videoProperties(int stream, int width, int height) {
    ByteWriter w;
    w.u32(VORTA::kVideoPropertiesCode).u32(0).fill(16, 0x11).u8(stream).u8(0);
    w.u16(width).u16(height).u8(0);
    w.u8(1).u8(2).u16(3).fill(3, 0x33).str8("xy");  // option block
    w.str8("n3");
    return sized(w);
}

inline Bytes audioProperties(const Bytes& codecId, int stream, int rateDiv10, int sampleSize,
                             int valueB) {
    ByteWriter w;
    w.u32(VORTA::kAudioPropertiesCode).u32(0).bytes(codecId).u8(stream);
    w.u16(rateDiv10).u8(sampleSize).u8(valueB).u16(0).str8("ex");
    return sized(w);
}

inline Bytes valueProperties(std::uint32_t code, std::uint32_t value, const std::string& data) {
    ByteWriter w;
    w.u32(code).u32(0).u32(value).str8(data);
    return sized(w);
}

inline Bytes endMarker() {
    return ByteWriter().u32(VORTA::kEndOfPropertiesCode).data();
}

// Lead block, lead-in with L = the objects' total length, and the objects.
inline Bytes headerUnit(const std::vector<Bytes>& objects) {
    ByteWriter body;
    for (const Bytes& o : objects) {
        body.bytes(o);
    }
    ByteWriter w;
    for (int i = 0; i < 32; ++i) {
        w.u8(i);
    }
    w.u32(VORTA::kLeadInCode).u32(static_cast<std::uint32_t>(body.data().size()));
    w.bytes(body.data());
    return w.data();
}

struct PacketSpec {
    std::uint8_t flags = 0;
    std::uint32_t timestamp = 0;
    Bytes payload;
    bool option = false;
    std::string extra;  // the N3 run
};

inline Bytes packet(const PacketSpec& s) {
    ByteWriter w;
    w.u32(0).u8(s.flags).u32(s.timestamp);
    if (s.flags & VORTA::kFlagExtension) {
        w.u8(0xE1).u32(0xE2E3E4E5);
    }
    w.u8(s.option ? 1 : 0);
    if (s.option) {
        w.u8(7).u8(8).u16(2).u8(0xAA).u8(0xBB).str8("opt");
    }
    w.str8(s.extra).bytes(s.payload);
    w.patchU32(0, static_cast<std::uint32_t>(w.data().size()));
    return w.data();
}

inline Bytes gpsPayload(std::uint32_t extra, double lat, double lon, double knots) {
    return ByteWriter()
        .u32(0x01020304)
        .u32(0x05060708)
        .u32(extra)
        .f64(lat)
        .f64(lon)
        .f64(knots)
        .data();
}

inline Bytes gsensorPayload(float x, float y, float z, std::uint8_t extra) {
    return ByteWriter().f32(x).f32(y).f32(z).u8(extra).data();
}

// Stored byte order of the three known audio codec identifiers.
inline Bytes audioCodecId(int kind) {
    switch (kind) {
        case 4:  // {FA483C1C-E3E3-4292-9176-3611652B1F25}
            return {0x1C, 0x3C, 0x48, 0xFA, 0xE3, 0xE3, 0x92, 0x42,
                    0x91, 0x76, 0x36, 0x11, 0x65, 0x2B, 0x1F, 0x25};
        case 5:  // {D1A5B23D-1779-4EF2-A2FC-5261CEBA8F69}
            return {0x3D, 0xB2, 0xA5, 0xD1, 0x79, 0x17, 0xF2, 0x4E,
                    0xA2, 0xFC, 0x52, 0x61, 0xCE, 0xBA, 0x8F, 0x69};
        case 3:  // {0AA7E7B5-B65C-482B-9B58-9DCFCE322246}
            return {0xB5, 0xE7, 0xA7, 0x0A, 0x5C, 0xB6, 0x2B, 0x48,
                    0x9B, 0x58, 0x9D, 0xCF, 0xCE, 0x32, 0x22, 0x46};
        default:
            return Bytes(16, 0x42);
    }
}

}  // namespace testfmt
