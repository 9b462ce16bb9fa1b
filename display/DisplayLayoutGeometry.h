#pragma once

// The geometry rules of a display page's grid, as pure functions: where the
// cells of an R x C grid go on the page, which part of a cell a point falls in,
// how a split mode shapes the grid and which views it shows, and which group
// "previous" and "next" move to. UCDisplayLayout applies them to real views.
//
// Conventions: rectangles are in the page's coordinates; a view rectangle is
// the part of a cell a view covers, the cell spacing already taken off; rows
// and columns count from 0, top-left first.
//
// Threading: pure functions, callable from any thread.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

class CConfiguration;

namespace DisplayLayoutGeometry {

// Margins around the grid and the gap between cells, in pixels, and the picture
// shape of a cell. The defaults are the configuration's defaults.
struct Spacing {
    int top = 10;
    int bottom = 15;
    int left = 20;
    int right = 20;
    int cell = 8;
    // 2 selects 16:9 cells, anything else 4:3 (the "SCREEN_RATIO" setting).
    int screenRatio = 0;
};

// Reads the margins, the cell spacing and the screen ratio of a configuration.
Spacing spacingFrom(const CConfiguration& config);

// Cell height divided by cell width: 0.5625 for screen ratio 2, otherwise 0.75.
double cellAspect(int screenRatio);

// The largest cells of the configured shape that let a rows x columns grid fit
// the area inside the margins, and the top-left corner of the grid centred in
// that area. All zero for a grid without rows or columns, and sizes never go
// below zero when the area is smaller than its margins.
struct Grid {
    double left = 0;
    double top = 0;
    double cellWidth = 0;
    double cellHeight = 0;
};
Grid fitGrid(const QRect& area, const Spacing& spacing, int rows, int columns);

// One cell of a grid: its base position and size (before spacing), and the
// rectangle a view spanning rowSpan x columnSpan cells from here covers. Half
// the cell spacing is taken off each side, so neighbouring views are one
// spacing apart and the outermost ones keep the configured margins.
struct Cell {
    QPoint basePos;
    QSize baseSize;
    QRect viewRect;
};
Cell cellAt(const Grid& grid, int row, int column, int rowSpan, int columnSpan, int cellSpace);

// True when no pixel of a view at `rect` lies on a page of `page` size (it is
// wholly right of, below, left of or above the page); such views are hidden.
bool isOffPage(const QRect& rect, const QSize& page);

// Where a small view pops up: half the page's width and height, no further
// right or down than a quarter of the page, and moved back left and up as far
// as needed to still cover the view's right and bottom edges.
QRect popupRect(const QRect& view, const QSize& page);

// Parts of a cell a dropped channel can land on.
enum Zone {
    ZoneLeft = 0,    // a column goes in before the cell
    ZoneRight = 1,   // a column goes in after the cell
    ZoneTop = 2,     // a row goes in above the cell
    ZoneBottom = 3,  // a row goes in below the cell
    ZoneCentre = 4   // the cell's view is replaced
};

// A point belongs to a cell when it is at most one cell spacing outside the
// cell's view rectangle (x - s <= px <= x + w + s, likewise for y).
bool inHitBand(const QRect& viewRect, const QPoint& point, int cellSpace);

// The zone of a point of the cell's band: the outer tenths of the view
// rectangle are the edge zones, tested left, right, top, bottom in that order
// (so corners are left or right edges), the rest is the centre.
Zone zoneOf(const QRect& viewRect, const QPoint& point);

// Rectangles the drag and move previews paint: the cell around a view (its
// view rectangle grown by half the spacing), and the centre zone (the central
// 80 % of the view rectangle).
QRect outerRect(const QRect& viewRect, int cellSpace);
QRect innerRect(const QRect& viewRect);

// The automatic growth rule for a full grid: true means append a row (the grid
// is at least 4:3 wide), false means append a column.
bool growByRow(int gridWidth, int gridHeight);

// The grid a split mode shows n views in: 1 -> 1 x 1, 2 to 4 -> 2 x 2, 9 -> 3 x 3,
// 5 to 8 -> 4 x 4 whose top-left cell spans 3 x 3 (eight places), anything else
// 4 x 4.
struct SplitShape {
    int rows = 0;
    int columns = 0;
    int bigSpan = 1;  // row and column span of the top-left cell
    // Places the shape has for views (cells not covered by the big one).
    int places() const { return rows * columns - (bigSpan * bigSpan - 1); }
};
SplitShape splitShape(int n);

// Indices of the views a split of n views starting at `first` shows, in order:
// from `first` to the end of the list, then on from the list's start up to
// `first`, never more than n and never more than the shape has places.
QVector<int> splitSelection(int first, int n, int viewCount);

// Previous (direction 1) or next (direction 2) group of `groupSize` views.
// Only the first eight views count towards the number of groups; the groups
// wrap around; a group that would run past the list's end starts groupSize
// views before the end instead. `selected` is the index of the view at the
// same position in the new group. `valid` is false for an empty list, an
// empty group or an unknown direction.
struct GroupStep {
    bool valid = false;
    int start = 0;
    int count = 0;
    int selected = -1;
};
GroupStep stepGroup(int direction, int groupSize, int selectedIndex, int viewCount);

}  // namespace DisplayLayoutGeometry
