#include "display/GLWidget.h"

#include <QtGui/qtgui-config.h>
#include <QCloseEvent>
#include <QEasingCurve>
#include <QImage>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QPropertyAnimation>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtDebug>
#include <QMatrix3x3>
#include <QVector3D>
#include <algorithm>
#include <array>
#include <cstring>

#if !QT_CONFIG(opengles2)
#include <QOpenGLFunctions_1_1>
#endif

#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "display/ViewHosts.h"
#include "widgets/CConfiguration.h"

GLWidget::GLWidget(QWidget* owner, int viewMode, QWidget* page, int arrangement, int slotCount)
    : QOpenGLWidget(page),
      m_owner(owner),
      m_page(page),
      m_viewMode(viewMode),
      m_arrangement(arrangement),
      m_pictures(std::make_shared<PictureSlots>(slotCount)),
      m_textures(static_cast<std::size_t>(std::max(1, slotCount))),
      m_vertexBuffer(QOpenGLBuffer::VertexBuffer) {
    // Scoped to the view itself: an unscoped rule would reach the bars and
    // paint over the bottom bar's speed colour.
    setStyleSheet(QStringLiteral("GLWidget{background-color:rgba(0,0,0,100%);}"));
    setMouseTracking(true);

    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(2, 2, 2, 2);
    m_topBar = new UCScreenMenu(this);
    m_bottomBar = new UCScreenBottomMenu(this);
    m_layout->addWidget(m_topBar, 0, Qt::AlignTop);
    m_layout->addWidget(m_bottomBar, 0, Qt::AlignBottom);

    m_topBar->setFontSize(g_config.fontSize());
    m_topBar->setTextVisible(UCScreenMenu::TextSiteName, g_config.showTextSiteName());
    m_topBar->setTextVisible(UCScreenMenu::TextChannelTitle, g_config.showTextChannelTitle());
    m_topBar->showButtons(false);
    m_bottomBar->setTextVisible(UCScreenBottomMenu::TextMode, g_config.showTextMode());
    m_bottomBar->setTextVisible(UCScreenBottomMenu::TextDateTime, g_config.showTextDateTime());
    m_bottomBar->setTextVisible(UCScreenBottomMenu::TextResolution, g_config.showTextResolution());
    // The D-ZOOM mark is there only while the zoom is on.
    m_bottomBar->setTextVisible(UCScreenBottomMenu::TextDZoom, false);

    m_dropHighlight = new QWidget(this);
    m_dropHighlight->setStyleSheet(QStringLiteral("background-color:rgba(241,92,34,70%);"));
    m_dropHighlight->hide();

    m_endOfResizeTimer.setInterval(kEndOfResizeMs);
    m_endOfResizeTimer.setSingleShot(true);
    connect(&m_endOfResizeTimer, &QTimer::timeout, this, &GLWidget::slotRefresh);

    if (auto* host = dynamic_cast<IViewPage*>(page)) {
        connect(this, &GLWidget::signalMousePress, page,
                [host](GLWidget* w, bool multi) { host->slotWidgetMousePress(w, multi); });
        connect(this, &GLWidget::signalMouseRelease, page,
                [host](GLWidget* w, bool multi) { host->slotWidgetMouseRelease(w, multi); });
        connect(this, &GLWidget::signalEnterEvent, page,
                [host](GLWidget* w, QEvent* e) { host->slotWidgetEnterEvent(w, e); });
        connect(this, &GLWidget::signalLeaveEvent, page,
                [host](GLWidget* w, QEvent* e) { host->slotWidgetLeaveEvent(w, e); });
        connect(this, &GLWidget::signalClose, page,
                [host](GLWidget* w) { host->slotCloseClicked(w); });
    }
    if (auto* host = dynamic_cast<IViewOwner*>(owner)) {
        connect(this, &GLWidget::signalPrint, owner,
                [host](QWidget* frame, GLWidget* w) { host->slotPrintClicked(frame, w); });
        connect(this, &GLWidget::signalCapture, owner,
                [host](QWidget* frame, GLWidget* w) { host->slotCaptureClicked(frame, w); });
    }

    loadBlankPicture();
}

GLWidget::~GLWidget() {
    delete m_animation;
    m_animation = nullptr;
    if (QOpenGLContext* ctx = context()) {
        // The base class destroys the context after this destructor; this
        // object must not hear about it any more.
        disconnect(ctx, nullptr, this, nullptr);
        releaseGL();
    }
}

void GLWidget::loadBlankPicture() {
    // Decoded once for all views (views are created on the GUI thread only;
    // the static's initialisation is thread-safe regardless), and handed to
    // the slots by reference: a page opening nine views would otherwise copy
    // 8 MB per view on the GUI thread.
    static const std::shared_ptr<const QImage> blank = [] {
        QImage image(QString::fromLatin1(kBlankPicture));
        if (image.isNull())
            qWarning() << "blank picture missing:" << kBlankPicture;
        return std::make_shared<const QImage>(image.convertToFormat(QImage::Format_RGBA8888));
    }();
    if (blank->isNull())
        return;
    PictureFrame picture;
    picture.format = PICTURE_RGBA;
    picture.planes[0] = blank->constBits();
    picture.lineSizes[0] = static_cast<int>(blank->bytesPerLine());
    picture.width = blank->width();
    picture.height = blank->height();
    picture.keep = blank;
    m_pictures->put(picture, 0, -1);
}

// ---------------------------------------------------------------------------
// Geometry rules

QSizeF GLWidget::displaySize(float viewW, float viewH, int pictureW, int pictureH,
                             float aspectOverride, bool halfHeightRule) {
    float pw = viewW;
    float ph = viewH;
    if (viewW <= 0.0f || viewH <= 0.0f)
        return QSizeF(0, 0);
    float r = aspectOverride;
    if (aspectOverride == -1.0f) {
        r = pictureW > 0 ? static_cast<float>(pictureH) / static_cast<float>(pictureW) : 0.0f;
        if (halfHeightRule && r < 0.5f)
            r = 2.0f * r;
    }
    const float viewRatio = viewH / viewW;
    if (r > 0.0f && r != viewRatio) {
        if (r > viewRatio)
            pw = viewH / r;
        else
            ph = r * viewW;
    }
    return QSizeF(pw, ph);
}

int GLWidget::hitRegion(const QRect& rect, const QPoint& point) {
    const int m = kHitMargin;
    const bool left = point.x() < rect.left() + m;
    const bool right = point.x() > rect.right() - m + 1;
    const bool top = point.y() < rect.top() + m;
    const bool bottom = point.y() > rect.bottom() - m + 1;
    if (left && top)
        return HitLeftTop;
    if (left && bottom)
        return HitLeftBottom;
    if (right && top)
        return HitRightTop;
    if (right && bottom)
        return HitRightBottom;
    if (left)
        return HitLeft;
    if (right)
        return HitRight;
    if (top)
        return HitTop;
    if (bottom)
        return HitBottom;
    return HitNone;
}

// ---------------------------------------------------------------------------
// View state

void GLWidget::setSelected(bool selected) {
    hideDropHighlight();
    m_borderColor = selected ? QColor(255, 255, 0) : QColor(Qt::gray);
    m_menuToggled = false;
    m_selected = selected;
    update();
}

void GLWidget::setPaintSuppressed(bool suppressed) {
    m_paintSuppressed = suppressed;
    if (!suppressed)
        update();
}

void GLWidget::setZoomPan(float panX, float panY, float zoomX, float zoomY) {
    zoomX = std::max(1.0f, zoomX);
    zoomY = std::max(1.0f, zoomY);
    // The limits follow the picture as it is drawn, half-height pictures
    // included, so every part of a magnified picture can be reached.
    const QSizeF shown = displaySize(m_viewWidth, m_viewHeight, pictureWidth(), pictureHeight(),
                                     m_aspectOverride, true);
    const float limitX = static_cast<float>(shown.width()) * (zoomX - 1.0f) * 0.5f;
    const float limitY = static_cast<float>(shown.height()) * (zoomY - 1.0f) * 0.5f;
    m_panX = std::clamp(panX, -limitX, limitX);
    m_panY = std::clamp(panY, -limitY, limitY);
    m_zoomX = zoomX;
    m_zoomY = zoomY;
    update();
}

void GLWidget::setTopText(int type, const QString& text) {
    m_pictures->noteText(PictureSlots::kTopTextKind + type, text);
    if (m_topBar)
        m_topBar->setText(type, text);
}

void GLWidget::setTopTextVisible(int type, bool visible) {
    if (m_topBar)
        m_topBar->setTextVisible(type, visible);
}

bool GLWidget::isTopTextVisible(int type) const {
    return m_topBar && m_topBar->isTextVisible(type);
}

void GLWidget::setBottomText(int type, const QString& text) {
    m_pictures->noteText(type, text);
    if (m_bottomBar)
        m_bottomBar->setText(type, text);
}

void GLWidget::setBottomTextVisible(int type, bool visible) {
    if (m_bottomBar)
        m_bottomBar->setTextVisible(type, visible);
}

bool GLWidget::isBottomTextVisible(int type) const {
    return m_bottomBar && m_bottomBar->isTextVisible(type);
}

void GLWidget::setBottomTextColor(const QColor& color) {
    if (m_bottomBar)
        m_bottomBar->setBackgroundColor(color);
}

UCScreenMenu* GLWidget::topBar() const {
    return m_topBar;
}

UCScreenBottomMenu* GLWidget::bottomBar() const {
    return m_bottomBar;
}

void GLWidget::toggleMenu() {
    if (!m_topBar)
        return;
    m_menuToggled = !m_menuToggled;
    m_topBar->showButtons(m_menuToggled);
}

void GLWidget::showDropHighlight() {
    m_dropHighlight->setGeometry(0, 0, width(), height());
    m_dropHighlight->show();
    m_dropHighlight->raise();
}

void GLWidget::hideDropHighlight() {
    m_dropHighlight->hide();
}

void GLWidget::updateLarge() {
    m_large = width() >= kLargeWidth && height() >= kLargeHeight;
}

// ---------------------------------------------------------------------------
// Animations

void GLWidget::startGeometryAnimation(const QRect& from, const QRect& to, int ms, int easing) {
    if (m_animation) {
        m_animation->stop();
        m_animation->disconnect(this);
        m_animation->deleteLater();
    }
    m_animation = new QPropertyAnimation(this, "geometry");
    m_animation->setDuration(ms);
    m_animation->setEasingCurve(static_cast<QEasingCurve::Type>(easing));
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    connect(m_animation, &QAbstractAnimation::finished, this, &GLWidget::slotAnimationFinished);
    m_animation->start();
}

void GLWidget::animateEnlarge(bool on, const QRect& target) {
    if (on) {
        m_enlargeSaved = geometry();
        m_enlargeTarget = target;
        startGeometryAnimation(geometry(), target, 300, QEasingCurve::OutCubic);
        raise();
        m_enlarged = true;
        return;
    }
    // Back in its cell the picture is shown whole again.
    m_zoomX = m_zoomY = 1.0f;
    m_panX = m_panY = 0.0f;
    if (target.isNull()) {
        if (m_animation)
            m_animation->stop();
        setGeometry(m_enlargeSaved);
    } else {
        startGeometryAnimation(target, m_enlargeSaved, 300, QEasingCurve::OutCubic);
    }
    m_enlarged = false;
    update();
}

void GLWidget::animatePopup(bool on, const QRect& target) {
    if (on) {
        m_popupSaved = geometry();
        startGeometryAnimation(geometry(), target, 400, QEasingCurve::OutExpo);
        raise();
        m_poppedUp = true;
        return;
    }
    if (target.isNull()) {
        if (m_animation)
            m_animation->stop();
        setGeometry(m_popupSaved);
    } else {
        startGeometryAnimation(target, m_popupSaved, 200, QEasingCurve::OutExpo);
    }
    m_poppedUp = false;
}

void GLWidget::stopAnimations() {
    if (m_animation)
        m_animation->stop();
    if (m_enlarged) {
        setGeometry(m_enlargeSaved);
        m_enlarged = false;
    }
    if (m_poppedUp) {
        setGeometry(m_popupSaved);
        m_poppedUp = false;
    }
}

void GLWidget::setCellGeometry(const QRect& cell) {
    m_enlargeSaved = cell;
    m_popupSaved = cell;
}

quintptr GLWidget::layoutSiteKey() const {
    return static_cast<quintptr>(sourceKeyOf(0));
}

QSize GLWidget::sizeHint() const {
    return QSize(200, 200);
}

QSize GLWidget::minimumSizeHint() const {
    return QSize(50, 50);
}

// ---------------------------------------------------------------------------
// Slots

void GLWidget::slotCaptureClicked() {
    emit signalCapture(m_page, this);
    if (m_topBar)
        m_topBar->showButtons(false);
}

void GLWidget::slotPrintClicked() {
    emit signalPrint(m_page, this);
    if (m_topBar)
        m_topBar->showButtons(false);
}

void GLWidget::slotCloseClicked() {
    emit signalClose(this);
}

void GLWidget::slotZoomClicked(bool _checked) {
    if (!_checked) {
        m_zoomX = m_zoomY = 1.0f;
        m_panX = m_panY = 0.0f;
        // A rotation left behind would keep the picture askew with no zoom
        // to turn it back with.
        m_rotation = 0.0f;
    }
    m_dzoom = _checked;
    if (m_bottomBar) {
        m_bottomBar->setTextVisible(UCScreenBottomMenu::TextDZoom, _checked);
        m_bottomBar->setText(UCScreenBottomMenu::TextDZoom, tr("D-ZOOM"));
    }
    if (m_topBar)
        m_topBar->setZoomChecked(_checked);
    update();
}

void GLWidget::slotDropDownClicked() {}

void GLWidget::slotRefresh() {
    m_endOfResizeTimer.stop();
    emit signalEndOfResize(QPoint(-1, -1), this);
}

void GLWidget::slotAnimationFinished() {
    updateLarge();
}

void GLWidget::setOverlayIcon(int _index) {
    Q_UNUSED(_index);
    updateLarge();
}

// ---------------------------------------------------------------------------
// Events

void GLWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_lastPos = event->pos();
        if (m_movable && !m_dzoom) {
            raise();
            m_pressPoint = mapToParent(event->pos());
            m_pressRegion = hitRegion(m_pressPoint);
        }
        emit signalMousePress(this, event->modifiers() & Qt::ControlModifier);
    }
    // The page sees the press too (edge regions, rubber band).
    QOpenGLWidget::mousePressEvent(event);
}

void GLWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_doubleClickPending) {
            m_doubleClickPending = false;
            event->accept();
            return;
        }
        emit signalMouseRelease(this, event->modifiers() & Qt::ControlModifier);
    }
    QOpenGLWidget::mouseReleaseEvent(event);
}

void GLWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    m_doubleClickPending = true;
    emit signalDoubleClickOnView(this);
    event->accept();
}

void GLWidget::mouseMoveEvent(QMouseEvent* event) {
    if (m_dzoom && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = event->pos() - m_lastPos;
        setZoomPan(m_panX + static_cast<float>(delta.x()), m_panY + static_cast<float>(delta.y()),
                   m_zoomX, m_zoomY);
    }
    m_lastPos = event->pos();
    QOpenGLWidget::mouseMoveEvent(event);
}

void GLWidget::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (m_enlarged && m_zoomX == 1.0f)
        slotZoomClicked(dy > 0);
    if (!m_dzoom) {
        // Not ours: the page zooms its grid.
        event->ignore();
        return;
    }
    if (event->modifiers() == Qt::ControlModifier) {
        m_rotation += static_cast<float>(dy) * 0.01f;
        update();
    } else {
        const float step = static_cast<float>(dy) * 0.003f;
        const QPointF p = event->position();
        const float w = m_viewWidth;
        const float h = m_viewHeight;
        setZoomPan(m_panX + static_cast<float>(static_cast<int>(w * 0.5f - p.x())),
                   m_panY + static_cast<float>(static_cast<int>(h * 0.5f - p.y())), m_zoomX + step,
                   m_zoomY + step);
    }
    event->accept();
}

void GLWidget::enterEvent(QEvent* event) {
    if (m_topBar)
        m_topBar->showButtons(true);
    emit signalEnterEvent(this, event);
    QOpenGLWidget::enterEvent(event);
}

void GLWidget::leaveEvent(QEvent* event) {
    if (m_topBar)
        m_topBar->showButtons(false);
    emit signalLeaveEvent(this, event);
    QOpenGLWidget::leaveEvent(event);
}

void GLWidget::resizeEvent(QResizeEvent* event) {
    updateLarge();
    if (isVisible())
        m_endOfResizeTimer.start(kEndOfResizeMs);
    QOpenGLWidget::resizeEvent(event);
}

void GLWidget::closeEvent(QCloseEvent* event) {
    m_endOfResizeTimer.stop();
    QOpenGLWidget::closeEvent(event);
}
