#include "app/UCPlaybackStrip.h"

#include <QAudio>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

#include "app/IDisplayPage.h"
#include "app/Shortcuts.h"
#include "core/PlaybackTypes.h"

using shortcuts::Command;
using shortcuts::withKeys;

namespace {

const char* const kImages = ":/Korvel/images/";

// The groove is drawn by the strip itself so that the handle images sit on a
// track that matches them; the handle rules are the ones the strip switches.
const char* const kGrooveStyle =
    "QSlider::groove:horizontal { height: 6px; border-radius: 3px; background: #0c1118;"
    " border: 1px solid #2b3646; }"
    "QSlider::sub-page:horizontal { height: 6px; border-radius: 3px; background: #2b3646; }"
    "QSlider::add-page:horizontal { height: 6px; border-radius: 3px; background: #2b3646; }";
const char* const kHandleNormal =
    "QSlider::handle { border-image: url(:/Korvel/images/ic_handler_nor_32.png); height: 36px;"
    " width : 36px; }"
    "QSlider::handle:disabled { border-image: url(:/Korvel/images/ic_handler_dis_36.png); "
    "height: 36px; width : 36px; }";
const char* const kHandleMoving =
    "QSlider::handle {image: url(:/Korvel/images/ic_handler_p_36.png); height: 36px; width : "
    "36px;}";
const char* const kLabelEnabled = "QLabel{color:#BBBBBB;}";
const char* const kLabelDisabled = "QLabel{color:#5A5A5A;}";

QIcon image(const char* name) {
    return QIcon(QString("%1%2").arg(kImages, name));
}

// The drawn disabled images replace the greyed pixmaps Qt would make.
QIcon imageForAllModes(const char* name) {
    const QPixmap pixmap(QString("%1%2").arg(kImages, name));
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    return icon;
}

QPushButton* makeButton(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setIconSize(QSize(32, 32));
    b->setFixedSize(36, 36);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFlat(true);
    return b;
}

}  // namespace

UCPlaybackStrip::UCPlaybackStrip(QWidget* parent) : QWidget(parent) {
    setObjectName("wgPlayControls");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(2);

    tbPBFirst = makeButton(this, "tbPBFirst");
    tbPBRW = makeButton(this, "tbPBRW");
    tbPBBackFrame = makeButton(this, "tbPBBackFrame");
    tbPBPauseContinue = makeButton(this, "tbPBPauseContinue");
    tbPBForwordFrame = makeButton(this, "tbPBForwordFrame");
    tbPBFW = makeButton(this, "tbPBFW");
    tbPBLast = makeButton(this, "tbPBLast");
    for (QPushButton* b : {tbPBFirst, tbPBRW, tbPBBackFrame, tbPBPauseContinue, tbPBForwordFrame,
                           tbPBFW, tbPBLast}) {
        row->addWidget(b);
    }
    row->addSpacing(10);

    labelSpeed = new QLabel("x0", this);
    labelSpeed->setObjectName("labelSpeed");
    labelSpeed->setMinimumWidth(34);
    labelSpeed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(labelSpeed);

    hsPBSpeed = new QSlider(Qt::Horizontal, this);
    hsPBSpeed->setObjectName("hsPBSpeed");
    hsPBSpeed->setRange(0, kSpeedIndexCount - 1);
    hsPBSpeed->setValue(kSpeedIndexStill);
    hsPBSpeed->setTickInterval(1);
    hsPBSpeed->setPageStep(1);
    hsPBSpeed->setFixedHeight(36);
    hsPBSpeed->setMinimumWidth(160);
    hsPBSpeed->setFocusPolicy(Qt::NoFocus);
    setNormalHandleStyle();
    row->addWidget(hsPBSpeed, 1);
    row->addSpacing(10);

    tbPBMute = makeButton(this, "tbPBMute");
    tbPBMute->setIconSize(QSize(24, 24));
    tbPBMute->setFixedSize(30, 30);
    row->addWidget(tbPBMute);
    hsPBVolume = new QSlider(Qt::Horizontal, this);
    hsPBVolume->setObjectName("hsPBVolume");
    hsPBVolume->setRange(0, 100);
    hsPBVolume->setValue(m_volume);
    hsPBVolume->setPageStep(kVolumeStep);
    hsPBVolume->setFixedWidth(84);
    hsPBVolume->setFocusPolicy(Qt::NoFocus);
    hsPBVolume->setStyleSheet(
        QString(kGrooveStyle) +
        "QSlider::handle:horizontal { background: #e8eef5; border-radius: 6px; width: 12px;"
        " margin: -4px 0; }");
    row->addWidget(hsPBVolume);

    // Transparent round buttons: the images carry the whole look.
    setStyleSheet(
        "QPushButton { background: transparent; border: none; padding: 0; border-radius: 18px; }"
        "QPushButton:hover { background: rgba(255, 255, 255, 22); }"
        "QPushButton:disabled { background: transparent; }");

    connect(tbPBFirst, &QAbstractButton::clicked, this, &UCPlaybackStrip::slotGotoFirst);
    connect(tbPBRW, &QAbstractButton::clicked, this, &UCPlaybackStrip::slotPBRW);
    connect(tbPBPauseContinue, &QAbstractButton::clicked, this,
            &UCPlaybackStrip::slotPBPauseContinue);
    connect(tbPBFW, &QAbstractButton::clicked, this, &UCPlaybackStrip::slotPBFW);
    connect(tbPBLast, &QAbstractButton::clicked, this, &UCPlaybackStrip::slotGotoLast);
    connect(tbPBBackFrame, &QPushButton::clicked, this, &UCPlaybackStrip::slotStepBackward);
    connect(tbPBForwordFrame, &QPushButton::clicked, this, &UCPlaybackStrip::slotStepForward);
    connect(hsPBSpeed, &QAbstractSlider::valueChanged, this, &UCPlaybackStrip::slotPBChangeSpeed);
    connect(hsPBSpeed, &QAbstractSlider::sliderMoved, this, &UCPlaybackStrip::slotPBsliderMoved);
    connect(hsPBSpeed, &QAbstractSlider::sliderReleased, this, &UCPlaybackStrip::sliderReleased);
    connect(tbPBMute, &QPushButton::clicked, this, &UCPlaybackStrip::slotToggleMute);
    connect(hsPBVolume, &QSlider::valueChanged, this, &UCPlaybackStrip::setVolume);

    setMuteLook();
    refreshPlaybackControls();
}

void UCPlaybackStrip::setPage(IPlaybackPage* page) {
    m_page = page;
    applyVolume();
    refreshPlaybackControls();
}

void UCPlaybackStrip::setSliderQuietly(int speedIndex) {
    disconnect(hsPBSpeed, &QAbstractSlider::valueChanged, this,
               &UCPlaybackStrip::slotPBChangeSpeed);
    hsPBSpeed->setValue(speedIndex);
    connect(hsPBSpeed, &QAbstractSlider::valueChanged, this, &UCPlaybackStrip::slotPBChangeSpeed);
}

void UCPlaybackStrip::setPlayLook() {
    m_showsPlay = true;
    tbPBPauseContinue->setIcon(image("bt_play_nor_32.png"));
    tbPBPauseContinue->setToolTip(withKeys(tr("Play"), Command::PlayPause));
    tbPBPauseContinue->setStyleSheet(
        "QPushButton:pressed{border-image: url(:/Korvel/images/bt_play_press_32.png);}");
}

void UCPlaybackStrip::setPauseLook() {
    m_showsPlay = false;
    tbPBPauseContinue->setIcon(image("bt_pause_nor_32.png"));
    tbPBPauseContinue->setToolTip(withKeys(tr("Pause"), Command::PlayPause));
    tbPBPauseContinue->setStyleSheet(
        "QPushButton:pressed{border-image: url(:/Korvel/images/bt_pause_press_32.png);}");
}

void UCPlaybackStrip::setSpeedText(int speedIndex, const char* labelStyle) {
    const QString text = QString("x%1").arg(SpeedTable[speedIndex]);
    labelSpeed->setText(text);
    hsPBSpeed->setToolTip(text);
    labelSpeed->setStyleSheet(labelStyle);
}

void UCPlaybackStrip::setButtonsEnabled(bool enabled) {
    struct Button {
        QPushButton* button;
        const char* enabledImage;
        const char* disabledImage;
        const char* tip;
        Command keys;
    };
    const Button buttons[] = {
        {tbPBFirst, "bt_backplay_nor_32.png", "bt_backplay_dis_32.png", QT_TR_NOOP("FirstPlay"),
         Command::First},
        {tbPBLast, "bt_nextplay_nor_32.png", "bt_nextplay_dis_32.png", QT_TR_NOOP("LastPlay"),
         Command::Last},
        {tbPBRW, "bt_rewind_nor_32.png", "bt_rewind_dis_32.png", QT_TR_NOOP("RewindSpeed"),
         Command::FasterBackward},
        {tbPBBackFrame, "bt_backframe_nor_32.png", "bt_backframe_dis_32.png",
         QT_TR_NOOP("BackFrame"), Command::StepBackward},
        {tbPBForwordFrame, "bt_forwordframe_nor_32.png", "bt_forwordframe_dis_32.png",
         QT_TR_NOOP("ForwordFrame"), Command::StepForward},
        {tbPBFW, "bt_fast_nor_32.png", "bt_fast_dis_32.png", QT_TR_NOOP("FastSpeed"),
         Command::Faster},
    };
    for (const Button& b : buttons) {
        b.button->setIcon(imageForAllModes(enabled ? b.enabledImage : b.disabledImage));
        b.button->setToolTip(enabled ? withKeys(tr(b.tip), b.keys) : QString());
        b.button->setEnabled(enabled);
    }
    m_enabledLook = enabled;
}

void UCPlaybackStrip::setNormalHandleStyle() {
    hsPBSpeed->setStyleSheet(QString(kGrooveStyle) + kHandleNormal);
}

void UCPlaybackStrip::showLook(bool enabled, bool playLook, int speedIndex) {
    // The heartbeat asks twenty times a second. Icons, style sheets and tool
    // tips are set only when they change: each setting repaints the strip,
    // and in a window holding video views a repaint recomposes the whole
    // window.
    const bool first = !m_lookShown;
    m_lookShown = true;
    if (first || enabled != m_enabledLook) {
        setButtonsEnabled(enabled);
    }
    if (first || playLook != m_showsPlay) {
        if (playLook) {
            setPlayLook();
        } else {
            setPauseLook();
        }
    }
    if (first || speedIndex != m_speedShown || enabled != m_speedEnabled) {
        setSpeedText(speedIndex, enabled ? kLabelEnabled : kLabelDisabled);
        m_speedShown = speedIndex;
        m_speedEnabled = enabled;
    }
}

void UCPlaybackStrip::refreshPlaybackControls() {
    if (m_page == nullptr || m_page->playMode() == 1) {
        setSliderQuietly(kSpeedIndexStill);
        hsPBSpeed->setEnabled(false);
        showLook(false, true, kSpeedIndexStill);
        return;
    }
    int speedIndex = 0;
    if (!m_page->getPlaySpeed(speedIndex) || !isValidSpeedIndex(speedIndex)) {
        return;
    }
    hsPBSpeed->setEnabled(true);
    // At the end of the recordings nothing moves, whatever the speed asked.
    const bool finished = m_page->isSelectedFinished();
    if (finished) {
        speedIndex = kSpeedIndexStill;
    }
    // While the user holds the handle, the slider is the truth.
    if (!hsPBSpeed->isSliderDown()) {
        setSliderQuietly(speedIndex);
    }
    showLook(true, finished || m_page->isSelectedPaused(), speedIndex);
}

int UCPlaybackStrip::currentSpeedIndex() {
    int speedIndex = -1;
    if (m_page == nullptr || m_page->playMode() != 2 || !m_page->getPlaySpeed(speedIndex) ||
        !isValidSpeedIndex(speedIndex)) {
        return -1;
    }
    return speedIndex;
}

void UCPlaybackStrip::slotGotoFirst() {
    if (m_page == nullptr) {
        return;
    }
    emit commandIssued();
    QDateTime at;
    if (m_page->gotoFirst(at)) {
        refreshPlaybackControls();
    }
}

void UCPlaybackStrip::slotGotoLast() {
    if (m_page == nullptr) {
        return;
    }
    emit commandIssued();
    QDateTime at;
    if (m_page->gotoLast(at)) {
        refreshPlaybackControls();
    }
}

void UCPlaybackStrip::slotPBRW() {
    if (m_page == nullptr) {
        return;
    }
    emit commandIssued();
    // Pressed again while playing backward: the next faster backward speed.
    const int speedIndex = currentSpeedIndex();
    if (speedIndex >= 0 && speedIndex < kSpeedIndexStill) {
        m_page->setPlaySpeed(std::max(0, speedIndex - 1));
    } else {
        m_page->rewind();
    }
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotPBFW() {
    if (m_page == nullptr) {
        return;
    }
    emit commandIssued();
    // x2 first; pressed again while fast forward: the next faster speed.
    const int speedIndex = currentSpeedIndex();
    if (speedIndex > kSpeedIndexNormal) {
        m_page->setPlaySpeed(std::min(kSpeedIndexCount - 1, speedIndex + 1));
    } else {
        m_page->setPlaySpeed(kSpeedIndexNormal + 1);
    }
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotFaster() {
    const int speedIndex = currentSpeedIndex();
    if (speedIndex < 0) {
        return;
    }
    emit commandIssued();
    if (speedIndex >= kSpeedIndexNormal && !m_page->isSelectedPaused()) {
        m_page->setPlaySpeed(std::min(kSpeedIndexCount - 1, speedIndex + 1));
    } else {
        // Play, not a speed change: a site that stands on a single step
        // still has speed x1 and would not move for it.
        m_page->resume();
    }
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotFasterBackward() {
    const int speedIndex = currentSpeedIndex();
    if (speedIndex < 0) {
        return;
    }
    emit commandIssued();
    if (speedIndex < kSpeedIndexStill && !m_page->isSelectedPaused()) {
        m_page->setPlaySpeed(std::max(0, speedIndex - 1));
    } else {
        m_page->rewind();
    }
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotPause() {
    if (currentSpeedIndex() < 0) {
        return;
    }
    emit commandIssued();
    if (!m_page->isSelectedPaused()) {
        m_page->pause();
    }
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotStepForward() {
    if (currentSpeedIndex() < 0) {
        return;
    }
    emit commandIssued();
    m_page->stepForward();
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotStepBackward() {
    if (currentSpeedIndex() < 0) {
        return;
    }
    emit commandIssued();
    m_page->stepBackward();
    refreshPlaybackControls();
}

void UCPlaybackStrip::setVolume(int volume) {
    const int v = std::clamp(volume, 0, 100);
    const bool changed = v != m_volume || m_muted;
    m_volume = v;
    // Turning the volume is asking to hear it.
    m_muted = false;
    if (hsPBVolume->value() != v) {
        const QSignalBlocker quiet(hsPBVolume);
        hsPBVolume->setValue(v);
    }
    if (changed) {
        setMuteLook();
        applyVolume();
    }
}

void UCPlaybackStrip::setMuted(bool muted) {
    m_muted = muted;
    setMuteLook();
    applyVolume();
}

void UCPlaybackStrip::slotToggleMute() {
    setMuted(!m_muted);
}

void UCPlaybackStrip::slotVolumeUp() {
    setVolume(m_volume + kVolumeStep);
}

void UCPlaybackStrip::slotVolumeDown() {
    setVolume(m_volume - kVolumeStep);
}

void UCPlaybackStrip::applyVolume() {
    if (m_page == nullptr) {
        return;
    }
    // The slider follows the ear: its middle sounds half as loud.
    const double linear = m_muted ? 0.0
                                  : QAudio::convertVolume(m_volume / 100.0,
                                                          QAudio::LogarithmicVolumeScale,
                                                          QAudio::LinearVolumeScale);
    m_page->setVolume(linear);
}

void UCPlaybackStrip::setMuteLook() {
    tbPBMute->setIcon(image(m_muted ? "bt_mute_nor_24.png" : "bt_volume_nor_24.png"));
    tbPBMute->setToolTip(withKeys(m_muted ? tr("Sound on") : tr("Sound off"), Command::Mute));
    hsPBVolume->setToolTip(QString("%1 (%2, %3)")
                               .arg(tr("Volume %1%").arg(m_volume),
                                    shortcuts::keysText(Command::VolumeDown),
                                    shortcuts::keysText(Command::VolumeUp)));
}

void UCPlaybackStrip::slotPBPauseContinue() {
    if (m_page == nullptr) {
        return;
    }
    emit commandIssued();
    if (m_page->playMode() == 2) {
        // At the end of the recordings the button offers play, which starts
        // them over.
        if (!m_page->isSelectedPaused() && !m_page->isSelectedFinished()) {
            setPlayLook();
            m_page->pause();
        } else {
            m_page->resume();
            setPauseLook();
        }
    }
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotPBChangeSpeed(int speedIndex) {
    if (m_page == nullptr || !isValidSpeedIndex(speedIndex)) {
        return;
    }
    emit commandIssued();
    m_page->setPlaySpeed(speedIndex);
    refreshPlaybackControls();
}

void UCPlaybackStrip::slotPBsliderMoved(int position) {
    if (position != 0) {
        hsPBSpeed->setStyleSheet(QString(kGrooveStyle) + kHandleMoving);
    }
}

void UCPlaybackStrip::sliderReleased() {
    setSliderQuietly(kSpeedIndexNormal);
    if (m_page != nullptr) {
        m_page->setPlaySpeed(kSpeedIndexNormal);
    }
    setNormalHandleStyle();
    refreshPlaybackControls();
}

void UCPlaybackStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

void UCPlaybackStrip::retranslate() {
    setButtonsEnabled(m_enabledLook);
    setMuteLook();
    if (m_showsPlay) {
        setPlayLook();
    } else {
        setPauseLook();
    }
}
