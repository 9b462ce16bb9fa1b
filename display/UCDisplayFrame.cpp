#include "display/UCDisplayFrame.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QThread>
#include <QVarLengthArray>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "core/Records.h"
#include "display/GLWidget.h"
#include "display/PcmRingDevice.h"
#include "display/PictureSlots.h"
#include "display/UCDisplayLayout.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "engine/CTeardownThread.h"
#include "engine/ISite.h"
#include "widgets/CConfiguration.h"
#include "widgets/MessageBox.h"

namespace {

// Play modes of ISite::getPlayMode.
constexpr int kModePaused = 4;
// Text types of the overlay bars.
constexpr int kTopTitle = 1;
constexpr int kBottomMode = 0;
constexpr int kBottomDateTime = 3;
constexpr int kBottomResolution = 4;
// Dynamic property of a view: automatic stream type (bool).
const char* const kAutoStreamProperty = "korvelAutoStream";
// Easing types of the wheel zoom.
constexpr int kRelayoutEasing = 6;
constexpr int kMoveEasing = QEasingCurve::OutBack;

ChannelMask channelBit(int channel) {
    return channel >= 0 && channel < 32 ? ChannelMask{1} << channel : ChannelMask{0};
}

QDateTime toDateTime(int date, int time) {
    const QDate d(date / 10000, date / 100 % 100, date % 100);
    const QTime t(time / 10000, time / 100 % 100, time % 100);
    if (!d.isValid() || !t.isValid()) {
        return QDateTime();
    }
    return QDateTime(d, t);
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

// The page as the callbacks of its sites reach it. Engine threads call in;
// the page's destructor cuts the link and waits for the calls already inside,
// so a site torn down after the page is gone calls nothing.
struct UCDisplayFrame::SiteLink {
    explicit SiteLink(UCDisplayFrame* page) : frame(page) {}

    template <typename Call>
    void call(Call&& c) {
        UCDisplayFrame* page = nullptr;
        {
            std::lock_guard<std::mutex> guard(mutex);
            page = frame;
            if (page == nullptr) {
                return;
            }
            ++inside;
        }
        c(page);
        std::lock_guard<std::mutex> guard(mutex);
        if (--inside == 0) {
            idle.notify_all();
        }
    }

    void cut() {
        std::unique_lock<std::mutex> lock(mutex);
        frame = nullptr;
        idle.wait(lock, [this] { return inside == 0; });
    }

    std::mutex mutex;
    std::condition_variable idle;
    UCDisplayFrame* frame;  // guarded by mutex
    int inside = 0;         // guarded by mutex
    // Sites handed to the teardown thread and not yet destroyed (any thread):
    // the output does not drain for them, so the audio callback must not
    // wait.
    std::atomic<int> teardowns{0};
};

UCDisplayFrame::UCDisplayFrame(QWidget* owner, QWidget* parent)
    : QWidget(parent), m_owner(owner), m_link(std::make_shared<SiteLink>(this)) {
    setObjectName(QStringLiteral("DisplayArea"));
    setAcceptDrops(true);
    setAttribute(Qt::WA_DeleteOnClose);

    m_layout = new UCDisplayLayout(this, this);

    m_rubberBandWidget = new QWidget(this);
    m_rubberBandWidget->setStyleSheet(QStringLiteral("background: rgba(200, 80, 33, 90%);"));
    m_rubberBandWidget->setAttribute(Qt::WA_DeleteOnClose);
    m_rubberBandWidget->hide();

    m_relayoutGroup = new QParallelAnimationGroup(this);
    m_moveGroup = new QParallelAnimationGroup(this);
    connect(m_relayoutGroup, &QAbstractAnimation::finished, this,
            &UCDisplayFrame::slotAnimationFinsed);
    connect(m_moveGroup, &QAbstractAnimation::finished, this,
            &UCDisplayFrame::slotAnimationFinsed2);

    m_popupTimer.setSingleShot(true);
    m_popupTimer.setInterval(kPopupMs);
    // Runs while the page has sites: a site ends or a channel falls quiet
    // without a new picture that would tell.
    m_stateTimer.setInterval(kStateRefreshMs);
    connect(&m_stateTimer, &QTimer::timeout, this, &UCDisplayFrame::refreshPlayStates);
    m_longPressTimer.setSingleShot(true);
    m_longPressTimer.setInterval(kLongPressMs);

    connect(this, &UCDisplayFrame::signalCreateSiteItem, this, &UCDisplayFrame::slotCreateSiteItem,
            Qt::QueuedConnection);
    connect(this, &UCDisplayFrame::signalCreateChannelItem, this,
            &UCDisplayFrame::slotCreateChannelItem, Qt::QueuedConnection);
    connect(this, &UCDisplayFrame::signalCheckCleanGrid, this, &UCDisplayFrame::slotCheckCleanGrid);
    connect(m_layout, &UCDisplayLayout::signalCloseWidget, this,
            &UCDisplayFrame::slotCloseWidgetFromLayout);
    connect(&m_popupTimer, &QTimer::timeout, this, &UCDisplayFrame::slotPopupWidget);
    connect(&m_longPressTimer, &QTimer::timeout, this, &UCDisplayFrame::slotLongKeyWidget);
    // Emitted on engine threads: these become queued connections there.
    connect(this, &UCDisplayFrame::signalNetworkError, this, &UCDisplayFrame::slotNetworkError);
    connect(this, &UCDisplayFrame::signalDestroyThumbSession, this,
            &UCDisplayFrame::slotDestroyThumbSession);
    connect(this, &UCDisplayFrame::signalDestroyRecDateInfoSession, this,
            &UCDisplayFrame::slotDestroyRecDateInfoSession);
    connect(this, &UCDisplayFrame::signalPrintTopText, this, &UCDisplayFrame::slotPrintTopText);
    connect(this, &UCDisplayFrame::signalPrintBottomText, this,
            &UCDisplayFrame::slotPrintBottomText);

    m_deleteShortcut = new QShortcut(QKeySequence(Qt::Key_Delete), this);
    m_deleteShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_deleteShortcut, &QShortcut::activated, this, &UCDisplayFrame::slotShortkeyDelete);
    auto* menu = new QShortcut(QKeySequence(QStringLiteral("Alt+I")), this);
    menu->setContext(Qt::WidgetWithChildrenShortcut);
    connect(menu, &QShortcut::activated, this, &UCDisplayFrame::slotToggleSelectedViewMenuVisible);

    m_audioDevice = new PcmRingDevice(kMaxAudioBufferBytes, this);
    // Unbuffered: QIODevice's read-ahead would pull seconds of PCM (or silence)
    // out of the ring at once and add that much latency.
    m_audioDevice->open(QIODevice::ReadOnly | QIODevice::Unbuffered);

    m_lastWheelMs = QDateTime::currentMSecsSinceEpoch();
}

UCDisplayFrame::~UCDisplayFrame() {
    // The audio callback stops waiting for the output; the sites go to the
    // teardown thread and call nothing here once the link is cut.
    m_audioPlaying = false;
    closeAllViews();
    m_link->cut();
    releaseAudioOutput();
}

void UCDisplayFrame::setTeardownThread(std::shared_ptr<CTeardownThread> teardown) {
    m_teardown = std::move(teardown);
}

void UCDisplayFrame::releaseAudioOutput() {
    // Some sound servers' outputs run the event loop while they close: that
    // must happen while the widgets around are whole, not among the children
    // a destructor tears down.
    m_audioPlaying = false;
    if (m_audioOutput) {
        QAudioOutput* output = m_audioOutput;
        m_audioOutput = nullptr;
        output->stop();
        delete output;
    }
}

void UCDisplayFrame::setOwner(QWidget* owner) {
    m_owner = owner;
}

void UCDisplayFrame::setDeleteShortcutEnabled(bool enabled) {
    m_deleteShortcut->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Small helpers (GUI thread)

QList<GLWidget*> UCDisplayFrame::views() const {
    QMutexLocker lock(&m_viewsLock);
    return m_views;
}

QList<GLWidget*> UCDisplayFrame::selection() const {
    QMutexLocker lock(&m_viewsLock);
    return m_selection;
}

int UCDisplayFrame::viewCount() const {
    QMutexLocker lock(&m_viewsLock);
    return m_views.size();
}

QList<GLWidget*> UCDisplayFrame::selectedCopy() const {
    return selection();
}

GLWidget* UCDisplayFrame::firstSelected() const {
    QMutexLocker lock(&m_viewsLock);
    return m_selection.isEmpty() ? nullptr : m_selection.first();
}

int UCDisplayFrame::indexOfView(GLWidget* view) const {
    QMutexLocker lock(&m_viewsLock);
    return m_views.indexOf(view);
}

bool UCDisplayFrame::isSelectable(GLWidget* view) const {
    const int i = indexOfView(view);
    return i >= 0 && i < kSelectableViews;
}

bool UCDisplayFrame::isPacing(ISite* site) const {
    if (!site) {
        return false;
    }
    const SiteParams* params = site->getParams();
    return params != nullptr && params->pacing == 1;
}

QColor UCDisplayFrame::playSpeedColor(int speed) {
    switch (speed) {
        case 0:
            return QColor(10, 10, 250, 220);
        case 1:
            return QColor(10, 10, 220, 200);
        case 2:
            return QColor(20, 20, 200, 180);
        case 3:
            return QColor(30, 30, 180, 180);
        case 4:
            return QColor(40, 40, 160, 160);
        case 5:
            return QColor(50, 50, 140, 120);
        case 6:
            return QColor(50, 50, 120, 100);
        case 9:
            return QColor(120, 50, 50, 120);
        case 10:
            return QColor(140, 50, 50, 160);
        case 11:
            return QColor(160, 40, 40, 180);
        case 12:
            return QColor(180, 30, 30, 180);
        case 13:
            return QColor(200, 20, 20, 200);
        case 14:
            return QColor(220, 10, 10, 200);
        default:
            return QColor(0, 0, 0, 0);
    }
}

bool UCDisplayFrame::checkViewLimit(int adding) {
    if (viewCount() + adding <= kMaxViews) {
        return true;
    }
    showMessageBox(tr("Korvel Lite Version"),
                   tr("Korvel lite version only supports up to 36 channels."), 1);
    return false;
}

QRect UCDisplayFrame::computeLayoutRect() const {
    QRect area = rect();
    if (m_fullScreen || !m_owner) {
        return area;
    }
    // The bars' geometries are in the main window's coordinates.
    const QRect page(mapTo(m_owner, QPoint(0, 0)), size());
    auto* self = const_cast<UCDisplayFrame*>(this);
    if (self->signalLeftBarVisible()) {
        const QRect overlap = page & self->signalLeftBarGeometry();
        if (!overlap.isEmpty()) {
            area.setLeft(area.left() + overlap.width());
        }
    }
    if (self->signalRightBarVisible()) {
        const QRect overlap = page & self->signalRightBarGeometry();
        if (!overlap.isEmpty()) {
            area.setRight(area.right() - overlap.width());
        }
    }
    if (self->signalBottomBarVisible()) {
        const QRect overlap = page & self->signalBottomBarGeometry();
        if (!overlap.isEmpty()) {
            area.setBottom(area.bottom() - overlap.height());
        }
    }
    return area;
}

void UCDisplayFrame::resetLayoutRect() {
    m_layout->setRect(computeLayoutRect());
}

// ---------------------------------------------------------------------------
// Sites

ISite* UCDisplayFrame::findSite(qint64 key, int kind) const {
    const int pacing = kind == 1 ? 0 : 1;
    QMutexLocker lock(&m_viewsLock);
    for (GLWidget* view : m_views) {
        for (int s = 0; s < view->slotCount(); ++s) {
            ISite* site = view->sourceOf(s);
            if (!site) {
                continue;
            }
            const SiteParams* params = site->getParams();
            if (params && params->siteIdentity == key && params->pacing == pacing) {
                return site;
            }
        }
    }
    return nullptr;
}

ISite* UCDisplayFrame::createSite() const {
    ISite* site = nullptr;
    CreateSite(&site, kRecordingSiteKind);
    return site;
}

void UCDisplayFrame::fillSiteParams(SiteParams& p, qint64 key, const QByteArray& folder,
                                    const QDateTime& start, std::uint32_t mask) {
    p.pageIdentity = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(this));
    p.siteIdentity = key;
    p.folder = folder.toStdString();
    p.pacing = 1;
    // The views convert YUV to RGB in their shader: no conversion on the
    // decode threads and 2.7 times fewer bytes to copy and upload than RGBA
    // (bench_picture_path measures both).
    p.pictureFormat = PICTURE_YUV420;
    if (start.isValid()) {
        const QDate d = start.date();
        const QTime t = start.time();
        p.startDate = (d.year() * 100 + d.month()) * 100 + d.day();
        p.startTime = (t.hour() * 100 + t.minute()) * 100 + t.second();
    }
    p.channelMask = mask;
    std::fill(std::begin(p.channelOptions), std::end(p.channelOptions),
              static_cast<unsigned char>(g_config.streamType()));
    p.layoutValue = 9;
    p.serverAddress = g_config.p2pServerAddress().toStdString();
    p.serverPort = g_config.p2pServerPort();
    p.userId = g_config.p2pUserId().toStdString();
    p.userPassword = g_config.p2pUserPassword().toStdString();

    // Through the link: a site may outlive the page (see the threading
    // contract).
    const std::shared_ptr<SiteLink> link = m_link;
    p.onPicture = [link](PUSHVIDEO* v) { link->call([v](UCDisplayFrame* f) { f->onPicture(v); }); };
    p.onAudio = [link](_AUDIODATA* a) { link->call([a](UCDisplayFrame* f) { f->onAudio(a); }); };
    p.onSnapshot = [link](SNAPSHOT* s) {
        link->call([s](UCDisplayFrame* f) { f->onSnapshot(s); });
    };
    p.onRecDateInfo = [link](RECDATEINFO* r) {
        link->call([r](UCDisplayFrame* f) { f->onRecDateInfo(r); });
    };
    p.onRecordTable = [link](RECORDTABLEINFO* r) {
        link->call([r](UCDisplayFrame* f) { f->onRecordTable(r); });
    };
    p.onCalendar = [link](std::int64_t k) {
        link->call([k](UCDisplayFrame* f) { f->onCalendar(k); });
    };
    p.onNotice = [link](int a, int code, int r, char* msg, int kind, std::int64_t site) {
        link->call([&](UCDisplayFrame* f) { f->onNotice(a, code, r, msg, kind, site); });
    };
}

void UCDisplayFrame::destroySite(ISite* site) {
    if (!site) {
        return;
    }
    // Destroying a site joins its threads: that waits, so it happens on the
    // teardown thread. No view reaches the site any more; from here on only
    // that thread calls it.
    if (!m_teardown) {
        m_teardown = std::make_shared<CTeardownThread>();
    }
    const std::shared_ptr<SiteLink> link = m_link;
    link->teardowns.fetch_add(1);
    m_teardown->post([site, link] {
        site->stop();
        site->close();
        void* p = static_cast<IEngineObject*>(site);
        DestroyVCodec(&p);
        link->teardowns.fetch_sub(1);
    });
}

// ---------------------------------------------------------------------------
// Views

GLWidget* UCDisplayFrame::createView(ISite* site, int channel) {
    auto* view = new GLWidget(m_owner, 0, this, 0, 1);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setProperty(kAutoStreamProperty, g_config.streamType() == 0);
    connect(view, &GLWidget::signalEndOfResize, this, &UCDisplayFrame::slotGlWidgetResized);
    connect(view, &GLWidget::signalDoubleClickOnView, this, &UCDisplayFrame::slotDoubleClickOnView);
    view->setSource(site, channel, -1);
    view->setBottomText(kBottomMode, tr("No Channel"));
    return view;
}

void UCDisplayFrame::selectView(GLWidget* view) {
    if (!view) {
        return;
    }
    {
        QMutexLocker lock(&m_viewsLock);
        if (m_selection.contains(view)) {
            return;
        }
        m_selection.append(view);
    }
    emit signalChangeFocus(this, view);
    view->setSelected(true);
}

void UCDisplayFrame::selectOnly(GLWidget* view) {
    if (!isSelectable(view)) {
        return;
    }
    const QList<GLWidget*> previous = selection();
    if (previous.size() == 1 && previous.first() == view) {
        return;
    }
    for (GLWidget* v : previous) {
        v->setSelected(false);
    }
    {
        QMutexLocker lock(&m_viewsLock);
        m_selection.clear();
    }
    selectView(view);
}

void UCDisplayFrame::forgetView(GLWidget* view) {
    m_playStates.remove(view);
    for (QPointer<GLWidget>* p : {&m_pressedView, &m_hoveredView, &m_pressedOnView, &m_edgeView,
                                  &m_longPressedView, &m_poppedView, &m_enlargedView}) {
        if (p->data() == view) {
            *p = nullptr;
        }
    }
}

void UCDisplayFrame::closeView(GLWidget* view) {
    if (!view) {
        return;
    }
    {
        QMutexLocker lock(&m_viewsLock);
        if (!m_views.contains(view)) {
            return;
        }
        m_selection.removeAll(view);
        m_views.removeAll(view);
    }
    // From here on no new hand-over picks the view; one in progress only
    // writes into the picture slots it shares with the view.
    QList<ISite*> orphaned;
    const QList<GLWidget*> rest = views();
    for (int s = 0; s < view->slotCount(); ++s) {
        ISite* site = view->sourceOf(s);
        const int channel = view->channelOf(s);
        if (!site) {
            continue;
        }
        bool channelShown = false;
        bool siteShown = false;
        for (GLWidget* other : rest) {
            for (int o = 0; o < other->slotCount(); ++o) {
                if (other->sourceOf(o) == site) {
                    siteShown = true;
                    if (other->channelOf(o) == channel) {
                        channelShown = true;
                    }
                }
            }
        }
        if (!channelShown) {
            site->removeChannel(channel);
        }
        // A site is destroyed only when no view points to it any more: a
        // view may show a channel the site never opened (the ninth view of
        // a block), and it must not be left with a dangling site.
        if (!siteShown && !orphaned.contains(site)) {
            orphaned.append(site);
        }
    }
    view->setSource(nullptr, 0, -1);
    for (ISite* site : orphaned) {
        destroySite(site);
    }
    forgetView(view);
    dropAnimationsOf(view, m_relayoutGroup);
    dropAnimationsOf(view, m_moveGroup);
    {
        // The view closes at once; its shrink animation is not played.
        QParallelAnimationGroup unplayed;
        m_layout->removeView(view, &unplayed);
    }
    view->close();  // deleted later (Qt::WA_DeleteOnClose)
}

void UCDisplayFrame::dropAnimationsOf(QWidget* view, QParallelAnimationGroup* group) {
    // A running group must not keep animating a view that is about to be
    // deleted.
    for (int i = group->animationCount() - 1; i >= 0; --i) {
        auto* a = qobject_cast<QPropertyAnimation*>(group->animationAt(i));
        if (a && a->targetObject() == view) {
            delete group->takeAnimation(i);
        }
    }
}

void UCDisplayFrame::closeSelectedViews() {
    for (GLWidget* view : selectedCopy()) {
        closeView(view);
    }
    QMutexLocker lock(&m_viewsLock);
    m_selection.clear();
}

void UCDisplayFrame::closeAllViews() {
    for (GLWidget* view : views()) {
        closeView(view);
    }
    {
        QMutexLocker lock(&m_viewsLock);
        m_selection.clear();
    }
    m_layout->clear();
    m_audioDevice->clear();
}

// ---------------------------------------------------------------------------
// Opening

bool UCDisplayFrame::openChannel(qint64 key, int channel, QPoint point, int kind,
                                 const QDateTime& start) {
    if (!checkViewLimit(1)) {
        return false;
    }
    resetLayoutRect();
    m_relayoutGroup->stop();
    m_relayoutGroup->clear();

    ISite* site = findSite(key, kind);
    const bool isNew = site == nullptr;
    if (isNew) {
        site = createSite();
        if (!site) {
            return false;
        }
    }
    m_stateTimer.start();
    GLWidget* view = createView(site, channel);

    int row = -1;
    int column = -1;
    QWidget* replaced = nullptr;
    int hitRow = -1;
    int hitColumn = -1;
    int zone = -1;
    QWidget* hitView = nullptr;
    if (point != QPoint(-1, -1) && m_layout->hitCell(point, hitRow, hitColumn, hitView, zone)) {
        switch (zone) {
            case DisplayLayoutGeometry::ZoneLeft:
                if (m_layout->columnCount() == 0) {
                    m_layout->appendColumn();
                } else {
                    m_layout->insertColumn(hitColumn);
                }
                row = hitRow;
                column = std::max(hitColumn, 0);
                break;
            case DisplayLayoutGeometry::ZoneRight:
                if (m_layout->columnCount() == 0) {
                    m_layout->appendColumn();
                } else {
                    m_layout->insertColumn(hitColumn + 1);
                }
                row = hitRow;
                column = std::min(hitColumn + 1, m_layout->columnCount() - 1);
                break;
            case DisplayLayoutGeometry::ZoneTop:
                if (m_layout->rowCount() == 0) {
                    m_layout->appendRow();
                } else {
                    m_layout->insertRow(hitRow);
                }
                row = std::max(hitRow, 0);
                column = hitColumn;
                break;
            case DisplayLayoutGeometry::ZoneBottom:
                if (m_layout->rowCount() == 0) {
                    m_layout->appendRow();
                } else {
                    m_layout->insertRow(hitRow + 1);
                }
                row = std::min(hitRow + 1, m_layout->rowCount() - 1);
                column = hitColumn;
                break;
            default:
                row = hitRow;
                column = hitColumn;
                replaced = hitView;
                break;
        }
    } else if (point != QPoint(-1, -1)) {
        m_layout->appendRow();
        if (m_layout->columnCount() == 0) {
            m_layout->appendColumn();
        }
    }
    // The replaced view leaves its cell first and is closed only after the
    // new view's channel is open: closing it first could close the very
    // site the new view shows.
    if (replaced) {
        QParallelAnimationGroup unplayed;  // it closes below; no shrink
        m_layout->removeView(replaced, &unplayed);
    }
    if (row < 0 || column < 0 || m_layout->viewAt(row, column) != nullptr ||
        m_layout->coveringViewAt(row, column) != nullptr) {
        if (!m_layout->firstEmptyCell(row, column)) {
            m_layout->grow();
            m_layout->firstEmptyCell(row, column);
        }
    }

    {
        QMutexLocker lock(&m_viewsLock);
        m_views.append(view);
    }
    if (!m_layout->addView(view, row, column)) {
        m_layout->grow();
        if (m_layout->firstEmptyCell(row, column)) {
            m_layout->addView(view, row, column);
        }
    }
    m_layout->update(m_relayoutGroup);
    m_relayoutGroup->start();

    if (isNew) {
        SiteParams params;
        fillSiteParams(params, key, QByteArray(), start, channelBit(channel));
        site->reset();
        if (!site->open(&params)) {
            qWarning() << "site did not open for channel" << channel;
        }
    } else {
        const SiteParams* params = site->getParams();
        site->addChannelsAt(channelBit(channel), params ? params->layoutValue : 0, 0, 0);
    }
    if (auto* old = qobject_cast<GLWidget*>(replaced)) {
        closeView(old);
    }
    if (selection().isEmpty()) {
        selectView(view);
    }
    return true;
}

bool UCDisplayFrame::openRecordingSite(qint64 key, QPoint point, int zone, int kind,
                                       const QDateTime& start, const QByteArray& folder) {
    if (!checkViewLimit(kSiteBlockViews)) {
        return false;
    }
    resetLayoutRect();
    m_relayoutGroup->stop();
    m_relayoutGroup->clear();

    ISite* site = findSite(key, kind);
    const bool isNew = site == nullptr;
    if (isNew) {
        site = createSite();
        if (!site) {
            return false;
        }
    }
    m_stateTimer.start();

    constexpr int kSide = 3;  // ceil(sqrt(9))
    int hitRow = -1;
    int hitColumn = -1;
    QWidget* hitView = nullptr;
    int where = -1;
    if (point != QPoint(-1, -1)) {
        if (!m_layout->hitCell(point, hitRow, hitColumn, hitView, where)) {
            where = -1;
        }
    } else if (zone >= DisplayLayoutGeometry::ZoneLeft &&
               zone <= DisplayLayoutGeometry::ZoneBottom) {
        where = zone;
    }
    const bool empty = m_layout->rowCount() == 0 || m_layout->columnCount() == 0;
    switch (where) {
        case DisplayLayoutGeometry::ZoneLeft:
            if (empty) {
                m_layout->appendRow(kSide);
                m_layout->appendColumn(kSide);
            } else {
                m_layout->insertColumn(0, kSide);
            }
            break;
        case DisplayLayoutGeometry::ZoneRight:
            m_layout->appendColumn(kSide);
            break;
        case DisplayLayoutGeometry::ZoneTop:
            m_layout->insertRow(0, kSide);
            break;
        case DisplayLayoutGeometry::ZoneBottom:
            m_layout->appendRow(kSide);
            break;
        case DisplayLayoutGeometry::ZoneCentre:
            break;
        default:
            if (m_layout->rowCount() < kSide) {
                m_layout->appendRow(kSide - m_layout->rowCount());
            }
            if (m_layout->columnCount() < kSide) {
                m_layout->appendColumn(kSide - m_layout->columnCount());
            }
            break;
    }

    ChannelMask mask = 0;
    QList<GLWidget*> created;
    for (int channel = 0; channel < kSiteBlockViews; ++channel) {
        GLWidget* view = createView(site, channel);
        if (channel < 8) {
            mask |= channelBit(channel);
        }
        int row = -1;
        int column = -1;
        if (!m_layout->firstEmptyCell(row, column)) {
            m_layout->grow();
            m_layout->firstEmptyCell(row, column);
        }
        {
            QMutexLocker lock(&m_viewsLock);
            m_views.append(view);
        }
        m_layout->addView(view, row, column);
        created.append(view);
    }
    m_layout->update(m_relayoutGroup);
    m_relayoutGroup->start();

    if (isNew) {
        SiteParams params;
        fillSiteParams(params, key, folder, start, mask);
        site->reset();
        if (!site->open(&params)) {
            qWarning() << "recording site did not open:" << folder;
        }
    } else {
        const SiteParams* params = site->getParams();
        site->addChannelsAt(mask, params ? params->layoutValue : 0, 0, 0);
    }

    if (selection().isEmpty() && !created.isEmpty()) {
        selectView(created.first());
    }
    for (GLWidget* view : views()) {
        ISite* s = view->sourceOf(0);
        const SiteParams* params = s ? s->getParams() : nullptr;
        const int channel = view->channelOf(0);
        if (params && params->siteIdentity == key && channel >= 0 && channel < 8) {
            view->setTopText(kTopTitle, QStringLiteral("%1. %2").arg(channel + 1).arg(QString()));
        }
    }
    return true;
}

void UCDisplayFrame::slotCreateSiteItem(qint64 _id, QPoint _pt) {
    int row = -1;
    int column = -1;
    int zone = -1;
    QWidget* hit = nullptr;
    if (m_layout->hitCell(_pt, row, column, hit, zone) &&
        zone == DisplayLayoutGeometry::ZoneCentre && hit) {
        return;
    }
    openRecordingSite(_id, _pt, DisplayLayoutGeometry::ZoneCentre, 2, QDateTime::currentDateTime(),
                      QByteArray());
    emit signalDisplayFrameToMain(1);
}

void UCDisplayFrame::slotCreateChannelItem(qint64 _id, int _channelNum, QPoint _pt) {
    openChannel(_id, _channelNum, _pt, 1, QDateTime::currentDateTime());
    emit signalDisplayFrameToMain(1);
}

void UCDisplayFrame::slotCloseWidgetFromLayout(QWidget* _widget) {
    closeView(qobject_cast<GLWidget*>(_widget));
}

void UCDisplayFrame::slotCloseClicked(GLWidget* _widget) {
    closeView(_widget);
    const QList<GLWidget*> rest = views();
    if (rest.isEmpty()) {
        closeAllViews();
    } else if (selection().isEmpty()) {
        selectView(rest.first());
    }
}

// ---------------------------------------------------------------------------
// Layout

void UCDisplayFrame::relayout(int group, int easing) {
    resetLayoutRect();
    QParallelAnimationGroup* g = group == MoveGroup ? m_moveGroup : m_relayoutGroup;
    g->stop();
    g->clear();
    m_layout->update(g, easing);
    g->start();
}

void UCDisplayFrame::setSplitMode(int n) {
    if (n <= 0) {
        return;
    }
    const QList<GLWidget*> all = views();
    GLWidget* first = firstSelected();
    const int i = first ? std::max(all.indexOf(first), 0) : 0;
    resetLayoutRect();
    m_layout->showSplit(i / n * n, n, all);
}

void UCDisplayFrame::showGroup(int direction) {
    const QList<GLWidget*> all = views();
    GLWidget* first = firstSelected();
    resetLayoutRect();
    const int index = m_layout->showGroup(direction, first ? all.indexOf(first) : -1, all);
    if (index >= 0 && index < all.size()) {
        for (GLWidget* v : selectedCopy()) {
            v->setSelected(false);
        }
        {
            QMutexLocker lock(&m_viewsLock);
            m_selection.clear();
        }
        selectView(all.at(index));
    }
}

void UCDisplayFrame::setFullScreen(bool on) {
    m_fullScreen = on;
}

void UCDisplayFrame::slotCheckCleanGrid() {
    if (m_layout->removeEmptyLines()) {
        relayout(RelayoutGroup, kRelayoutEasing);
    }
}

// ---------------------------------------------------------------------------
// Site callbacks (engine threads)

void UCDisplayFrame::onPicture(PUSHVIDEO* picture) {
    if (!picture) {
        return;
    }
    // The views lock is held only to pick the views that show the channel;
    // the copies are made without it, into slots that stay alive (shared)
    // even if their view closes meanwhile. Decode threads of different
    // channels hand over at the same time, and the GUI thread never waits
    // for a copy.
    struct Target {
        GLWidget* view;  // identity only, for the queued texts
        std::shared_ptr<PictureSlots> pictures;
    };
    QVarLengthArray<Target, 4> targets;
    {
        QMutexLocker viewsLock(&m_viewsLock);
        for (GLWidget* view : std::as_const(m_views)) {
            std::shared_ptr<PictureSlots> pictures = view->pictures();
            if (pictures->shows(picture->siteKey, picture->channel)) {
                targets.append({view, std::move(pictures)});
            }
        }
    }
    if (targets.isEmpty()) {
        return;
    }
    PictureFrame frame;
    frame.format = picture->format;
    frame.fullRange = picture->fullRange;
    for (int i = 0; i < 3; ++i) {
        frame.planes[i] = picture->planes[i];
        frame.lineSizes[i] = picture->lineSizes[i];
    }
    frame.width = picture->width;
    frame.height = picture->height;
    frame.date = picture->date;
    frame.time = picture->time;
    // A decoded YUV picture comes with a reference that keeps it alive: the
    // slots hold that instead of copying the picture.
    frame.keep = picture->keep;

    // The texts are the same for every view of the channel. The site is alive
    // while its decode thread calls here.
    ISite* site = reinterpret_cast<ISite*>(static_cast<std::intptr_t>(picture->siteKey));
    const SiteParams* params = site->getParams();
    QString mode;
    if (params && params->pacing == 0) {
        mode = tr("LIVE");
    } else {
        mode = site->getPlayMode(nullptr) == kModePaused ? tr("PAUSED") : tr("PLAY");
    }
    const int d = picture->date;
    const int t = picture->time;
    const QString resolution = QStringLiteral("%1 x %2").arg(picture->width).arg(picture->height);
    const QString title = QStringLiteral("%1. %2")
                              .arg(picture->channel + 1)
                              .arg(QString::fromLocal8Bit(picture->text.c_str()));
    const QString dateTime =
        QStringLiteral("%1/%2/%3 %4:%5:%6")
            .arg(twoDigits(d / 100 % 100), twoDigits(d % 100), twoDigits(d / 10000),
                 twoDigits(t / 10000), twoDigits(t / 100 % 100), twoDigits(t % 100));

    bool stored = false;
    for (const Target& target : targets) {
        const int slot = target.pictures->put(frame, picture->siteKey, picture->channel);
        if (slot < 0) {
            continue;
        }
        stored = true;
        // Only texts that change something travel to the GUI thread: every
        // queued text costs it an event and the bar a repaint.
        PictureSlots& pictures = *target.pictures;
        if (pictures.textDiffers(kBottomMode, mode)) {
            emit signalPrintBottomText(target.view, kBottomMode, mode);
        }
        if (slot != 0) {
            continue;
        }
        if (pictures.textDiffers(kBottomResolution, resolution)) {
            emit signalPrintBottomText(target.view, kBottomResolution, resolution);
        }
        if (pictures.textDiffers(PictureSlots::kTopTextKind + kTopTitle, title)) {
            emit signalPrintTopText(target.view, kTopTitle, title);
        }
        if (pictures.textDiffers(kBottomDateTime, dateTime)) {
            emit signalPrintBottomText(target.view, kBottomDateTime, dateTime);
        }
    }
    // The GUI thread repaints the views with a new picture as soon as it can;
    // one request stands for any number of pictures until it runs.
    if (stored && !m_refreshRequested.exchange(true)) {
        QMetaObject::invokeMethod(this, &UCDisplayFrame::rotateOneStep, Qt::QueuedConnection);
    }
}

void UCDisplayFrame::onAudio(_AUDIODATA* block) {
    if (!block || !block->data || block->length <= 0) {
        return;
    }
    {
        QMutexLocker lock(&m_viewsLock);
        if (m_selection.isEmpty()) {
            return;
        }
        GLWidget* first = m_selection.first();
        if (first->sourceKeyOf(0) != block->siteKey || first->channelOf(0) != block->channel) {
            return;
        }
    }
    QAudioFormat format;
    format.setSampleSize(block->param1);
    format.setSampleRate(block->param2);
    format.setChannelCount(block->param3);
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setSampleType(QAudioFormat::SignedInt);
    if (!format.isValid()) {
        return;
    }
    {
        QMutexLocker lock(&m_audioFormatLock);
        if (format != m_pendingFormat) {
            m_pendingFormat = format;
            m_audioDevice->clear();
            if (!m_formatChangeQueued) {
                m_formatChangeQueued = true;
                QMetaObject::invokeMethod(this, "slotApplyAudioFormat", Qt::QueuedConnection);
            }
        }
    }
    const int frame = std::max(1, block->param3 * block->param1 / 8);
    // The site's audio thread is not paced by the presentation clock; the
    // output's consumption paces it. The wait is bounded, and skipped while
    // nothing plays (no device) or a site is being torn down.
    const qint64 lead = qint64{block->param2} * frame * kAudioLeadMs / 1000;
    for (int waited = 0; waited < kMaxAudioWaitMs && m_audioPlaying.load() &&
                         m_link->teardowns.load() == 0 && m_audioDevice->bufferedBytes() > lead;
         waited += kAudioWaitStepMs) {
        QThread::msleep(kAudioWaitStepMs);
    }
    m_audioDevice->append(reinterpret_cast<const char*>(block->data), block->length, frame);
}

void UCDisplayFrame::onSnapshot(SNAPSHOT* record) {
    if (!record) {
        return;
    }
    SNAPSHOT* copy = nullptr;
    {
        QMutexLocker lock(&m_snapshotLock);
        m_snapshots.push_back(std::make_unique<SNAPSHOT>(*record));
        copy = m_snapshots.back().get();
    }
    emit singalArriveSnapShot(copy);
    emit signalDestroyThumbSession(copy->siteIdentity, copy->session);
}

void UCDisplayFrame::onRecDateInfo(RECDATEINFO* record) {
    if (!record) {
        return;
    }
    RECDATEINFO* copy = nullptr;
    {
        QMutexLocker lock(&m_dateInfoLock);
        m_dateInfos.push_back(std::make_unique<RECDATEINFO>(*record));
        copy = m_dateInfos.back().get();
    }
    emit singalArriveRecDateInfo(copy);
    emit signalDestroyRecDateInfoSession(copy->siteIdentity, copy->session);
}

void UCDisplayFrame::onRecordTable(RECORDTABLEINFO* record) {
    emit singalArriveRecordInfo(record);
}

void UCDisplayFrame::onCalendar(std::int64_t key) {
    emit signalReceiveCalendar(key);
}

void UCDisplayFrame::onNotice(int key, int code, int /*reserved*/, char* message, int kind,
                              std::int64_t /*site*/) {
    if (kind != 1) {
        return;
    }
    // g_config is GUI-thread data; the flag is read once per notice and a
    // stale answer only decides whether a reconnect notice is shown.
    if (g_config.enableReconnect() && (code < 4 || code > 7)) {
        return;
    }
    emit signalNetworkError(key, code, QString::fromLocal8Bit(message ? message : ""));
}

// ---------------------------------------------------------------------------
// GUI-side handling of what the callbacks sent

void UCDisplayFrame::rotateOneStep() {
    // Only views with a new picture repaint. Cleared first: a picture handed
    // over from here on asks again.
    m_refreshRequested.store(false);
    QMutexLocker lock(&m_viewsLock);
    for (GLWidget* view : std::as_const(m_views)) {
        if (view->hasPendingPicture()) {
            view->update();
        }
    }
}

void UCDisplayFrame::refreshPlayStates() {
    // Sites are asked without the views lock: a decode thread holds it while
    // it hands a picture over.
    QHash<ISite*, bool> finished;
    bool anySite = false;
    for (GLWidget* view : views()) {
        ISite* site = view->sourceOf(0);
        if (!isPacing(site)) {
            continue;
        }
        anySite = true;
        if (!finished.contains(site)) {
            finished.insert(site, site->isFinished());
        }
        // A channel the site does not play (the ninth view of a block) is
        // never quiet and keeps its own text.
        const bool quiet = site->isChannelQuiet(view->channelOf(0));
        const PlayState state = !quiet                 ? PlayState::Playing
                                : finished.value(site) ? PlayState::Finished
                                                       : PlayState::Quiet;
        const PlayState before = m_playStates.value(view, PlayState::Playing);
        m_playStates.insert(view, state);
        if (state == PlayState::Finished && before != PlayState::Finished) {
            view->setBottomText(kBottomMode, tr("END"));
        } else if (state == PlayState::Quiet) {
            if (before != PlayState::Quiet) {
                view->setBottomText(kBottomMode, tr("NO RECORDING"));
                view->setBottomText(kBottomDateTime, QString());
            }
            showBlankPicture(view);
        }
    }
    if (!anySite) {
        m_stateTimer.stop();
    }
}

void UCDisplayFrame::showBlankPicture(GLWidget* view) {
    // The last picture of a channel with nothing at the play position would
    // pass for the present one. It is replaced until the channel plays again
    // (a picture still waiting to be painted refuses the blank: tried again
    // on the next round).
    QDateTime shown;
    if (!view->dateTimeOf(0, shown) || !shown.date().isValid()) {
        return;
    }
    if (m_blankPicture.isNull()) {
        m_blankPicture = QImage(QString::fromLatin1(GLWidget::kBlankPicture))
                             .convertToFormat(QImage::Format_RGBA8888);
        if (m_blankPicture.isNull()) {
            return;
        }
    }
    view->setImage(m_blankPicture.constBits(), m_blankPicture.width(), m_blankPicture.height(),
                   view->sourceKeyOf(0), view->channelOf(0), 0, 0);
    // Views repaint only when asked.
    view->update();
}

bool UCDisplayFrame::isSelectedFinished() {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    return isPacing(site) && site->isFinished();
}

bool UCDisplayFrame::takesPictureTexts(GLWidget* view) const {
    // A queued text may arrive after its view was closed, or after the view
    // was detached from its site (whose error text must stay).
    return indexOfView(view) >= 0 && view->sourceOf(0) != nullptr;
}

void UCDisplayFrame::slotPrintTopText(GLWidget* _widget, int _textType, QString _text) {
    if (takesPictureTexts(_widget)) {
        _widget->setTopText(_textType, _text);
    }
}

void UCDisplayFrame::slotPrintBottomText(GLWidget* _widget, int _textType, QString _text) {
    if (takesPictureTexts(_widget)) {
        _widget->setBottomText(_textType, _text);
    }
}

void UCDisplayFrame::slotNetworkError(int _key, int /*_code*/, QString _msg) {
    ISite* site = nullptr;
    QList<GLWidget*> affected;
    {
        QMutexLocker lock(&m_viewsLock);
        for (GLWidget* view : m_views) {
            ISite* s = view->sourceOf(0);
            const SiteParams* params = s ? s->getParams() : nullptr;
            if (params && params->siteIdentity == _key) {
                site = s;
                break;
            }
        }
        if (!site) {
            return;
        }
        for (GLWidget* view : m_views) {
            for (int i = 0; i < view->slotCount(); ++i) {
                if (view->sourceOf(i) == site) {
                    affected.append(view);
                    break;
                }
            }
        }
    }
    for (GLWidget* view : affected) {
        view->setSource(nullptr, 0, -1);
        view->setBottomText(kBottomMode, _msg);
    }
    destroySite(site);
}

void UCDisplayFrame::slotDestroyThumbSession(qint64 _site, qint64 _session) {
    for (GLWidget* view : views()) {
        ISite* s = view->sourceOf(0);
        const SiteParams* params = s ? s->getParams() : nullptr;
        if (params && params->siteIdentity == _site) {
            if (!s->hasPendingRequest(ISite::SESSION_SNAPSHOT)) {
                s->closeSession(ISite::SESSION_SNAPSHOT, _session);
            }
            return;
        }
    }
}

void UCDisplayFrame::slotDestroyRecDateInfoSession(qint64 _site, qint64 _session) {
    for (GLWidget* view : views()) {
        ISite* s = view->sourceOf(0);
        const SiteParams* params = s ? s->getParams() : nullptr;
        if (params && params->siteIdentity == _site) {
            if (!s->hasPendingRequest(ISite::SESSION_DATE_INFO)) {
                s->closeSession(ISite::SESSION_DATE_INFO, _session);
            }
            return;
        }
    }
}

void UCDisplayFrame::requestRecDateInfo(int /*date*/) {
    // Recording-file sites keep no per-day record sessions; there is nothing
    // to ask for.
}

void UCDisplayFrame::releaseRecDateInfo(void* record) {
    QMutexLocker lock(&m_dateInfoLock);
    m_dateInfos.erase(std::remove_if(m_dateInfos.begin(), m_dateInfos.end(),
                                     [record](const std::unique_ptr<RECDATEINFO>& r) {
                                         return r.get() == record;
                                     }),
                      m_dateInfos.end());
}

void UCDisplayFrame::releaseSnapShot(void* record) {
    QMutexLocker lock(&m_snapshotLock);
    m_snapshots.erase(
        std::remove_if(m_snapshots.begin(), m_snapshots.end(),
                       [record](const std::unique_ptr<SNAPSHOT>& r) { return r.get() == record; }),
        m_snapshots.end());
}

// ---------------------------------------------------------------------------
// Audio output (GUI thread)

void UCDisplayFrame::slotApplyAudioFormat() {
    QAudioFormat format;
    {
        QMutexLocker lock(&m_audioFormatLock);
        m_formatChangeQueued = false;
        format = m_pendingFormat;
    }
    if (m_closed) {
        return;
    }
    if (m_audioOutput && format == m_audioFormat) {
        return;
    }
    m_audioFormat = format;
    if (m_audioOutput) {
        m_audioPlaying = false;
        m_audioOutput->stop();
        delete m_audioOutput;
        m_audioOutput = nullptr;
    }
    QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull() || !device.isFormatSupported(format)) {
        device = QAudioDeviceInfo();
        const auto all = QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
        for (const QAudioDeviceInfo& candidate : all) {
            if (candidate.isFormatSupported(format)) {
                device = candidate;
                break;
            }
        }
    }
    if (device.isNull()) {
        // No device plays this format: the PCM keeps flowing into the
        // bounded buffer and is dropped there.
        m_audioUnavailable = true;
        return;
    }
    m_audioUnavailable = false;
    m_audioOutput = new QAudioOutput(device, format, this);
    m_audioOutput->setVolume(m_volume);
    QAudioOutput* output = m_audioOutput;
    connect(output, &QAudioOutput::stateChanged, this, [this, output](QAudio::State state) {
        // A device that fails later no longer drains the buffer.
        if (output == m_audioOutput) {
            m_audioPlaying = state != QAudio::StoppedState || output->error() == QAudio::NoError;
        }
    });
    m_audioOutput->start(m_audioDevice);
    m_audioPlaying = m_audioOutput->error() == QAudio::NoError;
}

qint64 UCDisplayFrame::bufferedAudioBytes() const {
    return m_audioDevice->bufferedBytes();
}

void UCDisplayFrame::setVolume(qreal volume) {
    m_volume = std::clamp<qreal>(volume, 0.0, 1.0);
    if (m_audioOutput) {
        m_audioOutput->setVolume(m_volume);
    }
}

// ---------------------------------------------------------------------------
// Playback commands

namespace {

// The distinct sites of `views` (slot 0), in order.
QList<ISite*> sitesOf(const QList<GLWidget*>& views) {
    QList<ISite*> sites;
    for (GLWidget* v : views) {
        ISite* s = v->sourceOf(0);
        if (s && !sites.contains(s)) {
            sites.append(s);
        }
    }
    return sites;
}

}  // namespace

void UCDisplayFrame::setPlaySpeed(int step) {
    QList<ISite*> commanded;
    for (GLWidget* view : selectedCopy()) {
        ISite* site = view->sourceOf(0);
        if (!isPacing(site)) {
            continue;
        }
        // A site shown in several selected views changes speed once.
        if (!commanded.contains(site)) {
            site->changeSpeed(step);
            commanded.append(site);
        }
        setPlaySpeedColor(view, step);
        view->setBottomText(kBottomMode, tr("PAUSED"));
    }
}

void UCDisplayFrame::resume() {
    QList<ISite*> commanded;
    for (GLWidget* view : selectedCopy()) {
        ISite* site = view->sourceOf(0);
        if (!isPacing(site)) {
            break;
        }
        if (!commanded.contains(site)) {
            site->play();
            commanded.append(site);
        }
        setPlaySpeedColor(view);
    }
}

void UCDisplayFrame::pause() {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return;
    }
    site->pause();
    setPlaySpeedColor(first);
}

void UCDisplayFrame::rewind() {
    QList<ISite*> commanded;
    for (GLWidget* view : selectedCopy()) {
        ISite* site = view->sourceOf(0);
        if (!site) {
            continue;
        }
        if (!commanded.contains(site)) {
            site->playReverse();
            commanded.append(site);
        }
        setPlaySpeedColor(view);
    }
}

void UCDisplayFrame::stepForward() {
    for (ISite* site : sitesOf(selectedCopy())) {
        if (isPacing(site)) {
            site->stepForward();
        }
    }
}

void UCDisplayFrame::stepBackward() {
    for (ISite* site : sitesOf(selectedCopy())) {
        if (isPacing(site)) {
            site->stepBackward();
        }
    }
}

void UCDisplayFrame::seekTo(const QDateTime& when) {
    if (!when.isValid()) {
        return;
    }
    const QDate d = when.date();
    const QTime t = when.time();
    for (ISite* site : sitesOf(selectedCopy())) {
        site->gotoDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    }
}

namespace {

// A jump to the first or last recording of every site: the site's own jump,
// which it carries out once it has found its recordings (right after the
// page opened it, it may still look for them); else a jump to the instant
// the site names. `out` is the first site's instant, when known.
bool jumpToEnd(const QList<ISite*>& sites, bool last, QDateTime& out) {
    bool answered = false;
    for (ISite* site : sites) {
        int date = 0;
        int time = 0;
        const bool known =
            last ? site->getLastRecordTime(&date, &time) : site->getFirstRecordTime(&date, &time);
        const QDateTime when = known ? toDateTime(date, time) : QDateTime();
        const bool jumped = last ? site->gotoLast() : site->gotoFirst();
        if (!jumped) {
            if (!when.isValid()) {
                continue;
            }
            site->gotoDateTime(when.date().year(), when.date().month(), when.date().day(),
                               when.time().hour(), when.time().minute(), when.time().second());
        }
        if (!answered) {
            out = when;
            answered = true;
        }
    }
    return answered;
}

}  // namespace

bool UCDisplayFrame::gotoFirst(QDateTime& out) {
    return jumpToEnd(sitesOf(selectedCopy()), false, out);
}

bool UCDisplayFrame::gotoLast(QDateTime& out) {
    return jumpToEnd(sitesOf(selectedCopy()), true, out);
}

void UCDisplayFrame::setStreamType(int type) {
    for (GLWidget* view : selectedCopy()) {
        view->setProperty(kAutoStreamProperty, type == 0);
        for (int s = 0; s < view->slotCount(); ++s) {
            if (ISite* site = view->sourceOf(s)) {
                site->setChannelEnabled(type, view->channelOf(s), 0, 0);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Queries

int UCDisplayFrame::playMode() const {
    GLWidget* first = firstSelected();
    return first && isPacing(first->sourceOf(0)) ? 2 : 1;
}

bool UCDisplayFrame::isSelectedPaused() const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return false;
    }
    const int mode = site->getPlayMode(nullptr);
    return mode == kModePaused || mode == PLAYMODE_STEP_FORWARD || mode == PLAYMODE_STEP_BACKWARD;
}

bool UCDisplayFrame::getPlaySpeed(int& _speed) {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!isPacing(site)) {
        return false;
    }
    _speed = site->getSpeedIndex(nullptr);
    // A site on a single step keeps its last speed but stands still.
    const int mode = site->getPlayMode(nullptr);
    if (mode == PLAYMODE_STEP_FORWARD || mode == PLAYMODE_STEP_BACKWARD) {
        _speed = kSpeedIndexStill;
    }
    for (GLWidget* view : views()) {
        if (view->sourceOf(0) == site) {
            setPlaySpeedColor(view, _speed);
        }
    }
    return true;
}

bool UCDisplayFrame::currentDateTime(QDateTime& out) const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return false;
    }
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    // A selected channel without a recording here (its last picture may be
    // from before a jump): the time the other channels of its site play.
    const int channel = first->channelOf(0);
    const bool own = !site->isChannelQuiet(channel) &&
                     site->getChannelTime(channel, &y, &mo, &d, &h, &mi, &s);
    if (!own && !site->getCurrentTime(&y, &mo, &d, &h, &mi, &s)) {
        return false;
    }
    const QDateTime when(QDate(y, mo, d), QTime(h, mi, s));
    if (!when.isValid()) {
        return false;
    }
    out = when;
    return true;
}

bool UCDisplayFrame::firstDateTime(QDateTime& out) const {
    GLWidget* first = firstSelected();
    if (!first) {
        return false;
    }
    QDateTime when;
    if (!first->dateTimeOf(0, when) || !when.isValid()) {
        return false;
    }
    out = when;
    return true;
}

bool UCDisplayFrame::lastRecordDateTime(QDateTime& out) const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    if (!site) {
        return false;
    }
    int date = 0;
    int time = 0;
    if (site->getLastRecordTime(&date, &time)) {
        const QDateTime when = toDateTime(date, time);
        if (when.isValid()) {
            out = when;
        }
    }
    return true;
}

GPSDATA* UCDisplayFrame::latestGps() const {
    GLWidget* first = firstSelected();
    if (!first || !isSelectable(first) || !first->sourceOf(0)) {
        return nullptr;
    }
    return first->sourceOf(0)->getGpsData(first->channelOf(0));
}

GSENSORDATA* UCDisplayFrame::latestGsensor() const {
    GLWidget* first = firstSelected();
    if (!first || !isSelectable(first) || !first->sourceOf(0)) {
        return nullptr;
    }
    return first->sourceOf(0)->getGSensorData(first->channelOf(0));
}

void UCDisplayFrame::clearGsensorFlag() {
    GLWidget* first = firstSelected();
    if (first && first->sourceOf(0)) {
        first->sourceOf(0)->clearGSensorFlag(first->channelOf(0));
    }
}

bool UCDisplayFrame::selectedSiteIdentity(qint64& out) const {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    const SiteParams* params = site ? site->getParams() : nullptr;
    if (!params) {
        return false;
    }
    out = params->siteIdentity;
    return true;
}

bool UCDisplayFrame::selectedChannel(int& out) const {
    GLWidget* first = firstSelected();
    if (!first) {
        return false;
    }
    out = first->channelOf(0);
    return true;
}

void UCDisplayFrame::setTopTextShown(int type, bool shown) {
    for (GLWidget* view : selectedCopy()) {
        view->setTopTextVisible(type, shown);
    }
}

void UCDisplayFrame::setBottomTextShown(int type, bool shown) {
    for (GLWidget* view : selectedCopy()) {
        view->setBottomTextVisible(type, shown);
    }
}

bool UCDisplayFrame::isTopTextShown(int type) const {
    GLWidget* first = firstSelected();
    return first && first->isTopTextVisible(type);
}

bool UCDisplayFrame::isBottomTextShown(int type) const {
    GLWidget* first = firstSelected();
    return first && first->isBottomTextVisible(type);
}

void UCDisplayFrame::setPaintSuppressed(bool suppressed) {
    for (GLWidget* view : views()) {
        view->setPaintSuppressed(suppressed);
    }
}
