#pragma once

#include "ChordLibrary.h"

namespace juce
{
class MidiMessage;
}

namespace tovalin
{
class Guitarist;

/** How notes of one kind of channel become gestures. Audio thread. */
class TranscriptionMode
{
public:
    explicit TranscriptionMode (Guitarist& g) : guitarist (g) {}
    virtual ~TranscriptionMode() = default;
    virtual void noteOn (const juce::MidiMessage& message) noexcept = 0;
    virtual void noteOff (const juce::MidiMessage& message) noexcept = 0;

protected:
    Guitarist& guitarist;
};

/** Channels 2 to 7: one channel per string, the fret from the note, at once. */
class TranscriptionPerStringMode : public TranscriptionMode
{
public:
    using TranscriptionMode::TranscriptionMode;
    void noteOn (const juce::MidiMessage& message) noexcept override;
    void noteOff (const juce::MidiMessage& message) noexcept override;
};

/** Channel 1, the keyboard: three or more notes held together are recognised as a
    chord, voiced on the six strings and strummed; every other note takes the
    single-note path (after the chord-detection delay, with legato). */
class TranscriptionChordsMode : public TranscriptionMode
{
public:
    using TranscriptionMode::TranscriptionMode;
    void noteOn (const juce::MidiMessage& message) noexcept override;
    void noteOff (const juce::MidiMessage& message) noexcept override;
    void noteOn (int note, int velocity) noexcept;
    void noteOff (int note) noexcept;

    enum class StrumHold
    {
        None = 0,
        Up = 1,
        Down = 2
    };

    /** A strum action's key went down (strums at once) or up. */
    void setStrumHold (StrumHold direction, bool pressed, int velocity) noexcept;
    /** Strums the current chord (or what the strings hold) without holding. */
    void restrumUp (int velocity) noexcept;
    void restrumDown (int velocity) noexcept;

    /** No current chord, empty name; the held notes are the Guitarist's. */
    void reset() noexcept;

    struct Recognition
    {
        const ChordVoicing* voicing = nullptr;
        int root = -1, mask = 0;
        bool chordSet[128] = {};
        bool bassSet[128] = {};
    };
    /** The chord the held notes form, folding the notes below a candidate root up an
        octave when fold is set; the no-chord voicing when they form none. */
    void recognizeChord (bool fold, Recognition& result) const noexcept;

    void strumDown (const ChordVoicing& v, int velocity, bool accent) noexcept { strum (v, velocity, accent, false); }
    void strumUp (const ChordVoicing& v, int velocity, bool accent) noexcept { strum (v, velocity, accent, true); }

    /** Chord detection switched by "Toggle chords". */
    bool chordDetection = true;
    char currentName[ChordNameCapacity] = {};
    int currentMask = 0;
    int currentRoot = -1;
    bool chordNotes[128] = {};
    bool bassNotes[128] = {};
    ChordVoicing currentVoicing;
    bool withoutThird = false;
    StrumHold strumHold = StrumHold::None;

private:
    void restrumCurrent (int note, int velocity) noexcept;
    void restrum (bool up, int velocity) noexcept;
    /** What the strings hold now, as a voicing; false when no string holds a fret. */
    bool soundingVoicing (ChordVoicing& v) const noexcept;
    void strum (const ChordVoicing& v, int velocity, bool accent, bool up) noexcept;
    void setName (const char* text) noexcept;
    int chordNoteCount() const noexcept;
};

} // namespace tovalin
