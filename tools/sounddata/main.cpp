// Generates the guitars' and rooms' data the build embeds.
//
//   tovalin-sounddata [-o data/sound-data.bin]
//   tovalin-sounddata --check data/sound-data.bin   (exit 1 if it is not reproduced)
//   tovalin-sounddata --report                       (what tells the guitars and rooms apart)

#include "SoundDataGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace tovalin;

namespace
{
/** Equal within a millionth of the array's peak: what another libm may differ by. */
bool close (const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return false;
    float peak = 0;
    for (float v : a)
        peak = std::max (peak, std::abs (v));
    for (size_t i = 0; i < a.size(); ++i)
        if (std::abs (a[i] - b[i]) > 1e-6f * peak)
            return false;
    return true;
}

int check (const char* path)
{
    std::ifstream in (path, std::ios::binary);
    if (! in)
    {
        std::fprintf (stderr, "tovalin-sounddata: cannot read %s\n", path);
        return 2;
    }
    const std::vector<unsigned char> bytes ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
    SoundData stored;
    std::string error;
    if (! parseSoundData (bytes.data(), bytes.size(), stored, error))
    {
        std::fprintf (stderr, "tovalin-sounddata: %s: %s\n", path, error.c_str());
        return 1;
    }
    const SoundData made = sounddata::generateAll();
    if (serialiseSoundData (made) == bytes)
    {
        std::printf ("%s is reproduced exactly\n", path);
        return 0;
    }
    bool same = made.guitars.size() == stored.guitars.size() && made.rooms.size() == stored.rooms.size();
    for (size_t i = 0; same && i < made.guitars.size(); ++i)
        same = close (made.guitars[i].body, stored.guitars[i].body) &&
               close (made.guitars[i].admittance, stored.guitars[i].admittance) &&
               made.guitars[i].step == stored.guitars[i].step;
    for (size_t j = 0; same && j < made.rooms.size(); ++j)
        same = close (made.rooms[j].response, stored.rooms[j].response);
    if (! same)
    {
        std::fprintf (stderr, "tovalin-sounddata: %s differs from what the generator makes\n", path);
        return 1;
    }
    std::printf ("%s is reproduced within float tolerance\n", path);
    return 0;
}
/** Time (s) for the energy decay curve to fall by db. */
double decayTime (const std::vector<float>& x, double db)
{
    std::vector<double> tail (x.size() + 1, 0.0);
    for (size_t i = x.size(); i-- > 0;)
        tail[i] = tail[i + 1] + (double) x[i] * x[i];
    for (size_t i = 0; i < x.size(); ++i)
        if (10.0 * std::log10 (tail[i] / tail[0] + 1e-300) <= -db)
            return (double) i / sounddata::SampleRate;
    return (double) x.size() / sounddata::SampleRate;
}

/** RMS frequency (Hz), a measure of brightness: the derivative's energy over the signal's. */
double rmsFrequency (const std::vector<float>& x, size_t from = 0)
{
    double e = 0, d = 0;
    for (size_t i = from + 1; i < x.size(); ++i)
    {
        e += (double) x[i] * x[i];
        d += ((double) x[i] - x[i - 1]) * ((double) x[i] - x[i - 1]);
    }
    return std::sqrt (d / e) * sounddata::SampleRate / (2.0 * 3.14159265358979323846);
}

int report()
{
    const SoundData d = sounddata::generateAll();
    std::printf ("guitar               A0 Hz  top Hz  body -30 dB (s)  brightness (Hz)  |Y| median 1k/2k\n");
    for (size_t i = 0; i < d.guitars.size(); ++i)
    {
        const auto& g = sounddata::Guitars[i];
        auto median = [&] (double lo, double hi)
        {
            std::vector<float> band;
            for (size_t r = 0; r < d.guitars[i].admittance.size(); ++r)
                if (r * g.step >= lo && r * g.step < hi)
                    band.push_back (std::abs (d.guitars[i].admittance[r]));
            std::sort (band.begin(), band.end());
            return band.empty() ? 0.0 : (double) band[band.size() / 2];
        };
        std::printf ("%-20s %6.0f %7.0f %16.3f %16.0f %9.0f/%.0f\n", g.name, g.modes[0].frequency, g.modes[1].frequency,
                     decayTime (d.guitars[i].body, 30), rmsFrequency (d.guitars[i].body), median (707, 1414),
                     median (1414, 2828));
    }
    std::printf ("room       first reflection (ms)  -30 dB (s)  direct/reverberant (dB)\n");
    for (size_t j = 0; j < d.rooms.size(); ++j)
    {
        const auto& r = d.rooms[j].response;
        size_t first = 1;
        while (first < r.size() && std::abs (r[first]) < 0.05f * std::abs (r[0]))
            ++first;
        double rest = 0;
        for (size_t n = 1; n < r.size(); ++n)
            rest += (double) r[n] * r[n];
        std::printf ("%-10s %22.1f %11.3f %24.1f\n", sounddata::Rooms[j].name, 1000.0 * first / sounddata::SampleRate,
                     decayTime (r, 30), 10.0 * std::log10 ((double) r[0] * r[0] / rest));
    }
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    const char* output = "sound-data.bin";
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp (argv[i], "--check") == 0 && i + 1 < argc)
            return check (argv[i + 1]);
        if (std::strcmp (argv[i], "--report") == 0)
            return report();
        if (std::strcmp (argv[i], "-o") == 0 && i + 1 < argc)
            output = argv[++i];
        else
        {
            std::fprintf (stderr, "usage: tovalin-sounddata [-o file] | --check file | --report\n");
            return 2;
        }
    }
    const std::vector<unsigned char> bytes = serialiseSoundData (sounddata::generateAll());
    const std::string part = std::string (output) + ".part";
    {
        std::ofstream out (part, std::ios::binary);
        out.write ((const char*) bytes.data(), (std::streamsize) bytes.size());
        if (! out)
        {
            std::fprintf (stderr, "tovalin-sounddata: cannot write %s\n", part.c_str());
            return 1;
        }
    }
    if (std::rename (part.c_str(), output) != 0)
    {
        std::fprintf (stderr, "tovalin-sounddata: cannot write %s\n", output);
        return 1;
    }
    std::printf ("wrote %s (%zu bytes)\n", output, bytes.size());
    return 0;
}
