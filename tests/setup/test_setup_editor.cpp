// The setup editor against setup files written as the recorder writes them
// (EUC-KR INI text, top-level keys before the sections).

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include "ModalDriver.h"
#include "ReadOnlyFolder.h"
#include "app/StoredText.h"
#include "setup/CardIni.h"
#include "setup/ConfigApp.h"
#include "setup/ConfigCamera.h"
#include "setup/ConfigDevice.h"
#include "setup/ConfigStorage.h"
#include "setup/ConfigUpgrade.h"
#include "setup/DlgConfig.h"
#include "setup/SetupEditor.h"

namespace {

const QString kVehicle = QString::fromUtf8("서울12가3456");
const QString kTitle = QString::fromUtf8("정문");

QByteArray eucKr(const QString& text) {
    return QTextCodec::codecForName("EUC-KR")->fromUnicode(text);
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

QString infoText(int cameras, const QString& firmware) {
    const QStringList v = firmware.split('.');
    return QString(
               "DVR_NAME=INFO\r\n[INFORMATION]\r\nCAM_MAX=%1\r\nFW_VER1=%2\r\nFW_VER2=%3\r\n"
               "FW_VER3=%4\r\nFW_VER4=%5\r\n")
        .arg(cameras)
        .arg(v.value(0), v.value(1), v.value(2), v.value(3));
}

// A setup file as the recorder leaves it, with keys the editor does not know.
QString modelText() {
    return "DVR_NAME=" + kVehicle +
           "\r\nMODEL_NO=7\r\nSHOCK_DRIVE_X=3\r\nSHOCK_PARK_Z=9\r\nUSE_BATTLEVEL=0\r\n"
           "BATT_LEVEL=9\r\nUSE_BATTTIME=1\r\nBATT_TIME=3\r\n"
           "[NETWORK]\r\nWIFI_PWD=secret1\r\n"
           "[TIME_SYNC]\r\nMODE=0\r\n"
           "[DATE_TIME]\r\nTIME_RESET=1\r\nSET_DATE=20180102\r\nSET_TIME=030405\r\nTIMEZONE=32\r\n"
           "[AUDIO]\r\nMIC=0\r\nMIC_VOLUME=15\r\n"
           "[CAMERA]\r\nTITLE_1=" +
           kTitle +
           "\r\nMIRROR_1=1\r\nFLIP_2=1\r\n"
           "[RECORD]\r\nREC_FPS_1=10\r\nCAM_REC_BITRATE_1=3072\r\nCAM_REC_BITRATE_2=500\r\n"
           "[MOTION_AREA]\r\nSENS_1=6\r\nSENS_3=15\r\n"
           "[DISK]\r\nDISK_USAGE=8\r\n"
           "[EXTRA]\r\nKEEP=yes\r\n";
}

}  // namespace

class TestSetupEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void loadFillsEveryTab();
    void missingFilesGiveDefaults();
    void lastPresetNeedsFirmware_data();
    void lastPresetNeedsFirmware();
    void deviceInterlocks();
    void saveWritesEveryKeyAndKeepsTheRest();
    void topLevelKeysHoisted();
    void viewerOnlyLeavesTheCard();
    void acceptNeedsUserId();
    void unwritableCardKeepsOldFile();
    void openingFromTheMainWindow();

private:
    QString card() const { return m_card->path(); }
    QString info() const { return card() + "/DVRSETUP.INI"; }
    QString model() const { return card() + "/ZD-3100.INI"; }

    std::unique_ptr<QTemporaryDir> m_store;
    std::unique_ptr<QTemporaryDir> m_card;
};

void TestSetupEditor::initTestCase() {
    m_store = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_store->path());
    QCOMPARE(QTextCodec::codecForName("EUC-KR") != nullptr, true);
}

void TestSetupEditor::init() {
    m_card = std::make_unique<QTemporaryDir>();
    QVERIFY(m_card->isValid());
    QSettings store("QUENDRA", "Korvel");
    store.clear();
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText("admin"));
    store.setValue("LOGIN/PASSWORD", encodeStoredText(QString::fromUtf8("비밀")));
    store.setValue("LOGIN/AUTO_LOGIN", true);
    store.setValue("LOGIN/SAVE_LOGIN_ID", true);
    store.setValue("SHOW/SPEED_MPH", true);
}

void TestSetupEditor::loadFillsEveryTab() {
    writeFile(info(), eucKr(infoText(4, "1.1.0.2")));
    writeFile(model(), eucKr(modelText()));
    DlgConfig dialog;
    dialog.load(info(), model());

    const Ui::ConfigDevice& d = dialog.device()->ui;
    QCOMPARE(d.leDvrName->text(), kVehicle);
    QCOMPARE(d.leWifiPassword->text(), QString("secret1"));
    QVERIFY(!d.cbUseGPS->isChecked());
    QVERIFY(d.cbTimeReset->isChecked());
    QVERIFY(d.cbTimeReset->isEnabled());
    QVERIFY(d.dtDateTime->isEnabled());
    QCOMPARE(d.dtDateTime->dateTime(), QDateTime(QDate(2018, 1, 2), QTime(3, 4, 5)));
    QCOMPARE(d.cbTimeZone->count(), 90);
    QCOMPARE(d.cbTimeZone->currentIndex(), 32);
    QCOMPARE(d.cbTimeZone->itemText(77), QString("(GMT+9) Seoul"));
    QCOMPARE(d.hsDriveX->value(), 3);
    QCOMPARE(d.lbDriveX->text(), QString("3"));
    QCOMPARE(d.hsDriveY->value(), 5);
    QCOMPARE(d.hsParkZ->value(), 9);
    QCOMPARE(d.lbParkZ->text(), QString("9"));
    QVERIFY(!d.cbUseBattLevel->isChecked());
    QCOMPARE(d.cbBattLevel->currentText(), QString("24.2"));
    QVERIFY(!d.cbBattLevel->isEnabled());
    QCOMPARE(d.cbBattTime->currentText(), QString("48"));
    QVERIFY(d.cbBattTime->isEnabled());
    QVERIFY(!d.cbUseMic->isChecked());
    QCOMPARE(d.cbMicVolume->currentText(), QString("15"));
    QVERIFY(!d.cbMicVolume->isEnabled());

    // Four cameras record at up to 30 frames per second.
    const ConfigCamera* camera = dialog.camera();
    QCOMPARE(camera->cameraCount(), 4);
    QCOMPARE(camera->ui.twCamera->columnCount(), 7);
    QCOMPARE(camera->ui.twCamera->item(3, 0)->text(), QString("CH4"));
    QCOMPARE(camera->row(0).title->text(), kTitle);
    QCOMPARE(camera->row(1).title->text(), QString("CH2"));
    QVERIFY(camera->row(0).mirror->isChecked());
    QVERIFY(!camera->row(0).flip->isChecked());
    QVERIFY(camera->row(1).flip->isChecked());
    QCOMPARE(camera->row(0).fps->currentText(), QString("10"));
    QCOMPARE(camera->row(1).fps->currentText(), QString("30"));
    QCOMPARE(camera->row(0).bitrate->currentIndex(), 2);
    QCOMPARE(camera->row(1).bitrate->currentIndex(), 0);
    QCOMPARE(camera->row(0).sensitivity->value(), 100);  // 6 is not a stored step
    QCOMPARE(camera->row(0).sensitivityLabel->text(), QString("100"));
    QCOMPARE(camera->row(1).sensitivity->value(), 50);
    QCOMPARE(camera->row(2).sensitivity->value(), 30);

    QVERIFY(dialog.storage()->ui.rbI->isEnabled());
    QVERIFY(dialog.storage()->ui.rbI->isChecked());

    QCOMPARE(dialog.upgrade()->ui.leFwVersion->text(), QString("v 1.1.0.2"));

    const Ui::ConfigApp& a = dialog.app()->ui;
    QCOMPARE(a.leUserId->text(), QString("admin"));
    QCOMPARE(a.lePassword->text(), QString::fromUtf8("비밀"));
    QVERIFY(a.cbAutoLogin->isChecked());
    QVERIFY(a.cbRememberMe->isChecked());
    QVERIFY(a.rbMiles->isChecked());
}

void TestSetupEditor::missingFilesGiveDefaults() {
    DlgConfig dialog;
    dialog.load(info(), info());
    const Ui::ConfigDevice& d = dialog.device()->ui;
    QVERIFY(d.leDvrName->text().isEmpty());
    QVERIFY(d.cbUseGPS->isChecked());
    QVERIFY(!d.cbTimeReset->isChecked());
    QVERIFY(!d.cbTimeReset->isEnabled());
    QVERIFY(!d.dtDateTime->isEnabled());
    QVERIFY(qAbs(d.dtDateTime->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
    QCOMPARE(d.cbTimeZone->currentIndex(), 77);
    QCOMPARE(d.hsParkY->value(), 5);
    QCOMPARE(d.cbBattLevel->currentIndex(), 6);
    QCOMPARE(d.cbBattTime->currentIndex(), 2);
    QCOMPARE(d.cbMicVolume->currentIndex(), 10);
    QVERIFY(d.cbBattLevel->isEnabled() && d.cbBattTime->isEnabled() && d.cbMicVolume->isEnabled());

    // Eight cameras at up to 15 frames per second, firmware 0.0.0.0.
    const ConfigCamera* camera = dialog.camera();
    QCOMPARE(camera->cameraCount(), 8);
    QCOMPARE(camera->row(7).title->text(), QString("CH8"));
    QCOMPARE(camera->row(7).fps->currentText(), QString("15"));
    QCOMPARE(camera->row(7).bitrate->currentText(), QString("1 MBPS (CBR)"));
    QCOMPARE(camera->row(7).sensitivity->value(), 50);
    QVERIFY(dialog.storage()->ui.rbE->isChecked());
    QVERIFY(!dialog.storage()->ui.rbI->isEnabled());
    QVERIFY(!dialog.storage()->ui.rbI->isCheckable());
    QCOMPARE(dialog.upgrade()->ui.leFwVersion->text(), QString("v 0.0.0.0"));

    // No camera below 1, and a count past the channels is cut.
    writeFile(info(), eucKr(infoText(0, "1.0.0.0")));
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->ui.twCamera->rowCount(), 0);
    writeFile(info(), eucKr(infoText(100000, "1.0.0.0")));
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->cameraCount(), ConfigCamera::kMaxCameras);
}

void TestSetupEditor::lastPresetNeedsFirmware_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<bool>("offered");
    QTest::newRow("1.1.0.1") << "1.1.0.1" << false;
    QTest::newRow("1.1.0.2") << "1.1.0.2" << true;
    QTest::newRow("1.1.0.10") << "1.1.0.10" << true;
    QTest::newRow("1.2.0.0") << "1.2.0.0" << true;
    QTest::newRow("1.0.9.9") << "1.0.9.9" << false;
    QTest::newRow("2.0.0.0") << "2.0.0.0" << true;
    QTest::newRow("0.9.9.9") << "0.9.9.9" << false;
}

void TestSetupEditor::lastPresetNeedsFirmware() {
    QFETCH(QString, firmware);
    QFETCH(bool, offered);
    writeFile(info(), eucKr(infoText(8, firmware)));
    writeFile(model(), "[DISK]\nDISK_USAGE=8\n");
    DlgConfig dialog;
    dialog.load(info(), model());
    const Ui::ConfigStorage& s = dialog.storage()->ui;
    QCOMPARE(s.rbI->isEnabled(), offered);
    QCOMPARE(s.rbI->isChecked(), offered);
    QCOMPARE(s.lbIDN->text(), QString("D.N(100)"));
    QCOMPARE(s.lbAPM->text(), QString("P.M(30)"));
    // Saved as the first checked preset, 0 when the stored one is not offered.
    QVERIFY(dialog.save(model()));
    QCOMPARE(CardIni(model()).value("DISK/DISK_USAGE").toInt(), offered ? 8 : 0);

    // Loading again leaves no earlier choice behind.
    s.rbC->setChecked(true);
    dialog.load(info(), model());
    QCOMPARE(s.rbC->isChecked(), false);
    QCOMPARE(s.rbA->isChecked(), !offered);
}

void TestSetupEditor::deviceInterlocks() {
    ConfigDevice device;
    const Ui::ConfigDevice& d = device.ui;
    d.cbUseGPS->click();  // off
    QVERIFY(d.cbTimeReset->isEnabled());
    QVERIFY(!d.dtDateTime->isEnabled());
    d.cbTimeReset->click();
    QVERIFY(d.dtDateTime->isEnabled());
    d.cbUseGPS->click();  // on again: the clock cannot be set by hand
    QVERIFY(!d.cbTimeReset->isChecked());
    QVERIFY(!d.cbTimeReset->isEnabled());
    QVERIFY(!d.dtDateTime->isEnabled());

    d.cbUseBattLevel->click();
    QVERIFY(!d.cbBattLevel->isEnabled());
    d.cbUseBattTime->click();
    QVERIFY(!d.cbBattTime->isEnabled());
    d.cbUseMic->click();
    QVERIFY(!d.cbMicVolume->isEnabled());
    d.cbUseMic->click();
    QVERIFY(d.cbMicVolume->isEnabled());

    d.hsDriveZ->setValue(8);
    QCOMPARE(d.lbDriveZ->text(), QString("8"));
}

void TestSetupEditor::saveWritesEveryKeyAndKeepsTheRest() {
    writeFile(info(), eucKr(infoText(4, "1.1.0.2")));
    writeFile(model(), eucKr(modelText()));
    DlgConfig dialog;
    dialog.load(info(), model());
    Ui::ConfigDevice& d = dialog.device()->ui;
    d.cbUseGPS->setChecked(true);  // clears the clock box
    d.cbTimeZone->setCurrentIndex(5);
    d.hsParkX->setValue(1);
    d.cbUseMic->setChecked(true);
    dialog.camera()->row(3).title->setText(QString::fromUtf8("후방"));
    dialog.camera()->row(2).sensitivity->setValue(37);  // between ticks: snaps to 40
    dialog.storage()->ui.rbB->setChecked(true);
    dialog.app()->ui.leUserId->setText(QString::fromUtf8("관리자"));
    dialog.app()->ui.rbKm->setChecked(true);
    dialog.app()->ui.cbRememberMe->setChecked(false);
    QVERIFY(dialog.save(model()));

    CardIni saved(model());
    const QList<QPair<QString, QVariant>> expected = {
        {"DVR_NAME", kVehicle},
        {"NETWORK/WIFI_PWD", "secret1"},
        {"TIME_SYNC/MODE", 1},
        {"DATE_TIME/TIME_RESET", 0},
        {"DATE_TIME/SET_DATE", "20180102"},
        {"DATE_TIME/SET_TIME", "030405"},
        {"DATE_TIME/TIMEZONE", 5},
        {"SHOCK_DRIVE_X", 3},
        {"SHOCK_DRIVE_Y", 5},
        {"SHOCK_DRIVE_Z", 5},
        {"SHOCK_PARK_X", 1},
        {"SHOCK_PARK_Y", 5},
        {"SHOCK_PARK_Z", 9},
        {"USE_BATTLEVEL", 0},
        {"BATT_LEVEL", 9},
        {"USE_BATTTIME", 1},
        {"BATT_TIME", 3},
        {"AUDIO/MIC", 1},
        {"AUDIO/MIC_VOLUME", 15},
        {"CAMERA/TITLE_1", kTitle},
        {"CAMERA/TITLE_4", QString::fromUtf8("후방")},
        {"CAMERA/MIRROR_1", 1},
        {"CAMERA/MIRROR_2", 0},
        {"CAMERA/FLIP_2", 1},
        {"RECORD/REC_FPS_1", 10},
        {"RECORD/REC_FPS_2", 30},
        {"RECORD/CAM_REC_BITRATE_1", 3072},
        {"RECORD/CAM_REC_BITRATE_2", 1024},  // 500 was shown as the first entry
        {"MOTION_AREA/SENS_1", 1},           // 6 was shown at the top
        {"MOTION_AREA/SENS_2", 7},
        {"MOTION_AREA/SENS_3", 10},
        {"DISK/DISK_USAGE", 1},
        {"MODEL_NO", 7},
        {"EXTRA/KEEP", "yes"},
    };
    for (const auto& key : expected) {
        QCOMPARE(saved.value(key.first).toString() + " " + key.first,
                 key.second.toString() + " " + key.first);
    }
    QVERIFY(!saved.contains("CAMERA/TITLE_5"));

    // Korean text lands as EUC-KR bytes.
    const QByteArray bytes = readFile(model());
    QVERIFY(bytes.contains("DVR_NAME=" + eucKr(kVehicle)));
    QVERIFY(bytes.contains("TITLE_4=" + eucKr(QString::fromUtf8("후방"))));

    QSettings store("QUENDRA", "Korvel");
    QCOMPARE(store.value("LOGIN/LOGIN_ID").toString(),
             encodeStoredText(QString::fromUtf8("관리자")));
    QCOMPARE(store.value("LOGIN/PASSWORD").toString(), encodeStoredText(QString::fromUtf8("비밀")));
    QCOMPARE(store.value("LOGIN/AUTO_LOGIN").toBool(), true);
    QCOMPARE(store.value("LOGIN/SAVE_LOGIN_ID").toBool(), true);  // left to the login dialog
    QCOMPARE(store.value("SHOW/SPEED_MPH").toBool(), false);
}

void TestSetupEditor::topLevelKeysHoisted() {
    writeFile(model(), eucKr(modelText()));
    DlgConfig dialog;
    dialog.load(info(), model());
    QVERIFY(dialog.save(model()));
    const QList<QByteArray> lines = readFile(model()).split('\n');
    QVERIFY(!lines.contains("[General]"));
    int firstSection = -1;
    for (int i = 0; i < lines.size() && firstSection < 0; ++i) {
        if (lines.at(i).startsWith('[')) {
            firstSection = i;
        }
    }
    QVERIFY(firstSection > 0);
    const QList<QByteArray> top = lines.mid(0, firstSection);
    for (const QByteArray key : {"DVR_NAME=", "MODEL_NO=7", "BATT_LEVEL=9", "SHOCK_PARK_X=5"}) {
        const bool found = std::any_of(
            top.begin(), top.end(), [&](const QByteArray& line) { return line.startsWith(key); });
        QVERIFY2(found, key.constData());
    }

    // The rewriting leaves the text around the section alone.
    QCOMPARE(hoistGeneralSection("[A]\nx=1\n\n[General]\ny=2\n\n[B]\nz=3\n"),
             QByteArray("y=2\n\n[A]\nx=1\n\n[B]\nz=3\n"));
    QCOMPARE(hoistGeneralSection("[General]\r\ny=2\r\n"), QByteArray("y=2\r\n"));
    QCOMPARE(hoistGeneralSection("[A]\nx=1\n"), QByteArray("[A]\nx=1\n"));
}

void TestSetupEditor::viewerOnlyLeavesTheCard() {
    writeFile(info(), eucKr(infoText(4, "1.1.0.2")));
    DlgConfig dialog;
    dialog.setViewerOnly(true);
    QCOMPARE(dialog.ui.twConfig->count(), 1);
    QCOMPARE(dialog.ui.twConfig->widget(0), dialog.ui.wgApp);
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->cameraCount(), 0);  // the card was not read
    dialog.app()->ui.rbKm->setChecked(true);
    QVERIFY(dialog.save(model()));
    QVERIFY(!QFile::exists(model()));
    QCOMPARE(QSettings("QUENDRA", "Korvel").value("SHOW/SPEED_MPH").toBool(), false);
    dialog.setViewerOnly(false);
    QCOMPARE(dialog.ui.twConfig->count(), 5);
    QCOMPARE(dialog.ui.twConfig->tabText(0), QString::fromUtf8("디바이스"));
}

void TestSetupEditor::acceptNeedsUserId() {
    DlgConfig dialog;
    dialog.load(info(), info());
    dialog.app()->ui.leUserId->setText("   ");
    {
        ModalDriver driver;
        dialog.accept();
        QCOMPARE(driver.titles, QStringList{"Warning"});
        QCOMPARE(driver.texts, QStringList{"The user id must not be empty."});
    }
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    dialog.app()->ui.leUserId->setText(" admin ");
    ModalDriver driver;
    dialog.accept();
    QVERIFY(driver.titles.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestSetupEditor::unwritableCardKeepsOldFile() {
    const QByteArray old = eucKr(modelText());
    writeFile(model(), old);
    DlgConfig dialog;
    dialog.load(info(), model());
    dialog.device()->ui.leDvrName->setText("NEW");
    {
        ReadOnlyFolder guard(card());
        QVERIFY(guard.effective());
        ModalDriver driver;
        QVERIFY(!dialog.save(model()));
        QCOMPARE(driver.titles, QStringList{"Configuration"});
        QCOMPARE(driver.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QVERIFY(driver.texts.value(0).contains(model()));
    }
    QCOMPARE(readFile(model()), old);
    QCOMPARE(QDir(card()).entryList(QDir::Files | QDir::Hidden), QStringList{"ZD-3100.INI"});

    // A card taken out: its folder is gone.
    ModalDriver driver;
    QVERIFY(!dialog.save(card() + "/gone/ZD-3100.INI"));
    QCOMPARE(driver.titles, QStringList{"Configuration"});
    QVERIFY(!QFile::exists(card() + "/gone"));
}

void TestSetupEditor::openingFromTheMainWindow() {
    // Neither file under the root and the drive dialog cancelled.
    {
        ModalDriver driver;
        bool asked = false;
        QVERIFY(!runSetupEditor(nullptr, card(), [&] {
            asked = true;
            return QString();
        }));
        QVERIFY(asked);
        QCOMPARE(driver.titles, QStringList{"Configuration"});
        QCOMPARE(driver.texts, QStringList{" There is not a setting file."});
    }

    // Another root holds only DVRSETUP.INI: it is edited and ZD-3100.INI made.
    QTemporaryDir other;
    writeFile(other.path() + "/DVRSETUP.INI",
              eucKr(infoText(4, "1.1.0.2") + "[DISK]\nDISK_USAGE=2\n"));
    {
        ModalDriver driver;
        int shown = 0;
        driver.onDialog = [&](QDialog* dialog) {
            auto* config = qobject_cast<DlgConfig*>(dialog);
            QVERIFY(config != nullptr);
            ++shown;
            QCOMPARE(config->camera()->cameraCount(), 4);
            QVERIFY(config->storage()->ui.rbC->isChecked());
            config->app()->ui.rbKm->setChecked(true);
            config->accept();
        };
        QVERIFY(runSetupEditor(nullptr, card(), [&] { return other.path(); }));
        QCOMPARE(shown, 1);
        QVERIFY(driver.titles.isEmpty());
    }
    QCOMPARE(CardIni(other.path() + "/ZD-3100.INI").value("DISK/DISK_USAGE").toInt(), 2);
    QCOMPARE(QSettings("QUENDRA", "Korvel").value("SHOW/SPEED_MPH").toBool(), false);

    // ZD-3100.INI is the edited file once it exists; a failed save keeps the
    // dialog open with the user's values until it is cancelled.
    writeFile(other.path() + "/ZD-3100.INI", "[DISK]\nDISK_USAGE=6\n");
    ReadOnlyFolder guard(other.path());
    QVERIFY(guard.effective());
    ModalDriver driver;
    int shown = 0;
    driver.onDialog = [&](QDialog* dialog) {
        auto* config = qobject_cast<DlgConfig*>(dialog);
        QVERIFY(config != nullptr);
        if (++shown == 1) {
            QVERIFY(config->storage()->ui.rbG->isChecked());
            config->storage()->ui.rbA->setChecked(true);
            config->accept();
        } else {
            QVERIFY(config->storage()->ui.rbA->isChecked());
            config->reject();
        }
    };
    QVERIFY(runSetupEditor(nullptr, other.path(), [] { return QString(); }));
    QCOMPARE(shown, 2);
    QCOMPARE(driver.titles, QStringList{"Configuration"});
    QCOMPARE(readFile(other.path() + "/ZD-3100.INI"), QByteArray("[DISK]\nDISK_USAGE=6\n"));
}

QTEST_MAIN(TestSetupEditor)
#include "test_setup_editor.moc"
