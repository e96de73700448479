#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tovalin
{
/** Room for any chord name, bass notes included. */
constexpr size_t ChordNameCapacity = 96;

/** A chord's name from its root note and interval mask (bit i: the interval of i
    semitones above the root, up to 21), with the bass notes below it after "\", into
    out (always terminated; never allocates: the audio thread names chords). Root -1
    names nothing. */
void nameChord (int root, int mask, const int* bassNotes, int bassCount, char* out, size_t capacity) noexcept;

std::string nameChord (int root, int mask, const std::vector<int>& bassNotes);

/** The note name of a MIDI note without octave, with sharps. */
const char* noteName (int note) noexcept;

} // namespace tovalin
