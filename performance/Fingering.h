#pragma once

#include "engine/GuitarConstants.h"

#include <atomic>
#include <string>

namespace tovalin
{
/** How a string is being played. */
enum class StringState
{
    Chord = 0,
    Single = 1,
    Legato = 2,
    Free = 3,
    Sustained = 4
};

/** Where each string is played, published by the audio thread and polled by the
    fretboard view and the renderer's trace. Plain integers: a torn read costs one
    redraw, never a crash. */
class Fingering
{
public:
    Fingering();

    /** Set by every string write; the reader clears it when it has redrawn. */
    std::atomic<unsigned char> changed{0};

    int highestNote[StringCount];
    /** fretTable[n - LowestNote][s]: fret of note n on string s, or -1. */
    int fretTable[HighestNote - LowestNote + 1][StringCount];
    int note[StringCount];
    int fret[StringCount];
    StringState state[StringCount];
    /** Name of the current chord, empty when there is none. */
    std::string chordName;

    void setString (int s, int noteNumber, int fretNumber, StringState newState) noexcept;
    void setStringFromFret (int s, int fretNumber, StringState newState) noexcept;
    void clearString (int s) noexcept;
    void setState (int s, StringState newState) noexcept;
    /** Clears all six strings and sets changed. */
    void reset() noexcept;
};

} // namespace tovalin
