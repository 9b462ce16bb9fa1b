// The two ways a decoded picture can take to the screen, measured on the same
// pictures in the same run (run it under xvfb-run: the views draw with the
// machine's OpenGL, Mesa's software renderer under Xvfb):
//   RGBA: the decoder converts each picture to packed RGBA (libswscale), the
//         view copies 4 bytes a pixel and uploads one RGBA texture;
//   YUV:  the decoder hands out its own 4:2:0 planes with a reference that
//         keeps them alive, the view keeps the reference (no copy), uploads
//         three one-byte textures (1.5 bytes a pixel) and converts to RGB in
//         the fragment shader.
// For each picture size it prints the decode thread's CPU per picture
// (decoding plus the conversion, if any), the CPU per picture of handing over,
// uploading and drawing it in 9 views of a 1920x1080 window (all threads of
// the process: the GUI thread, the hand-over and the renderer's), the bytes
// uploaded per picture, and the totals side by side. The pictures are the
// generator's road scene at the recorder's bit rate. Best of --repeats runs.
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench_picture_path [--pictures N] [--repeats N]
//                                                               [--window WxH]
// --window: the window's size (default 1920x1080); a small window leaves the
// drawing out of the figures and shows what the copies and uploads cost.

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RoadScene.h"
#include "VideoEncoder.h"
#include "codecs/VCodec.h"
#include "display/GLWidget.h"
#include "display/PictureSlots.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

double processCpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double threadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

using Unit = std::vector<std::uint8_t>;

// `count` road-scene access units of width x height, one key frame a second.
std::vector<Unit> encodeRoad(int width, int height, int fps, int count) {
    mkcard::H264Encoder encoder;
    std::string error;
    std::vector<Unit> units;
    if (!encoder.open(width, height, fps, mkcard::EncoderSettings::Recorder, &error)) {
        std::fprintf(stderr, "bench_picture_path: %s\n", error.c_str());
        return units;
    }
    const mkcard::CivilTime at{2026, 3, 1, 12, 0, 0};
    for (int i = 0; i < count; ++i) {
        mkcard::YuvPicture picture;
        Unit unit;
        bool key = false;
        if (!encoder.picture(&picture, &error)) {
            break;
        }
        mkcard::paintRoadFrame(picture, 0, i, fps, at, i * 1000 / fps % 1000);
        if (!encoder.encode(i, &unit, &key, &error)) {
            break;
        }
        units.push_back(std::move(unit));
    }
    return units;
}

struct CodecDeleter {
    void operator()(IVCodec* codec) const {
        codec->close();
        void* p = static_cast<IEngineObject*>(codec);
        DestroyVCodec(&p);
    }
};

// A decoded picture kept for the views.
struct Kept {
    int format = PICTURE_RGBA;
    int width = 0;
    int height = 0;
    bool fullRange = false;
    std::vector<std::uint8_t> planes[3];
    int lineSizes[3] = {0, 0, 0};

    PictureFrame frame() const {
        PictureFrame f;
        f.format = format;
        f.width = width;
        f.height = height;
        f.fullRange = fullRange;
        for (int i = 0; i < 3; ++i) {
            f.planes[i] = planes[i].empty() ? nullptr : planes[i].data();
            f.lineSizes[i] = lineSizes[i];
        }
        if (format == PICTURE_YUV420) {
            // As the decoder hands YUV pictures over: with a reference that
            // keeps them alive, so the view keeps them without a copy (this
            // picture outlives the run, so the reference owns nothing).
            f.keep = std::shared_ptr<const void>(std::shared_ptr<const void>(), this);
        }
        return f;
    }
};

// Decodes every unit as `format`; returns the decode thread's CPU ms per
// picture and keeps the first `keep` pictures.
double decodeAll(const std::vector<Unit>& units, int format, std::size_t keep,
                 std::vector<Kept>* kept) {
    void* p = nullptr;
    if (!CreateVCodec(&p, 0)) {
        return -1.0;
    }
    std::unique_ptr<IVCodec, CodecDeleter> codec(static_cast<IVCodec*>(static_cast<IEngineObject*>(p)));
    if (!codec->openByKind(0)) {
        return -1.0;
    }
    int pictures = 0;
    const double c0 = threadCpu();
    for (const Unit& u : units) {
        VideoDecodeBuffer b;
        b.data = u.data();
        b.size = static_cast<int>(u.size());
        b.wanted = format;
        codec->decode(&b);
        if (b.gotPicture == 0) {
            continue;
        }
        ++pictures;
        if (kept->size() < keep) {
            Kept k;
            k.format = b.format;
            k.width = b.width;
            k.height = b.height;
            k.fullRange = b.fullRange;
            for (int i = 0; i < (b.format == PICTURE_YUV420 ? 3 : 1); ++i) {
                const int rows = i == 0 ? b.height : (b.height + 1) / 2;
                k.planes[i].assign(b.planes[i], b.planes[i] + static_cast<std::size_t>(rows) *
                                                                  static_cast<std::size_t>(b.lineSizes[i]));
                k.lineSizes[i] = b.lineSizes[i];
            }
            kept->push_back(std::move(k));
        }
    }
    const double cpu = threadCpu() - c0;
    return pictures > 0 ? 1000.0 * cpu / pictures : -1.0;
}

void spinUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Hands `rounds` pictures to every view and paints them; process CPU ms per
// picture (one picture in one view).
double showAll(const std::vector<GLWidget*>& views, const std::vector<Kept>& pictures, int rounds) {
    // Warm up: textures of this size and layout exist before measuring.
    for (GLWidget* v : views) {
        v->setPicture(pictures.front().frame(), 0, -1);
        v->update();
    }
    spinUntil([&] {
        return std::none_of(views.begin(), views.end(),
                            [](GLWidget* v) { return v->hasPendingPicture(); });
    });
    const double c0 = processCpu();
    int shown = 0;
    for (int r = 0; r < rounds; ++r) {
        const PictureFrame frame = pictures[static_cast<std::size_t>(r) % pictures.size()].frame();
        std::vector<int> before;
        for (GLWidget* v : views) {
            before.push_back(v->picturesShown());
            v->setPicture(frame, 0, -1);
            v->update();
        }
        spinUntil([&] {
            for (std::size_t i = 0; i < views.size(); ++i) {
                if (views[i]->picturesShown() == before[i]) {
                    return false;
                }
            }
            return true;
        });
        shown += static_cast<int>(views.size());
    }
    return 1000.0 * (processCpu() - c0) / shown;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 90;
    int repeats = 3;
    int windowWidth = 1920;
    int windowHeight = 1080;
    for (int i = 1; i < argc; ++i) {
        const auto is = [&](const char* name) { return std::strcmp(argv[i], name) == 0; };
        if (is("--pictures") && i + 1 < argc) {
            count = std::max(10, std::atoi(argv[++i]));
        } else if (is("--repeats") && i + 1 < argc) {
            repeats = std::max(1, std::atoi(argv[++i]));
        } else if (is("--window") && i + 1 < argc &&
                   std::sscanf(argv[i + 1], "%dx%d", &windowWidth, &windowHeight) == 2) {
            ++i;
        } else {
            std::fprintf(stderr,
                         "usage: bench_picture_path [--pictures N] [--repeats N] [--window WxH]\n");
            return 2;
        }
    }
    av_log_set_level(AV_LOG_ERROR);
    QApplication app(argc, argv);
    QWidget window;
    auto* grid = new QGridLayout(&window);
    grid->setSpacing(2);
    grid->setContentsMargins(0, 0, 0, 0);
    std::vector<GLWidget*> views;
    for (int i = 0; i < 9; ++i) {
        auto* v = new GLWidget(nullptr, 0, nullptr);
        v->setPaintSuppressed(false);
        grid->addWidget(v, i / 3, i % 3);
        views.push_back(v);
    }
    window.resize(windowWidth, windowHeight);
    window.show();
    spinUntil([&] { return views.front()->paints() > 0; });

    std::printf("picture path, 9 views in a %dx%d window, %d pictures per size, best of %d\n",
                windowWidth, windowHeight, count, repeats);
    const struct {
        int width, height, fps;
    } sizes[] = {{1280, 720, 15}, {1920, 1080, 30}};
    for (const auto& size : sizes) {
        const std::vector<Unit> units = encodeRoad(size.width, size.height, size.fps, count);
        if (units.empty()) {
            return 2;
        }
        double decode[2] = {1e9, 1e9};
        double show[2] = {1e9, 1e9};
        std::size_t bytes[2] = {0, 0};
        for (int r = 0; r < repeats; ++r) {
            for (int f = 0; f < 2; ++f) {
                const int format = f == 0 ? PICTURE_RGBA : PICTURE_YUV420;
                std::vector<Kept> kept;
                decode[f] = std::min(decode[f], decodeAll(units, format, 8, &kept));
                if (kept.empty() || kept.front().format != format) {
                    std::fprintf(stderr, "bench_picture_path: no %s pictures\n",
                                 f == 0 ? "RGBA" : "YUV");
                    return 2;
                }
                const std::size_t w = static_cast<std::size_t>(size.width);
                const std::size_t h = static_cast<std::size_t>(size.height);
                bytes[f] = format == PICTURE_RGBA ? w * h * 4 : w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2);
                show[f] = std::min(show[f], showAll(views, kept, std::max(10, count / 3)));
            }
        }
        for (int f = 0; f < 2; ++f) {
            std::printf(
                "%dx%d %s: decode%s %.2f ms CPU/picture; hand-over, upload and draw %.2f ms "
                "CPU/picture (%.2f MB uploaded); total %.2f ms\n",
                size.width, size.height, f == 0 ? "RGBA" : "YUV ",
                f == 0 ? " and convert" : " only     ", decode[f], show[f],
                static_cast<double>(bytes[f]) / 1e6, decode[f] + show[f]);
        }
        std::printf("%dx%d: YUV costs %.2f of RGBA's CPU per picture and uploads %.2f times fewer "
                    "bytes\n",
                    size.width, size.height, (decode[1] + show[1]) / (decode[0] + show[0]),
                    static_cast<double>(bytes[0]) / static_cast<double>(bytes[1]));
        std::fflush(stdout);
    }
    return 0;
}
