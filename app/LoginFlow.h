#pragma once

// The login step of start-up, against the login settings of a settings store
// (the native store QSettings("QUENDRA", "Korvel") in the program; any store in
// tests). Keys, all under "LOGIN/": FIRST_LOGIN (default true), AUTO_LOGIN,
// SAVE_LOGIN_ID (default false), LOGIN_ID and PASSWORD (Base64 of the UTF-8
// text, read back cut at 127 bytes).
//
// Threading: GUI thread only.

#include <QString>

#include <functional>

class QSettings;
class UCDlgLogin;

struct LoginSettings {
    bool firstLogin = true;
    bool autoLogin = false;
    bool saveLoginId = false;
    QString loginId;   // decoded
    QString password;  // decoded
};

LoginSettings readLoginSettings(QSettings& store);

// Stores an accepted login: first login over, the two check boxes, and the user
// id and password exactly as typed (untrimmed), Base64-encoded.
void storeAcceptedLogin(QSettings& store, const UCDlgLogin& dialog);

// Runs the login: skipped when the account exists and auto login is on;
// otherwise the dialog is built from the settings, run by `execDialog` (by
// default its modal exec()) and, when accepted, stored. Returns whether the
// program may go on to the main window.
bool runLogin(QSettings& store, const std::function<int(UCDlgLogin&)>& execDialog = {});
