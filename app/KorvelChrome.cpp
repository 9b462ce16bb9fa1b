// The main window's chrome: the sliding bars and what the pages learn of
// them, the top-bar buttons, dragging the window and resizing the left bar.

#include "app/Korvel.h"
#include "app/KorvelParts.h"

// ------------------------------------------------------ bars seen by pages

bool Korvel::slotLeftBarVisible() {
    return m_leftBarShown;
}

bool Korvel::slotRightBarVisible() {
    return m_rightBarShown;
}

bool Korvel::slotBottomBarVisible() {
    return m_bottomBarShown;
}

namespace {
// A bar's rectangle in the coordinates of the display area's current page.
QRect toPage(QWidget* bar, QWidget* page) {
    return QRect(page->mapFrom(bar->parentWidget(), bar->pos()), bar->size());
}
}  // namespace

QRect Korvel::slotLeftBarGeometry() {
    QWidget* page = ui->twDisplay->currentWidget() ? ui->twDisplay->currentWidget() : ui->twDisplay;
    return toPage(ui->wgLeftBar, page);
}

QRect Korvel::slotRightBarGeometry() {
    QWidget* page = ui->twDisplay->currentWidget() ? ui->twDisplay->currentWidget() : ui->twDisplay;
    return toPage(ui->wgRightBar, page);
}

QRect Korvel::slotBottomBarGeometry() {
    QWidget* page = ui->twDisplay->currentWidget() ? ui->twDisplay->currentWidget() : ui->twDisplay;
    return toPage(ui->wgBottomBar, page);
}

void Korvel::pushBarsTo(UCDisplayFrame* frame) const {
    const auto inWindow = [this](const QWidget* bar) {
        return QRect(bar->mapTo(this, QPoint(0, 0)), bar->size());
    };
    UCDisplayFrame::OwnerBars bars;
    bars.leftShown = m_leftBarShown;
    bars.rightShown = m_rightBarShown;
    bars.bottomShown = m_bottomBarShown;
    bars.left = inWindow(ui->wgLeftBar);
    bars.right = inWindow(ui->wgRightBar);
    bars.bottom = inWindow(ui->wgBottomBar);
    frame->setOwnerBars(bars);
}

void Korvel::pushBarsToPages() {
    for (const auto& page : m_pages) {
        if (auto* frame = qobject_cast<UCDisplayFrame*>(page->widget())) {
            pushBarsTo(frame);
        }
    }
}

void Korvel::relayoutPages() {
    pushBarsToPages();
    for (const auto& page : m_pages) {
        page->relayout();
    }
}

// ------------------------------------------------------------ top-bar buttons

UCDlgExport* Korvel::exportDialog() const {
    return m_exportDialog.data();
}

void Korvel::openExportDialog(qint64 fromMs, qint64 toMs) {
    if (dayFolderDate(m_currentFolder) == 0) {
        showMessageBox(UCDlgExport::tr("Export"), UCDlgExport::tr("Open a day folder first."), 1);
        return;
    }
    if (m_exportDialog && m_exportDialog->running()) {
        m_exportDialog->raise();
        m_exportDialog->activateWindow();
        return;
    }
    if (!m_exportDialog) {
        m_exportDialog = new UCDlgExport(this);
        m_exportDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_exportDialog->setDay(m_currentFolder, m_dayOverview->day());
    m_exportDialog->setUseMph(m_useMph);
    if ((fromMs < 0 || toMs <= fromMs) && m_timeline->hasRange() &&
        m_timeline->rangeOut() > m_timeline->rangeIn()) {
        fromMs = m_timeline->rangeIn();
        toMs = m_timeline->rangeOut();
    }
    if (fromMs < 0 || toMs <= fromMs) {
        const qint64 at = playbackMsOfDay();
        if (at >= 0) {
            fromMs = std::max<qint64>(0, at - kDefaultStretchMs / 2);
            toMs = std::min<qint64>(UCDayTimeline::kDayMs - 1000, at + kDefaultStretchMs / 2);
        }
    }
    if (fromMs >= 0 && toMs > fromMs) {
        m_exportDialog->setRange(fromMs, toMs);
    }
    int channel = -1;
    if (m_currentPage != nullptr) {
        if (auto* frame = qobject_cast<UCDisplayFrame*>(m_currentPage->widget())) {
            frame->selectedChannel(channel);
        }
    }
    m_exportDialog->setSelectedChannel(channel);
    m_exportDialog->show();
    m_exportDialog->raise();
    m_exportDialog->activateWindow();
}

void Korvel::slotConfig() {
    // A chosen drive becomes the card root, so the editor opens its files.
    const bool saved = ::runSetupEditor(
        this, m_cardRoot, [this] { return slotSelectDrive() ? m_cardRoot : QString(); });
    if (saved) {
        m_useMph = readOuts::readUseMph();
        ui->lbSpeed_2->setText(readOuts::speedUnitText(m_useMph));
        m_dayOverview->setUseMph(m_useMph);
        m_dayOverview->reloadSettings();
    }
}

bool Korvel::slotSelectDrive() {
    DlgSelDrive dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QString path = dialog.selectedPath();
    const QModelIndex index = m_folderModel->index(path);
    if (path.isEmpty() || !index.isValid()) {
        return false;
    }
    ui->twSiteList->expand(index);
    m_cardRoot = path;
    return true;
}

void Korvel::slotHelp() {
    UCDlgAbout about(this);
    about.exec();
}

void Korvel::slotPopupMap() {
    // The dialog hides on close and stays a child of the window, following
    // every later position.
    auto* dialog = new dlgShowMapBig(this);
    connect(this, &Korvel::signalchangemappos, dialog, &dlgShowMapBig::slotchangeMapPos);
    m_dayOverview->addMap(dialog->mapView());
    if (m_hasPosition) {
        dialog->slotchangeMapPos(m_lastLatitude, m_lastLongitude);
    }
    dialog->show();
}

void Korvel::slotShowMaximize() {
    if (!m_maximized) {
        m_normalGeometry = geometry();
        QScreen* screen =
            windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen->availableGeometry();
        setGeometry(area.adjusted(0, 0, -1, -1));
        setButtonImage(ui->pbMaximize, "top_shorten_nor_24.png");
        m_maximized = true;
    } else {
        setGeometry(m_normalGeometry);
        setButtonImage(ui->pbMaximize, "top_expend_nor_24.png");
        m_maximized = false;
    }
}

void Korvel::slotCloseDlg(bool) {
    if (g_config.closeAsk()) {
        close();
        return;
    }
    UCDlgClose dialog(this);
    dialog.setStyleSheet(g_config.appStyle());
    if (dialog.exec() == QDialog::Accepted) {
        close();
    }
}

void Korvel::closeEvent(QCloseEvent* event) {
    saveSession();
    if (m_fullScreen) {
        setFullScreenMode(false);
    }
    stopSpans();
    m_checkTimer.stop();
    m_focusTimer.stop();
    m_fileList.cancel();
    ui->wgPlayControls->setPage(nullptr);
    m_currentPage = nullptr;
    // A closing page reports back through slotCloseDisplay, which edits
    // m_pages: close them from a list of our own.
    std::vector<std::unique_ptr<IDisplayPage>> pages = std::move(m_pages);
    m_pages.clear();
    for (const auto& page : pages) {
        page->closeAllViews();
    }
    for (const auto& page : pages) {
        page->closePage();
    }
    event->accept();
}

void Korvel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        ui->lbSpeed_2->setText(readOuts::speedUnitText(m_useMph));
        if (m_dayOverview) {
            ui->twBottomTab->setTabText(ui->twBottomTab->indexOf(m_dayOverview->speedTab()),
                                        tr("Speed"));
        }
        m_shownDate.clear();
    }
    QMainWindow::changeEvent(event);
}

// ------------------------------------------------------------------ the bars

Korvel::BarRects Korvel::barRects(bool leftShown, bool rightShown, bool bottomShown) const {
    const int w = ui->centralWidget->width();
    const int h = ui->centralWidget->height();
    const int top = kTopBarHeight;
    BarRects r;
    r.left = QRect(leftShown ? 0 : -(m_leftBarWidth - kBarEdge), top, m_leftBarWidth, h - top);
    const int leftVisible = r.left.right() + 1;
    const int bottomTop = bottomShown ? h - kBottomBarHeight : h - kBarEdge;
    r.bottom = QRect(leftVisible, bottomTop, std::max(0, w - leftVisible), kBottomBarHeight);
    const int rightTop = top + kRightBarOffset;
    r.right = QRect(rightShown ? w - kRightBarWidth : w - kBarEdge, rightTop, kRightBarWidth,
                    std::max(0, bottomTop - rightTop));
    return r;
}

void Korvel::placeBars() {
    const int w = ui->centralWidget->width();
    const int h = ui->centralWidget->height();
    // The bars first: a page resized by the display area below asks where
    // they are.
    const BarRects r = barRects(m_leftBarShown, m_rightBarShown, m_bottomBarShown);
    ui->wgLeftBar->setGeometry(r.left);
    ui->wgRightBar->setGeometry(r.right);
    ui->wgBottomBar->setGeometry(r.bottom);
    pushBarsToPages();
    ui->wgTopBar->setGeometry(0, 0, w, kTopBarHeight);
    // Full screen gives the whole window to the views.
    const int top = m_fullScreen ? 0 : kTopBarHeight;
    ui->twDisplay->setGeometry(0, top, w, std::max(0, h - top));
    placeSizeGrips();
}

void Korvel::placeSizeGrips() {
    const int w = ui->centralWidget->width();
    const int h = ui->centralWidget->height();
    if (m_edgeGrips.size() == 4) {
        m_edgeGrips[0]->setGeometry(0, 0, kGripSize, kTopBarHeight);
        m_edgeGrips[1]->setGeometry(w - kGripSize, kTopBarHeight, kGripSize, h - kTopBarHeight);
        // The bottom strips stop short of the bottom bar's edge button, which
        // must stay clickable over its whole height when the bar is hidden.
        const QRect button(ui->pbShowHideBottomBar->mapTo(ui->centralWidget, QPoint(0, 0)),
                           ui->pbShowHideBottomBar->size());
        const int gapLeft = std::clamp(button.left() - 2, 0, w);
        const int gapRight = std::clamp(button.right() + 3, gapLeft, w);
        m_edgeGrips[2]->setGeometry(0, h - kGripSize, gapLeft, kGripSize);
        m_edgeGrips[3]->setGeometry(gapRight, h - kGripSize, w - gapRight, kGripSize);
        for (QSizeGrip* grip : m_edgeGrips) {
            grip->setVisible(!m_fullScreen);
            grip->raise();
        }
    }
}

void Korvel::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Keep the left bar within half the window as the window narrows.
    m_leftBarWidth =
        std::clamp(m_leftBarWidth, kMinLeftBarWidth, std::max(kMinLeftBarWidth, width() / 2));
    // A slide still under way aims at places of the old size (the first one
    // starts before the window has its size): the bars go to their places at
    // once instead.
    if (m_slideGroup) {
        m_slideGroup->stop();
        m_slideGroup->deleteLater();
        m_slideGroup = nullptr;
    }
    placeBars();
    relayoutPages();
}

void Korvel::updateEdgeButtons() {
    setButtonImage(ui->pbShowHideLeftBar,
                   m_leftBarShown ? "hidden_bt_left_nor.png" : "hidden_bt_left_p.png");
    setButtonImage(ui->pbShowHideRightBar,
                   m_rightBarShown ? "rignt_menu.png" : "rignt_menu_hid.png");
    setButtonImage(ui->pbShowHideBottomBar,
                   m_bottomBarShown ? "hidden_bt_bottom_nor.png" : "hidden_bt_bottom_p.png");
    ui->pbShowHideLeftBar->setIconSize(QSize(14, 60));
    ui->pbShowHideRightBar->setIconSize(QSize(14, 60));
    ui->pbShowHideBottomBar->setIconSize(QSize(60, 14));
}

void Korvel::slideBars(bool leftWas, bool rightWas, bool bottomWas) {
    const BarRects from = barRects(leftWas, rightWas, bottomWas);
    const BarRects to = barRects(m_leftBarShown, m_rightBarShown, m_bottomBarShown);
    if (m_slideGroup) {
        m_slideGroup->stop();
        m_slideGroup->deleteLater();
    }
    auto* group = new QParallelAnimationGroup(this);
    m_slideGroup = group;
    auto animate = [group](QWidget* bar, const QByteArray& property, const QVariant& start,
                           const QVariant& end, QEasingCurve::Type easing) {
        auto* a = new QPropertyAnimation(bar, property, group);
        a->setDuration(kBarSlideMs);
        a->setEasingCurve(easing);
        a->setStartValue(start);
        a->setEndValue(end);
        group->addAnimation(a);
    };
    // The moving bar overshoots a little (OutBack); the neighbours that give
    // or take the space follow smoothly (OutCubic).
    auto slide = [&](QWidget* bar, const QRect& a, const QRect& b, bool moving, bool byPos) {
        if (a == b) {
            return;
        }
        if (moving && byPos) {
            bar->resize(b.size());
            animate(bar, "pos", a.topLeft(), b.topLeft(), QEasingCurve::OutBack);
        } else {
            animate(bar, "geometry", a, b, moving ? QEasingCurve::OutBack : QEasingCurve::OutCubic);
        }
    };
    slide(ui->wgLeftBar, from.left, to.left, leftWas != m_leftBarShown, false);
    slide(ui->wgRightBar, from.right, to.right, rightWas != m_rightBarShown, true);
    slide(ui->wgBottomBar, from.bottom, to.bottom, bottomWas != m_bottomBarShown, true);
    // Every bar leaves room for the grid or takes it: the grid is laid out
    // anew once the bars stand still, so it is neither covered nor shrunk.
    connect(group, &QParallelAnimationGroup::finished, this, [this] {
        placeBars();
        relayoutPages();
    });
    group->start(QAbstractAnimation::DeleteWhenStopped);
    updateEdgeButtons();
}

void Korvel::slotShowHideLeftbar() {
    const bool was = m_leftBarShown;
    m_leftBarShown = !m_leftBarShown;
    pushBarsToPages();
    slideBars(was, m_rightBarShown, m_bottomBarShown);
}

void Korvel::slotShowHideRightbar() {
    const bool was = m_rightBarShown;
    m_rightBarShown = !m_rightBarShown;
    pushBarsToPages();
    slideBars(m_leftBarShown, was, m_bottomBarShown);
}

void Korvel::slotShowHideBottombar() {
    const bool was = m_bottomBarShown;
    m_bottomBarShown = !m_bottomBarShown;
    pushBarsToPages();
    slideBars(m_leftBarShown, m_rightBarShown, was);
}

// ------------------------------------------------- dragging and left-bar width

bool Korvel::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (keepsNavigationKeys(watched, event)) {
        event->accept();
        return true;
    }
    if (watched == ui->wgMoveArea && handleMoveArea(event)) {
        return true;
    }
    if (handleLeftBarResize(watched, event)) {
        return true;
    }
    // The pages lay their grids out around the bars: they hear of every
    // move, slides included.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        (watched == ui->wgLeftBar || watched == ui->wgRightBar || watched == ui->wgBottomBar)) {
        pushBarsToPages();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Korvel::handleMoveArea(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = e->globalPos() - frameGeometry().topLeft();
                return true;
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (!m_dragging || !(e->buttons() & Qt::LeftButton)) {
                return false;
            }
            if (m_maximized) {
                // Dragging a maximised window restores it first, under the
                // cursor at the same relative place.
                const double fx = double(m_dragOffset.x()) / std::max(1, width());
                slotShowMaximize();
                m_dragOffset.setX(int(fx * width()));
            }
            move(e->globalPos() - m_dragOffset);
            return true;
        }
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            return false;
        case QEvent::MouseButtonDblClick:
            m_dragging = false;
            slotShowMaximize();
            return true;
        default:
            return false;
    }
}

bool Korvel::handleLeftBarResize(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    auto* e = static_cast<QMouseEvent*>(event);
    const QPoint at = ui->centralWidget->mapFromGlobal(e->globalPos());
    // The visible edge is that of the bar's content; the edge strip beside it
    // holds the show/hide tab.
    const QRect bar(ui->wgLeftContent->mapTo(ui->centralWidget, QPoint(0, 0)),
                    ui->wgLeftContent->size());
    const QRect button(ui->pbShowHideLeftBar->mapTo(ui->centralWidget, QPoint(0, 0)),
                       ui->pbShowHideLeftBar->size());
    const bool nearEdge = m_leftBarShown && std::abs(at.x() - (bar.right() + 1)) <= kResizeMargin &&
                          at.y() >= bar.top() && at.y() <= bar.bottom() &&
                          (at.y() < button.top() || at.y() > button.bottom());

    if (m_resizingLeft) {
        if (type == QEvent::MouseMove) {
            const int width = m_resizeOffset + at.x();
            if (width >= kMinLeftBarWidth && width <= this->width() / 2 && m_leftBarShown) {
                m_leftBarWidth = width;
                placeBars();
                relayoutPages();
            }
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            m_resizingLeft = false;
            ui->centralWidget->unsetCursor();
            return true;
        }
    }
    if (type == QEvent::MouseMove && e->buttons() == Qt::NoButton) {
        if (nearEdge) {
            ui->centralWidget->setCursor(Qt::SizeHorCursor);
        } else if (ui->centralWidget->testAttribute(Qt::WA_SetCursor)) {
            ui->centralWidget->unsetCursor();
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress && e->button() == Qt::LeftButton && nearEdge &&
        watched != ui->pbShowHideLeftBar) {
        m_resizingLeft = true;
        m_resizeOffset = m_leftBarWidth - at.x();
        return true;
    }
    return false;
}
