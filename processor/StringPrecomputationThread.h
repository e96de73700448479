#pragma once

#include "../engine/GuitarConstants.h"
#include "../engine/StringParams.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

namespace tovalin
{
class TovalinPlugin;

/** Recomputes the six string models off the audio thread when a sound parameter
    changes. A finished set of six is handed to the audio thread, which installs all
    of them at the start of its next block, with their playing state carried over:
    the strings change together, between two blocks, and the audio thread never waits
    for this thread (nor for a lock this thread holds, as it would if this thread
    installed and lost its core while holding the callback lock).

    requestRecompute and setPaused: any thread. installIfReady: the audio thread. The
    thread polls every 30 ms, and then also runs the work that blocks handed off
    (TovalinPlugin::runHandedOffWork). */
class StringPrecomputationThread : public juce::Thread
{
public:
    explicit StringPrecomputationThread (TovalinPlugin& processor);
    ~StringPrecomputationThread() override;

    void requestRecompute() noexcept { recomputeRequested = true; }
    void setPaused (bool shouldPause) noexcept { paused = shouldPause; }
    /** Pauses, then waits until no string is being computed: the models may then be
        replaced. */
    void pauseAndWait() noexcept;
    bool isRecomputePending() const noexcept { return recomputeRequested; }
    /** No pass under way, and none will start before the next block: every change
        made so far is live, or is installed at the start of that block. */
    bool isSettled() const noexcept { return ! passRunning && (! recomputeRequested || handover.load() != Empty); }

    /** Audio thread, at the start of a block (the callback lock held): installs the
        computed set, if one is waiting and the strings and parameter locks are free. */
    void installIfReady() noexcept;
    /** Drops a request that the caller has just satisfied itself, by computing every
        string from the current values. */
    void discardRequest() noexcept { recomputeRequested = false; }

    /** Completed installs, for observers that wait for a pass to land. */
    int installCount() const noexcept { return installs; }

    void run() override;

private:
    /** One pass over the six strings (it starts over when new values arrive, and stops
        when paused, rebuilt or asked to exit). */
    void recomputePass();

    TovalinPlugin& processor;
    /** The thread's own copy of each string's parameters: computed here, handed to the
        processor at the install, never read from the audio thread's copy. */
    std::array<StringParams, StringCount> computedParams;
    std::array<SoundControls, StringCount> computedControls;
    int computedGeneration = 0;
    // The computed set's hand-over: Ready publishes it to the audio thread, which takes
    // it (Installing) and gives the work models back (Empty).
    enum Handover
    {
        Empty,
        Ready,
        Installing
    };
    std::atomic<int> handover{Empty};
    std::atomic<bool> recomputeRequested{false};
    std::atomic<bool> paused{false};
    std::atomic<bool> passRunning{false};
    std::atomic<bool> computing{false}; // a work model is being computed, unlocked
    std::atomic<int> installs{0};
};

} // namespace tovalin
