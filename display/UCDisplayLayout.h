#pragma once

// The grid of a display page: rows of cells whose views keep the configured
// picture shape (4:3, or 16:9 when "SCREEN_RATIO" is 2), centred in the area
// the page hands over. It is not a Qt layout: it computes the cell rectangles
// itself (DisplayLayoutGeometry) and moves the views with setGeometry or with
// "geometry" animations added to a group the caller starts.
//
// Views are plain QWidget pointers (children of the page); a view that also
// implements IDisplayLayoutView takes part in enlarge, pop-up, drop highlight
// and move preview. The layout does not own its views: it holds guarded
// pointers, so a view deleted elsewhere simply leaves its cell empty.
//
// Margins, spacing and screen ratio come from g_config at every geometry
// computation, so a changed setting applies at the next update().
//
// Threading: GUI thread only. Every operation takes the layout's recursive
// lock (lock()), which the page may also hold around its own sequences of
// layout calls. signalCloseWidget is emitted after the lock is released.

#include <QList>
#include <QObject>
#include <QPair>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRecursiveMutex>
#include <QSize>
#include <QWidget>

#include <memory>
#include <vector>

#include "display/DisplayLayoutGeometry.h"

class QPainter;
class QParallelAnimationGroup;

// One place of the grid. The rectangles are a cache of the layout's geometry,
// refreshed from the area, the settings and the spans before they are used.
struct UCCell {
    // Where the view goes: a copy of viewRect after each geometry update.
    QRect target;
    // Rectangle of a view in this cell, spacing taken off, spans included.
    QRect viewRect;
    // Top-left of the cell before the spacing is taken off, and one grid cell's
    // size.
    QPoint basePos;
    QSize baseSize;
    // The view placed here, or null.
    QPointer<QWidget> view;
    // The view of another cell whose span covers this one, or null.
    QPointer<QWidget> covering;
    int rowSpan = 1;
    int columnSpan = 1;

    bool isEmpty() const { return view.isNull() && covering.isNull(); }
};

// A column entry of a row: owns its cell.
class UCColumnItem {
public:
    UCCell cell;
};

// One row of the grid, its columns left to right.
class UCRowItem {
public:
    std::vector<std::unique_ptr<UCColumnItem>> columns;
};

class UCDisplayLayout : public QObject {
    Q_OBJECT

public:
    // Easing of the page's re-layout moves (QEasingCurve::OutCubic).
    static constexpr int kDefaultEasing = 6;
    // Duration of every geometry animation the layout creates.
    static constexpr int kMoveDurationMs = 500;

    // `page` is the display page: the views' parent, the parent of the
    // animations and the widget the previews repaint.
    explicit UCDisplayLayout(QWidget* page, QObject* parent = nullptr);
    ~UCDisplayLayout() override;

    QRecursiveMutex* lock() { return &m_lock; }

    // The area of the page the grid fills (initially null).
    void setRect(const QRect& rect);
    QRect layoutRect() const;

    int rowCount() const;
    int columnCount() const;

    // Grid growth. Appending rows to a grid without columns gives empty rows
    // that get their cells as columns are appended. Inserting inside the
    // span of a view stretches that view's span over the new cells, so no
    // new cell lies under a view. Indices beyond the grid append; n <= 0 does
    // nothing.
    void appendRow(int n = 1);
    void appendColumn(int n = 1);
    void insertRow(int index, int n = 1);
    void insertColumn(int index, int n = 1);

    // First empty cell (no view, not covered) in row-major order that is not
    // among `exclusions` (row, column pairs). False, with row and column -1,
    // when there is none.
    bool firstEmptyCell(int& row, int& column, const QList<QPair<int, int>>& exclusions = {}) const;
    // Width of the widest row and the summed height of the rows, measured on
    // single cells' view rectangles at the current area.
    void gridExtent(int& width, int& height) const;
    // The automatic growth for a full grid: a row (and a column when there is
    // none) when the grid is at least 4:3 wide, otherwise a column.
    void grow();

    // Which cell a point on the page falls in: the cell whose view rectangle,
    // grown by one cell spacing, holds the point, else the row or column
    // whose band the point lies beside, outside the grid. `view` is the
    // cell's view or the view covering it; `zone` a DisplayLayoutGeometry::Zone.
    // For the right and bottom zones, column and row are the last ones the
    // view spans. False when the point is in no cell and beside no row or
    // column.
    bool hitCell(const QPoint& point, int& row, int& column, QWidget*& view, int& zone) const;

    // Places `view` in a cell, taking it out of any other cell first. A view
    // already in the cell is displaced and signalCloseWidget is emitted for it.
    // False (and nothing changes) for a cell outside the grid or covered by
    // another view's span.
    bool addView(QWidget* view, int row, int column);
    // Takes a view out of the grid: its cell and every cell its span covers
    // become empty with spans 1 x 1; rows and columns stay. The view shrinks to
    // its centre in `group`, or, without a group, in a group of its own that
    // starts at once and deletes itself. False when the view is not in the grid.
    bool removeView(QWidget* view, QParallelAnimationGroup* group = nullptr);
    // Deletes all rows and columns.
    void clear();
    // Deletes every row and every column holding no view and covered by none.
    // True when anything was deleted.
    bool removeEmptyLines();

    // Recomputes every cell and moves the views: with a group, each view gets
    // a 500 ms "geometry" animation with `easing` (a QEasingCurve::Type) added
    // to it; without one, setGeometry at once. A popped-up view gets a pop-up
    // rectangle around its new cell, an enlarged view stays; both return to
    // the new cell later. Views wholly outside the page are hidden, the others
    // shown. Does nothing for a grid without rows or columns.
    void update(QParallelAnimationGroup* group = nullptr, int easing = kDefaultEasing);

    // Split mode: shows n views of `views` starting at index `first` (wrapping
    // round to the list's start) in a fresh grid of the split's shape and
    // hides every other view of the list. Pop-ups and enlargements end first.
    // The views move to their cells in a group of their own that starts at once.
    void showSplit(int first, int n, const QList<QWidget*>& views);
    template <class View>
    void showSplit(int first, int n, const QList<View*>& views) {
        showSplit(first, n, toWidgets(views));
    }
    // Previous (1) or next (2) group of views, as large as the current split
    // (or rows x rows when the grid was changed since), shown with showSplit.
    // Returns the index in `views` of the view at the selected view's position
    // in the new group, which the caller selects, or -1 when nothing changed.
    int showGroup(int direction, int selectedIndex, const QList<QWidget*>& views);
    template <class View>
    int showGroup(int direction, int selectedIndex, const QList<View*>& views) {
        return showGroup(direction, selectedIndex, toWidgets(views));
    }

    // Cell contents and geometry, for the page and for tests. Out-of-range
    // cells answer null, empty rectangles and false.
    QWidget* viewAt(int row, int column) const;
    QWidget* coveringViewAt(int row, int column) const;
    QRect targetRect(int row, int column) const;
    QSize baseSize(int row, int column) const;
    QPoint basePos(int row, int column) const;
    bool spanOf(int row, int column, int& rowSpan, int& columnSpan) const;
    // Cell holding `view` (not one it only covers).
    bool findView(const QWidget* view, int& row, int& column) const;

    // Previews painted on the page (page coordinates). The grid: every cell
    // outlined and tinted, while a drag is over the page. The drop preview: the
    // cell under `point` tinted with its centre zone marked, its view's drop
    // highlight shown. The move preview: every cell whose view shows the same
    // site as `view`, tinted blue.
    void paintGrid(QPainter& painter) const;
    void paintDropPreview(QPainter& painter, const QPoint& point);
    void paintMovePreview(QPainter& painter, const QWidget* view) const;
    // Ends the drop preview: repaints the page and hides every drop highlight.
    void clearPreview();
    bool isPreviewShown() const;

signals:
    // A view was displaced from its cell by addView; the page closes it.
    void signalCloseWidget(QWidget* widget);

private:
    template <class View>
    static QList<QWidget*> toWidgets(const QList<View*>& views) {
        QList<QWidget*> out;
        out.reserve(views.size());
        for (View* v : views) {
            out.append(v);
        }
        return out;
    }

    UCCell* cell(int row, int column) const;
    DisplayLayoutGeometry::Spacing spacing() const;
    DisplayLayoutGeometry::Grid grid() const;
    // Refreshes the rectangles every cell caches (base, view, target) from the
    // current area, settings and spans, without touching the views.
    void computeGeometry() const;
    // Empties the cell of `view` and the cells its span covers.
    bool takeOut(const QWidget* view);
    // Grid coordinates (x column, y row) of all cells the view occupying
    // (row, column) spans; 1 x 1 for an empty cell.
    QRect occupiedArea(int row, int column) const;
    void structureChanged();

    QPointer<QWidget> m_page;
    // Guards everything below; recursive so that a caller holding it can call
    // any operation.
    mutable QRecursiveMutex m_lock;
    std::vector<std::unique_ptr<UCRowItem>> m_rows;
    int m_columnCount = 0;
    QRect m_rect;
    bool m_previewShown = false;
    // Views per group of the last split, 0 once the grid is changed otherwise.
    int m_splitCount = 0;
};
