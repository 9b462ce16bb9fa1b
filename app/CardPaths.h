#pragma once

// Where the recorder's card lies, given what the user opened.
//
// A card holds one folder per day (yyyymmdd) beside the recorder's setup files
// ("DVRSETUP.INI", "ZD-3100.INI") and the "logs" folder, so the card root of an
// opened day folder is the folder that holds it:
//   /media/u/CARD/20180102  ->  /media/u/CARD
// Until a day folder or a drive is chosen, the card root (and the folder whose
// files are listed) is the user's home folder; listing it ends at once, as for
// any folder whose name is not a date.
//
// Threading: free functions, any thread.

#include <QString>

// yyyymmdd of a day folder (the last part of `folder`), or 0 when its name is
// not a date (the file list's own rule).
int dayFolderDate(const QString& folder);

// The card root of a day folder: its parent, without a trailing "/" (except
// for "/" itself). Relative paths are made absolute first.
QString cardRootOfDayFolder(const QString& dayFolder);

// The card root and listed folder before the user has chosen one.
QString initialCardRoot();
