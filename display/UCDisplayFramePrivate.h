#pragma once

// Shared by the display page's sources (UCDisplayFrame*.cpp) only: the
// includes they all need and the page's small constants and helpers.

#include "display/UCDisplayFrame.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QThread>
#include <QVarLengthArray>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "core/Records.h"
#include "display/GLWidget.h"
#include "display/PcmRingDevice.h"
#include "display/PictureSlots.h"
#include "display/UCDisplayLayout.h"
#include "display/UCScreenBottomMenu.h"
#include "display/UCScreenMenu.h"
#include "engine/CTeardownThread.h"
#include "engine/ISite.h"
#include "widgets/CConfiguration.h"
#include "widgets/MessageBox.h"

namespace {

// Play modes of ISite::getPlayMode.
constexpr int kModePaused = 4;
// Text types of the overlay bars.
constexpr int kTopTitle = 1;
constexpr int kBottomMode = 0;
constexpr int kBottomDateTime = 3;
constexpr int kBottomResolution = 4;
// Dynamic property of a view: automatic stream type (bool).
const char* const kAutoStreamProperty = "korvelAutoStream";
// Easing types of the wheel zoom.
constexpr int kRelayoutEasing = 6;
constexpr int kMoveEasing = QEasingCurve::OutBack;

inline ChannelMask channelBit(int channel) {
    return channel >= 0 && channel < 32 ? ChannelMask{1} << channel : ChannelMask{0};
}

inline QDateTime toDateTime(int date, int time) {
    const QDate d(date / 10000, date / 100 % 100, date % 100);
    const QTime t(time / 10000, time / 100 % 100, time % 100);
    if (!d.isValid() || !t.isValid()) {
        return QDateTime();
    }
    return QDateTime(d, t);
}

inline QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

// The page as the callbacks of its sites reach it. Engine threads call in;
// the page's destructor cuts the link and waits for the calls already inside,
// so a site torn down after the page is gone calls nothing.
struct UCDisplayFrame::SiteLink {
    explicit SiteLink(UCDisplayFrame* page) : frame(page) {}

    template <typename Call>
    void call(Call&& c) {
        UCDisplayFrame* page = nullptr;
        {
            std::lock_guard<std::mutex> guard(mutex);
            page = frame;
            if (page == nullptr) {
                return;
            }
            ++inside;
        }
        c(page);
        std::lock_guard<std::mutex> guard(mutex);
        if (--inside == 0) {
            idle.notify_all();
        }
    }

    void cut() {
        std::unique_lock<std::mutex> lock(mutex);
        frame = nullptr;
        idle.wait(lock, [this] { return inside == 0; });
    }

    std::mutex mutex;
    std::condition_variable idle;
    UCDisplayFrame* frame;  // guarded by mutex
    int inside = 0;         // guarded by mutex
    // Sites handed to the teardown thread and not yet destroyed (any thread):
    // the output does not drain for them, so the audio callback must not
    // wait.
    std::atomic<int> teardowns{0};
};
