#pragma once

// The "Speed" tab's graph: the vehicle's speed over one hour of the day, from
// the day's GPS track, with the play position as a vertical line. Pressing on
// the canvas shows a line, dragging moves it, and releasing emits
// signalSpeedSearch with the picked time of day, as the G-sensor graph does.
//
// The x-axis counts seconds from the start of the hour shown; the y-axis runs
// from 0 to a round value above the hour's top speed (at least 60). Where the
// track has no fix for more than 5 s (the recorder was off) the line breaks.
//
// Use:
//   auto* plot = new SpeedPlot(parent);
//   plot->setHour(QDateTime(day, QTime(9, 0)), points, "km/h");  // x s, y speed
//   heartbeat: plot->setPlayPosition(secondsIntoHour);            // < 0 hides it
//   connect(plot, &SpeedPlot::signalSpeedSearch, window, ...);
//
// Threading: GUI thread only.

#include <QDateTime>
#include <QPointF>
#include <QString>
#include <QTime>
#include <QVector>

#include <qwt_plot.h>

class QwtPlotMarker;
class QwtPlotPicker;
class SpeedCurve;

class SpeedPlot : public QwtPlot {
    Q_OBJECT

public:
    // Points further apart than this are not joined.
    static constexpr double kMaxJoinSeconds = 5.0;

    explicit SpeedPlot(QWidget* parent = nullptr);
    ~SpeedPlot() override;

    // Shows `points` (x: seconds into the hour, ascending; y: speed in
    // `unit`) for the hour that starts at `hourStart`.
    void setHour(const QDateTime& hourStart, const QVector<QPointF>& points, const QString& unit);
    // Moves the play position line; a negative value hides it.
    void setPlayPosition(double secondsIntoHour);

    QDateTime hourStart() const { return m_hourStart; }
    int pointCount() const;
    double playPosition() const { return m_playPosition; }
    QwtPlotPicker* picker() const { return m_picker; }
    // The time of day at x seconds into the shown hour (fraction dropped,
    // kept within the hour).
    QTime timeAt(double x) const;

signals:
    void signalSpeedSearch(QTime searchtime);

private slots:
    void onPicked(const QPointF& pos);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    QDateTime m_hourStart;
    double m_playPosition = -1.0;
    SpeedCurve* m_curve = nullptr;
    QwtPlotMarker* m_playLine = nullptr;
    QwtPlotPicker* m_picker = nullptr;
};
