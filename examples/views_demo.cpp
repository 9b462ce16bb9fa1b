// A manual look at the G-sensor graph and the map (not a test):
//   korvel_views_demo CARD_ROOT YYYYMMDD HOUR [LATITUDE LONGITUDE]
// shows the graph of that hour's log in a dark strip like the bottom bar, and
// one map dialog at the position (default: central Seoul). Clicking the graph
// prints the picked time.

#include <QApplication>
#include <QHBoxLayout>
#include <QTextStream>
#include <QWidget>

#include <memory>

#include "views/GsensorPlot.h"
#include "views/MapView.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: korvel_views_demo CARD_ROOT YYYYMMDD HOUR [LAT LON]\n";
        return 2;
    }
    const double latitude = args.size() > 5 ? args[4].toDouble() : 37.566535;
    const double longitude = args.size() > 5 ? args[5].toDouble() : 126.977969;

    QWidget strip;
    strip.setWindowTitle("G-sensor");
    strip.setStyleSheet("background-color: rgb(38, 40, 46);");
    strip.resize(760, 190);
    auto* box = new QHBoxLayout(&strip);
    box->setContentsMargins(4, 4, 4, 4);
    auto* plot = new GsensorPlot(&strip);
    plot->setObjectName("GSensroGraphWidget");
    plot->setStyleSheet("color:white; font: 10pt \"Tahoma\";");
    plot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    box->addWidget(plot);
    QObject::connect(plot, &GsensorPlot::signalGsensorSearch, [](QTime t) {
        QTextStream(stdout) << "picked " << t.toString("hh:mm:ss") << "\n";
    });
    auto buffer = std::make_unique<GsensorHourBuffer>();
    const GsensorLogRead read =
        showGsensorLog(plot, buffer.get(), args[1], args[2].toInt(), args[3].toInt());
    QTextStream(stdout) << gsensorLogPath(args[1], args[2].toInt(), args[3].toInt()) << ": "
                        << static_cast<int>(read) << "\n";
    strip.move(20, 20);
    strip.show();

    auto* map = new dlgShowMapBig(&strip);
    map->move(20, 260);
    map->resize(640, 420);
    map->slotchangeMapPos(latitude, longitude);
    map->show();
    return app.exec();
}
