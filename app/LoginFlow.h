#pragma once

// The login step of start-up, against the login settings of a settings store
// (the native store QSettings("QUENDRA", "Korvel") in the program; any store in
// tests). Keys, all under "LOGIN/": FIRST_LOGIN (default true), AUTO_LOGIN,
// SAVE_LOGIN_ID (default false), LOGIN_ID (Base64 of the UTF-8 text, read back
// cut at 127 bytes) and PASSWORD (a salted hash, PasswordHash.h; older
// settings hold Base64 of the text, which the login replaces by the hash).
// The store's file is kept readable by its owner only.
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
    QString password;  // as stored: a hash, or the Base64 of older settings
};

LoginSettings readLoginSettings(QSettings& store);

// Stores an accepted login: first login over, the two check boxes, the user id
// exactly as typed (untrimmed, Base64-encoded) and, after a first run, the hash
// of the new password.
void storeAcceptedLogin(QSettings& store, const UCDlgLogin& dialog);

// Replaces a password stored as Base64 by older settings with its hash; true
// when it did.
bool upgradeStoredPassword(QSettings& store);

// Runs the login: a password still stored as Base64 is replaced by its hash
// first (also when auto login skips the dialog); the login is skipped when the
// account exists and auto login is on; otherwise the dialog is built from the
// settings, run by `execDialog` (by default its modal exec()) and, when
// accepted, stored. Returns whether the program may go on to the main window.
bool runLogin(QSettings& store, const std::function<int(UCDlgLogin&)>& execDialog = {});
