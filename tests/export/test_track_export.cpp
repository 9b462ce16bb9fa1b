// Track export: GPX, KML and CSV of a generated card parsed back and held
// against the generator's own route and G-sensor values, and the track's
// gaps and lost fixes on a hand-made day.

#include <cmath>
#include <sstream>
#include <vector>

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "Telemetry.h"
#include "export/TrackExport.h"

namespace {

using namespace exporttest;

struct Point {
    double lat = 0;
    double lon = 0;
    QString time;
    double speed = -1;
};

struct ParsedXml {
    bool ok = false;
    QString error;
    std::vector<Point> points;  // GPX trkpt, or KML gx:Track entries
    int segments = 0;           // GPX trkseg, or KML LineString
    int lineCoordinates = 0;    // KML: positions in the LineStrings
};

// GPX (trkpt with time and speed, in trkseg) or KML (gx:Track's when and
// coord entries, LineStrings and their coordinates).
ParsedXml parseTrack(const std::string& text, bool kml) {
    ParsedXml r;
    QXmlStreamReader xml(QString::fromStdString(text));
    std::vector<QString> whens;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QStringRef name = xml.name();
        if (name == QLatin1String(kml ? "LineString" : "trkseg")) {
            ++r.segments;
        } else if (name == QLatin1String("trkpt")) {
            Point p;
            p.lat = xml.attributes().value("lat").toDouble();
            p.lon = xml.attributes().value("lon").toDouble();
            r.points.push_back(p);
        } else if (name == QLatin1String("coord")) {
            const QStringList parts = xml.readElementText().split(' ');
            Point p;
            p.lon = parts.value(0).toDouble();
            p.lat = parts.value(1).toDouble();
            r.points.push_back(p);
        } else if (name == QLatin1String("when")) {
            whens.push_back(xml.readElementText());
        } else if (name == QLatin1String("time") && !r.points.empty()) {
            r.points.back().time = xml.readElementText();
        } else if (name == QLatin1String("speed") && !r.points.empty()) {
            r.points.back().speed = xml.readElementText().toDouble();
        } else if (name == QLatin1String("coordinates")) {
            r.lineCoordinates +=
                xml.readElementText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts).size();
        }
    }
    r.ok = !xml.hasError() && (!kml || whens.size() == r.points.size());
    r.error = xml.errorString();
    for (std::size_t i = 0; kml && i < whens.size() && i < r.points.size(); ++i) {
        r.points[i].time = whens[i];
    }
    return r;
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::size_t at = 0;
        for (std::size_t comma; (comma = line.find(',', at)) != std::string::npos; at = comma + 1) {
            cells.push_back(line.substr(at, comma - at));
        }
        cells.push_back(line.substr(at));
        rows.push_back(cells);
    }
    return rows;
}

class TrackExport : public CardSuite {};

TEST_F(TrackExport, OnePointPerFixAsTheCardRecordedIt) {
    const mkcard::Telemetry telemetry = mkcard::cardTelemetry(card_->options());
    const std::string& folder = out_;
    // Fixes at 12:00:02 ... 12:00:08; the one at 12:00:09 ends the range.
    exporting::TrackRequest request;
    request.range = {card_->day(), ms(12, 0, 2), ms(12, 0, 9), {}};
    for (const auto& [format, name] : {std::pair(exporting::TrackFormat::Gpx, "drive.gpx"),
                                       std::pair(exporting::TrackFormat::Kml, "drive.kml"),
                                       std::pair(exporting::TrackFormat::Csv, "drive.csv")}) {
        request.format = format;
        request.outPath = folder + "/" + name;
        const exporting::ExportResult r = exporting::exportTrack(request, {});
        ASSERT_TRUE(r.ok()) << r.message;
    }
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"drive.csv", "drive.gpx", "drive.kml"}));

    const ParsedXml gpx = parseTrack(readFile(folder + "/drive.gpx"), false);
    const ParsedXml kml = parseTrack(readFile(folder + "/drive.kml"), true);
    ASSERT_TRUE(gpx.ok) << gpx.error.toStdString();
    ASSERT_TRUE(kml.ok) << kml.error.toStdString();
    ASSERT_EQ(gpx.points.size(), 7u);
    ASSERT_EQ(kml.points.size(), 7u);
    EXPECT_EQ(gpx.segments, 1);
    EXPECT_EQ(kml.segments, 1);
    EXPECT_EQ(kml.lineCoordinates, 7);
    const auto rows = parseCsv(readFile(folder + "/drive.csv"));
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"date_time", "latitude", "longitude",
                                                  "speed_kmh", "gx", "gy", "gz"}));
    for (int i = 0; i < 7; ++i) {
        const int second = 2 + i;
        SCOPED_TRACE(second);
        const mkcard::GpsSample& fix = telemetry.gps[static_cast<std::size_t>(second)];
        const QString when = QString("2026-03-01T12:00:0%1").arg(second);
        for (const ParsedXml* parsed : {&gpx, &kml}) {
            const Point& p = parsed->points[static_cast<std::size_t>(i)];
            EXPECT_NEAR(p.lat, fix.latitude, 1e-6);
            EXPECT_NEAR(p.lon, fix.longitude, 1e-6);
            EXPECT_EQ(p.time, when);
        }
        EXPECT_NEAR(gpx.points[static_cast<std::size_t>(i)].speed, fix.knots * 1852.0 / 3600.0,
                    0.006);
        const std::vector<std::string>& row = rows[static_cast<std::size_t>(i) + 1];
        ASSERT_EQ(row.size(), 7u);
        EXPECT_EQ(row[0], "2026-03-01 12:00:0" + std::to_string(second) + ".000");
        EXPECT_NEAR(std::stod(row[1]), fix.latitude, 1e-6);
        EXPECT_NEAR(std::stod(row[3]), fix.knots * 1.852, 0.06);
        const mkcard::GsensorSample& g =
            telemetry.gsensor[static_cast<std::size_t>(second * mkcard::kGsensorPerSecond)];
        EXPECT_EQ(row[4], mkcard::formatCentis(mkcard::centis(g.x)));
        EXPECT_EQ(row[5], mkcard::formatCentis(mkcard::centis(g.y)));
        EXPECT_EQ(row[6], mkcard::formatCentis(mkcard::centis(g.z)));
    }
}

analysis::GpsFix fix(std::int64_t ms, double lat, double lon, bool valid = true) {
    analysis::GpsFix f;
    f.ms = ms;
    f.latitude = lat;
    f.longitude = lon;
    f.knots = 10.0;
    f.valid = valid;
    return f;
}

TEST_F(TrackExport, LostFixesAreLeftOutAndLongGapsSplitTheTrack) {
    analysis::DayData day;
    day.date = 20260301;
    const std::int64_t t0 = ms(8, 0, 0);
    day.fixes = {fix(t0, 37.5, 127.0),          fix(t0 + 1000, 37.5001, 127.0),
                 fix(t0 + 2000, 37.5002, 127.0), fix(t0 + 3000, 0.0, 0.0, false),
                 fix(t0 + 4000, 37.5004, 127.0), fix(t0 + 34000, 37.51, 127.0),
                 fix(t0 + 35000, 37.5101, 127.0), fix(t0 + 36000, 37.5102, 127.0)};
    const std::int64_t to = t0 + 36000;  // the last fix lies at the end: left out
    const ParsedXml gpx = parseTrack(exporting::gpxText(day, t0, to, "a <b> & c"), false);
    ASSERT_TRUE(gpx.ok) << gpx.error.toStdString();
    EXPECT_EQ(gpx.points.size(), 6u);
    EXPECT_EQ(gpx.segments, 2);
    const ParsedXml kml = parseTrack(exporting::kmlText(day, t0, to, "x"), true);
    ASSERT_TRUE(kml.ok) << kml.error.toStdString();
    EXPECT_EQ(kml.points.size(), 6u);
    EXPECT_EQ(kml.segments, 2);
    EXPECT_EQ(kml.lineCoordinates, 6);
    const auto rows = parseCsv(exporting::csvText(day, t0, to));
    ASSERT_EQ(rows.size(), 7u);
    // No G-sensor sample near the fixes: the columns stay empty.
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2026-03-01 08:00:00.000", "37.5000000",
                                                  "127.0000000", "18.5", "", "", ""}));
}

}  // namespace
