#include "processor/TovalinPlugin.h"
#include "tools/lab/AudioAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tovalin;
using namespace tovalin::lab;
using P = ParameterTable;

namespace
{
constexpr double rate = 44100.0;

/** A note played alone through the whole processor, as a host drives it. */
struct Note
{
    int channel = 2; // channels 2 to 7 play strings 0 to 5 directly
    int number = 52;
    int velocity = 100;
    double seconds = 2.0;

    double frequency() const { return 82.4069 * std::pow (2.0, (number - 52) / 12.0); }
};

void setHostParameter (TovalinPlugin& plugin, int id, float value)
{
    plugin.getParameters()[id]->setValueNotifyingHost (value);
}

/** Mono output of one note on a fresh instrument: the smallest room with the least of
    it, then the given parameter values, then the switches once blocks run. */
std::vector<float> play (const Note& note, const std::vector<std::pair<int, float>>& values,
                         const std::vector<int>& switchesOn = {})
{
    TovalinPlugin plugin;
    setHostParameter (plugin, P::RoomType, 0.0f); // "Small 1"
    setHostParameter (plugin, P::Mix, 0.0f);
    for (const auto& [id, value] : values)
        setHostParameter (plugin, id, value);
    constexpr int block = 512;
    plugin.setPlayConfigDetails (0, 1, rate, block);
    plugin.prepareToPlay (rate, block);
    juce::AudioBuffer<float> buffer (1, block);
    juce::MidiBuffer none;
    for (int id : switchesOn)
        setHostParameter (plugin, id, 1.0f);
    plugin.processBlock (buffer, none); // the switches take effect at a block's start

    std::vector<float> out;
    const int latency = plugin.getLatencySamples();
    for (int start = 0; start < (int) (note.seconds * rate) + latency; start += block)
    {
        juce::MidiBuffer midi;
        if (start == 0)
            midi.addEvent (juce::MidiMessage::noteOn (note.channel, note.number, (juce::uint8) note.velocity), 0);
        plugin.processBlock (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + block);
    }
    out.erase (out.begin(), out.begin() + latency); // time 0 is the note's start
    return out;
}

size_t at (double seconds) { return (size_t) (seconds * rate); }

double decibels (double x) { return 20.0 * std::log10 (x + 1e-20); }

/** The amplitude of partial n (its peak near n f0) in a segment. */
double partialLevel (const WindowedSegment& segment, double f0, int n)
{
    const double f = segment.peakFrequency ((n - 0.3) * f0, (n + 0.3) * f0);
    return segment.magnitude (f);
}

/** Decay time (T60, seconds) of partial n, between from and to seconds. */
double decayOfPartial (const std::vector<float>& y, double f0, int n, double from, double to)
{
    const WindowedSegment first (y, at (from), 8192, rate);
    const double f = first.peakFrequency ((n - 0.3) * f0, (n + 0.3) * f0);
    const size_t window = 4096, windows = (at (to) - at (from)) / window;
    return decayTimeT60 (y, f, rate, at (from), windows, window);
}

/** The pitch swing (highest less lowest, cents) of the fundamental after from seconds. */
double pitchSwing (const std::vector<float>& y, double f0, double from)
{
    double lowest = 1e9, highest = 0;
    for (const auto& [t, f] : frequencyTrack (y, f0, rate))
        if (t >= from)
        {
            lowest = std::min (lowest, f);
            highest = std::max (highest, f);
        }
    return cents (highest, lowest);
}

/** The mean pitch of the component near f0 over [from, to) seconds, in cents from f0. */
double pitchOver (const std::vector<float>& y, double f0, double from, double to)
{
    double sum = 0;
    int count = 0;
    for (const auto& [t, f] : frequencyTrack (y, f0, rate))
        if (t >= from && t < to)
        {
            sum += f;
            ++count;
        }
    return count > 0 ? cents (sum / count, f0) : 0.0;
}

/** Partial 4 against the strongest of partials 1 to 3 in a segment, dB. */
double fourthPartialPurity (const WindowedSegment& s, double f0)
{
    const double others = std::max ({partialLevel (s, f0, 1), partialLevel (s, f0, 2), partialLevel (s, f0, 3)});
    return decibels (partialLevel (s, f0, 4) / others);
}

using Measure = double (*) (const std::vector<float>&, double f0);

struct Effect
{
    const char* parameter;
    int id;
    float low, high;
    Note note;
    std::vector<std::pair<int, float>> others; // besides the parameter, before the note
    std::vector<int> switchesOn;
    const char* measured;
    Measure measure;
    /** From low to high the measure grows by at least this much (negative: falls by at
        least this much); or, when zero, each value's measure lies within eachWithin of 0. */
    double change;
    double eachWithin = 0.0;
};

const Note lowE{2, 52, 100, 2.0};
const Note fifthFretD{4, 67, 100, 2.0}; // fretted, for what moves the finger
const Note fifthFretHighE{7, 81, 100, 1.0};
const Note fullGString{5, 67, 127, 1.2};

// The margins are well inside the measured effects (in brackets), so that retuned
// sound data keeps them while a parameter that stops acting fails.
const Effect effects[] = {
    // The pluck's release stretches the string: the pitch rises for a few tens of
    // milliseconds (steel; 0.5 -> 4.1 cents above the settled pitch).
    {"Twang",
     P::Twang,
     0.0f,
     1.0f,
     fullGString,
     {{P::StringType, 1.0f}},
     {},
     "pitch over 20 to 60 ms above the pitch after 0.5 s, cents",
     [] (const std::vector<float>& y, double f0)
     { return pitchOver (y, f0, 0.02, 0.06) - pitchOver (y, f0, 0.5, 1.0); },
     2.0},
    // Plucked nearer the bridge the string is brighter (26 -> 13 dB) ...
    {"Attack Place",
     P::AttackPlace,
     0.0f,
     1.0f,
     lowE,
     {},
     {},
     "partials 6 to 12 against the fundamental, dB",
     [] (const std::vector<float>& y, double f0)
     {
         const WindowedSegment s (y, at (0.1), 16384, rate);
         double high = 0;
         for (int n = 6; n <= 12; ++n)
             high += partialLevel (s, f0, n);
         return decibels (high / partialLevel (s, f0, 1));
     },
     -6.0},
    // ... and 20 cm from it, near a third of the string, the third partial falls into
    // the comb's notch (9 -> -1 dB at this velocity, -6 at 110).
    {"Attack Place",
     P::AttackPlace,
     0.0f,
     1.0f,
     lowE,
     {},
     {},
     "partial 3 against partials 2 and 4 (the comb), dB",
     [] (const std::vector<float>& y, double f0)
     {
         const WindowedSegment s (y, at (0.1), 16384, rate);
         return decibels (partialLevel (s, f0, 3) / std::sqrt (partialLevel (s, f0, 2) * partialLevel (s, f0, 4)));
     },
     -6.0},
    // A string heavier against the bridge gives its energy to the body sooner (T60 45
    // -> 0.35 s).
    {"Impedance",
     P::Impedance,
     0.1f,
     0.9f,
     Note{2, 52, 100, 3.0},
     {},
     {},
     "log2 of the fundamental's T60",
     [] (const std::vector<float>& y, double f0) { return std::log2 (decayOfPartial (y, f0, 1, 0.3, 2.8)); },
     -2.0},
    // More internal damping, which grows with frequency: the upper partials die sooner
    // (T60 1.6 -> 0.9 s).
    {"Color",
     P::Color,
     0.1f,
     0.9f,
     lowE,
     {},
     {},
     "log2 of partial 12's T60",
     [] (const std::vector<float>& y, double f0) { return std::log2 (decayOfPartial (y, f0, 12, 0.2, 1.5)); },
     -0.4},
    // Full vibrato (from its parameter, as the mod wheel sets it) swings deeper (3 -> 15
    // cents).
    {"Vibrato max freq",
     P::VibratoMaxFrequency,
     0.2f,
     1.0f,
     fifthFretD,
     {{P::VibratoFrequency, 1.0f}},
     {},
     "pitch swing, cents",
     [] (const std::vector<float>& y, double f0) { return pitchSwing (y, f0, 0.3); },
     6.0},
    // The palm damps harder (T60 3.1 -> 0.44 s).
    {"Palm mute amount",
     P::PalmMuteAmount,
     0.1f,
     0.9f,
     lowE,
     {},
     {P::TogglePalm},
     "log2 of the fundamental's T60",
     [] (const std::vector<float>& y, double f0) { return std::log2 (decayOfPartial (y, f0, 1, 0.1, 1.0)); },
     -1.0},
    // A firmer harmonic touch (five frets above the fretted one: the fourth partial)
    // leaves the harmonic purer while it rests (by 8 dB since the sound retune: the
    // finger's lower loss lets the suppressed partials ring longer under the touch) ...
    {"Harmonics amount",
     P::HarmonicsAmount,
     0.0f,
     1.0f,
     fifthFretHighE,
     {},
     {P::ToggleHarmonics},
     "partial 4 against partials 1 to 3 during the touch, dB",
     [] (const std::vector<float>& y, double f0)
     { return fourthPartialPurity (WindowedSegment (y, at (0.1), 4096, rate), f0); },
     5.0},
    // ... and at both values the note sounds at the harmonic's pitch.
    {"Harmonics amount",
     P::HarmonicsAmount,
     0.0f,
     1.0f,
     fifthFretHighE,
     {},
     {P::ToggleHarmonics},
     "the strongest component's pitch against partial 4, cents",
     [] (const std::vector<float>& y, double f0)
     { return cents (WindowedSegment (y, at (0.1), 2048, rate).peakFrequency (0.5 * f0, 4.5 * f0), 4 * f0); },
     0.0,
     5.0},
};

class ParameterEffect : public ::testing::TestWithParam<Effect>
{
};

TEST_P (ParameterEffect, IsHeard)
{
    const Effect& e = GetParam();
    auto valuesWith = [&] (float v)
    {
        auto values = e.others;
        values.push_back ({e.id, v});
        return values;
    };
    const double f0 = e.note.frequency();
    const double low = e.measure (play (e.note, valuesWith (e.low), e.switchesOn), f0);
    const double high = e.measure (play (e.note, valuesWith (e.high), e.switchesOn), f0);
    std::printf ("%s %.2f -> %.2f: %s %.3f -> %.3f\n", e.parameter, e.low, e.high, e.measured, low, high);
    if (e.change > 0)
        EXPECT_GE (high - low, e.change) << e.measured;
    else if (e.change < 0)
        EXPECT_LE (high - low, e.change) << e.measured;
    else
    {
        EXPECT_NEAR (low, 0.0, e.eachWithin) << e.measured;
        EXPECT_NEAR (high, 0.0, e.eachWithin) << e.measured;
    }
}

void PrintTo (const Effect& e, std::ostream* os) { *os << e.parameter << ": " << e.measured; }

INSTANTIATE_TEST_SUITE_P (EveryParameter, ParameterEffect, ::testing::ValuesIn (effects),
                          [] (const auto& info)
                          {
                              std::string name;
                              for (const char* c = info.param.parameter; *c != 0; ++c)
                                  if (std::isalnum ((unsigned char) *c))
                                      name += *c;
                              return name + std::to_string (info.index);
                          });
} // namespace
