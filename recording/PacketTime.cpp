#include "recording/PacketTime.h"

#include <cmath>
#include <stdexcept>

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time.hpp>

namespace VORTA {

namespace pt = boost::posix_time;
namespace gr = boost::gregorian;

namespace {

// The date constructor's own checks take unsigned short fields, which would
// wrap an out-of-range int into a valid year; range-check first.
gr::date checkedDate(long year, long month, long day) {
    if (year < 1400 || year > 9999) {
        throw gr::bad_year();
    }
    if (month < 1 || month > 12) {
        throw gr::bad_month();
    }
    if (day < 1 || day > 31) {
        throw gr::bad_day_of_month();
    }
    // Throws bad_day_of_month for a day past the end of its month.
    return gr::date(static_cast<unsigned short>(year), static_cast<unsigned short>(month),
                    static_cast<unsigned short>(day));
}

// The instants the date library can write as a date: 1400-01-01 up to the
// end of 9999. Arithmetic on an instant goes past them silently; asking for
// the date of such an instant throws.
const pt::ptime& firstWritable() {
    static const pt::ptime t(gr::date(1400, 1, 1));
    return t;
}

const pt::ptime& pastLastWritable() {
    static const pt::ptime t(gr::date(9999, 12, 31), pt::hours(24));
    return t;
}

}  // namespace

bool isWritableInstant(const pt::ptime& t) {
    return !t.is_special() && t >= firstWritable() && t < pastLastWritable();
}

bool isUsableStart(const pt::ptime& start) {
    return isWritableInstant(start) &&
           isWritableInstant(start + pt::milliseconds(std::int64_t{kLongestRecordingMs}));
}

pt::ptime startInstantOrUnset(const FILE_PROPERTIES_OBJECT& file) {
    try {
        const pt::ptime start = startInstant(file);
        if (isUsableStart(start)) {
            return start;
        }
    } catch (const std::out_of_range&) {
    }
    return pt::ptime(pt::not_a_date_time);
}

pt::ptime startInstant(const FILE_PROPERTIES_OBJECT& file) {
    return pt::ptime(checkedDate(file.year, file.month, file.day),
                     pt::hours(file.hour) + pt::minutes(file.minute) + pt::seconds(file.second));
}

pt::ptime packetInstant(const FILE_PROPERTIES_OBJECT& file, std::uint32_t timestampMs) {
    return startInstant(file) + pt::milliseconds(static_cast<std::int64_t>(timestampMs));
}

pt::ptime instantFromDateTime(int date, int time) {
    const gr::date day = checkedDate(date / 10000, date / 100 % 100, date % 100);
    return pt::ptime(
        day, pt::hours(time / 10000) + pt::minutes(time / 100 % 100) + pt::seconds(time % 100));
}

int dateInteger(const pt::ptime& t) {
    if (!isWritableInstant(t)) {
        return 0;
    }
    const gr::date::ymd_type ymd = t.date().year_month_day();
    return (static_cast<int>(ymd.year) * 100 + ymd.month) * 100 + ymd.day;
}

int timeInteger(const pt::ptime& t) {
    if (!isWritableInstant(t)) {
        return 0;
    }
    const pt::time_duration d = t.time_of_day();
    return (static_cast<int>(d.hours()) * 100 + static_cast<int>(d.minutes())) * 100 +
           static_cast<int>(d.seconds());
}

RecordStamp recordStamp(const FILE_PROPERTIES_OBJECT& file, std::uint32_t timestampMs) {
    RecordStamp stamp;
    try {
        stamp.instant = packetInstant(file, timestampMs);
        if (!isWritableInstant(stamp.instant)) {
            // A start at the very end of 9999: the instant has no date.
            throw gr::bad_year();
        }
    } catch (const std::out_of_range&) {
        // An invalid start date: label the record with the computer's clock.
        // The instant is set again here on purpose: GCC 12 at -O2 drops the
        // default initialisation of a member assigned inside a try block.
        stamp.instant = pt::ptime(pt::not_a_date_time);
        const pt::ptime now = pt::second_clock::local_time();
        stamp.date = dateInteger(now);
        stamp.time = timeInteger(now);
        stamp.milliseconds = 0;
        return stamp;
    }
    stamp.date = dateInteger(stamp.instant);
    stamp.time = timeInteger(stamp.instant);
    stamp.milliseconds = static_cast<int>(timestampMs % 1000);
    return stamp;
}

RecordStamp recordStampAt(const pt::ptime& start, std::uint32_t timestampMs) {
    RecordStamp stamp;
    const pt::ptime at =
        start.is_special() ? start
                           : start + pt::milliseconds(static_cast<std::int64_t>(timestampMs));
    if (!isWritableInstant(at)) {
        stamp.instant = pt::ptime(pt::not_a_date_time);
        return stamp;
    }
    stamp.instant = at;
    stamp.date = dateInteger(at);
    stamp.time = timeInteger(at);
    stamp.milliseconds = static_cast<int>(timestampMs % 1000);
    return stamp;
}

float truncateToHundredths(float value) {
    // std::trunc agrees with a cast to an integer wherever that cast is
    // defined, and stays defined for values no integer can hold.
    return static_cast<float>(std::trunc(static_cast<double>(value) * 100.0) / 100.0);
}

}  // namespace VORTA
