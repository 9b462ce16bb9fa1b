#include "SsfWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Bytes.h"

namespace mkcard {

namespace {

std::string ioError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Starts a property object; returns the position of its size field.
size_t beginObject(ByteSink& sink, uint32_t code) {
    sink.u32(code);
    const size_t sizeAt = sink.size();
    sink.u32(0);
    return sizeAt;
}

void endObject(ByteSink& sink, size_t sizeAt) {
    sink.patchU32(sizeAt, static_cast<uint32_t>(sink.size() - (sizeAt - 4)));
}

void putGuid(ByteSink& sink, const Guid& g) {
    sink.raw(g.data(), g.size());
}

}  // namespace

Guid guidBytes(uint32_t d1, uint16_t d2, uint16_t d3, const uint8_t (&d4)[8]) {
    Guid g{};
    for (int i = 0; i < 4; ++i) {
        g[i] = static_cast<uint8_t>(d1 >> (8 * i));
    }
    g[4] = static_cast<uint8_t>(d2);
    g[5] = static_cast<uint8_t>(d2 >> 8);
    g[6] = static_cast<uint8_t>(d3);
    g[7] = static_cast<uint8_t>(d3 >> 8);
    std::memcpy(&g[8], d4, 8);
    return g;
}

Guid videoCodecGuid() {
    static const uint8_t d4[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    return guidBytes(0x34363248u, 0x0000, 0x0010, d4);
}

Guid audioCodecGuid(AudioCoding coding) {
    static const uint8_t alaw[8] = {0x91, 0x76, 0x36, 0x11, 0x65, 0x2B, 0x1F, 0x25};
    static const uint8_t ulaw[8] = {0xA2, 0xFC, 0x52, 0x61, 0xCE, 0xBA, 0x8F, 0x69};
    static const uint8_t adpcm[8] = {0x9B, 0x58, 0x9D, 0xCF, 0xCE, 0x32, 0x22, 0x46};
    switch (coding) {
        case AudioCoding::Alaw:
            return guidBytes(0xFA483C1Cu, 0xE3E3, 0x4292, alaw);
        case AudioCoding::Ulaw:
            return guidBytes(0xD1A5B23Du, 0x1779, 0x4EF2, ulaw);
        case AudioCoding::Adpcm:
            return guidBytes(0x0AA7E7B5u, 0xB65C, 0x482B, adpcm);
        case AudioCoding::None:
            break;
    }
    return Guid{};
}

uint8_t audioSampleSizeValue(AudioCoding coding) {
    // G.711 readers double S to the 16 bits of the decoded sample; ADPCM readers
    // take S as it stands.
    return coding == AudioCoding::Adpcm ? 16 : 8;
}

std::vector<uint8_t> buildHeaderUnit(const HeaderInfo& info, uint32_t iframeTableOffset) {
    ByteSink sink;
    static const char kLead[] = "ZD-3100";
    sink.raw(kLead, sizeof kLead);  // with its terminator: 8 bytes
    sink.zeros(32 - sizeof kLead);
    sink.u32(kLeadInCode);
    const size_t lengthAt = sink.size();
    sink.u32(0);

    size_t at = beginObject(sink, kFilePropertiesCode);
    sink.u8(0);
    sink.zeros(8);
    sink.u16(0);
    sink.u16(static_cast<uint32_t>(info.start.year));
    sink.u8(static_cast<uint32_t>(info.start.month));
    sink.u8(static_cast<uint32_t>(info.start.day));
    sink.u8(static_cast<uint32_t>(info.start.hour));
    sink.u8(static_cast<uint32_t>(info.start.minute));
    sink.u8(static_cast<uint32_t>(info.start.second));
    sink.u8(0);
    sink.u16(0);
    sink.u8(0);
    sink.u32(0);
    sink.u32(0);
    sink.u32(info.lengthMs);
    sink.u8(0);
    sink.u8(0);
    sink.u16(0);
    sink.u8(0);
    sink.shortString(info.title);
    sink.shortString(info.secondString);
    endObject(sink, at);

    at = beginObject(sink, kVideoPropertiesCode);
    putGuid(sink, videoCodecGuid());
    sink.u8(kVideoStream);
    sink.u8(0);
    sink.u16(info.width);
    sink.u16(info.height);
    sink.u8(0);
    // Option block: frame rate, key-frame interval, no strings; then no extra data.
    sink.u8(info.fps);
    sink.u8(info.fps);
    sink.u16(0);
    sink.u8(0);
    sink.u8(0);
    endObject(sink, at);

    if (info.audio != AudioCoding::None) {
        at = beginObject(sink, kAudioPropertiesCode);
        putGuid(sink, audioCodecGuid(info.audio));
        sink.u8(kAudioStream);
        sink.u16(kAudioSampleRate / 10);
        sink.u8(audioSampleSizeValue(info.audio));
        sink.u8(1);  // one audio channel
        sink.u16(0);
        sink.u8(0);
        endObject(sink, at);
    }

    at = beginObject(sink, kIFramePropertiesCode);
    sink.u32(iframeTableOffset);
    sink.u8(0);
    endObject(sink, at);

    at = beginObject(sink, kEventPropertiesCode);
    sink.u32(info.eventValue);
    sink.u8(0);
    endObject(sink, at);

    at = beginObject(sink, kEndOfPropertiesCode);
    endObject(sink, at);

    sink.patchU32(lengthAt, static_cast<uint32_t>(sink.size() - 40));
    return std::move(sink.bytes());
}

bool SsfWriter::open(const std::string& path, const HeaderInfo& info, std::string* error) {
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) {
        *error = ioError("cannot create", path);
        return false;
    }
    std::setvbuf(file_.get(), nullptr, _IOFBF, 1 << 20);
    path_ = path;
    info_ = info;
    keyFrames_.clear();
    const std::vector<uint8_t> header = buildHeaderUnit(info_, 0);
    headerSize_ = static_cast<uint32_t>(header.size());
    position_ = 0;
    return put(header.data(), header.size(), error);
}

bool SsfWriter::put(const void* data, size_t size, std::string* error) {
    if (size != 0 && std::fwrite(data, 1, size, file_.get()) != size) {
        *error = ioError("cannot write", path_);
        return false;
    }
    position_ += size;
    return true;
}

bool SsfWriter::writePacket(uint8_t flags, uint32_t timeStamp, const uint8_t* payload, size_t size,
                            std::string* error, bool withExtension, uint8_t extByte,
                            uint32_t extWord) {
    ByteSink head;
    const size_t headSize = (withExtension ? 14 : 9) + 2;
    head.u32(static_cast<uint32_t>(headSize + size));
    head.u8(withExtension ? (flags | kExtensionFlag) : (flags & ~kExtensionFlag));
    head.u32(timeStamp);
    if (withExtension) {
        head.u8(extByte);
        head.u32(extWord);
    }
    head.u8(0);  // no option block
    head.u8(0);  // no extra data
    if (position_ + head.size() + size > 0x7FFFFFFFu) {
        *error = "recording larger than 2 GiB: " + path_;
        return false;
    }
    const uint64_t offset = position_;
    if (!put(head.bytes().data(), head.size(), error) || !put(payload, size, error)) {
        return false;
    }
    lastPacketOffset_ = offset;
    lastPacketSize_ = static_cast<uint32_t>(head.size() + size);
    if ((flags & 0x07) == kVideoStream && (flags & kKeyFrameFlag) != 0) {
        keyFrames_.push_back({static_cast<uint32_t>(offset), timeStamp});
    }
    return true;
}

bool SsfWriter::finish(bool withTable, bool cutLastPacket, std::string* error) {
    uint32_t tableOffset = 0;
    if (cutLastPacket) {
        withTable = false;
        while (!keyFrames_.empty() && keyFrames_.back().offset >= lastPacketOffset_) {
            keyFrames_.pop_back();
        }
    }
    if (withTable && !keyFrames_.empty()) {
        if (keyFrames_.size() > 0xFFFF) {
            *error = "too many key frames for the I-frame table: " + path_;
            return false;
        }
        tableOffset = static_cast<uint32_t>(position_);
        ByteSink table;
        table.u32(kIFrameTableMarker);
        table.u32(0);
        table.u16(static_cast<uint32_t>(keyFrames_.size()));
        for (const KeyFrameEntry& e : keyFrames_) {
            table.u32(e.offset);
            table.u32(e.timeStamp);
        }
        if (!put(table.bytes().data(), table.size(), error)) {
            return false;
        }
    }
    const std::vector<uint8_t> header = buildHeaderUnit(info_, tableOffset);
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size()) {
        *error = ioError("cannot write", path_);
        return false;
    }
    if (std::fclose(file_.release()) != 0) {
        *error = ioError("cannot write", path_);
        return false;
    }
    if (cutLastPacket) {
        std::error_code ec;
        std::filesystem::resize_file(path_, lastPacketOffset_ + lastPacketSize_ / 2, ec);
        if (ec) {
            *error = "cannot cut " + path_ + ": " + ec.message();
            return false;
        }
    }
    return true;
}

bool writeIndexFile(const std::string& path, const std::vector<KeyFrameEntry>& entries,
                    size_t cutBytes, std::string* error) {
    if (entries.size() > 0xFFFF) {
        *error = "too many key frames for the index file: " + path;
        return false;
    }
    ByteSink sink;
    sink.zeros(8);
    sink.u16(static_cast<uint32_t>(entries.size()));
    sink.zeros(kIndexHeaderSize - 10);
    for (const KeyFrameEntry& e : entries) {
        sink.u32(e.offset);
        sink.u32(e.timeStamp);
        sink.zeros(8);
    }
    std::vector<uint8_t>& bytes = sink.bytes();
    bytes.resize(cutBytes < bytes.size() ? bytes.size() - cutBytes : 0);
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size() ||
        std::fclose(f.release()) != 0) {
        *error = ioError("cannot write", path);
        return false;
    }
    return true;
}

}  // namespace mkcard
