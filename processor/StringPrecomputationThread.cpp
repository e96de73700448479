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

void StringPrecomputationThread::run()
{
    while (! threadShouldExit())
    {
        wait (30);
        if (! recomputeRequested || paused)
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
    // A change of string set releases the strings once per pass: releasing them again
    // at every later string's install would restart fades already under way.
    bool released = false;
    for (int s = 0; s < 6; ++s)
    {
        // The heavy part runs on the work model and a private copy of the string's
        // parameters, under the strings lock alone; the audio thread goes on.
        StringParams& pending = computedParams[(size_t) s];
        StringModel* work = nullptr;
        SoundControls controls;
        int generation = 0;
        {
            const juce::ScopedLock sl (processor.stringsLock);
            controls = processor.currentSoundControls();
            processor.recomputeStringParams (pending, controls);
            work = processor.workModels[(size_t) s].get();
            work->modes.params = &pending;
            computeModes (*work);
            computeShapes (*work, true);
            work->modes.params = &processor.stringParams[(size_t) s];
            generation = processor.stringsGeneration;
        }

        if (threadShouldExit() || paused)
            return;
        if (recomputeRequested.exchange (false))
        {
            s = -1; // new values arrived: start over, so no mix of old and new stays live
            released = false;
            continue;
        }

        // The install, between two blocks: callback lock, strings lock, parameter
        // lock, in the processor's one lock order.
        const juce::ScopedLock cl (processor.getCallbackLock());
        const juce::ScopedLock sl (processor.stringsLock);
        const juce::ScopedLock pl (processor.parameters.parameterLock);
        if (generation != processor.stringsGeneration || paused)
            return; // the strings were rebuilt meanwhile

        StringParams& shared = processor.stringParams[(size_t) s];
        const float velocityGain = shared.velocityGain; // the performer's, not ours
        shared = pending;
        shared.velocityGain = velocityGain;

        StringVoice& voice = *processor.voices[(size_t) s];
        StringModel* live = voice.getModel();
        copyPlayingState (*work, *live);
        computeCoefficients (*work);
        applyControls (*work, controls);
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
}

} // namespace tovalin
