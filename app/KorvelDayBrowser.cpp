// The main window's day browser: the folder tree and file list, the day
// beside the video, seeking by keys and the timeline, and opening cards.

#include "app/Korvel.h"
#include "app/KorvelParts.h"

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
    m_fileList.start(_path, this, &Korvel::slotAddFileItem, &Korvel::slotEndOfReadFileList,
                     _filters);
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
