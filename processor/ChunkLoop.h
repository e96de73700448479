#pragma once

namespace tovalin
{
/** The inner loop of one audio chunk: MIDI events and queued gestures taken in time
    order, the strings rendered between them, so that each acts on its own sample.

    Client provides:
      bool nextMidiTime (int& t)   - the pending MIDI event's time in the chunk, false if none
      void handleMidi (int t)      - handle that event and move to the next one
      bool nextGestureTime (int& t)- the first queued gesture's time, false if none
      void processGesture (int t)  - perform the first queued gesture
      bool render (int pos, int len) - render the strings over [pos, pos + len)

    Every MIDI event the client reports must lie in [0, n). A gesture and a MIDI event
    at the same time: the gesture goes first. Returns whether any voice rendered. */
template <typename Client>
bool runChunk (Client& client, int n) noexcept
{
    int pos = 0;
    int remaining = n;
    bool anyRendered = false;

    int midiTime = 0, gestureTime = 0;
    bool midiPending = client.nextMidiTime (midiTime);
    bool gesturePending = client.nextGestureTime (gestureTime) && gestureTime < n;

    while (remaining > 0)
    {
        if (midiPending && (! gesturePending || midiTime < gestureTime))
        {
            // The strings play up to the event's own sample first, so that what it does
            // at once (a string struck on its own channel, a chord's first string, a
            // mapped action) starts exactly there, never earlier.
            if (midiTime > pos)
            {
                const int len = midiTime - pos;
                anyRendered |= client.render (pos, len);
                pos += len;
                remaining -= len;
            }
            client.handleMidi (midiTime);
            midiPending = client.nextMidiTime (midiTime);
        }
        else
        {
            // A gesture queued in the past (never by the Guitarist) is played at once.
            const int len = gesturePending ? (gestureTime > pos ? gestureTime - pos : 0) : remaining;
            if (len > 0)
                anyRendered |= client.render (pos, len);
            if (gesturePending)
                client.processGesture (gestureTime);
            pos += len;
            remaining -= len;
        }
        gesturePending = client.nextGestureTime (gestureTime) && gestureTime < n;
    }
    return anyRendered;
}

} // namespace tovalin
