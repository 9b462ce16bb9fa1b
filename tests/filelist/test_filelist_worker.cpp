// Day-folder listing of the file-list worker and the job that runs it on a
// thread of its own.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "filelist/FileListJob.h"
#include "filelist/ReadFileListThreadWorker.h"

// Collects what a listing reports, the way the main window receives it.
class FileListReceiver : public QObject {
    Q_OBJECT

public:
    QStringList names;
    QList<int> dates;
    int ends = 0;
    bool offThread = false;

public slots:
    void slotAddFileItem(QString name, int date) {
        offThread = offThread || QThread::currentThread() != thread();
        names << name;
        dates << date;
    }
    void slotEndOfReadFileList() { ++ends; }
};

class TestFileListWorker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_root.isValid()); }
    void listsDayFolders();
    void cancelFinishesCurrentFile();
    void jobCancelStopsEarlyAndDropsQueuedItems();

private:
    // Runs the listing on the calling thread.
    static void list(const QString& folder, FileListReceiver* receiver,
                     ReadFileListThreadWorker* worker = nullptr);
    QString makeDayFolder(const QString& name, const QMap<QString, int>& files);
    QTemporaryDir m_root;
};

void TestFileListWorker::list(const QString& folder, FileListReceiver* receiver,
                              ReadFileListThreadWorker* worker) {
    ReadFileListThreadWorker own;
    worker = worker != nullptr ? worker : &own;
    worker->setFolderPath(folder);
    QObject::connect(worker, &ReadFileListThreadWorker::signalAddItem, receiver,
                     &FileListReceiver::slotAddFileItem);
    QObject::connect(worker, &ReadFileListThreadWorker::signalEndOfReadFileList, receiver,
                     &FileListReceiver::slotEndOfReadFileList);
    worker->slotReadFile();
    QObject::disconnect(worker, nullptr, receiver, nullptr);
}

QString TestFileListWorker::makeDayFolder(const QString& name, const QMap<QString, int>& files) {
    const QString path = m_root.filePath(name);
    QDir().mkpath(path);
    for (auto it = files.begin(); it != files.end(); ++it) {
        QFile file(path + '/' + it.key());
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(it.value(), 'x')) < 0) {
            qFatal("cannot write %s", qPrintable(file.fileName()));
        }
    }
    return path;
}

void TestFileListWorker::listsDayFolders() {
    const QString day = makeDayFolder("card/20160301", {{"134501000.ssf", 1000},
                                                        {"134601000.ssf", 100},
                                                        {"134701000.ssf", 300},
                                                        {"134801000.ssf", 301},
                                                        {"134501000.idx", 1000},
                                                        {"134501000.ssf.bak", 1000}});
    QVERIFY(QDir().mkpath(day + "/135001000.ssf"));

    FileListReceiver receiver;
    list(day, &receiver);
    QCOMPARE(receiver.names, (QStringList{"13:45:01", "13:48:01"}));
    QCOMPARE(receiver.dates, (QList<int>{20160301, 20160301}));
    QCOMPARE(receiver.ends, 1);

    // A day folder that does not exist, or whose name is no date, lists
    // nothing but still ends.
    list(m_root.filePath("card/20160302"), &receiver);
    for (const char* name : {"2016-03", "logs", "19691231"}) {
        list(makeDayFolder(QString("names/") + name, {{"120000000.ssf", 1000}}), &receiver);
    }
    QCOMPARE(receiver.names.size(), 2);
    QCOMPARE(receiver.ends, 5);

    // Sorted ignoring case; the extension in any case.
    const QString mixed = makeDayFolder("case/20180102", {{"0900ac00.ssf", 400},
                                                          {"0900AB00.SSF", 400},
                                                          {"0900aa00.Ssf", 400},
                                                          {"0800zz00.ssf", 400}});
    FileListReceiver sorted;
    list(mixed, &sorted);
    QCOMPARE(sorted.names, (QStringList{"08:00:zz", "09:00:aa", "09:00:AB", "09:00:ac"}));
    QCOMPARE(sorted.dates.value(0), 20180102);
}

void TestFileListWorker::cancelFinishesCurrentFile() {
    QMap<QString, int> files;
    for (int i = 0; i < 20; ++i) {
        files.insert(QString("1200%1.ssf").arg(i, 2, 10, QChar('0')), 400);
    }
    const QString day = makeDayFolder("cancel/20160301", files);
    ReadFileListThreadWorker worker;
    FileListReceiver receiver;
    // A cancel that arrives while the third file is being handled (this runs
    // before the receiver hears of it).
    QObject::connect(&worker, &ReadFileListThreadWorker::signalAddItem, [&] {
        if (receiver.names.size() == 2) {
            worker.setCancelFlag(ReadFileListThreadWorker::Stop);
        }
    });
    list(day, &receiver, &worker);
    QCOMPARE(receiver.names, (QStringList{"12:00:00", "12:00:01", "12:00:02"}));
    QCOMPARE(receiver.ends, 1);

    // A worker cancelled before it starts lists nothing.
    list(day, &receiver, &worker);
    QCOMPARE(receiver.names.size(), 3);
    QCOMPARE(receiver.ends, 2);
}

void TestFileListWorker::jobCancelStopsEarlyAndDropsQueuedItems() {
    const int total = 3000;
    QMap<QString, int> files;
    for (int i = 0; i < total; ++i) {
        files.insert(QString("%1.ssf").arg(i, 9, 10, QChar('0')), 301);
    }
    const QString big = makeDayFolder("many/20160301", files);
    const QString small =
        makeDayFolder("many/20200229", {{"235959000.ssf", 400}, {"101010000.ssf", 400}});

    FileListReceiver receiver;
    FileListJob job;
    job.start(big, &receiver, &FileListReceiver::slotAddFileItem,
              &FileListReceiver::slotEndOfReadFileList);
    QTRY_VERIFY(!receiver.names.isEmpty());
    QVERIFY(job.isRunning());
    job.cancel();
    QVERIFY(!job.isRunning());
    const int delivered = receiver.names.size();
    QVERIFY2(delivered < total, qPrintable(QString::number(delivered)));

    // Whatever the cancelled worker had queued never arrives; the next
    // listing reports only its own folder, on the receiver's thread, and its
    // thread ends by itself.
    job.start(small, &receiver);
    QTRY_COMPARE(receiver.ends, 1);
    QCOMPARE(receiver.names.mid(delivered), (QStringList{"10:10:10", "23:59:59"}));
    QCOMPARE(receiver.dates.mid(delivered), (QList<int>{20200229, 20200229}));
    QVERIFY(!receiver.offThread);
    QTRY_VERIFY(!job.isRunning());

    // Destroying a running job cancels it.
    {
        FileListJob running;
        running.start(big, &receiver);
        QTRY_VERIFY(receiver.names.size() > delivered + 3);
    }
    const int afterDestroy = receiver.names.size();
    QCoreApplication::processEvents();
    QCOMPARE(receiver.names.size(), afterDestroy);
    QCOMPARE(receiver.ends, 1);
}

QTEST_GUILESS_MAIN(TestFileListWorker)
#include "test_filelist_worker.moc"
