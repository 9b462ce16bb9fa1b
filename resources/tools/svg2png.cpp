// Build-time helper: renders an SVG drawing into a PNG file at the drawing's own
// size (or at a given size), so that the pictures of the program are kept as
// editable vector sources.
//
//   korvel_svg2png INPUT.svg OUTPUT.png [WIDTH HEIGHT]
//
// Runs on the offscreen platform, so it needs no display.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 5) {
        err << "usage: korvel_svg2png INPUT.svg OUTPUT.png [WIDTH HEIGHT]\n";
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        err << "cannot read " << args.at(1) << "\n";
        return 1;
    }
    QSize size = renderer.defaultSize();
    if (args.size() == 5) {
        bool okW = false;
        bool okH = false;
        size = QSize(args.at(3).toInt(&okW), args.at(4).toInt(&okH));
        if (!okW || !okH) {
            err << "bad size\n";
            return 2;
        }
    }
    if (size.isEmpty() || size.width() > 8192 || size.height() > 8192) {
        err << "unusable size " << size.width() << "x" << size.height() << "\n";
        return 1;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
    }
    if (!image.save(args.at(2), "PNG")) {
        err << "cannot write " << args.at(2) << "\n";
        return 1;
    }
    return 0;
}
