#pragma once

// The vehicle's GPS position on a web map: the page "qrc:/Html/Resources/Map.html"
// (Leaflet with OpenStreetMap tiles) in a web view. Before the first position
// the map shows the whole country at zoom 6 without a marker; the first
// position zooms to 17 and shows the marker; later ones recentre the map and
// move the marker, keeping the user's zoom. Without a network the map stays
// grey but works the same.
//
// The day's route: setRoute() hands the page a route description (see
// Map.html SetRoute: lines coloured by speed, event dots, legend); it is kept
// and drawn again whenever the page loads. A click on a line comes back as
// signalRouteClicked with the clicked place, through a web channel object
// "korvelMap".
//
// Use from the main window:
//   small map:  auto* map = new CMapView(ui->wgMap);  // in wgMap's layout
//               heartbeat, fresh GPS:  map->setPosition(lat, lon);
//                                      emit signalchangemappos(lat, lon);
//   pbpopmap:   auto* dlg = new dlgShowMapBig(this);
//               connect(this, &Korvel::signalchangemappos,
//                       dlg, &dlgShowMapBig::slotchangeMapPos);
//               dlg->show();
//
// The web engine needs, before the QApplication is made:
//   QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
// and, when running as root, QTWEBENGINE_DISABLE_SANDBOX=1 in the environment.
//
// Threading: GUI thread only.

#include <QDialog>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>
#include <utility>

class QWidget;
class QWebChannel;

// The object the page reaches through the web channel.
class CMapBridge : public QObject {
    Q_OBJECT

public:
    explicit CMapBridge(QObject* parent = nullptr) : QObject(parent) {}

    // Called by the page when a route line is clicked.
    Q_INVOKABLE void routeClicked(double latitude, double longitude);

signals:
    void signalRouteClicked(double latitude, double longitude);
};

// The map page: keeps the user on the map (links open in the desktop's
// browser) and passes the page's console messages to the diagnostic output.
class CMapPage : public QWebEnginePage {
    Q_OBJECT

public:
    explicit CMapPage(QObject* parent = nullptr);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
};

class CMapView : public QWebEngineView {
    Q_OBJECT

public:
    static const char* const kPageUrl;  // "qrc:/Html/Resources/Map.html"

    // Loads the map page at once.
    explicit CMapView(QWidget* parent = nullptr);

    // "UpdateMapPos('<lat>','<lon>');" with both numbers to a tenth of a metre.
    static QString updateMapPosScript(double latitude, double longitude);
    // Draws `routeJson` (a JSON object as Map.html's SetRoute takes it) now
    // or once the page has loaded; an empty text clears the route.
    void setRoute(const QString& routeJson);
    QString route() const { return m_route; }
    // True once the page has loaded.
    bool isMapReady() const { return m_ready; }

signals:
    // The page has loaded and its functions can be called.
    void mapReady();
    // A route line was clicked at this place.
    void signalRouteClicked(double latitude, double longitude);

public slots:
    // Moves the map and the marker to a position in degrees. A position given
    // before the page has loaded is kept, and the newest one is shown on load.
    void setPosition(double latitude, double longitude);

private slots:
    void onLoadFinished(bool ok);

private:
    void sendRoute();

    bool m_ready = false;
    std::optional<std::pair<double, double>> m_pending;
    QString m_route;
    QWebChannel* m_channel = nullptr;
};

// A larger map in a window of its own; any number can be open. Closing only
// hides it: it keeps following positions until its parent goes.
class dlgShowMapBig : public QDialog {
    Q_OBJECT

public:
    explicit dlgShowMapBig(QWidget* parent = nullptr);

    CMapView* mapView() const { return m_view; }

public slots:
    void slotchangeMapPos(double latitude, double longitude);

private:
    QWidget* m_wgMap = nullptr;
    CMapView* m_view = nullptr;
};
