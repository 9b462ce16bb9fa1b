#include "analysis/Shocks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <string_view>

#include "analysis/Track.h"

namespace analysis {

namespace {

// The resting vector is the median of the per-minute medians of the minutes
// within this many minutes either side.
constexpr std::int64_t kRestBlockMs = 60'000;
constexpr std::int64_t kRestHalfWindowBlocks = 5;
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

float medianOf(std::vector<float>* v) {
    const auto mid = v->begin() + static_cast<std::ptrdiff_t>(v->size() / 2);
    std::nth_element(v->begin(), mid, v->end());
    return *mid;
}

struct Block {
    std::int64_t index = 0;  // minute of the day (may be negative or past 1439)
    std::size_t first = 0;   // its samples [first, last)
    std::size_t last = 0;
    float median[3] = {0.0f, 0.0f, 0.0f};
    float rest[3] = {0.0f, 0.0f, 0.0f};
};

// The minutes that hold samples, with their medians and resting vectors.
std::vector<Block> restBlocks(const std::vector<GsensorSample>& samples) {
    std::vector<Block> blocks;
    std::vector<float> scratch;
    for (std::size_t i = 0; i < samples.size();) {
        Block b;
        b.index = floorDiv(samples[i].ms, kRestBlockMs);
        b.first = i;
        while (i < samples.size() && floorDiv(samples[i].ms, kRestBlockMs) == b.index) {
            ++i;
        }
        b.last = i;
        for (int a = 0; a < 3; ++a) {
            scratch.clear();
            for (std::size_t k = b.first; k < b.last; ++k) {
                scratch.push_back(samples[k].axis[a]);
            }
            b.median[a] = medianOf(&scratch);
        }
        blocks.push_back(b);
    }
    std::size_t lo = 0;
    std::size_t hi = 0;
    for (Block& b : blocks) {
        while (blocks[lo].index < b.index - kRestHalfWindowBlocks) {
            ++lo;
        }
        while (hi < blocks.size() && blocks[hi].index <= b.index + kRestHalfWindowBlocks) {
            ++hi;
        }
        for (int a = 0; a < 3; ++a) {
            scratch.clear();
            for (std::size_t k = lo; k < hi; ++k) {
                scratch.push_back(blocks[k].median[a]);
            }
            b.rest[a] = medianOf(&scratch);
        }
    }
    return blocks;
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
        threshold[a] =
            std::isfinite(thresholds.g[a]) ? std::max(thresholds.g[a], kMinThresholdG) : 1.3;
    }

    const std::vector<Block> blocks = restBlocks(samples);
    std::size_t block = 0;

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
        while (blocks[block].last <= i) {
            ++block;
        }
        const float* rest = blocks[block].rest;

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
