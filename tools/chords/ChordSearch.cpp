#include "ChordSearch.h"

#include "engine/GuitarConstants.h"

#include <algorithm>
#include <cmath>

namespace tovalin::chords
{
namespace
{
    int pitchClassSet (int root, int mask)
    {
        int set = 0;
        for (int i = 0; i <= 20; ++i)
            if (mask & (1 << i))
                set |= 1 << ((root + i) % 12);
        return set;
    }

    /** Fingers the fretted strings take. Beyond four fretted strings, the index
        finger bars the lowest fret from the lowest string that has it (no open string
        may lie under it), and three or more neighbouring strings at one fret above it
        take one finger (the A-form's partial barre). */
    int fingersFor (const int* fret, bool& barre)
    {
        int lowest = 100, fretted = 0;
        for (int s = 0; s < StringCount; ++s)
            if (fret[s] > 0)
            {
                lowest = std::min (lowest, fret[s]);
                ++fretted;
            }
        barre = false;
        if (fretted <= 4)
            return fretted;
        int first = 0;
        while (fret[first] != lowest)
            ++first;
        // The barre's own lowest string carries the bass: nothing fretted below it.
        for (int s = 0; s < first; ++s)
            if (fret[s] > 0)
                return 99;
        int fingers = 1;
        for (int s = first; s < StringCount;)
        {
            if (fret[s] == 0)
                return 99;
            if (fret[s] == lowest)
            {
                ++s;
                continue;
            }
            int run = 1;
            while (s + run < StringCount && fret[s + run] == fret[s])
                ++run;
            fingers += run >= 3 ? 1 : run;
            s += run;
        }
        barre = true;
        return fingers;
    }
} // namespace

VoicingCheck checkVoicing (int root, int mask, const int* fret)
{
    VoicingCheck c;
    const int chord = pitchClassSet (root, mask);
    int present = 0, lowestNote = 1000, lowestFret = 100, highestFret = -1, first = -1, last = -1;
    c.inRange = true;
    c.inChord = true;
    for (int s = 0; s < StringCount; ++s)
    {
        if (fret[s] < -1 || fret[s] >= StringFretCount[s])
            c.inRange = false;
        if (fret[s] < 0)
            continue;
        ++c.played;
        if (first < 0)
            first = s;
        last = s;
        const int note = OpenNote[s] + fret[s];
        lowestNote = std::min (lowestNote, note);
        present |= 1 << (note % 12);
        if ((chord & (1 << (note % 12))) == 0)
            c.inChord = false;
        if (fret[s] > 0)
        {
            lowestFret = std::min (lowestFret, fret[s]);
            highestFret = std::max (highestFret, fret[s]);
        }
    }
    bool barre = false;
    c.reachable = highestFret < 0 || highestFret - lowestFret <= 4;
    c.fingered = fingersFor (fret, barre) <= 4;
    c.contiguous = c.played > 0;
    for (int s = first; s >= 0 && s <= last; ++s)
        if (fret[s] < 0)
            c.contiguous = false;
    const int fifth = (mask & 0x80) ? 1 << ((root + 7) % 12) : 0;
    const int required = pitchClassSet (root, mask) & ~fifth;
    c.complete = (present & required) == required;
    c.rootInBass = c.played > 0 && lowestNote % 12 == root % 12;
    return c;
}

namespace
{
    /** Lower is better: as many strings as the shape holds, the root in the bass at the
        pitch of the key (an octave lower costs), the fifth kept, a low position, a small
        stretch, few fingers, and no open string ringing against a high shape. */
    double score (int root, int mask, const int* fret, const VoicingCheck& c)
    {
        const int chord = pitchClassSet (root, mask);
        int lowestFret = 100, highestFret = 0, present = 0, open = 0, lowestNote = 1000;
        for (int s = 0; s < StringCount; ++s)
        {
            if (fret[s] < 0)
                continue;
            lowestNote = std::min (lowestNote, OpenNote[s] + fret[s]);
            present |= 1 << ((OpenNote[s] + fret[s]) % 12);
            if (fret[s] > 0)
            {
                lowestFret = std::min (lowestFret, fret[s]);
                highestFret = std::max (highestFret, fret[s]);
            }
            else
                ++open;
        }
        if (lowestFret == 100)
            lowestFret = highestFret = 0;
        const int span = highestFret - lowestFret;
        bool barre = false;
        const int fingers = fingersFor (fret, barre);
        double x = -11.0 * c.played;
        if (! c.rootInBass)
            x += 70.0;
        else if (lowestNote != root)
            x += 15.0;
        if ((present & chord) != chord)
            x += 15.0; // the fifth is missing
        x += 2.5 * lowestFret + 10.0 * std::max (0, span - 2) + (span == 4 ? 10.0 : 0.0) + 1.0 * fingers;
        if (lowestFret >= 2)
            x += (lowestFret > 3 ? 6.0 : 2.0) * open;
        if (fret[StringCount - 1] < 0)
            x += 2.0;
        return x;
    }
} // namespace

bool searchVoicing (int root, int mask, int* best)
{
    const int chord = pitchClassSet (root, mask);
    double bestScore = 1e9;
    bool found = false;
    // Every window of fretted positions, the open strings always allowed.
    for (int window = 1; window <= 15; ++window)
    {
        std::vector<int> options[StringCount];
        for (int s = 0; s < StringCount; ++s)
        {
            options[s].push_back (-1);
            for (int f = 0; f < StringFretCount[s]; ++f)
                if ((f == 0 || (f >= window && f <= window + 4)) && (chord & (1 << ((OpenNote[s] + f) % 12))))
                    options[s].push_back (f);
        }
        int index[StringCount] = {};
        for (;;)
        {
            int fret[StringCount];
            for (int s = 0; s < StringCount; ++s)
                fret[s] = options[s][(size_t) index[s]];
            const VoicingCheck c = checkVoicing (root, mask, fret);
            if (c.inRange && c.inChord && c.reachable && c.fingered && c.contiguous && c.complete && c.played >= 3)
            {
                const double x = score (root, mask, fret, c);
                if (x < bestScore)
                {
                    bestScore = x;
                    std::copy (fret, fret + StringCount, best);
                    found = true;
                }
            }
            int s = 0;
            while (s < StringCount && ++index[s] == (int) options[s].size())
                index[s++] = 0;
            if (s == StringCount)
                break;
        }
    }
    return found;
}

std::vector<ChordRow> buildChordTable()
{
    std::vector<ChordRow> rows;
    for (int root = 52; root <= 75; ++root)
        for (int mask : ChordShapeMasks)
        {
            const ChordRow* fixed = nullptr;
            for (const ChordRow& r : FixedChordRows)
                if (r.root == root && r.mask == mask)
                    fixed = &r;
            if (fixed != nullptr)
            {
                rows.push_back (*fixed);
                continue;
            }
            ChordRow row{root, mask, {}};
            if (searchVoicing (root, mask, row.fret))
                rows.push_back (row);
        }
    return rows;
}

} // namespace tovalin::chords
