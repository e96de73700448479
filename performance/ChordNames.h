#pragma once

#include <string>
#include <vector>

namespace tovalin
{
/** A chord's name from its root note and interval mask (bit i: the interval of i
    semitones above the root, up to 21), with the bass notes below it after "\".
    Root -1 names nothing. */
std::string nameChord (int root, int mask, const std::vector<int>& bassNotes);

/** The note name of a MIDI note without octave, with sharps. */
const char* noteName (int note);

} // namespace tovalin
