#include "Guitarist.h"

#include "GuitarConstants.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace tovalin
{
Guitarist::Guitarist (Fingering& f) : fingering (f) {}

void Guitarist::setStrings (Voices* v, Params* p, const ExcitationTable* e) noexcept
{
    voices = v;
    params = p;
    excitation = e;
}

void Guitarist::handleNoteEvent (const juce::MidiMessage& message, int sampleOffset) noexcept
{
    now = sampleOffset;
    const int channel = message.getChannel();
    const int note = message.getNoteNumber();
    if (message.isNoteOn())
    {
        if (channel == 1)
        {
            if (note >= LowestNote && note <= HighestNote)
                scheduleNote (note, message.getVelocity(), chordDetectionDelay);
        }
        else
            perStringNoteOn (channel, note, message.getVelocity());
    }
    else if (message.isNoteOff())
    {
        if (channel != 1)
        {
            perStringNoteOff (channel, note);
            return;
        }
        for (int s = 0; s < StringCount; ++s)
            if (fingering.note[s] == note)
            {
                fingering.clearString (s);
                releaseString (s, false);
                return;
            }
        // A note released before its delayed start never sounds.
        delayedEvents.removeFirstWithNote (note);
    }
}

void Guitarist::perStringNoteOn (int channel, int note, int velocity) noexcept
{
    const int s = channel - 2;
    if (s < 0 || s >= StringCount)
        return;
    const int fret = note - OpenNote[s];
    if (fret < 0 || fret >= FretCount[s])
        return;
    fingering.setString (s, note, fret, StringState::Single);
    playString (velocity, s, fret, false, false);
}

void Guitarist::perStringNoteOff (int channel, int note) noexcept
{
    const int s = channel - 2;
    if (s < 0 || s >= StringCount || fingering.note[s] != note)
        return;
    fingering.clearString (s);
    releaseString (s, false);
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
    if (delayedEvents.empty())
        return;
    DelayedEvent e = delayedEvents.popFront();
    if (! e.assigned && ! assignString (e.note, e.string, e.fret))
        return;
    fingering.setStringFromFret (e.string, e.fret, (StringState) e.type);
    playString (e.velocity, e.string, e.fret, e.type == (int) StringState::Chord, e.type == (int) StringState::Legato);
}

bool Guitarist::assignString (int n, int& string, int& fret) const noexcept
{
    if (n < LowestNote || n > HighestNote)
        return false;
    const int* row = fingering.fretTable[n - LowestNote];
    for (int s = 0; s < StringCount; ++s)
        if (fingering.note[s] == n)
        {
            string = s;
            fret = fingering.fret[s];
            return true;
        }
    // Ties go to the lower string: a later string must have a strictly smaller fret.
    auto choose = [&] (bool freeOnly)
    {
        int bound = 200;
        int chosen = -1;
        for (int s = 0; s < StringCount; ++s)
            if (row[s] != -1 && (! freeOnly || fingering.note[s] == -1) && row[s] < bound)
            {
                bound = row[s];
                chosen = s;
            }
        return chosen;
    };
    int s = choose (true);
    if (s < 0)
        s = choose (false);
    if (s < 0)
        return false;
    string = s;
    fret = row[s];
    return true;
}

void Guitarist::playString (int velocity, int s, int fret, bool chord, bool legato) noexcept
{
    if (voices == nullptr || (*voices)[(size_t) s] == nullptr)
        return;
    StringVoice& voice = *(*voices)[(size_t) s];
    StringParams& p = (*params)[(size_t) s];
    const int level = juce::jlimit (0, ExcitationTable::Levels - 1, velocity);

    if (! legato)
    {
        const GestureRecord& g = excitation->gestures[level];
        const FrictionRecord& f = excitation->frictions[level];
        if (! voice.pluck)
            voice.pluck.emplace (f, g, voice.sampleRate);
        else
        {
            voice.pluck->restart();
            voice.clearTwang();
        }
        float target = g.amplitude * g.amplitude;
        if (chord)
        {
            // A chord string still sounding does not drop in level too abruptly.
            const float current = voice.currentGain();
            if (p.volumeFactor * target - current < -0.45f && p.volumeFactor > 0.0f)
                target = (current - 0.45f) / p.volumeFactor;
        }
        p.velocityGain = target;
        voice.updateGain();
    }

    voice.damping.reset();
    voice.fretting.reset();
    voice.fretting.emplace (voice.sampleRate, p.fretStiffness);
    voice.setFret (fret);
    voice.getModel()->refreshPluckInput();
    voice.activate();
}

void Guitarist::releaseString (int s, bool /*forced*/) noexcept
{
    if (voices == nullptr || (*voices)[(size_t) s] == nullptr)
        return;
    StringVoice& voice = *(*voices)[(size_t) s];
    if (voice.fretting)
        voice.fretting->lift();
    voice.touch.reset();
    voice.damping.reset();
    voice.damping.emplace (voice.sampleRate);
    voice.startReleaseFade();
    voice.activate();
}

void Guitarist::releaseAll() noexcept
{
    for (int s = 0; s < StringCount; ++s)
        releaseString (s, true);
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
