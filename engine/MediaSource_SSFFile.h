#pragma once

// The media source of a folder of recording files. It owns one channel reader
// per channel of the mask, finds each channel's files with the folder scan on
// a short-lived preparation thread, and then runs a read thread that merges
// the channels' packets by instant and hands them one by one to the packet
// sink. Pacing happens downstream (decode workers against the site's clock);
// the site throttles reading only through enableChannel.
//
// Threading contract:
// - open, start, the commands, requestStop and close come from the owning
//   site on one thread at a time (its control thread). Queries may come from
//   any thread. Those a site asks while playing (isPrepared,
//   isChannelExhausted, the first and last recording instants, the speed
//   and direction) never wait for a command or a file read: they read the
//   readers' lock-free state and what the source keeps of them (the
//   recording instants are kept when the scan is done and whenever a channel
//   is added). isChannelClosed and allChannelsClosed take the readers' locks.
// - enableChannel and removeChannel may come from any thread, also from
//   inside the packet sink.
// - The packet sink and, through the readers, the audio sink run on the read
//   thread. The event sink runs on the thread that issued the command, and on
//   the preparation thread for the jump to the start date of the parameters;
//   so does the audio sink when a repositioning reads an audio packet.
// - A command and one step of the read loop (pick, delivery, next read) never
//   overlap: both hold m_readMutex, so a packet read before a repositioning
//   can never be delivered after the event that announces it. Hence the sinks
//   must not call the commands of this source (enableChannel is fine), and a
//   caller must not hold a lock that the sinks take while it issues a command.
// - Commands given before the folder scan is done do not wait for it: they
//   are queued and carried out, in order, on the preparation thread once the
//   readers know their files (then the event sink runs there too).
// - Readers are added (addChannel) under m_readMutex and never deleted before
//   the source: m_readers is walked under m_readMutex only, m_byChannel from
//   any thread.
// - Lock order: m_readMutex, then a reader's lock, then whatever the sinks
//   take. m_wakeMutex, m_pendingMutex and m_rangeMutex are taken alone.
//
// Lifecycle: CreateMediaSource(…, 4) -> open -> start -> commands ->
// requestStop -> close -> DestroyVCodec. close() also stops; the destructor
// closes a source that is still running.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "engine/IMediaSource.h"

class SSFChannelReader;
struct STREAMOBJECT;

class MediaSource_SSFFile : public IMediaSource {
public:
    // How long the read loop sleeps when no channel can deliver, unless a
    // command or enableChannel(…, true) wakes it earlier.
    static constexpr int kIdleWaitMs = 5;

    MediaSource_SSFFile();
    ~MediaSource_SSFFile() override;
    MediaSource_SSFFile(const MediaSource_SSFFile&) = delete;
    MediaSource_SSFFile& operator=(const MediaSource_SSFFile&) = delete;

    // Creates a reader per channel of the mask (ascending channel order) and
    // starts the preparation thread. False when the source was opened before,
    // params is null or the thread cannot be created.
    bool open(SourceParams* params) override;
    bool start() override;
    bool requestStop() override;
    // Stops and joins both threads; returns promptly in every state.
    void close() override;

    void gotoDateTime(int year, int month, int day, int hour, int minute, int second) override;
    void gotoFirst() override;
    void gotoLast() override;
    void pauseAll() override;
    void playForward(int sequence, int year, int month, int day, int hour, int minute,
                     int second) override;
    void playReverse(int sequence, int year, int month, int day, int hour, int minute,
                     int second) override;
    // Invalid speed indexes are ignored.
    void setSpeed(int speedIndex, int sequence, int year, int month, int day, int hour, int minute,
                  int second) override;

    bool isChannelClosed(int channel) override;
    bool allChannelsClosed() override;
    int getDirection(int* out) override;
    int getSpeedIndex(int* out) override;
    bool enableChannel(int channel, bool enable) override;
    bool getFirstRecordTime(int* date, int* time) override;
    bool getLastRecordTime(int* date, int* time) override;
    bool isPrepared() override;
    bool isChannelExhausted(int channel) override;
    // The channel's files come from the folder scan already done; the reader
    // is made (or, after removeChannel, taken up again) and positioned as a
    // command, after the scan when it is still running.
    bool addChannel(int channel, int date, int time) override;
    void removeChannel(int channel) override;

    // Where the folder scan and the readers' time searches print; null (the
    // default) prints to standard output only while tracing is on (see
    // core/Trace.h). Call before open.
    void setLog(std::ostream* log);
    // The reader of a channel, or null; for diagnostics. Its queries may be
    // called from any thread.
    const SSFChannelReader* channelReader(int channel) const;

private:
    // RAII for "a command wants m_readMutex": the read loop steps aside while
    // one is pending, so that a busy loop cannot starve the commands.
    class CommandGuard;

    SSFChannelReader* readerOf(int channel) const;
    void prepare();
    void readLoop();
    // One step of the read loop; false when no channel could be picked.
    // Caller holds m_readMutex.
    bool readStep();
    int pickLocked() const;
    // Wakes the read loop from its idle wait.
    void wake();
    void waitIdle(std::uint64_t seenWakes);

    // Runs a command at once under m_readMutex, or queues it while the
    // source is preparing.
    void runCommand(std::function<void()> command);

    // Command frame pieces; the caller holds m_readMutex. Only channels in
    // use (not removed) are repositioned and hear events.
    void repositionLocked(int speedIndex, int event, int date, int time);
    void setAllEnabled(std::uint8_t value);
    void sendEvent(int code);
    void gotoLocked(int date, int time);
    void forgetDelivered();
    void addChannelLocked(int channel, int date, int time);
    bool isActive(int channel) const;
    // Keeps the earliest first and latest last recording instant of the
    // readers (m_readMutex held, or before any thread exists).
    void keepRange();

    // Set in open() before any thread exists, then only read: safe from every
    // thread.
    SourceParams m_params;
    std::ostream* m_log = nullptr;
    bool m_opened = false;  // control thread only: a source is opened once

    // The readers in ascending channel order, owned; grows under m_readMutex
    // (addChannel), walked under it. m_byChannel finds a reader from any
    // thread; an entry is set once and stays until the destructor. Readers
    // guard their own state with their locks.
    std::vector<std::unique_ptr<SSFChannelReader>> m_readers;
    std::array<std::atomic<SSFChannelReader*>, kMaxChannels> m_byChannel{};
    // Whether a channel with a reader is read (cleared by removeChannel).
    std::array<std::atomic<bool>, kMaxChannels> m_active{};

    // Written by the control thread, read by the read thread and queries.
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_running{false};
    std::atomic<int> m_speedIndex;
    std::atomic<int> m_direction;

    // Serialises the commands against the read loop's steps (see above).
    std::mutex m_readMutex;
    // Per channel: the sample last handed to the packet sink. A reader keeps
    // its sample when it passes over a packet it cannot use, and without this
    // the same sample would be delivered twice. Guarded by m_readMutex.
    std::array<const STREAMOBJECT*, kMaxChannels> m_delivered{};
    // Recording files the scan found for channels without a reader, for
    // addChannel. Guarded by m_readMutex.
    std::array<std::vector<std::string>, kMaxChannels> m_unread;

    // The first and last recording instants over the readers (unset when no
    // reader has one), guarded by m_rangeMutex.
    mutable std::mutex m_rangeMutex;
    boost::posix_time::ptime m_firstRecord;
    boost::posix_time::ptime m_lastRecord;

    // Commands given while preparing, guarded by m_pendingMutex; m_prepared
    // is set (under it) once the queue has been worked off.
    std::mutex m_pendingMutex;
    std::deque<std::function<void()>> m_pending;
    std::atomic<bool> m_prepared{false};

    // Number of commands waiting for or holding m_readMutex.
    std::atomic<int> m_commandsPending{0};
    // Idle wait of the read loop. m_wakes counts wake-ups so that none is lost
    // between the loop's check and its wait; guarded by m_wakeMutex.
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    std::uint64_t m_wakes = 0;

    // The preparation thread is created and joined by the GUI thread. The read
    // thread is created by the preparation thread and joined by close() only
    // after the preparation thread has been joined, so the pointer is never
    // read and written at the same time.
    std::unique_ptr<std::thread> m_prepareThread;
    std::unique_ptr<std::thread> m_readThread;
};
