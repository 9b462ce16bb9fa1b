#pragma once

// Naive local date and time as the recorder keeps it: no time zone, no leap
// seconds. Plain value type; every function here is pure and thread-safe.

#include <cstdint>
#include <string>

namespace mkcard {

struct CivilTime {
    int year = 2026;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int year, int month, int day);

// Seconds since 1970-01-01 00:00:00 of a valid CivilTime.
int64_t toSeconds(const CivilTime& t);
CivilTime fromSeconds(int64_t seconds);

// Date and clock ranges (month 1-12, day within the month, 00:00:00-23:59:59).
bool isValid(const CivilTime& t);

// yyyymmdd and hhmmss as text.
std::string dateDigits(const CivilTime& t);
std::string timeDigits(const CivilTime& t);

}  // namespace mkcard
