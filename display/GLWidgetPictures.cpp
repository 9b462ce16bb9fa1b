// GLWidget: the hand-over of decoded pictures into the view's picture slots
// (any thread) and what the view reports of them.

#include "display/GLWidget.h"

#include "display/UCScreenBottomMenu.h"

// ---------------------------------------------------------------------------
// Picture hand-over

int GLWidget::setImage(const unsigned char* pixels, int width, int height, std::int64_t sourceKey,
                       int channel, int date, int time) {
    PictureFrame picture;
    picture.format = PICTURE_RGBA;
    picture.planes[0] = pixels;
    picture.width = width;
    picture.height = height;
    picture.date = date;
    picture.time = time;
    return m_pictures->put(picture, sourceKey, channel);
}

int GLWidget::setPicture(const PictureFrame& picture, std::int64_t sourceKey, int channel) {
    return m_pictures->put(picture, sourceKey, channel);
}

bool GLWidget::hasPendingPicture() const {
    return m_pictures->hasPending();
}

void GLWidget::setSource(ISite* site, int channel, int slot) {
    m_pictures->setSource(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(site)),
                          channel, slot);
    setBottomText(UCScreenBottomMenu::TextMode, QString());
}

std::int64_t GLWidget::sourceKeyOf(int slot) const {
    return m_pictures->sourceKeyOf(slot);
}

ISite* GLWidget::sourceOf(int slot) const {
    return reinterpret_cast<ISite*>(static_cast<std::intptr_t>(sourceKeyOf(slot)));
}

int GLWidget::channelOf(int slot) const {
    return m_pictures->channelOf(slot);
}

bool GLWidget::dateTimeOf(int slot, QDateTime& out) const {
    int date = 0;
    int time = 0;
    if (!m_pictures->dateTimeOf(slot, &date, &time))
        return false;
    out = QDateTime(QDate(date / 10000, date % 10000 / 100, date % 100),
                    QTime(time / 10000, time % 10000 / 100, time % 100));
    return true;
}

int GLWidget::slotCount() const {
    return m_pictures->count();
}

int GLWidget::pictureWidth() const {
    return m_pictures->width(0);
}

int GLWidget::pictureHeight() const {
    return m_pictures->height(0);
}

QImage GLWidget::pictureImage(int slot) const {
    return m_pictures->image(slot);
}
