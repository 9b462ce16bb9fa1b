// Manual look at the video view: a dark page with four views (a test picture,
// the no-video picture, a zoomed and rotated view with a speed tint, a narrow
// view) and their overlay bars, styled with the screen-menu style sheets.
//
//   korvel_view_demo [CSS_FOLDER] [--menu] [--quit-after MS]
//
// Not run by ctest; take a screenshot of it under Xvfb.

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <cmath>

#include "display/GLWidget.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "widgets/CConfiguration.h"

namespace {

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A dusk road seen from a windscreen, enough to judge colours and aspect.
QImage roadPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGBA8888);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h * 0.55);
    sky.setColorAt(0, QColor(40, 70, 120));
    sky.setColorAt(1, QColor(235, 160, 110));
    p.fillRect(0, 0, w, int(h * 0.55), sky);
    p.fillRect(0, int(h * 0.55), w, h, QColor(55, 60, 62));
    QPolygonF road;
    road << QPointF(w * 0.47, h * 0.55) << QPointF(w * 0.53, h * 0.55) << QPointF(w * 0.95, h)
         << QPointF(w * 0.05, h);
    p.setBrush(QColor(35, 36, 40));
    p.setPen(Qt::NoPen);
    p.drawPolygon(road);
    p.setPen(QPen(QColor(240, 220, 120), w / 160.0, Qt::DashLine));
    p.drawLine(QPointF(w * 0.5, h * 0.57), QPointF(w * 0.5, h));
    p.setPen(QPen(Qt::white, w / 200.0));
    p.drawLine(QPointF(w * 0.47, h * 0.55), QPointF(w * 0.05, h));
    p.drawLine(QPointF(w * 0.53, h * 0.55), QPointF(w * 0.95, h));
    p.setBrush(QColor(250, 240, 200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(w * 0.8, h * 0.25), w * 0.03, w * 0.03);
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString css = args.size() > 1 && !args[1].startsWith("--") ? args[1] : QString("css");
    g_config.setScreenMenuStyle(readText(css + "/style_screen_menu.css"));
    g_config.setScreenBottomMenuStyle(readText(css + "/style_screen_bottom_menu.css"));
    app.setStyleSheet(readText(css + "/style.css"));

    QWidget page;
    page.setObjectName("DisplayArea");
    page.setStyleSheet("QWidget#DisplayArea { background-color: #10151b; }");
    page.resize(1240, 760);

    const QRect cells[] = {QRect(20, 20, 600, 338), QRect(630, 20, 590, 338),
                           QRect(20, 370, 600, 370), QRect(630, 370, 190, 150)};
    QList<GLWidget*> views;
    for (const QRect& r : cells) {
        auto* v = new GLWidget(nullptr, 0, &page);
        v->setGeometry(r);
        v->setPaintSuppressed(false);
        views << v;
    }
    ISite* site = reinterpret_cast<ISite*>(std::intptr_t{0x1000});
    const QImage road = roadPicture(1280, 720).convertToFormat(QImage::Format_RGBA8888);
    const QImage half = roadPicture(704, 240).convertToFormat(QImage::Format_RGBA8888);

    auto fill = [&](GLWidget* v, int ch, const QImage& img, const QString& mode) {
        v->setSource(site, ch, -1);
        v->setTopText(0, "20240307");
        v->setTopText(1, QString("%1. CH%1").arg(ch + 1));
        v->setBottomText(0, mode);
        v->setBottomText(3, "03/07/2024 09:05:03");
        v->setBottomText(4, QString("%1 x %2").arg(img.width()).arg(img.height()));
    };
    fill(views[0], 0, road, "PLAY");
    views[0]->setSelected(true);
    views[0]->topBar()->showButtons(true);
    views[1]->setBottomText(0, "No Channel");
    fill(views[2], 2, half, "PAUSED");
    views[2]->setBottomTextColor(QColor(160, 40, 40, 180));
    fill(views[3], 3, road, "PLAY");
    views[3]->topBar()->showButtons(true);

    page.show();
    // Pictures after the first paint (the blank one is pending until then).
    QTimer::singleShot(300, [&] {
        views[0]->setImage(road.constBits(), road.width(), road.height(), 0x1000, 0, 20240307,
                           90503);
        views[2]->setImage(half.constBits(), half.width(), half.height(), 0x1000, 2, 20240307,
                           90503);
        views[3]->setImage(road.constBits(), road.width(), road.height(), 0x1000, 3, 20240307,
                           90503);
        views[2]->slotZoomClicked(true);
        views[2]->setZoomPan(-120, 40, 1.8f, 1.8f);
        for (GLWidget* v : views)
            v->update();
        if (args.contains("--menu")) {
            QWidget* button = views[3]->topBar()->findChild<QWidget*>("pbMenuDropDown");
            views[3]->topBar()->dropDownMenu()->popup(
                button->mapToGlobal(QPoint(0, button->height())));
        }
    });
    const int quit = args.indexOf("--quit-after");
    if (quit > 0 && quit + 1 < args.size())
        QTimer::singleShot(args[quit + 1].toInt(), &app, &QApplication::quit);
    return app.exec();
}
