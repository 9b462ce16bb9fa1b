#pragma once

// GLWidget: one video view. It shows the pictures of one channel of one site,
// drawn with OpenGL with the picture's aspect ratio kept, optionally magnified,
// panned and rotated by the digital zoom (D-ZOOM), and carries the two overlay
// bars (UCScreenMenu on top, UCScreenBottomMenu at the bottom).
//
// Picture flow: a decode thread hands each picture to the page, which puts it
// into this view's picture slots (PictureSlots) without holding any page-wide
// lock. A slot keeps one picture pending at a time; a newer one arriving while
// the previous one is still pending is dropped (the decode thread never waits
// for painting). The page then asks the GUI thread to call update() on views
// with a pending picture; paintGL() uploads it into the slot's textures on the GUI
// thread and draws it: packed RGBA as one texture, or Y, U and V planes as
// three textures converted to RGB by the fragment shader.
//
// The view paints only when something changed: a new picture, its selection,
// zoom or geometry, or an animation. Nothing else calls update() on it.
//
// Threading:
//   - setImage(), setPicture(), hasPendingPicture(), pictures(), sourceKeyOf(),
//     sourceOf(), channelOf(), dateTimeOf(), pictureWidth(), pictureHeight(),
//     pictureImage() and slotCount() may be called from any thread.
//   - Everything else, including all slots and every GL call, runs on the GUI
//     thread.
//
// Locks: only the slots' own lock (PictureSlots), held for flag flips and
// buffer swaps; it is never held while calling out of the view.

#include <QColor>
#include <QDateTime>
#include <QMatrix4x4>
#include <QOpenGLBuffer>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSizeF>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

#include "display/IDisplayLayoutView.h"
#include "display/PictureSlots.h"
#include "display/ViewHosts.h"

class ISite;
class QOpenGLShaderProgram;
class QPropertyAnimation;
class QVBoxLayout;
class UCScreenBottomMenu;
class UCScreenMenu;
class QOpenGLFunctions_1_1;

class GLWidget : public QOpenGLWidget,
                 protected QOpenGLFunctions,
                 public IDisplayLayoutView,
                 public IScreenMenuHost {
    Q_OBJECT

public:
    // Edge and corner regions answered by hitRegion().
    enum HitRegion {
        HitNone = 0,
        HitLeft = 1,
        HitRight = 2,
        HitTop = 3,
        HitBottom = 4,
        HitLeftTop = 5,
        HitLeftBottom = 6,
        HitRightTop = 7,
        HitRightBottom = 8,
    };
    // Width of the edge strips of hitRegion(), in pixels.
    static constexpr int kHitMargin = 10;
    // A view at least this large counts as large.
    static constexpr int kLargeWidth = 641;
    static constexpr int kLargeHeight = 481;
    static constexpr int kEndOfResizeMs = 1000;
    static constexpr const char* kBlankPicture = ":/Korvel/images/blank_1080.png";

    // `owner` (the main window) receives signalPrint and signalCapture;
    // `page` (the display page) is the Qt parent and receives the mouse, close
    // and resize signals. View mode and arrangement are always 0 in this
    // viewer; `slotCount` is the number of picture slots (at least 1).
    GLWidget(QWidget* owner, int viewMode, QWidget* page, int arrangement = 0, int slotCount = 1);
    ~GLWidget() override;

    // --- picture hand-over (any thread) ---

    // Copies one RGBA picture (4 bytes per pixel, rows top to bottom without
    // padding) into the slot of (sourceKey, channel); key 0 with channel -1
    // addresses the first slot. Returns the slot index, also when the picture
    // was dropped because the slot's previous picture is still pending, or -1
    // when no slot matches or the picture is unusable (no pixels, or a size
    // that is not positive or too large).
    int setImage(const unsigned char* pixels, int width, int height, std::int64_t sourceKey,
                 int channel, int date, int time);
    // The same for a picture in any layout PictureSlots takes (RGBA or YUV
    // 4:2:0 planes).
    int setPicture(const PictureFrame& picture, std::int64_t sourceKey, int channel);
    // True when a slot holds a picture that has not been uploaded yet.
    bool hasPendingPicture() const;
    // The view's slots, for a hand-over that must not depend on the view
    // staying alive (the page's).
    std::shared_ptr<PictureSlots> pictures() const { return m_pictures; }

    // Assigns a site and channel to a slot, or to every slot when `slot` is -1;
    // clears the play-state text.
    void setSource(ISite* site, int channel, int slot);
    std::int64_t sourceKeyOf(int slot) const;
    ISite* sourceOf(int slot) const;
    int channelOf(int slot) const;
    // Date and time of the buffered picture; false for a bad slot index.
    bool dateTimeOf(int slot, QDateTime& out) const;
    int slotCount() const;
    int pictureWidth() const;
    int pictureHeight() const;
    // A copy of the buffered picture of a slot (null for a bad index or none).
    QImage pictureImage(int slot = 0) const;

    // --- geometry rules (pure) ---

    // Size at which a picture is drawn in a view of viewW x viewH: the whole
    // view, narrowed or lowered so that the picture keeps its ratio. The ratio
    // is height / width of the picture, or `aspectOverride` unless that is -1.
    // With `halfHeightRule`, a picture more than twice as wide as high (a
    // half-height recording, e.g. 704 x 240) is shown at double height.
    static QSizeF displaySize(float viewW, float viewH, int pictureW, int pictureH,
                              float aspectOverride, bool halfHeightRule);
    // Region of `point` (in the page's coordinates) relative to `rect` (the
    // view's geometry in the page): see HitRegion.
    static int hitRegion(const QRect& rect, const QPoint& point);
    int hitRegion(const QPoint& point) const { return hitRegion(geometry(), point); }

    // --- view state (GUI thread) ---

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QColor borderColor() const { return m_borderColor; }
    bool isDZoom() const { return m_dzoom; }
    bool isEnlarged() const override { return m_enlarged; }
    bool isPoppedUp() const override { return m_poppedUp; }
    bool isLarge() const { return m_large; }
    bool isMovable() const { return m_movable; }
    bool isPaintSuppressed() const { return m_paintSuppressed; }
    // While suppressed, paintGL draws nothing (the page suppresses painting
    // while its grid is being laid out).
    void setPaintSuppressed(bool suppressed);

    // Clamps and stores the D-ZOOM pan and zoom, then repaints: zoom never
    // below 1, pan limited so that the magnified picture always covers the
    // picture area.
    void setZoomPan(float panX, float panY, float zoomX, float zoomY);
    float panX() const { return m_panX; }
    float panY() const { return m_panY; }
    float zoomX() const { return m_zoomX; }
    float zoomY() const { return m_zoomY; }
    float rotation() const { return m_rotation; }

    // Forwarders to the overlay bars.
    void setTopText(int type, const QString& text);
    void setTopTextVisible(int type, bool visible);
    bool isTopTextVisible(int type) const;
    void setBottomText(int type, const QString& text);
    void setBottomTextVisible(int type, bool visible);
    bool isBottomTextVisible(int type) const;
    void setBottomTextColor(const QColor& color);
    // Null once a bar has been closed.
    UCScreenMenu* topBar() const;
    UCScreenBottomMenu* bottomBar() const;

    // Shows the button panel of the top bar, or hides it when the last call
    // showed it (the page's Alt+I).
    void toggleMenu();
    void showDropHighlight() override;
    void hideDropHighlight() override;
    QWidget* dropHighlight() const { return m_dropHighlight; }

    // Enlarge (page double click) and pop-up (mouse resting on a small view).
    // Off with a null rectangle puts the saved geometry back at once; off with
    // a rectangle animates from it back to the saved geometry.
    void animateEnlarge(bool on, const QRect& target);
    void animatePopup(bool on, const QRect& target);
    // Ends any animation and puts enlarged or popped-up views back at once.
    void stopAnimations() override;
    // The geometry the view returns to after an enlarge or a pop-up; the
    // layout sets it to the view's cell rectangle.
    void setCellGeometry(const QRect& cell) override;
    // The site of slot 0 as the layout's site identity (0 for none).
    quintptr layoutSiteKey() const override;
    QRect enlargeTarget() const { return m_enlargeTarget; }

    // Number of times a slot's textures were created so far (they are
    // re-created only when the picture's size or layout changes); for tests
    // and diagnostics.
    int textureCreations() const { return m_textureCreations; }
    // Pictures uploaded and drawn so far; for benchmarks and diagnostics.
    int picturesShown() const { return m_picturesShown; }
    // Times paintGL ran with painting not suppressed; for benchmarks and
    // diagnostics.
    int paints() const { return m_paints; }

    QWidget* owner() const { return m_owner; }
    QWidget* page() const { return m_page; }
    int viewMode() const { return m_viewMode; }
    int arrangement() const { return m_arrangement; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();
    void signalCapture(QWidget* _displayFrame, GLWidget* _glWidget);
    void signalPrint(QWidget* _displayFrame, GLWidget* _glWidget);
    void signalClose(GLWidget*);
    void signalMousePress(GLWidget*, bool);
    void signalMouseRelease(GLWidget*, bool);
    void signalEnterEvent(GLWidget*, QEvent*);
    void signalLeaveEvent(GLWidget*, QEvent*);
    void signalEndOfResize(QPoint _pt, GLWidget* _glWidget);
    void signalDoubleClickOnView(GLWidget* _glWidget);

public slots:
    void slotCaptureClicked() override;
    void slotPrintClicked() override;
    void slotCloseClicked() override;
    void slotZoomClicked(bool _checked) override;
    void slotDropDownClicked() override;
    void slotRefresh();
    void slotAnimationFinished();
    void setOverlayIcon(int _index);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // GUI-thread state of a slot's textures.
    struct SlotTextures {
        GLuint names[3] = {0, 0, 0};  // RGBA: names[0]; YUV: Y, U, V
        int format = PICTURE_RGBA;
        int width = 0;  // picture size the textures were created for
        int height = 0;
        bool fullRange = false;
        bool loaded = false;  // hold a picture
    };

    void updateLarge();
    void startGeometryAnimation(const QRect& from, const QRect& to, int ms, int easing);
    void uploadPending();
    void upload(SlotTextures& t, const BufferedPicture& picture);
    void deleteTextures(SlotTextures& t);
    std::unique_ptr<QOpenGLShaderProgram> buildProgram(const char* fragmentSource);
    void drawPictures();
    void drawBorder();
    // Frees the GL objects; the pictures stay buffered and are uploaded again
    // when a new context is made.
    void releaseGL();
    void loadBlankPicture();

    QWidget* m_owner = nullptr;
    QWidget* m_page = nullptr;
    int m_viewMode = 0;
    int m_arrangement = 0;

    // The pictures, shared with hand-overs in progress; the pointer itself
    // never changes.
    const std::shared_ptr<PictureSlots> m_pictures;

    // GUI thread only from here on.
    std::vector<SlotTextures> m_textures;  // one per slot
    float m_viewWidth = 0.0f;
    float m_viewHeight = 0.0f;
    QColor m_backgroundColor = Qt::black;
    QColor m_borderColor = Qt::gray;
    float m_aspectOverride = -1.0f;
    bool m_dzoom = false;
    float m_panX = 0.0f;
    float m_panY = 0.0f;
    float m_zoomX = 1.0f;
    float m_zoomY = 1.0f;
    float m_rotation = 0.0f;  // sixteenths of a degree

    bool m_selected = false;
    bool m_enlarged = false;
    bool m_poppedUp = false;
    bool m_doubleClickPending = false;
    bool m_menuToggled = false;
    bool m_paintSuppressed = true;
    bool m_large = false;
    bool m_movable = true;

    QPoint m_lastPos;     // last press or move, view coordinates
    QPoint m_pressPoint;  // last left press, page coordinates
    int m_pressRegion = HitNone;

    QRect m_enlargeSaved;
    QRect m_popupSaved;
    QRect m_enlargeTarget;

    QTimer m_endOfResizeTimer;
    QPropertyAnimation* m_animation = nullptr;  // owned, at most one

    QVBoxLayout* m_layout = nullptr;
    // The bars delete themselves when closed; the view forwards to them only
    // while they exist.
    QPointer<UCScreenMenu> m_topBar;
    QPointer<UCScreenBottomMenu> m_bottomBar;
    QWidget* m_dropHighlight = nullptr;

    std::unique_ptr<QOpenGLShaderProgram> m_program;     // RGBA pictures
    std::unique_ptr<QOpenGLShaderProgram> m_yuvProgram;  // YUV 4:2:0 pictures
    QOpenGLBuffer m_vertexBuffer;
    // Fixed-function entry points for the border; null when the context
    // offers none (a core or ES context), and then no border is drawn.
    QOpenGLFunctions_1_1* m_legacy = nullptr;
    int m_textureCreations = 0;
    int m_picturesShown = 0;
    int m_paints = 0;
};
