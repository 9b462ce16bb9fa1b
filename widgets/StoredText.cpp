#include "widgets/StoredText.h"

#include <QByteArray>

namespace {

constexpr int kMaxStoredBytes = 127;

// Length of the longest prefix of bytes[0, length) that does not end inside a
// UTF-8 sequence, so that cutting at a byte limit never leaves half a character.
int utf8Boundary(const QByteArray& bytes, int length) {
    if (length >= bytes.size()) {
        return bytes.size();
    }
    int start = length;
    // Step back over continuation bytes (10xxxxxx) to the lead byte of the
    // character that the limit cuts.
    while (start > 0 && (static_cast<unsigned char>(bytes.at(start)) & 0xC0) == 0x80) {
        --start;
    }
    return start;
}

}  // namespace

QString encodeStoredText(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

QString decodeStoredText(const QString& base64) {
    QByteArray bytes = QByteArray::fromBase64(base64.toLatin1());
    const int zero = bytes.indexOf('\0');
    if (zero >= 0) {
        bytes.truncate(zero);
    }
    if (bytes.size() > kMaxStoredBytes) {
        bytes.truncate(utf8Boundary(bytes, kMaxStoredBytes));
    }
    return QString::fromUtf8(bytes);
}
