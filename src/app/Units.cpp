#include "app/Units.h"

#include "platform/Guard.h"

#include <bit>
#include <cstdint>
#include <cstdio>

namespace {
// The stored factors, bit for bit: the inch factor is one step below 100000 on purpose, so whole
// inches, millimetres and points convert one text unit short, as stored documents expect.
const double kToTextunit[3] = {
    std::bit_cast<double>(std::uint64_t(0x40F869FFFFFFFFFF)), // inch
    std::bit_cast<double>(std::uint64_t(0x40AEC2040810203F)), // millimetre
    std::bit_cast<double>(std::uint64_t(0x4095B38E38E38E38)), // point
};
const double kFromTextunit[3] = {1e-05, 0.000254, 0.00072};

bool IsKnown(int unit) { return unit >= 0 && unit <= 2; }
} // namespace

double unitConvert(double value, int fromUnit, int toUnit) {
    double v = value;
    if (IsKnown(fromUnit))
        v *= kToTextunit[fromUnit];
    else if (fromUnit != UNIT_TEXTUNIT)
        return 0.0;
    if (IsKnown(toUnit))
        return v * kFromTextunit[toUnit];
    return toUnit == UNIT_TEXTUNIT ? v : 0.0;
}

int unitConvertToTextunit(double value, int unit) {
    DEF_TRY
    return static_cast<int>(unitConvert(value, unit, UNIT_TEXTUNIT));
    DEF_CATCH
    return 0;
}

double unitConvertTextunitTo(int textunits, int unit) {
    DEF_TRY
    return unitConvert(textunits, UNIT_TEXTUNIT, unit);
    DEF_CATCH
    return 0.0;
}

int unitGetDelta(int unit) {
    DEF_TRY
    switch (unit) {
    case UNIT_INCH: return unitConvertToTextunit(0.005, UNIT_INCH);
    case UNIT_MILLIMETRE: return unitConvertToTextunit(0.5, UNIT_MILLIMETRE);
    case UNIT_POINT: return unitConvertToTextunit(1.0, UNIT_POINT);
    default: return 0;
    }
    DEF_CATCH
    return 0;
}

QString unitGetStrValue(double value, int unit) {
    DEF_TRY
    const int decimals = unit == UNIT_INCH ? 3 : unit == UNIT_MILLIMETRE ? 2 : 0;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", decimals);
    char text[64];
    // The C library's formatting under the "C" numeric locale the program runs in.
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
    DEF_CATCH
    return {};
}
