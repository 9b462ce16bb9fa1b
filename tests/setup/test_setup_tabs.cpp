// The setup editor's Upgrade tab (placing a firmware file on the card) and
// Viewer tab (shock threshold, capture folder).

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "ReadOnlyFolder.h"
#include "setup/ConfigApp.h"
#include "setup/ConfigUpgrade.h"
#include "setup/FirmwareCopy.h"
#include "setup/ShockSettingBox.h"
#include "widgets/CConfiguration.h"

namespace {

QByteArray randomBytes(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& c : bytes) {
        c = static_cast<char>(generator.bounded(256));
    }
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Chooses `path` in the file dialog of findFile (or cancels it when empty).
bool choose(ConfigUpgrade& tab, const QString& path) {
    ModalDriver driver;
    driver.onDialog = [path](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files != nullptr);
        QCOMPARE(files->windowTitle(), QString("Open File"));
        QCOMPARE(files->nameFilters(), QStringList{"bin file (zd-*.bin)"});
        if (path.isEmpty()) {
            files->reject();
        } else {
            files->selectFile(path);
            static_cast<QDialog*>(files)->accept();
        }
    };
    return tab.findFile(false);
}

}  // namespace

class TestSetupTabs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void chooseAndCopy();
    void refusedAndFailedCopies();
    void progressInChunks();
    void viewerTab();

private:
    QString card() const { return m_card->path(); }
    QString source() const { return m_source->path(); }

    std::unique_ptr<QTemporaryDir> m_card;
    std::unique_ptr<QTemporaryDir> m_source;
};

void TestSetupTabs::init() {
    m_card = std::make_unique<QTemporaryDir>();
    m_source = std::make_unique<QTemporaryDir>();
    QVERIFY(m_card->isValid() && m_source->isValid());
}

void TestSetupTabs::chooseAndCopy() {
    // The version after the first "_" is not part of the name on the card.
    QCOMPARE(firmwareTargetName("zd-3100_v1_2.bin"), QString("zd-3100.bin"));
    writeFile(card() + "/DVRSETUP.INI", "[INFORMATION]\nFW_VER1=1\nFW_VER2=2\nFW_VER4=33\n");
    ConfigUpgrade tab;
    tab.load(card() + "/DVRSETUP.INI");
    QCOMPARE(tab.ui.leFwVersion->text(), QString("v 1.2.0.33"));
    QCOMPARE(tab.cardRoot(), card());
    QVERIFY(!tab.ui.pbCopy->isEnabled());
    tab.show();

    const QByteArray firmware = randomBytes(3 * 1024 * 1024 + 123);
    writeFile(source() + "/zd-3100_1.2.bin", firmware);
    QVERIFY(choose(tab, source() + "/zd-3100_1.2.bin"));
    QCOMPARE(tab.fileName(), QString("zd-3100_1.2.bin"));
    QVERIFY(tab.ui.pbCopy->isEnabled());

    // Cancelling a later choice keeps this one.
    QVERIFY(!choose(tab, QString()));
    QCOMPARE(tab.filePath(), source() + "/zd-3100_1.2.bin");
    QVERIFY(tab.ui.pbCopy->isEnabled());

    ModalDriver driver;
    QVERIFY(tab.CopyFile());
    QCOMPARE(driver.titles, QStringList{"File Copy"});
    QCOMPARE(driver.texts, QStringList{"Complete!!"});
    QCOMPARE(readFile(card() + "/zd-3100.bin"), firmware);
    QCOMPARE(filesIn(card()), (QStringList{"DVRSETUP.INI", "zd-3100.bin"}));
    QVERIFY(tab.ui.progressBar->isVisible());
    QCOMPARE(tab.ui.progressBar->value(), 100);
}

void TestSetupTabs::refusedAndFailedCopies() {
    ConfigUpgrade tab;
    tab.load(card() + "/DVRSETUP.INI");
    const QString file = source() + "/zd-3100_2.0.bin";
    writeFile(file, "NEW");
    QVERIFY(choose(tab, file));
    QVERIFY(QFile::remove(file));
    {
        ModalDriver driver(QMessageBox::Abort);
        QVERIFY(!tab.CopyFile());
        QCOMPARE(driver.titles, QStringList{"Upgrade file"});
        QCOMPARE(driver.texts, QStringList{"The upgrade file can not be found."});
        QCOMPARE(driver.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QVERIFY(filesIn(card()).isEmpty());
    }
    const QByteArray firmware = randomBytes(2 * 1024 * 1024);
    writeFile(file, firmware);
    {
        ReadOnlyFolder guard(card());
        QVERIFY(guard.effective());
        ModalDriver driver;
        QVERIFY(!tab.CopyFile());
        QCOMPARE(driver.titles, QStringList{"File Copy"});
        QCOMPARE(driver.texts, QStringList{"File copy failed."});
        QVERIFY(filesIn(card()).isEmpty());
    }

    // A firmware file already there. Refused: the tab forgets the file.
    writeFile(card() + "/zd-3100.bin", "OLD");
    {
        ModalDriver driver(QMessageBox::Cancel);
        QVERIFY(!tab.CopyFile());
        QCOMPARE(driver.titles, QStringList{"Upgrade file"});
        QCOMPARE(driver.texts,
                 QStringList{"This file already exists.\n Do you want to overwrite it?"});
        QVERIFY(tab.filePath().isEmpty());
        QVERIFY(tab.ui.leUpgradeVersion->text().isEmpty());
        QVERIFY(!tab.ui.pbCopy->isEnabled());
        QCOMPARE(readFile(card() + "/zd-3100.bin"), QByteArray("OLD"));
    }
    // On a card that cannot be written it stays as it was.
    QVERIFY(choose(tab, file));
    {
        ReadOnlyFolder guard(card());
        ModalDriver driver(QMessageBox::Ok);
        QVERIFY(!tab.CopyFile());
        QCOMPARE(driver.texts.last(), QString("File copy failed."));
        QCOMPARE(filesIn(card()), QStringList{"zd-3100.bin"});
        QCOMPARE(readFile(card() + "/zd-3100.bin"), QByteArray("OLD"));
    }
    ModalDriver driver(QMessageBox::Ok);
    QVERIFY(tab.CopyFile());
    QCOMPARE(driver.titles, (QStringList{"Upgrade file", "File Copy"}));
    QCOMPARE(driver.texts.last(), QString("Complete!!"));
    QCOMPARE(readFile(card() + "/zd-3100.bin"), firmware);
}

void TestSetupTabs::progressInChunks() {
    const QByteArray firmware = randomBytes(5 * 1024 * 1024 / 2);
    QList<int> seen;
    const auto copy = [&](const QString& from, const QString& to, QString* why = nullptr) {
        seen.clear();
        return copyFileWhole(
            source() + from, card() + to, [&](int percent) { seen << percent; }, why);
    };
    writeFile(source() + "/zd-1.bin", firmware);
    QVERIFY(copy("/zd-1.bin", "/zd-1.bin"));
    QCOMPARE(seen, (QList<int>{40, 80, 100}));
    QCOMPARE(readFile(card() + "/zd-1.bin"), firmware);

    // An empty file is complete at once.
    writeFile(source() + "/zd-0.bin", QByteArray());
    QVERIFY(copy("/zd-0.bin", "/zd-0.bin"));
    QCOMPARE(seen, QList<int>{100});
    QVERIFY(QFile::exists(card() + "/zd-0.bin"));

    QString why;
    QVERIFY(!copy("/missing.bin", "/zd-2.bin", &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!QFile::exists(card() + "/zd-2.bin"));
}

void TestSetupTabs::viewerTab() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QSettings store(home.path() + "/store.ini", QSettings::IniFormat);
    g_config.setCapturePath(home.path() + "/before");
    ConfigApp tab;
    ShockSettingBox* box = tab.findChild<ShockSettingBox*>();
    QVERIFY(box != nullptr);
    QSpinBox* spin = box->spinBox();

    tab.load(store);  // no threshold stored: the recorder's levels
    QCOMPARE(spin->text(), QString("From the recorder"));
    QCOMPARE(box->thresholdG(), 0.0);
    QCOMPARE(tab.leCapturePath->text(), home.path() + "/before");

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

QTEST_MAIN(TestSetupTabs)
#include "test_setup_tabs.moc"
