#include "GsensorPlot.h"

#include <QFontMetrics>
#include <QLayout>
#include <QPainter>
#include <QPen>
#include <QWheelEvent>

#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_picker_machine.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_picker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_widget.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSlots = GsensorHourBuffer::kSlots;

QwtScaleDiv timeScaleDiv(int seconds) {
    QList<double> major;
    QList<double> minor;
    for (int t = 0; t <= seconds; t += GsensorPlot::kMinorStep) {
        (t % GsensorPlot::kMajorStep == 0 ? major : minor).append(t);
    }
    return QwtScaleDiv(0.0, seconds, minor, QList<double>(), major);
}

}  // namespace

QwtText TimeScaleDraw::label(double v) const {
    return QwtText(m_base.addSecs(static_cast<int>(v)).toString("hh:mm"));
}

Background::Background() {
    setZ(0.0);
    setRenderHint(QwtPlotItem::RenderAntialiased, true);
}

void Background::draw(QPainter* painter, const QwtScaleMap&, const QwtScaleMap&,
                      const QRectF& canvasRect) const {
    painter->fillRect(canvasRect, Qt::black);
}

GsensorPlot::GsensorPlot(QWidget* parent)
    : QwtPlot(parent), m_x(kSlots + 1), m_baseTime(QTime::currentTime()) {
    for (int i = 0; i <= kSlots; ++i) {
        m_x[static_cast<size_t>(i)] = i * 0.25;
    }
    for (auto& y : m_y) {
        y.assign(kSlots + 1, 0.0);
    }

    setCanvas(new QwtPlotCanvas());
    plotLayout()->setAlignCanvasToScales(true);

    QFont font("Tahoma");
    font.setWeight(QFont::Normal);
    setFont(font);
    setAxisFont(QwtPlot::xBottom, font);
    setAxisFont(QwtPlot::yLeft, font);

    m_background = new Background();
    m_background->attach(this);

    const char* titles[3] = {"X", "Y", "Z"};
    const QColor colours[3] = {Qt::red, Qt::blue, Qt::lightGray};
    for (int i = 0; i < 3; ++i) {
        auto* c = new DataCurve(titles[i]);
        QColor colour = colours[i];
        colour.setAlpha(150);
        c->setPen(colour, 1.5, Qt::SolidLine);
        c->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        // X on top, Y one step below, Z two steps below.
        c->setZ(c->z() - i);
        c->setRawSamples(m_x.data(), m_y[static_cast<size_t>(i)].data(), 0);
        c->attach(this);
        m_curves[static_cast<size_t>(i)] = c;
    }

    m_legend = new QwtLegend();
    m_legend->setDefaultItemMode(QwtLegendData::Checkable);
    m_legend->setStyleSheet("color:yellow; font: 10pt \"Tahoma\";");
    insertLegend(m_legend, QwtPlot::RightLegend);
    connect(m_legend, &QwtLegend::checked, this, &GsensorPlot::legendChecked);
    // The legend lists items in z order (Z, Y, X); X, Y, Z reads better.
    QLayout* legendLayout = m_legend->contentsWidget()->layout();
    for (DataCurve* c : m_curves) {
        if (auto* label = qobject_cast<QwtLegendLabel*>(m_legend->legendWidget(itemToInfo(c)))) {
            if (legendLayout != nullptr) {
                legendLayout->removeWidget(label);
                legendLayout->addWidget(label);
            }
            QPalette pal = label->palette();
            pal.setColor(QPalette::WindowText, Qt::white);
            label->setPalette(pal);
        }
        showCurve(c, true);
    }

    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDraw(m_baseTime));
    setAxisScale(QwtPlot::yLeft, -4.0, 4.0);
    setXWindow(kHourSeconds);

    m_picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::VLineRubberBand,
                                 QwtPicker::AlwaysOff, canvas());
    m_picker->setStateMachine(new QwtPickerDragPointMachine());
    m_picker->setRubberBandPen(QPen(Qt::darkMagenta));
    connect(m_picker, qOverload<const QPointF&>(&QwtPlotPicker::selected), this,
            &GsensorPlot::SelectedPos);

    replot();
}

GsensorPlot::~GsensorPlot() = default;

void GsensorPlot::setXWindow(int seconds) {
    axisScaleDraw(QwtPlot::xBottom)->setLabelRotation(0.0);
    const QFontMetrics fm(axisFont(QwtPlot::xBottom));
    axisWidget(QwtPlot::xBottom)->setMinBorderDist(0, fm.height() / 2);
    setAxisScaleDiv(QwtPlot::xBottom, timeScaleDiv(seconds));
}

void GsensorPlot::setSamples(const QDateTime& start, const GsensorHourBuffer* buffer, int count) {
    if (buffer == nullptr) {
        count = 0;
    }
    count = std::clamp(count, 0, kSlots);
    for (int i = 0; i < count; ++i) {
        const double* slot = buffer->slot(i);
        for (size_t a = 0; a < 3; ++a) {
            m_y[a][static_cast<size_t>(i)] = slot[a];
        }
    }
    m_count = count;
    m_baseTime = start.time();
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDraw(m_baseTime));
    for (size_t a = 0; a < 3; ++a) {
        m_curves[a]->setRawSamples(m_x.data(), m_y[a].data(), count);
    }
    setXWindow(count != 0 ? (count + GsensorHourBuffer::kSlotsPerSecond - 1) /
                                GsensorHourBuffer::kSlotsPerSecond
                          : kHourSeconds);
    replot();
}

QTime GsensorPlot::timeAt(double x) const {
    // A pick on the canvas border can land a hair outside the hour; the hour's
    // last second is as far as it may go (the next hour might be another day).
    const double clamped = std::clamp(x, 0.0, static_cast<double>(kHourSeconds - 1));
    return m_baseTime.addSecs(static_cast<int>(clamped));
}

void GsensorPlot::showCurve(QwtPlotItem* item, bool on) {
    item->setVisible(on);
    if (auto* label = qobject_cast<QwtLegendLabel*>(m_legend->legendWidget(itemToInfo(item)))) {
        label->setChecked(on);
    }
}

void GsensorPlot::legendChecked(const QVariant& itemInfo, bool on) {
    if (QwtPlotItem* item = infoToItem(itemInfo)) {
        showCurve(item, on);
        replot();
    }
}

void GsensorPlot::SelectedPos(const QPointF pos) {
    if (!std::isfinite(pos.x())) {
        return;
    }
    emit signalGsensorSearch(timeAt(pos.x()));
}

void GsensorPlot::wheelEvent(QWheelEvent* event) {
    event->accept();
}

GsensorLogRead showGsensorLog(GsensorPlot* plot, GsensorHourBuffer* buffer, const QString& cardRoot,
                              int day, int hour) {
    const QDateTime start(QDate(day / 10000, day / 100 % 100, day % 100), QTime(hour, 0, 0));
    const GsensorLogRead read = readGsensorLogFile(gsensorLogPath(cardRoot, day, hour), buffer);
    switch (read) {
        case GsensorLogRead::Missing:
            plot->setSamples(start, nullptr, 0);
            break;
        case GsensorLogRead::Loaded:
            plot->setSamples(start, buffer, GsensorHourBuffer::kSlots);
            break;
        case GsensorLogRead::NoSamples:
            break;
    }
    return read;
}
