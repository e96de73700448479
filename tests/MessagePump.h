#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace juce
{
// JUCE's own step of its Linux message loop (juce_events/native/juce_linux_Messaging.cpp):
// delivers one pending message, or returns false at once when none is pending.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace tovalin::test
{
/** Delivers every message already posted to the message thread, and those they post
    in turn: the tests' message loop, since with modal loops off JUCE offers none that
    returns. Call on the message thread. Returns how many were delivered. */
inline int dispatchPendingMessages (int atMost = 100000)
{
    int delivered = 0;
    while (delivered < atMost && juce::dispatchNextMessageOnSystemQueue (true))
        ++delivered;
    return delivered;
}

/** Delivers messages as they come until done() holds or timeoutMs passes (timers and
    other threads post later); true when done() held. */
inline bool dispatchMessagesUntil (const std::function<bool()>& done, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! done())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        if (dispatchPendingMessages() == 0)
            juce::Thread::sleep (1);
    }
    return true;
}

} // namespace tovalin::test
