#include "app/CDayOverview.h"

#include <QHBoxLayout>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "app/UCDayPanel.h"
#include "setup/ShockSettingBox.h"
#include "views/MapView.h"
#include "views/SpeedPlot.h"

const char* const CDayOverview::kThresholdKey = ShockSettingBox::kKey;

CDayOverview::CDayOverview(QObject* parent) : QObject(parent) {
    m_job = new CDayAnalysisJob(this);
    connect(m_job, &CDayAnalysisJob::signalStarted, this, &CDayOverview::onStarted);
    connect(m_job, &CDayAnalysisJob::signalFinished, this, &CDayOverview::onFinished);

    auto* panel = new UCDayPanel();
    m_panel = panel;
    connect(panel, &UCDayPanel::signalEventClicked, this, [this](int index) {
        const QDateTime at = eventStart(index);
        if (at.isValid()) {
            emit signalPlayFrom(at);
        }
    });

    auto* tab = new QWidget();
    m_speedTab = tab;
    tab->setObjectName("tabSpeed");
    auto* box = new QHBoxLayout(tab);
    box->setContentsMargins(0, 0, 0, 0);
    auto* plot = new SpeedPlot(tab);
    m_speedPlot = plot;
    plot->setObjectName("SpeedGraphWidget");
    plot->setStyleSheet("color:white; font: 10pt \"Tahoma\";");
    box->addWidget(plot);
    connect(plot, &SpeedPlot::signalSpeedSearch, this, &CDayOverview::onSpeedPicked);

    m_thresholdG = storedThresholdG();
}

CDayOverview::~CDayOverview() {
    // The worker first: nothing it hands back may meet a half-gone window.
    m_job->cancel();
    if (m_panel && m_panel->parent() == nullptr) {
        delete m_panel.data();
    }
    if (m_speedTab && m_speedTab->parent() == nullptr) {
        delete m_speedTab.data();
    }
}

double CDayOverview::storedThresholdG() {
    const double g = QSettings("QUENDRA", "Korvel").value(kThresholdKey, 0.0).toDouble();
    return std::isfinite(g) && g > 0.0 ? g : 0.0;
}

CDayAnalysisJob::Settings CDayOverview::settings() const {
    CDayAnalysisJob::Settings s;
    s.useMph = m_useMph;
    s.thresholdG = m_thresholdG;
    return s;
}

void CDayOverview::addMap(CMapView* map) {
    if (map == nullptr) {
        return;
    }
    m_maps.append(map);
    connect(map, &CMapView::signalRouteClicked, this, &CDayOverview::onRouteClicked);
    map->setRoute(m_route);
}

void CDayOverview::openDay(const QString& dayFolder) {
    m_job->open(dayFolder, settings());
}

void CDayOverview::setUseMph(bool mph) {
    if (mph == m_useMph) {
        return;
    }
    m_useMph = mph;
    m_job->restyle(settings());
}

void CDayOverview::reloadSettings() {
    const double g = storedThresholdG();
    if (g == m_thresholdG) {
        return;
    }
    m_thresholdG = g;
    m_job->restyle(settings());
}

std::shared_ptr<const analysis::DayAnalysis> CDayOverview::day() const {
    const std::shared_ptr<const DayShown> shown = m_job->result();
    return shown ? shown->day : nullptr;
}

void CDayOverview::onStarted() {
    // A restyle keeps the day on screen until its new look is ready.
    if (!m_job->result() || m_job->result()->day == nullptr ||
        m_job->result()->day->dayFolder != m_job->dayFolder().toStdString()) {
        m_panel->showReading();
        m_route.clear();
        for (const QPointer<CMapView>& map : m_maps) {
            if (map) {
                map->setRoute(m_route);
            }
        }
        m_speedPlot->setHour(m_speedPlot->hourStart(), {}, QString());
        m_shownHour = -1;
        emit signalEventsChanged();
    }
}

void CDayOverview::onFinished() {
    const std::shared_ptr<const DayShown> shown = m_job->result();
    m_panel->showDay(shown ? shown->day : nullptr, m_useMph);
    m_route = shown ? shown->routeJson : QString();
    for (const QPointer<CMapView>& map : m_maps) {
        if (map) {
            map->setRoute(m_route);
        }
    }
    // The speed graph shows the hour playing, else the first hour with fixes.
    int hour = m_shownHour;
    m_shownHour = -1;
    const auto d = day();
    if (hour < 0 && d && !d->data.fixes.empty()) {
        hour = static_cast<int>(std::clamp<qint64>(d->data.fixes.front().ms / 3'600'000, 0, 23));
    }
    showHour(std::max(hour, 0));
    emit signalEventsChanged();
}

QDateTime CDayOverview::dateTimeOf(qint64 msOfDay) const {
    const auto d = day();
    if (!d || d->data.date == 0) {
        return QDateTime();
    }
    const QDate date(d->data.date / 10000, d->data.date / 100 % 100, d->data.date % 100);
    return QDateTime(date, QTime(0, 0)).addMSecs(msOfDay);
}

QVector<DayEventMark> CDayOverview::eventMarks() const {
    QVector<DayEventMark> marks;
    const auto d = day();
    if (!d) {
        return marks;
    }
    const double perKnot = m_useMph ? analysis::kMphPerKnot : analysis::kKmhPerKnot;
    for (const analysis::ShockEvent& e : d->events) {
        const QTime at = dateTimeOf(e.ms).time();
        QString text = tr("%1 shock %2 g (%3)")
                           .arg(at.toString("hh:mm:ss"))
                           .arg(std::fabs(e.peakG), 0, 'f', 2)
                           .arg(QLatin1String(analysis::axisName(e.axis)));
        if (e.hasFix) {
            text += tr(", %1 %2")
                        .arg(std::lround(e.knots * perKnot))
                        .arg(m_useMph ? tr("mph") : tr("km/h"));
        }
        marks.append({e.ms, text});
    }
    return marks;
}

QDateTime CDayOverview::eventStart(int index) const {
    const auto d = day();
    if (!d || index < 0 || index >= static_cast<int>(d->events.size())) {
        return QDateTime();
    }
    return dateTimeOf(d->events[static_cast<std::size_t>(index)].ms - kLeadInMs);
}

void CDayOverview::onRouteClicked(double latitude, double longitude) {
    const auto d = day();
    if (!d) {
        return;
    }
    const std::ptrdiff_t i = analysis::nearestFix(d->data.fixes, latitude, longitude);
    if (i >= 0) {
        emit signalSeekTo(dateTimeOf(d->data.fixes[static_cast<std::size_t>(i)].ms));
    }
}

void CDayOverview::onSpeedPicked(const QTime& time) {
    const QDateTime start = m_speedPlot->hourStart();
    if (day() && start.isValid()) {
        emit signalSeekTo(QDateTime(start.date(), time));
    }
}

void CDayOverview::showHour(int hour) {
    if (hour == m_shownHour) {
        return;
    }
    m_shownHour = hour;
    const auto d = day();
    const QDateTime start = dateTimeOf(static_cast<qint64>(hour) * 3'600'000);
    if (!d || !start.isValid()) {
        return;
    }
    const double perKnot = m_useMph ? analysis::kMphPerKnot : analysis::kKmhPerKnot;
    const qint64 from = static_cast<qint64>(hour) * 3'600'000;
    const auto [first, last] = analysis::fixesBetween(d->data.fixes, from, from + 3'600'000);
    QVector<QPointF> points;
    points.reserve(static_cast<int>(last - first));
    for (std::size_t i = first; i < last; ++i) {
        const analysis::GpsFix& f = d->data.fixes[i];
        if (f.valid) {
            points.append(QPointF((f.ms - from) / 1000.0, f.knots * perKnot));
        }
    }
    m_speedPlot->setHour(start, points, m_useMph ? tr("mph") : tr("km/h"));
}

void CDayOverview::setPlayPosition(const QDateTime& playing) {
    const auto d = day();
    const QDateTime midnight = dateTimeOf(0);
    if (!d || !playing.isValid() || !midnight.isValid() || playing.date() != midnight.date()) {
        m_speedPlot->setPlayPosition(-1.0);
        return;
    }
    const QTime t = playing.time();
    showHour(t.hour());
    m_speedPlot->setPlayPosition(t.minute() * 60 + t.second() + t.msec() / 1000.0);
}
