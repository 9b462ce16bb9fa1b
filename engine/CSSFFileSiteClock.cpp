// The site's sinks (source threads) and its clock: what the source delivers
// goes to the channels' workers, and the clock paces what they present.

#include "engine/CSSFFileSitePrivate.h"

// ---------------------------------------------------------------------------
// Sinks

void CSSFFileSite::packetSink(STREAMOBJECT* packet) {
    if (packet == nullptr || m_closing.load() || !isChannel(packet->channel)) {
        return;
    }
    std::unique_ptr<STREAMOBJECT> copy = copyForQueue(*packet);
    if (!copy) {
        return;
    }
    const int c = packet->channel;
    int status = CVideoDecodeItem::kBufferKeep;
    bool hasWorker = false;
    {
        Channel& channel = m_channels[static_cast<std::size_t>(c)];
        ChannelGuard guard(channel.lock);
        if (channel.worker) {
            hasWorker = true;
            if (copy->kind == STREAMOBJECT::KIND_VIDEO) {
                status = channel.worker->checkBufferStatus();
            }
            // The worker takes the copy only while it runs; a refused copy is
            // deleted here when `copy` goes.
            if (channel.worker->pushPacket(copy.get())) {
                copy.release();
            }
        }
    }
    // A removed channel is not read any further (a repositioning of the
    // source switches every channel on again).
    if (status == CVideoDecodeItem::kBufferFull || !hasWorker) {
        if (const auto src = source()) {
            src->enableChannel(c, false);
        }
    }
}

void CSSFFileSite::flowControlCheck(CVideoDecodeItem* worker, int channel) {
    const auto src = source();
    if (!src) {
        return;
    }
    switch (worker->checkBufferStatus()) {
        case CVideoDecodeItem::kBufferDrained:
            src->enableChannel(channel, true);
            break;
        case CVideoDecodeItem::kBufferFull:
            src->enableChannel(channel, false);
            break;
        default:
            break;
    }
}

void CSSFFileSite::audioSink(READASTREAM* packet) {
    if (packet == nullptr || m_closing.load()) {
        return;
    }
    auto copy = std::make_unique<READASTREAM>(*packet);
    {
        std::lock_guard<std::mutex> guard(m_audioMutex);
        m_audioQueue.push_back(std::move(copy));
        while (m_audioQueue.size() > kMaxQueuedAudio) {
            m_audioQueue.pop_front();
        }
    }
    m_audioWake.notify_one();
}

void CSSFFileSite::eventSink(int /*code*/, int channel) {
    if (m_closing.load()) {
        return;
    }
    setClock(ptime());
    if (!isChannel(channel)) {
        return;
    }
    Channel& ch = m_channels[static_cast<std::size_t>(channel)];
    ChannelGuard guard(ch.lock);
    if (ch.worker) {
        const bool flowControl = ch.worker->isFlowControl();
        ch.worker->flush();
        ch.worker->resetTimes();
        if (flowControl) {
            ch.worker->setFlowControl(false);
        }
    }
}

void CSSFFileSite::resetSink(int /*unused*/) {
    if (m_closing.load()) {
        return;
    }
    for (Channel& ch : m_channels) {
        ChannelGuard guard(ch.lock);
        if (ch.worker) {
            ch.worker->flush();
        }
    }
    setClock(ptime());
    for (Channel& ch : m_channels) {
        ChannelGuard guard(ch.lock);
        if (ch.worker) {
            ch.worker->resetTimes();
        }
    }
}

void CSSFFileSite::timeTableSink(TIMETABLEDATA* table) {
    if (table == nullptr || m_closing.load()) {
        return;
    }
    boost::function<void(RECORDTABLEINFO*)> notify;
    {
        std::lock_guard<std::mutex> guard(m_tableMutex);
        if (!m_timeTable) {
            m_timeTable = std::make_unique<TIMETABLEDATA>();
        }
        std::memcpy(m_timeTable->entries, table->entries, sizeof m_timeTable->entries);
        m_timeTable->count = table->count;
        notify = m_onRecordTable;
    }
    if (notify) {
        RECORDTABLEINFO info;
        info.siteIdentity = m_siteIdentity.load();
        notify(&info);
    }
}

void CSSFFileSite::calendarSink(CALENDARDATA* calendar) {
    if (calendar == nullptr || m_closing.load()) {
        return;
    }
    boost::function<void(std::int64_t)> notify;
    {
        std::lock_guard<std::mutex> guard(m_tableMutex);
        m_calendar = *calendar;
        notify = m_onCalendar;
    }
    if (notify) {
        notify(m_siteIdentity.load());
    }
}

void CSSFFileSite::getTimeTable(TIMETABLEDATA* table) {
    if (table == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_tableMutex);
    if (m_timeTable) {
        std::memcpy(table, m_timeTable.get(), sizeof *table);
    } else {
        std::memset(table, 0, sizeof *table);
    }
}

void CSSFFileSite::getCalendar(CALENDARDATA* calendar) {
    if (calendar == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_tableMutex);
    *calendar = m_calendar;
}

// ---------------------------------------------------------------------------
// Clock

namespace {

bool isStepMode(int mode) {
    return mode == PLAYMODE_STEP_FORWARD || mode == PLAYMODE_STEP_BACKWARD;
}

std::int64_t microsecondsBetween(std::chrono::steady_clock::time_point from,
                                 std::chrono::steady_clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
}

}  // namespace

CSSFFileSite::ptime CSSFFileSite::clock() const {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> guard(m_clockMutex);
    // Between two cycles the clock runs on: a picture is due when its time
    // has come, not at the next cycle.
    if (m_clock.is_special() || isStepMode(m_playMode.load())) {
        return m_clock;
    }
    return siterules::advanceClock(m_clock, m_speedIndex.load(),
                                   microsecondsBetween(m_clockAt, now));
}

void CSSFFileSite::setClock(ptime value) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> guard(m_clockMutex);
    m_clock = value;
    m_clockAt = now;
}

void CSSFFileSite::startClock(ptime frame) {
    // The anchor is read first: its lock and the clock lock are leaves.
    const ptime value = siterules::clockStart(frame, playAnchor(), m_playMode.load(),
                                              CVideoDecodeItem::kPresentLeadMs);
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> guard(m_clockMutex);
    // The first worker to present after a repositioning starts the clock;
    // the others find it set.
    if (m_clock.is_special()) {
        m_clock = value;
        m_clockAt = now;
    }
}

CSSFFileSite::ptime CSSFFileSite::presentationClock() const {
    return clock();
}

void CSSFFileSite::startClockThread() {
    {
        std::lock_guard<std::mutex> guard(m_clockWakeMutex);
        m_clockStop = false;
    }
    if (!m_clockThread) {
        m_clockThread = std::make_unique<std::thread>(&CSSFFileSite::clockLoop, this);
    }
}

void CSSFFileSite::stopClockThread() {
    {
        std::lock_guard<std::mutex> guard(m_clockWakeMutex);
        m_clockStop = true;
    }
    m_clockWake.notify_all();
    if (m_clockThread) {
        m_clockThread->join();
        m_clockThread.reset();
    }
}

void CSSFFileSite::clockLoop() {
    setCurrentThreadPriorityHighest();
    std::unique_lock<std::mutex> lock(m_clockWakeMutex);
    while (!m_clockStop) {
        lock.unlock();
        clockCycle();
        lock.lock();
        // Woken at once by stopClockThread.
        m_clockWake.wait_for(lock, std::chrono::milliseconds(kClockPeriodMs),
                             [this] { return m_clockStop; });
    }
}

void CSSFFileSite::clockCycle() {
    const int mode = m_playMode.load();
    if (isStepMode(mode)) {
        if (clock().is_special()) {
            Position target;
            if (stepTarget(&target)) {
                setClock(target.instant);
            }
        }
        // The clock stands; it runs on from here when playing resumes.
        std::lock_guard<std::mutex> guard(m_clockMutex);
        m_clockAt = std::chrono::steady_clock::now();
        return;
    }
    {
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> guard(m_clockMutex);
        if (m_clock.is_special()) {
            return;
        }
        m_clock = siterules::advanceClock(m_clock, m_speedIndex.load(),
                                          microsecondsBetween(m_clockAt, now));
        m_clockAt = now;
    }
    std::vector<ptime> currents;
    currents.reserve(kMaxChannels);
    for (Channel& ch : m_channels) {
        ChannelGuard guard(ch.lock);
        if (ch.worker) {
            currents.push_back(ch.worker->currentInstant());
        }
    }
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> guard(m_clockMutex);
    const ptime target = siterules::resyncTarget(m_clock, currents, m_backward.load());
    if (!target.is_special()) {
        m_clock = target;
        m_clockAt = now;
    }
}
