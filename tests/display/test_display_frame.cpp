// The display page against real recording sites on a generated card.

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

#include "ModalDriver.h"
#include "TestSupport.h"
#include "display/GLWidget.h"
#include "display/PcmRingDevice.h"
#include "display/UCDisplayFrame.h"
#include "display/UCDisplayLayout.h"
#include "display/UCScreenBottomMenu.h"

namespace {

constexpr int kPictureTimeoutMs = 20000;

// Lets events run until `ms` have passed since `since` started.
void processUntil(const QElapsedTimer& since, int ms) {
    static_cast<void>(QTest::qWaitFor([&] { return since.hasExpired(ms); }, ms + 1000));
}

// Whether the view's picture time moves on by more than `ms` from the one it
// shows now.
bool playsOn(const GLWidget* view, int ms = 0) {
    QDateTime from;
    QDateTime now;
    return view->dateTimeOf(0, from) && from.isValid() &&
           QTest::qWaitFor([&] { return view->dateTimeOf(0, now) && now > from.addMSecs(ms); },
                           kPictureTimeoutMs);
}

}  // namespace

class TestDisplayFrame : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void recordingSitePlays();
    void viewLimitMessage();
    void selectionSpeedColoursAndDelete();
    void popupAndDoubleClick();
    void wheelZoomGuard();
    void sitesChannelsErrorsAndClose();
    void ringDeviceBounds();

private:
    void openCard(UCDisplayFrame& page);

    mkcard::CardOptions m_card;
    std::unique_ptr<testsupport::Card> m_written;
    QByteArray m_dayFolder;
    QDateTime m_start;
    std::unique_ptr<UCDisplayFrame> m_page;
};

void TestDisplayFrame::initTestCase() {
    qRegisterMetaType<GLWidget*>();
    m_card = testsupport::smallCard("display_frame");
    m_card.channels = 4;
    m_card.secondsPerFile = 8;
    m_written = std::make_unique<testsupport::Card>(m_card);
    QVERIFY2(m_written->ok(), m_written->error().c_str());
    m_dayFolder = QByteArray::fromStdString(m_written->day());
    m_start = QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0));
}

void TestDisplayFrame::init() {
    m_page = std::make_unique<UCDisplayFrame>(nullptr);
    // The test owns the page; Qt must not delete it on close.
    m_page->setAttribute(Qt::WA_DeleteOnClose, false);
    m_page->resize(960, 600);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestDisplayFrame::cleanup() {
    m_page.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestDisplayFrame::openCard(UCDisplayFrame& page) {
    QVERIFY(page.openRecordingSite(1, QPoint(-1, -1), 4, 2, m_start, m_dayFolder));
}

void TestDisplayFrame::recordingSitePlays() {
    UCDisplayFrame& page = *m_page;
    int speed = -1;
    QCOMPARE(page.playMode(), 1);
    QVERIFY(!page.getPlaySpeed(speed));
    QDateTime unchanged;
    QVERIFY(!page.gotoLast(unchanged));
    QSignalSpy focus(&page, &UCDisplayFrame::signalChangeFocus);
    openCard(page);

    const QList<GLWidget*> views = page.views();
    QCOMPARE(views.size(), 9);
    QCOMPARE(page.displayLayout()->rowCount(), 3);
    QCOMPARE(page.displayLayout()->columnCount(), 3);
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(views[i]->channelOf(0), i);
        QVERIFY(views[i]->sourceOf(0) == views[0]->sourceOf(0));
    }
    QCOMPARE(page.selection(), QList<GLWidget*>{views[0]});
    QVERIFY(views[0]->isSelected());
    QCOMPARE(focus.count(), 1);

    // Pictures of the card's channels arrive in their views at the card's size,
    // with the overlay texts that came along through the queued signals.
    for (int ch = 0; ch < m_card.channels; ++ch) {
        QTRY_COMPARE_WITH_TIMEOUT(views[ch]->pictureWidth(), m_card.width, kPictureTimeoutMs);
        QCOMPARE(views[ch]->pictureHeight(), m_card.height);
    }
    QTRY_VERIFY_WITH_TIMEOUT(views[0]->bottomBar()->text(3).startsWith("03/01/2026 12:00:"),
                             kPictureTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(views[0]->bottomBar()->text(0), QString("PLAY"), kPictureTimeoutMs);
    // A channel the card does not have keeps its placeholder state.
    QCOMPARE(views[8]->bottomBar()->text(0), QString("No Channel"));
    QCOMPARE(views[8]->pictureWidth() == m_card.width, false);

    // The refresh tick makes the views paint (and upload) their pictures.
    QTRY_VERIFY_WITH_TIMEOUT(views[0]->textureCreations() > 0, kPictureTimeoutMs);

    QDateTime now;
    QTRY_VERIFY_WITH_TIMEOUT(page.currentDateTime(now), kPictureTimeoutMs);
    QCOMPARE(now.date(), QDate(2026, 3, 1));
    QTRY_VERIFY_WITH_TIMEOUT(page.latestGsensor() != nullptr, kPictureTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(page.latestGps() != nullptr, kPictureTimeoutMs);

    // The card's G.711 audio decodes to 16-bit mono at 8 kHz; the page takes
    // that format whether or not a device plays it (Xvfb has none).
    QTRY_COMPARE_WITH_TIMEOUT(page.audioFormat().sampleRate(), mkcard::kAudioSampleRate,
                              kPictureTimeoutMs);
    QCOMPARE(page.audioFormat().sampleSize(), 16);
    QCOMPARE(page.audioFormat().channelCount(), 1);
    QVERIFY(page.bufferedAudioBytes() <= UCDisplayFrame::kMaxAudioBufferBytes);
    qInfo() << "audio output device:" << (page.audioOutput() ? "present" : "none");

    // With nothing selected no audio is taken, while the other views play on.
    GLWidget* other = page.views().at(1);
    page.closeSelectedViews();
    QVERIFY(page.selection().isEmpty());
    QCoreApplication::processEvents();
    const qint64 before = page.bufferedAudioBytes();
    QVERIFY(playsOn(other, 999));
    QVERIFY(page.bufferedAudioBytes() <= before);

    // Playback commands reach the site of the selected view.
    QTest::mouseClick(other, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QCOMPARE(page.playMode(), 2);
    page.setPlaySpeed(11);
    QVERIFY(page.getPlaySpeed(speed));
    QCOMPARE(speed, 11);
    QCOMPARE(other->bottomBar()->backgroundColor(), UCDisplayFrame::playSpeedColor(11));
    page.pause();
    QVERIFY(page.isSelectedPaused());
    QCOMPARE(other->bottomBar()->backgroundColor().alpha(), 0);
    page.resume();
    QVERIFY(!page.isSelectedPaused());
    QDateTime firstRecord;
    QVERIFY(page.gotoFirst(firstRecord));
    QCOMPARE(firstRecord, m_start);
    // Jump to the last recording: the pictures follow to its time.
    QDateTime last;
    QVERIFY(page.gotoLast(last));
    QCOMPARE(last.date(), QDate(2026, 3, 1));
    QVERIFY(last.time() >= QTime(12, 0, 8));
    page.setPlaySpeed(8);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QDateTime shown;
            return other->dateTimeOf(0, shown) && shown.time() >= QTime(12, 0, 8);
        }(),
        kPictureTimeoutMs);
    QDateTime lastRecord;
    QVERIFY(page.lastRecordDateTime(lastRecord));
    QCOMPARE(lastRecord, last);
}

void TestDisplayFrame::viewLimitMessage() {
    UCDisplayFrame& page = *m_page;
    openCard(page);
    for (int i = 9; i < UCDisplayFrame::kMaxViews; ++i) {
        QVERIFY(page.openChannel(1, i % 4, QPoint(-1, -1), 2, m_start));
    }
    QCOMPARE(page.viewCount(), 36);

    ModalDriver closer;
    QVERIFY(!page.openChannel(1, 0, QPoint(-1, -1), 2, m_start));
    QCOMPARE(page.viewCount(), 36);
    QCOMPARE(closer.titles, QStringList{"Korvel Lite Version"});
    QCOMPARE(closer.texts, QStringList{"Korvel lite version only supports up to 36 channels."});

    // A site needs nine places: with 28 views it is refused as well.
    const QList<GLWidget*> all = page.views();
    for (int i = 28; i < 36; ++i) {
        page.slotCloseClicked(all[i]);
    }
    QCOMPARE(page.viewCount(), 28);
    QVERIFY(!page.openRecordingSite(2, QPoint(-1, -1), 4, 2, m_start, m_dayFolder));
    QCOMPARE(page.viewCount(), 28);
    QCOMPARE(closer.titles.size(), 2);
}

void TestDisplayFrame::selectionSpeedColoursAndDelete() {
    UCDisplayFrame& page = *m_page;
    {
        ModalDriver closer;  // nothing selected: no question
        page.slotShortkeyDelete();
        QVERIFY(closer.titles.isEmpty());
    }
    openCard(page);
    const QList<GLWidget*> v = page.views();

    // A plain click on the ninth view selects nothing.
    QTest::mouseClick(v[8], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QCOMPARE(page.selection(), QList<GLWidget*>{v[0]});
    QVERIFY(!v[8]->isSelected());

    // Ctrl adds views 0 to 7, never the ninth.
    QTest::mouseClick(v[3], Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
    QTest::mouseClick(v[7], Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
    QTest::mouseClick(v[8], Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
    QCOMPARE(page.selection(), (QList<GLWidget*>{v[0], v[3], v[7]}));
    QVERIFY(v[3]->isSelected() && v[7]->isSelected() && !v[8]->isSelected());

    // A plain click replaces the selection.
    QSignalSpy focus(&page, &UCDisplayFrame::signalChangeFocus);
    QTest::mouseClick(v[5], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QCOMPARE(page.selection(), QList<GLWidget*>{v[5]});
    QVERIFY(v[5]->isSelected() && !v[0]->isSelected() && !v[3]->isSelected());
    QCOMPARE(focus.count(), 1);

    // Commands follow the selection: the selected view's channel answers.
    int channel = -1;
    QVERIFY(page.selectedChannel(channel));
    QCOMPARE(channel, 5);

    // Backward speeds tint every selected view of a playing site; getPlaySpeed
    // then tints all views of that site. Normal speed and paused are untinted.
    QCOMPARE(UCDisplayFrame::playSpeedColor(8).alpha(), 0);
    QVERIFY(UCDisplayFrame::playSpeedColor(4) != UCDisplayFrame::playSpeedColor(12));
    QTest::mouseClick(v[1], Qt::LeftButton, Qt::ControlModifier, QPoint(40, 40));
    page.setPlaySpeed(4);
    const QColor backward = UCDisplayFrame::playSpeedColor(4);
    QCOMPARE(v[5]->bottomBar()->backgroundColor(), backward);
    QCOMPARE(v[1]->bottomBar()->backgroundColor(), backward);
    int speed = -1;
    QVERIFY(page.getPlaySpeed(speed));
    QCOMPARE(speed, 4);
    QCOMPARE(v[6]->bottomBar()->backgroundColor(), backward);

    // Delete asks first, closes the selected views and selects the first left.
    {
        ModalDriver no(QMessageBox::No);
        page.slotShortkeyDelete();
        QCOMPARE(no.titles, QStringList{"Close Channel(s)"});
        QCOMPARE(page.viewCount(), 9);
    }
    {
        ModalDriver ok(QMessageBox::Ok);
        page.slotShortkeyDelete();
        QCOMPARE(ok.texts, QStringList{"Do you want to close the selected channel(s)?"});
    }
    QCOMPARE(page.viewCount(), 7);
    QVERIFY(!page.views().contains(v[5]) && !page.views().contains(v[1]));
    QCOMPARE(page.selection(), QList<GLWidget*>{v[0]});
}

void TestDisplayFrame::popupAndDoubleClick() {
    UCDisplayFrame& page = *m_page;
    openCard(page);
    const QList<GLWidget*> v = page.views();
    QTRY_VERIFY(!v[4]->isPaintSuppressed());  // the block's layout animation ended
    const QRect cell = v[4]->geometry();
    QVERIFY(cell.width() < page.width() / 2);

    // The first release makes the view the hovered one; releasing on it
    // again pops it up to half the page, covering its cell's far edges.
    // (The pointer of the virtual screen may rest on the view already.)
    page.slotWidgetLeaveEvent(v[4], nullptr);
    QTest::mouseClick(v[4], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QVERIFY(!QTest::qWaitFor([&] { return v[4]->isPoppedUp(); }, UCDisplayFrame::kPopupMs + 50));
    QTest::mouseClick(v[4], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QTRY_VERIFY(v[4]->isPoppedUp());
    QTRY_COMPARE(v[4]->geometry().size(), QSize(page.width() / 2, page.height() / 2));
    QVERIFY(v[4]->geometry().contains(cell.bottomRight()));
    // The next release puts it back.
    QTest::mouseClick(v[4], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QTRY_VERIFY(!v[4]->isPoppedUp());
    QTRY_COMPARE(v[4]->geometry(), cell);

    // A double click hands the view to the main window, for the first eight
    // views only.
    QSignalSpy enlarge(&page, &UCDisplayFrame::signalDoubleClickOnView);
    QTest::mouseDClick(v[2], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QTest::mouseDClick(v[8], Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QCOMPARE(enlarge.count(), 1);
    QCOMPARE(enlarge.at(0).at(1).value<GLWidget*>(), v[2]);
}

void TestDisplayFrame::wheelZoomGuard() {
    UCDisplayFrame& page = *m_page;
    openCard(page);
    const QRect before = page.displayLayout()->layoutRect();
    QVERIFY(before.width() > 0);
    QElapsedTimer guard;
    guard.start();
    processUntil(guard, UCDisplayFrame::kWheelGuardMs);  // past the guard since the page was made

    auto wheel = [&page](int delta) {
        const QPoint at(page.width() / 2, page.height() / 2);
        QWheelEvent event(QPointF(at), QPointF(page.mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&page, &event);
    };
    // Two steps at once zoom once.
    QElapsedTimer between;
    between.start();
    wheel(120);
    wheel(120);
    const qint64 apart = between.elapsed();
    const QRect once = page.displayLayout()->layoutRect();
    if (apart < UCDisplayFrame::kWheelGuardMs) {
        QCOMPARE(once.width(), qRound(before.width() * 1.2));
    } else {
        // A machine this busy cannot tell the guard apart; only the zoom
        // itself is checked.
        QVERIFY(once.width() >= qRound(before.width() * 1.2));
    }
    processUntil(between, int(apart) + UCDisplayFrame::kWheelGuardMs + 1);
    wheel(120);
    QCOMPARE(page.displayLayout()->layoutRect().width(), qRound(once.width() * 1.2));

    // The point under the cursor stays where it was.
    const double fx = double(page.width() / 2 - before.x()) / before.width();
    const double fxOnce = double(page.width() / 2 - once.x()) / once.width();
    QVERIFY(qAbs(fx - fxOnce) < 0.01);
}

void TestDisplayFrame::sitesChannelsErrorsAndClose() {
    UCDisplayFrame& page = *m_page;
    openCard(page);
    // A second view of channel 1 joins the open site.
    QVERIFY(page.openChannel(1, 1, QPoint(-1, -1), 2, m_start));
    const QList<GLWidget*> v = page.views();
    QCOMPARE(v.size(), 10);
    QVERIFY(v[9]->sourceOf(0) == v[1]->sourceOf(0));
    QCOMPARE(v[9]->channelOf(0), 1);
    QTRY_COMPARE_WITH_TIMEOUT(v[9]->pictureWidth(), m_card.width, kPictureTimeoutMs);

    // Closing one of two views of a channel keeps the channel playing in the
    // other one.
    page.slotCloseClicked(v[1]);
    QCOMPARE(page.viewCount(), 9);
    QVERIFY(playsOn(v[9]));

    // A network error detaches the views of its site; the other site plays on.
    const QList<GLWidget*> firstSite = page.views();
    QVERIFY(page.openRecordingSite(2, QPoint(-1, -1), 4, 2, m_start, m_dayFolder));
    QList<GLWidget*> secondSite = page.views();
    for (GLWidget* view : firstSite) {
        secondSite.removeAll(view);
    }
    QCOMPARE(secondSite.size(), 9);
    QVERIFY(secondSite[0]->sourceOf(0) != firstSite[0]->sourceOf(0));
    QTRY_COMPARE_WITH_TIMEOUT(secondSite[0]->pictureWidth(), m_card.width, kPictureTimeoutMs);
    emit page.signalNetworkError(1, 5, "Connection lost");
    for (GLWidget* view : firstSite) {
        QVERIFY(view->sourceOf(0) == nullptr);
        QCOMPARE(view->bottomBar()->text(0), QString("Connection lost"));
    }
    QVERIFY(playsOn(secondSite[0]));
    QCOMPARE(page.viewCount(), 18);
    // Texts queued by the closed site before it stopped do not cover the error.
    QCOMPARE(firstSite[0]->bottomBar()->text(0), QString("Connection lost"));

    // Closing the page stops and closes the site while pictures flow; queued
    // texts for the closed views are dropped.
    QSignalSpy closed(&page, &UCDisplayFrame::signalCloseDisplay);
    QVERIFY(page.close());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(page.viewCount(), 0);
    QVERIFY(page.selection().isEmpty());
    QCOMPARE(page.playMode(), 1);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void TestDisplayFrame::ringDeviceBounds() {
    PcmRingDevice device(10);
    QVERIFY(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    device.append("abcdef", 6, 2);
    device.append("ghijkl", 6, 2);
    // Oldest whole frames dropped: "ab" goes, two-byte frames stay aligned.
    QCOMPARE(device.bufferedBytes(), qint64(10));
    QCOMPARE(device.read(4), QByteArray("cdef"));
    QCOMPARE(device.read(6), QByteArray("ghijkl"));
    // Empty: silence keeps the output fed.
    const QByteArray silence = device.read(8);
    QCOMPARE(silence, QByteArray(8, '\0'));
    QCOMPARE(device.silenceBytes(), qint64(8));
    // A block larger than the capacity keeps its newest whole frames.
    device.append("0123456789ABC", 13, 4);
    QCOMPARE(device.read(8), QByteArray("56789ABC"));
}

QTEST_MAIN(TestDisplayFrame)
#include "test_display_frame.moc"
