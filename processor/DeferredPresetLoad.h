#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace tovalin
{
/** A preset load asked for on the audio thread (a mapped "Load Preset" action) and
    carried out on the message thread: loading parses, recomputes and allocates. The
    request copies the name into fixed storage and posts the update that JUCE
    allocated in advance, so asking never allocates; a newer request replaces an
    older one that has not run yet. */
class DeferredPresetLoad : private juce::AsyncUpdater
{
public:
    explicit DeferredPresetLoad (std::function<void (const juce::String&)> loadByName) : load (std::move (loadByName))
    {
    }
    ~DeferredPresetLoad() override { cancelPendingUpdate(); }

    void request (const juce::String& name) noexcept
    {
        {
            const juce::SpinLock::ScopedLockType sl (lock);
            name.copyToUTF8 (pending, sizeof (pending));
            hasPending = true;
        }
        triggerAsyncUpdate();
    }

    /** Runs a pending load now (message thread, or wherever there is no message loop
        to deliver the update, as in the offline renderer). */
    void runPending() { handleAsyncUpdate(); }

private:
    void handleAsyncUpdate() override
    {
        char name[sizeof (pending)];
        {
            const juce::SpinLock::ScopedLockType sl (lock);
            if (! hasPending)
                return;
            hasPending = false;
            std::memcpy (name, pending, sizeof (name));
        }
        load (juce::String::fromUTF8 (name));
    }

    bool hasPending = false;

    std::function<void (const juce::String&)> load;
    juce::SpinLock lock;
    char pending[256] = {};
};

} // namespace tovalin
