#include "recording/DayListing.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace dayListing {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A decimal number with optional surrounding blanks and an optional sign, as
// the recorder's own tools read these names; false for anything else.
bool toInt(const std::string& text, int* value) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isBlank(text[b])) {
        ++b;
    }
    while (e > b && isBlank(text[e - 1])) {
        --e;
    }
    bool negative = false;
    if (b < e && (text[b] == '+' || text[b] == '-')) {
        negative = text[b] == '-';
        ++b;
    }
    if (b == e) {
        return false;
    }
    long long v = 0;
    for (std::size_t i = b; i < e; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return false;
        }
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX) {
            return false;
        }
    }
    *value = static_cast<int>(negative ? -v : v);
    return true;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

int dayFolderDate(const std::string& folderPath) {
    std::size_t end = folderPath.size();
    while (end > 0 && folderPath[end - 1] == '/') {
        --end;
    }
    if (end == 0) {
        return 0;
    }
    const std::size_t slash = folderPath.rfind('/', end - 1);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = folderPath.substr(begin, end - begin);
    if (name.empty()) {
        return 0;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    const bool ok = toInt(name.substr(0, 4), &year) &&
                    toInt(name.size() > 4 ? name.substr(4, 2) : std::string(), &month) &&
                    toInt(name.substr(name.size() >= 2 ? name.size() - 2 : 0), &day);
    // Years beyond 9999 cannot come from four characters, so the date integer
    // cannot overflow.
    if (!ok || year < 1970 || month < 1 || day < 1) {
        return 0;
    }
    return year * 10000 + month * 100 + day;
}

std::string itemName(const std::string& fileName) {
    auto part = [&](std::size_t at) {
        return at < fileName.size() ? fileName.substr(at, 2) : std::string();
    };
    return part(0) + ":" + part(2) + ":" + part(4);
}

bool isRecordingName(const std::string& fileName) {
    static const char kSuffix[] = ".ssf";
    const std::size_t n = sizeof kSuffix - 1;
    if (fileName.size() < n || fileName[0] == '.') {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (lower(fileName[fileName.size() - n + i]) != kSuffix[i]) {
            return false;
        }
    }
    return true;
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = lower(a[i]);
        const char y = lower(b[i]);
        if (x != y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

std::vector<std::string> recordingNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    const fs::directory_iterator end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code statusError;
        // is_regular_file() follows links: a link to a recording is listed.
        if (isRecordingName(name) && it->is_regular_file(statusError)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

bool isListedSize(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(fs::path(path), ec);
    if (ec || size <= kMaxUnlistedSize) {
        return false;
    }
    return std::ifstream(path, std::ios::binary).is_open();
}

std::vector<Item> listDayFolder(const std::string& folderPath,
                                const std::function<bool()>& keepGoing) {
    std::vector<Item> items;
    const int date = dayFolderDate(folderPath);
    if (date == 0) {
        return items;
    }
    for (const std::string& name : recordingNames(folderPath)) {
        if (keepGoing && !keepGoing()) {
            break;
        }
        if (isListedSize(folderPath + "/" + name)) {
            items.push_back(Item{name, itemName(name), date});
        }
    }
    return items;
}

}  // namespace dayListing
