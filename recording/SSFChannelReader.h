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
// played out. When a file's data end (end of the file, the I-frame table) the
// reader moves to the next file in its direction; when there is none it has
// run out: currentInstant() is not_a_date_time.
//
// Damaged and unusual files (real cards see power losses and worn flash):
// - A file is dated from its header; when the header's date is unusable (not
//   a date, or so close to the year 10000 that its packets have none) from
//   its folder and name (yyyymmdd/hhmmss...). A file with neither is passed
//   over, as one that cannot be opened.
// - A damaged packet (length out of range or past the data, a head that does
//   not parse, a time stamp beyond the hour a recording covers) costs at most
//   the rest of its group of pictures: reading goes on at the next key frame
//   of the key-frame list after it, or, without one, at the next plausible
//   packet head (see PacketScan.h), skipping video up to the next key frame.
// - A key-frame list from the index file that does not fit the recording
//   counts as damaged, and the I-frame table is used; when neither fits, or
//   the file has neither (power loss), the key frames are found by walking
//   the packet heads, when a seek or a key-frame speed first needs them.
// - Only regular files are opened (RegularFile.h).
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

#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "core/Records.h"
#include "recording/PacketScan.h"
#include "recording/SSFile.h"
#include "recording/Vorta.h"

class SSFChannelReader {
public:
    using ptime = boost::posix_time::ptime;

    // One key frame: its packet's file offset and its time stamp (ms since the
    // file's start instant).
    using KeyFrame = packetscan::KeyFrame;

    // Where the open file's key-frame list came from.
    enum class KeySource { None, Index, Table, Scan };

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
    // Opens the first file that can be read (files that cannot be opened or
    // dated are passed over) and reads its first packet. Nothing when no file
    // can be read.
    void startAtFirstFile();
    // Opens files()[currentFile()] unless it is already open, reads its header
    // unit and loads its key frames. Nothing when the list is empty or the
    // current file is outside it.
    void openCurrentFile();
    // Reads one packet and makes its record (see the file comment). Video, GPS
    // and G-sensor records become the current sample; audio records go to the
    // audio sink at once.
    void readNext();

    ptime currentInstant() const;
    // Whether currentInstant() is set; without the lock, so that a caller is
    // never held up by a read or a seek in progress.
    bool hasCurrentInstant() const;
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
    // Takes the speed index and its direction and seeks to date and time,
    // also when the index is the current one: the caller has dropped what
    // the reader delivered so far, so its read-ahead position is no longer
    // where playback is. Index 7 seeks too, reading forward from there.
    void repositionAt(int speedIndex, int date, int time);
    // Speed index 8, direction 0, then seek.
    void playForwardFrom(int date, int time);
    // Speed index 6, direction 1, then seek (also when already at 6: see
    // repositionAt).
    void playBackwardFrom(int date, int time);

    // Instant of the file's first key frame (index file, else I-frame table,
    // else the file's start), or not_a_date_time when the file cannot be
    // dated.
    ptime fileStart(const std::string& path) const;
    // Instant of the file's last key frame (index file, else I-frame table,
    // else recording length), or not_a_date_time.
    ptime fileEnd(const std::string& path) const;
    // File offset of the key frame for `target` in the reader's direction, or
    // -1; sets the current entry. Forward: the first key frame at or after
    // the target, else the file's last one (the target lies in its group of
    // pictures). Backward: the key frame before the target, the current
    // entry staying at the one after it. For a file without a key-frame list
    // the key frames are found from its packets; without any key frame the
    // result is the offset of its first packet.
    std::int64_t findOffset(const std::string& path, const ptime& target);
    // Loads the open file's key frames from its index file, else from its
    // I-frame table (see the file comment); the current entry becomes 0
    // (direction 0) or the last entry (direction 1). Leaves the file position
    // where it was.
    void loadKeyFrames();
    // Positions the reader at the key frame for date (yyyymmdd) and time
    // (hhmmss) and reads the packet there. A target in a gap between files
    // takes the next file forward (still counts as forward) and the previous
    // one backward; when there is no file on that side the reader has
    // nothing to play there and stays without a current instant. Returns
    // false (changing nothing) for an invalid date or time; true otherwise,
    // also when no file could be positioned (then currentFile() is -1).
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
    // (direction 0 and still) or the previous file (direction 1), else none.
    // Files without a valid name or end are passed over.
    FileSearch searchLinear(const ptime& target) const;
    FileSearch searchBinary(const ptime& target) const;

    // Date (yyyymmdd) and time (hhmmss) encoded in a recording path
    // ".../yyyymmdd/hhmmss...": -1 when they cannot be read.
    static int dateOfPath(const std::string& path);
    static int timeOfPath(const std::string& path);
    // Start instant by the path's names, not_a_date_time when they are invalid.
    static ptime nameInstant(const std::string& path);
    // The start a file's packets are dated from: the header's start instant
    // when usable (VORTA::isUsableStart), else the start by the path's names
    // when usable, else not_a_date_time.
    static ptime datingStart(const VORTA::HEADERUNIT& header, const std::string& path);
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
    KeySource keySource() const;
    // Header unit of the open file (copy).
    VORTA::HEADERUNIT headerUnit() const;
    // The instant the open file's packets are dated from (datingStart);
    // not_a_date_time when no file is open.
    ptime openFileStart() const;
    // Where seek() prints the lines for every examined file; null (the
    // default) prints them to standard output only while tracing is on (see
    // core/Trace.h). Set before the reader is used from several threads.
    void setLog(std::ostream* log);

private:
    struct Impl;
    // Caller holds the reader's lock.
    void ensureKeyFrames();
    bool resumeAfterDamage(std::int64_t at);
    // goToFirst / goToLast: the open file's first or last key frame.
    void goToKeyFrameAtEnd(bool last);

    std::unique_ptr<Impl> d_;
    const int channel_;
    // Written under the reader's lock, read without it.
    std::atomic<int> speedIndex_{kSpeedIndexNormal};
    std::atomic<int> direction_{DIRECTION_FORWARD};
};
