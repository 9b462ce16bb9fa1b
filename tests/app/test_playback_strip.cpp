// The playback strip against a page that records what it is asked: speeds
// stepped by fast and rewind and by the L and J commands, single steps, and
// the sound.

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "app/IDisplayPage.h"
#include "app/UCPlaybackStrip.h"

namespace {

class FakePage : public IPlaybackPage {
public:
    int mode = 2;
    int speed = 8;
    bool speedKnown = true;
    bool paused = false;
    bool finished = false;
    bool canJump = true;
    QStringList commands;

    int playMode() override { return mode; }
    bool getPlaySpeed(int& speedIndex) override {
        speedIndex = speed;
        return speedKnown;
    }
    bool isSelectedPaused() override { return paused; }
    bool isSelectedFinished() override { return finished; }
    void setPlaySpeed(int speedIndex) override {
        commands << QString("speed %1").arg(speedIndex);
        speed = speedIndex;
    }
    void rewind() override {
        commands << "rewind";
        speed = 6;
    }
    void pause() override {
        commands << "pause";
        paused = true;
    }
    void resume() override {
        commands << "resume";
        paused = false;
        speed = 8;
        finished = false;
    }
    bool gotoFirst(QDateTime&) override {
        commands << "first";
        speed = 8;
        return canJump;
    }
    bool gotoLast(QDateTime&) override {
        commands << "last";
        speed = 8;
        return canJump;
    }
    void stepForward() override {
        commands << "step+";
        paused = true;
    }
    void stepBackward() override {
        commands << "step-";
        paused = true;
    }
    void setVolume(double v) override { volume = v; }
    double volume = -1;
};

// How many of the six moving buttons are enabled.
int enabledButtons(const UCPlaybackStrip& s) {
    int n = 0;
    for (QWidget* b : {s.tbPBFirst, s.tbPBRW, s.tbPBBackFrame, s.tbPBForwordFrame, s.tbPBFW,
                       s.tbPBLast}) {
        n += b->isEnabled() ? 1 : 0;
    }
    return n;
}

// Counts paint events of a widget and its children.
class PaintCount : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

}  // namespace

class TestPlaybackStrip : public QObject {
    Q_OBJECT

private slots:
    void onlyAPlayingPageEnablesAndShowsSpeed();
    void pauseContinueAndTheEnd();
    void commandsAndRefreshRules();
    void keyCommandsStepSpeeds();
    void volumeAndMute();
    void shuttleSnapsBackToNormalSpeed();
    void unchangedHeartbeatRepaintsNothing();
};

void TestPlaybackStrip::onlyAPlayingPageEnablesAndShowsSpeed() {
    UCPlaybackStrip strip;
    strip.show();
    QCOMPARE(enabledButtons(strip), 0);
    QVERIFY(!strip.hsPBSpeed->isEnabled());
    QCOMPARE(strip.hsPBSpeed->value(), 7);
    QCOMPARE(strip.labelSpeed->text(), QString("x0"));
    QVERIFY(strip.showsPlay());
    QVERIFY(strip.tbPBPauseContinue->isEnabled());
    strip.tbPBPauseContinue->click();  // no page: nothing to command

    // A page that plays nothing (mode 1) looks the same and hears nothing.
    FakePage page;
    page.mode = 1;
    page.speed = 12;
    strip.setPage(&page);
    strip.tbPBPauseContinue->click();
    strip.slotFaster();
    strip.slotFasterBackward();
    strip.slotPause();
    strip.slotStepForward();
    QVERIFY(page.commands.isEmpty());
    QCOMPARE(enabledButtons(strip), 0);
    QCOMPARE(strip.labelSpeed->text(), QString("x0"));

    FakePage playing;
    playing.speed = 2;
    strip.setPage(&playing);
    QVERIFY(playing.commands.isEmpty());  // showing the speed commands nothing
    QCOMPARE(enabledButtons(strip), 6);
    QVERIFY(strip.hsPBSpeed->isEnabled());
    QCOMPARE(strip.hsPBSpeed->value(), 2);
    QCOMPARE(strip.labelSpeed->text(), QString("x-16"));
    QVERIFY(!strip.showsPlay());
    // The frame-step buttons stay once playback is possible.
    QVERIFY(strip.tbPBBackFrame->isVisible());
    playing.speed = 14;
    strip.refreshPlaybackControls();

    // A page that cannot tell its speed leaves the strip as it was.
    playing.speedKnown = false;
    playing.speed = 3;
    strip.refreshPlaybackControls();
    QCOMPARE(strip.labelSpeed->text(), QString("x64"));
    QCOMPARE(strip.hsPBSpeed->value(), 14);
}

void TestPlaybackStrip::pauseContinueAndTheEnd() {
    UCPlaybackStrip strip;
    FakePage page;
    strip.setPage(&page);
    QVERIFY(!strip.showsPlay());
    strip.tbPBPauseContinue->click();
    QCOMPARE(page.commands, QStringList{"pause"});
    QVERIFY(strip.showsPlay());
    strip.tbPBPauseContinue->click();
    QCOMPARE(page.commands, (QStringList{"pause", "resume"}));
    QVERIFY(!strip.showsPlay());

    // At the end of the recordings nothing moves: the strip says so, and its
    // button starts playback over instead of pausing.
    page.finished = true;
    strip.refreshPlaybackControls();
    QVERIFY(strip.showsPlay());
    QCOMPARE(strip.labelSpeed->text(), QString("x0"));
    QCOMPARE(enabledButtons(strip), 6);
    strip.tbPBPauseContinue->click();
    QCOMPARE(page.commands, (QStringList{"pause", "resume", "resume"}));
    QVERIFY(!strip.showsPlay());
    QCOMPARE(strip.labelSpeed->text(), QString("x1"));
}

void TestPlaybackStrip::commandsAndRefreshRules() {
    UCPlaybackStrip strip;
    FakePage page;
    strip.setPage(&page);

    // FW starts at x2 from anything but fast forward, then steps up to x64
    // and stays there.
    for (int from : {2, 7, 8}) {
        page.speed = from;
        page.commands.clear();
        strip.tbPBFW->click();
        QCOMPARE(page.commands, QStringList{"speed 9"});
        QCOMPARE(strip.labelSpeed->text(), QString("x2"));
    }
    page.commands.clear();
    for (int i = 0; i < 6; ++i) {
        strip.tbPBFW->click();
    }
    QCOMPARE(page.commands, (QStringList{"speed 10", "speed 11", "speed 12", "speed 13",
                                         "speed 14", "speed 14"}));
    QCOMPARE(strip.labelSpeed->text(), QString("x64"));

    // RW starts backward play, then steps down to x-64.
    page.commands.clear();
    strip.tbPBRW->click();
    QCOMPARE(page.commands, QStringList{"rewind"});
    QCOMPARE(strip.labelSpeed->text(), QString("x-1"));
    for (int i = 0; i < 6; ++i) {
        strip.tbPBRW->click();
    }
    QCOMPARE(page.commands, (QStringList{"rewind", "speed 5", "speed 4", "speed 3", "speed 2",
                                         "speed 1", "speed 0"}));
    QCOMPARE(strip.labelSpeed->text(), QString("x-64"));
    page.speed = 6;
    strip.refreshPlaybackControls();

    // A jump the page cannot make leaves the strip unchanged until the next
    // refresh; one it makes refreshes at once.
    page.canJump = false;
    strip.tbPBFirst->click();
    QCOMPARE(strip.labelSpeed->text(), QString("x-1"));
    strip.refreshPlaybackControls();
    QCOMPARE(strip.labelSpeed->text(), QString("x1"));
    page.speed = 6;
    strip.refreshPlaybackControls();
    page.canJump = true;
    strip.tbPBLast->click();
    QCOMPARE(strip.labelSpeed->text(), QString("x1"));
    QCOMPARE(page.commands.mid(7), (QStringList{"first", "last"}));

    // The frame-step buttons step; the page then stands still.
    page.commands.clear();
    strip.tbPBForwordFrame->click();
    QVERIFY(strip.showsPlay());
    strip.tbPBBackFrame->click();
    QCOMPARE(page.commands, (QStringList{"step+", "step-"}));
}

void TestPlaybackStrip::keyCommandsStepSpeeds() {
    UCPlaybackStrip strip;
    FakePage page;
    strip.setPage(&page);

    // L: x1 from backward play or a pause (as play, which also leaves a
    // single step), faster from there.
    page.speed = 4;
    strip.slotFaster();
    strip.slotFaster();
    strip.slotFaster();
    QCOMPARE(page.commands, (QStringList{"resume", "speed 9", "speed 10"}));
    page.paused = true;
    page.speed = 7;
    strip.slotFaster();
    QCOMPARE(page.commands.last(), QString("resume"));

    // J: x-1 from forward play or a pause, faster backward from there.
    page.commands.clear();
    page.speed = 12;
    strip.slotFasterBackward();
    strip.slotFasterBackward();
    QCOMPARE(page.commands, (QStringList{"rewind", "speed 5"}));
    page.speed = 0;
    strip.slotFasterBackward();
    QCOMPARE(page.commands.last(), QString("speed 0"));

    // K pauses, and only what plays.
    page.commands.clear();
    strip.slotPause();
    strip.slotPause();
    QCOMPARE(page.commands, QStringList{"pause"});
}

void TestPlaybackStrip::volumeAndMute() {
    UCPlaybackStrip strip;
    FakePage page;
    strip.setPage(&page);
    QCOMPARE(page.volume, 1.0);
    strip.slotVolumeDown();
    QCOMPARE(strip.volume(), 100 - UCPlaybackStrip::kVolumeStep);
    QCOMPARE(strip.hsPBVolume->value(), strip.volume());
    const double lowered = page.volume;
    QVERIFY(lowered > 0.0 && lowered < 1.0);
    strip.tbPBMute->click();
    QVERIFY(strip.isMuted());
    QCOMPARE(page.volume, 0.0);
    // The level survives the mute, and a page given later gets it too.
    strip.slotToggleMute();
    QCOMPARE(page.volume, lowered);
    strip.slotToggleMute();
    FakePage next;
    strip.setPage(&next);
    QCOMPARE(next.volume, 0.0);
    // Turning the volume up is asking to hear it.
    strip.slotVolumeUp();
    QVERIFY(!strip.isMuted());
    QCOMPARE(next.volume, 1.0);
    strip.setVolume(250);
    QCOMPARE(strip.volume(), 100);
}

void TestPlaybackStrip::shuttleSnapsBackToNormalSpeed() {
    UCPlaybackStrip strip;
    FakePage page;
    strip.setPage(&page);

    // Dragging commands every speed passed; releasing returns to x1.
    strip.hsPBSpeed->setSliderDown(true);
    strip.hsPBSpeed->setSliderPosition(5);
    strip.hsPBSpeed->setSliderPosition(2);
    QCOMPARE(page.commands, (QStringList{"speed 5", "speed 2"}));
    QCOMPARE(strip.labelSpeed->text(), QString("x-16"));
    strip.hsPBSpeed->setSliderDown(false);  // emits sliderReleased
    QCOMPARE(page.commands, (QStringList{"speed 5", "speed 2", "speed 8"}));
    QCOMPARE(strip.hsPBSpeed->value(), 8);
    QCOMPARE(strip.labelSpeed->text(), QString("x1"));

    // A step on the groove commands that speed and stays there.
    page.commands.clear();
    strip.hsPBSpeed->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(page.commands, QStringList{"speed 9"});
    QCOMPARE(strip.hsPBSpeed->value(), 9);
}

QTEST_MAIN(TestPlaybackStrip)
#include "test_playback_strip.moc"

// The main window refreshes the strip twenty times a second: with nothing
// changed, nothing repaints (a repaint recomposes a window full of video
// views); a change still shows at once.
void TestPlaybackStrip::unchangedHeartbeatRepaintsNothing() {
    FakePage page;
    UCPlaybackStrip strip;
    strip.setPage(&page);
    strip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip));
    QCoreApplication::sendPostedEvents();  // the first paints
    QCoreApplication::processEvents();
    PaintCount count;
    QList<QWidget*> all = strip.findChildren<QWidget*>();
    all << &strip;
    for (QWidget* w : all) {
        w->installEventFilter(&count);
    }
    for (int i = 0; i < 10; ++i) {
        strip.refreshPlaybackControls();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    QCOMPARE(count.paints, 0);

    page.paused = true;
    strip.refreshPlaybackControls();
    QVERIFY(strip.showsPlay());
    QTRY_VERIFY(count.paints > 0);
    page.speed = 10;
    strip.refreshPlaybackControls();
    QCOMPARE(strip.labelSpeed->text(), QString("x4"));
}
