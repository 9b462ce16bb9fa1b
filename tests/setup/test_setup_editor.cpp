// The setup editor on setup files written by the card generator: what it
// shows, and that a save changes only what the user changed.

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QTextDocumentFragment>
#include <QTextStream>
#include <QTranslator>

#include <sys/stat.h>

#include "MakeCard.h"
#include "ModalDriver.h"
#include "ReadOnlyFolder.h"
#include "SetupIni.h"
#include "SetupTool.h"
#include "app/UCDlgLogin.h"
#include "setup/ConfigApp.h"
#include "setup/ConfigCamera.h"
#include "setup/ConfigDevice.h"
#include "setup/ConfigStorage.h"
#include "setup/ConfigUpgrade.h"
#include "setup/DlgConfig.h"
#include "setup/SetupEditor.h"
#include "widgets/PasswordHash.h"
#include "widgets/StoredText.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of `after` that differ from those of `before` ("count" when the
// number of lines changed).
QList<QByteArray> changedLines(const QByteArray& before, const QByteArray& after) {
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    if (a.size() != b.size()) {
        return {"count"};
    }
    QList<QByteArray> changed;
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i) != b.at(i)) {
            changed << b.at(i);
        }
    }
    return changed;
}

// Values the recorder's controls show well, different in every camera row.
std::vector<std::pair<std::string, std::string>> variedSettings() {
    std::vector<std::pair<std::string, std::string>> s = {
        {"NETWORK/WIFI_PWD", "ab;cd"},
        {"TIME_SYNC/MODE", "0"},
        {"DATE_TIME/TIME_RESET", "1"},
        {"DATE_TIME/SET_DATE", "20180102"},
        {"DATE_TIME/SET_TIME", "030405"},
        {"DATE_TIME/TIMEZONE", "32"},
        {"SHOCK_DRIVE_X", "3"},
        {"SHOCK_PARK_Z", "9"},
        {"USE_BATTLEVEL", "0"},
        {"BATT_LEVEL", "9"},
        {"BATT_TIME", "3"},
        {"AUDIO/MIC", "0"},
        {"AUDIO/MIC_VOLUME", "15"},
        {"DISK/DISK_USAGE", "8"},
        {"EXTRA/KEEP", "yes"},
    };
    const char* const sens[] = {"50", "30", "15", "10"};
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        s.push_back({"CAMERA/MIRROR_" + n, i == 1 ? "1" : "0"});
        s.push_back({"CAMERA/FLIP_" + n, i == 2 ? "1" : "0"});
        s.push_back({"RECORD/REC_FPS_" + n, std::to_string(5 + i)});
        s.push_back({"RECORD/CAM_REC_BITRATE_" + n, std::to_string(1024 * (i + 2))});
        s.push_back({"MOTION_AREA/SENS_" + n, sens[i]});
    }
    return s;
}

// Stored values no control can show.
std::vector<std::pair<std::string, std::string>> oddSettings() {
    return {{"RECORD/REC_FPS_0", "45"},
            {"DATE_TIME/TIMEZONE", "95"},
            {"RECORD/CAM_REC_BITRATE_1", "500"},
            {"MOTION_AREA/SENS_1", "6"},
            {"SHOCK_DRIVE_Y", "12"},
            {"CAMERA/MIRROR_2", "2"},
            {"DISK/DISK_USAGE", "8"},
            {"DATE_TIME/SET_DATE", ""},
            {"CAMERA/TITLE_3", QString(40, 'x').toStdString()},
            {"SHOCK_PARK_X", "05"}};
}

}  // namespace

class TestSetupEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void numberedKeysAndShowAgree();
    void oneTitleChangesOneLine();
    void valuesNoControlShowsAreKept();
    void freeTextIsPlain();
    void clockAndMicrophoneInterlocks();
    void missingFilesGiveDefaults();
    void lastPresetNeedsFirmware();
    void viewerOnlyAccount();
    void everyTextTranslated_data();
    void everyTextTranslated();
    void openingFromTheMainWindow();

private:
    QString card() const { return m_card->path(); }
    QString info() const { return card() + "/DVRSETUP.INI"; }
    QString model() const { return card() + "/ZD-3100.INI"; }
    // The generator's setup files: 4 cameras, ZD-3100.INI with `settings`.
    void generate(const std::vector<std::pair<std::string, std::string>>& settings,
                  bool modelIni = true);
    // Loads the dialog as the main window does.
    void load(DlgConfig& dialog) const {
        dialog.load(info(), QFile::exists(model()) ? model() : info());
    }
    QMap<QString, QString> shownByTool() const;

    std::unique_ptr<QTemporaryDir> m_store;
    std::unique_ptr<QTemporaryDir> m_card;
};

void TestSetupEditor::initTestCase() {
    m_store = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_store->path());
}

void TestSetupEditor::init() {
    m_card = std::make_unique<QTemporaryDir>();
    QVERIFY(m_card->isValid());
    QSettings store("QUENDRA", "Korvel");
    store.clear();
    store.setValue("LOGIN/LOGIN_ID", encodeStoredText("admin"));
    store.setValue("LOGIN/PASSWORD", "pbkdf2-sha256$1$c2FsdA==$a2V5");
    store.setValue("LOGIN/AUTO_LOGIN", true);
    store.setValue("LOGIN/SAVE_LOGIN_ID", true);
    store.setValue("SHOW/SPEED_MPH", true);
}

void TestSetupEditor::generate(const std::vector<std::pair<std::string, std::string>>& settings,
                               bool modelIni) {
    mkcard::CardOptions o;
    o.outDir = card().toStdString();
    o.channels = 4;
    o.titles = {"Front", "정문"};
    o.modelIni = modelIni;
    o.modelSettings = settings;
    std::string error;
    QVERIFY2(mkcard::validateOptions(o, &error), error.c_str());
    QVERIFY2(mkcard::writeSetupIni(o, &error), error.c_str());
}

QMap<QString, QString> TestSetupEditor::shownByTool() const {
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    const int status = runSetupTool({"show", card()}, o, e);
    o.flush();
    e.flush();
    QMap<QString, QString> values;
    if (status != 0) {
        values.insert("error", err);
    }
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject field = QJsonDocument::fromJson(line.toUtf8()).object();
        values.insert(field.value("key").toString(), field.value("value").toString());
    }
    return values;
}

void TestSetupEditor::numberedKeysAndShowAgree() {
    generate(variedSettings());
    DlgConfig dialog;
    load(dialog);

    // Row i shows the keys numbered i.
    const ConfigCamera* camera = dialog.camera();
    QCOMPARE(camera->cameraCount(), 4);
    QCOMPARE(camera->row(1).title->text(), QString::fromUtf8("정문"));
    QVERIFY(camera->row(2).flip->isChecked() && !camera->row(1).flip->isChecked());
    QCOMPARE(camera->row(0).bitrate->currentText(), QString("2 MBPS (CBR)"));
    QCOMPARE(camera->row(2).sensitivityLabel->text(), QString("30"));
    const Ui::ConfigDevice& d = dialog.device()->ui;
    QCOMPARE(d.dtDateTime->dateTime(), QDateTime(QDate(2018, 1, 2), QTime(3, 4, 5)));
    QVERIFY(!d.cbBattLevel->isEnabled() && !d.cbMicVolume->isEnabled());

    // Every field loads as korvel-setup shows it.
    QCOMPARE(dialog.values(), shownByTool());
    QVERIFY(dialog.changes().isEmpty());
}

void TestSetupEditor::oneTitleChangesOneLine() {
    generate({}, false);
    const QByteArray original = readFile(info());
    {
        DlgConfig dialog;
        load(dialog);
        dialog.camera()->row(1).title->setText("Rear");
        // A card taken out: its folder is gone.
        ModalDriver driver;
        QVERIFY(!dialog.save(card() + "/gone/ZD-3100.INI"));
        QCOMPARE(driver.titles, QStringList{"Configuration"});
        QVERIFY(!QFile::exists(card() + "/gone"));
        QVERIFY(dialog.save(model()));
    }
    // The first save starts from DVRSETUP.INI's bytes, which stay as they are.
    QCOMPARE(readFile(info()), original);
    const QByteArray first = readFile(model());
    QCOMPARE(changedLines(original, first), QList<QByteArray>{"TITLE_1=Rear\r"});

    DlgConfig dialog;
    load(dialog);
    dialog.camera()->row(0).title->setText(QString::fromUtf8("후방"));
    QVERIFY(dialog.save(model()));
    QCOMPARE(changedLines(first, readFile(model())),
             QList<QByteArray>{
                 "TITLE_0=" + QTextCodec::codecForName("EUC-KR")->fromUnicode("후방") + "\r"});

    // Nothing changed: nothing written.
    const QByteArray second = readFile(model());
    DlgConfig again;
    load(again);
    QVERIFY(again.save(model()));
    QCOMPARE(readFile(model()), second);
}

void TestSetupEditor::valuesNoControlShowsAreKept() {
    generate(oddSettings());
    // An older recorder: preset I is not offered.
    writeFile(info(), readFile(info()).replace("FW_VER4=5", "FW_VER4=1"));
    const QByteArray original = readFile(model());
    {
        DlgConfig dialog;
        load(dialog);
        QCOMPARE(dialog.camera()->row(0).fps->currentText(), QString("45"));
        QCOMPARE(dialog.camera()->row(1).bitrate->currentText(), QString("500"));
        QCOMPARE(dialog.device()->ui.lbDriveY->text(), QString("12"));
        QCOMPARE(dialog.device()->ui.hsDriveY->value(), 10);
        QVERIFY(dialog.storage()->ui.rbI->isChecked() && !dialog.storage()->ui.rbI->isEnabled());
        QCOMPARE(dialog.values(), shownByTool());
        QVERIFY(dialog.changes().isEmpty());
        dialog.device()->ui.leDvrName->setText("NEW");
        QVERIFY(dialog.save(model()));
    }
    QCOMPARE(changedLines(original, readFile(model())), QList<QByteArray>{"DVR_NAME=NEW\r"});

    // Changed by the user, they are written as the controls show them.
    DlgConfig dialog;
    load(dialog);
    dialog.camera()->row(0).fps->setCurrentText("20");
    dialog.camera()->row(1).sensitivity->setValue(40);
    dialog.device()->ui.hsDriveY->setValue(4);
    dialog.storage()->ui.rbA->setChecked(true);
    // A text without an EUC-KR form, or a long stored text once edited, keeps
    // the dialog open on its field's tab.
    for (const QString& title : {QString::fromUtf8("\xF0\x9F\x9A\x97"), QString(39, 'x')}) {
        dialog.camera()->row(3).title->setText(title);
        ModalDriver driver;
        dialog.accept();
        QCOMPARE(driver.titles, QStringList{"Warning"});
        QVERIFY(driver.texts.value(0).startsWith("CH4: TITLE"));
        QVERIFY(title.size() < 32 || driver.texts.value(0).contains("32"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.ui.twConfig->currentWidget(), dialog.ui.wgCamera);
    }
    dialog.camera()->row(3).title->setText(QString(32, 'x'));
    QVERIFY(dialog.save(model()));
    const QList<QByteArray> changed = changedLines(original, readFile(model()));
    QCOMPARE(changed, (QList<QByteArray>{"DVR_NAME=NEW\r", "SHOCK_DRIVE_Y=4\r",
                                         "TITLE_3=" + QByteArray(32, 'x') + "\r", "REC_FPS_0=20\r",
                                         "SENS_1=10\r", "DISK_USAGE=0\r"}));
}

void TestSetupEditor::freeTextIsPlain() {
    generate({{"DVR_NAME", "1,2 \\x\"y"}, {"CAMERA/TITLE_2", " edge "}});
    DlgConfig dialog;
    load(dialog);
    QCOMPARE(dialog.device()->ui.leDvrName->text(), QString("1,2 \\x\"y"));
    QCOMPARE(dialog.camera()->row(2).title->text(), QString(" edge "));
    dialog.device()->ui.leWifiPassword->setText("x;y\"z\\");
    QVERIFY(dialog.save(model()));
    const QByteArray saved = readFile(model());
    QVERIFY(saved.contains("\r\nWIFI_PWD=x;y\"z\\\r\n"));
    QVERIFY(saved.startsWith("DVR_NAME=1,2 \\x\"y\r\n"));
    QVERIFY(saved.contains("\r\nTITLE_2= edge \r\n"));
}

void TestSetupEditor::clockAndMicrophoneInterlocks() {
    generate({{"TIME_SYNC/MODE", "0"}, {"DATE_TIME/SET_DATE", ""}, {"DATE_TIME/SET_TIME", ""}});
    DlgConfig dialog;
    load(dialog);
    Ui::ConfigDevice& d = dialog.device()->ui;
    QVERIFY(d.cbTimeReset->isEnabled() && !d.dtDateTime->isEnabled());
    d.cbTimeReset->click();
    QVERIFY(d.dtDateTime->isEnabled());
    d.dtDateTime->setDateTime(QDateTime(QDate(2027, 5, 6), QTime(7, 8, 9)));
    QVERIFY(dialog.save(model()));
    QByteArray saved = readFile(model());
    QVERIFY(saved.contains("\r\nTIME_RESET=1\r\nSET_DATE=20270506\r\nSET_TIME=070809\r\n"));

    // Ticking GPS time clears the clock box: the clock cannot be set by hand.
    DlgConfig again;
    load(again);
    Ui::ConfigDevice& a = again.device()->ui;
    QVERIFY(a.cbTimeReset->isChecked());
    a.cbUseGPS->click();
    QVERIFY(!a.cbTimeReset->isChecked() && !a.cbTimeReset->isEnabled());
    QVERIFY(!a.dtDateTime->isEnabled());
    a.cbUseGPS->click();
    QVERIFY(a.cbTimeReset->isEnabled() && !a.dtDateTime->isEnabled());
    a.cbUseGPS->click();
    // The microphone's volume only while the microphone is used.
    a.cbUseMic->click();
    QVERIFY(!a.cbMicVolume->isEnabled());
    a.cbUseMic->click();
    QVERIFY(a.cbMicVolume->isEnabled());
    QVERIFY(again.save(model()));
    QCOMPARE(changedLines(saved, readFile(model())),
             (QList<QByteArray>{"MODE=1\r", "TIME_RESET=0\r"}));
}

void TestSetupEditor::missingFilesGiveDefaults() {
    DlgConfig dialog;
    dialog.load(info(), info());
    const Ui::ConfigDevice& d = dialog.device()->ui;
    QVERIFY(d.cbUseGPS->isChecked() && !d.cbTimeReset->isEnabled());
    QVERIFY(qAbs(d.dtDateTime->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
    QCOMPARE(d.cbTimeZone->currentText(), QString("(GMT+9) Seoul"));
    QVERIFY(d.cbBattLevel->isEnabled() && d.cbBattTime->isEnabled() && d.cbMicVolume->isEnabled());

    // Eight cameras at up to 15 frames per second, firmware 0.0.0.0.
    const ConfigCamera* camera = dialog.camera();
    QCOMPARE(camera->cameraCount(), 8);
    QCOMPARE(camera->row(7).fps->currentText(), QString("15"));
    QVERIFY(dialog.storage()->ui.rbE->isChecked());

    // No camera below 1, and a count past the channels is cut.
    writeFile(info(), "[INFORMATION]\r\nCAM_MAX=0\r\n");
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->ui.twCamera->rowCount(), 0);
    writeFile(info(), "[INFORMATION]\r\nCAM_MAX=100000\r\n");
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->cameraCount(), CardInfo::kMaxCameras);
    // Four cameras record at up to 30 frames per second.
    writeFile(info(), "[INFORMATION]\r\nCAM_MAX=4\r\n");
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->row(3).fps->currentText(), QString("30"));
}

void TestSetupEditor::lastPresetNeedsFirmware() {
    const struct {
        const char* firmware;
        bool offered;
    } cases[] = {{"1.1.0.1", false}, {"1.1.0.2", true}, {"1.2.0.0", true}, {"1.0.9.9", false}};
    for (const auto& c : cases) {
        const QStringList v = QString(c.firmware).split('.');
        writeFile(info(), QString("[INFORMATION]\r\nFW_VER1=%1\r\nFW_VER2=%2\r\nFW_VER3=%3\r\n"
                                  "FW_VER4=%4\r\n")
                              .arg(v.value(0), v.value(1), v.value(2), v.value(3))
                              .toLatin1());
        writeFile(model(), "[DISK]\nDISK_USAGE=3\n");
        DlgConfig dialog;
        dialog.load(info(), model());
        const Ui::ConfigStorage& s = dialog.storage()->ui;
        QCOMPARE(s.rbI->isEnabled(), c.offered);
        QVERIFY(s.rbD->isChecked());
        QCOMPARE(s.lbIDN->text(), QString("D.N(100)"));
        s.rbI->click();
        QCOMPARE(s.rbI->isChecked(), c.offered);
        QVERIFY(dialog.save(model()));
        QCOMPARE(readFile(model()),
                 QByteArray(c.offered ? "[DISK]\nDISK_USAGE=8\n" : "[DISK]\nDISK_USAGE=3\n"));

        // Loading again leaves no earlier choice behind, also when the stored
        // value is no preset at all.
        s.rbC->setChecked(true);
        writeFile(model(), "[DISK]\nDISK_USAGE=12\n");
        dialog.load(info(), model());
        for (int i = 0; i < ConfigStorage::kPresetCount; ++i) {
            QVERIFY(!dialog.storage()->preset(i)->isChecked());
        }
        QCOMPARE(dialog.values().value("DISK/DISK_USAGE"), QString("12"));
    }
}

void TestSetupEditor::viewerOnlyAccount() {
    generate({}, false);
    QSettings store("QUENDRA", "Korvel");
    const QString stored = store.value("LOGIN/PASSWORD").toString();
    DlgConfig dialog;
    dialog.setViewerOnly(true);
    QCOMPARE(dialog.ui.twConfig->count(), 1);
    QCOMPARE(dialog.ui.twConfig->widget(0), dialog.ui.wgApp);
    dialog.load(info(), info());
    QCOMPARE(dialog.camera()->cameraCount(), 0);  // the card was not read
    Ui::ConfigApp& a = dialog.app()->ui;
    QCOMPARE(a.leUserId->text(), QString("admin"));
    QVERIFY(a.lePassword->text().isEmpty());
    QVERIFY(a.cbAutoLogin->isChecked() && a.cbRememberMe->isChecked() && a.rbMiles->isChecked());

    // Nothing typed: the password stays; the speed unit changes; the card is
    // not written.
    a.rbKm->setChecked(true);
    a.cbRememberMe->setChecked(false);
    QVERIFY(dialog.save(model()));
    QVERIFY(!QFile::exists(model()));
    store.sync();
    QCOMPARE(store.value("LOGIN/PASSWORD").toString(), stored);
    QCOMPARE(store.value("SHOW/SPEED_MPH").toBool(), false);
    QCOMPARE(store.value("LOGIN/SAVE_LOGIN_ID").toBool(), true);  // left to the login dialog
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(store.fileName()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);

    // A new password must be confirmed; it is stored as its hash.
    a.lePassword->setText("n3w pass");
    a.leConfirm->setText("n3w past");
    {
        ModalDriver driver;
        dialog.accept();
        QCOMPARE(driver.texts, QStringList{"A password does not match a confirm password"});
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    a.leConfirm->setText("n3w pass");
    a.leUserId->setText("   ");
    {
        ModalDriver driver;
        dialog.accept();
        QCOMPARE(driver.texts, QStringList{"The user id must not be empty."});
    }
    a.leUserId->setText(QString::fromUtf8("관리자"));
    {
        ModalDriver driver;
        dialog.accept();
        QVERIFY(driver.texts.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QVERIFY(dialog.save(model()));
    store.sync();
    const QString hash = store.value("LOGIN/PASSWORD").toString();
    QVERIFY(isPasswordHash(hash));
    QVERIFY(!hash.contains(encodeStoredText("n3w pass")));
    QVERIFY(passwordMatches(hash, "n3w pass"));
    QCOMPARE(store.value("LOGIN/LOGIN_ID").toString(),
             encodeStoredText(QString::fromUtf8("관리자")));

    dialog.setViewerOnly(false);
    QCOMPARE(dialog.ui.twConfig->count(), 5);
    QCOMPARE(dialog.ui.twConfig->tabText(0), QString::fromUtf8("디바이스"));
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
              "[INFORMATION]\r\nCAM_MAX=4\r\n[DISK]\r\nDISK_USAGE=2\r\n");
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
    QCOMPARE(readFile(other.path() + "/ZD-3100.INI"), readFile(other.path() + "/DVRSETUP.INI"));
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
    QCOMPARE(driver.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
    QVERIFY(driver.texts.value(0).contains(other.path() + "/ZD-3100.INI"));
    QCOMPARE(readFile(other.path() + "/ZD-3100.INI"), QByteArray("[DISK]\nDISK_USAGE=6\n"));
    QCOMPARE(QDir(other.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"DVRSETUP.INI", "ZD-3100.INI"}));
}

// Every visible text of the editor and of the login dialog, in the Korean and
// the Japanese session.
void TestSetupEditor::everyTextTranslated_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("script");  // a character range every text but codes uses
    QTest::newRow("ko") << "ko" << QString::fromUtf8("[가-힣]");
    QTest::newRow("ja") << "ja" << QString::fromUtf8("[ぁ-ヿ一-鿿]");
}

void TestSetupEditor::everyTextTranslated() {
    QFETCH(QString, language);
    QFETCH(QString, script);
    QTranslator translator;
    QVERIFY(translator.load(":/Language/korvel_len_" + language + ".qm"));
    QCoreApplication::installTranslator(&translator);
    generate({}, false);
    DlgConfig dialog;
    load(dialog);

    // Texts that are codes, numbers or names the recorder uses as they are.
    const QRegularExpression code(
        "^(CH\\d+|[A-I]|[XYZVh]|v [\\d.]+|[\\d.]+|\\d+ MBPS \\(CBR\\)|[DP]\\.[NSM]\\(\\d+\\)|"
        "\\(GMT.*|None|OK|Km|km|Front|CH\\d)$");
    const QRegularExpression translated(script);
    QStringList untranslated;
    auto check = [&](const QString& text) {
        const QString t = QTextDocumentFragment::fromHtml(text).toPlainText().remove('&').trimmed();
        // A folder shown as a hint is a path, not a text.
        const bool path = t.startsWith('/');
        if (!t.isEmpty() && !path && !code.match(t).hasMatch() && !translated.match(t).hasMatch()) {
            untranslated << t;
        }
    };
    // The editor, the login dialog and the message boxes the editor shows.
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::No | QMessageBox::Abort);
    UCDlgLogin login;
    for (QWidget* window : std::initializer_list<QWidget*>{&dialog, &box, &login}) {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            check(label->text());
        }
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            check(button->text());
        }
        for (QGroupBox* group : window->findChildren<QGroupBox*>()) {
            check(group->title());
        }
        for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
            check(edit->placeholderText());
        }
    }
    for (int i = 0; i < dialog.ui.twConfig->count(); ++i) {
        check(dialog.ui.twConfig->tabText(i));
    }
    QTableWidget* table = dialog.camera()->ui.twCamera;
    for (int c = 1; c < table->columnCount(); ++c) {
        check(table->horizontalHeaderItem(c)->text());
    }
    QFileSystemModel folders;
    check(folders.headerData(0, Qt::Horizontal).toString());
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(" | ")));
}

QTEST_MAIN(TestSetupEditor)
#include "test_setup_editor.moc"
