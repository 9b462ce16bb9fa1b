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

#include "app/CConfiguration.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"

namespace {

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

// YUV 4:2:0 pictures: three single-channel textures, BT.601 to RGB in the
// shader (the same conversion the decoder would do on the CPU). `offset` and
// `coefficients` carry the studio or full range.
const char* const kYuvFragmentShader = R"(uniform sampler2D planeY;
uniform sampler2D planeU;
uniform sampler2D planeV;
uniform mediump vec3 offset;
uniform mediump mat3 coefficients;
varying mediump vec4 texc;
void main(void)
{
    mediump vec3 yuv = vec3(texture2D(planeY, texc.st).r, texture2D(planeU, texc.st).r,
                            texture2D(planeV, texc.st).r) + offset;
    gl_FragColor = vec4(coefficients * yuv, 1.0);
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
// Picture hand-over

int GLWidget::setImage(const unsigned char* pixels, int width, int height, std::int64_t sourceKey,
                       int channel, int date, int time) {
    PictureFrame picture;
    picture.format = PICTURE_RGBA;
    picture.planes[0] = pixels;
    picture.width = width;
    picture.height = height;
    picture.date = date;
    picture.time = time;
    return m_pictures->put(picture, sourceKey, channel);
}

int GLWidget::setPicture(const PictureFrame& picture, std::int64_t sourceKey, int channel) {
    return m_pictures->put(picture, sourceKey, channel);
}

bool GLWidget::hasPendingPicture() const {
    return m_pictures->hasPending();
}

void GLWidget::setSource(ISite* site, int channel, int slot) {
    m_pictures->setSource(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(site)),
                          channel, slot);
    setBottomText(UCScreenBottomMenu::TextMode, QString());
}

std::int64_t GLWidget::sourceKeyOf(int slot) const {
    return m_pictures->sourceKeyOf(slot);
}

ISite* GLWidget::sourceOf(int slot) const {
    return reinterpret_cast<ISite*>(static_cast<std::intptr_t>(sourceKeyOf(slot)));
}

int GLWidget::channelOf(int slot) const {
    return m_pictures->channelOf(slot);
}

bool GLWidget::dateTimeOf(int slot, QDateTime& out) const {
    int date = 0;
    int time = 0;
    if (!m_pictures->dateTimeOf(slot, &date, &time))
        return false;
    out = QDateTime(QDate(date / 10000, date % 10000 / 100, date % 100),
                    QTime(time / 10000, time % 10000 / 100, time % 100));
    return true;
}

int GLWidget::slotCount() const {
    return m_pictures->count();
}

int GLWidget::pictureWidth() const {
    return m_pictures->width(0);
}

int GLWidget::pictureHeight() const {
    return m_pictures->height(0);
}

QImage GLWidget::pictureImage(int slot) const {
    return m_pictures->image(slot);
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

    m_program = buildProgram(kFragmentShader);
    m_yuvProgram = buildProgram(kYuvFragmentShader);
}

std::unique_ptr<QOpenGLShaderProgram> GLWidget::buildProgram(const char* fragmentSource) {
    auto program = std::make_unique<QOpenGLShaderProgram>();
    auto* vshader = new QOpenGLShader(QOpenGLShader::Vertex, program.get());
    auto* fshader = new QOpenGLShader(QOpenGLShader::Fragment, program.get());
    if (!vshader->compileSourceCode(kVertexShader))
        qWarning() << "vertex shader:" << vshader->log();
    if (!fshader->compileSourceCode(fragmentSource))
        qWarning() << "fragment shader:" << fshader->log();
    program->addShader(vshader);
    program->addShader(fshader);
    program->bindAttributeLocation("vertex", 0);
    program->bindAttributeLocation("texCoord", 1);
    if (!program->link())
        qWarning() << "shader program:" << program->log();
    return program;
}

void GLWidget::releaseGL() {
    if (!context())
        return;
    makeCurrent();
    // A new context gets the buffered pictures again (paintGL uploads the
    // front picture of every slot without textures).
    for (SlotTextures& t : m_textures)
        deleteTextures(t);
    m_vertexBuffer.destroy();
    m_program.reset();
    m_yuvProgram.reset();
    m_legacy = nullptr;
    doneCurrent();
}

void GLWidget::resizeGL(int w, int h) {
    m_viewWidth = static_cast<float>(w);
    m_viewHeight = static_cast<float>(h);
    const qreal dpr = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLsizei>(w * dpr), static_cast<GLsizei>(h * dpr));
}

void GLWidget::deleteTextures(SlotTextures& t) {
    for (GLuint& name : t.names) {
        if (name)
            glDeleteTextures(1, &name);
        name = 0;
    }
    t.width = t.height = 0;
    t.loaded = false;
}

void GLWidget::upload(SlotTextures& t, const BufferedPicture& picture) {
    const bool yuv = picture.format == PICTURE_YUV420;
    const GLenum layout = yuv ? GL_LUMINANCE : GL_RGBA;
    const int pixelBytes = yuv ? 1 : 4;
    const bool reuse = t.names[0] && t.format == picture.format && t.width == picture.width &&
                       t.height == picture.height;
    if (!reuse) {
        deleteTextures(t);
    }
    const bool rowLength = !context()->isOpenGLES() || context()->format().majorVersion() >= 3;
    for (int i = 0; i < picture.planeCount(); ++i) {
        const int w = picture.planeWidth(i);
        const int h = picture.planeHeight(i);
        const int stride = picture.lineSize(i);
        const unsigned char* pixels = picture.plane(i);
        if (!reuse) {
            glGenTextures(1, &t.names[i]);
            glBindTexture(GL_TEXTURE_2D, t.names[i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(layout), w, h, 0, layout,
                         GL_UNSIGNED_BYTE, nullptr);
        } else {
            glBindTexture(GL_TEXTURE_2D, t.names[i]);
        }
        // Rows of the U and V planes (and of odd-sized pictures) need not be
        // multiples of four bytes; decoded planes come with padded rows.
        glPixelStorei(GL_UNPACK_ALIGNMENT, stride % 4 == 0 ? 4 : 1);
        if (stride == w * pixelBytes) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, layout, GL_UNSIGNED_BYTE, pixels);
        } else if (rowLength) {
            glPixelStorei(GL_UNPACK_ROW_LENGTH, stride / pixelBytes);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, layout, GL_UNSIGNED_BYTE, pixels);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        } else {
            for (int y = 0; y < h; ++y) {
                glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, w, 1, layout, GL_UNSIGNED_BYTE,
                                pixels + static_cast<std::size_t>(y) * stride);
            }
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (!reuse) {
        t.format = picture.format;
        t.width = picture.width;
        t.height = picture.height;
        ++m_textureCreations;
    }
    t.fullRange = picture.fullRange;
    t.loaded = true;
    ++m_picturesShown;
}

void GLWidget::uploadPending() {
    for (int i = 0; i < static_cast<int>(m_textures.size()); ++i) {
        SlotTextures& t = m_textures[static_cast<std::size_t>(i)];
        if (const BufferedPicture* pending = m_pictures->takePending(i)) {
            upload(t, *pending);
        } else if (!t.loaded) {
            if (const BufferedPicture* shown = m_pictures->front(i))
                upload(t, *shown);
        }
    }
}

void GLWidget::drawPictures() {
    const float w = m_viewWidth;
    const float h = m_viewHeight;
    for (const SlotTextures& t : m_textures) {
        if (!t.loaded)
            continue;
        const bool yuv = t.format == PICTURE_YUV420;
        QOpenGLShaderProgram* program = yuv ? m_yuvProgram.get() : m_program.get();
        if (!program || !program->isLinked())
            continue;
        QMatrix4x4 m;
        // y grows downwards, as in the widget.
        m.ortho(-w / 2, w / 2, h / 2, -h / 2, 5.0f, -5.0f);
        const QSizeF shown = displaySize(w, h, t.width, t.height, m_aspectOverride, true);
        m.translate(m_panX, m_panY, 0.0f);
        m.rotate(m_rotation * 0.0625f, 0.0f, 0.0f, 1.0f);
        m.scale(static_cast<float>(shown.width()) * m_zoomX,
                static_cast<float>(shown.height()) * m_zoomY);

        program->bind();
        program->setUniformValue("matrix", m);
        if (yuv) {
            program->setUniformValue("planeY", 0);
            program->setUniformValue("planeU", 1);
            program->setUniformValue("planeV", 2);
            // Columns of the matrix: the contributions of Y, U and V to R, G, B.
            if (t.fullRange) {
                program->setUniformValue("offset", QVector3D(0.0f, -0.5f, -0.5f));
                program->setUniformValue("coefficients",
                                         QMatrix3x3(std::array<float, 9>{1.0f, 0.0f, 1.402f,  //
                                                                         1.0f, -0.344f, -0.714f,
                                                                         1.0f, 1.772f, 0.0f}
                                                        .data()));
            } else {
                program->setUniformValue("offset", QVector3D(-16.0f / 255.0f, -0.5f, -0.5f));
                program->setUniformValue("coefficients",
                                         QMatrix3x3(std::array<float, 9>{1.164f, 0.0f, 1.596f,  //
                                                                         1.164f, -0.392f, -0.813f,
                                                                         1.164f, 2.017f, 0.0f}
                                                        .data()));
            }
        } else {
            program->setUniformValue("texture", 0);
        }
        m_vertexBuffer.bind();
        program->enableAttributeArray(0);
        program->enableAttributeArray(1);
        program->setAttributeBuffer(0, GL_FLOAT, 0, 3, kVertexStride);
        program->setAttributeBuffer(1, GL_FLOAT, kTexCoordOffset, 2, kVertexStride);
        for (int i = yuv ? 2 : 0; i >= 0; --i) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
            glBindTexture(GL_TEXTURE_2D, t.names[i]);
        }
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        program->disableAttributeArray(0);
        program->disableAttributeArray(1);
        m_vertexBuffer.release();
        program->release();
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

    ++m_paints;
    uploadPending();
    if (m_legacy)
        m_legacy->glPushMatrix();
    drawPictures();
    if (m_legacy)
        m_legacy->glPopMatrix();
    drawBorder();
}
