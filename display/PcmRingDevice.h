#pragma once

// PcmRingDevice: the pull-mode source a QAudioOutput reads the page's audio
// from. An engine thread appends decoded PCM with append(); the audio output
// reads it on the GUI thread through QIODevice::read. The buffer is bounded:
// when the output falls behind (or there is no output at all) the oldest bytes
// are dropped, so the writer never waits. When nothing is buffered the device
// hands out silence, which keeps the output running instead of letting it go
// idle between blocks.
//
// Threading: append(), clear(), bufferedBytes() and readData() may be called
// from any thread; they take the device's own lock. The QIODevice state
// (open / close) is for the GUI thread.

#include <QByteArray>
#include <QIODevice>
#include <QMutex>

class PcmRingDevice : public QIODevice {
    Q_OBJECT

public:
    explicit PcmRingDevice(qint64 capacity, QObject* parent = nullptr);

    // Appends `length` bytes, dropping the oldest buffered bytes beyond the
    // capacity (whole frames of `frameBytes`, so that samples stay aligned).
    void append(const char* data, qint64 length, int frameBytes = 1);
    void clear();
    qint64 bufferedBytes() const;
    qint64 capacity() const { return m_capacity; }
    // Bytes handed out as silence so far (for diagnostics and tests).
    qint64 silenceBytes() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    const qint64 m_capacity;
    // Guards m_buffer and m_silence.
    mutable QMutex m_lock;
    QByteArray m_buffer;
    qint64 m_silence = 0;
};
