#pragma once

#include "DelayedEventQueue.h"
#include "Fingering.h"
#include "TranscriptionMode.h"
#include "VelocityMapper.h"

#include "engine/Forces.h"
#include "engine/StringParams.h"
#include "engine/StringVoice.h"

#include <array>
#include <atomic>
#include <memory>

namespace juce
{
class MidiMessage;
}

namespace tovalin
{
/** Turns MIDI notes into guitar gestures and keeps the queue of delayed gestures
    that the block loop consults between MIDI events.

    Channel-1 notes wait in the queue for the chord-detection delay (an early note-off
    cancels them), then take a string and fret; channels 2 to 7 play strings 0 to 5 at
    once. The pluck's records come from the velocity curve.

    Audio thread: the note path and the queue, inside the processor's callback lock.
    The toggles run on the thread that sets the parameter, under the strings lock (and
    the callback lock for the touches); releaseAll also from the precomputation
    thread's install, which holds both. */
class Guitarist
{
public:
    explicit Guitarist (Fingering& fingering);

    /** Routes a note-on or note-off at sampleOffset (engine samples in this block). */
    void handleNoteEvent (const juce::MidiMessage& message, int sampleOffset) noexcept;

    /** False when nothing is queued, else the time of the first queued gesture. */
    bool peekNextEventTime (int& time) const noexcept;

    /** Performs the first queued gesture, which is due at time. */
    void processDueEvent (int time) noexcept;

    /** After a block of blockLength engine samples: drops what fell inside it. */
    void advanceQueue (int blockLength) noexcept;

    /** Empties the queue (the processor resets the Fingering separately). */
    void resetPerformance() noexcept;

    /** Samples at 44 100 Hz for which single notes on channel 1 wait. Preferences:
        set on the message thread (a preference change, a state restore) while the
        audio thread plays. */
    std::atomic<int> chordDetectionDelay{128};
    std::atomic<bool> detectInversions{true};

    enum class TouchMode
    {
        None = 0,
        Palm = 1,
        Harmonics = 2
    };
    TouchMode touchMode = TouchMode::None;
    bool legato = false;
    bool sustain = false;
    /** Notes held per key on channels 1 to 7: a note-off only counts for the last one. */
    int heldKeyCount[128] = {};
    /** The distinct notes held on channel 1, and how many note-ons they took. */
    bool heldNotes[128] = {};
    int heldNoteCount = 0;

    const ChordLibrary chordLibrary;

    // Toggles.
    void setPalm (bool on) noexcept;
    void setHarmonics (bool on) noexcept;
    void setLegato (bool on) noexcept { legato = on; }
    void setSustain (bool on) noexcept { sustain = on; }
    void setChordDetection (bool on) noexcept { chordsMode.chordDetection = on; }
    TranscriptionChordsMode& chords() noexcept { return chordsMode; }
    /** Ends the strings that ring only because sustain was on. */
    void releaseOrphans() noexcept;

    /** The single-note path of the keyboard channel. */
    void singleNoteOn (int note, int velocity) noexcept;
    void singleNoteOff (int note) noexcept;

    /** Counts a note-on; for a note-off, false when the key is still held through
        another note-on (the note-off is then ignored). */
    void countKeyDown (int note) noexcept;
    bool countKeyUp (int note) noexcept;

    void scheduleString (int string, int note, int fret, int velocity, int delay, int type) noexcept;
    /** Removes the first queued event for this note. */
    void cancelPending (int note) noexcept { delayedEvents.removeFirstWithNote (note); }

    Fingering& getFingering() noexcept { return fingering; }

    const DelayedEventQueue& queue() const noexcept { return delayedEvents; }
    void clearQueue() noexcept { delayedEvents.clear(); }

    /** Samples at 44 100 Hz that a strum spreads over ("Strumming speed"). */
    int strumSamples() const noexcept { return params != nullptr ? (*params)[0].strumSamples : 0; }

    using Voices = std::array<std::unique_ptr<StringVoice>, StringCount>;
    using Params = std::array<StringParams, StringCount>;

    /** Links the strings; again whenever the processor rebuilds them. */
    void setStrings (Voices* voices, Params* params, const VelocityMapper* velocityMapper) noexcept;

    /** String and fret for note n (52..93), or false. */
    bool assignString (int note, int& string, int& fret) const noexcept;

    void playString (int velocity, int string, int fret, bool chord, bool legato) noexcept;
    void releaseString (int string, bool forced) noexcept;
    void releaseAll() noexcept;

    void scheduleNote (int note, int velocity, int delay) noexcept;

private:
    void applyPalmTouch (int string) noexcept;
    void applyHarmonicTouch (int string, int fret) noexcept;
    void removeTouch (int string) noexcept;
    StringVoice* voiceOf (int string) const noexcept;

    TranscriptionPerStringMode perStringMode{*this};
    TranscriptionChordsMode chordsMode{*this};

    Voices* voices = nullptr;
    Params* params = nullptr;
    const VelocityMapper* velocityMapper = nullptr;
    Fingering& fingering;
    DelayedEventQueue delayedEvents;
    int now = 0;
};

} // namespace tovalin
