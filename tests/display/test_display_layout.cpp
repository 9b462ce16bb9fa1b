// The display grid: its geometry rules checked against rectangles worked out by
// hand (full HD page, default margins 10/15/20/20 and spacing 8 unless said
// otherwise), and the layout driving real widgets through growth, drops,
// split modes, groups, removals and previews.

#include <QImage>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include "display/IDisplayLayoutView.h"
#include "display/UCDisplayLayout.h"
#include "widgets/CConfiguration.h"

namespace G = DisplayLayoutGeometry;

namespace {

// A view that records what the layout asks of it.
class FakeView : public QWidget, public IDisplayLayoutView {
public:
    FakeView(QWidget* parent, quintptr site) : QWidget(parent), site(site) {}
    bool isEnlarged() const override { return enlarged; }
    bool isPoppedUp() const override { return poppedUp; }
    void stopAnimations() override {
        enlarged = poppedUp = false;
        ++stops;
    }
    void setCellGeometry(const QRect& r) override { cell = r; }
    void showDropHighlight() override { highlighted = true; }
    void hideDropHighlight() override { highlighted = false; }
    quintptr layoutSiteKey() const override { return site; }

    quintptr site;
    bool enlarged = false, poppedUp = false, highlighted = false;
    int stops = 0;
    QRect cell;
};

const QRect kHd(0, 0, 1920, 1080);
// 2 x 2 at 4:3: cells 703.33 x 527.5 in the 1880 x 1055 inner area, the grid
// centred from x = 236.67 + 20.
const QRect k2x2[4] = {QRect(260, 14, 695, 519), QRect(964, 14, 695, 519),
                       QRect(260, 541, 695, 519), QRect(964, 541, 695, 519)};
const QColor kWhite(Qt::white);

bool isBlue(QColor c) {
    return c.blue() > c.red() + 50;
}
bool isPink(QColor c) {
    return c != kWhite && c.red() > c.blue();
}

}  // namespace

class TestDisplayLayout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cells();
    void pageRules();
    void splitSelectionAndGroups();

    void growthAsViewsArrive();
    void updateFollowsSettingsAreaAndViewState();
    void animatedUpdate();
    void hitsOnTheGrid();
    void splitModes();
    void eightSplitAndInsertions();
    void groupsStepThroughSplits();
    void addViewDisplacesAndRefusesCoveredCells();
    void removeViewAndEmptyLines();
    void previews();

private:
    std::vector<FakeView*> makeViews(int n, quintptr site = 0);
    QList<QWidget*> widgets() const { return {m_views.begin(), m_views.end()}; }
    void grid(int rows, int columns, int views);
    QImage paint(const std::function<void(QPainter&)>& draw) const;
    QPoint hit(const QPoint& p, QWidget** view = nullptr, int* zone = nullptr) const;

    std::unique_ptr<QWidget> m_page;
    std::unique_ptr<UCDisplayLayout> m_layout;
    std::vector<FakeView*> m_views;
};

void TestDisplayLayout::init() {
    g_config.setScreenRatio(0);
    g_config.setTopSpace(10);
    g_config.setBottomSpace(15);
    g_config.setLeftSpace(20);
    g_config.setRightSpace(20);
    g_config.setCellSpace(8);
    m_page = std::make_unique<QWidget>();
    m_page->resize(kHd.size());
    m_page->show();
    m_layout = std::make_unique<UCDisplayLayout>(m_page.get());
    m_layout->setRect(kHd);
    m_views.clear();
}

void TestDisplayLayout::cleanup() {
    m_layout.reset();
    m_page.reset();
}

std::vector<FakeView*> TestDisplayLayout::makeViews(int n, quintptr site) {
    std::vector<FakeView*> made;
    for (int i = 0; i < n; ++i) {
        made.push_back(new FakeView(m_page.get(), site));
        m_views.push_back(made.back());
    }
    return made;
}

// A rows x columns grid filled row-major with `views` new views.
void TestDisplayLayout::grid(int rows, int columns, int views) {
    m_layout->appendColumn(columns);
    m_layout->appendRow(rows);
    auto made = makeViews(views);
    for (int i = 0; i < views; ++i) {
        QVERIFY(m_layout->addView(made[i], i / columns, i % columns));
    }
}

QImage TestDisplayLayout::paint(const std::function<void(QPainter&)>& draw) const {
    QImage image(kHd.size(), QImage::Format_ARGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    draw(painter);
    return image;
}

// (column, row) of the cell hit, (-1, -1) for none.
QPoint TestDisplayLayout::hit(const QPoint& p, QWidget** view, int* zone) const {
    int row = -1, column = -1, z = -1;
    QWidget* v = nullptr;
    if (!m_layout->hitCell(p, row, column, v, z)) {
        return QPoint(-1, -1);
    }
    if (view) {
        *view = v;
    }
    if (zone) {
        *zone = z;
    }
    return QPoint(column, row);
}

void TestDisplayLayout::cells() {
    const G::Spacing usual;
    G::Spacing wide;
    wide.screenRatio = 2;
    const G::Spacing bare{0, 0, 0, 0, 0, 0};
    G::Spacing odd = bare;
    odd.cell = 5;
    const struct {
        QRect area;
        G::Spacing spacing;
        QSize grid;   // columns x rows
        QPoint cell;  // column, row
        QPoint basePos;
        QSize baseSize;
        QRect viewRect;
    } cases[] = {
        // 4:3 2x2, the last cell: 256.67 + 703.33 is 960 exactly.
        {kHd, usual, {2, 2}, {1, 1}, {960, 537}, {703, 527}, k2x2[3]},
        // 16:9: 937.78 x 527.5 from 2.22 + 20.
        {kHd, wide, {2, 2}, {0, 0}, {22, 10}, {937, 527}, {26, 14, 929, 519}},
        // 4:3 3x3: 468.89 x 351.67; (2, 2) at 256.67 + 937.78, 10 + 703.33.
        {kHd, usual, {3, 3}, {2, 2}, {1194, 713}, {468, 351}, {1198, 717, 460, 343}},
        // A tall page, 760 x 975 inside: the width decides, centred at 202.5 + 10.
        {{0, 0, 800, 1000}, usual, {1, 1}, {0, 0}, {20, 212}, {760, 570}, {24, 216, 752, 562}},
        // 960 x 875 inside: 875 high would be 1166.67 wide, so the width decides.
        {{0, 0, 1000, 900}, usual, {1, 1}, {0, 0}, {20, 87}, {960, 720}, {24, 91, 952, 712}},
        // An offset area.
        {{100, 50, 1000, 900}, bare, {3, 1}, {2, 0}, {766, 375}, {333, 250}, {766, 375, 333, 250}},
        {{0, 0, 800, 600}, odd, {2, 2}, {0, 1}, {0, 300}, {400, 300}, {2, 302, 395, 295}},
    };
    for (const auto& c : cases) {
        const G::Grid g = G::fitGrid(c.area, c.spacing, c.grid.height(), c.grid.width());
        const G::Cell cell = G::cellAt(g, c.cell.y(), c.cell.x(), 1, 1, c.spacing.cell);
        QCOMPARE(cell.basePos, c.basePos);
        QCOMPARE(cell.baseSize, c.baseSize);
        QCOMPARE(cell.viewRect, c.viewRect);
    }
}

void TestDisplayLayout::pageRules() {
    // A page smaller than its margins, or the null area of a new page: empty
    // cells, never negative sizes.
    for (const QRect& area : {QRect(0, 0, 30, 20), QRect()}) {
        const QRect r = G::cellAt(G::fitGrid(area, G::Spacing(), 2, 2), 1, 1, 1, 1, 8).viewRect;
        QVERIFY(r.width() >= 0 && r.height() >= 0);
    }
    const QSize page = kHd.size();
    QVERIFY(!G::isOffPage(QRect(1919, 0, 10, 10), page) && !G::isOffPage({-9, -9, 10, 10}, page));
    QVERIFY(G::isOffPage(QRect(1920, 0, 10, 10), page) && G::isOffPage({-10, 0, 10, 10}, page));
    // Pop-up: half the page, at most a quarter page in, over the view's far edges.
    QCOMPARE(G::popupRect(QRect(900, 400, 100, 100), page), QRect(480, 270, 960, 540));
    QCOMPARE(G::popupRect(QRect(1315, 805, 343, 255), page), QRect(698, 520, 960, 540));
    // Preview rectangles: the cell again, and exactly the centre zone.
    QCOMPARE(G::outerRect(k2x2[0], 8), QRect(256, 10, 703, 527));
    QCOMPARE(G::innerRect(k2x2[0]), QRect(329, 65, 556, 415));
    QVERIFY(G::growByRow(1398, 1047) && !G::growByRow(400, 301));
    QVERIFY(G::growByRow(100000, 75000));
}

void TestDisplayLayout::splitSelectionAndGroups() {
    QCOMPARE(G::splitSelection(2, 9, 4), (QVector<int>{2, 3, 0, 1}));
    QCOMPARE(G::splitSelection(0, 20, 20).size(), 16);  // the grid holds 16
    QCOMPARE(G::splitSelection(12, 1, 5), QVector<int>{4});

    const struct {
        int direction, size, selected, count, start, newSelected;
    } cases[] = {{2, 4, 1, 9, 4, 5},
                 {2, 4, 5, 9, 0, 1},
                 {1, 4, 2, 9, 4, 6},
                 // Only eight views make groups: the ninth is never stepped to.
                 {2, 1, 7, 9, 0, 0},
                 {1, 1, 8, 9, 7, 7},
                 {2, 1, 8, 9, 0, 0},
                 // A group that would run past the end starts a group before it.
                 {2, 4, 0, 6, 2, 2},
                 {2, 9, 4, 9, 0, 4},
                 {2, 4, 1, 3, 0, 1},
                 {2, 4, -1, 9, 4, 4},
                 // Nothing to step.
                 {2, 4, 0, 0, 0, -1},
                 {2, 0, 0, 5, 0, -1},
                 {3, 4, 0, 9, 0, -1}};
    for (const auto& c : cases) {
        const G::GroupStep s = G::stepGroup(c.direction, c.size, c.selected, c.count);
        QCOMPARE(s.selected, c.newSelected);
        QCOMPARE(s.valid, c.newSelected >= 0);
        QCOMPARE(s.valid ? s.start : 0, c.start);
    }
}

void TestDisplayLayout::growthAsViewsArrive() {
    // Placed as a page does without a drop point: first empty cell, growing a
    // full grid by a row while it is at least 4:3 wide, else by a column.
    const QSize grids[9] = {{1, 1}, {1, 2}, {2, 2}, {2, 2}, {2, 3}, {2, 3}, {3, 3}, {3, 3}, {3, 3}};
    const QPoint cells[9] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 2},
                             {1, 2}, {2, 0}, {2, 1}, {2, 2}};
    for (int i = 0; i < 9; ++i) {
        int row = -1, column = -1;
        if (!m_layout->firstEmptyCell(row, column)) {
            m_layout->grow();
            QVERIFY(m_layout->firstEmptyCell(row, column));
        }
        QCOMPARE(QPoint(column, row), cells[i]);
        QVERIFY(m_layout->addView(makeViews(1)[0], row, column));
        QCOMPARE(QSize(m_layout->columnCount(), m_layout->rowCount()), grids[i]);
    }
    m_layout->update();
    QCOMPARE(m_views[8]->geometry(), QRect(1198, 717, 460, 343));
    QCOMPARE(m_views[8]->cell, QRect(1198, 717, 460, 343));
    // Exclusions are skipped.
    m_layout->appendColumn();
    int row = 0, column = 0;
    QVERIFY(m_layout->firstEmptyCell(row, column, {{0, 3}}));
    QCOMPARE(QPoint(column, row), QPoint(3, 1));
    QVERIFY(!m_layout->firstEmptyCell(row, column, {{0, 3}, {1, 3}, {2, 3}}));
    QCOMPARE(QPoint(column, row), QPoint(-1, -1));
}

void TestDisplayLayout::updateFollowsSettingsAreaAndViewState() {
    grid(2, 2, 4);
    m_layout->update();
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(m_views[i]->geometry(), k2x2[i]);
    }
    QCOMPARE(m_layout->baseSize(0, 0), QSize(703, 527));
    g_config.setScreenRatio(2);
    m_layout->update();
    QCOMPARE(m_views[3]->geometry(), QRect(964, 541, 929, 519));

    // Other margins and spacing: no margins, spacing 4, in 800 x 600.
    g_config.setScreenRatio(0);
    g_config.setTopSpace(0), g_config.setBottomSpace(0);
    g_config.setLeftSpace(0), g_config.setRightSpace(0);
    g_config.setCellSpace(4);
    m_layout->setRect(QRect(0, 0, 800, 600));
    m_layout->update();
    QCOMPARE(m_views[3]->geometry(), QRect(402, 302, 396, 296));

    // A zoomed area wider than the page: the second column starts at 2000
    // (1406.67 wide cells from 593.33) and is hidden until it comes back.
    init();
    grid(1, 2, 2);
    m_views[0]->poppedUp = true;
    m_layout->setRect(QRect(0, 0, 4000, 1080));
    m_layout->update();
    QCOMPARE(m_views[1]->geometry().x(), 2004);
    QVERIFY(m_views[1]->isHidden());
    QVERIFY(m_views[0]->isVisible());
    // A popped-up view pops up around its new cell and returns to it later;
    // an enlarged view stays where it is.
    m_views[1]->enlarged = true;
    m_layout->setRect(kHd);
    m_layout->update();
    QVERIFY(m_views[1]->isVisible());
    QCOMPARE(m_views[0]->cell, QRect(24, 189, 932, 697));
    QCOMPARE(m_views[0]->geometry(), QRect(24, 346, 960, 540));
    QCOMPARE(m_views[1]->cell, QRect(964, 189, 932, 697));
    QCOMPARE(m_views[1]->geometry().x(), 2004);
}

void TestDisplayLayout::animatedUpdate() {
    grid(2, 2, 0);
    auto views = makeViews(2);
    views[0]->setGeometry(0, 0, 10, 10);
    m_layout->addView(views[0], 1, 1);
    m_layout->addView(views[1], 0, 0);
    views[1]->enlarged = true;
    QParallelAnimationGroup group;
    m_layout->update(&group, QEasingCurve::OutBack);
    QCOMPARE(views[0]->geometry(), QRect(0, 0, 10, 10));
    QCOMPARE(group.animationCount(), 1);  // not the enlarged view
    auto* anim = qobject_cast<QPropertyAnimation*>(group.animationAt(0));
    QVERIFY(anim && anim->targetObject() == views[0] && anim->propertyName() == "geometry");
    QCOMPARE(anim->duration(), 500);
    QCOMPARE(anim->easingCurve().type(), QEasingCurve::OutBack);
    group.start();
    QTRY_COMPARE(views[0]->geometry(), k2x2[3]);
}

void TestDisplayLayout::hitsOnTheGrid() {
    grid(2, 2, 3);
    QWidget* view = nullptr;
    int zone = -1;
    const struct {
        QPoint p, cell;
        int zone, view;  // view: index, -1 none
    } cases[] = {
        // Tenths of (260, 14, 695, 519) at 329 / 885 across, 65 / 481 down;
        // corners count as left or right.
        {{329, 273}, {0, 0}, G::ZoneLeft, 0},
        {{330, 273}, {0, 0}, G::ZoneCentre, 0},
        {{885, 273}, {0, 0}, G::ZoneRight, 0},
        {{607, 65}, {0, 0}, G::ZoneTop, 0},
        {{607, 481}, {0, 0}, G::ZoneBottom, 0},
        {{265, 20}, {0, 0}, G::ZoneLeft, 0},
        {{960, 273}, {0, 0}, G::ZoneRight, 0},  // the gap, in the first band
        {{964, 273}, {1, 0}, G::ZoneLeft, 1},
        {{1300, 800}, {1, 1}, G::ZoneCentre, -1},  // empty cell
        // Beside the grid: the outer row or column, with the matching edge.
        {{10, 800}, {0, 1}, G::ZoneLeft, 2},
        {{1900, 300}, {1, 0}, G::ZoneRight, 1},
        {{607, 2}, {0, 0}, G::ZoneTop, 0},
        {{1300, 1075}, {1, 1}, G::ZoneBottom, -1},
    };
    for (const auto& c : cases) {
        QCOMPARE(hit(c.p, &view, &zone), c.cell);
        QCOMPARE(zone, c.zone);
        QCOMPARE(view, c.view < 0 ? nullptr : m_views[c.view]);
    }
    QCOMPARE(hit(QPoint(10, 2)), QPoint(-1, -1));  // off a corner

    // A drop on the right tenth of a row's last cell makes a column at the end.
    QCOMPARE(hit(QPoint(1600, 273), nullptr, &zone), QPoint(1, 0));
    QCOMPARE(zone, int(G::ZoneRight));
    m_layout->insertColumn(2);
    QVERIFY(m_layout->addView(makeViews(1)[0], 0, 2));
    QCOMPARE(m_layout->columnCount(), 3);
    QCOMPARE(m_layout->viewAt(0, 1), m_views[1]);

    m_layout->clear();
    QCOMPARE(hit(QPoint(607, 273)), QPoint(-1, -1));
}

void TestDisplayLayout::splitModes() {
    const struct {
        int first, n, side;
        QVector<int> shown;
    } cases[] = {{3, 1, 1, {3}},
                 {8, 4, 2, {8, 9, 0, 1}},  // wrapping
                 {0, 9, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                 {0, 16, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};  // ten views
    for (const auto& c : cases) {
        init();
        makeViews(10);
        m_views[2]->poppedUp = true;
        m_views[9]->enlarged = true;
        m_layout->appendColumn(5);
        m_layout->appendRow(1);
        m_layout->addView(m_views[0], 0, 4);
        m_layout->showSplit(c.first, c.n, widgets());
        QCOMPARE(QSize(m_layout->columnCount(), m_layout->rowCount()), QSize(c.side, c.side));
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(m_views[i]->stops, 1);  // every view ends pop-up or enlargement
            const int at = c.shown.indexOf(i);
            QCOMPARE(m_views[i]->isVisible(), at >= 0);
            int row = -1, column = -1;
            QCOMPARE(m_layout->findView(m_views[i], row, column), at >= 0);
            if (at >= 0) {
                QCOMPARE(QPoint(column, row), QPoint(at % c.side, at / c.side));
                QTRY_COMPARE(m_views[i]->geometry(), m_layout->targetRect(row, column));
            }
        }
    }
}

void TestDisplayLayout::eightSplitAndInsertions() {
    makeViews(9);
    m_layout->showSplit(0, 8, widgets());
    QCOMPARE(QSize(m_layout->columnCount(), m_layout->rowCount()), QSize(4, 4));
    QVERIFY(m_views[8]->isHidden());
    // One view over 3 x 3 cells, three down the right column, four along the
    // bottom.
    const QPoint places[7] = {{3, 0}, {3, 1}, {3, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(m_layout->viewAt(places[i].y(), places[i].x()), m_views[i + 1]);
    }
    QCOMPARE(m_layout->coveringViewAt(2, 1), m_views[0]);
    QTRY_COMPARE(m_views[0]->geometry(), QRect(260, 14, 1047, 783));
    QTRY_COMPARE(m_views[4]->geometry(), QRect(260, 805, 343, 255));
    // Hits inside the big view are its own; its edges are its span's.
    QWidget* view = nullptr;
    int zone = -1;
    QCOMPARE(hit(QPoint(700, 400), &view, &zone), QPoint(0, 0));
    QCOMPARE(zone, int(G::ZoneCentre));
    QCOMPARE(hit(QPoint(1300, 400), &view, &zone), QPoint(2, 0));
    QCOMPARE(zone, int(G::ZoneRight));
    QCOMPARE(hit(QPoint(700, 790), &view, &zone), QPoint(0, 2));
    QCOMPARE(zone, int(G::ZoneBottom));
    hit(QPoint(10, 450), &view, &zone);  // beside a covered row
    QCOMPARE(view, m_views[0]);

    // Lines inserted inside the big view's span stretch it; on its edge not.
    int rs = 0, cs = 0;
    m_layout->insertRow(1);
    QVERIFY(m_layout->spanOf(0, 0, rs, cs));
    QCOMPARE(QSize(cs, rs), QSize(3, 4));
    QCOMPARE(m_layout->coveringViewAt(1, 2), m_views[0]);
    int row = -1, column = -1;
    QVERIFY(m_layout->firstEmptyCell(row, column));
    QCOMPARE(QPoint(column, row), QPoint(3, 1));
    m_layout->insertColumn(3);
    m_layout->insertColumn(2, 2);
    QVERIFY(m_layout->spanOf(0, 0, rs, cs));
    QCOMPARE(QSize(cs, rs), QSize(5, 4));
    QCOMPARE(m_layout->coveringViewAt(3, 3), m_views[0]);
    QCOMPARE(m_layout->coveringViewAt(4, 3), nullptr);
    QCOMPARE(m_layout->coveringViewAt(0, 5), nullptr);
}

void TestDisplayLayout::groupsStepThroughSplits() {
    makeViews(9);
    const QList<QWidget*> all = widgets();
    m_layout->showSplit(0, 4, all);
    QCOMPARE(m_layout->showGroup(2, 1, all), 5);
    QCOMPARE(m_layout->viewAt(0, 0), m_views[4]);
    QVERIFY(m_views[0]->isHidden());
    QCOMPARE(m_layout->showGroup(2, 5, all), 1);  // wraps to the first
    QCOMPARE(m_layout->viewAt(0, 0), m_views[0]);
    QCOMPARE(m_layout->showGroup(1, 0, all), 4);  // wraps to the last
    // Groups of the eight-split are eight views and keep the split.
    m_layout->showSplit(0, 8, all);
    QCOMPARE(m_layout->showGroup(2, 3, all), 3);
    int rs = 0, cs = 0;
    QVERIFY(m_layout->spanOf(0, 0, rs, cs));
    QCOMPARE(QSize(cs, rs), QSize(3, 3));
    // A grid built view by view steps by rows x rows.
    m_layout->clear();
    grid(1, 1, 0);
    m_layout->addView(m_views[2], 0, 0);
    QCOMPARE(m_layout->showGroup(2, 2, all), 3);
    QCOMPARE(m_layout->viewAt(0, 0), m_views[3]);
    m_layout->clear();
    QCOMPARE(m_layout->showGroup(2, 0, all), -1);
}

void TestDisplayLayout::addViewDisplacesAndRefusesCoveredCells() {
    makeViews(9);
    m_layout->showSplit(0, 8, widgets());
    QSignalSpy closed(m_layout.get(), &UCDisplayLayout::signalCloseWidget);
    QVERIFY(!m_layout->addView(m_views[8], 1, 1));  // covered
    QVERIFY(!m_layout->addView(m_views[8], 4, 0));  // outside
    QCOMPARE(closed.count(), 0);
    // Dropped on the big view: takes its place, span and all; the old view is
    // handed back to be closed.
    QVERIFY(m_layout->addView(m_views[8], 0, 0));
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.at(0).at(0).value<QWidget*>(), m_views[0]);
    QCOMPARE(m_layout->coveringViewAt(2, 2), m_views[8]);
    // Moved to another cell: leaves its old one and its span.
    QVERIFY(m_layout->addView(m_views[8], 3, 3));
    QCOMPARE(closed.count(), 2);
    QCOMPARE(m_layout->viewAt(0, 0), nullptr);
    QCOMPARE(m_layout->coveringViewAt(1, 1), nullptr);
    delete m_views[8];  // a view deleted elsewhere leaves its cell empty
    QCOMPARE(m_layout->viewAt(3, 3), nullptr);
}

void TestDisplayLayout::removeViewAndEmptyLines() {
    makeViews(8);
    m_layout->showSplit(0, 8, widgets());
    QParallelAnimationGroup group;
    QVERIFY(m_layout->removeView(m_views[0], &group));
    QCOMPARE(group.animationCount(), 1);
    QVERIFY(!m_layout->removeView(m_views[0], &group));
    QCOMPARE(m_layout->rowCount(), 4);  // the grid keeps its lines
    QCOMPARE(m_layout->coveringViewAt(2, 2), nullptr);
    int rs = 0, cs = 0;
    QVERIFY(m_layout->spanOf(0, 0, rs, cs));
    QCOMPARE(QSize(cs, rs), QSize(1, 1));
    // Without a group the view shrinks away by itself.
    QTRY_COMPARE(m_views[7]->geometry(), QRect(1315, 805, 343, 255));
    QVERIFY(m_layout->removeView(m_views[7]));
    QTRY_COMPARE(m_views[7]->geometry(), QRect(1486, 932, 0, 0));
    // The right column and the bottom row still reach every line.
    QVERIFY(!m_layout->removeEmptyLines());
    for (int i = 4; i < 7; ++i) {
        m_layout->removeView(m_views[i]);
    }
    QVERIFY(m_layout->removeEmptyLines());
    QCOMPARE(QSize(m_layout->columnCount(), m_layout->rowCount()), QSize(1, 3));
    QCOMPARE(m_layout->viewAt(2, 0), m_views[3]);
    QVERIFY(!m_layout->removeEmptyLines());
    // Covered lines are not empty.
    m_layout->showSplit(0, 8, widgets());
    for (int i = 1; i < 8; ++i) {
        m_layout->removeView(m_views[i]);
    }
    QVERIFY(m_layout->removeEmptyLines());
    QCOMPARE(QSize(m_layout->columnCount(), m_layout->rowCount()), QSize(3, 3));
    m_layout->removeView(m_views[0]);
    QVERIFY(m_layout->removeEmptyLines());
    QCOMPARE(QSize(m_layout->columnCount(), m_layout->rowCount()), QSize(0, 0));
}

void TestDisplayLayout::previews() {
    grid(2, 2, 0);
    FakeView* a1 = makeViews(1, 0xA)[0];
    FakeView* b = makeViews(1, 0xB)[0];
    FakeView* a2 = makeViews(1, 0xA)[0];
    FakeView* none = makeViews(1, 0)[0];
    for (int i = 0; i < 4; ++i) {
        m_layout->addView(m_views[i], i / 2, i % 2);
    }
    // Drop preview on the second cell (960..1662 wide, centre from 1033).
    const QImage drop = paint([&](QPainter& p) { m_layout->paintDropPreview(p, {1300, 273}); });
    QVERIFY(b->highlighted && !a1->highlighted && m_layout->isPreviewShown());
    QVERIFY(isPink(drop.pixelColor(960, 273)));
    QVERIFY(isPink(drop.pixelColor(1032, 273)));
    QVERIFY(isBlue(drop.pixelColor(1033, 273)));
    QCOMPARE(drop.pixelColor(959, 273), kWhite);
    QCOMPARE(drop.pixelColor(607, 273), kWhite);
    m_layout->clearPreview();
    QVERIFY(!b->highlighted && !m_layout->isPreviewShown());
    const QImage nowhere = paint([&](QPainter& p) { m_layout->paintDropPreview(p, {5, 5}); });
    QVERIFY(nowhere.pixelColor(607, 273) == kWhite && !m_layout->isPreviewShown());

    // Move preview: every view of the same site; a view without one alone.
    const QImage move = paint([&](QPainter& p) { m_layout->paintMovePreview(p, a2); });
    QVERIFY(isBlue(move.pixelColor(607, 273)) && isBlue(move.pixelColor(607, 800)));
    QCOMPARE(move.pixelColor(1300, 273), kWhite);
    const QImage alone = paint([&](QPainter& p) { m_layout->paintMovePreview(p, none); });
    QVERIFY(isBlue(alone.pixelColor(1300, 800)) && alone.pixelColor(1300, 273) == kWhite);

    // Grid: cells outlined gray and tinted, margins untouched; covered cells
    // are tinted once, with the view covering them.
    const QImage cells = paint([&](QPainter& p) { m_layout->paintGrid(p); });
    QCOMPARE(cells.pixelColor(256, 273), QColor(125, 125, 125));
    QVERIFY(isPink(cells.pixelColor(1300, 800)));
    QCOMPARE(cells.pixelColor(100, 273), kWhite);
    m_layout->showSplit(0, 8, widgets());
    const QImage split = paint([&](QPainter& p) { m_layout->paintGrid(p); });
    QCOMPARE(split.pixelColor(900, 600), split.pixelColor(300, 100));
}

QTEST_MAIN(TestDisplayLayout)
#include "test_display_layout.moc"
