#pragma once

// Lists the recordings of one day folder for the main window's file list.
//
// A day folder is named yyyymmdd and holds recording files whose names start
// with their start time hhmmss. slotReadFile() emits one signalAddItem() per
// recording file larger than 300 bytes, in name order (ignoring case), with
// the start time as "hh:mm:ss" and the folder's date as yyyymmdd, and then
// signalEndOfReadFileList(). A folder whose name is not a date ends the listing
// with only the end signal.
//
// Threading: the worker lives for one listing on a QThread of its own (see
// FileListJob, which does the moving, connecting and cancelling).
//  - setFolderPath() and setFilters() are called by the creating thread before
//    the worker thread starts; afterwards only the worker thread reads them.
//  - slotReadFile() runs on the worker thread and emits both signals from it;
//    receivers on other threads must connect them queued.
//  - setCancelFlag() may be called from any thread at any time. The worker
//    reads the flag between files, so a cancelled listing finishes the file it
//    is on, then emits the end signal.

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class ReadFileListThreadWorker : public QObject {
    Q_OBJECT

public:
    // Values of the cancel flag.
    enum : int { Run = 0, Stop = 1 };

    explicit ReadFileListThreadWorker(QObject* parent = nullptr);

    void setFolderPath(const QString& folderPath) { m_folderPath = folderPath; }
    QString folderPath() const { return m_folderPath; }

    // Handed over together with the folder; the listing itself always looks
    // for "*.ssf".
    void setFilters(const QStringList& filters) { m_filters = filters; }
    QStringList filters() const { return m_filters; }

    void setCancelFlag(int flag) { m_cancelFlag.store(flag); }
    int cancelFlag() const { return m_cancelFlag.load(); }

signals:
    void signalEndOfReadFileList();
    void signalAddItem(QString itemName, int date);

public slots:
    void slotReadFile();

private:
    // Written by the creating thread before the worker thread starts, then
    // read only by the worker thread.
    QString m_folderPath;
    QStringList m_filters;
    // Written by the GUI thread, read by the worker thread between files.
    std::atomic<int> m_cancelFlag{Run};
};
