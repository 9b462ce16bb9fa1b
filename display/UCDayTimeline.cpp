#include "display/UCDayTimeline.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSideMargin = 8;
constexpr int kLabelHeight = 13;
constexpr int kTrackHeight = 16;
// Labels of the hour scale are at least this far apart.
constexpr int kMinLabelSpacing = 52;

const QColor kGapColor(24, 30, 40);
const QColor kTrackFrame(55, 66, 82);
const QColor kSpanColor(46, 138, 196);
const QColor kScaleColor(150, 160, 175);
const QColor kPositionColor(255, 206, 60);
const QColor kMarkColor(236, 96, 52);
const QColor kRangeColor(255, 255, 255, 46);
const QColor kRangeEdge(230, 230, 230);
const QColor kHoverColor(255, 255, 255, 150);

qint64 clampDay(qint64 ms) {
    return std::clamp<qint64>(ms, 0, UCDayTimeline::kDayMs);
}

}  // namespace

UCDayTimeline::UCDayTimeline(QWidget* parent) : QWidget(parent) {
    setObjectName("wgTimeline");
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_StyledBackground, true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize UCDayTimeline::sizeHint() const {
    return QSize(600, kLabelHeight + kTrackHeight + 8);
}

QSize UCDayTimeline::minimumSizeHint() const {
    return QSize(120, kLabelHeight + kTrackHeight + 8);
}

void UCDayTimeline::setDay(const QDate& day) {
    if (day == m_day) {
        return;
    }
    m_day = day;
    m_spans.clear();
    m_marks.clear();
    m_hasRange = false;
    m_position = -1;
    m_from = 0;
    m_to = kDayMs;
    m_userZoomed = false;
    update();
}

void UCDayTimeline::setSpans(const QVector<Span>& spans) {
    m_spans = spans;
    if (!m_userZoomed) {
        fitToSpans();
    }
    update();
}

void UCDayTimeline::fitToSpans() {
    if (m_spans.isEmpty()) {
        setVisibleRange(0, kDayMs);
        return;
    }
    qint64 first = kDayMs;
    qint64 last = 0;
    for (const Span& s : m_spans) {
        first = std::min(first, s.startMs);
        last = std::max(last, s.endMs);
    }
    const qint64 room = std::max<qint64>((last - first) / 20, 30 * 1000);
    setVisibleRange(first - room, last + room);
}

void UCDayTimeline::setPosition(qint64 ms) {
    const qint64 p = ms < 0 ? -1 : clampDay(ms);
    if (p == m_position) {
        return;
    }
    m_position = p;
    followPosition();
    update();
}

void UCDayTimeline::setMarks(const QVector<Mark>& marks) {
    m_marks = marks;
    update();
}

void UCDayTimeline::setRange(qint64 inMs, qint64 outMs) {
    m_hasRange = true;
    m_rangeIn = clampDay(std::min(inMs, outMs));
    m_rangeOut = clampDay(std::max(inMs, outMs));
    update();
}

void UCDayTimeline::clearRange() {
    m_hasRange = false;
    update();
}

void UCDayTimeline::setVisibleRange(qint64 fromMs, qint64 toMs) {
    qint64 from = clampDay(std::min(fromMs, toMs));
    qint64 to = clampDay(std::max(fromMs, toMs));
    if (to - from < kMinVisibleMs) {
        const qint64 middle = (from + to) / 2;
        from = middle - kMinVisibleMs / 2;
        to = from + kMinVisibleMs;
        if (from < 0) {
            from = 0;
            to = kMinVisibleMs;
        } else if (to > kDayMs) {
            to = kDayMs;
            from = kDayMs - kMinVisibleMs;
        }
    }
    m_from = from;
    m_to = to;
    update();
}

void UCDayTimeline::followPosition() {
    // A zoomed view turns the page when playing leaves it, keeping a little
    // of what was before in sight.
    if (m_dragging || m_position < 0 || (m_from == 0 && m_to == kDayMs)) {
        return;
    }
    const qint64 width = m_to - m_from;
    if (m_position < m_from || m_position > m_to) {
        const qint64 from = std::clamp<qint64>(m_position - width / 10, 0, kDayMs - width);
        m_from = from;
        m_to = from + width;
    }
}

QRect UCDayTimeline::trackRect() const {
    return QRect(kSideMargin, kLabelHeight + 2, std::max(1, width() - 2 * kSideMargin),
                 kTrackHeight);
}

// The first pixel of the track is the start of the part shown, the last
// pixel its end.
qint64 UCDayTimeline::timeAt(int x) const {
    const QRect track = trackRect();
    const double f = double(x - track.left()) / std::max(1, track.width() - 1);
    return clampDay(m_from + qint64(std::llround(f * double(m_to - m_from))));
}

int UCDayTimeline::xAt(qint64 ms) const {
    const QRect track = trackRect();
    const double f = double(ms - m_from) / double(std::max<qint64>(1, m_to - m_from));
    return track.left() + int(std::lround(f * (track.width() - 1)));
}

int UCDayTimeline::markAt(int x) const {
    int best = -1;
    int bestDistance = kMarkHitPx + 1;
    for (int i = 0; i < m_marks.size(); ++i) {
        const qint64 t = m_marks.at(i).timeMs;
        if (t < m_from || t > m_to) {
            continue;
        }
        const int d = std::abs(xAt(t) - x);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QString UCDayTimeline::timeText(qint64 ms) {
    const qint64 s = clampDay(ms) / 1000;
    return QString("%1:%2:%3")
        .arg(s / 3600, 2, 10, QChar('0'))
        .arg(s / 60 % 60, 2, 10, QChar('0'))
        .arg(s % 60, 2, 10, QChar('0'));
}

void UCDayTimeline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The style sheet's background: the bar under the views is opaque even
    // where a zoomed grid lies behind it.
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &p, this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect track = trackRect();
    const qint64 visible = std::max<qint64>(1, m_to - m_from);
    const double pxPerMs = double(track.width()) / double(visible);

    // Hour scale: the finest step whose labels do not crowd each other.
    static const qint64 kSteps[] = {10000,   15000,   30000,   60000,    120000,  300000,  600000,
                                    900000,  1800000, 3600000, 7200000, 10800000, 21600000};
    QFont f = font();
    f.setPixelSize(10);
    p.setFont(f);
    const QFontMetrics fm(f);
    qint64 step = kSteps[std::size(kSteps) - 1];
    for (qint64 s : kSteps) {
        const int label = fm.horizontalAdvance(s < 60000 ? "00:00:00" : "00:00");
        if (s * pxPerMs >= std::max(kMinLabelSpacing, label + 16)) {
            step = s;
            break;
        }
    }
    p.setPen(kScaleColor);
    int labelsEnd = -1;
    for (qint64 t = (m_from + step - 1) / step * step; t <= m_to; t += step) {
        const int x = xAt(t);
        p.drawLine(x, track.top() - 3, x, track.top() - 1);
        // Seconds only where the scale is that fine.
        const QString label = step < 60000 ? timeText(t) : timeText(t).left(5);
        const int w = fm.horizontalAdvance(label);
        const int lx = std::clamp(x - w / 2, 0, std::max(0, width() - w));
        // A label pushed in at an end must not run into its neighbour.
        if (lx > labelsEnd + 4) {
            p.drawText(QRect(lx, 0, w, kLabelHeight), Qt::AlignCenter, label);
            labelsEnd = lx + w;
        }
    }

    // The day: dark where nothing was recorded, coloured spans where it was.
    p.fillRect(track, kGapColor);
    for (const Span& s : m_spans) {
        if (s.endMs < m_from || s.startMs > m_to) {
            continue;
        }
        const int x1 = std::max(track.left(), xAt(s.startMs));
        const int x2 = std::min(track.right(), xAt(s.endMs));
        // A recording shorter than a pixel still shows.
        p.fillRect(QRect(x1, track.top() + 2, std::max(2, x2 - x1 + 1), track.height() - 4),
                   kSpanColor);
    }
    p.setPen(kTrackFrame);
    p.drawRect(track.adjusted(0, 0, -1, -1));

    if (m_hasRange && m_rangeOut >= m_from && m_rangeIn <= m_to) {
        const int x1 = std::max(track.left(), xAt(m_rangeIn));
        const int x2 = std::min(track.right(), xAt(m_rangeOut));
        const QRect band(x1, track.top() - 2, std::max(1, x2 - x1 + 1), track.height() + 4);
        p.fillRect(band, kRangeColor);
        p.setPen(kRangeEdge);
        p.drawLine(band.topLeft(), band.bottomLeft());
        p.drawLine(band.topRight(), band.bottomRight());
    }

    p.setRenderHint(QPainter::Antialiasing, true);
    for (const Mark& m : m_marks) {
        if (m.timeMs < m_from || m.timeMs > m_to) {
            continue;
        }
        const int x = xAt(m.timeMs);
        QPainterPath diamond;
        const int cy = track.top() + track.height() / 2;
        diamond.moveTo(x, cy - 6);
        diamond.lineTo(x + 4, cy);
        diamond.lineTo(x, cy + 6);
        diamond.lineTo(x - 4, cy);
        diamond.closeSubpath();
        p.fillPath(diamond, kMarkColor);
    }

    const qint64 shown = m_dragging ? m_dragTime : m_position;
    if (shown >= m_from && shown <= m_to && shown >= 0) {
        const int x = xAt(shown);
        p.setPen(QPen(kPositionColor, 2));
        p.drawLine(x, track.top() - 4, x, track.bottom() + 3);
        QPainterPath head;
        head.moveTo(x - 5, track.top() - 6);
        head.lineTo(x + 5, track.top() - 6);
        head.lineTo(x, track.top() - 1);
        head.closeSubpath();
        p.fillPath(head, kPositionColor);
    }

    if (m_hover >= 0) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(kHoverColor);
        p.drawLine(m_hoverX, track.top(), m_hoverX, track.bottom());
        const QString text = timeText(m_hover);
        const int w = fm.horizontalAdvance(text) + 8;
        const int bx = std::clamp(m_hoverX - w / 2, 0, std::max(0, width() - w));
        const QRect box(bx, 0, w, kLabelHeight);
        p.fillRect(box, QColor(12, 17, 24));
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, text);
    }
}

void UCDayTimeline::dragTo(int x, bool final) {
    m_dragTime = timeAt(x);
    update();
    const bool due = !m_sinceSeek.isValid() || m_sinceSeek.elapsed() >= kDragSeekIntervalMs;
    if (m_dragTime != m_lastSeek && (final || due)) {
        m_lastSeek = m_dragTime;
        m_sinceSeek.start();
        emit seekRequested(m_dragTime);
    }
}

void UCDayTimeline::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int x = event->pos().x();
    const int mark = markAt(x);
    if (mark >= 0) {
        emit markClicked(mark);
        return;
    }
    m_dragging = true;
    m_lastSeek = -1;
    m_sinceSeek.invalidate();
    dragTo(x, false);
}

void UCDayTimeline::mouseMoveEvent(QMouseEvent* event) {
    const int x = std::clamp(event->pos().x(), trackRect().left(), trackRect().right());
    m_hover = timeAt(x);
    m_hoverX = x;
    const int mark = markAt(event->pos().x());
    if (mark >= 0) {
        QToolTip::showText(event->globalPos(), m_marks.at(mark).text, this);
    } else {
        QToolTip::hideText();
    }
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        dragTo(x, false);
    }
    update();
}

void UCDayTimeline::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragging) {
        const int x = std::clamp(event->pos().x(), trackRect().left(), trackRect().right());
        dragTo(x, true);
        m_dragging = false;
        // Until playing reports the new place, the bar shows where it goes.
        m_position = m_dragTime;
        update();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void UCDayTimeline::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_userZoomed = true;
        setVisibleRange(0, kDayMs);
    }
}

void UCDayTimeline::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (dy == 0) {
        event->ignore();
        return;
    }
    const int x = event->position().toPoint().x();
    const qint64 at = timeAt(x);
    const double factor = dy > 0 ? 0.5 : 2.0;
    const qint64 width = std::clamp<qint64>(qint64((m_to - m_from) * factor), kMinVisibleMs, kDayMs);
    // The time under the pointer stays under it.
    const QRect track = trackRect();
    const double f = double(x - track.left()) / std::max(1, track.width() - 1);
    qint64 from = at - qint64(f * double(width));
    from = std::clamp<qint64>(from, 0, kDayMs - width);
    m_userZoomed = true;
    setVisibleRange(from, from + width);
    event->accept();
}

void UCDayTimeline::leaveEvent(QEvent* event) {
    m_hover = -1;
    m_hoverX = -1;
    update();
    QWidget::leaveEvent(event);
}
