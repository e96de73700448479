#pragma once

#include "DelayedEventQueue.h"
#include "Fingering.h"

namespace juce
{
class MidiMessage;
}

namespace tovalin
{
/** Turns MIDI notes into guitar gestures and keeps the queue of delayed gestures
    that the block loop consults between MIDI events.

    This is the queue and routing skeleton: channel-1 notes wait for the
    chord-detection delay in the queue and are cancelled by an early note-off. No
    string is attached yet, so a due gesture leaves the queue and plays nothing.

    Audio thread: every operation, inside the processor's callback lock. */
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

    /** Samples at 44 100 Hz for which single notes on channel 1 wait. */
    int chordDetectionDelay = 128;
    bool detectInversions = true;

    const DelayedEventQueue& queue() const noexcept { return delayedEvents; }

private:
    void scheduleNote (int note, int velocity, int delay) noexcept;

    Fingering& fingering;
    DelayedEventQueue delayedEvents;
    int now = 0;
};

} // namespace tovalin
