#pragma once

// PictureSlots: the pictures of one video view, handed over by decode threads
// and taken for upload by the GUI thread, without either waiting for the
// other's copy.
//
// Each slot has two buffers. The decode thread copies a new picture into the
// slot's back buffer (or, for a picture that comes with a reference that
// keeps it alive, stores the reference: no copy at all) and marks it pending; the GUI thread swaps the pending
// buffer to the front and uploads from the front. While a picture is pending
// (or being copied) a newer one for the same slot is dropped: the decode
// thread never waits for painting. The slot lock is held only to check and
// flip the state and to swap the two buffers, never during a copy or an
// upload.
//
// The view owns its slots through a shared pointer, and the display page
// holds another while it hands a picture over, so the slots outlive a view
// that closes during a hand-over.
//
// Threading: every function may be called from any thread, except
// takePending() and front(), which belong to the one thread that uploads (the
// GUI thread).

#include <QImage>
#include <QMutex>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/PlaybackTypes.h"

// One picture as the hand-over sees it. The planes belong to the caller, or,
// when `keep` is set, stay valid and unchanged for as long as `keep` is held:
// then the slots keep the reference instead of copying.
struct PictureFrame {
    int format = PICTURE_RGBA;  // PICTURE_RGBA or PICTURE_YUV420
    const unsigned char* planes[3] = {nullptr, nullptr, nullptr};
    int lineSizes[3] = {0, 0, 0};  // bytes per row; 0 = tightly packed
    int width = 0;
    int height = 0;
    bool fullRange = false;  // YUV: 0-255 samples rather than studio range
    int date = 0;            // yyyymmdd
    int time = 0;            // hhmmss
    std::shared_ptr<const void> keep;
};

// A buffered picture: RGBA (one plane, 4 bytes a pixel) or Y, U and V planes
// (U and V of (width + 1) / 2 x (height + 1) / 2), each row lineSize(plane)
// bytes apart. The planes point into `bytes` (a copy) or into the picture
// `kept` holds alive.
struct BufferedPicture {
    int format = PICTURE_RGBA;
    int width = 0;
    int height = 0;
    bool fullRange = false;
    int date = 0;
    int time = 0;
    const unsigned char* planes[3] = {nullptr, nullptr, nullptr};
    int strides[3] = {0, 0, 0};
    std::vector<unsigned char> bytes;
    std::shared_ptr<const void> kept;

    bool empty() const { return width <= 0 || height <= 0; }
    int planeCount() const { return format == PICTURE_YUV420 ? 3 : 1; }
    int planeWidth(int plane) const;
    int planeHeight(int plane) const;
    // Bytes a row of the plane's pixels takes (without padding).
    int rowBytes(int plane) const;
    // Bytes from one row of a plane to the next (at least rowBytes()).
    int lineSize(int plane) const { return strides[plane]; }
    const unsigned char* plane(int plane) const { return planes[plane]; }
    // The picture as RGBA (a copy); null when empty.
    QImage toImage() const;
};

class PictureSlots {
public:
    // Larger pictures are refused rather than risking an overflowing buffer
    // size; no recorder or texture unit goes beyond this.
    static constexpr int kMaxPictureSide = 16384;

    explicit PictureSlots(int count);
    PictureSlots(const PictureSlots&) = delete;
    PictureSlots& operator=(const PictureSlots&) = delete;

    int count() const { return static_cast<int>(m_slots.size()); }

    // Copies a picture into the slot of (sourceKey, channel); key 0 with
    // channel -1 addresses the first slot; with several matches the last one
    // takes it. Returns the slot index, also when the picture was dropped
    // because the slot's previous picture is still pending, or -1 when no slot
    // matches or the picture is unusable.
    int put(const PictureFrame& picture, std::int64_t sourceKey, int channel);
    // Pictures put() matched to a slot so far, kept or dropped; for
    // benchmarks and diagnostics.
    std::int64_t offered() const { return m_offered.load(std::memory_order_relaxed); }
    // Whether a slot shows (sourceKey, channel), as put() would match it.
    bool shows(std::int64_t sourceKey, int channel) const;

    void setSource(std::int64_t sourceKey, int channel, int slot);
    std::int64_t sourceKeyOf(int slot) const;
    int channelOf(int slot) const;

    bool hasPending() const;
    // Of the newest picture of a slot (pending, else the one shown): false
    // for a bad index.
    bool dateTimeOf(int slot, int* date, int* time) const;
    int width(int slot) const;
    int height(int slot) const;
    // The newest picture of a slot as RGBA (null for a bad index or none).
    QImage image(int slot) const;

    // Uploading thread: moves the pending picture of a slot to the front and
    // returns it, or null when nothing is pending. The picture stays valid
    // and unchanged until the next takePending() of the same slot.
    const BufferedPicture* takePending(int slot);
    // Uploading thread: the front picture of a slot (what was last taken),
    // null when there is none.
    const BufferedPicture* front(int slot) const;

    // The view's bar texts as last set on the GUI thread, so that a hand-over
    // sends only texts that would change something. Kinds: bottom texts 0-7,
    // top texts 8-15 (kTopTextKind + type).
    static constexpr int kTopTextKind = 8;
    void noteText(int kind, const QString& text);
    bool textDiffers(int kind, const QString& text) const;

private:
    enum class State { Idle, Filling, Pending };
    static constexpr int kTextKinds = 16;
    struct Slot {
        std::int64_t sourceKey = 0;  // the site as a pointer value; 0 = none
        int channel = -1;
        State state = State::Idle;
        std::unique_ptr<BufferedPicture> front = std::make_unique<BufferedPicture>();
        std::unique_ptr<BufferedPicture> back = std::make_unique<BufferedPicture>();
    };
    int matchLocked(std::int64_t sourceKey, int channel) const;
    const BufferedPicture* newestLocked(int slot) const;

    // Guards every Slot field; the buffers' contents are written outside it
    // by the one thread that owns them in the current state (back: the
    // copying thread while Filling; front: only swapped, under the lock).
    mutable QMutex m_lock;
    std::vector<Slot> m_slots;
    QString m_texts[kTextKinds];
    std::atomic<std::int64_t> m_offered{0};
};
