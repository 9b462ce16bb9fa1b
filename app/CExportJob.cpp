#include "app/CExportJob.h"

#include <QMetaObject>

CExportJob::CExportJob(QObject* parent) : QObject(parent) {}

CExportJob::~CExportJob() {
    m_cancel.store(true);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool CExportJob::start(Work work) {
    if (m_running) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_cancel.store(false);
    m_running = true;
    m_thread = std::thread([this, work = std::move(work)] {
        exporting::ExportControl control;
        control.cancel = &m_cancel;
        const exporting::TimeLeft clock;
        control.progress = [this, &clock](double fraction) {
            const double left = clock.secondsLeft(fraction);
            // Queued to the GUI thread; dropped if the job is gone by then.
            QMetaObject::invokeMethod(
                this, [this, fraction, left] { emit signalProgress(fraction, left); },
                Qt::QueuedConnection);
        };
        const exporting::ExportResult result = work(control);
        QStringList files;
        for (const std::string& f : result.files) {
            files << QString::fromStdString(f);
        }
        QStringList notes;
        for (const std::string& n : result.notes) {
            notes << QString::fromStdString(n);
        }
        const int status = static_cast<int>(result.status);
        const QString message = QString::fromStdString(result.message);
        QMetaObject::invokeMethod(
            this,
            [this, status, message, files, notes] {
                m_running = false;
                emit signalFinished(status, message, files, notes);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void CExportJob::cancel() {
    m_cancel.store(true);
}
