// The overlay bars of a video view: texts, visibility rules, font sizes, the
// narrow and wide button arrangements, the drop-down menu and translations.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "display/ViewHosts.h"
#include "widgets/CConfiguration.h"

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
    void topTexts();
    void topFontSizes();
    void topButtonsFollowWidth();
    void topButtonsAndMenuReachTheView();
    void bottomTextsAndSettings();
    void bottomResolutionNeedsWidth();
    void bottomBackground();
    void textsAreTranslated_data();
    void textsAreTranslated();
};

void TestScreenBars::topTexts() {
    FakeView view;
    UCScreenMenu bar(&view);
    auto* site = bar.findChild<QLabel*>("lbMenuSiteName");
    auto* title = bar.findChild<QLabel*>("lbMenuChTitle");
    QVERIFY(site && title);
    QVERIFY(site->text().isEmpty());
    QVERIFY(title->text().isEmpty());

    bar.setText(UCScreenMenu::TextSiteName, "Card");
    bar.setText(UCScreenMenu::TextChannelTitle, "1. FRONT");
    bar.setText(2, "ignored");
    QCOMPARE(site->text(), QString("Card"));
    QCOMPARE(title->text(), QString("1. FRONT"));

    bar.setTextVisible(UCScreenMenu::TextChannelTitle, false);
    QVERIFY(!bar.isTextVisible(UCScreenMenu::TextChannelTitle));
    QVERIFY(bar.isTextVisible(UCScreenMenu::TextSiteName));
    QVERIFY(!bar.isTextVisible(2));
    bar.setTextVisible(UCScreenMenu::TextChannelTitle, true);
    QVERIFY(bar.isTextVisible(UCScreenMenu::TextChannelTitle));
}

void TestScreenBars::topFontSizes() {
    UCScreenMenu bar;
    const QList<QPair<int, QString>> cases = {{0, "font-size:11px;"}, {1, "font-size:14px;"},
                                              {2, "font-size:18px;"}, {3, "font-size:22px;"},
                                              {7, "font-size:11px;"}, {-1, "font-size:11px;"}};
    for (const auto& c : cases) {
        bar.setFontSize(c.first);
        QCOMPARE(bar.findChild<QLabel*>("lbMenuSiteName")->styleSheet(), c.second);
        QCOMPARE(bar.findChild<QLabel*>("lbMenuChTitle")->styleSheet(), c.second);
    }
}

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

    QMenu* menu = bar.findChild<QPushButton*>("pbMenuDropDown")->menu();
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QVERIFY(actions[0]->isCheckable());
    QVERIFY(!actions[0]->icon().isNull());
    actions[0]->trigger();  // D-Zoom, checked by the trigger
    actions[1]->trigger();  // Capture
    actions[2]->trigger();  // Print
    QCOMPARE(view.zooms, (QList<bool>{true, true}));
    QCOMPARE(view.captures, 2);
    QCOMPARE(view.prints, 2);

    bar.setZoomChecked(false);
    QVERIFY(!bar.zoomAction()->isChecked());
    QVERIFY(!bar.findChild<QPushButton*>("pbMenuZoom")->isChecked());
    bar.setZoomChecked(true);
    QVERIFY(bar.zoomAction()->isChecked());
    QVERIFY(bar.findChild<QPushButton*>("pbMenuZoom")->isChecked());
}

void TestScreenBars::bottomTextsAndSettings() {
    g_config.setShowTextDateTime(false);
    g_config.setShowTextMode(true);
    UCScreenBottomMenu bar;
    g_config.setShowTextDateTime(true);

    QVERIFY(!bar.isTextVisible(UCScreenBottomMenu::TextDateTime));
    QVERIFY(bar.isTextVisible(UCScreenBottomMenu::TextMode));
    for (int type = 0; type <= 4; ++type)
        QVERIFY(bar.text(type).isEmpty());

    const char* labels[] = {"lbMode", "lbPtz", "lbDZoom", "lbDateTime", "lbResolution"};
    for (int type = 0; type <= 4; ++type) {
        bar.setText(type, QString("text %1").arg(type));
        QCOMPARE(bar.findChild<QLabel*>(labels[type])->text(), QString("text %1").arg(type));
    }
    bar.setText(5, "ignored");
    bar.setTextVisible(5, true);
    QVERIFY(!bar.isTextVisible(5));
    QVERIFY(bar.text(5).isEmpty());
}

void TestScreenBars::bottomResolutionNeedsWidth() {
    QCOMPARE(UCScreenBottomMenu::kResolutionMinWidth, 221);
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

void TestScreenBars::bottomBackground() {
    UCScreenBottomMenu bar;
    QCOMPARE(bar.backgroundColor(), QColor(0, 0, 0, 0));
    bar.setBackgroundColor(QColor(10, 10, 250, 220));
    QCOMPARE(bar.backgroundColor(), QColor(10, 10, 250, 220));
    auto* bk = bar.findChild<QWidget*>("wgBottomMenuBk");
    QVERIFY(bk->autoFillBackground());
    QVERIFY(!bk->isHidden());
}

void TestScreenBars::textsAreTranslated_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("ja") << "ja";
    QTest::newRow("ko") << "ko";
}

void TestScreenBars::textsAreTranslated() {
    QFETCH(QString, language);
    QTranslator translator;
    QVERIFY(translator.load(":/Language/korvel_len_" + language + ".qm"));
    for (const char* text : {"Close", "Capture", "Print", "D-Zoom"}) {
        const QString t = translator.translate("UCScreenMenu", text);
        QVERIFY2(!t.isEmpty() && t != QLatin1String(text), text);
    }
    const QString dzoom = translator.translate("GLWidget", "D-ZOOM");
    QVERIFY(!dzoom.isEmpty());
}

QTEST_MAIN(TestScreenBars)
#include "test_screen_bars.moc"
