// What the page's sites call back with (engine threads), its handling on
// the GUI thread, and the page's audio output.

#include "display/UCDisplayFramePrivate.h"

// ---------------------------------------------------------------------------
// Site callbacks (engine threads)

void UCDisplayFrame::onPicture(PUSHVIDEO* picture) {
    if (!picture) {
        return;
    }
    // The views lock is held only to pick the views that show the channel;
    // the copies are made without it, into slots that stay alive (shared)
    // even if their view closes meanwhile. Decode threads of different
    // channels hand over at the same time, and the GUI thread never waits
    // for a copy.
    struct Target {
        GLWidget* view;  // identity only, for the queued texts
        std::shared_ptr<PictureSlots> pictures;
    };
    QVarLengthArray<Target, 4> targets;
    {
        QMutexLocker viewsLock(&m_viewsLock);
        for (GLWidget* view : std::as_const(m_views)) {
            std::shared_ptr<PictureSlots> pictures = view->pictures();
            if (pictures->shows(picture->siteKey, picture->channel)) {
                targets.append({view, std::move(pictures)});
            }
        }
    }
    if (targets.isEmpty()) {
        return;
    }
    PictureFrame frame;
    frame.format = picture->format;
    frame.fullRange = picture->fullRange;
    for (int i = 0; i < 3; ++i) {
        frame.planes[i] = picture->planes[i];
        frame.lineSizes[i] = picture->lineSizes[i];
    }
    frame.width = picture->width;
    frame.height = picture->height;
    frame.date = picture->date;
    frame.time = picture->time;
    // A decoded YUV picture comes with a reference that keeps it alive: the
    // slots hold that instead of copying the picture.
    frame.keep = picture->keep;

    // The texts are the same for every view of the channel. The site is alive
    // while its decode thread calls here.
    ISite* site = reinterpret_cast<ISite*>(static_cast<std::intptr_t>(picture->siteKey));
    const SiteParams* params = site->getParams();
    QString mode;
    if (params && params->pacing == 0) {
        mode = tr("LIVE");
    } else {
        mode = site->getPlayMode(nullptr) == kModePaused ? tr("PAUSED") : tr("PLAY");
    }
    const int d = picture->date;
    const int t = picture->time;
    const QString resolution = QStringLiteral("%1 x %2").arg(picture->width).arg(picture->height);
    const QString title = QStringLiteral("%1. %2")
                              .arg(picture->channel + 1)
                              .arg(QString::fromLocal8Bit(picture->text.c_str()));
    const QString dateTime =
        QStringLiteral("%1/%2/%3 %4:%5:%6")
            .arg(twoDigits(d / 100 % 100), twoDigits(d % 100), twoDigits(d / 10000),
                 twoDigits(t / 10000), twoDigits(t / 100 % 100), twoDigits(t % 100));

    bool stored = false;
    for (const Target& target : targets) {
        const int slot = target.pictures->put(frame, picture->siteKey, picture->channel);
        if (slot < 0) {
            continue;
        }
        stored = true;
        // Only texts that change something travel to the GUI thread: every
        // queued text costs it an event and the bar a repaint.
        PictureSlots& pictures = *target.pictures;
        if (pictures.textDiffers(kBottomMode, mode)) {
            emit signalPrintBottomText(target.view, kBottomMode, mode);
        }
        if (slot != 0) {
            continue;
        }
        if (pictures.textDiffers(kBottomResolution, resolution)) {
            emit signalPrintBottomText(target.view, kBottomResolution, resolution);
        }
        if (pictures.textDiffers(PictureSlots::kTopTextKind + kTopTitle, title)) {
            emit signalPrintTopText(target.view, kTopTitle, title);
        }
        if (pictures.textDiffers(kBottomDateTime, dateTime)) {
            emit signalPrintBottomText(target.view, kBottomDateTime, dateTime);
        }
    }
    // The GUI thread repaints the views with a new picture as soon as it can;
    // one request stands for any number of pictures until it runs.
    if (stored && !m_refreshRequested.exchange(true)) {
        QMetaObject::invokeMethod(this, &UCDisplayFrame::rotateOneStep, Qt::QueuedConnection);
    }
}

void UCDisplayFrame::onAudio(_AUDIODATA* block) {
    if (!block || !block->data || block->length <= 0) {
        return;
    }
    {
        QMutexLocker lock(&m_viewsLock);
        if (m_selection.isEmpty()) {
            return;
        }
        GLWidget* first = m_selection.first();
        if (first->sourceKeyOf(0) != block->siteKey || first->channelOf(0) != block->channel) {
            return;
        }
    }
    QAudioFormat format;
    format.setSampleSize(block->param1);
    format.setSampleRate(block->param2);
    format.setChannelCount(block->param3);
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setSampleType(QAudioFormat::SignedInt);
    if (!format.isValid()) {
        return;
    }
    {
        QMutexLocker lock(&m_audioFormatLock);
        if (format != m_pendingFormat) {
            m_pendingFormat = format;
            m_audioDevice->clear();
            if (!m_formatChangeQueued) {
                m_formatChangeQueued = true;
                QMetaObject::invokeMethod(this, &UCDisplayFrame::slotApplyAudioFormat,
                                          Qt::QueuedConnection);
            }
        }
    }
    const int frame = std::max(1, block->param3 * block->param1 / 8);
    // The site's audio thread is not paced by the presentation clock; the
    // output's consumption paces it. The wait is bounded, and skipped while
    // nothing plays (no device) or a site is being torn down.
    const qint64 lead = qint64{block->param2} * frame * kAudioLeadMs / 1000;
    for (int waited = 0; waited < kMaxAudioWaitMs && m_audioPlaying.load() &&
                         m_link->teardowns.load() == 0 && m_audioDevice->bufferedBytes() > lead;
         waited += kAudioWaitStepMs) {
        QThread::msleep(kAudioWaitStepMs);
    }
    m_audioDevice->append(reinterpret_cast<const char*>(block->data), block->length, frame);
}

void UCDisplayFrame::onSnapshot(SNAPSHOT* record) {
    if (!record) {
        return;
    }
    SNAPSHOT* copy = nullptr;
    {
        QMutexLocker lock(&m_snapshotLock);
        m_snapshots.push_back(std::make_unique<SNAPSHOT>(*record));
        copy = m_snapshots.back().get();
    }
    emit singalArriveSnapShot(copy);
    emit signalDestroyThumbSession(copy->siteIdentity, copy->session);
}

void UCDisplayFrame::onRecDateInfo(RECDATEINFO* record) {
    if (!record) {
        return;
    }
    RECDATEINFO* copy = nullptr;
    {
        QMutexLocker lock(&m_dateInfoLock);
        m_dateInfos.push_back(std::make_unique<RECDATEINFO>(*record));
        copy = m_dateInfos.back().get();
    }
    emit singalArriveRecDateInfo(copy);
    emit signalDestroyRecDateInfoSession(copy->siteIdentity, copy->session);
}

void UCDisplayFrame::onRecordTable(RECORDTABLEINFO* record) {
    emit singalArriveRecordInfo(record);
}

void UCDisplayFrame::onCalendar(std::int64_t key) {
    emit signalReceiveCalendar(key);
}

void UCDisplayFrame::onNotice(int key, int code, int /*reserved*/, char* message, int kind,
                              std::int64_t /*site*/) {
    if (kind != 1) {
        return;
    }
    // g_config is GUI-thread data; the flag is read once per notice and a
    // stale answer only decides whether a reconnect notice is shown.
    if (g_config.enableReconnect() && (code < 4 || code > 7)) {
        return;
    }
    emit signalNetworkError(key, code, QString::fromLocal8Bit(message ? message : ""));
}

// ---------------------------------------------------------------------------
// GUI-side handling of what the callbacks sent

void UCDisplayFrame::rotateOneStep() {
    // Only views with a new picture repaint. Cleared first: a picture handed
    // over from here on asks again.
    m_refreshRequested.store(false);
    QMutexLocker lock(&m_viewsLock);
    for (GLWidget* view : std::as_const(m_views)) {
        if (view->hasPendingPicture()) {
            view->update();
        }
    }
}

void UCDisplayFrame::refreshPlayStates() {
    // Sites are asked without the views lock: a decode thread holds it while
    // it hands a picture over.
    QHash<ISite*, bool> finished;
    bool anySite = false;
    for (GLWidget* view : views()) {
        ISite* site = view->sourceOf(0);
        if (!isPacing(site)) {
            continue;
        }
        anySite = true;
        if (!finished.contains(site)) {
            finished.insert(site, site->isFinished());
        }
        // A channel the site does not play (the ninth view of a block) is
        // never quiet and keeps its own text.
        const bool quiet = site->isChannelQuiet(view->channelOf(0));
        const PlayState state = !quiet                 ? PlayState::Playing
                                : finished.value(site) ? PlayState::Finished
                                                       : PlayState::Quiet;
        const PlayState before = m_playStates.value(view, PlayState::Playing);
        m_playStates.insert(view, state);
        if (state == PlayState::Finished && before != PlayState::Finished) {
            view->setBottomText(kBottomMode, tr("END"));
        } else if (state == PlayState::Quiet) {
            if (before != PlayState::Quiet) {
                view->setBottomText(kBottomMode, tr("NO RECORDING"));
                view->setBottomText(kBottomDateTime, QString());
            }
            showBlankPicture(view);
        }
    }
    if (!anySite) {
        m_stateTimer.stop();
    }
}

void UCDisplayFrame::showBlankPicture(GLWidget* view) {
    // The last picture of a channel with nothing at the play position would
    // pass for the present one. It is replaced until the channel plays again
    // (a picture still waiting to be painted refuses the blank: tried again
    // on the next round).
    QDateTime shown;
    if (!view->dateTimeOf(0, shown) || !shown.date().isValid()) {
        return;
    }
    if (m_blankPicture.isNull()) {
        m_blankPicture = QImage(QString::fromLatin1(GLWidget::kBlankPicture))
                             .convertToFormat(QImage::Format_RGBA8888);
        if (m_blankPicture.isNull()) {
            return;
        }
    }
    view->setImage(m_blankPicture.constBits(), m_blankPicture.width(), m_blankPicture.height(),
                   view->sourceKeyOf(0), view->channelOf(0), 0, 0);
    // Views repaint only when asked.
    view->update();
}

bool UCDisplayFrame::isSelectedFinished() {
    GLWidget* first = firstSelected();
    ISite* site = first ? first->sourceOf(0) : nullptr;
    return isPacing(site) && site->isFinished();
}

bool UCDisplayFrame::takesPictureTexts(GLWidget* view) const {
    // A queued text may arrive after its view was closed, or after the view
    // was detached from its site (whose error text must stay).
    return indexOfView(view) >= 0 && view->sourceOf(0) != nullptr;
}

void UCDisplayFrame::slotPrintTopText(GLWidget* _widget, int _textType, QString _text) {
    if (takesPictureTexts(_widget)) {
        _widget->setTopText(_textType, _text);
    }
}

void UCDisplayFrame::slotPrintBottomText(GLWidget* _widget, int _textType, QString _text) {
    if (takesPictureTexts(_widget)) {
        _widget->setBottomText(_textType, _text);
    }
}

void UCDisplayFrame::slotNetworkError(int _key, int /*_code*/, QString _msg) {
    ISite* site = nullptr;
    QList<GLWidget*> affected;
    {
        QMutexLocker lock(&m_viewsLock);
        for (GLWidget* view : m_views) {
            ISite* s = view->sourceOf(0);
            const SiteParams* params = s ? s->getParams() : nullptr;
            if (params && params->siteIdentity == _key) {
                site = s;
                break;
            }
        }
        if (!site) {
            return;
        }
        for (GLWidget* view : m_views) {
            for (int i = 0; i < view->slotCount(); ++i) {
                if (view->sourceOf(i) == site) {
                    affected.append(view);
                    break;
                }
            }
        }
    }
    for (GLWidget* view : affected) {
        view->setSource(nullptr, 0, -1);
        view->setBottomText(kBottomMode, _msg);
    }
    destroySite(site);
}

void UCDisplayFrame::slotDestroyThumbSession(qint64 _site, qint64 _session) {
    for (GLWidget* view : views()) {
        ISite* s = view->sourceOf(0);
        const SiteParams* params = s ? s->getParams() : nullptr;
        if (params && params->siteIdentity == _site) {
            if (!s->hasPendingRequest(ISite::SESSION_SNAPSHOT)) {
                s->closeSession(ISite::SESSION_SNAPSHOT, _session);
            }
            return;
        }
    }
}

void UCDisplayFrame::slotDestroyRecDateInfoSession(qint64 _site, qint64 _session) {
    for (GLWidget* view : views()) {
        ISite* s = view->sourceOf(0);
        const SiteParams* params = s ? s->getParams() : nullptr;
        if (params && params->siteIdentity == _site) {
            if (!s->hasPendingRequest(ISite::SESSION_DATE_INFO)) {
                s->closeSession(ISite::SESSION_DATE_INFO, _session);
            }
            return;
        }
    }
}

void UCDisplayFrame::requestRecDateInfo(int /*date*/) {
    // Recording-file sites keep no per-day record sessions; there is nothing
    // to ask for.
}

void UCDisplayFrame::releaseRecDateInfo(void* record) {
    QMutexLocker lock(&m_dateInfoLock);
    m_dateInfos.erase(std::remove_if(m_dateInfos.begin(), m_dateInfos.end(),
                                     [record](const std::unique_ptr<RECDATEINFO>& r) {
                                         return r.get() == record;
                                     }),
                      m_dateInfos.end());
}

void UCDisplayFrame::releaseSnapShot(void* record) {
    QMutexLocker lock(&m_snapshotLock);
    m_snapshots.erase(
        std::remove_if(m_snapshots.begin(), m_snapshots.end(),
                       [record](const std::unique_ptr<SNAPSHOT>& r) { return r.get() == record; }),
        m_snapshots.end());
}

// ---------------------------------------------------------------------------
// Audio output (GUI thread)

void UCDisplayFrame::slotApplyAudioFormat() {
    QAudioFormat format;
    {
        QMutexLocker lock(&m_audioFormatLock);
        m_formatChangeQueued = false;
        format = m_pendingFormat;
    }
    if (m_closed) {
        return;
    }
    if (m_audioOutput && format == m_audioFormat) {
        return;
    }
    m_audioFormat = format;
    if (m_audioOutput) {
        m_audioPlaying = false;
        m_audioOutput->stop();
        delete m_audioOutput;
        m_audioOutput = nullptr;
    }
    QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull() || !device.isFormatSupported(format)) {
        device = QAudioDeviceInfo();
        const auto all = QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
        for (const QAudioDeviceInfo& candidate : all) {
            if (candidate.isFormatSupported(format)) {
                device = candidate;
                break;
            }
        }
    }
    if (device.isNull()) {
        // No device plays this format: the PCM keeps flowing into the
        // bounded buffer and is dropped there.
        m_audioUnavailable = true;
        return;
    }
    m_audioUnavailable = false;
    m_audioOutput = new QAudioOutput(device, format, this);
    m_audioOutput->setVolume(m_volume);
    QAudioOutput* output = m_audioOutput;
    connect(output, &QAudioOutput::stateChanged, this, [this, output](QAudio::State state) {
        // A device that fails later no longer drains the buffer.
        if (output == m_audioOutput) {
            m_audioPlaying = state != QAudio::StoppedState || output->error() == QAudio::NoError;
        }
    });
    m_audioOutput->start(m_audioDevice);
    m_audioPlaying = m_audioOutput->error() == QAudio::NoError;
}

qint64 UCDisplayFrame::bufferedAudioBytes() const {
    return m_audioDevice->bufferedBytes();
}

void UCDisplayFrame::setVolume(qreal volume) {
    m_volume = std::clamp<qreal>(volume, 0.0, 1.0);
    if (m_audioOutput) {
        m_audioOutput->setVolume(m_volume);
    }
}
