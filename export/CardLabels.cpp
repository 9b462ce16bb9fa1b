#include "export/CardLabels.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace exporting {

namespace {

// QSettings reads an unquoted value holding commas as a list: join it back.
std::string textOf(const QVariant& value) {
    const QString s = value.type() == QVariant::StringList ? value.toStringList().join(',')
                                                           : value.toString();
    return s.trimmed().toStdString();
}

}  // namespace

std::string CardLabels::titleOf(int channel, const std::string& recorded) const {
    const auto it = titles.find(channel);
    if (it != titles.end() && !it->second.empty()) {
        return it->second;
    }
    if (!recorded.empty()) {
        return recorded;
    }
    return "CH" + std::to_string(channel + 1);
}

CardLabels readCardLabels(const std::string& cardRoot) {
    CardLabels labels;
    const QString path = QString::fromStdString(cardRoot) + "/DVRSETUP.INI";
    if (!QFileInfo(path).isFile()) {
        return labels;
    }
    QSettings ini(path, QSettings::IniFormat);
    ini.setIniCodec("EUC-KR");
    labels.vehicleNumber = textOf(ini.value("/DVR_NAME"));
    ini.beginGroup("CAMERA");
    for (const QString& key : ini.childKeys()) {
        if (!key.startsWith("TITLE_")) {
            continue;
        }
        bool ok = false;
        const int channel = key.mid(6).toInt(&ok);
        if (ok && channel >= 0 && channel < 32) {
            const std::string title = textOf(ini.value(key));
            if (!title.empty()) {
                labels.titles[channel] = title;
            }
        }
    }
    ini.endGroup();
    return labels;
}

}  // namespace exporting
