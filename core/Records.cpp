#include "core/Records.h"

#include <cstring>

namespace {

std::unique_ptr<unsigned char[]> copyBytes(const unsigned char* bytes, int count) {
    if (bytes == nullptr || count <= 0) {
        return nullptr;
    }
    std::unique_ptr<unsigned char[]> copy(new unsigned char[static_cast<std::size_t>(count)]);
    std::memcpy(copy.get(), bytes, static_cast<std::size_t>(count));
    return copy;
}

}  // namespace

READVSTREAM::READVSTREAM(const READVSTREAM& other)
    : STREAMOBJECT(other),
      data(copyBytes(other.data.get(), other.size)),
      size(data ? other.size : 0),
      width(other.width),
      height(other.height),
      frameType(other.frameType),
      reserved(other.reserved),
      flags{other.flags[0], 1, other.flags[2]},
      text1(other.text1),
      text2(other.text2),
      stamp(other.stamp),
      codecContext(other.codecContext) {}

READVSTREAM& READVSTREAM::operator=(const READVSTREAM& other) {
    if (this != &other) {
        READVSTREAM copy(other);
        STREAMOBJECT::operator=(copy);
        data = std::move(copy.data);
        size = copy.size;
        width = copy.width;
        height = copy.height;
        frameType = copy.frameType;
        reserved = copy.reserved;
        std::memcpy(flags, copy.flags, sizeof flags);
        text1 = std::move(copy.text1);
        text2 = std::move(copy.text2);
        stamp = copy.stamp;
        codecContext = copy.codecContext;
    }
    return *this;
}

void READVSTREAM::setData(const unsigned char* bytes, int count) {
    data = copyBytes(bytes, count);
    size = data ? count : 0;
}

READASTREAM::READASTREAM(const READASTREAM& other)
    : param1(other.param1),
      param2(other.param2),
      param3(other.param3),
      data(copyBytes(other.data.get(), other.size)),
      size(data ? other.size : 0),
      channel(other.channel),
      codecKind(other.codecKind),
      date(other.date),
      time(other.time),
      milliseconds(other.milliseconds) {}

READASTREAM& READASTREAM::operator=(const READASTREAM& other) {
    if (this != &other) {
        *this = READASTREAM(other);
    }
    return *this;
}

void READASTREAM::setData(const unsigned char* bytes, int count) {
    data = copyBytes(bytes, count);
    size = data ? count : 0;
}
