#pragma once

// The time base of recording files: a packet's instant is its file's start
// instant plus its time stamp in milliseconds, in the recorder's local time
// (no time zone is stored or applied). Instants are boost ptimes with
// microsecond resolution; not_a_date_time means unset.
//
// Threading: free functions without shared state.

#include <cstdint>

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "recording/Vorta.h"

namespace VORTA {

// A recording covers less than an hour: its packets' time stamps lie below
// this many milliseconds.
constexpr std::uint32_t kLongestRecordingMs = 3600000;

// Whether an instant can be written as a date (1400-01-01 to 9999-12-31);
// false for not_a_date_time and the other special values.
bool isWritableInstant(const boost::posix_time::ptime& t);

// Whether a file starting at `start` can be played: the start and every
// instant of the following hour can be written as a date. A header that says
// 9999-12-31 23:59:59 is no usable start.
bool isUsableStart(const boost::posix_time::ptime& start);

// The start instant of a file when it is usable, else not_a_date_time.
// Never throws.
boost::posix_time::ptime startInstantOrUnset(const FILE_PROPERTIES_OBJECT& file);

// The start instant of a file. Throws std::out_of_range (boost::gregorian's
// bad_year, bad_month or bad_day_of_month) when the year is outside 1400 to
// 9999, the month outside 1 to 12 or the day not a day of that month.
boost::posix_time::ptime startInstant(const FILE_PROPERTIES_OBJECT& file);

// The instant of a packet: start instant plus timestampMs. Throws as
// startInstant.
boost::posix_time::ptime packetInstant(const FILE_PROPERTIES_OBJECT& file,
                                       std::uint32_t timestampMs);

// The instant of a date integer (yyyymmdd) and a time integer (hhmmss).
// Throws as startInstant.
boost::posix_time::ptime instantFromDateTime(int date, int time);

// yyyymmdd and hhmmss of an instant; 0 for not_a_date_time, the other
// special values and instants without a date (see isWritableInstant).
int dateInteger(const boost::posix_time::ptime& t);
int timeInteger(const boost::posix_time::ptime& t);

// Date and time fields of a record made from a packet.
struct RecordStamp {
    int date = 0;
    int time = 0;
    int milliseconds = 0;
    // The packet's instant, or not_a_date_time when the file's start date is
    // invalid: the fields then hold the computer's current local date and
    // time with millisecond 0, and the reader must not take the instant.
    boost::posix_time::ptime instant;
};

// Never throws.
RecordStamp recordStamp(const FILE_PROPERTIES_OBJECT& file, std::uint32_t timestampMs);

// The fields of a record of a file that starts at `start` (as the reader
// determined it, see SSFChannelReader). An unset start, or an instant that
// cannot be written as a date, gives an unset instant and zero fields.
// Never throws.
RecordStamp recordStampAt(const boost::posix_time::ptime& start, std::uint32_t timestampMs);

// Cuts a G-sensor axis value to two decimals, toward zero: 1.239 -> 1.23,
// -0.019 -> -0.01. Infinite and NaN values pass unchanged.
float truncateToHundredths(float value);

}  // namespace VORTA
