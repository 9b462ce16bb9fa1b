// The viewer tab's shock threshold: what the user types or steps to is what
// the viewer's store keeps, and the store's 0 reads as the recorder's levels.

#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "setup/ConfigApp.h"
#include "setup/ShockSettingBox.h"

class TestShockSetting : public QObject {
    Q_OBJECT

private slots:
    void thresholdInTheViewerTab();
};

void TestShockSetting::thresholdInTheViewerTab() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QSettings store(dir.path() + "/store.ini", QSettings::IniFormat);
    ConfigApp tab;
    ShockSettingBox* box = tab.findChild<ShockSettingBox*>();
    QVERIFY(box != nullptr);
    QSpinBox* spin = box->spinBox();

    tab.load(store);  // nothing stored: the recorder's levels
    QCOMPARE(spin->text(), QString("From the recorder"));
    QCOMPARE(box->thresholdG(), 0.0);

    store.setValue(ShockSettingBox::kKey, 1.25);
    tab.load(store);
    QCOMPARE(spin->text(), QString("1.3 g"));
    spin->stepDown();
    QCOMPARE(spin->text(), QString("1.2 g"));
    tab.save(store);
    QCOMPARE(store.value(ShockSettingBox::kKey).toDouble(), 1.2);

    // Typed in, with the unit or without.
    spin->selectAll();
    QTest::keyClicks(spin, "0.7");
    spin->interpretText();
    QCOMPARE(box->thresholdG(), 0.7);
    spin->setValue(spin->minimum());
    tab.save(store);
    QCOMPARE(store.value(ShockSettingBox::kKey).toDouble(), 0.0);
}

QTEST_MAIN(TestShockSetting)
#include "test_shock_setting.moc"
