// The GL video view, its overlay bars, and the picture slots between decode
// threads and the GUI thread.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QOpenGLContext>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "display/GLWidget.h"
#include "display/PictureSlots.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"

namespace {

// Never dereferenced: the view only keeps the site's identity.
ISite* const kSite = reinterpret_cast<ISite*>(std::intptr_t{0x5100});
const std::int64_t kSiteKey = 0x5100;
constexpr std::int64_t kKey = 0x7100;

std::vector<unsigned char> solid(int w, int h, QRgb c) {
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < px.size(); i += 4) {
        px[i] = static_cast<unsigned char>(qRed(c));
        px[i + 1] = static_cast<unsigned char>(qGreen(c));
        px[i + 2] = static_cast<unsigned char>(qBlue(c));
        px[i + 3] = 255;
    }
    return px;
}

// Checks that `got` is `want` within `tolerance` on each colour channel.
void expectNear(QRgb got, QRgb want, int tolerance = 8) {
    const auto text = [](QRgb c) {
        return QString("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
    };
    QVERIFY2(qAbs(qRed(got) - qRed(want)) <= tolerance &&
                 qAbs(qGreen(got) - qGreen(want)) <= tolerance &&
                 qAbs(qBlue(got) - qBlue(want)) <= tolerance,
             qPrintable(text(got) + " want " + text(want)));
}

// A view that paints, shown at w x h and painted once, so that it knows its
// size (resizeGL) and has uploaded the blank picture.
bool showPainted(GLWidget& view, int w, int h) {
    view.setPaintSuppressed(false);
    view.resize(w, h);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        return false;
    }
    view.grabFramebuffer();
    return true;
}

PictureFrame rgba(const std::vector<unsigned char>& pixels, int w, int h) {
    PictureFrame f;
    f.format = PICTURE_RGBA;
    f.planes[0] = pixels.data();
    f.width = w;
    f.height = h;
    return f;
}

// Whether every byte of the picture's colour channels has one value; sets it.
bool uniform(const BufferedPicture& p, int* value) {
    const unsigned char* row = p.plane(0);
    *value = row[0];
    for (int y = 0; y < p.height; ++y, row += p.lineSize(0)) {
        for (int x = 0; x < p.rowBytes(0); ++x) {
            if (row[x] != *value) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

// Stands in for the display page and the main window.
class FakePage : public QWidget, public IViewPage, public IViewOwner {
    Q_OBJECT
public:
    QList<GLWidget*> presses, releases, closes;
    QList<bool> pressCtrl;
    QList<QPair<QWidget*, GLWidget*>> captures, prints;
public slots:
    void slotWidgetMousePress(GLWidget* w, bool multi) override {
        presses << w;
        pressCtrl << multi;
    }
    void slotWidgetMouseRelease(GLWidget* w, bool) override { releases << w; }
    void slotWidgetEnterEvent(GLWidget*, QEvent*) override {}
    void slotWidgetLeaveEvent(GLWidget*, QEvent*) override {}
    void slotCloseClicked(GLWidget* w) override { closes << w; }
    void slotCaptureClicked(QWidget* page, GLWidget* w) override { captures << qMakePair(page, w); }
    void slotPrintClicked(QWidget* page, GLWidget* w) override { prints << qMakePair(page, w); }
};

class TestGLWidget : public QObject {
    Q_OBJECT

private slots:
    void dropRuleAndTextures();
    void picturesRender();
    void displaySizeRule();
    void zoomAndWheel();
    void pageAndOwnerSignals();
    void enlargePopupAndResize();
    void overlayBarsFollowWidth();
    void pendingIsKeptAndTakenIsStable();
    void keptReferenceAndNewTexts();
};

// The view's side of the drop rule (the slots' own is checked below): the
// blank picture counts as pending until painted, and only the view's own site
// and channel are taken.
void TestGLWidget::dropRuleAndTextures() {
    GLWidget view(nullptr, 0, nullptr);
    view.setSource(kSite, 2, -1);
    const auto red = solid(8, 6, qRgb(255, 0, 0));
    const auto green = solid(8, 6, qRgb(0, 255, 0));
    QCOMPARE(view.setImage(red.data(), 8, 6, kSiteKey, 2, 20240307, 90503), 0);
    QCOMPARE(view.pictureWidth(), 1920);

    QVERIFY(showPainted(view, 160, 120));
    QVERIFY(!view.hasPendingPicture());
    QCOMPARE(view.textureCreations(), 1);  // the blank picture
    QCOMPARE(view.setImage(green.data(), 8, 6, kSiteKey, 2, 20240307, 90503), 0);
    QCOMPARE(view.pictureImage().pixel(0, 0), qRgb(0, 255, 0));
    QDateTime when;
    QVERIFY(view.dateTimeOf(0, when));
    QCOMPARE(when, QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3)));

    // Another channel or site does not match; nor does a picture without
    // pixels or with a size that is not positive or too large.
    view.grabFramebuffer();
    QCOMPARE(view.setImage(red.data(), 8, 6, kSiteKey, 3, 0, 0), -1);
    QCOMPARE(view.setImage(red.data(), 8, 6, kSiteKey + 1, 2, 0, 0), -1);
    QCOMPARE(view.setImage(nullptr, 8, 6, kSiteKey, 2, 0, 0), -1);
    QCOMPARE(view.setImage(red.data(), 0, 6, kSiteKey, 2, 0, 0), -1);
    QCOMPARE(view.setImage(red.data(), 8, -6, kSiteKey, 2, 0, 0), -1);
    QCOMPARE(view.setImage(red.data(), 100000, 100000, kSiteKey, 2, 0, 0), -1);
    QVERIFY(!view.hasPendingPicture());
    QCOMPARE(view.pictureImage().pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(view.pictureWidth(), 8);

    // The texture is made anew only for another size; painting with nothing
    // new uploads nothing.
    QCOMPARE(view.textureCreations(), 2);
    const struct {
        int w, h, creations;
        bool send;
    } steps[] = {{64, 36, 3, true}, {64, 36, 3, true}, {32, 18, 4, true}, {32, 18, 4, false}};
    for (const auto& s : steps) {
        const auto px = solid(s.w, s.h, qRgb(200, 0, s.creations));
        if (s.send) {
            QCOMPARE(view.setImage(px.data(), s.w, s.h, 0, -1, 0, 0), 0);
        }
        view.grabFramebuffer();
        QCOMPARE(view.textureCreations(), s.creations);
        QCOMPARE(view.pictureWidth(), s.w);
        QCOMPARE(view.pictureHeight(), s.h);
    }
}

// Pictures through Mesa: RGBA, and YUV 4:2:0 as the decoder hands them out
// (padded rows, odd width), show their quadrants where they belong, and the
// grab converts YUV to the same colours, in studio range and in full range.
// Also the border, and black bars around a picture of another shape.
void TestGLWidget::picturesRender() {
    GLWidget view(nullptr, 0, nullptr);
    QVERIFY(showPainted(view, 402, 300));
    QVERIFY(view.context() && view.context()->isValid());

    // Red, green (top), blue, white (bottom); YUV in studio-range BT.601.
    const int w = 161;
    const int h = 120;
    const struct {
        int y, u, v;
        QRgb rgb;
    } quadrant[4] = {{82, 90, 240, qRgb(255, 0, 0)},
                     {145, 54, 34, qRgb(0, 255, 0)},
                     {41, 240, 110, qRgb(0, 0, 255)},
                     {235, 128, 128, qRgb(255, 255, 255)}};
    const auto at = [&](int x, int y) {
        return quadrant[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
    };
    const QPoint centres[4] = {
        {w / 4, h / 4}, {w * 3 / 4, h / 4}, {w / 4, h * 3 / 4}, {w * 3 / 4, h * 3 / 4}};
    // Same shape as the view: the picture fills it.
    const auto expectShown = [&](const QImage& shot) {
        QCOMPARE(shot.size(), QSize(402, 300));
        for (int q = 0; q < 4; ++q) {
            expectNear(shot.pixel(centres[q].x() * 402 / w, centres[q].y() * 300 / h),
                       quadrant[q].rgb);
        }
    };

    std::vector<unsigned char> px;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb c = at(x, y).rgb;
            px.insert(px.end(),
                      {static_cast<unsigned char>(qRed(c)), static_cast<unsigned char>(qGreen(c)),
                       static_cast<unsigned char>(qBlue(c)), 255});
        }
    }
    QCOMPARE(view.setImage(px.data(), w, h, 0, -1, 0, 0), 0);
    const QImage shot = view.grabFramebuffer();
    expectShown(shot);
    // The border: gray, yellow when selected.
    expectNear(shot.pixel(0, 150), qRgb(160, 160, 164), 40);
    view.setSelected(true);
    expectNear(view.grabFramebuffer().pixel(0, 150), qRgb(255, 255, 0));

    const int strideY = 192;
    const int strideC = 96;
    std::vector<unsigned char> py(static_cast<std::size_t>(strideY) * h, 7);
    std::vector<unsigned char> pu(static_cast<std::size_t>(strideC) * (h / 2), 7);
    std::vector<unsigned char> pv(pu.size(), 7);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            py[static_cast<std::size_t>(y) * strideY + x] = static_cast<unsigned char>(at(x, y).y);
            if (x % 2 == 0 && y % 2 == 0) {
                const std::size_t c = static_cast<std::size_t>(y / 2) * strideC + x / 2;
                pu[c] = static_cast<unsigned char>(at(x, y).u);
                pv[c] = static_cast<unsigned char>(at(x, y).v);
            }
        }
    }
    PictureFrame frame;
    frame.format = PICTURE_YUV420;
    frame.planes[0] = py.data();
    frame.planes[1] = pu.data();
    frame.planes[2] = pv.data();
    frame.lineSizes[0] = strideY;
    frame.lineSizes[1] = strideC;
    frame.lineSizes[2] = strideC;
    frame.width = w;
    frame.height = h;
    QCOMPARE(view.setPicture(frame, 0, -1), 0);
    const QImage grabbed = view.pictureImage();
    expectShown(view.grabFramebuffer());
    QCOMPARE(grabbed.size(), QSize(w, h));
    for (int q = 0; q < 4; ++q) {
        expectNear(grabbed.pixel(centres[q]), quadrant[q].rgb);
    }

    // Full range: luma 200 is grey 200, not the 214 of studio range.
    std::fill(py.begin(), py.end(), 200);
    std::fill(pu.begin(), pu.end(), 128);
    std::fill(pv.begin(), pv.end(), 128);
    frame.fullRange = true;
    QCOMPARE(view.setPicture(frame, 0, -1), 0);
    expectNear(view.pictureImage().pixel(10, 10), qRgb(200, 200, 200), 2);
    expectNear(view.grabFramebuffer().pixel(201, 150), qRgb(200, 200, 200), 3);
    frame.fullRange = false;
    QCOMPARE(view.setPicture(frame, 0, -1), 0);
    expectNear(view.grabFramebuffer().pixel(201, 150), qRgb(214, 214, 214), 3);

    // A 16:9 picture in a 4:3 view: 226 rows high, black bars above and below.
    const auto wide = solid(64, 36, qRgb(0, 200, 0));
    QCOMPARE(view.setImage(wide.data(), 64, 36, 0, -1, 0, 0), 0);
    const QImage bars = view.grabFramebuffer();
    for (int y : {20, 280}) {
        expectNear(bars.pixel(201, y), qRgb(0, 0, 0));
    }
    for (int y : {50, 250}) {
        expectNear(bars.pixel(201, y), qRgb(0, 200, 0));
    }

    // Painting suppressed: nothing is drawn, nothing uploaded.
    view.setPaintSuppressed(true);
    QCOMPARE(view.setImage(wide.data(), 64, 36, 0, -1, 0, 0), 0);
    view.grabFramebuffer();
    QVERIFY(view.hasPendingPicture());
}

void TestGLWidget::displaySizeRule() {
    const struct {
        const char* name;
        float viewW, viewH;
        int picW, picH;
        float override;
        bool halfHeight;
        QSizeF expected;
    } cases[] = {
        {"tall picture: bars left and right", 1600, 900, 640, 480, -1, true, {1200, 900}},
        {"half height shown doubled", 704, 480, 704, 240, -1, true, {704, 480}},
        {"half height rule off", 704, 480, 704, 240, -1, false, {704, 240}},
        {"override wins, no half-height rule", 400, 400, 704, 240, 0.25f, true, {400, 100}},
        {"exactly twice as wide is not half height", 400, 200, 800, 400, -1, true, {400, 200}},
    };
    for (const auto& c : cases) {
        const QSizeF got =
            GLWidget::displaySize(c.viewW, c.viewH, c.picW, c.picH, c.override, c.halfHeight);
        QVERIFY2(qAbs(got.width() - c.expected.width()) < 0.01 &&
                     qAbs(got.height() - c.expected.height()) < 0.01,
                 qPrintable(QString("%1: %2 x %3").arg(c.name).arg(got.width()).arg(got.height())));
    }
}

// D-ZOOM on and off by its button, its menu action and the wheel; its limits.
void TestGLWidget::zoomAndWheel() {
    GLWidget view(nullptr, 0, nullptr);
    QVERIFY(showPainted(view, 400, 300));
    const QPointF centre(200, 150);
    auto wheelAt = [&](QPointF pos, int dy, Qt::KeyboardModifiers mods) {
        QWheelEvent e(pos, view.mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, dy), Qt::NoButton,
                      mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &e);
        return e.isAccepted();
    };

    // Without D-ZOOM the wheel belongs to the page.
    QVERIFY(!wheelAt(centre, 120, Qt::NoModifier));
    QCOMPARE(view.zoomX(), 1.0f);

    view.slotZoomClicked(true);
    QVERIFY(view.isDZoom());
    QVERIFY(view.isBottomTextVisible(UCScreenBottomMenu::TextDZoom));
    QVERIFY(wheelAt(centre, 120, Qt::NoModifier));
    QCOMPARE(view.zoomX(), 1.36f);
    QCOMPARE(view.panX(), 0.0f);
    // Off centre, the point under the cursor moves towards the centre.
    QVERIFY(wheelAt(QPointF(300, 150), 120, Qt::NoModifier));
    QVERIFY(view.panX() < 0.0f);
    QVERIFY(wheelAt(centre, 120, Qt::ControlModifier));
    QCOMPARE(view.rotation(), 1.2f);
    QCOMPARE(view.zoomX(), 1.72f);
    view.setZoomPan(40, 30, 3.0f, 3.0f);
    view.slotZoomClicked(false);
    QVERIFY(!view.isDZoom());
    QCOMPARE(view.rotation(), 0.0f);
    QCOMPARE(view.zoomX(), 1.0f);
    QCOMPARE(view.panY(), 0.0f);
    QVERIFY(!view.isBottomTextVisible(UCScreenBottomMenu::TextDZoom));
    QVERIFY(!view.topBar()->zoomAction()->isChecked());

    // An enlarged view at zoom 1 turns D-ZOOM on with the wheel forward and
    // off with the wheel back.
    view.animateEnlarge(true, QRect(0, 0, 400, 300));
    wheelAt(centre, 120, Qt::NoModifier);
    QVERIFY(view.isDZoom());
    view.setZoomPan(0, 0, 1.0f, 1.0f);
    wheelAt(centre, -120, Qt::NoModifier);
    QVERIFY(!view.isDZoom());

    // Through the drop-down menu: both the action and the button get checked.
    view.topBar()->zoomAction()->trigger();
    QVERIFY(view.isDZoom());
    QVERIFY(view.topBar()->findChild<QPushButton*>("pbMenuZoom")->isChecked());
    QVERIFY(view.topBar()->zoomAction()->isChecked());

    // The limits of zoom and pan follow the picture as shown.
    const auto px = solid(40, 30, qRgb(1, 1, 1));
    QCOMPARE(view.setImage(px.data(), 40, 30, 0, -1, 0, 0), 0);
    view.grabFramebuffer();

    view.setZoomPan(50, 50, 0.5f, 0.2f);  // below 1: stops at 1, no room to pan
    QCOMPARE(view.zoomX(), 1.0f);
    QCOMPARE(view.zoomY(), 1.0f);
    QCOMPARE(view.panX(), 0.0f);
    QCOMPARE(view.panY(), 0.0f);

    view.setZoomPan(1000, -1000, 2.0f, 2.0f);
    QCOMPARE(view.panX(), 200.0f);  // 400 * (2 - 1) / 2
    QCOMPARE(view.panY(), -150.0f);
    view.setZoomPan(-30, 20, 2.0f, 2.0f);
    QCOMPARE(view.panX(), -30.0f);
    QCOMPARE(view.panY(), 20.0f);
    view.setZoomPan(0, 0, 50.0f, 50.0f);  // no upper bound
    QCOMPARE(view.zoomX(), 50.0f);

    // A half-height picture is drawn at double height; the limits follow it.
    const auto half = solid(40, 10, qRgb(1, 1, 1));
    QCOMPARE(view.setImage(half.data(), 40, 10, 0, -1, 0, 0), 0);
    view.grabFramebuffer();
    view.setZoomPan(0, 1000, 2.0f, 2.0f);
    QCOMPARE(view.panY(), 100.0f);  // shown 400 x 200
}

// What reaches the page (mouse, close) and the main window (capture, print),
// and where a point of the page lies on the view's edges.
void TestGLWidget::pageAndOwnerSignals() {
    FakePage owner;
    FakePage page;
    auto* view = new GLWidget(&owner, 0, &page);
    // View at (100, 100), 200 x 150: right edge x = 299, bottom edge y = 249.
    view->setGeometry(100, 100, 200, 150);
    const struct {
        QPoint point;
        int region;
    } cases[] = {{{200, 170}, 0}, {{110, 170}, 0}, {{290, 170}, 0},
                 {{200, 249}, 4}, {{100, 100}, 5}, {{299, 249}, 8}};
    for (const auto& c : cases) {
        QCOMPARE(GLWidget::hitRegion(QRect(100, 100, 200, 150), c.point), c.region);
        QCOMPARE(view->hitRegion(c.point), c.region);
    }

    QSignalSpy doubleClicks(view, &GLWidget::signalDoubleClickOnView);
    const QPoint at(20, 20);
    auto send = [&](QEvent::Type type, Qt::KeyboardModifiers mods) {
        QMouseEvent e(type, at, view->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
        QApplication::sendEvent(view, &e);
    };
    send(QEvent::MouseButtonPress, Qt::ControlModifier);
    send(QEvent::MouseButtonRelease, Qt::NoModifier);
    QCOMPARE(page.presses.size(), 1);
    QCOMPARE(page.pressCtrl, QList<bool>{true});
    QCOMPARE(page.releases.size(), 1);
    // The release that ends a double click reports nothing.
    send(QEvent::MouseButtonDblClick, Qt::NoModifier);
    QCOMPARE(doubleClicks.count(), 1);
    send(QEvent::MouseButtonRelease, Qt::NoModifier);
    QCOMPARE(page.releases.size(), 1);
    send(QEvent::MouseButtonPress, Qt::NoModifier);
    send(QEvent::MouseButtonRelease, Qt::NoModifier);
    QCOMPARE(page.releases.size(), 2);
    QCOMPARE(page.pressCtrl, (QList<bool>{true, false}));
    QVERIFY(owner.presses.isEmpty());

    view->topBar()->showButtons(true);
    view->topBar()->findChild<QPushButton*>("pbMenuCapture")->click();
    QCOMPARE(owner.captures.size(), 1);
    QCOMPARE(owner.captures[0].first, static_cast<QWidget*>(&page));
    QCOMPARE(owner.captures[0].second, view);
    QVERIFY(!view->topBar()->buttonsShown());
    view->topBar()->showButtons(true);
    view->topBar()->dropDownMenu()->actions().at(2)->trigger();  // Print
    QCOMPARE(owner.prints.size(), 1);
    QCOMPARE(owner.prints[0].second, view);
    QVERIFY(!view->topBar()->buttonsShown());
    QVERIFY(page.prints.isEmpty());

    // Selecting hides the drop highlight; deselecting forgets the menu toggle.
    view->showDropHighlight();
    view->setSelected(true);
    QVERIFY(view->dropHighlight()->isHidden());
    view->toggleMenu();
    QVERIFY(view->topBar()->buttonsShown());
    view->toggleMenu();
    QVERIFY(!view->topBar()->buttonsShown());
    view->toggleMenu();
    view->setSelected(false);
    view->toggleMenu();
    QVERIFY(view->topBar()->buttonsShown());

    // A left drag pans while D-ZOOM is on.
    page.resize(400, 300);
    view->setGeometry(0, 0, 400, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    view->grabFramebuffer();
    view->slotZoomClicked(true);
    view->setZoomPan(0, 0, 3.0f, 3.0f);
    send(QEvent::MouseButtonPress, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, at + QPoint(15, -10), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QCOMPARE(view->panX(), 15.0f);
    QCOMPARE(view->panY(), -10.0f);

    view->topBar()->findChild<QPushButton*>("pbMenuClose")->click();
    QCOMPARE(page.closes, QList<GLWidget*>{view});
}

void TestGLWidget::enlargePopupAndResize() {
    FakePage page;
    page.resize(800, 600);
    auto* view = new GLWidget(&page, 0, &page);
    const QRect cell(10, 10, 200, 150);
    view->setGeometry(cell);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    const QRect big(0, 0, 800, 600);
    view->animateEnlarge(true, big);
    QVERIFY(view->isEnlarged());
    QTRY_COMPARE(view->geometry(), big);
    QTRY_VERIFY(view->isLarge());
    view->slotZoomClicked(true);
    view->setZoomPan(100, 0, 2.0f, 2.0f);
    view->animateEnlarge(false, QRect());
    QVERIFY(!view->isEnlarged());
    QCOMPARE(view->geometry(), cell);
    QCOMPARE(view->zoomX(), 1.0f);
    QCOMPARE(view->panX(), 0.0f);

    const QRect half(10, 10, 400, 300);
    view->animatePopup(true, half);
    QVERIFY(view->isPoppedUp());
    QTRY_COMPARE(view->geometry(), half);
    view->animatePopup(false, half);
    QVERIFY(!view->isPoppedUp());
    QTRY_COMPARE(view->geometry(), cell);

    // Stopping midway puts the view straight back.
    view->animateEnlarge(true, big);
    view->stopAnimations();
    QVERIFY(!view->isEnlarged());
    QCOMPARE(view->geometry(), cell);

    // The layout moves the cell: the view returns to the new one.
    const QRect moved(220, 10, 200, 150);
    view->setGeometry(moved);
    view->setCellGeometry(moved);
    view->animatePopup(true, half);
    view->stopAnimations();
    QCOMPARE(view->geometry(), moved);

    // A burst of resizes ends once, a while after the last.
    QSignalSpy spy(view, &GLWidget::signalEndOfResize);
    spy.wait(3000);  // the resizes above end
    spy.clear();
    view->resize(120, 100);
    view->resize(140, 100);
    view->resize(160, 100);
    QVERIFY(spy.wait(3000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toPoint(), QPoint(-1, -1));
    QCOMPARE(spy.at(0).at(1).value<GLWidget*>(), view);
    QVERIFY(!spy.wait(300));  // and only once
}

// The top bar: all buttons when they fit, else the drop-down menu alone. The
// bottom bar's resolution text: only from a minimum width, and only if wanted.
void TestGLWidget::overlayBarsFollowWidth() {
    QWidget host;
    host.resize(600, 100);
    auto* bar = new UCScreenMenu(&host);
    bar->setText(UCScreenMenu::TextSiteName, "Card");
    bar->setText(UCScreenMenu::TextChannelTitle, "1. FRONT");
    bar->showButtons(true);
    auto* bottom = new UCScreenBottomMenu(&host);
    bottom->setTextVisible(UCScreenBottomMenu::TextResolution, true);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    auto* zoom = bar->findChild<QPushButton*>("pbMenuZoom");
    auto* capture = bar->findChild<QPushButton*>("pbMenuCapture");
    auto* print = bar->findChild<QPushButton*>("pbMenuPrint");
    auto* dropDown = bar->findChild<QPushButton*>("pbMenuDropDown");
    const int labels = bar->findChild<QLabel*>("lbMenuSiteName")->width() +
                       bar->findChild<QLabel*>("lbMenuChTitle")->width();
    const int threshold = labels + 6 * zoom->width();

    bar->resize(threshold - 1, 33);
    QVERIFY(!dropDown->isHidden());
    QVERIFY(zoom->isHidden() && capture->isHidden() && print->isHidden());
    bar->resize(threshold, 33);
    QVERIFY(dropDown->isHidden());
    QVERIFY(!zoom->isHidden() && !capture->isHidden() && !print->isHidden());
    // Buttons this viewer has no use for never show.
    for (const char* name : {"pbMenuPTZ", "pbMenuAudio", "pbMenuClose"})
        QVERIFY2(bar->findChild<QPushButton*>(name)->isHidden(), name);
    bar->setTextVisible(UCScreenMenu::TextChannelTitle, false);
    QVERIFY(!bar->isTextVisible(UCScreenMenu::TextChannelTitle));
    QVERIFY(bar->isTextVisible(UCScreenMenu::TextSiteName));

    auto* resolution = bottom->findChild<QLabel*>("lbResolution");
    bottom->resize(UCScreenBottomMenu::kResolutionMinWidth - 1, 25);
    QVERIFY(resolution->isHidden());
    QVERIFY(bottom->isTextVisible(UCScreenBottomMenu::TextResolution));  // still wanted
    bottom->resize(UCScreenBottomMenu::kResolutionMinWidth, 25);
    QVERIFY(!resolution->isHidden());
    bottom->setTextVisible(UCScreenBottomMenu::TextResolution, false);
    bottom->resize(400, 25);
    QVERIFY(resolution->isHidden());
    bottom->setTextVisible(UCScreenBottomMenu::TextResolution, true);
    QVERIFY(!resolution->isHidden());
}

// A writer thread hands over pictures as fast as it can while this thread
// takes and reads them slowly: every taken picture stays whole (one value)
// while it is read, and values only grow (nothing older shows up later).
void TestGLWidget::pendingIsKeptAndTakenIsStable() {
    PictureSlots pictures(1);
    pictures.setSource(kKey, 3, -1);
    constexpr int w = 64;
    constexpr int h = 48;
    std::atomic<bool> done{false};
    std::atomic<int> offered{0};
    std::atomic<int> refused{0};
    std::atomic<int> taken{0};
    std::thread writer([&] {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 4);
        int takenBefore = 0;
        for (int v = 1; v < 250 && !done.load(); ++v) {
            // Every fiftieth picture waits (with a deadline) for the taker to
            // have taken one, so that a busy machine cannot let the writer
            // run through every value before the taker's first turn.
            if (v % 50 == 0) {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (taken.load() == takenBefore && !done.load() &&
                       std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::yield();
                }
                takenBefore = taken.load();
            }
            std::fill(pixels.begin(), pixels.end(), static_cast<unsigned char>(v));
            if (pictures.put(rgba(pixels, w, h), kKey, 3) != 0) {
                ++refused;
            }
            offered.store(v);
            std::this_thread::yield();
        }
        done.store(true);
    });
    // A failed check returns early: the writer is stopped and joined first.
    const auto join = qScopeGuard([&] {
        done.store(true);
        writer.join();
    });
    int last = 0;
    while (!done.load() || pictures.hasPending()) {
        if (const BufferedPicture* p = pictures.takePending(0)) {
            int value = 0;
            // Read it twice with the writer running in between.
            QVERIFY(uniform(*p, &value));
            // Until the writer has offered another picture (bounded: it may
            // be waiting for this one to be taken).
            const int seen = offered.load();
            for (int i = 0; i < 10000 && offered.load() == seen && !done.load(); ++i) {
                std::this_thread::yield();
            }
            int again = 0;
            QVERIFY2(uniform(*p, &again) && again == value, "a taken picture was written");
            QVERIFY(value > last);
            QCOMPARE(pictures.front(0), p);
            last = value;
            ++taken;
        }
        std::this_thread::yield();
    }
    QCOMPARE(refused.load(), 0);
    QVERIFY(taken > 1);
    QVERIFY(taken <= offered.load());
    QCOMPARE(pictures.offered(), std::int64_t{offered.load()});

    // A pending picture is not overwritten: the first of two stays.
    std::vector<unsigned char> a(static_cast<std::size_t>(w) * h * 4, 7);
    std::vector<unsigned char> b(a.size(), 9);
    QCOMPARE(pictures.put(rgba(a, w, h), kKey, 3), 0);
    QCOMPARE(pictures.put(rgba(b, w, h), kKey, 3), 0);
    int value = 0;
    QVERIFY(uniform(*pictures.takePending(0), &value));
    QCOMPARE(value, 7);
    QCOMPARE(pictures.takePending(0), nullptr);
    QCOMPARE(pictures.put(rgba(b, w, h), kKey, 4), -1);  // another channel
}

// A picture handed over with a reference is held, not copied, until the slot
// has a newer picture in that buffer; bar texts are handed over when new.
void TestGLWidget::keptReferenceAndNewTexts() {
    PictureSlots pictures(1);
    std::vector<unsigned char> y(40 * 20, 100);
    std::vector<unsigned char> uv(24 * 10, 128);
    auto owner = std::make_shared<int>(0);
    PictureFrame f;
    f.format = PICTURE_YUV420;
    f.planes[0] = y.data();
    f.planes[1] = uv.data();
    f.planes[2] = uv.data();
    f.lineSizes[0] = 40;
    f.lineSizes[1] = 24;
    f.lineSizes[2] = 24;
    f.width = 33;
    f.height = 20;
    f.keep = owner;
    QCOMPARE(pictures.put(f, 0, -1), 0);
    f.keep.reset();
    QCOMPARE(owner.use_count(), 2L);
    const BufferedPicture* p = pictures.takePending(0);
    QVERIFY(p);
    QCOMPARE(p->plane(0), y.data());
    QCOMPARE(p->lineSize(1), 24);
    QCOMPARE(pictures.image(0).pixel(32, 19), qRgb(98, 98, 98));

    // Two newer copied pictures push the reference out of both buffers.
    std::vector<unsigned char> copied(33 * 20 * 4, 50);
    QCOMPARE(pictures.put(rgba(copied, 33, 20), 0, -1), 0);
    QVERIFY(pictures.takePending(0));
    QCOMPARE(owner.use_count(), 2L);  // still the back buffer's
    QCOMPARE(pictures.put(rgba(copied, 33, 20), 0, -1), 0);
    QCOMPARE(owner.use_count(), 1L);

    // A bar text is handed over only when it differs from the one the view
    // shows; top and bottom texts of the same type are different texts.
    QVERIFY(pictures.textDiffers(0, "PLAY"));
    pictures.noteText(0, "PLAY");
    QVERIFY(!pictures.textDiffers(0, "PLAY"));
    QVERIFY(pictures.textDiffers(0, "PAUSED"));
    QVERIFY(pictures.textDiffers(PictureSlots::kTopTextKind, "PLAY"));
    pictures.noteText(PictureSlots::kTopTextKind + 1, "1. CH1");
    QVERIFY(!pictures.textDiffers(PictureSlots::kTopTextKind + 1, "1. CH1"));
    QVERIFY(pictures.textDiffers(1, "1. CH1"));
}

QTEST_MAIN(TestGLWidget)
#include "test_glwidget.moc"
