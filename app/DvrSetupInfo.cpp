#include "app/DvrSetupInfo.h"

#include "recording/RegularFile.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>

bool DvrSetupInfo::isOldFirmware() const {
    return firmware[0] == 1 && firmware[1] == 0 && firmware[2] == 0 && firmware[3] <= 33;
}

QString dvrSetupPath(const QString& cardRoot) {
    return QString("%1/%2").arg(cardRoot, kDvrSetupFileName);
}

DvrSetupInfo readDvrSetupInfo(const QString& cardRoot) {
    DvrSetupInfo info;
    // A FIFO or a device named like the setup file would block the read on
    // the GUI thread; a folder cannot be read.
    const QString path = dvrSetupPath(cardRoot);
    if (!regularfile::isRegular(QFile::encodeName(path).toStdString())) {
        return info;
    }
    QSettings ini(path, QSettings::IniFormat);
    ini.setIniCodec("EUC-KR");
    const QVariant name = ini.value("/DVR_NAME", QString());
    // QSettings reads an unquoted value holding commas as a list; a vehicle
    // number such as "12,34" must not come out empty.
    info.vehicleNumber =
        name.type() == QVariant::StringList ? name.toStringList().join(',') : name.toString();
    for (int i = 0; i < 4; ++i) {
        info.firmware[i] = ini.value(QString("INFORMATION/FW_VER%1").arg(i + 1), 0).toInt();
    }
    return info;
}
