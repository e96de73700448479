#pragma once

#include <optional>

namespace tovalin
{
/** How far toward the bridge the fretting finger's contact sits from the fret's
    geometric position, in metres.

    The fret contact holds the string through the pads' compliance and acts one
    sample after the displacement it answers, so a fretted string behaves as if it
    were slightly longer and plays flat, by 1.5 to 7 cents depending on string and
    fret (10 at the octave of the top string). Moving the contact toward the bridge
    by a constant per string restores equal temperament. At the octave the even modes
    sit on their node, out of the pluck and unheld; the odd modes alone form the
    note, so that fret has its own offset, applied to them. */
struct FretCompensation
{
    float offset = 0.0f;       // every fret but 0 and the octave
    float octaveOffset = 0.0f; // the octave fret's odd modes
};

/** The calibrated values for a string of this set, index and mode count (from
    tools/intonation, which measures rendered notes); nothing when the table holds no
    such row. Every string the instrument builds (both sets, every sound precision's
    mode count) has its row: Intonation.cpp fails to compile otherwise. */
std::optional<FretCompensation> fretCompensation (bool nylon, int string, int modeCount) noexcept;

/** The fret whose even modes keep their node under the finger. */
constexpr int OctaveFret = 12;

} // namespace tovalin
