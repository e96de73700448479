#include "RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tovalin
{
namespace
{
    bool parseInt (const std::string& text, long long lo, long long hi, int& value)
    {
        if (text.empty())
            return false;
        errno = 0;
        char* end = nullptr;
        const long long v = std::strtoll (text.c_str(), &end, 10);
        if (errno != 0 || end == text.c_str() || *end != '\0' || v < lo || v > hi)
            return false;
        value = (int) v;
        return true;
    }

    bool parseDouble (const std::string& text, double lo, double hi, double& value)
    {
        if (text.empty())
            return false;
        errno = 0;
        char* end = nullptr;
        const double v = std::strtod (text.c_str(), &end);
        if (errno != 0 || end == text.c_str() || *end != '\0' || ! std::isfinite (v) || v < lo || v > hi)
            return false;
        value = v;
        return true;
    }

    bool splitAssignment (const std::string& text, std::string& key, std::string& value)
    {
        const auto eq = text.find ('=');
        if (eq == std::string::npos || eq == 0)
            return false;
        key = text.substr (0, eq);
        value = text.substr (eq + 1);
        return true;
    }
} // namespace

const char* renderUsage()
{
    return "usage: tovalin-render [options] [input.mid]\n"
           "Plays a MIDI file (or the built-in demo) through Tovalin into a WAV file.\n"
           "  -o, --output FILE       WAV to write; default tovalin-demo.wav for the demo,\n"
           "                          else the input's name with .wav\n"
           "  --format F              pcm16 | pcm24 (default) | float32\n"
           "  -r, --rate HZ           host rate: 22050, 44100 (default), 48000, 88200, 96000,\n"
           "                          176400 or 192000\n"
           "  -b, --block N           host block size, default 512 (1..8192)\n"
           "  -c, --channels N        output channels, default 2 (1..64)\n"
           "  -t, --transpose N       shift every note by N semitones (a General MIDI guitar\n"
           "                          part, written at sounding pitch, plays right with -t 12)\n"
           "  -s, --set NAME=VALUE    set a parameter by name or id; VALUE is 0..1 or a step or\n"
           "                          toggle text; repeatable, applied in order after the\n"
           "                          preset, state and preference options\n"
           "  --pref KEY=VALUE        set a preference (samplesOfLatency, chordsDetectionDelay,\n"
           "                          performanceLevel, bend, harmonics, bendOnAftertouch,\n"
           "                          inversions) after the preset and state options\n"
           "  -p, --preset NAME       apply a sound preset\n"
           "  --state FILE            restore a state chunk before rendering\n"
           "  --save-state FILE       write the state chunk after rendering\n"
           "  --tail SECONDS          render this long after the last MIDI event, default 3\n"
           "  --trace FILE|-          one JSON line per block in which the fingering changed\n"
           "  --simd PATH             vector instructions to use: sse2, avx2 or avx512 (default:\n"
           "                          the widest the processor has, or TOVALIN_SIMD)\n"
           "  --list-params           print id, name, value and text of every parameter, and exit\n"
           "  --list-presets          print the preset names, and exit\n"
           "  -q, --quiet             no progress bar\n"
           "  -h, --help              this text\n";
}

std::string defaultOutputName (const std::string& input)
{
    if (input.empty())
        return "tovalin-demo.wav";
    const auto slash = input.find_last_of ('/');
    const auto dot = input.find_last_of ('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        return input.substr (0, dot) + ".wav";
    return input + ".wav";
}

bool parseRenderOptions (const std::vector<std::string>& args, RenderOptions& o, std::string& error)
{
    o = RenderOptions();
    bool inputSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::string a = args[i];
        std::string inlineValue;
        bool hasInline = false;
        if (a.rfind ("--", 0) == 0)
        {
            const auto eq = a.find ('=');
            if (eq != std::string::npos)
            {
                inlineValue = a.substr (eq + 1);
                a = a.substr (0, eq);
                hasInline = true;
            }
        }

        auto value = [&] (std::string& v)
        {
            if (hasInline)
            {
                v = inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
            {
                error = "option " + a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        auto flagOnly = [&]()
        {
            if (hasInline)
            {
                error = "option " + a + " takes no value";
                return false;
            }
            return true;
        };

        std::string v;
        if (a == "-h" || a == "--help")
        {
            if (! flagOnly())
                return false;
            o.help = true;
        }
        else if (a == "-q" || a == "--quiet")
        {
            if (! flagOnly())
                return false;
            o.quiet = true;
        }
        else if (a == "--list-params")
        {
            if (! flagOnly())
                return false;
            o.listParams = true;
        }
        else if (a == "--list-presets")
        {
            if (! flagOnly())
                return false;
            o.listPresets = true;
        }
        else if (a == "-o" || a == "--output")
        {
            if (! value (v))
                return false;
            if (v.empty())
            {
                error = "empty output file name";
                return false;
            }
            o.output = v;
        }
        else if (a == "--simd")
        {
            if (! value (v))
                return false;
            if (v != "sse2" && v != "avx2" && v != "avx512")
            {
                error = "unknown SIMD path '" + v + "' (use sse2, avx2 or avx512)";
                return false;
            }
            o.simd = v;
        }
        else if (a == "--format")
        {
            if (! value (v))
                return false;
            if (v == "pcm16")
                o.format = SampleFormat::pcm16;
            else if (v == "pcm24")
                o.format = SampleFormat::pcm24;
            else if (v == "float32")
                o.format = SampleFormat::float32;
            else
            {
                error = "unknown format '" + v + "' (use pcm16, pcm24 or float32)";
                return false;
            }
        }
        else if (a == "-r" || a == "--rate")
        {
            if (! value (v))
                return false;
            double rate = 0;
            static const int supported[] = {22050, 44100, 48000, 88200, 96000, 176400, 192000};
            bool ok = parseDouble (v, 1, 1e7, rate);
            ok = ok && rate == std::floor (rate);
            bool isSupported = false;
            for (int s : supported)
                isSupported = isSupported || (ok && (int) rate == s);
            if (! isSupported)
            {
                error = "unsupported rate '" + v +
                        "': the instrument supports 22050, 44100, 48000, 88200, 96000, 176400 and 192000 Hz";
                return false;
            }
            o.rate = (int) rate;
        }
        else if (a == "-b" || a == "--block")
        {
            if (! value (v))
                return false;
            if (! parseInt (v, 1, 8192, o.block))
            {
                error = "bad block size '" + v + "' (1..8192)";
                return false;
            }
        }
        else if (a == "-c" || a == "--channels")
        {
            if (! value (v))
                return false;
            if (! parseInt (v, 1, 64, o.channels))
            {
                error = "bad channel count '" + v + "' (1..64)";
                return false;
            }
        }
        else if (a == "-t" || a == "--transpose")
        {
            if (! value (v))
                return false;
            if (! parseInt (v, -127, 127, o.transpose))
            {
                error = "bad transposition '" + v + "' (-127..127)";
                return false;
            }
        }
        else if (a == "-s" || a == "--set")
        {
            if (! value (v))
                return false;
            std::string key, val;
            if (! splitAssignment (v, key, val))
            {
                error = "bad --set '" + v + "' (use NAME=VALUE)";
                return false;
            }
            o.sets.emplace_back (key, val);
        }
        else if (a == "--pref")
        {
            if (! value (v))
                return false;
            std::string key, val;
            int number = 0;
            if (! splitAssignment (v, key, val))
            {
                error = "bad --pref '" + v + "' (use KEY=VALUE)";
                return false;
            }
            if (! parseInt (val, -2147483647LL - 1, 2147483647LL, number))
            {
                error = "bad value for preference " + key + ": '" + val + "' is not an integer";
                return false;
            }
            o.prefs.emplace_back (key, number);
        }
        else if (a == "-p" || a == "--preset")
        {
            if (! value (v))
                return false;
            o.preset = v;
        }
        else if (a == "--state")
        {
            if (! value (v))
                return false;
            o.stateFile = v;
        }
        else if (a == "--save-state")
        {
            if (! value (v))
                return false;
            o.saveStateFile = v;
        }
        else if (a == "--tail")
        {
            if (! value (v))
                return false;
            if (! parseDouble (v, 0.0, 600.0, o.tailSeconds))
            {
                error = "bad tail '" + v + "' (0..600 seconds)";
                return false;
            }
        }
        else if (a == "--trace")
        {
            if (! value (v))
                return false;
            o.traceFile = v;
        }
        else if (a.size() > 1 && a[0] == '-' && a != "-")
        {
            error = "unknown option " + a;
            return false;
        }
        else
        {
            if (inputSeen)
            {
                error = "more than one input file given";
                return false;
            }
            o.input = args[i];
            inputSeen = true;
        }
    }
    if (o.output.empty())
        o.output = defaultOutputName (o.input);
    return true;
}

} // namespace tovalin
