#pragma once

#include "StringParams.h"

namespace tovalin
{
class StringModel;

/** The mode table (frequencies, decay times, output weights) from the model's params. */
void computeModes (StringModel& model);

/** Pluck and palm shapes; unless shapesOnly, also the fret matrices (wave numbers only). */
void computeShapes (StringModel& model, bool shapesOnly);

/** The fretting rows: each fret's contact moved toward the bridge by offset metres,
    the octave fret's by octaveOffset for its odd modes only (fret 0 stays put).
    computeShapes fills them with the string's calibrated offsets. Needs fretSin. */
void computeFretPins (StringModel& model, float offset, float octaveOffset);

/** Resonator coefficients, input gains and vectors, twang weights and constants. */
void computeCoefficients (StringModel& model);

/** Vibrato, vibrato depth and bend from the current control values. */
void applyControls (StringModel& model, const SoundControls& controls);

/** Carries the playing state of the live model into a freshly computed one. */
void copyPlayingState (StringModel& to, const StringModel& from);

} // namespace tovalin
