#pragma once

// The text an evidence video carries burned into its pictures, drawn with
// QtGui (QPainter on a QImage, with Qt's font fallback for Hangul and kana in
// vehicle numbers and titles) into a patch that is blended into YUV 4:2:0
// pictures.
//
// Why QtGui: the texts hold Korean, Japanese and Latin script, and Qt picks a
// font per script from the fonts fontconfig offers (DejaVu, Nanum, IPA);
// FreeType alone would leave that fallback to us. QtGui needs a
// QGuiApplication (the viewer's, or korvel-export's on the "offscreen"
// platform) but no display; QPainter on a QImage is safe on any thread.
//
// Threading: a Stamp belongs to one thread; drawing needs a QGuiApplication
// to exist (check with fontsAvailable()).

#include <cstdint>
#include <string>
#include <vector>

struct AVFrame;
class QImage;

namespace exporting {

// Whether text can be drawn: a QGuiApplication exists.
bool fontsAvailable();

// The bottom band of an evidence picture: its fields left to right.
struct BandText {
    std::string dateTime;   // "2026-03-01 12:00:05"
    std::string speed;      // "57 km/h"
    std::string position;   // "N 37.56650° E 126.97800°"
    std::string vehicle;    // vehicle number
};

// Draws the band (opaque black, white text) into an ARGB32 image of
// width x height. The date and time start at the left edge plus a margin, the
// vehicle number ends at the right; speed and position sit in between.
QImage drawBand(const BandText& text, int width, int height);

// Draws a channel label (white text on a translucent box) fitting `height`.
QImage drawLabel(const std::string& text, int height);

// The area of drawBand's image that holds the date and time.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
Rect bandDateTimeArea(int width, int height);

// A drawn image, prepared for blending into YUV 4:2:0 pictures (BT.601
// limited range, as libx264 takes them from us).
class Stamp {
public:
    Stamp() = default;
    explicit Stamp(const QImage& image);

    bool empty() const { return width_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Blends the stamp into a YUV420P frame with its top left corner at
    // (x, y) (even numbers); the parts outside the frame are cut off.
    void blendInto(AVFrame* frame, int x, int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    // Per pixel: alpha (0-256) and alpha x luma; per 2x2 block: alpha and
    // alpha x chroma.
    std::vector<std::uint16_t> alpha_;
    std::vector<std::uint16_t> luma_;
    std::vector<std::uint16_t> chromaAlpha_;
    std::vector<std::uint16_t> cb_;
    std::vector<std::uint16_t> cr_;
};

}  // namespace exporting
