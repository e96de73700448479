#pragma once

namespace tovalin
{
/** The six strings, numbered 0 (lowest) to 5. Note numbers are read as guitar music
    is written, an octave above the sound. */
constexpr int StringCount = 6;
constexpr int OpenNote[StringCount] = {52, 57, 62, 67, 71, 76};
/** Playable positions per string, fret 0 included. */
constexpr int FretCount[StringCount] = {19, 19, 19, 19, 18, 18};
constexpr int LowestNote = 52;
constexpr int HighestNote = 93;

enum class StringState
{
    Chord = 0,
    Single = 1,
    Legato = 2,
    Free = 3,
    Sustained = 4
};

} // namespace tovalin
