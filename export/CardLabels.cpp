#include "export/CardLabels.h"

#include <QString>

#include "setup/IniDocument.h"
#include "setup/SetupModel.h"

namespace exporting {

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
    QByteArray bytes;
    if (!readSetupFile(QString::fromStdString(cardRoot) + "/DVRSETUP.INI", &bytes) ||
        bytes.isEmpty()) {
        return labels;
    }
    const IniDocument ini(bytes);
    auto text = [&ini](const QString& key) {
        const std::optional<QByteArray> value = ini.value(key);
        return value ? decodeSetupText(*value).trimmed().toStdString() : std::string();
    };
    labels.vehicleNumber = text("/DVR_NAME");
    for (int channel = 0; channel < 32; ++channel) {
        const std::string title = text(QString("CAMERA/TITLE_%1").arg(channel));
        if (!title.empty()) {
            labels.titles[channel] = title;
        }
    }
    return labels;
}

}  // namespace exporting
