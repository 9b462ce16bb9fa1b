#pragma once

// Writer of one recording file (.ssf) and of its index file (.idx).
//
// Recording file: header unit (32-byte lead block, lead-in 0xFFFF0000 with the
// length L of the property objects, then file, video, audio, I-frame and event
// properties and the end object 0xFFF60000), data packets from offset 40 + L,
// and the I-frame table (marker 0xFFFA0000, 4 reserved bytes, u16 count, 8-byte
// entries offset/time stamp) up to the end of the file. All little-endian.
//
// Index file: 8 reserved bytes, u16 entry count at offset 8, reserved up to 294,
// then 16-byte entries: u32 packet offset, u32 time stamp, 8 reserved bytes.
// Reserved bytes are 0.
//
// Threading: an SsfWriter is used by one thread at a time; separate writers are
// independent.

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "MakeCard.h"

namespace mkcard {

constexpr uint32_t kLeadInCode = 0xFFFF0000u;
constexpr uint32_t kFilePropertiesCode = 0xFFF10000u;
constexpr uint32_t kVideoPropertiesCode = 0xFFF20000u;
constexpr uint32_t kAudioPropertiesCode = 0xFFF30000u;
constexpr uint32_t kIFramePropertiesCode = 0xFFF40000u;
constexpr uint32_t kEventPropertiesCode = 0xFFF50000u;
constexpr uint32_t kEndOfPropertiesCode = 0xFFF60000u;
constexpr uint32_t kIFrameTableMarker = 0xFFFA0000u;

constexpr uint8_t kKeyFrameFlag = 0x80;
constexpr uint8_t kExtensionFlag = 0x40;

constexpr size_t kIndexHeaderSize = 294;
constexpr size_t kIndexEntrySize = 16;
constexpr size_t kIFrameTableHeadSize = 10;

// Codec identifiers as the 16 bytes stored in the file (little-endian GUID layout).
using Guid = std::array<uint8_t, 16>;
Guid guidBytes(uint32_t d1, uint16_t d2, uint16_t d3, const uint8_t (&d4)[8]);
Guid videoCodecGuid();                    // {34363248-0000-0010-8000-00AA00389B71}
Guid audioCodecGuid(AudioCoding coding);  // µ-law, A-law or ADPCM identifier

// Audio properties for a coding: the sample-size value S stored in the header.
uint8_t audioSampleSizeValue(AudioCoding coding);

struct HeaderInfo {
    CivilTime start;           // written field by field, even when invalid
    uint32_t lengthMs = 0;     // recording length
    std::string title;         // at most 255 bytes
    std::string secondString;  // at most 255 bytes
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t fps = 0;                        // kept in the video option block
    AudioCoding audio = AudioCoding::None;  // None: no audio properties object
    uint32_t eventValue = 0;                // value of the event properties object
};

// The complete header unit (40 + L bytes).
std::vector<uint8_t> buildHeaderUnit(const HeaderInfo& info, uint32_t iframeTableOffset);

struct KeyFrameEntry {
    uint32_t offset = 0;
    uint32_t timeStamp = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class SsfWriter {
public:
    SsfWriter() = default;
    SsfWriter(const SsfWriter&) = delete;
    SsfWriter& operator=(const SsfWriter&) = delete;

    // Creates the file and writes a provisional header unit.
    bool open(const std::string& path, const HeaderInfo& info, std::string* error);

    // Appends one data packet: 4-byte length, flags, time stamp, the extension
    // (flags bit 6) when withExtension, option flag 0, extra-data length 0, payload.
    // A video packet with the key-frame flag is entered in the key-frame list.
    bool writePacket(uint8_t flags, uint32_t timeStamp, const uint8_t* payload, size_t size,
                     std::string* error, bool withExtension = false, uint8_t extByte = 0,
                     uint32_t extWord = 0);

    // Ends the file. withTable: appends the I-frame table and enters its offset
    // in the header. cutLastPacket: drops the table and cuts the file halfway
    // through its last packet (key frames in that packet leave the list).
    bool finish(bool withTable, bool cutLastPacket, std::string* error);

    const std::vector<KeyFrameEntry>& keyFrames() const { return keyFrames_; }
    uint32_t headerSize() const { return headerSize_; }

private:
    bool put(const void* data, size_t size, std::string* error);

    FilePtr file_;
    std::string path_;
    HeaderInfo info_;
    uint32_t headerSize_ = 0;
    uint64_t position_ = 0;
    uint64_t lastPacketOffset_ = 0;
    uint32_t lastPacketSize_ = 0;
    std::vector<KeyFrameEntry> keyFrames_;
};

// Writes an index file for the key frames; cutBytes > 0 drops that many bytes
// from its end.
bool writeIndexFile(const std::string& path, const std::vector<KeyFrameEntry>& entries,
                    size_t cutBytes, std::string* error);

}  // namespace mkcard
