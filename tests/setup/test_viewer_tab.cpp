// The setup editor's viewer tab: the shock threshold (what the user types or
// steps to is what the store keeps; 0 reads as the recorder's levels) and the
// capture folder (chosen with a folder dialog, stored as "CAPTUREPATH"; an
// empty field stands for the default folder).

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "setup/ConfigApp.h"
#include "setup/ShockSettingBox.h"
#include "widgets/CConfiguration.h"

class TestViewerTab : public QObject {
    Q_OBJECT

private slots:
    void shockThreshold();
    void captureFolder();
};

void TestViewerTab::shockThreshold() {
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

void TestViewerTab::captureFolder() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QSettings store(home.path() + "/store.ini", QSettings::IniFormat);
    g_config.setCapturePath(home.path() + "/before");

    ConfigApp tab;
    tab.load(store);
    QCOMPARE(tab.leCapturePath->text(), home.path() + "/before");

    // Browse: the folder chosen in the dialog lands in the field.
    const QString chosen = home.path() + "/chosen";
    QVERIFY(QDir().mkpath(chosen));
    ModalDriver modal;
    modal.onDialog = [&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files != nullptr);
        files->selectFile(chosen);
        static_cast<QDialog*>(files)->accept();
    };
    tab.pbCapturePath->click();
    QCOMPARE(tab.leCapturePath->text(), chosen);
    tab.save(store);
    QCOMPARE(g_config.capturePath(), chosen);
    QSettings file(CConfiguration::filePath(), QSettings::IniFormat);
    QCOMPARE(file.value("CAPTUREPATH").toString(), chosen);

    // An empty field: the default folder.
    tab.leCapturePath->setText("  ");
    tab.save(store);
    QCOMPARE(g_config.capturePath(), CConfiguration::defaultCapturePath());
}

QTEST_MAIN(TestViewerTab)
#include "test_viewer_tab.moc"
