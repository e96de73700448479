#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovalin
{
/** One channel or system event of a performance, at its time in seconds. */
struct TimedMidiEvent
{
    double seconds = 0.0;
    std::uint8_t bytes[3] = {0, 0, 0};
    int size = 0;
};

struct MidiFileContents
{
    int format = 0;
    int trackCount = 0;
    /** Channel messages of every track, merged in time order (ties keep file order). */
    std::vector<TimedMidiEvent> events;
    /** Time of the last event of any kind, end-of-track included. */
    double lengthSeconds = 0.0;
};

/** Reads a standard MIDI file of type 0 or 1 (type 2 tracks are laid one after
    another), honouring the tempo map and SMPTE time division. Bounds-checked: a
    malformed file gives an error text, never a crash or an endless loop. */
bool readMidiFile (const std::vector<std::uint8_t>& bytes, MidiFileContents& out, std::string& error);

} // namespace tovalin
