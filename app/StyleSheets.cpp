#include "app/StyleSheets.h"

#include <QFile>
#include <QFileInfo>

#include "widgets/CConfiguration.h"

namespace {

QString readUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

bool loadStyleSheets(const QString& appDir, CConfiguration& config) {
    QString folder = appDir + "/../css";
    if (!QFileInfo::exists(folder + "/style.css")) {
        folder = appDir + "/css";
        // An installed program finds them under share/ beside its bin/.
        const QString installed = appDir + "/../share/korvel/css";
        if (!QFileInfo::exists(folder + "/style.css") &&
            QFileInfo::exists(installed + "/style.css")) {
            folder = installed;
        }
    }
    QString appFile = "/style.css";
    switch (config.skin()) {
        case 1:
            appFile = "/style_light.css";
            break;
        case 2:
            appFile = "/style_gray.css";
            break;
        default:
            break;
    }
    QFile app(folder + appFile);
    if (!app.open(QIODevice::ReadOnly)) {
        return false;
    }
    config.setAppStyle(QString::fromUtf8(app.readAll()));
    config.setMonitorStyle(readUtf8(folder + "/monitor.css"));
    config.setSiteListStyle(readUtf8(folder + "/sitelist.css"));
    config.setScreenBottomMenuStyle(readUtf8(folder + "/style_screen_bottom_menu.css"));
    config.setScreenMenuStyle(readUtf8(folder + "/style_screen_menu.css"));
    return true;
}
