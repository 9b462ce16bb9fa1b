// korvel-mkcard: writes a demo card of the black box (see MakeCard.h).

#include <cstdio>
#include <string>
#include <vector>

#include "MakeCard.h"

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    mkcard::CardOptions options;
    bool help = false;
    std::string error;
    if (!mkcard::parseCardOptions(args, &options, &help, &error)) {
        std::fprintf(stderr, "korvel-mkcard: %s (try --help)\n", error.c_str());
        return 1;
    }
    if (help) {
        std::fputs(mkcard::cardUsage().c_str(), stdout);
        return 0;
    }
    av_log_set_level(AV_LOG_ERROR);  // x264 reports every file's statistics otherwise
    mkcard::CardStats stats;
    if (!mkcard::makeCard(options, &error, &stats)) {
        std::fprintf(stderr, "korvel-mkcard: %s\n", error.c_str());
        return 2;
    }
    std::printf("video %dx%d at %d fps, %s scene: %.2f Mb/s per channel\n", options.width,
                options.height, options.fps,
                options.scene == mkcard::Scene::Road ? "road" : "plain",
                stats.videoMegabitsPerSecond());
    return 0;
}
