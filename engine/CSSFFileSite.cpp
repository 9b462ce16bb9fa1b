#include "engine/CSSFFileSite.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <utility>

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/thread/locks.hpp>

#include "codecs/ACodec.h"
#include "engine/CVideoDecodeItem.h"
#include "engine/ThreadPriority.h"

namespace pt = boost::posix_time;

using ChannelGuard = boost::lock_guard<boost::recursive_mutex>;

namespace {

bool isChannel(int channel) {
    return channel >= 0 && channel < kMaxChannels;
}

bool hasChannel(ChannelMask mask, int channel) {
    return ((mask >> channel) & 1u) != 0;
}

// Video packet copies and GPS / G-sensor samples the site builds for a
// worker's queue; null for kinds a worker does not take.
std::unique_ptr<STREAMOBJECT> copyForQueue(const STREAMOBJECT& packet) {
    switch (packet.kind) {
        case STREAMOBJECT::KIND_VIDEO:
            if (const auto* video = dynamic_cast<const READVSTREAM*>(&packet)) {
                return std::make_unique<READVSTREAM>(*video);
            }
            break;
        case STREAMOBJECT::KIND_GPS:
            if (const auto* gps = dynamic_cast<const GPSDATA*>(&packet)) {
                return std::make_unique<GPSDATA>(*gps);
            }
            break;
        case STREAMOBJECT::KIND_GSENSOR:
            if (const auto* gsensor = dynamic_cast<const GSENSORDATA*>(&packet)) {
                return std::make_unique<GSENSORDATA>(*gsensor);
            }
            break;
        default:
            break;
    }
    return nullptr;
}

// Audio decoders the audio thread makes: every kind but G.723 (1), which the
// recorder never writes.
bool isDecodedAudioKind(int kind) {
    return kind == kAudioFFmpegMulaw || kind == kAudioAdpcm || kind == kAudioAdpcmHi ||
           kind == kAudioG711Alaw || kind == kAudioG711Ulaw;
}

void destroyEngineObject(IEngineObject* object) {
    void* p = object;
    DestroyVCodec(&p);
}

bool sameSample(const GPSDATA& a, const GPSDATA& b) {
    return a.date == b.date && a.time == b.time && a.milliseconds == b.milliseconds &&
           a.sequence == b.sequence && a.latitude == b.latitude && a.longitude == b.longitude &&
           a.speed == b.speed && a.extra == b.extra;
}

bool sameSample(const GSENSORDATA& a, const GSENSORDATA& b) {
    return a.date == b.date && a.time == b.time && a.milliseconds == b.milliseconds &&
           a.sequence == b.sequence && a.x == b.x && a.y == b.y && a.z == b.z && a.extra == b.extra;
}

void splitDate(int date, int* year, int* month, int* day) {
    *year = date / 10000;
    *month = date / 100 % 100;
    *day = date % 100;
}

}  // namespace

void CSSFFileSite::AudioDecoderDeleter::operator()(IACodec* codec) const {
    codec->close();
    destroyEngineObject(codec);
}

CSSFFileSite::CSSFFileSite(SourceFactory makeSource) : m_makeSource(std::move(makeSource)) {
    m_controlThread = std::thread(&CSSFFileSite::controlLoop, this);
}

CSSFFileSite::~CSSFFileSite() {
    {
        std::lock_guard<std::mutex> guard(m_postMutex);
        m_quit = true;
    }
    m_postWake.notify_all();
    if (m_controlThread.joinable()) {
        m_controlThread.join();
    }
    // The control thread is gone: this thread owns what it owned.
    closeLocked();
}

std::int64_t CSSFFileSite::siteKey() const {
    return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(this));
}

// ---------------------------------------------------------------------------
// Control thread

void CSSFFileSite::post(std::function<void()> command) {
    {
        std::lock_guard<std::mutex> guard(m_postMutex);
        if (m_quit) {
            return;
        }
        m_commands.push_back(std::move(command));
        ++m_posted;
        ++m_inFlight;
    }
    m_postWake.notify_one();
}

void CSSFFileSite::controlLoop() {
    std::unique_lock<std::mutex> lock(m_postMutex);
    while (true) {
        m_postWake.wait(lock, [this] { return m_quit || !m_commands.empty(); });
        if (m_quit) {
            // What is left is dropped; the destructor closes the site.
            m_inFlight.fetch_sub(static_cast<int>(m_commands.size()));
            m_commands.clear();
            m_done = m_posted;
            m_doneWake.notify_all();
            return;
        }
        std::function<void()> command = std::move(m_commands.front());
        m_commands.pop_front();
        lock.unlock();
        command();
        command = nullptr;
        lock.lock();
        ++m_done;
        --m_inFlight;
        m_doneWake.notify_all();
    }
}

bool CSSFFileSite::waitForCommands(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_postMutex);
    const std::uint64_t target = m_posted;
    return m_doneWake.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                               [&] { return m_done >= target; });
}

// ---------------------------------------------------------------------------
// Lifecycle

void CSSFFileSite::reset() {
    post([this] { resetLocked(); });
}

void CSSFFileSite::resetLocked() {
    {
        std::lock_guard<std::mutex> guard(m_tableMutex);
        m_timeTable.reset();
        m_calendar = CALENDARDATA{};
    }
    forgetPlayInstant();
    // Workers and audio decoders exist only between open and close, which
    // delete them; a reset never forgets a running one.
}

void CSSFFileSite::stop() {
    m_accepting.store(false);
    post([this] { stopLocked(); });
}

void CSSFFileSite::stopLocked() {
    m_closing.store(true);
    stopClockThread();
    {
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        if (const auto src = source()) {
            src->requestStop();
        }
    }
    {
        std::lock_guard<std::mutex> guard(m_audioMutex);
        m_audioStop = true;
    }
    m_audioWake.notify_all();
}

void CSSFFileSite::close() {
    m_accepting.store(false);
    post([this] { closeLocked(); });
}

void CSSFFileSite::closeLocked() {
    if (m_closed) {
        return;
    }
    stopLocked();

    // Workers leave the table stopped, so that no sink reaches them any more;
    // their threads are joined below, after the source's.
    std::vector<std::unique_ptr<CVideoDecodeItem>> workers;
    for (Channel& channel : m_channels) {
        ChannelGuard guard(channel.lock);
        if (channel.worker) {
            channel.worker->stop();
            workers.push_back(std::move(channel.worker));
        }
    }
    m_openMask.store(0);

    std::shared_ptr<IMediaSource> src;
    {
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        src = std::atomic_exchange(&m_source, std::shared_ptr<IMediaSource>());
    }
    if (src) {
        src->close();
    }
    // A decode thread may still hold the source for a flow-control call; the
    // last holder deletes it, after the joins below at the latest.
    for (auto& worker : workers) {
        worker->teardown();
    }
    workers.clear();
    src.reset();

    stopAudioThread();
    for (AudioChannel& audio : m_audioChannels) {
        audio = AudioChannel{};
    }
    clearAudioQueue();

    setClock(ptime());
    forgetPlayInstant();
    m_closed = true;
}

bool CSSFFileSite::open(SiteParams* params) {
    if (params == nullptr) {
        return false;
    }
    m_given = *params;
    for (int c = 0; c < kMaxChannels; ++c) {
        m_streamTypes[static_cast<std::size_t>(c)].store(params->channelOptions[c]);
    }
    m_accepting.store(true);
    post([this, bundle = *params] { openLocked(bundle); });
    return true;
}

bool CSSFFileSite::reopen() {
    m_accepting.store(true);
    post([this] {
        const SiteParams kept = m_params;
        openLocked(kept);
    });
    return true;
}

bool CSSFFileSite::openLocked(const SiteParams& params) {
    std::lock_guard<std::recursive_mutex> sourceGuard(m_sourceMutex);
    if (m_closing.load() && !m_closed) {
        // Stopped but not closed: finish the close first, so that no thread
        // of the old session is reused half stopped.
        closeLocked();
    }
    if (&params != &m_params) {
        m_params = params;
    }
    m_siteIdentity.store(m_params.siteIdentity);
    m_closing.store(false);
    m_closed = false;
    startClockThread();

    addChannelsLocked(params.channelMask);
    for (Channel& channel : m_channels) {
        ChannelGuard guard(channel.lock);
        if (channel.worker) {
            channel.worker->resetStatistics();
        }
    }

    if (!m_audioThread) {
        {
            std::lock_guard<std::mutex> guard(m_audioMutex);
            m_audioStop = false;
            m_onAudio = m_params.onAudio;
        }
        m_audioThread = std::make_unique<std::thread>(&CSSFFileSite::audioLoop, this);
    }
    {
        std::lock_guard<std::mutex> guard(m_tableMutex);
        m_onRecordTable = m_params.onRecordTable;
        m_onCalendar = m_params.onCalendar;
    }
    if (m_params.startDate != 0) {
        repositioned(CVideoDecodeItem::frameInstant(m_params.startDate, m_params.startTime, 0));
    }

    if (source()) {
        return true;
    }
    std::shared_ptr<IMediaSource> src = makeSource();
    if (!src) {
        return false;
    }
    SourceParams sourceParams = buildSourceParams();
    if (!src->open(&sourceParams)) {
        return false;
    }
    src->start();
    std::atomic_store(&m_source, src);
    return true;
}

std::shared_ptr<IMediaSource> CSSFFileSite::makeSource() {
    IMediaSource* made = nullptr;
    if (m_makeSource) {
        made = m_makeSource();
    } else {
        CreateMediaSource(&made, kMediaSourceKind);
    }
    if (made == nullptr) {
        return nullptr;
    }
    return std::shared_ptr<IMediaSource>(made, [](IMediaSource* s) { destroyEngineObject(s); });
}

SourceParams CSSFFileSite::buildSourceParams() const {
    SourceParams sp;
    sp.pageIdentity = m_params.pageIdentity;
    sp.siteIdentity = m_params.siteIdentity;
    sp.folder = m_params.folder;
    sp.startDate = m_params.startDate;
    sp.startTime = m_params.startTime;
    sp.channelMask = m_openMask.load();
    std::memcpy(sp.channelOptions, m_params.channelOptions, sizeof sp.channelOptions);
    sp.serverAddress = m_params.serverAddress;
    sp.serverPort = m_params.serverPort;
    sp.userId = m_params.userId;
    sp.userPassword = m_params.userPassword;
    sp.onSnapshot = m_params.onSnapshot;
    sp.onRecDateInfo = m_params.onRecDateInfo;
    sp.onNotice = m_params.onNotice;

    CSSFFileSite* self = const_cast<CSSFFileSite*>(this);
    sp.packetSink = [self](STREAMOBJECT* p) { self->packetSink(p); };
    sp.audioSink = [self](READASTREAM* p) { self->audioSink(p); };
    sp.timeTableSink = [self](TIMETABLEDATA* t) { self->timeTableSink(t); };
    sp.calendarSink = [self](CALENDARDATA* c) { self->calendarSink(c); };
    sp.resetSink = [self](int v) { self->resetSink(v); };
    sp.eventSink = [self](int code, int channel) { self->eventSink(code, channel); };
    return sp;
}

std::shared_ptr<IMediaSource> CSSFFileSite::source() const {
    return std::atomic_load(&m_source);
}

void CSSFFileSite::restartSourceLocked(int date, int time) {
    std::shared_ptr<IMediaSource> old;
    {
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        old = std::atomic_exchange(&m_source, std::shared_ptr<IMediaSource>());
        m_params.startDate = date;
        m_params.startTime = time;
    }
    if (old) {
        old->requestStop();
        old->close();
        old.reset();
    }
    flushWorkers();
    clearAudioQueue();
    setClock(ptime());
    forgetPlayInstant();

    std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
    std::shared_ptr<IMediaSource> src = makeSource();
    if (!src) {
        return;
    }
    SourceParams sourceParams = buildSourceParams();
    if (!src->open(&sourceParams)) {
        return;
    }
    src->start();
    std::atomic_store(&m_source, src);
    // A fresh source reads forward at normal speed.
    m_shownSpeed.store(kSpeedIndexNormal);
    m_shownMode.store(PLAYMODE_FORWARD);
    m_speedIndex.store(kSpeedIndexNormal);
    m_playMode.store(PLAYMODE_FORWARD);
    m_backward.store(false);
    setWorkersMode(PLAYMODE_FORWARD, kSpeedIndexNormal);
}

// ---------------------------------------------------------------------------
// Channels

void CSSFFileSite::addChannelsLocked(ChannelMask mask) {
    for (int c = 0; c < kMaxChannels; ++c) {
        if (!hasChannel(mask, c)) {
            continue;
        }
        Channel& channel = m_channels[static_cast<std::size_t>(c)];
        ChannelGuard guard(channel.lock);
        if (channel.worker) {
            continue;
        }
        auto worker = std::make_unique<CVideoDecodeItem>(c, siteKey(), m_params);
        CVideoDecodeItem* w = worker.get();
        // The callback runs on w's own thread, which teardown joins before w
        // goes away.
        w->setAfterPacketCallback([this, w](int ch) { flowControlCheck(w, ch); });
        w->setPacing(m_params.pacing == 1);
        w->setPlayMode(m_playMode.load());
        w->setSpeedIndex(m_speedIndex.load());
        w->start([this]() { return clock(); }, [this](ptime t) { startClock(t); });
        channel.worker = std::move(worker);
        m_openMask.fetch_or(ChannelMask{1} << c);
    }
}

void CSSFFileSite::addChannelsAt(ChannelMask mask, std::uint32_t /*unused*/, int date, int time) {
    if (!m_accepting.load()) {
        return;
    }
    post([this, mask, date, time] { addChannelsAtLocked(mask, date, time); });
}

void CSSFFileSite::addChannelsAtLocked(ChannelMask mask, int date, int time) {
    if (m_closed || m_closing.load()) {
        return;
    }
    const ChannelMask added = mask & ~m_openMask.load();
    if (added == 0) {
        return;
    }
    int startDate = date;
    int startTime = time;
    if (startDate == 0 && startTime == 0) {
        siterules::PlayTime t;
        if (currentPosition(m_playMode.load(), true, &t)) {
            startDate = t.date();
            startTime = t.time();
        } else if (siterules::splitPlayTime(playAnchor(), &t)) {
            startDate = t.date();
            startTime = t.time();
        } else {
            startDate = m_params.startDate;
            startTime = m_params.startTime;
        }
    }
    {
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        m_params.startDate = startDate;
        m_params.startTime = startTime;
        m_params.channelMask |= added;
        addChannelsLocked(added);
    }
    const auto src = source();
    if (!src) {
        return;
    }
    // The source starts reading the new channels where playback stands; the
    // channels already playing go on undisturbed.
    bool taken = true;
    for (int c = 0; c < kMaxChannels && taken; ++c) {
        if (hasChannel(added, c)) {
            taken = src->addChannel(c, startDate, startTime);
        }
    }
    if (!taken) {
        // A source that reads only the channels it was opened for is opened
        // again for all of them, at the same time on every channel.
        restartSourceLocked(startDate, startTime);
    }
}

void CSSFFileSite::removeChannel(int channel) {
    if (!isChannel(channel)) {
        return;
    }
    post([this, channel] { removeChannelLocked(channel); });
}

void CSSFFileSite::removeChannelLocked(int channel) {
    {
        // A later reopen opens only the channels still open.
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        m_params.channelMask &= ~(ChannelMask{1} << channel);
    }
    std::unique_ptr<CVideoDecodeItem> worker;
    {
        Channel& ch = m_channels[static_cast<std::size_t>(channel)];
        ChannelGuard guard(ch.lock);
        m_openMask.fetch_and(~(ChannelMask{1} << channel));
        if (ch.worker) {
            ch.worker->stop();
            worker = std::move(ch.worker);
        }
    }
    if (const auto src = source()) {
        // Nothing reads the channel any more.
        src->removeChannel(channel);
        src->enableChannel(channel, false);
    }
    if (worker) {
        worker->teardown();
    }
}

bool CSSFFileSite::hasNoChannels() {
    return m_openMask.load() == 0;
}

void CSSFFileSite::setChannelEnabled(int streamType, int channel, int date, int time) {
    if (!isChannel(channel)) {
        return;
    }
    m_streamTypes[static_cast<std::size_t>(channel)].store(static_cast<unsigned char>(streamType));
    post([this, streamType, channel, date, time] {
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        m_params.channelOptions[channel] = static_cast<unsigned char>(streamType);
        // A given time is where a reopen starts; 0, 0 keeps the start.
        if (date != 0 || time != 0) {
            m_params.startDate = date;
            m_params.startTime = time;
        }
    });
}

int CSSFFileSite::isChannelEnabled(int channel) {
    if (!isChannel(channel)) {
        return 0;
    }
    return m_streamTypes[static_cast<std::size_t>(channel)].load();
}

SiteParams* CSSFFileSite::getParams() {
    return &m_given;
}

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

// ---------------------------------------------------------------------------
// Audio

void CSSFFileSite::stopAudioThread() {
    {
        std::lock_guard<std::mutex> guard(m_audioMutex);
        m_audioStop = true;
    }
    m_audioWake.notify_all();
    if (m_audioThread) {
        m_audioThread->join();
        m_audioThread.reset();
    }
}

void CSSFFileSite::clearAudioQueue() {
    std::list<std::unique_ptr<READASTREAM>> dropped;
    {
        std::lock_guard<std::mutex> guard(m_audioMutex);
        dropped.swap(m_audioQueue);
    }
}

std::size_t CSSFFileSite::queuedAudioBlocks() const {
    std::lock_guard<std::mutex> guard(m_audioMutex);
    return m_audioQueue.size();
}

void CSSFFileSite::audioLoop() {
    boost::function<void(_AUDIODATA*)> onAudio;
    {
        std::lock_guard<std::mutex> guard(m_audioMutex);
        onAudio = m_onAudio;
    }
    while (true) {
        std::unique_ptr<READASTREAM> packet;
        {
            std::unique_lock<std::mutex> lock(m_audioMutex);
            // Woken by every queued block and by stop.
            m_audioWake.wait(lock, [this] { return m_audioStop || !m_audioQueue.empty(); });
            if (m_audioStop) {
                return;
            }
            // Taken off the queue before decoding, so that a flush meanwhile
            // cannot delete it under the decoder.
            packet = std::move(m_audioQueue.front());
            m_audioQueue.pop_front();
        }
        if (!isChannel(packet->channel) || packet->data == nullptr || packet->size <= 0) {
            continue;
        }
        AudioChannel& audio = m_audioChannels[static_cast<std::size_t>(packet->channel)];
        if (audio.codecKind != packet->codecKind || audio.param1 != packet->param1 ||
            audio.param2 != packet->param2 || audio.param3 != packet->param3) {
            audio.decoder.reset();
            audio.codecKind = packet->codecKind;
            audio.param1 = packet->param1;
            audio.param2 = packet->param2;
            audio.param3 = packet->param3;
            IACodec* made = nullptr;
            if (isDecodedAudioKind(packet->codecKind) && CreateACodec(&made, packet->codecKind) &&
                made != nullptr) {
                audio.decoder.reset(made);
                audio.decoder->open(packet->codecKind, packet->param1, packet->param2,
                                    packet->param3);
            }
        }
        if (!audio.decoder) {
            continue;
        }
        AudioDecodeBuffer buffer;
        buffer.input = packet->data.get();
        buffer.inputSize = packet->size;
        audio.decoder->decode(&buffer);
        if (buffer.output == nullptr || buffer.outputSize <= 0 || !onAudio) {
            continue;
        }
        _AUDIODATA block;
        block.data = buffer.output;
        block.length = buffer.outputSize;
        block.param3 = packet->param3;
        block.param1 = packet->param1;
        block.param2 = packet->param2;
        block.channel = packet->channel;
        block.siteKey = siteKey();
        onAudio(&block);
    }
}

// ---------------------------------------------------------------------------
// Workers

void CSSFFileSite::flushWorkers() {
    for (Channel& ch : m_channels) {
        ChannelGuard guard(ch.lock);
        if (ch.worker) {
            ch.worker->flush();
            ch.worker->resetTimes();
            ch.worker->setFlowControl(false);
        }
    }
}

void CSSFFileSite::setWorkersMode(int playMode, int speedIndex) {
    for (Channel& ch : m_channels) {
        ChannelGuard guard(ch.lock);
        if (ch.worker) {
            ch.worker->setSpeedIndex(speedIndex);
            ch.worker->setPlayMode(playMode);
        }
    }
}

// ---------------------------------------------------------------------------
// Time queries

bool CSSFFileSite::pickPosition(TimeKind kind, bool latest, Position* out) const {
    const ChannelMask mask = m_openMask.load();
    bool found = false;
    Position best;
    ptime bestKey;
    for (int c = 0; c < kMaxChannels; ++c) {
        if (!hasChannel(mask, c)) {
            continue;
        }
        const Channel& ch = m_channels[static_cast<std::size_t>(c)];
        CVideoDecodeItem::Times times;
        {
            ChannelGuard guard(const_cast<boost::recursive_mutex&>(ch.lock));
            if (!ch.worker) {
                continue;
            }
            times = ch.worker->times();
        }
        // Only workers that have presented something count.
        if (times.lastPresented.is_special()) {
            continue;
        }
        if (!found || (latest ? times.lastPresented > bestKey : times.lastPresented < bestKey)) {
            found = true;
            bestKey = times.lastPresented;
            best.instant = kind == TimeKind::LastPresented ? times.lastPresented : times.current;
            best.sequence = times.lastSequence;
        }
    }
    if (found && out != nullptr) {
        *out = best;
    }
    return found;
}

bool CSSFFileSite::recordQuery(bool found, const Position& position, siterules::PlayTime* split) {
    siterules::PlayTime parts;
    const bool valid = found && siterules::splitPlayTime(position.instant, &parts);
    {
        std::lock_guard<std::mutex> guard(m_playTimeMutex);
        m_currentPlay = valid ? position.instant : ptime();
        if (valid) {
            m_anchor = position.instant;
        }
    }
    if (valid && split != nullptr) {
        *split = parts;
    }
    return valid;
}

CSSFFileSite::ptime CSSFFileSite::playAnchor() const {
    std::lock_guard<std::mutex> guard(m_playTimeMutex);
    return m_anchor;
}

void CSSFFileSite::forgetPlayInstant() {
    std::lock_guard<std::mutex> guard(m_playTimeMutex);
    m_currentPlay = ptime();
    m_anchor = ptime();
}

void CSSFFileSite::repositioned(ptime target) {
    std::lock_guard<std::mutex> guard(m_playTimeMutex);
    m_currentPlay = ptime();
    m_anchor = target;
}

bool CSSFFileSite::currentPosition(int playMode, bool record, siterules::PlayTime* split) {
    Position position;
    const bool found = pickPosition(TimeKind::LastPresented,
                                    siterules::currentTimeTakesLatest(playMode), &position);
    if (record) {
        return recordQuery(found, position, split);
    }
    return found && siterules::splitPlayTime(position.instant, split);
}

bool CSSFFileSite::channelPosition(int channel, bool record, siterules::PlayTime* split) {
    Position position;
    bool found = false;
    if (isChannel(channel)) {
        Channel& ch = m_channels[static_cast<std::size_t>(channel)];
        ChannelGuard guard(ch.lock);
        if (ch.worker) {
            const CVideoDecodeItem::Times times = ch.worker->times();
            position.instant = times.lastPresented;
            position.sequence = times.lastSequence;
            found = !times.lastPresented.is_special();
        }
    }
    if (record) {
        return recordQuery(found, position, split);
    }
    return found && siterules::splitPlayTime(position.instant, split);
}

namespace {

void writeSplit(const siterules::PlayTime& t, int* year, int* month, int* day, int* hour,
                int* minute, int* second) {
    if (year)
        *year = t.year;
    if (month)
        *month = t.month;
    if (day)
        *day = t.day;
    if (hour)
        *hour = t.hour;
    if (minute)
        *minute = t.minute;
    if (second)
        *second = t.second;
}

}  // namespace

bool CSSFFileSite::getCurrentTime(int* year, int* month, int* day, int* hour, int* minute,
                                  int* second) {
    if (m_jumpsInFlight.load() > 0) {
        return false;
    }
    // The mode in force, not the one commanded: the pictures follow it.
    siterules::PlayTime t;
    if (!currentPosition(m_playMode.load(), false, &t)) {
        return false;
    }
    writeSplit(t, year, month, day, hour, minute, second);
    return true;
}

bool CSSFFileSite::getCurrentDateTime(int* date, int* time) {
    if (m_jumpsInFlight.load() > 0) {
        return false;
    }
    siterules::PlayTime t;
    if (!currentPosition(m_playMode.load(), false, &t)) {
        return false;
    }
    if (date)
        *date = t.date();
    if (time)
        *time = t.time();
    return true;
}

bool CSSFFileSite::getChannelTime(int channel, int* year, int* month, int* day, int* hour,
                                  int* minute, int* second) {
    if (m_jumpsInFlight.load() > 0) {
        return false;
    }
    siterules::PlayTime t;
    if (!channelPosition(channel, false, &t)) {
        return false;
    }
    writeSplit(t, year, month, day, hour, minute, second);
    return true;
}

bool CSSFFileSite::getChannelDateTime(int channel, int* date, int* time) {
    if (m_jumpsInFlight.load() > 0) {
        return false;
    }
    siterules::PlayTime t;
    if (!channelPosition(channel, false, &t)) {
        return false;
    }
    if (date)
        *date = t.date();
    if (time)
        *time = t.time();
    return true;
}

bool CSSFFileSite::positionForPlay(Position* out) {
    Position position;
    const bool found = pickPosition(
        TimeKind::LastPresented, siterules::playPositionTakesLatest(m_playMode.load()), &position);
    if (!recordQuery(found, position, nullptr)) {
        return false;
    }
    if (out)
        *out = position;
    return true;
}

bool CSSFFileSite::stepTarget(Position* out) {
    Position position;
    const bool found = pickPosition(TimeKind::Current,
                                    siterules::stepTargetTakesLatest(m_playMode.load()), &position);
    if (!recordQuery(found, position, nullptr)) {
        return false;
    }
    if (out)
        *out = position;
    return true;
}

bool CSSFFileSite::getFirstRecordTime(int* date, int* time) {
    const auto src = source();
    return src && src->getFirstRecordTime(date, time);
}

bool CSSFFileSite::getLastRecordTime(int* date, int* time) {
    const auto src = source();
    return src && src->getLastRecordTime(date, time);
}

int CSSFFileSite::getPlayMode(int* out) {
    const int mode = m_shownMode.load();
    if (out)
        *out = mode;
    return mode;
}

int CSSFFileSite::getSpeedIndex(int* out) {
    const int index = m_shownSpeed.load();
    if (out)
        *out = index;
    return index;
}

// ---------------------------------------------------------------------------
// Playback commands
//
// Each command sets the published play mode and speed index as it will
// leave them, then posts the work. The control thread checks again against
// the mode in force: a command given to a site that closes meanwhile does
// nothing.

void CSSFFileSite::gotoDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (!m_accepting.load()) {
        return;
    }
    ++m_jumpsInFlight;
    post([=] {
        jumpLocked(
            (year * 100 + month) * 100 + day, (hour * 100 + minute) * 100 + second,
            [=](IMediaSource& src) { src.gotoDateTime(year, month, day, hour, minute, second); });
        --m_jumpsInFlight;
    });
}

bool CSSFFileSite::gotoFirst() {
    if (!m_accepting.load()) {
        return false;
    }
    ++m_jumpsInFlight;
    post([this] {
        gotoEndLocked(false);
        --m_jumpsInFlight;
    });
    return true;
}

bool CSSFFileSite::gotoLast() {
    if (!m_accepting.load()) {
        return false;
    }
    ++m_jumpsInFlight;
    post([this] {
        gotoEndLocked(true);
        --m_jumpsInFlight;
    });
    return true;
}

void CSSFFileSite::gotoEndLocked(bool last) {
    if (m_closing.load() || m_closed || !source()) {
        return;
    }
    // Before the source has found its recordings the instant is not known
    // yet; the source carries the jump out once it has.
    int date = 0;
    int time = 0;
    if (last) {
        getLastRecordTime(&date, &time);
        jumpLocked(date, time, [](IMediaSource& src) { src.gotoLast(); });
    } else {
        getFirstRecordTime(&date, &time);
        jumpLocked(date, time, [](IMediaSource& src) { src.gotoFirst(); });
    }
}

void CSSFFileSite::jumpLocked(int date, int time,
                              const std::function<void(IMediaSource&)>& reposition) {
    if (m_closing.load() || m_closed) {
        return;
    }
    if (date != 0) {
        std::lock_guard<std::recursive_mutex> guard(m_sourceMutex);
        m_params.startDate = date;
        m_params.startTime = time;
    }
    // Without the clock thread nothing resynchronises to what is being flushed.
    stopClockThread();
    const auto src = quiesceLocked();
    // The play position and the clock are set before the source delivers
    // from its new position: a picture it hands out at once must not find
    // them reset after it has started the clock.
    repositioned(CVideoDecodeItem::frameInstant(date, time, 0));
    setClock(ptime());
    if (src) {
        reposition(*src);
    }
    startClockThread();
}

std::shared_ptr<IMediaSource> CSSFFileSite::quiesceLocked() {
    const auto src = source();
    if (src) {
        for (int c = 0; c < kMaxChannels; ++c) {
            src->enableChannel(c, false);
        }
    }
    flushWorkers();
    clearAudioQueue();
    return src;
}

// Where play and reverse play start: the position-for-play query; when no
// picture has been shown since the queues were emptied, the last known play
// position (the anchor); else the stored start time, else the first
// (forward) or last (backward) recording. After the end of the recordings
// play starts again from the first one.
void CSSFFileSite::playStart(bool backward, siterules::PlayTime* at, int* sequence) {
    int date = 0;
    int time = 0;
    if (!backward && computeFinished() && getFirstRecordTime(&date, &time)) {
        splitDate(date, &at->year, &at->month, &at->day);
        at->hour = time / 10000;
        at->minute = time / 100 % 100;
        at->second = time % 100;
        return;
    }
    Position position;
    if (positionForPlay(&position)) {
        siterules::splitPlayTime(position.instant, at);
        *sequence = position.sequence;
        return;
    }
    if (siterules::splitPlayTime(playAnchor(), at)) {
        return;
    }
    date = m_params.startDate;
    time = m_params.startTime;
    if (date == 0) {
        if (backward) {
            getLastRecordTime(&date, &time);
        } else {
            getFirstRecordTime(&date, &time);
        }
    }
    splitDate(date, &at->year, &at->month, &at->day);
    at->hour = time / 10000;
    at->minute = time / 100 % 100;
    at->second = time % 100;
}

bool CSSFFileSite::channelFinished(int channel, const std::shared_ptr<IMediaSource>& src) {
    if (!src->isChannelExhausted(channel)) {
        return false;
    }
    Channel& ch = m_channels[static_cast<std::size_t>(channel)];
    ChannelGuard guard(ch.lock);
    // Nothing queued and nothing waited for: its last picture is out.
    return !ch.worker ||
           (ch.worker->queuedPackets() == 0 && ch.worker->currentInstant().is_special());
}

bool CSSFFileSite::computeFinished() {
    const auto src = source();
    const ChannelMask mask = m_openMask.load();
    if (!src || m_closing.load() || mask == 0 || !src->isPrepared()) {
        return false;
    }
    for (int c = 0; c < kMaxChannels; ++c) {
        if (hasChannel(mask, c) && !channelFinished(c, src)) {
            return false;
        }
    }
    return true;
}

bool CSSFFileSite::isFinished() {
    // A command on its way may move playback from the end.
    return m_inFlight.load() == 0 && computeFinished();
}

bool CSSFFileSite::isChannelQuiet(int channel) {
    return m_inFlight.load() == 0 && computeChannelQuiet(channel);
}

bool CSSFFileSite::computeChannelQuiet(int channel) {
    const auto src = source();
    if (!src || m_closing.load() || !isChannel(channel) ||
        !hasChannel(m_openMask.load(), channel) || !src->isPrepared()) {
        return false;
    }
    if (channelFinished(channel, src)) {
        return true;
    }
    ptime next;
    {
        Channel& ch = m_channels[static_cast<std::size_t>(channel)];
        ChannelGuard guard(ch.lock);
        if (!ch.worker) {
            return false;
        }
        next = ch.worker->currentInstant();
    }
    // The picture the channel waits for lies well ahead of the play position:
    // there is no recording of it here.
    const ptime now = clock();
    if (next.is_special() || now.is_special()) {
        return false;
    }
    const bool backward = m_backward.load();
    const pt::time_duration ahead = backward ? now - next : next - now;
    return ahead > pt::milliseconds(siterules::kResyncThresholdMs);
}

void CSSFFileSite::play() {
    if (!m_accepting.load()) {
        return;
    }
    m_shownMode.store(PLAYMODE_FORWARD);
    m_shownSpeed.store(kSpeedIndexNormal);
    post([this] { playLocked(false); });
}

void CSSFFileSite::playReverse() {
    if (!m_accepting.load()) {
        return;
    }
    m_shownMode.store(PLAYMODE_BACKWARD);
    m_shownSpeed.store(kSpeedIndexReverse);
    post([this] { playLocked(true); });
}

void CSSFFileSite::playLocked(bool backward) {
    if (m_closing.load() || m_closed) {
        return;
    }
    siterules::PlayTime at;
    int sequence = 0;
    playStart(backward, &at, &sequence);
    const auto src = quiesceLocked();
    repositioned(CVideoDecodeItem::frameInstant(at.date(), at.time(), 0));
    setClock(ptime());
    const int mode = backward ? PLAYMODE_BACKWARD : PLAYMODE_FORWARD;
    const int speed = backward ? kSpeedIndexReverse : kSpeedIndexNormal;
    m_speedIndex.store(speed);
    m_playMode.store(mode);
    // Reverse play follows the latest worker, as a backward speed change does.
    m_backward.store(backward);
    setWorkersMode(mode, speed);
    if (!src) {
        return;
    }
    if (backward) {
        src->playReverse(sequence, at.year, at.month, at.day, at.hour, at.minute, at.second);
    } else {
        src->playForward(sequence, at.year, at.month, at.day, at.hour, at.minute, at.second);
    }
}

void CSSFFileSite::pause() {
    if (!m_accepting.load()) {
        return;
    }
    m_shownMode.store(PLAYMODE_STILL);
    m_shownSpeed.store(kSpeedIndexStill);
    post([this] { pauseLocked(); });
}

void CSSFFileSite::pauseLocked() {
    if (m_closing.load() || m_closed) {
        return;
    }
    if (const auto src = source()) {
        src->pauseAll();
    }
    m_playMode.store(PLAYMODE_STILL);
    m_speedIndex.store(kSpeedIndexStill);
    setWorkersMode(PLAYMODE_STILL, kSpeedIndexStill);
}

void CSSFFileSite::stepForward() {
    if (!m_accepting.load()) {
        return;
    }
    const int mode = m_shownMode.load();
    if (mode != PLAYMODE_FORWARD && mode != PLAYMODE_STEP_FORWARD) {
        m_shownSpeed.store(kSpeedIndexNormal);
    }
    m_shownMode.store(PLAYMODE_STEP_FORWARD);
    post([this] { stepLocked(false); });
}

void CSSFFileSite::stepBackward() {
    if (!m_accepting.load()) {
        return;
    }
    const int mode = m_shownMode.load();
    if (mode != PLAYMODE_BACKWARD && mode != PLAYMODE_STEP_BACKWARD) {
        m_shownSpeed.store(kSpeedIndexReverse);
    }
    m_shownMode.store(PLAYMODE_STEP_BACKWARD);
    post([this] { stepLocked(true); });
}

void CSSFFileSite::stepLocked(bool backward) {
    if (m_closing.load() || m_closed) {
        return;
    }
    const int mode = m_playMode.load();
    const int playing = backward ? PLAYMODE_BACKWARD : PLAYMODE_FORWARD;
    const int stepping = backward ? PLAYMODE_STEP_BACKWARD : PLAYMODE_STEP_FORWARD;
    if (mode != playing && mode != stepping) {
        // Reading starts in the step's direction. Nothing is presented yet
        // after that, so there is no step target: the first picture each
        // channel presents starts the clock, and the clock thread takes the
        // target once one is there.
        playLocked(backward);
    }
    // A forward step takes its target in the step mode (the earliest
    // channel's next picture), a backward one in the mode before it (the
    // latest channel's, once stepping backward).
    Position target;
    bool found = false;
    if (backward) {
        found = stepTarget(&target);
        m_playMode.store(stepping);
    } else {
        m_playMode.store(stepping);
        found = stepTarget(&target);
    }
    if (found) {
        setClock(target.instant);
    }
    setWorkersMode(stepping, m_speedIndex.load());
}

void CSSFFileSite::changeSpeed(int speedIndex) {
    if (!m_accepting.load() || !isValidSpeedIndex(speedIndex) ||
        speedIndex == m_shownSpeed.load()) {
        return;
    }
    m_shownSpeed.store(speedIndex);
    m_shownMode.store(siterules::playModeForSpeedIndex(speedIndex));
    post([this, speedIndex] { changeSpeedLocked(speedIndex); });
}

void CSSFFileSite::changeSpeedLocked(int speedIndex) {
    if (m_closing.load() || m_closed) {
        return;
    }
    const int oldIndex = m_speedIndex.load();
    if (speedIndex == oldIndex) {
        return;
    }
    // Reposition where the pictures are now; when nothing is presented at the
    // moment (just after a flush), at the last known play position. Without
    // any (nothing shown since the site opened at the start of its
    // recordings) the readers take the speed where they stand.
    currentPosition(m_playMode.load(), true, nullptr);
    const ptime at = playAnchor();
    const int mode = siterules::playModeForSpeedIndex(speedIndex);
    const auto applyMode = [&]() {
        m_speedIndex.store(speedIndex);
        m_playMode.store(mode);
        m_backward.store(speedIndex < kSpeedIndexStill);
        setWorkersMode(mode, speedIndex);
    };
    if (!source() || !siterules::crossesReadingPattern(oldIndex, speedIndex)) {
        applyMode();
        return;
    }
    const auto src = quiesceLocked();
    siterules::PlayTime t;
    siterules::splitPlayTime(at, &t);
    if (!at.is_special()) {
        repositioned(at);
    }
    applyMode();
    src->setSpeed(speedIndex, 0, t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// ---------------------------------------------------------------------------
// Samples

GSENSORDATA* CSSFFileSite::getGSensorData(int channel) {
    if (!isChannel(channel)) {
        return nullptr;
    }
    std::optional<GSENSORDATA> latest;
    {
        Channel& ch = m_channels[static_cast<std::size_t>(channel)];
        ChannelGuard guard(ch.lock);
        if (!ch.worker) {
            return nullptr;
        }
        latest = ch.worker->latestGSensor();
    }
    if (!latest) {
        return nullptr;
    }
    const auto i = static_cast<std::size_t>(channel);
    if (!m_gsensorOutSet[i] || !sameSample(m_gsensorOut[i], *latest)) {
        m_gsensorOut[i] = *latest;
        m_gsensorOut[i].isNew = true;
        m_gsensorOutSet[i] = true;
    }
    return &m_gsensorOut[i];
}

void CSSFFileSite::clearGSensorFlag(int channel) {
    if (!isChannel(channel)) {
        return;
    }
    const auto i = static_cast<std::size_t>(channel);
    m_gsensorOut[i].isNew = false;
    Channel& ch = m_channels[i];
    ChannelGuard guard(ch.lock);
    if (ch.worker) {
        ch.worker->clearGSensorFlag();
    }
}

GPSDATA* CSSFFileSite::getGpsData(int channel) {
    if (!isChannel(channel)) {
        return nullptr;
    }
    std::optional<GPSDATA> latest;
    {
        Channel& ch = m_channels[static_cast<std::size_t>(channel)];
        ChannelGuard guard(ch.lock);
        if (!ch.worker) {
            return nullptr;
        }
        latest = ch.worker->latestGps();
    }
    if (!latest) {
        return nullptr;
    }
    const auto i = static_cast<std::size_t>(channel);
    if (!m_gpsOutSet[i] || !sameSample(m_gpsOut[i], *latest)) {
        m_gpsOut[i] = *latest;
        m_gpsOut[i].isNew = true;
        m_gpsOutSet[i] = true;
    }
    return &m_gpsOut[i];
}

// ---------------------------------------------------------------------------

bool CreateSite(ISite** out, int kind) {
    if (kind != CSSFFileSite::kKind) {
        return true;
    }
    if (out == nullptr) {
        return false;
    }
    auto* site = new CSSFFileSite();
    site->setKind(kind);
    *out = site;
    return true;
}
