#pragma once

// Per-channel decode worker of a recording site. The site's packet sink pushes
// the channel's video, GPS and G-sensor packets into the queue m_vbuffer; the
// worker's thread takes them in order, waits until each one is due against
// the site's presentation clock, decodes video to RGBA and hands every picture
// to the display page through SiteParams::onPicture. GPS and G-sensor samples
// are paced the same way and kept as the channel's latest samples, except in
// the single-step modes: a step goes from picture to picture, so there the
// samples queued before the next picture go out at once. While the worker
// waits, the instant it reports (currentInstant) is that of the next queued
// picture, in every mode.
//
// Threading contract:
// - Control (start, stop, teardown, flush, resetTimes, the setters) comes
//   from the owning site, which serialises it with its per-channel lock.
// - pushPacket and checkBufferStatus come from the media source's read thread
//   (through the site's packet sink); checkBufferStatus also from the worker
//   thread through the after-packet callback.
// - The worker thread calls the clock getter and setter, the after-packet and
//   queue-empty callbacks and the picture callback. None of them is called
//   while this worker holds a lock, so every callback may call back into the
//   worker. Callbacks may still run after stop() returns; none runs after
//   teardown() has returned. Since teardown() waits for the thread, no
//   callback may wait for a lock that the caller of teardown() holds.
// - Every query may be called from any thread; values come back as copies.
// Lock order: the site's per-channel lock, then m_queueMutex, then
// m_timesMutex. m_sampleMutex and m_statsMutex are taken alone.
//
// Lifecycle: construct (stopped) -> start -> ... -> stop -> teardown ->
// destroy. start() after stop() (without teardown) runs the worker again on a
// new thread; a running worker never gets a second thread. The destructor
// stops and tears down a worker that is still running.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <boost/function.hpp>

#include "core/Params.h"
#include "core/Records.h"

class IVCodec;

class CVideoDecodeItem {
public:
    using ptime = boost::posix_time::ptime;
    using ClockGetter = boost::function<ptime()>;
    using ClockSetter = boost::function<void(ptime)>;
    // Called with the worker's channel.
    using ChannelCallback = boost::function<void(int)>;
    // Returns a new closed decoder (owned by the worker) or null.
    using DecoderFactory = boost::function<IVCodec*()>;

    static constexpr int kStateRunning = 0;
    static constexpr int kStateStopped = 1;

    // Flow control: the channel's reading is switched off when the queue
    // reaches kFlowControlHigh packets and on again when it falls below
    // kFlowControlLow.
    static constexpr int kFlowControlHigh = 90;
    static constexpr int kFlowControlLow = 45;
    // checkBufferStatus results.
    static constexpr int kBufferKeep = 0;
    static constexpr int kBufferFull = 1;
    static constexpr int kBufferDrained = 2;

    // How far ahead of the clock a packet may be and still be presented: in
    // normal playback, and in single steps.
    static constexpr int kPresentLeadMs = 240;
    static constexpr int kStepLeadMs = 33;
    // Period of the waiting loop while a packet is not yet due.
    static constexpr int kWaitStepMs = 1;
    // Longest wait while still (mode 4): nothing is due until a command
    // changes the mode, which wakes the worker, so a paused site stays idle.
    static constexpr int kStillWaitMs = 50;

    struct Times {
        ptime current;        // head packet being waited for, or the last presented
        ptime lastPresented;  // the last packet taken off the queue
        int lastSequence = 0;
    };

    struct Statistics {
        double pictures = 0;  // pictures delivered since start
        double bytes = 0;     // coded bytes of those pictures
        ptime start;          // when the statistics were last reset
    };

    CVideoDecodeItem(int channel, std::int64_t siteKey, const SiteParams& params);
    ~CVideoDecodeItem();
    CVideoDecodeItem(const CVideoDecodeItem&) = delete;
    CVideoDecodeItem& operator=(const CVideoDecodeItem&) = delete;

    // Takes ownership of the packet and returns true, unless the worker is
    // stopped or the packet is null: then returns false and the packet stays
    // the caller's to delete.
    bool pushPacket(STREAMOBJECT* packet);
    bool pushPacket2(STREAMOBJECT* packet);

    // Writes the queue length and the flow-control flag to standard output
    // while tracing is on (core/Trace.h), then returns kBufferFull (length >= kFlowControlHigh,
    // flag set), kBufferDrained (length < kFlowControlLow, flag cleared) or kBufferKeep.
    int checkBufferStatus();
    bool isFlowControl() const { return m_isFlowControl.load(); }
    void setFlowControl(bool on) { m_isFlowControl.store(on); }

    // Stored for the site; the worker does not use them.
    void setOption(bool flag, std::int64_t value);
    bool optionFlag() const { return m_optionFlag.load(); }
    std::int64_t optionValue() const { return m_optionValue.load(); }

    // The recorder hook: nothing in this program records a channel, so these
    // do nothing (recorderCall returns 0).
    void startRecorder(const std::string& path);
    void stopRecorder();
    int recorderCall(int first, int second, int third);

    // Stores the clock callbacks, clears flow control and runs the worker
    // thread at above-normal priority. While the clock is unset the head
    // packet is presented at once, and once a picture has been handed over
    // the setter is called with its instant (the owner starts its clock from
    // it; another worker may have been first).
    void start(ClockGetter getter, ClockSetter setter);
    // Marks the worker stopped and wakes its thread; does not wait for it.
    // Clears the queue-empty callback.
    void stop();
    // Joins the thread (stopping it first if stop() was not called), closes
    // and destroys the decoder and deletes every queued packet.
    void teardown();
    // Deletes every queued packet. A packet the thread is waiting for is not
    // presented.
    void flush();
    // current and lastPresented unset, lastSequence 0. Call after flush() so
    // that no packet taken before the flush leaves its times behind.
    void resetTimes();
    void resetStatistics();

    // Pacing on: pictures wait for the presentation clock; off: presented as
    // soon as they are decoded.
    void setPacing(bool on) { m_pacing.store(on); }
    bool pacing() const { return m_pacing.load(); }
    // Wakes a worker that holds its head packet in still mode.
    void setPlayMode(int mode);
    int playMode() const { return m_playMode.load(); }
    // Kept for the site; the pacing loop does not use it.
    void setSpeedIndex(int index) { m_speedIndex.store(index); }
    int speedIndex() const { return m_speedIndex.load(); }

    // Called after each decoded video packet (the site's flow-control check).
    void setAfterPacketCallback(ChannelCallback callback);
    // Called whenever the thread finds the queue empty (the site's end check).
    void setQueueEmptyCallback(ChannelCallback callback);
    // Replaces how decoders are made (default: CreateVCodec kind 0).
    void setDecoderFactory(DecoderFactory factory);

    int channel() const { return m_channel; }
    bool isRunning() const { return m_state.load() == kStateRunning; }
    std::size_t queuedPackets() const;
    Times times() const;
    ptime currentInstant() const { return times().current; }
    ptime lastPresented() const { return times().lastPresented; }
    int lastSequence() const { return times().lastSequence; }
    Statistics statistics() const;

    // Copies of the latest samples (empty before the first one), taken under
    // the sample lock, so they stay valid whatever the worker does next.
    std::optional<GPSDATA> latestGps() const;
    std::optional<GSENSORDATA> latestGSensor() const;
    void clearGpsFlag();
    void clearGSensorFlag();

    // Pacing rule: whether a packet of the given instant is presented now
    // against the clock in the given play mode. Late packets are presented at
    // once; mode 4 presents nothing; unknown modes present at once. A packet
    // or clock without an instant cannot be paced and is presented at once
    // (except in mode 4).
    static bool isDue(int playMode, ptime frame, ptime clock);
    // The instant of a packet's (yyyymmdd, hhmmss, milliseconds); unset for
    // date 0 and for values that are no valid date and time of day.
    static ptime frameInstant(int date, int time, int milliseconds);

private:
    struct DecoderCloser {
        void operator()(IVCodec* decoder) const;
    };
    using DecoderPtr = std::unique_ptr<IVCodec, DecoderCloser>;

    // Callbacks the worker thread uses, swapped as a whole under m_queueMutex;
    // the thread calls its own copy of them.
    struct Hooks {
        ClockGetter getClock;
        ClockSetter setClock;
        ChannelCallback afterPacket;
        ChannelCallback queueEmpty;
        DecoderFactory makeDecoder;
    };

    // What the thread noted of the head packet while it was under the lock.
    struct Peek {
        const STREAMOBJECT* packet = nullptr;
        std::uint64_t generation = 0;
        ptime instant;
        // The head is a picture (not a GPS or G-sensor sample).
        bool picture = false;
        // Instant of the first picture queued from the head on; unset when
        // none is queued near it.
        ptime nextPicture;
    };
    // Queue entries nextPacket() looks through for the next picture.
    static constexpr int kPictureLookahead = 16;

    void run();
    // Waits for a packet; false when the worker was stopped.
    bool nextPacket(Peek& peek, Hooks& hooks, std::uint64_t& hooksVersion);
    // Takes the peeked packet off the queue unless a flush removed it.
    std::unique_ptr<STREAMOBJECT> take(const Peek& peek);
    void present(std::unique_ptr<STREAMOBJECT> packet, const Hooks& hooks);
    void waitWhileStill();
    void presentVideo(const READVSTREAM& video, const Hooks& hooks);
    void setCurrent(ptime instant);

    // Constant after construction.
    const int m_channel;
    const std::int64_t m_siteKey;
    const SiteParams m_params;  // source of onPicture

    // Worker thread only (and teardown/destructor after the join).
    DecoderPtr m_decoder;
    int m_decoderWidth = 0;
    int m_decoderHeight = 0;

    // Control thread only, guarded by m_controlMutex.
    std::mutex m_controlMutex;
    std::unique_ptr<std::thread> m_thread;

    // Guarded by m_queueMutex: m_vbuffer, m_flushGeneration, m_hooks,
    // m_hooksVersion. m_state is written under it (read anywhere).
    mutable std::mutex m_queueMutex;
    std::condition_variable m_condition;                 // a push, a stop
    std::list<std::unique_ptr<STREAMOBJECT>> m_vbuffer;  // oldest first
    std::uint64_t m_flushGeneration = 0;                 // counts flushes
    Hooks m_hooks;
    std::uint64_t m_hooksVersion = 0;
    std::atomic<int> m_state{kStateStopped};

    // Guarded by m_timesMutex; written by the worker thread and resetTimes,
    // read by the site's clock thread and time queries.
    mutable std::mutex m_timesMutex;
    Times m_times;

    // Guarded by m_statsMutex; the worker thread counts, the site resets.
    mutable std::mutex m_statsMutex;
    Statistics m_stats;

    // Guarded by m_sampleMutex; written by the worker thread, read and
    // flag-cleared by the site on behalf of the GUI thread.
    mutable std::mutex m_sampleMutex;
    std::optional<GPSDATA> m_latestGps;
    std::optional<GSENSORDATA> m_latestGSensor;

    // Written by the site (control or read thread), read by the worker thread
    // without a lock.
    std::atomic<bool> m_isFlowControl{false};
    std::atomic<bool> m_pacing{true};
    std::atomic<int> m_playMode{0};
    std::atomic<int> m_speedIndex{8};
    std::atomic<bool> m_optionFlag{false};
    std::atomic<std::int64_t> m_optionValue{0};
};
