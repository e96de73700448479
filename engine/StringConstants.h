#pragma once

#include "GuitarConstants.h"

namespace tovalin
{
/** Scale length in metres; string positions are measured from the bridge. */
constexpr double ScaleLength = 0.648;

/** Rows of the fret shape tables beyond the playable frets: the harmonic touch sits up
    to 12 frets above the fretted one, and a bend reaches 3 frets above it. */
constexpr int ExtraFretRows = 12;

/** Mode counts per sound precision (0..2) and string. */
constexpr int ModeCountTable[3][StringCount] = {
    {76, 80, 80, 64, 60, 48},
    {92, 96, 96, 72, 64, 48},
    {160, 112, 112, 76, 64, 48},
};

/** r_j = 2^(-j/12) in single precision (the exponent rounded to single precision too),
    j = 0..30: the distance from the bridge to fret j is r_j * L. */
float fretRatio (int fret) noexcept;

/** Wave speed c_s = 142.56 * 2^(m_s/12) m/s of string s (open E2 A2 D3 G3 B3 E4). */
double waveSpeed (int string) noexcept;
float waveSpeedFloat (int string) noexcept;

/** Nominal open-string fundamental c_s / (2L). */
double openStringFrequency (int string) noexcept;

} // namespace tovalin
