// The site's audio thread and the GPS and G-sensor samples it hands out.

#include "engine/CSSFFileSitePrivate.h"

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
