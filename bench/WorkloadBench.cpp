// The whole processor on what musicians play: strummed chords, a fast melody, a
// palm-muted riff and harmonics, across sound precisions, host rates, latency
// preferences and block sizes. Prints the real-time factor (audio time over the time
// it took, by the wall clock and by this thread's processor time, which leaves out
// the spells when other programs had the core) and the worst block's time over the
// block's own duration, overall and after the first second, by the wall clock and by
// the block's processor time. TOVALIN_BENCH_TRACE=1 lists the blocks slower than
// half their duration by the clock or 1/25 by processor time.
//
//   tovalin-bench-workloads [--simd=sse2|avx2|avx512] [seconds] [workload]
//
// --simd (or the TOVALIN_SIMD environment variable): the vector instructions to run
// on, the widest the processor has by default; the table's first line names them.
// seconds: each workload's length, 10 by default; workload: only the cases of that
// one (strum, melody, palm or harmonics), "reference" for the four workloads at the
// reference settings alone, for profiling, or "growth" for the cost against the number
// of sounding strings, the mode count, the host rate and the latency.

#include "engine/GuitarConstants.h"
#include "engine/SimdPath.h"
#include "processor/TovalinPlugin.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

using namespace tovalin;
using P = ParameterTable;

namespace
{
struct Event
{
    double time; // seconds
    juce::MidiMessage message;
};

/** Chords of the keyboard channel, one every half second, the progression C Am F G. */
std::vector<Event> strummedChords (double seconds)
{
    const int chords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    std::vector<Event> e;
    int k = 0;
    for (double t = 0.0; t + 0.5 <= seconds; t += 0.5, ++k)
        for (int n : chords[k % 4])
        {
            e.push_back ({t, juce::MidiMessage::noteOn (1, n, (juce::uint8) (80 + (k % 3) * 20))});
            e.push_back ({t + 0.48, juce::MidiMessage::noteOff (1, n)});
        }
    return e;
}

/** Sixteenth notes at 140 beats a minute, up and down two octaves of C major. */
std::vector<Event> fastMelody (double seconds)
{
    const int scale[] = {60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84};
    std::vector<Event> e;
    const double step = 60.0 / 140.0 / 4.0;
    int i = 0, direction = 1;
    for (double t = 0.0; t + step <= seconds; t += step)
    {
        const int n = scale[i];
        e.push_back ({t, juce::MidiMessage::noteOn (1, n, (juce::uint8) 100)});
        e.push_back ({t + step * 0.9, juce::MidiMessage::noteOff (1, n)});
        if (i + direction < 0 || i + direction >= (int) std::size (scale))
            direction = -direction;
        i += direction;
    }
    return e;
}

/** Eighth notes on the three low strings, by string channel. */
std::vector<Event> lowRiff (double seconds)
{
    const int frets[8] = {0, 0, 3, 0, 5, 0, 3, 2};
    std::vector<Event> e;
    const double step = 60.0 / 120.0 / 2.0;
    int i = 0;
    for (double t = 0.0; t + step <= seconds; t += step, ++i)
    {
        const int string = (i / 8) % 3;
        const int note = 52 + 5 * string + frets[i % 8];
        e.push_back ({t, juce::MidiMessage::noteOn (string + 2, note, (juce::uint8) 110)});
        e.push_back ({t + step * 0.8, juce::MidiMessage::noteOff (string + 2, note)});
    }
    return e;
}

/** Natural harmonics at frets 12, 7 and 5 across all strings. */
std::vector<Event> harmonics (double seconds)
{
    const int frets[3] = {12, 7, 5};
    std::vector<Event> e;
    int i = 0;
    for (double t = 0.0; t + 0.25 <= seconds; t += 0.25, ++i)
    {
        const int s = i % StringCount;
        const int note = OpenNote[s] + frets[(i / StringCount) % 3];
        e.push_back ({t, juce::MidiMessage::noteOn (s + 2, note, (juce::uint8) 100)});
        e.push_back ({t + 1.2, juce::MidiMessage::noteOff (s + 2, note)});
    }
    return e;
}

/** The first `strings` strings fretted at the third fret and plucked again every half
    second, by string channel: cost against the number of sounding strings. */
std::vector<Event> heldStrings (double seconds, int strings)
{
    std::vector<Event> e;
    for (double t = 0.0; t + 0.5 <= seconds; t += 0.5)
        for (int s = 0; s < strings; ++s)
        {
            e.push_back ({t, juce::MidiMessage::noteOn (s + 2, OpenNote[s] + 3, (juce::uint8) 100)});
            e.push_back ({t + 0.48, juce::MidiMessage::noteOff (s + 2, OpenNote[s] + 3)});
        }
    return e;
}

struct Case
{
    const char* workload;
    int precision, rate, latency, block;
};

struct Result
{
    double realTime, cpuRealTime, worstBlock, worstSettled, worstCpu, worstCpuSettled;
};

/** This thread's processor time in seconds: unlike the wall clock, it does not count
    the spells in which other programs had the core. */
double threadSeconds()
{
    timespec t{};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return (double) t.tv_sec + 1e-9 * (double) t.tv_nsec;
}

Result run (const Case& c, double seconds)
{
    auto plugin = std::make_unique<TovalinPlugin>();
    plugin->setPreference ("performanceLevel", c.precision);
    plugin->buildStrings (false); // a new precision takes effect when the strings are built
    plugin->setPreference ("samplesOfLatency", c.latency);
    plugin->setPreference ("chordsDetectionDelay", 128);
    plugin->setPlayConfigDetails (0, 2, c.rate, c.block);
    plugin->prepareToPlay (c.rate, c.block);
    const std::string w = c.workload;
    std::vector<Event> events;
    if (w == "strum")
        events = strummedChords (seconds);
    else if (w == "melody")
        events = fastMelody (seconds);
    else if (w == "palm")
    {
        plugin->setParameterNotifyingHost (P::TogglePalm, 1.0f);
        events = lowRiff (seconds);
    }
    else if (w == "harmonics")
    {
        plugin->setParameterNotifyingHost (P::ToggleHarmonics, 1.0f);
        events = harmonics (seconds);
    }
    else
        events = heldStrings (seconds, w.back() - '0'); // "strings1" .. "strings6"
    std::sort (events.begin(), events.end(), [] (const Event& a, const Event& b) { return a.time < b.time; });

    juce::AudioBuffer<float> buffer (2, c.block);
    juce::MidiBuffer midi;
    midi.ensureSize (4096);
    const long long total = (long long) (seconds * c.rate);
    size_t next = 0;
    double worst = 0.0, settled = 0.0, spent = 0.0, cpuSpent = 0.0, worstCpu = 0.0, settledCpu = 0.0;
    for (long long pos = 0; pos < total; pos += c.block)
    {
        midi.clear();
        while (next < events.size() && (long long) (events[next].time * c.rate) < pos + c.block)
        {
            midi.addEvent (events[next].message, (int) std::max (0LL, (long long) (events[next].time * c.rate) - pos));
            ++next;
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSeconds();
        {
            const juce::ScopedLock sl (plugin->getCallbackLock());
            plugin->processBlock (buffer, midi);
        }
        const double took = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
        const double cpu = threadSeconds() - cpuStart;
        cpuSpent += cpu;
        spent += took;
        worst = std::max (worst, took);
        worstCpu = std::max (worstCpu, cpu);
        // A block slow by the wall clock but not by its own processor time was the
        // machine's doing (another program had the core); slow by both, ours.
        if (std::getenv ("TOVALIN_BENCH_TRACE") != nullptr &&
            (took > 0.5 * (double) c.block / c.rate || cpu > 0.04 * (double) c.block / c.rate))
            std::printf ("  slow block at %.3f s: %.2f ms, %.2f ms processor time\n", (double) pos / c.rate,
                         took * 1000.0, cpu * 1000.0);
        if (pos >= c.rate) // after the first second: caches warm, the first strings computed
        {
            settled = std::max (settled, took);
            settledCpu = std::max (settledCpu, cpu);
        }
    }
    plugin->releaseResources();
    const double duration = (double) c.block / c.rate;
    return {seconds / spent,    seconds / cpuSpent,  worst / duration,
            settled / duration, worstCpu / duration, settledCpu / duration};
}
} // namespace

int main (int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        if (a.rfind ("--simd=", 0) != 0)
        {
            args.push_back (a);
            continue;
        }
        const auto path = simdPathFromName (a.substr (7));
        if (! path)
        {
            std::fprintf (stderr, "unknown SIMD path in %s (use sse2, avx2 or avx512)\n", a.c_str());
            return 2;
        }
        if (! selectSimdPath (*path))
        {
            std::fprintf (stderr, "this processor lacks %s\n", simdPathName (*path));
            return 2;
        }
    }
    const double seconds = ! args.empty() ? std::max (1.0, std::atof (args[0].c_str())) : 10.0;
    std::vector<Case> cases;
    // The reference: precision 2, 44.1 kHz, 256-sample blocks, the default latency.
    for (const char* w : {"strum", "melody", "palm", "harmonics"})
        cases.push_back ({w, 2, 44100, 256, 256});
    for (int precision : {0, 1})
        cases.push_back ({"strum", precision, 44100, 256, 256});
    for (int rate : {48000, 96000})
        cases.push_back ({"strum", 2, rate, 256, 256});
    cases.push_back ({"strum", 2, 44100, 64, 256});
    for (int block : {64, 1024})
        cases.push_back ({"strum", 2, 44100, 256, block});

    const std::string only = args.size() > 1 ? args[1] : "";
    if (only == "growth")
    {
        // How the cost grows with the work: sounding strings, mode count (precision),
        // host rate and latency, each from the reference settings.
        cases.clear();
        for (const char* w : {"strings1", "strings2", "strings3", "strings4", "strings5", "strings6"})
            cases.push_back ({w, 2, 44100, 256, 256});
        for (int precision : {0, 1, 2})
            cases.push_back ({"strings6", precision, 44100, 256, 256});
        for (int rate : {48000, 96000})
            cases.push_back ({"strings6", 2, rate, 256, 256});
        for (int latency : {64, 128, 512, 1024})
            cases.push_back ({"strings6", 2, 44100, latency, 256});
    }
    std::printf ("SIMD path: %s (widest here: %s)\n", simdPathName (activeSimdPath()), simdPathName (widestSimdPath()));
    std::printf ("%-10s %9s %7s %8s %6s %12s %11s %12s %10s %12s %10s\n", "workload", "precision", "rate", "latency",
                 "block", "x real time", "(cpu time)", "worst block", "after 1 s", "(cpu) worst", "after 1 s");
    for (const Case& c : cases)
    {
        const bool reference = c.precision == 2 && c.rate == 44100 && c.latency == 256 && c.block == 256;
        if (! only.empty() && only != "growth" && only != c.workload && ! (only == "reference" && reference))
            continue;
        const Result r = run (c, seconds);
        std::printf ("%-10s %9d %7d %8d %6d %12.1f %11.1f %12.3f %10.3f %12.3f %10.3f\n", c.workload, c.precision,
                     c.rate, c.latency, c.block, r.realTime, r.cpuRealTime, r.worstBlock, r.worstSettled, r.worstCpu,
                     r.worstCpuSettled);
        std::fflush (stdout);
    }
    return 0;
}
