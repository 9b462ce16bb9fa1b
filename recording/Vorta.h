#pragma once

// The records of a recording file (".ssf") and their parsers: the header unit
// with its property objects, and the data packets that follow it.
//
// A recording file is laid out as
//   header unit     offset 0: 32-byte lead block, lead-in (type code
//                   0xFFFF0000, length L), L bytes of property objects
//   data packets    from offset 40 + L, back to back
//   I-frame table   at the offset named by the I-frame properties, if any
// All integers are little-endian and unaligned.
//
// Every parser is given the length of its buffer and never reads past it.
// Input it cannot take whole (a size of 0, a size or string length that runs
// past the object or the buffer, a packet outside its length limits) is
// refused: the parser returns 0 and leaves the target unchanged. Callers treat
// a refusal as the end of the file's data.
//
// Threading: plain values, no locks; a record belongs to one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "recording/PacketOperation.h"

namespace VORTA {

class ByteReader;

constexpr std::uint32_t kLeadInCode = 0xFFFF0000u;
constexpr std::uint32_t kFilePropertiesCode = 0xFFF10000u;
constexpr std::uint32_t kVideoPropertiesCode = 0xFFF20000u;
constexpr std::uint32_t kAudioPropertiesCode = 0xFFF30000u;
constexpr std::uint32_t kIFramePropertiesCode = 0xFFF40000u;
constexpr std::uint32_t kEventPropertiesCode = 0xFFF50000u;
constexpr std::uint32_t kEndOfPropertiesCode = 0xFFF60000u;
constexpr std::uint32_t kIFrameTableMarker = 0xFFFA0000u;

constexpr std::size_t kLeadBlockSize = 32;
// Lead block plus lead-in: the header unit bytes before the property objects.
constexpr std::size_t kHeaderUnitHeadSize = 40;
// Largest header unit the index search reads (its buffer size).
constexpr std::size_t kMaxSearchHeaderUnitSize = 2048;

// Largest packet a reader holds; longer packets are refused.
constexpr std::size_t kMaxPacketSize = 0x400000;
// Fixed packet head without and with the extension (flags bit 6).
constexpr std::size_t kPacketHeadSize = 9;
constexpr std::size_t kPacketHeadSizeWithExtension = 14;
// A packet also needs its option flag and its N3 byte, so no packet is
// shorter than this much more than its fixed head.
constexpr std::size_t kPacketMinTail = 2;

// Whether a packet length T read from a file can be a packet at all, before
// the reader reads the T - 4 bytes behind it into its kMaxPacketSize buffer.
constexpr bool isPacketLengthInRange(std::uint32_t t) {
    return t >= kPacketHeadSize + kPacketMinTail && t <= kMaxPacketSize;
}

constexpr std::uint8_t kFlagStreamMask = 0x07;
constexpr std::uint8_t kFlagExtension = 0x40;
constexpr std::uint8_t kFlagKeyFrame = 0x80;

// An owned copy of a variable-length byte run (array new / array delete);
// copies are deep.
class ByteRun {
public:
    ByteRun() = default;
    ByteRun(const ByteRun& other) { assign(other.data(), other.size()); }
    ByteRun(ByteRun&& other) noexcept { swap(other); }
    ByteRun& operator=(const ByteRun& other) {
        if (this != &other) {
            assign(other.data(), other.size());
        }
        return *this;
    }
    ByteRun& operator=(ByteRun&& other) noexcept {
        ByteRun moved(std::move(other));
        swap(moved);
        return *this;
    }

    // Replaces the run with a copy of n bytes at p (empty when n is 0).
    void assign(const std::uint8_t* p, std::size_t n);
    void clear() {
        data_.reset();
        size_ = 0;
    }
    void swap(ByteRun& other) noexcept {
        data_.swap(other.data_);
        std::swap(size_, other.size_);
    }

    const std::uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};

// Option block of the video properties and of packets:
// u8, u8, u16 N1, N1 bytes, u8 N2, N2 bytes. Kept, not interpreted.
struct OptionBlock {
    std::uint8_t value1 = 0;
    std::uint8_t value2 = 0;
    ByteRun run1;  // N1 (16-bit) bytes
    ByteRun run2;  // N2 (8-bit) bytes

    bool read(ByteReader& in);
};

// File properties (0xFFF10000): start instant, recording length, title.
class FILE_PROPERTIES_OBJECT : public PacketOperation {
public:
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::uint8_t reserved1 = 0;
    std::uint8_t reserved2[8] = {};
    std::uint16_t reserved3 = 0;
    std::uint16_t year = 0;  // start instant, recorder's local time
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t reserved4 = 0;
    std::uint16_t reserved5 = 0;
    std::uint8_t reserved6 = 0;
    std::uint32_t reserved7 = 0;
    std::uint32_t reserved8 = 0;
    // Milliseconds from the start instant to the end of the recording.
    std::uint32_t recordingLength = 0;
    std::uint8_t reserved9 = 0;
    std::uint8_t reserved10 = 0;
    std::uint16_t reserved11 = 0;
    std::uint8_t reserved12 = 0;
    std::uint8_t titleLength = 0;
    char title[256] = {};  // titleLength bytes, then a terminating 0
    std::uint8_t secondStringLength = 0;
    char secondString[256] = {};  // kept, not interpreted

    // The title as a string (copied into every video record of the file).
    std::string titleString() const { return std::string(title, titleLength); }

    // Parses the object at `object`, of which `available` bytes may be read.
    // Returns the object size (the step to the next object), or 0 when refused.
    std::size_t parse(const std::uint8_t* object, std::size_t available);
};

// Video properties (0xFFF20000).
class VIDEO_PROPERTIES_OBJECT : public PacketOperation {
public:
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::uint8_t codecId[16] = {};  // kept, not checked: every video is decoded as H.264
    std::uint8_t streamNumber = 0;  // packets of this stream number are video
    std::uint8_t reserved1 = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t reserved2 = 0;
    OptionBlock options;
    ByteRun extra;  // u8 N3 and N3 bytes

    std::size_t parse(const std::uint8_t* object, std::size_t available);
};

// Audio properties (0xFFF30000).
class AUDIO_PROPERTIES_OBJECT : public PacketOperation {
public:
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::uint8_t codecId[16] = {};  // a GUID in its usual little-endian layout
    std::uint8_t streamNumber = 0;
    std::uint16_t sampleRateDiv10 = 0;  // sample rate / 10
    std::uint8_t sampleSize = 0;        // sample-size value S
    std::uint8_t valueB = 0;            // carried into every audio record
    std::uint16_t reserved = 0;
    ByteRun extra;  // u8 N and N bytes

    std::size_t parse(const std::uint8_t* object, std::size_t available);
};

// Shared layout of the I-frame and the event properties: a 32-bit value and
// an u8-counted byte run.
class ValuePropertiesObject : public PacketOperation {
public:
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::uint32_t value = 0;
    ByteRun data;  // u8 N and N bytes, kept, not interpreted

    std::size_t parse(const std::uint8_t* object, std::size_t available);
};

// I-frame properties (0xFFF40000): the value is the file offset of the
// I-frame table, 0 when the file has none.
class IFRAME_PROPERTIES_OBJECT : public ValuePropertiesObject {
public:
    std::uint32_t tableOffset() const { return value; }
};

// Event properties (0xFFF50000): kept, not interpreted.
class EVENT_PROPERTIES_OBJECT : public ValuePropertiesObject {};

// The header unit: lead block, lead-in and one object of each property kind.
// Kinds that were absent keep their empty defaults (numbers 0, no byte runs).
class HEADERUNIT : public PacketOperation {
public:
    std::uint8_t leadBlock[kLeadBlockSize] = {};
    std::uint32_t leadInCode = 0;    // 0xFFFF0000 when the lead-in was found
    std::uint32_t leadInLength = 0;  // L, bytes of property objects
    FILE_PROPERTIES_OBJECT fileProperties;
    VIDEO_PROPERTIES_OBJECT videoProperties;
    AUDIO_PROPERTIES_OBJECT audioProperties;
    IFRAME_PROPERTIES_OBJECT iframeProperties;
    EVENT_PROPERTIES_OBJECT eventProperties;

    // Size 40 + L that the first 40 bytes of a file announce (lead block,
    // lead-in code, L), or 0 when fewer than 40 bytes are given. A reader reads
    // this many bytes, after checking them against its buffer, and hands them
    // to parse(); the first packet follows at that offset.
    static std::uint64_t declaredSize(const std::uint8_t* head, std::size_t available);

    // Walks the header unit that starts at data[0]: copies the lead block and
    // fills the property objects from offset 32 on, a later object of a kind
    // replacing an earlier one. The walk stops at the end marker 0xFFF60000,
    // at a type code it does not know, or where the L bytes after the lead-in
    // end. Returns the offset at which it stopped, or 0 when refused: fewer
    // than 40 bytes, a lead-in whose L bytes do not fit in `size`, an object
    // of size 0 or one that runs past the property bytes or the buffer.
    std::size_t parse(const std::uint8_t* data, std::size_t size);
};

// A message head of three 32-bit fields.
class PacketHeader : public PacketOperation {
public:
    std::uint32_t word1 = 0;
    std::uint32_t word2 = 0;
    std::uint32_t word3 = 0;

    static constexpr std::size_t kSerializedSize = 12;
    // Writes the three fields in network byte order into out and returns 12,
    // or returns 0 and writes nothing when capacity is below 12.
    virtual std::size_t serialize(std::uint8_t* out, std::size_t capacity) const;
};

// One data packet.
class REPLY_DATA : public PacketHeader {
public:
    std::uint32_t length = 0;  // T, the whole packet including these 4 bytes
    std::uint8_t flags = 0;
    std::uint32_t timestamp = 0;     // milliseconds since the file's start instant
    std::uint8_t extensionByte = 0;  // present when flags bit 6 is set; kept
    std::uint32_t extensionWord = 0;
    std::uint8_t optionFlag = 0;
    OptionBlock options;  // present when optionFlag is not 0; kept
    ByteRun extra;        // u8 N3 and N3 bytes; kept
    ByteRun payload;      // the rest up to T
    HEADERUNIT headerUnit;

    std::uint8_t streamNumber() const { return flags & kFlagStreamMask; }
    bool hasExtension() const { return (flags & kFlagExtension) != 0; }
    bool isKeyFrameFlag() const { return (flags & kFlagKeyFrame) != 0; }

    // Parses one whole packet at data[0], of which `size` bytes may be read.
    // Returns the bytes consumed (T), or 0 when refused: T above `size` or
    // above kMaxPacketSize, T below the fixed head (9, or 14 with the
    // extension), or an option block or N3 run that passes T.
    std::size_t parse(const std::uint8_t* data, std::size_t size);
};

enum class PacketKind { Video, Audio, Gps, GSensor, Skipped };

// Kind of a packet by its stream number, tested in this order: the video
// properties' stream number, the audio properties' stream number, 3 (GPS),
// 4 (G-sensor); anything else is skipped.
PacketKind packetKind(const HEADERUNIT& header, std::uint8_t flags);

}  // namespace VORTA
