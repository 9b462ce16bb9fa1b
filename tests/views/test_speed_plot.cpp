// The speed graph: an hour of speeds broken over the recorder's gaps, a top
// that fits the fastest, and picks that name the time.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <qwt_plot_canvas.h>
#include <qwt_plot_picker.h>
#include <qwt_scale_div.h>

#include "views/SpeedPlot.h"

class TestSpeedPlot : public QObject {
    Q_OBJECT

private slots:
    void linesBreakOverGaps();
    void picks();
};

namespace {

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

void TestSpeedPlot::linesBreakOverGaps() {
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
    plot.setHour(QDateTime(QDate(2026, 3, 1), QTime(9, 0)), points, "km/h");
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
}

void TestSpeedPlot::picks() {
    SpeedPlot plot;
    plot.resize(900, 200);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    plot.setHour(QDateTime(QDate(2026, 3, 1), QTime(23, 0)), {}, "mph");

    QSignalSpy spy(&plot, &SpeedPlot::signalSpeedSearch);
    QWidget* canvas = plot.canvas();
    const int yPix = qRound(plot.canvasMap(QwtPlot::yLeft).transform(10.0));
    const QPoint from(qRound(plot.canvasMap(QwtPlot::xBottom).transform(600.0)), yPix);
    const QPoint to(qRound(plot.canvasMap(QwtPlot::xBottom).transform(1800.0)), yPix);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(spy.size(), 1);
    const int picked = QTime(23, 0).secsTo(spy.at(0).at(0).toTime());
    QVERIFY2(qAbs(picked - 1800) <= 3600 / canvas->width() + 2,
             qPrintable(QString::number(picked)));
    // The hour's end stays in the hour (not 00:00 of the same day).
    QCOMPARE(plot.timeAt(3600.4), QTime(23, 59, 59));
}

QTEST_MAIN(TestSpeedPlot)
#include "test_speed_plot.moc"
