#pragma once

// The names an export stamps on its files: the vehicle number and the
// channels' titles from the recorder's setup file "DVRSETUP.INI" at the card
// root (INI text in EUC-KR): the top-level key "DVR_NAME" and
// "CAMERA/TITLE_<n>" with n the 0-based channel.
//
// Threading: free functions, any thread (they only read the file, with the
// setup editor's own reader, setup/IniDocument.h).

#include <map>
#include <string>

namespace exporting {

struct CardLabels {
    std::string vehicleNumber;         // UTF-8; empty when the setup names none
    std::map<int, std::string> titles;  // channel -> UTF-8 title, where set

    // The channel's title: the setup's, else `recorded` (the title the
    // recording carries), else "CH<channel + 1>".
    std::string titleOf(int channel, const std::string& recorded = std::string()) const;
};

// Reads "<cardRoot>/DVRSETUP.INI"; a missing or unreadable file gives no
// labels.
CardLabels readCardLabels(const std::string& cardRoot);

}  // namespace exporting
