#include "setup/ConfigStorage.h"

#include <QEvent>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>

ConfigStorage::ConfigStorage(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
    // The share labels are tinted by the kind of recording they stand for, so
    // the presets read at a glance.
    const QList<QPair<QString, QString>> kinds = {
        {"DN", "#1f7fb8"}, {"DS", "#b8651f"}, {"PM", "#2f9a5a"}, {"PS", "#8a4fb8"}};
    for (QLabel* label : findChildren<QLabel*>()) {
        const QString name = label->objectName();
        for (const auto& kind : kinds) {
            if (name.size() == 5 && name.startsWith("lb") && name.endsWith(kind.first)) {
                label->setStyleSheet(
                    QString("QLabel { background-color: %1; color: #ffffff; border-radius: 3px;"
                            " padding: 2px 6px; }"
                            "QLabel:disabled { background-color: #2b3646; color: #5d6878; }")
                        .arg(kind.second));
            }
        }
    }
}

QRadioButton* ConfigStorage::preset(int index) const {
    const QList<QRadioButton*> buttons = {ui.rbA, ui.rbB, ui.rbC, ui.rbD, ui.rbE,
                                          ui.rbF, ui.rbG, ui.rbH, ui.rbI};
    return index >= 0 && index < buttons.size() ? buttons.at(index) : nullptr;
}

bool ConfigStorage::lastPresetSupported(const int firmware[4]) {
    static constexpr int kSince[4] = {1, 1, 0, 2};
    for (int i = 0; i < 4; ++i) {
        if (firmware[i] != kSince[i]) {
            return firmware[i] > kSince[i];
        }
    }
    return true;
}

void ConfigStorage::load(const int firmware[4], const QSettings& ini) {
    const bool lastPreset = lastPresetSupported(firmware);
    ui.rbI->setCheckable(lastPreset);
    ui.rbI->setEnabled(lastPreset);
    ui.lbIDN->setEnabled(lastPreset);
    // A checked button of an exclusive set cannot be unchecked directly; a
    // preset that is not offered must not leave an earlier choice checked.
    for (int i = 0; i < kPresetCount; ++i) {
        preset(i)->setAutoExclusive(false);
        preset(i)->setChecked(false);
        preset(i)->setAutoExclusive(true);
    }
    const int usage = ini.value("DISK/DISK_USAGE", kDefaultPreset).toInt();
    if (QRadioButton* button = preset(usage)) {
        button->setChecked(true);
    }
}

void ConfigStorage::save(QSettings& ini) const {
    int usage = 0;
    for (int i = 0; i < kPresetCount; ++i) {
        if (preset(i)->isChecked()) {
            usage = i;
            break;
        }
    }
    ini.setValue("DISK/DISK_USAGE", usage);
}

void ConfigStorage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
