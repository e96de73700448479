#pragma once

#include "engine/GuitarConstants.h"

// The chord shapes the keyboard channel recognises, and the voicings fixed by the
// guitar's own practice (the low-E shapes and a few well-known positions). The rest of
// the chord table is searched from these by tools/chords and kept in ChordTable.inc.

namespace tovalin
{
constexpr int ChordShapeCount = 41;

/** Interval masks (bit i: i semitones above the root), in the table's order. */
constexpr int ChordShapeMasks[ChordShapeCount] = {
    0x91,   0x89,   0x289,  0x291, 0x281,  0x209,  0x211,  0x489,  0x491,  0x511,  0x481,  0x409,  0x411,  0x891,
    0x889,  0x881,  0x811,  0x809, 0x4089, 0x4091, 0x4291, 0x4081, 0x4009, 0x4011, 0x4489, 0x4491, 0x4481, 0x4411,
    0x4891, 0x4881, 0x4811, 0x85,  0xA1,   0x485,  0x4A1,  0x405,  0x421,  0x49,   0x111,  0x449,  0x451};

/** A row of the chord table: root note, mask, frets of strings 0..5 (-1: not played). */
struct ChordRow
{
    int root, mask;
    int fret[StringCount];
};

/** Voicings taken as they are rather than searched. */
constexpr ChordRow FixedChordRows[] = {
    // Over the low open E, every shape.
    {52, 0x91, {0, 2, 2, 1, 0, 0}},
    {52, 0x89, {0, 2, 2, 0, 0, 0}},
    {52, 0x289, {0, 2, 2, 0, 2, 0}},
    {52, 0x291, {0, 2, 2, 1, 2, 0}},
    {52, 0x281, {0, 2, 2, -1, 2, 0}},
    {52, 0x209, {-1, -1, 2, 0, 2, 0}},
    {52, 0x211, {-1, -1, 2, 1, 2, 0}},
    {52, 0x489, {0, 2, 0, 0, 0, 0}},
    {52, 0x491, {0, 2, 0, 1, 0, 0}},
    {52, 0x511, {0, 3, 0, 1, 3, 0}},
    {52, 0x481, {0, 2, 0, -1, 0, 0}},
    {52, 0x409, {0, -1, 0, 0, 3, 0}},
    {52, 0x411, {-1, -1, 2, 1, 3, 0}},
    {52, 0x891, {0, 2, 1, 1, 0, 0}},
    {52, 0x889, {0, 2, 1, 0, 0, 0}},
    {52, 0x881, {0, 2, 1, 4, 4, 0}},
    {52, 0x811, {-1, -1, 2, 1, 4, 0}},
    {52, 0x809, {-1, -1, 2, 0, 4, 0}},
    {52, 0x4089, {0, 2, 2, 0, 0, 2}},
    {52, 0x4091, {0, 2, 2, 1, 0, 2}},
    {52, 0x4291, {0, 2, 2, 1, 2, 2}},
    {52, 0x4081, {0, 2, 2, 1, 0, 2}},
    {52, 0x4009, {0, 2, 2, 0, 0, 2}},
    {52, 0x4011, {0, 2, 2, 1, 0, 2}},
    {52, 0x4489, {0, 2, 0, 0, 0, 2}},
    {52, 0x4491, {0, 2, 0, 1, 0, 2}},
    {52, 0x4481, {0, 2, 0, 4, 3, 2}},
    {52, 0x4411, {-1, -1, 2, 1, 3, 2}},
    {52, 0x4891, {0, 2, 1, 1, 0, 2}},
    {52, 0x4881, {0, 2, 1, -1, 0, 2}},
    {52, 0x4811, {-1, -1, 2, 1, 4, 2}},
    {52, 0x85, {0, 2, 2, 4, 5, 2}},
    {52, 0xA1, {0, 0, 2, 2, 0, 0}},
    {52, 0x485, {0, 2, 0, 4, 3, 2}},
    {52, 0x4A1, {0, 0, 0, 2, 0, 0}},
    {52, 0x405, {0, 7, 4, 7, 7, 0}},
    {52, 0x421, {0, 0, 0, 2, 3, 0}},
    {52, 0x49, {0, 1, 2, 0, 2, 0}},
    {52, 0x111, {0, 3, 2, 1, 1, 0}},
    {52, 0x449, {0, 1, 0, 0, 3, 0}},
    {52, 0x451, {0, 1, 0, 1, 3, 0}},
    // Well-known positions.
    {55, 0x91, {3, 2, 0, 0, 3, 3}},
    {57, 0x91, {-1, 0, 2, 2, 2, 0}},
    {57, 0x89, {-1, 0, 2, 2, 1, 0}},
    {57, 0x489, {-1, 0, 2, 0, 1, 0}},
    {60, 0x91, {-1, 3, 2, 0, 1, 0}},
    {62, 0x91, {-1, -1, 0, 2, 3, 2}},
    {64, 0x91, {-1, 7, 9, 9, 9, 7}},
    {67, 0x91, {-1, 10, 12, 12, 12, 10}},
    {72, 0x91, {8, 10, 10, 9, 8, 8}},
    {75, 0x91, {11, 13, 13, 12, 11, 11}},
};

} // namespace tovalin
