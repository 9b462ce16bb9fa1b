// The hour graphs. G-sensor: time labels, samples and axis window, loading
// logs (missing, unusable), picking a time, the legend and the swallowed
// wheel. Speed: lines broken over the recorder's gaps, a top that fits the
// fastest, and picks that name the time.

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_picker.h>
#include <qwt_scale_div.h>

#include "views/GsensorPlot.h"
#include "views/SpeedPlot.h"

namespace {

class WheelCounter : public QWidget {
public:
    int wheels = 0;

protected:
    void wheelEvent(QWheelEvent* e) override {
        ++wheels;
        e->accept();
    }
};

QString axisLabel(const GsensorPlot& plot, double v) {
    return plot.axisScaleDraw(QwtPlot::xBottom)->label(v).text();
}

double yAt(const GsensorPlot& plot, GsensorPlot::Axis axis, int slot) {
    return plot.curve(axis)->sample(static_cast<size_t>(slot)).y();
}

int points(const GsensorPlot& plot) {
    return static_cast<int>(plot.curve(GsensorPlot::AxisZ)->dataSize());
}

// Presses the canvas at second 600 of the hour and drags to second 1800 at
// height `y`; the point where to release.
QPoint pressAndDrag(QwtPlot& plot, double y) {
    const auto at = [&](double x) {
        return QPoint(qRound(plot.canvasMap(QwtPlot::xBottom).transform(x)),
                      qRound(plot.canvasMap(QwtPlot::yLeft).transform(y)));
    };
    QTest::mousePress(plot.canvas(), Qt::LeftButton, Qt::NoModifier, at(600));
    QMouseEvent move(QEvent::MouseMove, at(1800), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plot.canvas(), &move);
    return at(1800);
}

// Whether a column of the canvas shows any of the speed line's cyan.
bool lineInColumn(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.blue() > 150 && c.green() > 100 && c.red() < 80) {
            return true;
        }
    }
    return false;
}

}  // namespace

class TestPlots : public QObject {
    Q_OBJECT

private slots:
    void samplesAndAxis();
    void loadingLogs();
    void pickingLegendAndWheel();
    void speedLinesAndPicks();
};

void TestPlots::samplesAndAxis() {
    QCOMPARE(TimeScaleDraw(QTime(9, 0)).label(1234.6).text(), QString("09:20"));
    QCOMPARE(TimeScaleDraw(QTime(23, 0)).label(3600).text(), QString("00:00"));

    GsensorPlot plot;
    auto buffer = std::make_unique<GsensorHourBuffer>();
    for (int i = 0; i < GsensorHourBuffer::kSlots; ++i) {
        double* s = buffer->slot(i);
        s[0] = i * 0.001;
        s[1] = -1.0;
        s[2] = 1.0;
    }
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(9, 0)), buffer.get(),
                    GsensorHourBuffer::kSlots);
    QCOMPARE(plot.baseTime(), QTime(9, 0));
    QCOMPARE(axisLabel(plot, 1800), QString("09:30"));
    QCOMPARE(points(plot), GsensorHourBuffer::kSlots);
    QCOMPARE(plot.curve(GsensorPlot::AxisX)->sample(14399), QPointF(3599.75, 14.399));
    QCOMPARE(yAt(plot, GsensorPlot::AxisY, 5), -1.0);
    QCOMPARE(yAt(plot, GsensorPlot::AxisZ, 5), 1.0);
    QCOMPARE(plot.axisScaleDiv(QwtPlot::xBottom).interval(), QwtInterval(0, 3600));

    // A part of an hour narrows the window to its seconds, rounded up.
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(10, 0)), buffer.get(), 4001);
    QCOMPARE(plot.axisScaleDiv(QwtPlot::xBottom).upperBound(), 1001.0);
    QCOMPARE(points(plot), 4001);

    // No buffer: empty curves over the whole hour given.
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(11, 0)), nullptr, GsensorHourBuffer::kSlots);
    QCOMPARE(points(plot), 0);
    QCOMPARE(plot.axisScaleDiv(QwtPlot::xBottom).upperBound(), 3600.0);
    QCOMPARE(axisLabel(plot, 0), QString("11:00"));
}

void TestPlots::loadingLogs() {
    QTemporaryDir card;
    QVERIFY(QDir().mkpath(card.filePath("logs/20180102m")));
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile f(card.filePath("logs/20180102m/" + name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    write("09.mlog",
          "[GS][1][20180102-092034][0][7,2][X:0.5,Y:-0.5,Z:1,E:0]\n"
          "[GS][2][20180102-092035][0][7,2][X:0.25,Y:0,Z:0,E:0]\n");
    write("10.mlog", "[GS][1][20180102-100102][0][7,3][X:1,Y:2,Z:3,E:4]\n");

    GsensorPlot plot;
    auto buffer = std::make_unique<GsensorHourBuffer>();
    const int slot = (20 * 60 + 34) * 4;
    QCOMPARE(showGsensorLog(&plot, buffer.get(), card.path(), 20180102, 9), GsensorLogRead::Loaded);
    QCOMPARE(plot.sampleCount(), GsensorHourBuffer::kSlots);
    QCOMPARE(plot.baseTime(), QTime(9, 0));
    QCOMPARE(yAt(plot, GsensorPlot::AxisX, slot), 0.5);
    QCOMPARE(yAt(plot, GsensorPlot::AxisY, slot), -0.5);
    QCOMPARE(yAt(plot, GsensorPlot::AxisZ, slot), 1.0);
    QCOMPARE(yAt(plot, GsensorPlot::AxisX, slot + 3), 0.25);  // padded

    // Nothing usable in the 10:00 log: the 09:00 hour stays on screen.
    QCOMPARE(showGsensorLog(&plot, buffer.get(), card.path(), 20180102, 10),
             GsensorLogRead::NoSamples);
    QCOMPARE(plot.baseTime(), QTime(9, 0));
    QCOMPARE(yAt(plot, GsensorPlot::AxisX, slot), 0.5);

    // No 11:00 log: an empty hour labelled 11:00.
    QCOMPARE(showGsensorLog(&plot, buffer.get(), card.path(), 20180102, 11),
             GsensorLogRead::Missing);
    QCOMPARE(points(plot), 0);
    QCOMPARE(axisLabel(plot, 0), QString("11:00"));
}

void TestPlots::pickingLegendAndWheel() {
    WheelCounter parent;
    auto* plot = new GsensorPlot(&parent);
    parent.resize(800, 200);
    plot->resize(800, 200);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy spy(plot, &GsensorPlot::signalGsensorSearch);

    plot->setSamples(QDateTime(QDate(2018, 1, 2), QTime(9, 0)), nullptr, 0);
    plot->SelectedPos(QPointF(1234.6, 1.0));
    // A pick a hair outside the hour stays in it (23:00 + 3600 s would be 00:00
    // of the same day).
    plot->setSamples(QDateTime(QDate(2018, 1, 2), QTime(23, 0)), nullptr, 0);
    plot->SelectedPos(QPointF(3600.4, 0));
    plot->SelectedPos(QPointF(-0.4, 0));
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(0).at(0).toTime(), QTime(9, 20, 34));
    QCOMPARE(spy.at(1).at(0).toTime(), QTime(23, 59, 59));
    QCOMPARE(spy.at(2).at(0).toTime(), QTime(23, 0, 0));
    spy.clear();

    // Through the mouse: press shows the line, dragging moves it, releasing picks.
    plot->setSamples(QDateTime(QDate(2018, 1, 2), QTime(9, 0)), nullptr, 0);
    const QPoint to = pressAndDrag(*plot, 0.0);
    QVERIFY(plot->picker()->isActive());
    QCOMPARE(spy.size(), 0);
    QTest::mouseRelease(plot->canvas(), Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(!plot->picker()->isActive());
    QCOMPARE(spy.size(), 1);
    const int secondsPerPixel = qCeil(3600.0 / plot->canvas()->width()) + 1;
    const int picked = QTime(9, 0).secsTo(spy.at(0).at(0).toTime());
    QVERIFY2(qAbs(picked - 1800) <= secondsPerPixel, qPrintable(QString::number(picked)));

    // All three shown and checked at first; clicking a legend item toggles its curve.
    const auto labelOf = [&](GsensorPlot::Axis a) {
        return qobject_cast<QwtLegendLabel*>(
            plot->legendWidget()->legendWidget(plot->itemToInfo(plot->curve(a))));
    };
    for (auto a : {GsensorPlot::AxisX, GsensorPlot::AxisY, GsensorPlot::AxisZ}) {
        QVERIFY(plot->curve(a)->isVisible() && labelOf(a)->isChecked());
    }
    QwtPlotItem* y = plot->curve(GsensorPlot::AxisY);
    QTest::mouseClick(labelOf(GsensorPlot::AxisY), Qt::LeftButton);
    QVERIFY(!y->isVisible() && !labelOf(GsensorPlot::AxisY)->isChecked());
    QVERIFY(plot->curve(GsensorPlot::AxisX)->isVisible());
    QTest::mouseClick(labelOf(GsensorPlot::AxisY), Qt::LeftButton);
    QVERIFY(y->isVisible() && labelOf(GsensorPlot::AxisY)->isChecked());

    // The wheel neither scrolls the graph nor reaches the widgets around it.
    const QwtScaleDiv before = plot->axisScaleDiv(QwtPlot::xBottom);
    for (QWidget* target : {plot->canvas(), static_cast<QWidget*>(plot)}) {
        const QPoint at = target->rect().center();
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        // As from the window system: only such wheel events travel up to parents.
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(target, &wheel);
    }
    QCOMPARE(parent.wheels, 0);
    QVERIFY(plot->axisScaleDiv(QwtPlot::xBottom) == before);
}

void TestPlots::speedLinesAndPicks() {
    SpeedPlot plot;
    plot.resize(900, 200);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    // 40 km/h from 5 to 20 min, nothing for 10 min, 130 km/h from 30 to 40 min.
    QVector<QPointF> points;
    for (int s = 300; s <= 1200; ++s) {
        points.append(QPointF(s, 40.0));
    }
    for (int s = 1800; s <= 2400; ++s) {
        points.append(QPointF(s, 130.0));
    }
    plot.setHour(QDateTime(QDate(2026, 3, 1), QTime(23, 0)), points, "km/h");
    QCOMPARE(plot.pointCount(), points.size());
    const QwtInterval y = plot.axisScaleDiv(QwtPlot::yLeft).interval();
    QCOMPARE(y.minValue(), 0.0);
    QVERIFY(y.maxValue() >= 130.0 && y.maxValue() <= 160.0);

    const QImage canvas = plot.canvas()->grab().toImage();
    const QwtScaleMap x = plot.canvasMap(QwtPlot::xBottom);
    QVERIFY(lineInColumn(canvas, qRound(x.transform(600))));
    QVERIFY(lineInColumn(canvas, qRound(x.transform(2100))));
    QVERIFY(!lineInColumn(canvas, qRound(x.transform(1500))));  // the gap
    QVERIFY(!lineInColumn(canvas, qRound(x.transform(3000))));  // after the last fix

    QSignalSpy spy(&plot, &SpeedPlot::signalSpeedSearch);
    QTest::mouseRelease(plot.canvas(), Qt::LeftButton, Qt::NoModifier, pressAndDrag(plot, 10.0));
    QCOMPARE(spy.size(), 1);
    const int picked = QTime(23, 0).secsTo(spy.at(0).at(0).toTime());
    QVERIFY2(qAbs(picked - 1800) <= 3600 / plot.canvas()->width() + 2,
             qPrintable(QString::number(picked)));
    // The hour's end stays in the hour (not 00:00 of the same day).
    QCOMPARE(plot.timeAt(3600.4), QTime(23, 59, 59));
}

QTEST_MAIN(TestPlots)
#include "test_plots.moc"
