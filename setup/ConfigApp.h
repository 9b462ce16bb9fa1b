#pragma once

// Viewer tab of the setup editor: the viewer's own login account and speed
// unit, kept in the settings store (the native store QSettings("QUENDRA",
// "Korvel") in the program), not on the card. Changing the account here changes
// what the login dialog checks. The folder for captured pictures is the
// configuration's "CAPTUREPATH".
//
// The password is never shown: its field starts empty and a save changes the
// stored password (its hash, PasswordHash.h) only when a new one was typed,
// twice alike. The fields take no longer texts than the login dialog does, so
// an account set here can always be typed there.
//
// Threading: GUI thread only.

#include <QWidget>

#include "ui_ConfigApp.h"

class QLineEdit;
class QPushButton;
class QSettings;
class ShockSettingBox;

class ConfigApp : public QWidget {
    Q_OBJECT

public:
    // The login dialog's limits.
    static constexpr int kMaxUserIdLength = 30;
    static constexpr int kMaxPasswordLength = 20;

    explicit ConfigApp(QWidget* parent = nullptr);

    void load(const QSettings& store);
    // Why the account cannot be saved (translated), or an empty text.
    QString refusal() const;
    // Writes the user id (Base64), the new password's hash when one was typed,
    // auto login and the speed unit, to a store only its owner may read; the
    // "RememberMe" box is shown but left to the login dialog.
    void save(QSettings& store) const;

    Ui::ConfigApp ui;
    // The shock threshold of the viewer's events.
    ShockSettingBox* shockSetting = nullptr;
    // Capture folder row: the folder and a button that browses for it.
    QLineEdit* leCapturePath = nullptr;
    QPushButton* pbCapturePath = nullptr;

protected:
    void changeEvent(QEvent* event) override;
};
