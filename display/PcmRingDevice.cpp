#include "display/PcmRingDevice.h"

#include <QMutexLocker>
#include <algorithm>
#include <cstring>

PcmRingDevice::PcmRingDevice(qint64 capacity, QObject* parent)
    : QIODevice(parent), m_capacity(std::max<qint64>(capacity, 1)) {}

void PcmRingDevice::append(const char* data, qint64 length, int frameBytes) {
    if (data == nullptr || length <= 0) {
        return;
    }
    const qint64 frame = std::max(frameBytes, 1);
    {
        QMutexLocker lock(&m_lock);
        if (length >= m_capacity) {
            // Only the newest whole frames that fit.
            const qint64 keep = m_capacity / frame * frame;
            m_buffer = QByteArray(data + (length - keep), static_cast<int>(keep));
        } else {
            const qint64 overflow = m_buffer.size() + length - m_capacity;
            if (overflow > 0) {
                const qint64 drop =
                    std::min<qint64>((overflow + frame - 1) / frame * frame, m_buffer.size());
                m_buffer.remove(0, static_cast<int>(drop));
            }
            m_buffer.append(data, static_cast<int>(length));
        }
    }
    // No readyRead: the device always has data (silence at worst), and the
    // signal would be emitted from the engine thread.
}

void PcmRingDevice::clear() {
    QMutexLocker lock(&m_lock);
    m_buffer.clear();
}

qint64 PcmRingDevice::bufferedBytes() const {
    QMutexLocker lock(&m_lock);
    return m_buffer.size();
}

qint64 PcmRingDevice::silenceBytes() const {
    QMutexLocker lock(&m_lock);
    return m_silence;
}

qint64 PcmRingDevice::bytesAvailable() const {
    QMutexLocker lock(&m_lock);
    // Silence is always available, so the output never sees an end.
    return std::max<qint64>(m_buffer.size(), 4096) + QIODevice::bytesAvailable();
}

qint64 PcmRingDevice::readData(char* data, qint64 maxSize) {
    if (maxSize <= 0) {
        return 0;
    }
    QMutexLocker lock(&m_lock);
    if (m_buffer.isEmpty()) {
        // Even sizes keep 16-bit samples aligned.
        const qint64 n = maxSize & ~qint64{1};
        std::memset(data, 0, static_cast<size_t>(n));
        m_silence += n;
        return n;
    }
    const qint64 n = std::min<qint64>(maxSize, m_buffer.size());
    std::memcpy(data, m_buffer.constData(), static_cast<size_t>(n));
    m_buffer.remove(0, static_cast<int>(n));
    return n;
}

qint64 PcmRingDevice::writeData(const char* data, qint64 maxSize) {
    append(data, maxSize);
    return maxSize;
}
