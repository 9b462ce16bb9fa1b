#pragma once

// The export dialog: a stretch of the opened day out as clips (one MP4 per
// channel, the recorded pictures as they are), as an evidence video (the
// channels in a grid with date, time, speed, position and vehicle number
// burned in) or as the GPS track (GPX, KML or CSV), into a folder the dialog
// remembers. The export runs off the GUI thread (CExportJob) while the dialog
// shows its progress and the time left; Cancel (or Esc) stops it and leaves
// no file behind. The viewer stays usable meanwhile: the dialog is not modal.
//
// The range comes from setRange() (the timeline's in and out points) or is
// typed in; the channels are those of the day, with the card's titles.
//
// Threading: GUI thread only.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

namespace analysis {
struct DayAnalysis;
}
class CExportJob;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimeEdit;

class UCDlgExport : public QDialog {
    Q_OBJECT

public:
    // What the dialog exports as, in the order of its "Export as" list.
    enum Kind { Clips = 0, Evidence = 1, Gpx = 2, Kml = 3, Csv = 4 };
    // The native store's keys of the last folder and kind.
    static const char* const kFolderKey;  // "EXPORT/LAST_FOLDER"
    static const char* const kKindKey;    // "EXPORT/LAST_KIND"

    explicit UCDlgExport(QWidget* parent = nullptr);
    ~UCDlgExport() override;

    // The day folder to export from; `day` is its analysis when the viewer
    // has it (the track and the burned-in speed and position are then not
    // read again), or null.
    void setDay(const QString& dayFolder, std::shared_ptr<const analysis::DayAnalysis> day);
    // The range in ms of the day (from < to).
    void setRange(qint64 fromMs, qint64 toMs);
    // The selected view's channel: ticked, and its audio goes into an
    // evidence video.
    void setSelectedChannel(int channel);
    void setUseMph(bool mph);
    void setKind(Kind kind);
    void setFolder(const QString& folder);

    QString folder() const;
    Kind kind() const;
    qint64 fromMs() const;
    qint64 toMs() const;
    std::vector<int> checkedChannels() const;
    bool running() const;
    // The paths the export would write, by the current choices.
    QStringList targetPaths() const;

    // Starts the export as the Export button does; false (with a message box)
    // when the choices do not make an export.
    bool startExport();

    // The main window's texts for the dialog's button and menu entry.
    static QString actionText();

signals:
    // An export ended: status as exporting::Status (0 ok, 1 cancelled, 2
    // failed), its message and the files it wrote.
    void signalExportFinished(int status, QString message, QStringList files);

public slots:
    void reject() override;

private:
    void onProgress(double fraction, double secondsLeft);
    void onFinished(int status, QString message, QStringList files, QStringList notes);
    void onKindChanged();
    void onChannelsChanged();
    void browse();
    void openFolder();
    void setBusy(bool busy);

    QString m_dayFolder;
    int m_dayDate = 0;
    std::shared_ptr<const analysis::DayAnalysis> m_day;
    std::map<int, QString> m_titles;  // the day's channels and their titles
    bool m_useMph = false;
    int m_selectedChannel = -1;

    QLabel* m_dayLabel = nullptr;
    QComboBox* m_kind = nullptr;
    QTimeEdit* m_from = nullptr;
    QTimeEdit* m_to = nullptr;
    QLabel* m_channelsLabel = nullptr;
    QWidget* m_channelsBox = nullptr;
    QGridLayout* m_channelsGrid = nullptr;
    std::vector<QCheckBox*> m_channelBoxes;
    QLabel* m_audioLabel = nullptr;
    QComboBox* m_audio = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_openFolder = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_close = nullptr;
    CExportJob* m_job = nullptr;
};
