#pragma once

// Settings files that hold credentials (the login settings, the
// configuration file with its P2P password) are readable by their owner only.
//
// Threading: any thread; touches only the file named.

#include <QString>

// Makes `path` a file only its owner may read and write (mode 0600): creates
// it empty with that mode when it is missing (with its folder), or takes the
// other users' rights away from an existing one. Call before the settings are
// first written: Qt then replaces the file keeping its mode. False when the
// file could not be created or changed.
bool restrictToOwner(const QString& path);
