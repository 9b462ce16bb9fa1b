#pragma once

// The bytes of one INI file, read and edited line by line in place.
//
// The recorder's setup files are edited by hand, by the recorder and by this
// viewer; a save must leave everything it does not change as it was: the
// order of keys and sections, keys nobody here knows, comments, the line ends
// (CR LF as the recorder writes them) and the exact bytes of every value not
// set. Nothing is quoted, escaped or sorted: a value is the rest of its line
// after the first "=", taken as plain bytes ("ab;cd", "a\b", "\"x" and edge
// spaces are values like any other).
//
// Reading rules, as a plain INI reader applies them:
//   - "[NAME]" starts section NAME; lines before the first section hold the
//     top-level keys;
//   - a line whose first non-blank character is ";" or "#" is a comment;
//   - "KEY=VALUE": KEY is trimmed of blanks, VALUE is kept as it stands;
//   - section and key names match without regard to ASCII case, and the first
//     occurrence of a key wins;
//   - a top-level key missing before the first section is looked for in a
//     "[General]" section, where Qt's own INI writer puts such keys.
//
// Threading: a plain value type; no shared state.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(const QByteArray& bytes);

    const QByteArray& bytes() const { return m_bytes; }

    // Value bytes of `key`: "SECTION/NAME", or "NAME" and "/NAME" for a
    // top-level key; nothing when the file does not hold it.
    std::optional<QByteArray> value(const QString& key) const;

    // Sets `key` to `value`. An existing key keeps its line, its spelling and
    // everything before its "="; only the value bytes change. A missing key is
    // added after the last line of its section's first block (a new section
    // goes at the end of the file, after a blank line). Refuses (false, nothing
    // changed) a value holding a line break or a key that could not be read
    // back as the same key.
    bool setValue(const QString& key, const QByteArray& value);

    // The file's line end ("\r\n" unless its first line ends in a bare "\n").
    QByteArray lineEnd() const;

    // Splits "SECTION/NAME" (or "/NAME", "NAME") into its two parts; false
    // for an empty name.
    static bool splitKey(const QString& key, QByteArray* section, QByteArray* name);

private:
    struct Line {
        int start = 0;   // first byte of the line's text
        int length = 0;  // text bytes, without the line end
        int next = 0;    // first byte of the next line
    };
    struct Found {
        int line = -1;         // the key's line, or -1
        int insertAfter = -1;  // last line of the section's first block, or -1
        bool sectionSeen = false;
    };

    QByteArray text(const Line& line) const { return m_bytes.mid(line.start, line.length); }
    void split();
    Found find(const QByteArray& section, const QByteArray& name) const;
    // What completes the file's last line before another is written after it.
    QByteArray endOfLastLine() const;

    QByteArray m_bytes;
    QList<Line> m_lines;
};
