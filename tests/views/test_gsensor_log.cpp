// The hourly G-sensor log: line format, slot placement (padding of a short
// second, spill of a fifth sample), the path rule and reading files.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "views/GsensorLog.h"

namespace {

// A log line as the recorder writes it, for minute:second of the hour.
QByteArray line(int minute, int second, double x, double y = 0, double z = 0, int e = 0) {
    return QString("[GS][000001][20180102-10%1%2][000][7,2][X:%3,Y:%4,Z:%5,E:%6]\n")
        .arg(minute, 2, 10, QChar('0'))
        .arg(second, 2, 10, QChar('0'))
        .arg(x)
        .arg(y)
        .arg(z)
        .arg(e)
        .toLatin1();
}

double xAt(const GsensorHourBuffer& b, int slot) {
    return b.slot(slot)[0];
}

QList<double> xs(const GsensorHourBuffer& b, int second) {
    QList<double> out;
    for (int i = 0; i < 4; ++i) {
        out << xAt(b, second * 4 + i);
    }
    return out;
}

}  // namespace

class TestGsensorLog : public QObject {
    Q_OBJECT

private slots:
    void lineFormat_data();
    void lineFormat();
    void placement();
    void spillAndEnds();
    void wholeLogs();
    void pathRule();
    void readingFiles();
};

void TestGsensorLog::lineFormat_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("secondOfHour");
    QTest::addColumn<QList<double>>("values");

    QTest::newRow("recorder line")
        << QByteArray("[GS][000017][20180102-091507][100][7,2][X:0.01,Y:-0.02,Z:0.98,E:1]\n")
        << true << 15 * 60 + 7 << QList<double>{0.01, -0.02, 0.98, 1};
    QTest::newRow("crlf") << QByteArray("[GS][1][20180102-095959][0][7,2][X:1.5,Y:2,Z:3,E:4]\r\n")
                          << true << 3599 << QList<double>{1.5, 2, 3, 4};
    QTest::newRow("kind inside a longer field")
        << QByteArray("[GS][1][x-000102][0][a7,2b][X:1,Y:2,Z:3,E:4]") << true << 62
        << QList<double>{1, 2, 3, 4};
    QTest::newRow("item without a value reads 0")
        << QByteArray("[GS][1][x-000102][0][7,2][X:1,Y,Z:a:b,E:4]") << true << 62
        << QList<double>{1, 0, 0, 4};
    QTest::newRow("non-numbers read 0")
        << QByteArray("[GS][1][x-000102][0][7,2][X:nan,Y:inf,Z:zz,E:4]") << true << 62
        << QList<double>{0, 0, 0, 4};
    QTest::newRow("empty pieces dropped")
        << QByteArray("[[GS][1][[x-000102][0][7,2][X:1,Y:2,Z:3,E:4]") << true << 62
        << QList<double>{1, 2, 3, 4};

    const QList<double> none;
    QTest::newRow("other kind") << QByteArray("[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]") << false
                                << 0 << none;
    QTest::newRow("kind reversed")
        << QByteArray("[GS][1][x-000102][0][2,7][X:1,Y:2,Z:3,E:4]") << false << 0 << none;
    QTest::newRow("five items") << QByteArray("[GS][1][x-000102][0][7,2][X:1,Y:2,Z:3,E:4,F:5]")
                                << false << 0 << none;
    QTest::newRow("three items") << QByteArray("[GS][1][x-000102][0][7,2][X:1,Y:2,Z:3]") << false
                                 << 0 << none;
    QTest::newRow("five fields") << QByteArray("[GS][x-000102][0][7,2][X:1,Y:2,Z:3,E:4]") << false
                                 << 0 << none;
    QTest::newRow("no dash in the stamp")
        << QByteArray("[GS][1][000102][0][7,2][X:1,Y:2,Z:3,E:4]") << false << 0 << none;
    QTest::newRow("short stamp") << QByteArray("[GS][1][x-0001][0][7,2][X:1,Y:2,Z:3,E:4]") << false
                                 << 0 << none;
    QTest::newRow("minute 60") << QByteArray("[GS][1][x-006000][0][7,2][X:1,Y:2,Z:3,E:4]") << false
                               << 0 << none;
    QTest::newRow("signed second")
        << QByteArray("[GS][1][x-0001+5][0][7,2][X:1,Y:2,Z:3,E:4]") << false << 0 << none;
    QTest::newRow("empty") << QByteArray("\n") << false << 0 << none;
}

void TestGsensorLog::lineFormat() {
    QFETCH(QByteArray, text);
    QFETCH(bool, usable);
    QFETCH(int, secondOfHour);
    QFETCH(QList<double>, values);

    GsensorLogLine parsed;
    QCOMPARE(parseGsensorLogLine(text, &parsed), usable);
    if (usable) {
        QCOMPARE(parsed.secondOfHour, secondOfHour);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(parsed.values[static_cast<size_t>(i)], values[i]);
        }
    }
}

void TestGsensorLog::placement() {
    GsensorHourBuffer b;
    b.clear();
    GsensorLogParser p(&b);
    // Two samples at 10:15:07, then 10:15:08: 07 is padded with the 08 sample.
    p.addLine(line(15, 7, 1, 11, 21, 31));
    p.addLine(line(15, 7, 2));
    p.addLine(line(15, 8, 3));
    const int s7 = 15 * 60 + 7;
    QCOMPARE(xs(b, s7), (QList<double>{1, 2, 3, 3}));
    QCOMPARE(xAt(b, (s7 + 1) * 4), 3.0);
    // All four values of a slot are kept.
    QCOMPARE(b.slot(s7 * 4)[1], 11.0);
    QCOMPARE(b.slot(s7 * 4)[2], 21.0);
    QCOMPARE(b.slot(s7 * 4)[3], 31.0);

    // A gap: 08 (one sample) is not padded by 10, and 09 stays empty.
    p.addLine(line(15, 10, 4));
    QCOMPARE(xs(b, s7 + 1), (QList<double>{3, 0, 0, 0}));
    QCOMPARE(xs(b, s7 + 2), (QList<double>{0, 0, 0, 0}));

    // Unusable lines in between change neither the slots nor the count.
    p.addLine("[GS][1][x-001510][0][7,3][X:9,Y:9,Z:9,E:9]");
    p.addLine("garbage");
    p.addLine(line(15, 10, 5));
    p.addLine(line(15, 11, 6));
    QCOMPARE(xs(b, s7 + 3), (QList<double>{4, 5, 6, 6}));

    // Time going back starts a new second without padding anything.
    p.addLine(line(0, 30, 7));
    p.addLine(line(0, 31, 8));
    QCOMPARE(xs(b, 30), (QList<double>{7, 8, 8, 8}));
    QCOMPARE(xs(b, s7 + 4), (QList<double>{6, 0, 0, 0}));
}

void TestGsensorLog::spillAndEnds() {
    GsensorHourBuffer b;
    b.clear();
    GsensorLogParser p(&b);
    // The parser starts at 00:00 with no sample: a first line at 00:01 pads 00:00.
    p.addLine(line(0, 1, 9));
    QCOMPARE(xs(b, 0), (QList<double>{9, 9, 9, 9}));

    // Six samples in second 5: the fifth and sixth spill into second 6 ...
    for (int i = 1; i <= 6; ++i) {
        p.addLine(line(0, 5, i));
    }
    QCOMPARE(xs(b, 5), (QList<double>{1, 2, 3, 4}));
    QCOMPARE(xs(b, 6), (QList<double>{5, 6, 0, 0}));
    // ... until second 6's own samples overwrite them (no padding of a full second).
    p.addLine(line(0, 6, 10));
    QCOMPARE(xs(b, 5), (QList<double>{1, 2, 3, 4}));
    QCOMPARE(xs(b, 6), (QList<double>{10, 6, 0, 0}));

    // The hour's last second: a fifth sample would lie beyond the buffer.
    const int written = p.slotsWritten();
    for (int i = 1; i <= 6; ++i) {
        p.addLine(line(59, 59, 20 + i));
    }
    QCOMPARE(xs(b, 3599), (QList<double>{21, 22, 23, 24}));
    QCOMPARE(p.slotsWritten(), written + 4);
}

void TestGsensorLog::wholeLogs() {
    GsensorHourBuffer b;
    b.values.fill(7.0);
    QVERIFY(!parseGsensorLog("[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]\nnothing\n", &b));
    QVERIFY(!parseGsensorLog(QByteArray(), &b));

    // The buffer is cleared first; the last line needs no line end; a line far
    // too long to be a log line is skipped whole.
    b.values.fill(7.0);
    const QByteArray content =
        line(0, 3, 1) + QByteArray(10000, 'x') + "\n" + line(0, 3, 2).trimmed();
    QVERIFY(parseGsensorLog(content, &b));
    QCOMPARE(xs(b, 3), (QList<double>{1, 2, 0, 0}));
    QCOMPARE(xAt(b, 100), 0.0);
}

void TestGsensorLog::pathRule() {
    QCOMPARE(gsensorLogPath("/media/card", 20180102, 9),
             QString("/media/card/logs/20180102m/09.mlog"));
    QCOMPARE(gsensorLogPath("E:", 20991231, 23), QString("E:/logs/20991231m/23.mlog"));
}

void TestGsensorLog::readingFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    GsensorHourBuffer b;
    b.values.fill(7.0);
    QCOMPARE(readGsensorLogFile(dir.filePath("none.mlog"), &b), GsensorLogRead::Missing);
    QCOMPARE(b.values[0], 7.0);  // untouched: the graph shows an empty hour instead
    QCOMPARE(readGsensorLogFile(dir.path(), &b), GsensorLogRead::Missing);

    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    write("bad.mlog", "[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]\r\n");
    QCOMPARE(readGsensorLogFile(dir.filePath("bad.mlog"), &b), GsensorLogRead::NoSamples);

    // CRLF lines, an overlong line and a last line without line end. The
    // overlong line ends in a whole log line: wherever reading cuts it, its
    // tail must not count as a line of its own.
    for (const int junk : {4097, 8194, 9000}) {
        write("good.mlog", line(1, 0, 1).replace("\n", "\r\n") + QByteArray(junk, 'y') +
                               line(1, 0, 5) + line(1, 0, 2) + line(1, 1, 3).trimmed());
        b.values.fill(7.0);
        QCOMPARE(readGsensorLogFile(dir.filePath("good.mlog"), &b), GsensorLogRead::Loaded);
        QCOMPARE(xs(b, 60), (QList<double>{1, 2, 3, 3}));
        QCOMPARE(b.slot(60 * 4)[3], 0.0);
        QCOMPARE(b.values[0], 0.0);  // cleared before reading
    }
}

QTEST_APPLESS_MAIN(TestGsensorLog)
#include "test_gsensor_log.moc"
