#include "SetupTool.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QTextStream>

#include <algorithm>

#include "setup/SetupModel.h"

namespace {

QString jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// What a field takes: {"maxLength":N}, {"min":A,"max":B}, ["0","1"],
// {"format":"yyyyMMdd"}, or the entries the recorder offers: their values
// ["1","2",...] when they are offered as such, else [{"value":..,"text":..},...].
QString allowedJson(const SetupField& field) {
    switch (field.kind) {
        case FieldKind::Text:
            return QString("{\"maxLength\":%1}").arg(field.maxLength);
        case FieldKind::Flag:
            return "[\"0\",\"1\"]";
        case FieldKind::Range:
            return QString("{\"min\":%1,\"max\":%2}").arg(field.min).arg(field.max);
        case FieldKind::Date:
            return "{\"format\":\"yyyyMMdd\"}";
        case FieldKind::Time:
            return "{\"format\":\"hhmmss\"}";
        case FieldKind::Choice: {
            // Entries offered as their stored value are listed as values.
            const bool plain = std::all_of(field.entries.begin(), field.entries.end(),
                                           [](const SetupEntry& e) { return e.text == e.value; });
            QStringList entries;
            for (const SetupEntry& e : field.entries) {
                if (e.available) {
                    entries << (plain ? jsonString(e.value)
                                      : QString("{\"value\":%1,\"text\":%2}")
                                            .arg(jsonString(e.value), jsonString(e.text)));
                }
            }
            return '[' + entries.join(',') + ']';
        }
    }
    return "null";
}

// Opens the card's setup as the editor does: values from ZD-3100.INI when it
// exists, DVRSETUP.INI for the rest.
bool openCard(const QString& card, CardSetup* setup, QTextStream& err) {
    if (!QFileInfo(card).isDir()) {
        err << "korvel-setup: " << card << " is not a folder\n";
        return false;
    }
    const QString info = CardSetup::infoPathUnder(card);
    const QString target = CardSetup::targetPathUnder(card);
    if (!QFileInfo::exists(info) && !QFileInfo::exists(target)) {
        err << "korvel-setup: " << card << " holds neither " << kDvrSetupFile << " nor "
            << kModelSetupFile << "\n";
        return false;
    }
    // The editor takes an unreadable file for a missing one; a script must
    // not set up a fleet from defaults it did not ask for.
    for (const QString& path : {info, target}) {
        QByteArray bytes;
        QString why;
        if (!readSetupFile(path, &bytes, &why)) {
            err << "korvel-setup: " << path << " cannot be read: " << why << "\n";
            return false;
        }
    }
    setup->load(info, QFileInfo::exists(target) ? target : info);
    return true;
}

int show(const QString& card, const QStringList& keys, QTextStream& out, QTextStream& err) {
    CardSetup setup;
    if (!openCard(card, &setup, err)) {
        return 1;
    }
    QList<const SetupField*> fields;
    for (const QString& key : keys) {
        const SetupField* field = setup.field(key);
        if (field == nullptr) {
            err << "korvel-setup: " << key << " is not a setting of this recorder\n";
            return 1;
        }
        fields << field;
    }
    if (keys.isEmpty()) {
        for (const SetupField& field : setup.fields()) {
            fields << &field;
        }
    }
    for (const SetupField* field : fields) {
        out << "{\"key\":" << jsonString(field->key)
            << ",\"value\":" << jsonString(setup.value(*field))
            << ",\"tab\":" << jsonString(tabName(field->tab))
            << ",\"label\":" << jsonString(field->label) << ",\"allowed\":" << allowedJson(*field)
            << ",\"from\":" << jsonString(setup.source(*field)) << "}\n";
    }
    return 0;
}

int set(const QString& card, const QStringList& assignments, QTextStream& err) {
    if (assignments.isEmpty()) {
        err << "korvel-setup: set needs at least one KEY=VALUE (try --help)\n";
        return 1;
    }
    CardSetup setup;
    if (!openCard(card, &setup, err)) {
        return 1;
    }
    // Every value is checked before anything is written.
    QList<QPair<QString, QString>> changes;
    for (const QString& assignment : assignments) {
        const int eq = assignment.indexOf('=');
        const QString key = assignment.left(eq);
        const SetupField* field = eq > 0 ? setup.field(key) : nullptr;
        if (eq <= 0) {
            err << "korvel-setup: " << assignment << " is not KEY=VALUE\n";
            return 1;
        }
        if (field == nullptr) {
            err << "korvel-setup: " << key << " is not a setting of this recorder\n";
            return 1;
        }
        const QString value = assignment.mid(eq + 1);
        const QString why = refusal(*field, value);
        if (!why.isEmpty()) {
            err << "korvel-setup: " << field->key << "=" << value << ": " << why << "\n";
            return 1;
        }
        changes.append({field->key, value});
    }
    QString why;
    const QString target = CardSetup::targetPathUnder(card);
    if (!setup.save(target, changes, &why)) {
        err << "korvel-setup: " << target << " could not be written: " << why << "\n";
        return 2;
    }
    return 0;
}

}  // namespace

QString setupToolUsage() {
    return "Usage: korvel-setup show CARD [KEY...]\n"
           "       korvel-setup set CARD KEY=VALUE...\n"
           "The recorder's setup on the card whose root folder is CARD, with the\n"
           "setup editor's fields.\n"
           "\n"
           "  show   prints one JSON object per field, in the editor's order:\n"
           "           {\"key\":\"CAMERA/TITLE_0\",\"value\":\"CH1\",\"tab\":\"camera\",\n"
           "            \"label\":\"CH1: TITLE\",\"allowed\":{\"maxLength\":32},\n"
           "            \"from\":\"ZD-3100.INI\"}\n"
           "         value as the editor loads it: from ZD-3100.INI when that file\n"
           "         holds the key, else from DVRSETUP.INI (\"from\" names the file),\n"
           "         else the default (\"from\" empty). allowed is {\"maxLength\":N},\n"
           "         {\"min\":A,\"max\":B}, {\"format\":...}, or the values offered: "
           "[\"0\",\"1\"],\n"
           "         or [{\"value\":...,\"text\":...}] when they are offered under another\n"
           "         text. With KEYs, only those.\n"
           "  set    checks every value against its field and then writes them all to\n"
           "         ZD-3100.INI as the editor's OK does: only those lines change, the\n"
           "         rest of the file keeps its bytes; the first save starts from a\n"
           "         copy of DVRSETUP.INI. Values are plain text (no quoting).\n"
           "\n"
           "KEY is SECTION/NAME (\"RECORD/REC_FPS_0\") or NAME for a top-level key\n"
           "(\"DVR_NAME\"); camera keys are numbered from 0 (TITLE_0 is CH1).\n"
           "Exit status: 0 done; 1 refused (usage, unknown key, value not allowed,\n"
           "no setup file), nothing written; 2 the card could not be written.\n";
}

int runSetupTool(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty() || args.first() == "-h" || args.first() == "--help") {
        (args.isEmpty() ? err : out) << setupToolUsage();
        return args.isEmpty() ? 1 : 0;
    }
    const QString command = args.first();
    if ((command != "show" && command != "set") || args.size() < 2) {
        err << "korvel-setup: unknown command line (try --help)\n";
        return 1;
    }
    const QString card = QDir::cleanPath(args.at(1));
    const QStringList rest = args.mid(2);
    return command == "show" ? show(card, rest, out, err) : set(card, rest, err);
}
