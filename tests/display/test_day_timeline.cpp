// The day timeline on its own.

#include <QSignalSpy>
#include <QTest>

#include "display/UCDayTimeline.h"

namespace {

constexpr qint64 kHour = 3600 * 1000;

QColor pixelAt(UCDayTimeline& t, qint64 ms) {
    return t.grab().toImage().pixelColor(t.xAt(ms), t.height() / 2 + 2);
}

// Shows `t`, `width` wide, for 2026-03-01.
bool showDay(UCDayTimeline& t, int width) {
    t.resize(width, 40);
    t.setDay(QDate(2026, 3, 1));
    t.show();
    return QTest::qWaitForWindowExposed(&t);
}

}  // namespace

class TestDayTimeline : public QObject {
    Q_OBJECT

private slots:
    void clickDragAndMarks();
    void fitZoomAndFollow();
    void drawsSpansGapsAndBand();
};

void TestDayTimeline::clickDragAndMarks() {
    UCDayTimeline t;
    QVERIFY(showDay(t, 1000));
    QSignalSpy seeks(&t, &UCDayTimeline::seekRequested);
    // The whole day: noon is the middle, within a pixel's worth of time.
    const qint64 perPixel = UCDayTimeline::kDayMs / 984;
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(t.xAt(12 * kHour), 20));
    QCOMPARE(seeks.count(), 1);
    QVERIFY(std::abs(seeks.at(0).at(0).toLongLong() - 12 * kHour) <= perPixel);
    QVERIFY(std::abs(t.position() - 12 * kHour) <= perPixel);

    // A drag asks for a few places on the way, never more often than the
    // interval allows, and always for the place it is let go.
    seeks.clear();
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, QPoint(100, 20));
    for (int x = 110; x <= 700; x += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&t, &move);
        QCOMPARE(t.hoverTime(), t.timeAt(x));
    }
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, QPoint(700, 20));
    QVERIFY(seeks.count() >= 2);
    QVERIFY(seeks.count() < 10);
    QCOMPARE(seeks.last().at(0).toLongLong(), t.timeAt(700));
    QCOMPARE(t.position(), t.timeAt(700));
    // Outside the track the ends of the day.
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(0, 20));
    QCOMPARE(seeks.last().at(0).toLongLong(), 0LL);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(999, 20));
    QCOMPARE(seeks.last().at(0).toLongLong(), UCDayTimeline::kDayMs);

    // Marks are picked instead of seeking.
    t.setMarks({{9 * kHour, "shock 9:00"}, {15 * kHour, "shock 15:00"}});
    seeks.clear();
    QSignalSpy marks(&t, &UCDayTimeline::markClicked);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(t.xAt(15 * kHour) + 3, 20));
    QCOMPARE(marks.count(), 1);
    QCOMPARE(marks.at(0).at(0).toInt(), 1);
    QCOMPARE(seeks.count(), 0);
    QCOMPARE(t.markAt(t.xAt(9 * kHour) - UCDayTimeline::kMarkHitPx - 1), -1);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(t.xAt(12 * kHour), 20));
    QCOMPARE(seeks.count(), 1);
    // A new day forgets the marks.
    t.setDay(QDate(2026, 3, 2));
    QVERIFY(t.marks().isEmpty());
    QCOMPARE(t.markAt(t.xAt(15 * kHour)), -1);
}

void TestDayTimeline::fitZoomAndFollow() {
    UCDayTimeline t;
    QVERIFY(showDay(t, 1000));
    QCOMPARE(t.visibleFrom(), 0LL);
    QCOMPARE(t.visibleTo(), UCDayTimeline::kDayMs);
    // Spans come in: the recorded part of the day fills the bar.
    t.setSpans({{8 * kHour, 9 * kHour}, {17 * kHour, 18 * kHour}});
    QVERIFY(t.visibleFrom() < 8 * kHour && t.visibleFrom() > 7 * kHour);
    QVERIFY(t.visibleTo() > 18 * kHour && t.visibleTo() < 19 * kHour);

    // The wheel zooms around the pointer; the time there stays there.
    const int x = t.xAt(10 * kHour);
    const qint64 before = t.timeAt(x);
    QWheelEvent in(QPointF(x, 20), QPointF(t.mapToGlobal(QPoint(x, 20))), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&t, &in);
    QVERIFY(t.visibleTo() - t.visibleFrom() < 11 * kHour / 2 + 1);
    QVERIFY(std::abs(t.timeAt(x) - before) < 60 * 1000);
    // Zoomed by hand, new spans leave the view alone.
    const qint64 from = t.visibleFrom();
    t.setSpans({{1 * kHour, 2 * kHour}});
    QCOMPARE(t.visibleFrom(), from);
    // Playing past the view turns the page.
    t.setPosition(t.visibleTo() + kHour);
    QVERIFY(t.position() >= t.visibleFrom() && t.position() <= t.visibleTo());
    // Never narrower than the smallest view, never outside the day.
    t.setVisibleRange(23 * kHour + 3590 * 1000, 23 * kHour + 3595 * 1000);
    QCOMPARE(t.visibleTo(), UCDayTimeline::kDayMs);
    QCOMPARE(t.visibleTo() - t.visibleFrom(), UCDayTimeline::kMinVisibleMs);
    QTest::mouseDClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(500, 20));
    QCOMPARE(t.visibleFrom(), 0LL);
    QCOMPARE(t.visibleTo(), UCDayTimeline::kDayMs);
}

void TestDayTimeline::drawsSpansGapsAndBand() {
    UCDayTimeline t;
    QVERIFY(showDay(t, 800));
    t.setSpans({{6 * kHour, 10 * kHour}});
    // The whole day, kept when spans change.
    QTest::mouseDClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(400, 2));
    QCOMPARE(t.visibleTo() - t.visibleFrom(), UCDayTimeline::kDayMs);
    const QColor span = pixelAt(t, 8 * kHour);
    const QColor gap = pixelAt(t, 14 * kHour);
    QVERIFY2(span.blue() > gap.blue() + 60, qPrintable(span.name() + " " + gap.name()));
    // A span too short for a pixel still shows.
    t.setSpans({{6 * kHour, 10 * kHour}, {20 * kHour, 20 * kHour + 1000}});
    QVERIFY(pixelAt(t, 20 * kHour).blue() > gap.blue() + 60);
    // The in/out band lightens what it covers.
    t.setRange(16 * kHour, 13 * kHour);
    QCOMPARE(t.rangeIn(), 13 * kHour);
    QVERIFY(pixelAt(t, 14 * kHour).lightness() > gap.lightness() + 15);
    t.clearRange();
    QCOMPARE(pixelAt(t, 14 * kHour), gap);
    // The play position in yellow, a mark in orange.
    t.setPosition(14 * kHour);
    const QColor position = pixelAt(t, 14 * kHour);
    QVERIFY2(position.red() > 200 && position.green() > 150 && position.blue() < 120,
             qPrintable(position.name()));
    t.setPosition(-1);
    t.setMarks({{15 * kHour, "shock"}});
    const QColor mark = t.grab().toImage().pixelColor(t.xAt(15 * kHour), t.height() / 2 - 2);
    QVERIFY2(mark.red() > 200 && mark.green() < 140, qPrintable(mark.name()));
}

QTEST_MAIN(TestDayTimeline)
#include "test_day_timeline.moc"
