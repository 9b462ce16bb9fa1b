#pragma once

// UCDayTimeline: the seek bar of a recorded day. It draws the hours of one
// day, the spans in which the recorder was recording (gaps stay dark), the
// play position, optional marks (events) and an optional in/out range, and
// shows the time of day under the pointer. A click or a drag asks to seek; a
// click on a mark reports the mark instead. New spans are fitted into view
// (until the user zooms himself); the wheel zooms around the pointer, a
// double click shows the whole day; a zoomed view follows the play position.
//
// Times are milliseconds since the day's midnight (0 .. kDayMs). The widget
// knows nothing of sites or files: its owner passes the spans, the position
// and the marks in and acts on the signals.
//
// Threading: GUI thread only.

#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QVector>
#include <QWidget>

class UCDayTimeline : public QWidget {
    Q_OBJECT

public:
    static constexpr qint64 kDayMs = 24LL * 3600 * 1000;
    // The narrowest part of the day the wheel zooms to.
    static constexpr qint64 kMinVisibleMs = 2LL * 60 * 1000;
    // While dragging, seeks are asked for at most this often; the release
    // always asks for the final place.
    static constexpr int kDragSeekIntervalMs = 250;
    // A press this close to a mark (pixels) picks the mark.
    static constexpr int kMarkHitPx = 5;

    struct Span {
        qint64 startMs = 0;
        qint64 endMs = 0;
    };
    struct Mark {
        qint64 timeMs = 0;
        QString text;  // the mark's tooltip
    };

    explicit UCDayTimeline(QWidget* parent = nullptr);

    // A new day forgets the spans, marks, range, position and zoom.
    void setDay(const QDate& day);
    QDate day() const { return m_day; }

    // Fits the view to the spans unless the user has zoomed this day.
    void setSpans(const QVector<Span>& spans);
    // Shows the recorded part of the day with a little room on both sides.
    void fitToSpans();
    const QVector<Span>& spans() const { return m_spans; }

    // -1: no position (nothing plays).
    void setPosition(qint64 ms);
    qint64 position() const { return m_position; }

    void setMarks(const QVector<Mark>& marks);
    const QVector<Mark>& marks() const { return m_marks; }

    // A band from inMs to outMs (either order); clearRange() removes it.
    void setRange(qint64 inMs, qint64 outMs);
    void clearRange();
    bool hasRange() const { return m_hasRange; }
    qint64 rangeIn() const { return m_rangeIn; }
    qint64 rangeOut() const { return m_rangeOut; }

    // The part of the day shown (at least kMinVisibleMs, within the day).
    void setVisibleRange(qint64 fromMs, qint64 toMs);
    qint64 visibleFrom() const { return m_from; }
    qint64 visibleTo() const { return m_to; }

    // Time of day at a widget x and back, for the part shown.
    qint64 timeAt(int x) const;
    int xAt(qint64 ms) const;
    // Index of the mark drawn at x, or -1.
    int markAt(int x) const;
    // Time of day under the pointer, -1 when it is not over the widget.
    qint64 hoverTime() const { return m_hover; }

    // "hh:mm:ss" of a time of day.
    static QString timeText(qint64 ms);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void seekRequested(qint64 ms);
    void markClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect trackRect() const;
    void followPosition();
    void dragTo(int x, bool final);

    QDate m_day;
    QVector<Span> m_spans;
    QVector<Mark> m_marks;
    qint64 m_position = -1;
    bool m_hasRange = false;
    qint64 m_rangeIn = 0;
    qint64 m_rangeOut = 0;
    qint64 m_from = 0;
    qint64 m_to = kDayMs;
    qint64 m_hover = -1;
    bool m_userZoomed = false;
    int m_hoverX = -1;
    bool m_dragging = false;
    qint64 m_dragTime = -1;
    qint64 m_lastSeek = -1;
    QElapsedTimer m_sinceSeek;
};
