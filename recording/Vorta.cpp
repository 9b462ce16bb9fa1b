#include "recording/Vorta.h"

#include <cstring>

#include "recording/ByteReader.h"

namespace VORTA {

namespace {

// Object size at `object` when the object fits in `available`, otherwise 0.
std::uint32_t checkedObjectSize(const std::uint8_t* object, std::size_t available) {
    if (object == nullptr || available < 8) {
        return 0;
    }
    const std::uint32_t size = loadU32(object + 4);
    return size <= available ? size : 0;
}

}  // namespace

void ByteRun::assign(const std::uint8_t* p, std::size_t n) {
    if (p == nullptr || n == 0) {
        clear();
        return;
    }
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[n]);
    std::memcpy(copy.get(), p, n);
    data_ = std::move(copy);
    size_ = n;
}

bool OptionBlock::read(ByteReader& in) {
    std::uint8_t v1 = 0;
    std::uint8_t v2 = 0;
    std::uint16_t n1 = 0;
    std::uint8_t n2 = 0;
    const std::uint8_t* p1 = nullptr;
    const std::uint8_t* p2 = nullptr;
    in.u8(v1);
    in.u8(v2);
    in.u16(n1);
    in.skip(n1, &p1);
    in.u8(n2);
    in.skip(n2, &p2);
    if (!in.ok()) {
        return false;
    }
    value1 = v1;
    value2 = v2;
    run1.assign(p1, n1);
    run2.assign(p2, n2);
    return true;
}

std::size_t FILE_PROPERTIES_OBJECT::parse(const std::uint8_t* object, std::size_t available) {
    const std::uint32_t objectSize = checkedObjectSize(object, available);
    if (objectSize == 0) {
        return 0;
    }
    FILE_PROPERTIES_OBJECT o;
    ByteReader in(object, objectSize);
    in.u32(o.type);
    in.u32(o.size);
    in.u8(o.reserved1);
    in.read(o.reserved2, sizeof o.reserved2);
    in.u16(o.reserved3);
    in.u16(o.year);
    in.u8(o.month);
    in.u8(o.day);
    in.u8(o.hour);
    in.u8(o.minute);
    in.u8(o.second);
    in.u8(o.reserved4);
    in.u16(o.reserved5);
    in.u8(o.reserved6);
    in.u32(o.reserved7);
    in.u32(o.reserved8);
    in.u32(o.recordingLength);
    in.u8(o.reserved9);
    in.u8(o.reserved10);
    in.u16(o.reserved11);
    in.u8(o.reserved12);
    in.u8(o.titleLength);
    in.read(o.title, o.titleLength);
    in.u8(o.secondStringLength);
    in.read(o.secondString, o.secondStringLength);
    if (!in.ok()) {
        return 0;
    }
    *this = o;
    return objectSize;
}

std::size_t VIDEO_PROPERTIES_OBJECT::parse(const std::uint8_t* object, std::size_t available) {
    const std::uint32_t objectSize = checkedObjectSize(object, available);
    if (objectSize == 0) {
        return 0;
    }
    VIDEO_PROPERTIES_OBJECT o;
    ByteReader in(object, objectSize);
    in.u32(o.type);
    in.u32(o.size);
    in.read(o.codecId, sizeof o.codecId);
    in.u8(o.streamNumber);
    in.u8(o.reserved1);
    in.u16(o.width);
    in.u16(o.height);
    in.u8(o.reserved2);
    o.options.read(in);
    std::uint8_t n3 = 0;
    const std::uint8_t* p3 = nullptr;
    in.u8(n3);
    in.skip(n3, &p3);
    if (!in.ok()) {
        return 0;
    }
    o.extra.assign(p3, n3);
    *this = std::move(o);
    return objectSize;
}

std::size_t AUDIO_PROPERTIES_OBJECT::parse(const std::uint8_t* object, std::size_t available) {
    const std::uint32_t objectSize = checkedObjectSize(object, available);
    if (objectSize == 0) {
        return 0;
    }
    AUDIO_PROPERTIES_OBJECT o;
    ByteReader in(object, objectSize);
    in.u32(o.type);
    in.u32(o.size);
    in.read(o.codecId, sizeof o.codecId);
    in.u8(o.streamNumber);
    in.u16(o.sampleRateDiv10);
    in.u8(o.sampleSize);
    in.u8(o.valueB);
    in.u16(o.reserved);
    std::uint8_t n = 0;
    const std::uint8_t* p = nullptr;
    in.u8(n);
    in.skip(n, &p);
    if (!in.ok()) {
        return 0;
    }
    o.extra.assign(p, n);
    *this = std::move(o);
    return objectSize;
}

std::size_t ValuePropertiesObject::parse(const std::uint8_t* object, std::size_t available) {
    const std::uint32_t objectSize = checkedObjectSize(object, available);
    if (objectSize == 0) {
        return 0;
    }
    std::uint32_t t = 0;
    std::uint32_t s = 0;
    std::uint32_t v = 0;
    std::uint8_t n = 0;
    const std::uint8_t* p = nullptr;
    ByteReader in(object, objectSize);
    in.u32(t);
    in.u32(s);
    in.u32(v);
    in.u8(n);
    in.skip(n, &p);
    if (!in.ok()) {
        return 0;
    }
    type = t;
    size = s;
    value = v;
    data.assign(p, n);
    return objectSize;
}

std::uint64_t HEADERUNIT::declaredSize(const std::uint8_t* head, std::size_t available) {
    if (head == nullptr || available < kHeaderUnitHeadSize) {
        return 0;
    }
    return kHeaderUnitHeadSize + static_cast<std::uint64_t>(loadU32(head + 36));
}

std::size_t HEADERUNIT::parse(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kHeaderUnitHeadSize) {
        return 0;
    }
    // Filled aside so that a refused header unit leaves this one unchanged.
    auto h = std::make_unique<HEADERUNIT>();
    std::memcpy(h->leadBlock, data, kLeadBlockSize);
    std::size_t p = kLeadBlockSize;
    // End of the bytes the walk may use: the buffer until a lead-in says where
    // its property objects end.
    std::size_t limit = size;
    while (limit - p >= 4) {
        const std::uint32_t code = loadU32(data + p);
        std::size_t step = 0;
        switch (code) {
            case kLeadInCode: {
                if (limit - p < 8) {
                    return 0;
                }
                const std::uint32_t length = loadU32(data + p + 4);
                if (length > size - (p + 8)) {
                    return 0;  // longer than the buffer holding it
                }
                h->leadInCode = code;
                h->leadInLength = length;
                p += 8;
                limit = p + length;
                continue;
            }
            case kFilePropertiesCode:
                step = h->fileProperties.parse(data + p, limit - p);
                break;
            case kVideoPropertiesCode:
                step = h->videoProperties.parse(data + p, limit - p);
                break;
            case kAudioPropertiesCode:
                step = h->audioProperties.parse(data + p, limit - p);
                break;
            case kIFramePropertiesCode:
                step = h->iframeProperties.parse(data + p, limit - p);
                break;
            case kEventPropertiesCode:
                step = h->eventProperties.parse(data + p, limit - p);
                break;
            default:  // the end marker or an unknown kind ends the walk
                *this = *h;
                return p;
        }
        if (step == 0) {
            return 0;
        }
        p += step;
    }
    *this = *h;
    return p;
}

std::size_t PacketHeader::serialize(std::uint8_t* out, std::size_t capacity) const {
    if (out == nullptr || capacity < kSerializedSize) {
        return 0;
    }
    const std::uint32_t words[3] = {word1, word2, word3};
    for (int i = 0; i < 3; ++i) {
        out[4 * i + 0] = static_cast<std::uint8_t>(words[i] >> 24);
        out[4 * i + 1] = static_cast<std::uint8_t>(words[i] >> 16);
        out[4 * i + 2] = static_cast<std::uint8_t>(words[i] >> 8);
        out[4 * i + 3] = static_cast<std::uint8_t>(words[i]);
    }
    return kSerializedSize;
}

std::size_t REPLY_DATA::parse(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 4) {
        return 0;
    }
    const std::uint32_t total = loadU32(data);
    if (total > size || total > kMaxPacketSize) {
        return 0;
    }
    ByteReader in(data, total);
    std::uint32_t t = 0;
    std::uint8_t f = 0;
    std::uint32_t stamp = 0;
    std::uint8_t extByte = 0;
    std::uint32_t extWord = 0;
    std::uint8_t option = 0;
    OptionBlock block;
    std::uint8_t n3 = 0;
    const std::uint8_t* p3 = nullptr;
    in.u32(t);
    in.u8(f);
    in.u32(stamp);
    if ((f & kFlagExtension) != 0) {
        in.u8(extByte);
        in.u32(extWord);
    }
    in.u8(option);
    if (option != 0) {
        block.read(in);
    }
    in.u8(n3);
    in.skip(n3, &p3);
    if (!in.ok()) {
        return 0;
    }
    length = t;
    flags = f;
    timestamp = stamp;
    extensionByte = extByte;
    extensionWord = extWord;
    optionFlag = option;
    options = std::move(block);
    extra.assign(p3, n3);
    payload.assign(in.remaining() > 0 ? in.here() : nullptr, in.remaining());
    return total;
}

PacketKind packetKind(const HEADERUNIT& header, std::uint8_t flags) {
    const std::uint8_t stream = flags & kFlagStreamMask;
    if (stream == header.videoProperties.streamNumber) {
        return PacketKind::Video;
    }
    if (stream == header.audioProperties.streamNumber) {
        return PacketKind::Audio;
    }
    if (stream == 3) {
        return PacketKind::Gps;
    }
    if (stream == 4) {
        return PacketKind::GSensor;
    }
    return PacketKind::Skipped;
}

}  // namespace VORTA
