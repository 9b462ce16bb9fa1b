// The GL video view: the picture slots between decode threads and the GUI
// thread (a taken picture never written while held, a pending one never
// overwritten, kept references), the drop rule, texture re-creation, the
// aspect and zoom rules, hit regions, mouse signals, animations, a real render
// through Mesa, and the overlay bars' width rules.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QOpenGLContext>
#include <QPushButton>
#include <QtTest>
#include <cstdint>
#include <vector>

#include "display/GLWidget.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include <atomic>
#include <memory>
#include <thread>
#include "display/PictureSlots.h"

namespace {

// Never dereferenced: the view only keeps the site's identity.
ISite* const kSite = reinterpret_cast<ISite*>(std::intptr_t{0x5100});
const std::int64_t kSiteKey = 0x5100;

// RGBA picture in four quadrants: red, green (top), blue, white (bottom).
std::vector<unsigned char> quadrants(int w, int h) {
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            const bool right = x >= w / 2;
            const bool bottom = y >= h / 2;
            p[0] = (!bottom && !right) || (bottom && right) ? 255 : 0;
            p[1] = (!bottom && right) || (bottom && right) ? 255 : 0;
            p[2] = bottom ? 255 : 0;
            p[3] = 255;
        }
    }
    return px;
}

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

bool near(QRgb a, QRgb b, int tolerance = 8) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The view learns its size (resizeGL) only once it is on screen.
bool showView(QWidget& view) {
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

QString rgb(QRgb c) {
    return QString("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
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

namespace {

constexpr std::int64_t kKey = 0x7100;

PictureFrame grey(const std::vector<unsigned char>& pixels, int w, int h) {
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

class TestGLWidget : public QObject {
    Q_OBJECT

private slots:
    void dropRule();
    void unusablePicturesAreRefused();
    void textureRecreatedOnlyOnSizeChange();
    void renderShowsThePicture();
    void yuvPicturesRenderAndGrab();
    void displaySizeRule_data();
    void displaySizeRule();
    void zoomPanLimits();
    void zoomOnOffAndMenu();
    void wheel();
    void hitRegions_data();
    void hitRegions();
    void mouseSignals();
    void buttonsReachOwnerAndPage();
    void selectionAndMenuToggle();
    void enlargeAndPopup();
    void endOfResize();
    void topButtonsFollowWidth();
    void resolutionTextNeedsWidth();
    void pendingIsKeptAndTakenIsStable();
    void keptReferenceInsteadOfCopy();
    void textsDifferFromWhatWasSetLast();

};

// The view's side of the drop rule (the slots' own is checked below): the
// blank picture counts as pending until painted, and only the view's own site
// and channel are taken.
void TestGLWidget::dropRule() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(160, 120);
    view.setSource(kSite, 2, -1);

    const auto red = solid(8, 6, qRgb(255, 0, 0));
    const auto green = solid(8, 6, qRgb(0, 255, 0));
    QCOMPARE(view.setImage(red.data(), 8, 6, kSiteKey, 2, 20240307, 90503), 0);
    QCOMPARE(view.pictureWidth(), 1920);

    QVERIFY(showView(view));
    view.grabFramebuffer();  // uploads
    QVERIFY(!view.hasPendingPicture());
    QCOMPARE(view.setImage(green.data(), 8, 6, kSiteKey, 2, 20240307, 90503), 0);
    QCOMPARE(view.pictureImage().pixel(0, 0), qRgb(0, 255, 0));
    QDateTime when;
    QVERIFY(view.dateTimeOf(0, when));
    QCOMPARE(when, QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3)));

    // Another channel or site does not match.
    view.grabFramebuffer();
    QCOMPARE(view.setImage(red.data(), 8, 6, kSiteKey, 3, 0, 0), -1);
    QCOMPARE(view.setImage(red.data(), 8, 6, kSiteKey + 1, 2, 0, 0), -1);
    QVERIFY(!view.hasPendingPicture());
    QCOMPARE(view.pictureImage().pixel(0, 0), qRgb(0, 255, 0));
}

void TestGLWidget::unusablePicturesAreRefused() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.grabFramebuffer();
    const auto px = solid(4, 4, qRgb(1, 2, 3));
    QCOMPARE(view.setImage(nullptr, 4, 4, 0, -1, 0, 0), -1);
    QCOMPARE(view.setImage(px.data(), 0, 4, 0, -1, 0, 0), -1);
    QCOMPARE(view.setImage(px.data(), 4, -4, 0, -1, 0, 0), -1);
    QCOMPARE(view.setImage(px.data(), 100000, 100000, 0, -1, 0, 0), -1);
    QVERIFY(!view.hasPendingPicture());
    QCOMPARE(view.pictureWidth(), 1920);
}

void TestGLWidget::textureRecreatedOnlyOnSizeChange() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(160, 120);
    QVERIFY(showView(view));
    view.grabFramebuffer();
    QCOMPARE(view.textureCreations(), 1);  // the blank picture

    const auto a = solid(64, 36, qRgb(200, 0, 0));
    const auto b = solid(64, 36, qRgb(0, 200, 0));
    const auto c = solid(32, 18, qRgb(0, 0, 200));
    QCOMPARE(view.setImage(a.data(), 64, 36, 0, -1, 0, 0), 0);
    view.grabFramebuffer();
    QCOMPARE(view.textureCreations(), 2);
    QCOMPARE(view.setImage(b.data(), 64, 36, 0, -1, 0, 0), 0);
    view.grabFramebuffer();
    QCOMPARE(view.textureCreations(), 2);  // same size: replaced in place
    QCOMPARE(view.setImage(c.data(), 32, 18, 0, -1, 0, 0), 0);
    view.grabFramebuffer();
    QCOMPARE(view.textureCreations(), 3);
    QCOMPARE(view.pictureWidth(), 32);
    QCOMPARE(view.pictureHeight(), 18);
    // Painting with nothing new uploads nothing.
    view.grabFramebuffer();
    QCOMPARE(view.textureCreations(), 3);
}

// The picture through Mesa: its quadrants where they belong, the border,
// black bars around a picture of another shape.
void TestGLWidget::renderShowsThePicture() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(400, 300);
    QVERIFY(showView(view));
    view.grabFramebuffer();
    QVERIFY(view.context() && view.context()->isValid());

    const auto px = quadrants(160, 120);  // same 3:4 shape as the view
    QCOMPARE(view.setImage(px.data(), 160, 120, 0, -1, 0, 0), 0);
    const QImage shot = view.grabFramebuffer();
    QCOMPARE(shot.size(), QSize(400, 300));
    const struct {
        QPoint at;
        QRgb want;
    } samples[] = {{{100, 75}, qRgb(255, 0, 0)},
                   {{300, 75}, qRgb(0, 255, 0)},
                   {{100, 225}, qRgb(0, 0, 255)},
                   {{300, 225}, qRgb(255, 255, 255)}};
    for (const auto& s : samples) {
        const QRgb got = shot.pixel(s.at);
        QVERIFY2(near(got, s.want), qPrintable(QString("at %1,%2: %3, want %4")
                                                   .arg(s.at.x())
                                                   .arg(s.at.y())
                                                   .arg(rgb(got), rgb(s.want))));
    }
    // The border: gray, yellow when selected.
    QVERIFY(near(shot.pixel(0, 150), qRgb(160, 160, 164), 40));
    view.setSelected(true);
    QVERIFY(near(view.grabFramebuffer().pixel(0, 150), qRgb(255, 255, 0)));

    // A 16:9 picture in a 4:3 view: 225 rows high, black bars above and below.
    const auto wide = solid(64, 36, qRgb(0, 200, 0));
    QCOMPARE(view.setImage(wide.data(), 64, 36, 0, -1, 0, 0), 0);
    const QImage bars = view.grabFramebuffer();
    QVERIFY(near(bars.pixel(200, 20), qRgb(0, 0, 0)));
    QVERIFY(near(bars.pixel(200, 280), qRgb(0, 0, 0)));
    QVERIFY(near(bars.pixel(200, 50), qRgb(0, 200, 0)));
    QVERIFY(near(bars.pixel(200, 250), qRgb(0, 200, 0)));

    // Painting suppressed: nothing is drawn, nothing uploaded.
    view.setPaintSuppressed(true);
    const auto red = solid(64, 36, qRgb(200, 0, 0));
    QCOMPARE(view.setImage(red.data(), 64, 36, 0, -1, 0, 0), 0);
    view.grabFramebuffer();
    QVERIFY(view.hasPendingPicture());
}

// YUV 4:2:0 pictures as the decoder hands them out (padded rows, odd width):
// the shader shows, and the grab converts to, the same colours as the RGBA
// path, in studio range and in full range.
void TestGLWidget::yuvPicturesRenderAndGrab() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(402, 300);
    QVERIFY(showView(view));
    view.grabFramebuffer();

    // Studio-range BT.601 of red, green (top), blue, white (bottom).
    const int w = 161;
    const int h = 120;
    const int cw = (w + 1) / 2;
    const struct {
        int y, u, v;
        QRgb rgb;
    } quadrant[4] = {{82, 90, 240, qRgb(255, 0, 0)},
                     {145, 54, 34, qRgb(0, 255, 0)},
                     {41, 240, 110, qRgb(0, 0, 255)},
                     {235, 128, 128, qRgb(255, 255, 255)}};
    auto at = [&](int x, int y) { return (y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0); };
    const int strideY = 192;
    const int strideC = 96;
    std::vector<unsigned char> py(static_cast<std::size_t>(strideY) * h, 7);
    std::vector<unsigned char> pu(static_cast<std::size_t>(strideC) * (h / 2), 7);
    std::vector<unsigned char> pv(pu.size(), 7);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            py[static_cast<std::size_t>(y) * strideY + x] =
                static_cast<unsigned char>(quadrant[at(x, y)].y);
        }
    }
    for (int y = 0; y < h / 2; ++y) {
        for (int x = 0; x < cw; ++x) {
            pu[static_cast<std::size_t>(y) * strideC + x] =
                static_cast<unsigned char>(quadrant[at(2 * x, 2 * y)].u);
            pv[static_cast<std::size_t>(y) * strideC + x] =
                static_cast<unsigned char>(quadrant[at(2 * x, 2 * y)].v);
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
    const QImage shot = view.grabFramebuffer();
    QCOMPARE(grabbed.size(), QSize(w, h));
    const QPoint centres[4] = {{w / 4, h / 4}, {w * 3 / 4, h / 4}, {w / 4, h * 3 / 4},
                               {w * 3 / 4, h * 3 / 4}};
    for (int q = 0; q < 4; ++q) {
        const QRgb want = quadrant[q].rgb;
        const QRgb inPicture = grabbed.pixel(centres[q]);
        QVERIFY2(near(inPicture, want), qPrintable(rgb(inPicture) + " want " + rgb(want)));
        // Same shape as the view: the picture fills it.
        const QPoint onScreen(centres[q].x() * 402 / w, centres[q].y() * 300 / h);
        const QRgb shown = shot.pixel(onScreen);
        QVERIFY2(near(shown, want), qPrintable(rgb(shown) + " want " + rgb(want)));
    }

    // Full range: luma 200 is grey 200, not the 214 of studio range.
    std::fill(py.begin(), py.end(), 200);
    std::fill(pu.begin(), pu.end(), 128);
    std::fill(pv.begin(), pv.end(), 128);
    frame.fullRange = true;
    QCOMPARE(view.setPicture(frame, 0, -1), 0);
    QVERIFY(near(view.pictureImage().pixel(10, 10), qRgb(200, 200, 200), 2));
    QVERIFY(near(view.grabFramebuffer().pixel(201, 150), qRgb(200, 200, 200), 3));
    frame.fullRange = false;
    QCOMPARE(view.setPicture(frame, 0, -1), 0);
    QVERIFY(near(view.grabFramebuffer().pixel(201, 150), qRgb(214, 214, 214), 3));
}

void TestGLWidget::displaySizeRule_data() {
    QTest::addColumn<float>("viewW");
    QTest::addColumn<float>("viewH");
    QTest::addColumn<int>("picW");
    QTest::addColumn<int>("picH");
    QTest::addColumn<float>("override");
    QTest::addColumn<bool>("halfHeight");
    QTest::addColumn<QSizeF>("expected");
    QTest::newRow("tall picture: bars left and right")
        << 1600.f << 900.f << 640 << 480 << -1.f << true << QSizeF(1200, 900);
    QTest::newRow("half height shown doubled")
        << 704.f << 480.f << 704 << 240 << -1.f << true << QSizeF(704, 480);
    QTest::newRow("half height rule off")
        << 704.f << 480.f << 704 << 240 << -1.f << false << QSizeF(704, 240);
    QTest::newRow("override wins, no half-height rule")
        << 400.f << 400.f << 704 << 240 << 0.25f << true << QSizeF(400, 100);
    QTest::newRow("exactly twice as wide is not half height")
        << 400.f << 200.f << 800 << 400 << -1.f << true << QSizeF(400, 200);
}

void TestGLWidget::displaySizeRule() {
    QFETCH(float, viewW);
    QFETCH(float, viewH);
    QFETCH(int, picW);
    QFETCH(int, picH);
    QFETCH(float, override);
    QFETCH(bool, halfHeight);
    QFETCH(QSizeF, expected);
    const QSizeF got = GLWidget::displaySize(viewW, viewH, picW, picH, override, halfHeight);
    QVERIFY2(qAbs(got.width() - expected.width()) < 0.01 &&
                 qAbs(got.height() - expected.height()) < 0.01,
             qPrintable(QString("%1 x %2").arg(got.width()).arg(got.height())));
}

void TestGLWidget::zoomPanLimits() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(400, 300);
    QVERIFY(showView(view));
    view.grabFramebuffer();  // the view learns its size
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

void TestGLWidget::zoomOnOffAndMenu() {
    GLWidget view(nullptr, 0, nullptr);
    view.resize(400, 300);
    QVERIFY(showView(view));
    view.grabFramebuffer();
    view.slotZoomClicked(true);
    QVERIFY(view.isDZoom());
    QVERIFY(view.isBottomTextVisible(UCScreenBottomMenu::TextDZoom));

    view.setZoomPan(40, 30, 3.0f, 3.0f);
    view.slotZoomClicked(false);
    QVERIFY(!view.isDZoom());
    QCOMPARE(view.zoomX(), 1.0f);
    QCOMPARE(view.panY(), 0.0f);
    QVERIFY(!view.isBottomTextVisible(UCScreenBottomMenu::TextDZoom));
    QVERIFY(!view.topBar()->zoomAction()->isChecked());

    // Through the drop-down menu: both the action and the button get checked.
    view.topBar()->zoomAction()->trigger();
    QVERIFY(view.isDZoom());
    QVERIFY(view.topBar()->findChild<QPushButton*>("pbMenuZoom")->isChecked());
    QVERIFY(view.topBar()->zoomAction()->isChecked());
}

void TestGLWidget::wheel() {
    GLWidget view(nullptr, 0, nullptr);
    view.resize(400, 300);
    QVERIFY(showView(view));
    view.grabFramebuffer();
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
    QVERIFY(wheelAt(centre, 120, Qt::NoModifier));
    QCOMPARE(view.zoomX(), 1.36f);
    QCOMPARE(view.panX(), 0.0f);
    // Off centre, the point under the cursor moves towards the centre.
    QVERIFY(wheelAt(QPointF(300, 150), 120, Qt::NoModifier));
    QVERIFY(view.panX() < 0.0f);
    QVERIFY(wheelAt(centre, 120, Qt::ControlModifier));
    QCOMPARE(view.rotation(), 1.2f);
    QCOMPARE(view.zoomX(), 1.72f);
    view.slotZoomClicked(false);
    QCOMPARE(view.rotation(), 0.0f);

    // An enlarged view at zoom 1 turns D-ZOOM on with the wheel forward and
    // off with the wheel back.
    view.animateEnlarge(true, QRect(0, 0, 400, 300));
    wheelAt(centre, 120, Qt::NoModifier);
    QVERIFY(view.isDZoom());
    view.setZoomPan(0, 0, 1.0f, 1.0f);
    wheelAt(centre, -120, Qt::NoModifier);
    QVERIFY(!view.isDZoom());
}

void TestGLWidget::hitRegions_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("region");
    // View at (100, 100), 200 x 150: right edge x = 299, bottom edge y = 249.
    QTest::newRow("centre") << QPoint(200, 170) << 0;
    QTest::newRow("just inside left") << QPoint(110, 170) << 0;
    QTest::newRow("just inside right") << QPoint(290, 170) << 0;
    QTest::newRow("bottom") << QPoint(200, 249) << 4;
    QTest::newRow("left top") << QPoint(100, 100) << 5;
    QTest::newRow("right bottom") << QPoint(299, 249) << 8;
}

void TestGLWidget::hitRegions() {
    QFETCH(QPoint, point);
    QFETCH(int, region);
    QCOMPARE(GLWidget::hitRegion(QRect(100, 100, 200, 150), point), region);
    FakePage page;
    GLWidget view(&page, 0, &page);
    view.setGeometry(100, 100, 200, 150);
    QCOMPARE(view.hitRegion(point), region);
}

void TestGLWidget::mouseSignals() {
    FakePage page;
    auto* view = new GLWidget(&page, 0, &page);
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

    // A left drag pans while D-ZOOM is on.
    page.resize(400, 300);
    view->resize(400, 300);
    QVERIFY(showView(page));
    view->grabFramebuffer();
    view->slotZoomClicked(true);
    view->setZoomPan(0, 0, 3.0f, 3.0f);
    send(QEvent::MouseButtonPress, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, at + QPoint(15, -10), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QCOMPARE(view->panX(), 15.0f);
    QCOMPARE(view->panY(), -10.0f);
}

void TestGLWidget::buttonsReachOwnerAndPage() {
    FakePage owner;
    FakePage page;
    auto* view = new GLWidget(&owner, 0, &page);
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

    view->topBar()->findChild<QPushButton*>("pbMenuClose")->click();
    QCOMPARE(page.closes, QList<GLWidget*>{view});
}

void TestGLWidget::selectionAndMenuToggle() {
    GLWidget view(nullptr, 0, nullptr);
    view.resize(200, 150);
    view.showDropHighlight();
    view.setSelected(true);
    QVERIFY(view.dropHighlight()->isHidden());

    view.toggleMenu();
    QVERIFY(view.topBar()->buttonsShown());
    view.toggleMenu();
    QVERIFY(!view.topBar()->buttonsShown());
    view.toggleMenu();
    view.setSelected(false);  // forgets the toggle
    view.toggleMenu();
    QVERIFY(view.topBar()->buttonsShown());
}

void TestGLWidget::enlargeAndPopup() {
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
}

void TestGLWidget::endOfResize() {
    FakePage page;
    page.resize(600, 400);
    auto* view = new GLWidget(&page, 0, &page);
    view->setGeometry(0, 0, 100, 100);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QSignalSpy spy(view, &GLWidget::signalEndOfResize);
    spy.wait(3000);  // the resize of the first show ends
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

// The overlay bar: all buttons when they fit, else the drop-down menu alone.
void TestGLWidget::topButtonsFollowWidth() {
    QWidget host;
    host.resize(600, 100);
    auto* bar = new UCScreenMenu(&host);
    bar->setText(UCScreenMenu::TextSiteName, "Card");
    bar->setText(UCScreenMenu::TextChannelTitle, "1. FRONT");
    bar->showButtons(true);
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
}

void TestGLWidget::resolutionTextNeedsWidth() {
    QWidget host;
    host.resize(600, 100);
    auto* bar = new UCScreenBottomMenu(&host);
    bar->setTextVisible(UCScreenBottomMenu::TextResolution, true);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    auto* resolution = bar->findChild<QLabel*>("lbResolution");

    bar->resize(UCScreenBottomMenu::kResolutionMinWidth - 1, 25);
    QVERIFY(resolution->isHidden());
    QVERIFY(bar->isTextVisible(UCScreenBottomMenu::TextResolution));  // still wanted
    bar->resize(UCScreenBottomMenu::kResolutionMinWidth, 25);
    QVERIFY(!resolution->isHidden());
    // Switched off, it stays off whatever the width.
    bar->setTextVisible(UCScreenBottomMenu::TextResolution, false);
    bar->resize(400, 25);
    QVERIFY(resolution->isHidden());
    bar->setTextVisible(UCScreenBottomMenu::TextResolution, true);
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
            if (pictures.put(grey(pixels, w, h), kKey, 3) != 0) {
                ++refused;
            }
            offered.store(v);
            std::this_thread::yield();
        }
        done.store(true);
    });
    // A failed check returns early: the writer is stopped and joined first.
    struct Join {
        std::atomic<bool>& done;
        std::thread& thread;
        ~Join() {
            done.store(true);
            thread.join();
        }
    } join{done, writer};
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
    QCOMPARE(pictures.put(grey(a, w, h), kKey, 3), 0);
    QCOMPARE(pictures.put(grey(b, w, h), kKey, 3), 0);
    int value = 0;
    QVERIFY(uniform(*pictures.takePending(0), &value));
    QCOMPARE(value, 7);
    QCOMPARE(pictures.takePending(0), nullptr);
    QCOMPARE(pictures.put(grey(b, w, h), kKey, 4), -1);  // another channel
}

// A picture handed over with a reference is held, not copied, until the slot
// has a newer picture in that buffer.
void TestGLWidget::keptReferenceInsteadOfCopy() {
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
    std::vector<unsigned char> rgba(33 * 20 * 4, 50);
    QCOMPARE(pictures.put(grey(rgba, 33, 20), 0, -1), 0);
    QVERIFY(pictures.takePending(0));
    QCOMPARE(owner.use_count(), 2L);  // still the back buffer's
    QCOMPARE(pictures.put(grey(rgba, 33, 20), 0, -1), 0);
    QCOMPARE(owner.use_count(), 1L);
}

// The hand-over sends a bar text only when it differs from the one the view
// shows; top and bottom texts of the same type are different texts.
void TestGLWidget::textsDifferFromWhatWasSetLast() {
    PictureSlots pictures(1);
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
