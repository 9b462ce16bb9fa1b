#pragma once

// The reader of one camera channel's recordings: holds the channel's list of
// recording files, opens them one after another, loads each file's key-frame
// list (from its index file, else from the file's own I-frame table) and reads
// the data packets one by one into engine records. It also finds the start and
// end of a file and positions itself at a date and time across its files.
//
// Reading patterns by speed index (SpeedTable): 8 (normal forward) and 7
// (still) read every packet in file order; the other indexes read key frames
// only, stepping through the key-frame list forward (direction 0) or backward
// (direction 1) and moving on to the neighbouring file when the list is
// played out. When a file's data ends (short read, the I-frame table, a packet
// of impossible length) the reader moves to the next file in its direction;
// when there is none it has run out: currentInstant() is not_a_date_time.
//
// Threading: the media source's read thread calls readNext() and the queries;
// the GUI thread calls setSpeed(), the play and positioning operations and the
// queries at the same time. Every operation that touches the file, the key
// frames or the current sample takes the reader's recursive lock and then, for
// file operations, the SSFile's lock: always reader first, file second. The
// lock is recursive because positioning opens files and reads while holding
// it. fileStart(), fileEnd() and the name helpers touch no reader state and
// open their own streams. The enabled flag and the speed index and direction
// may be read without the lock.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/function.hpp>

#include "engine/Params.h"
#include "engine/PlaybackTypes.h"
#include "engine/Records.h"
#include "recording/SSFile.h"
#include "recording/Vorta.h"

class SSFChannelReader {
public:
    using ptime = boost::posix_time::ptime;

    // One key frame: its packet's file offset and its time stamp (ms since the
    // file's start instant).
    struct KeyFrame {
        std::uint32_t offset = 0;
        std::uint32_t timeMs = 0;
    };

    // Result of a file search for a target instant.
    struct FileSearch {
        int file = -1;        // index into files(), -1 when nothing was found
        bool inside = false;  // the target lies between the file's start and end
    };

    // Size of the packet buffer, allocated once per reader.
    static constexpr std::size_t kPacketBufferSize = VORTA::kMaxPacketSize;
    // Buffer for a file's header unit when a file is opened.
    static constexpr std::size_t kHeaderBufferSize = 10240;
    // Files with 1 to this many files are searched linearly, longer lists by
    // binary search.
    static constexpr int kLinearSearchMaxFiles = 4;

    // `params` supplies the audio sink; it is copied.
    SSFChannelReader(int channel, const SourceParams& params);
    ~SSFChannelReader();
    SSFChannelReader(const SSFChannelReader&) = delete;
    SSFChannelReader& operator=(const SSFChannelReader&) = delete;

    // Closes the file and forgets the position: no current, first or last
    // instant, current file -1, no key frames. The file list stays.
    void reset();
    // Appends a recording file (folder scan, before the read thread starts).
    void addFile(const std::string& path);
    // Sorts the file list by byte value and finds the first instant (start of
    // the first file that has one) and the last instant (end of the last file
    // that has one).
    void prepare();
    // Current file = 0 (the first file).
    void rewind();
    // Opens files()[currentFile()] unless it is already open, reads its header
    // unit and loads its key frames. Nothing when the list is empty or the
    // current file is outside it.
    void openCurrentFile();
    // Reads one packet and makes its record (see the file comment). Video, GPS
    // and G-sensor records become the current sample; audio records go to the
    // audio sink at once.
    void readNext();

    ptime currentInstant() const;
    // The record made by the last read, owned by the reader: valid until the
    // next readNext() or positioning call, which may come from another thread.
    // A caller on another thread than the positioning one uses
    // deliverCurrentSample() instead.
    STREAMOBJECT* currentSample() const;
    // Calls `sink` with the current sample while holding the reader's lock, so
    // that no positioning call can delete the sample meanwhile. Returns false
    // (and does not call the sink) when there is no sample or the sink is empty.
    bool deliverCurrentSample(const boost::function<void(STREAMOBJECT*)>& sink) const;
    // No file open.
    bool isClosed() const;

    // Takes a new speed index (nothing when it is the current one or not a
    // valid index). Index 7 sets direction 4 (still) and keeps the position;
    // other indexes set direction 0 (8 and above) or 1 (below 7) and seek to
    // date (yyyymmdd) and time (hhmmss).
    void setSpeed(int speedIndex, int date, int time);
    // Speed index 8, direction 0, then seek.
    void playForwardFrom(int date, int time);
    // Unless the speed index is already 6: speed index 6, direction 1, seek.
    void playBackwardFrom(int date, int time);

    // Instant of the file's first key frame (from its index file), or
    // not_a_date_time.
    ptime fileStart(const std::string& path) const;
    // Instant of the file's last key frame (index file, else I-frame table,
    // else recording length), or not_a_date_time.
    ptime fileEnd(const std::string& path) const;
    // File offset of the key frame for `target` in the reader's direction, or
    // -1; sets the current entry. For a file with no index file and no
    // I-frame table, the offset of its first packet.
    std::int64_t findOffset(const std::string& path, const ptime& target);
    // Loads the open file's key frames from its index file, else from its
    // I-frame table; the current entry becomes 0 (direction 0) or the last
    // entry (direction 1). Leaves the file position where it was.
    void loadKeyFrames();
    // Positions the reader at the key frame for date (yyyymmdd) and time
    // (hhmmss) across its files and reads the packet there. Returns false
    // (changing nothing) for an invalid date or time; true otherwise, also when
    // no file could be positioned (then currentFile() is -1).
    bool seek(int date, int time);
    // First / last key frame of the current file, read at once.
    void goToFirst();
    void goToLast();
    // Current file = first / last file of the list, then goToFirst() /
    // goToLast().
    void goToFirstFile();
    void goToLastFile();

    // The two file searches behind seek(), without side effects except output
    // to the log stream. Both give the same answer for any target: the file
    // whose start (from its name) and end hold the target, else the next file
    // (direction 0) or the previous file (direction 1), else the nearest file
    // at all. Files without a valid name or end are passed over.
    FileSearch searchLinear(const ptime& target) const;
    FileSearch searchBinary(const ptime& target) const;

    // Date (yyyymmdd) and time (hhmmss) encoded in a recording path
    // ".../yyyymmdd/hhmmss...": -1 when they cannot be read.
    static int dateOfPath(const std::string& path);
    static int timeOfPath(const std::string& path);
    // Start instant by the path's names, not_a_date_time when they are invalid.
    static ptime nameInstant(const std::string& path);
    // The index file of a recording file: the last ".ssf" (any case) replaced
    // by ".idx" in the same case pattern; the path unchanged when it has none.
    static std::string indexPathFor(const std::string& ssfPath);

    int channel() const { return channel_; }
    // Set and cleared by the media source (read loop and flow control); the
    // reader does not use it.
    std::atomic<std::uint8_t> enabled{0};

    ptime firstInstant() const;
    ptime lastInstant() const;
    int speedIndex() const { return speedIndex_.load(); }
    int direction() const { return direction_.load(); }
    std::vector<std::string> files() const;
    int currentFile() const;
    int currentEntry() const;
    int entryCount() const;
    std::vector<KeyFrame> keyFrames() const;
    // Header unit of the open file (copy).
    VORTA::HEADERUNIT headerUnit() const;
    // Where seek() prints the lines for every examined file; std::cout unless
    // set (before the reader is used from several threads).
    void setLog(std::ostream* log);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    const int channel_;
    // Written under the reader's lock, read without it.
    std::atomic<int> speedIndex_{kSpeedIndexNormal};
    std::atomic<int> direction_{DIRECTION_FORWARD};
};
