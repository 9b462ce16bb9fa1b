#include "setup/ConfigDevice.h"

#include <QDate>
#include <QDateTime>
#include <QEvent>
#include <QSettings>
#include <QTime>

#include "setup/CardIni.h"

namespace {

// A stored combo-box index, or `fallback` when the file holds something the
// box has no entry for (an index outside it would leave the box blank and
// save -1).
int entryIndex(const QSettings& ini, const char* key, int fallback, const QComboBox* box) {
    bool ok = false;
    const int index = ini.value(key, fallback).toInt(&ok);
    return ok && index >= 0 && index < box->count() ? index : fallback;
}

// The date "yyyyMMdd" and time "hhmmss" the recorder's clock is to be set to;
// the current moment when either is missing or does not name a valid instant.
QDateTime storedClock(const QString& date, const QString& time) {
    if (date.isEmpty() || time.isEmpty()) {
        return QDateTime::currentDateTime();
    }
    const QDate d(date.left(4).toInt(), date.mid(4, 2).toInt(), date.right(2).toInt());
    const QTime t(time.left(2).toInt(), time.mid(2, 2).toInt(), time.right(2).toInt());
    if (!d.isValid() || !t.isValid()) {
        return QDateTime::currentDateTime();
    }
    return QDateTime(d, t);
}

}  // namespace

const QStringList& ConfigDevice::timeZoneNames() {
    static const QStringList names = {
        "None",
        "(GMT-12) International Date Line West",
        "(GMT-11) Midway Island,Samoa",
        "(GMT-10) Hawaii",
        "(GMT-9) Alaska",
        "(GMT-8) Pacific Time(US&Canada)",
        "(GMT-8) Tijuana,Baja California",
        "(GMT-7) Arizona",
        "(GMT-7) Chihuahua,La Paz,Mazatha",
        "(GMT-7) Mountain Time(US&Canada)",
        "(GMT-6) Central America",
        "(GMT-6) Central Time(US&Canada)",
        "(GMT-6) Guadalajara,MexicoCity",
        "(GMT-6) Saskatchewan",
        "(GMT-5) Bogota,Lima,Quito,RioBranco",
        "(GMT-5) Eastern Time(US&Canada)",
        "(GMT-5) Indiana(East)",
        "(GMT-4:30) Caracas",
        "(GMT-4) Atlantic Time(Canada)",
        "(GMT-4) La Paz",
        "(GMT-4) Manaus",
        "(GMT-4) Santiago",
        "(GMT-3:30) Newfoundland",
        "(GMT-3) Brasilia",
        "(GMT-3) Buenos Aires",
        "(GMT-3) Georgetown",
        "(GMT-3) Greenland",
        "(GMT-3) Montevideo",
        "(GMT-2) Mid-Atlantic",
        "(GMT-1) Azores",
        "(GMT-1) Cape Verde Is.",
        "(GMT+0) Casablanca",
        "(GMT+0) Dublin,Edinburgh,Lisbon,London",
        "(GMT+0) Monrovia,Reykjavik",
        "(GMT+1) Amsterdam,Berlin,Rome,Stockholm",
        "(GMT+1) Belgrade,Bratislava,Budapest",
        "(GMT+1) Brusels,Copenhagen,Madrid,Paris",
        "(GMT+1) Sarajevo,Skopje,Warsaw,Zagreb",
        "(GMT+1) West Central Africa",
        "(GMT+2) Amman",
        "(GMT+2) Athens,Bucharest,Istanbul",
        "(GMT+2) Beirut",
        "(GMT+2) Cairo",
        "(GMT+2) Harare,Pretoria",
        "(GMT+2) Helsinki,Kyiv,Riga,Sofia",
        "(GMT+2) Jerusalem",
        "(GMT+2) Windhoek",
        "(GMT+3) Minsk",
        "(GMT+3) Baghdad",
        "(GMT+3) Kuwait,Riyadh",
        "(GMT+3) Nairobi",
        "(GMT+3:30) Tehran",
        "(GMT+4) Tbilisi",
        "(GMT+4) Moscow, St.Petersburg,Volgograd",
        "(GMT+4) Abu Dhabi,Muscat",
        "(GMT+4) Baku",
        "(GMT+4) Caucasus Standard Time",
        "(GMT+4) Port Louis",
        "(GMT+4) Yerevan",
        "(GMT+4:30) Kabul",
        "(GMT+5) Islamabad,Karachi",
        "(GMT+5) Tashkent",
        "(GMT+5:30) Chennai,Kalkata,Mumbai",
        "(GMT+5:30) Sri Jayawardenapura",
        "(GMT+5:45) Kathmandu",
        "(GMT+6) Ekaterinburg",
        "(GMT+6) Almaty",
        "(GMT+6) Astana,Dhaka",
        "(GMT+6:30) Yangon(Rangoon)",
        "(GMT+7) Bangkok,Hanoi,Jakarta",
        "(GMT+7) Novosibirsk",
        "(GMT+8) Beijing,Chongqing,HongKong",
        "(GMT+8) Krasnoyarsk,Ulaan Bataar",
        "(GMT+8) Kuala Lumpur,Singapore",
        "(GMT+8) Perth",
        "(GMT+8) Taipei",
        "(GMT+9) Osaka,Sapporo,Tokyo",
        "(GMT+9) Seoul",
        "(GMT+9) Irkutsk",
        "(GMT+9:30) Adelaide",
        "(GMT+9:30) Darwin",
        "(GMT+10) Brisbane,Yakutsk",
        "(GMT+10) Canberra,Melbourne,Sydney",
        "(GMT+10) Guam,Port Moresby",
        "(GMT+10) Hobart",
        "(GMT+11) Vladivostok, Solomon Is.",
        "(GMT+12) Magadan",
        "(GMT+12) Auckland,Wellington",
        "(GMT+12) Fiji,Kamchatka,Marshall Is.",
        "(GMT+13) Nuku'alofa",
    };
    return names;
}

ConfigDevice::ConfigDevice(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    ui.cbTimeZone->addItems(timeZoneNames());
    ui.cbTimeZone->setCurrentIndex(kDefaultTimeZone);
    ui.cbBattLevel->setCurrentIndex(6);
    ui.cbBattTime->setCurrentIndex(2);
    ui.cbMicVolume->setCurrentIndex(10);
    ui.dtDateTime->setDateTime(QDateTime::currentDateTime());

    connect(ui.cbUseGPS, SIGNAL(toggled(bool)), this, SLOT(slotuseGPS(bool)));
    connect(ui.cbTimeReset, SIGNAL(toggled(bool)), this, SLOT(slottimesetClicked(bool)));
    connect(ui.cbUseBattLevel, SIGNAL(toggled(bool)), this, SLOT(slotuseBattLevelClicked(bool)));
    connect(ui.cbUseBattTime, SIGNAL(toggled(bool)), this, SLOT(slotuseBattTimeClicked(bool)));
    connect(ui.cbUseMic, SIGNAL(toggled(bool)), this, SLOT(slotuseMic(bool)));
    for (const Shock& shock : shocks()) {
        QLabel* label = shock.label;
        connect(shock.slider, &QSlider::valueChanged, label,
                [label](int value) { label->setText(QString::number(value)); });
    }
    slotuseGPS(ui.cbUseGPS->isChecked());
}

QList<ConfigDevice::Shock> ConfigDevice::shocks() const {
    return {
        {"/SHOCK_DRIVE_X", ui.hsDriveX, ui.lbDriveX}, {"/SHOCK_DRIVE_Y", ui.hsDriveY, ui.lbDriveY},
        {"/SHOCK_DRIVE_Z", ui.hsDriveZ, ui.lbDriveZ}, {"/SHOCK_PARK_X", ui.hsParkX, ui.lbParkX},
        {"/SHOCK_PARK_Y", ui.hsParkY, ui.lbParkY},    {"/SHOCK_PARK_Z", ui.hsParkZ, ui.lbParkZ}};
}

void ConfigDevice::load(const QSettings& ini) {
    ui.leDvrName->setText(cardText(ini, "/DVR_NAME"));
    ui.leWifiPassword->setText(cardText(ini, "NETWORK/WIFI_PWD"));

    const bool gpsTime = ini.value("TIME_SYNC/MODE", 1).toInt() == 1;
    const bool timeReset = ini.value("DATE_TIME/TIME_RESET", 0).toBool();
    ui.cbUseGPS->setChecked(gpsTime);
    slotuseGPS(gpsTime);
    ui.cbTimeReset->setChecked(timeReset && !gpsTime);
    ui.dtDateTime->setDateTime(
        storedClock(cardText(ini, "DATE_TIME/SET_DATE"), cardText(ini, "DATE_TIME/SET_TIME")));
    ui.dtDateTime->setEnabled(timeReset && !gpsTime);
    ui.cbTimeZone->setCurrentIndex(
        entryIndex(ini, "DATE_TIME/TIMEZONE", kDefaultTimeZone, ui.cbTimeZone));

    for (const Shock& shock : shocks()) {
        // The slider keeps a value in its range; the label shows what it took.
        shock.slider->setValue(ini.value(shock.key, 5).toInt());
        shock.label->setText(QString::number(shock.slider->value()));
    }

    ui.cbUseBattLevel->setChecked(ini.value("/USE_BATTLEVEL", 1).toInt() == 1);
    ui.cbBattLevel->setCurrentIndex(entryIndex(ini, "/BATT_LEVEL", 6, ui.cbBattLevel));
    ui.cbUseBattTime->setChecked(ini.value("/USE_BATTTIME", 1).toInt() == 1);
    ui.cbBattTime->setCurrentIndex(entryIndex(ini, "/BATT_TIME", 2, ui.cbBattTime));
    ui.cbUseMic->setChecked(ini.value("AUDIO/MIC", 1).toInt() == 1);
    ui.cbMicVolume->setCurrentIndex(entryIndex(ini, "AUDIO/MIC_VOLUME", 10, ui.cbMicVolume));
    slotuseBattLevelClicked(ui.cbUseBattLevel->isChecked());
    slotuseBattTimeClicked(ui.cbUseBattTime->isChecked());
    slotuseMic(ui.cbUseMic->isChecked());
}

void ConfigDevice::save(QSettings& ini) const {
    auto flag = [](const QAbstractButton* box) { return box->isChecked() ? 1 : 0; };
    ini.setValue("/DVR_NAME", ui.leDvrName->text());
    ini.setValue("NETWORK/WIFI_PWD", ui.leWifiPassword->text());
    ini.setValue("TIME_SYNC/MODE", flag(ui.cbUseGPS));
    ini.setValue("DATE_TIME/TIME_RESET", flag(ui.cbTimeReset));
    const QDateTime clock = ui.dtDateTime->dateTime();
    ini.setValue("DATE_TIME/SET_DATE", clock.date().toString("yyyyMMdd"));
    ini.setValue("DATE_TIME/SET_TIME", clock.time().toString("hhmmss"));
    ini.setValue("DATE_TIME/TIMEZONE", ui.cbTimeZone->currentIndex());
    for (const Shock& shock : shocks()) {
        ini.setValue(shock.key, shock.slider->value());
    }
    ini.setValue("/USE_BATTLEVEL", flag(ui.cbUseBattLevel));
    ini.setValue("/BATT_LEVEL", ui.cbBattLevel->currentIndex());
    ini.setValue("/USE_BATTTIME", flag(ui.cbUseBattTime));
    ini.setValue("/BATT_TIME", ui.cbBattTime->currentIndex());
    ini.setValue("AUDIO/MIC", flag(ui.cbUseMic));
    ini.setValue("AUDIO/MIC_VOLUME", ui.cbMicVolume->currentIndex());
}

void ConfigDevice::slotuseGPS(bool checked) {
    if (checked) {
        ui.cbTimeReset->setChecked(false);
        ui.cbTimeReset->setEnabled(false);
        ui.dtDateTime->setEnabled(false);
    } else {
        ui.cbTimeReset->setEnabled(true);
    }
}

void ConfigDevice::slottimesetClicked(bool checked) {
    ui.dtDateTime->setEnabled(checked);
}

void ConfigDevice::slotuseBattLevelClicked(bool checked) {
    ui.cbBattLevel->setEnabled(checked);
}

void ConfigDevice::slotuseBattTimeClicked(bool checked) {
    ui.cbBattTime->setEnabled(checked);
}

void ConfigDevice::slotuseMic(bool checked) {
    ui.cbMicVolume->setEnabled(checked);
}

void ConfigDevice::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
