#pragma once

// Track export: the GPS fixes of a stretch of a day, as the analysis reads
// them (analysis/DayReader.h), in three formats:
//
//   GPX 1.1  one <trkpt> per fix with its <time> and its speed in m/s in a
//            Garmin TrackPointExtension v2 <gpxtpx:speed>; a new <trkseg>
//            where the recorder lost its fix for more than 10 s or the
//            receiver jumped (see analysis/Track.h).
//   KML 2.2  a Placemark with a <gx:Track> (a <when> and a <gx:coord> per
//            fix, the speed in km/h as extended data) and a Placemark with
//            the route as a <LineString> (a <MultiGeometry> of them when the
//            track has gaps).
//   CSV      a header line, then per fix: date time, latitude, longitude,
//            speed km/h, and the G-sensor's gx, gy, gz (g) of the sample
//            nearest the fix within 0.5 s (empty when none).
//
// Fixes without a position (the receiver had no fix) are left out. Times are
// the recorder's clock as it stands, written without a zone ("2026-03-01T
// 12:00:05"), since the recorder stores none. Numbers use "." whatever the
// locale. The file is written under a temporary name and renamed when
// complete.
//
// Threading: see ExportTypes.h; the text builders are free functions.

#include <string>

#include "analysis/DayData.h"
#include "export/ExportTypes.h"

namespace exporting {

enum class TrackFormat { Gpx, Kml, Csv };

struct TrackRequest {
    ExportRange range;  // channels are not used
    TrackFormat format = TrackFormat::Gpx;
    std::string outPath;
    // The day's samples when the caller has them already; read when null.
    const analysis::DayData* day = nullptr;
};

// The texts, for fixes with fromMs <= time < toMs; `name` titles the track.
std::string gpxText(const analysis::DayData& day, std::int64_t fromMs, std::int64_t toMs,
                    const std::string& name);
std::string kmlText(const analysis::DayData& day, std::int64_t fromMs, std::int64_t toMs,
                    const std::string& name);
std::string csvText(const analysis::DayData& day, std::int64_t fromMs, std::int64_t toMs);

ExportResult exportTrack(const TrackRequest& request, const ExportControl& control);

}  // namespace exporting
