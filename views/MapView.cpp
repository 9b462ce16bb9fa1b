#include "MapView.h"

#include <QDesktopServices>
#include <QFont>
#include <QHBoxLayout>
#include <QSizePolicy>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineSettings>
#include <QWidget>
#include <QtDebug>

const char* const CMapView::kPageUrl = "qrc:/Html/Resources/Map.html";

CMapPage::CMapPage(QObject* parent) : QWebEnginePage(parent) {
    // The page comes from the resources, its tiles from the map server.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
}

bool CMapPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (type == NavigationTypeLinkClicked) {
        // The attribution links: the map itself must not be replaced.
        QDesktopServices::openUrl(url);
        return false;
    }
    return !isMainFrame || url.scheme() == QLatin1String("qrc");
}

void CMapPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                        int lineNumber, const QString& sourceID) {
    qDebug().noquote() << sourceID << lineNumber << message;
}

void CMapBridge::routeClicked(double latitude, double longitude) {
    emit signalRouteClicked(latitude, longitude);
}

CMapView::CMapView(QWidget* parent) : QWebEngineView(parent) {
    setPage(new CMapPage(this));
    setContextMenuPolicy(Qt::NoContextMenu);
    auto* bridge = new CMapBridge(this);
    connect(bridge, &CMapBridge::signalRouteClicked, this, &CMapView::signalRouteClicked);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("korvelMap"), bridge);
    page()->setWebChannel(m_channel);
    connect(this, &CMapView::loadFinished, this, &CMapView::onLoadFinished);
    load(QUrl(kPageUrl));
}

void CMapView::setRoute(const QString& routeJson) {
    m_route = routeJson;
    if (m_ready) {
        sendRoute();
    }
}

void CMapView::sendRoute() {
    if (page() == nullptr) {
        return;
    }
    // The text is JSON made by the program, a valid script expression as is.
    page()->runJavaScript(m_route.isEmpty() ? QStringLiteral("ClearRoute();")
                                            : QStringLiteral("SetRoute(%1);").arg(m_route));
}

QString CMapView::updateMapPosScript(double latitude, double longitude) {
    // Six decimals (about 0.1 m): six significant digits would put the marker
    // up to 50 m off the road at the longitudes of the country.
    return QString("UpdateMapPos('%1','%2');")
        .arg(QString::number(latitude, 'f', 6), QString::number(longitude, 'f', 6));
}

void CMapView::setPosition(double latitude, double longitude) {
    if (page() == nullptr) {
        return;
    }
    if (!m_ready) {
        m_pending = std::make_pair(latitude, longitude);
        return;
    }
    page()->runJavaScript(updateMapPosScript(latitude, longitude));
}

void CMapView::onLoadFinished(bool ok) {
    m_ready = ok;
    if (!ok) {
        qWarning() << "map page did not load";
        return;
    }
    // The route first: its view of the whole drive gives way to the position.
    if (!m_route.isEmpty()) {
        sendRoute();
    }
    if (m_pending) {
        const auto [latitude, longitude] = *m_pending;
        m_pending.reset();
        page()->runJavaScript(updateMapPosScript(latitude, longitude));
    }
    emit mapReady();
}

dlgShowMapBig::dlgShowMapBig(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgShowMapBig");
    resize(400, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    QFont font("Tahoma", 10);
    font.setBold(true);
    setFont(font);
    setSizeGripEnabled(false);
    setWindowTitle(QString());

    auto* outer = new QHBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    m_wgMap = new QWidget(this);
    m_wgMap->setObjectName("wgMap");
    m_wgMap->setStyleSheet("border-color: rgb(170, 255, 255);");
    outer->addWidget(m_wgMap);

    auto* inner = new QVBoxLayout(m_wgMap);
    inner->setSpacing(0);
    inner->setContentsMargins(0, 0, 0, 0);
    m_view = new CMapView(m_wgMap);
    inner->addWidget(m_view);
}

void dlgShowMapBig::slotchangeMapPos(double latitude, double longitude) {
    m_view->setPosition(latitude, longitude);
}
