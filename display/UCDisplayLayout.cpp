#include "display/UCDisplayLayout.h"

#include <QEasingCurve>
#include <QMutexLocker>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

#include <algorithm>

#include "display/IDisplayLayoutView.h"
#include "widgets/CConfiguration.h"

namespace G = DisplayLayoutGeometry;

namespace {

IDisplayLayoutView* layoutView(QWidget* w) {
    return dynamic_cast<IDisplayLayoutView*>(w);
}

// Site a view shows for the move preview; a view without one stands alone.
quintptr siteKeyOf(const QWidget* w) {
    if (const auto* v = dynamic_cast<const IDisplayLayoutView*>(w)) {
        if (const quintptr key = v->layoutSiteKey()) {
            return key;
        }
    }
    return reinterpret_cast<quintptr>(w);
}

QPropertyAnimation* geometryAnimation(QWidget* view, const QRect& from, const QRect& to, int easing,
                                      QObject* parent) {
    auto* anim = new QPropertyAnimation(view, "geometry", parent);
    anim->setDuration(UCDisplayLayout::kMoveDurationMs);
    anim->setEasingCurve(static_cast<QEasingCurve::Type>(easing));
    anim->setStartValue(from);
    anim->setEndValue(to);
    return anim;
}

}  // namespace

UCDisplayLayout::UCDisplayLayout(QWidget* page, QObject* parent) : QObject(parent), m_page(page) {}

UCDisplayLayout::~UCDisplayLayout() = default;

void UCDisplayLayout::setRect(const QRect& rect) {
    QMutexLocker locker(&m_lock);
    m_rect = rect;
}

QRect UCDisplayLayout::layoutRect() const {
    QMutexLocker locker(&m_lock);
    return m_rect;
}

int UCDisplayLayout::rowCount() const {
    QMutexLocker locker(&m_lock);
    return static_cast<int>(m_rows.size());
}

int UCDisplayLayout::columnCount() const {
    QMutexLocker locker(&m_lock);
    return m_columnCount;
}

UCCell* UCDisplayLayout::cell(int row, int column) const {
    if (row < 0 || column < 0 || row >= static_cast<int>(m_rows.size()) ||
        column >= m_columnCount) {
        return nullptr;
    }
    return &m_rows[row]->columns[column]->cell;
}

G::Spacing UCDisplayLayout::spacing() const {
    return G::spacingFrom(g_config);
}

G::Grid UCDisplayLayout::grid() const {
    return G::fitGrid(m_rect, spacing(), static_cast<int>(m_rows.size()), m_columnCount);
}

void UCDisplayLayout::structureChanged() {
    m_splitCount = 0;
}

void UCDisplayLayout::appendRow(int n) {
    QMutexLocker locker(&m_lock);
    insertRow(static_cast<int>(m_rows.size()), n);
}

void UCDisplayLayout::appendColumn(int n) {
    QMutexLocker locker(&m_lock);
    insertColumn(m_columnCount, n);
}

void UCDisplayLayout::insertRow(int index, int n) {
    QMutexLocker locker(&m_lock);
    if (n <= 0) {
        return;
    }
    const int rows = static_cast<int>(m_rows.size());
    index = std::clamp(index, 0, rows);
    for (int k = 0; k < n; ++k) {
        auto row = std::make_unique<UCRowItem>();
        for (int c = 0; c < m_columnCount; ++c) {
            row->columns.push_back(std::make_unique<UCColumnItem>());
        }
        m_rows.insert(m_rows.begin() + index, std::move(row));
    }
    // A view spanning across the insertion point grows over the new cells.
    for (int r = 0; r < index; ++r) {
        for (int c = 0; c < m_columnCount; ++c) {
            UCCell* anchor = cell(r, c);
            if (anchor->view.isNull() || r + anchor->rowSpan <= index) {
                continue;
            }
            anchor->rowSpan += n;
            for (int nr = index; nr < index + n; ++nr) {
                for (int nc = c; nc < std::min(c + anchor->columnSpan, m_columnCount); ++nc) {
                    cell(nr, nc)->covering = anchor->view;
                }
            }
        }
    }
    structureChanged();
}

void UCDisplayLayout::insertColumn(int index, int n) {
    QMutexLocker locker(&m_lock);
    if (n <= 0) {
        return;
    }
    index = std::clamp(index, 0, m_columnCount);
    for (auto& row : m_rows) {
        for (int k = 0; k < n; ++k) {
            row->columns.insert(row->columns.begin() + index, std::make_unique<UCColumnItem>());
        }
    }
    m_columnCount += n;
    const int rows = static_cast<int>(m_rows.size());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < index; ++c) {
            UCCell* anchor = cell(r, c);
            if (anchor->view.isNull() || c + anchor->columnSpan <= index) {
                continue;
            }
            anchor->columnSpan += n;
            for (int nr = r; nr < std::min(r + anchor->rowSpan, rows); ++nr) {
                for (int nc = index; nc < index + n; ++nc) {
                    cell(nr, nc)->covering = anchor->view;
                }
            }
        }
    }
    structureChanged();
}

bool UCDisplayLayout::firstEmptyCell(int& row, int& column,
                                     const QList<QPair<int, int>>& exclusions) const {
    QMutexLocker locker(&m_lock);
    const int rows = static_cast<int>(m_rows.size());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < m_columnCount; ++c) {
            if (cell(r, c)->isEmpty() && !exclusions.contains(qMakePair(r, c))) {
                row = r;
                column = c;
                return true;
            }
        }
    }
    row = -1;
    column = -1;
    return false;
}

void UCDisplayLayout::gridExtent(int& width, int& height) const {
    QMutexLocker locker(&m_lock);
    // Spans are left out: a spanning view's rectangle would count the cells it
    // covers a second time.
    const G::Cell one = G::cellAt(grid(), 0, 0, 1, 1, spacing().cell);
    width = m_columnCount * one.viewRect.width();
    height = static_cast<int>(m_rows.size()) * one.viewRect.height();
}

void UCDisplayLayout::grow() {
    QMutexLocker locker(&m_lock);
    int width = 0;
    int height = 0;
    gridExtent(width, height);
    if (G::growByRow(width, height)) {
        appendRow(1);
    } else {
        appendColumn(1);
    }
    // Either count may still be zero, and then the grid has no cell at all.
    if (m_rows.empty()) {
        appendRow(1);
    }
    if (m_columnCount == 0) {
        appendColumn(1);
    }
}

void UCDisplayLayout::computeGeometry() const {
    const G::Grid g = grid();
    const int s = spacing().cell;
    const int rows = static_cast<int>(m_rows.size());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < m_columnCount; ++c) {
            UCCell* cl = cell(r, c);
            const bool spans = !cl->view.isNull();
            const G::Cell geo =
                G::cellAt(g, r, c, spans ? cl->rowSpan : 1, spans ? cl->columnSpan : 1, s);
            cl->basePos = geo.basePos;
            cl->baseSize = geo.baseSize;
            cl->viewRect = geo.viewRect;
            cl->target = geo.viewRect;
        }
    }
}

QRect UCDisplayLayout::occupiedArea(int row, int column) const {
    const UCCell* cl = cell(row, column);
    if (cl && !cl->view.isNull()) {
        return QRect(column, row, cl->columnSpan, cl->rowSpan);
    }
    if (cl && !cl->covering.isNull()) {
        const int rows = static_cast<int>(m_rows.size());
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < m_columnCount; ++c) {
                const UCCell* anchor = cell(r, c);
                if (anchor->view == cl->covering) {
                    return QRect(c, r, anchor->columnSpan, anchor->rowSpan);
                }
            }
        }
    }
    return QRect(column, row, 1, 1);
}

bool UCDisplayLayout::hitCell(const QPoint& point, int& row, int& column, QWidget*& view,
                              int& zone) const {
    QMutexLocker locker(&m_lock);
    row = -1;
    column = -1;
    view = nullptr;
    zone = -1;
    const int rows = static_cast<int>(m_rows.size());
    if (rows == 0 || m_columnCount == 0) {
        return false;
    }
    computeGeometry();
    const int s = spacing().cell;

    auto found = [&](int r, int c, G::Zone z) {
        const UCCell* cl = cell(r, c);
        view = !cl->view.isNull() ? cl->view.data() : cl->covering.data();
        const QRect area = occupiedArea(r, c);
        row = z == G::ZoneBottom ? area.bottom() : r;
        column = z == G::ZoneRight ? area.right() : c;
        zone = z;
        return true;
    };

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < m_columnCount; ++c) {
            const QRect& rect = cell(r, c)->viewRect;
            if (G::inHitBand(rect, point, s)) {
                return found(r, c, G::zoneOf(rect, point));
            }
        }
    }

    // Beside the grid: the bands of single cells of the outer rows and columns.
    const G::Grid g = grid();
    const QRect first = G::cellAt(g, 0, 0, 1, 1, s).viewRect;
    const QRect last = G::cellAt(g, rows - 1, m_columnCount - 1, 1, 1, s).viewRect;
    const int leftBand = first.x() - s;
    const int rightBand = last.x() + last.width() + s;
    const int topBand = first.y() - s;
    const int bottomBand = last.y() + last.height() + s;
    for (int r = 0; r < rows; ++r) {
        const QRect rect = G::cellAt(g, r, 0, 1, 1, s).viewRect;
        if (point.y() >= rect.y() - s && point.y() <= rect.y() + rect.height() + s) {
            if (point.x() < leftBand) {
                return found(r, 0, G::ZoneLeft);
            }
            if (point.x() > rightBand) {
                return found(r, m_columnCount - 1, G::ZoneRight);
            }
        }
    }
    for (int c = 0; c < m_columnCount; ++c) {
        const QRect rect = G::cellAt(g, 0, c, 1, 1, s).viewRect;
        if (point.x() >= rect.x() - s && point.x() <= rect.x() + rect.width() + s) {
            if (point.y() < topBand) {
                return found(0, c, G::ZoneTop);
            }
            if (point.y() > bottomBand) {
                return found(rows - 1, c, G::ZoneBottom);
            }
        }
    }
    return false;
}

bool UCDisplayLayout::takeOut(const QWidget* view) {
    if (!view) {
        return false;
    }
    bool found = false;
    for (auto& row : m_rows) {
        for (auto& item : row->columns) {
            UCCell& cl = item->cell;
            if (cl.view == view) {
                cl.view = nullptr;
                cl.rowSpan = 1;
                cl.columnSpan = 1;
                found = true;
            }
            if (cl.covering == view) {
                cl.covering = nullptr;
            }
        }
    }
    return found;
}

bool UCDisplayLayout::addView(QWidget* view, int row, int column) {
    QWidget* displaced = nullptr;
    {
        QMutexLocker locker(&m_lock);
        UCCell* target = cell(row, column);
        if (!view || !target || (!target->covering.isNull() && target->covering != view)) {
            return false;
        }
        if (target->view == view) {
            return true;
        }
        takeOut(view);
        displaced = target->view.data();
        if (displaced) {
            // The new view takes the cell as it is, span included.
            for (auto& r : m_rows) {
                for (auto& item : r->columns) {
                    if (item->cell.covering == displaced) {
                        item->cell.covering = view;
                    }
                }
            }
        }
        target->view = view;
    }
    if (displaced) {
        emit signalCloseWidget(displaced);
    }
    return true;
}

bool UCDisplayLayout::removeView(QWidget* view, QParallelAnimationGroup* group) {
    {
        QMutexLocker locker(&m_lock);
        if (!takeOut(view)) {
            return false;
        }
    }
    const QRect from = view->geometry();
    const QRect to(from.center(), QSize(0, 0));
    if (group) {
        group->addAnimation(geometryAnimation(view, from, to, kDefaultEasing, m_page));
    } else {
        auto* own = new QParallelAnimationGroup(m_page);
        own->addAnimation(geometryAnimation(view, from, to, kDefaultEasing, m_page));
        own->start(QAbstractAnimation::DeleteWhenStopped);
    }
    return true;
}

void UCDisplayLayout::clear() {
    QMutexLocker locker(&m_lock);
    m_rows.clear();
    m_columnCount = 0;
    structureChanged();
}

bool UCDisplayLayout::removeEmptyLines() {
    QMutexLocker locker(&m_lock);
    bool removed = false;
    for (int r = static_cast<int>(m_rows.size()) - 1; r >= 0; --r) {
        const auto& cols = m_rows[r]->columns;
        if (std::all_of(cols.begin(), cols.end(),
                        [](const auto& it) { return it->cell.isEmpty(); })) {
            m_rows.erase(m_rows.begin() + r);
            removed = true;
        }
    }
    for (int c = m_columnCount - 1; c >= 0; --c) {
        if (std::all_of(m_rows.begin(), m_rows.end(),
                        [c](const auto& row) { return row->columns[c]->cell.isEmpty(); })) {
            for (auto& row : m_rows) {
                row->columns.erase(row->columns.begin() + c);
            }
            --m_columnCount;
            removed = true;
        }
    }
    if (removed) {
        structureChanged();
    }
    return removed;
}

void UCDisplayLayout::update(QParallelAnimationGroup* group, int easing) {
    QMutexLocker locker(&m_lock);
    if (m_rows.empty() || m_columnCount == 0) {
        return;
    }
    computeGeometry();
    const QSize page = m_page ? m_page->size() : QSize();
    for (auto& row : m_rows) {
        for (auto& item : row->columns) {
            QWidget* view = item->cell.view.data();
            if (!view) {
                continue;
            }
            const QRect rect = item->cell.viewRect;
            IDisplayLayoutView* lv = layoutView(view);
            if (lv) {
                lv->setCellGeometry(rect);
            }
            if (m_page) {
                const bool visible = !G::isOffPage(rect, page);
                if (view->isHidden() == visible) {
                    view->setVisible(visible);
                }
            }
            if (lv && lv->isPoppedUp()) {
                view->setGeometry(G::popupRect(rect, page));
            } else if (lv && lv->isEnlarged()) {
                // Stays over the page; it returns to the new cell later.
            } else if (group) {
                group->addAnimation(
                    geometryAnimation(view, view->geometry(), rect, easing, m_page));
            } else {
                view->setGeometry(rect);
            }
        }
    }
}

void UCDisplayLayout::showSplit(int first, int n, const QList<QWidget*>& views) {
    if (n <= 0) {
        return;
    }
    QParallelAnimationGroup* group = nullptr;
    {
        QMutexLocker locker(&m_lock);
        for (QWidget* v : views) {
            if (IDisplayLayoutView* lv = layoutView(v)) {
                lv->stopAnimations();
            }
        }
        const QVector<int> picked = G::splitSelection(first, n, views.size());
        for (int i = 0; i < views.size(); ++i) {
            const bool visible = picked.contains(i);
            if (views[i] && views[i]->isHidden() == visible) {
                views[i]->setVisible(visible);
            }
        }

        const G::SplitShape shape = G::splitShape(n);
        clear();
        appendColumn(shape.columns);
        appendRow(shape.rows);
        int next = 0;
        if (shape.bigSpan > 1 && !picked.isEmpty()) {
            QWidget* big = views[picked[next++]];
            UCCell* anchor = cell(0, 0);
            anchor->view = big;
            anchor->rowSpan = shape.bigSpan;
            anchor->columnSpan = shape.bigSpan;
            for (int r = 0; r < shape.bigSpan; ++r) {
                for (int c = 0; c < shape.bigSpan; ++c) {
                    if (r != 0 || c != 0) {
                        cell(r, c)->covering = big;
                    }
                }
            }
        }
        for (int r = 0; r < shape.rows && next < picked.size(); ++r) {
            for (int c = 0; c < shape.columns && next < picked.size(); ++c) {
                UCCell* cl = cell(r, c);
                if (cl->isEmpty()) {
                    cl->view = views[picked[next++]];
                }
            }
        }
        m_splitCount = n;

        group = new QParallelAnimationGroup(m_page);
        update(group, kDefaultEasing);
    }
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

int UCDisplayLayout::showGroup(int direction, int selectedIndex, const QList<QWidget*>& views) {
    int groupSize = 0;
    {
        QMutexLocker locker(&m_lock);
        const int rows = static_cast<int>(m_rows.size());
        groupSize = m_splitCount > 0 ? m_splitCount : rows * rows;
    }
    const G::GroupStep step = G::stepGroup(direction, groupSize, selectedIndex, views.size());
    if (!step.valid) {
        return -1;
    }
    showSplit(step.start, step.count, views);
    return step.selected;
}

QWidget* UCDisplayLayout::viewAt(int row, int column) const {
    QMutexLocker locker(&m_lock);
    const UCCell* cl = cell(row, column);
    return cl ? cl->view.data() : nullptr;
}

QWidget* UCDisplayLayout::coveringViewAt(int row, int column) const {
    QMutexLocker locker(&m_lock);
    const UCCell* cl = cell(row, column);
    return cl ? cl->covering.data() : nullptr;
}

QRect UCDisplayLayout::targetRect(int row, int column) const {
    QMutexLocker locker(&m_lock);
    const UCCell* cl = cell(row, column);
    return cl ? cl->target : QRect();
}

QSize UCDisplayLayout::baseSize(int row, int column) const {
    QMutexLocker locker(&m_lock);
    const UCCell* cl = cell(row, column);
    return cl ? cl->baseSize : QSize();
}

QPoint UCDisplayLayout::basePos(int row, int column) const {
    QMutexLocker locker(&m_lock);
    const UCCell* cl = cell(row, column);
    return cl ? cl->basePos : QPoint();
}

bool UCDisplayLayout::spanOf(int row, int column, int& rowSpan, int& columnSpan) const {
    QMutexLocker locker(&m_lock);
    const UCCell* cl = cell(row, column);
    if (!cl) {
        return false;
    }
    rowSpan = cl->rowSpan;
    columnSpan = cl->columnSpan;
    return true;
}

bool UCDisplayLayout::findView(const QWidget* view, int& row, int& column) const {
    QMutexLocker locker(&m_lock);
    const int rows = static_cast<int>(m_rows.size());
    for (int r = 0; r < rows && view; ++r) {
        for (int c = 0; c < m_columnCount; ++c) {
            if (cell(r, c)->view == view) {
                row = r;
                column = c;
                return true;
            }
        }
    }
    return false;
}

void UCDisplayLayout::paintGrid(QPainter& painter) const {
    QMutexLocker locker(&m_lock);
    computeGeometry();
    const int s = spacing().cell;
    painter.save();
    painter.setPen(QColor(125, 125, 125));
    painter.setBrush(QColor(255, 166, 180, 70));
    for (const auto& row : m_rows) {
        for (const auto& item : row->columns) {
            // A covered cell is part of the outline of the view covering it.
            if (item->cell.covering.isNull()) {
                painter.drawRect(G::outerRect(item->cell.viewRect, s));
            }
        }
    }
    painter.restore();
}

void UCDisplayLayout::paintDropPreview(QPainter& painter, const QPoint& point) {
    QMutexLocker locker(&m_lock);
    computeGeometry();
    const int s = spacing().cell;
    for (const auto& row : m_rows) {
        for (const auto& item : row->columns) {
            const UCCell& cl = item->cell;
            if (!cl.covering.isNull() && cl.view.isNull()) {
                continue;
            }
            const QRect outer = G::outerRect(cl.viewRect, s);
            if (!outer.contains(point)) {
                continue;
            }
            if (IDisplayLayoutView* lv = layoutView(cl.view.data())) {
                lv->showDropHighlight();
            }
            painter.fillRect(outer, QColor(226, 166, 180, 70));
            painter.fillRect(G::innerRect(cl.viewRect), QColor(0, 0, 250, 100));
            m_previewShown = true;
            return;
        }
    }
}

void UCDisplayLayout::paintMovePreview(QPainter& painter, const QWidget* view) const {
    QMutexLocker locker(&m_lock);
    if (!view) {
        return;
    }
    computeGeometry();
    const int s = spacing().cell;
    const quintptr key = siteKeyOf(view);
    for (const auto& row : m_rows) {
        for (const auto& item : row->columns) {
            const UCCell& cl = item->cell;
            if (cl.view.isNull() || siteKeyOf(cl.view.data()) != key) {
                continue;
            }
            painter.fillRect(G::outerRect(cl.viewRect, s), QColor(0, 0, 250, 150));
            painter.fillRect(G::innerRect(cl.viewRect), QColor(0, 0, 250, 100));
        }
    }
}

void UCDisplayLayout::clearPreview() {
    QMutexLocker locker(&m_lock);
    m_previewShown = false;
    if (m_page) {
        m_page->update();
    }
    for (const auto& row : m_rows) {
        for (const auto& item : row->columns) {
            if (IDisplayLayoutView* lv = layoutView(item->cell.view.data())) {
                lv->hideDropHighlight();
            }
        }
    }
}

bool UCDisplayLayout::isPreviewShown() const {
    QMutexLocker locker(&m_lock);
    return m_previewShown;
}
