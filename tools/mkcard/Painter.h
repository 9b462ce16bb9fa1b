#pragma once

// Paints the pictures of the demo card into YUV 4:2:0 planes: a background in a
// colour of the channel with diagonal stripes drifting across, a bright square
// bouncing around, a bar at the bottom that sweeps once per second, and a black
// box with the channel ("CH<n>", n = channel + 1, twice as large), the date
// ("yyyy-mm-dd") and the time ("hh:mm:ss.t") in white 5 x 7 bitmap glyphs.
// Pure functions on caller-owned planes; thread-safe.

#include <cstdint>
#include <string>

#include "CivilTime.h"

namespace mkcard {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // glyph plus one blank column

// The 7 rows of a glyph, bit 4 = leftmost column; null for characters outside
// "0123456789:-.CH ".
const uint8_t* glyphRows(char c);

// Luma values of the text box and of its glyph pixels.
constexpr uint8_t kTextBoxLuma = 16;
constexpr uint8_t kGlyphLuma = 235;

struct TextPlacement {
    int x = 0;      // left edge of the first glyph
    int y = 0;      // top edge
    int scale = 1;  // pixels per glyph pixel
};

struct OverlayLayout {
    int boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
    TextPlacement channel;  // scale 2s
    TextPlacement date;     // scale s
    TextPlacement time;     // scale s
};

// Layout for a picture size: s = max(1, min((width / 2 + 32) / 62, (height / 2 + 24) / 35)),
// so the box takes about half of the picture (2 at 192 x 108, 5 at 640 x 360).
OverlayLayout overlayLayout(int width, int height);
// The layout for glyph pixels of s x s (channel 2s x 2s) at the top left corner.
OverlayLayout overlayLayoutAtScale(int s);

std::string channelText(int channel);                       // "CH3" for channel 2
std::string dateText(const CivilTime& t);                   // "2026-03-01"
std::string timeText(const CivilTime& t, int millisecond);  // "12:00:07.4"

struct YuvPicture {
    uint8_t* plane[3] = {nullptr, nullptr, nullptr};
    int stride[3] = {0, 0, 0};
    int width = 0;   // even
    int height = 0;  // even
};

void drawText(YuvPicture& picture, const TextPlacement& where, const std::string& text);

// The black box with the channel, the date and the time (see above).
void drawOverlay(YuvPicture& picture, const OverlayLayout& layout, int channel,
                 const CivilTime& instant, int millisecond);

// frameNumber counts the channel's pictures since the card's start and drives
// the motion; instant and millisecond are the picture's recording time.
void paintFrame(YuvPicture& picture, int channel, int64_t frameNumber, const CivilTime& instant,
                int millisecond);

}  // namespace mkcard
