#include "Guitarist.h"

#include "GuitarConstants.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace tovalin
{
Guitarist::Guitarist (Fingering& f) : fingering (f) {}

void Guitarist::handleNoteEvent (const juce::MidiMessage& message, int sampleOffset) noexcept
{
    now = sampleOffset;
    if (message.getChannel() != 1)
        return;

    const int note = message.getNoteNumber();
    if (message.isNoteOn())
    {
        if (note >= LowestNote && note <= HighestNote)
            scheduleNote (note, message.getVelocity(), chordDetectionDelay);
    }
    else if (message.isNoteOff())
    {
        // A note released before its delayed start never sounds.
        delayedEvents.removeFirstWithNote (note);
    }
}

bool Guitarist::peekNextEventTime (int& time) const noexcept
{
    if (delayedEvents.empty())
        return false;
    time = delayedEvents.front().time;
    return true;
}

void Guitarist::processDueEvent (int time) noexcept
{
    now = time;
    if (! delayedEvents.empty())
        delayedEvents.popFront();
}

void Guitarist::advanceQueue (int blockLength) noexcept { delayedEvents.advance (blockLength); }

void Guitarist::resetPerformance() noexcept { delayedEvents.clear(); }

void Guitarist::scheduleNote (int note, int velocity, int delay) noexcept
{
    DelayedEvent e;
    e.note = note;
    e.velocity = (std::uint8_t) velocity;
    e.type = (int) StringState::Single;
    delayedEvents.append (e, now + delay);
}

} // namespace tovalin
