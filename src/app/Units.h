#pragma once
// Text units (1/100000 inch) and the measurement units the user chooses: inch, millimetre, point.

#include <QString>

enum MeasurementUnit : int { UNIT_TEXTUNIT = -1, UNIT_INCH = 0, UNIT_MILLIMETRE = 1, UNIT_POINT = 2 };

// General conversion; either unit may be -1 (text units); an unknown unit gives 0.0.
double unitConvert(double value, int fromUnit, int toUnit);
// To text units, truncated toward zero (1 inch gives 99999: the inch factor lies just below 1e5).
int unitConvertToTextunit(double value, int unit);
double unitConvertTextunitTo(int textunits, int unit);
// The spin step of a unit in text units.
int unitGetDelta(int unit);
// The value with the unit's number of decimals.
QString unitGetStrValue(double value, int unit);
