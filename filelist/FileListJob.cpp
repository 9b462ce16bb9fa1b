#include "filelist/FileListJob.h"

#include <QThread>

namespace {

// Receives the worker's signals on the job's thread and passes them on. It is
// the target of the queued events, so deleting it drops the ones not yet
// delivered.
class FileListRelay : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    void signalEndOfReadFileList();
    void signalAddItem(QString itemName, int date);
};

}  // namespace

FileListJob::FileListJob() = default;

FileListJob::~FileListJob() {
    cancel();
}

void FileListJob::startListing(const QString& folderPath, QObject* receiver,
                               std::function<void(QString, int)> addItem, std::function<void()> end,
                               const QStringList& filters) {
    cancel();

    auto relay = std::make_unique<FileListRelay>();
    QObject::connect(relay.get(), &FileListRelay::signalAddItem, receiver, std::move(addItem));
    QObject::connect(relay.get(), &FileListRelay::signalEndOfReadFileList, receiver,
                     std::move(end));

    auto thread = std::make_unique<QThread>();
    auto worker = std::make_unique<ReadFileListThreadWorker>();
    worker->setFolderPath(folderPath);
    worker->setFilters(filters);
    worker->moveToThread(thread.get());
    QObject::connect(thread.get(), &QThread::started, worker.get(),
                     &ReadFileListThreadWorker::slotReadFile);
    QObject::connect(worker.get(), &ReadFileListThreadWorker::signalAddItem, relay.get(),
                     &FileListRelay::signalAddItem, Qt::QueuedConnection);
    QObject::connect(worker.get(), &ReadFileListThreadWorker::signalEndOfReadFileList, relay.get(),
                     &FileListRelay::signalEndOfReadFileList, Qt::QueuedConnection);
    // Ends the idle event loop of the worker thread once the listing is done.
    QObject::connect(worker.get(), &ReadFileListThreadWorker::signalEndOfReadFileList, thread.get(),
                     &QThread::quit, Qt::DirectConnection);

    m_relay = std::move(relay);
    m_worker = std::move(worker);
    m_thread = std::move(thread);
    m_thread->start(QThread::InheritPriority);
}

void FileListJob::cancel() {
    if (m_thread) {
        m_worker->setCancelFlag(ReadFileListThreadWorker::Stop);
        m_thread->quit();
        m_thread->wait();
    }
    // The worker thread has ended, so nothing touches the worker any more.
    m_worker.reset();
    m_thread.reset();
    m_relay.reset();
}

bool FileListJob::isRunning() const {
    return m_thread && m_thread->isRunning();
}

#include "FileListJob.moc"
