#include "app/DisplayPage.h"

#include <QPointer>

#include "app/IDisplayPage.h"
#include "display/UCDisplayFrame.h"

namespace {

// Forwards to the page while it exists; a closed page answers like an empty
// one.
class DisplayFramePage : public IDisplayPage {
public:
    explicit DisplayFramePage(UCDisplayFrame* frame) : m_frame(frame) {}

    int playMode() override { return m_frame ? m_frame->playMode() : 1; }
    bool getPlaySpeed(int& speedIndex) override {
        return m_frame && m_frame->getPlaySpeed(speedIndex);
    }
    bool isSelectedPaused() override { return m_frame && m_frame->isSelectedPaused(); }
    bool isSelectedFinished() override { return m_frame && m_frame->isSelectedFinished(); }
    void setPlaySpeed(int speedIndex) override {
        if (m_frame) {
            m_frame->setPlaySpeed(speedIndex);
        }
    }
    void rewind() override {
        if (m_frame) {
            m_frame->rewind();
        }
    }
    void pause() override {
        if (m_frame) {
            m_frame->pause();
        }
    }
    void resume() override {
        if (m_frame) {
            m_frame->resume();
        }
    }
    bool gotoFirst(QDateTime& at) override { return m_frame && m_frame->gotoFirst(at); }
    bool gotoLast(QDateTime& at) override { return m_frame && m_frame->gotoLast(at); }

    void stepForward() override {
        if (m_frame) {
            m_frame->stepForward();
        }
    }
    void stepBackward() override {
        if (m_frame) {
            m_frame->stepBackward();
        }
    }
    void setVolume(double volume) override {
        if (m_frame) {
            m_frame->setVolume(volume);
        }
    }

    QWidget* widget() override { return m_frame; }
    int viewCount() override { return m_frame ? m_frame->viewCount() : 0; }
    void openRecordingSite(qint64 key, const QPoint& point, int zone, int kind,
                           const QDateTime& start, const QByteArray& folder) override {
        if (m_frame) {
            m_frame->openRecordingSite(key, point, zone, kind, start, folder);
        }
    }
    void seekTo(const QDateTime& at) override {
        if (m_frame) {
            m_frame->seekTo(at);
        }
    }
    void closeAllViews() override {
        if (m_frame) {
            m_frame->closeAllViews();
        }
    }
    void closeSelectedViews() override {
        if (m_frame) {
            m_frame->closeSelectedViews();
        }
    }
    void setSplitMode(int split) override {
        if (m_frame) {
            m_frame->setSplitMode(split);
        }
    }
    void showGroup(int direction) override {
        if (m_frame) {
            m_frame->showGroup(direction);
        }
    }
    void setStreamType(int type) override {
        if (m_frame) {
            m_frame->setStreamType(type);
        }
    }
    bool isTopTextShown(int type) override { return m_frame && m_frame->isTopTextShown(type); }
    void setTopTextShown(int type, bool shown) override {
        if (m_frame) {
            m_frame->setTopTextShown(type, shown);
        }
    }
    bool isBottomTextShown(int type) override {
        return m_frame && m_frame->isBottomTextShown(type);
    }
    void setBottomTextShown(int type, bool shown) override {
        if (m_frame) {
            m_frame->setBottomTextShown(type, shown);
        }
    }
    bool selectedHasSite() override {
        qint64 identity = 0;
        return m_frame && m_frame->selectedSiteIdentity(identity);
    }
    bool currentDateTime(QDateTime& at) override { return m_frame && m_frame->currentDateTime(at); }
    bool firstDateTime(QDateTime& at) override { return m_frame && m_frame->firstDateTime(at); }
    GPSDATA* latestGps() override { return m_frame ? m_frame->latestGps() : nullptr; }
    GSENSORDATA* latestGsensor() override { return m_frame ? m_frame->latestGsensor() : nullptr; }
    void clearGsensorFlag() override {
        if (m_frame) {
            m_frame->clearGsensorFlag();
        }
    }
    void relayout() override {
        if (m_frame) {
            m_frame->relayout();
        }
    }
    void requestRecDateInfo(int date) override {
        if (m_frame) {
            m_frame->requestRecDateInfo(date);
        }
    }
    void releaseRecDateInfo(void* record) override {
        if (m_frame) {
            m_frame->releaseRecDateInfo(record);
        }
    }
    void closePage() override {
        if (m_frame) {
            m_frame->closeAllViews();
            m_frame->close();
        }
    }

    GLWidget* firstSelectedView() override {
        if (!m_frame) {
            return nullptr;
        }
        const QList<GLWidget*> selected = m_frame->selection();
        return selected.isEmpty() ? nullptr : selected.first();
    }
    void selectOnly(GLWidget* view) override {
        if (m_frame) {
            m_frame->selectOnly(view);
        }
    }
    void closeView(GLWidget* view) override {
        if (m_frame && view != nullptr && m_frame->views().contains(view)) {
            m_frame->slotCloseClicked(view);
        }
    }
    void askCloseSelectedViews() override {
        if (m_frame) {
            m_frame->slotShortkeyDelete();
        }
    }
    void setFullScreen(bool on) override {
        if (m_frame) {
            m_frame->setFullScreen(on);
        }
    }

private:
    QPointer<UCDisplayFrame> m_frame;
};

}  // namespace

std::unique_ptr<IDisplayPage> createDisplayPage(QWidget* owner, QWidget* parent,
                                               std::shared_ptr<CTeardownThread> teardown) {
    auto* frame = new UCDisplayFrame(owner, parent);
    frame->setOwner(owner);
    frame->setTeardownThread(std::move(teardown));
    // The window's own Delete key works wherever the focus is.
    frame->setDeleteShortcutEnabled(false);
    // A click on the grid takes the keyboard from the folder tree and the
    // file list, so the arrows seek again.
    frame->setFocusPolicy(Qt::ClickFocus);
    return std::make_unique<DisplayFramePage>(frame);
}
