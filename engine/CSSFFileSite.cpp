// The recording site: its control thread, lifecycle, channels and decode workers.

#include "engine/CSSFFileSitePrivate.h"

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
