#include "export/TrackExport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "analysis/DayReader.h"
#include "analysis/Track.h"
#include "export/CardLabels.h"
#include "export/StagedFile.h"

namespace exporting {

namespace {

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
// A G-sensor sample further from a fix than this does not belong to it.
constexpr std::int64_t kGsensorMatchMs = 500;

std::string xmlEscaped(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                // Control characters have no place in XML 1.0 text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') {
                    out += c;
                }
        }
    }
    return out;
}

std::string isoTime(int dayDate, std::int64_t ms) {
    std::string t = formatDayTime(dayDate, ms, ms % 1000 != 0);
    t[10] = 'T';
    return t;
}

// The valid fixes of the range, cut into runs where the recorder lost its fix
// for long or the receiver jumped.
std::vector<std::vector<const analysis::GpsFix*>> segments(const analysis::DayData& day,
                                                           std::int64_t fromMs,
                                                           std::int64_t toMs) {
    std::vector<std::vector<const analysis::GpsFix*>> runs;
    const auto [first, last] = analysis::fixesBetween(day.fixes, fromMs, toMs);
    const analysis::GpsFix* previous = nullptr;
    for (std::size_t i = first; i < last; ++i) {
        const analysis::GpsFix& f = day.fixes[i];
        if (!f.valid) {
            continue;
        }
        if (previous == nullptr || f.ms - previous->ms > analysis::kMaxStepGapMs ||
            !analysis::isPlausibleStep(*previous, f)) {
            runs.emplace_back();
        }
        runs.back().push_back(&f);
        previous = &f;
    }
    return runs;
}

const analysis::GsensorSample* nearestSample(const std::vector<analysis::GsensorSample>& samples,
                                             std::int64_t ms) {
    const auto it = std::lower_bound(
        samples.begin(), samples.end(), ms,
        [](const analysis::GsensorSample& s, std::int64_t t) { return s.ms < t; });
    const analysis::GsensorSample* best = nullptr;
    if (it != samples.end()) {
        best = &*it;
    }
    if (it != samples.begin()) {
        const analysis::GsensorSample* before = &*(it - 1);
        if (best == nullptr || ms - before->ms <= best->ms - ms) {
            best = before;
        }
    }
    if (best == nullptr || std::llabs(best->ms - ms) > kGsensorMatchMs) {
        return nullptr;
    }
    return best;
}

std::string coord(double v) {
    return fixedText(v, 7);
}

}  // namespace

std::string gpxText(const analysis::DayData& day, std::int64_t fromMs, std::int64_t toMs,
                    const std::string& name) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<gpx version=\"1.1\" creator=\"Korvel\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
         "     xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\"\n"
         "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
         "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
         "http://www.topografix.com/GPX/1/1/gpx.xsd "
         "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
         "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n";
    s += "  <metadata>\n    <name>" + xmlEscaped(name) + "</name>\n    <time>" +
         isoTime(day.date, fromMs) + "</time>\n  </metadata>\n";
    s += "  <trk>\n    <name>" + xmlEscaped(name) + "</name>\n";
    for (const auto& run : segments(day, fromMs, toMs)) {
        s += "    <trkseg>\n";
        for (const analysis::GpsFix* f : run) {
            s += "      <trkpt lat=\"" + coord(f->latitude) + "\" lon=\"" + coord(f->longitude) +
                 "\"><time>" + isoTime(day.date, f->ms) +
                 "</time><extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" +
                 fixedText(f->knots * kMetresPerSecondPerKnot, 2) +
                 "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions></trkpt>\n";
        }
        s += "    </trkseg>\n";
    }
    s += "  </trk>\n</gpx>\n";
    return s;
}

std::string kmlText(const analysis::DayData& day, std::int64_t fromMs, std::int64_t toMs,
                    const std::string& name) {
    const auto runs = segments(day, fromMs, toMs);
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
         "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n<Document>\n";
    s += "  <name>" + xmlEscaped(name) + "</name>\n";
    s += "  <Style id=\"route\"><LineStyle><color>ff0000ff</color><width>4</width></LineStyle>"
         "</Style>\n";
    s += "  <Schema id=\"drive\"><gx:SimpleArrayField name=\"speed_kmh\" type=\"float\">"
         "<displayName>Speed (km/h)</displayName></gx:SimpleArrayField></Schema>\n";
    s += "  <Placemark>\n    <name>Track</name>\n    <styleUrl>#route</styleUrl>\n    <gx:Track>\n";
    s += "      <altitudeMode>clampToGround</altitudeMode>\n";
    for (const auto& run : runs) {
        for (const analysis::GpsFix* f : run) {
            s += "      <when>" + isoTime(day.date, f->ms) + "</when>\n";
        }
    }
    for (const auto& run : runs) {
        for (const analysis::GpsFix* f : run) {
            s += "      <gx:coord>" + coord(f->longitude) + " " + coord(f->latitude) +
                 " 0</gx:coord>\n";
        }
    }
    s += "      <ExtendedData><SchemaData schemaUrl=\"#drive\"><gx:SimpleArrayData "
         "name=\"speed_kmh\">\n";
    for (const auto& run : runs) {
        for (const analysis::GpsFix* f : run) {
            s += "        <gx:value>" + fixedText(f->knots * analysis::kKmhPerKnot, 1) +
                 "</gx:value>\n";
        }
    }
    s += "      </gx:SimpleArrayData></SchemaData></ExtendedData>\n    </gx:Track>\n  </Placemark>\n";
    s += "  <Placemark>\n    <name>Route</name>\n    <styleUrl>#route</styleUrl>\n";
    const bool multi = runs.size() != 1;
    if (multi) {
        s += "    <MultiGeometry>\n";
    }
    for (const auto& run : runs) {
        s += "    <LineString><tessellate>1</tessellate><coordinates>\n";
        for (const analysis::GpsFix* f : run) {
            s += "      " + coord(f->longitude) + "," + coord(f->latitude) + ",0\n";
        }
        s += "    </coordinates></LineString>\n";
    }
    if (multi) {
        s += "    </MultiGeometry>\n";
    }
    s += "  </Placemark>\n</Document>\n</kml>\n";
    return s;
}

std::string csvText(const analysis::DayData& day, std::int64_t fromMs, std::int64_t toMs) {
    std::string s = "date_time,latitude,longitude,speed_kmh,gx,gy,gz\n";
    for (const auto& run : segments(day, fromMs, toMs)) {
        for (const analysis::GpsFix* f : run) {
            s += formatDayTime(day.date, f->ms, true) + "," + coord(f->latitude) + "," +
                 coord(f->longitude) + "," + fixedText(f->knots * analysis::kKmhPerKnot, 1);
            if (const analysis::GsensorSample* g = nearestSample(day.gsensor, f->ms)) {
                for (const float a : g->axis) {
                    s += "," + fixedText(a, 2);
                }
            } else {
                s += ",,,";
            }
            s += "\n";
        }
    }
    return s;
}

ExportResult exportTrack(const TrackRequest& request, const ExportControl& control) {
    int dayDate = 0;
    std::string error;
    if (!checkRange(request.range, &dayDate, &error)) {
        return ExportResult::failed(error);
    }
    ProgressThrottle progress(control);
    progress.report(0.0);
    analysis::DayData read;
    const analysis::DayData* day = request.day;
    if (day == nullptr) {
        analysis::ReadOptions options;
        // The CSV's G-sensor columns take the hourly logs where no recording
        // has samples, as the viewer's graph does.
        options.useLogs = request.format == TrackFormat::Csv;
        const std::atomic<bool> never{false};
        if (!analysis::readDay(request.range.dayFolder, options,
                               control.cancel != nullptr ? control.cancel : &never, &read)) {
            return control.cancelled() ? ExportResult::cancelled()
                                       : ExportResult::failed("Cannot read " +
                                                              request.range.dayFolder);
        }
        day = &read;
    }
    if (control.cancelled()) {
        return ExportResult::cancelled();
    }
    progress.report(0.8);
    const std::int64_t from = request.range.fromMs;
    const std::int64_t to = request.range.toMs;
    const auto [first, last] = analysis::fixesBetween(day->fixes, from, to);
    if (std::none_of(day->fixes.begin() + static_cast<std::ptrdiff_t>(first),
                     day->fixes.begin() + static_cast<std::ptrdiff_t>(last),
                     [](const analysis::GpsFix& f) { return f.valid; })) {
        return ExportResult::failed("No GPS fix between " + formatDayTime(dayDate, from) +
                                    " and " + formatDayTime(dayDate, to).substr(11));
    }
    const CardLabels labels = readCardLabels(analysis::cardRootOf(request.range.dayFolder));
    std::string name = formatDayTime(dayDate, from) + " to " + formatDayTime(dayDate, to).substr(11);
    if (!labels.vehicleNumber.empty()) {
        name = labels.vehicleNumber + " " + name;
    }
    std::string text;
    switch (request.format) {
        case TrackFormat::Gpx: text = gpxText(*day, from, to, name); break;
        case TrackFormat::Kml: text = kmlText(*day, from, to, name); break;
        case TrackFormat::Csv: text = csvText(*day, from, to); break;
    }
    StagedFile out(request.outPath);
    if (!out.create(&error)) {
        return ExportResult::failed(error);
    }
    std::FILE* f = std::fopen(out.tempPath().c_str(), "wb");
    if (f == nullptr) {
        return ExportResult::failed(StagedFile::writeError(out.finalPath(), errno));
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const int writeErr = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        return ExportResult::failed(
            StagedFile::writeError(out.finalPath(), !written ? writeErr : errno));
    }
    if (!out.commit(&error)) {
        return ExportResult::failed(error);
    }
    progress.report(1.0);
    ExportResult result;
    result.status = Status::Ok;
    result.files.push_back(out.finalPath());
    return result;
}

}  // namespace exporting
