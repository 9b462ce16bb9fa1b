// The map page and its views, offline (no network here): the page and Leaflet
// come from the resources, the functions exist, the first position zooms in and
// shows the marker, later ones keep the zoom, clicks move it, and map dialogs
// follow positions even when closed.

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include "views/MapView.h"

namespace {

constexpr int kLoadTimeoutMs = 120000;
constexpr int kScriptTimeoutMs = 30000;

QStringList g_uncaught;

void recordScriptErrors(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("Uncaught")) {
        g_uncaught << message;
    }
    qt_message_output(type, context, message);
}

QVariant eval(QWebEngineView* view, const QString& script) {
    QVariant result;
    bool done = false;
    QEventLoop loop;
    view->page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(kScriptTimeoutMs, &loop, &QEventLoop::quit);
    if (!done) {
        loop.exec();
    }
    if (!done) {
        qWarning() << "no answer to" << script;
    }
    return result;
}

bool waitReady(CMapView* view) {
    if (view->isMapReady()) {
        return true;
    }
    QSignalSpy ready(view, SIGNAL(mapReady()));
    return ready.wait(kLoadTimeoutMs);
}

// "lat,lng,zoom,markerShown,markerLat,markerLng"
QList<double> state(CMapView* view) {
    const QString s = eval(view,
                           "[map.getCenter().lat, map.getCenter().lng, map.getZoom(), "
                           "map.hasLayer(marker) ? 1 : 0,"
                           " marker.getLatLng().lat, marker.getLatLng().lng].join(',')")
                          .toString();
    QList<double> out;
    for (const QString& part : s.split(',')) {
        out << part.toDouble();
    }
    return out;
}

bool near(double a, double b) {
    return qAbs(a - b) < 1e-6;
}

// The map's centre snaps to whole pixels: about 3e-4 degrees at zoom 12.
bool nearCentre(double a, double b) {
    return qAbs(a - b) < 1e-3;
}

}  // namespace

class TestMapView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qInstallMessageHandler(recordScriptErrors); }
    void cleanupTestCase() { QVERIFY2(g_uncaught.isEmpty(), qPrintable(g_uncaught.join('\n'))); }
    void scriptText();
    void pageAndPositions();
    void positionBeforeLoad();
    void dialogsFollow();
};

void TestMapView::scriptText() {
    QCOMPARE(CMapView::updateMapPosScript(37.5665351, 126.9779692),
             QString("UpdateMapPos('37.566535','126.977969');"));
    QCOMPARE(CMapView::updateMapPosScript(-33.5, -70.25),
             QString("UpdateMapPos('-33.500000','-70.250000');"));
}

void TestMapView::pageAndPositions() {
    CMapView view;
    view.resize(640, 480);
    view.show();
    QVERIFY(waitReady(&view));
    QCOMPARE(view.url(), QUrl(CMapView::kPageUrl));

    for (const char* fn : {"initMap", "UpdateMapPos", "updateMap", "ShowMsg", "addMarker"}) {
        QCOMPARE(eval(&view, QString("typeof %1").arg(fn)).toString(), QString("function"));
    }
    // The grey map of the whole country, no marker yet.
    QCOMPARE(eval(&view, "bInit").toInt(), 0);
    QList<double> s = state(&view);
    QCOMPARE(s.size(), 6);
    QVERIFY(nearCentre(s[0], 36.565687) && nearCentre(s[1], 127.845065));
    QCOMPARE(s[2], 6.0);
    QCOMPARE(s[3], 0.0);
    QCOMPARE(eval(&view, "[map.getMinZoom(), map.getMaxZoom()].join(',')").toString(),
             QString("1,18"));

    // The first position zooms in and shows the marker.
    view.setPosition(37.566535, 126.977969);
    s = state(&view);
    QVERIFY(nearCentre(s[0], 37.566535) && nearCentre(s[1], 126.977969));
    QCOMPARE(s[2], 17.0);
    QCOMPARE(s[3], 1.0);
    QVERIFY(near(s[4], 37.566535) && near(s[5], 126.977969));
    QCOMPARE(eval(&view, "bInit").toInt(), 1);

    // Later positions keep the user's zoom.
    eval(&view, "map.setZoom(12, {animate: false})");
    view.setPosition(37.5, 127.0);
    s = state(&view);
    QVERIFY(nearCentre(s[0], 37.5) && nearCentre(s[1], 127.0));
    QCOMPARE(s[2], 12.0);
    QVERIFY(near(s[4], 37.5) && near(s[5], 127.0));

    // A position that is none changes nothing.
    eval(&view, "UpdateMapPos('nan', '127'); UpdateMapPos('91', '127'); UpdateMapPos('', '')");
    s = state(&view);
    QVERIFY(nearCentre(s[0], 37.5) && nearCentre(s[1], 127.0));

    // A click recentres there and moves the marker.
    eval(&view, "map.fire('click', {latlng: L.latLng(35.1, 129.04)})");
    s = state(&view);
    QVERIFY(nearCentre(s[0], 35.1) && nearCentre(s[1], 129.04));
    QVERIFY(near(s[4], 35.1) && near(s[5], 129.04));
    QCOMPARE(s[2], 12.0);
}

void TestMapView::positionBeforeLoad() {
    CMapView view;
    view.setPosition(1.0, 2.0);
    view.setPosition(35.0, 128.5);  // the newest wins
    view.resize(320, 240);
    view.show();
    QVERIFY(waitReady(&view));
    const QList<double> s = state(&view);
    QCOMPARE(s[2], 17.0);
    QCOMPARE(s[3], 1.0);
    QVERIFY(near(s[4], 35.0) && near(s[5], 128.5));
}

class Emitter : public QWidget {
    Q_OBJECT
signals:
    void signalchangemappos(double, double);
};

void TestMapView::dialogsFollow() {
    Emitter window;
    QPointer<dlgShowMapBig> first = new dlgShowMapBig(&window);
    QPointer<dlgShowMapBig> second = new dlgShowMapBig(&window);
    QCOMPARE(first->objectName(), QString("dlgShowMapBig"));
    QCOMPARE(first->size(), QSize(400, 300));
    QVERIFY(first->findChild<QWidget*>("wgMap") != nullptr);
    for (dlgShowMapBig* d : {first.data(), second.data()}) {
        QObject::connect(&window, SIGNAL(signalchangemappos(double, double)), d,
                         SLOT(slotchangeMapPos(double, double)));
        d->show();
        QVERIFY(waitReady(d->mapView()));
    }

    // The web view fills the dialog as it grows.
    second->resize(700, 500);
    QTRY_COMPARE(second->mapView()->size(), QSize(700, 500));

    // Closing only hides; the hidden dialog keeps following.
    first->close();
    QVERIFY(!first.isNull());
    QVERIFY(!first->isVisible());
    emit window.signalchangemappos(37.4, 127.1);
    for (dlgShowMapBig* d : {first.data(), second.data()}) {
        const QList<double> s = state(d->mapView());
        QVERIFY(near(s[4], 37.4) && near(s[5], 127.1));
        QCOMPARE(s[3], 1.0);
    }
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMapView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mapview.moc"
