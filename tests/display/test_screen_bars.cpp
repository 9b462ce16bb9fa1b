// The overlay bars of a video view: the narrow and wide button arrangements,
// the drop-down menu, and the resolution text that needs room.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "display/ViewHosts.h"

// Stands in for the view: the bar connects its buttons to these slots.
class FakeView : public QWidget, public IScreenMenuHost {
    Q_OBJECT
public:
    int closes = 0;
    int captures = 0;
    int prints = 0;
    int dropDowns = 0;
    QList<bool> zooms;
public slots:
    void slotCloseClicked() override { ++closes; }
    void slotCaptureClicked() override { ++captures; }
    void slotPrintClicked() override { ++prints; }
    void slotZoomClicked(bool on) override { zooms << on; }
    void slotDropDownClicked() override { ++dropDowns; }
};

class TestScreenBars : public QObject {
    Q_OBJECT

private slots:
    void topButtonsFollowWidth();
    void topButtonsAndMenuReachTheView();
    void bottomResolutionNeedsWidth();
};

void TestScreenBars::topButtonsFollowWidth() {
    FakeView view;
    view.resize(600, 100);
    auto* bar = new UCScreenMenu(&view);
    bar->setText(UCScreenMenu::TextSiteName, "Card");
    bar->setText(UCScreenMenu::TextChannelTitle, "1. FRONT");
    bar->showButtons(true);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    auto* zoom = bar->findChild<QPushButton*>("pbMenuZoom");
    auto* capture = bar->findChild<QPushButton*>("pbMenuCapture");
    auto* print = bar->findChild<QPushButton*>("pbMenuPrint");
    auto* dropDown = bar->findChild<QPushButton*>("pbMenuDropDown");
    const int labels = bar->findChild<QLabel*>("lbMenuSiteName")->width() +
                       bar->findChild<QLabel*>("lbMenuChTitle")->width();
    const int threshold = labels + 6 * zoom->width();

    bar->resize(threshold - 1, 33);
    QVERIFY(!dropDown->isHidden());
    QVERIFY(zoom->isHidden() && capture->isHidden() && print->isHidden());

    bar->resize(threshold + 40, 33);
    QVERIFY(dropDown->isHidden());
    QVERIFY(!zoom->isHidden() && !capture->isHidden() && !print->isHidden());

    // Buttons this viewer has no use for never show.
    for (const char* name : {"pbMenuPTZ", "pbMenuAudio", "pbMenuClose"})
        QVERIFY2(bar->findChild<QPushButton*>(name)->isHidden(), name);

    bar->showButtons(false);
    QVERIFY(!bar->buttonsShown());
}

void TestScreenBars::topButtonsAndMenuReachTheView() {
    FakeView view;
    UCScreenMenu bar(&view);
    bar.findChild<QPushButton*>("pbMenuCapture")->click();
    bar.findChild<QPushButton*>("pbMenuPrint")->click();
    bar.findChild<QPushButton*>("pbMenuClose")->click();
    bar.findChild<QPushButton*>("pbMenuZoom")->click();
    QCOMPARE(view.captures, 1);
    QCOMPARE(view.prints, 1);
    QCOMPARE(view.closes, 1);
    QCOMPARE(view.zooms, QList<bool>{true});

    const QList<QAction*> actions = bar.findChild<QPushButton*>("pbMenuDropDown")->menu()->actions();
    actions[0]->trigger();  // D-Zoom, checked by the trigger
    actions[1]->trigger();  // Capture
    actions[2]->trigger();  // Print
    QCOMPARE(view.zooms, (QList<bool>{true, true}));
    QCOMPARE(view.captures, 2);
    QCOMPARE(view.prints, 2);

    bar.setZoomChecked(false);
    QVERIFY(!bar.zoomAction()->isChecked());
    QVERIFY(!bar.findChild<QPushButton*>("pbMenuZoom")->isChecked());
}

void TestScreenBars::bottomResolutionNeedsWidth() {
    QWidget host;
    host.resize(600, 100);
    auto* bar = new UCScreenBottomMenu(&host);
    bar->setTextVisible(UCScreenBottomMenu::TextResolution, true);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    auto* resolution = bar->findChild<QLabel*>("lbResolution");

    bar->resize(220, 25);
    QVERIFY(resolution->isHidden());
    QVERIFY(bar->isTextVisible(UCScreenBottomMenu::TextResolution));  // still wanted
    bar->resize(221, 25);
    QVERIFY(!resolution->isHidden());

    // Switched off, it stays off whatever the width.
    bar->setTextVisible(UCScreenBottomMenu::TextResolution, false);
    bar->resize(400, 25);
    QVERIFY(resolution->isHidden());
    bar->setTextVisible(UCScreenBottomMenu::TextResolution, true);
    QVERIFY(!resolution->isHidden());
}

QTEST_MAIN(TestScreenBars)
#include "test_screen_bars.moc"
