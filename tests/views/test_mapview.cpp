// The map page and its views, offline (no network here): the page and Leaflet
// come from the resources. No script error may occur on the way.

#include <QApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "views/MapView.h"

namespace {

QStringList g_uncaught;

void recordScriptErrors(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("Uncaught")) {
        g_uncaught << message;
    }
    qt_message_output(type, context, message);
}

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

bool waitReady(CMapView* view) {
    QSignalSpy ready(view, &CMapView::mapReady);
    return view->isMapReady() || ready.wait(120000);
}

struct MapState {
    double lat, lng, zoom, markerShown, markerLat, markerLng;
    // The centre snaps to whole pixels: about 3e-4 degrees at zoom 12.
    bool centredAt(double la, double ln) const {
        return qAbs(lat - la) < 1e-3 && qAbs(lng - ln) < 1e-3;
    }
    bool markerAt(double la, double ln) const {
        return markerShown == 1 && qAbs(markerLat - la) < 1e-6 && qAbs(markerLng - ln) < 1e-6;
    }
};

MapState state(CMapView* view) {
    const QStringList s = eval(view,
                               "[map.getCenter().lat, map.getCenter().lng, map.getZoom(),"
                               " map.hasLayer(marker) ? 1 : 0, marker.getLatLng().lat,"
                               " marker.getLatLng().lng].join(',')")
                              .toString()
                              .split(',');
    if (s.size() != 6) {
        return {0, 0, -1, -1, 0, 0};
    }
    return {s[0].toDouble(), s[1].toDouble(), s[2].toDouble(),
            s[3].toDouble(), s[4].toDouble(), s[5].toDouble()};
}

class Emitter : public QWidget {
    Q_OBJECT
signals:
    void signalchangemappos(double, double);
};

}  // namespace

class TestMapView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qInstallMessageHandler(recordScriptErrors); }
    void cleanupTestCase() { QVERIFY2(g_uncaught.isEmpty(), qPrintable(g_uncaught.join('\n'))); }
    void pageAndPositions();
    void dialogsFollow();
    void routeDrawnWithoutTiles();
};

void TestMapView::pageAndPositions() {
    CMapView view;
    view.resize(640, 480);
    view.show();
    QVERIFY(waitReady(&view));
    // The grey map of the whole country, no marker yet.
    QCOMPARE(eval(&view, "bInit").toInt(), 0);
    MapState s = state(&view);
    QVERIFY(s.centredAt(36.565687, 127.845065));
    QCOMPARE(s.zoom, 6.0);
    QCOMPARE(s.markerShown, 0.0);

    // The first position zooms in and shows the marker.
    view.setPosition(37.566535, 126.977969);
    s = state(&view);
    QVERIFY(s.centredAt(37.566535, 126.977969) && s.markerAt(37.566535, 126.977969));
    QCOMPARE(s.zoom, 17.0);
    QCOMPARE(eval(&view, "bInit").toInt(), 1);

    // Later positions keep the user's zoom; positions that are none change nothing.
    eval(&view, "map.setZoom(12, {animate: false})");
    view.setPosition(37.5, 127.0);
    eval(&view, "UpdateMapPos('nan', '127'); UpdateMapPos('91', '127'); UpdateMapPos('', '')");
    s = state(&view);
    QVERIFY(s.centredAt(37.5, 127.0) && s.markerAt(37.5, 127.0));
    QCOMPARE(s.zoom, 12.0);

    // A click recentres there and moves the marker.
    eval(&view, "map.fire('click', {latlng: L.latLng(35.1, 129.04)})");
    s = state(&view);
    QVERIFY(s.centredAt(35.1, 129.04) && s.markerAt(35.1, 129.04));
    QCOMPARE(s.zoom, 12.0);
}

void TestMapView::dialogsFollow() {
    Emitter window;
    QPointer<dlgShowMapBig> first = new dlgShowMapBig(&window);
    QPointer<dlgShowMapBig> second = new dlgShowMapBig(&window);
    for (dlgShowMapBig* d : {first.data(), second.data()}) {
        QObject::connect(&window, &Emitter::signalchangemappos, d,
                         &dlgShowMapBig::slotchangeMapPos);
    }
    // Positions before the page is there: the newest is shown once it is.
    emit window.signalchangemappos(1.0, 2.0);
    emit window.signalchangemappos(35.0, 128.5);
    for (dlgShowMapBig* d : {first.data(), second.data()}) {
        d->show();
        QVERIFY(waitReady(d->mapView()));
        const MapState s = state(d->mapView());
        QVERIFY(s.markerAt(35.0, 128.5));
        QCOMPARE(s.zoom, 17.0);
    }
    // The web view fills the dialog as it grows.
    second->resize(700, 500);
    QTRY_COMPARE(second->mapView()->size(), QSize(700, 500));

    // Closing only hides; the hidden dialog keeps following.
    first->close();
    QVERIFY(!first.isNull() && !first->isVisible());
    emit window.signalchangemappos(37.4, 127.1);
    QVERIFY(state(first->mapView()).markerAt(37.4, 127.1));
    QVERIFY(state(second->mapView()).markerAt(37.4, 127.1));
}

void TestMapView::routeDrawnWithoutTiles() {
    // Two stretches along one parallel, a shock on the second.
    const QString route = QStringLiteral(
        "{\"runs\":[{\"c\":\"#1a9850\",\"p\":[[37.5,127.0],[37.5,127.01],[37.5,127.02]]},"
        "{\"c\":\"#d73027\",\"p\":[[37.5,127.02],[37.5,127.03]]}],"
        "\"events\":[{\"p\":[37.5,127.025],\"t\":\"12:00:05 shock 2.00 g (Z)\"}],"
        "\"legend\":[{\"c\":\"#d73027\",\"t\":\"80-100 km/h\"}]}");
    CMapView view;
    view.setRoute(route);  // before the page is there: drawn once it is
    view.resize(640, 480);
    view.show();
    QVERIFY(waitReady(&view));
    auto info = [&view] {
        return QJsonDocument::fromJson(eval(&view, "RouteInfo()").toString().toUtf8()).object();
    };
    QJsonObject drawn = info();
    QCOMPARE(drawn.value("runs").toInt(), 2);
    QCOMPARE(drawn.value("points").toInt(), 5);
    QCOMPARE(drawn.value("drawn").toInt(), 2);  // as paths with an outline, on the grey map
    QCOMPARE(drawn.value("events").toInt(), 1);
    QCOMPARE(drawn.value("tiles").toInt(), 0);
    // Before any position the map shows the whole route.
    const MapState s = state(&view);
    QVERIFY(qAbs(s.lat - 37.5) < 1e-3 && qAbs(s.lng - 127.015) < 1e-3);
    QVERIFY(s.zoom > 10);

    // A real click on the line names the place; the marker stays away.
    QSignalSpy clicked(&view, &CMapView::signalRouteClicked);
    const QStringList xy =
        eval(&view, "var p = map.latLngToContainerPoint([37.5, 127.005]); [p.x, p.y].join(',')")
            .toString()
            .split(',');
    QCOMPARE(xy.size(), 2);
    QWidget* surface = view.focusProxy() != nullptr ? view.focusProxy() : &view;
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier,
                      QPoint(qRound(xy[0].toDouble()), qRound(xy[1].toDouble())));
    QVERIFY(clicked.wait(10000));
    QCOMPARE(clicked.size(), 1);
    QVERIFY(qAbs(clicked.at(0).at(0).toDouble() - 37.5) < 1e-3);
    QVERIFY(qAbs(clicked.at(0).at(1).toDouble() - 127.005) < 1e-3);
    QCOMPARE(state(&view).markerShown, 0.0);

    // A new day without fixes: the route goes.
    view.setRoute(QString());
    drawn = info();
    QCOMPARE(drawn.value("runs").toInt(), 0);
    QCOMPARE(drawn.value("drawn").toInt(), 0);
    QCOMPARE(drawn.value("events").toInt(), 0);
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMapView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mapview.moc"
