#include "CardParse.h"

namespace cardtest {

bool parseRecording(const std::string& path, Recording* r, std::string* why) {
    r->bytes = readAll(path);
    const std::vector<uint8_t>& b = r->bytes;
    if (b.size() < 40 || le32(b, 32) != 0xFFFF0000u) {
        *why = "no lead-in";
        return false;
    }
    r->leadInLength = le32(b, 36);
    const size_t end = 40 + r->leadInLength;
    if (end > b.size()) {
        *why = "header unit longer than the file";
        return false;
    }
    size_t p = 40;
    while (p + 8 <= end) {
        const uint32_t code = le32(b, p);
        const uint32_t size = le32(b, p + 4);
        if (code == 0xFFF60000u) {
            break;
        }
        if (size < 8 || p + size > end) {
            *why = "object size out of range";
            return false;
        }
        switch (code) {
            case 0xFFF10000u:
                r->fileProps = p;
                r->title.assign(b.begin() + p + 48, b.begin() + p + 48 + b[p + 47]);
                break;
            case 0xFFF20000u:
                r->videoStream = b[p + 24];
                break;
            case 0xFFF30000u:
                r->audioProps = p;
                r->audioStream = b[p + 24];
                break;
            case 0xFFF40000u:
                r->iframeTableOffset = le32(b, p + 8);
                break;
            case 0xFFF50000u:
                break;
            default:
                *why = "unknown object";
                return false;
        }
        p += size;
    }
    const size_t dataEnd = r->iframeTableOffset != 0 ? r->iframeTableOffset : b.size();
    p = end;
    while (p < dataEnd) {
        if (p + 4 > dataEnd || p + le32(b, p) > dataEnd) {
            r->cutShort = true;
            break;
        }
        Packet k;
        k.offset = static_cast<uint32_t>(p);
        k.size = le32(b, p);
        k.flags = b[p + 4];
        k.timeStamp = le32(b, p + 5);
        size_t q = p + 9 + ((k.flags & 0x40) ? 5 : 0);
        if (b[q++] != 0) {
            *why = "unexpected option block";
            return false;
        }
        q += 1 + b[q];
        if (q > p + k.size) {
            *why = "packet shorter than its head";
            return false;
        }
        k.payload.assign(b.begin() + q, b.begin() + p + k.size);
        r->packets.push_back(std::move(k));
        p += r->packets.back().size;
    }
    return true;
}

}  // namespace cardtest
