#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace tovalin;
using P = ParameterTable;

namespace
{
struct Parameters : ::testing::Test
{
    TovalinPlugin plugin;
    Param& param (int id) { return inside (plugin).parameters.get (id); }
};

/** What the host is told. */
struct HostRecorder : juce::AudioProcessorListener
{
    std::vector<std::pair<int, float>> changes;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        changes.emplace_back (index, value);
    }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
};
} // namespace

TEST_F (Parameters, TwentyTwoInTheirOrderWithTheirDefaults)
{
    ASSERT_EQ (plugin.getParameters().size(), 22);
    EXPECT_EQ (plugin.getParameters()[4]->getName (100), juce::String ("Volume"));
    EXPECT_EQ (inside (plugin).parameters.allNames[0], juce::String ("Volume"));
    EXPECT_EQ (inside (plugin).parameters.allNames[14], juce::String ("Guitar type"));
    EXPECT_EQ (inside (plugin).parameters.listedNames.size(), 18);
    EXPECT_EQ (inside (plugin).parameters.listedNames[17], juce::String ("Toggle sustain"));
    EXPECT_FLOAT_EQ (param (P::RoomType).value, 0.6f);
    EXPECT_EQ (param (P::RoomType).getText(), juce::String ("Medium 2"));
    EXPECT_EQ (param (P::ToggleChords).getText(), juce::String ("On"));
    EXPECT_FLOAT_EQ (param (P::PitchBend).neutralValue, 0.5f);
    EXPECT_TRUE (plugin.getParameters()[13]->isMetaParameter());
    EXPECT_FALSE (plugin.getParameters()[15]->isMetaParameter());
    int id = -1;
    EXPECT_TRUE (inside (plugin).parameters.findId ("Twang", id));
    EXPECT_EQ (id, 21);
}

TEST_F (Parameters, OnlyChangesOfMoreThanOneIn128Count)
{
    plugin.setParameter (P::Color, 0.5f); // the reference, whatever the first preset set
    ASSERT_FLOAT_EQ (param (P::Color).lastFiredValue, 0.5f);
    plugin.setParameter (P::Color, 0.505f);
    EXPECT_FLOAT_EQ (param (P::Color).value, 0.505f) << "stored";
    EXPECT_FLOAT_EQ (param (P::Color).lastFiredValue, 0.5f) << "but nothing triggered";
    plugin.setParameter (P::Color, 0.51f);
    EXPECT_FLOAT_EQ (param (P::Color).lastFiredValue, 0.51f) << "the new reference";
    EXPECT_TRUE (inside (plugin).precomputationThread.isRecomputePending());
}

TEST_F (Parameters, StepsRoundAndNameTheirChoices)
{
    struct Case
    {
        int id;
        float value;
        const char* text;
    };
    for (const Case c : {Case{P::GuitarType, 0.06f, "Corvan's Classical"}, Case{P::GuitarType, 1.0f, "Vastro's Gypsy"},
                         Case{P::GuitarType, 0.5f, "Tamsk's Folk"}, Case{P::RoomType, 0.65f, "Medium 2"},
                         Case{P::StringType, 0.7f, "Steel"}})
    {
        plugin.setParameter (c.id, c.value);
        EXPECT_EQ (param (c.id).getText(), juce::String (c.text)) << c.value;
        EXPECT_FLOAT_EQ (plugin.getParameters()[c.id]->getValue(), c.value);
    }
    EXPECT_FALSE (param (P::RoomType).hasChangedEnough (0.62f)) << "the same step";
    EXPECT_FLOAT_EQ (param (P::RoomType).valueForText ("Large 2"), 1.0f);
    EXPECT_FLOAT_EQ (param (P::RoomType).valueForText ("large 2"), 0.0f) << "exact names only";
    EXPECT_FLOAT_EQ (param (P::ToggleChords).valueForText ("maybe"), 1.0f) << "a toggle's default";
}

TEST_F (Parameters, AForcedToggleReadsOnUntilAnotherValueArrives)
{
    Param& palm = param (P::TogglePalm);
    {
        const juce::ScopedLock pl (inside (plugin).parameters.parameterLock);
        palm.forced = true;
        palm.forcePending = true;
    }
    plugin.setParameterNotifyingHost (P::TogglePalm, palm.getForcedValue());
    EXPECT_FLOAT_EQ (palm.value, 0.9888f);
    EXPECT_EQ (palm.getText(), juce::String ("On"));
    EXPECT_TRUE (palm.forced);
    plugin.setParameterNotifyingHost (P::TogglePalm, 1.0f);
    EXPECT_FALSE (palm.forced);
    EXPECT_FLOAT_EQ (palm.value, 1.0f);
}

TEST_F (Parameters, PalmAndHarmonicsSwitchEachOtherOffAsTheHostSees)
{
    HostRecorder host;
    plugin.addListener (&host);
    plugin.setParameterNotifyingHost (P::ToggleHarmonics, 1.0f);
    plugin.setParameterNotifyingHost (P::TogglePalm, 1.0f);
    EXPECT_FLOAT_EQ (param (P::ToggleHarmonics).value, 0.0f);
    EXPECT_FLOAT_EQ (param (P::TogglePalm).value, 1.0f);
    const auto harmonicsOff = std::find (host.changes.begin(), host.changes.end(), std::make_pair (13, 0.0f));
    EXPECT_NE (harmonicsOff, host.changes.end()) << "the host is told that harmonics went off";
    EXPECT_EQ (inside (plugin).guitarist.touchMode, Guitarist::TouchMode::Palm);

    plugin.setParameterNotifyingHost (P::TogglePalm, 0.0f);
    EXPECT_FLOAT_EQ (param (P::ToggleHarmonics).value, 0.0f) << "switching one off leaves the other";
    EXPECT_EQ (inside (plugin).guitarist.touchMode, Guitarist::TouchMode::None);
    plugin.removeListener (&host);
}

TEST_F (Parameters, ReadParametersSkipsWhatItCannotUse)
{
    juce::XmlElement preset ("Preset");
    auto add = [&preset] (const char* id, const char* value, const char* forced = nullptr)
    {
        auto* e = preset.createNewChildElement ("Parameter");
        if (id != nullptr)
            e->setAttribute ("id", id);
        if (value != nullptr)
            e->setAttribute ("value", value);
        if (forced != nullptr)
            e->setAttribute ("auto", forced);
    };
    add ("30", "0.9");
    add ("6", nullptr);
    add (nullptr, "0.9");
    add ("21", "0.25");
    add ("15", "0.9888", "1");
    preset.createNewChildElement ("Other")->setAttribute ("id", 6);
    const float colour = param (P::Color).value;
    plugin.readParameters (preset);
    EXPECT_FLOAT_EQ (param (P::Color).value, colour);
    EXPECT_FLOAT_EQ (param (P::Twang).value, 0.25f);
    EXPECT_TRUE (param (P::ToggleLegato).forced);
    EXPECT_TRUE (inside (plugin).guitarist.legato);

    juce::XmlElement written ("Preset");
    inside (plugin).parameters.writeParameters (written);
    ASSERT_EQ (written.getNumChildElements(), 22);
    EXPECT_EQ (written.getChildElement (21)->getStringAttribute ("title"), juce::String ("Twang"));
    EXPECT_EQ (written.getChildElement (15)->getIntAttribute ("auto"), 1);
}

TEST_F (Parameters, ChangesWhileRestoringStateRequestNoRecompute)
{
    inside (plugin).restoringState = true;
    plugin.setParameter (P::Impedance, 0.9f);
    plugin.setParameter (P::GuitarType, 1.0f);
    EXPECT_FALSE (inside (plugin).precomputationThread.isRecomputePending());
    EXPECT_FLOAT_EQ (param (P::Impedance).value, 0.9f);
    inside (plugin).restoringState = false;
    plugin.setParameter (P::GuitarType, 0.0f);
    EXPECT_TRUE (inside (plugin).precomputationThread.isRecomputePending()) << "a new guitar brings a new admittance";
}

TEST_F (Parameters, SideEffectsReachTheStrings)
{
    plugin.setPlayConfigDetails (0, 2, 44100, 256);
    plugin.prepareToPlay (44100, 256);
    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (4, 69, (juce::uint8) 100), 0); // string 2, fret 7
    {
        const juce::ScopedLock sl (plugin.getCallbackLock());
        plugin.processBlock (buffer, midi);
    }
    StringVoice& voice = *inside (plugin).voices[2];
    const auto block = [&] (juce::MidiBuffer events)
    {
        const juce::ScopedLock sl (plugin.getCallbackLock());
        plugin.processBlock (buffer, events);
    };
    const juce::MidiBuffer none;

    // A playing change from outside the audio thread lands at the start of the next
    // block, while the host already sees the new value.
    plugin.setParameterNotifyingHost (P::Volume, 0.9f);
    EXPECT_FLOAT_EQ (plugin.getParameters()[P::Volume]->getValue(), 0.9f);
    EXPECT_FALSE (voice.gainFading);
    block (none);
    EXPECT_TRUE (voice.gainFading) << "the sounding string glides to its new level";
    EXPECT_NEAR (inside (plugin).stringParams[2].volumeFactor, std::exp (0.4f * 2.4f), 1e-5);

    plugin.setParameterNotifyingHost (P::PitchBend, 1.0f);
    block (none); // the bend reaches the mover at the start of the next run
    EXPECT_TRUE (inside (plugin).liveModels[2]->fretMover.bending);
    EXPECT_GT (inside (plugin).liveModels[2]->fretMover.bendTarget, 0.0f);

    plugin.setParameterNotifyingHost (P::ExcitationType, 1.0f);
    EXPECT_FLOAT_EQ (inside (plugin).velocityMapper.excitation().gestures[0].mass,
                     ExcitationEndpoints::pickSoftGesture.mass);

    // Sustain: a released note rings on, and switching sustain off ends it.
    plugin.setParameterNotifyingHost (P::ToggleSustain, 1.0f);
    juce::MidiBuffer off;
    off.addEvent (juce::MidiMessage::noteOff (4, 69), 0);
    block (off);
    EXPECT_FALSE (voice.damping);
    plugin.setParameterNotifyingHost (P::ToggleSustain, 0.0f);
    block (none);
    EXPECT_TRUE (voice.damping);
}

// While another thread holds the callback lock (as a block does), a volume or toggle
// change made elsewhere returns at once and takes effect in the next block: the
// audio thread never waits on a thread that may lose its core holding that lock.
TEST_F (Parameters, PlayingChangesNeverWaitForTheCallbackLock)
{
    plugin.setPlayConfigDetails (0, 2, 44100, 256);
    plugin.prepareToPlay (44100, 256);
    std::atomic<bool> held{false}, release{false}, gaveUp{false};
    std::thread blockHolder (
        [&]
        {
            // Held until the changes have returned, or for two seconds at most.
            const juce::ScopedLock sl (plugin.getCallbackLock());
            held = true;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds (2);
            while (! release && ! gaveUp)
                gaveUp = std::chrono::steady_clock::now() > until;
        });
    while (! held)
        std::this_thread::yield();
    plugin.setParameterNotifyingHost (P::TogglePalm, 1.0f);
    plugin.setParameterNotifyingHost (P::ToggleHarmonics, 1.0f); // switches palm off
    plugin.setParameterNotifyingHost (P::Volume, 0.2f);
    release = true;
    blockHolder.join();
    EXPECT_FALSE (gaveUp) << "the changes waited for the callback lock";
    EXPECT_EQ (inside (plugin).guitarist.touchMode, Guitarist::TouchMode::None) << "not before the next block";
    const float volumeBefore = inside (plugin).stringParams[0].volumeFactor;

    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer none;
    {
        const juce::ScopedLock sl (plugin.getCallbackLock());
        plugin.processBlock (buffer, none);
    }
    EXPECT_EQ (inside (plugin).guitarist.touchMode, Guitarist::TouchMode::Harmonics) << "the one switched on last wins";
    EXPECT_FLOAT_EQ (plugin.getParameters()[P::TogglePalm]->getValue(), 0.0f);
    TovalinPlugin unprepared; // no blocks run: applied at once
    unprepared.setParameterNotifyingHost (P::Volume, 0.2f);
    EXPECT_NE (volumeBefore, inside (plugin).stringParams[0].volumeFactor);
    EXPECT_FLOAT_EQ (inside (plugin).stringParams[0].volumeFactor, inside (unprepared).stringParams[0].volumeFactor);
}
