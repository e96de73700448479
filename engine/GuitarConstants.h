#pragma once

namespace tovalin
{
/** The guitar that the engine models and the performance layer plays: the one home
    of its numbers, for the engine, the performance layer, the processor, the tools
    and the fretboard view. */

/** The engine's fixed rate: the processor converts to and from the host's. Times in
    the engine and the performance layer are counted in these samples. */
constexpr int EngineSampleRate = 44100;

/** The six strings, numbered 0 (lowest) to 5. */
constexpr int StringCount = 6;

/** Playable positions per string, fret 0 (the open string) included. */
constexpr int StringFretCount[StringCount] = {19, 19, 19, 19, 18, 18};

/** The open strings' note numbers, E A D G B E, read as guitar music is written: an
    octave above the sound. */
constexpr int OpenNote[StringCount] = {52, 57, 62, 67, 71, 76};

/** The playable notes: the lowest open string to the top string's highest fret. */
constexpr int LowestNote = OpenNote[0];
constexpr int HighestNote = OpenNote[StringCount - 1] + StringFretCount[StringCount - 1] - 1;

} // namespace tovalin
