#include "engine/MediaSource_SSFFile.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>
#include <thread>

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "core/PlaybackTypes.h"
#include "engine/ThreadPriority.h"
#include "recording/FolderScan.h"
#include "recording/PacketTime.h"
#include "recording/SSFChannelReader.h"

namespace {

using boost::posix_time::ptime;

int dateNumber(int year, int month, int day) {
    return (year * 100 + month) * 100 + day;
}

int timeNumber(int hour, int minute, int second) {
    return (hour * 100 + minute) * 100 + second;
}

// False (writing nothing) for an instant that has no date.
bool writeInstant(const ptime& at, int* date, int* time) {
    if (!VORTA::isWritableInstant(at)) {
        return false;
    }
    if (date != nullptr) {
        *date = VORTA::dateInteger(at);
    }
    if (time != nullptr) {
        *time = VORTA::timeInteger(at);
    }
    return true;
}

}  // namespace

class MediaSource_SSFFile::CommandGuard {
public:
    explicit CommandGuard(MediaSource_SSFFile& source) : m_source(source) {
        m_source.m_commandsPending.fetch_add(1);
        m_lock = std::unique_lock<std::mutex>(m_source.m_readMutex);
    }
    ~CommandGuard() {
        m_lock.unlock();
        m_source.m_commandsPending.fetch_sub(1);
        m_source.wake();
    }
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

private:
    MediaSource_SSFFile& m_source;
    std::unique_lock<std::mutex> m_lock;
};

MediaSource_SSFFile::MediaSource_SSFFile()
    : m_speedIndex(kSpeedIndexNormal), m_direction(DIRECTION_FORWARD) {}

MediaSource_SSFFile::~MediaSource_SSFFile() {
    // A thread left running would go on using the readers deleted below.
    close();
}

void MediaSource_SSFFile::setLog(std::ostream* log) {
    m_log = log;
}

bool MediaSource_SSFFile::open(SourceParams* params) {
    if (params == nullptr || m_opened) {
        return false;
    }
    m_opened = true;
    m_open.store(true);
    m_params = *params;
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        if ((m_params.channelMask & (ChannelMask(1) << channel)) != 0) {
            auto reader = std::make_unique<SSFChannelReader>(channel, m_params);
            reader->setLog(m_log);
            m_byChannel[static_cast<std::size_t>(channel)].store(reader.get());
            m_active[static_cast<std::size_t>(channel)].store(true);
            m_readers.push_back(std::move(reader));
        }
    }
    try {
        m_prepareThread = std::make_unique<std::thread>([this]() { prepare(); });
    } catch (const std::system_error&) {
        m_open.store(false);
        return false;
    }
    return true;
}

bool MediaSource_SSFFile::start() {
    return true;
}

bool MediaSource_SSFFile::requestStop() {
    m_open.store(false);
    m_running.store(false);
    wake();
    return true;
}

void MediaSource_SSFFile::close() {
    requestStop();
    if (m_prepareThread) {
        m_prepareThread->join();
        m_prepareThread.reset();
    }
    // The preparation may have set the flag after requestStop cleared it.
    m_running.store(false);
    wake();
    if (m_readThread) {
        m_readThread->join();
        m_readThread.reset();
    }
}

void MediaSource_SSFFile::prepare() {
    {
        // Commands given meanwhile wait in m_pending (see runCommand): a jump
        // carried out during the scan would be undone below.
        std::lock_guard<std::mutex> hold(m_readMutex);
        std::vector<SSFChannelReader*> readers;
        for (const auto& r : m_readers) {
            readers.push_back(r.get());
        }
        std::vector<std::pair<int, std::string>> unread;
        scanFolder(m_params.folder, readers, m_open, m_log, &unread);
        for (auto& [channel, path] : unread) {
            m_unread[static_cast<std::size_t>(channel)].push_back(std::move(path));
        }
        keepRange();
        for (SSFChannelReader* r : readers) {
            if (!m_open.load()) {
                return;
            }
            r->enabled.store(1);
            r->startAtFirstFile();
        }
        if (!m_open.load()) {
            return;
        }
        if (m_params.startDate != 0) {
            gotoLocked(m_params.startDate, m_params.startTime);
        }
        // The commands given during the scan, in order; one given while they
        // run joins the queue. The queue is empty when the source counts as
        // prepared, so no command can slip past an earlier one.
        for (;;) {
            std::function<void()> command;
            {
                std::lock_guard<std::mutex> pending(m_pendingMutex);
                if (m_pending.empty() || !m_open.load()) {
                    m_pending.clear();
                    m_prepared.store(true);
                    break;
                }
                command = std::move(m_pending.front());
                m_pending.pop_front();
            }
            command();
        }
        m_running.store(true);
        if (!m_open.load()) {
            // requestStop came in between; it may have cleared the flag before we set it.
            m_running.store(false);
            return;
        }
    }
    try {
        m_readThread = std::make_unique<std::thread>([this]() { readLoop(); });
        setThreadPriorityAboveNormal(*m_readThread);
    } catch (const std::system_error&) {
        m_running.store(false);
    }
}

void MediaSource_SSFFile::keepRange() {
    ptime first;
    ptime last;
    for (const auto& r : m_readers) {
        const ptime a = r->firstInstant();
        if (!a.is_not_a_date_time() && (first.is_not_a_date_time() || a < first)) {
            first = a;
        }
        const ptime b = r->lastInstant();
        if (!b.is_not_a_date_time() && (last.is_not_a_date_time() || b > last)) {
            last = b;
        }
    }
    std::lock_guard<std::mutex> guard(m_rangeMutex);
    m_firstRecord = first;
    m_lastRecord = last;
}

bool MediaSource_SSFFile::isActive(int channel) const {
    return channel >= 0 && channel < kMaxChannels &&
           m_active[static_cast<std::size_t>(channel)].load();
}

void MediaSource_SSFFile::readLoop() {
    // On Linux only the thread itself can raise its own priority.
    setCurrentThreadPriorityAboveNormal();
    while (m_running.load() && m_open.load()) {
        if (m_commandsPending.load() > 0) {
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            m_wake.wait_for(lock, std::chrono::milliseconds(kIdleWaitMs), [this]() {
                return m_commandsPending.load() == 0 || !m_running.load();
            });
            continue;
        }
        std::uint64_t seen = 0;
        {
            std::lock_guard<std::mutex> lock(m_wakeMutex);
            seen = m_wakes;
        }
        bool picked = false;
        {
            std::lock_guard<std::mutex> hold(m_readMutex);
            picked = readStep();
        }
        if (!picked) {
            waitIdle(seen);
        }
    }
}

void MediaSource_SSFFile::waitIdle(std::uint64_t seenWakes) {
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(kIdleWaitMs),
                    [&]() { return m_wakes != seenWakes || !m_running.load(); });
}

void MediaSource_SSFFile::wake() {
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        ++m_wakes;
    }
    m_wake.notify_all();
}

int MediaSource_SSFFile::pickLocked() const {
    const bool forward = m_direction.load() == DIRECTION_FORWARD;
    int best = -1;
    ptime bestAt;
    for (const auto& reader : m_readers) {
        const SSFChannelReader& r = *reader;
        // A reader without an open file cannot move on: picking it would hand
        // out its last sample again and again.
        if (r.enabled.load() != 1 || !isActive(r.channel()) || r.isClosed()) {
            continue;
        }
        const ptime at = r.currentInstant();
        if (at.is_not_a_date_time()) {
            continue;
        }
        if (best < 0 || (forward ? at < bestAt : at > bestAt)) {
            best = r.channel();
            bestAt = at;
        }
    }
    return best;
}

bool MediaSource_SSFFile::readStep() {
    const int channel = pickLocked();
    if (channel < 0) {
        return false;
    }
    SSFChannelReader& reader = *readerOf(channel);
    const STREAMOBJECT*& delivered = m_delivered[static_cast<std::size_t>(channel)];
    const boost::function<void(STREAMOBJECT*)> deliver = [this, &delivered](STREAMOBJECT* s) {
        if (s == delivered) {
            return;
        }
        delivered = s;
        if (m_params.packetSink) {
            m_params.packetSink(s);
        }
    };
    if (!reader.deliverCurrentSample(deliver)) {
        delivered = nullptr;
    }
    reader.readNext();
    return true;
}

void MediaSource_SSFFile::setAllEnabled(std::uint8_t value) {
    for (const auto& r : m_readers) {
        r->enabled.store(value != 0 && isActive(r->channel()) ? value : 0);
    }
}

void MediaSource_SSFFile::sendEvent(int code) {
    if (!m_params.eventSink) {
        return;
    }
    for (const auto& r : m_readers) {
        if (isActive(r->channel())) {
            m_params.eventSink(code, r->channel());
        }
    }
}

void MediaSource_SSFFile::forgetDelivered() {
    // Positioning frees the readers' samples; a new one may reuse an address.
    m_delivered.fill(nullptr);
}

void MediaSource_SSFFile::gotoLocked(int date, int time) {
    setAllEnabled(0);
    forgetDelivered();
    for (const auto& r : m_readers) {
        if (isActive(r->channel())) {
            r->seek(date, time);
        }
    }
    sendEvent(EVT_REPOSITIONED);
    setAllEnabled(1);
}

bool MediaSource_SSFFile::addChannel(int channel, int date, int time) {
    if (channel < 0 || channel >= kMaxChannels || !m_opened) {
        return false;
    }
    runCommand([this, channel, date, time]() { addChannelLocked(channel, date, time); });
    return true;
}

void MediaSource_SSFFile::addChannelLocked(int channel, int date, int time) {
    const auto c = static_cast<std::size_t>(channel);
    SSFChannelReader* reader = m_byChannel[c].load();
    if (reader == nullptr) {
        auto made = std::make_unique<SSFChannelReader>(channel, m_params);
        made->setLog(m_log);
        for (const std::string& path : m_unread[c]) {
            made->addFile(path);
        }
        m_unread[c].clear();
        made->prepare();
        reader = made.get();
        const auto at = std::find_if(m_readers.begin(), m_readers.end(),
                                     [channel](const std::unique_ptr<SSFChannelReader>& r) {
                                         return r->channel() > channel;
                                     });
        m_readers.insert(at, std::move(made));
        m_byChannel[c].store(reader);
        keepRange();
    }
    reader->enabled.store(0);
    m_delivered[c] = nullptr;
    m_active[c].store(true);
    int d = date;
    int t = time;
    if (d == 0) {
        getFirstRecordTime(&d, &t);
    }
    if (d != 0) {
        // In the current direction and speed, like every other channel.
        reader->repositionAt(m_speedIndex.load(), d, t);
    } else {
        reader->startAtFirstFile();
    }
    reader->enabled.store(1);
}

void MediaSource_SSFFile::removeChannel(int channel) {
    SSFChannelReader* r = readerOf(channel);
    if (r == nullptr) {
        return;
    }
    m_active[static_cast<std::size_t>(channel)].store(false);
    r->enabled.store(0);
}

void MediaSource_SSFFile::runCommand(std::function<void()> command) {
    {
        std::lock_guard<std::mutex> pending(m_pendingMutex);
        if (!m_prepared.load()) {
            if (m_open.load()) {
                m_pending.push_back(std::move(command));
            }
            return;
        }
    }
    CommandGuard guard(*this);
    command();
}

void MediaSource_SSFFile::gotoDateTime(int year, int month, int day, int hour, int minute,
                                       int second) {
    const int date = dateNumber(year, month, day);
    const int time = timeNumber(hour, minute, second);
    runCommand([this, date, time]() { gotoLocked(date, time); });
}

void MediaSource_SSFFile::gotoFirst() {
    // Every channel goes to the day's first recording, not each to its own
    // first one: a channel that starts later waits for its start.
    runCommand([this]() {
        int date = 0;
        int time = 0;
        if (getFirstRecordTime(&date, &time)) {
            gotoLocked(date, time);
        }
    });
}

void MediaSource_SSFFile::gotoLast() {
    // The last key frame of the day; a channel that stopped earlier has
    // nothing there and stays quiet.
    runCommand([this]() {
        int date = 0;
        int time = 0;
        if (getLastRecordTime(&date, &time)) {
            gotoLocked(date, time);
        }
    });
}

void MediaSource_SSFFile::pauseAll() {
    runCommand([this]() { setAllEnabled(0); });
}

void MediaSource_SSFFile::repositionLocked(int speedIndex, int event, int date, int time) {
    setAllEnabled(0);
    m_direction.store(speedIndex > kSpeedIndexStill   ? DIRECTION_FORWARD
                      : speedIndex < kSpeedIndexStill ? DIRECTION_BACKWARD
                                                      : DIRECTION_STILL);
    m_speedIndex.store(speedIndex);
    sendEvent(event);
    forgetDelivered();
    // Every reader in use, also one already at this speed: the site emptied
    // the decode queues, so a reader's read-ahead position is no longer where
    // playback is. A removed channel takes the speed when it is added again.
    for (const auto& r : m_readers) {
        if (isActive(r->channel())) {
            r->repositionAt(speedIndex, date, time);
        }
    }
    setAllEnabled(1);
}

void MediaSource_SSFFile::playForward(int /*sequence*/, int year, int month, int day, int hour,
                                      int minute, int second) {
    const int date = dateNumber(year, month, day);
    const int time = timeNumber(hour, minute, second);
    runCommand([this, date, time]() {
        repositionLocked(kSpeedIndexNormal, EVT_PLAY_DIRECTION, date, time);
    });
}

void MediaSource_SSFFile::playReverse(int /*sequence*/, int year, int month, int day, int hour,
                                      int minute, int second) {
    const int date = dateNumber(year, month, day);
    const int time = timeNumber(hour, minute, second);
    runCommand([this, date, time]() {
        repositionLocked(kSpeedIndexReverse, EVT_PLAY_DIRECTION, date, time);
    });
}

void MediaSource_SSFFile::setSpeed(int speedIndex, int /*sequence*/, int year, int month, int day,
                                   int hour, int minute, int second) {
    if (!isValidSpeedIndex(speedIndex)) {
        return;
    }
    const int date = dateNumber(year, month, day);
    const int time = timeNumber(hour, minute, second);
    runCommand([this, speedIndex, date, time]() {
        repositionLocked(speedIndex,
                         speedIndex == kSpeedIndexStill ? EVT_PLAY_DIRECTION : EVT_SPEED_CHANGED,
                         date, time);
    });
}

SSFChannelReader* MediaSource_SSFFile::readerOf(int channel) const {
    if (channel < 0 || channel >= kMaxChannels) {
        return nullptr;
    }
    return m_byChannel[static_cast<std::size_t>(channel)].load();
}

const SSFChannelReader* MediaSource_SSFFile::channelReader(int channel) const {
    return readerOf(channel);
}

bool MediaSource_SSFFile::isChannelClosed(int channel) {
    const SSFChannelReader* r = readerOf(channel);
    return r == nullptr || r->isClosed();
}

bool MediaSource_SSFFile::allChannelsClosed() {
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        const SSFChannelReader* r = readerOf(channel);
        if (r != nullptr && !r->isClosed()) {
            return false;
        }
    }
    return true;
}

int MediaSource_SSFFile::getDirection(int* out) {
    const int value = m_direction.load();
    if (out != nullptr) {
        *out = value;
    }
    return value;
}

int MediaSource_SSFFile::getSpeedIndex(int* out) {
    const int value = m_speedIndex.load();
    if (out != nullptr) {
        *out = value;
    }
    return value;
}

bool MediaSource_SSFFile::enableChannel(int channel, bool enable) {
    SSFChannelReader* r = readerOf(channel);
    if (r != nullptr) {
        r->enabled.store(enable ? 1 : 0);
        if (enable) {
            wake();
        }
    }
    return true;
}

bool MediaSource_SSFFile::isPrepared() {
    return m_prepared.load();
}

bool MediaSource_SSFFile::isChannelExhausted(int channel) {
    const SSFChannelReader* r = readerOf(channel);
    return m_prepared.load() && r != nullptr && !r->hasCurrentInstant();
}

bool MediaSource_SSFFile::getFirstRecordTime(int* date, int* time) {
    ptime first;
    {
        std::lock_guard<std::mutex> guard(m_rangeMutex);
        first = m_firstRecord;
    }
    return !first.is_not_a_date_time() && writeInstant(first, date, time);
}

bool MediaSource_SSFFile::getLastRecordTime(int* date, int* time) {
    ptime last;
    {
        std::lock_guard<std::mutex> guard(m_rangeMutex);
        last = m_lastRecord;
    }
    return !last.is_not_a_date_time() && writeInstant(last, date, time);
}

bool CreateMediaSource(IMediaSource** out, int kind, void* /*unused*/) {
    if (kind == 4) {
        if (out == nullptr) {
            return false;
        }
        IMediaSource* source = new (std::nothrow) MediaSource_SSFFile();
        if (source == nullptr) {
            return false;
        }
        *out = source;
        return true;
    }
    return kind >= 0 && kind <= 3;
}
