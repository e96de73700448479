#include "Guitarist.h"

#include "engine/GuitarConstants.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace tovalin
{
Guitarist::Guitarist (Fingering& f) : fingering (f) {}

void Guitarist::setStrings (Voices* v, Params* p, const VelocityMapper* m) noexcept
{
    voices = v;
    params = p;
    velocityMapper = m;
}

StringVoice* Guitarist::voiceOf (int s) const noexcept
{
    if (voices == nullptr || s < 0 || s >= StringCount)
        return nullptr;
    return (*voices)[(size_t) s].get();
}

// ---------------------------------------------------------------------------------
// Routing and held keys

void Guitarist::handleNoteEvent (const juce::MidiMessage& message, int sampleOffset) noexcept
{
    now = sampleOffset;
    TranscriptionMode& mode = message.getChannel() == 1 ? static_cast<TranscriptionMode&> (chordsMode)
                                                        : static_cast<TranscriptionMode&> (perStringMode);
    if (message.isNoteOn())
        mode.noteOn (message);
    else if (message.isNoteOff())
        mode.noteOff (message);
}

void Guitarist::countKeyDown (int note) noexcept { ++heldKeyCount[note & 127]; }

bool Guitarist::countKeyUp (int note) noexcept
{
    int& count = heldKeyCount[note & 127];
    if (count > 0)
        --count;
    return count == 0;
}

void TranscriptionPerStringMode::noteOn (const juce::MidiMessage& message) noexcept
{
    const int s = message.getChannel() - 2;
    if (s < 0 || s >= StringCount)
        return;
    const int note = message.getNoteNumber();
    guitarist.countKeyDown (note);
    const int fret = note - OpenNote[s];
    if (fret < 0 || fret >= StringFretCount[s])
        return;
    guitarist.getFingering().setString (s, note, fret, StringState::Single);
    guitarist.playString (message.getVelocity(), s, fret, false, false);
}

void TranscriptionPerStringMode::noteOff (const juce::MidiMessage& message) noexcept
{
    const int s = message.getChannel() - 2;
    if (s < 0 || s >= StringCount)
        return;
    const int note = message.getNoteNumber();
    if (! guitarist.countKeyUp (note))
        return;
    Fingering& f = guitarist.getFingering();
    if (f.note[s] == note)
    {
        f.clearString (s);
        guitarist.releaseString (s, false);
    }
}

// ---------------------------------------------------------------------------------
// The single-note path and the queue

void Guitarist::singleNoteOn (int n, int velocity) noexcept
{
    if (legato)
        for (int s = 0; s < StringCount; ++s)
        {
            const int distance = std::abs (fingering.note[s] - n);
            const int fret = n - OpenNote[s];
            // A free string has note -1 and never qualifies.
            if (fingering.note[s] != -1 && distance >= 1 && distance <= 3 && fret >= 0 && fret < StringFretCount[s])
            {
                scheduleString (s, n, fret, velocity, chordDetectionDelay, (int) StringState::Legato);
                return;
            }
        }
    if (n >= LowestNote && n <= HighestNote)
        scheduleNote (n, velocity, chordDetectionDelay);
}

void Guitarist::singleNoteOff (int note) noexcept
{
    for (int s = 0; s < StringCount; ++s)
        if (fingering.note[s] == note)
        {
            fingering.clearString (s);
            releaseString (s, false);
            return;
        }
    // A note released before its delayed start never sounds.
    cancelPending (note);
}

void Guitarist::scheduleNote (int note, int velocity, int delay) noexcept
{
    DelayedEvent e;
    e.note = note;
    e.velocity = (std::uint8_t) velocity;
    e.type = (int) StringState::Single;
    delayedEvents.append (e, now + delay);
}

void Guitarist::scheduleString (int string, int note, int fret, int velocity, int delay, int type) noexcept
{
    DelayedEvent e;
    e.string = string;
    e.note = note;
    e.fret = fret;
    e.velocity = (std::uint8_t) velocity;
    e.type = type;
    e.assigned = true;
    delayedEvents.append (e, now + delay);
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

void Guitarist::advanceQueue (int blockLength) noexcept { delayedEvents.advance (blockLength); }

void Guitarist::resetPerformance() noexcept
{
    delayedEvents.clear();
    for (int& count : heldKeyCount)
        count = 0;
    chordsMode.reset();
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

// ---------------------------------------------------------------------------------
// Gestures on the voices

void Guitarist::playString (int velocity, int s, int fret, bool chord, bool legatoChange) noexcept
{
    StringVoice* voice = voiceOf (s);
    if (voice == nullptr)
        return;
    StringParams& p = (*params)[(size_t) s];
    if (! legatoChange)
    {
        FrictionRecord f;
        GestureRecord g;
        velocityMapper->recordsFor (velocity, f, g);
        if (! voice->pluck)
            voice->pluck.emplace (f, g, voice->sampleRate);
        else
        {
            voice->pluck->restart();
            voice->clearTwang();
        }
        float target = g.amplitude * g.amplitude;
        if (chord)
        {
            // A chord string still sounding does not drop in level too abruptly.
            const float current = voice->currentGain();
            if (p.volumeFactor * target - current < -0.45f && p.volumeFactor > 0.0f)
                target = (current - 0.45f) / p.volumeFactor;
        }
        p.velocityGain = target;
        voice->updateGain();
    }

    voice->damping.reset();
    voice->fretting.reset();
    voice->fretting.emplace (voice->sampleRate, p.fretStiffness);

    if (touchMode == TouchMode::Palm)
        applyPalmTouch (s);
    else if (touchMode == TouchMode::Harmonics)
        applyHarmonicTouch (s, fret);

    voice->setFret (fret);
    voice->getModel()->refreshPluckInput();
    voice->activate();
}

void Guitarist::releaseString (int s, bool forced) noexcept
{
    if (! forced && sustain)
        return; // the string rings on
    StringVoice* voice = voiceOf (s);
    if (voice == nullptr)
        return;
    if (voice->fretting)
        voice->fretting->lift();
    removeTouch (s);
    voice->damping.reset();
    voice->damping.emplace (voice->sampleRate);
    voice->startReleaseFade();
    voice->activate();
}

void Guitarist::releaseAll() noexcept
{
    for (int s = 0; s < StringCount; ++s)
        releaseString (s, true);
}

void Guitarist::releaseOrphans() noexcept
{
    for (int s = 0; s < StringCount; ++s)
    {
        StringVoice* voice = voiceOf (s);
        if (voice != nullptr && ! voice->idle && fingering.note[s] == -1)
            releaseString (s, true);
    }
}

void Guitarist::applyPalmTouch (int s) noexcept
{
    StringVoice* voice = voiceOf (s);
    if (voice == nullptr)
        return;
    const StringParams& p = (*params)[(size_t) s];
    voice->touch.reset();
    voice->getModel()->preparePalmTouch();
    voice->touch.emplace (0, voice->sampleRate, p.palmStrength, p.palmDepth, 0);
}

void Guitarist::applyHarmonicTouch (int s, int fret) noexcept
{
    StringVoice* voice = voiceOf (s);
    if (voice == nullptr)
        return;
    const StringParams& p = (*params)[(size_t) s];
    voice->touch.reset();
    voice->getModel()->prepareHarmonicTouch (fret);
    voice->touch.emplace (1, voice->sampleRate, p.harmonicStrength, p.harmonicDepth, p.harmonicTouchSamples);
}

void Guitarist::removeTouch (int s) noexcept
{
    if (StringVoice* voice = voiceOf (s))
        voice->touch.reset();
}

void Guitarist::setPalm (bool on) noexcept
{
    if (on)
    {
        for (int s = 0; s < StringCount; ++s)
            if (fingering.fret[s] != -1)
                applyPalmTouch (s);
        touchMode = TouchMode::Palm;
    }
    else if (touchMode == TouchMode::Palm)
    {
        for (int s = 0; s < StringCount; ++s)
            removeTouch (s);
        touchMode = TouchMode::None;
    }
}

void Guitarist::setHarmonics (bool on) noexcept
{
    if (on)
    {
        for (int s = 0; s < StringCount; ++s)
            if (fingering.fret[s] != -1)
                applyHarmonicTouch (s, fingering.fret[s]);
        touchMode = TouchMode::Harmonics;
    }
    else if (touchMode == TouchMode::Harmonics)
    {
        for (int s = 0; s < StringCount; ++s)
            removeTouch (s);
        touchMode = TouchMode::None;
    }
}

} // namespace tovalin
