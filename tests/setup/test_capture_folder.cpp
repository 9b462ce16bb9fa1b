// The capture folder in the setup editor's viewer tab: shown from the
// configuration, chosen with a folder dialog, stored as "CAPTUREPATH" (an
// empty field stands for the default folder).

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "setup/ConfigApp.h"
#include "widgets/CConfiguration.h"

class TestCaptureFolder : public QObject {
    Q_OBJECT

private slots:
    void chosenStoredAndDefaulted();
};

void TestCaptureFolder::chosenStoredAndDefaulted() {
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

QTEST_MAIN(TestCaptureFolder)
#include "test_capture_folder.moc"
