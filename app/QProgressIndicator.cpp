#include "app/QProgressIndicator.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

QProgressIndicator::QProgressIndicator(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QProgressIndicator::startAnimation() {
    m_angle = 0;
    if (m_timerId == 0) {
        m_timerId = startTimer(10);
    }
}

void QProgressIndicator::stopAnimation() {
    if (m_timerId != 0) {
        killTimer(m_timerId);
    }
    m_timerId = 0;
    update();
}

void QProgressIndicator::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    m_angle = (m_angle + 30) % 360;
    update();
}

void QProgressIndicator::paintEvent(QPaintEvent*) {
    if (!isAnimated()) {
        return;
    }
    const int side = std::min(width(), height());
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    const double outer = (side - 1) * 0.5;
    const double inner = outer * 0.38;
    const double length = outer - inner;
    const double barWidth = length * (side >= 33 ? 0.23 : 0.35);
    const double corner = barWidth / 2;

    for (int i = 0; i < 12; ++i) {
        QColor color(Qt::white);
        color.setAlphaF(1.0 - i / 12.0);
        p.save();
        p.translate(rect().center());
        p.rotate(m_angle - i * 30.0);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(-barWidth / 2, -(inner + length), barWidth, length), corner,
                          corner);
        p.restore();
    }
}
