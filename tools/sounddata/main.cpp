// Generates the guitars' and rooms' data the build embeds.
//
//   tovalin-sounddata [-o data/sound-data.bin]
//   tovalin-sounddata --check data/sound-data.bin   (exit 1 if it is not reproduced)

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
} // namespace

int main (int argc, char** argv)
{
    const char* output = "sound-data.bin";
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp (argv[i], "--check") == 0 && i + 1 < argc)
            return check (argv[i + 1]);
        if (std::strcmp (argv[i], "-o") == 0 && i + 1 < argc)
            output = argv[++i];
        else
        {
            std::fprintf (stderr, "usage: tovalin-sounddata [-o file] | --check file\n");
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
