// Playback command sequences end to end on a real main window: reverse
// pressed twice, pause and play after reverse and after a click in the file
// list go on from where playback stands, where a channel without a recording
// says so; the end of the recordings shows in the strip
// and the views, and play starts over; Close all Channels clears the
// read-outs; setup and G-sensor files that are FIFOs do not block.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "WindowTest.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/UCPlaybackStrip.h"
#include "display/GLWidget.h"

class TestPlaybackSequences : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void reverseTwiceThenPlayGoesOnFromThePosition();
    void afterAFileListClickPlayGoesOnFromThePosition();
    void theEndShowsAndPlayStartsOver();
    void closeAllChannelsClearsTheReadOuts();
    void fifosNamedLikeCardFilesDoNotBlock();

private:
    // The play time of the current page; invalid when it cannot tell.
    QTime playTime() const;
    // Waits until the play time is known and returns it.
    QTime waitPlayTime();
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The play-state text of the view of `channel`.
    QString modeText(int channel) const;
    void doubleClickFileItem(const QString& text);

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_day;
    Korvel* m_window = nullptr;
};

void TestPlaybackSequences::initTestCase() {
    QVERIFY(m_home.isValid() && m_dir.isValid());
    useOwnHome(m_home);
    // Two channels, two files of 4 s from 12:00:00; channel 1 recorded only
    // its first file.
    mkcard::CardOptions card = windowCard(m_dir, 2, 4);
    card.fps = 10;
    m_day = writeDayCard(card);
    QVERIFY(!m_day.isEmpty());
    QVERIFY(QFile::remove(m_day + "/120004010.ssf") && QFile::remove(m_day + "/120004010.idx"));
}

void TestPlaybackSequences::init() {
    m_window = new Korvel();
    QVERIFY(showWindow(*m_window, 1400, 800));
}

void TestPlaybackSequences::cleanup() {
    m_window->close();
    delete m_window;
    m_window = nullptr;
}

QTime TestPlaybackSequences::playTime() const {
    QDateTime at;
    IDisplayPage* page = m_window->currentPage();
    return page != nullptr && page->currentDateTime(at) ? at.time() : QTime();
}

QTime TestPlaybackSequences::waitPlayTime() {
    QTime t;
    const bool known = QTest::qWaitFor([&] { return (t = playTime()).isValid(); }, 5000);
    return known ? t : QTime();
}

QString TestPlaybackSequences::modeText(int channel) const {
    for (GLWidget* view : m_window->findChildren<GLWidget*>()) {
        if (view->channelOf(0) == channel) {
            if (auto* label = view->findChild<QLabel*>("lbMode")) {
                return label->text();
            }
        }
    }
    return QString();
}

void TestPlaybackSequences::doubleClickFileItem(const QString& text) {
    auto* list = m_window->findChild<QTreeWidget*>("twFileList");
    QVERIFY(list != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!list->findItems(text, Qt::MatchExactly).isEmpty(), 5000);
    QTreeWidgetItem* item = list->findItems(text, Qt::MatchExactly).first();
    list->setCurrentItem(item);
    const QRect rect = list->visualItemRect(item);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void TestPlaybackSequences::reverseTwiceThenPlayGoesOnFromThePosition() {
    m_window->openDayFolder(m_day);
    UCPlaybackStrip* strip = m_window->playbackStrip();
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() >= QTime(12, 0, 5), 10000);

    click(strip->tbPBRW);
    const QTime turned = waitPlayTime();
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() < turned, 4000);
    // Reverse again: playback goes on backward, it does not freeze.
    const QTime second = waitPlayTime();
    click(strip->tbPBRW);
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() < second, 4000);

    // Pause, then play: forward from where reverse play stood.
    click(strip->tbPBPauseContinue);
    QTRY_VERIFY(strip->showsPlay());
    const QTime paused = waitPlayTime();
    click(strip->tbPBPauseContinue);
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() > paused, 5000);
    QVERIFY2(playTime().secsTo(paused) > -4, qPrintable(playTime().toString()));
    QCOMPARE(strip->labelSpeed->text(), QString("x1"));
}

void TestPlaybackSequences::afterAFileListClickPlayGoesOnFromThePosition() {
    m_window->openDayFolder(m_day);
    UCPlaybackStrip* strip = m_window->playbackStrip();
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid(), 10000);
    // From 12:00:04 channel 1 has no recording; channel 0 plays on.
    doubleClickFileItem("12:00:04");
    QTRY_COMPARE_WITH_TIMEOUT(modeText(1), QString("NO RECORDING"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(modeText(0), QString("PLAY"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() >= QTime(12, 0, 6), 8000);
    // Reverse, fast, pause and play: the list item's start is long gone.
    click(strip->tbPBRW);
    click(strip->tbPBFW);
    click(strip->tbPBPauseContinue);
    QTRY_VERIFY(strip->showsPlay());
    click(strip->tbPBPauseContinue);
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() >= QTime(12, 0, 5), 5000);
}

void TestPlaybackSequences::theEndShowsAndPlayStartsOver() {
    m_window->openDayFolder(m_day);
    UCPlaybackStrip* strip = m_window->playbackStrip();
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid(), 10000);
    click(strip->tbPBLast);
    QTRY_COMPARE_WITH_TIMEOUT(modeText(0), QString("END"), 8000);
    QTRY_VERIFY(strip->showsPlay());
    QVERIFY(strip->labelSpeed->text() != QString("x1"));
    click(strip->tbPBPauseContinue);
    QTRY_VERIFY_WITH_TIMEOUT(playTime().isValid() && playTime() < QTime(12, 0, 2), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(modeText(0), QString("PLAY"), 5000);
}

void TestPlaybackSequences::closeAllChannelsClearsTheReadOuts() {
    m_window->openDayFolder(m_day);
    auto* latitude = m_window->findChild<QLabel*>("lbN");
    auto* x = m_window->findChild<QLabel*>("lbX");
    auto* speed = m_window->findChild<QLCDNumber*>("lcdSpeed");
    QVERIFY(latitude && x && speed);
    const QString idleLatitude = latitude->text();
    QTRY_VERIFY_WITH_TIMEOUT(latitude->text() != idleLatitude && speed->value() > 0, 10000);
    m_window->slotCloseAllCurrentPage();
    QCOMPARE(latitude->text(), idleLatitude);
    QCOMPARE(x->text(), QString("0"));
    QCOMPARE(speed->value(), 0.0);
    UCPlaybackStrip* strip = m_window->playbackStrip();
    QVERIFY(!strip->tbPBRW->isEnabled());
    QCOMPARE(strip->labelSpeed->text(), QString("x0"));
    // Nothing plays any more: the read-outs stay cleared.
    QVERIFY(!QTest::qWaitFor([&] { return latitude->text() != idleLatitude; }, 300));
}

void TestPlaybackSequences::fifosNamedLikeCardFilesDoNotBlock() {
    const QString root = QFileInfo(m_day).absolutePath();
    const QString setup = root + "/DVRSETUP.INI";
    const QString log = root + "/logs/20260301m/12.mlog";
    QVERIFY(QFile::rename(setup, setup + ".kept") && QFile::rename(log, log + ".kept"));
    QVERIFY(::mkfifo(QFile::encodeName(setup).constData(), 0600) == 0);
    QVERIFY(::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
    // Should an open block the GUI thread after all, a writer on another
    // thread lets it go after a deadline, so that the test fails instead of
    // hanging.
    std::promise<void> done;
    std::thread rescue([&setup, &log, finished = done.get_future()]() {
        if (finished.wait_for(std::chrono::seconds(8)) == std::future_status::ready) {
            return;
        }
        for (const QString& fifo : {setup, log}) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    });
    QElapsedTimer took;
    took.start();
    m_window->openDayFolder(m_day);
    // Playing at 12:00 makes the heartbeat load the G-sensor log of hour 12.
    const bool played = QTest::qWaitFor([&] { return playTime().isValid(); }, 6000);
    // A few heartbeats later: play goes on, so the GUI thread is not held.
    const QTime first = playTime();
    const bool goesOn = QTest::qWaitFor(
        [&] { return playTime().isValid() && playTime() > first.addMSecs(300); }, 3000);
    const qint64 ms = took.elapsed();
    done.set_value();
    rescue.join();
    QVERIFY(QFile::remove(setup) && QFile::remove(log));
    QVERIFY(QFile::rename(setup + ".kept", setup) && QFile::rename(log + ".kept", log));
    QVERIFY(played && goesOn);
    QVERIFY2(ms < 6000, qPrintable(QString::number(ms)));
}

QTEST_MAIN(TestPlaybackSequences)
#include "test_playback_sequences.moc"
