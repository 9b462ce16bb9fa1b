#pragma once

// What every export takes and gives: the stretch of a day to export, the
// caller's controls (cancel flag, progress callback) and the outcome.
//
// Times are milliseconds from 00:00:00 of the day folder's date, in the
// recorder's local time, as in analysis/DayData.h. A range is [fromMs, toMs).
//
// Threading: plain values. An export runs wholly on the thread that calls it
// (libx264 and the AAC encoder may run threads of their own, joined before the
// call returns) and calls the progress callback on that thread. The cancel
// flag may be set from any thread; the export then stops within a fraction of
// a second and returns Status::Cancelled, leaving no file behind.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace exporting {

struct ExportRange {
    std::string dayFolder;  // ".../yyyymmdd"
    std::int64_t fromMs = 0;
    std::int64_t toMs = 0;
    // Camera channels 0-31 in the order wanted; empty for every channel of the
    // day (clip and evidence exports).
    std::vector<int> channels;
};

enum class Status {
    Ok,
    Cancelled,
    Failed,  // bad input, nothing to export, or a read or write error
};

struct ExportResult {
    Status status = Status::Failed;
    // One line for the user when the export did not succeed; write errors name
    // the path ("Cannot write /media/usb/x.mp4: No space left on device").
    std::string message;
    // The files written, final names, when the export succeeded.
    std::vector<std::string> files;
    // What the user should know of a success ("CH3: no recording in this
    // range").
    std::vector<std::string> notes;

    bool ok() const { return status == Status::Ok; }
    static ExportResult failed(std::string why) {
        ExportResult r;
        r.message = std::move(why);
        return r;
    }
    static ExportResult cancelled() {
        ExportResult r;
        r.status = Status::Cancelled;
        r.message = "Cancelled";
        return r;
    }
};

struct ExportControl {
    // Set by the caller to stop the export; may be null.
    const std::atomic<bool>* cancel = nullptr;
    // Share of the work done, 0 to 1, rising; called a few times a second at
    // most. May be empty.
    std::function<void(double fraction)> progress;

    bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
};

// Passes the share done on to the caller's callback, at most every 100 ms
// (and always the first, the final and a forced report: the start of a new
// file).
class ProgressThrottle {
public:
    explicit ProgressThrottle(const ExportControl& control) : control_(control) {}
    void report(double fraction, bool force = false);

private:
    const ExportControl& control_;
    std::chrono::steady_clock::time_point last_{};
    bool reported_ = false;
};

// Checks what every export needs: a day folder (named yyyymmdd) that
// exists, a range that is not empty and channels 0-31 without repeats. On
// success *dayDate is the folder's date; otherwise *error says what is wrong.
bool checkRange(const ExportRange& range, int* dayDate, std::string* error);

// Estimates the time left from the share done and the time spent so far.
// Threading: one owner.
class TimeLeft {
public:
    using Clock = std::chrono::steady_clock;

    TimeLeft() : started_(Clock::now()) {}
    // Seconds left at `fraction` done, or -1 while there is too little to go
    // by (under 2 % done or under one second spent).
    double secondsLeft(double fraction) const;
    // "0:42", "12:05", "1:02:03"; "" for a negative value.
    static std::string format(double seconds);

private:
    Clock::time_point started_;
};

// Parses "HHMMSS" (also "HH:MM:SS") into ms from midnight; "240000" is the
// end of the day. False for anything else.
bool parseClockTime(const std::string& text, std::int64_t* ms);

// "2026-03-01 12:00:05" for a day (yyyymmdd) and a time of it, also past
// midnight (the next day's date) or before it; with ".mmm" when `millis`.
std::string formatDayTime(int dayDate, std::int64_t ms, bool millis = false);

// A number with `decimals` decimals and a "." whatever the locale; no sign
// on a value that rounds to zero.
std::string fixedText(double value, int decimals);

// "120005" of a time of the day (hours past 24 wrap).
std::string compactClock(std::int64_t ms);

}  // namespace exporting
