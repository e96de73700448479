#pragma once

#include "GuitarConstants.h"

#include <string>

namespace tovalin
{
/** One string of a string set, as the precomputation reads it. */
struct StringSetRow
{
    float tension;       // N
    float youngModulus;  // divided by the table's modulus scale
    float outerDiameter; // mm
    float coreRatio;     // core diameter / outer diameter; 1 for plain strings
    float dampingBase;
    float windingLoss;
    float touchStrengthBase;
    float fretStiffness;
    float twangScale;
};

struct StringSet
{
    const char* name;
    StringSetRow rows[StringCount];
};

constexpr float StringSetModulusScale = 1.0f;

/** "Nylon" and "Steel", in the order of the "String type" choices. */
const StringSet& nylonStringSet() noexcept;
const StringSet& steelStringSet() noexcept;

/** "Nylon" selects the nylon set; any other name the steel set. */
const StringSet& stringSetFor (const std::string& name) noexcept;

} // namespace tovalin
