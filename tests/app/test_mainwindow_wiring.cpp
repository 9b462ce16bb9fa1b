// The main window's dialogs and analysis views on a generated card: the
// export dialog (an export off the GUI thread that reports and remembers its
// folder, a Cancel that leaves nothing, the window's button opening it on the
// opened day around the playing time), the capture file name, a capture that
// keeps the GL picture, the G-sensor graph of the opened day and its picks,
// and the print preview.

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "WindowTest.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/UCDlgExport.h"
#include "display/GLWidget.h"
#include "display/UCDayTimeline.h"
#include "views/GsensorPlot.h"

class TestMainWindowWiring : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void exportsOffTheGuiThreadAndRemembersTheFolder();
    void cancelStopsTheExportAndLeavesNothing();
    void mainWindowOpensItOnTheOpenedDay();
    void captureKeepsThePicture();
    void graphFollowsTheDayAndSeeks();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_day;
};

void TestMainWindowWiring::initTestCase() {
    QVERIFY(m_home.isValid() && m_dir.isValid());
    useOwnHome(m_home);
    mkcard::CardOptions card = windowCard(m_dir, 2, 15);
    card.start = {2026, 3, 1, 0, 0, 0};
    m_day = writeDayCard(card);
    QVERIFY(!m_day.isEmpty());
}

void TestMainWindowWiring::exportsOffTheGuiThreadAndRemembersTheFolder() {
    const QString folder = m_dir.path() + "/clips";
    QVERIFY(QDir().mkpath(folder));
    {
        UCDlgExport dialog;
        dialog.setDay(m_day, nullptr);
        dialog.setRange(5'000, 20'000);
        dialog.setKind(UCDlgExport::Clips);
        dialog.setFolder(folder);
        dialog.show();
        QSignalSpy finished(&dialog, &UCDlgExport::signalExportFinished);
        QVERIFY(dialog.startExport());
        QVERIFY(dialog.running());
        // The window stays responsive: the export runs on its own thread.
        QVERIFY(!dialog.findChild<QPushButton*>("pbExport")->isEnabled());
        QCOMPARE(dialog.findChild<QPushButton*>("pbClose")->text(), QString("Cancel"));
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).toInt(), 0);
        const QStringList files = finished.at(0).at(2).toStringList();
        QCOMPARE(files, QStringList({folder + "/20260301_000005-000020_CH1.mp4",
                                     folder + "/20260301_000005-000020_CH2.mp4"}));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"20260301_000005-000020_CH1.mp4",
                                                                   "20260301_000005-000020_CH2.mp4"}));
        QVERIFY(dialog.findChild<QLabel*>("lbStatus")->text().contains("Saved 2 files"));
        QVERIFY(dialog.findChild<QPushButton*>("pbOpenFolder")->isVisible());
        QCOMPARE(dialog.findChild<QProgressBar*>("pgExport")->value(), 1000);
    }
    // The next dialog starts in that folder, with that kind.
    UCDlgExport next;
    QCOMPARE(next.folder(), folder);
    QCOMPARE(next.kind(), UCDlgExport::Clips);
}

void TestMainWindowWiring::cancelStopsTheExportAndLeavesNothing() {
    const QString folder = m_dir.path() + "/evidence";
    QVERIFY(QDir().mkpath(folder));
    UCDlgExport dialog;
    dialog.setDay(m_day, nullptr);
    dialog.setRange(0, 30'000);
    dialog.setKind(UCDlgExport::Evidence);
    dialog.setFolder(folder);
    dialog.show();
    QCOMPARE(dialog.targetPaths(), QStringList(folder + "/20260301_000000-000030_evidence.mp4"));
    QSignalSpy finished(&dialog, &UCDlgExport::signalExportFinished);
    auto* progress = dialog.findChild<QProgressBar*>("pgExport");
    QVERIFY(dialog.startExport());
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 100, 30000);
    dialog.reject();  // Cancel: the dialog stays while the export stops
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QVERIFY(dialog.isVisible());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(dialog.findChild<QLabel*>("lbStatus")->text().contains("nothing was saved"));
    dialog.reject();  // now it closes
    QVERIFY(!dialog.isVisible());
}

void TestMainWindowWiring::mainWindowOpensItOnTheOpenedDay() {
    Korvel window;
    QVERIFY(showWindow(window, 1400, 800));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.openDayFolder(m_day);
    IDisplayPage* page = window.currentPage();
    QVERIFY(page != nullptr);
    QDateTime at;
    QTRY_VERIFY_WITH_TIMEOUT(page->currentDateTime(at) && at.time() >= QTime(0, 0, 2), 10000);
    page->pause();
    QVERIFY(page->currentDateTime(at));
    const qint64 first = QTime(0, 0).msecsTo(at.time());

    // Without in and out points: 15 s either side of the playing time.
    auto* button = window.findChild<QPushButton*>("pbExport");
    QVERIFY(button != nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    UCDlgExport* dialog = window.exportDialog();
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->fromMs(), std::max<qint64>(0, first - 15'000) / 1000 * 1000);
    QCOMPARE(dialog->toMs(), (first + 15'000) / 1000 * 1000);
    QCOMPARE(dialog->checkedChannels(), (std::vector<int>{0, 1}));
    // The selected view's channel gives the evidence audio.
    QCOMPARE(dialog->findChild<QComboBox*>("cbAudio")->currentData().toInt(), 0);
    dialog->close();

    // I at the playing second: the timeline shows 30 s from there.
    UCDayTimeline* timeline = window.timeline();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_I);
    QVERIFY(timeline->hasRange());
    QCOMPARE(timeline->rangeIn(), first / 1000 * 1000);
    QCOMPARE(timeline->rangeOut(), first / 1000 * 1000 + 30'000);
    // O a few seconds on: the end of that second.
    page->resume();
    QTRY_VERIFY_WITH_TIMEOUT(
        page->currentDateTime(at) && QTime(0, 0).msecsTo(at.time()) >= first + 3'000, 10000);
    page->pause();
    QVERIFY(page->currentDateTime(at));
    const qint64 later = QTime(0, 0).msecsTo(at.time());
    QTest::keyClick(&window, Qt::Key_O);
    QCOMPARE(timeline->rangeIn(), first / 1000 * 1000);
    QCOMPARE(timeline->rangeOut(), (later + 999) / 1000 * 1000);
    // Ctrl+E exports that stretch.
    QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
    dialog = window.exportDialog();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(dialog->fromMs(), timeline->rangeIn());
    QCOMPARE(dialog->toMs(), timeline->rangeOut());
    // A second open brings the same dialog back.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window.exportDialog(), dialog);
}

void TestMainWindowWiring::captureKeepsThePicture() {
    const QDate day(2024, 3, 7);
    QCOMPARE(Korvel::captureFileName("/snap", QDateTime(day, QTime(9, 5, 3)), 0),
             QString("/snap/2024030790503_ch01.png"));
    QCOMPARE(Korvel::captureFileName("/snap", QDateTime(day, QTime(0, 0, 0)), 9),
             QString("/snap/202403070_ch10.png"));

    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(200, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.grabFramebuffer();  // takes the blank picture, so the next one is kept
    QImage picture(16, 12, QImage::Format_RGBA8888);
    picture.fill(QColor(30, 200, 90));
    QCOMPARE(view.setImage(picture.bits(), 16, 12, 0, -1, 20240307, 90503), 0);

    const QString path = m_dir.path() + "/shot.png";
    QVERIFY(Korvel::saveCapture(&view, path));
    const QImage saved(path);
    QCOMPARE(saved.size(), view.size());
    const QRgb centre = saved.pixel(saved.width() / 2, saved.height() / 2);
    QVERIFY2(qAbs(qRed(centre) - 30) <= 8 && qAbs(qGreen(centre) - 200) <= 8 &&
                 qAbs(qBlue(centre) - 90) <= 8,
             qPrintable(QString::number(centre, 16)));

    // An unwritable place is reported, not taken for a success.
    QVERIFY(!Korvel::saveCapture(&view, m_dir.path() + "/missing/shot.png"));
}

void TestMainWindowWiring::graphFollowsTheDayAndSeeks() {
    Korvel window;
    QVERIFY(showWindow(window, 1400, 800));
    GsensorPlot* plot = window.gsensorPlot();

    window.openDayFolder(m_day);
    QVERIFY(plot->sampleCount() > 0);
    QCOMPARE(plot->baseTime().hour(), 0);

    IDisplayPage* page = window.currentPage();
    QVERIFY(page != nullptr);
    QDateTime at;
    QTRY_VERIFY_WITH_TIMEOUT(page->currentDateTime(at) && at.isValid(), 10000);
    // A pick on the graph moves the page there, well ahead of where playing
    // alone could have got to.
    emit plot->signalGsensorSearch(QTime(0, 0, 20));
    QTRY_VERIFY_WITH_TIMEOUT(page->currentDateTime(at) && at.time() >= QTime(0, 0, 19), 5000);

    // The print preview draws the view on its page and goes away with its
    // printer.
    GLWidget* view = nullptr;
    for (GLWidget* candidate : window.findChildren<GLWidget*>()) {
        if (candidate->channelOf(0) == 0 && candidate->isVisible()) {
            view = candidate;
        }
    }
    QVERIFY(view != nullptr);
    bool previewShown = false;
    ModalDriver modal;
    modal.onDialog = [&previewShown](QDialog* preview) {
        previewShown = preview->inherits("QPrintPreviewDialog");
        preview->close();
    };
    window.slotPrintClicked(page->widget(), view);
    QVERIFY(previewShown);
}

QTEST_MAIN(TestMainWindowWiring)
#include "test_mainwindow_wiring.moc"
