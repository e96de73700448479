#include "Editor.h"

#include "dialogs/PresetMenuWindows.h"
#include "look/HouseLooks.h"
#include "mappings/ActionsEditor.h"
#include "panels/AboutPanel.h"
#include "panels/BadSamplingRatePanel.h"
#include "panels/LabelPanel.h"
#include "panels/WelcomePanel.h"
#include "processor/TovalinPlugin.h"
#include "settings/MyPreferencesPanel.h"

#include <TovalinImages.h>

namespace tovalin
{
namespace
{
    using P = ParameterIds;

    juce::Image png (const void* data, int size) { return juce::ImageCache::getFromMemory (data, size); }

    const char* const minimumRequirementsText =
        "Your computer does not meet the minimum required configuration to run Tovalin, which requires at least "
        "SSE2 instructions (Power PC macs are not supported). We apologize for the inconvenience.";

    void setUpLabel (juce::Label& label, float fontHeight, juce::Justification justification, const char* tooltip)
    {
        label.setFont (juce::Font (fontHeight));
        label.setJustificationType (justification);
        label.setEditable (false);
        label.setColour (juce::Label::textColourId, juce::Colours::black);
        label.setTooltip (tooltip);
    }
} // namespace

Editor::Editor (TovalinPlugin& p, bool withKeyboard)
    : juce::AudioProcessorEditor (p), processor (p), hasSse2 (p.hasRequiredInstructions()),
      background (png (TovalinImages::background_png, TovalinImages::background_pngSize)),
      guitarChooser (p.getParameterTable().get (ParameterIds::GuitarType).getText()), fretboard (p.getFingering()),
      velocityCurve (p.getVelocityMapper()), learnOverlay (p.getActionMapper())
{
    GeneralLookAndFeel::installAsDefault();
    setOpaque (true);

    // Children in stacking order. The guitar chooser, the fretboard and the velocity
    // curve go first, under the level meter.
    guitarChooser.setTooltip ("Choose the guitar");
    fretboard.setTooltip ("Frets played");
    velocityCurve.setTooltip ("Velocity curve: click to add a point, drag a point to move it, double click a point "
                              "to delete it");
    for (juce::Component* view :
         {(juce::Component*) &guitarChooser, (juce::Component*) &fretboard, (juce::Component*) &velocityCurve})
        addAndMakeVisible (view);
    levelMeter.setTooltip ("Output level meter");
    addAndMakeVisible (levelMeter);
    addChildComponent (learnOverlay);

    setUpLabel (presetName, 14.0f, juce::Justification::centredLeft,
                "Current preset. The star \"(*)\" means that it differs from the saved one");
    addAndMakeVisible (presetName);
    setUpImageButton (presetsButton, TovalinImages::presetslist_png, TovalinImages::presetslist_pngSize,
                      "Show the presets list", 0.0f);
    setUpImageButton (saveButton, TovalinImages::save_png, TovalinImages::save_pngSize,
                      "Save current settings as a preset", 0.0f);
    setUpImageButton (deleteButton, TovalinImages::delete_png, TovalinImages::delete_pngSize,
                      "Delete a preset from the list", 0.0f);
    setUpImageButton (aboutButton, TovalinImages::aboutbutton_png, TovalinImages::aboutbutton_pngSize,
                      "About Tovalin...", 0.1f);

    using S = juce::Slider;
    addSlider (P::Volume, S::LinearVertical, {606, 110, 75, 32}, "Output Level");
    addSlider (P::Color, S::RotaryHorizontalVerticalDrag, {287, 224, 59, 41},
               "Change the string's material damping behavior to turn the sound from brilliant to dull");
    addSlider (P::Inharmonicity, S::LinearHorizontal, {342, 223, 54, 16},
               "Change hardness of the string's material to slightly shift the harmonics progression and change "
               "the timbre.");
    addSlider (P::Impedance, S::RotaryHorizontalVerticalDrag, {245, 149, 59, 41},
               "Change how fast energy is transfered from the string to the guitar's body to affect global sound "
               "duration");

    roomChooser.setEditableText (false);
    roomChooser.setJustificationType (juce::Justification::centredLeft);
    roomChooser.setTextWhenNoChoicesAvailable ("(no choices)");
    roomChooser.setTooltip ("Change the room and guitar's radiation modeling");
    if (auto* rooms = dynamic_cast<const StepParam*> (&processor.getParameterTable().get (P::RoomType)))
    {
        roomChooser.clear (juce::dontSendNotification);
        for (int i = 0; i < rooms->steps.size(); ++i)
            roomChooser.addItem (rooms->steps[i], i + 1);
    }
    roomChooser.addListener (this);
    addAndMakeVisible (roomChooser);

    addSlider (P::Mix, S::LinearHorizontal, {313, 174, 81, 26}, "Control how far the listener is from the guitarist",
               false);
    addSlider (P::Twang, S::LinearHorizontal, {342, 251, 54, 16},
               "Control the non-linear behaviour of the string. At high level, pitch is increased during the "
               "transients");
    addSlider (P::AttackPlace, S::LinearVertical, {430, 175, 32, 80},
               "Change the plucking position. The further you are from the bridge, the smoother the sound is. "
               "Drastically affect the timbre.")
        .setColour (juce::Slider::trackColourId, juce::Colours::transparentBlack);
    addSlider (P::StrummingSpeed, S::LinearVertical, {511, 174, 40, 73}, "Change chords strumming velocity");
    addSlider (P::ExcitationType, S::LinearVertical, {472, 174, 40, 73},
               "Change the guitarist's plucking technique from finger to pick");
    addSlider (P::VibratoMaxFrequency, S::LinearHorizontal, {160, 186, 60, 12},
               "Change the global amount of vibrato. Affects both maximum amplitude and frequency");
    addSlider (P::PalmMuteAmount, S::LinearHorizontal, {160, 216, 60, 12},
               "Change how much the guitarist damps the string during palm muting");
    addSlider (P::HarmonicsAmount, S::LinearHorizontal, {160, 246, 60, 12},
               "Change how far the guitarist's finger is from the string when he plays artificial harmonics");

    bendLight = std::make_unique<MidiAutomatableTwoWayLED> (processor, P::PitchBend, &learnOverlay);
    bendLight->setTooltip ("Bend activity indicator\nGreen: On,\nRed: Off,\nRight click to map the bend to a MIDI "
                           "action");
    vibratoLight = std::make_unique<MidiAutomatableThreeWayLED> (processor, P::VibratoFrequency, &learnOverlay);
    vibratoLight->setTooltip ("Vibrato activity indicator\nGreen: On,\nBlue: Forced,\nRed: Off,\nRight click to map "
                              "the vibrato to a MIDI action");
    auto toggleLight = [this] (const char* name, int id, const juce::String& what)
    {
        auto light = std::make_unique<MidiAutomatableThreeWayLED> (processor, name, id, &learnOverlay);
        light->setTooltip (what + " toggle indicator\nGreen: On,\nBlue: Forced,\nRed: Off,\nRight click to map the " +
                           juce::String (name) + " toggle to a switch key");
        return light;
    };
    palmLight = toggleLight ("palm", P::TogglePalm, "Palm mute");
    harmonicsLight = toggleLight ("harmonics", P::ToggleHarmonics, "Harmonics");
    legatoLight = toggleLight ("legato", P::ToggleLegato, "Legato");
    sustainLight = toggleLight ("sustain", P::ToggleSustain, "Sustain");
    bendLight->setBounds (144, 146, 16, 16);
    vibratoLight->setBounds (144, 166, 16, 16);
    palmLight->setBounds (144, 196, 16, 16);
    harmonicsLight->setBounds (144, 226, 16, 16);
    legatoLight->setBounds (144, 256, 16, 16);
    sustainLight->setBounds (181, 256, 16, 16);
    for (juce::Component* light : {(juce::Component*) bendLight.get(), (juce::Component*) vibratoLight.get(),
                                   (juce::Component*) palmLight.get(), (juce::Component*) harmonicsLight.get(),
                                   (juce::Component*) legatoLight.get(), (juce::Component*) sustainLight.get()})
        addAndMakeVisible (light);

    steel = std::make_unique<MidiAutomatableDrawableButton> (
        processor, P::StringType, "Steel", png (TovalinImages::steeloff_png, TovalinImages::steeloff_pngSize),
        png (TovalinImages::steelon_png, TovalinImages::steelon_pngSize));
    nylon = std::make_unique<MidiAutomatableDrawableButton> (
        processor, P::StringType, "Nylon", png (TovalinImages::nylonoff_png, TovalinImages::nylonoff_pngSize),
        png (TovalinImages::nylonon_png, TovalinImages::nylonon_pngSize));
    steel->setTooltip ("Use steel strings");
    nylon->setTooltip ("Use nylon strings");
    for (auto* button : {steel.get(), nylon.get()})
    {
        button->setRadioGroupId (3);
        addAndMakeVisible (*button);
    }

    setUpImageButton (settingsButton, TovalinImages::settings_png, TovalinImages::settings_pngSize,
                      "Edit software's settings", 0.1f);
    setUpImageButton (mappingsButton, TovalinImages::midimappings_png, TovalinImages::midimappings_pngSize,
                      "Edit MIDI mappings", 0.1f);

    setUpLabel (chordName, 15.0f, juce::Justification::centredRight, "Chord currently played");
    addAndMakeVisible (chordName);
    chordsLight =
        std::make_unique<MidiAutomatableTwoWayLED> (processor, "chords detection", P::ToggleChords, &learnOverlay);
    chordsLight->setTooltip ("Chords detection status\nGreen: On,\nRed: Off,\nRight click to map the chords "
                             "detection toggle to a switch key");
    addAndMakeVisible (*chordsLight);

    addChildComponent (panelOverlay);

    if (withKeyboard)
    {
        keyboard = std::make_unique<juce::MidiKeyboardComponent> (processor.getKeyboardState(),
                                                                  juce::MidiKeyboardComponent::horizontalKeyboard);
        keyboard->setKeyWidth (24.5f);
        keyboard->setAvailableRange (44, 93);
        keyboard->setOctaveForMiddleC (4);
        addAndMakeVisible (*keyboard);
    }

    setSize (width, withKeyboard ? height + keyboardHeight : height);

    if (processor.getSettings().showWelcomePanel == 1)
        panelOverlay.showPanel (std::make_unique<WelcomePanel>(), false, true);
    if (! hasSse2)
        panelOverlay.showPanel (std::make_unique<LabelPanel> ("Minimum requirements", minimumRequirementsText), false,
                                false);

    processor.addChangeListener (this);
    guitarChooser.addChangeListener (this);
    fretboard.addChangeListener (this);
    processor.getPresetLibrary().addChangeListener (this);
    processor.setOutputListener (&levelMeter);
    refreshFromProcessor();
    // Its broadcast fills the preset name.
    processor.getPresetLibrary().reload();
    showPresetName();
}

Editor::~Editor()
{
    processor.setOutputListener (nullptr);
    processor.getPresetLibrary().removeChangeListener (this);
    fretboard.removeChangeListener (this);
    guitarChooser.removeChangeListener (this);
    processor.removeChangeListener (this);
}

MidiAutomatableSlider& Editor::addSlider (int id, juce::Slider::SliderStyle style, juce::Rectangle<int> bounds,
                                          const char* tooltip, bool mappable)
{
    auto slider = std::make_unique<MidiAutomatableSlider> (processor, id, mappable ? &learnOverlay : nullptr);
    slider->setSliderStyle (style);
    slider->setTooltip (tooltip);
    addAndMakeVisible (*slider);
    sliders.push_back (std::move (slider));
    sliderBounds.push_back (bounds);
    return *sliders.back();
}

void Editor::setUpImageButton (juce::ImageButton& button, const void* data, int size, const char* tooltip,
                               float alphaThreshold)
{
    const auto image = png (data, size);
    // The same picture when pressed: only the normal and over images are ours.
    button.setImages (true, false, true, image, 1.0f, {}, image, 1.0f, {}, image, 1.0f, {}, alphaThreshold);
    button.setTooltip (tooltip);
    button.addListener (this);
    addAndMakeVisible (button);
}

void Editor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xffe7be3e));
    g.setColour (juce::Colours::black);
    g.drawImage (background, 0, 0, width, height, 0, 0, background.getWidth(), background.getHeight());
}

void Editor::resized()
{
    guitarChooser.setBounds (guitarChooserBounds());
    fretboard.setBounds (fretboardBounds());
    velocityCurve.setBounds (velocityCurveBounds());
    levelMeter.setBounds (609, 104, 70, 10);
    presetName.setBounds (234, 14, 100, 28);
    presetsButton.setCentrePosition (356, 37);
    saveButton.setCentrePosition (376, 20);
    deleteButton.setCentrePosition (376, 38);
    aboutButton.setCentrePosition (640, 60);
    settingsButton.setTopLeftPosition (144, 94);
    mappingsButton.setTopLeftPosition (144, 115);
    chordName.setBounds (442, 14, 110, 24);
    chordsLight->setBounds (448, 32, 16, 16);
    for (size_t i = 0; i < sliders.size(); ++i)
        sliders[i]->setBounds (sliderBounds[i]);
    roomChooser.setBounds (318, 150, 72, 16);
    steel->setBounds (243, 230, 43, 18);
    nylon->setBounds (243, 251, 43, 18);
    if (keyboard != nullptr)
        keyboard->setBounds (0, height, width, keyboardHeight);
    learnOverlay.setBounds (getLocalBounds());
    panelOverlay.setBounds (getLocalBounds());
}

void Editor::comboBoxChanged (juce::ComboBox* box)
{
    if (box != &roomChooser)
        return;
    const auto& room = processor.getParameterTable().get (P::RoomType);
    processor.setParameterNotifyingHost (P::RoomType, room.valueForText (roomChooser.getText()));
}

void Editor::buttonClicked (juce::Button* button)
{
    auto& presets = processor.getPresetLibrary();
    if (button == &presetsButton)
    {
        presets.reload();
        presetMenus::showPresetMenu (presets, *button);
    }
    else if (button == &saveButton)
    {
        presets.reload();
        presetMenus::showSaveMenu (presets, *button);
    }
    else if (button == &deleteButton)
    {
        presets.reload();
        presetMenus::showRemoveMenu (presets, *button);
    }
    else if (button == &aboutButton)
        panelOverlay.showPanel (std::make_unique<AboutPanel>(), true, true);
    else if (button == &settingsButton)
        panelOverlay.showPanel (std::make_unique<MyPreferencesPanel> (processor), true, true);
    else if (button == &mappingsButton)
        panelOverlay.showPanel (std::make_unique<ActionsEditor> (processor), true, true);
}

void Editor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == &processor.getPresetLibrary())
        showPresetName();
    else if (source == &guitarChooser)
    {
        const auto& guitar = processor.getParameterTable().get (P::GuitarType);
        processor.setParameterNotifyingHost (P::GuitarType, guitar.valueForText (guitarChooser.getSelectedName()));
    }
    else if (source == &fretboard)
        chordName.setText (fretboard.getChordName(), juce::dontSendNotification);
    else
        refreshFromProcessor();
}

void Editor::showPresetName()
{
    auto& presets = processor.getPresetLibrary();
    presetName.setText (presets.getCurrentName() + (presets.isModified() ? " (*)" : ""), juce::dontSendNotification);
}

void Editor::refreshFromProcessor()
{
    const bool rateSupported = processor.isRateSupported();
    if (rateSupported && dynamic_cast<BadSamplingRatePanel*> (panelOverlay.getPanel()) != nullptr)
        panelOverlay.closePanel();
    else if (! rateSupported && hasSse2)
    {
        std::function<void()> openSetup;
        if (keyboard != nullptr) // the standalone program
            openSetup = [safe = juce::Component::SafePointer<Editor> (this)]
            {
                if (safe != nullptr)
                    safe->showAudioSetup();
            };
        panelOverlay.showPanel (
            std::make_unique<BadSamplingRatePanel> (processor.getHostSampleRate(), std::move (openSetup)), false,
            false);
    }

    levelMeter.setSampleRate (processor.getHostSampleRate());
    for (auto& slider : sliders)
        slider->updateFromParameter();
    bendLight->updateFromParameter();
    chordsLight->updateFromParameter();
    for (auto* light :
         {vibratoLight.get(), palmLight.get(), harmonicsLight.get(), legatoLight.get(), sustainLight.get()})
        light->updateFromParameter();
    steel->updateFromParameter();
    nylon->updateFromParameter();
    roomChooser.setText (processor.getParameterTable().get (P::RoomType).getText(), juce::dontSendNotification);
    guitarChooser.selectByName (processor.getParameterTable().get (P::GuitarType).getText());
}

void Editor::showAudioSetup()
{
    // The settings panel opens at its "Audio" tab once it exists; until then the
    // unsupported-rate panel stays.
}

void Editor::closePanel() { panelOverlay.closePanel(); }

juce::Component* Editor::findControl (int id) const
{
    for (auto& slider : sliders)
        if (slider->getParameterIndex() == id)
            return slider.get();
    switch (id)
    {
        case P::PitchBend:
            return bendLight.get();
        case P::ToggleChords:
            return chordsLight.get();
        case P::VibratoFrequency:
            return vibratoLight.get();
        case P::TogglePalm:
            return palmLight.get();
        case P::ToggleHarmonics:
            return harmonicsLight.get();
        case P::ToggleLegato:
            return legatoLight.get();
        case P::ToggleSustain:
            return sustainLight.get();
        case P::StringType:
            return steel.get();
        case P::RoomType:
            return const_cast<juce::ComboBox*> (&roomChooser);
        default:
            return nullptr;
    }
}

} // namespace tovalin
