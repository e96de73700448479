// Renders single notes on every guitar, string set and excitation (velocity 100, the
// radiated sound through the guitar's body, no room) and prints what a guitarist hears
// first: how long each partial sings, the level a second after the attack, the body's
// air resonance under the note and the brightness as the note evolves.
//
//   tovalin-soundcheck [--guitar N] [--strings Nylon|Steel] [--excitation finger|pick]
//                      [--color X] [--impedance X] [--seconds S] [--generated] [--string-only]
//
// --generated measures the generator's data instead of the embedded ones (for trying a
// design before writing data/sound-data.bin); --string-only measures the strings' force
// on the bridge, before the body.

#include "engine/SoundLibrary.h"
#include "engine/StringConstants.h"
#include "tools/lab/NoteAnalysis.h"
#include "tools/lab/StringRig.h"
#include "tools/sounddata/SoundDataGenerator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace tovalin;
using namespace tovalin::lab;

namespace
{
struct Note
{
    const char* name;
    int string, fret;
};

constexpr Note Notes[] = {{"E2", 0, 0}, {"A2", 1, 0},   {"D3", 2, 0},   {"G3", 3, 0},   {"B3", 4, 0},
                          {"E4", 5, 0}, {"D3/5", 1, 5}, {"C4/3", 3, 5}, {"G4/4", 4, 8}, {"E5/5", 5, 12}};
constexpr int PartialsShown = 6;

struct Measures
{
    double t60[PartialsShown] = {};
    double levelAt1s = 0, air = 0, bright5 = 0, bright50 = 0, bright500 = 0, attack5k = 0;
    bool airMeasured = false;
};

Measures measure (const std::vector<float>& y, double fundamental, const std::vector<double>& partials)
{
    const double rate = EngineSampleRate;
    Measures m;
    const size_t attack = attackSample (y);
    for (int n = 0; n < PartialsShown && n < (int) partials.size(); ++n)
    {
        const double f = partials[(size_t) n];
        m.t60[n] = partialT60 (y, attack, peakFrequency (y, attack, 16384, f * 0.985, f * 1.015, rate), rate);
    }
    m.levelAt1s = levelAfter (y, attack, 1.0, rate);
    m.airMeasured = fundamental > 130.0;
    if (m.airMeasured)
        m.air = airModeLevel (y, attack, fundamental, 8, rate);
    m.bright5 = brightnessAt (y, attack, 0.005, rate);
    m.bright50 = brightnessAt (y, attack, 0.05, rate);
    m.bright500 = brightnessAt (y, attack, 0.5, rate);
    m.attack5k = brightnessAt (y, attack, 0.005, rate, 5000.0);
    return m;
}

void printHeader()
{
    std::printf ("%-6s", "note");
    for (int n = 1; n <= PartialsShown; ++n)
        std::printf ("  T60/%d", n);
    std::printf ("   @1s    air  >2k@5 >2k@50 >2k@500 >5k@5\n");
}

void printRow (const char* name, const Measures& m)
{
    std::printf ("%-6s", name);
    for (double t : m.t60)
    {
        if (t <= 0)
            std::printf ("      -");
        else if (t > 99)
            std::printf ("    >99");
        else
            std::printf (" %6.1f", t);
    }
    std::printf (" %5.1f", m.levelAt1s);
    if (m.airMeasured)
        std::printf (" %6.1f", m.air);
    else
        std::printf ("      -");
    std::printf (" %6.1f %6.1f %6.1f %6.1f\n", m.bright5, m.bright50, m.bright500, m.attack5k);
}

struct Options
{
    int guitar = -1;
    std::string strings, excitation;
    float color = 0.5f, impedance = 0.5f;
    double seconds = 4.0;
    bool generated = false;
    bool stringOnly = false;
};

int usage()
{
    std::fprintf (stderr, "usage: tovalin-soundcheck [--guitar 0-8] [--strings Nylon|Steel] "
                          "[--excitation finger|pick] [--color X] [--impedance X] [--seconds S] "
                          "[--generated] [--string-only]\n");
    return 2;
}

} // namespace

int main (int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--guitar" && more)
            o.guitar = std::atoi (argv[++i]);
        else if (a == "--strings" && more)
            o.strings = argv[++i];
        else if (a == "--excitation" && more)
            o.excitation = argv[++i];
        else if (a == "--color" && more)
            o.color = (float) std::atof (argv[++i]);
        else if (a == "--impedance" && more)
            o.impedance = (float) std::atof (argv[++i]);
        else if (a == "--seconds" && more)
            o.seconds = std::atof (argv[++i]);
        else if (a == "--generated")
            o.generated = true;
        else if (a == "--string-only")
            o.stringOnly = true;
        else
            return usage();
    }
    if (o.guitar > 8 || o.seconds < 1.5 || o.seconds > 30)
        return usage();

    const SoundLibrary library;
    std::printf ("T60 (s) of partials 1-%d fitted from -5 to -35 dB; level 1 s after the attack (dB re its "
                 "peak); air resonance\n(85-125 Hz) in the first 0.5 s re the strongest partial (dB); energy "
                 "above 2 kHz at 5, 50, 500 ms\nand above 5 kHz in the first 10 ms (dB re all). Velocity 100, "
                 "Color %.2f, Impedance %.2f, %.1f s rendered.\n",
                 PartialsShown, o.color, o.impedance, o.seconds);
    for (int g = 0; g < 9; ++g)
    {
        if (o.guitar >= 0 && g != o.guitar)
            continue;
        const char* name = sounddata::Guitars[g].name;
        GuitarData generated;
        std::vector<float> body;
        AdmittanceTable table = library.findGuitar (name)->admittanceTable();
        std::vector<float> frequencies;
        if (o.generated)
        {
            generated = sounddata::generateGuitar (g, sounddata::SeedBase + (uint64_t) g);
            body = generated.body;
            for (size_t r = 0; r < generated.admittance.size(); ++r)
                frequencies.push_back ((float) r * generated.step);
            table.frequency = frequencies.data();
            table.admittance = generated.admittance.data();
            table.count = (int) generated.admittance.size();
        }
        else
            body = library.findGuitar (name)->bodyResponse;

        for (const char* strings : {"Nylon", "Steel"})
        {
            if (! o.strings.empty() && o.strings != strings)
                continue;
            for (const char* excitation : {"finger", "pick"})
            {
                if (! o.excitation.empty() && o.excitation != excitation)
                    continue;
                std::printf ("\n%s, %s strings, %s\n", name, strings, excitation);
                printHeader();
                for (const Note& note : Notes)
                {
                    SoundControls controls;
                    controls.stringType = strings;
                    controls.guitarType = name;
                    controls.color = o.color;
                    controls.impedance = o.impedance;
                    StringRig rig (note.string, 2, controls, {}, &table);
                    rig.table.build (std::strcmp (excitation, "pick") == 0 ? 1.0 : 0.0);
                    rig.play (note.fret, 100);
                    std::vector<float> y = rig.render ((int) (o.seconds * EngineSampleRate));
                    if (! o.stringOnly)
                        y = convolve (y, body);
                    const double f0 = openStringFrequency (note.string) * std::pow (2.0, note.fret / 12.0);
                    std::vector<double> partials;
                    for (int n = 0; n < PartialsShown; ++n)
                    {
                        // The string's own mode frequencies, stretched by its stiffness.
                        const double open = rig.model->modes.angularFrequency[(size_t) n] / (2.0 * pi);
                        partials.push_back (open * std::pow (2.0, note.fret / 12.0));
                    }
                    printRow (note.name, measure (y, f0, partials));
                }
            }
        }
    }
    return 0;
}
