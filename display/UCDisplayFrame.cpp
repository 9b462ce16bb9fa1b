// The display page: construction, its views and their layout.

#include "display/UCDisplayFramePrivate.h"

// ---------------------------------------------------------------------------
// Construction

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
