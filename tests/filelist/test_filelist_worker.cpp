// Day-folder listing of the file-list worker and the job that runs it on a
// thread of its own.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "recording/qt/FileListJob.h"
#include "recording/qt/ReadFileListThreadWorker.h"

namespace {

void writeFile(const QString& path, int size) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(QByteArray(size, 'x')), qint64(size));
}

struct Listing {
    QStringList names;
    QList<int> dates;
    int ends = 0;
};

// Runs the listing on the calling thread and collects what it emitted.
Listing listFolder(const QString& folderPath) {
    ReadFileListThreadWorker worker;
    worker.setFolderPath(folderPath);
    Listing listing;
    QObject::connect(&worker, &ReadFileListThreadWorker::signalAddItem,
                     [&listing](const QString& name, int date) {
                         listing.names << name;
                         listing.dates << date;
                     });
    QObject::connect(&worker, &ReadFileListThreadWorker::signalEndOfReadFileList,
                     [&listing] { ++listing.ends; });
    worker.slotReadFile();
    return listing;
}

}  // namespace

// Receives the job's signals the way the main window does.
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
    void initTestCase();
    void listsRecordingsAboveMinimumSize();
    void folderNameNotADate_data();
    void folderNameNotADate();
    void sortsIgnoringCaseAndAcceptsUpperCaseExtension();
    void cancelFinishesCurrentFile();
    void jobDeliversOnReceiverThread();
    void jobCancelStopsEarlyAndDropsQueuedItems();

private:
    QString makeDayFolder(const QString& name);
    QTemporaryDir m_root;
};

void TestFileListWorker::initTestCase() {
    QVERIFY(m_root.isValid());
}

QString TestFileListWorker::makeDayFolder(const QString& name) {
    const QString path = m_root.filePath(name);
    if (!QDir().mkpath(path)) {
        qFatal("cannot create %s", qPrintable(path));
    }
    return path;
}

void TestFileListWorker::listsRecordingsAboveMinimumSize() {
    const QString day = makeDayFolder("card/20160301");
    writeFile(day + "/134501000.ssf", 1000);
    writeFile(day + "/134601000.ssf", 100);
    writeFile(day + "/134701000.ssf", 300);
    writeFile(day + "/134801000.ssf", 301);
    writeFile(day + "/134501000.idx", 1000);
    writeFile(day + "/134501000.ssf.bak", 1000);
    QVERIFY(QDir().mkpath(day + "/135001000.ssf"));

    Listing listing = listFolder(day);
    QCOMPARE(listing.names, (QStringList{"13:45:01", "13:48:01"}));
    QCOMPARE(listing.dates, (QList<int>{20160301, 20160301}));
    QCOMPARE(listing.ends, 1);

    // Empty path parts are dropped before the day name is taken.
    listing = listFolder(day + "//");
    QCOMPARE(listing.names, (QStringList{"13:45:01", "13:48:01"}));
    QCOMPARE(listing.dates.value(0), 20160301);

    // A date folder that does not exist lists nothing but still ends.
    listing = listFolder(m_root.filePath("card/20160302"));
    QVERIFY(listing.names.isEmpty());
    QCOMPARE(listing.ends, 1);

    // Paths without a last part.
    QCOMPARE(listFolder(QString()).ends, 1);
    QCOMPARE(listFolder("/").ends, 1);
}

void TestFileListWorker::folderNameNotADate_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("month -0") << "2016-03";
    QTest::newRow("letters") << "logs";
    QTest::newRow("before 1970") << "19691231";
    QTest::newRow("month 00") << "20160001";
    QTest::newRow("day 00") << "20160300";
    QTest::newRow("too short") << "2016";
}

void TestFileListWorker::folderNameNotADate() {
    QFETCH(QString, name);
    const QString folder = makeDayFolder("names/" + name);
    writeFile(folder + "/120000000.ssf", 1000);

    const Listing listing = listFolder(folder);
    QVERIFY(listing.names.isEmpty());
    QCOMPARE(listing.ends, 1);
}

void TestFileListWorker::sortsIgnoringCaseAndAcceptsUpperCaseExtension() {
    const QString day = makeDayFolder("case/20180102");
    writeFile(day + "/0900ac00.ssf", 400);
    writeFile(day + "/0900AB00.SSF", 400);
    writeFile(day + "/0900aa00.Ssf", 400);
    writeFile(day + "/0800zz00.ssf", 400);

    const Listing listing = listFolder(day);
    QCOMPARE(listing.names, (QStringList{"08:00:zz", "09:00:aa", "09:00:AB", "09:00:ac"}));
    QCOMPARE(listing.dates.value(0), 20180102);
}

void TestFileListWorker::cancelFinishesCurrentFile() {
    const QString day = makeDayFolder("cancel/20160301");
    for (int i = 0; i < 20; ++i) {
        writeFile(day + QString("/1200%1.ssf").arg(i, 2, 10, QChar('0')), 400);
    }
    ReadFileListThreadWorker worker;
    worker.setFolderPath(day);
    QStringList names;
    int ends = 0;
    // A cancel that arrives while the third file is being handled.
    QObject::connect(&worker, &ReadFileListThreadWorker::signalAddItem,
                     [&](const QString& name, int) {
                         names << name;
                         if (names.size() == 3) {
                             worker.setCancelFlag(ReadFileListThreadWorker::Stop);
                         }
                     });
    QObject::connect(&worker, &ReadFileListThreadWorker::signalEndOfReadFileList,
                     [&ends] { ++ends; });
    worker.slotReadFile();
    QCOMPARE(names, (QStringList{"12:00:00", "12:00:01", "12:00:02"}));
    QCOMPARE(ends, 1);

    // A worker cancelled before it starts lists nothing.
    names.clear();
    worker.slotReadFile();
    QVERIFY(names.isEmpty());
    QCOMPARE(ends, 2);
}

void TestFileListWorker::jobDeliversOnReceiverThread() {
    const QString day = makeDayFolder("job/20200229");
    writeFile(day + "/235959010.ssf", 500);
    writeFile(day + "/000000010.ssf", 500);

    FileListReceiver receiver;
    FileListJob job;
    job.start(day, &receiver);
    QTRY_COMPARE(receiver.ends, 1);
    QCOMPARE(receiver.names, (QStringList{"00:00:00", "23:59:59"}));
    QCOMPARE(receiver.dates, (QList<int>{20200229, 20200229}));
    QVERIFY(!receiver.offThread);
    // The thread ends by itself after the end signal.
    QTRY_VERIFY(!job.isRunning());
}

void TestFileListWorker::jobCancelStopsEarlyAndDropsQueuedItems() {
    const QString big = makeDayFolder("many/20160301");
    const int total = 3000;
    for (int i = 0; i < total; ++i) {
        writeFile(big + QString("/%1.ssf").arg(i, 9, 10, QChar('0')), 301);
    }
    const QString small = makeDayFolder("many/20160302");
    writeFile(small + "/101010000.ssf", 400);

    FileListReceiver receiver;
    FileListJob job;
    job.start(big, &receiver, SLOT(slotAddFileItem(QString, int)), SLOT(slotEndOfReadFileList()));
    QTRY_VERIFY(!receiver.names.isEmpty());
    QVERIFY(job.isRunning());
    job.cancel();
    QVERIFY(!job.isRunning());
    const int delivered = receiver.names.size();
    QVERIFY2(delivered < total, qPrintable(QString::number(delivered)));

    // Whatever the cancelled worker had queued never arrives, and the next
    // listing reports only its own folder.
    job.start(small, &receiver);
    QTRY_COMPARE(receiver.ends, 1);
    QCOMPARE(receiver.names.mid(delivered), QStringList{"10:10:10"});
    QCOMPARE(receiver.dates.last(), 20160302);
    QVERIFY(receiver.dates.mid(0, delivered).count(20160301) == delivered);

    // Destroying a running job cancels it.
    {
        FileListJob running;
        running.start(big, &receiver);
        QTRY_VERIFY(receiver.names.size() > delivered + 1);
    }
    const int afterDestroy = receiver.names.size();
    QCoreApplication::processEvents();
    QCOMPARE(receiver.names.size(), afterDestroy);
    QCOMPARE(receiver.ends, 1);
}

QTEST_GUILESS_MAIN(TestFileListWorker)
#include "test_filelist_worker.moc"
