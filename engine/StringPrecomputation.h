#pragma once

#include "StringParams.h"

namespace tovalin
{
class StringModel;

/** The mode table (frequencies, decay times, output weights) from the model's params. */
void computeModes (StringModel& model);

/** Pluck and palm shapes; unless shapesOnly, also the fret matrices (wave numbers only). */
void computeShapes (StringModel& model, bool shapesOnly);

/** Resonator coefficients, input gains and vectors, twang weights and constants. */
void computeCoefficients (StringModel& model);

/** Vibrato, vibrato depth and bend from the current control values. */
void applyControls (StringModel& model, const SoundControls& controls);

/** Carries the playing state of the live model into a freshly computed one. */
void copyPlayingState (StringModel& to, const StringModel& from);

} // namespace tovalin
