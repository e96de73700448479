#include "processor/ChunkLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace tovalin;

namespace
{
/** Records what the chunk loop does, in order. MIDI events at the given times; a
    MIDI event may queue a gesture (its time plus a delay), as a channel-1 note does. */
struct RecordingClient
{
    struct Midi
    {
        int time;
        int queuesGestureAfter; // -1: queues nothing
    };
    std::deque<Midi> midi;
    std::deque<int> gestures; // queued gesture times, ascending
    std::vector<std::string> log;

    bool nextMidiTime (int& t)
    {
        if (midi.empty())
            return false;
        t = midi.front().time;
        return true;
    }

    void handleMidi (int t)
    {
        log.push_back ("midi@" + std::to_string (t));
        const Midi m = midi.front();
        midi.pop_front();
        if (m.queuesGestureAfter >= 0)
            gestures.push_back (t + m.queuesGestureAfter);
    }

    bool nextGestureTime (int& t)
    {
        if (gestures.empty())
            return false;
        t = gestures.front();
        return true;
    }

    void processGesture (int t)
    {
        log.push_back ("gesture@" + std::to_string (t));
        gestures.pop_front();
    }

    bool render (int pos, int len)
    {
        log.push_back ("render " + std::to_string (pos) + "+" + std::to_string (len));
        return true;
    }
};

std::vector<std::string> run (RecordingClient c, int n)
{
    runChunk (c, n);
    return c.log;
}
} // namespace

TEST (ChunkLoop, ANoteWithNoDelaySoundsFromItsOwnSample)
{
    RecordingClient c;
    c.midi.push_back ({100, 0});
    EXPECT_EQ (run (c, 512), (std::vector<std::string>{"render 0+100", "midi@100", "gesture@100", "render 100+412"}));
}

TEST (ChunkLoop, AGestureGoesBeforeAMidiEventAtTheSameTime)
{
    RecordingClient c;
    c.gestures.push_back (50);
    c.midi.push_back ({50, -1});
    c.midi.push_back ({70, -1});
    EXPECT_EQ (run (c, 128),
               (std::vector<std::string>{"render 0+50", "gesture@50", "midi@50", "render 50+20", "midi@70",
                                         "render 70+58"}));
}

// What an event does at once (a string on its own channel, a mapped action) acts from
// the event's own sample: the strings are rendered up to it first.
TEST (ChunkLoop, MidiEventsAreHandledAtTheirOwnSample)
{
    RecordingClient c;
    c.gestures.push_back (60);
    c.midi.push_back ({10, -1});
    c.midi.push_back ({59, -1});
    EXPECT_EQ (run (c, 100),
               (std::vector<std::string>{"render 0+10", "midi@10", "render 10+49", "midi@59", "render 59+1",
                                         "gesture@60", "render 60+40"}));
}

TEST (ChunkLoop, GesturesBeyondTheChunkWaitAndRenderingIsWhole)
{
    RecordingClient c;
    c.gestures.push_back (300);
    EXPECT_EQ (run (c, 256), (std::vector<std::string>{"render 0+256"}));
}

TEST (ChunkLoop, GesturesQueuedByGesturesAreFollowedWithinTheChunk)
{
    // A strum: one MIDI event queues several strings one after another.
    RecordingClient c;
    c.midi.push_back ({0, 5});
    c.gestures = {};
    auto log = run (c, 64);
    EXPECT_EQ (log, (std::vector<std::string>{"midi@0", "render 0+5", "gesture@5", "render 5+59"}));

    RecordingClient d;
    d.gestures = {0, 1, 2};
    EXPECT_EQ (run (d, 4), (std::vector<std::string>{"gesture@0", "render 0+1", "gesture@1", "render 1+1", "gesture@2",
                                                     "render 2+2"}));
}

TEST (ChunkLoop, AGestureAtTheLastSampleIsPlayedAndTheSampleRendered)
{
    RecordingClient c;
    c.gestures.push_back (63);
    EXPECT_EQ (run (c, 64), (std::vector<std::string>{"render 0+63", "gesture@63", "render 63+1"}));
}
