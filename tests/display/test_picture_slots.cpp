// The picture slots between a decode thread and the GUI thread: a taken
// picture is never written while the taker holds it, a pending one is never
// overwritten, and a kept reference outlives the slots' use of it.

#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "display/PictureSlots.h"

namespace {

constexpr std::int64_t kKey = 0x7100;

PictureFrame grey(const std::vector<unsigned char>& pixels, int w, int h) {
    PictureFrame f;
    f.format = PICTURE_RGBA;
    f.planes[0] = pixels.data();
    f.width = w;
    f.height = h;
    return f;
}

// Whether every byte of the picture's colour channels has one value; sets it.
bool uniform(const BufferedPicture& p, int* value) {
    const unsigned char* row = p.plane(0);
    *value = row[0];
    for (int y = 0; y < p.height; ++y, row += p.lineSize(0)) {
        for (int x = 0; x < p.rowBytes(0); ++x) {
            if (row[x] != *value) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

class TestPictureSlots : public QObject {
    Q_OBJECT

private slots:
    void pendingIsKeptAndTakenIsStable();
    void keptReferenceInsteadOfCopy();
    void textsDifferFromWhatWasSetLast();
};

// A writer thread hands over pictures as fast as it can while this thread
// takes and reads them slowly: every taken picture stays whole (one value)
// while it is read, and values only grow (nothing older shows up later).
void TestPictureSlots::pendingIsKeptAndTakenIsStable() {
    PictureSlots pictures(1);
    pictures.setSource(kKey, 3, -1);
    constexpr int w = 64;
    constexpr int h = 48;
    std::atomic<bool> done{false};
    std::atomic<int> offered{0};
    std::atomic<int> refused{0};
    std::atomic<int> taken{0};
    std::thread writer([&] {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 4);
        int takenBefore = 0;
        for (int v = 1; v < 250 && !done.load(); ++v) {
            // Every fiftieth picture waits (with a deadline) for the taker to
            // have taken one, so that a busy machine cannot let the writer
            // run through every value before the taker's first turn.
            if (v % 50 == 0) {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (taken.load() == takenBefore && !done.load() &&
                       std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::yield();
                }
                takenBefore = taken.load();
            }
            std::fill(pixels.begin(), pixels.end(), static_cast<unsigned char>(v));
            if (pictures.put(grey(pixels, w, h), kKey, 3) != 0) {
                ++refused;
            }
            offered.store(v);
            std::this_thread::yield();
        }
        done.store(true);
    });
    // A failed check returns early: the writer is stopped and joined first.
    struct Join {
        std::atomic<bool>& done;
        std::thread& thread;
        ~Join() {
            done.store(true);
            thread.join();
        }
    } join{done, writer};
    int last = 0;
    while (!done.load() || pictures.hasPending()) {
        if (const BufferedPicture* p = pictures.takePending(0)) {
            int value = 0;
            // Read it twice with the writer running in between.
            QVERIFY(uniform(*p, &value));
            // Until the writer has offered another picture (bounded: it may
            // be waiting for this one to be taken).
            const int seen = offered.load();
            for (int i = 0; i < 10000 && offered.load() == seen && !done.load(); ++i) {
                std::this_thread::yield();
            }
            int again = 0;
            QVERIFY2(uniform(*p, &again) && again == value, "a taken picture was written");
            QVERIFY(value > last);
            QCOMPARE(pictures.front(0), p);
            last = value;
            ++taken;
        }
        std::this_thread::yield();
    }
    QCOMPARE(refused.load(), 0);
    QVERIFY(taken > 1);
    QVERIFY(taken <= offered.load());
    QCOMPARE(pictures.offered(), std::int64_t{offered.load()});

    // A pending picture is not overwritten: the first of two stays.
    std::vector<unsigned char> a(static_cast<std::size_t>(w) * h * 4, 7);
    std::vector<unsigned char> b(a.size(), 9);
    QCOMPARE(pictures.put(grey(a, w, h), kKey, 3), 0);
    QCOMPARE(pictures.put(grey(b, w, h), kKey, 3), 0);
    int value = 0;
    QVERIFY(uniform(*pictures.takePending(0), &value));
    QCOMPARE(value, 7);
    QCOMPARE(pictures.takePending(0), nullptr);
    QCOMPARE(pictures.put(grey(b, w, h), kKey, 4), -1);  // another channel
}

// A picture handed over with a reference is held, not copied, until the slot
// has a newer picture in that buffer.
void TestPictureSlots::keptReferenceInsteadOfCopy() {
    PictureSlots pictures(1);
    std::vector<unsigned char> y(40 * 20, 100);
    std::vector<unsigned char> uv(24 * 10, 128);
    auto owner = std::make_shared<int>(0);
    PictureFrame f;
    f.format = PICTURE_YUV420;
    f.planes[0] = y.data();
    f.planes[1] = uv.data();
    f.planes[2] = uv.data();
    f.lineSizes[0] = 40;
    f.lineSizes[1] = 24;
    f.lineSizes[2] = 24;
    f.width = 33;
    f.height = 20;
    f.keep = owner;
    QCOMPARE(pictures.put(f, 0, -1), 0);
    f.keep.reset();
    QCOMPARE(owner.use_count(), 2L);
    const BufferedPicture* p = pictures.takePending(0);
    QVERIFY(p);
    QCOMPARE(p->plane(0), y.data());
    QCOMPARE(p->lineSize(1), 24);
    QCOMPARE(pictures.image(0).pixel(32, 19), qRgb(98, 98, 98));

    // Two newer copied pictures push the reference out of both buffers.
    std::vector<unsigned char> rgba(33 * 20 * 4, 50);
    QCOMPARE(pictures.put(grey(rgba, 33, 20), 0, -1), 0);
    QVERIFY(pictures.takePending(0));
    QCOMPARE(owner.use_count(), 2L);  // still the back buffer's
    QCOMPARE(pictures.put(grey(rgba, 33, 20), 0, -1), 0);
    QCOMPARE(owner.use_count(), 1L);
}

// The hand-over sends a bar text only when it differs from the one the view
// shows; top and bottom texts of the same type are different texts.
void TestPictureSlots::textsDifferFromWhatWasSetLast() {
    PictureSlots pictures(1);
    QVERIFY(pictures.textDiffers(0, "PLAY"));
    pictures.noteText(0, "PLAY");
    QVERIFY(!pictures.textDiffers(0, "PLAY"));
    QVERIFY(pictures.textDiffers(0, "PAUSED"));
    QVERIFY(pictures.textDiffers(PictureSlots::kTopTextKind, "PLAY"));
    pictures.noteText(PictureSlots::kTopTextKind + 1, "1. CH1");
    QVERIFY(!pictures.textDiffers(PictureSlots::kTopTextKind + 1, "1. CH1"));
    QVERIFY(pictures.textDiffers(1, "1. CH1"));
}

QTEST_GUILESS_MAIN(TestPictureSlots)
#include "test_picture_slots.moc"
