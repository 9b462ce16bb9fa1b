#include "export/Overlay.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

extern "C" {
#include <libavutil/frame.h>
}

namespace exporting {

namespace {

QFont stampFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(6, pixelSize));
    font.setBold(bold);
    return font;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

bool fontsAvailable() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

Rect bandDateTimeArea(int width, int height) {
    return Rect{0, 0, width * 3 / 10, height};
}

QImage drawBand(const BandText& text, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0, 0, 0, 255));
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::white);
    p.setFont(stampFont(height * 3 / 5, true));
    const int margin = height / 2;
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    const Rect when = bandDateTimeArea(width, height);
    p.drawText(QRect(when.x + margin, 0, when.width - margin, height), flags | Qt::AlignLeft,
               q(text.dateTime));
    p.drawText(QRect(width * 3 / 10, 0, width * 13 / 100, height), flags | Qt::AlignLeft,
               q(text.speed));
    p.drawText(QRect(width * 43 / 100, 0, width * 32 / 100, height), flags | Qt::AlignLeft,
               q(text.position));
    p.drawText(QRect(width * 3 / 4, 0, width / 4 - margin, height), flags | Qt::AlignRight,
               q(text.vehicle));
    p.end();
    return image;
}

QImage drawLabel(const std::string& text, int height) {
    const QFont font = stampFont(height * 2 / 3, true);
    const QString label = q(text);
    const int pad = height / 3;
    const int width = QFontMetrics(font).horizontalAdvance(label) + 2 * pad;
    QImage image((width + 1) & ~1, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0, 0, 0, 150));
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::white);
    p.setFont(font);
    p.drawText(QRect(pad, 0, width - 2 * pad, height),
               Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, label);
    p.end();
    return image;
}

Stamp::Stamp(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    width_ = image.width() & ~1;
    height_ = image.height() & ~1;
    if (width_ <= 0 || height_ <= 0) {
        width_ = height_ = 0;
        return;
    }
    const std::size_t n = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    alpha_.resize(n);
    luma_.resize(n);
    const std::size_t nc = n / 4;
    chromaAlpha_.assign(nc, 0);
    cb_.assign(nc, 0);
    cr_.assign(nc, 0);
    std::vector<double> cbSum(nc, 0.0);
    std::vector<double> crSum(nc, 0.0);
    std::vector<double> aSum(nc, 0.0);
    for (int y = 0; y < height_; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width_; ++x) {
            const QRgb px = row[x];
            const double a = qAlpha(px) / 255.0;
            const double r = qRed(px);  // premultiplied
            const double g = qGreen(px);
            const double b = qBlue(px);
            const double yp = 16.0 * a + 0.256788 * r + 0.504129 * g + 0.097906 * b;
            const double cbp = 128.0 * a - 0.148223 * r - 0.290993 * g + 0.439216 * b;
            const double crp = 128.0 * a + 0.439216 * r - 0.367788 * g - 0.071427 * b;
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                  static_cast<std::size_t>(x);
            alpha_[i] = static_cast<std::uint16_t>(std::lround(a * 256.0));
            luma_[i] = static_cast<std::uint16_t>(std::lround(yp * 256.0));
            const std::size_t c = static_cast<std::size_t>(y / 2) *
                                      static_cast<std::size_t>(width_ / 2) +
                                  static_cast<std::size_t>(x / 2);
            aSum[c] += a;
            cbSum[c] += cbp;
            crSum[c] += crp;
        }
    }
    for (std::size_t c = 0; c < nc; ++c) {
        chromaAlpha_[c] = static_cast<std::uint16_t>(std::lround(aSum[c] / 4.0 * 256.0));
        cb_[c] = static_cast<std::uint16_t>(std::lround(std::max(0.0, cbSum[c]) / 4.0 * 256.0));
        cr_[c] = static_cast<std::uint16_t>(std::lround(std::max(0.0, crSum[c]) / 4.0 * 256.0));
    }
}

void Stamp::blendInto(AVFrame* frame, int x0, int y0) const {
    if (empty() || frame == nullptr) {
        return;
    }
    x0 &= ~1;
    y0 &= ~1;
    const int x1 = std::min(frame->width, x0 + width_);
    const int y1 = std::min(frame->height, y0 + height_);
    const int xs = std::max(0, x0);
    const int ys = std::max(0, y0);
    for (int y = ys; y < y1; ++y) {
        std::uint8_t* dst = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
        const std::size_t row = static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(width_);
        for (int x = xs; x < x1; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x - x0);
            const unsigned a = alpha_[i];
            dst[x] = static_cast<std::uint8_t>((luma_[i] + dst[x] * (256u - a) + 128u) >> 8);
        }
    }
    for (int y = ys / 2; y < y1 / 2; ++y) {
        std::uint8_t* u = frame->data[1] + static_cast<std::ptrdiff_t>(y) * frame->linesize[1];
        std::uint8_t* v = frame->data[2] + static_cast<std::ptrdiff_t>(y) * frame->linesize[2];
        const std::size_t row =
            static_cast<std::size_t>(y - y0 / 2) * static_cast<std::size_t>(width_ / 2);
        for (int x = xs / 2; x < x1 / 2; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x - x0 / 2);
            const unsigned a = chromaAlpha_[i];
            u[x] = static_cast<std::uint8_t>((cb_[i] + u[x] * (256u - a) + 128u) >> 8);
            v[x] = static_cast<std::uint8_t>((cr_[i] + v[x] * (256u - a) + 128u) >> 8);
        }
    }
}

}  // namespace exporting
