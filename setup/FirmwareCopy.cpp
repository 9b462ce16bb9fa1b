#include "setup/FirmwareCopy.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

QString firmwareTargetName(const QString& fileName) {
    const int cut = fileName.indexOf('_');
    return cut < 0 ? fileName : fileName.left(cut) + ".bin";
}

bool copyFileWhole(const QString& source, const QString& target,
                   const std::function<void(int)>& progress, QString* error) {
    auto fail = [error](const QString& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    // Large enough to keep a card busy, small enough that the progress moves
    // several times a second on a slow one.
    constexpr qint64 kChunk = 1 << 20;

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return fail(in.errorString());
    }
    const qint64 total = in.size();
    // QSaveFile writes under a temporary name beside the target and renames it
    // over the target on commit; without commit the temporary file is removed.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        return fail(out.errorString());
    }
    QByteArray buffer;
    qint64 copied = 0;
    for (;;) {
        buffer = in.read(kChunk);
        if (in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return fail(in.errorString());
        }
        if (buffer.isEmpty()) {
            break;
        }
        if (out.write(buffer) != buffer.size()) {
            const QString why = out.errorString();
            out.cancelWriting();
            return fail(why);
        }
        copied += buffer.size();
        if (progress && total > 0 && copied < total) {
            progress(static_cast<int>(copied * 100 / total));
        }
    }
    in.close();
    if (!out.commit()) {
        return fail(out.errorString());
    }
    if (progress) {
        progress(100);
    }
    return true;
}
