// The opened day beside the video, in the real window on a generated card:
// the Events list and the timeline's call play from 5 s before a shock, the
// trip adds up to the generator's route, the Speed tab follows the hour and
// seeks, and the route is on the map (drawn without tiles) and seeks too.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "WindowTest.h"
#include "app/CDayOverview.h"
#include "app/DayAnalysisJob.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/UCDayPanel.h"
#include "core/PlaybackTypes.h"
#include "views/MapView.h"
#include "views/SpeedPlot.h"

namespace {

QVariant eval(QWebEngineView* view, const QString& script) {
    QVariant result;
    QEventLoop loop;
    view->page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

qint64 msOfDay(const QDateTime& at) {
    return at.time().msecsSinceStartOfDay();
}

}  // namespace

class TestDayOverview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void dayBesideTheVideo();
    void onlyTheLastDayArrives();

private:
    // Waits until the page plays at normal speed near `expectedMs` of the day.
    void expectPlaysFrom(IDisplayPage* page, qint64 expectedMs);

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_cardRoot;
    mkcard::Telemetry m_telemetry;
};

void TestDayOverview::initTestCase() {
    QVERIFY(m_home.isValid() && m_dir.isValid());
    useOwnHome(m_home);
    const mkcard::CardOptions card = windowCard(m_dir, 4, 60);
    QVERIFY(!writeDayCard(card).isEmpty());
    m_cardRoot = QString::fromStdString(card.outDir);
    m_telemetry = mkcard::cardTelemetry(card);
    QCOMPARE(m_telemetry.shocks.size(), std::size_t(2));
}

void TestDayOverview::expectPlaysFrom(IDisplayPage* page, qint64 expectedMs) {
    // The view shows the seek target (a key frame at or just after it) and
    // plays on from there.
    QDateTime at;
    auto near = [&] {
        return page->currentDateTime(at) && msOfDay(at) >= expectedMs - 1000 &&
               msOfDay(at) <= expectedMs + 4000;
    };
    QVERIFY2(QTest::qWaitFor(near, 10000),
             qPrintable(QString("at %1, expected %2")
                            .arg(at.time().toString("hh:mm:ss.zzz"),
                                 QTime(0, 0).addMSecs(int(expectedMs)).toString("hh:mm:ss.zzz"))));
    int speed = -1;
    QVERIFY(page->getPlaySpeed(speed));
    QCOMPARE(speed, kSpeedIndexNormal);
    QVERIFY(!page->isSelectedPaused());
}

void TestDayOverview::dayBesideTheVideo() {
    Korvel window;
    QVERIFY(showWindow(window, 1400, 900));
    CDayOverview* overview = window.dayOverview();
    QVERIFY(overview != nullptr);
    QSignalSpy marksChanged(&window, &Korvel::signalDayEventsChanged);

    window.openDayFolder(m_cardRoot + "/20260301");
    QTRY_VERIFY_WITH_TIMEOUT(overview->day() != nullptr, 30000);
    QVERIFY(!marksChanged.isEmpty());

    // The timeline's marks: one per shock, where the generator put it.
    const QVector<DayEventMark> marks = window.dayEventMarks();
    QCOMPARE(marks.size(), int(m_telemetry.shocks.size()));
    for (int k = 0; k < marks.size(); ++k) {
        const qint64 planned = 12 * 3600 * 1000LL + m_telemetry.shocks[k].sample * 100LL;
        QVERIFY2(qAbs(marks[k].msOfDay - planned) <= 200, qPrintable(marks[k].text));
        QVERIFY(marks[k].text.contains(QTime(0, 0).addMSecs(int(planned)).toString("hh:mm")));
    }

    // The trip: the route's length, the events counted.
    UCDayPanel* panel = overview->panel();
    QVERIFY(panel->isVisible());
    const double km = panel->distanceLabel()->text().section(' ', 0, 0).toDouble();
    QVERIFY2(qAbs(km - m_telemetry.routeMetres / 1000.0) <=
                 m_telemetry.routeMetres / 1000.0 * 0.01 + 0.05,
             qPrintable(panel->distanceLabel()->text()));
    QCOMPARE(panel->eventCountLabel()->text(), QString("2"));
    QTreeWidget* list = panel->eventList();
    QCOMPARE(list->topLevelItemCount(), 2);

    IDisplayPage* page = window.currentPage();
    QVERIFY(page != nullptr);
    QDateTime at;
    QTRY_VERIFY_WITH_TIMEOUT(page->currentDateTime(at) && at.isValid(), 10000);

    // A click in the Events list: paused before, playing 5 s before the shock after.
    page->pause();
    QTRY_VERIFY_WITH_TIMEOUT(page->isSelectedPaused(), 5000);
    QTreeWidgetItem* second = list->topLevelItem(1);
    list->scrollToItem(second);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(second).center());
    expectPlaysFrom(page, marks[1].msOfDay - CDayOverview::kLeadInMs);

    // The timeline's call, at another speed before.
    page->setPlaySpeed(12);
    window.playEvent(0);
    expectPlaysFrom(page, marks[0].msOfDay - CDayOverview::kLeadInMs);
    window.playEvent(7);  // no such event: nothing happens
    window.playEvent(-1);

    // The Speed tab beside Graph shows the hour playing, and a pick seeks.
    auto* tabs = window.findChild<QTabWidget*>("twBottomTab");
    QVERIFY(tabs->indexOf(overview->speedTab()) >= 0);
    SpeedPlot* plot = overview->speedPlot();
    QCOMPARE(plot->hourStart(), QDateTime(QDate(2026, 3, 1), QTime(12, 0)));
    QCOMPARE(plot->pointCount(), int(m_telemetry.gps.size()));
    QTRY_VERIFY(plot->playPosition() >= 0.0 && plot->playPosition() < 240.0);
    emit plot->signalSpeedSearch(QTime(12, 3, 10));
    QTRY_VERIFY_WITH_TIMEOUT(
        page->currentDateTime(at) && at.time() >= QTime(12, 3, 9) && at.time() <= QTime(12, 3, 14),
        10000);

    // The route on the small map, drawn without tiles; a click on it seeks
    // to the nearest fix.
    CMapView* map = window.mapView();
    QTRY_VERIFY_WITH_TIMEOUT(map->isMapReady(), 60000);
    QJsonObject info;
    QTRY_VERIFY_WITH_TIMEOUT(
        (info = QJsonDocument::fromJson(eval(map, "RouteInfo()").toString().toUtf8()).object())
                .value("drawn")
                .toInt() > 0,
        10000);
    QCOMPARE(info.value("tiles").toInt(), 0);
    QCOMPARE(info.value("events").toInt(), 2);
    const mkcard::GpsSample& fix = m_telemetry.gps[100];
    emit map->signalRouteClicked(fix.latitude + 1e-6, fix.longitude);
    QTRY_VERIFY_WITH_TIMEOUT(
        page->currentDateTime(at) && at.time() >= QTime(12, 1, 39) && at.time() <= QTime(12, 1, 44),
        10000);

    // A lower threshold in the viewer's settings finds the turns too.
    marksChanged.clear();
    QSettings("QUENDRA", "Korvel").setValue(CDayOverview::kThresholdKey, 0.3);
    overview->reloadSettings();
    // The day stays on screen while its events are found again.
    QCOMPARE(list->topLevelItemCount(), 2);
    QVERIFY(!panel->stateLabel()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!marksChanged.isEmpty() && !overview->job()->isRunning(), 20000);
    QVERIFY(window.dayEventMarks().size() > marks.size());
    QCOMPARE(list->topLevelItemCount(), window.dayEventMarks().size());
}

void TestDayOverview::onlyTheLastDayArrives() {
    QVERIFY(QDir().mkpath(m_cardRoot + "/20260302"));
    CDayAnalysisJob job;
    QSignalSpy finished(&job, &CDayAnalysisJob::signalFinished);
    CDayAnalysisJob::Settings mph;
    mph.useMph = true;
    // Superseded and cancelled runs report nothing, however far they got.
    job.open(m_cardRoot + "/20260301", {});
    job.cancel();
    job.open(m_cardRoot + "/20260301", {});
    job.open(m_cardRoot + "/20260302", mph);
    QVERIFY(job.isRunning());
    QVERIFY(finished.wait(30000));
    QVERIFY(!job.isRunning());
    QCOMPARE(finished.size(), 1);
    QVERIFY(job.result() && job.result()->day);
    QCOMPARE(QString::fromStdString(job.result()->day->dayFolder), m_cardRoot + "/20260302");
    QVERIFY(job.result()->day->data.fixes.empty());
    QVERIFY(job.result()->routeJson.contains("mph"));

    // A folder that is no day gives no day, and says so.
    job.open(m_cardRoot + "/logs", {});
    QVERIFY(finished.wait(30000));
    QVERIFY(job.result() == nullptr);
    // Another look at no day does nothing.
    job.restyle({});
    QVERIFY(!job.isRunning());
}

QTEST_MAIN(TestDayOverview)
#include "test_day_overview.moc"
