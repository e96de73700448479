#pragma once

#include "../engine/StringParams.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

namespace tovalin
{
class TovalinPlugin;

/** Recomputes the six string models off the audio thread when a sound parameter
    changes, and installs each between two blocks with its playing state carried over.

    requestRecompute and setPaused: any thread. The thread polls every 30 ms. */
class StringPrecomputationThread : public juce::Thread
{
public:
    explicit StringPrecomputationThread (TovalinPlugin& processor);
    ~StringPrecomputationThread() override;

    void requestRecompute() noexcept { recomputeRequested = true; }
    void setPaused (bool shouldPause) noexcept { paused = shouldPause; }
    bool isRecomputePending() const noexcept { return recomputeRequested; }
    /** Nothing requested and no pass under way: every change made so far is live. */
    bool isSettled() const noexcept { return ! recomputeRequested && ! passRunning; }
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
    std::array<StringParams, 6> computedParams;
    std::atomic<bool> recomputeRequested{false};
    std::atomic<bool> paused{false};
    std::atomic<bool> passRunning{false};
    std::atomic<int> installs{0};
};

} // namespace tovalin
