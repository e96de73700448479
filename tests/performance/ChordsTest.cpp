#include "engine/GuitarConstants.h"
#include "performance/ChordLibrary.h"
#include "performance/ChordShapes.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tools/chords/ChordSearch.h"

#include <gtest/gtest.h>

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

using namespace tovalin;

namespace
{
/** The processor's Guitarist with its strings; strums show in the Fingering (the
    first string, at once) and in the queue (the others, one step apart). */
struct Chords : ::testing::Test
{
    TovalinPlugin plugin;
    Guitarist& guitarist = inside (plugin).guitarist;
    Fingering& fingering = inside (plugin).fingering;

    void SetUp() override
    {
        plugin.setPreference ("chordsDetectionDelay", 0);
        plugin.setPlayConfigDetails (0, 2, 44100, 256);
        plugin.prepareToPlay (44100, 256);
    }

    void on (int note, int velocity = 100)
    {
        guitarist.handleNoteEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) velocity), 0);
    }
    void off (int note) { guitarist.handleNoteEvent (juce::MidiMessage::noteOff (1, note), 0); }
    void playDue()
    {
        int t = 0;
        while (guitarist.peekNextEventTime (t))
            guitarist.processDueEvent (t);
    }

    struct Strum
    {
        std::array<int, StringCount> fret{-1, -1, -1, -1, -1, -1};
        int first = -1;                          // the string struck at once
        std::array<int, StringCount> delay{};    // of the others, in samples
        std::array<int, StringCount> velocity{}; // of the others
        std::vector<int> order;                  // strings as queued
    };

    /** The strum that the last note-on started. */
    Strum strum() const
    {
        Strum s;
        for (int i = 0; i < StringCount; ++i)
            if (fingering.state[i] == StringState::Chord)
                s.fret[(size_t) i] = fingering.fret[i];
        const DelayedEventQueue& q = guitarist.queue();
        for (int k = 0; k < q.size(); ++k)
        {
            const DelayedEvent& e = q.at (k);
            s.fret[(size_t) e.string] = e.fret;
            s.delay[(size_t) e.string] = e.time;
            s.velocity[(size_t) e.string] = e.velocity;
            s.order.push_back (e.string);
        }
        // Of the chord strings, the one not waiting in the queue was struck at once.
        for (int i = 0; i < StringCount; ++i)
            if (fingering.state[i] == StringState::Chord &&
                std::find (s.order.begin(), s.order.end(), i) == s.order.end())
                s.first = i;
        return s;
    }
};
} // namespace

TEST_F (Chords, HeldNotesAreRecognisedNamedVoicedAndStrummed)
{
    struct Case
    {
        std::vector<int> notes;
        bool inversions;
        const char* name;
        std::array<int, StringCount> fret;
    };
    const Case cases[] = {
        {{52, 56, 59}, false, "E", {0, 2, 2, 1, 0, 0}},        {{60, 64, 67}, false, "C", {-1, 3, 2, 0, 1, 0}},
        {{55, 60, 64}, true, "C\\G", {3, 3, 2, 0, 1, 0}},      {{64, 67, 72}, true, "C", {8, 10, 10, 9, 8, 8}},
        {{57, 60, 64, 67}, false, "Am7", {-1, 0, 2, 0, 1, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE (c.name);
        guitarist.detectInversions = c.inversions;
        for (int n : c.notes)
            on (n);
        const Strum s = strum();
        EXPECT_EQ (fingering.getChordName(), c.name);
        EXPECT_EQ (s.fret, c.fret);
        // Downward: the lowest played string at once, the others in order, one step apart
        // (the spread is the preset's "Strumming speed").
        int n = 0;
        for (int f : c.fret)
            n += f != -1 ? 1 : 0;
        const int step = (int) std::lround (inside (plugin).stringParams[0].strumSamples / (double) (n - 1));
        int j = 0;
        for (int i = 0; i < StringCount; ++i)
            if (c.fret[(size_t) i] != -1)
            {
                if (j == 0)
                    EXPECT_EQ (s.first, i);
                else
                    EXPECT_EQ (s.delay[(size_t) i], j * step) << "string " << i;
                ++j;
            }
        for (int n : c.notes)
            off (n);
        playDue();
        inside (plugin).guitarist.resetPerformance();
        fingering.reset();
    }
}

TEST_F (Chords, GroupsThatFormNoChordPlayAsSingleNotes)
{
    for (const std::vector<int>& notes :
         {std::vector<int>{48, 52, 55}, std::vector<int>{76, 80, 83}, std::vector<int>{51, 55, 58}})
    {
        for (bool inversions : {false, true})
        {
            guitarist.detectInversions = inversions;
            for (int n : notes)
                on (n);
            EXPECT_EQ (guitarist.chords().currentRoot, -1) << notes[0];
            EXPECT_EQ (fingering.getChordName(), "");
            for (int k = 0; k < guitarist.queue().size(); ++k)
                EXPECT_EQ (guitarist.queue().at (k).type, (int) StringState::Single);
            for (int n : notes)
                off (n);
            guitarist.resetPerformance();
            fingering.reset();
        }
    }
    // Without inversion detection the lower G keeps C from being found.
    guitarist.detectInversions = false;
    for (int n : {55, 60, 64})
        on (n);
    EXPECT_EQ (guitarist.chords().currentRoot, -1);
}

TEST_F (Chords, TheSpreadFollowsTheStrummingSpeed)
{
    for (auto [speed, samples, step] : {std::tuple (1.0f, 882, 176), {0.5f, 1764, 353}, {0.0f, 2646, 529}})
    {
        SoundControls c = plugin.currentSoundControls();
        c.strummingSpeed = speed;
        StringParams p;
        recomputeParams (p, c, inside (plugin).stringPreferences(), nullptr);
        EXPECT_EQ (p.strumSamples, samples);
        inside (plugin).stringParams[0].strumSamples = p.strumSamples;

        for (int n : {52, 56, 59})
            on (n);
        EXPECT_EQ (strum().delay[5], 5 * step) << speed;
        for (int n : {52, 56, 59})
            off (n);
        guitarist.resetPerformance();
        fingering.reset();
    }
}

TEST_F (Chords, RestrumsAccentTheStringsByVelocityAndDirection)
{
    for (int n : {52, 56, 59})
        on (n);
    playDue();

    // A soft restrum downward accents the middle strings only.
    guitarist.chords().restrumDown (63);
    Strum s = strum();
    EXPECT_EQ (s.first, 0);
    EXPECT_EQ (s.order, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ (s.velocity, (std::array<int, StringCount>{0, 0, 0, 50, 50, 0}));
    playDue();

    // Upward and hard: every string, the first at full strength, the rest at 0.9, 0.8...
    guitarist.chords().restrumUp (120);
    s = strum();
    EXPECT_EQ (s.first, 5);
    EXPECT_EQ (s.order, (std::vector<int>{4, 3, 2, 1, 0}));
    EXPECT_EQ (s.velocity, (std::array<int, StringCount>{96, 96, 96, 96, 107, 0}))
        << "0.9 in single precision, truncated";
    playDue();

    // Striking a chord note again: the second-lowest strums up, any other down.
    off (52);
    off (59);
    EXPECT_EQ (guitarist.chords().currentRoot, 52) << "the chord rings while a key is held";
    on (56);
    EXPECT_EQ (strum().first, 5);
    playDue();
    on (52);
    EXPECT_EQ (strum().first, 0);
}

TEST_F (Chords, ReleasingTheLastKeyReleasesTheChord)
{
    for (bool sustain : {false, true})
    {
        guitarist.setSustain (sustain);
        for (int n : {52, 56, 59})
            on (n);
        off (56); // before the strum has finished: the queue still holds strings
        off (52);
        EXPECT_EQ (guitarist.chords().currentRoot, 52);
        EXPECT_FALSE (guitarist.queue().empty());
        off (59);
        EXPECT_EQ (guitarist.chords().currentRoot, -1);
        EXPECT_EQ (fingering.getChordName(), "");
        EXPECT_TRUE (guitarist.queue().empty());
        EXPECT_EQ (fingering.state[0], sustain ? StringState::Sustained : StringState::Free);
        EXPECT_EQ (fingering.fret[0], -1);
        EXPECT_EQ ((bool) inside (plugin).voices[0]->damping, ! sustain) << "sustain keeps it ringing";

        // The next strum ends what sustain kept.
        for (int n : {52, 56, 59})
            on (n);
        EXPECT_EQ (fingering.state[0], StringState::Chord);
        for (int n : {52, 56, 59})
            off (n);
        guitarist.setSustain (false);
        guitarist.resetPerformance();
        fingering.reset();
    }
}

TEST_F (Chords, ANoteAlreadySoundingIsTakenIntoTheStrum)
{
    on (64); // a single note first
    playDue();
    int string = -1;
    for (int s = 0; s < StringCount; ++s)
        if (fingering.note[s] == 64)
            string = s;
    ASSERT_EQ (string, 2);
    ASSERT_EQ (fingering.state[2], StringState::Single);
    on (60); // still a single note, waiting in the queue
    on (67); // C major
    EXPECT_EQ (fingering.getChordName(), "C");
    EXPECT_EQ (fingering.state[2], StringState::Free) << "released at the start of the strum";
    EXPECT_TRUE (inside (plugin).voices[2]->damping);
    const Strum s = strum();
    EXPECT_EQ (s.fret[2], 2) << "and played again as a chord string";
    for (int k = 0; k < guitarist.queue().size(); ++k)
        EXPECT_NE (guitarist.queue().at (k).type, (int) StringState::Single) << "the waiting single note is dropped";
}

TEST_F (Chords, StrumHoldSetsTheDirectionOfNewChords)
{
    guitarist.chords().setStrumHold (TranscriptionChordsMode::StrumHold::Up, true, 100);
    for (int n : {60, 64, 67})
        on (n);
    EXPECT_EQ (strum().first, 5) << "held up: the new chord strums upward";
    guitarist.chords().setStrumHold (TranscriptionChordsMode::StrumHold::Down, false, 100);
    EXPECT_EQ (guitarist.chords().strumHold, TranscriptionChordsMode::StrumHold::Up) << "another key's release";
    guitarist.chords().setStrumHold (TranscriptionChordsMode::StrumHold::Up, false, 100);
    EXPECT_EQ (guitarist.chords().strumHold, TranscriptionChordsMode::StrumHold::None);
}

// Every entry of the library, whatever found it: a voicing a hand can play, named as
// the chord reads. The searched ones also sound only the chord's notes, hold all that
// its name promises, and mute only edge strings.
TEST (ChordLibrary, EveryVoicingIsPlayableAndSoundsItsChord)
{
    const ChordLibrary library;
    int searched = 0;
    for (int root = 52; root <= 75; ++root)
        for (int mask : ChordShapeMasks)
            EXPECT_TRUE (library.contains (root, mask)) << root << " " << std::hex << mask;
    for (const ChordLibrary::Entry& e : library.entries())
    {
        SCOPED_TRACE (std::to_string (e.root) + " " + e.voicing.name);
        EXPECT_EQ (std::string (e.voicing.name), nameChord (e.root, e.mask, {}));
        const chords::VoicingCheck c = chords::checkVoicing (e.root, e.mask, e.voicing.fret);
        EXPECT_TRUE (c.inRange);
        EXPECT_TRUE (c.reachable);
        for (int s = 0; s < StringCount; ++s)
            EXPECT_EQ (e.voicing.kind[s], e.voicing.fret[s] == -1 ? 3 : 0);
        bool fixed = false;
        for (const ChordRow& r : FixedChordRows)
            fixed = fixed || (r.root == e.root && r.mask == e.mask);
        if (fixed)
            continue;
        ++searched;
        EXPECT_TRUE (c.fingered);
        EXPECT_TRUE (c.inChord);
        EXPECT_TRUE (c.complete);
        EXPECT_TRUE (c.contiguous);
        EXPECT_TRUE (c.rootInBass);
        EXPECT_GE (c.played, 3);
    }
    EXPECT_GT (searched, 900);
    EXPECT_TRUE (library.lookup (40, 0x91).noChord);
}
