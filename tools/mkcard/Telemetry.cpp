#include "Telemetry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Rng.h"

namespace mkcard {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kKnotInMs = 0.514444;
constexpr double kGravity = 9.80665;
constexpr int kShockSamples = 12;

}  // namespace

Telemetry makeTelemetry(uint64_t seed, int totalSeconds) {
    Telemetry t;
    Rng rng(seed ^ 0x7E1E3E7A5ull);
    const double lat0 = 37.5665 + rng.uniform(-0.02, 0.02);
    const double lon0 = 126.9780 + rng.uniform(-0.02, 0.02);
    double lat = lat0;
    double lon = lon0;
    double heading = rng.uniform(0, 360);
    double speed = 0;
    double target = 0;
    int hold = rng.range(3, 10);
    int turnLeft = 0;
    double turnRate = 0;
    uint32_t satellites = static_cast<uint32_t>(rng.range(7, 11));

    // Per second: acceleration (knots/s) and yaw rate (degrees/s) for the G-sensor.
    std::vector<double> accel(totalSeconds), yaw(totalSeconds), speeds(totalSeconds);
    t.gps.resize(totalSeconds);
    for (int s = 0; s < totalSeconds; ++s) {
        t.gps[s] = {lat, lon, speed, satellites};
        speeds[s] = speed;
        if (--hold <= 0) {
            target = rng.uniform() < 0.2 ? 0.0 : rng.uniform(12, 48);
            hold = target == 0 ? rng.range(8, 30) : rng.range(20, 80);
        }
        const double a = std::clamp(target - speed, -3.0, 1.6) + rng.gauss() * 0.15;
        const double next = std::max(0.0, speed + a);
        double turn = rng.gauss() * 0.4;
        if (turnLeft == 0 && speed > 4 && rng.uniform() < 0.025) {
            turnLeft = rng.range(4, 8);
            turnRate = (rng.uniform() < 0.5 ? -90.0 : 90.0) / turnLeft;
        }
        if (turnLeft > 0) {
            turn = turnRate;
            --turnLeft;
        } else if (std::hypot(lat - lat0, lon - lon0) > 0.12) {
            // Far from the start: bend the route back toward it.
            const double home = std::atan2(lon0 - lon, lat0 - lat) * 180 / kPi;
            const double diff = std::remainder(home - heading, 360.0);
            turn = std::clamp(diff, -6.0, 6.0);
        }
        heading = std::fmod(heading + turn + 360.0, 360.0);
        const double nm = (speed + next) / 2 / 3600.0;
        if (s + 1 < totalSeconds) {
            t.routeMetres += nm * 1852.0;
        }
        lat += nm * std::cos(heading * kPi / 180) / 60.0;
        lon += nm * std::sin(heading * kPi / 180) / (60.0 * std::cos(lat * kPi / 180));
        accel[s] = next - speed;
        yaw[s] = turn;
        speed = next;
        if (rng.uniform() < 0.01) {
            satellites = static_cast<uint32_t>(rng.range(6, 12));
        }
    }

    const int count = totalSeconds * kGsensorPerSecond;
    t.gsensor.resize(count);
    for (int i = 0; i < count; ++i) {
        const int s = i / kGsensorPerSecond;
        const double v = speeds[s] * kKnotInMs;
        const double vibration = 0.01 + 0.0006 * speeds[s];
        GsensorSample& g = t.gsensor[i];
        g.x = static_cast<float>(v * yaw[s] * kPi / 180 / kGravity + rng.gauss() * vibration);
        g.y = static_cast<float>(accel[s] * kKnotInMs / kGravity + rng.gauss() * vibration);
        g.z = static_cast<float>(1.0 + rng.gauss() * vibration);
    }

    // Shocks: one per started three minutes, each in its own share of the card.
    Rng shockRng(seed ^ 0x5C0C4ull);
    const int shocks = std::max(1, (totalSeconds + 179) / 180);
    const int share = count / shocks;
    auto straight = [&](int sample) {
        const int s = sample / kGsensorPerSecond;
        for (int d = std::max(0, s - 3); d <= std::min(totalSeconds - 1, s + 3); ++d) {
            if (std::fabs(yaw[d]) > 2.0) {
                return false;
            }
        }
        return true;
    };
    for (int k = 0; k < shocks && share > 0; ++k) {
        const int first = k * share;
        const int jitter = share / 6;
        int onset = first + share / 2 + (jitter > 0 ? shockRng.range(-jitter, jitter) : 0);
        // The nearest straight stretch within the middle half of the share.
        for (int step = 0; step < share / 4; ++step) {
            if (onset + step < first + share && straight(onset + step)) {
                onset += step;
                break;
            }
            if (onset - step >= first && straight(onset - step)) {
                onset -= step;
                break;
            }
        }
        const int axis = shockRng.range(0, 2);
        const double peak = shockRng.uniform(1.5, 3.0) * (shockRng.uniform() < 0.5 ? -1 : 1);
        t.shocks.push_back({onset, axis, peak});
        for (int j = 0; j < kShockSamples && onset + j < count; ++j) {
            GsensorSample& g = t.gsensor[onset + j];
            const float add =
                static_cast<float>(peak * std::exp(-j / 3.0) * std::cos(j * kPi * 0.6));
            (axis == 0 ? g.x : axis == 1 ? g.y : g.z) += add;
            g.event = 1;
        }
    }
    return t;
}

int centis(float value) {
    return static_cast<int>(static_cast<double>(value) * 100.0);
}

std::string formatCentis(int hundredths) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d.%02d", hundredths < 0 ? "-" : "",
                  std::abs(hundredths) / 100, std::abs(hundredths) % 100);
    return buf;
}

std::string mlogLine(const CivilTime& instant, int millisecond, uint32_t sequence,
                     const GsensorSample& sample) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "[GS][%06u][%s-%s][%03d][7,2][X:%s,Y:%s,Z:%s,E:%d]", sequence,
                  dateDigits(instant).c_str(), timeDigits(instant).c_str(), millisecond,
                  formatCentis(centis(sample.x)).c_str(), formatCentis(centis(sample.y)).c_str(),
                  formatCentis(centis(sample.z)).c_str(), sample.event);
    return buf;
}

}  // namespace mkcard
