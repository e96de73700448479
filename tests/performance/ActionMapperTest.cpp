#include "performance/ActionMapper2.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tests/TemporaryHome.h"

#include <gtest/gtest.h>

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <thread>

using namespace tovalin;
using P = ParameterTable;
using State = ActionMapper2::LearnState;

namespace
{
struct Mapping : ::testing::Test
{
    TovalinPlugin plugin;
    ActionMapper2& mapper = inside (plugin).actionMapper;

    float value (int id) const { return inside (plugin).parameters.get (id).value; }
    bool cc (int number, int v) { return mapper.dispatch (juce::MidiMessage::controllerEvent (1, number, v)); }
    bool key (int note, bool down, int velocity = 100)
    {
        return mapper.dispatch (down ? juce::MidiMessage::noteOn (1, note, (juce::uint8) velocity)
                                     : juce::MidiMessage::noteOff (1, note));
    }
};

/** The order in which the host hears of parameter changes. */
struct ChangeRecorder : juce::AudioProcessorListener
{
    std::vector<int> ids;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { ids.push_back (index); }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
};
} // namespace

TEST_F (Mapping, TheDefaultSetDrivesVibratoModesAndBend)
{
    EXPECT_TRUE (cc (1, 64));
    EXPECT_FLOAT_EQ (value (P::VibratoFrequency), 64.0f / 127.0f);

    // Key 48 holds palm muting on.
    EXPECT_TRUE (key (48, true));
    EXPECT_EQ (value (P::TogglePalm), 1.0f);
    EXPECT_TRUE (key (48, false));
    EXPECT_EQ (value (P::TogglePalm), 0.0f);

    // Key 51 latches chord detection over; its release does nothing.
    const float before = value (P::ToggleChords);
    key (51, true);
    EXPECT_EQ (value (P::ToggleChords), before < 0.5f ? 1.0f : 0.0f);
    key (51, false);
    EXPECT_EQ (value (P::ToggleChords), before < 0.5f ? 1.0f : 0.0f);

    EXPECT_TRUE (mapper.dispatch (juce::MidiMessage::pitchWheel (1, 8192)));
    EXPECT_FLOAT_EQ (value (P::PitchBend), 63.0f / 127.0f);

    // Mapped notes are consumed; the others go on to the Guitarist.
    EXPECT_FALSE (key (60, true));
    EXPECT_FALSE (cc (64, 127));
    EXPECT_FALSE (mapper.dispatch (juce::MidiMessage::programChange (1, 3)));
}

TEST_F (Mapping, ActionsAnswerToTheirSourcesOnly)
{
    // A toggle on a controller does nothing, yet consumes the event.
    mapper.addMapping (20, mapper.createAction ("Toggle sustain"), true);
    const float sustain = value (P::ToggleSustain);
    EXPECT_TRUE (cc (20, 127));
    EXPECT_EQ (value (P::ToggleSustain), sustain);

    // A key on "Set Parameter" sets velocity / 127 on the press, ignores the release.
    mapper.addMapping (128 + 40, mapper.createAction ("Set Parameter"), true); // Volume
    key (40, true, 90);
    EXPECT_FLOAT_EQ (value (P::Volume), 90.0f / 127.0f);
    key (40, false);
    EXPECT_FLOAT_EQ (value (P::Volume), 90.0f / 127.0f);

    // Two actions on one source run in the order they were added.
    auto colour = mapper.createAction ("Set Parameter");
    colour->setTarget ("Color");
    mapper.addMapping (21, std::move (colour), true);
    mapper.addMapping (21, mapper.createAction ("Set Parameter"), true);
    ChangeRecorder recorder;
    plugin.addListener (&recorder);
    cc (21, 10);
    plugin.removeListener (&recorder);
    EXPECT_EQ (recorder.ids, (std::vector<int>{P::Color, P::Volume}));
}

TEST_F (Mapping, StrumKeysRestrumAndHoldTheDirection)
{
    plugin.setPreference ("chordsDetectionDelay", 0);
    plugin.setPlayConfigDetails (0, 2, 44100, 256);
    plugin.prepareToPlay (44100, 256);
    mapper.addMapping (128 + 40, mapper.createAction ("Strum up"), true);
    for (int n : {52, 56, 59})
        inside (plugin).guitarist.handleNoteEvent (juce::MidiMessage::noteOn (1, n, (juce::uint8) 100), 0);
    int t = 0;
    while (inside (plugin).guitarist.peekNextEventTime (t))
        inside (plugin).guitarist.processDueEvent (t);

    key (40, true);
    EXPECT_EQ (inside (plugin).guitarist.chords().strumHold, TranscriptionChordsMode::StrumHold::Up);
    ASSERT_EQ (inside (plugin).guitarist.queue().size(), 5);
    EXPECT_EQ (inside (plugin).guitarist.queue().at (0).string, 4) << "upward: string 5 at once, then 4";
    key (40, false);
    EXPECT_EQ (inside (plugin).guitarist.chords().strumHold, TranscriptionChordsMode::StrumHold::None);
}

TEST_F (Mapping, LoadPresetRunsOffTheAudioThread)
{
    auto load = mapper.createAction ("Load Preset");
    load->setTarget ("Heavy");
    EXPECT_EQ (load->getTarget(), juce::String ("Heavy"));
    mapper.addMapping (22, std::move (load), true);
    EXPECT_TRUE (cc (22, 1));
    EXPECT_NE (inside (plugin).presetLibrary->getCurrentName(), juce::String ("Heavy")) << "only asked for";
    inside (plugin).deferredPresetLoad.runPending();
    EXPECT_EQ (inside (plugin).presetLibrary->getCurrentName(), juce::String ("Heavy"));

    auto gone = mapper.createAction ("Load Preset");
    gone->setTarget ("No such preset");
    EXPECT_EQ (gone->getTarget(), juce::String ("No such preset (missing)"));
    gone->setTarget ("No such preset (missing)");
    EXPECT_EQ (gone->getTarget(), juce::String ("No such preset (missing)"));
}

TEST_F (Mapping, AftertouchBendsUpwardWhileAStringHoldsANote)
{
    plugin.setPreference ("bendOnAftertouch", 1);
    EXPECT_FALSE (mapper.dispatch (juce::MidiMessage::channelPressureChange (1, 127)));
    EXPECT_FLOAT_EQ (value (P::PitchBend), 0.5f) << "nothing held";
    inside (plugin).fingering.setString (2, 64, 2, StringState::Single);
    mapper.dispatch (juce::MidiMessage::aftertouchChange (1, 64, 127));
    EXPECT_FLOAT_EQ (value (P::PitchBend), 1.0f);
    mapper.dispatch (juce::MidiMessage::channelPressureChange (1, 0));
    EXPECT_FLOAT_EQ (value (P::PitchBend), 0.5f);
}

TEST_F (Mapping, LearnWaitsForTheRightKindOfSourceAndResolvesConflicts)
{
    mapper.startLearn (mapper.createAction ("Toggle palm"), true);
    EXPECT_EQ (mapper.learnState(), State::Listening);
    EXPECT_TRUE (cc (5, 3)) << "captured, not performed";
    EXPECT_EQ (mapper.learnState(), State::NeedKey);
    EXPECT_EQ (mapper.learnedControllerName(), mapper.controllerNames[5]);
    EXPECT_TRUE (key (60, true)) << "still listening: the key maps";
    EXPECT_EQ (mapper.learnState(), State::Mapped);
    ASSERT_EQ (mapper.mappingsOf (188).size(), 1u);
    EXPECT_EQ (mapper.mappingsOf (188)[0]->getName(), juce::String ("Toggle palm"));
    EXPECT_TRUE (mapper.changed);

    // The modulation wheel already drives the vibrato.
    for (bool replace : {false, true})
    {
        mapper.startLearn (mapper.createAction ("Pitch bend"), false);
        cc (1, 0);
        EXPECT_EQ (mapper.learnState(), State::Conflict);
        EXPECT_EQ (mapper.existingMappings().size(), replace ? 2 : 1);
        if (replace)
            mapper.resolveReplace();
        else
            mapper.resolveAdd();
        EXPECT_EQ (mapper.learnState(), State::Idle);
    }
    ASSERT_EQ (mapper.mappingsOf (1).size(), 1u) << "overwritten: only the new one";
    EXPECT_EQ (mapper.mappingsOf (1)[0]->getName(), juce::String ("Pitch bend"));

    // A controller action offered a key.
    mapper.startLearn (mapper.createAction ("Vibrato"), false);
    key (70, true);
    EXPECT_EQ (mapper.learnState(), State::NeedController);
    mapper.cancelLearn();
    EXPECT_EQ (mapper.learnState(), State::Idle);
    EXPECT_FALSE (key (70, true)) << "learning over: the note plays";
}

TEST_F (Mapping, DirectMappingAndEdits)
{
    mapper.mapDirect (30, mapper.createAction ("Vibrato"));
    EXPECT_EQ (mapper.learnState(), State::Mapped);
    mapper.mapDirect (30, mapper.createAction ("Pitch bend"));
    EXPECT_EQ (mapper.learnState(), State::Conflict) << "kept pending";
    EXPECT_EQ (mapper.mappingsOf (30).size(), 1u);
    mapper.cancelLearn();

    const juce::String cc30 = mapper.controllerNames[30];
    EXPECT_TRUE (mapper.moveMapping (cc30, "Vibrato", "", "Pitch Bend", false));
    EXPECT_TRUE (mapper.mappingsOf (30).empty());
    EXPECT_EQ (mapper.mappingsOf (256).size(), 2u);
    EXPECT_FALSE (mapper.moveMapping ("Nowhere", "Vibrato", "", "Pitch Bend", false));
    EXPECT_FALSE (mapper.removeMapping (cc30, "Vibrato", ""));

    mapper.addUnassignedMapping();
    ASSERT_EQ (mapper.mappingsOf (257).size(), 1u);
    EXPECT_TRUE (mapper.setMappingTarget ("None", "Set Parameter", "Volume", "Twang"));
    EXPECT_EQ (mapper.mappingsOf (257)[0]->getTarget(), juce::String ("Twang"));
    EXPECT_EQ (mapper.getMappingHelp ("None", "Set Parameter", "Twang"),
               juce::String ("Move the controller to change the value of the parameter."));
    EXPECT_TRUE (mapper.getChoicesForType ("Set Parameter").contains ("Volume"));
    EXPECT_TRUE (mapper.getChoicesForType ("Strum up").isEmpty());
    EXPECT_TRUE (mapper.getChoicesForType ("No kind").isEmpty());

    // Removing the bend returns "Pitch Bend" to its centre.
    plugin.setParameterNotifyingHost (P::PitchBend, 0.8f);
    EXPECT_TRUE (mapper.removeMapping ("Pitch Bend", "Pitch bend", ""));
    EXPECT_FLOAT_EQ (value (P::PitchBend), 0.5f);

    mapper.clearMappings();
    for (int id = 0; id < ControllerIdCount; ++id)
        ASSERT_TRUE (mapper.mappingsOf (id).empty());
}

TEST_F (Mapping, MappingsAreReadAsWrittenAndBadEntriesSkipped)
{
    juce::XmlElement written ("Action");
    mapper.writeMappings (written);
    ASSERT_EQ (written.getNumChildElements(), 7);
    const auto* first = written.getChildElement (0);
    EXPECT_EQ (first->getStringAttribute ("controllerName"), juce::String ("Modulation Wheel (coarse)"));
    EXPECT_EQ (first->getStringAttribute ("type"), juce::String ("Vibrato"));
    EXPECT_EQ (written.getChildElement (1)->getStringAttribute ("controllerName"), juce::String ("B2"));
    EXPECT_EQ (written.getChildElement (3)->getStringAttribute ("controllerName"), juce::String ("C#3"));

    juce::XmlElement odd ("Action");
    auto addRow = [&odd] (const char* id, const char* type)
    {
        auto* e = odd.createNewChildElement ("ActionMapping");
        if (id != nullptr)
            e->setAttribute ("controllerId", id);
        if (type != nullptr)
            e->setAttribute ("type", type);
    };
    addRow ("40", "Toggle Legato"); // letter case differs from the prototype's name
    addRow ("300", "Vibrato");
    addRow ("41", nullptr);
    addRow (nullptr, "Vibrato");
    addRow ("42", "Toggle legato");
    mapper.changed = false;
    mapper.readMappings (odd);
    EXPECT_TRUE (mapper.changed);
    int total = 0;
    for (int id = 0; id < ControllerIdCount; ++id)
        total += (int) mapper.mappingsOf (id).size();
    EXPECT_EQ (total, 1);
    EXPECT_EQ (mapper.mappingsOf (42).size(), 1u);

    mapper.readMappings (written);
    juce::XmlElement again ("Action");
    mapper.writeMappings (again);
    EXPECT_TRUE (again.isEquivalentTo (&written, false));
}

// The editor changes the table while the audio thread dispatches (as processBlock
// does, under the callback lock): no edit may overlap a dispatch.
TEST_F (Mapping, EditsWhileDispatchingAreSafe)
{
    std::atomic<bool> stop{false};
    std::thread audio (
        [&]
        {
            while (! stop)
            {
                const juce::ScopedLock sl (plugin.getCallbackLock());
                cc (1, 30);
                key (48, true);
                key (48, false);
                cc (7, 90);
            }
        });
    for (int i = 0; i < 200; ++i)
    {
        auto volume = mapper.createAction ("Set Parameter");
        mapper.addMapping (7, std::move (volume), true);
        mapper.removeMapping ("Volume (coarse)", "Set Parameter", "Volume");
        if (i % 20 == 0)
            mapper.readMappings (*ActionMapper2::defaultSet());
        mapper.startLearn (mapper.createAction ("Vibrato"), false);
        mapper.cancelLearn();
    }
    stop = true;
    audio.join();
    EXPECT_EQ (mapper.mappingsOf (1).size(), 1u);
}

TEST_F (Mapping, SourcesAreNamedAndOfferedInTheEditorsMenus)
{
    for (int id = 0; id < 128; ++id)
    {
        const char* standard = juce::MidiMessage::getControllerName (id);
        EXPECT_EQ (mapper.controllerNames[id],
                   standard != nullptr ? juce::String (standard) : "Controller " + juce::String (id));
    }
    EXPECT_EQ (mapper.controllerNames[128 + 60], juce::String ("C4"));
    EXPECT_EQ (mapper.controllerNames[256], juce::String ("Pitch Bend"));
    EXPECT_EQ (mapper.controllerNames[257], juce::String ("None"));
    EXPECT_EQ (mapper.actionTypeNames.size(), 12);
    EXPECT_EQ (mapper.actionTypeNames[9], juce::String ("Toggle chords detection"));
    EXPECT_TRUE (mapper.prototypeIsKey[4]) << "Strum up";
    EXPECT_FALSE (mapper.prototypeIsKey[3]) << "Vibrato";

    const auto controllers = mapper.controllerMenu();
    EXPECT_EQ (controllers.submenuTitle, juce::String ("Map to controller"));
    ASSERT_EQ (controllers.submenuItems.size(), 128u);
    EXPECT_EQ (controllers.submenuItems[1].first, 2);
    ASSERT_EQ (controllers.items.size(), 2u);
    EXPECT_EQ (controllers.items[0], (std::pair<int, juce::String> (257, "Map to pitch bend")));
    EXPECT_EQ (controllers.items[1], (std::pair<int, juce::String> (641, "Map using MIDI learn")));
    const auto keys = mapper.keyMenu();
    ASSERT_EQ (keys.submenuItems.size(), 128u);
    EXPECT_EQ (keys.submenuItems[0], (std::pair<int, juce::String> (129, "C-1")));
    EXPECT_EQ (keys.items.size(), 1u);
}

namespace
{
/** A processor with a home folder of its own, for the user's mapping sets. */
struct MappingSets : ::testing::Test
{
    TemporaryHome home;
};
} // namespace

// The sets live in actions.tvc: "Default" built in, the user's saved beside it; the
// state names the current set and whether the table differs from it.
TEST_F (MappingSets, SetsAreSavedSelectedAndNamedInTheState)
{
    TovalinPlugin plugin;
    GenericPresetLibrary& sets = *inside (plugin).actionLibrary;
    EXPECT_EQ (sets.getNames(), juce::StringArray ("Default"));
    EXPECT_EQ (sets.getCurrentName(), juce::String ("Default"));
    EXPECT_FALSE (sets.isModified());

    inside (plugin).actionMapper.addMapping (20, inside (plugin).actionMapper.createAction ("Strum down"), true);
    EXPECT_TRUE (sets.isModified()) << "an edit marks the set";
    sets.save ("Strums", "");
    EXPECT_TRUE (home.userFile ("actions.tvc").existsAsFile());

    sets.selectByName ("Default");
    EXPECT_TRUE (inside (plugin).actionMapper.mappingsOf (20).empty());
    const juce::String saved = sets.getNames()[1];
    sets.selectByName (saved);
    ASSERT_EQ (inside (plugin).actionMapper.mappingsOf (20).size(), 1u);

    // A learnt mapping marks the set too, once the message thread looks.
    inside (plugin).actionMapper.startLearn (inside (plugin).actionMapper.createAction ("Vibrato"), false);
    inside (plugin).actionMapper.dispatch (juce::MidiMessage::controllerEvent (1, 21, 5));
    juce::MemoryBlock chunk;
    plugin.getStateInformation (chunk);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.getData(), (int) chunk.getSize());
    const auto* current = xml->getChildByName ("currentActionsPreset");
    EXPECT_EQ (current->getStringAttribute ("name"), saved);
    EXPECT_EQ (current->getIntAttribute ("um"), 1);

    TovalinPlugin other; // another instance sees the saved set
    EXPECT_TRUE (inside (other).actionLibrary->getNames().contains (saved));
    other.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_EQ (inside (other).actionLibrary->getCurrentName(), saved);
    EXPECT_TRUE (inside (other).actionLibrary->isModified());
    EXPECT_EQ (inside (other).actionMapper.mappingsOf (21).size(), 1u);
    EXPECT_EQ (inside (other).actionMapper.mappingsOf (20).size(), 1u);
}
