#include "setup/ConfigDevice.h"

#include <QDate>
#include <QDateTime>
#include <QEvent>
#include <QTime>

namespace {

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

ConfigDevice::ConfigDevice(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);

    const struct {
        FieldRole role;
        QSlider* slider;
        QLabel* label;
    } shocks[] = {
        {FieldRole::ShockDriveX, ui.hsDriveX, ui.lbDriveX},
        {FieldRole::ShockDriveY, ui.hsDriveY, ui.lbDriveY},
        {FieldRole::ShockDriveZ, ui.hsDriveZ, ui.lbDriveZ},
        {FieldRole::ShockParkX, ui.hsParkX, ui.lbParkX},
        {FieldRole::ShockParkY, ui.hsParkY, ui.lbParkY},
        {FieldRole::ShockParkZ, ui.hsParkZ, ui.lbParkZ},
    };
    for (const SetupField& field : setupFields(CardInfo())) {
        if (field.tab != SetupTab::Device) {
            continue;
        }
        FieldBinding* made = nullptr;
        switch (field.role) {
            case FieldRole::DvrName:
                made = new LineEditBinding(field, ui.leDvrName);
                break;
            case FieldRole::WifiPassword:
                made = new LineEditBinding(field, ui.leWifiPassword);
                break;
            case FieldRole::TimeSync:
                made = new CheckBinding(field, ui.cbUseGPS);
                break;
            case FieldRole::TimeReset:
                made = new CheckBinding(field, ui.cbTimeReset);
                break;
            case FieldRole::SetDate:
            case FieldRole::SetTime:
                made = new DateTimeBinding(field, ui.dtDateTime);
                break;
            case FieldRole::TimeZone:
                made = new ComboBinding(field, ui.cbTimeZone);
                break;
            case FieldRole::UseBattLevel:
                made = new CheckBinding(field, ui.cbUseBattLevel);
                break;
            case FieldRole::BattLevel:
                made = new ComboBinding(field, ui.cbBattLevel);
                break;
            case FieldRole::UseBattTime:
                made = new CheckBinding(field, ui.cbUseBattTime);
                break;
            case FieldRole::BattTime:
                made = new ComboBinding(field, ui.cbBattTime);
                break;
            case FieldRole::Mic:
                made = new CheckBinding(field, ui.cbUseMic);
                break;
            case FieldRole::MicVolume:
                made = new ComboBinding(field, ui.cbMicVolume);
                break;
            default:
                for (const auto& shock : shocks) {
                    if (shock.role == field.role) {
                        shock.slider->setRange(field.min, field.max);
                        made = new SliderBinding(field, shock.slider, shock.label, 0,
                                                 field.defaultValue.toInt());
                    }
                }
                break;
        }
        Q_ASSERT(made != nullptr);
        m_bindings.emplace_back(made);
    }

    connect(ui.cbUseGPS, &QAbstractButton::toggled, this, &ConfigDevice::slotuseGPS);
    connect(ui.cbTimeReset, &QAbstractButton::toggled, this, &ConfigDevice::slottimesetClicked);
    connect(ui.cbUseBattLevel, &QAbstractButton::toggled, this,
            &ConfigDevice::slotuseBattLevelClicked);
    connect(ui.cbUseBattTime, &QAbstractButton::toggled, this,
            &ConfigDevice::slotuseBattTimeClicked);
    connect(ui.cbUseMic, &QAbstractButton::toggled, this, &ConfigDevice::slotuseMic);
    for (const auto& shock : shocks) {
        QLabel* label = shock.label;
        connect(shock.slider, &QSlider::valueChanged, label,
                [label](int value) { label->setText(QString::number(value)); });
    }

    ui.dtDateTime->setDateTime(QDateTime::currentDateTime());
    for (const auto& b : m_bindings) {
        b->load(b->field().defaultValue);
    }
    applyInterlocks();
}

const FieldBinding* ConfigDevice::binding(FieldRole role) const {
    for (const auto& b : m_bindings) {
        if (b->field().role == role) {
            return b.get();
        }
    }
    return nullptr;
}

void ConfigDevice::load(const CardSetup& setup) {
    QString date;
    QString time;
    for (const auto& b : m_bindings) {
        const SetupField* field = setup.field(b->field().key);
        const QString stored = field != nullptr ? setup.value(*field) : b->field().defaultValue;
        if (b->field().role == FieldRole::SetDate) {
            date = stored;
        } else if (b->field().role == FieldRole::SetTime) {
            time = stored;
        }
    }
    ui.dtDateTime->setDateTime(storedClock(date, time));
    for (const auto& b : m_bindings) {
        const SetupField* field = setup.field(b->field().key);
        b->load(field != nullptr ? setup.value(*field) : b->field().defaultValue);
    }
    applyInterlocks();
}

void ConfigDevice::applyInterlocks() {
    const bool gpsTime = ui.cbUseGPS->isChecked();
    const bool clockSet = ui.cbTimeReset->isChecked() && !gpsTime;
    slotuseGPS(gpsTime);
    ui.cbTimeReset->setChecked(clockSet);
    ui.dtDateTime->setEnabled(clockSet);
    slotuseBattLevelClicked(ui.cbUseBattLevel->isChecked());
    slotuseBattTimeClicked(ui.cbUseBattTime->isChecked());
    slotuseMic(ui.cbUseMic->isChecked());
    for (const auto& b : m_bindings) {
        b->settle();
    }
}

QList<const FieldBinding*> ConfigDevice::bindings() const {
    QList<const FieldBinding*> list;
    for (const auto& b : m_bindings) {
        list << b.get();
    }
    return list;
}

QList<QPair<QString, QString>> ConfigDevice::changes() const {
    const FieldBinding* date = binding(FieldRole::SetDate);
    const FieldBinding* time = binding(FieldRole::SetTime);
    const FieldBinding* reset = binding(FieldRole::TimeReset);
    const bool clock =
        date->changed() || time->changed() || (reset->changed() && ui.cbTimeReset->isChecked());
    QList<QPair<QString, QString>> changes;
    for (const auto& b : m_bindings) {
        const bool clockPart = b.get() == date || b.get() == time;
        if (clockPart ? clock : b->changed()) {
            changes.append({b->field().key, clockPart ? b->shown() : b->value()});
        }
    }
    return changes;
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
