#pragma once

// What the main window shows of the opened day beside the video: the trip
// summary and the "Events" list (UCDayPanel, in the left bar), the "Speed"
// tab (SpeedPlot, beside "Graph"), and the route on every map. The day is
// analysed by a CDayAnalysisJob off the GUI thread when it opens; until then
// the panel says it is reading.
//
// It asks the window to move playback through two signals: signalPlayFrom
// (seek there and play: an event, 5 s before it) and signalSeekTo (seek
// there: the time of the fix nearest to a click on the route, a pick on the
// speed graph). The window's heartbeat hands it the playing time
// (setPlayPosition), which moves the speed graph's line and its hour.
//
// For the day timeline: eventMarks() lists the day's events as marks (time of
// day in ms, a short description) in the order of day().events; the index of a
// clicked mark goes to the window's playEvent(int), which plays from
// eventStart(index). signalEventsChanged() says the marks changed.
//
// Shock thresholds: the card's levels unless the viewer's setting
// "EVENTS/SHOCK_THRESHOLD_G" (native store, g on every axis, 0 = the card's)
// says otherwise; the viewer tab of the setup editor sets it.
//
// Threading: GUI thread only.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include <memory>

#include "app/DayAnalysisJob.h"
#include "app/UCDayPanel.h"
#include "views/SpeedPlot.h"

class CMapView;
class QWidget;

// One mark of the day timeline.
struct DayEventMark {
    qint64 msOfDay = 0;  // time of day of the event, ms after midnight
    QString text;        // "12:03:05 shock 2.31 g (X), 45 km/h"
};

class CDayOverview : public QObject {
    Q_OBJECT

public:
    // Events play from this long before them.
    static constexpr qint64 kLeadInMs = 5000;
    // The viewer's threshold setting in the native store.
    static const char* const kThresholdKey;  // "EVENTS/SHOCK_THRESHOLD_G"

    // The panel and the speed tab are made without a parent: the window puts
    // them into its layouts. The window destroys this object before its
    // widgets (it holds it as a member), so that the worker is stopped first.
    explicit CDayOverview(QObject* parent = nullptr);
    ~CDayOverview() override;

    UCDayPanel* panel() const { return m_panel.data(); }
    QWidget* speedTab() const { return m_speedTab.data(); }
    SpeedPlot* speedPlot() const { return m_speedPlot.data(); }
    CDayAnalysisJob* job() const { return m_job; }

    // A map that draws the route and reports clicks on it; it may be
    // destroyed at any time.
    void addMap(CMapView* map);
    // Analyses a day folder (yyyymmdd); the old day's route and events go.
    void openDay(const QString& dayFolder);
    void setUseMph(bool mph);
    // Reads the threshold setting again; a change finds the events anew.
    void reloadSettings();
    // The threshold setting: g on every axis, 0 for the card's levels.
    static double storedThresholdG();

    // The playing time (heartbeat).
    void setPlayPosition(const QDateTime& playing);

    // The analysed day, or null while reading or when it could not be read.
    std::shared_ptr<const analysis::DayAnalysis> day() const;
    QVector<DayEventMark> eventMarks() const;
    // Where event `index` plays from (kLeadInMs before it); invalid for an
    // index out of range.
    QDateTime eventStart(int index) const;
    // The date and time of a time in ms of the analysed day.
    QDateTime dateTimeOf(qint64 msOfDay) const;

signals:
    void signalPlayFrom(QDateTime at);
    void signalSeekTo(QDateTime at);
    void signalEventsChanged();

private:
    void onStarted();
    void onFinished();
    void onRouteClicked(double latitude, double longitude);
    void onSpeedPicked(const QTime& time);
    void showHour(int hour);
    CDayAnalysisJob::Settings settings() const;

    CDayAnalysisJob* m_job = nullptr;
    // Owned by the window's layouts once placed there; deleted here otherwise.
    QPointer<UCDayPanel> m_panel;
    QPointer<QWidget> m_speedTab;
    QPointer<SpeedPlot> m_speedPlot;
    QVector<QPointer<CMapView>> m_maps;
    bool m_useMph = false;
    double m_thresholdG = 0.0;
    int m_shownHour = -1;
    QString m_route;  // what the maps were given
};
