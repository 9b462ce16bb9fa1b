#pragma once

// The recorder's hourly G-sensor logs and the hour buffer the graph is drawn
// from. Qt Core only, so that the parser can be tested and fuzzed without a
// display.
//
// A log lies under the card root as logs/<yyyymmdd>m/<hh>.mlog and holds one
// text line per sample, for example
//   [GS][000017][20180102-091507][100][7,2][X:0.01,Y:-0.02,Z:0.98,E:0]
// Split at "[" (empty pieces dropped) the fields are: 0 tag, 1 sequence,
// 2 date-time, 3 millisecond, 4 kind ("7,2" for G-sensor lines), 5 the four
// named values. Only minute and second of the time are used: a file is one hour.
//
// Every second of the hour owns four slots (quarter seconds); a sample goes to
// slot (minute * 60 + second) * 4 + n - 1, n counting the samples of its second
// from 1. A second with fewer than four samples is padded with the first sample
// of the next second when that one follows directly; a fifth or later sample of
// a second spills into the next second's first slots, where that second's own
// samples overwrite it. Slots of seconds without samples stay 0.
//
// Threading: no shared state; a GsensorHourBuffer or GsensorLogParser belongs
// to the thread that uses it.

#include <QByteArray>
#include <QString>

#include <array>

// One hour of G-sensor samples: four slots per second, four doubles per slot
// (X, Y, Z and a fourth value that is kept but not drawn).
struct GsensorHourBuffer {
    static constexpr int kSlotsPerSecond = 4;
    static constexpr int kSlots = 3600 * kSlotsPerSecond;  // 14 400
    static constexpr int kValuesPerSlot = 4;

    std::array<double, kSlots * kValuesPerSlot> values{};

    void clear() { values.fill(0.0); }
    double* slot(int index) { return values.data() + index * kValuesPerSlot; }
    const double* slot(int index) const { return values.data() + index * kValuesPerSlot; }
};

// One sample line taken apart; `parseGsensorLogLine` fills it.
struct GsensorLogLine {
    int secondOfHour = 0;  // minute * 60 + second, 0 .. 3599
    std::array<double, 4> values{};
};

// Takes one line (with or without its line end) apart. False for a line that is
// not a usable G-sensor sample: fewer than six fields, no "7,2" in field 4, not
// exactly four values in field 5, or a time stamp without a valid minute and
// second. A value that is not "name:number" reads as 0.
bool parseGsensorLogLine(const QByteArray& line, GsensorLogLine* out);

// Places the lines of one log, in file order, into a cleared hour buffer.
class GsensorLogParser {
public:
    explicit GsensorLogParser(GsensorHourBuffer* buffer) : m_buffer(buffer) {}

    // Parses and places one line; unusable lines change nothing.
    void addLine(const QByteArray& line);
    // Number of slots written so far (padding included).
    int slotsWritten() const { return m_slotsWritten; }

private:
    void store(int slot, const std::array<double, 4>& values);

    GsensorHourBuffer* m_buffer;
    int m_previousSecond = 0;  // the previous sample's time; 00:00 before the first
    int m_samplesInSecond = 0;
    int m_slotsWritten = 0;
};

// Clears `buffer` and places every line of `content`; true when at least one
// slot was written.
bool parseGsensorLog(const QByteArray& content, GsensorHourBuffer* buffer);

// "<cardRoot>/logs/<yyyymmdd>m/<hh>.mlog": the log of hour `hour` of day `day`
// (yyyymmdd).
QString gsensorLogPath(const QString& cardRoot, int day, int hour);

enum class GsensorLogRead {
    Missing,    // the file cannot be opened: the graph shows an empty hour
    NoSamples,  // no usable line: the graph keeps what it shows
    Loaded,     // `buffer` holds the hour
};

// Reads a log file line by line into `buffer` (cleared first unless the file is
// missing). Lines longer than a sane limit are skipped whole.
GsensorLogRead readGsensorLogFile(const QString& path, GsensorHourBuffer* buffer);
