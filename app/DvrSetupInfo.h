#pragma once

// What the main window reads from the recorder's setup file "DVRSETUP.INI" at
// the card root: the vehicle number and the firmware version. The recorder
// writes the file as INI text in EUC-KR.
//
// Threading: free functions, any thread (they only read the file).

#include <QString>

struct DvrSetupInfo {
    QString vehicleNumber;           // "/DVR_NAME"; empty when absent
    int firmware[4] = {0, 0, 0, 0};  // "INFORMATION/FW_VER1".."FW_VER4"; 0 when absent

    // Firmware 1.0.0.x with x <= 33 stores recordings whose extra data this
    // viewer cannot read in full.
    bool isOldFirmware() const;
};

// The file's name at the card root.
inline constexpr const char* kDvrSetupFileName = "DVRSETUP.INI";

// Path of "DVRSETUP.INI" under `cardRoot` ("%1/%2").
QString dvrSetupPath(const QString& cardRoot);

// Reads the setup file under `cardRoot`. A missing or unreadable file gives an
// empty vehicle number and firmware 0.0.0.0.
DvrSetupInfo readDvrSetupInfo(const QString& cardRoot);
