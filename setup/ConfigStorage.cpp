#include "setup/ConfigStorage.h"

#include <QEvent>
#include <QLabel>
#include <QRadioButton>

#include "setup/SetupModel.h"

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

void ConfigStorage::load(const CardSetup& setup) {
    const bool lastPreset = setup.info().lastPresetSupported();
    ui.rbI->setCheckable(lastPreset);
    ui.rbI->setEnabled(lastPreset);
    ui.lbIDN->setEnabled(lastPreset);
    QList<QRadioButton*> buttons;
    for (int i = 0; i < kPresetCount; ++i) {
        buttons << preset(i);
    }
    m_binding.reset();
    for (const SetupField& field : setup.fields()) {
        if (field.role == FieldRole::DiskUsage) {
            m_binding = std::make_unique<RadioBinding>(field, buttons);
            m_binding->load(setup.value(field));
        }
    }
}

QList<const FieldBinding*> ConfigStorage::bindings() const {
    return m_binding ? QList<const FieldBinding*>{m_binding.get()} : QList<const FieldBinding*>{};
}

void ConfigStorage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
