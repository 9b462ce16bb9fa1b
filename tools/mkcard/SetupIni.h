#pragma once

// The recorder's setup file "DVRSETUP.INI" of the demo card: INI text as the
// recorder writes it (top-level keys first, then sections; CR LF line ends),
// encoded in EUC-KR. Pure functions; thread-safe.

#include <string>

#include "MakeCard.h"

namespace mkcard {

// UTF-8 to EUC-KR through iconv; false when the text has no EUC-KR form.
bool utf8ToEucKr(const std::string& utf8, std::string* eucKr, std::string* error);

// Firmware version written as INFORMATION/FW_VER1 .. FW_VER4.
constexpr int kFirmwareVersion[4] = {1, 1, 0, 5};

// The file's text in UTF-8.
std::string setupIniText(const CardOptions& options);

// Writes outDir/DVRSETUP.INI.
bool writeSetupIni(const CardOptions& options, std::string* error);

}  // namespace mkcard
