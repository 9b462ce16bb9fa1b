#pragma once

// Texts and numbers of the main window's read-outs (position, G-sensor, speed,
// date), kept apart from the widgets so that their formats are fixed in one
// place.
//
// Threading: free functions, GUI thread (they translate texts).

#include <QDate>
#include <QLocale>
#include <QString>

namespace readOuts {

// Knots to the displayed unit.
inline constexpr double kKnotsToKmh = 1.852;
inline constexpr double kKnotsToMph = 1.150779;

// " %1 N " / " %1 E " with the degrees as format 'g', 6 significant digits.
QString latitudeText(double degrees);
QString longitudeText(double degrees);
// One G-sensor axis value, format 'g', 6 significant digits.
QString axisText(double value);
// The speed shown in the LCD: knots converted to MPH or km/h, truncated
// toward zero.
int speedValue(double knots, bool mph);
// " MPH " or " km/h ".
QString speedUnitText(bool mph);
// The playback date in the locale's long date format, or "No Date".
QString dateText(const QDate& date, const QLocale& locale = QLocale::system());

// "SHOW/SPEED_MPH" of the native store QSettings("QUENDRA", "Korvel").
bool readUseMph();

}  // namespace readOuts
