#include "Painter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace mkcard {

namespace {

struct Glyph {
    char c;
    uint8_t rows[kGlyphHeight];
};

const Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
};

// Background colours (U, V) per channel, then the square's complementary colour.
const uint8_t kChannelChroma[12][2] = {
    {90, 200},  {60, 150}, {70, 80},  {150, 60},  {200, 90},  {180, 170},
    {110, 230}, {40, 110}, {120, 50}, {230, 120}, {160, 200}, {100, 100},
};

void fillRect(YuvPicture& p, int x0, int y0, int w, int h, uint8_t y, uint8_t u, uint8_t v) {
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    const int x1 = std::min(p.width, x0 + w);
    const int y1 = std::min(p.height, y0 + h);
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    for (int row = y0; row < y1; ++row) {
        std::memset(p.plane[0] + row * p.stride[0] + x0, y, x1 - x0);
    }
    const int cx0 = x0 / 2, cx1 = (x1 + 1) / 2;
    for (int row = y0 / 2; row < (y1 + 1) / 2; ++row) {
        std::memset(p.plane[1] + row * p.stride[1] + cx0, u, cx1 - cx0);
        std::memset(p.plane[2] + row * p.stride[2] + cx0, v, cx1 - cx0);
    }
}

// Position on a path that runs 0 .. span and back.
int bounce(int64_t t, int span) {
    if (span <= 0) {
        return 0;
    }
    const int64_t period = 2 * static_cast<int64_t>(span);
    const int64_t m = t % period;
    return static_cast<int>(m <= span ? m : period - m);
}

}  // namespace

const uint8_t* glyphRows(char c) {
    for (const Glyph& g : kGlyphs) {
        if (g.c == c) {
            return g.rows;
        }
    }
    return nullptr;
}

OverlayLayout overlayLayout(int width, int height) {
    // About half the picture, more in very small pictures so that the digits stay legible.
    return overlayLayoutAtScale(std::max(1, std::min((width / 2 + 32) / 62, (height / 2 + 24) / 35)));
}

OverlayLayout overlayLayoutAtScale(int s) {
    OverlayLayout l;
    l.boxX = s;
    l.boxY = s;
    l.channel = {l.boxX + s, l.boxY + s, 2 * s};
    l.date = {l.boxX + s, l.channel.y + 2 * kGlyphHeight * s + 2 * s, s};
    l.time = {l.boxX + s, l.date.y + kGlyphHeight * s + 2 * s, s};
    l.boxWidth = 10 * kGlyphAdvance * s + s;
    l.boxHeight = l.time.y + kGlyphHeight * s + s - l.boxY;
    return l;
}

std::string channelText(int channel) {
    return "CH" + std::to_string(channel + 1);
}

std::string dateText(const CivilTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year % 10000, t.month % 100, t.day % 100);
    return buf;
}

std::string timeText(const CivilTime& t, int millisecond) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%d", t.hour % 100, t.minute % 100,
                  t.second % 100, (millisecond / 100) % 10);
    return buf;
}

void drawText(YuvPicture& p, const TextPlacement& where, const std::string& text) {
    const int k = where.scale;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* rows = glyphRows(text[i]);
        if (rows == nullptr) {
            continue;
        }
        const int gx = where.x + static_cast<int>(i) * kGlyphAdvance * k;
        for (int r = 0; r < kGlyphHeight; ++r) {
            for (int c = 0; c < kGlyphWidth; ++c) {
                if ((rows[r] >> (kGlyphWidth - 1 - c)) & 1) {
                    fillRect(p, gx + c * k, where.y + r * k, k, k, kGlyphLuma, 128, 128);
                }
            }
        }
    }
}

void paintFrame(YuvPicture& p, int channel, int64_t frameNumber, const CivilTime& instant,
                int millisecond) {
    const int w = p.width;
    const int h = p.height;
    const uint8_t* chroma = kChannelChroma[channel % 12];
    const int baseLuma = 70 + 12 * (channel % 4);

    // Diagonal stripes: every row is the same stripe line shifted by one pixel,
    // and the whole pattern drifts with time (direction depends on the channel).
    const int period = std::max(8, (w / 8) & ~1);
    const int drift = static_cast<int>((frameNumber * (2 + channel % 3)) % period);
    std::vector<uint8_t> line(static_cast<size_t>(w + 2 * period));
    for (size_t i = 0; i < line.size(); ++i) {
        line[i] = static_cast<uint8_t>(baseLuma +
                                       ((i % period) < static_cast<size_t>(period / 2) ? 28 : 0));
    }
    for (int y = 0; y < h; ++y) {
        const int shift =
            (channel % 2 == 0) ? (y + drift) % period : (period - 1 - (y + drift) % period);
        std::memcpy(p.plane[0] + y * p.stride[0], line.data() + shift, w);
    }
    for (int y = 0; y < h / 2; ++y) {
        std::memset(p.plane[1] + y * p.stride[1], chroma[0], w / 2);
        std::memset(p.plane[2] + y * p.stride[2], chroma[1], w / 2);
    }

    // Bouncing square at its own pace per channel.
    const int side = std::max(4, h / 5) & ~1;
    const int bx = bounce(frameNumber * (3 + channel % 5) * w / 160, w - side);
    const int by = bounce(frameNumber * (2 + channel % 3) * h / 120, h - side);
    fillRect(p, bx, by, side, side, 210, static_cast<uint8_t>(255 - chroma[0]),
             static_cast<uint8_t>(255 - chroma[1]));

    // Sweep of the current second along the bottom edge.
    const int barHeight = std::max(2, h / 40) & ~1;
    const int fill = static_cast<int>(static_cast<int64_t>(w) * (millisecond % 1000) / 1000);
    fillRect(p, 0, h - barHeight, w, barHeight, 40, 128, 128);
    fillRect(p, 0, h - barHeight, std::max(2, fill), barHeight, 200, 128, 128);

    drawOverlay(p, overlayLayout(w, h), channel, instant, millisecond);
}

void drawOverlay(YuvPicture& p, const OverlayLayout& l, int channel, const CivilTime& instant,
                 int millisecond) {
    fillRect(p, l.boxX, l.boxY, l.boxWidth, l.boxHeight, kTextBoxLuma, 128, 128);
    drawText(p, l.channel, channelText(channel));
    drawText(p, l.date, dateText(instant));
    drawText(p, l.time, timeText(instant, millisecond));
}

}  // namespace mkcard
