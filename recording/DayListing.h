#pragma once

// The file list of a day folder, as the main window shows it: which recording
// files of a day folder are listed, in which order, and under which item.
//
//   day folder   named yyyymmdd: the last part of the path; year = its first
//                4 characters, month = characters 5-6, day = its last 2
//                characters, each a decimal number (surrounding blanks and a
//                sign allowed). Not a number, a year before 1970, a month or
//                a day below 1: not a day folder, nothing is listed.
//   files        regular files (links followed, hidden names left out) whose
//                name ends in ".ssf" in any case, sorted by name ignoring
//                case; listed when bigger than 300 bytes and readable.
//   item         "hh:mm:ss" from the name's characters 1-2, 3-4 and 5-6, with
//                the folder's date yyyymmdd as a number.
//
// The Qt file-list worker applies the same rules through these functions.
//
// Threading: free functions without shared state; they only read the file
// system.

#include <functional>
#include <string>
#include <vector>

namespace dayListing {

// Listed files are bigger than this.
constexpr unsigned long long kMaxUnlistedSize = 300;

struct Item {
    std::string fileName;  // as found in the folder
    std::string item;      // "hh:mm:ss"
    int date = 0;          // yyyymmdd
};

// yyyymmdd of the day folder at the end of `folderPath` ("/" separated, empty
// parts dropped), or 0 when its name is not a day.
int dayFolderDate(const std::string& folderPath);

// The item text of a recording file name: characters 1-2, 3-4 and 5-6 joined
// by ":" (shorter names give shorter parts, as the characters run out).
std::string itemName(const std::string& fileName);

// Whether a name is one the listing looks at: ends in ".ssf" (any case) and
// is not hidden (does not start with ".").
bool isRecordingName(const std::string& fileName);

// Name order of the listing: ASCII letters compared without case, ties broken
// by the bytes themselves so that the order is total.
bool lessIgnoringCase(const std::string& a, const std::string& b);

// Names of the regular files of `folder` that isRecordingName() accepts,
// sorted with lessIgnoringCase(). Empty when the folder cannot be read.
std::vector<std::string> recordingNames(const std::string& folder);

// Whether the file at `path` is listed by its size: readable and bigger than
// kMaxUnlistedSize bytes (an unreadable file counts as size 0).
bool isListedSize(const std::string& path);

// The whole listing of a day folder: nothing when its name is not a day.
// `keepGoing`, when set, is asked before each file; false ends the listing.
std::vector<Item> listDayFolder(const std::string& folderPath,
                                const std::function<bool()>& keepGoing = {});

}  // namespace dayListing
