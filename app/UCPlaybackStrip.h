#pragma once

// The playback strip of the main window's bottom bar: first, rewind, frame
// back, pause/continue, frame forward, fast, last, the speed label, the speed
// slider (a shuttle over the speed indexes 0..14, SpeedTable), and the sound:
// a mute button and a volume slider.
//
// The strip keeps no playback state: refreshPlaybackControls() rebuilds it from
// the page after every command and on every heartbeat of the window. Commands
// go to the page set with setPage(); without one they do nothing. Rewind and
// fast step through the speeds when pressed again (x-1, x-2 ... x-64 and x2,
// x4 ... x64). The volume (0..100) and mute are the strip's own and go to
// every page it is given.
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
    QPushButton* tbPBMute = nullptr;
    QSlider* hsPBVolume = nullptr;

    // Volume 0..100 (kept while muted) and mute.
    int volume() const { return m_volume; }
    bool isMuted() const { return m_muted; }
    void setVolume(int volume);
    void setMuted(bool muted);
    static constexpr int kVolumeStep = 10;

signals:
    // A playback command was given (click or key): the window drops any
    // command of its own that is still pending.
    void commandIssued();

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
    // Frame buttons (and the "." and "," keys).
    void slotStepForward();
    void slotStepBackward();
    // L: x1 from pause or backward play, else the next faster forward speed.
    void slotFaster();
    // J: x-1 from pause or forward play, else the next faster backward speed.
    void slotFasterBackward();
    // K: pause (nothing when already paused).
    void slotPause();
    void slotToggleMute();
    void slotVolumeUp();
    void slotVolumeDown();

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
    void retranslate();
    void applyVolume();
    void setMuteLook();
    // The page's speed index, or -1 when it cannot tell.
    int currentSpeedIndex();

    IPlaybackPage* m_page = nullptr;
    int m_volume = 100;
    bool m_muted = false;
    bool m_showsPlay = true;
    bool m_enabledLook = false;
};
