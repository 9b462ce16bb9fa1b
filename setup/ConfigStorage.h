#pragma once

// Storage tab of the recorder setup editor: how the card is shared between
// driving and parking recordings, as one of nine presets "A" to "I".
//
// Threading: GUI thread only.

#include <QWidget>

#include <memory>

#include "setup/FieldBinding.h"
#include "ui_ConfigStorage.h"

class CardSetup;
class QRadioButton;

class ConfigStorage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPresetCount = 9;

    explicit ConfigStorage(QWidget* parent = nullptr);

    // Offers preset I when the recorder's firmware has it, and checks the
    // stored preset (preset I stays shown, disabled, when it is stored but not
    // offered; a value that is no preset leaves every button clear and is kept
    // until one is chosen).
    void load(const CardSetup& setup);

    QList<const FieldBinding*> bindings() const;

    QRadioButton* preset(int index) const;

    Ui::ConfigStorage ui;

protected:
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<FieldBinding> m_binding;
};
