#pragma once

#include "ChordNames.h"

#include "engine/GuitarConstants.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tovalin
{
/** A chord as the six strings play it. Plain data: copying it never allocates. */
struct ChordVoicing
{
    char name[ChordNameCapacity] = {};
    int fret[StringCount] = {-1, -1, -1, -1, -1, -1};
    /** The state each string takes when strummed: 0 (chord) played, 3 (free) not. */
    int kind[StringCount] = {3, 3, 3, 3, 3, 3};
    bool noChord = true;
};

/** The voicing of every chord shape over every root the keyboard recognises,
    found by (root, interval mask). Built once; lookups never allocate. */
class ChordLibrary
{
public:
    ChordLibrary();

    /** The voicing of (root, mask), or the no-chord voicing. */
    const ChordVoicing& lookup (int root, int mask) const noexcept;
    bool contains (int root, int mask) const noexcept { return find (root, mask) != nullptr; }

    const ChordVoicing& noChord() const noexcept { return none; }

    struct Entry
    {
        int root, mask;
        ChordVoicing voicing;
    };
    const std::vector<Entry>& entries() const noexcept { return table; }

private:
    const ChordVoicing* find (int root, int mask) const noexcept;

    std::vector<Entry> table; // by root, then mask
    ChordVoicing none;
};

} // namespace tovalin
