#include "engine/CVideoDecodeItem.h"

#include <chrono>
#include <sstream>
#include <thread>
#include <utility>

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "codecs/VCodec.h"
#include "core/Trace.h"
#include "engine/ThreadPriority.h"

namespace pt = boost::posix_time;

using Guard = std::lock_guard<std::mutex>;
using Lock = std::unique_lock<std::mutex>;

namespace {

IVCodec* makeDefaultDecoder() {
    void* created = nullptr;
    if (!CreateVCodec(&created, 0) || created == nullptr) {
        return nullptr;
    }
    // The factory stores the object as its IEngineObject root.
    return static_cast<IVCodec*>(static_cast<IEngineObject*>(created));
}

void sleepWaitStep() {
    std::this_thread::sleep_for(std::chrono::milliseconds(CVideoDecodeItem::kWaitStepMs));
}

bool isStepMode(int mode) {
    return mode == PLAYMODE_STEP_FORWARD || mode == PLAYMODE_STEP_BACKWARD;
}

bool isBackwardMode(int mode) {
    return mode == PLAYMODE_BACKWARD || mode == PLAYMODE_STEP_BACKWARD;
}

}  // namespace

void CVideoDecodeItem::DecoderCloser::operator()(IVCodec* decoder) const {
    decoder->close();
    void* object = static_cast<IEngineObject*>(decoder);
    DestroyVCodec(&object);
}

CVideoDecodeItem::CVideoDecodeItem(int channel, std::int64_t siteKey, const SiteParams& params)
    : m_channel(channel), m_siteKey(siteKey), m_params(params) {
    m_hooks.makeDecoder = &makeDefaultDecoder;
    m_speedIndex.store(kSpeedIndexNormal);
    m_playMode.store(PLAYMODE_FORWARD);
}

CVideoDecodeItem::~CVideoDecodeItem() {
    stop();
    teardown();
}

bool CVideoDecodeItem::pushPacket(STREAMOBJECT* packet) {
    if (packet == nullptr) {
        return false;
    }
    {
        // The state is tested under the queue lock so that a packet accepted
        // here is always seen by teardown's flush.
        Guard guard(m_queueMutex);
        if (m_state.load() != kStateRunning) {
            return false;
        }
        m_vbuffer.emplace_back(packet);
    }
    m_condition.notify_one();
    return true;
}

bool CVideoDecodeItem::pushPacket2(STREAMOBJECT* packet) {
    return pushPacket(packet);
}

int CVideoDecodeItem::checkBufferStatus() {
    std::size_t length = 0;
    int result = kBufferKeep;
    bool flagBefore = false;
    {
        // Under the queue lock so that the read thread and the worker thread
        // do not interleave their flag updates.
        Guard guard(m_queueMutex);
        length = m_vbuffer.size();
        flagBefore = m_isFlowControl.load();
        if (length >= static_cast<std::size_t>(kFlowControlHigh)) {
            m_isFlowControl.store(true);
            result = kBufferFull;
        } else if (length < static_cast<std::size_t>(kFlowControlLow)) {
            m_isFlowControl.store(false);
            result = kBufferDrained;
        }
    }
    if (std::ostream* trace = korvel::traceStream()) {
        std::ostringstream line;
        line << "checkBufferStatus() m_vbuffer.size() :  " << length
             << " isFlowControl: " << (flagBefore ? 1 : 0) << '\n';
        *trace << line.str() << std::flush;
    }
    return result;
}

void CVideoDecodeItem::setOption(bool flag, std::int64_t value) {
    m_optionFlag.store(flag);
    m_optionValue.store(value);
}

void CVideoDecodeItem::startRecorder(const std::string& /*path*/) {}

void CVideoDecodeItem::stopRecorder() {}

int CVideoDecodeItem::recorderCall(int /*first*/, int /*second*/, int /*third*/) {
    return 0;
}

void CVideoDecodeItem::start(ClockGetter getter, ClockSetter setter) {
    Guard control(m_controlMutex);
    if (m_thread && m_state.load() == kStateStopped) {
        // Stopped without teardown: the old thread is leaving its loop.
        m_thread->join();
        m_thread.reset();
    }
    {
        Guard guard(m_queueMutex);
        m_hooks.getClock = std::move(getter);
        m_hooks.setClock = std::move(setter);
        ++m_hooksVersion;
        m_isFlowControl.store(false);
        m_state.store(kStateRunning);
    }
    if (!m_thread) {
        m_thread = std::make_unique<std::thread>(&CVideoDecodeItem::run, this);
        setThreadPriorityAboveNormal(*m_thread);
    }
}

void CVideoDecodeItem::setPlayMode(int mode) {
    {
        Guard guard(m_queueMutex);
        m_playMode.store(mode);
    }
    m_condition.notify_all();
}

void CVideoDecodeItem::waitWhileStill() {
    Lock lock(m_queueMutex);
    if (m_playMode.load() == PLAYMODE_STILL && m_state.load() == kStateRunning) {
        m_condition.wait_for(lock, std::chrono::milliseconds(kStillWaitMs));
    }
}

void CVideoDecodeItem::stop() {
    {
        Guard guard(m_queueMutex);
        m_state.store(kStateStopped);
        m_hooks.queueEmpty.clear();
        ++m_hooksVersion;
    }
    m_condition.notify_all();
}

void CVideoDecodeItem::teardown() {
    // Joining a thread that was never told to stop would wait forever.
    if (isRunning()) {
        stop();
    }
    {
        Guard control(m_controlMutex);
        if (m_thread) {
            m_thread->join();
            m_thread.reset();
        }
    }
    // The thread is gone, so the decoder is ours now.
    m_decoder.reset();
    m_decoderWidth = 0;
    m_decoderHeight = 0;
    flush();
}

void CVideoDecodeItem::flush() {
    std::list<std::unique_ptr<STREAMOBJECT>> dropped;
    {
        Guard guard(m_queueMutex);
        dropped.swap(m_vbuffer);
        ++m_flushGeneration;
    }
    // The packets are deleted outside the lock when `dropped` goes.
}

void CVideoDecodeItem::resetTimes() {
    Guard guard(m_timesMutex);
    m_times = Times{};
}

void CVideoDecodeItem::resetStatistics() {
    Guard guard(m_statsMutex);
    m_stats = Statistics{};
    m_stats.start = pt::microsec_clock::local_time();
}

void CVideoDecodeItem::setAfterPacketCallback(ChannelCallback callback) {
    Guard guard(m_queueMutex);
    m_hooks.afterPacket = std::move(callback);
    ++m_hooksVersion;
}

void CVideoDecodeItem::setQueueEmptyCallback(ChannelCallback callback) {
    Guard guard(m_queueMutex);
    m_hooks.queueEmpty = std::move(callback);
    ++m_hooksVersion;
}

void CVideoDecodeItem::setDecoderFactory(DecoderFactory factory) {
    Guard guard(m_queueMutex);
    m_hooks.makeDecoder = std::move(factory);
    ++m_hooksVersion;
}

std::size_t CVideoDecodeItem::queuedPackets() const {
    Guard guard(m_queueMutex);
    return m_vbuffer.size();
}

CVideoDecodeItem::Times CVideoDecodeItem::times() const {
    Guard guard(m_timesMutex);
    return m_times;
}

CVideoDecodeItem::Statistics CVideoDecodeItem::statistics() const {
    Guard guard(m_statsMutex);
    return m_stats;
}

std::optional<GPSDATA> CVideoDecodeItem::latestGps() const {
    Guard guard(m_sampleMutex);
    return m_latestGps;
}

std::optional<GSENSORDATA> CVideoDecodeItem::latestGSensor() const {
    Guard guard(m_sampleMutex);
    return m_latestGSensor;
}

void CVideoDecodeItem::clearGpsFlag() {
    Guard guard(m_sampleMutex);
    if (m_latestGps) {
        m_latestGps->isNew = false;
    }
}

void CVideoDecodeItem::clearGSensorFlag() {
    Guard guard(m_sampleMutex);
    if (m_latestGSensor) {
        m_latestGSensor->isNew = false;
    }
}

bool CVideoDecodeItem::isDue(int playMode, ptime frame, ptime clock) {
    if (playMode == PLAYMODE_STILL) {
        return false;
    }
    if (playMode < PLAYMODE_FORWARD || playMode > PLAYMODE_STEP_BACKWARD) {
        return true;
    }
    if (frame.is_special() || clock.is_special()) {
        return true;
    }
    const pt::time_duration ahead = isBackwardMode(playMode) ? clock - frame : frame - clock;
    const int lead = isStepMode(playMode) ? kStepLeadMs : kPresentLeadMs;
    return ahead <= pt::milliseconds(lead);
}

CVideoDecodeItem::ptime CVideoDecodeItem::frameInstant(int date, int time, int milliseconds) {
    if (date == 0) {
        return ptime();
    }
    const int year = date / 10000;
    const int month = date / 100 % 100;
    const int day = date % 100;
    const int hour = time / 10000;
    const int minute = time / 100 % 100;
    const int second = time % 100;
    // The date library throws on impossible dates; a packet with one simply
    // has no instant.
    if (year < 1400 || year > 9999 || month < 1 || month > 12 || day < 1 || time < 0 || hour > 23 ||
        minute > 59 || second > 59 || milliseconds < 0 || milliseconds > 999) {
        return ptime();
    }
    using Calendar = boost::gregorian::gregorian_calendar;
    if (day > Calendar::end_of_month_day(static_cast<unsigned short>(year),
                                         static_cast<unsigned short>(month))) {
        return ptime();
    }
    const boost::gregorian::date day_(static_cast<unsigned short>(year),
                                      static_cast<unsigned short>(month),
                                      static_cast<unsigned short>(day));
    return ptime(day_, pt::hours(hour) + pt::minutes(minute) + pt::seconds(second) +
                           pt::milliseconds(milliseconds));
}

void CVideoDecodeItem::setCurrent(ptime instant) {
    Guard guard(m_timesMutex);
    m_times.current = instant;
}

void CVideoDecodeItem::run() {
    {
        Guard guard(m_timesMutex);
        m_times = Times{};
    }
    // Effective on Linux, where the handle version in start() cannot reach us.
    setCurrentThreadPriorityAboveNormal();

    // start() has counted m_hooksVersion up from 0, so the first look at the
    // queue takes a copy of the hooks.
    Hooks hooks;
    std::uint64_t hooksVersion = 0;
    Peek peek;
    while (true) {
        if (!nextPacket(peek, hooks, hooksVersion)) {
            return;
        }

        bool startsClock = false;
        if (m_pacing.load()) {
            const ptime clock = hooks.getClock ? hooks.getClock() : ptime();
            // With the clock unset (after a repositioning) the head is due at
            // once; the first picture out starts the clock, so that the time
            // its decoding took does not put every picture after it behind.
            startsClock = clock.is_not_a_date_time() && peek.picture;
            const int mode = m_playMode.load();
            // A single step goes from picture to picture: the samples recorded
            // between two pictures go out at once instead of taking a step
            // each, and the worker waits on (and reports) the next picture.
            const bool sampleInStep = isStepMode(mode) && !peek.picture;
            if (!sampleInStep && !isDue(mode, peek.instant, clock)) {
                if (mode != PLAYMODE_STILL) {
                    setCurrent(peek.nextPicture.is_special() ? peek.instant : peek.nextPicture);
                    sleepWaitStep();
                } else {
                    waitWhileStill();
                }
                continue;
            }
            if (isBackwardMode(mode)) {
                sleepWaitStep();
            }
            setCurrent(peek.instant);
        }

        std::unique_ptr<STREAMOBJECT> packet = take(peek);
        if (packet) {
            present(std::move(packet), hooks);
            if (startsClock && hooks.setClock && !peek.instant.is_special()) {
                hooks.setClock(peek.instant);
            }
        }
    }
}

bool CVideoDecodeItem::nextPacket(Peek& peek, Hooks& hooks, std::uint64_t& hooksVersion) {
    Lock lock(m_queueMutex);
    while (true) {
        if (m_state.load() != kStateRunning) {
            return false;
        }
        if (hooksVersion != m_hooksVersion) {
            hooks = m_hooks;
            hooksVersion = m_hooksVersion;
        }
        if (!m_vbuffer.empty()) {
            const STREAMOBJECT& head = *m_vbuffer.front();
            peek.packet = &head;
            peek.generation = m_flushGeneration;
            peek.instant = frameInstant(head.date, head.time, head.milliseconds);
            peek.picture = head.kind == STREAMOBJECT::KIND_VIDEO;
            peek.nextPicture = ptime();
            int looked = 0;
            for (const auto& queued : m_vbuffer) {
                if (queued->kind == STREAMOBJECT::KIND_VIDEO) {
                    peek.nextPicture =
                        frameInstant(queued->date, queued->time, queued->milliseconds);
                    break;
                }
                if (++looked >= kPictureLookahead) {
                    break;
                }
            }
            return true;
        }
        setCurrent(ptime());
        if (hooks.queueEmpty) {
            // Called unlocked so that the site may call back into the worker.
            lock.unlock();
            hooks.queueEmpty(m_channel);
            lock.lock();
            if (m_state.load() != kStateRunning || !m_vbuffer.empty()) {
                continue;
            }
        }
        m_condition.wait(lock);
    }
}

std::unique_ptr<STREAMOBJECT> CVideoDecodeItem::take(const Peek& peek) {
    Guard guard(m_queueMutex);
    // The generation tells a flushed packet from a new one that happens to
    // have been given the same address.
    if (m_vbuffer.empty() || m_vbuffer.front().get() != peek.packet ||
        m_flushGeneration != peek.generation) {
        return nullptr;
    }
    std::unique_ptr<STREAMOBJECT> packet = std::move(m_vbuffer.front());
    m_vbuffer.pop_front();
    // Still under the queue lock: a flush followed by resetTimes cannot be
    // overtaken by the times of a packet taken before it.
    Guard times(m_timesMutex);
    m_times.lastPresented = peek.instant;
    m_times.current = peek.instant;
    m_times.lastSequence = packet->sequence;
    return packet;
}

void CVideoDecodeItem::present(std::unique_ptr<STREAMOBJECT> packet, const Hooks& hooks) {
    switch (packet->kind) {
        case STREAMOBJECT::KIND_GSENSOR:
            if (const auto* sample = dynamic_cast<const GSENSORDATA*>(packet.get())) {
                Guard guard(m_sampleMutex);
                m_latestGSensor = *sample;
                m_latestGSensor->isNew = true;
            }
            break;
        case STREAMOBJECT::KIND_GPS:
            if (const auto* sample = dynamic_cast<const GPSDATA*>(packet.get())) {
                Guard guard(m_sampleMutex);
                m_latestGps = *sample;
                m_latestGps->isNew = true;
            }
            break;
        case STREAMOBJECT::KIND_VIDEO:
            if (const auto* video = dynamic_cast<const READVSTREAM*>(packet.get())) {
                presentVideo(*video, hooks);
            }
            break;
        default:
            break;
    }
}

void CVideoDecodeItem::presentVideo(const READVSTREAM& video, const Hooks& hooks) {
    // Widened: the announced sizes come from the file and may be anything.
    const std::int64_t area = std::int64_t{video.width} * video.height;
    const std::int64_t decoderArea = std::int64_t{m_decoderWidth} * m_decoderHeight;
    if (!m_decoder || area != decoderArea) {
        m_decoder.reset();
        m_decoder.reset(hooks.makeDecoder ? hooks.makeDecoder() : nullptr);
        if (m_decoder) {
            // A decoder that fails to open stays: it decodes nothing until
            // the picture area changes again.
            if (video.codecContext != nullptr) {
                m_decoder->openWithContext(video.codecContext);
            } else {
                m_decoder->openByKind(0);
            }
        }
        m_decoderWidth = video.width;
        m_decoderHeight = video.height;
    }

    VideoDecodeBuffer buffer;
    buffer.data = video.data.get();
    buffer.size = video.data ? video.size : 0;
    buffer.wanted = m_params.pictureFormat;
    if (m_decoder) {
        m_decoder->decode(&buffer);
    }

    if (hooks.afterPacket) {
        hooks.afterPacket(m_channel);
    }

    if (buffer.gotPicture == 0 || buffer.width == 0 || buffer.height == 0 ||
        buffer.planes[0] == nullptr) {
        return;
    }
    {
        Guard guard(m_statsMutex);
        m_stats.pictures += 1;
        m_stats.bytes += video.size;
    }
    if (!m_params.onPicture) {
        return;
    }
    PUSHVIDEO picture;
    picture.siteKey = m_siteKey;
    picture.channel = m_channel;
    picture.format = buffer.format;
    picture.fullRange = buffer.fullRange;
    picture.keep = std::move(buffer.keep);
    for (int i = 0; i < 3; ++i) {
        picture.planes[i] = buffer.planes[i];
        picture.lineSizes[i] = buffer.lineSizes[i];
    }
    picture.width = buffer.width;
    picture.height = buffer.height;
    picture.date = video.date;
    picture.time = video.time;
    picture.text = video.text1;
    m_params.onPicture(&picture);
}
