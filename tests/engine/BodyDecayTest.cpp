#include "engine/SoundLibrary.h"
#include "tools/lab/AudioAnalysis.h"
#include "tools/lab/StringRig.h"
#include "tools/sounddata/SoundDataGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace tovalin;
using namespace tovalin::lab;

namespace
{
struct DecayCase
{
    int guitar;
    const char* strings;
};
} // namespace

// Rendered plucks on a classical and a steel-string body: each open string's partials
// up to 4 kHz die away as the guitar's admittance makes them, and inside the ranges of
// that kind of guitar.
TEST (BodyDecay, RenderedPartialsDecayAsTheGuitarsAdmittanceSays)
{
    const SoundLibrary library;
    const char* names[6] = {"E2", "A2", "D3", "G3", "B3", "E4"};
    for (const DecayCase& c : {DecayCase{0, "Nylon"}, DecayCase{3, "Steel"}}) // Corvan's, Kelvo's
    {
        const sounddata::GuitarDesign& design = sounddata::Guitars[c.guitar];
        SCOPED_TRACE (design.name);
        const AdmittanceTable table = library.findGuitar (design.name)->admittanceTable();
        std::printf ("%s, %s strings: T60 (s) of each partial up to 4 kHz, rendered\n", design.name, c.strings);
        for (int s = 0; s < StringCount; ++s)
        {
            SoundControls controls;
            controls.stringType = c.strings;
            StringRig rig (s, 2, controls, {}, &table);
            rig.play (0, 100);
            const std::vector<float> y = rig.render (EngineSampleRate * 3);

            constexpr size_t window = 2048;
            const size_t start = 11025;
            double loudest = 0;
            std::vector<double> levels;
            int partials = 0;
            for (int n = 0; n < rig.model->modeCount; ++n)
            {
                const double f = rig.model->modes.angularFrequency[(size_t) n] / (2.0 * M_PI);
                if (f > 4000.0)
                    break;
                levels.push_back (windowedMagnitude (y, start, window, f, EngineSampleRate));
                loudest = std::max (loudest, levels.back());
                ++partials;
            }
            std::printf ("  %s:", names[s]);
            for (int n = 0; n < partials; ++n)
            {
                const double f = rig.model->modes.angularFrequency[(size_t) n] / (2.0 * M_PI);
                const double expected = 6.91 * rig.model->modes.decayTime[(size_t) n];
                if (levels[(size_t) n] < loudest * 1e-3)
                {
                    std::printf (" -");
                    continue; // barely excited (a node of the pluck): nothing to measure
                }
                // Fit over half the expected decay (at least 0.4 s, at most what was rendered).
                const double span = std::clamp (expected * 0.5, 0.4, 2.6);
                const size_t windows = (size_t) (span * EngineSampleRate / window);
                const double t60 = decayTimeT60 (y, f, EngineSampleRate, start, windows, window);
                std::printf (" %.1f", t60);
                EXPECT_NEAR (t60 / expected, 1.0, 0.2) << names[s] << " partial " << n + 1 << " at " << f << " Hz";
                if (n >= 12)
                    continue; // the design's ranges cover the first 12 partials
                const auto range = sounddata::decayTarget (sounddata::hasSteelBody (c.guitar), s, n + 1, f);
                const double shortest = sounddata::onBodyResonance (design, f) ? 0.5 : range.shortest;
                EXPECT_GE (t60, shortest * 0.9) << names[s] << " partial " << n + 1 << " at " << f << " Hz";
                EXPECT_LE (t60, range.longest * 1.1) << names[s] << " partial " << n + 1 << " at " << f << " Hz";
            }
            std::printf ("\n");
        }
    }
}
