#pragma once

// Device tab of the recorder setup editor: vehicle number, Wi-Fi password,
// clock, shock sensitivity, battery protection and microphone. Its fields,
// their entries and defaults come from the setup model (SetupModel.h).
//
// Threading: GUI thread only.

#include <QWidget>

#include <memory>
#include <vector>

#include "setup/FieldBinding.h"
#include "ui_ConfigDevice.h"

class CardSetup;

class ConfigDevice : public QWidget {
    Q_OBJECT

public:
    // Shows the defaults.
    explicit ConfigDevice(QWidget* parent = nullptr);

    // Shows the card's values and applies the interlocks of the check boxes.
    void load(const CardSetup& setup);

    // The tab's fields, in the model's order.
    QList<const FieldBinding*> bindings() const;
    // What a save writes: every changed field; the clock's date and time
    // together, whenever either changed or the clock box was newly ticked
    // (the recorder is then set to what the edit shows).
    QList<QPair<QString, QString>> changes() const;

    Ui::ConfigDevice ui;

public slots:
    // GPS time on: the recorder's clock cannot be set by hand.
    void slotuseGPS(bool checked);
    void slottimesetClicked(bool checked);
    void slotuseBattLevelClicked(bool checked);
    void slotuseBattTimeClicked(bool checked);
    void slotuseMic(bool checked);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyInterlocks();
    const FieldBinding* binding(FieldRole role) const;

    std::vector<std::unique_ptr<FieldBinding>> m_bindings;
};
