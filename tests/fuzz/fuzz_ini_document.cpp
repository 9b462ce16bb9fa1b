// Feeds arbitrary bytes to the setup files' INI editor as a whole file, sets
// one key and checks that the edit is exactly that: the key reads back as set
// (also after parsing the new bytes again), the other keys keep their values,
// and every byte outside the edited value stays where it was.

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "setup/IniDocument.h"

namespace {

const char* const kKeys[] = {"DVR_NAME", "CAMERA/TITLE_0",  "camera/title_0", "A/B",
                             "/SHOCK_X", "DISK/DISK_USAGE", "S T/K",          "NETWORK/WIFI_PWD"};
constexpr int kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);
const QByteArray kValue("a;b\"c\\ \xB0\xA1=");

int commonPrefix(const QByteArray& a, const QByteArray& b) {
    int i = 0;
    while (i < a.size() && i < b.size() && a.at(i) == b.at(i)) {
        ++i;
    }
    return i;
}

int commonSuffix(const QByteArray& a, const QByteArray& b, int limit) {
    int j = 0;
    while (j < limit && a.at(a.size() - 1 - j) == b.at(b.size() - 1 - j)) {
        ++j;
    }
    return j;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int chosen = data[0] % kKeyCount;
    const QByteArray before(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    IniDocument doc(before);
    std::optional<QByteArray> old[kKeyCount];
    for (int k = 0; k < kKeyCount; ++k) {
        old[k] = doc.value(kKeys[k]);
    }
    if (!doc.setValue(kKeys[chosen], kValue)) {
        if (doc.bytes() != before) {
            __builtin_trap();  // a refused edit changes nothing
        }
        return 0;
    }
    const QByteArray after = doc.bytes();
    if (doc.value(kKeys[chosen]) != kValue || IniDocument(after).value(kKeys[chosen]) != kValue) {
        __builtin_trap();
    }
    for (int k = 0; k < kKeyCount; ++k) {
        // The two spellings of the camera key are one key.
        const bool same = QString(kKeys[k]).compare(kKeys[chosen], Qt::CaseInsensitive) == 0;
        if (!same && IniDocument(after).value(kKeys[k]) != old[k]) {
            __builtin_trap();
        }
    }
    // Only the value's bytes (or the inserted line) differ.
    const int oldSize = old[chosen] ? old[chosen]->size() : 0;
    const int prefix = commonPrefix(before, after);
    const int limit = std::min(before.size(), after.size()) - prefix;
    const int suffix = commonSuffix(before, after, limit);
    if (old[chosen]) {
        if (after.size() - before.size() != kValue.size() - oldSize ||
            before.size() - prefix - suffix > oldSize) {
            __builtin_trap();
        }
    } else if (after.size() <= before.size() || prefix + suffix < before.size()) {
        __builtin_trap();
    }
    return 0;
}
