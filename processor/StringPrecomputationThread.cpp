#include "StringPrecomputationThread.h"

#include "TovalinPlugin.h"

#include "../engine/StringPrecomputation.h"

namespace tovalin
{
StringPrecomputationThread::StringPrecomputationThread (TovalinPlugin& p)
    : juce::Thread ("ThreadTovalin"), processor (p)
{
}

StringPrecomputationThread::~StringPrecomputationThread() { stopThread (5000); }

void StringPrecomputationThread::pauseAndWait() noexcept
{
    paused = true;
    while (computing)
        juce::Thread::sleep (1);
}

void StringPrecomputationThread::run()
{
    while (! threadShouldExit())
    {
        // While a computed set waits for its block, look again soon: the work models
        // are ours again once it is installed.
        wait (handover != Empty ? 1 : 30);
        // What blocks handed off (body filters, broadcasts, parameter changes that
        // found their lock busy) is done here, never on the audio thread.
        processor.runHandedOffWork();
        if (! recomputeRequested || paused || handover != Empty)
            continue;
        // Running before the request is cleared, so that isSettled never sees neither.
        passRunning = true;
        recomputeRequested = false;
        recomputePass();
        passRunning = false;
    }
}

void StringPrecomputationThread::recomputePass()
{
    int generation = 0;
    for (int s = 0; s < StringCount; ++s)
    {
        // The string is computed on its work model and a private copy of its
        // parameters, holding no lock of the processor's, so that nothing ever waits
        // for it. The work models stay put meanwhile: they are replaced only after
        // pauseAndWait, and installed only from a finished set.
        StringParams& pending = computedParams[(size_t) s];
        // Marked before pause is read, as pauseAndWait marks pause before it reads this:
        // one of the two always sees the other.
        computing = true;
        if (paused)
        {
            computing = false;
            return;
        }
        computedControls[(size_t) s] = processor.currentSoundControls();
        processor.recomputeStringParams (pending, computedControls[(size_t) s]);
        StringModel* work = processor.workModels[(size_t) s].get();
        if (s == 0)
            generation = processor.stringsGeneration;
        else if (generation != processor.stringsGeneration)
        {
            computing = false;
            return; // the strings were rebuilt meanwhile, from the current values
        }
        work->modes.params = &pending;
        computeModes (*work);
        computeShapes (*work, true);
        work->modes.params = &processor.stringParams[(size_t) s];
        computing = false;

        if (threadShouldExit() || paused)
            return;
        if (recomputeRequested.exchange (false))
            s = -1; // new values arrived: start over, so no mix of old and new goes live
    }
    computedGeneration = generation;
    handover = Ready;
}

void StringPrecomputationThread::installIfReady() noexcept
{
    int expected = Ready;
    if (! handover.compare_exchange_strong (expected, Installing))
        return;
    // Never waits: a lock held elsewhere, or a pause, leaves the set for the next block.
    const juce::ScopedTryLock sl (processor.stringsLock);
    const juce::ScopedTryLock pl (processor.parameters.parameterLock);
    if (! sl.isLocked() || ! pl.isLocked() || paused)
    {
        handover = Ready;
        return;
    }
    if (computedGeneration != processor.stringsGeneration)
    {
        handover = Empty; // computed for strings that have since been rebuilt
        return;
    }

    // A change of string set releases the strings once: releasing them again at every
    // later string would restart fades already under way.
    bool released = false;
    for (int s = 0; s < StringCount; ++s)
    {
        StringParams& shared = processor.stringParams[(size_t) s];
        const float velocityGain = shared.velocityGain; // the performer's, not ours
        shared = computedParams[(size_t) s];
        shared.velocityGain = velocityGain;

        StringVoice& voice = *processor.voices[(size_t) s];
        StringModel* live = voice.getModel();
        StringModel* work = processor.workModels[(size_t) s].get();
        copyPlayingState (*work, *live);
        computeCoefficients (*work);
        applyControls (*work, computedControls[(size_t) s]);
        voice.setModel (work);
        std::swap (processor.liveModels[(size_t) s], processor.workModels[(size_t) s]);

        // A change of string set never keeps a note sounding across the change.
        if (! released && ! live->stringSetName.empty() && live->stringSetName != shared.stringSetName)
        {
            processor.guitarist.releaseAll();
            released = true;
        }
        work->stringSetName = shared.stringSetName;
        ++installs;
    }
    handover = Empty;
}

} // namespace tovalin
