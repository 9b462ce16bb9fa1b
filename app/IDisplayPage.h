#pragma once

// What the main window and its playback strip ask of a display page. The page
// itself (UCDisplayFrame) forwards every command to the sites of its views;
// DisplayPage.cpp adapts it to these interfaces, so the window and the strip
// can be tested against small fakes.
//
// Threading: GUI thread only, like the page.

#include <QByteArray>
#include <QDateTime>
#include <QPoint>

class GLWidget;
struct GPSDATA;
struct GSENSORDATA;
class QWidget;

// The playback commands and queries of the strip.
class IPlaybackPage {
public:
    virtual ~IPlaybackPage() = default;

    // 2 when the first selected view's site plays recordings, otherwise 1
    // (also for an empty page).
    virtual int playMode() = 0;
    // The first selected view's speed index; false when it cannot tell.
    virtual bool getPlaySpeed(int& speedIndex) = 0;
    virtual bool isSelectedPaused() = 0;
    virtual void setPlaySpeed(int speedIndex) = 0;
    virtual void rewind() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Whether the page moved; `at` is where it went.
    virtual bool gotoFirst(QDateTime& at) = 0;
    virtual bool gotoLast(QDateTime& at) = 0;
    // One picture forward / one key frame backward; the page stands still
    // afterwards (isSelectedPaused() is true).
    virtual void stepForward() {}
    virtual void stepBackward() {}
    // Volume 0..1 of the audio the page plays (the first selected view's).
    virtual void setVolume(double volume) { (void)volume; }
};

// Everything else the main window asks of its current page.
class IDisplayPage : public IPlaybackPage {
public:
    // The page widget (a tab of the window's display area).
    virtual QWidget* widget() = 0;
    virtual int viewCount() = 0;

    virtual void openRecordingSite(qint64 key, const QPoint& point, int zone, int kind,
                                   const QDateTime& start, const QByteArray& folder) = 0;
    virtual void seekTo(const QDateTime& at) = 0;
    virtual void closeAllViews() = 0;
    virtual void closeSelectedViews() = 0;
    virtual void setSplitMode(int split) = 0;
    // 1 previous, 2 next group of views.
    virtual void showGroup(int direction) = 0;
    virtual void setStreamType(int type) = 0;
    virtual bool isTopTextShown(int type) = 0;
    virtual void setTopTextShown(int type, bool shown) = 0;
    virtual bool isBottomTextShown(int type) = 0;
    virtual void setBottomTextShown(int type, bool shown) = 0;
    // Whether the first selected view shows a site.
    virtual bool selectedHasSite() = 0;
    virtual bool currentDateTime(QDateTime& at) = 0;
    virtual bool firstDateTime(QDateTime& at) = 0;
    // The first selected view's newest samples, or null; the caller clears
    // their isNew flag once it has used them.
    virtual GPSDATA* latestGps() = 0;
    virtual GSENSORDATA* latestGsensor() = 0;
    virtual void clearGsensorFlag() = 0;
    virtual void relayout() = 0;
    // Recording-date records of a day (yyyymmdd) arrive through the page's
    // singalArriveRecDateInfo; each one is handed back when done.
    virtual void requestRecDateInfo(int date) = 0;
    virtual void releaseRecDateInfo(void* record) = 0;
    // Closes the page widget (its views and sites go with it).
    virtual void closePage() = 0;

    // The first selected view, or null.
    virtual GLWidget* firstSelectedView() { return nullptr; }
    // Makes a view the only selected one (views that cannot be selected are
    // left alone).
    virtual void selectOnly(GLWidget* view) { (void)view; }
    // Closes one view, no question asked.
    virtual void closeView(GLWidget* view) { (void)view; }
    // Asks whether to close the selected views, and closes them on OK.
    virtual void askCloseSelectedViews() {}
    // When set, the grid fills the whole page whatever bars are shown.
    virtual void setFullScreen(bool on) { (void)on; }
};
