// Mouse, wheel, keyboard and drag behaviour of the display page, and its
// page-level Qt events. Everything here runs on the GUI thread.

#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QWheelEvent>

#include <algorithm>

#include "display/GLWidget.h"
#include "display/UCDisplayFrame.h"
#include "display/UCDisplayLayout.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "engine/ISite.h"
#include "widgets/CConfiguration.h"
#include "widgets/MessageBox.h"

namespace {

constexpr int kAutoStreamType = 2;
const char* const kAutoStreamProperty = "korvelAutoStream";

// Asks the sites of a view in automatic stream mode for the stream type that
// suits a large picture.
void requestAutoStream(GLWidget* view) {
    if (!view || !view->property(kAutoStreamProperty).toBool()) {
        return;
    }
    for (int s = 0; s < view->slotCount(); ++s) {
        ISite* site = view->sourceOf(s);
        const int channel = view->channelOf(s);
        if (site && site->isChannelEnabled(channel) != kAutoStreamType) {
            site->setChannelEnabled(kAutoStreamType, channel, 0, 0);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Selection and view mouse signals

void UCDisplayFrame::slotWidgetMousePress(GLWidget* _widget, bool _multi) {
    if (!isSelectable(_widget)) {
        return;
    }
    if (_multi) {
        bool wasEmpty = false;
        bool added = false;
        {
            QMutexLocker lock(&m_viewsLock);
            wasEmpty = m_selection.isEmpty();
            if (!m_selection.contains(_widget)) {
                m_selection.append(_widget);
                added = true;
            }
        }
        if (wasEmpty) {
            emit signalChangeFocus(this, _widget);
        }
        if (added) {
            _widget->setSelected(true);
        }
        return;
    }
    const QList<GLWidget*> previous = selection();
    for (GLWidget* v : previous) {
        v->setSelected(false);
    }
    returnPoppedViews(_widget);
    {
        QMutexLocker lock(&m_viewsLock);
        m_selection.clear();
        m_selection.append(_widget);
    }
    _widget->setSelected(true);
    m_pressedView = _widget;
    m_longPressTimer.start(kLongPressMs);
    emit signalChangeFocus(this, _widget);
}

void UCDisplayFrame::slotWidgetMouseRelease(GLWidget* _widget, bool _multi) {
    if (!_multi && m_edgeView.isNull() && !m_fullScreen && _widget == m_hoveredView.data()) {
        m_popupTimer.start(kPopupMs);
    }
    m_hoveredView = _widget;
    m_longPressTimer.stop();
    if (m_longPressedView) {
        m_longPressedView = nullptr;
        update();
    }
}

void UCDisplayFrame::slotWidgetEnterEvent(GLWidget* _widget, QEvent* /*_event*/) {
    m_hoveredView = _widget;
}

void UCDisplayFrame::slotWidgetLeaveEvent(GLWidget* _widget, QEvent* /*_event*/) {
    if (m_hoveredView.data() == _widget) {
        m_hoveredView = nullptr;
    }
}

void UCDisplayFrame::slotLongKeyWidget() {
    m_longPressTimer.stop();
    m_longPressedView = m_pressedView;
    update();
}

void UCDisplayFrame::returnPoppedViews(GLWidget* except) {
    for (GLWidget* v : views()) {
        if (v != except && v->isPoppedUp()) {
            v->animatePopup(false, QRect());
        }
    }
    if (m_poppedView && m_poppedView.data() != except) {
        m_poppedView = nullptr;
    }
}

void UCDisplayFrame::slotPopupWidget() {
    m_popupTimer.stop();
    GLWidget* view = m_hoveredView.data();
    if (!view || !m_edgeView.isNull() || view->isEnlarged()) {
        return;
    }
    if (view->isPoppedUp()) {
        view->animatePopup(false, view->geometry());
        if (m_poppedView.data() == view) {
            m_poppedView = nullptr;
        }
        selectView(view);
        return;
    }
    if (!isSelectable(view)) {
        return;
    }
    const QRect page = rect();
    const int w2 = page.width() / 2;
    const int h2 = page.height() / 2;
    const QRect g = view->geometry();
    if (g.width() >= w2 && g.height() >= h2) {
        return;
    }
    int x = std::min(g.x(), w2 / 2);
    int y = std::min(g.y(), h2 / 2);
    // Still cover the view's right and bottom edges.
    if (x + w2 < g.right() + 1) {
        x = g.right() + 1 - w2;
    }
    if (y + h2 < g.bottom() + 1) {
        y = g.bottom() + 1 - h2;
    }
    view->raise();
    view->animatePopup(true, QRect(x, y, w2, h2));
    m_poppedView = view;
}

void UCDisplayFrame::slotDoubleClickOnView(GLWidget* _widget) {
    m_popupTimer.stop();
    if (!isSelectable(_widget)) {
        return;
    }
    if (!_widget->isEnlarged()) {
        m_enlargedView = _widget;
    }
    emit signalDoubleClickOnView(this, _widget);
}

void UCDisplayFrame::slotAnimationFinsed() {
    slotAnimationFinsed2();
    for (GLWidget* v : views()) {
        v->setPaintSuppressed(false);
    }
}

void UCDisplayFrame::slotAnimationFinsed2() {
    if (m_poppedView) {
        m_hoveredView = m_poppedView;
        slotPopupWidget();
    }
    // The main window toggles a view's enlargement on every announcement, so
    // an enlarged view is not announced again here (that would shrink it
    // back); the layout leaves enlarged views where they are.
    if (m_enlargedView) {
        m_hoveredView = m_enlargedView;
        if (!m_enlargedView->isEnlarged()) {
            m_enlargedView = nullptr;
        }
    }
}

// ---------------------------------------------------------------------------
// Shortcuts and colours

void UCDisplayFrame::slotShortkeyDelete() {
    if (selection().isEmpty()) {
        return;
    }
    if (showMessageBox(tr("Close Channel(s)"), tr("Do you want to close the selected channel(s)?"),
                       2) != QMessageBox::Ok) {
        return;
    }
    closeSelectedViews();
    const QList<GLWidget*> rest = views();
    if (!rest.isEmpty()) {
        selectView(rest.first());
    }
}

void UCDisplayFrame::slotToggleSelectedViewMenuVisible() {
    for (GLWidget* v : selection()) {
        v->toggleMenu();
    }
}

void UCDisplayFrame::setPlaySpeedColor(GLWidget* _widget, int _speed) {
    if (_widget) {
        _widget->setBottomTextColor(playSpeedColor(_speed));
    }
}

void UCDisplayFrame::setPlaySpeedColor(GLWidget* _widget) {
    setPlaySpeedColor(_widget, 8);
}

void UCDisplayFrame::slotGlWidgetResized(QPoint /*_pt*/, GLWidget* _widget) {
    // Cells are resized through the layout's own rules; the page only keeps
    // the stream type of an automatic view in step with its size.
    if (indexOfView(_widget) >= 0) {
        requestAutoStream(_widget);
    }
}

// ---------------------------------------------------------------------------
// Grid zoom

void UCDisplayFrame::wheelEvent(QWheelEvent* event) {
    const QPoint pos = event->position().toPoint();
    GLWidget* under = qobject_cast<GLWidget*>(childAt(pos));
    for (QWidget* w = childAt(pos); w && !under; w = w->parentWidget()) {
        under = qobject_cast<GLWidget*>(w);
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (GLWidget* v : {under, m_hoveredView.data()}) {
        if (v && (v->isDZoom() || v->isEnlarged())) {
            event->ignore();
            return;
        }
    }
    if (now - m_lastWheelMs < kWheelGuardMs) {
        event->accept();
        return;
    }
    m_lastWheelMs = now;
    event->accept();
    returnPoppedViews();

    const QRect current =
        m_layout->layoutRect().isNull() ? computeLayoutRect() : m_layout->layoutRect();
    const double W = current.width();
    const double H = current.height();
    if (W <= 0 || H <= 0) {
        return;
    }
    const double P = width();
    const int dy = event->angleDelta().y();
    const bool small = dy > -200 && dy < 200;
    double factor = 1.0;
    if (dy > 0) {
        if (W > 10 * P) {
            return;
        }
        factor = small ? 1.2 : 1.5;
    } else if (dy < 0) {
        factor = small ? 0.8 : 0.5;
    } else {
        return;
    }
    const double px = pos.x() - current.x();
    const double py = pos.y() - current.y();
    const double W2 = factor * W;
    const double H2 = factor * H;
    double x = current.x() - px * (W2 - W) / W;
    double y = current.y() - py * (H2 - H) / H;
    // Zooming out never goes past the grid that fits the free area: a grid
    // smaller than that, or one that leaves part of the area empty, would
    // stay shrunk or shifted.
    const QRect fit = computeLayoutRect();
    QRect next;
    if (factor < 1.0) {
        if (W2 <= fit.width() || H2 <= fit.height()) {
            next = fit;
        } else {
            x = std::min(x, double(fit.left()));
            y = std::min(y, double(fit.top()));
            if (x + W2 < fit.right() + 1) {
                x = fit.right() + 1 - W2;
            }
            if (y + H2 < fit.bottom() + 1) {
                y = fit.bottom() + 1 - H2;
            }
            next = QRect(qRound(x), qRound(y), qRound(W2), qRound(H2));
        }
        m_bigZoom = false;
    } else {
        m_bigZoom = W2 > 2.5 * P;
        next = QRect(qRound(x), qRound(y), qRound(W2), qRound(H2));
    }
    requestAutoStream(m_pressedView.data());

    if (next == current) {
        return;
    }
    m_layout->setRect(next);
    int gw = 0;
    int gh = 0;
    m_layout->gridExtent(gw, gh);
    const QRect& free = fit;
    m_relayoutGroup->stop();
    m_moveGroup->stop();
    if (gw > free.width() || gh > free.height()) {
        m_relayoutGroup->clear();
        m_layout->update(m_relayoutGroup, 6);
        m_relayoutGroup->start();
    } else {
        m_moveGroup->clear();
        m_layout->update(m_moveGroup, QEasingCurve::OutBack);
        m_moveGroup->start();
    }
}

// ---------------------------------------------------------------------------
// Drag over the page

void UCDisplayFrame::dragEnterEvent(QDragEnterEvent* event) {
    // Folders dragged from a file manager are for the main window to open.
    if (event->mimeData() != nullptr && event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    for (GLWidget* v : views()) {
        if (v->isPoppedUp() || v->isEnlarged()) {
            v->stopAnimations();
        }
    }
    m_poppedView = nullptr;
    m_dragging = true;
    m_dragPosition = event->pos();
    setCursor(Qt::ClosedHandCursor);
    event->setDropAction(Qt::MoveAction);
    event->accept();
    update();
}

void UCDisplayFrame::dragMoveEvent(QDragMoveEvent* event) {
    m_dragPosition = event->pos();
    event->setDropAction(Qt::MoveAction);
    event->accept();
    update();
}

void UCDisplayFrame::dragLeaveEvent(QDragLeaveEvent* event) {
    m_dragging = false;
    unsetCursor();
    m_layout->clearPreview();
    event->accept();
    update();
}

void UCDisplayFrame::dropEvent(QDropEvent* event) {
    m_dragging = false;
    unsetCursor();
    m_layout->clearPreview();
    QWidget::dropEvent(event);
    update();
}

// ---------------------------------------------------------------------------
// Page mouse (outside the views)

void UCDisplayFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->pos();
        GLWidget* on = nullptr;
        for (QWidget* w = childAt(event->pos()); w && !on; w = w->parentWidget()) {
            on = qobject_cast<GLWidget*>(w);
        }
        m_pressedOnView = on;
        m_edgeView = nullptr;
        if (on) {
            if (on->hitRegion(event->pos()) != GLWidget::HitNone) {
                m_edgeView = on;
            }
        } else {
            m_rubberBand = true;
            m_rubberStart = event->globalPos();
            m_rubberEnd = m_rubberStart;
            update();
        }
    }
    QWidget::mousePressEvent(event);
}

void UCDisplayFrame::mouseMoveEvent(QMouseEvent* event) {
    if (m_rubberBand) {
        m_rubberEnd = event->globalPos();
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void UCDisplayFrame::mouseReleaseEvent(QMouseEvent* event) {
    m_rubberBand = false;
    m_rubberBandWidget->hide();
    unsetCursor();
    m_layout->clearPreview();
    m_edgeView = nullptr;
    if (selection().isEmpty() && m_hoveredView && m_hoveredView->isPoppedUp()) {
        selectView(m_hoveredView.data());
    }
    QWidget::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------
// Painting and page events

void UCDisplayFrame::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_dragging || m_longPressedView || m_rubberBand) {
        QPainter painter(this);
        if (m_dragging) {
            m_layout->paintGrid(painter);
            m_layout->paintDropPreview(painter, m_dragPosition);
        }
        if (m_longPressedView) {
            m_layout->paintMovePreview(painter, m_longPressedView.data());
        }
    }
    if (m_rubberBand) {
        const QRect band =
            QRect(mapFromGlobal(m_rubberStart), mapFromGlobal(m_rubberEnd)).normalized();
        m_rubberBandWidget->setGeometry(band);
        m_rubberBandWidget->raise();
        m_rubberBandWidget->show();
    }
}

void UCDisplayFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit signalSetDisplayFocused(this);
    }
    QWidget::changeEvent(event);
}

void UCDisplayFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_layout->rowCount() > 0 && m_layout->columnCount() > 0) {
        resetLayoutRect();
        m_layout->update();
    }
}

void UCDisplayFrame::closeEvent(QCloseEvent* event) {
    m_relayoutGroup->stop();
    m_relayoutGroup->clear();
    closeAllViews();
    m_closed = true;
    releaseAudioOutput();
    emit signalCloseDisplay(this);
    m_rubberBandWidget->hide();
    QWidget::closeEvent(event);
}
