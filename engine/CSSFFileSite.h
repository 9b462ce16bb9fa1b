#pragma once

// The site of one folder of recording files. It owns the media source that
// reads the folder, one decode worker per open channel, the presentation clock
// the workers pace against (advanced by its own clock thread), and an audio
// thread that decodes the channels' audio and hands it to the display page.
// Play, reverse, pause, speed changes, steps and jumps combine a repositioning
// of the source with a new play mode for the workers.
//
// Threading contract:
// - Commands (reset, open, reopen, stop, close, the jumps, play, reverse,
//   pause, steps, speed changes, channel additions and removals, stream
//   types) may come from any one thread at a time (the GUI thread). They
//   return at once: each is posted, and the site's own control thread
//   carries them out one after the other, in the order given. Everything
//   that waits (joins, the source's repositioning, its file searches) waits
//   there. waitForCommands() lets a caller that is not the GUI thread (a tool,
//   a test) wait for them.
// - Queries never wait for a command and never take a lock that is held
//   across file access, a join or a callback. They answer from what the site
//   publishes: the play mode and speed index as commanded (getPlayMode and
//   getSpeedIndex follow a command at once), the stream types, the open
//   channels, and the play position, the end of the recordings and the quiet
//   channels as the decode workers and the source's readers keep them. While
//   a command is still on its way, isFinished() and isChannelQuiet() answer
//   false: the command may move playback. The time queries are computed on
//   the calling thread and change nothing.
// - getParams() points to the bundle open() was given, copied on the calling
//   thread before open() returns; the display page also reads it (and
//   getPlayMode()) from its picture callback on decode threads. Call open()
//   on a new site, or once an earlier session has closed (waitForCommands),
//   never while decode threads of an earlier open() may still read it.
// - The sinks run on the media source's threads (packet and audio sinks on
//   the read thread; the event sink on whatever thread issued the source's
//   command: the control thread, or the source's preparation thread for the
//   start position and for commands given while the source still scans its
//   folder).
// - Decode threads call the clock getter and setter and the flow-control
//   check; the clock thread reads the workers' instants; the audio thread
//   calls SiteParams::onAudio. No site lock is held while a callback into the
//   display page runs, and no thread is joined while holding a lock that the
//   joined thread takes.
// Members say which thread owns them. "Control thread" means the control
// thread, or the destructor once that thread has been joined.
// Lock order: m_sourceMutex, then a channel lock (m_channels[c].lock), then
// the worker's own locks. m_postMutex, m_clockMutex, m_playTimeMutex,
// m_audioMutex, m_tableMutex and m_clockWakeMutex are leaves: nothing else is
// taken while one of them is held.
//
// Lifecycle: CreateSite -> reset -> open -> playback -> stop -> close ->
// DestroyVCodec. close() stops first when stop() was not called. reopen()
// opens again with the kept bundle. The destructor drops the commands not yet
// carried out, joins the control thread and closes an open site: it waits,
// so a GUI hands the destruction of a site to another thread.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/function.hpp>

#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "core/Records.h"
#include "engine/IMediaSource.h"
#include "engine/ISite.h"
#include "engine/SiteRules.h"

class CVideoDecodeItem;
class IACodec;

class CSSFFileSite : public ISite {
public:
    using ptime = boost::posix_time::ptime;
    // Makes the media source (owned by the site afterwards, deleted with
    // DestroyVCodec); null when none can be made.
    using SourceFactory = boost::function<IMediaSource*()>;

    static constexpr int kKind = 2;
    static constexpr int kMediaSourceKind = 4;
    // The clock thread's cycle: it moves the clock on by what passed since
    // the last cycle and resynchronises it with the workers. Between cycles
    // the clock is read as running on at its speed.
    static constexpr int kClockPeriodMs = 20;
    // Audio blocks waiting for the audio thread beyond this many are dropped,
    // oldest first: a display page that blocks in its audio callback must not
    // make the queue grow without end.
    static constexpr std::size_t kMaxQueuedAudio = 1024;
    // Longest wait of a step for the worker it is timed on to look past the
    // picture it has just shown (at the end of the recordings it never does).
    static constexpr int kStepHeadWaitMs = 300;

    // A time query's answer: the instant and the sequence of the packet.
    struct Position {
        ptime instant;
        int sequence = 0;
    };

    // Without a factory the site makes its source with CreateMediaSource kind
    // 4. Tests pass a factory of their own. Starts the control thread.
    explicit CSSFFileSite(SourceFactory makeSource = {});
    ~CSSFFileSite() override;
    CSSFFileSite(const CSSFFileSite&) = delete;
    CSSFFileSite& operator=(const CSSFFileSite&) = delete;

    int kind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    // The site key put into every picture and audio block: the site's address.
    std::int64_t siteKey() const;

    // ISite.
    void reset() override;
    void stop() override;
    void close() override;
    // True for a bundle (the site opens it on its control thread); the
    // bundle is kept at once (getParams).
    bool open(SiteParams* params) override;
    bool reopen() override;

    void gotoDateTime(int year, int month, int day, int hour, int minute, int second) override;
    // True while the site is open (opened and neither stopped nor closed).
    bool gotoFirst() override;
    bool gotoLast() override;
    bool getCurrentDateTime(int* date, int* time) override;
    bool getCurrentTime(int* year, int* month, int* day, int* hour, int* minute,
                        int* second) override;
    bool getChannelDateTime(int channel, int* date, int* time) override;
    bool getChannelTime(int channel, int* year, int* month, int* day, int* hour, int* minute,
                        int* second) override;
    void getTimeTable(TIMETABLEDATA* table) override;

    void play() override;
    void playReverse() override;
    void stepForward() override;
    void stepBackward() override;
    void changeSpeed(int speedIndex) override;
    void pause() override;
    int getPlayMode(int* out) override;
    int getSpeedIndex(int* out) override;

    // Recording files have one stream per channel: a stream type is kept
    // (isChannelEnabled answers it) and changes nothing that plays.
    void setChannelEnabled(int streamType, int channel, int date, int time) override;
    int isChannelEnabled(int channel) override;
    void getCalendar(CALENDARDATA* calendar) override;
    void removeChannel(int channel) override;
    bool hasNoChannels() override;
    // The source reads the new channels from the play position on; a source
    // that cannot take channels once open is opened anew for all of them.
    void addChannelsAt(ChannelMask mask, std::uint32_t unused, int date, int time) override;

    bool getFirstRecordTime(int* date, int* time) override;
    bool getLastRecordTime(int* date, int* time) override;
    SiteParams* getParams() override;
    bool isFinished() override;
    bool isChannelQuiet(int channel) override;

    // The returned records are the site's own copies, one per channel, made on
    // the calling thread (the one thread that asks for samples, the GUI
    // thread) from the worker's latest sample: a decode thread never writes
    // them, and they stay at their address until the site is destroyed. isNew
    // is true once for every sample the worker presents; the caller clears it
    // (clearGSensorFlag for the G-sensor record).
    GSENSORDATA* getGSensorData(int channel) override;
    void clearGSensorFlag(int channel) override;
    GPSDATA* getGpsData(int channel) override;

    // Waits until every command posted before the call has been carried out,
    // at most timeoutMs; false on timeout. For tools and tests: a GUI thread
    // reads the published state instead.
    bool waitForCommands(int timeoutMs);
    // Commands posted and not yet carried out; any thread.
    int pendingCommands() const { return m_inFlight.load(); }

    // The sinks the media source calls (public so that a source of another
    // kind, and tests, can drive them). The record stays the caller's.
    void packetSink(STREAMOBJECT* packet);
    void audioSink(READASTREAM* packet);
    void eventSink(int code, int channel);
    void resetSink(int unused);
    void timeTableSink(TIMETABLEDATA* table);
    void calendarSink(CALENDARDATA* calendar);

    // State for tools and tests; any thread.
    ChannelMask openChannels() const { return m_openMask.load(); }
    ptime presentationClock() const;
    std::size_t queuedAudioBlocks() const;
    bool isClosing() const { return m_closing.load(); }
    // The position play() and playReverse() restart from, and the instant a
    // step puts the clock at. They note the answer as the last known play
    // position, as the control thread's own queries do; for tests while no
    // command runs.
    bool positionForPlay(Position* out);
    bool stepTarget(Position* out);

private:
    struct Channel {
        // Guards worker (the pointer and every call into the worker). Never
        // held across a call that could come back into the site.
        mutable std::mutex lock;
        std::unique_ptr<CVideoDecodeItem> worker;
    };

    struct AudioDecoderDeleter {
        void operator()(IACodec* codec) const;
    };
    using AudioDecoderPtr = std::unique_ptr<IACodec, AudioDecoderDeleter>;

    // One audio decoder per channel with the packet parameters it was opened
    // for (-1 = none yet). Audio thread only (close() after the join).
    struct AudioChannel {
        AudioDecoderPtr decoder;
        int codecKind = -1;
        int param1 = -1;
        int param2 = -1;
        int param3 = -1;
    };

    // Calling thread: queues `command` for the control thread.
    void post(std::function<void()> command);
    void controlLoop();

    // The commands as the control thread carries them out.
    void resetLocked();
    void stopLocked();
    void closeLocked();
    bool openLocked(const SiteParams& params);
    void addChannelsLocked(ChannelMask mask);
    void addChannelsAtLocked(ChannelMask mask, int date, int time);
    // A jump: every channel flushed and repositioned by `reposition`; the
    // target (yyyymmdd, hhmmss) becomes the start and the play position.
    void jumpLocked(int date, int time, const std::function<void(IMediaSource&)>& reposition);
    void gotoEndLocked(bool last);
    void removeChannelLocked(int channel);
    void playLocked(bool backward);
    void pauseLocked();
    void stepLocked(bool backward);
    void awaitStepHead(bool backward);
    void changeSpeedLocked(int speedIndex);
    void playStart(bool backward, siterules::PlayTime* at, int* sequence);

    std::shared_ptr<IMediaSource> source() const;
    std::shared_ptr<IMediaSource> makeSource();
    SourceParams buildSourceParams() const;
    // Recreates the source for the open channels, reading from date / time.
    void restartSourceLocked(int date, int time);

    void startClockThread();
    void stopClockThread();
    void clockLoop();
    void clockCycle();
    void audioLoop();
    void stopAudioThread();

    ptime clock() const;
    void setClock(ptime value);
    // A worker has presented the first packet after the clock was unset.
    void startClock(ptime frame);
    // The channel's reader ran out and its worker has shown its last picture.
    bool channelFinished(int channel, const std::shared_ptr<IMediaSource>& src);
    bool computeFinished();
    bool computeChannelQuiet(int channel);

    // Stops the source delivering, then empties the decode and audio queues;
    // the source (null when there is none) for the repositioning to follow.
    std::shared_ptr<IMediaSource> quiesceLocked();
    // Flushes every worker, resets its times and releases its flow control.
    void flushWorkers();
    void clearAudioQueue();
    void setWorkersMode(int playMode, int speedIndex);
    void flowControlCheck(CVideoDecodeItem* worker, int channel);

    // Times of the open channels' workers: last presented or current.
    enum class TimeKind { LastPresented, Current };
    bool pickPosition(TimeKind kind, bool latest, Position* out) const;
    // The current play time (latest or earliest presented by the mode) and
    // a channel's; `record` notes a valid answer as the last known play
    // position (control thread only).
    bool currentPosition(int playMode, bool record, siterules::PlayTime* split);
    bool channelPosition(int channel, bool record, siterules::PlayTime* split);
    // Stores a query's result as the current play instant (the one before
    // becomes the previous play instant) and splits it.
    bool recordQuery(bool found, const Position& position, siterules::PlayTime* split);
    // After a repositioning: no current play instant, the target is the play
    // position until a picture says otherwise.
    void repositioned(ptime target);
    ptime playAnchor() const;
    void forgetPlayInstant();

    int m_kind = 0;
    SourceFactory m_makeSource;

    // Calling (GUI) thread only: the samples handed out by getGpsData and
    // getGSensorData.
    std::array<GPSDATA, kMaxChannels> m_gpsOut{};
    std::array<GSENSORDATA, kMaxChannels> m_gsensorOut{};
    std::array<bool, kMaxChannels> m_gpsOutSet{};
    std::array<bool, kMaxChannels> m_gsensorOutSet{};

    // Written by open() on the calling thread, then only read (getParams);
    // see the threading contract.
    SiteParams m_given;
    // Written by the calling thread: whether commands are taken (open() sets
    // it, stop() and close() clear it), and the published play mode, speed
    // index and stream types as the commands posted so far leave them.
    std::atomic<bool> m_accepting{false};
    std::atomic<int> m_shownMode{PLAYMODE_FORWARD};
    std::atomic<int> m_shownSpeed{kSpeedIndexNormal};
    std::array<std::atomic<unsigned char>, kMaxChannels> m_streamTypes{};

    // The command queue, guarded by m_postMutex; m_doneWake tells
    // waitForCommands that m_done moved.
    mutable std::mutex m_postMutex;
    std::condition_variable m_postWake;
    std::condition_variable m_doneWake;
    std::deque<std::function<void()>> m_commands;
    std::uint64_t m_posted = 0;
    std::uint64_t m_done = 0;
    bool m_quit = false;
    // Commands posted and not yet carried out (any thread reads it).
    std::atomic<int> m_inFlight{0};
    // Jumps posted and not yet carried out (callers' threads count up, the
    // control thread down; any thread reads it): until a jump is through,
    // the play time of before it is no answer.
    std::atomic<int> m_jumpsInFlight{0};
    // Created by the constructor, joined by the destructor.
    std::thread m_controlThread;

    // Control thread only.
    bool m_closed = true;

    // Guards the creation and deletion of the source (control thread). m_source
    // itself is read anywhere with std::atomic_load, written with
    // std::atomic_store under m_sourceMutex. m_params is the control thread's
    // working bundle (start position, channels, stream types). Recursive:
    // opening a site that was stopped but not closed finishes that close
    // first, which takes it again.
    mutable std::recursive_mutex m_sourceMutex;
    SiteParams m_params;
    std::shared_ptr<IMediaSource> m_source;
    // m_params.siteIdentity for the sinks (source threads).
    std::atomic<std::int64_t> m_siteIdentity{0};

    // Per channel: worker and its lock.
    std::array<Channel, kMaxChannels> m_channels;
    // Written by the control thread, read by every thread.
    std::atomic<ChannelMask> m_openMask{0};

    // Guarded by m_clockMutex: the presentation clock (unset when not a date)
    // as it stood at m_clockAt.
    mutable std::mutex m_clockMutex;
    ptime m_clock;
    std::chrono::steady_clock::time_point m_clockAt;

    // Guarded by m_playTimeMutex (control thread, and the clock thread's step
    // target): the result of the last recorded time query, and the last known
    // play position (the last valid recorded query result or repositioning
    // target), where a speed change repositions when nothing is presented at
    // the moment.
    mutable std::mutex m_playTimeMutex;
    ptime m_currentPlay;
    ptime m_anchor;

    // The play mode and speed index in force: written by the control thread,
    // read by every thread (workers, clock thread).
    std::atomic<bool> m_closing{false};
    std::atomic<int> m_speedIndex{kSpeedIndexNormal};
    std::atomic<int> m_playMode{PLAYMODE_FORWARD};
    std::atomic<bool> m_backward{false};

    // Clock thread: created and joined by the control thread; m_clockStop
    // is guarded by m_clockWakeMutex and wakes the cycle wait at once.
    std::unique_ptr<std::thread> m_clockThread;
    std::mutex m_clockWakeMutex;
    std::condition_variable m_clockWake;
    bool m_clockStop = false;

    // Audio hand-over: m_audioQueue and m_audioStop guarded by m_audioMutex.
    // The thread object is created and joined by the control thread.
    std::unique_ptr<std::thread> m_audioThread;
    mutable std::mutex m_audioMutex;
    std::condition_variable m_audioWake;
    std::list<std::unique_ptr<READASTREAM>> m_audioQueue;
    bool m_audioStop = false;
    // Audio thread only; also the copy of onAudio it calls, taken under
    // m_audioMutex when the thread starts.
    std::array<AudioChannel, kMaxChannels> m_audioChannels;
    boost::function<void(_AUDIODATA*)> m_onAudio;

    // Guarded by m_tableMutex: what the time table and calendar sinks stored,
    // and the notification callbacks they call (copies taken by open).
    mutable std::mutex m_tableMutex;
    std::unique_ptr<TIMETABLEDATA> m_timeTable;
    CALENDARDATA m_calendar{};
    boost::function<void(RECORDTABLEINFO*)> m_onRecordTable;
    boost::function<void(std::int64_t)> m_onCalendar;
};
