#include "SpeedPlot.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QWheelEvent>

#include <qwt_picker_machine.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_picker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>
#include <qwt_scale_widget.h>

#include <algorithm>
#include <cmath>

#include "views/GsensorPlot.h"

namespace {

constexpr int kHourSeconds = 3600;

QwtScaleDiv hourScaleDiv() {
    QList<double> major;
    QList<double> minor;
    for (int t = 0; t <= kHourSeconds; t += GsensorPlot::kMinorStep) {
        (t % GsensorPlot::kMajorStep == 0 ? major : minor).append(t);
    }
    return QwtScaleDiv(0.0, kHourSeconds, minor, QList<double>(), major);
}

}  // namespace

// The speed line: joined where fixes follow each other, broken over gaps.
class SpeedCurve : public QwtPlotItem {
public:
    SpeedCurve() {
        setZ(20.0);
        setRenderHint(QwtPlotItem::RenderAntialiased, true);
    }
    int rtti() const override { return QwtPlotItem::Rtti_PlotUserItem + 2; }

    void setPoints(const QVector<QPointF>& points) { m_points = points; }
    const QVector<QPointF>& points() const { return m_points; }

    void draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap,
              const QRectF&) const override {
        QPainterPath path;
        for (int i = 0; i < m_points.size(); ++i) {
            const QPointF p(xMap.transform(m_points[i].x()), yMap.transform(m_points[i].y()));
            if (i == 0 || m_points[i].x() - m_points[i - 1].x() > SpeedPlot::kMaxJoinSeconds) {
                path.moveTo(p);
            } else {
                path.lineTo(p);
            }
        }
        QColor colour(0, 200, 255);
        painter->setPen(QPen(colour, 1.5));
        painter->drawPath(path);
    }

private:
    QVector<QPointF> m_points;
};

SpeedPlot::SpeedPlot(QWidget* parent) : QwtPlot(parent) {
    setCanvas(new QwtPlotCanvas());
    plotLayout()->setAlignCanvasToScales(true);
    QFont font("Tahoma");
    font.setWeight(QFont::Normal);
    setFont(font);
    setAxisFont(QwtPlot::xBottom, font);
    setAxisFont(QwtPlot::yLeft, font);

    (new Background())->attach(this);
    m_curve = new SpeedCurve();
    m_curve->attach(this);

    m_playLine = new QwtPlotMarker();
    m_playLine->setLineStyle(QwtPlotMarker::VLine);
    m_playLine->setLinePen(QColor(255, 210, 0), 1.0);
    m_playLine->setZ(30.0);
    m_playLine->setVisible(false);
    m_playLine->attach(this);

    m_hourStart = QDateTime(QDate::currentDate(), QTime(QTime::currentTime().hour(), 0));
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDraw(m_hourStart.time()));
    axisScaleDraw(QwtPlot::xBottom)->setLabelRotation(0.0);
    const QFontMetrics fm(axisFont(QwtPlot::xBottom));
    axisWidget(QwtPlot::xBottom)->setMinBorderDist(0, fm.height() / 2);
    setAxisScaleDiv(QwtPlot::xBottom, hourScaleDiv());
    setAxisScale(QwtPlot::yLeft, 0.0, 60.0);

    m_picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::VLineRubberBand,
                                 QwtPicker::AlwaysOff, canvas());
    m_picker->setStateMachine(new QwtPickerDragPointMachine());
    m_picker->setRubberBandPen(QPen(Qt::darkMagenta));
    connect(m_picker, qOverload<const QPointF&>(&QwtPlotPicker::selected), this,
            &SpeedPlot::onPicked);
    replot();
}

SpeedPlot::~SpeedPlot() = default;

void SpeedPlot::setHour(const QDateTime& hourStart, const QVector<QPointF>& points,
                        const QString& unit) {
    m_hourStart = hourStart;
    m_curve->setPoints(points);
    double top = 0.0;
    for (const QPointF& p : points) {
        top = std::max(top, p.y());
    }
    // A round top: the next 20 above the fastest, at least 60.
    setAxisScale(QwtPlot::yLeft, 0.0, std::max(60.0, std::ceil((top + 1.0) / 20.0) * 20.0));
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDraw(hourStart.time()));
    axisScaleDraw(QwtPlot::xBottom)->setLabelRotation(0.0);
    setAxisScaleDiv(QwtPlot::xBottom, hourScaleDiv());
    QwtText title(unit);
    title.setFont(axisFont(QwtPlot::yLeft));
    setAxisTitle(QwtPlot::yLeft, title);
    replot();
}

int SpeedPlot::pointCount() const {
    return m_curve->points().size();
}

void SpeedPlot::setPlayPosition(double secondsIntoHour) {
    const bool shown = secondsIntoHour >= 0.0 && secondsIntoHour <= kHourSeconds;
    if (shown == m_playLine->isVisible() && (!shown || secondsIntoHour == m_playPosition)) {
        return;
    }
    m_playPosition = shown ? secondsIntoHour : -1.0;
    m_playLine->setVisible(shown);
    if (shown) {
        m_playLine->setXValue(secondsIntoHour);
    }
    replot();
}

QTime SpeedPlot::timeAt(double x) const {
    const double clamped = std::clamp(x, 0.0, static_cast<double>(kHourSeconds - 1));
    return m_hourStart.time().addSecs(static_cast<int>(clamped));
}

void SpeedPlot::onPicked(const QPointF& pos) {
    if (std::isfinite(pos.x())) {
        emit signalSpeedSearch(timeAt(pos.x()));
    }
}

void SpeedPlot::wheelEvent(QWheelEvent* event) {
    event->accept();
}
