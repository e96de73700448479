#pragma once

#include "MidiFileReader.h"

namespace tovalin
{
/** The built-in demo: a strummed C - Am - F - G progression, the same progression
    fingerpicked, and a closing chord; about 20 seconds, all on the keyboard channel. */
MidiFileContents demoPerformance();

} // namespace tovalin
