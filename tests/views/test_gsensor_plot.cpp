// The G-sensor graph: time labels, samples and axis window, loading logs
// (missing, unusable), picking a time, the legend and the swallowed wheel.

#include <QtTest/qtestspontaneevent.h>
#include <QDir>
#include <QFile>
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

QByteArray logLine(int minute, int second, double x, double y, double z) {
    return QString("[GS][000001][20180102-09%1%2][000][7,2][X:%3,Y:%4,Z:%5,E:0]\n")
        .arg(minute, 2, 10, QChar('0'))
        .arg(second, 2, 10, QChar('0'))
        .arg(x)
        .arg(y)
        .arg(z)
        .toLatin1();
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QString axisLabel(const GsensorPlot& plot, double v) {
    return plot.axisScaleDraw(QwtPlot::xBottom)->label(v).text();
}

}  // namespace

class TestGsensorPlot : public QObject {
    Q_OBJECT

private slots:
    void timeLabels();
    void samplesAndWindow();
    void loadingLogs();
    void picking();
    void legendAndWheel();
};

void TestGsensorPlot::timeLabels() {
    const TimeScaleDraw nine(QTime(9, 0));
    QCOMPARE(nine.label(0).text(), QString("09:00"));
    QCOMPARE(nine.label(1234.6).text(), QString("09:20"));
    QCOMPARE(nine.label(599.9).text(), QString("09:09"));
    QCOMPARE(nine.label(3600).text(), QString("10:00"));
    QCOMPARE(TimeScaleDraw(QTime(23, 0)).label(3600).text(), QString("00:00"));
}

void TestGsensorPlot::samplesAndWindow() {
    GsensorPlot plot;
    auto buffer = std::make_unique<GsensorHourBuffer>();
    buffer->clear();
    for (int i = 0; i < GsensorHourBuffer::kSlots; ++i) {
        double* s = buffer->slot(i);
        s[0] = i * 0.001;
        s[1] = -1.0;
        s[2] = 1.0;
        s[3] = 99.0;
    }
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(9, 0)), buffer.get(),
                    GsensorHourBuffer::kSlots);
    QCOMPARE(plot.sampleCount(), GsensorHourBuffer::kSlots);
    QCOMPARE(plot.baseTime(), QTime(9, 0));
    QCOMPARE(axisLabel(plot, 1800), QString("09:30"));
    for (auto axis : {GsensorPlot::AxisX, GsensorPlot::AxisY, GsensorPlot::AxisZ}) {
        QCOMPARE(static_cast<int>(plot.curve(axis)->dataSize()), GsensorHourBuffer::kSlots);
    }
    const QPointF last = plot.curve(GsensorPlot::AxisX)->sample(14399);
    QCOMPARE(last.x(), 3599.75);
    QCOMPARE(last.y(), 14.399);
    QCOMPARE(plot.curve(GsensorPlot::AxisY)->sample(5).y(), -1.0);
    QCOMPARE(plot.curve(GsensorPlot::AxisZ)->sample(5).y(), 1.0);

    const QwtScaleDiv x = plot.axisScaleDiv(QwtPlot::xBottom);
    QCOMPARE(x.lowerBound(), 0.0);
    QCOMPARE(x.upperBound(), 3600.0);
    QCOMPARE(x.ticks(QwtScaleDiv::MajorTick),
             (QList<double>{0, 600, 1200, 1800, 2400, 3000, 3600}));
    QCOMPARE(x.ticks(QwtScaleDiv::MinorTick).size(), 24);
    QCOMPARE(x.ticks(QwtScaleDiv::MinorTick).first(), 120.0);
    const QwtScaleDiv y = plot.axisScaleDiv(QwtPlot::yLeft);
    QCOMPARE(y.lowerBound(), -4.0);
    QCOMPARE(y.upperBound(), 4.0);

    // A part of an hour narrows the window to its seconds, rounded up.
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(10, 0)), buffer.get(), 4001);
    QCOMPARE(plot.axisScaleDiv(QwtPlot::xBottom).upperBound(), 1001.0);
    QCOMPARE(static_cast<int>(plot.curve(GsensorPlot::AxisZ)->dataSize()), 4001);

    // No buffer: empty curves, full hour, labels of the given hour.
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(11, 0)), nullptr, GsensorHourBuffer::kSlots);
    QCOMPARE(plot.sampleCount(), 0);
    QCOMPARE(static_cast<int>(plot.curve(GsensorPlot::AxisX)->dataSize()), 0);
    QCOMPARE(plot.axisScaleDiv(QwtPlot::xBottom).upperBound(), 3600.0);
    QCOMPARE(axisLabel(plot, 0), QString("11:00"));
}

void TestGsensorPlot::loadingLogs() {
    QTemporaryDir card;
    QVERIFY(card.isValid());
    writeFile(card.filePath("logs/20180102m/09.mlog"),
              logLine(20, 34, 0.5, -0.5, 1.0) + logLine(20, 35, 0.25, 0, 0));
    writeFile(card.filePath("logs/20180102m/10.mlog"),
              "[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]\n");

    GsensorPlot plot;
    auto buffer = std::make_unique<GsensorHourBuffer>();
    QCOMPARE(showGsensorLog(&plot, buffer.get(), card.path(), 20180102, 9), GsensorLogRead::Loaded);
    QCOMPARE(plot.sampleCount(), GsensorHourBuffer::kSlots);
    QCOMPARE(plot.baseTime(), QTime(9, 0));
    const int slot = (20 * 60 + 34) * 4;
    QCOMPARE(plot.curve(GsensorPlot::AxisX)->sample(slot).y(), 0.5);
    QCOMPARE(plot.curve(GsensorPlot::AxisY)->sample(slot).y(), -0.5);
    QCOMPARE(plot.curve(GsensorPlot::AxisZ)->sample(slot).y(), 1.0);
    QCOMPARE(plot.curve(GsensorPlot::AxisX)->sample(slot + 3).y(), 0.25);  // padded

    // Nothing usable in the 10:00 log: the 09:00 hour stays on screen.
    QCOMPARE(showGsensorLog(&plot, buffer.get(), card.path(), 20180102, 10),
             GsensorLogRead::NoSamples);
    QCOMPARE(plot.baseTime(), QTime(9, 0));
    QCOMPARE(plot.curve(GsensorPlot::AxisX)->sample(slot).y(), 0.5);

    // No 11:00 log: an empty hour labelled 11:00.
    QCOMPARE(showGsensorLog(&plot, buffer.get(), card.path(), 20180102, 11),
             GsensorLogRead::Missing);
    QCOMPARE(plot.sampleCount(), 0);
    QCOMPARE(static_cast<int>(plot.curve(GsensorPlot::AxisX)->dataSize()), 0);
    QCOMPARE(axisLabel(plot, 0), QString("11:00"));
}

void TestGsensorPlot::picking() {
    GsensorPlot plot;
    plot.resize(800, 200);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(9, 0)), nullptr, 0);
    QSignalSpy spy(&plot, SIGNAL(signalGsensorSearch(QTime)));

    plot.SelectedPos(QPointF(1234.6, 1.0));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.takeFirst().at(0).toTime(), QTime(9, 20, 34));
    // A pick a hair outside the hour stays in it (23:00 + 3600 s would be 00:00
    // of the same day).
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(23, 0)), nullptr, 0);
    plot.SelectedPos(QPointF(3600.4, 0));
    plot.SelectedPos(QPointF(-0.4, 0));
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(0).at(0).toTime(), QTime(23, 59, 59));
    QCOMPARE(spy.at(1).at(0).toTime(), QTime(23, 0, 0));
    spy.clear();

    // Through the mouse: press shows the line, dragging moves it, releasing picks.
    plot.setSamples(QDateTime(QDate(2018, 1, 2), QTime(9, 0)), nullptr, 0);
    QWidget* canvas = plot.canvas();
    const QwtScaleMap xMap = plot.canvasMap(QwtPlot::xBottom);
    const QwtScaleMap yMap = plot.canvasMap(QwtPlot::yLeft);
    const int y = qRound(yMap.transform(0.0));
    const QPoint from(qRound(xMap.transform(600.0)), y);
    const QPoint to(qRound(xMap.transform(1800.0)), y);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
    QVERIFY(plot.picker()->isActive());
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    QCOMPARE(spy.size(), 0);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(!plot.picker()->isActive());
    QCOMPARE(spy.size(), 1);
    // One pixel is a few seconds of the hour.
    const int secondsPerPixel = qCeil(3600.0 / canvas->width()) + 1;
    const int picked = QTime(9, 0).secsTo(spy.at(0).at(0).toTime());
    QVERIFY2(qAbs(picked - 1800) <= secondsPerPixel, qPrintable(QString::number(picked)));
}

void TestGsensorPlot::legendAndWheel() {
    WheelCounter parent;
    auto* plot = new GsensorPlot(&parent);
    parent.resize(800, 200);
    plot->resize(800, 200);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    // All three checked and shown at first; clicking a legend item hides its curve.
    QwtPlotItem* y = plot->curve(GsensorPlot::AxisY);
    auto* label =
        qobject_cast<QwtLegendLabel*>(plot->legendWidget()->legendWidget(plot->itemToInfo(y)));
    QVERIFY(label != nullptr);
    for (auto axis : {GsensorPlot::AxisX, GsensorPlot::AxisY, GsensorPlot::AxisZ}) {
        QVERIFY(plot->curve(axis)->isVisible());
        auto* l = qobject_cast<QwtLegendLabel*>(
            plot->legendWidget()->legendWidget(plot->itemToInfo(plot->curve(axis))));
        QVERIFY(l->isChecked());
    }
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(!y->isVisible());
    QVERIFY(!label->isChecked());
    QVERIFY(plot->curve(GsensorPlot::AxisX)->isVisible());
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(y->isVisible());
    QVERIFY(label->isChecked());

    // X above Y above Z above the black background.
    QVERIFY(plot->curve(GsensorPlot::AxisX)->z() > y->z());
    QVERIFY(y->z() > plot->curve(GsensorPlot::AxisZ)->z());
    QVERIFY(plot->curve(GsensorPlot::AxisZ)->z() > 0);
    const QImage shot = plot->canvas()->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 4), QColor(Qt::black));

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

QTEST_MAIN(TestGsensorPlot)
#include "test_gsensor_plot.moc"
