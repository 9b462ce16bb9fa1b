#include "display/DisplayLayoutGeometry.h"

#include <algorithm>
#include <cmath>

#include "widgets/CConfiguration.h"

namespace DisplayLayoutGeometry {

namespace {

// Whole pixels of a computed coordinate or size. The sums and quotients carry
// rounding errors, so a value that is mathematically whole (960 as
// 256.667 + 703.333) may come out a hair below it and would lose a pixel when
// cut; a tolerance far below a pixel keeps such values whole.
int toPixels(double v) {
    return static_cast<int>(std::floor(v + 1e-6));
}

}  // namespace

Spacing spacingFrom(const CConfiguration& config) {
    Spacing s;
    s.top = config.topSpace();
    s.bottom = config.bottomSpace();
    s.left = config.leftSpace();
    s.right = config.rightSpace();
    s.cell = config.cellSpace();
    s.screenRatio = config.screenRatio();
    return s;
}

double cellAspect(int screenRatio) {
    return screenRatio == 2 ? 0.5625 : 0.75;
}

Grid fitGrid(const QRect& area, const Spacing& spacing, int rows, int columns) {
    Grid g;
    if (rows <= 0 || columns <= 0) {
        return g;
    }
    // QRect's width is right - left + 1.
    const double w = std::max(0, area.width() - spacing.right - spacing.left);
    const double h = std::max(0, area.height() - spacing.bottom - spacing.top);
    const double k = cellAspect(spacing.screenRatio);
    const double w0 = w / columns;
    const double h0 = h / rows;
    if (h0 <= w0) {
        g.cellHeight = h0;
        g.cellWidth = h0 / k;
        if (columns * g.cellWidth > w) {
            g.cellWidth = w0;
            g.cellHeight = k * w0;
        }
    } else {
        g.cellWidth = w0;
        g.cellHeight = k * w0;
    }
    g.left = (w - columns * g.cellWidth) * 0.5 + area.left() + spacing.left;
    g.top = (h - rows * g.cellHeight) * 0.5 + area.top() + spacing.top;
    return g;
}

Cell cellAt(const Grid& grid, int row, int column, int rowSpan, int columnSpan, int cellSpace) {
    Cell c;
    const double x = grid.left + column * grid.cellWidth;
    const double y = grid.top + row * grid.cellHeight;
    c.basePos = QPoint(toPixels(x), toPixels(y));
    c.baseSize = QSize(toPixels(grid.cellWidth), toPixels(grid.cellHeight));
    const int w = std::max(0, toPixels(columnSpan * grid.cellWidth - cellSpace));
    const int h = std::max(0, toPixels(rowSpan * grid.cellHeight - cellSpace));
    c.viewRect = QRect(c.basePos.x() + cellSpace / 2, c.basePos.y() + cellSpace / 2, w, h);
    return c;
}

bool isOffPage(const QRect& rect, const QSize& page) {
    return rect.left() >= page.width() || rect.top() >= page.height() || rect.right() < 0 ||
           rect.bottom() < 0;
}

QRect popupRect(const QRect& view, const QSize& page) {
    const int w2 = page.width() / 2;
    const int h2 = page.height() / 2;
    int x = std::min(view.x(), w2 / 2);
    int y = std::min(view.y(), h2 / 2);
    const int viewRight = view.x() + view.width();
    const int viewBottom = view.y() + view.height();
    if (x + w2 < viewRight) {
        x = viewRight - w2;
    }
    if (y + h2 < viewBottom) {
        y = viewBottom - h2;
    }
    return QRect(x, y, w2, h2);
}

bool inHitBand(const QRect& r, const QPoint& p, int s) {
    return r.x() - s <= p.x() && p.x() <= r.x() + r.width() + s && r.y() - s <= p.y() &&
           p.y() <= r.y() + r.height() + s;
}

Zone zoneOf(const QRect& r, const QPoint& p) {
    const int x = r.x();
    const int y = r.y();
    const int w = r.width();
    const int h = r.height();
    if (p.x() <= x + w / 10) {
        return ZoneLeft;
    }
    if (p.x() >= x + 9 * w / 10) {
        return ZoneRight;
    }
    if (p.y() <= y + h / 10) {
        return ZoneTop;
    }
    if (p.y() >= y + 9 * h / 10) {
        return ZoneBottom;
    }
    return ZoneCentre;
}

QRect outerRect(const QRect& r, int s) {
    const int half = s / 2;
    return QRect(r.x() - half, r.y() - half, r.width() + 2 * half, r.height() + 2 * half);
}

QRect innerRect(const QRect& r) {
    return QRect(r.x() + r.width() / 10, r.y() + r.height() / 10, 4 * r.width() / 5,
                 4 * r.height() / 5);
}

bool growByRow(int gridWidth, int gridHeight) {
    return static_cast<qint64>(gridWidth) * 3 >= static_cast<qint64>(gridHeight) * 4;
}

SplitShape splitShape(int n) {
    SplitShape s;
    if (n == 1) {
        s.rows = s.columns = 1;
    } else if (n >= 2 && n <= 4) {
        s.rows = s.columns = 2;
    } else if (n == 9) {
        s.rows = s.columns = 3;
    } else if (n >= 5 && n <= 8) {
        s.rows = s.columns = 4;
        s.bigSpan = 3;
    } else {
        s.rows = s.columns = 4;
    }
    return s;
}

QVector<int> splitSelection(int first, int n, int viewCount) {
    QVector<int> picked;
    if (viewCount <= 0 || n <= 0) {
        return picked;
    }
    const int wanted = std::min(n, splitShape(n).places());
    first = std::clamp(first, 0, viewCount - 1);
    for (int i = first; i < viewCount && picked.size() < wanted; ++i) {
        picked.append(i);
    }
    for (int i = 0; i < first && picked.size() < wanted; ++i) {
        picked.append(i);
    }
    return picked;
}

GroupStep stepGroup(int direction, int groupSize, int selectedIndex, int viewCount) {
    GroupStep step;
    if (viewCount <= 0 || groupSize <= 0 || (direction != 1 && direction != 2)) {
        return step;
    }
    const int i = std::clamp(selectedIndex, 0, viewCount - 1);
    const int counted = std::min(viewCount, 8);
    const int groups = (counted + groupSize - 1) / groupSize;
    const int current = i / groupSize;
    int next;
    if (direction == 1) {
        // From a view past the counted ones "previous" is the last group too.
        next = current - 1;
        if (next < 0 || next >= groups) {
            next = groups - 1;
        }
    } else {
        next = current + 1;
        if (next >= groups) {
            next = 0;
        }
    }
    int start = next * groupSize;
    if (start + groupSize > viewCount) {
        start = std::max(0, viewCount - groupSize);
    }
    step.valid = true;
    step.start = start;
    step.count = groupSize;
    step.selected = std::min(start + i % groupSize, viewCount - 1);
    return step;
}

}  // namespace DisplayLayoutGeometry
