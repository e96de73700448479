#pragma once

#include "ChordNames.h"

#include "engine/GuitarConstants.h"

#include <atomic>
#include <cstdint>
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

/** Where each string is played and the current chord's name, written by the audio
    thread (one writer at a time: the processor's locks serialise the writers).

    The writer's own fields (note, fret, state) are plain: only the writing side reads
    them. What other threads may read, the frets and the chord name, is published
    besides under a sequence lock: readPublished() copies it whole, never torn, and the
    writer never waits for a reader. */
class Fingering
{
public:
    Fingering();

    /** Set by every string write; the reader clears it (takeChange) before it reads,
        so a write that lands during the read is seen again at the next poll. */
    mutable std::atomic<unsigned char> changed{0};

    int highestNote[StringCount];
    /** fretTable[n - LowestNote][s]: fret of note n on string s, or -1. */
    int fretTable[HighestNote - LowestNote + 1][StringCount];
    int note[StringCount];
    int fret[StringCount];
    StringState state[StringCount];

    void setString (int s, int noteNumber, int fretNumber, StringState newState) noexcept;
    void setStringFromFret (int s, int fretNumber, StringState newState) noexcept;
    void clearString (int s) noexcept;
    void setState (int s, StringState newState) noexcept;
    /** Clears all six strings and sets changed. */
    void reset() noexcept;

    /** The writer names the current chord (empty: none); longer names are cut to
        ChordNameCapacity - 1 bytes. Does not set changed: the strum that follows does.
        Never allocates, never waits. */
    void setChordName (const char* name) noexcept;

    /** What a reader on another thread sees. */
    struct Published
    {
        int fret[StringCount];
        char chordName[ChordNameCapacity];
    };

    /** Any thread: copies the published frets and chord name as they were between two
        writes. False (out untouched) when writes kept overlapping the copy for a few
        attempts; try again later. Never blocks the writer. */
    bool readPublished (Published& out) const noexcept;

    /** Any thread: true when something was written since the last call, and clears the
        mark. */
    bool takeChange() const noexcept { return changed.exchange (0, std::memory_order_acq_rel) != 0; }

    /** The published chord name as text (allocates: not for the audio thread). */
    std::string getChordName() const;

private:
    static constexpr size_t NameWords = (ChordNameCapacity + 7) / 8;

    void beginPublish() noexcept;
    void endPublish() noexcept;

    // Odd while the writer is between beginPublish and endPublish.
    std::atomic<std::uint32_t> sequence{0};
    std::atomic<int> publishedFret[StringCount];
    // The name's bytes, packed eight to a word so a copy is a dozen atomic loads.
    std::atomic<std::uint64_t> publishedName[NameWords];
};

} // namespace tovalin
