#include "app/DvrSetupInfo.h"

#include <algorithm>
#include <iterator>

#include "setup/IniDocument.h"
#include "setup/SetupModel.h"

bool DvrSetupInfo::isOldFirmware() const {
    return firmware[0] == 1 && firmware[1] == 0 && firmware[2] == 0 && firmware[3] <= 33;
}

QString dvrSetupPath(const QString& cardRoot) {
    return QString("%1/%2").arg(cardRoot, kDvrSetupFileName);
}

DvrSetupInfo readDvrSetupInfo(const QString& cardRoot) {
    DvrSetupInfo info;
    QByteArray bytes;
    readSetupFile(dvrSetupPath(cardRoot), &bytes);
    // Plain text, as the recorder writes it: "12,34", "a;b" or "\"x" is the
    // vehicle number as it stands.
    const IniDocument ini(bytes);
    info.vehicleNumber = decodeSetupText(ini.value("DVR_NAME").value_or(QByteArray()));
    const CardInfo card = readCardInfo(ini);
    std::copy(std::begin(card.firmware), std::end(card.firmware), std::begin(info.firmware));
    return info;
}
