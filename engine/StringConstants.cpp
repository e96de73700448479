#include "StringConstants.h"

#include <cmath>

namespace tovalin
{
namespace
{
    constexpr int semitonesFromLowA[EngineStringCount] = {-5, 0, 5, 10, 14, 19};
}

float fretRatio (int fret) noexcept
{
    const float exponent = (float) (-fret / 12.0);
    return (float) std::pow (2.0, (double) exponent);
}

double waveSpeed (int string) noexcept { return 142.56 * std::pow (2.0, semitonesFromLowA[string] / 12.0); }

float waveSpeedFloat (int string) noexcept { return (float) waveSpeed (string); }

double openStringFrequency (int string) noexcept { return waveSpeed (string) / (2.0 * ScaleLength); }

} // namespace tovalin
