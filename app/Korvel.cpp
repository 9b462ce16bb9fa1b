#include "app/Korvel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSettings>
#include <QSizeGrip>
#include <QTabBar>
#include <QThread>
#include <QTreeWidgetItem>
#include <QVBoxLayout>
#include <QWindow>

#include "app/CConfiguration.h"
#include "app/CDayOverview.h"
#include "app/CaptureFiles.h"
#include "app/CardPaths.h"
#include "app/DisplayPage.h"
#include "app/DlgSelDrive.h"
#include "app/DvrSetupInfo.h"
#include "app/IDisplayPage.h"
#include "app/KeepAwake.h"
#include "app/MessageBox.h"
#include "app/QProgressIndicator.h"
#include "app/ReadOuts.h"
#include "app/UCDlgAbout.h"
#include "app/UCDlgClose.h"
#include "app/UCDlgExport.h"
#include "app/UCDlgShortcuts.h"
#include "app/UCPlaybackStrip.h"
#include "display/GLWidget.h"
#include "display/UCDayTimeline.h"
#include "display/UCDisplayFrame.h"
#include "engine/CTeardownThread.h"
#include "engine/PlaybackTypes.h"
#include "engine/Records.h"
#include "recording/DaySpans.h"
#include "setup/SetupEditor.h"
#include "ui_Korvel.h"
#include "views/GsensorLog.h"
#include "views/GsensorPlot.h"
#include "views/MapView.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kSsfFilter = "*.ssf";
// openRecordingSite's constant arguments for a day folder.
constexpr qint64 kRecordingKey = 1;
constexpr int kWholeCellZone = 4;
constexpr int kRecordingKind = 2;
// The left bar's edge within which the cursor resizes it.
constexpr int kResizeMargin = 8;
constexpr int kMinLeftBarWidth = 20;
constexpr int kGripSize = 9;

// Keys of the remembered session in the native settings store.
const char* const kSessionGeometry = "SESSION/GEOMETRY";
const char* const kSessionMaximized = "SESSION/MAXIMIZED";
const char* const kSessionCard = "SESSION/CARD";
const char* const kSessionDay = "SESSION/DAY";
const char* const kSessionSplit = "SESSION/SPLIT";
const char* const kSessionVolume = "SESSION/VOLUME";
const char* const kSessionMuted = "SESSION/MUTED";

QIcon image(const QString& name) {
    return QIcon(":/Korvel/images/" + name);
}

void setButtonImage(QPushButton* button, const QString& name) {
    button->setIcon(image(name));
}

}  // namespace

Korvel::Korvel(QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::Korvel>()),
      m_teardown(std::make_shared<CTeardownThread>()) {
    g_config.load();
    g_config.save();

    ui->setupUi(this);

    // Context menus.
    connect(ui->twSiteList, SIGNAL(customContextMenuRequested(QPoint)), this,
            SLOT(slotSiteListContextMenu(QPoint)));
    connect(ui->twDisplay, SIGNAL(customContextMenuRequested(QPoint)), this,
            SLOT(slotDisplayContextMenu(QPoint)));
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

    connect(ui->twSiteList, SIGNAL(doubleClicked(QModelIndex)), this,
            SLOT(OnFolderListClicked(QModelIndex)));
    connect(ui->twFileList, SIGNAL(doubleClicked(QModelIndex)), this,
            SLOT(OnFileListClicked(QModelIndex)));
    connect(this, SIGNAL(signalFillFileList(QString, QStringList)), this,
            SLOT(slotFillFileList(QString, QStringList)));
    connect(&m_checkTimer, SIGNAL(timeout()), this, SLOT(slotCheckTimer()));
    connect(&m_focusTimer, SIGNAL(timeout()), this, SLOT(slotAfterFocusChanged()));
    connect(ui->pbLayout1, SIGNAL(clicked()), this, SLOT(slotClickScreenMode()));
    connect(ui->pbLayout4, SIGNAL(clicked()), this, SLOT(slotClickScreenMode()));
    connect(ui->pbLayout9, SIGNAL(clicked()), this, SLOT(slotClickScreenMode()));
    connect(ui->pbPrevious, SIGNAL(clicked()), this, SLOT(slotClickScreenModeNP()));
    connect(ui->pbNext, SIGNAL(clicked()), this, SLOT(slotClickScreenModeNP()));
    connect(ui->pbShowHideLeftBar, SIGNAL(clicked()), this, SLOT(slotShowHideLeftbar()));
    connect(ui->pbShowHideRightBar, SIGNAL(clicked()), this, SLOT(slotShowHideRightbar()));
    connect(ui->pbShowHideBottomBar, SIGNAL(clicked()), this, SLOT(slotShowHideBottombar()));
    connect(ui->pbConfig, SIGNAL(clicked()), this, SLOT(slotConfig()));
    connect(ui->pbHelp, SIGNAL(clicked()), this, SLOT(slotHelp()));
    connect(ui->pbMinimize, SIGNAL(clicked()), this, SLOT(showMinimized()));
    connect(ui->pbMaximize, SIGNAL(clicked()), this, SLOT(slotShowMaximize()));
    connect(ui->pbClose, SIGNAL(clicked(bool)), this, SLOT(slotCloseDlg(bool)));
    connect(ui->pbpopmap, SIGNAL(clicked()), this, SLOT(slotPopupMap()));

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
    connect(m_gsensorPlot, SIGNAL(signalGsensorSearch(QTime)), this,
            SLOT(slotSearchGsensor(QTime)));

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

// ---------------------------------------------------------------- folder tree

void Korvel::buildFolderModel() {
    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folderModel->setRootPath(QString());
    ui->twSiteList->setModel(m_folderModel);
    ui->twSiteList->setAnimated(false);
    ui->twSiteList->setIndentation(20);
    ui->twSiteList->setSortingEnabled(true);
    ui->twSiteList->sortByColumn(0, Qt::AscendingOrder);
    for (int c = 1; c < m_folderModel->columnCount(); ++c) {
        ui->twSiteList->hideColumn(c);
    }
    ui->twSiteList->setColumnWidth(0, 200);
    ui->twSiteList->header()->setStretchLastSection(true);
}

void Korvel::slotSiteRefreshClicked() {
    QFileSystemModel* old = m_folderModel;
    const QString root = old->rootPath();
    const QString shownRoot = old->filePath(ui->twSiteList->rootIndex());
    ui->twSiteList->setModel(nullptr);
    old->deleteLater();
    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folderModel->setRootPath(root);
    ui->twSiteList->setModel(m_folderModel);
    for (int c = 1; c < m_folderModel->columnCount(); ++c) {
        ui->twSiteList->hideColumn(c);
    }
    if (!shownRoot.isEmpty()) {
        ui->twSiteList->setRootIndex(m_folderModel->index(shownRoot));
    }
}

void Korvel::OnFolderListClicked(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    openDayFolder(m_folderModel->filePath(index));
}

void Korvel::openDayFolder(const QString& path) {
    const QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const int date = dayFolderDate(folder);
    if (date == 0) {
        return;
    }
    m_cardRoot = cardRootOfDayFolder(folder);
    const DvrSetupInfo setup = readDvrSetupInfo(m_cardRoot);
    ui->lePlatNumber->setText(setup.vehicleNumber);
    if (setup.isOldFirmware()) {
        QMessageBox box(QMessageBox::Warning, tr("Warging"),
                        tr("It is a file recorded in the old version. Some information can not "
                           "be read."),
                        QMessageBox::Ok, this);
        box.exec();
    }
    loadGsensorLog(date, 0);

    showBusyIndicator();
    m_fileListBusy = true;
    emit signalFillFileList(folder, QStringList() << kSsfFilter);
    m_currentFolder = folder;

    // The timeline forgets the old day's marks before the analysis of the
    // new one can hand in its events.
    const QDate day(date / 10000, date / 100 % 100, date % 100);
    m_timeline->setDay(day);
    m_dayOverview->openDay(folder);
    requestSpans(folder, day);
    m_pauseOnFirstPicture = false;
    if (m_currentPage != nullptr) {
        slotCloseAll();
        m_currentPage->openRecordingSite(kRecordingKey, QPoint(-1, -1), kWholeCellZone,
                                         kRecordingKind, QDateTime(day, QTime(0, 0, 0)),
                                         folder.toLocal8Bit());
        m_splitMode = 9;
        // The keys act on what now plays, not on the tree it was chosen in.
        m_currentPage->widget()->setFocus(Qt::OtherFocusReason);
    }
    m_fileListBusy = false;
}

bool Korvel::openStartFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) {
        QMessageBox box(QMessageBox::Warning, tr("Open"),
                        info.exists() ? tr("\"%1\" is not a folder.").arg(path)
                                      : tr("The folder \"%1\" does not exist.").arg(path),
                        QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    if (dayFolderDate(folder) != 0) {
        // Started on a day folder: show its card, as if the card had been chosen.
        ui->twSiteList->setRootIndex(m_folderModel->index(cardRootOfDayFolder(folder)));
        const QModelIndex index = m_folderModel->index(folder);
        ui->twSiteList->setCurrentIndex(index);
        ui->twSiteList->scrollTo(index);
        openDayFolder(folder);
        return true;
    }
    m_cardRoot = folder;
    ui->twSiteList->setRootIndex(m_folderModel->index(folder));
    selectFirstDayFolder(folder);
    return true;
}

void Korvel::selectFirstDayFolder(const QString& cardRoot) {
    // The model lists folders on a thread of its own; the day folders can be
    // looked at once their parent is loaded.
    auto select = [this, cardRoot]() -> bool {
        const QModelIndex parent = m_folderModel->index(cardRoot);
        QStringList days;
        for (int row = 0; row < m_folderModel->rowCount(parent); ++row) {
            const QString child = m_folderModel->filePath(m_folderModel->index(row, 0, parent));
            if (dayFolderDate(child) != 0) {
                days << child;
            }
        }
        if (days.isEmpty()) {
            return false;
        }
        days.sort();
        const QModelIndex first = m_folderModel->index(days.first());
        ui->twSiteList->setCurrentIndex(first);
        ui->twSiteList->scrollTo(first);
        return true;
    };
    if (select()) {
        return;
    }
    auto* once = new QObject(this);
    connect(m_folderModel, &QFileSystemModel::directoryLoaded, once,
            [select, cardRoot, once](const QString& loaded) {
                if (QDir::cleanPath(loaded) == cardRoot && select()) {
                    once->deleteLater();
                }
            });
}

// ------------------------------------------------------------------ file list

void Korvel::OnFileListClicked(const QModelIndex&) {
    const QList<QTreeWidgetItem*> selected = ui->twFileList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const QTreeWidgetItem* item = selected.first();
    const int date = item->data(0, Qt::UserRole).toInt();
    const QString text = item->text(0);
    const QTime time(text.mid(0, 2).toInt(), text.mid(3, 2).toInt(), text.mid(6, 2).toInt());
    const QDate day(date / 10000, date / 100 % 100, date % 100);
    loadGsensorLog(date, time.hour());
    userCommand();
    if (m_currentPage != nullptr) {
        const QDateTime at(day, time);
        if (m_currentPage->viewCount() > 0) {
            m_currentPage->seekTo(at);
        } else {
            m_currentPage->openRecordingSite(kRecordingKey, QPoint(-1, -1), kWholeCellZone,
                                             kRecordingKind, at, m_currentFolder.toLocal8Bit());
        }
        m_currentPage->widget()->setFocus(Qt::OtherFocusReason);
    }
    m_fileListBusy = false;
}

void Korvel::slotSearchGsensor(QTime searchtime) {
    // Picks closer than a second apart are dropped: each one repositions
    // every site of the page.
    const QDateTime now = QDateTime::currentDateTime();
    if (m_lastGsensorSearch.isValid() && m_lastGsensorSearch.msecsTo(now) < 1000) {
        return;
    }
    QDateTime playing;
    if (m_currentPage == nullptr || !m_currentPage->currentDateTime(playing) ||
        !playing.date().isValid()) {
        return;
    }
    m_lastGsensorSearch = now;
    const QDate day = playing.date();
    loadGsensorLog(day.year() * 10000 + day.month() * 100 + day.day(), searchtime.hour());
    const QDateTime at(day, searchtime);
    if (m_currentPage->viewCount() > 0) {
        m_currentPage->seekTo(at);
    } else {
        m_currentPage->openRecordingSite(kRecordingKey, QPoint(-1, -1), kWholeCellZone,
                                         kRecordingKind, at, m_currentFolder.toLocal8Bit());
    }
    m_fileListBusy = false;
}

void Korvel::slotFillFileList(QString _path, QStringList _filters) {
    // Cancelling first means no item of the old listing can land in the new
    // list.
    m_fileList.cancel();
    for (int i = ui->twFileList->topLevelItemCount() - 1; i >= 0; --i) {
        delete ui->twFileList->takeTopLevelItem(i);
    }
    m_fileList.start(_path, this, SLOT(slotAddFileItem(QString, int)),
                     SLOT(slotEndOfReadFileList()), _filters);
}

void Korvel::slotAddFileItem(QString _itemName, int _date) {
    if (!ui->twFileList->findItems(_itemName, Qt::MatchFixedString, 0).isEmpty()) {
        return;
    }
    auto* item = new QTreeWidgetItem(ui->twFileList);
    item->setText(0, _itemName);
    item->setData(0, Qt::UserRole, _date);
    item->setIcon(0, image("ic_camera_nor_gray_16.png"));
}

void Korvel::slotEndOfReadFileList() {
    hideBusyIndicator();
}

void Korvel::showBusyIndicator() {
    if (m_busyIndicator) {
        m_busyIndicator->startAnimation();
        return;
    }
    QWidget* host = ui->twFileList->viewport();
    m_busyLayout = new QHBoxLayout(host);
    m_busyIndicator = new QProgressIndicator(host);
    m_busyIndicator->setFixedSize(28, 28);
    m_busyLayout->addWidget(m_busyIndicator, 0, Qt::AlignCenter);
    m_busyIndicator->show();
    m_busyIndicator->startAnimation();
}

void Korvel::hideBusyIndicator() {
    // Deleted at once rather than later: a listing started right after this
    // one ends must be able to put a new indicator in its place.
    delete m_busyIndicator.data();
    delete m_busyLayout.data();
}

void Korvel::loadGsensorLog(int day, int hour) {
    const int key = day * 100 + hour;
    if (key == m_gsensorKey) {
        return;
    }
    m_gsensorKey = key;
    showGsensorLog(m_gsensorPlot, m_gsensorBuffer.get(), m_cardRoot, day, hour);
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
    std::unique_ptr<IDisplayPage> page = createDisplayPage(this, ui->twDisplay);
    IDisplayPage* raw = page.get();
    m_pages.push_back(std::move(page));
    ui->twDisplay->addTab(raw->widget(), QString());
    ui->twDisplay->setCurrentWidget(raw->widget());
    setCurrentPage(raw);
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

QString Korvel::captureFileName(const QString& folder, const QDateTime& at, int channel) {
    const QDate day = at.date();
    const QTime time = at.time();
    const int date = day.year() * 10000 + day.month() * 100 + day.day();
    const int clock = time.hour() * 10000 + time.minute() * 100 + time.second();
    return QString("%1/%2%3_ch%4.png")
        .arg(folder)
        .arg(date)
        .arg(clock)
        .arg(channel + 1, 2, 10, QChar('0'));
}

QImage Korvel::grabWithPicture(QWidget* widget) {
    // A grab renders a GL view from its framebuffer, so the picture and the
    // bars over it are both in the image.
    return widget->grab().toImage();
}

bool Korvel::saveCapture(QWidget* widget, const QString& path) {
    return widget != nullptr && grabWithPicture(widget).save(path, "PNG");
}

void Korvel::slotCaptureClicked(QWidget* _frame, GLWidget* _widget) {
    QDateTime at = QDateTime::currentDateTime();
    IDisplayPage* page = pageOf(_frame);
    if (page == nullptr) {
        page = m_currentPage;
    }
    QDateTime playing;
    QDateTime buffered;
    if (page != nullptr && page->currentDateTime(playing) && playing.isValid()) {
        at = playing;
    } else if (_widget != nullptr && _widget->dateTimeOf(0, buffered) && buffered.isValid()) {
        at = buffered;
    }
    const int channel = _widget != nullptr ? _widget->channelOf(0) : 0;
    const QString folder = g_config.capturePath();
    QWidget* source = _widget != nullptr ? static_cast<QWidget*>(_widget) : this;
    // A second capture within the same second gets a name of its own.
    const QString written =
        captureFiles::ensureFolder(folder)
            ? captureFiles::saveUnique(grabWithPicture(source), captureFileName(folder, at, channel))
            : QString();
    if (!written.isEmpty()) {
        QMessageBox::information(this, tr("Capture"),
                                 tr("Capture image success ") + "\n" +
                                     QDir::toNativeSeparators(written),
                                 QMessageBox::Ok);
    } else {
        QMessageBox::warning(this, tr("Save Image"),
                             tr("     Error capture image.     ") + "\n" +
                                 QDir::toNativeSeparators(folder),
                             QMessageBox::Ok);
    }
}

QString Korvel::frameFileName(const QString& folder, const QDateTime& at, int channel) {
    QString name = captureFileName(folder, at, channel);
    name.insert(name.size() - 4, "_frame");
    return name;
}

void Korvel::slotSaveFrameClicked(QWidget* _frame, GLWidget* _widget) {
    if (_widget == nullptr) {
        return;
    }
    // Only a recorded picture has a time; the view's placeholder has none.
    QDateTime at;
    const QImage picture = _widget->pictureImage(0);
    if (picture.isNull() || !_widget->dateTimeOf(0, at) || !at.isValid()) {
        QMessageBox::warning(this, tr("Save frame"), tr("The view shows no picture yet."),
                             QMessageBox::Ok);
        return;
    }
    (void)_frame;
    const QString folder = g_config.capturePath();
    const QString written =
        captureFiles::ensureFolder(folder)
            ? captureFiles::saveUnique(picture,
                                       frameFileName(folder, at, _widget->channelOf(0)))
            : QString();
    if (!written.isEmpty()) {
        QMessageBox::information(this, tr("Save frame"),
                                 tr("The picture was saved:") + "\n" +
                                     QDir::toNativeSeparators(written),
                                 QMessageBox::Ok);
    } else {
        QMessageBox::warning(this, tr("Save frame"),
                             tr("The picture could not be saved in:") + "\n" +
                                 QDir::toNativeSeparators(folder),
                             QMessageBox::Ok);
    }
}

void Korvel::slotPrintClicked(QWidget*, GLWidget* _widget) {
    m_printTarget = _widget != nullptr ? static_cast<QWidget*>(_widget) : this;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPointer<QPrintPreviewDialog> preview = new QPrintPreviewDialog(printer.get());
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowFlags(Qt::Window);
    preview->setStyleSheet(QString());
    connect(preview.data(), SIGNAL(paintRequested(QPrinter*)), this, SLOT(printPreview(QPrinter*)));
    preview->exec();
    // Gone before the printer it draws on.
    delete preview.data();
}

void Korvel::printPreview(QPrinter* printer) {
    if (printer == nullptr || !printer->isValid() || !m_printTarget) {
        return;
    }
    QWidget* target = m_printTarget.data();
    if (target->width() <= 0 || target->height() <= 0) {
        return;
    }
    const QImage shot = grabWithPicture(target);
    QPainter painter;
    if (!painter.begin(printer)) {
        return;
    }
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const double sx = double(page.width()) / target->width();
    const double sy = double(page.height()) / target->height();
    const double scale = std::min(sx, sy);
    painter.scale(scale, scale);
    painter.drawImage(QRect(QPoint(0, 0), target->size()), shot);
    painter.end();
}

bool Korvel::slotLeftBarVisible() {
    return m_leftBarShown;
}

bool Korvel::slotRightBarVisible() {
    return m_rightBarShown;
}

bool Korvel::slotBottomBarVisible() {
    return m_bottomBarShown;
}

namespace {
// A bar's rectangle in the coordinates of the display area's current page.
QRect toPage(QWidget* bar, QWidget* page) {
    return QRect(page->mapFrom(bar->parentWidget(), bar->pos()), bar->size());
}
}  // namespace

QRect Korvel::slotLeftBarGeometry() {
    QWidget* page = ui->twDisplay->currentWidget() ? ui->twDisplay->currentWidget() : ui->twDisplay;
    return toPage(ui->wgLeftBar, page);
}

QRect Korvel::slotRightBarGeometry() {
    QWidget* page = ui->twDisplay->currentWidget() ? ui->twDisplay->currentWidget() : ui->twDisplay;
    return toPage(ui->wgRightBar, page);
}

QRect Korvel::slotBottomBarGeometry() {
    QWidget* page = ui->twDisplay->currentWidget() ? ui->twDisplay->currentWidget() : ui->twDisplay;
    return toPage(ui->wgBottomBar, page);
}

void Korvel::relayoutPages() {
    for (const auto& page : m_pages) {
        page->relayout();
    }
}

// ------------------------------------------------------------ right bar, menu

void Korvel::slotClickScreenMode() {
    if (m_currentPage == nullptr) {
        return;
    }
    QObject* from = sender();
    if (from == ui->pbLayout1) {
        setSplitMode(1);
    } else if (from == ui->pbLayout4) {
        setSplitMode(4);
    } else if (from == ui->pbLayout9) {
        setSplitMode(9);
    }
}

void Korvel::slotClickScreenModeNP() {
    if (m_currentPage == nullptr) {
        return;
    }
    m_currentPage->showGroup(sender() == ui->pbPrevious ? 1 : 2);
}

void Korvel::buildContextMenus() {
    auto action = [this](const char* text, bool checkable, const char* slot) {
        auto* a = new QAction(tr(text), this);
        a->setCheckable(checkable);
        connect(a, SIGNAL(triggered()), this, slot);
        return a;
    };
    m_actCloseAll =
        action(QT_TR_NOOP("Close all Channels"), false, SLOT(slotCloseAllCurrentPage()));
    m_actCloseSelected =
        action(QT_TR_NOOP("Close the selected channels"), false, SLOT(slotCloseSelectedChannels()));
    m_actAutoStream = action(QT_TR_NOOP("Auto Stream"), true, SLOT(slotAutoStream()));
    m_actFirstStream = action(QT_TR_NOOP("1st Stream"), true, SLOT(slotFirstStream()));
    m_actSecondStream = action(QT_TR_NOOP("2nd Stream"), true, SLOT(slotSecondStream()));
    m_actShowTextMode = action(QT_TR_NOOP("Mode(Live or PB)"), true, SLOT(slotShowTextMode()));
    m_actShowTextDateTime = action(QT_TR_NOOP("Date/Time"), true, SLOT(slotShowTextDateTime()));
    m_actShowTextResolution =
        action(QT_TR_NOOP("Resolution"), true, SLOT(slotShowTextResolution()));
    m_actShowTextChannelTitle =
        action(QT_TR_NOOP("Channel Title"), true, SLOT(slotShowTextChannelTitle()));
    m_actShowTextSiteName = action(QT_TR_NOOP("Site Name"), true, SLOT(slotShowTextSiteName()));
    m_actRefresh = action(QT_TR_NOOP("Refresh"), false, SLOT(slotSiteRefreshClicked()));
    m_actExport = new QAction(UCDlgExport::actionText(), this);
    m_actExport->setShortcuts(shortcuts::keysOf(shortcuts::Command::Export));
    m_actExport->setShortcutContext(Qt::WidgetShortcut);  // the window's own action has the key
    connect(m_actExport, &QAction::triggered, this, [this] { openExportDialog(); });
}

void Korvel::slotDisplayContextMenu(const QPoint& pos) {
    // The menu is about the view under the pointer, whichever was selected.
    GLWidget* view = nullptr;
    for (QWidget* w = ui->twDisplay->childAt(pos); w != nullptr && view == nullptr;
         w = w->parentWidget()) {
        view = qobject_cast<GLWidget*>(w);
    }
    QPointer<GLWidget> target = view;
    QMenu menu(this);
    menu.setObjectName("CONTEXT_MENU");
    if (view != nullptr && m_currentPage != nullptr) {
        m_currentPage->selectOnly(view);
        QWidget* page = m_currentPage->widget();
        auto onView = [&menu, target, page](const QString& text, const QString& icon,
                                           const char* name, auto&& act) {
            QAction* a = menu.addAction(text);
            a->setObjectName(name);
            if (!icon.isEmpty()) {
                a->setIcon(image(icon));
            }
            QObject::connect(a, &QAction::triggered, &menu, [target, page, act] {
                if (target) {
                    act(page, target.data());
                }
            });
            return a;
        };
        onView(shortcuts::withKeys(tr("Capture"), shortcuts::Command::Snapshot),
               "bt_vod_capt_nor_16.png", "actCapture",
               [this](QWidget* p, GLWidget* v) { slotCaptureClicked(p, v); });
        onView(shortcuts::withKeys(tr("Save frame"), shortcuts::Command::SaveFrame), QString(),
               "actSaveFrame", [this](QWidget* p, GLWidget* v) { slotSaveFrameClicked(p, v); });
        onView(tr("Print"), "bt_vod_print_nor_16.png", "actPrint",
               [this](QWidget* p, GLWidget* v) { slotPrintClicked(p, v); });
        onView(tr("Close channel"), "bt_vod_close_nor_24.png", "actCloseChannel",
               [this](QWidget*, GLWidget* v) {
                   if (m_currentPage != nullptr) {
                       m_currentPage->closeView(v);
                   }
               });
        menu.addSeparator();
    }
    menu.addAction(m_actCloseAll);
    menu.addAction(m_actExport);
    menu.addSeparator();
    QMenu* texts = menu.addMenu(tr("Show Text"));
    texts->setObjectName("menuShowText");
    // Each text switch acts on the view the menu is about.
    struct Toggle {
        QAction* action;
        bool top;
        int type;
    };
    const Toggle toggles[] = {
        {m_actShowTextSiteName, true, 0},   {m_actShowTextChannelTitle, true, 1},
        {m_actShowTextMode, false, 0},      {m_actShowTextDateTime, false, 3},
        {m_actShowTextResolution, false, 4},
    };
    const bool hasSite = view != nullptr ? view->sourceOf(0) != nullptr
                                         : m_currentPage != nullptr &&
                                               m_currentPage->selectedHasSite();
    for (const Toggle& t : toggles) {
        if (view == nullptr) {
            texts->addAction(t.action);
            if (hasSite) {
                t.action->setChecked(t.top ? m_currentPage->isTopTextShown(t.type)
                                           : m_currentPage->isBottomTextShown(t.type));
            }
            continue;
        }
        QAction* a = texts->addAction(t.action->text());
        a->setCheckable(true);
        a->setChecked(t.top ? view->isTopTextVisible(t.type) : view->isBottomTextVisible(t.type));
        const bool top = t.top;
        const int type = t.type;
        connect(a, &QAction::triggered, &menu, [target, top, type](bool on) {
            if (!target) {
                return;
            }
            if (top) {
                target->setTopTextVisible(type, on);
            } else {
                target->setBottomTextVisible(type, on);
            }
        });
    }
    texts->setEnabled(hasSite);
    if (view == nullptr) {
        menu.addSeparator();
        menu.addAction(shortcutAction(shortcuts::Command::Open));
    }
    m_displayMenu = &menu;
    menu.exec(QCursor::pos());
}

void Korvel::slotSiteListContextMenu(const QPoint& pos) {
    QMenu menu(this);
    menu.setObjectName("CONTEXT_MENU");
    menu.addAction(m_actRefresh);
    m_siteListMenu = &menu;
    menu.exec(ui->twSiteList->viewport()->mapToGlobal(pos));
}

void Korvel::slotCloseAllCurrentPage() {
    if (m_currentPage != nullptr) {
        m_currentPage->closeAllViews();
    }
    clearReadOuts();
}

void Korvel::slotCloseSelectedChannels() {
    if (m_currentPage != nullptr) {
        m_currentPage->closeSelectedViews();
    }
}

void Korvel::slotAutoStream() {
    if (m_currentPage != nullptr) {
        m_currentPage->setStreamType(0);
    }
}

void Korvel::slotFirstStream() {
    if (m_currentPage != nullptr) {
        m_currentPage->setStreamType(1);
    }
}

void Korvel::slotSecondStream() {
    if (m_currentPage != nullptr) {
        m_currentPage->setStreamType(2);
    }
}

void Korvel::toggleTopText(int type) {
    if (m_currentPage != nullptr) {
        m_currentPage->setTopTextShown(type, !m_currentPage->isTopTextShown(type));
    }
}

void Korvel::toggleBottomText(int type) {
    if (m_currentPage != nullptr) {
        m_currentPage->setBottomTextShown(type, !m_currentPage->isBottomTextShown(type));
    }
}

void Korvel::slotShowTextMode() {
    toggleBottomText(0);
}

void Korvel::slotShowTextDateTime() {
    toggleBottomText(3);
}

void Korvel::slotShowTextResolution() {
    toggleBottomText(4);
}

void Korvel::slotShowTextChannelTitle() {
    toggleTopText(1);
}

void Korvel::slotShowTextSiteName() {
    toggleTopText(0);
}

// ------------------------------------------------------------ top-bar buttons

UCDlgExport* Korvel::exportDialog() const {
    return m_exportDialog.data();
}

void Korvel::openExportDialog(qint64 fromMs, qint64 toMs) {
    if (dayFolderDate(m_currentFolder) == 0) {
        showMessageBox(UCDlgExport::tr("Export"), UCDlgExport::tr("Open a day folder first."), 1);
        return;
    }
    if (m_exportDialog && m_exportDialog->running()) {
        m_exportDialog->raise();
        m_exportDialog->activateWindow();
        return;
    }
    if (!m_exportDialog) {
        m_exportDialog = new UCDlgExport(this);
        m_exportDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_exportDialog->setDay(m_currentFolder, m_dayOverview->day());
    m_exportDialog->setUseMph(m_useMph);
    if ((fromMs < 0 || toMs <= fromMs) && m_timeline->hasRange() &&
        m_timeline->rangeOut() > m_timeline->rangeIn()) {
        fromMs = m_timeline->rangeIn();
        toMs = m_timeline->rangeOut();
    }
    if (fromMs < 0 || toMs <= fromMs) {
        const qint64 at = playbackMsOfDay();
        if (at >= 0) {
            fromMs = std::max<qint64>(0, at - kDefaultStretchMs / 2);
            toMs = std::min<qint64>(UCDayTimeline::kDayMs - 1000, at + kDefaultStretchMs / 2);
        }
    }
    if (fromMs >= 0 && toMs > fromMs) {
        m_exportDialog->setRange(fromMs, toMs);
    }
    int channel = -1;
    if (m_currentPage != nullptr) {
        if (auto* frame = qobject_cast<UCDisplayFrame*>(m_currentPage->widget())) {
            frame->selectedChannel(channel);
        }
    }
    m_exportDialog->setSelectedChannel(channel);
    m_exportDialog->show();
    m_exportDialog->raise();
    m_exportDialog->activateWindow();
}

void Korvel::slotConfig() {
    // A chosen drive becomes the card root, so the editor opens its files.
    const bool saved = ::runSetupEditor(
        this, m_cardRoot, [this] { return slotSelectDrive() ? m_cardRoot : QString(); });
    if (saved) {
        m_useMph = readOuts::readUseMph();
        ui->lbSpeed_2->setText(readOuts::speedUnitText(m_useMph));
        m_dayOverview->setUseMph(m_useMph);
        m_dayOverview->reloadSettings();
    }
}

bool Korvel::slotSelectDrive() {
    DlgSelDrive dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QString path = dialog.selectedPath();
    const QModelIndex index = m_folderModel->index(path);
    if (path.isEmpty() || !index.isValid()) {
        return false;
    }
    ui->twSiteList->expand(index);
    m_cardRoot = path;
    return true;
}

void Korvel::slotHelp() {
    UCDlgAbout about(this);
    about.exec();
}

void Korvel::slotPopupMap() {
    // The dialog hides on close and stays a child of the window, following
    // every later position.
    auto* dialog = new dlgShowMapBig(this);
    connect(this, SIGNAL(signalchangemappos(double, double)), dialog,
            SLOT(slotchangeMapPos(double, double)));
    m_dayOverview->addMap(dialog->mapView());
    if (m_hasPosition) {
        dialog->slotchangeMapPos(m_lastLatitude, m_lastLongitude);
    }
    dialog->show();
}

void Korvel::slotShowMaximize() {
    if (!m_maximized) {
        m_normalGeometry = geometry();
        QScreen* screen =
            windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen->availableGeometry();
        setGeometry(area.adjusted(0, 0, -1, -1));
        setButtonImage(ui->pbMaximize, "top_shorten_nor_24.png");
        m_maximized = true;
    } else {
        setGeometry(m_normalGeometry);
        setButtonImage(ui->pbMaximize, "top_expend_nor_24.png");
        m_maximized = false;
    }
}

void Korvel::slotCloseDlg(bool) {
    if (g_config.closeAsk()) {
        close();
        return;
    }
    UCDlgClose dialog(this);
    dialog.setStyleSheet(g_config.appStyle());
    if (dialog.exec() == QDialog::Accepted) {
        close();
    }
}

void Korvel::closeEvent(QCloseEvent* event) {
    saveSession();
    if (m_fullScreen) {
        setFullScreenMode(false);
    }
    stopSpans();
    m_checkTimer.stop();
    m_focusTimer.stop();
    m_fileList.cancel();
    ui->wgPlayControls->setPage(nullptr);
    m_currentPage = nullptr;
    // A closing page reports back through slotCloseDisplay, which edits
    // m_pages: close them from a list of our own.
    std::vector<std::unique_ptr<IDisplayPage>> pages = std::move(m_pages);
    m_pages.clear();
    for (const auto& page : pages) {
        page->closeAllViews();
    }
    for (const auto& page : pages) {
        page->closePage();
    }
    event->accept();
}

void Korvel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        ui->lbSpeed_2->setText(readOuts::speedUnitText(m_useMph));
        if (m_dayOverview) {
            ui->twBottomTab->setTabText(ui->twBottomTab->indexOf(m_dayOverview->speedTab()),
                                        tr("Speed"));
        }
        m_shownDate.clear();
    }
    QMainWindow::changeEvent(event);
}

// ------------------------------------------------------------------ the bars

Korvel::BarRects Korvel::barRects(bool leftShown, bool rightShown, bool bottomShown) const {
    const int w = ui->centralWidget->width();
    const int h = ui->centralWidget->height();
    const int top = kTopBarHeight;
    BarRects r;
    r.left = QRect(leftShown ? 0 : -(m_leftBarWidth - kBarEdge), top, m_leftBarWidth, h - top);
    const int leftVisible = r.left.right() + 1;
    const int bottomTop = bottomShown ? h - kBottomBarHeight : h - kBarEdge;
    r.bottom = QRect(leftVisible, bottomTop, std::max(0, w - leftVisible), kBottomBarHeight);
    const int rightTop = top + kRightBarOffset;
    r.right = QRect(rightShown ? w - kRightBarWidth : w - kBarEdge, rightTop, kRightBarWidth,
                    std::max(0, bottomTop - rightTop));
    return r;
}

void Korvel::placeBars() {
    const int w = ui->centralWidget->width();
    const int h = ui->centralWidget->height();
    // The bars first: a page resized by the display area below asks where
    // they are.
    const BarRects r = barRects(m_leftBarShown, m_rightBarShown, m_bottomBarShown);
    ui->wgLeftBar->setGeometry(r.left);
    ui->wgRightBar->setGeometry(r.right);
    ui->wgBottomBar->setGeometry(r.bottom);
    ui->wgTopBar->setGeometry(0, 0, w, kTopBarHeight);
    // Full screen gives the whole window to the views.
    const int top = m_fullScreen ? 0 : kTopBarHeight;
    ui->twDisplay->setGeometry(0, top, w, std::max(0, h - top));
    placeSizeGrips();
}

void Korvel::placeSizeGrips() {
    const int w = ui->centralWidget->width();
    const int h = ui->centralWidget->height();
    if (m_edgeGrips.size() == 4) {
        m_edgeGrips[0]->setGeometry(0, 0, kGripSize, kTopBarHeight);
        m_edgeGrips[1]->setGeometry(w - kGripSize, kTopBarHeight, kGripSize, h - kTopBarHeight);
        // The bottom strips stop short of the bottom bar's edge button, which
        // must stay clickable over its whole height when the bar is hidden.
        const QRect button(ui->pbShowHideBottomBar->mapTo(ui->centralWidget, QPoint(0, 0)),
                           ui->pbShowHideBottomBar->size());
        const int gapLeft = std::clamp(button.left() - 2, 0, w);
        const int gapRight = std::clamp(button.right() + 3, gapLeft, w);
        m_edgeGrips[2]->setGeometry(0, h - kGripSize, gapLeft, kGripSize);
        m_edgeGrips[3]->setGeometry(gapRight, h - kGripSize, w - gapRight, kGripSize);
        for (QSizeGrip* grip : m_edgeGrips) {
            grip->setVisible(!m_fullScreen);
            grip->raise();
        }
    }
}

void Korvel::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Keep the left bar within half the window as the window narrows.
    m_leftBarWidth =
        std::clamp(m_leftBarWidth, kMinLeftBarWidth, std::max(kMinLeftBarWidth, width() / 2));
    // A slide still under way aims at places of the old size (the first one
    // starts before the window has its size): the bars go to their places at
    // once instead.
    if (m_slideGroup) {
        m_slideGroup->stop();
        m_slideGroup->deleteLater();
        m_slideGroup = nullptr;
    }
    placeBars();
    relayoutPages();
}

void Korvel::updateEdgeButtons() {
    setButtonImage(ui->pbShowHideLeftBar,
                   m_leftBarShown ? "hidden_bt_left_nor.png" : "hidden_bt_left_p.png");
    setButtonImage(ui->pbShowHideRightBar,
                   m_rightBarShown ? "rignt_menu.png" : "rignt_menu_hid.png");
    setButtonImage(ui->pbShowHideBottomBar,
                   m_bottomBarShown ? "hidden_bt_bottom_nor.png" : "hidden_bt_bottom_p.png");
    ui->pbShowHideLeftBar->setIconSize(QSize(14, 60));
    ui->pbShowHideRightBar->setIconSize(QSize(14, 60));
    ui->pbShowHideBottomBar->setIconSize(QSize(60, 14));
}

void Korvel::slideBars(bool leftWas, bool rightWas, bool bottomWas) {
    const BarRects from = barRects(leftWas, rightWas, bottomWas);
    const BarRects to = barRects(m_leftBarShown, m_rightBarShown, m_bottomBarShown);
    if (m_slideGroup) {
        m_slideGroup->stop();
        m_slideGroup->deleteLater();
    }
    auto* group = new QParallelAnimationGroup(this);
    m_slideGroup = group;
    auto animate = [group](QWidget* bar, const QByteArray& property, const QVariant& start,
                           const QVariant& end, QEasingCurve::Type easing) {
        auto* a = new QPropertyAnimation(bar, property, group);
        a->setDuration(kBarSlideMs);
        a->setEasingCurve(easing);
        a->setStartValue(start);
        a->setEndValue(end);
        group->addAnimation(a);
    };
    // The moving bar overshoots a little (OutBack); the neighbours that give
    // or take the space follow smoothly (OutCubic).
    auto slide = [&](QWidget* bar, const QRect& a, const QRect& b, bool moving, bool byPos) {
        if (a == b) {
            return;
        }
        if (moving && byPos) {
            bar->resize(b.size());
            animate(bar, "pos", a.topLeft(), b.topLeft(), QEasingCurve::OutBack);
        } else {
            animate(bar, "geometry", a, b, moving ? QEasingCurve::OutBack : QEasingCurve::OutCubic);
        }
    };
    slide(ui->wgLeftBar, from.left, to.left, leftWas != m_leftBarShown, false);
    slide(ui->wgRightBar, from.right, to.right, rightWas != m_rightBarShown, true);
    slide(ui->wgBottomBar, from.bottom, to.bottom, bottomWas != m_bottomBarShown, true);
    // Every bar leaves room for the grid or takes it: the grid is laid out
    // anew once the bars stand still, so it is neither covered nor shrunk.
    connect(group, &QParallelAnimationGroup::finished, this, [this] {
        placeBars();
        relayoutPages();
    });
    group->start(QAbstractAnimation::DeleteWhenStopped);
    updateEdgeButtons();
}

void Korvel::slotShowHideLeftbar() {
    const bool was = m_leftBarShown;
    m_leftBarShown = !m_leftBarShown;
    slideBars(was, m_rightBarShown, m_bottomBarShown);
}

void Korvel::slotShowHideRightbar() {
    const bool was = m_rightBarShown;
    m_rightBarShown = !m_rightBarShown;
    slideBars(m_leftBarShown, was, m_bottomBarShown);
}

void Korvel::slotShowHideBottombar() {
    const bool was = m_bottomBarShown;
    m_bottomBarShown = !m_bottomBarShown;
    slideBars(m_leftBarShown, m_rightBarShown, was);
}

// ------------------------------------------------- dragging and left-bar width

bool Korvel::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (keepsNavigationKeys(watched, event)) {
        event->accept();
        return true;
    }
    if (watched == ui->wgMoveArea && handleMoveArea(event)) {
        return true;
    }
    if (handleLeftBarResize(watched, event)) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Korvel::handleMoveArea(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = e->globalPos() - frameGeometry().topLeft();
                return true;
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (!m_dragging || !(e->buttons() & Qt::LeftButton)) {
                return false;
            }
            if (m_maximized) {
                // Dragging a maximised window restores it first, under the
                // cursor at the same relative place.
                const double fx = double(m_dragOffset.x()) / std::max(1, width());
                slotShowMaximize();
                m_dragOffset.setX(int(fx * width()));
            }
            move(e->globalPos() - m_dragOffset);
            return true;
        }
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            return false;
        case QEvent::MouseButtonDblClick:
            m_dragging = false;
            slotShowMaximize();
            return true;
        default:
            return false;
    }
}

bool Korvel::handleLeftBarResize(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    auto* e = static_cast<QMouseEvent*>(event);
    const QPoint at = ui->centralWidget->mapFromGlobal(e->globalPos());
    // The visible edge is that of the bar's content; the edge strip beside it
    // holds the show/hide tab.
    const QRect bar(ui->wgLeftContent->mapTo(ui->centralWidget, QPoint(0, 0)),
                    ui->wgLeftContent->size());
    const QRect button(ui->pbShowHideLeftBar->mapTo(ui->centralWidget, QPoint(0, 0)),
                       ui->pbShowHideLeftBar->size());
    const bool nearEdge = m_leftBarShown && std::abs(at.x() - (bar.right() + 1)) <= kResizeMargin &&
                          at.y() >= bar.top() && at.y() <= bar.bottom() &&
                          (at.y() < button.top() || at.y() > button.bottom());

    if (m_resizingLeft) {
        if (type == QEvent::MouseMove) {
            const int width = m_resizeOffset + at.x();
            if (width >= kMinLeftBarWidth && width <= this->width() / 2 && m_leftBarShown) {
                m_leftBarWidth = width;
                placeBars();
                relayoutPages();
            }
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            m_resizingLeft = false;
            ui->centralWidget->unsetCursor();
            return true;
        }
    }
    if (type == QEvent::MouseMove && e->buttons() == Qt::NoButton) {
        if (nearEdge) {
            ui->centralWidget->setCursor(Qt::SizeHorCursor);
        } else if (ui->centralWidget->testAttribute(Qt::WA_SetCursor)) {
            ui->centralWidget->unsetCursor();
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress && e->button() == Qt::LeftButton && nearEdge &&
        watched != ui->pbShowHideLeftBar) {
        m_resizingLeft = true;
        m_resizeOffset = m_leftBarWidth - at.x();
        return true;
    }
    return false;
}

// ------------------------------------------------- the day beside the video

void Korvel::buildDayOverview() {
    m_dayOverview = std::make_unique<CDayOverview>();
    ui->vlLeftContent->addWidget(m_dayOverview->panel());
    ui->vlLeftContent->setStretchFactor(ui->twSiteList, 2);
    ui->vlLeftContent->setStretchFactor(ui->twFileList, 2);
    ui->vlLeftContent->setStretchFactor(m_dayOverview->panel(), 3);
    ui->twBottomTab->addTab(m_dayOverview->speedTab(), tr("Speed"));
    m_dayOverview->setUseMph(m_useMph);
    m_dayOverview->addMap(m_mapView);
    connect(m_dayOverview.get(), &CDayOverview::signalPlayFrom, this, &Korvel::seekAndPlay);
    connect(m_dayOverview.get(), &CDayOverview::signalSeekTo, this, &Korvel::seekDayTo);
    connect(m_dayOverview.get(), &CDayOverview::signalEventsChanged, this,
            &Korvel::signalDayEventsChanged);
    // The day's shocks as marks of the timeline; a click on one plays it.
    connect(this, &Korvel::signalDayEventsChanged, this, [this] {
        QVector<UCDayTimeline::Mark> marks;
        for (const DayEventMark& e : dayEventMarks()) {
            marks.append({e.msOfDay, e.text});
        }
        m_timeline->setMarks(marks);
    });
    connect(m_timeline, &UCDayTimeline::markClicked, this, &Korvel::playEvent);
}

QVector<DayEventMark> Korvel::dayEventMarks() const {
    return m_dayOverview->eventMarks();
}

void Korvel::playEvent(int index) {
    const QDateTime at = m_dayOverview->eventStart(index);
    if (at.isValid()) {
        seekAndPlay(at);
    }
}

void Korvel::seekAndPlay(const QDateTime& at) {
    moveDayTo(at, true);
}

void Korvel::seekDayTo(const QDateTime& at) {
    moveDayTo(at, false);
}

void Korvel::moveDayTo(const QDateTime& at, bool play) {
    if (!at.isValid() || m_currentPage == nullptr) {
        return;
    }
    const QDate day = at.date();
    loadGsensorLog(day.year() * 10000 + day.month() * 100 + day.day(), at.time().hour());
    if (m_currentPage->viewCount() == 0) {
        // A new site plays from where it opens.
        m_currentPage->openRecordingSite(kRecordingKey, QPoint(-1, -1), kWholeCellZone,
                                         kRecordingKind, at, m_currentFolder.toLocal8Bit());
    } else {
        // Play first, then jump: a site that resumes starts from where it
        // last showed a picture, which a jump just before may not have
        // reached yet.
        if (play) {
            int speed = kSpeedIndexNormal;
            if (!m_currentPage->getPlaySpeed(speed) || speed != kSpeedIndexNormal) {
                m_currentPage->setPlaySpeed(kSpeedIndexNormal);
            }
            if (m_currentPage->isSelectedPaused()) {
                m_currentPage->resume();
            }
        }
        m_currentPage->seekTo(at);
    }
    ui->wgPlayControls->refreshPlaybackControls();
}

// ------------------------------------------------------------------ keyboard

void Korvel::buildShortcuts() {
    using shortcuts::Command;
    for (const shortcuts::Entry& e : shortcuts::table()) {
        auto* action = new QAction(shortcuts::description(e.command), this);
        action->setShortcuts(shortcuts::keysOf(e.command));
        // Whenever the window is active, wherever the focus is in it.
        action->setShortcutContext(Qt::WindowShortcut);
        const Command command = e.command;
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        addAction(action);
        m_shortcutActions.append({e.command, action});
    }
    // Esc means nothing outside full screen; free, it still closes popups.
    shortcutAction(Command::LeaveFullScreen)->setEnabled(false);
    setShortcutTooltips();
}

QAction* Korvel::shortcutAction(shortcuts::Command command) const {
    for (const auto& entry : m_shortcutActions) {
        if (entry.first == command) {
            return entry.second;
        }
    }
    return nullptr;
}

void Korvel::setShortcutTooltips() {
    using shortcuts::Command;
    using shortcuts::withKeys;
    ui->pbLayout1->setToolTip(withKeys(tr("One view"), Command::Split1));
    ui->pbLayout4->setToolTip(withKeys(tr("Four views"), Command::Split4));
    ui->pbLayout9->setToolTip(withKeys(tr("Nine views"), Command::Split9));
    ui->pbPrevious->setToolTip(withKeys(tr("Previous channels"), Command::PreviousGroup));
    ui->pbNext->setToolTip(withKeys(tr("Next channels"), Command::NextGroup));
    ui->pbHelp->setToolTip(withKeys(tr("About Korvel"), Command::ShortcutsPage));
    ui->pbClose->setToolTip(withKeys(tr("Close"), Command::Quit));
    ui->pbMaximize->setToolTip(withKeys(tr("Maximize"), Command::FullScreen));
    if (auto* open = findChild<QPushButton*>("pbOpen")) {
        open->setToolTip(withKeys(tr("Open a card or a day folder"), Command::Open));
    }
    m_timeline->setToolTip(QString("%1\n%2: %3 / %4   %5: %6 / %7")
                               .arg(tr("Click or drag to play from there; the wheel zooms."),
                                    tr("5 s"), shortcuts::keysText(Command::Back5),
                                    shortcuts::keysText(Command::Forward5), tr("60 s"),
                                    shortcuts::keysText(Command::Back60),
                                    shortcuts::keysText(Command::Forward60)));
}

bool Korvel::keepsNavigationKeys(QObject* watched, QEvent* event) const {
    // The folder tree and the file list keep the keys that move in them
    // while they have the focus; every other key still reaches the window.
    if (event->type() != QEvent::ShortcutOverride ||
        (watched != ui->twSiteList && watched != ui->twFileList)) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

void Korvel::runCommand(shortcuts::Command command) {
    using shortcuts::Command;
    UCPlaybackStrip* strip = ui->wgPlayControls;
    switch (command) {
        case Command::PlayPause:
            strip->slotPBPauseContinue();
            break;
        case Command::Pause:
            strip->slotPause();
            break;
        case Command::Faster:
            strip->slotFaster();
            break;
        case Command::FasterBackward:
            strip->slotFasterBackward();
            break;
        case Command::StepForward:
            strip->slotStepForward();
            break;
        case Command::StepBackward:
            strip->slotStepBackward();
            break;
        case Command::Back5:
            seekBy(-5);
            break;
        case Command::Forward5:
            seekBy(5);
            break;
        case Command::Back60:
            seekBy(-60);
            break;
        case Command::Forward60:
            seekBy(60);
            break;
        case Command::First:
            strip->slotGotoFirst();
            break;
        case Command::Last:
            strip->slotGotoLast();
            break;
        case Command::PreviousRecording:
            jumpRecording(-1);
            break;
        case Command::NextRecording:
            jumpRecording(1);
            break;
        case Command::Split1:
            setSplitMode(1);
            break;
        case Command::Split4:
            setSplitMode(4);
            break;
        case Command::Split9:
            setSplitMode(9);
            break;
        case Command::PreviousGroup:
        case Command::NextGroup:
            if (m_currentPage != nullptr) {
                m_currentPage->showGroup(command == Command::PreviousGroup ? 1 : 2);
            }
            break;
        case Command::Snapshot:
        case Command::SaveFrame:
            if (m_currentPage != nullptr) {
                if (GLWidget* view = m_currentPage->firstSelectedView()) {
                    if (command == Command::Snapshot) {
                        slotCaptureClicked(m_currentPage->widget(), view);
                    } else {
                        slotSaveFrameClicked(m_currentPage->widget(), view);
                    }
                }
            }
            break;
        case Command::FullScreen:
            setFullScreenMode(!m_fullScreen);
            break;
        case Command::LeaveFullScreen:
            setFullScreenMode(false);
            break;
        case Command::CloseView:
            if (m_currentPage != nullptr) {
                m_currentPage->askCloseSelectedViews();
            }
            break;
        case Command::Open:
            slotOpenFolderDialog();
            break;
        case Command::Quit:
            slotCloseDlg(false);
            break;
        case Command::VolumeDown:
            strip->slotVolumeDown();
            break;
        case Command::VolumeUp:
            strip->slotVolumeUp();
            break;
        case Command::Mute:
            strip->slotToggleMute();
            break;
        case Command::MarkIn:
            markIn();
            break;
        case Command::MarkOut:
            markOut();
            break;
        case Command::Export:
            openExportDialog();
            break;
        case Command::ShortcutsPage:
            slotShowShortcuts();
            break;
    }
}

void Korvel::slotShowShortcuts() {
    UCDlgShortcuts page(this);
    page.setStyleSheet(g_config.appStyle());
    page.exec();
}

// ------------------------------------------------------------ seeking by keys

bool Korvel::playbackTime(QDateTime& at) const {
    if (m_currentPage == nullptr || m_currentPage->viewCount() == 0) {
        return false;
    }
    QDateTime t;
    if ((m_currentPage->currentDateTime(t) || m_currentPage->firstDateTime(t)) && t.isValid()) {
        at = t;
        return true;
    }
    return false;
}

qint64 Korvel::playbackMsOfDay() const {
    QDateTime at;
    if (!playbackTime(at) || !m_timeline->day().isValid()) {
        return -1;
    }
    const qint64 ms = QDateTime(m_timeline->day(), QTime(0, 0)).msecsTo(at);
    return std::clamp<qint64>(ms, 0, UCDayTimeline::kDayMs);
}

void Korvel::markIn() {
    const qint64 now = playbackMsOfDay();
    if (now < 0) {
        return;
    }
    const qint64 in = now / 1000 * 1000;
    qint64 out = m_timeline->hasRange() ? m_timeline->rangeOut() : -1;
    if (out <= in) {
        out = std::min(in + kDefaultStretchMs, UCDayTimeline::kDayMs);
    }
    m_timeline->setRange(in, out);
    if (m_exportDialog && !m_exportDialog->running()) {
        m_exportDialog->setRange(in, out);
    }
}

void Korvel::markOut() {
    const qint64 now = playbackMsOfDay();
    if (now < 0) {
        return;
    }
    const qint64 out = std::min((now + 999) / 1000 * 1000, UCDayTimeline::kDayMs);
    qint64 in = m_timeline->hasRange() ? m_timeline->rangeIn() : -1;
    if (in < 0 || in >= out) {
        in = std::max<qint64>(0, out - kDefaultStretchMs);
    }
    m_timeline->setRange(in, out);
    if (m_exportDialog && !m_exportDialog->running()) {
        m_exportDialog->setRange(in, out);
    }
}

void Korvel::seekBy(int seconds) {
    QDateTime now;
    if (!playbackTime(now)) {
        return;
    }
    userCommand();
    const QDateTime target = now.addSecs(seconds);
    m_currentPage->seekTo(target);
    if (target.date() == m_timeline->day()) {
        m_timeline->setPosition(target.time().msecsSinceStartOfDay());
    }
}

void Korvel::jumpRecording(int direction) {
    QDateTime now;
    if (!playbackTime(now)) {
        return;
    }
    // Back goes to the start of the recording playing, or of the one
    // before when that start is only just behind.
    const QDateTime after = now.addSecs(1);
    const QDateTime before = now.addSecs(-3);
    QTreeWidgetItem* best = nullptr;
    QDateTime bestAt;
    for (int i = 0; i < ui->twFileList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ui->twFileList->topLevelItem(i);
        const int date = item->data(0, Qt::UserRole).toInt();
        const QTime time = QTime::fromString(item->text(0), "hh:mm:ss");
        const QDateTime at(QDate(date / 10000, date / 100 % 100, date % 100), time);
        if (!at.isValid()) {
            continue;
        }
        const bool candidate = direction > 0 ? at > after : at < before;
        const bool better = !best || (direction > 0 ? at < bestAt : at > bestAt);
        if (candidate && better) {
            best = item;
            bestAt = at;
        }
    }
    if (best == nullptr) {
        return;
    }
    userCommand();
    ui->twFileList->setCurrentItem(best);
    loadGsensorLog(bestAt.date().year() * 10000 + bestAt.date().month() * 100 +
                       bestAt.date().day(),
                   bestAt.time().hour());
    m_currentPage->seekTo(bestAt);
    if (bestAt.date() == m_timeline->day()) {
        m_timeline->setPosition(bestAt.time().msecsSinceStartOfDay());
    }
}

void Korvel::setSplitMode(int split) {
    if (m_currentPage == nullptr) {
        return;
    }
    m_currentPage->setSplitMode(split);
    m_splitMode = split;
}

void Korvel::slotTimelineSeek(qint64 ms) {
    const QDate day = m_timeline->day();
    if (m_currentPage == nullptr || !day.isValid()) {
        return;
    }
    userCommand();
    const QDateTime at(day, QTime::fromMSecsSinceStartOfDay(int(ms)));
    loadGsensorLog(day.year() * 10000 + day.month() * 100 + day.day(), at.time().hour());
    if (m_currentPage->viewCount() > 0) {
        m_currentPage->seekTo(at);
    } else if (dayFolderDate(m_currentFolder) != 0) {
        m_currentPage->openRecordingSite(kRecordingKey, QPoint(-1, -1), kWholeCellZone,
                                         kRecordingKind, at, m_currentFolder.toLocal8Bit());
    }
}

// ------------------------------------------------------------ timeline spans

void Korvel::stopSpans(bool wait) {
    if (m_spansCancel) {
        m_spansCancel->store(true);
    }
    if (!m_spansThread) {
        return;
    }
    if (wait) {
        m_spansThread->wait();
        m_spansThread.reset();
        return;
    }
    // A cancelled scan may still be inside a slow read: the teardown thread
    // waits for it. Cancelled, it delivers nothing.
    QThread* thread = m_spansThread.release();
    m_teardown->post([thread] {
        thread->wait();
        delete thread;
    });
}

void Korvel::requestSpans(const QString& dayFolder, const QDate& day) {
    stopSpans();
    const int generation = ++m_spansGeneration;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_spansCancel = cancel;
    const std::string folder = QFile::encodeName(dayFolder).toStdString();
    QPointer<Korvel> self(this);
    m_spansThread.reset(QThread::create([self, cancel, folder, generation, day] {
        const std::vector<daySpans::Span> found =
            daySpans::recordedSpans(folder, [&cancel] { return !cancel->load(); });
        if (cancel->load()) {
            return;
        }
        QVector<UCDayTimeline::Span> spans;
        for (const daySpans::Span& s : found) {
            spans.append({s.startMs, s.endMs});
        }
        // Delivered on the GUI thread; dropped when the window went away or
        // a newer day was asked for meanwhile.
        QMetaObject::invokeMethod(
            self.data(),
            [self, spans, generation, day] {
                if (self && generation == self->m_spansGeneration &&
                    self->m_timeline->day() == day) {
                    self->m_timeline->setSpans(spans);
                }
            },
            Qt::QueuedConnection);
    }));
    m_spansThread->start(QThread::LowPriority);
}

// ----------------------------------------------------------- opening cards

void Korvel::slotOpenFolderDialog() {
    QFileDialog dialog(this, tr("Open a card or a day folder"), m_cardRoot);
    dialog.setObjectName("OpenFolderDialog");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    userCommand();
    openStartFolder(dialog.selectedFiles().first());
}

QString Korvel::droppedFolder(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return QString();
    }
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        return QString();
    }
    const QString path = urls.first().toLocalFile();
    return QFileInfo(path).isDir() ? path : QString();
}

void Korvel::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFolder(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QMainWindow::dragEnterEvent(event);
}

void Korvel::dropEvent(QDropEvent* event) {
    const QString folder = droppedFolder(event->mimeData());
    if (folder.isEmpty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    userCommand();
    openStartFolder(folder);
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
