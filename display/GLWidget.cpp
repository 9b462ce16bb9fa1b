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
#include <algorithm>
#include <cstring>

#if !QT_CONFIG(opengles2)
#include <QOpenGLFunctions_1_1>
#endif

#include "app/CConfiguration.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"

namespace {

// Larger pictures are refused rather than risking an overflowing buffer size;
// no recorder or texture unit goes beyond this.
constexpr int kMaxPictureSide = 16384;

const char* const kVertexShader = R"(attribute highp vec4 vertex;
attribute mediump vec4 texCoord;
varying mediump vec4 texc;
uniform mediump mat4 matrix;
void main(void)
{
    gl_Position = matrix * vertex;
    texc = texCoord;
}
)";

const char* const kFragmentShader = R"(uniform sampler2D texture;
varying mediump vec4 texc;
void main(void)
{
    gl_FragColor = texture2D(texture, texc.st);
}
)";

// Quad table: 4 vertices per quad, each x, y, z, s, t. Quad 0 carries the
// picture.
constexpr int kVertexStride = 5 * sizeof(GLfloat);
constexpr int kTexCoordOffset = 3 * sizeof(GLfloat);
const GLfloat kQuads[] = {
    -0.5f, -0.5f, 0.0f, 0.0f, 0.0f,  //
    -0.5f, 0.5f,  0.0f, 0.0f, 1.0f,  //
    0.5f,  0.5f,  0.0f, 1.0f, 1.0f,  //
    0.5f,  -0.5f, 0.0f, 1.0f, 0.0f,  //
};

}  // namespace

GLWidget::GLWidget(QWidget* owner, int viewMode, QWidget* page, int arrangement, int slotCount)
    : QOpenGLWidget(page),
      m_owner(owner),
      m_page(page),
      m_viewMode(viewMode),
      m_arrangement(arrangement),
      m_slots(static_cast<std::size_t>(std::max(1, slotCount))),
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
    connect(&m_endOfResizeTimer, SIGNAL(timeout()), this, SLOT(slotRefresh()));

    if (page) {
        connect(this, SIGNAL(signalMousePress(GLWidget*, bool)), page,
                SLOT(slotWidgetMousePress(GLWidget*, bool)));
        connect(this, SIGNAL(signalMouseRelease(GLWidget*, bool)), page,
                SLOT(slotWidgetMouseRelease(GLWidget*, bool)));
        connect(this, SIGNAL(signalEnterEvent(GLWidget*, QEvent*)), page,
                SLOT(slotWidgetEnterEvent(GLWidget*, QEvent*)));
        connect(this, SIGNAL(signalLeaveEvent(GLWidget*, QEvent*)), page,
                SLOT(slotWidgetLeaveEvent(GLWidget*, QEvent*)));
        connect(this, SIGNAL(signalClose(GLWidget*)), page, SLOT(slotCloseClicked(GLWidget*)));
    }
    if (owner) {
        connect(this, SIGNAL(signalPrint(QWidget*, GLWidget*)), owner,
                SLOT(slotPrintClicked(QWidget*, GLWidget*)));
        connect(this, SIGNAL(signalCapture(QWidget*, GLWidget*)), owner,
                SLOT(slotCaptureClicked(QWidget*, GLWidget*)));
    }

    loadBlankPicture();
}

GLWidget::~GLWidget() {
    {
        QMutexLocker lock(&m_pictureLock);
        m_slots.clear();
    }
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
    // the static's initialisation is thread-safe regardless).
    static const QImage blank = [] {
        QImage image(QString::fromLatin1(kBlankPicture));
        if (image.isNull())
            qWarning() << "blank picture missing:" << kBlankPicture;
        return image.convertToFormat(QImage::Format_RGBA8888);
    }();
    if (!blank.isNull())
        setImage(blank.constBits(), blank.width(), blank.height(), 0, -1, 0, 0);
}

// ---------------------------------------------------------------------------
// Picture hand-over

int GLWidget::setImage(const unsigned char* pixels, int width, int height, std::int64_t sourceKey,
                       int channel, int date, int time) {
    if (!pixels || width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return -1;

    QMutexLocker lock(&m_pictureLock);
    int index = -1;
    if (sourceKey == 0 && channel == -1) {
        index = m_slots.empty() ? -1 : 0;
    } else {
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i].sourceKey == sourceKey && m_slots[i].channel == channel)
                index = static_cast<int>(i);
        }
    }
    if (index < 0)
        return -1;

    PictureSlot& slot = m_slots[static_cast<std::size_t>(index)];
    if (slot.pending)
        return index;  // the previous picture is not uploaded yet: drop this one
    if (slot.pixels && (slot.width != width || slot.height != height))
        slot.pixels.reset();
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    if (!slot.pixels) {
        slot.pixels.reset(new unsigned char[bytes]);
        slot.width = width;
        slot.height = height;
    }
    slot.date = date;
    slot.time = time;
    std::memcpy(slot.pixels.get(), pixels, bytes);
    slot.pending = true;
    return index;
}

bool GLWidget::hasPendingPicture() const {
    QMutexLocker lock(&m_pictureLock);
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [](const PictureSlot& s) { return s.pixels && s.pending; });
}

void GLWidget::setSource(ISite* site, int channel, int slot) {
    {
        QMutexLocker lock(&m_pictureLock);
        const std::int64_t key = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(site));
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            if (slot == -1 || static_cast<int>(i) == slot) {
                m_slots[i].sourceKey = key;
                m_slots[i].channel = channel;
            }
        }
    }
    setBottomText(UCScreenBottomMenu::TextMode, QString());
}

std::int64_t GLWidget::sourceKeyOf(int slot) const {
    QMutexLocker lock(&m_pictureLock);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size()))
        return 0;
    return m_slots[static_cast<std::size_t>(slot)].sourceKey;
}

ISite* GLWidget::sourceOf(int slot) const {
    return reinterpret_cast<ISite*>(static_cast<std::intptr_t>(sourceKeyOf(slot)));
}

int GLWidget::channelOf(int slot) const {
    QMutexLocker lock(&m_pictureLock);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size()))
        return -1;
    return m_slots[static_cast<std::size_t>(slot)].channel;
}

bool GLWidget::dateTimeOf(int slot, QDateTime& out) const {
    QMutexLocker lock(&m_pictureLock);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size()))
        return false;
    const PictureSlot& s = m_slots[static_cast<std::size_t>(slot)];
    out = QDateTime(QDate(s.date / 10000, s.date % 10000 / 100, s.date % 100),
                    QTime(s.time / 10000, s.time % 10000 / 100, s.time % 100));
    return true;
}

int GLWidget::slotCount() const {
    QMutexLocker lock(&m_pictureLock);
    return static_cast<int>(m_slots.size());
}

int GLWidget::pictureWidth() const {
    QMutexLocker lock(&m_pictureLock);
    return m_slots.empty() ? 0 : m_slots.front().width;
}

int GLWidget::pictureHeight() const {
    QMutexLocker lock(&m_pictureLock);
    return m_slots.empty() ? 0 : m_slots.front().height;
}

QImage GLWidget::pictureImage(int slot) const {
    QMutexLocker lock(&m_pictureLock);
    if (slot < 0 || slot >= static_cast<int>(m_slots.size()))
        return QImage();
    const PictureSlot& s = m_slots[static_cast<std::size_t>(slot)];
    if (!s.pixels)
        return QImage();
    QImage image(s.width, s.height, QImage::Format_RGBA8888);
    for (int y = 0; y < s.height; ++y)
        std::memcpy(image.scanLine(y), s.pixels.get() + static_cast<std::size_t>(y) * s.width * 4,
                    static_cast<std::size_t>(s.width) * 4);
    return image;
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
    QSizeF shown;
    {
        QMutexLocker lock(&m_pictureLock);
        const PictureSlot& s = m_slots.front();
        // The limits follow the picture as it is drawn, half-height pictures
        // included, so every part of a magnified picture can be reached.
        shown = displaySize(m_viewWidth, m_viewHeight, s.width, s.height, m_aspectOverride, true);
    }
    const float limitX = static_cast<float>(shown.width()) * (zoomX - 1.0f) * 0.5f;
    const float limitY = static_cast<float>(shown.height()) * (zoomY - 1.0f) * 0.5f;
    m_panX = std::clamp(panX, -limitX, limitX);
    m_panY = std::clamp(panY, -limitY, limitY);
    m_zoomX = zoomX;
    m_zoomY = zoomY;
    update();
}

void GLWidget::setTopText(int type, const QString& text) {
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
    connect(m_animation, SIGNAL(finished()), this, SLOT(slotAnimationFinished()));
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
        float w, h;
        {
            QMutexLocker lock(&m_pictureLock);
            w = m_viewWidth;
            h = m_viewHeight;
        }
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

// ---------------------------------------------------------------------------
// OpenGL (GUI thread, context current)

void GLWidget::initializeGL() {
    initializeOpenGLFunctions();
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GLWidget::releaseGL,
            Qt::DirectConnection);

    m_vertexBuffer.create();
    m_vertexBuffer.bind();
    m_vertexBuffer.allocate(kQuads, static_cast<int>(sizeof(kQuads)));
    m_vertexBuffer.release();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    m_legacy = nullptr;
#if !QT_CONFIG(opengles2)
    if (!context()->isOpenGLES()) {
        m_legacy = context()->versionFunctions<QOpenGLFunctions_1_1>();
        if (m_legacy && !m_legacy->initializeOpenGLFunctions())
            m_legacy = nullptr;
    }
#endif
    if (m_legacy) {
        m_legacy->glMatrixMode(GL_MODELVIEW);
        m_legacy->glMatrixMode(GL_PROJECTION);
        m_legacy->glLoadIdentity();
    }

    m_program = std::make_unique<QOpenGLShaderProgram>();
    auto* vshader = new QOpenGLShader(QOpenGLShader::Vertex, m_program.get());
    auto* fshader = new QOpenGLShader(QOpenGLShader::Fragment, m_program.get());
    if (!vshader->compileSourceCode(kVertexShader))
        qWarning() << "vertex shader:" << vshader->log();
    if (!fshader->compileSourceCode(kFragmentShader))
        qWarning() << "fragment shader:" << fshader->log();
    m_program->addShader(vshader);
    m_program->addShader(fshader);
    m_program->bindAttributeLocation("vertex", 0);
    m_program->bindAttributeLocation("texCoord", 1);
    if (!m_program->link())
        qWarning() << "shader program:" << m_program->log();
}

void GLWidget::releaseGL() {
    if (!context())
        return;
    makeCurrent();
    {
        QMutexLocker lock(&m_pictureLock);
        for (PictureSlot& s : m_slots) {
            if (s.texture) {
                glDeleteTextures(1, &s.texture);
                s.texture = 0;
                s.textureWidth = s.textureHeight = 0;
                // A new context gets the buffered picture again.
                if (s.pixels)
                    s.pending = true;
            }
        }
    }
    m_vertexBuffer.destroy();
    m_program.reset();
    m_legacy = nullptr;
    doneCurrent();
}

void GLWidget::resizeGL(int w, int h) {
    QMutexLocker lock(&m_pictureLock);
    m_viewWidth = static_cast<float>(w);
    m_viewHeight = static_cast<float>(h);
    const qreal dpr = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLsizei>(w * dpr), static_cast<GLsizei>(h * dpr));
}

void GLWidget::uploadPending() {
    for (PictureSlot& s : m_slots) {
        if (!s.pending || !s.pixels)
            continue;
        if (s.texture && s.textureWidth == s.width && s.textureHeight == s.height) {
            glBindTexture(GL_TEXTURE_2D, s.texture);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE,
                            s.pixels.get());
        } else {
            if (s.texture)
                glDeleteTextures(1, &s.texture);
            glGenTextures(1, &s.texture);
            glBindTexture(GL_TEXTURE_2D, s.texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, s.width, s.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         s.pixels.get());
            s.textureWidth = s.width;
            s.textureHeight = s.height;
            ++m_textureCreations;
        }
        s.pending = false;
    }
}

void GLWidget::drawPictures() {
    if (!m_program || !m_program->isLinked())
        return;
    const float w = m_viewWidth;
    const float h = m_viewHeight;
    for (const PictureSlot& s : m_slots) {
        if (!s.texture)
            continue;
        QMatrix4x4 m;
        // y grows downwards, as in the widget.
        m.ortho(-w / 2, w / 2, h / 2, -h / 2, 5.0f, -5.0f);
        const QSizeF shown = displaySize(w, h, s.width, s.height, m_aspectOverride, true);
        m.translate(m_panX, m_panY, 0.0f);
        m.rotate(m_rotation * 0.0625f, 0.0f, 0.0f, 1.0f);
        m.scale(static_cast<float>(shown.width()) * m_zoomX,
                static_cast<float>(shown.height()) * m_zoomY);

        m_program->bind();
        m_program->setUniformValue("matrix", m);
        m_program->setUniformValue("texture", 0);
        m_vertexBuffer.bind();
        m_program->enableAttributeArray(0);
        m_program->enableAttributeArray(1);
        m_program->setAttributeBuffer(0, GL_FLOAT, 0, 3, kVertexStride);
        m_program->setAttributeBuffer(1, GL_FLOAT, kTexCoordOffset, 2, kVertexStride);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, s.texture);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        m_program->disableAttributeArray(0);
        m_program->disableAttributeArray(1);
        m_vertexBuffer.release();
        m_program->release();
    }
}

void GLWidget::drawBorder() {
#if !QT_CONFIG(opengles2)
    if (!m_legacy)
        return;
    const float w = m_viewWidth;
    const float h = m_viewHeight;
    m_legacy->glOrtho(0, w, h, 0, 5, -5);
    m_legacy->glPushMatrix();
    m_legacy->glColor4f(
        static_cast<GLfloat>(m_borderColor.redF()), static_cast<GLfloat>(m_borderColor.greenF()),
        static_cast<GLfloat>(m_borderColor.blueF()), static_cast<GLfloat>(m_borderColor.alphaF()));
    glLineWidth(2.0f);
    m_legacy->glTranslatef(0.0f, 0.0f, -3.0f);
    m_legacy->glScalef(w, h, 0.0f);
    m_legacy->glBegin(GL_LINE_LOOP);
    m_legacy->glVertex2f(0.0f, 0.0f);
    m_legacy->glVertex2f(1.0f, 0.0f);
    m_legacy->glVertex2f(1.0f, 1.0f);
    m_legacy->glVertex2f(0.0f, 1.0f);
    m_legacy->glEnd();
    glFlush();
    m_legacy->glPopMatrix();
#endif
}

void GLWidget::paintGL() {
    if (m_paintSuppressed)
        return;
    if (m_legacy)
        m_legacy->glLoadIdentity();
    glClearColor(static_cast<GLfloat>(m_backgroundColor.redF()),
                 static_cast<GLfloat>(m_backgroundColor.greenF()),
                 static_cast<GLfloat>(m_backgroundColor.blueF()), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    QMutexLocker lock(&m_pictureLock);
    uploadPending();
    if (m_legacy)
        m_legacy->glPushMatrix();
    drawPictures();
    if (m_legacy)
        m_legacy->glPopMatrix();
    drawBorder();
}
