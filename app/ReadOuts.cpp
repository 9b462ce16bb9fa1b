#include "app/ReadOuts.h"

#include <QCoreApplication>
#include <QSettings>

namespace readOuts {

QString latitudeText(double degrees) {
    return QString(" %1 N ").arg(degrees, 0, 'g', 6);
}

QString longitudeText(double degrees) {
    return QString(" %1 E ").arg(degrees, 0, 'g', 6);
}

QString axisText(double value) {
    return QString("%1").arg(value, 0, 'g', 6);
}

int speedValue(double knots, bool mph) {
    return static_cast<int>(knots * (mph ? kKnotsToMph : kKnotsToKmh));
}

QString speedUnitText(bool mph) {
    return mph ? QCoreApplication::translate("Korvel", " MPH ")
               : QCoreApplication::translate("Korvel", " km/h ");
}

QString dateText(const QDate& date, const QLocale& locale) {
    if (!date.isValid()) {
        return QCoreApplication::translate("Korvel", "No Date");
    }
    return locale.toString(date, QLocale::LongFormat);
}

bool readUseMph() {
    QSettings store("QUENDRA", "Korvel");
    return store.value("SHOW/SPEED_MPH", false).toBool();
}

}  // namespace readOuts
