#pragma once

// A small spinning busy indicator: 12 rounded white bars around the centre,
// the leading bar opaque and each following one fainter. Stopped, it draws
// nothing.
//
// Threading: GUI thread only.

#include <QWidget>

class QProgressIndicator : public QWidget {
    Q_OBJECT

public:
    explicit QProgressIndicator(QWidget* parent = nullptr);

    bool isAnimated() const { return m_timerId != 0; }
    int angle() const { return m_angle; }

    QSize sizeHint() const override { return QSize(20, 20); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return w; }

public slots:
    // Restarts from angle 0; the 10 ms timer is started unless it runs.
    void startAnimation();
    void stopAnimation();

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_angle = 0;
    int m_timerId = 0;
};
