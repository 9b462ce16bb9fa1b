// Recording names: the date and time in a recording's file name, the instant
// its packets are dated from, and the index file beside it.

#include "recording/SSFChannelReaderPrivate.h"

using namespace ssfreader;

namespace {

// The number formed by `width` decimal digits at `pos` of s; -1 when s is too
// short there or a character is not a digit.
int digitsAt(const std::string& s, std::size_t pos, std::size_t width) {
    if (pos > s.size() || s.size() - pos < width) {
        return -1;
    }
    int v = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isdigit(c)) {
            return -1;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

bool validTime(int time) {
    return time >= 0 && time / 10000 < 24 && time / 100 % 100 < 60 && time % 100 < 60;
}

}  // namespace

namespace ssfreader {

pt::ptime instantOrUnset(int date, int time) {
    if (date <= 0 || !validTime(time)) {
        return pt::ptime(pt::not_a_date_time);
    }
    try {
        return VORTA::instantFromDateTime(date, time);
    } catch (const std::out_of_range&) {
        return pt::ptime(pt::not_a_date_time);
    }
}

}  // namespace ssfreader

int SSFChannelReader::dateOfPath(const std::string& path) {
    const std::size_t lastSlash = path.rfind('/');
    if (lastSlash == std::string::npos || lastSlash == 0) {
        return -1;
    }
    const std::size_t slash = path.rfind('/', lastSlash - 1);
    if (slash == std::string::npos) {
        return -1;
    }
    // The day folder's name must be exactly yyyymmdd.
    if (lastSlash - slash - 1 != 8) {
        return -1;
    }
    const int date = digitsAt(path, slash + 1, 8);
    return date == 0 ? -1 : date;
}

int SSFChannelReader::timeOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return -1;
    }
    return digitsAt(path, slash + 1, 6);
}

SSFChannelReader::ptime SSFChannelReader::nameInstant(const std::string& path) {
    return instantOrUnset(dateOfPath(path), timeOfPath(path));
}

SSFChannelReader::ptime SSFChannelReader::datingStart(const VORTA::HEADERUNIT& header,
                                                      const std::string& path) {
    const pt::ptime fromHeader = VORTA::startInstantOrUnset(header.fileProperties);
    if (!fromHeader.is_not_a_date_time()) {
        return fromHeader;
    }
    // A recorder whose clock was not set writes no date into the header; the
    // name it gave the file still says when the recording started.
    const pt::ptime fromName = nameInstant(path);
    return VORTA::isUsableStart(fromName) ? fromName : pt::ptime(pt::not_a_date_time);
}

std::string SSFChannelReader::indexPathFor(const std::string& ssfPath) {
    const std::size_t n = ssfPath.size();
    for (std::size_t i = n >= 4 ? n - 4 + 1 : 0; i-- > 0;) {
        if (ssfPath[i] != '.') {
            continue;
        }
        const char* const ssf = "ssf";
        const char* const idx = "idx";
        bool match = true;
        for (int k = 0; k < 3; ++k) {
            if (std::tolower(static_cast<unsigned char>(
                    ssfPath[i + 1 + static_cast<std::size_t>(k)])) != ssf[k]) {
                match = false;
                break;
            }
        }
        if (!match) {
            continue;
        }
        std::string out = ssfPath;
        for (int k = 0; k < 3; ++k) {
            const std::size_t at = i + 1 + static_cast<std::size_t>(k);
            const bool upper = std::isupper(static_cast<unsigned char>(ssfPath[at])) != 0;
            out[at] = upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(idx[k])))
                            : idx[k];
        }
        return out;
    }
    return ssfPath;
}
