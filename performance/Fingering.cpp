#include "Fingering.h"

#include "ChordNames.h"

namespace tovalin
{
Fingering::Fingering()
{
    chordName.reserve (ChordNameCapacity); // the audio thread writes names without allocating
    for (int s = 0; s < StringCount; ++s)
    {
        highestNote[s] = OpenNote[s] + StringFretCount[s] - 1;
        note[s] = -1;
        fret[s] = -1;
        state[s] = StringState::Free;
    }
    for (int n = LowestNote; n <= HighestNote; ++n)
        for (int s = 0; s < StringCount; ++s)
            fretTable[n - LowestNote][s] = (OpenNote[s] <= n && n <= highestNote[s]) ? n - OpenNote[s] : -1;
}

void Fingering::setString (int s, int noteNumber, int fretNumber, StringState newState) noexcept
{
    note[s] = noteNumber;
    fret[s] = fretNumber;
    state[s] = newState;
    changed = 1;
}

void Fingering::setStringFromFret (int s, int fretNumber, StringState newState) noexcept
{
    setString (s, OpenNote[s] + fretNumber, fretNumber, newState);
}

void Fingering::clearString (int s) noexcept { setString (s, -1, -1, StringState::Free); }

void Fingering::setState (int s, StringState newState) noexcept { state[s] = newState; }

void Fingering::reset() noexcept
{
    for (int s = 0; s < StringCount; ++s)
        clearString (s);
}

} // namespace tovalin
