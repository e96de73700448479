#include "Intonation.h"

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
    const Compensation table[] = {
#include "IntonationTable.inc"
    };
} // namespace

FretCompensation fretCompensation (bool nylon, int string, int modeCount) noexcept
{
    for (const auto& c : table)
        if (c.nylon == nylon && c.string == string && c.modeCount == modeCount)
            return {c.offset, c.octaveOffset};
    return {};
}

} // namespace tovalin
