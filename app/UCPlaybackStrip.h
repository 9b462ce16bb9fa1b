#pragma once

// The playback strip of the main window's bottom bar: first, rewind, frame
// back, pause/continue, frame forward, fast, last, the speed label and the
// speed slider (a shuttle over the speed indexes 0..14, SpeedTable).
//
// The strip keeps no playback state: refreshPlaybackControls() rebuilds it from
// the page after every command and on every heartbeat of the window. Commands
// go to the page set with setPage(); without one they do nothing.
//
// Threading: GUI thread only.

#include <QWidget>

class IPlaybackPage;
class QLabel;
class QPushButton;
class QSlider;

class UCPlaybackStrip : public QWidget {
    Q_OBJECT

public:
    explicit UCPlaybackStrip(QWidget* parent = nullptr);

    // The page commands go to; null for none. The strip does not own it.
    void setPage(IPlaybackPage* page);
    IPlaybackPage* page() const { return m_page; }

    // Whether the pause/continue button offers "Play" (else "Pause").
    bool showsPlay() const { return m_showsPlay; }

    QPushButton* tbPBFirst = nullptr;
    QPushButton* tbPBRW = nullptr;
    QPushButton* tbPBBackFrame = nullptr;
    QPushButton* tbPBPauseContinue = nullptr;
    QPushButton* tbPBForwordFrame = nullptr;
    QPushButton* tbPBFW = nullptr;
    QPushButton* tbPBLast = nullptr;
    QLabel* labelSpeed = nullptr;
    QSlider* hsPBSpeed = nullptr;

public slots:
    void refreshPlaybackControls();
    void slotGotoFirst();
    void slotPBRW();
    void slotPBPauseContinue();
    void slotPBFW();
    void slotGotoLast();
    void slotPBChangeSpeed(int speedIndex);
    void slotPBsliderMoved(int position);
    void sliderReleased();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Sets the slider without commanding the page.
    void setSliderQuietly(int speedIndex);
    void setPlayLook();
    void setPauseLook();
    void setSpeedText(int speedIndex, const char* labelStyle);
    void setButtonsEnabled(bool enabled);
    void setNormalHandleStyle();
    // Applies the buttons' look, the play/pause look and the speed text,
    // each only when it differs from what is shown.
    void showLook(bool enabled, bool playLook, int speedIndex);
    void retranslate();

    IPlaybackPage* m_page = nullptr;
    bool m_showsPlay = true;
    bool m_enabledLook = false;
    bool m_lookShown = false;  // showLook() ran at least once
    int m_speedShown = -1;     // speed index of the speed text
    bool m_speedEnabled = false;
};
