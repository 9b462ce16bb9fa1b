#pragma once

// UCDisplayFrame: one display page. It holds up to 36 video views (GLWidget)
// arranged by its grid (UCDisplayLayout), opens recording sites through
// CreateSite, receives what the sites deliver through the SiteParams callbacks,
// hands pictures to the views, plays the audio of the first selected view's
// channel and keeps the selection. The main window drives playback only
// through the commands below; it never talks to a site directly.
//
// Threading contract:
//   - Every public member function, slot and signal connection is for the GUI
//     thread only.
//   - The site callbacks (onPicture, onAudio, onSnapshot, onRecDateInfo,
//     onRecordTable, onCalendar, onNotice) run on engine threads. They copy
//     pictures into the views' picture slots, append PCM to a thread-safe
//     buffer and emit signals; they never touch a widget and never stop or
//     close a site. The audio callback may sleep a bounded time while the
//     playing output drains the buffer (that paces the site's audio thread);
//     it never waits while a site is being torn down.
//   - The GUI thread never waits for a site: a site's commands are posted to
//     its own control thread, and a site no view shows any more is handed to
//     the teardown thread, which stops, closes and destroys it. A site being
//     torn down may still call back after the page is gone: the callbacks
//     reach the page through a link that the page cuts when it is
//     destroyed, waiting only for the callbacks already inside.
//
// Lock order (outer first): views lock -> a view's picture-slot lock. The
// picture callback holds the views lock only while it picks the views that
// show the picture's channel and takes shared ownership of their picture
// slots; it copies the picture without the views lock, so decode threads hand
// over side by side and never hold up the GUI thread. A view removed from the
// list may be deleted at once: a hand-over still in progress writes into the
// slots it shares, and its queued texts name the view only as an identity
// that the GUI thread checks against the list.

#include <QAudioFormat>
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRecursiveMutex>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "display/ViewHosts.h"

class CTeardownThread;
class GLWidget;
class ISite;
class QAudioOutput;
class QIODevice;
class QParallelAnimationGroup;
class QShortcut;
class UCDisplayLayout;
class PcmRingDevice;
struct GPSDATA;
struct GSENSORDATA;
struct PUSHVIDEO;
struct _AUDIODATA;
struct SNAPSHOT;
struct RECDATEINFO;
struct RECORDTABLEINFO;
struct SiteParams;

class UCDisplayFrame : public QWidget, public IViewPage {
    Q_OBJECT

public:
    // A page never holds more views than this.
    static constexpr int kMaxViews = 36;
    // Only views at these first positions of the views list can be selected,
    // popped up or enlarged.
    static constexpr int kSelectableViews = 8;
    // Views of one opened recording site (a 3 x 3 block).
    static constexpr int kSiteBlockViews = 9;
    static constexpr int kLongPressMs = 200;
    static constexpr int kPopupMs = 200;
    // Wheel steps closer together than this zoom the grid once.
    static constexpr int kWheelGuardMs = 21;
    // How often the views' play states are brought up to date while the page
    // has sites (a channel without a recording at the play position, a site
    // at the end of its recordings).
    static constexpr int kStateRefreshMs = 150;
    // Site kind of CreateSite for recording-file sites.
    static constexpr int kRecordingSiteKind = 2;
    // Audio kept for the output at most (bytes); older PCM is dropped.
    static constexpr int kMaxAudioBufferBytes = 64 * 1024;
    // While an output plays, the audio callback waits (in steps of
    // kAudioWaitStepMs, at most kMaxAudioWaitMs per block) until no more than
    // this much audio is buffered: the output's pace holds the site's audio
    // thread back instead of the buffer dropping what runs ahead.
    static constexpr int kAudioLeadMs = 250;
    static constexpr int kAudioWaitStepMs = 20;
    static constexpr int kMaxAudioWaitMs = 1000;

    // Animation groups of relayout().
    enum AnimationGroup { RelayoutGroup = 0, MoveGroup = 1 };

    // `owner` is the main window: every view gets it as its owner (print and
    // capture requests go there) and it answers the bar queries. It may be
    // null (tests); then no bar is visible.
    explicit UCDisplayFrame(QWidget* owner, QWidget* parent = nullptr);
    ~UCDisplayFrame() override;

    // The thread that stops, closes and destroys the page's sites; the window
    // shares one with its pages and keeps it until the program quits. A page
    // given none makes its own on first use (then its destructor waits).
    void setTeardownThread(std::shared_ptr<CTeardownThread> teardown);

    // --- opening and closing ---

    // Opens one channel of the site known by `key` at `point` (page
    // coordinates; (-1, -1) = the first empty cell). kind 1 is a live site,
    // any other a paced playback site. False when the 36-view limit was hit
    // (after the message box) or nothing could be created.
    bool openChannel(qint64 key, int channel, QPoint point, int kind, const QDateTime& start);
    // Opens a recording folder as a site: a 3 x 3 block of views for
    // channels 0 to 8 (channels 0 to 7 are opened at the site). `folder` is the
    // date folder in the local 8-bit encoding. With point (-1, -1) the grid
    // grows to at least 3 x 3; with a point on the grid the zone under it
    // decides where the block goes (`zone` is used for (-1, -1) only when it is
    // not 4). False when the 36-view limit was hit (after the message box).
    bool openRecordingSite(qint64 key, QPoint point, int zone, int kind, const QDateTime& start,
                           const QByteArray& folder);
    // Close the selected views (no question asked) or all views; sites left
    // without a channel are handed to the teardown thread.
    void closeSelectedViews();
    void closeAllViews();

    // --- layout ---

    // Recomputes the layout rectangle and moves the grid there, animated in
    // the given group with the given QEasingCurve::Type.
    void relayout(int group = RelayoutGroup, int easing = 6);
    // Shows n (1, 4, 9) views starting with the group of the first selected
    // view.
    void setSplitMode(int n);
    // Previous (1) or next (2) group of views.
    void showGroup(int direction);
    // When set, the grid uses the whole page whatever bars are shown.
    void setFullScreen(bool on);
    bool isFullScreen() const { return m_fullScreen; }

    // --- playback commands (to the sites of the selected views) ---

    // Speed index 0..14 of SpeedTable (8 normal forward, 7 still).
    void setPlaySpeed(int step);
    void resume();
    void pause();
    void rewind();
    void seekTo(const QDateTime& when);
    // One picture forward / one key frame backward on the selected views'
    // sites; the sites stand still afterwards (play resumes).
    void stepForward();
    void stepBackward();
    // First / last recording of the selected views' sites; `out` receives
    // its date and time. True when one site answered.
    bool gotoFirst(QDateTime& out);
    bool gotoLast(QDateTime& out);
    void setStreamType(int type);

    // --- queries (first selected view) ---

    // 2 when the first selected view's site paces its pictures, otherwise 1.
    int playMode() const;
    // Paused, or standing on a single step.
    bool isSelectedPaused() const;
    // The first selected view's site has come to the end of its recordings.
    bool isSelectedFinished();
    bool currentDateTime(QDateTime& out) const;
    bool firstDateTime(QDateTime& out) const;
    bool lastRecordDateTime(QDateTime& out) const;
    // Latest samples of the first selected view's channel (only for a view at
    // positions 0 to 7), owned by its site: valid until the next command that
    // closes views. The caller clears GPSDATA::isNew itself and the
    // G-sensor flag with clearGsensorFlag(). Null when there is none.
    GPSDATA* latestGps() const;
    GSENSORDATA* latestGsensor() const;
    void clearGsensorFlag();
    bool selectedSiteIdentity(qint64& out) const;
    bool selectedChannel(int& out) const;

    // --- overlay texts of the selected views ---

    void setTopTextShown(int type, bool shown);
    void setBottomTextShown(int type, bool shown);
    bool isTopTextShown(int type) const;
    bool isBottomTextShown(int type) const;
    void setPaintSuppressed(bool suppressed);

    // --- records handed out by the signals ---

    // Recording-date records: the main window asks for those of a day
    // (yyyymmdd) and hands each record received through
    // singalArriveRecDateInfo back when done; snapshot records likewise.
    // Recording-file sites deliver none; asking is harmless.
    void requestRecDateInfo(int date);
    void releaseRecDateInfo(void* record);
    void releaseSnapShot(void* record);

    // --- the owner window's bars ---

    // Where the owner's side bars lie, in the owner's coordinates, and
    // whether they are shown. The owner pushes them whenever they move or are
    // shown or hidden; the grid is laid out around the shown ones at its next
    // layout (setting them does not lay out by itself).
    struct OwnerBars {
        bool leftShown = false;
        bool rightShown = false;
        bool bottomShown = false;
        QRect left;
        QRect right;
        QRect bottom;
    };
    void setOwnerBars(const OwnerBars& bars) { m_ownerBars = bars; }
    const OwnerBars& ownerBars() const { return m_ownerBars; }

    // --- owner and state for the main window and tests ---

    void setOwner(QWidget* owner);
    QWidget* owner() const { return m_owner; }
    QList<GLWidget*> views() const;
    QList<GLWidget*> selection() const;
    int viewCount() const;
    UCDisplayLayout* displayLayout() const { return m_layout; }
    // Audio output state (null or empty when no device was found).
    QAudioOutput* audioOutput() const { return m_audioOutput; }
    QAudioFormat audioFormat() const { return m_audioFormat; }
    qint64 bufferedAudioBytes() const;
    void setVolume(qreal volume);
    qreal volume() const { return m_volume; }

    // Makes `view` the only selected view, as a plain click does (without
    // the long press); nothing for a view that cannot be selected.
    void selectOnly(GLWidget* view);
    // The page's own Delete key; off when the main window offers Delete
    // itself (two shortcuts on one key would cancel each other).
    void setDeleteShortcutEnabled(bool enabled);

    // Bottom-bar colour of a speed index (transparent for 7, 8 and unknown).
    static QColor playSpeedColor(int speed);

signals:
    void signalSetDisplayFocused(UCDisplayFrame* _sender);
    void signalCloseDisplay(UCDisplayFrame* _sender);
    void signalCreateSiteItem(qint64 _id, QPoint _pt);
    void signalCreateChannelItem(qint64 _id, int _channelNum, QPoint _pt);
    void signalReceiveCalendar(qint64 _key);
    void signalChangeFocus(UCDisplayFrame* _sender, QWidget* _focusWidget);
    void signalCheckCleanGrid();
    void singalArriveSnapShot(void* _snapShot);
    void singalArriveRecDateInfo(void* _timeTable);
    void singalArriveRecordInfo(void* _timeTable);
    void signalReconnectStart();
    void signalNetworkError(int _key, int _code, QString _msg);
    void signalDestroyThumbSession(qint64, qint64);
    void signalDestroyRecDateInfoSession(qint64, qint64);
    void signalPrintTopText(GLWidget* _widget, int _textType, QString _text);
    void signalPrintBottomText(GLWidget* _widget, int _textType, QString _text);
    void signalDoubleClickOnView(UCDisplayFrame* _frame, GLWidget* _widget);
    void signalDisplayFrameToMain(int);

public slots:
    void rotateOneStep();
    void slotCreateSiteItem(qint64 _id, QPoint _pt);
    void slotCreateChannelItem(qint64 _id, int _channelNum, QPoint _pt);
    void slotCloseClicked(GLWidget* _widget) override;
    void slotWidgetMousePress(GLWidget* _widget, bool _multi) override;
    void slotWidgetMouseRelease(GLWidget* _widget, bool _multi) override;
    void slotWidgetEnterEvent(GLWidget* _widget, QEvent* _event) override;
    void slotWidgetLeaveEvent(GLWidget* _widget, QEvent* _event) override;
    void slotCloseWidgetFromLayout(QWidget* _widget);
    bool getPlaySpeed(int& _speed);
    void setPlaySpeedColor(GLWidget* _widget, int _speed);
    void setPlaySpeedColor(GLWidget* _widget);
    void slotGlWidgetResized(QPoint _pt, GLWidget* _widget);
    void slotCheckCleanGrid();
    void slotNetworkError(int _key, int _code, QString _msg);
    void slotDestroyThumbSession(qint64, qint64);
    void slotDestroyRecDateInfoSession(qint64, qint64);
    void slotShortkeyDelete();
    void slotPrintTopText(GLWidget* _widget, int _textType, QString _text);
    void slotPrintBottomText(GLWidget* _widget, int _textType, QString _text);
    void slotDoubleClickOnView(GLWidget* _widget);
    void slotToggleSelectedViewMenuVisible();
    void slotAnimationFinsed();
    void slotAnimationFinsed2();
    void slotPopupWidget();
    void slotLongKeyWidget();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    // Re-creates the audio output for m_pendingFormat (queued from the audio
    // callback).
    void slotApplyAudioFormat();

private:
    // Site callbacks (engine threads).
    void onPicture(PUSHVIDEO* picture);
    void onAudio(_AUDIODATA* block);
    void onSnapshot(SNAPSHOT* record);
    void onRecDateInfo(RECDATEINFO* record);
    void onRecordTable(RECORDTABLEINFO* record);
    void onCalendar(std::int64_t key);
    void onNotice(int key, int code, int reserved, char* message, int kind, std::int64_t site);

    // GUI-thread helpers.
    bool checkViewLimit(int adding);
    QRect computeLayoutRect() const;
    void resetLayoutRect();
    ISite* findSite(qint64 key, int kind) const;
    ISite* createSite() const;
    // What opening a channel and opening a site begin with: animations
    // stopped, the layout rectangle reset, the site known by `key` or a new
    // one (*isNew); null when none can be made.
    ISite* prepareOpening(qint64 key, int kind, bool* isNew);
    void fillSiteParams(SiteParams& params, qint64 key, const QByteArray& folder,
                        const QDateTime& start, std::uint32_t mask);
    GLWidget* createView(ISite* site, int channel);
    void selectView(GLWidget* view);
    void closeView(GLWidget* view);
    // Hands a site no view shows to the teardown thread (GUI thread).
    void destroySite(ISite* site);
    // Stops and deletes the audio output (a later block makes a new one).
    void releaseAudioOutput();
    int indexOfView(GLWidget* view) const;
    bool isSelectable(GLWidget* view) const;
    bool isPacing(ISite* site) const;
    GLWidget* firstSelected() const;
    QList<GLWidget*> selectedCopy() const;
    void returnPoppedViews(GLWidget* except = nullptr);
    void forgetView(GLWidget* view);
    bool takesPictureTexts(GLWidget* view) const;
    void refreshPlayStates();
    void showBlankPicture(GLWidget* view);
    static void dropAnimationsOf(QWidget* view, QParallelAnimationGroup* group);

    // The pushed bars as the grid layout reads them: the shown flags, and the
    // rectangles in this page's coordinates. (The layout code still calls
    // them by the names of the window queries they replaced.)
    bool signalLeftBarVisible() const { return m_ownerBars.leftShown; }
    bool signalRightBarVisible() const { return m_ownerBars.rightShown; }
    bool signalBottomBarVisible() const { return m_ownerBars.bottomShown; }
    QRect signalLeftBarGeometry() const { return ownerRectHere(m_ownerBars.left); }
    QRect signalRightBarGeometry() const { return ownerRectHere(m_ownerBars.right); }
    QRect signalBottomBarGeometry() const { return ownerRectHere(m_ownerBars.bottom); }
    QRect ownerRectHere(const QRect& r) const {
        return m_owner ? QRect(mapFrom(m_owner, r.topLeft()), r.size()) : r;
    }

    QWidget* m_owner = nullptr;
    // GUI thread.
    OwnerBars m_ownerBars;
    QShortcut* m_deleteShortcut = nullptr;

    // Views lock: guards m_views and m_selection, which only the GUI thread
    // changes; the picture and audio callbacks read them under it.
    mutable QRecursiveMutex m_viewsLock;
    QList<GLWidget*> m_views;
    QList<GLWidget*> m_selection;

    // Snapshot and date-info copies, each under its lock (engine threads
    // append, the GUI thread releases).
    QRecursiveMutex m_snapshotLock;
    std::vector<std::unique_ptr<SNAPSHOT>> m_snapshots;
    QRecursiveMutex m_dateInfoLock;
    std::vector<std::unique_ptr<RECDATEINFO>> m_dateInfos;

    // GUI thread only from here on.
    UCDisplayLayout* m_layout = nullptr;
    QPoint m_pressPoint;
    QPointer<GLWidget> m_pressedView;
    QPointer<GLWidget> m_hoveredView;
    QPointer<GLWidget> m_pressedOnView;
    QPointer<GLWidget> m_edgeView;
    QPointer<GLWidget> m_longPressedView;
    QPointer<GLWidget> m_poppedView;
    QPointer<GLWidget> m_enlargedView;
    QPoint m_dragPosition;
    bool m_dragging = false;
    QTimer m_popupTimer;
    QTimer m_longPressTimer;
    // Set by a hand-over that stored a picture and asked the GUI thread for
    // rotateOneStep(), cleared when that runs (any thread).
    std::atomic<bool> m_refreshRequested{false};
    bool m_rubberBand = false;
    QPoint m_rubberStart;  // global
    QPoint m_rubberEnd;    // global
    QWidget* m_rubberBandWidget = nullptr;
    QParallelAnimationGroup* m_relayoutGroup = nullptr;
    QParallelAnimationGroup* m_moveGroup = nullptr;
    bool m_fullScreen = false;
    bool m_bigZoom = false;
    // What each view's site and channel are doing, as last shown in the
    // view's texts; views missing here play.
    enum class PlayState { Playing, Quiet, Finished };
    QHash<GLWidget*, PlayState> m_playStates;
    QTimer m_stateTimer;  // GUI thread
    QImage m_blankPicture;  // RGBA, made on first use
    qint64 m_lastWheelMs = 0;

    // Audio: the output lives on the GUI thread; the ring device is shared
    // with the audio callback (it locks itself).
    QAudioFormat m_audioFormat;
    QAudioOutput* m_audioOutput = nullptr;
    PcmRingDevice* m_audioDevice = nullptr;
    qreal m_volume = 1.0;
    // Format requested by the audio callback; guarded by m_audioFormatLock.
    mutable QRecursiveMutex m_audioFormatLock;
    QAudioFormat m_pendingFormat;
    bool m_formatChangeQueued = false;
    // Set once the output failed for m_audioFormat (no device), so that every
    // block does not retry; cleared on the next format change.
    bool m_audioUnavailable = false;
    // Set by closeEvent: a format change queued before then makes no output.
    bool m_closed = false;
    // Set by the GUI thread while an output plays from m_audioDevice; read by
    // the audio callback, which waits for the output only then.
    std::atomic<bool> m_audioPlaying{false};
    // What the site callbacks reach the page through (see the threading
    // contract); made by the constructor, cut by the destructor.
    struct SiteLink;
    std::shared_ptr<SiteLink> m_link;
    // GUI thread: where sites are torn down.
    std::shared_ptr<CTeardownThread> m_teardown;
};
