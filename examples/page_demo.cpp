// Manual look at a display page playing a generated card: a nine-view block
// of a four-channel card with pictures, audio and overlay texts; after a few
// seconds the second view is added to the selection and the selection plays
// at 4x backwards so that the speed tint shows.
//
//   korvel_page_demo [SECONDS] [CSS_FOLDER]
//
// Not run by ctest; take a screenshot of it under Xvfb.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "MakeCard.h"
#include "display/GLWidget.h"
#include "display/UCDisplayFrame.h"
#include "widgets/CConfiguration.h"

namespace {

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 30;
    const QString css = args.size() > 2 ? args[2] : QString("css");
    g_config.setScreenMenuStyle(readText(css + "/style_screen_menu.css"));
    g_config.setScreenBottomMenuStyle(readText(css + "/style_screen_bottom_menu.css"));
    app.setStyleSheet(readText(css + "/style.css"));

    QTemporaryDir dir;
    mkcard::CardOptions card;
    card.outDir = dir.path().toStdString() + "/card";
    card.start = {2026, 3, 1, 12, 0, 0};
    card.filesPerChannel = 2;
    card.secondsPerFile = 30;
    card.channels = 4;
    card.width = 640;
    card.height = 360;
    card.fps = 10;
    std::string error;
    if (!mkcard::makeCard(card, &error)) {
        std::fprintf(stderr, "card: %s\n", error.c_str());
        return 1;
    }

    auto* page = new UCDisplayFrame(nullptr);
    page->setStyleSheet("QWidget#DisplayArea { background-color: #10151b; }");
    page->resize(1280, 760);
    page->show();
    page->openRecordingSite(1, QPoint(-1, -1), 4, 2, QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0)),
                            QByteArray::fromStdString(card.outDir + "/20260301"));
    QTimer::singleShot(seconds * 500, page, [page] {
        const QList<GLWidget*> views = page->views();
        if (views.size() > 1) {
            page->slotWidgetMousePress(views[1], true);
        }
        page->setPlaySpeed(3);
    });
    QTimer::singleShot(seconds * 1000, &app, [page] { page->close(); });
    QObject::connect(page, &QObject::destroyed, &app, &QApplication::quit);
    return app.exec();
}
