#pragma once

// The "Graph" tab's G-sensor graph: one hour of X, Y and Z against the time of
// day, read from the recorder's hourly log (see GsensorLog.h).
//
// The x-axis counts seconds from the start of the hour shown (the base time);
// sample i of the hour lies at x = i * 0.25. The y-axis is fixed at -4 .. 4 g.
// Pressing on the canvas shows a vertical line, dragging moves it, and releasing
// emits signalGsensorSearch with the picked time of day.
//
// Use from the main window:
//   auto* plot = new GsensorPlot(ui->wgGsensor);   // laid out in wgGsensor
//   plot->setObjectName("GSensroGraphWidget");
//   plot->setStyleSheet("color:white; font: 10pt \"Tahoma\";");
//   connect(plot, &GsensorPlot::signalGsensorSearch, this, &Korvel::slotSearchGsensor);
//   // loadGsensorLog(day, hour), after its own day-and-hour check:
//   showGsensorLog(plot, &m_gsensorBuffer, m_cardRoot, day, hour);
//
// Threading: GUI thread only.

#include <QDateTime>
#include <QTime>
#include <QVariant>

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_item.h>
#include <qwt_scale_draw.h>

#include <array>
#include <vector>

#include "views/GsensorLog.h"

class QwtPlotPicker;
class QwtLegend;

// Labels a value v of the x-axis as the base time plus v whole seconds, "hh:mm".
class TimeScaleDraw : public QwtScaleDraw {
public:
    explicit TimeScaleDraw(const QTime& base) : m_base(base) {}
    QwtText label(double v) const override;
    QTime baseTime() const { return m_base; }

private:
    QTime m_base;
};

// A curve drawn straight from the plot's own arrays.
class DataCurve : public QwtPlotCurve {
public:
    explicit DataCurve(const QString& title) : QwtPlotCurve(title) {}
};

// Paints the whole canvas black, below everything else.
class Background : public QwtPlotItem {
public:
    static constexpr int kRtti = QwtPlotItem::Rtti_PlotUserItem;  // 1000

    Background();
    int rtti() const override { return kRtti; }
    void draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap,
              const QRectF& canvasRect) const override;
};

class GsensorPlot : public QwtPlot {
    Q_OBJECT

public:
    enum Axis { AxisX = 0, AxisY = 1, AxisZ = 2 };
    static constexpr int kHourSeconds = 3600;
    static constexpr int kMajorStep = 600;
    static constexpr int kMinorStep = 120;

    explicit GsensorPlot(QWidget* parent = nullptr);
    ~GsensorPlot() override;

    // Shows `count` slots (0 .. 14 400) of `buffer` (X, Y, Z of each slot) from
    // `start` on; the base time becomes the time of `start`. A null buffer or a
    // count of 0 empties the curves and labels the axis with the hour of `start`.
    void setSamples(const QDateTime& start, const GsensorHourBuffer* buffer, int count);

    QTime baseTime() const { return m_baseTime; }
    int sampleCount() const { return m_count; }
    DataCurve* curve(Axis axis) const { return m_curves[static_cast<size_t>(axis)]; }
    QwtPlotPicker* picker() const { return m_picker; }
    QwtLegend* legendWidget() const { return m_legend; }
    // The time of day at x seconds into the shown hour (fraction dropped, kept
    // within the hour).
    QTime timeAt(double x) const;

signals:
    void signalGsensorSearch(QTime searchtime);

public slots:
    void legendChecked(const QVariant& itemInfo, bool on);
    void SelectedPos(const QPointF pos);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void setXWindow(int seconds);
    void showCurve(QwtPlotItem* item, bool on);

    // x of slot i is i * 0.25 s; one more value than slots closes the hour.
    std::vector<double> m_x;
    std::array<std::vector<double>, 3> m_y;
    std::array<DataCurve*, 3> m_curves{};
    int m_count = 0;
    QTime m_baseTime;
    Background* m_background = nullptr;
    QwtLegend* m_legend = nullptr;
    QwtPlotPicker* m_picker = nullptr;
};

// loadGsensorLog's reading and drawing for day `day` (yyyymmdd) and `hour`:
// reads gsensorLogPath(cardRoot, day, hour) into `buffer`; a missing log shows
// an empty hour, a log without usable lines leaves the graph as it was. The
// caller keeps the buffer (460 800 bytes) and skips a day and hour it has
// already loaded.
GsensorLogRead showGsensorLog(GsensorPlot* plot, GsensorHourBuffer* buffer, const QString& cardRoot,
                              int day, int hour);
