#include "StringConstants.h"

#include <cmath>

namespace tovalin
{
float fretRatio (int fret) noexcept
{
    const float exponent = (float) (-fret / 12.0);
    return (float) std::pow (2.0, (double) exponent);
}

double waveSpeed (int string) noexcept
{
    const int semitonesFromLowA = OpenNote[string] - OpenNote[1];
    return 142.56 * std::pow (2.0, semitonesFromLowA / 12.0);
}

float waveSpeedFloat (int string) noexcept { return (float) waveSpeed (string); }

double openStringFrequency (int string) noexcept { return waveSpeed (string) / (2.0 * ScaleLength); }

} // namespace tovalin
