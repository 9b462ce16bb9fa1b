#pragma once

// Runs one export (clip, evidence or track, see export/) on a thread of its
// own and reports to the GUI thread: signalProgress with the share done and
// the estimated time left, signalFinished with the outcome.
//
// Threading: the object lives on the GUI thread and its signals are emitted
// there. The export runs on a std::thread the object owns; cancel() and the
// destructor set its cancel flag, and the destructor joins the thread, so an
// export never outlives its job (and leaves no file behind when cut short).

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "export/ExportTypes.h"

class CExportJob : public QObject {
    Q_OBJECT

public:
    // One of exporting::exportClips, exportEvidence or exportTrack with its
    // request bound in. It runs on the job's thread: whatever it refers to
    // must stay valid (hold it by value or shared pointer).
    using Work = std::function<exporting::ExportResult(const exporting::ExportControl&)>;

    explicit CExportJob(QObject* parent = nullptr);
    ~CExportJob() override;

    // Starts the work; false when an export is still running.
    bool start(Work work);
    void cancel();
    bool running() const { return m_running; }

signals:
    // fraction 0-1; secondsLeft -1 while unknown.
    void signalProgress(double fraction, double secondsLeft);
    void signalFinished(int status, QString message, QStringList files, QStringList notes);

private:
    std::thread m_thread;                // joined by the GUI thread
    std::atomic<bool> m_cancel{false};   // set by the GUI thread, read by the export
    bool m_running = false;              // GUI thread
};
