#pragma once

// Opening the setup editor from the main window's configuration button.
//
// Threading: GUI thread only (modal dialogs).

#include <QString>

#include <functional>

class QWidget;

// Runs the editor on the card's files: loads it from `infoPath`
// ("DVRSETUP.INI") and `editedPath` (the file whose values are shown), shows it
// modally and, on acceptance, saves it to `targetPath` ("ZD-3100.INI"). When the
// card file cannot be written the editor stays open with the user's values, so
// that the user can retry or cancel. Returns true when the viewer settings
// were saved: the speed unit ("SHOW/SPEED_MPH") may then have changed.
bool editRecorderSetup(QWidget* parent, const QString& infoPath, const QString& editedPath,
                       const QString& targetPath);

// The whole of the configuration button under the card root `cardRoot`: uses
// cardRoot/"DVRSETUP.INI" and cardRoot/"ZD-3100.INI"; when neither exists,
// asks `selectDrive` for another root (empty: cancelled; by default the drive
// dialog), and when that is cancelled says " There is not a setting file.".
// The edited file is "ZD-3100.INI" when it exists, else "DVRSETUP.INI".
// Returns what editRecorderSetup returns (false when nothing was opened).
bool runSetupEditor(QWidget* parent, const QString& cardRoot,
                    const std::function<QString()>& selectDrive = {});
