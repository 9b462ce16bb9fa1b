// The sound of the selected view reaching a real sound server: run beside a
// PulseAudio of its own (with_pulseaudio.sh) whose default output is a null
// sink; its monitor is recorded with parec. The card's channels carry tones of
// 400 Hz (channel 0) and 500 Hz (channel 1): the tone heard follows the
// selected view, and mute leaves silence.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <QElapsedTimer>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "WindowTest.h"
#include "app/IDisplayPage.h"
#include "app/Korvel.h"
#include "app/UCPlaybackStrip.h"
#include "display/GLWidget.h"
#include "display/UCDisplayFrame.h"

namespace {

constexpr int kRate = 8000;
// A quarter second: 100 periods of 400 Hz, 125 of 500 Hz.
constexpr int kWindow = kRate / 4;

// Amplitude of the frequency in the samples (Goertzel), as a part of the
// amplitude a pure tone of the samples' loudness would have: near 1 when the
// tone is all there is, near 0 when it is absent.
double rms(const std::vector<qint16>& s) {
    double energy = 0.0;
    for (qint16 v : s) {
        energy += double(v) * v;
    }
    return std::sqrt(energy / s.size());
}

double toneShare(const std::vector<qint16>& s, double hz) {
    const double coeff = 2.0 * std::cos(2.0 * M_PI * hz / kRate);
    double q1 = 0.0;
    double q2 = 0.0;
    for (qint16 v : s) {
        const double q0 = coeff * q1 - q2 + v;
        q2 = q1;
        q1 = q0;
    }
    const double power = q1 * q1 + q2 * q2 - coeff * q1 * q2;
    const double amplitude = 2.0 * std::sqrt(std::max(0.0, power)) / s.size();
    const double level = rms(s);
    return level > 0 ? amplitude / (std::sqrt(2.0) * level) : 0.0;
}

}  // namespace

class TestAudioOutput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void selectedViewIsHeardUntilMuted();

private:
    // The newest quarter second recorded from the sink.
    std::vector<qint16> lastWindow();
    // Records until `heard` holds for the newest window, at most `ms` long.
    bool waitForSound(const std::function<bool(const std::vector<qint16>&)>& heard, int ms);

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QString m_day;
    QProcess m_recorder;
    QByteArray m_recorded;
};

void TestAudioOutput::initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        QSKIP("needs the sound server of with_pulseaudio.sh");
    }
    QVERIFY(m_home.isValid() && m_dir.isValid());
    useOwnHome(m_home);
    mkcard::CardOptions card = windowCard(m_dir, 1, 30);
    card.width = 64;
    card.height = 48;
    card.fps = 2;
    m_day = writeDayCard(card);
    QVERIFY(!m_day.isEmpty());

    m_recorder.start("parec", {"-d", "korvel_test.monitor", "--raw", "--format=s16le",
                               "--rate=8000", "--channels=1", "--latency-msec=50"});
    QVERIFY2(m_recorder.waitForStarted(5000), "parec (pulseaudio-utils) did not start");
}

void TestAudioOutput::cleanupTestCase() {
    if (m_recorder.state() != QProcess::NotRunning) {
        m_recorder.kill();
        m_recorder.waitForFinished();
    }
}

std::vector<qint16> TestAudioOutput::lastWindow() {
    m_recorded += m_recorder.readAllStandardOutput();
    const int samples = m_recorded.size() / 2;
    if (samples < kWindow) {
        return {};
    }
    // Only what the newest window needs is kept.
    m_recorded = m_recorded.right(kWindow * 2);
    std::vector<qint16> out(kWindow);
    std::memcpy(out.data(), m_recorded.constData(), kWindow * 2);
    return out;
}

bool TestAudioOutput::waitForSound(const std::function<bool(const std::vector<qint16>&)>& heard,
                                   int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        m_recorder.waitForReadyRead(50);
        const std::vector<qint16> window = lastWindow();
        if (!window.empty() && heard(window)) {
            return true;
        }
        QCoreApplication::processEvents();
    }
    const std::vector<qint16> window = lastWindow();
    if (!window.empty()) {
        qWarning("last window: rms %.0f, 400 Hz %.2f, 500 Hz %.2f", rms(window),
                 toneShare(window, 400), toneShare(window, 500));
    }
    return false;
}

void TestAudioOutput::selectedViewIsHeardUntilMuted() {
    Korvel window;
    QVERIFY(showWindow(window, 1200, 800));
    window.openDayFolder(m_day);

    auto tone = [](double hz) {
        return [hz](const std::vector<qint16>& w) {
            return rms(w) > 300 && toneShare(w, hz) > 0.8;
        };
    };
    // The first view (channel 0) is selected when the day opens.
    QVERIFY(waitForSound(tone(400), 15000));

    // Another view selected: its channel is heard instead.
    auto* frame = qobject_cast<UCDisplayFrame*>(window.currentPage()->widget());
    GLWidget* second = nullptr;
    for (GLWidget* v : frame->views()) {
        if (v->channelOf(0) == 1) {
            second = v;
        }
    }
    QVERIFY(second != nullptr);
    frame->selectOnly(second);
    QVERIFY(waitForSound(tone(500), 10000));

    // Muted: silence, though the view plays on.
    window.playbackStrip()->setMuted(true);
    QVERIFY(waitForSound([](const std::vector<qint16>& w) { return rms(w) < 20; }, 10000));
    QVERIFY(!window.currentPage()->isSelectedPaused());
    window.playbackStrip()->setMuted(false);
    QVERIFY(waitForSound(tone(500), 10000));
    window.close();
}

QTEST_MAIN(TestAudioOutput)
#include "test_audio_output.moc"
