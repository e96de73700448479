#include "Intonation.h"

#include "StringConstants.h"

namespace tovalin
{
namespace
{
    struct Compensation
    {
        bool nylon;
        int string;
        int modeCount;
        float offset;
        float octaveOffset;
    };

    // Written by tools/intonation (tovalin-intonation); do not edit by hand.
    constexpr Compensation table[] = {
#include "IntonationTable.inc"
    };

    constexpr bool hasRow (bool nylon, int string, int modeCount)
    {
        for (const auto& c : table)
            if (c.nylon == nylon && c.string == string && c.modeCount == modeCount)
                return true;
        return false;
    }

    constexpr bool coversEveryBuiltString()
    {
        for (const bool nylon : {true, false})
            for (int level = 0; level < 3; ++level)
                for (int s = 0; s < StringCount; ++s)
                    if (! hasRow (nylon, s, ModeCountTable[level][s]))
                        return false;
        return true;
    }

    // A string without its row would play up to 10 cents flat: that is a build error,
    // not a silent zero offset. Rerun tovalin-intonation after changing the mode counts.
    static_assert (coversEveryBuiltString(),
                   "IntonationTable.inc lacks a row for a string set, string and sound precision");
} // namespace

std::optional<FretCompensation> fretCompensation (bool nylon, int string, int modeCount) noexcept
{
    for (const auto& c : table)
        if (c.nylon == nylon && c.string == string && c.modeCount == modeCount)
            return FretCompensation{c.offset, c.octaveOffset};
    return std::nullopt;
}

} // namespace tovalin
