#pragma once

// The main window. A frameless form with its own top bar; beside the display
// area lie three sliding bars: the left bar (logo, folder tree of the disks,
// recordings of the chosen day), the right bar (page split and channel group
// paging) and the bottom bar (small map, position, vehicle number, date and
// time, playback strip, speed and G-sensor graph, G-sensor values).
//
// The window never talks to a site: every playback command goes to the current
// display page. A 50 ms heartbeat pulls the newest GPS and G-sensor samples and
// the playback time out of that page and refreshes the read-outs and the strip.
//
// Construction loads the configuration and writes it back (a first start
// creates the file with every default), builds the first page, starts the
// heartbeat and asks the desktop to stay awake while the window lives.
//
// Under the views the day timeline (UCDayTimeline) shows the recorded spans of
// the opened day and the play position, and seeks when clicked. The window's
// keys come from one table (Shortcuts.h) and work whenever the window is
// active; the folder tree and the file list keep their navigation keys while
// they have the focus. Closing remembers the window's place, the card, the
// day, the split and the sound; restoreSession() brings them back.
//
// Threading: GUI thread only. The file list is filled by a worker on a thread
// of its own (FileListJob) that reaches the window only through queued
// signals; a new listing cancels the old one before the list is cleared. The
// timeline's spans are read on a thread of their own likewise; a newer day
// cancels the reading of an older one and only the newest result is shown.

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QModelIndex>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QTimer>
#include <QVector>

#include <memory>
#include <vector>

#include "app/Shortcuts.h"
#include "display/ViewHosts.h"
#include "filelist/FileListJob.h"

#include <atomic>

class CDayOverview;
class CTeardownThread;
class CMapView;
struct DayEventMark;
class GLWidget;
class GsensorPlot;
struct GsensorHourBuffer;
class IDisplayPage;
class KeepAwake;
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QFileSystemModel;
class QMimeData;
class QParallelAnimationGroup;
class QHBoxLayout;
class QLCDNumber;
class QMenu;
class QPrinter;
class QProgressIndicator;
class QSizeGrip;
class QThread;
class UCDayTimeline;
class UCDisplayFrame;
class UCDlgExport;
class UCPlaybackStrip;
namespace Ui {
class Korvel;
}

class Korvel : public QMainWindow, public IViewOwner {
    Q_OBJECT

public:
    // Edge strip of a bar that stays inside the window when the bar is hidden.
    static constexpr int kBarEdge = 14;
    static constexpr int kTopBarHeight = 34;
    static constexpr int kRightBarWidth = 62;
    // The day timeline heads the bottom bar.
    static constexpr int kTimelineHeight = 36;
    static constexpr int kBottomBarHeight = 224 + kTimelineHeight;
    static constexpr int kDefaultLeftBarWidth = 250;
    // The right bar starts this far below the top bar.
    static constexpr int kRightBarOffset = 65;
    static constexpr int kBarSlideMs = 500;

    explicit Korvel(QWidget* parent = nullptr);
    ~Korvel() override;

    // A folder named at start, chosen with Ctrl+O or dropped on the window: a
    // day folder opens as if double-clicked in the tree; any other folder
    // becomes the tree's root (and the card root) and its first day folder is
    // selected. A path that is no folder is named in a message box; false
    // then.
    bool openStartFolder(const QString& path);
    // The window's place and size as the last run left them (before show()).
    void restoreGeometryState();
    // Reopens the last card and day, paused on its first picture, in the
    // last split; nothing when they are gone.
    void restoreSession();
    // Writes what restoreGeometryState() and restoreSession() read (also done
    // on close).
    void saveSession();
    // Opens a day folder (Algorithms of OnFolderListClicked): reads the
    // recorder's setup, lists the day's recordings and reopens the page on it
    // at 00:00:00. A folder whose name is not a date is ignored.
    void openDayFolder(const QString& path);

    QString cardRoot() const { return m_cardRoot; }
    QString currentFolder() const { return m_currentFolder; }
    bool fileListBusy() const { return m_fileListBusy; }
    bool useMph() const { return m_useMph; }
    IDisplayPage* currentPage() const { return m_currentPage; }
    // Where the window and its pages hand work that waits (destroying a site,
    // ending a worker thread): the GUI thread never waits for it. Shared with
    // the pages; it finishes its work when the program quits.
    const std::shared_ptr<CTeardownThread>& teardownThread() const { return m_teardown; }
    UCPlaybackStrip* playbackStrip() const;
    GsensorPlot* gsensorPlot() const { return m_gsensorPlot; }
    CMapView* mapView() const { return m_mapView; }
    QFileSystemModel* folderModel() const { return m_folderModel; }
    // The opened day's trip, events, speed graph and route (see CDayOverview).
    CDayOverview* dayOverview() const { return m_dayOverview.get(); }

    // The day's events as marks of the day timeline: time of day in ms and a
    // short description, in event order. signalDayEventsChanged says when
    // they change (a day opened, its analysis finished, other thresholds).
    QVector<DayEventMark> dayEventMarks() const;
    // Plays from 5 s before event `index` of dayEventMarks() (a click on a
    // timeline mark or in the Events list); nothing for an unknown index.
    void playEvent(int index);
    // Moves every channel of the current page to `at` and plays at normal
    // speed (opening the day folder there when the page shows nothing).
    void seekAndPlay(const QDateTime& at);
    // Moves every channel of the current page to `at`, keeping its play state.
    void seekDayTo(const QDateTime& at);
    UCDayTimeline* timeline() const { return m_timeline; }
    // The window's action for a command of the key table.
    QAction* shortcutAction(shortcuts::Command command) const;
    bool isFullScreenMode() const { return m_fullScreen; }
    // The last split mode asked for (1, 4 or 9; 9 after a day opens).
    int splitMode() const { return m_splitMode; }
    // Runs a command of the key table, as its keys do.
    void runCommand(shortcuts::Command command);

    // Opens the export dialog on the opened day (one dialog at a time; an
    // open one comes to the front), with the range [fromMs, toMs) of the day
    // when given (fromMs < toMs), else the timeline's in and out points, else
    // 15 s either side of the playing time. The selected view's channel is
    // ticked and gives the evidence audio. Without an opened day it says so
    // and opens nothing.
    void openExportDialog(qint64 fromMs = -1, qint64 toMs = -1);
    // The in and out points of the stretch to export (keys I and O), shown as
    // the timeline's band: the playing second (in: its start, out: its end).
    // An in point at or after the out point moves the out point 30 s after
    // it, and the other way round. A new day forgets them.
    void markIn();
    void markOut();
    static constexpr qint64 kDefaultStretchMs = 30'000;
    UCDlgExport* exportDialog() const;

    // "<folder>/<yyyymmdd><hhmmss>_ch<nn>.png" with the time's leading zeros
    // dropped (09:05:03 is 90503) and nn = channel + 1.
    static QString captureFileName(const QString& folder, const QDateTime& at, int channel);
    // The widget as shown; for a GL view with its picture and the bars over it.
    static QImage grabWithPicture(QWidget* widget);
    // Saves grabWithPicture(widget) as PNG; false when it cannot be written.
    static bool saveCapture(QWidget* widget, const QString& path);
    // captureFileName() with "_frame" before the extension: the picture as
    // decoded, at its own size, without the bars.
    static QString frameFileName(const QString& folder, const QDateTime& at, int channel);

signals:
    void signalFillFileList(QString _path, QStringList _filters);
    // Latitude, longitude: every open map dialog follows.
    void signalchangemappos(double, double);
    // dayEventMarks() changed.
    void signalDayEventsChanged();

public slots:
    void OnFolderListClicked(const QModelIndex& index);
    void OnFileListClicked(const QModelIndex& index);
    void slotFillFileList(QString _path, QStringList _filters);
    void slotAddFileItem(QString _itemName, int _date);
    void slotEndOfReadFileList();
    void slotCheckTimer();

    void slotClickScreenMode();
    void slotClickScreenModeNP();
    void slotShowHideLeftbar();
    void slotShowHideRightbar();
    void slotShowHideBottombar();
    void slotConfig();
    bool slotSelectDrive();
    void slotHelp();
    void slotShowMaximize();
    void slotCloseDlg(bool checked = false);
    void slotPopupMap();
    void slotSearchGsensor(QTime searchtime);

    void slotDisplayContextMenu(const QPoint& pos);
    void slotSiteListContextMenu(const QPoint& pos);
    void slotCloseAllCurrentPage();
    void slotCloseSelectedChannels();
    void slotAutoStream();
    void slotFirstStream();
    void slotSecondStream();
    void slotShowTextMode();
    void slotShowTextDateTime();
    void slotShowTextResolution();
    void slotShowTextChannelTitle();
    void slotShowTextSiteName();
    void slotSiteRefreshClicked();

    // Pages.
    void slotCreateDisplay(QString _title);
    void slotRemoveDisplay(QString _title);
    void slotActivateTabHeader(int index);
    void slotCloseAll();
    void slotCloseDisplay(UCDisplayFrame* _frame);
    void slotSetDisplayFocused(UCDisplayFrame* _frame);
    void slotFocusChange(UCDisplayFrame* _frame, QWidget* _focusWidget);
    void slotAfterFocusChanged();
    void slotArriveRecDateInfo(void* _info);
    void slotDoubleClickOnView(UCDisplayFrame* _frame, GLWidget* _widget);
    void slotCaptureClicked(QWidget* _frame, GLWidget* _widget) override;
    // Writes the view's decoded picture at its own size, without the bars.
    void slotSaveFrameClicked(QWidget* _frame, GLWidget* _widget);
    void slotPrintClicked(QWidget* _frame, GLWidget* _widget) override;
    // Ctrl+O and the open button: a folder dialog for a card root or day.
    void slotOpenFolderDialog();
    void slotShowShortcuts();
    void setFullScreenMode(bool on);
    // Moves every selected view's site by seconds from the playback time.
    void seekBy(int seconds);
    // Previous (-1) or next (+1) recording of the file list from the playback
    // time.
    void jumpRecording(int direction);
    void setSplitMode(int split);
    // A time of the timeline's day (ms since midnight).
    void slotTimelineSeek(qint64 ms);
    // Draws the print target onto the printer's page, fitted and in
    // proportion; nothing for an invalid printer or no target.
    void printPreview(QPrinter* printer);
    // Where the bars are; geometries are in the coordinates of the display
    // area's current page. The pages are told of the bars by
    // pushBarsToPages() instead of asking.
    bool slotLeftBarVisible();
    bool slotRightBarVisible();
    bool slotBottomBarVisible();
    bool slotPTZBarVisible() { return false; }
    bool slotCalendarVisible() { return false; }
    QRect slotLeftBarGeometry();
    QRect slotRightBarGeometry();
    QRect slotBottomBarGeometry();

protected:
    // Loads the G-sensor log of a day (yyyymmdd) and hour into the graph; an
    // hour already shown is not read again.
    virtual void loadGsensorLog(int day, int hour);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct BarRects {
        QRect left;
        QRect right;
        QRect bottom;
    };
    // Where the bars lie for the given flags in the current window size.
    BarRects barRects(bool leftShown, bool rightShown, bool bottomShown) const;
    void placeBars();
    void placeSizeGrips();
    void slideBars(bool leftWas, bool rightWas, bool bottomWas);
    void updateEdgeButtons();
    void relayoutPages();
    // The one place a page is wired to the window: its signals to the
    // window's slots, and the bars pushed into it (again whenever they move,
    // show or hide, see pushBarsToPages).
    void wirePage(UCDisplayFrame* frame);
    void pushBarsTo(UCDisplayFrame* frame) const;
    void pushBarsToPages();

    void buildContextMenus();
    void buildFolderModel();
    void showBusyIndicator();
    void hideBusyIndicator();
    void showSpeed(double knots);
    // Back to the read-outs of a window where nothing plays (speed 0, no
    // position, no G-sensor values) and the playback controls refreshed.
    void clearReadOuts();
    void toggleTopText(int type);
    void toggleBottomText(int type);
    IDisplayPage* pageOf(QWidget* frame) const;
    void setCurrentPage(IDisplayPage* page);
    bool handleMoveArea(QEvent* event);
    bool handleLeftBarResize(QObject* watched, QEvent* event);
    bool keepsNavigationKeys(QObject* watched, QEvent* event) const;
    void selectFirstDayFolder(const QString& cardRoot);
    void buildDayOverview();
    void moveDayTo(const QDateTime& at, bool play);
    void buildShortcuts();
    void setShortcutTooltips();
    // The playback time of the current page, false when it has none.
    bool playbackTime(QDateTime& at) const;
    // The playing time in ms of the timeline's day, -1 when nothing plays.
    qint64 playbackMsOfDay() const;
    void requestSpans(const QString& dayFolder, const QDate& day);
    // Cancels the spans scan; `wait`: until its thread ended (at quit),
    // else the teardown thread waits for it.
    void stopSpans(bool wait = false);
    // Any command of the user drops a pending pause of a restored day.
    void userCommand() { m_pauseOnFirstPicture = false; }
    // The folder a dropped or chosen URL list names, empty for none.
    static QString droppedFolder(const QMimeData* mime);

    std::unique_ptr<Ui::Korvel> ui;

    QString m_cardRoot;
    QString m_currentFolder;
    QFileSystemModel* m_folderModel = nullptr;
    // Pages in creation order; each adapter lives as long as its page widget.
    std::vector<std::unique_ptr<IDisplayPage>> m_pages;
    IDisplayPage* m_currentPage = nullptr;
    bool m_useMph = false;
    int m_gsensorKey = 0;
    GsensorPlot* m_gsensorPlot = nullptr;
    // The hour the graph shows; kept here because it is large.
    std::unique_ptr<GsensorHourBuffer> m_gsensorBuffer;
    CMapView* m_mapView = nullptr;
    // The newest GPS position, for a map dialog opened later.
    bool m_hasPosition = false;
    double m_lastLatitude = 0.0;
    double m_lastLongitude = 0.0;
    bool m_fileListBusy = false;
    QPointer<QProgressIndicator> m_busyIndicator;
    QPointer<QHBoxLayout> m_busyLayout;
    FileListJob m_fileList;
    QLCDNumber* m_speedLcd = nullptr;
    QString m_shownDate;

    bool m_leftBarShown = true;
    // The bars' slide under way, if any.
    QPointer<QParallelAnimationGroup> m_slideGroup;
    bool m_rightBarShown = true;
    bool m_bottomBarShown = false;
    int m_leftBarWidth = kDefaultLeftBarWidth;
    bool m_maximized = false;
    QRect m_normalGeometry;

    bool m_dragging = false;
    QPoint m_dragOffset;
    bool m_resizingLeft = false;
    int m_resizeOffset = 0;

    QTimer m_checkTimer;
    QTimer m_focusTimer;
    QDateTime m_startTime;
    QDateTime m_lastGsensorSearch;
    std::unique_ptr<KeepAwake> m_keepAwake;

    QList<QSizeGrip*> m_edgeGrips;
    QPointer<QMenu> m_displayMenu;
    QPointer<QMenu> m_siteListMenu;
    QAction* m_actCloseAll = nullptr;
    QAction* m_actCloseSelected = nullptr;
    QAction* m_actAutoStream = nullptr;
    QAction* m_actFirstStream = nullptr;
    QAction* m_actSecondStream = nullptr;
    QAction* m_actShowTextMode = nullptr;
    QAction* m_actShowTextDateTime = nullptr;
    QAction* m_actShowTextResolution = nullptr;
    QAction* m_actShowTextChannelTitle = nullptr;
    QAction* m_actShowTextSiteName = nullptr;
    QAction* m_actRefresh = nullptr;
    QList<QObject*> m_mapDialogs;
    // Destroyed before the widgets it placed in the bars: its worker stops first.
    std::unique_ptr<CDayOverview> m_dayOverview;
    // The view of the last print request.
    QPointer<QWidget> m_printTarget;
    // The export dialog while it is open (a child of the window).
    QPointer<UCDlgExport> m_exportDialog;
    QAction* m_actExport = nullptr;

    UCDayTimeline* m_timeline = nullptr;
    // Spans of the timeline's day: read on m_spansThread; m_spansGeneration
    // tells the newest request, whose result alone is shown.
    std::unique_ptr<QThread> m_spansThread;
    // Made by the constructor; see teardownThread().
    std::shared_ptr<CTeardownThread> m_teardown;
    std::shared_ptr<std::atomic<bool>> m_spansCancel;
    int m_spansGeneration = 0;

    QList<QPair<shortcuts::Command, QAction*>> m_shortcutActions;
    int m_splitMode = 9;
    bool m_fullScreen = false;
    // A restored day pauses once its first picture is shown.
    bool m_pauseOnFirstPicture = false;
};
