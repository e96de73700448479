#include "EditorTestSupport.h"

#include "editor/mappings/ActionsEditor.h"
#include "editor/panels/AboutPanel.h"
#include "editor/panels/BadSamplingRatePanel.h"
#include "editor/panels/LabelPanel.h"
#include "editor/panels/WelcomePanel.h"
#include "editor/settings/MyPreferencesPanel.h"
#include "editor/widgets/MappingMenu.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tovalin;
using namespace tovalin::test;
using P = ParameterIds;

namespace
{
struct EditorBehaviour : ::testing::Test, EditorFixture
{
};
} // namespace

TEST_F (EditorBehaviour, HasItsSizeAndEveryControlAtItsPlace)
{
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 721, 292));
    EditorFixture standalone (false, true);
    EXPECT_EQ (standalone.editor->getBounds(), juce::Rectangle<int> (0, 0, 721, 362));

    struct Place
    {
        int id;
        juce::Rectangle<int> bounds;
    };
    for (const auto& [id, bounds] :
         {Place{P::Color, {287, 224, 59, 41}}, Place{P::Mix, {313, 174, 81, 26}},
          Place{P::AttackPlace, {430, 175, 32, 80}}, Place{P::ToggleChords, {448, 32, 16, 16}},
          Place{P::ToggleSustain, {181, 256, 16, 16}}, Place{P::StringType, {243, 230, 43, 18}},
          Place{P::RoomType, {318, 150, 72, 16}}})
        EXPECT_EQ (editor->findControl (id)->getBounds(), bounds) << "parameter " << id;
    EXPECT_EQ (editor->getAboutButton().getBounds().getCentre(), juce::Point<int> (640, 60));
    EXPECT_EQ (editor->getSettingsButton().getBounds(), juce::Rectangle<int> (144, 94, 86, 24));
    EXPECT_EQ (editor->getLevelMeter().getBounds(), juce::Rectangle<int> (609, 104, 70, 10));

    // Stacking: the panel overlay above every control, the learn overlay below them.
    const int overlayIndex = editor->getIndexOfChildComponent (&editor->getPanelOverlay());
    const int learnIndex = editor->getIndexOfChildComponent (&editor->getLearnOverlay());
    const int chordsIndex = editor->getIndexOfChildComponent (editor->findControl (P::ToggleChords));
    EXPECT_LT (learnIndex, editor->getIndexOfChildComponent (editor->findControl (P::Volume)));
    EXPECT_LT (chordsIndex, overlayIndex);
    EXPECT_EQ (dynamic_cast<juce::SettableTooltipClient*> (editor->findControl (P::Mix))->getTooltip(),
               juce::String ("Control how far the listener is from the guitarist"));
}

TEST_F (EditorBehaviour, ASliderDragIsOneHostGestureCarryingItsValues)
{
    HostRecorder host;
    processor.addListener (&host);
    auto& slider = control<MidiAutomatableSlider> (P::Inharmonicity);
    slider.setValue (0.2, juce::dontSendNotification);
    auto at = [&] (double v) { return juce::Point<float> ((float) slider.getPositionOfValue (v), 8.0f); };
    juce::Component& c = slider;
    c.mouseDown (mouseEvent (c, at (0.2), leftButton, at (0.2)));
    c.mouseDrag (mouseEvent (c, at (0.5), leftButton, at (0.2), true));
    c.mouseDrag (mouseEvent (c, at (0.8), leftButton, at (0.2), true));
    c.mouseUp (mouseEvent (c, at (0.8), juce::ModifierKeys(), at (0.2), true));
    processor.removeListener (&host);

    const auto events = host.of (P::Inharmonicity);
    ASSERT_GE (events.size(), 4u);
    EXPECT_EQ (events.front().kind, 'b');
    EXPECT_EQ (events.back().kind, 'e');
    int begins = 0, ends = 0, values = 0;
    for (const auto& e : events)
        (e.kind == 'b' ? begins : e.kind == 'e' ? ends : values)++;
    EXPECT_EQ (begins, 1);
    EXPECT_EQ (ends, 1);
    EXPECT_GE (values, 2) << "values are sent while dragging";
    EXPECT_NEAR (events[events.size() - 2].value, 0.8f, 0.03f);
    EXPECT_NEAR (processor.getParameterTable().get (P::Inharmonicity).value, 0.8f, 0.03f);
    for (const auto& e : host.events)
        EXPECT_EQ (e.id, P::Inharmonicity) << "no other parameter moves";
}

TEST_F (EditorBehaviour, ADismissedMappingMenuCreatesNothing)
{
    auto& mapper = processor.getActionMapper();
    const auto before = mappingCount (mapper);
    for (int id : {P::Color, P::ToggleChords, P::TogglePalm, P::PitchBend})
    {
        auto& widget = *editor->findControl (id);
        click (widget, widget.getLocalBounds().getCentre().toFloat(), rightButton);
        dispatchPendingMessages();
        auto* menu = openMenu();
        ASSERT_NE (menu, nullptr) << "a right click on parameter " << id << " opens its menu";
        menu->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
        dispatchMessagesUntil ([] { return openMenu() == nullptr; }, 2000);
        dispatchPendingMessages();
        EXPECT_EQ (mappingCount (mapper), before);
        EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Idle);
        EXPECT_FALSE (editor->getLearnOverlay().isVisible());
    }
}

TEST_F (EditorBehaviour, LearningFromTheMenuShowsThePromptAndADirectMappingItsConfirmation)
{
    auto& light = *editor->findControl (P::ToggleChords);
    click (light, {12.0f, 12.0f}, rightButton);
    dispatchPendingMessages();
    auto* menu = openMenu();
    ASSERT_NE (menu, nullptr);
    // The key menu: "Map to key" (a submenu), then "Map using MIDI learn".
    for (int key : {juce::KeyPress::downKey, juce::KeyPress::downKey, juce::KeyPress::returnKey})
    {
        ASSERT_NE (openMenu(), nullptr);
        openMenu()->keyPressed (juce::KeyPress (key));
        dispatchPendingMessages();
    }
    dispatchMessagesUntil ([] { return openMenu() == nullptr; }, 2000);
    auto& mapper = processor.getActionMapper();
    EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Listening);
    auto& overlay = editor->getLearnOverlay();
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_EQ (overlay.getMessage(), juce::String ("Press a key on your MIDI keyboard.\n"));
    // The prompt is the hosted learn panel's, centred over the editor and following the learn.
    auto& learnPanel = overlay.getPanel();
    EXPECT_TRUE (learnPanel.isVisible() && learnPanel.getParentComponent() == &overlay);
    EXPECT_TRUE (learnPanel.isLearning());
    EXPECT_EQ (learnPanel.getMessage(), juce::String ("Press a key on your MIDI keyboard.\n"));
    EXPECT_EQ (learnPanel.getBounds().getCentre(), overlay.getLocalBounds().getCentre());

    // A click on the dimmed area cancels.
    click (overlay, {3.0f, 3.0f});
    EXPECT_FALSE (overlay.isVisible());
    EXPECT_FALSE (learnPanel.isLearning());
    EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Idle);

    // Mapping straight to controller 7 from the slider's menu.
    const auto before = mapper.mappingsOf (7).size();
    auto action = std::make_unique<ActionSetParameter> (processor);
    action->parameterId = P::Color;
    MappingMenu::apply (8, mapper, MappingMenu::Kind::controllers, std::move (action), &overlay);
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return overlay.getMessage().startsWith ("Mapped to "); }, 2000));
    EXPECT_TRUE (overlay.getMessage().startsWith ("Mapped to " + mapper.controllerNames[7])) << overlay.getMessage();
    EXPECT_EQ (mapper.mappingsOf (7).size(), before + 1);
}

TEST_F (EditorBehaviour, RightClicksOnTheDistanceSliderAndStringButtonsAreOrdinaryClicks)
{
    const auto mappings = mappingCount (processor.getActionMapper());
    auto& distance = control<MidiAutomatableSlider> (P::Mix);
    distance.setValue (0.2, juce::dontSendNotification);
    const juce::Point<float> at ((float) distance.getPositionOfValue (0.9), 13.0f);
    click (distance, at, rightButton);
    dispatchPendingMessages();
    EXPECT_EQ (openMenu(), nullptr);
    EXPECT_NEAR (processor.getParameterTable().get (P::Mix).value, 0.9f, 0.03f);

    const auto& strings = processor.getParameterTable().get (P::StringType);
    for (auto* button : {&editor->getNylonButton(), &editor->getSteelButton(), &editor->getNylonButton()})
    {
        click (*button, {20.0f, 9.0f}, rightButton);
        dispatchPendingMessages();
        EXPECT_EQ (openMenu(), nullptr);
        EXPECT_EQ (strings.getText(), button->getButtonText());
        EXPECT_TRUE (button->getToggleState());
    }
    EXPECT_EQ (mappingCount (processor.getActionMapper()), mappings);
}

TEST_F (EditorBehaviour, ThreeWayLightClicksForceAndReleaseTheirSwitch)
{
    for (int id : {P::TogglePalm, P::ToggleHarmonics, P::ToggleLegato, P::ToggleSustain, P::VibratoFrequency})
    {
        auto& light = control<MidiAutomatableThreeWayLED> (id);
        const auto& param = processor.getParameterTable().get (id);
        if (param.isActive())
        {
            processor.setParameterNotifyingHost (id, 0.0f);
            dispatchPendingMessages();
        }
        click (light, {12.0f, 12.0f});
        dispatchPendingMessages();
        EXPECT_TRUE (param.forced) << param.name;
        EXPECT_FLOAT_EQ (param.value, param.getForcedValue()) << param.name;
        EXPECT_EQ (light.getState(), MidiAutomatableThreeWayLED::State::forced) << param.name;

        click (light, {12.0f, 12.0f});
        dispatchPendingMessages();
        EXPECT_FALSE (param.forced) << param.name;
        EXPECT_FLOAT_EQ (param.value, param.getReleasedValue()) << param.name;
        EXPECT_EQ (light.getState(), MidiAutomatableThreeWayLED::State::off) << param.name;
    }
}

TEST_F (EditorBehaviour, TheChordsLightTogglesAndTheBendLightIgnoresClicks)
{
    auto& chords = control<MidiAutomatableTwoWayLED> (P::ToggleChords);
    const bool wasOn = processor.getParameterTable().get (P::ToggleChords).isActive();
    EXPECT_EQ (chords.isOn(), wasOn);
    click (chords, {12.0f, 12.0f});
    dispatchPendingMessages();
    EXPECT_EQ (processor.getParameterTable().get (P::ToggleChords).isActive(), ! wasOn);
    EXPECT_EQ (chords.isOn(), ! wasOn);

    const float bend = processor.getParameterTable().get (P::PitchBend).value;
    click (*editor->findControl (P::PitchBend), {12.0f, 12.0f});
    dispatchPendingMessages();
    EXPECT_EQ (processor.getParameterTable().get (P::PitchBend).value, bend);
}

TEST_F (EditorBehaviour, PanelsThatCloseOnAClickOutsideAndThoseThatStay)
{
    struct Case
    {
        const char* name;
        std::function<void()> open;
        bool closes;
    };
    auto& overlay = editor->getPanelOverlay();
    const Case cases[] = {
        {"about (its button)", [&] { editor->getAboutButton().triggerClick(); }, true},
        {"welcome", [&] { overlay.showPanel (std::make_unique<WelcomePanel>(), false, true); }, true},
        {"minimum requirements",
         [&] { overlay.showPanel (std::make_unique<LabelPanel> ("Minimum requirements", "..."), false, false); },
         false},
        {"unsupported rate",
         [&] { overlay.showPanel (std::make_unique<BadSamplingRatePanel> (32000.0), false, false); }, false},
    };
    for (const auto& c : cases)
    {
        c.open();
        dispatchPendingMessages();
        ASSERT_TRUE (overlay.isVisible()) << c.name;
        auto* panel = overlay.getPanel();
        ASSERT_NE (panel, nullptr) << c.name;
        click (*panel, {20.0f, 50.0f});
        EXPECT_TRUE (overlay.isVisible()) << c.name << ": a click on the panel itself keeps it";
        click (overlay, {3.0f, 3.0f});
        EXPECT_EQ (! overlay.isVisible(), c.closes) << c.name;
        EXPECT_EQ (overlay.getPanel() == nullptr, c.closes) << c.name;
        editor->closePanel();
    }
}

TEST_F (EditorBehaviour, TheWelcomePanelGreetsAtFirstUseAndTheMessageNamesARateWhole)
{
    EditorFixture first (true);
    EXPECT_NE (dynamic_cast<WelcomePanel*> (first.editor->getPanelOverlay().getPanel()), nullptr);
    EXPECT_EQ (editor->getPanelOverlay().getPanel(), nullptr);
    EXPECT_TRUE (BadSamplingRatePanel::messageFor (32000.0).startsWith ("Your current sampling rate (32000) is not"));
    EXPECT_TRUE (BadSamplingRatePanel::messageFor (22050.5).contains ("(22050.5)"));
}

TEST_F (EditorBehaviour, TheUnsupportedRatePanelFollowsTheProcessorsRate)
{
    auto& overlay = editor->getPanelOverlay();
    processor.prepareToPlay (32000.0, 512);
    dispatchPendingMessages();
    auto* panel = dynamic_cast<BadSamplingRatePanel*> (overlay.getPanel());
    ASSERT_NE (panel, nullptr);
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_TRUE (panel->getMessage().contains ("(32000)"));

    // Every broadcast while the rate is unsupported brings it back over any other panel.
    overlay.showPanel (std::make_unique<AboutPanel>(), false, true);
    processor.setParameterNotifyingHost (P::Color, 0.3f);
    dispatchPendingMessages();
    EXPECT_NE (dynamic_cast<BadSamplingRatePanel*> (overlay.getPanel()), nullptr);

    processor.prepareToPlay (48000.0, 512);
    dispatchPendingMessages();
    EXPECT_FALSE (overlay.isVisible());
    EXPECT_EQ (overlay.getPanel(), nullptr);
    processor.releaseResources();
}

TEST_F (EditorBehaviour, ThePresetLabelStarsAChangedPreset)
{
    auto& presets = processor.getPresetLibrary();
    presets.selectByName (presets.getNames()[0]);
    dispatchPendingMessages();
    const auto name = presets.getCurrentName();
    ASSERT_TRUE (name.isNotEmpty());
    EXPECT_EQ (editor->getPresetLabel().getText(), name);

    auto& slider = control<MidiAutomatableSlider> (P::Twang);
    slider.setValue (slider.getValue() > 0.5 ? 0.1 : 0.9, juce::sendNotificationSync);
    dispatchPendingMessages();
    EXPECT_EQ (editor->getPresetLabel().getText(), name + " (*)");

    presets.selectByName (name);
    dispatchPendingMessages();
    EXPECT_EQ (editor->getPresetLabel().getText(), name);
}

TEST_F (EditorBehaviour, ControlsFollowTheProcessorsBroadcast)
{
    processor.setParameterNotifyingHost (P::Color, 0.25f);
    processor.setParameterNotifyingHost (P::RoomType, 0.0f);
    processor.setParameterNotifyingHost (P::StringType,
                                         processor.getParameterTable().get (P::StringType).valueForText ("Nylon"));
    dispatchPendingMessages();
    EXPECT_NEAR (control<MidiAutomatableSlider> (P::Color).getValue(), 0.25, 1e-6);
    EXPECT_EQ (editor->getRoomChooser().getText(), processor.getParameterTable().get (P::RoomType).getText());
    EXPECT_TRUE (editor->getNylonButton().getToggleState());
    EXPECT_FALSE (editor->getSteelButton().getToggleState());

    // Choosing a room in the chooser sets the parameter.
    auto& rooms = editor->getRoomChooser();
    ASSERT_GT (rooms.getNumItems(), 1);
    rooms.setSelectedItemIndex (rooms.getNumItems() - 1, juce::sendNotificationSync);
    EXPECT_EQ (processor.getParameterTable().get (P::RoomType).getText(), rooms.getItemText (rooms.getNumItems() - 1));
}

TEST_F (EditorBehaviour, TheMeterLightsSegmentsForItsInput)
{
    auto& meter = editor->getLevelMeter();
    meter.setSampleRate (44100.0);
    struct Case
    {
        float input;
        int lit; // full scale is -35 dB (0.0178), 36 segments
    };
    for (const auto& c :
         {Case{0.0f, 0}, Case{0.0178f, 36}, Case{3.0f, 36}, Case{-0.5f, 0}, Case{0.005f, 10}, Case{0.01f, 20}})
    {
        std::vector<float> block (44100, c.input);
        meter.addSamples ((int) block.size(), block.data());
        meter.updateFromLevel();
        EXPECT_EQ (meter.getLitSegments(), c.lit) << "input " << c.input;

        // Lit segments are drawn, two pixels each, as far as the meter's 70 pixels reach;
        // the rest shows the ground.
        const auto image = render (meter);
        int litColumns = 0;
        for (int x = 0; x < image.getWidth(); ++x)
            litColumns += image.getPixelAt (x, 4) != juce::Colours::white ? 1 : 0;
        EXPECT_EQ (litColumns, std::min (2 * c.lit, meter.getWidth())) << "input " << c.input;
    }
}

TEST_F (EditorBehaviour, TheMeterHearsTheProcessorsOutput)
{
    processor.prepareToPlay (44100.0, 512);
    processor.finishPendingWork();
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 120), 0);
    for (int i = 0; i < 20; ++i)
    {
        buffer.clear();
        {
            const juce::ScopedLock sl (processor.getCallbackLock());
            processor.processBlock (buffer, midi);
        }
        midi.clear();
        processor.finishPendingWork();
    }
    editor->getLevelMeter().updateFromLevel();
    EXPECT_GT (editor->getLevelMeter().getLitSegments(), 0);
    editor.reset();
    // The meter is gone: blocks go on without it.
    buffer.clear();
    const juce::ScopedLock sl (processor.getCallbackLock());
    processor.processBlock (buffer, midi);
}

TEST_F (EditorBehaviour, APlayedChordIsNamedInTheChordLabel)
{
    processor.setPreference ("chordsDetectionDelay", 0);
    processor.setPlayConfigDetails (0, 2, 44100.0, 256);
    processor.prepareToPlay (44100.0, 256);
    EXPECT_EQ (editor->getChordLabel().getText(), juce::String());

    juce::AudioBuffer<float> buffer (2, 256);
    for (int done = 0; done < 44100 / 2; done += 256)
    {
        juce::MidiBuffer midi;
        if (done == 0)
            for (int note : {60, 64, 67})
                midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
        const juce::ScopedLock sl (processor.getCallbackLock());
        processor.processBlock (buffer, midi);
    }
    processor.finishPendingWork();
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return editor->getChordLabel().getText() == "C"; }, 2000))
        << "the label shows \"" << editor->getChordLabel().getText() << "\"";
    EXPECT_EQ (editor->getFretboard().getBounds(), Editor::fretboardBounds());
    processor.releaseResources();
}

TEST_F (EditorBehaviour, TheGuitarChooserSetsTheGuitarAndFollowsIt)
{
    auto& chooser = editor->getGuitarChooser();
    const auto& guitar = processor.getParameterTable().get (P::GuitarType);
    EXPECT_EQ (chooser.getBounds(), Editor::guitarChooserBounds());
    EXPECT_EQ (chooser.getSelectedName(), guitar.getText());
    ASSERT_GT (chooser.getNumEntries(), 1);

    const int next = (chooser.getSelectedIndex() + 1) % chooser.getNumEntries();
    const float before = guitar.value;
    chooser.getNextButton().triggerClick();
    dispatchMessagesUntil ([&] { return guitar.value != before; }, 2000);
    EXPECT_NE (guitar.value, before);
    EXPECT_EQ (guitar.getText(), chooser.getEntryName (next));

    // Set elsewhere (the host, a preset), the chooser turns to it.
    const int other = (next + 1) % chooser.getNumEntries();
    processor.setParameterNotifyingHost (P::GuitarType, guitar.valueForText (chooser.getEntryName (other)));
    dispatchMessagesUntil ([&] { return chooser.getSelectedIndex() == other; }, 2000);
    EXPECT_EQ (chooser.getSelectedIndex(), other);
    EXPECT_EQ (guitar.getText(), chooser.getEntryName (other)) << "the turn was echoed back";
}

TEST_F (EditorBehaviour, TheSettingsAndMappingsButtonsOpenTheirPanels)
{
    struct Case
    {
        const char* what;
        juce::Button& button;
        std::function<bool (juce::Component*)> isExpectedPanel;
    };
    const Case cases[] = {
        {"settings", editor->getSettingsButton(),
         [] (juce::Component* c) { return dynamic_cast<MyPreferencesPanel*> (c) != nullptr; }},
        {"MIDI mappings", editor->getMappingsButton(),
         [] (juce::Component* c) { return dynamic_cast<ActionsEditor*> (c) != nullptr; }},
    };
    auto& overlay = editor->getPanelOverlay();
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        c.button.triggerClick();
        dispatchPendingMessages();
        ASSERT_TRUE (overlay.isVisible());
        EXPECT_TRUE (c.isExpectedPanel (overlay.getPanel()));
        EXPECT_EQ (overlay.getPanel()->getBounds().getCentre(), overlay.getLocalBounds().getCentre());
        // It fades in, and a click outside it closes it.
        dispatchMessagesUntil ([&] { return overlay.getDimLevel() >= 0.5f; }, 2000);
        EXPECT_FLOAT_EQ (overlay.getDimLevel(), 0.5f);
        click (overlay, {2.0f, 2.0f});
        EXPECT_FALSE (overlay.isVisible());
        EXPECT_EQ (overlay.getPanel(), nullptr);
    }
}

TEST_F (EditorBehaviour, TheLearnPanelsCancelClosesTheLearnOverlay)
{
    auto& mapper = processor.getActionMapper();
    auto action = std::make_unique<ActionSetParameter> (processor);
    action->parameterId = P::Color;
    auto& overlay = editor->getLearnOverlay();
    MappingMenu::apply (MappingMenu::learnItem, mapper, MappingMenu::Kind::controllers, std::move (action), &overlay);
    ASSERT_TRUE (overlay.isVisible());
    EXPECT_EQ (overlay.getMessage(), juce::String ("Move a controller or press a key on your MIDI keyboard.\n"));
    auto& panel = overlay.getPanel();
    panel.setQuestionMode (true);
    panel.cancelButton.triggerClick();
    dispatchPendingMessages();
    EXPECT_FALSE (overlay.isVisible());
    EXPECT_EQ (mapper.learnState(), ActionMapper2::LearnState::Idle);
}
