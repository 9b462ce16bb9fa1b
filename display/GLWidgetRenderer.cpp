// GLWidget: the OpenGL renderer (GUI thread, context current): textures,
// shaders and painting the pictures, the selection border and the blank view.

#include "display/GLWidget.h"

#include <QtGui/qtgui-config.h>
#include <QMatrix3x3>
#include <QMatrix4x4>
#include <QVector3D>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QtDebug>
#include <algorithm>
#include <array>
#include <cstring>

#if !QT_CONFIG(opengles2)
#include <QOpenGLFunctions_1_1>
#endif

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
