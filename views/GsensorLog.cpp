#include "GsensorLog.h"

#include <QFile>

#include <unistd.h>

#include "recording/RegularFile.h"
#include <QList>

#include <cmath>

namespace {

// A real line is about 70 bytes; anything far longer is not a log line, and
// reading it whole would let a broken file take any amount of memory.
constexpr qint64 kMaxLineLength = 4096;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int twoDigits(const QByteArray& text, int at) {
    if (text.size() < at + 2 || !isDigit(text[at]) || !isDigit(text[at + 1])) {
        return -1;
    }
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

double valueOf(const QByteArray& item) {
    const QList<QByteArray> parts = item.split(':');
    if (parts.size() != 2) {
        return 0.0;
    }
    bool ok = false;
    const double v = parts[1].toDouble(&ok);
    // "nan" and "inf" convert too, but are no readings and would break the curves.
    return ok && std::isfinite(v) ? v : 0.0;
}

}  // namespace

bool parseGsensorLogLine(const QByteArray& rawLine, GsensorLogLine* out) {
    QByteArray line = rawLine;
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }

    QList<QByteArray> fields;
    for (const QByteArray& piece : line.split('[')) {
        if (!piece.isEmpty()) {
            fields.append(piece);
        }
    }
    if (fields.size() < 6 || !fields[4].contains("7,2")) {
        return false;
    }

    QByteArray named = fields[5];
    named.chop(1);  // the closing bracket
    const QList<QByteArray> items = named.split(',');
    if (items.size() != 4) {
        return false;
    }

    const QList<QByteArray> stamp = fields[2].split('-');
    if (stamp.size() < 2) {
        return false;
    }
    // hhmmss: the hour is the file's, only minute and second place the sample.
    const int minute = twoDigits(stamp[1], 2);
    const int second = twoDigits(stamp[1], 4);
    if (minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }

    out->secondOfHour = minute * 60 + second;
    for (int i = 0; i < 4; ++i) {
        out->values[static_cast<size_t>(i)] = valueOf(items[i]);
    }
    return true;
}

void GsensorLogParser::store(int slot, const std::array<double, 4>& values) {
    if (slot < 0 || slot >= GsensorHourBuffer::kSlots) {
        return;
    }
    double* target = m_buffer->slot(slot);
    for (int i = 0; i < GsensorHourBuffer::kValuesPerSlot; ++i) {
        target[i] = values[static_cast<size_t>(i)];
    }
    ++m_slotsWritten;
}

void GsensorLogParser::addLine(const QByteArray& line) {
    GsensorLogLine sample;
    if (!parseGsensorLogLine(line, &sample)) {
        return;
    }
    constexpr int kPerSecond = GsensorHourBuffer::kSlotsPerSecond;
    if (sample.secondOfHour == m_previousSecond) {
        // Bounded so that a file of one repeated second cannot overflow the count;
        // once past the hour's last slot the sample is dropped whatever the count.
        if (m_samplesInSecond <= GsensorHourBuffer::kSlots) {
            ++m_samplesInSecond;
        }
    } else {
        if (sample.secondOfHour == m_previousSecond + 1 && m_samplesInSecond < kPerSecond) {
            for (int n = m_samplesInSecond + 1; n <= kPerSecond; ++n) {
                store(m_previousSecond * kPerSecond + n - 1, sample.values);
            }
        }
        m_previousSecond = sample.secondOfHour;
        m_samplesInSecond = 1;
    }
    store(sample.secondOfHour * kPerSecond + m_samplesInSecond - 1, sample.values);
}

bool parseGsensorLog(const QByteArray& content, GsensorHourBuffer* buffer) {
    buffer->clear();
    GsensorLogParser parser(buffer);
    int start = 0;
    while (start < content.size()) {
        int end = content.indexOf('\n', start);
        if (end < 0) {
            end = content.size();
        }
        if (end - start <= kMaxLineLength) {
            parser.addLine(content.mid(start, end - start));
        }
        start = end + 1;
    }
    return parser.slotsWritten() > 0;
}

QString gsensorLogPath(const QString& cardRoot, int day, int hour) {
    return QString("%1/%2/%3m/%4%5")
        .arg(cardRoot, QStringLiteral("logs"))
        .arg(day, 8, 10, QChar('0'))
        .arg(hour, 2, 10, QChar('0'))
        .arg(QStringLiteral(".mlog"));
}

GsensorLogRead readGsensorLogFile(const QString& path, GsensorHourBuffer* buffer) {
    // Regular files only: a FIFO named like a log would block the GUI thread.
    const int fd = regularfile::openDescriptor(QFile::encodeName(path).toStdString());
    if (fd < 0) {
        return GsensorLogRead::Missing;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return GsensorLogRead::Missing;
    }
    buffer->clear();
    GsensorLogParser parser(buffer);
    while (!file.atEnd()) {
        QByteArray line = file.readLine(kMaxLineLength + 2);
        if (line.isEmpty()) {
            break;  // read error
        }
        if (!line.endsWith('\n') && !file.atEnd()) {
            // Too long: drop the rest of it too.
            while (!file.atEnd()) {
                const QByteArray rest = file.readLine(kMaxLineLength + 2);
                if (rest.isEmpty() || rest.endsWith('\n')) {
                    break;
                }
            }
            continue;
        }
        parser.addLine(line);
    }
    return parser.slotsWritten() > 0 ? GsensorLogRead::Loaded : GsensorLogRead::NoSamples;
}
