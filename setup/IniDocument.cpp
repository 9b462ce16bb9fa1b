#include "setup/IniDocument.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& text) {
    int from = 0;
    int to = text.size();
    while (from < to && isBlank(text.at(from))) {
        ++from;
    }
    while (to > from && isBlank(text.at(to - 1))) {
        --to;
    }
    return text.mid(from, to - from);
}

// Names are ASCII in every file seen; bytes above 0x7F (EUC-KR) compare as
// they are, so that no two different Korean names can ever match.
bool sameName(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (int i = 0; i < a.size(); ++i) {
        char x = a.at(i);
        char y = b.at(i);
        if (x >= 'a' && x <= 'z') {
            x = static_cast<char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

enum class Kind { Blank, Comment, Section, Key, Other };

// What a line is; `name` receives a section's or a key's name.
Kind classify(const QByteArray& line, QByteArray* name) {
    const QByteArray t = trimBlanks(line);
    if (t.isEmpty()) {
        return Kind::Blank;
    }
    if (t.at(0) == ';' || t.at(0) == '#') {
        return Kind::Comment;
    }
    if (t.at(0) == '[') {
        const int close = t.indexOf(']');
        *name = trimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        return Kind::Section;
    }
    const int eq = t.indexOf('=');
    if (eq <= 0) {
        return Kind::Other;
    }
    *name = trimBlanks(t.left(eq));
    return name->isEmpty() ? Kind::Other : Kind::Key;
}

bool hasLineBreak(const QByteArray& text) {
    return text.contains('\n') || text.contains('\r');
}

}  // namespace

IniDocument::IniDocument(const QByteArray& bytes) : m_bytes(bytes) {
    split();
}

void IniDocument::split() {
    m_lines.clear();
    int pos = m_bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < m_bytes.size()) {
        Line line;
        line.start = pos;
        const int nl = m_bytes.indexOf('\n', pos);
        const int end = nl < 0 ? m_bytes.size() : nl;
        line.length = end - pos;
        // A CR at the very end of the file is a CR LF cut short: counting it
        // as value bytes would change that value as soon as a line follows.
        if (line.length > 0 && m_bytes.at(end - 1) == '\r') {
            --line.length;
        }
        line.next = nl < 0 ? m_bytes.size() : nl + 1;
        m_lines.append(line);
        pos = line.next;
    }
}

bool IniDocument::splitKey(const QString& key, QByteArray* section, QByteArray* name) {
    const QString k = key.startsWith('/') ? key.mid(1) : key;
    const int slash = k.indexOf('/');
    // Latin-1 keeps every code unit below 256 as one byte; names above are
    // not ASCII and could not be written back as the same bytes anyway.
    *section = slash < 0 ? QByteArray() : k.left(slash).toLatin1();
    *name = (slash < 0 ? k : k.mid(slash + 1)).toLatin1();
    return !name->isEmpty();
}

IniDocument::Found IniDocument::find(const QByteArray& section, const QByteArray& name) const {
    Found found;
    const bool topLevel = section.isEmpty();
    bool inSection = topLevel;
    bool firstBlock = topLevel;
    for (int i = 0; i < m_lines.size(); ++i) {
        QByteArray lineName;
        const Kind kind = classify(text(m_lines.at(i)), &lineName);
        if (kind == Kind::Section) {
            inSection = !topLevel && sameName(lineName, section);
            firstBlock = inSection && !found.sectionSeen;
            if (firstBlock) {
                found.sectionSeen = true;
                found.insertAfter = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (firstBlock && kind != Kind::Blank) {
            found.insertAfter = i;
        }
        if (kind == Kind::Key && found.line < 0 && sameName(lineName, name)) {
            found.line = i;
        }
    }
    if (topLevel && found.line < 0) {
        // Qt's INI writer keeps top-level keys in a "[General]" section.
        found.line = find("General", name).line;
    }
    return found;
}

std::optional<QByteArray> IniDocument::value(const QString& key) const {
    QByteArray section;
    QByteArray name;
    if (!splitKey(key, &section, &name)) {
        return std::nullopt;
    }
    const Found found = find(section, name);
    if (found.line < 0) {
        return std::nullopt;
    }
    const QByteArray line = text(m_lines.at(found.line));
    return line.mid(line.indexOf('=') + 1);
}

QByteArray IniDocument::lineEnd() const {
    const int nl = m_bytes.indexOf('\n');
    return nl > 0 && m_bytes.at(nl - 1) == '\r' ? QByteArray("\r\n")
           : nl >= 0                            ? QByteArray("\n")
                                                : QByteArray("\r\n");
}

QByteArray IniDocument::endOfLastLine() const {
    if (m_bytes.isEmpty() || m_bytes.endsWith('\n')) {
        return QByteArray();
    }
    return m_bytes.endsWith('\r') ? QByteArray("\n") : lineEnd();
}

bool IniDocument::setValue(const QString& key, const QByteArray& value) {
    QByteArray section;
    QByteArray name;
    if (!splitKey(key, &section, &name) || hasLineBreak(value) || hasLineBreak(name) ||
        hasLineBreak(section) || name.contains('=') || trimBlanks(name) != name ||
        trimBlanks(section) != section || section.contains(']')) {
        return false;
    }
    QByteArray probe;
    if (classify(name + '=', &probe) != Kind::Key) {
        return false;  // "[X", ";X", "#X" would read back as something else
    }
    const Found found = find(section, name);
    if (found.line >= 0) {
        const Line& line = m_lines.at(found.line);
        const int valueAt = line.start + text(line).indexOf('=') + 1;
        m_bytes.replace(valueAt, line.start + line.length - valueAt, value);
        split();
        return true;
    }

    const QByteArray nl = lineEnd();
    const QByteArray entry = name + '=' + value;
    if (!section.isEmpty() && !found.sectionSeen) {
        QByteArray tail = endOfLastLine();
        if (!m_lines.isEmpty() && !trimBlanks(text(m_lines.last())).isEmpty()) {
            tail += nl;  // sections stand apart by a blank line
        }
        m_bytes += tail + '[' + section + ']' + nl + entry + nl;
    } else if (found.insertAfter >= 0) {
        const Line& after = m_lines.at(found.insertAfter);
        if (after.next < m_bytes.size() || m_bytes.endsWith('\n')) {
            m_bytes.insert(after.next, entry + nl);
        } else {
            m_bytes += endOfLastLine() + entry;  // the file keeps ending without one
        }
    } else {
        // Top-level key in a file without any: it goes first.
        const int at = m_bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        m_bytes.insert(at, entry + nl);
    }
    split();
    return true;
}
