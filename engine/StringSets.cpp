#include "StringSets.h"

namespace tovalin
{
namespace
{
    // tension, youngModulus, outerDiameter, coreRatio, dampingBase, windingLoss,
    // touchStrengthBase, fretStiffness, twangScale
    const StringSet nylon = {"Nylon",
                             {{74, 3.518f, 1.05918f, 0.54f, 0.0232f, 1.0f, 520, 49000, 430},
                              {79, 5.495f, 0.86106f, 0.8f, 0.0175f, 0.7f, 520, 25000, 280},
                              {89, 8.057f, 0.75946f, 0.8f, 0.028654879f, 0.11f, 520, 1025, 200},
                              {58, 7.493f, 0.84074f, 1.0f, 0.0156f, 0, 520, 15, 100},
                              {58, 9.736f, 0.69088f, 1.0f, 0.0156f, 0, 520, 10, 40},
                              {82, 11.933f, 0.61976f, 1.0f, 0.04220736f, 0, 520, 10.5f, 20}}};

    // The steel strings are 0.1 mm thinner and differ in fret stiffness.
    const StringSet steel = {"Steel",
                             {{74, 3.518f, 0.95918f, 0.54f, 0.0232f, 1.0f, 520, 49000, 430},
                              {79, 5.495f, 0.76106f, 0.8f, 0.0175f, 0.7f, 520, 29000, 280},
                              {89, 8.057f, 0.65946f, 0.8f, 0.028654879f, 0.11f, 520, 20025, 200},
                              {58, 7.493f, 0.74074f, 1.0f, 0.0156f, 0, 520, 15, 100},
                              {58, 9.736f, 0.59088f, 1.0f, 0.0156f, 0, 520, 10, 40},
                              {82, 11.933f, 0.51976f, 1.0f, 0.04220736f, 0, 520, 10.3f, 20}}};
} // namespace

const StringSet& nylonStringSet() noexcept { return nylon; }
const StringSet& steelStringSet() noexcept { return steel; }

const StringSet& stringSetFor (const std::string& name) noexcept { return name == "Nylon" ? nylon : steel; }

} // namespace tovalin
