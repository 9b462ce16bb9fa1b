#pragma once

// The recorder's setup files of the demo card: INI text as the recorder
// writes it (top-level keys first, then sections; CR LF line ends), encoded
// in EUC-KR. "DVRSETUP.INI" always, "ZD-3100.INI" on request. Values are
// written exactly as given. Pure functions; thread-safe.

#include <string>

#include "MakeCard.h"

namespace mkcard {

// UTF-8 to EUC-KR through iconv; false when the text has no EUC-KR form.
bool utf8ToEucKr(const std::string& utf8, std::string* eucKr, std::string* error);

// Firmware version written as INFORMATION/FW_VER1 .. FW_VER4.
constexpr int kFirmwareVersion[4] = {1, 1, 0, 5};

// DVRSETUP.INI's text in UTF-8.
std::string setupIniText(const CardOptions& options);

// ZD-3100.INI's text in UTF-8: DVRSETUP.INI's keys without the INFORMATION
// section, with options.modelSettings set (a missing key is added at the end
// of its section, a missing section at the end of the file).
std::string modelIniText(const CardOptions& options);

// Writes outDir/DVRSETUP.INI and, with options.modelIni, outDir/ZD-3100.INI.
bool writeSetupIni(const CardOptions& options, std::string* error);

}  // namespace mkcard
