#pragma once

// Runs one ReadFileListThreadWorker at a time on a thread of its own, for the
// owner of a file list (the main window):
//
//   m_fileList.start(folder, this);   // slotAddFileItem / slotEndOfReadFileList
//   m_fileList.cancel();              // or just start the next listing
//
// start() first cancels the listing before it, then creates a worker and a
// QThread, moves the worker to the thread, connects started() to
// slotReadFile() and the worker's two signals, queued, to the receiver's slots,
// and starts the thread with the creator's priority. The thread quits by itself
// after the end signal.
//
// cancel() sets the worker's cancel flag, quits the thread, waits for it and
// deletes thread and worker. The worker checks the flag between files, so the
// wait is at most one file long. Signals the cancelled worker queued but the
// receiver has not yet handled are dropped: after cancel() (and so after
// start()) the receiver hears only from the new listing.
//
// Threading: a FileListJob and its receiver belong to one thread with an event
// loop (the GUI thread); start(), cancel() and the destructor are called there
// only. The receiver's slots run on that thread. A receiver destroyed while the
// job runs simply hears nothing more (its connections go with it).

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "filelist/ReadFileListThreadWorker.h"

class QThread;

class FileListJob {
public:
    FileListJob();
    ~FileListJob();
    FileListJob(const FileListJob&) = delete;
    FileListJob& operator=(const FileListJob&) = delete;

    // addItem receives (QString itemName, int date) per recording, end
    // nothing; both are member functions of the receiver, by default its
    // slotAddFileItem and slotEndOfReadFileList.
    template <class Receiver>
    void start(const QString& folderPath, Receiver* receiver,
               void (Receiver::*addItem)(QString, int) = &Receiver::slotAddFileItem,
               void (Receiver::*end)() = &Receiver::slotEndOfReadFileList,
               const QStringList& filters = QStringList()) {
        startListing(
            folderPath, receiver,
            [receiver, addItem](QString itemName, int date) {
                (receiver->*addItem)(itemName, date);
            },
            [receiver, end] { (receiver->*end)(); }, filters);
    }
    void cancel();

    // True from start() until the listing has ended (or was cancelled).
    bool isRunning() const;

private:
    // The calls run on the receiver's thread and stop with the receiver.
    void startListing(const QString& folderPath, QObject* receiver,
                      std::function<void(QString, int)> addItem, std::function<void()> end,
                      const QStringList& filters);

    // All members belong to the job's thread. m_relay forwards the worker's
    // queued signals to the receiver; deleting it discards what is still queued.
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<ReadFileListThreadWorker> m_worker;
    std::unique_ptr<QObject> m_relay;
};
