#pragma once

// Viewer tab of the setup editor: the viewer's own login account and speed
// unit, kept in the settings store (the native store QSettings("QUENDRA",
// "Korvel") in the program), not on the card. Changing the account here changes
// what the login dialog checks. The folder for captured pictures is the
// configuration's "CAPTUREPATH".
//
// Threading: GUI thread only.

#include <QWidget>

#include "ui_ConfigApp.h"

class QLineEdit;
class QPushButton;
class QSettings;

class ConfigApp : public QWidget {
    Q_OBJECT

public:
    explicit ConfigApp(QWidget* parent = nullptr);

    void load(const QSettings& store);
    // Writes the account (Base64), auto login and the speed unit; the
    // "RememberMe" box is shown but left to the login dialog.
    void save(QSettings& store) const;

    Ui::ConfigApp ui;
    // Capture folder row: the folder and a button that browses for it.
    QLineEdit* leCapturePath = nullptr;
    QPushButton* pbCapturePath = nullptr;

protected:
    void changeEvent(QEvent* event) override;
};
