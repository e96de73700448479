#include "performance/Guitarist.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <gtest/gtest.h>

#include <juce_audio_basics/juce_audio_basics.h>

using namespace tovalin;

namespace
{
/** The Guitarist without strings: where notes go shows in the Fingering. */
struct Transcription : ::testing::Test
{
    Fingering fingering;
    Guitarist guitarist{fingering};

    void SetUp() override { guitarist.chordDetectionDelay = 0; }

    void on (int note, int channel = 1, int at = 0)
    {
        guitarist.handleNoteEvent (juce::MidiMessage::noteOn (channel, note, (juce::uint8) 100), at);
    }
    void off (int note, int channel = 1, int at = 0)
    {
        guitarist.handleNoteEvent (juce::MidiMessage::noteOff (channel, note), at);
    }
    void playDue()
    {
        int t = 0;
        while (guitarist.peekNextEventTime (t))
            guitarist.processDueEvent (t);
    }
    void occupy (int string, int note)
    {
        fingering.setString (string, note, note - OpenNote[string], StringState::Single);
    }
};
} // namespace

TEST_F (Transcription, NotesTakeTheStringAGuitaristWouldChoose)
{
    struct Case
    {
        int note;
        std::vector<std::pair<int, int>> busy; // string, note
        int string, fret;
    };
    const std::vector<Case> cases = {
        {52, {}, 0, 0},
        {64, {}, 2, 2},
        {64, {{2, 65}}, 1, 7},
        {71, {}, 4, 0},
        {93, {}, 5, 17},
        // Every string that can play 57 is busy: the lowest fret among them is taken over.
        {57, {{0, 53}, {1, 58}}, 1, 0},
        // A note already sounding is played again where it is.
        {64, {{0, 64}}, 0, 12},
    };
    for (const auto& c : cases)
    {
        fingering.reset();
        for (auto [s, n] : c.busy)
            occupy (s, n);
        on (c.note);
        playDue();
        EXPECT_EQ (fingering.note[c.string], c.note) << c.note;
        EXPECT_EQ (fingering.fret[c.string], c.fret) << c.note;
        EXPECT_EQ (fingering.state[c.string], StringState::Single);
    }
}

TEST_F (Transcription, NotesOutsideTheRangeAreIgnored)
{
    on (94);
    on (51);
    EXPECT_TRUE (guitarist.queue().empty());
    on (56, 3); // below string 1's open A
    on (60, 8); // no string on channel 8
    for (int s = 0; s < StringCount; ++s)
        EXPECT_EQ (fingering.note[s], -1);
    on (52, 2); // string 0, at once
    EXPECT_EQ (fingering.fret[0], 0);
    on (88, 6); // string 4's last fret (17)
    EXPECT_EQ (fingering.fret[4], 17);
    on (89, 6);
    EXPECT_EQ (fingering.note[4], 88) << "fret 18 does not exist on string 4";
}

TEST_F (Transcription, LegatoWithinThreeSemitonesFretsWithoutAPluck)
{
    guitarist.setLegato (true);
    occupy (1, 60);
    on (62);
    ASSERT_EQ (guitarist.queue().size(), 1);
    EXPECT_TRUE (guitarist.queue().front().assigned);
    EXPECT_EQ (guitarist.queue().front().string, 1);
    EXPECT_EQ (guitarist.queue().front().fret, 5);
    EXPECT_EQ (guitarist.queue().front().type, (int) StringState::Legato);
    playDue();
    EXPECT_EQ (fingering.state[1], StringState::Legato);
    on (66); // distance 4 from 62: the normal path
    EXPECT_FALSE (guitarist.queue().front().assigned);
}

TEST_F (Transcription, AKeyHeldTwiceNeedsTwoNoteOffs)
{
    on (60);
    on (60);
    playDue();
    const int s = fingering.note[1] == 60 ? 1 : 2;
    ASSERT_EQ (fingering.note[s], 60);
    off (60);
    EXPECT_EQ (fingering.note[s], 60) << "still held";
    off (60);
    EXPECT_EQ (fingering.note[s], -1);
}

TEST_F (Transcription, ANoteReleasedWithinTheDelayNeverSounds)
{
    guitarist.chordDetectionDelay = 441;
    on (60, 1, 10);
    EXPECT_EQ (guitarist.queue().size(), 1);
    off (60, 1, 100);
    EXPECT_TRUE (guitarist.queue().empty());
}

TEST_F (Transcription, EventsForTheSameTimeArePlacedOneSampleApart)
{
    guitarist.setChordDetection (false); // a C major would be strummed
    on (60, 1, 50);
    on (64, 1, 50);
    on (67, 1, 40);
    ASSERT_EQ (guitarist.queue().size(), 3);
    EXPECT_EQ (guitarist.queue().at (0).time, 50);
    EXPECT_EQ (guitarist.queue().at (1).time, 51);
    EXPECT_EQ (guitarist.queue().at (2).time, 52);
    guitarist.advanceQueue (51); // the event at 50 fell inside the block just finished
    ASSERT_EQ (guitarist.queue().size(), 2);
    EXPECT_EQ (guitarist.queue().front().time, 0);
    EXPECT_EQ (guitarist.queue().at (1).time, 1);
}

TEST_F (Transcription, ResetPerformanceEmptiesTheQueueAndTheHeldKeys)
{
    guitarist.chordDetectionDelay = 1000;
    on (60);
    on (60);
    guitarist.resetPerformance();
    EXPECT_TRUE (guitarist.queue().empty());
    EXPECT_EQ (guitarist.heldKeyCount[60], 0);
}

namespace
{
/** The processor's Guitarist with its six strings. */
struct Playing : ::testing::Test
{
    TovalinPlugin plugin;

    void SetUp() override
    {
        plugin.setPlayConfigDetails (0, 2, 44100, 256);
        plugin.prepareToPlay (44100, 256);
    }

    void perString (int string, int fret, bool down = true)
    {
        const int note = OpenNote[string] + fret;
        inside (plugin).guitarist.handleNoteEvent (down
                                                       ? juce::MidiMessage::noteOn (string + 2, note, (juce::uint8) 100)
                                                       : juce::MidiMessage::noteOff (string + 2, note),
                                                   0);
    }

    StringVoice& voice (int s) { return *inside (plugin).voices[(size_t) s]; }
};
} // namespace

TEST_F (Playing, SustainKeepsReleasedStringsRingingUntilItGoesOff)
{
    inside (plugin).guitarist.setSustain (true);
    perString (2, 3);
    perString (2, 3, false);
    EXPECT_EQ (inside (plugin).fingering.note[2], -1) << "the fingering shows the string free";
    EXPECT_FALSE (voice (2).idle);
    EXPECT_FALSE (voice (2).damping) << "still ringing";
    inside (plugin).guitarist.setSustain (false);
    inside (plugin).guitarist.releaseOrphans();
    EXPECT_TRUE (voice (2).damping);
}

TEST_F (Playing, PalmAndHarmonicTouchesReachTheSoundingStrings)
{
    perString (0, 2);
    perString (3, 0);
    perString (5, 7);
    inside (plugin).guitarist.setPalm (true);
    for (int s = 0; s < StringCount; ++s)
        EXPECT_EQ (voice (s).touch.has_value(), s == 0 || s == 3 || s == 5) << s;
    EXPECT_EQ (voice (0).touch->kind, 0);
    perString (1, 4); // a new note while palm is on is touched too
    EXPECT_TRUE (voice (1).touch);

    inside (plugin).guitarist.setHarmonics (false); // not the current touch: nothing happens
    EXPECT_TRUE (voice (0).touch);
    inside (plugin).guitarist.setPalm (false);
    for (int s = 0; s < StringCount; ++s)
        EXPECT_FALSE (voice (s).touch) << s;

    inside (plugin).guitarist.setHarmonics (true);
    EXPECT_EQ (voice (5).touch->kind, 1);
    perString (5, 7, false);
    EXPECT_FALSE (voice (5).touch) << "a release lifts the touch";
}
