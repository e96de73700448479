#pragma once

#include "performance/ChordShapes.h"

#include <vector>

namespace tovalin::chords
{
/** Why a voicing is playable and sounds like its chord; the rules the search keeps. */
struct VoicingCheck
{
    bool inRange = false;    // every fret within its string's range
    bool inChord = false;    // every played string sounds a note of the chord
    bool reachable = false;  // at most 4 frets between the lowest and highest fretted note
    bool fingered = false;   // four fingers hold it (with a barre where one serves)
    bool contiguous = false; // muted strings only at the edges
    bool complete = false;   // the root, third, seventh and extensions present (the fifth may go)
    bool rootInBass = false; // the lowest sounding note is the root
    int played = 0;
};

VoicingCheck checkVoicing (int root, int mask, const int* fret);

/** The best voicing the search finds for (root, mask), or false when none holds. */
bool searchVoicing (int root, int mask, int* fret);

/** The whole table: for each root 52..75 and each shape, the fixed row if there is
    one, else the searched voicing (shapes without one are left out). */
std::vector<ChordRow> buildChordTable();

} // namespace tovalin::chords
