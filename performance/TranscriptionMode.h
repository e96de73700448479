#pragma once

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

/** Channel 1, the keyboard: single notes after the chord-detection delay, with legato.
    Chord recognition joins this mode later; until then every note takes the
    single-note path. */
class TranscriptionChordsMode : public TranscriptionMode
{
public:
    using TranscriptionMode::TranscriptionMode;
    void noteOn (const juce::MidiMessage& message) noexcept override;
    void noteOff (const juce::MidiMessage& message) noexcept override;

    /** Chord detection switched by "Toggle chords". */
    bool chordDetection = true;

    void reset() noexcept {}
};

} // namespace tovalin
