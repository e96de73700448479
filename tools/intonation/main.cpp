// Calibrates where the fretting finger's contact must sit so that fretted notes sound
// at equal temperament, by rendering notes and measuring their pitch; writes the
// table that engine/Intonation.cpp compiles in.
//
//   tovalin-intonation [-o engine/IntonationTable.inc]
//   tovalin-intonation --check engine/IntonationTable.inc   (exit 1 if it is not reproduced)

#include "engine/Intonation.h"
#include "engine/StringConstants.h"
#include "engine/StringPrecomputation.h"
#include "tools/lab/AudioAnalysis.h"
#include "tools/lab/StringRig.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace tovalin;
using namespace tovalin::lab;

namespace
{
int levelFor (int string, int modeCount)
{
    for (int level = 0; level < 3; ++level)
        if (ModeCountTable[level][string] == modeCount)
            return level;
    return 2;
}

/** The fretted note's fundamental with the contact moved offset metres toward the
    bridge (at the octave fret, the octave offset). */
double measure (bool nylon, int string, int modeCount, int fret, double offset)
{
    SoundControls controls;
    controls.stringType = nylon ? "Nylon" : "Steel";
    controls.inharmonicity = 0.0f;
    StringRig rig (string, levelFor (string, modeCount), controls);
    computeFretPins (*rig.model, (float) offset, (float) offset);
    rig.play (fret, 100);
    const auto y = rig.render (8192 + 16384);
    const double expected = openStringFrequency (string) * std::pow (2.0, fret / 12.0);
    return peakFrequency (y, 8192, 16384, expected * 0.96, expected * 1.04, EngineSampleRate);
}
} // namespace

/** The offset that puts one fret on pitch: secant steps on the measured error in
    cents, from the geometric position and a first step by the pitch ratio. */
double calibrateFret (bool nylon, int string, int modeCount, int fret)
{
    const double target = openStringFrequency (string) * std::pow (2.0, fret / 12.0);
    auto error = [&] (double offset) { return cents (measure (nylon, string, modeCount, fret, offset), target); };
    double x0 = 0.0, e0 = error (x0);
    const double point = (double) fretRatio (fret) * ScaleLength;
    double x1 = point * (1.0 - std::pow (2.0, e0 / 1200.0)), e1 = error (x1);
    for (int step = 0; step < 8 && std::abs (e1) > 0.01 && e1 != e0; ++step)
    {
        const double x2 = x1 - e1 * (x1 - x0) / (e1 - e0);
        x0 = x1;
        e0 = e1;
        x1 = x2;
        e1 = error (x1);
    }
    return x1;
}

/** The string's offset: the mean over several frets; and the octave's own. */
FretCompensation calibrate (bool nylon, int string, int modeCount)
{
    const int frets[] = {1, 4, 7, 10, 15};
    double sum = 0;
    for (int fret : frets)
        sum += calibrateFret (nylon, string, modeCount, fret);
    FretCompensation c;
    c.offset = (float) (sum / (double) (sizeof (frets) / sizeof (frets[0])));
    c.octaveOffset = (float) calibrateFret (nylon, string, modeCount, OctaveFret);
    return c;
}

namespace
{
/** The offsets of each row of a table, in order. */
std::vector<double> offsetsOf (const std::string& table)
{
    std::vector<double> values;
    std::istringstream lines (table);
    std::string line;
    while (std::getline (lines, line))
    {
        char set[8];
        int string = 0, modes = 0;
        double offset = 0, octave = 0;
        if (std::sscanf (line.c_str(), " { %7[a-z], %d, %d, %lff, %lff", set, &string, &modes, &offset, &octave) == 5)
        {
            values.push_back (offset);
            values.push_back (octave);
        }
    }
    return values;
}
} // namespace

int main (int argc, char** argv)
{
    std::string output, check;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp (argv[i], "-o") == 0 && i + 1 < argc)
            output = argv[++i];
        else if (std::strcmp (argv[i], "--check") == 0 && i + 1 < argc)
            check = argv[++i];
        else
        {
            std::fprintf (stderr, "usage: tovalin-intonation [-o FILE | --check FILE]\n");
            return 2;
        }
    }

    std::string table;
    for (const bool nylon : {true, false})
        for (int s = 0; s < StringCount; ++s)
        {
            std::set<int> counts;
            for (int level = 0; level < 3; ++level)
                counts.insert (ModeCountTable[level][s]);
            for (int n : counts)
            {
                const FretCompensation c = calibrate (nylon, s, n);
                char row[128];
                std::snprintf (row, sizeof (row), "    { %s, %d, %d, %.4ef, %.4ef },\n", nylon ? "true" : "false", s, n,
                               c.offset, c.octaveOffset);
                table += row;
            }
        }

    if (! check.empty())
    {
        std::ifstream in (check);
        std::stringstream committed;
        committed << in.rdbuf();
        const auto expected = offsetsOf (committed.str()), measured = offsetsOf (table);
        bool same = ! expected.empty() && expected.size() == measured.size();
        for (size_t i = 0; same && i < expected.size(); ++i)
            same = std::abs (expected[i] - measured[i]) <= 0.02 * std::abs (expected[i]) + 1e-6;
        if (! same)
        {
            std::fprintf (stderr, "tovalin-intonation: %s is not what the calibration gives now:\n%s", check.c_str(),
                          table.c_str());
            return 1;
        }
        std::printf ("tovalin-intonation: %s reproduced (%zu values)\n", check.c_str(), expected.size());
        return 0;
    }

    if (output.empty())
    {
        std::fputs (table.c_str(), stdout);
        return 0;
    }
    std::FILE* f = std::fopen (output.c_str(), "w");
    if (f == nullptr || std::fputs (table.c_str(), f) < 0 || std::fclose (f) != 0)
    {
        std::fprintf (stderr, "tovalin-intonation: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
