// The main window: construction, the heartbeat, the pages, full screen and
// the remembered session.

#include "app/Korvel.h"
#include "app/KorvelParts.h"

Korvel::Korvel(QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::Korvel>()),
      m_teardown(std::make_shared<CTeardownThread>()) {
    g_config.load();
    g_config.save();

    ui->setupUi(this);

    // Context menus.
    connect(ui->twSiteList, &QWidget::customContextMenuRequested, this,
            &Korvel::slotSiteListContextMenu);
    connect(ui->twDisplay, &QWidget::customContextMenuRequested, this,
            &Korvel::slotDisplayContextMenu);
    buildContextMenus();

    // Bars and grips over the display area.
    ui->wgLeftBar->raise();
    ui->wgRightBar->raise();
    ui->wgBottomBar->raise();
    auto* topGrip = new QSizeGrip(ui->frame_4);
    topGrip->setStyleSheet(
        "QSizeGrip { background-color: rgba(255, 255, 255, 0);width:10px; height:32px;}");
    ui->hlWindowButtons->addWidget(topGrip, 0, Qt::AlignBottom | Qt::AlignRight);
    for (int i = 0; i < 4; ++i) {
        auto* grip = new QSizeGrip(ui->centralWidget);
        grip->setStyleSheet("QSizeGrip { background-color: rgba(255, 255, 255, 0); }");
        m_edgeGrips.append(grip);
    }

    m_cardRoot = initialCardRoot();
    m_currentFolder = initialCardRoot();
    m_useMph = readOuts::readUseMph();
    ui->lbSpeed_2->setText(readOuts::speedUnitText(m_useMph));

    ui->twDisplay->tabBar()->hide();
    ui->labelTopLogo->setPixmap(QPixmap(":/Korvel/images/top_logo.png"));
    ui->labelLogo->setPixmap(QPixmap(":/Korvel/images/logo.png"));

    setButtonImage(ui->pbConfig, "top_config_nor_24.png");
    setButtonImage(ui->pbHelp, "top_help_nor_24.png");
    setButtonImage(ui->pbMinimize, "top_minimize_nor_24.png");
    setButtonImage(ui->pbMaximize, "top_expend_nor_24.png");
    setButtonImage(ui->pbClose, "top_close_nor_24.png");
    setButtonImage(ui->pbLayout1, "bt_layout1_nor_32.png");
    setButtonImage(ui->pbLayout4, "bt_layout4_nor_32.png");
    setButtonImage(ui->pbLayout9, "bt_layout9_nor_32.png");
    setButtonImage(ui->pbPrevious, "bt_previous_nor_32.png");
    setButtonImage(ui->pbNext, "bt_next_nor_32.png");
    setButtonImage(ui->pbpopmap, "bt_popmap_nor_16.png");
    updateEdgeButtons();

    // Opening a card sits first among the top bar's buttons.
    auto* open = new QPushButton(ui->frame_4);
    open->setObjectName("pbOpen");
    open->setMinimumSize(ui->pbConfig->minimumSize());
    open->setMaximumSize(ui->pbConfig->maximumSize());
    open->setIconSize(ui->pbConfig->iconSize());
    open->setFocusPolicy(Qt::NoFocus);
    open->setFlat(true);
    setButtonImage(open, "top_open_nor_24.png");
    ui->hlWindowButtons->insertWidget(0, open);
    connect(open, &QPushButton::clicked, this, &Korvel::slotOpenFolderDialog);

    // The day timeline heads the bottom bar, under the views.
    m_timeline = new UCDayTimeline(ui->wgBottomBar);
    m_timeline->setFixedHeight(kTimelineHeight);
    ui->vlBottomBar->insertWidget(1, m_timeline);
    connect(m_timeline, &UCDayTimeline::seekRequested, this, &Korvel::slotTimelineSeek);

    slotCreateDisplay(tr("Layout 1"));

    connect(ui->twSiteList, &QAbstractItemView::doubleClicked, this, &Korvel::OnFolderListClicked);
    connect(ui->twFileList, &QAbstractItemView::doubleClicked, this, &Korvel::OnFileListClicked);
    connect(this, &Korvel::signalFillFileList, this, &Korvel::slotFillFileList);
    connect(&m_checkTimer, &QTimer::timeout, this, &Korvel::slotCheckTimer);
    connect(&m_focusTimer, &QTimer::timeout, this, &Korvel::slotAfterFocusChanged);
    connect(ui->pbLayout1, &QAbstractButton::clicked, this, &Korvel::slotClickScreenMode);
    connect(ui->pbLayout4, &QAbstractButton::clicked, this, &Korvel::slotClickScreenMode);
    connect(ui->pbLayout9, &QAbstractButton::clicked, this, &Korvel::slotClickScreenMode);
    connect(ui->pbPrevious, &QAbstractButton::clicked, this, &Korvel::slotClickScreenModeNP);
    connect(ui->pbNext, &QAbstractButton::clicked, this, &Korvel::slotClickScreenModeNP);
    connect(ui->pbShowHideLeftBar, &QAbstractButton::clicked, this, &Korvel::slotShowHideLeftbar);
    connect(ui->pbShowHideRightBar, &QAbstractButton::clicked, this, &Korvel::slotShowHideRightbar);
    connect(ui->pbShowHideBottomBar, &QAbstractButton::clicked, this,
            &Korvel::slotShowHideBottombar);
    connect(ui->pbConfig, &QAbstractButton::clicked, this, &Korvel::slotConfig);
    connect(ui->pbHelp, &QAbstractButton::clicked, this, &Korvel::slotHelp);
    connect(ui->pbMinimize, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    connect(ui->pbMaximize, &QAbstractButton::clicked, this, &Korvel::slotShowMaximize);
    connect(ui->pbClose, &QAbstractButton::clicked, this, &Korvel::slotCloseDlg);
    connect(ui->pbpopmap, &QAbstractButton::clicked, this, &Korvel::slotPopupMap);

    // Export, beside the setup button.
    auto* exportButton = new QPushButton(ui->frame_4);
    exportButton->setObjectName("pbExport");
    exportButton->setFixedSize(ui->pbConfig->size());
    exportButton->setIconSize(ui->pbConfig->iconSize());
    exportButton->setFocusPolicy(Qt::NoFocus);
    exportButton->setFlat(true);
    exportButton->setStyleSheet(ui->pbConfig->styleSheet());
    exportButton->setToolTip(
        shortcuts::withKeys(UCDlgExport::tr("Export"), shortcuts::Command::Export));
    setButtonImage(exportButton, "top_export_nor_24.png");
    ui->hlWindowButtons->insertWidget(ui->hlWindowButtons->indexOf(ui->pbConfig), exportButton);
    connect(exportButton, &QPushButton::clicked, this, [this] { openExportDialog(); });

    setMouseTracking(true);
    ui->centralWidget->setMouseTracking(true);
    qApp->installEventFilter(this);
    setAcceptDrops(true);
    buildShortcuts();
    connect(ui->wgPlayControls, &UCPlaybackStrip::commandIssued, this, [this] { userCommand(); });

    // Speed and G-sensor area.
    ui->wgGsensor->setStyleSheet("background-image: url(:/Korvel/images/menu_bg.9.png);");
    ui->wgDigitSpeed->setStyleSheet("background-image: url(:/Korvel/images/menu_bg.9.png);");
    QFont gsensorFont("Tahoma");
    gsensorFont.setPixelSize(10);
    gsensorFont.setWeight(QFont::Normal);
    ui->wgGsensor->setFont(gsensorFont);
    auto* speedBox = new QHBoxLayout(ui->wgDigitSpeed);
    speedBox->setContentsMargins(4, 4, 4, 4);
    m_speedLcd = new QLCDNumber(3, ui->wgDigitSpeed);
    m_speedLcd->setObjectName("lcdSpeed");
    m_speedLcd->setSegmentStyle(QLCDNumber::Flat);
    m_speedLcd->setFrameShape(QFrame::NoFrame);
    // The style sheet's text colour would override the palette.
    m_speedLcd->setStyleSheet("QLCDNumber { background: transparent; color: yellow; }");
    QPalette lcdPalette = m_speedLcd->palette();
    lcdPalette.setColor(QPalette::WindowText, Qt::yellow);
    m_speedLcd->setPalette(lcdPalette);
    m_speedLcd->display(0);
    speedBox->addWidget(m_speedLcd);
    m_gsensorBuffer = std::make_unique<GsensorHourBuffer>();
    auto* graphBox = new QHBoxLayout(ui->wgGsensor);
    graphBox->setContentsMargins(0, 0, 0, 0);
    m_gsensorPlot = new GsensorPlot(ui->wgGsensor);
    m_gsensorPlot->setObjectName("GSensroGraphWidget");
    m_gsensorPlot->setStyleSheet("color:white; font: 10pt \"Tahoma\";");
    m_gsensorPlot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    graphBox->addWidget(m_gsensorPlot);
    connect(m_gsensorPlot, &GsensorPlot::signalGsensorSearch, this, &Korvel::slotSearchGsensor);

    buildFolderModel();
    ui->twFileList->setSortingEnabled(true);
    ui->twFileList->sortByColumn(0, Qt::AscendingOrder);
    ui->twFileList->setColumnWidth(0, 150);
    ui->twFileList->setIconSize(QSize(16, 16));

    showBusyIndicator();
    emit signalFillFileList(m_currentFolder, QStringList() << kSsfFilter);

    auto* mapBox = new QVBoxLayout(ui->wgMap);
    mapBox->setSpacing(0);
    mapBox->setContentsMargins(2, 0, 1, 0);
    m_mapView = new CMapView(ui->wgMap);
    mapBox->addWidget(m_mapView);
    buildDayOverview();

    m_checkTimer.start(50);
    m_startTime = QDateTime::currentDateTime();
    m_keepAwake = std::make_unique<KeepAwake>(tr("Playing recordings"));

    placeBars();
    slotShowHideBottombar();
}

Korvel::~Korvel() {
    qApp->removeEventFilter(this);
    m_checkTimer.stop();
    m_focusTimer.stop();
    m_fileList.cancel();
    stopSpans(true);
    // Pages close (sites, sound) while the window is still whole; closing
    // the window has done it already.
    std::vector<std::unique_ptr<IDisplayPage>> pages = std::move(m_pages);
    m_currentPage = nullptr;
    ui->wgPlayControls->setPage(nullptr);
    for (const auto& page : pages) {
        page->closePage();
    }
    // Quitting: what was handed over (sites, cancelled scans that still hold
    // the window's address) ends before the window does.
    m_teardown->waitIdle();
}

UCPlaybackStrip* Korvel::playbackStrip() const {
    return ui->wgPlayControls;
}

// ------------------------------------------------------------------ heartbeat

void Korvel::slotCheckTimer() {
    if (m_currentPage != nullptr) {
        if (GPSDATA* gps = m_currentPage->latestGps(); gps != nullptr && gps->isNew) {
            gps->isNew = false;
            ui->lbN->setText(readOuts::latitudeText(gps->latitude));
            ui->lbE->setText(readOuts::longitudeText(gps->longitude));
            m_hasPosition = true;
            m_lastLatitude = gps->latitude;
            m_lastLongitude = gps->longitude;
            m_mapView->setPosition(gps->latitude, gps->longitude);
            // The map dialogs follow through this signal.
            emit signalchangemappos(gps->latitude, gps->longitude);
            showSpeed(gps->speed);
        }
        if (GSENSORDATA* g = m_currentPage->latestGsensor(); g != nullptr && g->isNew) {
            m_currentPage->clearGsensorFlag();
            g->isNew = false;
            ui->lbX->setText(readOuts::axisText(g->x));
            ui->lbY->setText(readOuts::axisText(g->y));
            ui->lbZ->setText(readOuts::axisText(g->z));
        }
    }

    QDateTime playing;
    bool known = false;
    if (m_currentPage != nullptr) {
        known = m_currentPage->currentDateTime(playing) || m_currentPage->firstDateTime(playing);
    }
    if (!known) {
        if (m_currentPage != nullptr && m_currentPage->viewCount() > 0) {
            // Views without a picture to tell the time (just after a jump,
            // or no recording at the play position): the read-outs keep the
            // last play time rather than turn to today's date.
            ui->wgPlayControls->refreshPlaybackControls();
            return;
        }
        playing = QDateTime::currentDateTime();
    }
    const QDate day = playing.date();
    const QString dateText = readOuts::dateText(day);
    if (dateText != m_shownDate) {
        m_shownDate = dateText;
        ui->lbDate->setText(dateText);
    }
    if (day.isValid()) {
        ui->lbTime->setText(playing.time().toString("hh:mm:ss"));
        loadGsensorLog(day.year() * 10000 + day.month() * 100 + day.day(), playing.time().hour());
    }
    m_dayOverview->setPlayPosition(known ? playing : QDateTime());
    QDateTime presented;
    const bool hasPicture = m_currentPage != nullptr && m_currentPage->currentDateTime(presented);
    if (hasPicture && presented.date() == m_timeline->day()) {
        m_timeline->setPosition(presented.time().msecsSinceStartOfDay());
    } else if (m_currentPage == nullptr || m_currentPage->viewCount() == 0) {
        m_timeline->setPosition(-1);
    }
    if (m_pauseOnFirstPicture && hasPicture) {
        // A restored day waits on its first picture instead of playing on.
        m_pauseOnFirstPicture = false;
        m_currentPage->pause();
    }
    ui->wgPlayControls->refreshPlaybackControls();
}

void Korvel::showSpeed(double knots) {
    m_speedLcd->display(readOuts::speedValue(knots, m_useMph));
    ui->lbSpeed_2->setText(readOuts::speedUnitText(m_useMph));
}

// ---------------------------------------------------------------------- pages

void Korvel::slotCreateDisplay(QString _title) {
    if (_title == "SITE_DROP" || _title == "CHANNEL_DROP") {
        _title.clear();
    }
    if (!m_pages.empty()) {
        return;
    }
    std::unique_ptr<IDisplayPage> page = createDisplayPage(this, ui->twDisplay, m_teardown);
    IDisplayPage* raw = page.get();
    if (auto* frame = qobject_cast<UCDisplayFrame*>(raw->widget())) {
        wirePage(frame);
    }
    m_pages.push_back(std::move(page));
    ui->twDisplay->addTab(raw->widget(), QString());
    ui->twDisplay->setCurrentWidget(raw->widget());
    setCurrentPage(raw);
}

void Korvel::wirePage(UCDisplayFrame* frame) {
    connect(frame, &UCDisplayFrame::signalCloseDisplay, this, &Korvel::slotCloseDisplay);
    connect(frame, &UCDisplayFrame::signalSetDisplayFocused, this, &Korvel::slotSetDisplayFocused);
    connect(frame, &UCDisplayFrame::signalChangeFocus, this, &Korvel::slotFocusChange);
    connect(frame, &UCDisplayFrame::singalArriveRecDateInfo, this, &Korvel::slotArriveRecDateInfo);
    connect(frame, &UCDisplayFrame::signalDoubleClickOnView, this, &Korvel::slotDoubleClickOnView);
    pushBarsTo(frame);
}

void Korvel::slotRemoveDisplay(QString _title) {
    if (m_pages.size() <= 1 || m_currentPage == nullptr) {
        return;
    }
    const int tab = ui->twDisplay->indexOf(m_currentPage->widget());
    if (!_title.isEmpty() && _title != ui->twDisplay->tabText(tab)) {
        return;
    }
    IDisplayPage* page = m_currentPage;
    setCurrentPage(nullptr);
    page->closePage();  // the page's close signal drops its adapter
    ui->twDisplay->removeTab(tab);
    ui->twDisplay->setCurrentIndex(0);
    setCurrentPage(pageOf(ui->twDisplay->currentWidget()));
}

void Korvel::slotActivateTabHeader(int index) {
    setCurrentPage(pageOf(ui->twDisplay->widget(index)));
}

IDisplayPage* Korvel::pageOf(QWidget* frame) const {
    for (const auto& page : m_pages) {
        if (frame != nullptr && page->widget() == frame) {
            return page.get();
        }
    }
    return nullptr;
}

void Korvel::setCurrentPage(IDisplayPage* page) {
    m_currentPage = page;
    ui->wgPlayControls->setPage(page);
}

void Korvel::slotCloseAll() {
    for (const auto& page : m_pages) {
        page->closeAllViews();
    }
    clearReadOuts();
}

void Korvel::clearReadOuts() {
    // Nothing plays any more: no speed, position or G-sensor values are left
    // standing as if they were current.
    m_speedLcd->display(0);
    ui->lbN->setText(QStringLiteral(" 0 N "));
    ui->lbE->setText(QStringLiteral(" 0 E "));
    ui->lbX->setText(QStringLiteral("0"));
    ui->lbY->setText(QStringLiteral("0"));
    ui->lbZ->setText(QStringLiteral("0"));
    m_hasPosition = false;
    ui->wgPlayControls->refreshPlaybackControls();
}

void Korvel::slotCloseDisplay(UCDisplayFrame* _frame) {
    QWidget* frame = static_cast<QWidget*>(_frame);
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
        if ((*it)->widget() == frame || (*it)->widget() == nullptr) {
            const bool current = m_currentPage == it->get();
            if (current) {
                setCurrentPage(nullptr);
            }
            m_pages.erase(it);
            if (current) {
                clearReadOuts();
            }
            return;
        }
    }
}

void Korvel::slotSetDisplayFocused(UCDisplayFrame* _frame) {
    if (IDisplayPage* page = pageOf(static_cast<QWidget*>(_frame))) {
        setCurrentPage(page);
    }
}

void Korvel::slotFocusChange(UCDisplayFrame* _frame, QWidget*) {
    slotSetDisplayFocused(_frame);
    m_focusTimer.start(1000);
}

void Korvel::slotAfterFocusChanged() {
    m_focusTimer.stop();
    // The recording dates serve the calendar, which holds today's date here.
    if (m_currentPage != nullptr) {
        const QDate today = QDate::currentDate();
        m_currentPage->requestRecDateInfo(today.year() * 10000 + today.month() * 100 + today.day());
    }
}

void Korvel::slotArriveRecDateInfo(void* _info) {
    // Nothing here shows recording dates: the record goes straight back.
    if (m_currentPage != nullptr && _info != nullptr) {
        m_currentPage->releaseRecDateInfo(_info);
    }
}

void Korvel::slotDoubleClickOnView(UCDisplayFrame* _frame, GLWidget* _widget) {
    auto* frame = static_cast<QWidget*>(_frame);
    if (frame == nullptr || _widget == nullptr) {
        return;
    }
    if (_widget->isEnlarged()) {
        _widget->animateEnlarge(false, QRect());
        return;
    }
    QRect area = frame->rect();
    const QRect left = slotLeftBarGeometry();
    const QRect right = slotRightBarGeometry();
    const QRect bottom = slotBottomBarGeometry();
    if (m_leftBarShown) {
        area.setLeft(std::max(area.left(), left.right() + 1));
    }
    if (m_rightBarShown) {
        area.setRight(std::min(area.right(), right.left() - 1));
    }
    if (m_bottomBarShown) {
        area.setBottom(std::min(area.bottom(), bottom.top() - 1));
    }
    area.adjust(g_config.leftSpace(), g_config.topSpace(), -g_config.rightSpace(),
                -g_config.bottomSpace());
    _widget->raise();
    _widget->animateEnlarge(true, area);
}

// ------------------------------------------------------------- full screen

void Korvel::setFullScreenMode(bool on) {
    if (on == m_fullScreen) {
        return;
    }
    m_fullScreen = on;
    for (QWidget* bar : {ui->wgTopBar, ui->wgLeftBar, ui->wgRightBar, ui->wgBottomBar}) {
        bar->setVisible(!on);
    }
    for (const auto& page : m_pages) {
        page->setFullScreen(on);
    }
    shortcutAction(shortcuts::Command::LeaveFullScreen)->setEnabled(on);
    if (on) {
        showFullScreen();
    } else if (m_maximized) {
        showNormal();
        setGeometry(QGuiApplication::primaryScreen()->availableGeometry().adjusted(0, 0, -1, -1));
    } else {
        showNormal();
    }
    placeBars();
    relayoutPages();
}

// ------------------------------------------------------ remembered session

void Korvel::saveSession() {
    QSettings store("QUENDRA", "Korvel");
    const QRect normal = m_maximized ? m_normalGeometry : (m_fullScreen ? normalGeometry()
                                                                         : geometry());
    store.setValue(kSessionGeometry, normal);
    store.setValue(kSessionMaximized, m_maximized);
    if (dayFolderDate(m_currentFolder) != 0) {
        store.setValue(kSessionDay, m_currentFolder);
        store.setValue(kSessionCard, m_cardRoot);
    } else if (QFileInfo(m_cardRoot).isDir() && m_cardRoot != initialCardRoot()) {
        store.remove(kSessionDay);
        store.setValue(kSessionCard, m_cardRoot);
    }
    store.setValue(kSessionSplit, m_splitMode);
    store.setValue(kSessionVolume, ui->wgPlayControls->volume());
    store.setValue(kSessionMuted, ui->wgPlayControls->isMuted());
    store.sync();
}

void Korvel::restoreGeometryState() {
    QSettings store("QUENDRA", "Korvel");
    const QRect saved = store.value(kSessionGeometry).toRect();
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->availableGeometry().intersects(saved);
    }
    if (saved.isValid() && onScreen) {
        setGeometry(saved);
    }
    if (store.value(kSessionMaximized, false).toBool() && !m_maximized) {
        slotShowMaximize();
    }
    ui->wgPlayControls->setVolume(store.value(kSessionVolume, 100).toInt());
    ui->wgPlayControls->setMuted(store.value(kSessionMuted, false).toBool());
}

void Korvel::restoreSession() {
    QSettings store("QUENDRA", "Korvel");
    const QString day = store.value(kSessionDay).toString();
    const QString card = store.value(kSessionCard).toString();
    const int split = store.value(kSessionSplit, 9).toInt();
    if (!day.isEmpty() && dayFolderDate(day) != 0 && QFileInfo(day).isDir()) {
        openStartFolder(day);
        // Opened, not playing: the first picture shows, then it waits.
        m_pauseOnFirstPicture = true;
        if (split == 1 || split == 4) {
            setSplitMode(split);
        }
    } else if (!card.isEmpty() && QFileInfo(card).isDir()) {
        openStartFolder(card);
    }
}
