#include "Guitarist.h"
#include "engine/GuitarConstants.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <cstring>

namespace tovalin
{
namespace
{
    constexpr double positionGain[StringCount] = {1.0, 0.9, 0.8, 0.8, 0.8, 0.8};
    constexpr double downAccents[4][StringCount] = {
        {0, 0, 0, 1, 1, 0}, {0, 0, 1, 1, 1, 0}, {0, 1, 1, 1, 1, 0}, {1, 1, 1, 1, 1, 1}};
    constexpr double upAccents[4][StringCount] = {
        {0, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 1, 1}, {0, 0, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1}};

    int accentLevel (int velocity) noexcept { return velocity < 64 ? 0 : velocity < 77 ? 1 : velocity < 90 ? 2 : 3; }

    /** Bit i for an interval of i semitones (0..21); 21 for any other. */
    int intervalBit (int interval) noexcept { return 1 << (interval >= 0 && interval <= 21 ? interval : 21); }
} // namespace

void TranscriptionChordsMode::noteOn (const juce::MidiMessage& message) noexcept
{
    noteOn (message.getNoteNumber(), message.getVelocity());
}

void TranscriptionChordsMode::noteOff (const juce::MidiMessage& message) noexcept { noteOff (message.getNoteNumber()); }

int TranscriptionChordsMode::chordNoteCount() const noexcept
{
    int n = 0;
    for (bool b : chordNotes)
        n += b ? 1 : 0;
    return n;
}

void TranscriptionChordsMode::setName (const char* text) noexcept
{
    std::strncpy (currentName, text, sizeof (currentName) - 1);
    currentName[sizeof (currentName) - 1] = 0;
    guitarist.getFingering().setChordName (currentName);
}

void TranscriptionChordsMode::noteOn (int note, int velocity) noexcept
{
    note &= 127;
    Guitarist& g = guitarist;
    g.heldNotes[note] = true;
    ++g.heldNoteCount;
    g.countKeyDown (note);

    if (! chordDetection)
    {
        g.singleNoteOn (note, velocity);
        return;
    }
    if (g.heldNoteCount < 3)
    {
        if (chordNotes[note])
            restrumCurrent (note, velocity);
        else
            g.singleNoteOn (note, velocity);
        return;
    }

    const bool inChord = chordNotes[note];
    Recognition r;
    recognizeChord (false, r);
    if (r.root == -1 && g.detectInversions)
        recognizeChord (true, r);

    const bool newWithoutThird = (r.mask & 0x3C) == 0;
    const bool stays = currentRoot != -1 && inChord && ((! withoutThird && newWithoutThird) || r.root != currentRoot);
    if (r.root == -1 || stays)
    {
        if (inChord)
            restrumCurrent (note, velocity);
        else
            g.singleNoteOn (note, velocity);
        return;
    }

    // A new chord.
    for (bool& b : bassNotes)
        b = false;
    currentMask = r.mask;
    currentRoot = r.root;
    std::memcpy (chordNotes, r.chordSet, sizeof (chordNotes));
    ChordVoicing v = *r.voicing;

    // Bass notes below the chord go on free strings below its lowest string.
    int first = StringCount;
    for (int s = 0; s < StringCount; ++s)
        if (v.fret[s] != -1 && v.kind[s] == 0)
        {
            first = s;
            break;
        }
    int bass[128], bassCount = 0;
    const Fingering& f = g.getFingering();
    for (int b = LowestNote; b <= HighestNote; ++b)
    {
        if (! r.bassSet[b])
            continue;
        int bound = 200, chosen = -1;
        for (int s = 0; s < first; ++s)
        {
            const int fret = f.fretTable[b - LowestNote][s];
            if (fret != -1 && v.fret[s] == -1 && fret < bound)
            {
                bound = fret;
                chosen = s;
            }
        }
        if (chosen >= 0)
        {
            v.fret[chosen] = bound;
            v.kind[chosen] = 0;
            bassNotes[b] = true;
            bass[bassCount++] = b;
        }
    }

    char name[ChordNameCapacity];
    nameChord (r.root, r.mask, bass, bassCount, name, sizeof (name));
    setName (name);
    std::memcpy (v.name, name, sizeof (v.name));
    currentVoicing = v;
    withoutThird = newWithoutThird;
    if (strumHold == StrumHold::Up)
        strumUp (v, velocity, false);
    else
        strumDown (v, velocity, false);
}

void TranscriptionChordsMode::recognizeChord (bool fold, Recognition& result) const noexcept
{
    const bool* held = guitarist.heldNotes;
    auto interval = [fold] (int note, int root)
    {
        int i = note - root;
        if (fold && i > -12 && i < 0)
            i += 12;
        return i;
    };
    for (int r = 0; r < 128; ++r)
    {
        if (! held[r])
            continue;
        for (int n = 0; n < 128; ++n)
        {
            if (! held[n] || n == r)
                continue;
            const int i = interval (n, r);
            if (i != 3 && i != 4 && i != 7)
                continue;
            int mask = 0;
            for (int h = 0; h < 128; ++h)
                if (held[h])
                    mask |= intervalBit (interval (h, r));
            if (! guitarist.chordLibrary.contains (r, mask))
                continue;
            result.voicing = &guitarist.chordLibrary.lookup (r, mask);
            result.root = r;
            result.mask = mask;
            for (int h = 0; h < 128; ++h)
            {
                result.chordSet[h] = held[h] && (fold || h >= r);
                result.bassSet[h] = held[h] && h < r && h > r - 12;
            }
            return;
        }
    }
    result.voicing = &guitarist.chordLibrary.noChord();
    result.root = -1;
    result.mask = 0;
}

bool TranscriptionChordsMode::soundingVoicing (ChordVoicing& v) const noexcept
{
    const Fingering& f = guitarist.getFingering();
    bool any = false;
    for (int s = 0; s < StringCount; ++s)
    {
        v.fret[s] = f.fret[s];
        v.kind[s] = f.fret[s] != -1 ? (int) f.state[s] : (int) StringState::Free;
        any = any || f.fret[s] != -1;
    }
    v.noChord = false;
    return any;
}

void TranscriptionChordsMode::restrumCurrent (int note, int velocity) noexcept
{
    StrumHold direction = strumHold;
    if (direction == StrumHold::None)
    {
        direction = StrumHold::Down;
        if (chordNoteCount() >= 3)
        {
            int seen = 0;
            for (int n = 0; n < 128; ++n)
                if (chordNotes[n] && ++seen == 2)
                {
                    if (n == note)
                        direction = StrumHold::Up;
                    break;
                }
        }
    }
    ChordVoicing v;
    if (! soundingVoicing (v))
        v = currentVoicing;
    strum (v, velocity, true, direction == StrumHold::Up);
}

void TranscriptionChordsMode::restrum (bool up, int velocity) noexcept
{
    if (currentRoot == -1)
    {
        ChordVoicing v;
        if (soundingVoicing (v))
            strum (v, velocity, true, up);
        return;
    }
    strum (guitarist.chordLibrary.lookup (currentRoot, currentMask), velocity, true, up);
}

void TranscriptionChordsMode::restrumUp (int velocity) noexcept { restrum (true, velocity); }

void TranscriptionChordsMode::restrumDown (int velocity) noexcept { restrum (false, velocity); }

void TranscriptionChordsMode::setStrumHold (StrumHold direction, bool pressed, int velocity) noexcept
{
    if (pressed)
    {
        strumHold = direction;
        restrum (direction == StrumHold::Up, velocity);
    }
    else if (strumHold == direction)
        strumHold = StrumHold::None;
}

void TranscriptionChordsMode::strum (const ChordVoicing& v, int velocity, bool accent, bool up) noexcept
{
    Guitarist& g = guitarist;
    Fingering& f = g.getFingering();
    g.clearQueue(); // single notes still waiting in the detection window are dropped

    int n = 0;
    for (int s = 0; s < StringCount; ++s)
        n += v.fret[s] != -1 ? 1 : 0;
    if (n == 0)
        return;

    double weight[StringCount] = {1, 1, 1, 1, 1, 1};
    if (accent)
    {
        const double* row = (up ? upAccents : downAccents)[accentLevel (velocity)];
        for (int j = 0; j < n; ++j)
            weight[j] = row[StringCount - n + j];
    }
    // Always counted at 44 100 samples a second; rounded as single precision, halves to even.
    const int spread = g.strumSamples();
    const int step = n > 1 ? (int) std::nearbyint ((float) ((double) spread / (n - 1))) : 0;

    int j = 0;
    for (int k = 0; k < StringCount; ++k)
    {
        const int s = up ? StringCount - 1 - k : k;
        const StringState state = f.state[s];
        if (state == StringState::Chord && f.fret[s] != -1 && f.fret[s] != v.fret[s])
        {
            f.clearString (s);
            g.releaseString (s, true);
        }
        else if ((state == StringState::Single || state == StringState::Legato) && f.note[s] >= 0 &&
                 chordNotes[f.note[s] & 127])
        {
            f.clearString (s);
            g.releaseString (s, true);
        }
        else if (state == StringState::Sustained)
        {
            f.setState (s, StringState::Free);
            g.releaseString (s, true);
        }

        if (v.fret[s] == -1)
            continue;
        const double gain = (double) (float) (weight[j] * positionGain[j]);
        const int level = (int) (gain * velocity); // toward zero
        if (j == 0)
        {
            f.setStringFromFret (s, v.fret[s], StringState::Chord);
            g.playString (level, s, v.fret[s], true, false);
        }
        else
            g.scheduleString (s, OpenNote[s] + v.fret[s], v.fret[s], level, j * step, v.kind[s]);
        ++j;
    }
}

void TranscriptionChordsMode::noteOff (int note) noexcept
{
    note &= 127;
    Guitarist& g = guitarist;
    if (! g.countKeyUp (note))
        return;
    if (g.heldNotes[note])
    {
        g.heldNotes[note] = false;
        --g.heldNoteCount;
    }
    if (currentRoot == -1 || ! chordNotes[note])
    {
        g.singleNoteOff (note);
        return;
    }
    for (int n = 0; n < 128; ++n)
        if (chordNotes[n] && g.heldNotes[n])
            return; // the chord rings on while any of its keys is held

    currentMask = 0;
    currentRoot = -1;
    setName ("");
    Fingering& f = g.getFingering();
    for (int s = 0; s < StringCount; ++s)
        if (f.state[s] == StringState::Chord)
        {
            f.clearString (s);
            g.releaseString (s, false);
            if (g.sustain)
                f.setState (s, StringState::Sustained);
        }
    g.clearQueue();
    for (bool& b : chordNotes)
        b = false;
    currentVoicing.noChord = true;
    withoutThird = false;
}

void TranscriptionChordsMode::reset() noexcept
{
    currentRoot = -1;
    currentMask = 0;
    setName ("");
    currentVoicing.noChord = true;
    withoutThird = false;
    for (int n = 0; n < 128; ++n)
        chordNotes[n] = bassNotes[n] = false;
}

} // namespace tovalin
