#include "display/PictureSlots.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

int clampByte(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

bool usable(const PictureFrame& p) {
    if (p.width <= 0 || p.height <= 0 || p.width > PictureSlots::kMaxPictureSide ||
        p.height > PictureSlots::kMaxPictureSide) {
        return false;
    }
    if (p.format == PICTURE_RGBA) {
        return p.planes[0] != nullptr;
    }
    return p.format == PICTURE_YUV420 && p.planes[0] && p.planes[1] && p.planes[2];
}

void fill(BufferedPicture& out, const PictureFrame& in) {
    out.format = in.format;
    out.width = in.width;
    out.height = in.height;
    out.fullRange = in.format == PICTURE_YUV420 && in.fullRange;
    out.date = in.date;
    out.time = in.time;
    if (in.keep) {
        // The picture stays valid while held: keep it as it is.
        out.kept = in.keep;
        for (int i = 0; i < out.planeCount(); ++i) {
            out.planes[i] = in.planes[i];
            out.strides[i] = in.lineSizes[i] > 0 ? in.lineSizes[i] : out.rowBytes(i);
        }
        return;
    }
    out.kept.reset();
    std::size_t total = 0;
    for (int i = 0; i < out.planeCount(); ++i) {
        total += static_cast<std::size_t>(out.rowBytes(i)) *
                 static_cast<std::size_t>(out.planeHeight(i));
    }
    // Same size as last time: the vector keeps its memory, nothing is
    // allocated per picture.
    out.bytes.resize(total);
    unsigned char* to = out.bytes.data();
    for (int i = 0; i < out.planeCount(); ++i) {
        const std::size_t row = static_cast<std::size_t>(out.rowBytes(i));
        const int rows = out.planeHeight(i);
        const std::size_t stride =
            in.lineSizes[i] > 0 ? static_cast<std::size_t>(in.lineSizes[i]) : row;
        if (stride == row) {
            std::memcpy(to, in.planes[i], row * static_cast<std::size_t>(rows));
        } else {
            for (int y = 0; y < rows; ++y) {
                std::memcpy(to + row * static_cast<std::size_t>(y),
                            in.planes[i] + stride * static_cast<std::size_t>(y), row);
            }
        }
        out.planes[i] = to;
        out.strides[i] = static_cast<int>(row);
        to += row * static_cast<std::size_t>(rows);
    }
}

}  // namespace

int BufferedPicture::planeWidth(int plane) const {
    return plane == 0 ? width : (width + 1) / 2;
}

int BufferedPicture::planeHeight(int plane) const {
    return plane == 0 ? height : (height + 1) / 2;
}

int BufferedPicture::rowBytes(int plane) const {
    return format == PICTURE_RGBA ? width * 4 : planeWidth(plane);
}

QImage BufferedPicture::toImage() const {
    if (empty()) {
        return QImage();
    }
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull()) {
        return image;
    }
    if (format == PICTURE_RGBA) {
        for (int y = 0; y < height; ++y) {
            std::memcpy(image.scanLine(y), plane(0) + static_cast<std::size_t>(y) * lineSize(0),
                        static_cast<std::size_t>(rowBytes(0)));
        }
        return image;
    }
    // BT.601, as the decoder's own conversion and the view's shader.
    for (int y = 0; y < height; ++y) {
        unsigned char* out = image.scanLine(y);
        const unsigned char* rowY = plane(0) + static_cast<std::size_t>(y) * lineSize(0);
        const unsigned char* rowU = plane(1) + static_cast<std::size_t>(y / 2) * lineSize(1);
        const unsigned char* rowV = plane(2) + static_cast<std::size_t>(y / 2) * lineSize(2);
        for (int x = 0; x < width; ++x) {
            const int d = rowU[x / 2] - 128;
            const int e = rowV[x / 2] - 128;
            int r, g, b;
            if (fullRange) {
                const int c = 256 * rowY[x];
                r = (c + 359 * e + 128) >> 8;
                g = (c - 88 * d - 183 * e + 128) >> 8;
                b = (c + 454 * d + 128) >> 8;
            } else {
                const int c = 298 * (rowY[x] - 16);
                r = (c + 409 * e + 128) >> 8;
                g = (c - 100 * d - 208 * e + 128) >> 8;
                b = (c + 516 * d + 128) >> 8;
            }
            out[4 * x] = static_cast<unsigned char>(clampByte(r));
            out[4 * x + 1] = static_cast<unsigned char>(clampByte(g));
            out[4 * x + 2] = static_cast<unsigned char>(clampByte(b));
            out[4 * x + 3] = 255;
        }
    }
    return image;
}

PictureSlots::PictureSlots(int count) : m_slots(static_cast<std::size_t>(std::max(1, count))) {}

int PictureSlots::matchLocked(std::int64_t sourceKey, int channel) const {
    if (sourceKey == 0 && channel == -1) {
        return m_slots.empty() ? -1 : 0;
    }
    int index = -1;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].sourceKey == sourceKey && m_slots[i].channel == channel) {
            index = static_cast<int>(i);
        }
    }
    return index;
}

const BufferedPicture* PictureSlots::newestLocked(int slot) const {
    if (slot < 0 || slot >= count()) {
        return nullptr;
    }
    const Slot& s = m_slots[static_cast<std::size_t>(slot)];
    return s.state == State::Pending ? s.back.get() : s.front.get();
}

int PictureSlots::put(const PictureFrame& picture, std::int64_t sourceKey, int channel) {
    if (!usable(picture)) {
        return -1;
    }
    int index = -1;
    BufferedPicture* target = nullptr;
    {
        QMutexLocker lock(&m_lock);
        index = matchLocked(sourceKey, channel);
        if (index < 0) {
            return -1;
        }
        m_offered.fetch_add(1, std::memory_order_relaxed);
        Slot& s = m_slots[static_cast<std::size_t>(index)];
        if (s.state != State::Idle) {
            return index;  // the previous picture is not uploaded yet: drop this one
        }
        s.state = State::Filling;
        target = s.back.get();
    }
    fill(*target, picture);
    QMutexLocker lock(&m_lock);
    m_slots[static_cast<std::size_t>(index)].state = State::Pending;
    return index;
}

bool PictureSlots::shows(std::int64_t sourceKey, int channel) const {
    QMutexLocker lock(&m_lock);
    return matchLocked(sourceKey, channel) >= 0;
}

void PictureSlots::setSource(std::int64_t sourceKey, int channel, int slot) {
    QMutexLocker lock(&m_lock);
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (slot == -1 || static_cast<int>(i) == slot) {
            m_slots[i].sourceKey = sourceKey;
            m_slots[i].channel = channel;
        }
    }
}

std::int64_t PictureSlots::sourceKeyOf(int slot) const {
    QMutexLocker lock(&m_lock);
    return slot < 0 || slot >= count() ? 0 : m_slots[static_cast<std::size_t>(slot)].sourceKey;
}

int PictureSlots::channelOf(int slot) const {
    QMutexLocker lock(&m_lock);
    return slot < 0 || slot >= count() ? -1 : m_slots[static_cast<std::size_t>(slot)].channel;
}

bool PictureSlots::hasPending() const {
    QMutexLocker lock(&m_lock);
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [](const Slot& s) { return s.state == State::Pending; });
}

bool PictureSlots::dateTimeOf(int slot, int* date, int* time) const {
    QMutexLocker lock(&m_lock);
    const BufferedPicture* p = newestLocked(slot);
    if (!p) {
        return false;
    }
    *date = p->date;
    *time = p->time;
    return true;
}

int PictureSlots::width(int slot) const {
    QMutexLocker lock(&m_lock);
    const BufferedPicture* p = newestLocked(slot);
    return p ? p->width : 0;
}

int PictureSlots::height(int slot) const {
    QMutexLocker lock(&m_lock);
    const BufferedPicture* p = newestLocked(slot);
    return p ? p->height : 0;
}

QImage PictureSlots::image(int slot) const {
    QMutexLocker lock(&m_lock);
    const BufferedPicture* p = newestLocked(slot);
    return p ? p->toImage() : QImage();
}

const BufferedPicture* PictureSlots::takePending(int slot) {
    QMutexLocker lock(&m_lock);
    if (slot < 0 || slot >= count()) {
        return nullptr;
    }
    Slot& s = m_slots[static_cast<std::size_t>(slot)];
    if (s.state != State::Pending) {
        return nullptr;
    }
    std::swap(s.front, s.back);
    s.state = State::Idle;
    return s.front.get();
}

const BufferedPicture* PictureSlots::front(int slot) const {
    if (slot < 0 || slot >= count()) {
        return nullptr;
    }
    const BufferedPicture* p = m_slots[static_cast<std::size_t>(slot)].front.get();
    return p->empty() ? nullptr : p;
}

void PictureSlots::noteText(int kind, const QString& text) {
    QMutexLocker lock(&m_lock);
    if (kind >= 0 && kind < kTextKinds) {
        m_texts[kind] = text;
    }
}

bool PictureSlots::textDiffers(int kind, const QString& text) const {
    QMutexLocker lock(&m_lock);
    return kind < 0 || kind >= kTextKinds || m_texts[kind] != text;
}
