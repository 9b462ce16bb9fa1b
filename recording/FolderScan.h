#pragma once

// The folder scan of the recording media source: hands the recording files of
// one folder to the channel readers and prepares them.
//
// Threading: runs on the media source's preparation thread before its read
// thread exists; the readers are not used by any other thread meanwhile.
// `keepGoing` may be cleared by any thread to end the scan early.

#include <atomic>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class SSFChannelReader;

// Files of this size or less are no recordings.
constexpr unsigned long long kMinRecordingFileSize = 301;

// The folder as the scan stores it in the readers' paths: absolute, without
// "." parts and without a trailing "/", so that the day folder is always the
// second-to-last part of a stored path.
std::string recordingFolderPath(const std::string& folder);

// Lists `folder` (not recursively) and prints each entry to `log` (null: to
// standard output only while tracing is on, see core/Trace.h). A regular
// file whose name ends in ".ssf" (any case), bigger than 300 bytes, goes to
// the reader whose channel() is the number in characters 7-8 of its name; the
// stored path (recordingFolderPath() + "/" + name) keeps the file's real
// name. Files of channels without a reader, FIFOs, devices and folders are
// passed over, or, when `unread` is given, listed there as (channel, stored
// path) for the channels 0 to 31 without a reader. Then every reader is
// prepared (sorted, first and last instants), while keepGoing is set.
void scanFolder(const std::string& folder, const std::vector<SSFChannelReader*>& readers,
                const std::atomic<bool>& keepGoing, std::ostream* log,
                std::vector<std::pair<int, std::string>>* unread = nullptr);
