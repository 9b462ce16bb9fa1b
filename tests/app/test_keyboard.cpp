// The main window driven from the keyboard on a generated card: every key's
// effect on the playback time, the speed and the layout; fast and rewind
// stepping through the speeds; the timeline seeking; snapshots and saved
// frames; the view's context menu; full screen; opening cards by dialog and
// by drop; the remembered session across two starts.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <functional>
#include <memory>

#include "ModalDriver.h"
#include "WindowTest.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/Shortcuts.h"
#include "app/UCPlaybackStrip.h"
#include "display/GLWidget.h"
#include "display/UCDayTimeline.h"
#include "display/UCDisplayFrame.h"
#include "display/UCDisplayLayout.h"
#include "widgets/CConfiguration.h"

using shortcuts::Command;

namespace {

const QDate kDay(2026, 3, 1);

QDateTime at(int h, int m, int s) {
    return QDateTime(kDay, QTime(h, m, s));
}

}  // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void playPauseAndSpeeds();
    void singleSteps();
    void seekKeysAndRecordings();
    void timelineSeeks();
    void splitGroupsAndFullScreen();
    void gridStaysWhole();
    void snapshotsNeverOverwrite();
    void contextMenuActsOnTheRightClickedView();
    void deleteAndSound();
    void listsKeepTheirNavigationKeys();
    void openingByDialogDropAndCommandLine();
    void sessionComesBack();

private:
    QDateTime playTime() const;
    QDateTime waitFor(const std::function<bool(const QDateTime&)>& pred, int ms = 8000) const;
    // Presses the key, then waits for the play time to be in [from, to).
    QDateTime seekWith(int k, Qt::KeyboardModifiers m, const QDateTime& from, const QDateTime& to);
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier);
    void playNormally();
    int visibleViews() const;
    UCDisplayFrame* frame() const;

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_card;
    QString m_day;
    std::unique_ptr<Korvel> m_window;
    UCPlaybackStrip* m_strip = nullptr;
};

void TestKeyboard::initTestCase() {
    QVERIFY(m_home.isValid() && m_dir.isValid());
    useOwnHome(m_home);
    m_day = writeDayCard(windowCard(m_dir, 4, 30));
    QVERIFY(!m_day.isEmpty());
    m_card = QFileInfo(m_day).path();
    g_config.setCloseAsk(true);
    g_config.save();

    m_window = std::make_unique<Korvel>();
    m_window->resize(1400, 900);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_strip = m_window->playbackStrip();
    m_window->openDayFolder(m_day);
    waitFor([](const QDateTime& t) { return t.isValid(); });
    // The file list is filled by its worker.
    auto* list = m_window->findChild<QTreeWidget*>("twFileList");
    QTRY_COMPARE(list->topLevelItemCount(), 4);
}

void TestKeyboard::cleanupTestCase() {
    if (m_window) {
        m_window->close();
        m_window.reset();
    }
}

QDateTime TestKeyboard::playTime() const {
    QDateTime t;
    IDisplayPage* page = m_window->currentPage();
    return page != nullptr && page->currentDateTime(t) ? t : QDateTime();
}

QDateTime TestKeyboard::waitFor(const std::function<bool(const QDateTime&)>& pred, int ms) const {
    // Just after a jump nothing is shown yet: no time at all, which no
    // expectation is met by.
    QDateTime t = playTime();
    QTRY_LOOP_IMPL(((t = playTime()).isValid() && pred(t)), ms, 20);
    if (!t.isValid() || !pred(t)) {
        qWarning("play time %s did not reach the expected place",
                 qPrintable(t.toString("hh:mm:ss.zzz")));
    }
    return t;
}

QDateTime TestKeyboard::seekWith(int k, Qt::KeyboardModifiers m, const QDateTime& from,
                                 const QDateTime& to) {
    key(k, m);
    const QDateTime t = waitFor([&](const QDateTime& x) { return x >= from && x < to; });
    [&] { QVERIFY2(t >= from && t < to, qPrintable(t.toString())); }();
    return t;
}

void TestKeyboard::key(int k, Qt::KeyboardModifiers m) {
    // Without a window manager nothing gives the window back its activation
    // after a dialog closed.
    if (!m_window->isActiveWindow()) {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    QTest::keyClick(m_window.get(), Qt::Key(k), m);
}

void TestKeyboard::playNormally() {
    if (m_window->currentPage()->isSelectedPaused()) {
        key(Qt::Key_Space);
    }
    int speed = 0;
    if (!m_window->currentPage()->getPlaySpeed(speed) || speed != 8) {
        m_window->currentPage()->resume();
    }
    QTRY_VERIFY(!m_window->currentPage()->isSelectedPaused());
}

UCDisplayFrame* TestKeyboard::frame() const {
    return qobject_cast<UCDisplayFrame*>(m_window->currentPage()->widget());
}

int TestKeyboard::visibleViews() const {
    int n = 0;
    for (GLWidget* v : frame()->views()) {
        n += v->isVisible() ? 1 : 0;
    }
    return n;
}

void TestKeyboard::playPauseAndSpeeds() {
    IDisplayPage* page = m_window->currentPage();
    QVERIFY(!page->isSelectedPaused());
    key(Qt::Key_Space);
    QVERIFY(page->isSelectedPaused());
    QVERIFY(m_strip->showsPlay());
    key(Qt::Key_Space);
    QVERIFY(!page->isSelectedPaused());

    // L: faster forward; J: backward, faster; K: pause. How the speeds step
    // is the strip's own test.
    key(Qt::Key_L);
    QCOMPARE(m_strip->labelSpeed->text(), QString("x2"));
    key(Qt::Key_J);
    QCOMPARE(m_strip->labelSpeed->text(), QString("x-1"));
    key(Qt::Key_K);
    QVERIFY(page->isSelectedPaused());
    QCOMPARE(m_strip->labelSpeed->text(), QString("x0"));
    key(Qt::Key_L);
    QCOMPARE(m_strip->labelSpeed->text(), QString("x1"));
    QVERIFY(!page->isSelectedPaused());
}

void TestKeyboard::singleSteps() {
    playNormally();
    key(Qt::Key_Home);
    waitFor([](const QDateTime& t) { return t.isValid() && t >= at(12, 0, 1); });
    GLWidget* view = frame()->selection().first();
    IDisplayPage* page = m_window->currentPage();
    key(Qt::Key_Period);
    QVERIFY(page->isSelectedPaused());
    QVERIFY(m_strip->showsPlay());
    QCOMPARE(m_strip->labelSpeed->text(), QString("x0"));
    const QDateTime first = waitFor([](const QDateTime& t) { return t.isValid(); });
    // Each step shows a new picture (the card moves in every one); six
    // pictures at 5 per second take the time past the next second. The
    // seventh is the strip's button, which does the same as the key.
    for (int i = 0; i < 7; ++i) {
        // A person presses the next step after seeing the last one: a view
        // still holding a picture it has not drawn drops the next.
        QTRY_VERIFY(!view->hasPendingPicture());
        const QImage before = view->pictureImage(0);
        if (i < 6) {
            key(Qt::Key_Period);
        } else {
            m_strip->tbPBForwordFrame->click();
        }
        QTRY_VERIFY(view->pictureImage(0) != before);
    }
    QDateTime t = waitFor([&](const QDateTime& x) { return x > first; });
    QVERIFY2(t > first && t <= first.addSecs(2), qPrintable(t.toString()));
    // Backward steps go a key frame (a second) back at a time. The first
    // may show the key frame of the picture shown, or a picture read forward
    // just before the turn.
    QDateTime back;
    for (int i = 0; i < 3 && !(back.isValid() && back < t); ++i) {
        QTRY_VERIFY(!view->hasPendingPicture());
        key(Qt::Key_Comma);
        back = waitFor([&](const QDateTime& x) { return x < t; }, 1500);
    }
    QVERIFY2(back < t, qPrintable(back.toString()));
    QVERIFY(page->isSelectedPaused());
    key(Qt::Key_Space);
    QVERIFY(!page->isSelectedPaused());
}

void TestKeyboard::seekKeysAndRecordings() {
    playNormally();
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    seekWith(Qt::Key_Home, none, at(12, 0, 0), at(12, 0, 4));
    seekWith(Qt::Key_Right, none, at(12, 0, 5), at(12, 0, 12));
    seekWith(Qt::Key_Right, Qt::ShiftModifier, at(12, 1, 5), at(12, 1, 14));
    const QDateTime t = seekWith(Qt::Key_Left, Qt::ShiftModifier, at(12, 0, 4), at(12, 0, 20));
    seekWith(Qt::Key_Left, none, at(12, 0, 0), t.addSecs(-3));

    // ] and [ go from recording to recording of the list.
    auto* list = m_window->findChild<QTreeWidget*>("twFileList");
    seekWith(Qt::Key_BracketRight, none, at(12, 0, 30), at(12, 0, 40));
    QCOMPARE(list->currentItem()->text(0), QString("12:00:30"));
    seekWith(Qt::Key_BracketRight, none, at(12, 1, 0), at(12, 1, 10));
    seekWith(Qt::Key_BracketLeft, none, at(12, 0, 30), at(12, 0, 40));
    QCOMPARE(list->currentItem()->text(0), QString("12:00:30"));
    seekWith(Qt::Key_End, none, at(12, 1, 30), at(12, 2, 0));
    seekWith(Qt::Key_Home, none, at(12, 0, 0), at(12, 0, 10));
}

void TestKeyboard::timelineSeeks() {
    playNormally();
    UCDayTimeline* timeline = m_window->timeline();
    QCOMPARE(timeline->day(), kDay);
    // The spans of the day come from the card: 12:00:00 to the last key frame.
    QTRY_COMPARE(timeline->spans().size(), 1);
    QCOMPARE(timeline->spans().first().startMs, 12LL * 3600 * 1000);
    QCOMPARE(timeline->spans().first().endMs, (12LL * 3600 + 119) * 1000);
    // The play position follows playing.
    QTRY_VERIFY(timeline->position() >= 12LL * 3600 * 1000);

    const qint64 target = (12LL * 3600 + 80) * 1000;
    QTest::mouseClick(timeline, Qt::LeftButton, Qt::NoModifier,
                      QPoint(timeline->xAt(target), timeline->height() / 2));
    const QDateTime t = waitFor([](const QDateTime& x) { return x >= at(12, 1, 18); });
    QVERIFY2(t >= at(12, 1, 18) && t < at(12, 1, 28), qPrintable(t.toString()));
    QTRY_VERIFY(std::abs(timeline->position() - target) < 10000);
}

void TestKeyboard::splitGroupsAndFullScreen() {
    QCOMPARE(visibleViews(), 9);
    key(Qt::Key_1);
    QCOMPARE(visibleViews(), 1);
    QCOMPARE(m_window->splitMode(), 1);
    GLWidget* shown = frame()->selection().first();
    key(Qt::Key_PageDown);
    QVERIFY(frame()->selection().first() != shown);
    QCOMPARE(frame()->views().indexOf(frame()->selection().first()), 1);
    key(Qt::Key_PageUp);
    QCOMPARE(frame()->views().indexOf(frame()->selection().first()), 0);
    key(Qt::Key_4);
    QCOMPARE(visibleViews(), 4);
    key(Qt::Key_9, Qt::ControlModifier);
    QCOMPARE(visibleViews(), 9);
    QCOMPARE(m_window->splitMode(), 9);

    // F: the views take the whole screen; Esc: back.
    key(Qt::Key_F);
    QVERIFY(m_window->isFullScreenMode());
    QVERIFY(frame()->isFullScreen());
    QVERIFY(!m_window->findChild<QWidget*>("wgBottomBar")->isVisible());
    QTRY_COMPARE(frame()->displayLayout()->layoutRect(), frame()->rect());
    key(Qt::Key_Escape);
    QVERIFY(!m_window->isFullScreenMode());
    QVERIFY(m_window->findChild<QWidget*>("wgBottomBar")->isVisible());
    QTRY_VERIFY(frame()->displayLayout()->layoutRect().height() < frame()->height());
    // Esc outside full screen is left to whoever else wants it.
    QVERIFY(!m_window->shortcutAction(Command::LeaveFullScreen)->isEnabled());
}

void TestKeyboard::gridStaysWhole() {
    UCDisplayLayout* layout = frame()->displayLayout();
    auto* bottom = m_window->findChild<QWidget*>("wgBottomBar");
    QTRY_COMPARE(bottom->geometry().bottom(), bottom->parentWidget()->height() - 1);
    QTRY_VERIFY(!layout->layoutRect().isNull());
    const QRect fit = layout->layoutRect();
    auto wheel = [this](int dy) {
        const QPointF at(frame()->width() / 2.0, frame()->height() / 3.0);
        QWheelEvent e(at, QPointF(frame()->mapToGlobal(at.toPoint())), QPoint(), QPoint(0, dy),
                      Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(frame(), &e);
        // Steps closer than the guard are one step.
        QElapsedTimer since;
        since.start();
        QVERIFY(QTest::qWaitFor([&] { return since.hasExpired(UCDisplayFrame::kWheelGuardMs + 5); }));
    };
    wheel(120);
    wheel(120);
    QVERIFY(layout->layoutRect().width() > fit.width());
    // Zooming out goes back to the grid that fits, never below it.
    for (int i = 0; i < 5; ++i) {
        wheel(-120);
    }
    QCOMPARE(layout->layoutRect(), fit);

    // Bars that slide away leave their room to the grid, and take it back.
    m_window->slotShowHideBottombar();
    QTRY_COMPARE(layout->layoutRect().bottom(), frame()->rect().bottom());
    // The restore tab at the window's bottom edge is the tab over its whole
    // height, not the window's size grip.
    auto* restore = m_window->findChild<QPushButton*>("pbShowHideBottomBar");
    QTRY_COMPARE(restore->mapTo(m_window.get(), QPoint(0, restore->height())).y(),
                 m_window->height());
    for (int y : {0, restore->height() - 1}) {
        const QPoint p = restore->mapTo(m_window.get(), QPoint(restore->width() / 2, y));
        QCOMPARE(m_window->childAt(p), static_cast<QWidget*>(restore));
    }
    m_window->slotShowHideBottombar();
    QTRY_COMPARE(layout->layoutRect(), fit);
    // A zoomed grid too: the bar's room is given and taken with the grid
    // fitted anew.
    wheel(120);
    m_window->slotShowHideLeftbar();
    QTRY_COMPARE(layout->layoutRect(), QRect(0, fit.top(), fit.right() + 1, fit.height()));
    m_window->slotShowHideLeftbar();
    QTRY_COMPARE(layout->layoutRect(), fit);
}

void TestKeyboard::snapshotsNeverOverwrite() {
    key(Qt::Key_K);
    waitFor([](const QDateTime& t) { return t.isValid(); });
    // A capture folder that does not exist yet is made.
    const QString folder = m_dir.path() + "/shots/new";
    g_config.setCapturePath(folder);
    ModalDriver boxes;
    key(Qt::Key_S);
    key(Qt::Key_S);
    key(Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(boxes.titles, (QStringList{"Capture", "Capture", "Save frame"}));
    const QStringList shots = QDir(folder).entryList({"*.png"}, QDir::Files);
    QCOMPARE(shots.size(), 3);
    // The box names the file written; the second capture of the same second
    // got a name of its own.
    const QString capture = boxes.texts.at(0).section('\n', 1);
    QVERIFY2(capture.startsWith(folder + "/") && capture.endsWith("_ch01.png"),
             qPrintable(capture));
    QCOMPARE(boxes.texts.at(1).section('\n', 1), QString(capture).replace(".png", "-1.png"));
    const QString saved = boxes.texts.at(2).section('\n', 1);
    QVERIFY2(saved.endsWith("_ch01_frame.png"), qPrintable(saved));
    for (const QString& path : {capture, saved}) {
        QVERIFY(shots.contains(QFileInfo(path).fileName()));
    }
    // The saved frame is the picture as recorded, not the view as shown.
    QCOMPARE(QImage(saved).size(), QSize(160, 96));
    QCOMPARE(QImage(capture).size(), frame()->selection().first()->size());
    key(Qt::Key_Space);
}

void TestKeyboard::contextMenuActsOnTheRightClickedView() {
    QList<GLWidget*> views = frame()->views();
    GLWidget* selected = views.at(0);
    frame()->selectOnly(selected);
    GLWidget* other = views.at(1);
    QVERIFY(other->isVisible());
    const QPoint pos = m_window->findChild<QTabWidget*>("twDisplay")
                           ->mapFromGlobal(other->mapToGlobal(other->rect().center()));
    QStringList entries;
    QTimer::singleShot(0, this, [&entries] {
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator()) {
                entries << a->objectName();
            }
        }
        menu->findChild<QAction*>("actCloseChannel")->trigger();
        menu->close();
    });
    m_window->slotDisplayContextMenu(pos);
    QVERIFY(entries.contains("actCapture") && entries.contains("actSaveFrame") &&
            entries.contains("actPrint"));
    QTRY_VERIFY(!frame()->views().contains(other));
    QVERIFY(frame()->views().contains(selected));
    QCOMPARE(frame()->views().size(), 8);
}

void TestKeyboard::deleteAndSound() {
    const int before = frame()->views().size();
    frame()->selectOnly(frame()->views().at(1));
    {
        ModalDriver boxes;  // answers the question with OK
        key(Qt::Key_Delete);
        QCOMPARE(boxes.titles, QStringList{"Close Channel(s)"});
    }
    QCOMPARE(frame()->views().size(), before - 1);

    // M mutes and unmutes; 9 and 0 turn the volume down and up.
    key(Qt::Key_M);
    QVERIFY(m_strip->isMuted());
    key(Qt::Key_M);
    QVERIFY(!m_strip->isMuted());
    key(Qt::Key_9);
    key(Qt::Key_9);
    QCOMPARE(m_strip->volume(), 80);
    QCOMPARE(m_strip->hsPBVolume->value(), 80);
    key(Qt::Key_0);
    QCOMPARE(m_strip->volume(), 90);
}

void TestKeyboard::listsKeepTheirNavigationKeys() {
    auto* list = m_window->findChild<QTreeWidget*>("twFileList");
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(0));
    QSignalSpy last(m_window->shortcutAction(Command::Last), &QAction::triggered);
    QSignalSpy playPause(m_window->shortcutAction(Command::PlayPause), &QAction::triggered);
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(list->currentItem(), list->topLevelItem(3));
    QCOMPARE(last.count(), 0);
    // Keys the list does not move with still reach the window.
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(playPause.count(), 1);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(playPause.count(), 2);
}

void TestKeyboard::openingByDialogDropAndCommandLine() {
    // Dropping a card root shows that card; dropping a day folder opens it; a
    // file is refused as it enters. Whether the drag entered is returned.
    auto drop = [this](const QString& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(m_window.get(), &enter);
        QDropEvent dropEvent(QPointF(400, 300), Qt::CopyAction, &mime, Qt::LeftButton,
                             Qt::NoModifier);
        if (enter.isAccepted()) {
            QApplication::sendEvent(m_window.get(), &dropEvent);
        }
        return enter.isAccepted();
    };
    QVERIFY(!drop(m_day + "/120000000.ssf"));

    const QString other = m_dir.path() + "/other";
    QVERIFY(QDir().mkpath(other + "/20260302"));
    QVERIFY(drop(other));
    QCOMPARE(m_window->cardRoot(), other);
    QVERIFY(drop(m_day));
    QCOMPARE(m_window->currentFolder(), m_day);
    waitFor([](const QDateTime& t) { return t.isValid(); });

    // Ctrl+O: a folder dialog; the folder chosen opens.
    ModalDriver modal;
    QStringList titles;
    modal.onDialog = [&](QDialog* dialog) {
        titles << dialog->windowTitle();
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files != nullptr);
        QCOMPARE(files->fileMode(), QFileDialog::Directory);
        files->selectFile(other);
        static_cast<QDialog*>(files)->accept();
    };
    key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(titles, QStringList{"Open a card or a day folder"});
    QCOMPARE(m_window->cardRoot(), other);

    // A folder that is not there is named in a message, nothing changes.
    QVERIFY(!m_window->openStartFolder(m_dir.path() + "/gone"));
    QCOMPARE(modal.texts.size(), 1);
    QVERIFY(modal.texts.first().contains(m_dir.path() + "/gone"));
    QCOMPARE(m_window->cardRoot(), other);

    m_window->openDayFolder(m_day);
    waitFor([](const QDateTime& t) { return t.isValid(); });
}

void TestKeyboard::sessionComesBack() {
    key(Qt::Key_4);
    m_window->playbackStrip()->setVolume(40);
    m_window->setGeometry(QRect(70, 60, 1300, 850));
    const QRect geometry = m_window->geometry();
    key(Qt::Key_Q, Qt::ControlModifier);  // no question asked: CLOSE_ASK is set
    QVERIFY(!m_window->isVisible());
    m_window.reset();

    // A second start in the same home: where it was, the same day, paused on
    // its first picture, in four views, with the same sound.
    Korvel second;
    second.restoreGeometryState();
    QCOMPARE(second.geometry(), geometry);
    QCOMPARE(second.playbackStrip()->volume(), 40);
    second.show();
    second.restoreSession();
    QCOMPARE(second.currentFolder(), m_day);
    QCOMPARE(second.cardRoot(), m_card);
    QCOMPARE(second.splitMode(), 4);
    QDateTime shown;
    QTRY_VERIFY_WITH_TIMEOUT(second.currentPage()->currentDateTime(shown), 8000);
    QTRY_VERIFY(second.currentPage()->isSelectedPaused());
    QVERIFY(shown < at(12, 0, 5));
    second.close();
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
