#include "recording/DaySpans.h"

#include <algorithm>
#include <map>

#include <boost/date_time/posix_time/posix_time.hpp>

#include "recording/DayListing.h"
#include "recording/SSFChannelReader.h"

namespace daySpans {

namespace pt = boost::posix_time;
namespace gr = boost::gregorian;

std::vector<Span> joinSpans(std::vector<Span> spans) {
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.startMs < b.startMs; });
    std::vector<Span> joined;
    for (const Span& s : spans) {
        if (!joined.empty() && s.startMs <= joined.back().endMs + kJoinGapMs) {
            joined.back().endMs = std::max(joined.back().endMs, s.endMs);
        } else {
            joined.push_back(s);
        }
    }
    return joined;
}

std::vector<Span> recordedSpans(const std::string& dayFolder,
                                const std::function<bool()>& keepGoing) {
    const int date = dayListing::dayFolderDate(dayFolder);
    if (date == 0) {
        return {};
    }
    pt::ptime midnight;
    try {
        midnight = pt::ptime(gr::date(date / 10000, date / 100 % 100, date % 100));
    } catch (const std::exception&) {
        return {};  // 20180231 and the like: not a day
    }
    // Files by their start name (hhmmss), each list in name order.
    std::map<std::string, std::vector<std::string>> byStart;
    for (const std::string& name : dayListing::recordingNames(dayFolder)) {
        if (name.size() >= 6) {
            byStart[name.substr(0, 6)].push_back(dayFolder + "/" + name);
        }
    }
    // fileEnd() reads only the files it is given; the reader's channel and
    // parameters do not matter for it.
    const SSFChannelReader reader(0, SourceParams{});
    std::vector<Span> spans;
    for (const auto& entry : byStart) {
        bool found = false;
        Span span;
        for (const std::string& path : entry.second) {
            if (keepGoing && !keepGoing()) {
                return {};
            }
            if (!dayListing::isListedSize(path)) {
                continue;
            }
            const pt::ptime start = SSFChannelReader::nameInstant(path);
            if (start.is_not_a_date_time() || start < midnight) {
                break;  // the name is no time of this day: no file of it is
            }
            const std::int64_t startMs = (start - midnight).total_milliseconds();
            if (startMs >= kDayMs) {
                break;
            }
            span.startMs = startMs;
            span.endMs = startMs;
            found = true;
            const pt::ptime end = reader.fileEnd(path);
            if (!end.is_not_a_date_time() && end >= start) {
                span.endMs = std::min(kDayMs, (end - midnight).total_milliseconds());
                break;
            }
        }
        if (found) {
            spans.push_back(span);
        }
    }
    return joinSpans(std::move(spans));
}

}  // namespace daySpans
