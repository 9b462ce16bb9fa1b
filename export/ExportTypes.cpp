#include "export/ExportTypes.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <algorithm>

#include "recording/DayListing.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>

namespace exporting {

void ProgressThrottle::report(double fraction, bool force) {
    if (!control_.progress) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (reported_ && !force && fraction < 1.0 && now - last_ < std::chrono::milliseconds(100)) {
        return;
    }
    reported_ = true;
    last_ = now;
    control_.progress(std::min(1.0, std::max(0.0, fraction)));
}

bool checkRange(const ExportRange& range, int* dayDate, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::is_directory(range.dayFolder, ec)) {
        *error = "Not a folder: " + range.dayFolder;
        return false;
    }
    const int date = dayListing::dayFolderDate(range.dayFolder);
    if (date == 0) {
        *error = "Not a day folder (yyyymmdd): " + range.dayFolder;
        return false;
    }
    if (range.toMs <= range.fromMs) {
        *error = "The range is empty: " + formatDayTime(date, range.fromMs) + " to " +
                 formatDayTime(date, range.toMs);
        return false;
    }
    std::vector<bool> seen(32, false);
    for (const int c : range.channels) {
        if (c < 0 || c > 31) {
            *error = "No such channel: " + std::to_string(c + 1);
            return false;
        }
        if (seen[static_cast<std::size_t>(c)]) {
            *error = "Channel " + std::to_string(c + 1) + " is named twice";
            return false;
        }
        seen[static_cast<std::size_t>(c)] = true;
    }
    *dayDate = date;
    return true;
}

double TimeLeft::secondsLeft(double fraction) const {
    const double spent = std::chrono::duration<double>(Clock::now() - started_).count();
    if (!(fraction >= 0.02) || spent < 1.0) {
        return -1.0;
    }
    if (fraction >= 1.0) {
        return 0.0;
    }
    return spent * (1.0 - fraction) / fraction;
}

std::string TimeLeft::format(double seconds) {
    if (!(seconds >= 0.0)) {
        return std::string();
    }
    const long long s = std::llround(seconds);
    char buf[32];
    if (s >= 3600) {
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    }
    return buf;
}

bool parseClockTime(const std::string& text, std::int64_t* ms) {
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c)) {
            digits.push_back(static_cast<char>(c));
        } else if (c != ':' || i == 0 || (i != 2 && i != 5)) {
            return false;
        }
    }
    if (digits.size() != 6 || (text.size() != 6 && text.size() != 8)) {
        return false;
    }
    const int h = std::stoi(digits.substr(0, 2));
    const int m = std::stoi(digits.substr(2, 2));
    const int s = std::stoi(digits.substr(4, 2));
    if (m > 59 || s > 59 || h > 24 || (h == 24 && (m != 0 || s != 0))) {
        return false;
    }
    *ms = ((h * 60LL + m) * 60LL + s) * 1000LL;
    return true;
}

std::string formatDayTime(int dayDate, std::int64_t ms, bool millis) {
    std::int64_t dayShift = ms >= 0 ? ms / 86'400'000 : -((-ms + 86'399'999) / 86'400'000);
    const std::int64_t inDay = ms - dayShift * 86'400'000;
    int y = dayDate / 10000;
    int mo = dayDate / 100 % 100;
    int d = dayDate % 100;
    try {
        const boost::gregorian::date day =
            boost::gregorian::date(static_cast<unsigned short>(y), static_cast<unsigned short>(mo),
                                   static_cast<unsigned short>(d)) +
            boost::gregorian::days(static_cast<long>(dayShift));
        y = day.year();
        mo = day.month();
        d = day.day();
    } catch (const std::exception&) {
        // Not a date: the digits as they stand.
    }
    char buf[48];
    const long long t = inDay / 1000;
    if (millis) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02lld:%02lld:%02lld.%03lld", y, mo, d,
                      t / 3600, t / 60 % 60, t % 60, static_cast<long long>(inDay % 1000));
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02lld:%02lld:%02lld", y, mo, d, t / 3600,
                      t / 60 % 60, t % 60);
    }
    return buf;
}

std::string fixedText(double value, int decimals) {
    char buf[64];
    const std::to_chars_result r =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) {
        return std::string();
    }
    std::string text(buf, r.ptr);
    // A value that rounds to zero is "0.00", whichever side it came from.
    if (!text.empty() && text[0] == '-' &&
        text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::string compactClock(std::int64_t ms) {
    std::int64_t t = ms / 1000 % 86'400;
    if (t < 0) {
        t += 86'400;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld%02lld%02lld", static_cast<long long>(t / 3600),
                  static_cast<long long>(t / 60 % 60), static_cast<long long>(t % 60));
    return buf;
}

}  // namespace exporting
