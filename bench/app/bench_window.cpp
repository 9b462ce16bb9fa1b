// The real main window under X (run it under xvfb-run): a day of 8 channels
// of 1280x720 at 15 fps (the generator's road scene) opened as a user opens
// it, then
//   1. playing: pictures painted per second per view against pictures the
//      engine delivered to that view (target: at least 99 %), and the CPU of
//      the process;
//   2. CPU of the process (and of the X server) with the page paused, with
//      every channel played to its end, and with every view closed (target:
//      at most 3 % of one core each).
// The load average is printed beside the figures: on a busy machine the
// playing figures suffer first. The program prints figures; it does not
// judge them (exit status 2 only when the card cannot be made or the window
// does not play).
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench_window [--seconds N] [--idle-seconds N]
// --seconds: length of the playing measurement (default 10), --idle-seconds:
// length of each idle measurement (5).

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "MakeCard.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/StyleSheets.h"
#include "display/GLWidget.h"
#include "widgets/CConfiguration.h"

namespace {

namespace fs = std::filesystem;

constexpr int kChannels = 8;
constexpr int kSecondsPerFile = 30;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of a process or thread by its /proc stat file; -1 when
// unreadable.
double statCpuSeconds(const fs::path& stat) {
    std::ifstream f(stat);
    std::string line;
    std::getline(f, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
    }
    std::vector<std::string> fields;
    std::size_t at = close + 2;
    while (at < line.size() && fields.size() < 13) {
        const auto space = line.find(' ', at);
        fields.push_back(line.substr(at, space - at));
        at = space == std::string::npos ? line.size() : space + 1;
    }
    if (fields.size() < 13) {
        return -1.0;
    }
    return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

double processCpuSeconds(int pid) {
    return statCpuSeconds("/proc/" + std::to_string(pid) + "/stat");
}

// The X server of $DISPLAY when it is an Xvfb of this machine; 0 otherwise.
int xServerPid() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr) {
        return 0;
    }
    const std::string wanted = display;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/proc", ec)) {
        const std::string name = e.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream f(e.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        std::vector<std::string> args;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= cmdline.size(); ++i) {
            if (i == cmdline.size() || cmdline[i] == '\0') {
                args.push_back(cmdline.substr(start, i - start));
                start = i + 1;
            }
        }
        if (!args.empty() && fs::path(args[0]).filename() == "Xvfb" &&
            std::find(args.begin(), args.end(), wanted) != args.end()) {
            return std::atoi(name.c_str());
        }
    }
    return 0;
}

double loadAverage() {
    double load[1] = {0.0};
    return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

// Runs the event loop for `seconds` (a real event loop: the bench itself
// must not poll, or it would show in the idle figures).
void spin(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000.0), &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` (asked every 50 ms) or `seconds` passed;
// whether done.
template <typename F>
bool spinUntil(F done, double seconds) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > seconds * 1000.0) {
            return false;
        }
        spin(0.05);
    }
    return true;
}

struct Counts {
    std::vector<std::int64_t> offered;
    std::vector<int> shown;
};

Counts counts(const QList<GLWidget*>& views) {
    Counts c;
    for (GLWidget* v : views) {
        c.offered.push_back(v->pictures()->offered());
        c.shown.push_back(v->picturesShown());
    }
    return c;
}

// Counts the paint events of every widget and the window's update requests
// (each one a composition of the whole window), to name what repaints.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QString name = QString::fromLatin1(watched->metaObject()->className()) +
                                 (watched->objectName().isEmpty() ? QString()
                                                                  : "/" + watched->objectName());
            ++m_paints[name];
        } else if (event->type() == QEvent::UpdateRequest && watched->isWidgetType() &&
                   static_cast<QWidget*>(watched)->isWindow()) {
            ++m_compositions;
        }
        return false;
    }
    void reset() {
        m_paints.clear();
        m_compositions = 0;
    }
    // "N compositions/s; busiest painters: A n/s, B m/s, ..."
    std::string summary(double seconds) const {
        std::vector<std::pair<int, QString>> busy;
        for (auto it = m_paints.begin(); it != m_paints.end(); ++it) {
            busy.emplace_back(it.value(), it.key());
        }
        std::sort(busy.rbegin(), busy.rend());
        char buf[128];
        std::snprintf(buf, sizeof buf, "%.1f window compositions/s", m_compositions / seconds);
        std::string out = buf;
        if (!busy.empty()) {
            out += "; paints/s:";
        }
        for (std::size_t i = 0; i < busy.size() && i < 4; ++i) {
            std::snprintf(buf, sizeof buf, " %s %.1f", busy[i].second.toLatin1().constData(),
                          busy[i].first / seconds);
            out += buf;
        }
        return out;
    }

private:
    QHash<QString, int> m_paints;
    int m_compositions = 0;
};

PaintCounter* g_paintCounter = nullptr;

// CPU seconds of every thread of this process, by thread id, with its name.
struct ThreadCpu {
    int tid = 0;
    std::string name;
    double seconds = 0.0;
};

std::vector<ThreadCpu> threadCpu() {
    std::vector<ThreadCpu> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/proc/self/task", ec)) {
        ThreadCpu t;
        t.tid = std::atoi(e.path().filename().c_str());
        t.seconds = statCpuSeconds(e.path() / "stat");
        std::ifstream comm(e.path() / "comm");
        std::getline(comm, t.name);
        if (t.tid == getpid()) {
            t.name = "GUI";
        }
        if (t.seconds >= 0.0) {
            out.push_back(t);
        }
    }
    return out;
}

// "busiest threads: name n %, ..." between two samples over `wall` seconds.
std::string busiestThreads(const std::vector<ThreadCpu>& before,
                           const std::vector<ThreadCpu>& after, double wall) {
    std::vector<std::pair<double, std::string>> busy;
    for (const ThreadCpu& a : after) {
        double start = 0.0;
        for (const ThreadCpu& b : before) {
            if (b.tid == a.tid) {
                start = b.seconds;
            }
        }
        if (a.seconds > start) {
            busy.emplace_back(100.0 * (a.seconds - start) / wall, a.name);
        }
    }
    std::sort(busy.rbegin(), busy.rend());
    std::string out = "busiest threads:";
    char buf[96];
    for (std::size_t i = 0; i < busy.size() && i < 4; ++i) {
        std::snprintf(buf, sizeof buf, " %s %.1f %%", busy[i].second.c_str(), busy[i].first);
        out += buf;
    }
    return out;
}

// CPU of this process and of the X server over `seconds` of the event loop,
// as percent of one core.
struct Cpu {
    double self = 0.0;
    double xServer = -1.0;
    std::string painting;
};

Cpu measureCpu(double seconds, int xPid) {
    g_paintCounter->reset();
    const std::vector<ThreadCpu> threads0 = threadCpu();
    const double c0 = cpuSeconds();
    const double x0 = xPid > 0 ? processCpuSeconds(xPid) : -1.0;
    QElapsedTimer t;
    t.start();
    spin(seconds);
    const double wall = static_cast<double>(t.elapsed()) / 1000.0;
    Cpu cpu;
    cpu.self = 100.0 * (cpuSeconds() - c0) / wall;
    cpu.painting = g_paintCounter->summary(wall) + "; " + busiestThreads(threads0, threadCpu(), wall);
    if (x0 >= 0.0) {
        cpu.xServer = 100.0 * (processCpuSeconds(xPid) - x0) / wall;
    }
    return cpu;
}

void printCpu(const char* state, const Cpu& cpu) {
    std::printf("CPU %s: %.2f %% of one core (target <= 3 %%)", state, cpu.self);
    if (cpu.xServer >= 0.0) {
        std::printf("; X server %.2f %%", cpu.xServer);
    }
    std::printf("; load average %.2f; %s\n", loadAverage(), cpu.painting.c_str());
    std::fflush(stdout);
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
    o.filesPerChannel = 2;
    o.secondsPerFile = kSecondsPerFile;
    o.scene = mkcard::Scene::Road;
    o.jobs = 2;
    std::string error;
    mkcard::CardStats stats;
    if (!mkcard::makeCard(o, &error, &stats)) {
        std::fprintf(stderr, "bench_window: cannot make %s: %s\n", o.outDir.c_str(),
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

// Sends std::cout to a buffer for its lifetime (std::cout outlives main).
class CoutTo {
public:
    explicit CoutTo(std::streambuf* to) : m_old(std::cout.rdbuf(to)) {}
    ~CoutTo() { std::cout.rdbuf(m_old); }
    CoutTo(const CoutTo&) = delete;
    CoutTo& operator=(const CoutTo&) = delete;

private:
    std::streambuf* m_old;
};

}  // namespace

int main(int argc, char** argv) {
    double seconds = 10.0;
    double idleSeconds = 5.0;
    for (int i = 1; i < argc; ++i) {
        const auto is = [&](const char* name) { return std::strcmp(argv[i], name) == 0; };
        if (is("--seconds") && i + 1 < argc) {
            seconds = std::max(1.0, std::atof(argv[++i]));
        } else if (is("--idle-seconds") && i + 1 < argc) {
            idleSeconds = std::max(1.0, std::atof(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_window [--seconds N] [--idle-seconds N]\n");
            return 2;
        }
    }
    const fs::path card = fs::temp_directory_path() / "korvel-bench-window-road-1280x720-15fps-8ch";
    if (!prepareCard(card)) {
        return 2;
    }

    // A home of its own: the configuration and the settings store of the
    // bench never touch the user's.
    QTemporaryDir home(QDir::tempPath() + "/korvel-bench-window-home-XXXXXX");
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

    // The engine reports on std::cout; the figures go through stdio.
    Discard discard;
    const CoutTo quiet(&discard);
    const int xPid = xServerPid();
    PaintCounter paintCounter;
    g_paintCounter = &paintCounter;
    app.installEventFilter(&paintCounter);
    Korvel window;
    window.setStyleSheet(g_config.appStyle());
    // Without a window manager (Xvfb) a maximised window keeps its size: the
    // window covers the screen by its geometry instead.
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.show();
    spin(1.0);
    window.openStartFolder(QString::fromStdString((card / "20260301").string()));

    QList<GLWidget*> views;
    const bool playing = spinUntil(
        [&] {
            views = window.findChildren<GLWidget*>();
            int shown = 0;
            for (GLWidget* v : views) {
                shown += v->pictures()->offered() > 0 ? 1 : 0;
            }
            return shown >= kChannels;
        },
        20.0);
    if (!playing || window.currentPage() == nullptr) {
        std::fprintf(stderr, "bench_window: the day did not play\n");
        return 2;
    }
    // The ninth view of the block has no channel on this card.
    views.erase(std::remove_if(views.begin(), views.end(),
                               [](GLWidget* v) {
                                   return v->channelOf(0) < 0 || v->channelOf(0) >= kChannels;
                               }),
                views.end());
    spin(2.0);

    // 1. Playing.
    const Counts before = counts(views);
    const Cpu playCpu = measureCpu(seconds, xPid);
    const Counts after = counts(views);
    double worst = 1.0;
    double sumShown = 0.0;
    double sumOffered = 0.0;
    for (int i = 0; i < views.size(); ++i) {
        const double offered = static_cast<double>(after.offered[i] - before.offered[i]);
        const double shown = static_cast<double>(after.shown[i] - before.shown[i]);
        sumShown += shown;
        sumOffered += offered;
        worst = std::min(worst, offered > 0 ? shown / offered : 0.0);
    }
    std::printf(
        "playing %d x 1280x720@15 in the window, %.0f s: %.2f pictures painted per second per "
        "view against %.2f delivered: %.3f of delivered (worst view %.3f; target >= 0.99); CPU "
        "%.0f %% of one core",
        static_cast<int>(views.size()), seconds, sumShown / views.size() / seconds,
        sumOffered / views.size() / seconds, sumOffered > 0 ? sumShown / sumOffered : 0.0, worst,
        playCpu.self);
    if (playCpu.xServer >= 0.0) {
        std::printf(", X server %.0f %%", playCpu.xServer);
    }
    std::printf("; load average %.2f; %s\n", loadAverage(), playCpu.painting.c_str());
    std::fflush(stdout);

    // 2. Paused.
    IDisplayPage* page = window.currentPage();
    page->pause();
    spin(1.0);
    printCpu("paused page", measureCpu(idleSeconds, xPid));

    // Finished: every channel played to its end.
    page->resume();
    const QDateTime end(QDate(2026, 3, 1), QTime(12, 0, 0).addSecs(2 * kSecondsPerFile - 2));
    page->seekTo(end);
    Counts settled = counts(views);
    spinUntil(
        [&] {
            spin(1.0);
            const Counts now = counts(views);
            const bool still = now.offered == settled.offered;
            settled = now;
            return still;
        },
        30.0);
    printCpu("finished page", measureCpu(idleSeconds, xPid));

    // No views.
    page->closeAllViews();
    spin(1.0);
    printCpu("page with no views", measureCpu(idleSeconds, xPid));
    return 0;
}
