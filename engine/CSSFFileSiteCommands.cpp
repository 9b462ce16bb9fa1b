// The site's position queries and its playback commands, carried out on
// its control thread.

#include "engine/CSSFFileSitePrivate.h"

#include <thread>

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
            ChannelGuard guard(ch.lock);
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
    if (mode == stepping) {
        awaitStepHead(backward);
    }
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

void CSSFFileSite::awaitStepHead(bool backward) {
    // Right after taking a picture a worker reports it as the one it waits
    // for until it has looked at its next packet: while it decodes and hands
    // the picture on, or while the reader has not delivered the next one. A
    // step taken then, as soon as the last step's picture is seen, would put
    // the clock where it stands and show nothing.
    const bool latest = siterules::stepTargetTakesLatest(m_playMode.load());
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepHeadWaitMs);
    Position shown;
    Position head;
    while (!m_closing.load() && pickPosition(TimeKind::LastPresented, latest, &shown) &&
           pickPosition(TimeKind::Current, latest, &head) &&
           std::chrono::steady_clock::now() < deadline) {
        if (!head.instant.is_special() &&
            (backward ? head.instant < shown.instant : head.instant > shown.instant)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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
