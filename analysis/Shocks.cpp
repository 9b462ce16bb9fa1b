#include "analysis/Shocks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <string_view>

#include "analysis/Track.h"

namespace analysis {

namespace {

// The resting vector is the median of the samples within this far either
// side, computed once per block of the day.
constexpr std::int64_t kRestHalfWindowMs = 300'000;
constexpr std::int64_t kRestBlockMs = 60'000;
// Speed and position of an event come from fixes this close.
constexpr std::int64_t kEventFixGapMs = 2'000;
constexpr double kMinThresholdG = 0.01;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Per-axis medians of samples [first, last).
void medians(const std::vector<GsensorSample>& samples, std::size_t first, std::size_t last,
             std::vector<float>* scratch, float rest[3]) {
    for (int a = 0; a < 3; ++a) {
        scratch->clear();
        for (std::size_t i = first; i < last; ++i) {
            scratch->push_back(samples[i].axis[a]);
        }
        if (scratch->empty()) {
            rest[a] = 0.0f;
            continue;
        }
        const auto mid = scratch->begin() + static_cast<std::ptrdiff_t>(scratch->size() / 2);
        std::nth_element(scratch->begin(), mid, scratch->end());
        rest[a] = *mid;
    }
}

}  // namespace

const char* axisName(int axis) {
    static const char* const kNames[3] = {"X", "Y", "Z"};
    return kNames[std::clamp(axis, 0, 2)];
}

double thresholdForLevel(int level) {
    const int l = std::clamp(level, kMinShockLevel, kMaxShockLevel);
    return 0.3 + 0.2 * (kMaxShockLevel - l);
}

ShockLevels readShockLevels(const std::string& cardRoot) {
    ShockLevels levels;
    std::ifstream in(cardRoot + "/DVRSETUP.INI", std::ios::binary);
    static const char* const kKeys[3] = {"SHOCK_DRIVE_X", "SHOCK_DRIVE_Y", "SHOCK_DRIVE_Z"};
    bool topLevel = true;
    std::string line;
    int lines = 0;
    // A setup file is a few hundred lines; a huge file is no setup file.
    while (lines++ < 10000 && std::getline(in, line)) {
        const std::string_view s = trimmed(line);
        if (s.empty() || s.front() == ';' || s.front() == '#') {
            continue;
        }
        if (s.front() == '[') {
            topLevel = s == "[General]";
            continue;
        }
        const std::size_t equals = s.find('=');
        if (!topLevel || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(s.substr(0, equals));
        std::string_view value = trimmed(s.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        for (int a = 0; a < 3; ++a) {
            if (key != kKeys[a]) {
                continue;
            }
            int v = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), v);
            if (error == std::errc() && end == value.data() + value.size()) {
                levels.level[a] = v;
                levels.fromCard = true;
            }
        }
    }
    return levels;
}

ShockThresholds ShockThresholds::fromLevels(const ShockLevels& levels) {
    ShockThresholds t;
    for (int a = 0; a < 3; ++a) {
        t.g[a] = thresholdForLevel(levels.level[a]);
    }
    return t;
}

ShockThresholds ShockThresholds::uniform(double g) {
    ShockThresholds t;
    const double v = std::isfinite(g) ? std::max(g, kMinThresholdG) : 1.3;
    for (double& axis : t.g) {
        axis = v;
    }
    return t;
}

std::vector<ShockEvent> detectShocks(const std::vector<GsensorSample>& samples,
                                     const std::vector<GpsFix>& fixes,
                                     const ShockThresholds& thresholds,
                                     const std::atomic<bool>* cancel) {
    std::vector<ShockEvent> events;
    double threshold[3];
    for (int a = 0; a < 3; ++a) {
        threshold[a] = std::isfinite(thresholds.g[a]) ? std::max(thresholds.g[a], kMinThresholdG)
                                                      : 1.3;
    }

    std::vector<float> scratch;
    std::int64_t restBlock = 0;
    bool haveRest = false;
    float rest[3] = {0.0f, 0.0f, 0.0f};
    std::size_t windowFirst = 0;
    std::size_t windowLast = 0;

    bool open = false;
    std::int64_t lastExceedMs = 0;
    double bestScore = 0.0;
    std::size_t best = 0;
    int bestAxis = 0;
    float bestDeviation = 0.0f;
    auto close = [&]() {
        ShockEvent e;
        e.ms = samples[best].ms;
        e.axis = bestAxis;
        e.peakG = bestDeviation;
        e.fromLog = samples[best].fromLog;
        GpsFix at;
        if (fixAt(fixes, e.ms, kEventFixGapMs, &at)) {
            e.hasFix = true;
            e.latitude = at.latitude;
            e.longitude = at.longitude;
            e.knots = at.knots;
        }
        events.push_back(e);
        open = false;
    };

    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % 4096 == 0 && cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return {};
        }
        const GsensorSample& s = samples[i];
        const std::int64_t block = floorDiv(s.ms, kRestBlockMs);
        if (!haveRest || block != restBlock) {
            const std::int64_t centre = block * kRestBlockMs + kRestBlockMs / 2;
            // Blocks only move forward, and so does the window.
            while (windowFirst < samples.size() &&
                   samples[windowFirst].ms < centre - kRestHalfWindowMs) {
                ++windowFirst;
            }
            windowLast = std::max(windowLast, windowFirst);
            while (windowLast < samples.size() && samples[windowLast].ms < centre + kRestHalfWindowMs) {
                ++windowLast;
            }
            medians(samples, windowFirst, windowLast, &scratch, rest);
            restBlock = block;
            haveRest = true;
        }

        double score = 0.0;
        int axis = 0;
        float deviation = 0.0f;
        for (int a = 0; a < 3; ++a) {
            const float d = s.axis[a] - rest[a];
            const double r = std::fabs(d) / threshold[a];
            if (r > score) {
                score = r;
                axis = a;
                deviation = d;
            }
        }
        if (score <= 1.0) {
            continue;
        }
        if (open && s.ms - lastExceedMs >= kShockMergeMs) {
            close();
        }
        if (!open || score > bestScore) {
            bestScore = score;
            best = i;
            bestAxis = axis;
            bestDeviation = deviation;
        }
        open = true;
        lastExceedMs = s.ms;
    }
    if (open) {
        close();
    }
    return events;
}

}  // namespace analysis
