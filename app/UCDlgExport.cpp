#include "app/UCDlgExport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>
#include <QTimeEdit>
#include <QUrl>
#include <QVBoxLayout>

#include "analysis/DayAnalysis.h"
#include "analysis/DayReader.h"
#include "app/CExportJob.h"
#include "export/CardLabels.h"
#include "export/ChannelStream.h"
#include "export/ClipExport.h"
#include "export/EvidenceExport.h"
#include "export/TrackExport.h"
#include "recording/DayListing.h"
#include "widgets/MessageBox.h"

const char* const UCDlgExport::kFolderKey = "EXPORT/LAST_FOLDER";
const char* const UCDlgExport::kKindKey = "EXPORT/LAST_KIND";

namespace {

constexpr qint64 kMsPerDay = 86'400'000;

QTime timeOfMs(qint64 ms) {
    return QTime(0, 0).addMSecs(static_cast<int>(std::clamp<qint64>(ms, 0, kMsPerDay - 1000)));
}

QString defaultFolder() {
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return !movies.isEmpty() && QFileInfo(movies).isDir() ? movies : QDir::homePath();
}

}  // namespace

QString UCDlgExport::actionText() {
    return QCoreApplication::translate("UCDlgExport", "Export...");
}

UCDlgExport::UCDlgExport(QWidget* parent) : QDialog(parent) {
    setObjectName("UCDlgExport");
    setWindowTitle(tr("Export"));
    setModal(false);

    auto* form = new QFormLayout;
    m_dayLabel = new QLabel(this);
    m_dayLabel->setObjectName("lbDay");
    form->addRow(tr("Day"), m_dayLabel);

    m_kind = new QComboBox(this);
    m_kind->setObjectName("cbKind");
    m_kind->addItem(tr("Clips: one MP4 per channel, pictures as recorded"));
    m_kind->addItem(tr("Evidence video: channels in a grid, date, time, speed and position "
                       "burned in"));
    m_kind->addItem(tr("Track as GPX"));
    m_kind->addItem(tr("Track as KML (Google Earth)"));
    m_kind->addItem(tr("Track as CSV (spreadsheet)"));
    form->addRow(tr("Export as"), m_kind);

    auto* range = new QHBoxLayout;
    m_from = new QTimeEdit(this);
    m_from->setObjectName("teFrom");
    m_to = new QTimeEdit(this);
    m_to->setObjectName("teTo");
    for (QTimeEdit* edit : {m_from, m_to}) {
        edit->setDisplayFormat("HH:mm:ss");
    }
    range->addWidget(m_from);
    range->addWidget(new QLabel(tr("to"), this));
    range->addWidget(m_to);
    range->addStretch(1);
    form->addRow(tr("From"), range);

    m_channelsBox = new QWidget(this);
    m_channelsBox->setObjectName("wgChannels");
    m_channelsGrid = new QGridLayout(m_channelsBox);
    m_channelsGrid->setContentsMargins(0, 0, 0, 0);
    m_channelsLabel = new QLabel(tr("Channels"), this);
    form->addRow(m_channelsLabel, m_channelsBox);

    m_audio = new QComboBox(this);
    m_audio->setObjectName("cbAudio");
    m_audioLabel = new QLabel(tr("Audio"), this);
    form->addRow(m_audioLabel, m_audio);

    auto* where = new QHBoxLayout;
    m_folder = new QLineEdit(this);
    m_folder->setObjectName("leFolder");
    m_browse = new QPushButton(tr("Browse..."), this);
    m_browse->setObjectName("pbBrowse");
    where->addWidget(m_folder, 1);
    where->addWidget(m_browse);
    form->addRow(tr("Save in"), where);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName("pgExport");
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progress->setFormat("%p%");
    m_progress->setTextVisible(false);
    m_status = new QLabel(this);
    m_status->setObjectName("lbStatus");
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_openFolder = new QPushButton(tr("Open Folder"), this);
    m_openFolder->setObjectName("pbOpenFolder");
    m_openFolder->hide();
    m_export = new QPushButton(tr("Export"), this);
    m_export->setObjectName("pbExport");
    m_export->setDefault(true);
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName("pbClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_openFolder);
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_close);

    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(m_progress);
    box->addWidget(m_status);
    box->addLayout(buttons);
    setMinimumWidth(560);

    m_job = new CExportJob(this);
    connect(m_job, &CExportJob::signalProgress, this, &UCDlgExport::onProgress);
    connect(m_job, &CExportJob::signalFinished, this, &UCDlgExport::onFinished);
    connect(m_kind, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &UCDlgExport::onKindChanged);
    connect(m_browse, &QPushButton::clicked, this, &UCDlgExport::browse);
    connect(m_openFolder, &QPushButton::clicked, this, &UCDlgExport::openFolder);
    connect(m_export, &QPushButton::clicked, this, [this] { startExport(); });
    connect(m_close, &QPushButton::clicked, this, &UCDlgExport::reject);

    const QSettings store("QUENDRA", "Korvel");
    const QString folder = store.value(kFolderKey).toString();
    m_folder->setText(!folder.isEmpty() && QFileInfo(folder).isDir() ? folder : defaultFolder());
    setKind(static_cast<Kind>(std::clamp(store.value(kKindKey, 0).toInt(), 0, 4)));
    onKindChanged();
}

UCDlgExport::~UCDlgExport() = default;

void UCDlgExport::setDay(const QString& dayFolder,
                         std::shared_ptr<const analysis::DayAnalysis> day) {
    m_dayFolder = dayFolder;
    m_day = std::move(day);
    const std::string folder = dayFolder.toStdString();
    m_dayDate = dayListing::dayFolderDate(folder);
    const exporting::CardLabels labels = exporting::readCardLabels(analysis::cardRootOf(folder));
    m_titles.clear();
    for (const int channel : exporting::channelsOfDay(folder)) {
        m_titles[channel] = QString::fromStdString(labels.titleOf(channel));
    }
    const QDate date = QDate(m_dayDate / 10000, m_dayDate / 100 % 100, m_dayDate % 100);
    m_dayLabel->setText(date.isValid() ? QString("%1    %2").arg(date.toString("yyyy-MM-dd"),
                                                                 QDir::toNativeSeparators(dayFolder))
                                       : QDir::toNativeSeparators(dayFolder));
    for (QCheckBox* box : m_channelBoxes) {
        delete box;
    }
    m_channelBoxes.clear();
    int i = 0;
    for (const auto& [channel, title] : m_titles) {
        auto* box = new QCheckBox(title, m_channelsBox);
        box->setObjectName(QString("cbChannel%1").arg(channel + 1));
        box->setProperty("channel", channel);
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &UCDlgExport::onChannelsChanged);
        m_channelsGrid->addWidget(box, i / 4, i % 4);
        m_channelBoxes.push_back(box);
        ++i;
    }
    if (m_titles.empty()) {
        m_status->setText(tr("The day folder holds no recordings."));
    }
    onChannelsChanged();
}

void UCDlgExport::setRange(qint64 fromMs, qint64 toMs) {
    m_from->setTime(timeOfMs(fromMs));
    m_to->setTime(timeOfMs(toMs));
}

void UCDlgExport::setSelectedChannel(int channel) {
    m_selectedChannel = channel;
    for (QCheckBox* box : m_channelBoxes) {
        if (box->property("channel").toInt() == channel) {
            box->setChecked(true);
        }
    }
    const int index = m_audio->findData(channel);
    if (index >= 0) {
        m_audio->setCurrentIndex(index);
    }
}

void UCDlgExport::setUseMph(bool mph) {
    m_useMph = mph;
}

void UCDlgExport::setKind(Kind kind) {
    m_kind->setCurrentIndex(static_cast<int>(kind));
}

void UCDlgExport::setFolder(const QString& folder) {
    m_folder->setText(folder);
}

QString UCDlgExport::folder() const {
    return m_folder->text().trimmed();
}

UCDlgExport::Kind UCDlgExport::kind() const {
    return static_cast<Kind>(m_kind->currentIndex());
}

qint64 UCDlgExport::fromMs() const {
    return QTime(0, 0).msecsTo(m_from->time());
}

qint64 UCDlgExport::toMs() const {
    return QTime(0, 0).msecsTo(m_to->time());
}

std::vector<int> UCDlgExport::checkedChannels() const {
    std::vector<int> channels;
    for (QCheckBox* box : m_channelBoxes) {
        if (box->isChecked()) {
            channels.push_back(box->property("channel").toInt());
        }
    }
    return channels;
}

bool UCDlgExport::running() const {
    return m_job->running();
}

QStringList UCDlgExport::targetPaths() const {
    const QDir dir(folder());
    const std::string stem = std::to_string(m_dayDate) + "_" + exporting::compactClock(fromMs()) +
                             "-" + exporting::compactClock(toMs());
    QStringList paths;
    switch (kind()) {
        case Clips:
            for (const int channel : checkedChannels()) {
                paths << dir.filePath(QString::fromStdString(
                    exporting::clipFileName(m_dayDate, fromMs(), toMs(), channel)));
            }
            break;
        case Evidence:
            paths << dir.filePath(QString::fromStdString(stem + "_evidence.mp4"));
            break;
        case Gpx:
            paths << dir.filePath(QString::fromStdString(stem + ".gpx"));
            break;
        case Kml:
            paths << dir.filePath(QString::fromStdString(stem + ".kml"));
            break;
        case Csv:
            paths << dir.filePath(QString::fromStdString(stem + ".csv"));
            break;
    }
    return paths;
}

void UCDlgExport::onKindChanged() {
    const bool video = kind() == Clips || kind() == Evidence;
    m_channelsLabel->setVisible(video);
    m_channelsBox->setVisible(video);
    m_audioLabel->setVisible(kind() == Evidence);
    m_audio->setVisible(kind() == Evidence);
    m_openFolder->hide();
}

void UCDlgExport::onChannelsChanged() {
    // The audio list follows the ticked channels and keeps its choice while
    // that channel stays ticked; otherwise the selected view's channel, as
    // the viewer plays its sound, else the first.
    const QVariant previous = m_audio->currentData();
    m_audio->clear();
    m_audio->addItem(tr("None"), -1);
    for (const int channel : checkedChannels()) {
        m_audio->addItem(m_titles[channel], channel);
    }
    int index = previous.isValid() ? m_audio->findData(previous) : -1;
    if (index < 0) {
        index = m_audio->findData(m_selectedChannel);
    }
    if (index < 0) {
        index = m_audio->count() > 1 ? 1 : 0;
    }
    m_audio->setCurrentIndex(index);
}

void UCDlgExport::browse() {
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Save in"), folder());
    if (!chosen.isEmpty()) {
        m_folder->setText(chosen);
    }
}

void UCDlgExport::openFolder() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder()));
}

void UCDlgExport::setBusy(bool busy) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_kind, m_from, m_to, m_channelsBox, m_audio,
                                                      m_folder, m_browse, m_export}) {
        w->setEnabled(!busy);
    }
    m_close->setText(busy ? tr("Cancel") : tr("Close"));
}

bool UCDlgExport::startExport() {
    if (m_job->running()) {
        return false;
    }
    const QString title = tr("Export");
    const qint64 from = fromMs();
    const qint64 to = toMs();
    if (m_dayFolder.isEmpty() || m_dayDate == 0) {
        showMessageBox(title, tr("Open a day folder first."), 1);
        return false;
    }
    if (to <= from) {
        showMessageBox(title, tr("The end of the range must come after its start."), 1);
        return false;
    }
    const std::vector<int> channels = checkedChannels();
    const bool video = kind() == Clips || kind() == Evidence;
    if (video && channels.empty()) {
        showMessageBox(title, tr("Tick at least one channel."), 1);
        return false;
    }
    if (kind() == Evidence &&
        channels.size() > static_cast<std::size_t>(exporting::kMaxEvidenceChannels)) {
        showMessageBox(title, tr("An evidence video holds at most 9 channels."), 1);
        return false;
    }
    const QString dir = folder();
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        showMessageBox(title, tr("The folder %1 does not exist.").arg(dir), 1);
        return false;
    }
    const QStringList targets = targetPaths();
    QStringList existing;
    for (const QString& path : targets) {
        if (QFileInfo::exists(path)) {
            existing << QDir::toNativeSeparators(path);
        }
    }
    if (!existing.isEmpty() &&
        showMessageBox(title, tr("Replace the existing files?\n%1").arg(existing.join('\n')), 2) !=
            1024) {
        return false;
    }
    QSettings store("QUENDRA", "Korvel");
    store.setValue(kFolderKey, dir);
    store.setValue(kKindKey, static_cast<int>(kind()));

    const exporting::ExportRange range{m_dayFolder.toStdString(), from, to, channels};
    std::shared_ptr<const analysis::DayAnalysis> day = m_day;
    CExportJob::Work work;
    switch (kind()) {
        case Clips: {
            const exporting::ClipRequest request{range, dir.toStdString()};
            work = [request](const exporting::ExportControl& c) {
                return exporting::exportClips(request, c);
            };
            break;
        }
        case Evidence: {
            exporting::EvidenceRequest request;
            request.range = range;
            request.outPath = targets.front().toStdString();
            request.audioChannel = m_audio->currentData().toInt();
            request.mph = m_useMph;
            work = [request, day](const exporting::ExportControl& c) mutable {
                request.day = day ? &day->data : nullptr;
                return exporting::exportEvidence(request, c);
            };
            break;
        }
        case Gpx:
        case Kml:
        case Csv: {
            exporting::TrackRequest request;
            request.range = range;
            request.outPath = targets.front().toStdString();
            request.format = kind() == Gpx   ? exporting::TrackFormat::Gpx
                             : kind() == Kml ? exporting::TrackFormat::Kml
                                             : exporting::TrackFormat::Csv;
            work = [request, day](const exporting::ExportControl& c) mutable {
                request.day = day ? &day->data : nullptr;
                return exporting::exportTrack(request, c);
            };
            break;
        }
    }
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_status->setText(tr("Exporting..."));
    m_openFolder->hide();
    setBusy(true);
    m_job->start(std::move(work));
    return true;
}

void UCDlgExport::onProgress(double fraction, double secondsLeft) {
    m_progress->setValue(static_cast<int>(fraction * 1000.0));
    const QString left = QString::fromStdString(exporting::TimeLeft::format(secondsLeft));
    m_status->setText(left.isEmpty() ? tr("Exporting...") : tr("Exporting... %1 left").arg(left));
}

void UCDlgExport::onFinished(int status, QString message, QStringList files, QStringList notes) {
    setBusy(false);
    switch (static_cast<exporting::Status>(status)) {
        case exporting::Status::Ok: {
            m_progress->setValue(1000);
            QString text = files.size() == 1
                               ? tr("Saved %1").arg(QDir::toNativeSeparators(files.front()))
                               : tr("Saved %1 files in %2")
                                     .arg(files.size())
                                     .arg(QDir::toNativeSeparators(folder()));
            if (!notes.isEmpty()) {
                text += "\n" + notes.join('\n');
            }
            m_status->setText(text);
            m_openFolder->show();
            break;
        }
        case exporting::Status::Cancelled:
            m_progress->setValue(0);
            m_status->setText(tr("Cancelled: nothing was saved."));
            break;
        case exporting::Status::Failed:
            m_progress->setValue(0);
            m_status->setText(message);
            showMessageBox(tr("Export"), message, 1);
            break;
    }
    emit signalExportFinished(status, message, files);
}

void UCDlgExport::reject() {
    if (m_job->running()) {
        // The first Cancel (or Esc) stops the export; the dialog stays.
        m_job->cancel();
        return;
    }
    QDialog::reject();
}
