// MIDI learn from end to end: the learn panel follows the mapper while MIDI arrives
// through processBlock on an audio thread; the question is answered each of the three
// ways; the mappings editor shows what was learnt; the learnt mapping then plays.
#include "PlayingPlugin.h"

#include "editor/mappings/ActionsEditor.h"
#include "editor/mappings/MidiLearnPanel.h"
#include "performance/ActionMapper2.h"
#include "performance/ParameterIds.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tovalin;
using namespace tovalin::test;
using P = ParameterIds;

namespace
{
struct Learn : ::testing::Test, juce::ChangeListener
{
    PlayingPlugin player;
    ActionMapper2& mapper = player.plugin.getActionMapper();
    MidiLearnPanel panel{mapper};
    int broadcasts = 0;

    void SetUp() override
    {
        player.plugin.getMappingLibrary().selectByName ("Default");
        panel.addChangeListener (this);
    }
    void TearDown() override { panel.removeChangeListener (this); }
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++broadcasts; }

    /** The keyboard sends one event: a block on an audio thread of its own. */
    void play (const juce::MidiMessage& m)
    {
        std::thread audio ([&] { player.processBlock ({m}); });
        audio.join();
    }

    /** The panel's 50 ms poll shows a message that starts with text. */
    bool shows (const juce::String& text)
    {
        return dispatchMessagesUntil ([&] { return panel.getMessage().startsWith (text); }, 500);
    }

    void learn (const char* type, bool wantsKey, const juce::String& target = {})
    {
        auto action = mapper.createAction (type);
        ASSERT_NE (action, nullptr);
        if (target.isNotEmpty())
            action->setTarget (target);
        mapper.startLearn (std::move (action), wantsKey);
        panel.startLearning();
    }

    std::vector<juce::String> on (int id)
    {
        std::vector<juce::String> out;
        for (const auto& a : mapper.mappingsOf (id))
            out.push_back (a->getTarget().isEmpty() ? a->getName() : a->getName() + ":" + a->getTarget());
        return out;
    }
};

const juce::String needController = "The action you are currently learning is controlled using a range of values and "
                                    "can only be mapped to a MIDI controller. Please move a controller.";
const juce::String needKey = "The action you are currently learning is a toggle button and can only be mapped to a "
                             "key. Please press a key on your MIDI keyboard.";
} // namespace

TEST_F (Learn, AParameterLearntFromAControllerThenTheConflictAnsweredThreeWays)
{
    ActionsEditor editor (player.plugin); // open meanwhile: it shows what is learnt
    const auto colour = player.plugin.getParameterTable().get (P::Color).name;
    const auto cc20 = mapper.controllerNames[20];

    // A parameter wants a controller: a key is refused, the learn goes on.
    learn ("Set Parameter", false, colour);
    EXPECT_EQ (panel.getMessage(), juce::String ("Move a controller or press a key on your MIDI keyboard.\n"));
    EXPECT_FALSE (panel.isAskingQuestion());
    play (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 90));
    ASSERT_TRUE (shows (needController));
    EXPECT_TRUE (mapper.mappingsOf (128 + 64).empty());
    EXPECT_TRUE (panel.isLearning());

    play (juce::MidiMessage::controllerEvent (1, 20, 10));
    ASSERT_TRUE (shows ("Mapped to "));
    EXPECT_EQ (panel.getMessage(),
               "Mapped to " + cc20 + ".\n\nMove the controller to change the value of the parameter.");
    EXPECT_FALSE (panel.isLearning());
    EXPECT_EQ (on (20), std::vector<juce::String>{"Set Parameter:" + colour});
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return editor.getRows().getNumChildElements() == 8; }, 200))
        << "the open mappings editor shows the new row";

    // The learnt mapping drives the parameter.
    play (juce::MidiMessage::controllerEvent (3, 20, 127));
    EXPECT_FLOAT_EQ (player.parameter (P::Color), 1.0f);
    play (juce::MidiMessage::controllerEvent (3, 20, 0));
    EXPECT_FLOAT_EQ (player.parameter (P::Color), 0.0f);

    // Append: both actions stay, in order.
    learn ("Vibrato", false);
    play (juce::MidiMessage::controllerEvent (1, 20, 64));
    ASSERT_TRUE (shows (cc20 + " is currently mapped to "));
    EXPECT_EQ (panel.getMessage(), cc20 + " is currently mapped to Set Parameter (" + colour +
                                       "). Do you really want to overwrite this mapping?");
    EXPECT_TRUE (panel.isAskingQuestion());
    EXPECT_EQ (on (20), std::vector<juce::String>{"Set Parameter:" + colour}) << "nothing mapped before the answer";
    click (panel.appendButton);
    EXPECT_EQ (on (20), (std::vector<juce::String>{"Set Parameter:" + colour, "Vibrato"}));
    EXPECT_EQ (panel.getMessage(), "Mapped to " + cc20 + ".\n\nMove the controller to change the vibrato frequency.");
    EXPECT_FALSE (panel.isAskingQuestion());
    EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Idle);
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return editor.getRows().getNumChildElements() == 9; }, 200));

    // Overwrite: only the new one.
    learn ("Pitch bend", false);
    play (juce::MidiMessage::controllerEvent (1, 20, 64));
    ASSERT_TRUE (shows (cc20 + " is currently mapped to Set Parameter (" + colour + "), Vibrato."));
    click (panel.overwriteButton);
    EXPECT_EQ (on (20), std::vector<juce::String>{"Pitch bend"});
    EXPECT_TRUE (panel.getMessage().startsWith ("Mapped to " + cc20));

    // Cancel: nothing changes, and the host is asked to close.
    learn ("Vibrato", false);
    play (juce::MidiMessage::controllerEvent (1, 20, 64));
    ASSERT_TRUE (shows (cc20 + " is currently mapped to Pitch bend."));
    const int before = broadcasts;
    click (panel.cancelButton);
    EXPECT_EQ (on (20), std::vector<juce::String>{"Pitch bend"});
    EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Idle);
    EXPECT_TRUE (panel.wantsToClose());
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return broadcasts > before; }, 200));

    // And the controller now bends.
    play (juce::MidiMessage::controllerEvent (1, 20, 127));
    EXPECT_FLOAT_EQ (player.parameter (P::PitchBend), 1.0f);
}

TEST_F (Learn, AToggleWantsAKeyAndItsKeyThenSwitchesTheMode)
{
    learn ("Toggle palm", true);
    EXPECT_EQ (panel.getMessage(), juce::String ("Press a key on your MIDI keyboard.\n"));
    play (juce::MidiMessage::controllerEvent (1, 21, 100));
    ASSERT_TRUE (shows (needKey));
    EXPECT_TRUE (mapper.mappingsOf (21).empty());
    play (juce::MidiMessage::noteOn (1, 100, (juce::uint8) 90));
    ASSERT_TRUE (shows ("Mapped to " + mapper.controllerNames[128 + 100] + "."));
    EXPECT_EQ (on (128 + 100), std::vector<juce::String>{"Toggle palm"});

    play (juce::MidiMessage::noteOn (1, 100, (juce::uint8) 90));
    EXPECT_FLOAT_EQ (player.parameter (P::TogglePalm), 1.0f);
    play (juce::MidiMessage::noteOff (1, 100));
    EXPECT_FLOAT_EQ (player.parameter (P::TogglePalm), 0.0f);
}

// A click outside the panel (the host's cancel) while it waits maps nothing.
TEST_F (Learn, CancellingWhileListeningMapsNothing)
{
    juce::XmlElement before ("T"), after ("T");
    mapper.writeMappings (before);
    learn ("Vibrato", false);
    panel.cancelLearning();
    EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Idle);
    play (juce::MidiMessage::controllerEvent (1, 22, 64));
    dispatchMessagesUntil ([] { return false; }, 100);
    mapper.writeMappings (after);
    EXPECT_TRUE (before.isEquivalentTo (&after, false));
    EXPECT_FALSE (panel.getMessage().startsWith ("Mapped"));
}
