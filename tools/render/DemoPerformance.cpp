#include "DemoPerformance.h"

#include <algorithm>

namespace tovalin
{
namespace
{
    constexpr double beat = 0.6; // 100 beats per minute

    void note (MidiFileContents& m, double start, double length, int number, int velocity)
    {
        TimedMidiEvent on;
        on.seconds = start;
        on.bytes[0] = 0x90;
        on.bytes[1] = (std::uint8_t) number;
        on.bytes[2] = (std::uint8_t) velocity;
        on.size = 3;
        TimedMidiEvent off = on;
        off.seconds = start + length;
        off.bytes[0] = 0x80;
        off.bytes[2] = 64;
        m.events.push_back (on);
        m.events.push_back (off);
    }
} // namespace

MidiFileContents demoPerformance()
{
    MidiFileContents m;
    m.format = 0;
    m.trackCount = 1;

    // Written pitch, as guitar music is notated (note 52 is the open low E).
    const int triads[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    const int arpeggios[4][4] = {{60, 67, 72, 76}, {57, 64, 69, 72}, {53, 65, 69, 72}, {55, 62, 67, 71}};
    const int accents[4] = {104, 72, 90, 76};

    double t = 0.0;
    for (int bar = 0; bar < 4; ++bar)
        for (int b = 0; b < 4; ++b)
        {
            for (int n : triads[bar])
                note (m, t, beat - 0.03, n, accents[b]);
            t += beat;
        }

    // p i m a m i m i over each chord, every note left to ring for two eighths.
    const int pattern[8] = {0, 1, 2, 3, 2, 1, 2, 1};
    const double eighth = beat / 2;
    for (int bar = 0; bar < 4; ++bar)
    {
        note (m, t, 4 * beat - 0.03, arpeggios[bar][0], 92);
        for (int e = 1; e < 8; ++e)
            note (m, t + e * eighth, 2 * eighth - 0.02, arpeggios[bar][pattern[e]], e % 2 == 0 ? 78 : 66);
        t += 4 * beat;
    }

    for (int n : {60, 64, 67, 72})
        note (m, t, 2 * beat, n, 100);
    t += 2 * beat;

    std::stable_sort (m.events.begin(), m.events.end(),
                      [] (const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.seconds < b.seconds; });
    m.lengthSeconds = t;
    return m;
}

} // namespace tovalin
