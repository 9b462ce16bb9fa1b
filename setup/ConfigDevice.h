#pragma once

// Device tab of the recorder setup editor: vehicle number, Wi-Fi password,
// clock, shock sensitivity, battery protection and microphone, read from and
// written to the recorder's setup file.
//
// Threading: GUI thread only.

#include <QWidget>

#include "ui_ConfigDevice.h"

class QLabel;
class QSettings;
class QSlider;

class ConfigDevice : public QWidget {
    Q_OBJECT

public:
    // Entries of the time-zone combo box, in the recorder's order.
    static const QStringList& timeZoneNames();
    static constexpr int kDefaultTimeZone = 77;  // "(GMT+9) Seoul"

    explicit ConfigDevice(QWidget* parent = nullptr);

    // Shows the values of `ini` (defaults for missing keys) and applies the
    // interlocks of the check boxes.
    void load(const QSettings& ini);
    // Writes every key of the tab.
    void save(QSettings& ini) const;

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
    struct Shock {
        const char* key;
        QSlider* slider;
        QLabel* label;
    };
    QList<Shock> shocks() const;
};
