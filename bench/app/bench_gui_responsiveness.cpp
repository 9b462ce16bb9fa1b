// How long the GUI thread of the real main window is held up while a user
// drives a day (run it under xvfb-run): a 1 ms timer on the GUI thread notes
// how late each of its ticks comes while a script opens a day of 9 channels
// (1280x720 at 15 fps, the generator's road scene), seeks 20 times, changes
// the speed, switches the stream type, closes and reopens channels and closes
// the page. Printed: the longest stall and the 99th percentile of the
// lateness (targets: at most 50 ms and 16 ms), beside the same timer's
// figures over the same time with the window shown and nothing happening,
// measured first in the same run, and the load average. The program prints
// figures; it does not judge them (exit status 2 only when the card cannot
// be made or the day does not play).
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench_gui_responsiveness

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "MakeCard.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/StyleSheets.h"
#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "display/GLWidget.h"
#include "display/PictureSlots.h"
#include "display/UCDisplayFrame.h"
#include "engine/ISite.h"
#include "widgets/CConfiguration.h"

namespace {

namespace fs = std::filesystem;

constexpr int kChannels = 9;
constexpr int kSecondsPerFile = 20;
constexpr int kFiles = 2;
// Time between two steps of the script: a brisk user.
constexpr int kStepMs = 250;

double loadAverage() {
    double load[1] = {0.0};
    return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename F>
bool spinUntil(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) {
            return false;
        }
        spin(20);
    }
    return true;
}

// Lateness of a 1 ms precise timer's ticks, in ms.
class TickWatch : public QObject {
public:
    TickWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_late.push_back(std::max<double>(0.0, (now - m_last) / 1e6 - 1.0));
            m_at.push_back(now / 1e6);
            m_last = now;
        });
    }
    void start() {
        m_late.clear();
        m_at.clear();
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    std::vector<double> stop() {
        m_timer.stop();
        return m_late;
    }
    // The ms since start() now, and the longest stall that ended in
    // [fromMs, toMs).
    double now() const { return m_clock.nsecsElapsed() / 1e6; }
    double longestIn(double fromMs, double toMs) const {
        double longest = 0.0;
        for (std::size_t i = 0; i < m_at.size(); ++i) {
            if (m_at[i] >= fromMs && m_at[i] < toMs) {
                longest = std::max(longest, m_late[i]);
            }
        }
        return longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_late;
    std::vector<double> m_at;
};

struct Stalls {
    double longest = 0.0;
    double p99 = 0.0;
    std::size_t ticks = 0;
};

Stalls stalls(std::vector<double> late) {
    Stalls s;
    s.ticks = late.size();
    if (late.empty()) {
        return s;
    }
    std::sort(late.begin(), late.end());
    s.longest = late.back();
    s.p99 = late[std::min(late.size() - 1, late.size() * 99 / 100)];
    return s;
}

bool prepareCard(const fs::path& root) {
    const fs::path marker = root / ".complete";
    if (fs::exists(marker)) {
        return true;
    }
    mkcard::CardOptions o;
    o.outDir = root.string();
    o.width = 1280;
    o.height = 720;
    o.fps = 15;
    o.channels = kChannels;
    o.filesPerChannel = kFiles;
    o.secondsPerFile = kSecondsPerFile;
    o.scene = mkcard::Scene::Road;
    o.jobs = 2;
    std::string error;
    mkcard::CardStats stats;
    if (!mkcard::makeCard(o, &error, &stats)) {
        std::fprintf(stderr, "bench_gui_responsiveness: cannot make %s: %s\n", o.outDir.c_str(),
                     error.c_str());
        return false;
    }
    std::ofstream(marker) << stats.videoMegabitsPerSecond() << "\n";
    return true;
}

struct Discard : std::streambuf {
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

int picturesArrived(Korvel& window) {
    int shown = 0;
    for (GLWidget* v : window.findChildren<GLWidget*>()) {
        shown += v->pictures()->offered() > 0 ? 1 : 0;
    }
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path card = fs::temp_directory_path() / "korvel-bench-gui-road-1280x720-15fps-9ch";
    if (!prepareCard(card)) {
        return 2;
    }
    QTemporaryDir home(QDir::tempPath() + "/korvel-bench-gui-home-XXXXXX");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/korvel-bench-bus");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    }
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    loadStyleSheets(QCoreApplication::applicationDirPath(), g_config);
    Discard discard;
    std::streambuf* oldCout = std::cout.rdbuf(&discard);

    Korvel window;
    window.setStyleSheet(g_config.appStyle());
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.show();
    spin(1500);

    // The script: every step is one user action, taken from the event loop
    // like a click; a step that waits for the engine shows as a stall.
    const QString day = QString::fromStdString((card / "20260301").string());
    const QDateTime dayStart(QDate(2026, 3, 1), QTime(12, 0, 0));
    const int daySeconds = kFiles * kSecondsPerFile;
    std::vector<std::function<void()>> steps;
    steps.push_back([&] { window.openStartFolder(day); });
    for (int i = 0; i < 20; ++i) {
        steps.push_back([&, i] {
            if (IDisplayPage* page = window.currentPage()) {
                page->seekTo(dayStart.addSecs((i * 7) % (daySeconds - 2)));
            }
        });
    }
    for (const int speed : {kSpeedIndexNormal + 2, kSpeedIndexNormal + 4, kSpeedIndexReverse,
                            kSpeedIndexNormal}) {
        steps.push_back([&, speed] {
            if (IDisplayPage* page = window.currentPage()) {
                page->setPlaySpeed(speed);
            }
        });
    }
    for (const int type : {1, 0}) {
        steps.push_back([&, type] {
            if (IDisplayPage* page = window.currentPage()) {
                page->setStreamType(type);
            }
        });
    }
    // Close two channels' views, then open the channels again.
    qint64 key = 0;
    for (int i = 0; i < 2; ++i) {
        steps.push_back([&, i] {
            auto* frame = window.findChild<UCDisplayFrame*>();
            if (!frame) {
                return;
            }
            for (GLWidget* v : frame->views()) {
                ISite* site = v->sourceOf(0);
                if (site && v->channelOf(0) == i + 1) {
                    key = site->getParams()->siteIdentity;
                    window.currentPage()->closeView(v);
                    return;
                }
            }
        });
    }
    for (int i = 0; i < 2; ++i) {
        steps.push_back([&, i] {
            if (auto* frame = window.findChild<UCDisplayFrame*>()) {
                frame->openChannel(key, i + 1, QPoint(-1, -1), 2, QDateTime());
            }
        });
    }
    steps.push_back([&] {
        if (IDisplayPage* page = window.currentPage()) {
            page->closeAllViews();
        }
    });

    // Reference: the same watch with the window shown and nothing happening,
    // as long as the script will take.
    const int scriptMs = static_cast<int>(steps.size()) * kStepMs + 6000;
    TickWatch watch;
    watch.start();
    spin(scriptMs);
    const Stalls idle = stalls(watch.stop());

    watch.start();
    QElapsedTimer wall;
    wall.start();
    steps[0]();
    const double openActionMs = wall.nsecsElapsed() / 1e6;
    const bool playing = spinUntil([&] { return picturesArrived(window) >= kChannels - 1; }, 30000);
    const qint64 openMs = wall.elapsed();
    // How long each action itself holds the GUI thread.
    double longestAction = 0.0;
    std::size_t longestActionIndex = 0;
    std::vector<double> stepAt{0.0};
    for (std::size_t i = 1; i < steps.size(); ++i) {
        spin(kStepMs);
        stepAt.push_back(watch.now());
        QElapsedTimer action;
        action.start();
        steps[i]();
        const double ms = action.nsecsElapsed() / 1e6;
        if (ms > longestAction) {
            longestAction = ms;
            longestActionIndex = i;
        }
    }
    spin(1000);
    stepAt.push_back(watch.now());
    // Which step the longest stalls followed.
    std::string byStep;
    for (std::size_t i = 0; i + 1 < stepAt.size(); ++i) {
        const double longest = watch.longestIn(stepAt[i], stepAt[i + 1]);
        char buf[32];
        std::snprintf(buf, sizeof buf, " %zu:%.0f", i, longest);
        byStep += buf;
    }
    const Stalls busy = stalls(watch.stop());
    // Reference while playing: the same watch with the day playing and no
    // action (painting the views is the GUI thread's own work).
    if (IDisplayPage* page = window.currentPage()) {
        page->openRecordingSite(1, QPoint(-1, -1), 4, 2, dayStart, day.toLocal8Bit());
    }
    spinUntil([&] { return picturesArrived(window) >= kChannels - 1; }, 30000);
    spin(1000);
    watch.start();
    spin(5000);
    const Stalls playingOnly = stalls(watch.stop());
    std::cout.rdbuf(oldCout);
    if (!playing) {
        std::fprintf(stderr, "bench_gui_responsiveness: the day did not play\n");
        return 2;
    }
    std::printf(
        "GUI thread, 1 ms timer, %zu user actions over %.1f s (open to first pictures of every "
        "channel %lld ms): longest stall %.1f ms (target <= 50), lateness p99 %.2f ms (target "
        "<= 16), %zu ticks; reference with nothing happening: longest %.1f ms, p99 %.2f ms, %zu "
        "ticks; playing with no action: longest %.1f ms, p99 %.2f ms, %zu ticks in 5 s; longest "
        "action itself %.1f ms (step %zu), the open itself %.1f ms; load average %.2f\nlongest stall after each step "
        "(step:ms; 0 open, 1-20 seeks, 21-24 speeds, 25-26 stream types, 27-28 closing views, "
        "29-30 opening channels, 31 closing the page):%s\n",
        steps.size(), wall.elapsed() / 1000.0, static_cast<long long>(openMs), busy.longest,
        busy.p99, busy.ticks, idle.longest, idle.p99, idle.ticks, playingOnly.longest,
        playingOnly.p99, playingOnly.ticks, longestAction, longestActionIndex, openActionMs, loadAverage(),
        byStep.c_str());
    return 0;
}
