// Feeds arbitrary bytes to the G-sensor log parser as a whole log, and each
// line once more on its own: no crash, no write outside the hour, only finite
// values, and a usable line always lands inside the hour.

#include <QByteArray>
#include <QList>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "views/GsensorLog.h"

namespace {

GsensorHourBuffer g_buffer;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const bool stored = parseGsensorLog(content, &g_buffer);
    bool nonZero = false;
    for (double v : g_buffer.values) {
        if (!std::isfinite(v)) {
            __builtin_trap();
        }
        nonZero = nonZero || v != 0.0;
    }
    if (nonZero && !stored) {
        __builtin_trap();
    }

    for (const QByteArray& line : content.split('\n')) {
        GsensorLogLine parsed;
        if (parseGsensorLogLine(line, &parsed) &&
            (parsed.secondOfHour < 0 || parsed.secondOfHour >= 3600)) {
            __builtin_trap();
        }
    }
    return 0;
}
