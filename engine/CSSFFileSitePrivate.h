#pragma once

// Shared by the site's sources (CSSFFileSite*.cpp) only: the includes they
// all need and the site's small helpers.

#include "engine/CSSFFileSite.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <utility>

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include "codecs/ACodec.h"
#include "engine/CVideoDecodeItem.h"
#include "engine/ThreadPriority.h"

namespace pt = boost::posix_time;

using ChannelGuard = std::lock_guard<std::mutex>;

namespace {

inline bool isChannel(int channel) {
    return channel >= 0 && channel < kMaxChannels;
}

inline bool hasChannel(ChannelMask mask, int channel) {
    return ((mask >> channel) & 1u) != 0;
}

// Video packet copies and GPS / G-sensor samples the site builds for a
// worker's queue; null for kinds a worker does not take.
inline std::unique_ptr<STREAMOBJECT> copyForQueue(const STREAMOBJECT& packet) {
    switch (packet.kind) {
        case STREAMOBJECT::KIND_VIDEO:
            if (const auto* video = dynamic_cast<const READVSTREAM*>(&packet)) {
                return std::make_unique<READVSTREAM>(*video);
            }
            break;
        case STREAMOBJECT::KIND_GPS:
            if (const auto* gps = dynamic_cast<const GPSDATA*>(&packet)) {
                return std::make_unique<GPSDATA>(*gps);
            }
            break;
        case STREAMOBJECT::KIND_GSENSOR:
            if (const auto* gsensor = dynamic_cast<const GSENSORDATA*>(&packet)) {
                return std::make_unique<GSENSORDATA>(*gsensor);
            }
            break;
        default:
            break;
    }
    return nullptr;
}

// Audio decoders the audio thread makes: every kind but G.723 (1), which the
// recorder never writes.
inline bool isDecodedAudioKind(int kind) {
    return kind == kAudioFFmpegMulaw || kind == kAudioAdpcm || kind == kAudioAdpcmHi ||
           kind == kAudioG711Alaw || kind == kAudioG711Ulaw;
}

inline void destroyEngineObject(IEngineObject* object) {
    void* p = object;
    DestroyVCodec(&p);
}

inline bool sameSample(const GPSDATA& a, const GPSDATA& b) {
    return a.date == b.date && a.time == b.time && a.milliseconds == b.milliseconds &&
           a.sequence == b.sequence && a.latitude == b.latitude && a.longitude == b.longitude &&
           a.speed == b.speed && a.extra == b.extra;
}

inline bool sameSample(const GSENSORDATA& a, const GSENSORDATA& b) {
    return a.date == b.date && a.time == b.time && a.milliseconds == b.milliseconds &&
           a.sequence == b.sequence && a.x == b.x && a.y == b.y && a.z == b.z && a.extra == b.extra;
}

inline void splitDate(int date, int* year, int* month, int* day) {
    *year = date / 10000;
    *month = date / 100 % 100;
    *day = date % 100;
}

}  // namespace
