// The main window's analysis views and snapshot: the capture file name, a
// capture that keeps the GL picture, the G-sensor graph of an opened day and
// its picks, and the print preview.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "MakeCard.h"
#include "ModalDriver.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "display/GLWidget.h"
#include "views/GsensorPlot.h"
#include "views/MapView.h"
#include "widgets/CConfiguration.h"

#include <cstdint>
#include <vector>

class TestMainWindowWiring : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void captureFileNames();
    void captureKeepsThePicture();
    void graphFollowsTheDayAndSeeks();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_cardRoot;
};

void TestMainWindowWiring::initTestCase() {
    QVERIFY(m_home.isValid() && m_dir.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + "/.config").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/korvel-test-bus");
    mkcard::CardOptions card;
    card.outDir = m_dir.path().toStdString() + "/card";
    // Starting at midnight: opening the day shows hour 0 at once.
    card.start = {2026, 3, 1, 0, 0, 0};
    card.filesPerChannel = 1;
    card.secondsPerFile = 30;
    card.channels = 1;
    card.width = 160;
    card.height = 96;
    card.fps = 5;
    card.jobs = 2;
    std::string error;
    QVERIFY2(mkcard::makeCard(card, &error), error.c_str());
    m_cardRoot = QString::fromStdString(card.outDir);
}

void TestMainWindowWiring::captureFileNames() {
    const QDate day(2024, 3, 7);
    QCOMPARE(Korvel::captureFileName("/snap", QDateTime(day, QTime(9, 5, 3)), 0),
             QString("/snap/2024030790503_ch01.png"));
    QCOMPARE(Korvel::captureFileName("/snap", QDateTime(day, QTime(0, 0, 0)), 9),
             QString("/snap/202403070_ch10.png"));
}

void TestMainWindowWiring::captureKeepsThePicture() {
    GLWidget view(nullptr, 0, nullptr);
    view.setPaintSuppressed(false);
    view.resize(200, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.grabFramebuffer();  // takes the blank picture, so the next one is kept
    std::vector<unsigned char> px(16 * 12 * 4);
    for (std::size_t i = 0; i < px.size(); i += 4) {
        px[i] = 30;
        px[i + 1] = 200;
        px[i + 2] = 90;
        px[i + 3] = 255;
    }
    QCOMPARE(view.setImage(px.data(), 16, 12, 0, -1, 20240307, 90503), 0);

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
    window.resize(1400, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    GsensorPlot* plot = window.gsensorPlot();

    window.openDayFolder(m_cardRoot + "/20260301");
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
