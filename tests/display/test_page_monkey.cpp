// A monkey on a playing 9-view page: random clicks, double clicks, drags,
// wheel steps, keys and Delete for KORVEL_MONKEY_SECONDS (60 unless set),
// with playback commands in between. Whatever it does, the page keeps
// playing: the scripts run it under AddressSanitizer, which turns a use after
// free or an overflow into a failure. The seed is printed, and
// KORVEL_MONKEY_SEED repeats a run.

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <memory>
#include <random>
#include <string>

#include "MakeCard.h"
#include "display/GLWidget.h"
#include "display/UCDisplayFrame.h"

class TestPageMonkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void randomInputOnAPlayingPage();

private:
    void openCard(UCDisplayFrame& page);

    QTemporaryDir m_dir;
    QByteArray m_dayFolder;
};

void TestPageMonkey::initTestCase() {
    qRegisterMetaType<GLWidget*>();
    QVERIFY(m_dir.isValid());
    mkcard::CardOptions card;
    card.outDir = m_dir.path().toStdString() + "/card";
    card.start = {2026, 3, 1, 12, 0, 0};
    card.filesPerChannel = 2;
    card.secondsPerFile = 10;
    card.channels = 9;
    card.width = 160;
    card.height = 96;
    card.fps = 10;
    // No audio: the sound plug-ins the system loads for an output leave
    // allocations behind that LeakSanitizer cannot name once they are gone.
    card.audio = mkcard::AudioCoding::None;
    card.jobs = 2;
    std::string error;
    QVERIFY2(mkcard::makeCard(card, &error), error.c_str());
    m_dayFolder = QByteArray::fromStdString(card.outDir + "/20260301");
}

void TestPageMonkey::openCard(UCDisplayFrame& page) {
    const QDateTime start(QDate(2026, 3, 1), QTime(12, 0, 0));
    QVERIFY(page.openRecordingSite(1, QPoint(-1, -1), 4, 2, start, m_dayFolder));
}

namespace {

// The pause a person leaves between inputs: events run meanwhile.
void holdFor(int ms) {
    QElapsedTimer held;
    held.start();
    static_cast<void>(QTest::qWaitFor([&] { return held.hasExpired(ms); }, ms + 1000));
}

}  // namespace

void TestPageMonkey::randomInputOnAPlayingPage() {
    const int seconds = qEnvironmentVariableIsSet("KORVEL_MONKEY_SECONDS")
                            ? qEnvironmentVariableIntValue("KORVEL_MONKEY_SECONDS")
                            : 60;
    const unsigned seed = qEnvironmentVariableIsSet("KORVEL_MONKEY_SEED")
                              ? static_cast<unsigned>(qEnvironmentVariableIntValue("KORVEL_MONKEY_SEED"))
                              : std::random_device()();
    qInfo("monkey: %d s, seed %u", seconds, seed);
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    auto page = std::make_unique<UCDisplayFrame>(nullptr);
    page->setAttribute(Qt::WA_DeleteOnClose, false);
    page->resize(900, 600);
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    openCard(*page);
    QTRY_VERIFY_WITH_TIMEOUT(!page->views().isEmpty() && page->views().first()->pictureWidth() == 160,
                             20000);

    // A message box (Delete's question, the view limit) would wait for a
    // click: answered with OK at once.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
                ok->click();
            } else {
                box->accept();
            }
        }
    });
    answer.start(20);

    const Qt::Key keys[] = {Qt::Key_Left,  Qt::Key_Right, Qt::Key_Up,  Qt::Key_Down, Qt::Key_Space,
                            Qt::Key_Return, Qt::Key_Escape, Qt::Key_I,   Qt::Key_Tab,  Qt::Key_Delete};
    QElapsedTimer clock;
    clock.start();
    int events = 0;
    int reopened = 0;
    while (clock.elapsed() < seconds * 1000) {
        if (page->viewCount() == 0) {
            // Delete took every view: the page plays a site again.
            openCard(*page);
            ++reopened;
        }
        const QPoint at(pick(page->width()), pick(page->height()));
        QWidget* target = page->childAt(at);
        if (target == nullptr) {
            target = page.get();
        }
        const QPoint local = target->mapFrom(page.get(), at);
        const Qt::KeyboardModifiers modifiers =
            pick(4) == 0 ? Qt::KeyboardModifiers(Qt::ControlModifier) : Qt::NoModifier;
        switch (pick(12)) {
            case 0:
            case 1:
            case 2:
                QTest::mouseClick(target, pick(5) == 0 ? Qt::RightButton : Qt::LeftButton,
                                  modifiers, local);
                break;
            case 3:
                QTest::mouseDClick(target, Qt::LeftButton, modifiers, local);
                break;
            case 4: {
                // A press held a while (long press, drag), then released
                // somewhere else.
                QTest::mousePress(target, Qt::LeftButton, modifiers, local);
                holdFor(pick(300));
                const QPoint to(pick(page->width()), pick(page->height()));
                QMouseEvent move(QEvent::MouseMove, page->mapFrom(page.get(), to),
                                 page->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, modifiers);
                QApplication::sendEvent(page.get(), &move);
                QTest::mouseRelease(page.get(), Qt::LeftButton, modifiers, to);
                break;
            }
            case 5:
            case 6: {
                QWheelEvent wheel(QPointF(local), QPointF(target->mapToGlobal(local)), QPoint(),
                                  QPoint(0, pick(2) == 0 ? 120 : -120), Qt::NoButton, modifiers,
                                  Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
                break;
            }
            case 7:
                QTest::keyClick(page.get(), keys[pick(10)],
                                pick(3) == 0 ? Qt::KeyboardModifiers(Qt::AltModifier) : modifiers);
                break;
            case 8:
                if (pick(4) == 0) {
                    QTest::keyClick(page.get(), Qt::Key_Delete);
                }
                break;
            case 9:
                page->setPlaySpeed(pick(15));
                break;
            case 10:
                switch (pick(5)) {
                    case 0:
                        page->pause();
                        break;
                    case 1:
                        page->resume();
                        break;
                    case 2:
                        page->rewind();
                        break;
                    default: {
                        QDateTime out;
                        pick(2) == 0 ? page->gotoFirst(out) : page->gotoLast(out);
                        break;
                    }
                }
                break;
            default:
                page->setSplitMode(pick(2) == 0 ? 4 : 9);
                break;
        }
        ++events;
        holdFor(pick(30));
    }
    qInfo("monkey: %d events, the site opened again %d times", events, reopened);

    // Still alive: from the start, pictures arrive again.
    page->closeAllViews();
    openCard(*page);
    QDateTime now;
    QTRY_VERIFY_WITH_TIMEOUT(page->currentDateTime(now), 20000);
    page->closeAllViews();
    page.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestPageMonkey)
#include "test_page_monkey.moc"
