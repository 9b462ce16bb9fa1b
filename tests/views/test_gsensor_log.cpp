// The hourly G-sensor log: line format, slot placement (padding of a short
// second, spill of a fifth sample), the path rule and reading files.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "views/GsensorLog.h"

namespace {

// A log line as the recorder writes it, at minute:second of the hour.
QByteArray line(int minute, int second, double x, double y = 0) {
    return QString("[GS][000001][20180102-10%1%2][000][7,2][X:%3,Y:%4,Z:0.98,E:0]\n")
        .arg(minute, 2, 10, QChar('0'))
        .arg(second, 2, 10, QChar('0'))
        .arg(x)
        .arg(y)
        .toLatin1();
}

// X of the four slots of a second.
QList<double> xs(const GsensorHourBuffer& b, int second) {
    QList<double> out;
    for (int i = 0; i < 4; ++i) {
        out << b.slot(second * 4 + i)[0];
    }
    return out;
}

}  // namespace

class TestGsensorLog : public QObject {
    Q_OBJECT

private slots:
    void lineFormat();
    void placement();
    void filesAndPaths();
};

void TestGsensorLog::lineFormat() {
    struct Case {
        const char* text;
        int second;  // -1: not usable
        QList<double> values;
    };
    const Case cases[] = {
        {"[GS][17][20180102-091507][100][7,2][X:0.01,Y:-0.02,Z:0.98,E:1]\r\n",
         907,
         {0.01, -0.02, 0.98, 1}},
        {"[[GS][1][x-095959][0][a7,2b][X:1.5,Y,Z:a:b,E:nan]", 3599, {1.5, 0, 0, 0}},
        {"[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]", -1, {}},
        {"[GS][1][x-000102][0][2,7][X:1,Y:2,Z:3,E:4]", -1, {}},
        {"[GS][1][x-000102][0][7,2][X:1,Y:2,Z:3,E:4,F:5]", -1, {}},
        {"[GS][1][x-000102][0][7,2][X:1,Y:2,Z:3]", -1, {}},
        {"[GS][x-000102][0][7,2][X:1,Y:2,Z:3,E:4]", -1, {}},
        {"[GS][1][000102][0][7,2][X:1,Y:2,Z:3,E:4]", -1, {}},
        {"[GS][1][x-0001][0][7,2][X:1,Y:2,Z:3,E:4]", -1, {}},
        {"[GS][1][x-006000][0][7,2][X:1,Y:2,Z:3,E:4]", -1, {}},
        {"[GS][1][x-0001+5][0][7,2][X:1,Y:2,Z:3,E:4]", -1, {}},
    };
    for (const Case& c : cases) {
        GsensorLogLine parsed;
        QCOMPARE(parseGsensorLogLine(c.text, &parsed), c.second >= 0);
        if (c.second >= 0) {
            QCOMPARE(parsed.secondOfHour, c.second);
            QCOMPARE(QList<double>(parsed.values.begin(), parsed.values.end()), c.values);
        }
    }
}

void TestGsensorLog::placement() {
    GsensorHourBuffer b;
    GsensorLogParser p(&b);
    // The parser starts at 00:00 with no sample: a first line at 00:01 pads 00:00.
    p.addLine(line(0, 1, 9));
    QCOMPARE(xs(b, 0), (QList<double>{9, 9, 9, 9}));

    // Two samples at 10:15:07, then 10:15:08: 07 is padded with the 08 sample,
    // all four values of a slot kept.
    const int s7 = 15 * 60 + 7;
    p.addLine(line(15, 7, 1, 11));
    p.addLine(line(15, 7, 2));
    p.addLine("garbage");  // unusable lines change nothing
    p.addLine(line(15, 8, 3));
    QCOMPARE(xs(b, s7), (QList<double>{1, 2, 3, 3}));
    QCOMPARE(b.slot(s7 * 4)[1], 11.0);
    QCOMPARE(b.slot(s7 * 4)[2], 0.98);

    // A gap: 08 is not padded by 10, 09 stays empty; time going back pads nothing.
    p.addLine(line(15, 10, 4));
    p.addLine(line(0, 30, 5));
    QCOMPARE(xs(b, s7 + 1), (QList<double>{3, 0, 0, 0}));
    QCOMPARE(xs(b, s7 + 2), (QList<double>{0, 0, 0, 0}));
    QCOMPARE(xs(b, s7 + 3), (QList<double>{4, 0, 0, 0}));

    // Six samples in one second: the fifth and sixth spill into the next second
    // until its own samples overwrite them.
    for (int i = 1; i <= 6; ++i) {
        p.addLine(line(0, 40, i));
    }
    QCOMPARE(xs(b, 40), (QList<double>{1, 2, 3, 4}));
    QCOMPARE(xs(b, 41), (QList<double>{5, 6, 0, 0}));
    p.addLine(line(0, 41, 10));
    QCOMPARE(xs(b, 41), (QList<double>{10, 6, 0, 0}));

    // The hour's last second: a fifth sample would lie beyond the buffer.
    const int written = p.slotsWritten();
    for (int i = 1; i <= 6; ++i) {
        p.addLine(line(59, 59, 20 + i));
    }
    QCOMPARE(xs(b, 3599), (QList<double>{21, 22, 23, 24}));
    QCOMPARE(p.slotsWritten(), written + 4);
}

void TestGsensorLog::filesAndPaths() {
    QCOMPARE(gsensorLogPath("/media/card", 20180102, 9),
             QString("/media/card/logs/20180102m/09.mlog"));

    QTemporaryDir dir;
    GsensorHourBuffer b;
    b.values.fill(7.0);
    QCOMPARE(readGsensorLogFile(dir.filePath("none.mlog"), &b), GsensorLogRead::Missing);
    QCOMPARE(readGsensorLogFile(dir.path(), &b), GsensorLogRead::Missing);
    QVERIFY(!parseGsensorLog("[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]\nnothing\n", &b));

    const auto write = [&](const QByteArray& content) {
        QFile f(dir.filePath("log.mlog"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    write("[GS][1][x-000102][0][7,3][X:1,Y:2,Z:3,E:4]\r\n");
    QCOMPARE(readGsensorLogFile(dir.filePath("log.mlog"), &b), GsensorLogRead::NoSamples);

    // CRLF, an overlong line ending in a whole log line (wherever reading cuts
    // it, its tail is no line of its own) and a last line without line end; the
    // buffer is cleared first. The in-memory parser follows the same rules.
    for (const int junk : {4097, 8194, 9000}) {
        const QByteArray content = line(1, 0, 1).replace("\n", "\r\n") + QByteArray(junk, 'y') +
                                   line(1, 0, 5) + line(1, 0, 2) + line(1, 1, 3).trimmed();
        write(content);
        for (const bool fromFile : {true, false}) {
            b.values.fill(7.0);
            QVERIFY(fromFile
                        ? readGsensorLogFile(dir.filePath("log.mlog"), &b) == GsensorLogRead::Loaded
                        : parseGsensorLog(content, &b));
            QCOMPARE(xs(b, 60), (QList<double>{1, 2, 3, 3}));
            QCOMPARE(b.values[0], 0.0);
        }
    }
}

QTEST_APPLESS_MAIN(TestGsensorLog)
#include "test_gsensor_log.moc"
