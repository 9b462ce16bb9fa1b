#include "setup/CardIni.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

QString CardIni::readablePath(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() || info.isFile() ? path : QString();
}

QString cardText(const QSettings& ini, const QString& key, const QString& fallback) {
    const QVariant value = ini.value(key, fallback);
    return value.type() == QVariant::StringList ? value.toStringList().join(',') : value.toString();
}

namespace {

// One line of `text` starting at `from`, without its end of line; `next` is
// where the following line starts.
QByteArray lineAt(const QByteArray& text, int from, int* next) {
    int end = text.indexOf('\n', from);
    *next = end < 0 ? text.size() : end + 1;
    if (end < 0) {
        end = text.size();
    }
    QByteArray line = text.mid(from, end - from);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

}  // namespace

QByteArray hoistGeneralSection(const QByteArray& ini) {
    int headerAt = -1;
    int bodyAt = 0;
    int pos = 0;
    while (pos < ini.size()) {
        int next = 0;
        if (lineAt(ini, pos, &next).trimmed() == "[General]") {
            headerAt = pos;
            bodyAt = next;
            break;
        }
        pos = next;
    }
    if (headerAt < 0) {
        return ini;
    }
    int bodyEnd = bodyAt;
    while (bodyEnd < ini.size()) {
        int next = 0;
        if (lineAt(ini, bodyEnd, &next).trimmed().startsWith('[')) {
            break;
        }
        bodyEnd = next;
    }
    QByteArray body = ini.mid(bodyAt, bodyEnd - bodyAt);
    QByteArray rest = ini.left(headerAt) + ini.mid(bodyEnd);
    // QSettings separates sections by an empty line; the one that ended the
    // general section now separates the top-level keys from the first section.
    if (!body.endsWith('\n') && !body.isEmpty() && !rest.isEmpty()) {
        body += '\n';
    }
    return body + rest;
}

bool writeCardIni(const QString& target, const std::function<void(QSettings&)>& write,
                  QString* error) {
    auto fail = [error](const QString& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };

    // QSettings only serialises, in a scratch folder off the card: the card
    // receives one file, written beside the target and renamed over it.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return fail(scratch.errorString());
    }
    const QString scratchPath = scratch.filePath("setup.ini");
    if (QFileInfo::exists(target)) {
        if (!QFileInfo(target).isFile()) {
            return fail(QCoreApplication::translate("CardIni", "%1 is not a file").arg(target));
        }
        QFile present(target);
        if (!present.open(QIODevice::ReadOnly)) {
            return fail(present.errorString());
        }
        const QByteArray content = present.readAll();
        if (present.error() != QFileDevice::NoError) {
            return fail(present.errorString());
        }
        QFile copy(scratchPath);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(content) != content.size()) {
            return fail(copy.errorString());
        }
    }

    {
        CardIni ini(scratchPath);
        if (ini.status() != QSettings::NoError) {
            return fail(
                QCoreApplication::translate("CardIni", "The present file is not valid INI text."));
        }
        write(ini);
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            return fail(QCoreApplication::translate(
                "CardIni", "The settings could not be prepared for writing."));
        }
    }

    QFile serialised(scratchPath);
    if (!serialised.open(QIODevice::ReadOnly)) {
        return fail(serialised.errorString());
    }
    const QByteArray text = hoistGeneralSection(serialised.readAll());

    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        return fail(out.errorString());
    }
    if (out.write(text) != text.size()) {
        const QString why = out.errorString();
        out.cancelWriting();
        return fail(why);
    }
    if (!out.commit()) {
        return fail(out.errorString());
    }
    return true;
}
