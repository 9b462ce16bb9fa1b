#pragma once

// Storage tab of the recorder setup editor: how the card is shared between
// driving and parking recordings, as one of nine presets "A" to "I".
//
// Threading: GUI thread only.

#include <QWidget>

#include "ui_ConfigStorage.h"

class QRadioButton;
class QSettings;

class ConfigStorage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPresetCount = 9;
    static constexpr int kDefaultPreset = 4;

    // Preset I needs firmware 1.1.0.2 or later.
    static bool lastPresetSupported(const int firmware[4]);

    explicit ConfigStorage(QWidget* parent = nullptr);

    // `firmware` is the recorder's version (four numbers); the preset comes
    // from "DISK/DISK_USAGE" of `ini`.
    void load(const int firmware[4], const QSettings& ini);
    // Writes the index of the first checked preset (0 when none is).
    void save(QSettings& ini) const;

    QRadioButton* preset(int index) const;

    Ui::ConfigStorage ui;

protected:
    void changeEvent(QEvent* event) override;
};
