// The display page's sites: finding, making and handing over a site, and
// opening channels and recording sites into views.

#include "display/UCDisplayFramePrivate.h"

// ---------------------------------------------------------------------------
// Sites

ISite* UCDisplayFrame::findSite(qint64 key, int kind) const {
    const int pacing = kind == 1 ? 0 : 1;
    QMutexLocker lock(&m_viewsLock);
    for (GLWidget* view : m_views) {
        for (int s = 0; s < view->slotCount(); ++s) {
            ISite* site = view->sourceOf(s);
            if (!site) {
                continue;
            }
            const SiteParams* params = site->getParams();
            if (params && params->siteIdentity == key && params->pacing == pacing) {
                return site;
            }
        }
    }
    return nullptr;
}

ISite* UCDisplayFrame::createSite() const {
    ISite* site = nullptr;
    CreateSite(&site, kRecordingSiteKind);
    return site;
}

void UCDisplayFrame::fillSiteParams(SiteParams& p, qint64 key, const QByteArray& folder,
                                    const QDateTime& start, std::uint32_t mask) {
    p.pageIdentity = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(this));
    p.siteIdentity = key;
    p.folder = folder.toStdString();
    p.pacing = 1;
    // The views convert YUV to RGB in their shader: no conversion on the
    // decode threads and 2.7 times fewer bytes to copy and upload than RGBA
    // (bench_picture_path measures both).
    p.pictureFormat = PICTURE_YUV420;
    if (start.isValid()) {
        const QDate d = start.date();
        const QTime t = start.time();
        p.startDate = (d.year() * 100 + d.month()) * 100 + d.day();
        p.startTime = (t.hour() * 100 + t.minute()) * 100 + t.second();
    }
    p.channelMask = mask;
    std::fill(std::begin(p.channelOptions), std::end(p.channelOptions),
              static_cast<unsigned char>(g_config.streamType()));
    p.layoutValue = 9;
    p.serverAddress = g_config.p2pServerAddress().toStdString();
    p.serverPort = g_config.p2pServerPort();
    p.userId = g_config.p2pUserId().toStdString();
    p.userPassword = g_config.p2pUserPassword().toStdString();

    // Through the link: a site may outlive the page (see the threading
    // contract).
    const std::shared_ptr<SiteLink> link = m_link;
    p.onPicture = [link](PUSHVIDEO* v) { link->call([v](UCDisplayFrame* f) { f->onPicture(v); }); };
    p.onAudio = [link](_AUDIODATA* a) { link->call([a](UCDisplayFrame* f) { f->onAudio(a); }); };
    p.onSnapshot = [link](SNAPSHOT* s) {
        link->call([s](UCDisplayFrame* f) { f->onSnapshot(s); });
    };
    p.onRecDateInfo = [link](RECDATEINFO* r) {
        link->call([r](UCDisplayFrame* f) { f->onRecDateInfo(r); });
    };
    p.onRecordTable = [link](RECORDTABLEINFO* r) {
        link->call([r](UCDisplayFrame* f) { f->onRecordTable(r); });
    };
    p.onCalendar = [link](std::int64_t k) {
        link->call([k](UCDisplayFrame* f) { f->onCalendar(k); });
    };
    p.onNotice = [link](int a, int code, int r, char* msg, int kind, std::int64_t site) {
        link->call([&](UCDisplayFrame* f) { f->onNotice(a, code, r, msg, kind, site); });
    };
}

void UCDisplayFrame::destroySite(ISite* site) {
    if (!site) {
        return;
    }
    // Destroying a site joins its threads: that waits, so it happens on the
    // teardown thread. No view reaches the site any more; from here on only
    // that thread calls it.
    if (!m_teardown) {
        m_teardown = std::make_shared<CTeardownThread>();
    }
    const std::shared_ptr<SiteLink> link = m_link;
    link->teardowns.fetch_add(1);
    m_teardown->post([site, link] {
        site->stop();
        site->close();
        void* p = static_cast<IEngineObject*>(site);
        DestroyVCodec(&p);
        link->teardowns.fetch_sub(1);
    });
}

// ---------------------------------------------------------------------------
// Opening

ISite* UCDisplayFrame::prepareOpening(qint64 key, int kind, bool* isNew) {
    resetLayoutRect();
    m_relayoutGroup->stop();
    m_relayoutGroup->clear();

    ISite* site = findSite(key, kind);
    *isNew = site == nullptr;
    if (*isNew) {
        site = createSite();
        if (!site) {
            return nullptr;
        }
    }
    m_stateTimer.start();
    return site;
}

bool UCDisplayFrame::openChannel(qint64 key, int channel, QPoint point, int kind,
                                 const QDateTime& start) {
    if (!checkViewLimit(1)) {
        return false;
    }
    bool isNew = false;
    ISite* site = prepareOpening(key, kind, &isNew);
    if (!site) {
        return false;
    }
    GLWidget* view = createView(site, channel);

    int row = -1;
    int column = -1;
    QWidget* replaced = nullptr;
    int hitRow = -1;
    int hitColumn = -1;
    int zone = -1;
    QWidget* hitView = nullptr;
    if (point != QPoint(-1, -1) && m_layout->hitCell(point, hitRow, hitColumn, hitView, zone)) {
        switch (zone) {
            case DisplayLayoutGeometry::ZoneLeft:
                if (m_layout->columnCount() == 0) {
                    m_layout->appendColumn();
                } else {
                    m_layout->insertColumn(hitColumn);
                }
                row = hitRow;
                column = std::max(hitColumn, 0);
                break;
            case DisplayLayoutGeometry::ZoneRight:
                if (m_layout->columnCount() == 0) {
                    m_layout->appendColumn();
                } else {
                    m_layout->insertColumn(hitColumn + 1);
                }
                row = hitRow;
                column = std::min(hitColumn + 1, m_layout->columnCount() - 1);
                break;
            case DisplayLayoutGeometry::ZoneTop:
                if (m_layout->rowCount() == 0) {
                    m_layout->appendRow();
                } else {
                    m_layout->insertRow(hitRow);
                }
                row = std::max(hitRow, 0);
                column = hitColumn;
                break;
            case DisplayLayoutGeometry::ZoneBottom:
                if (m_layout->rowCount() == 0) {
                    m_layout->appendRow();
                } else {
                    m_layout->insertRow(hitRow + 1);
                }
                row = std::min(hitRow + 1, m_layout->rowCount() - 1);
                column = hitColumn;
                break;
            default:
                row = hitRow;
                column = hitColumn;
                replaced = hitView;
                break;
        }
    } else if (point != QPoint(-1, -1)) {
        m_layout->appendRow();
        if (m_layout->columnCount() == 0) {
            m_layout->appendColumn();
        }
    }
    // The replaced view leaves its cell first and is closed only after the
    // new view's channel is open: closing it first could close the very
    // site the new view shows.
    if (replaced) {
        QParallelAnimationGroup unplayed;  // it closes below; no shrink
        m_layout->removeView(replaced, &unplayed);
    }
    if (row < 0 || column < 0 || m_layout->viewAt(row, column) != nullptr ||
        m_layout->coveringViewAt(row, column) != nullptr) {
        if (!m_layout->firstEmptyCell(row, column)) {
            m_layout->grow();
            m_layout->firstEmptyCell(row, column);
        }
    }

    {
        QMutexLocker lock(&m_viewsLock);
        m_views.append(view);
    }
    if (!m_layout->addView(view, row, column)) {
        m_layout->grow();
        if (m_layout->firstEmptyCell(row, column)) {
            m_layout->addView(view, row, column);
        }
    }
    m_layout->update(m_relayoutGroup);
    m_relayoutGroup->start();

    if (isNew) {
        SiteParams params;
        fillSiteParams(params, key, QByteArray(), start, channelBit(channel));
        site->reset();
        if (!site->open(&params)) {
            qWarning() << "site did not open for channel" << channel;
        }
    } else {
        const SiteParams* params = site->getParams();
        site->addChannelsAt(channelBit(channel), params ? params->layoutValue : 0, 0, 0);
    }
    if (auto* old = qobject_cast<GLWidget*>(replaced)) {
        closeView(old);
    }
    if (selection().isEmpty()) {
        selectView(view);
    }
    return true;
}

bool UCDisplayFrame::openRecordingSite(qint64 key, QPoint point, int zone, int kind,
                                       const QDateTime& start, const QByteArray& folder) {
    if (!checkViewLimit(kSiteBlockViews)) {
        return false;
    }
    bool isNew = false;
    ISite* site = prepareOpening(key, kind, &isNew);
    if (!site) {
        return false;
    }

    constexpr int kSide = 3;  // ceil(sqrt(9))
    int hitRow = -1;
    int hitColumn = -1;
    QWidget* hitView = nullptr;
    int where = -1;
    if (point != QPoint(-1, -1)) {
        if (!m_layout->hitCell(point, hitRow, hitColumn, hitView, where)) {
            where = -1;
        }
    } else if (zone >= DisplayLayoutGeometry::ZoneLeft &&
               zone <= DisplayLayoutGeometry::ZoneBottom) {
        where = zone;
    }
    const bool empty = m_layout->rowCount() == 0 || m_layout->columnCount() == 0;
    switch (where) {
        case DisplayLayoutGeometry::ZoneLeft:
            if (empty) {
                m_layout->appendRow(kSide);
                m_layout->appendColumn(kSide);
            } else {
                m_layout->insertColumn(0, kSide);
            }
            break;
        case DisplayLayoutGeometry::ZoneRight:
            m_layout->appendColumn(kSide);
            break;
        case DisplayLayoutGeometry::ZoneTop:
            m_layout->insertRow(0, kSide);
            break;
        case DisplayLayoutGeometry::ZoneBottom:
            m_layout->appendRow(kSide);
            break;
        case DisplayLayoutGeometry::ZoneCentre:
            break;
        default:
            if (m_layout->rowCount() < kSide) {
                m_layout->appendRow(kSide - m_layout->rowCount());
            }
            if (m_layout->columnCount() < kSide) {
                m_layout->appendColumn(kSide - m_layout->columnCount());
            }
            break;
    }

    ChannelMask mask = 0;
    QList<GLWidget*> created;
    for (int channel = 0; channel < kSiteBlockViews; ++channel) {
        GLWidget* view = createView(site, channel);
        if (channel < 8) {
            mask |= channelBit(channel);
        }
        int row = -1;
        int column = -1;
        if (!m_layout->firstEmptyCell(row, column)) {
            m_layout->grow();
            m_layout->firstEmptyCell(row, column);
        }
        {
            QMutexLocker lock(&m_viewsLock);
            m_views.append(view);
        }
        m_layout->addView(view, row, column);
        created.append(view);
    }
    m_layout->update(m_relayoutGroup);
    m_relayoutGroup->start();

    if (isNew) {
        SiteParams params;
        fillSiteParams(params, key, folder, start, mask);
        site->reset();
        if (!site->open(&params)) {
            qWarning() << "recording site did not open:" << folder;
        }
    } else {
        const SiteParams* params = site->getParams();
        site->addChannelsAt(mask, params ? params->layoutValue : 0, 0, 0);
    }

    if (selection().isEmpty() && !created.isEmpty()) {
        selectView(created.first());
    }
    for (GLWidget* view : views()) {
        ISite* s = view->sourceOf(0);
        const SiteParams* params = s ? s->getParams() : nullptr;
        const int channel = view->channelOf(0);
        if (params && params->siteIdentity == key && channel >= 0 && channel < 8) {
            view->setTopText(kTopTitle, QStringLiteral("%1. %2").arg(channel + 1).arg(QString()));
        }
    }
    return true;
}

void UCDisplayFrame::slotCreateSiteItem(qint64 _id, QPoint _pt) {
    int row = -1;
    int column = -1;
    int zone = -1;
    QWidget* hit = nullptr;
    if (m_layout->hitCell(_pt, row, column, hit, zone) &&
        zone == DisplayLayoutGeometry::ZoneCentre && hit) {
        return;
    }
    openRecordingSite(_id, _pt, DisplayLayoutGeometry::ZoneCentre, 2, QDateTime::currentDateTime(),
                      QByteArray());
    emit signalDisplayFrameToMain(1);
}

void UCDisplayFrame::slotCreateChannelItem(qint64 _id, int _channelNum, QPoint _pt) {
    openChannel(_id, _channelNum, _pt, 1, QDateTime::currentDateTime());
    emit signalDisplayFrameToMain(1);
}

void UCDisplayFrame::slotCloseWidgetFromLayout(QWidget* _widget) {
    closeView(qobject_cast<GLWidget*>(_widget));
}

void UCDisplayFrame::slotCloseClicked(GLWidget* _widget) {
    closeView(_widget);
    const QList<GLWidget*> rest = views();
    if (rest.isEmpty()) {
        closeAllViews();
    } else if (selection().isEmpty()) {
        selectView(rest.first());
    }
}
