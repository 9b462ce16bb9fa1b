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
#include <vector>

class SSFChannelReader;

// Files of this size or less are no recordings.
constexpr unsigned long long kMinRecordingFileSize = 301;

// Lists `folder` (not recursively) and prints each entry to `log`. A regular
// file whose name contains ".ssf" (any case), bigger than 300 bytes, goes to
// the reader whose channel() is the number in characters 7-8 of its name; the
// stored path keeps the file's real name. Files of channels without a reader
// are passed over. Then every reader is prepared (sorted, first and last
// instants), while keepGoing is set.
void scanFolder(const std::string& folder, const std::vector<SSFChannelReader*>& readers,
                const std::atomic<bool>& keepGoing, std::ostream& log);
