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

}  // namespace

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
    if (t.is_special()) {
        return 0;
    }
    const gr::date::ymd_type ymd = t.date().year_month_day();
    return (static_cast<int>(ymd.year) * 100 + ymd.month) * 100 + ymd.day;
}

int timeInteger(const pt::ptime& t) {
    if (t.is_special()) {
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

float truncateToHundredths(float value) {
    // std::trunc agrees with a cast to an integer wherever that cast is
    // defined, and stays defined for values no integer can hold.
    return static_cast<float>(std::trunc(static_cast<double>(value) * 100.0) / 100.0);
}

}  // namespace VORTA
