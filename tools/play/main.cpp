// korvel-play: opens a day folder as a recording-file site, runs a script of
// playback commands and reports what every channel delivered (see --help).
//
// Threading: the main thread runs the script; pictures and audio blocks arrive
// on the site's decode and audio threads and are counted under one lock,
// which also serialises every line written to standard output.

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PlayScript.h"
#include "core/Trace.h"
#include "engine/CSSFFileSite.h"
#include "recording/DayListing.h"
#include "recording/FolderScan.h"

namespace {

using Clock = std::chrono::steady_clock;
// Longest wait for the site to carry out one command of the script.
constexpr int kCommandWaitMs = 30000;

std::string stamp(int date, int time) {
    char text[32];
    std::snprintf(text, sizeof text, "%08d %06d", date, time);
    return text;
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct ChannelCount {
    long pictures = 0;
    long audioBlocks = 0;
    int firstDate = 0;
    int firstTime = 0;
    int lastDate = 0;
    int lastTime = 0;
};

class Report {
public:
    Report(std::ostream& out, bool events) : m_out(out), m_events(events) {}

    long elapsedMs() const {
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start).count());
    }

    void picture(const PUSHVIDEO& p) {
        if (p.channel < 0 || p.channel >= kMaxChannels) {
            return;
        }
        std::lock_guard<std::mutex> guard(m_mutex);
        ChannelCount& c = m_counts[static_cast<std::size_t>(p.channel)];
        if (c.pictures == 0) {
            c.firstDate = p.date;
            c.firstTime = p.time;
        }
        ++c.pictures;
        c.lastDate = p.date;
        c.lastTime = p.time;
        if (m_events) {
            m_out << "{\"event\":\"picture\",\"channel\":" << p.channel << ",\"date\":" << p.date
                  << ",\"time\":" << p.time << ",\"width\":" << p.width
                  << ",\"height\":" << p.height << ",\"ms\":" << elapsedMs() << "}\n";
        }
    }

    void audio(const _AUDIODATA& a) {
        if (a.channel < 0 || a.channel >= kMaxChannels) {
            return;
        }
        std::lock_guard<std::mutex> guard(m_mutex);
        ++m_counts[static_cast<std::size_t>(a.channel)].audioBlocks;
        if (m_events) {
            m_out << "{\"event\":\"audio\",\"channel\":" << a.channel << ",\"bytes\":" << a.length
                  << ",\"rate\":" << a.param2 << ",\"ms\":" << elapsedMs() << "}\n";
        }
    }

    void line(const std::string& text) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_out << text << '\n';
    }

    void command(const std::string& text, CSSFFileSite& site) {
        int date = 0;
        int time = 0;
        const bool known = site.getCurrentDateTime(&date, &time);
        std::ostringstream s;
        s << "{\"event\":\"command\",\"command\":" << quoted(text) << ",\"ms\":" << elapsedMs()
          << ",\"mode\":" << site.getPlayMode(nullptr)
          << ",\"speed\":" << site.getSpeedIndex(nullptr)
          << ",\"current\":" << (known ? quoted(stamp(date, time)) : std::string("null")) << "}";
        line(s.str());
    }

    void summary(std::uint32_t mask, int commands, long closeMs) {
        std::lock_guard<std::mutex> guard(m_mutex);
        long pictures = 0;
        long audio = 0;
        for (int c = 0; c < kMaxChannels; ++c) {
            const ChannelCount& n = m_counts[static_cast<std::size_t>(c)];
            pictures += n.pictures;
            audio += n.audioBlocks;
            if (((mask >> c) & 1u) == 0 && n.pictures == 0 && n.audioBlocks == 0) {
                continue;
            }
            m_out << "{\"summary\":\"channel\",\"channel\":" << c << ",\"pictures\":" << n.pictures
                  << ",\"audio_blocks\":" << n.audioBlocks << ",\"first\":"
                  << (n.pictures ? quoted(stamp(n.firstDate, n.firstTime)) : "null")
                  << ",\"last\":" << (n.pictures ? quoted(stamp(n.lastDate, n.lastTime)) : "null")
                  << "}\n";
        }
        m_out << "{\"summary\":\"total\",\"pictures\":" << pictures << ",\"audio_blocks\":" << audio
              << ",\"commands\":" << commands << ",\"elapsed_ms\":" << elapsedMs()
              << ",\"close_ms\":" << closeMs << "}\n";
        m_out.flush();
    }

private:
    std::mutex m_mutex;  // guards m_counts and every write to m_out
    std::ostream& m_out;
    const bool m_events;
    const Clock::time_point m_start = Clock::now();
    std::array<ChannelCount, kMaxChannels> m_counts{};
};

void run(const play::Command& c, CSSFFileSite& site) {
    switch (c.op) {
        case play::Op::Play:
            site.play();
            break;
        case play::Op::Reverse:
            site.playReverse();
            break;
        case play::Op::Pause:
            site.pause();
            break;
        case play::Op::Speed:
            site.changeSpeed(c.a);
            break;
        case play::Op::Goto:
            site.gotoDateTime(c.a / 10000, c.a / 100 % 100, c.a % 100, c.b / 10000, c.b / 100 % 100,
                              c.b % 100);
            break;
        case play::Op::First:
            site.gotoFirst();
            break;
        case play::Op::Last:
            site.gotoLast();
            break;
        case play::Op::Step:
            site.stepForward();
            break;
        case play::Op::StepBack:
            site.stepBackward();
            break;
        case play::Op::Wait:
            std::this_thread::sleep_for(std::chrono::milliseconds(c.a));
            break;
        case play::Op::Remove:
            site.removeChannel(c.a);
            break;
        case play::Op::Add:
            site.addChannelsAt(ChannelMask{1} << c.a, 0, 0, 0);
            break;
        case play::Op::Stream:
            site.setChannelEnabled(c.a, c.b, 0, 0);
            break;
        case play::Op::Time:
            break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    play::Options options;
    bool wantHelp = false;
    std::string error;
    if (!play::parseOptions(args, &options, &wantHelp, &error)) {
        std::cerr << "korvel-play: " << error << '\n';
        return 1;
    }
    if (wantHelp) {
        std::cout << play::usage();
        return 0;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(options.folder, ec)) {
        std::cerr << "korvel-play: " << options.folder << " is not a folder\n";
        return 1;
    }
    // "20260301", "./20260301/" and "/card/20260301" name the same day.
    const std::string folder = recordingFolderPath(options.folder);
    if (dayListing::dayFolderDate(folder) == 0) {
        std::cerr << "korvel-play: " << options.folder
                  << " is not a day folder (its name must be the day, yyyymmdd)\n";
        return 1;
    }

    // The engine's diagnostic lines share standard output with the report.
    korvel::setTraceEnabled(options.verbose);
    std::ostream& out = std::cout;
    Report report(out, options.events);

    auto site = std::make_unique<CSSFFileSite>();
    SiteParams params;
    params.folder = folder;
    params.pacing = options.pacing ? 1 : 0;
    params.channelMask = options.channelMask;
    params.startDate = options.startDate;
    params.startTime = options.startTime;
    params.onPicture = [&report](PUSHVIDEO* p) { report.picture(*p); };
    params.onAudio = [&report](_AUDIODATA* a) { report.audio(*a); };
    site->reset();
    const bool opened = site->open(&params);
    // The open is carried out on the site's own thread: the script starts
    // from an open site.
    site->waitForCommands(kCommandWaitMs);
    {
        std::ostringstream s;
        s << "{\"event\":\"open\",\"folder\":" << quoted(options.folder)
          << ",\"channels\":" << options.channelMask
          << ",\"pacing\":" << (options.pacing ? "true" : "false")
          << ",\"ok\":" << (opened ? "true" : "false") << "}";
        report.line(s.str());
    }

    int commands = 0;
    for (const play::Command& c : options.script) {
        run(c, *site);
        ++commands;
        if (c.op != play::Op::Wait) {
            // The site carries commands out on its own thread: the report
            // says what the command left behind.
            site->waitForCommands(kCommandWaitMs);
            report.command(c.text, *site);
        }
    }

    const auto closeStart = Clock::now();
    site->stop();
    site->close();
    site->waitForCommands(kCommandWaitMs);
    const long closeMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - closeStart).count());
    site.reset();
    report.summary(options.channelMask, commands, closeMs);
    return opened ? 0 : 1;
}
