#pragma once

#include "panels/MidiLearnPopup.h"
#include "panels/MiscPopup.h"
#include "views/FretboardComponent.h"
#include "views/GuitarFlowComponent.h"
#include "views/VelocityEditorComponent.h"
#include "widgets/MidiAutomatableDrawableButton.h"
#include "widgets/MidiAutomatableSlider.h"
#include "widgets/MidiAutomatableThreeWayLED.h"
#include "widgets/MidiAutomatableTwoWayLED.h"
#include "widgets/VuMeterComponent.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_utils/juce_audio_utils.h>

#include <memory>
#include <vector>

namespace tovalin
{
class TovalinPlugin;

/** The instrument's window: the painted background with every control on it, the
    level meter, the preset buttons, and two overlays (panels and MIDI learn). It
    listens to the processor's change broadcast and to the preset library, and never
    polls the parameters. 721 x 292, or 721 x 362 with the on-screen keyboard of the
    standalone program. Message thread. */
class Editor : public juce::AudioProcessorEditor,
               public juce::ComboBox::Listener,
               public juce::Button::Listener,
               public juce::ChangeListener
{
public:
    static constexpr int width = 721, height = 292, keyboardHeight = 70;

    /** Where the guitar chooser, the fretboard and the velocity curve go. */
    static juce::Rectangle<int> guitarChooserBounds() { return {0, 0, 143, 300}; }
    static juce::Rectangle<int> fretboardBounds() { return {234, 54, 329, 83}; }
    static juce::Rectangle<int> velocityCurveBounds() { return {568, 166, 132, 112}; }

    Editor (TovalinPlugin& processor, bool withKeyboard);
    ~Editor() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override;

    /** Every control shows the processor's state; the unsupported-rate panel follows
        the rate. */
    void refreshFromProcessor();
    /** Closes the panel overlay (the standalone window does when it goes). */
    void closePanel();

    // What the tests and the snapshot tool look at.
    MiscPopup& getPanelOverlay() noexcept { return panelOverlay; }
    MidiLearnPopup& getLearnOverlay() noexcept { return learnOverlay; }
    juce::Label& getPresetLabel() noexcept { return presetName; }
    juce::Label& getChordLabel() noexcept { return chordName; }
    juce::ComboBox& getRoomChooser() noexcept { return roomChooser; }
    GuitarFlowComponent& getGuitarChooser() noexcept { return guitarChooser; }
    FretboardComponent& getFretboard() noexcept { return fretboard; }
    VelocityEditorComponent& getVelocityCurve() noexcept { return velocityCurve; }
    VuMeterComponent& getLevelMeter() noexcept { return levelMeter; }
    /** The slider, light or button on parameter id (the string type: the steel button). */
    juce::Component* findControl (int parameterId) const;
    MidiAutomatableDrawableButton& getSteelButton() noexcept { return *steel; }
    MidiAutomatableDrawableButton& getNylonButton() noexcept { return *nylon; }
    juce::ImageButton& getAboutButton() noexcept { return aboutButton; }
    juce::ImageButton& getSettingsButton() noexcept { return settingsButton; }
    juce::ImageButton& getMappingsButton() noexcept { return mappingsButton; }

private:
    MidiAutomatableSlider& addSlider (int id, juce::Slider::SliderStyle, juce::Rectangle<int>, const char* tooltip,
                                      bool mappable = true);
    void setUpImageButton (juce::ImageButton&, const void* png, int pngSize, const char* tooltip, float alphaThreshold);
    void showPresetName();
    void showAudioSetup();

    TovalinPlugin& processor;
    const bool hasSse2;
    juce::Image background;
    juce::TooltipWindow tooltipWindow{this, 700};

    // In stacking order (later ones lie on top); the guitar chooser, fretboard and
    // velocity curve come first, under the level meter.
    GuitarFlowComponent guitarChooser;
    FretboardComponent fretboard;
    VelocityEditorComponent velocityCurve;
    VuMeterComponent levelMeter;
    MidiLearnPopup learnOverlay;
    juce::Label presetName;
    juce::ImageButton presetsButton, saveButton, deleteButton, aboutButton;
    std::vector<std::unique_ptr<MidiAutomatableSlider>> sliders;
    std::vector<juce::Rectangle<int>> sliderBounds;
    juce::ComboBox roomChooser;
    std::unique_ptr<MidiAutomatableTwoWayLED> bendLight, chordsLight;
    std::unique_ptr<MidiAutomatableThreeWayLED> vibratoLight, palmLight, harmonicsLight, legatoLight, sustainLight;
    std::unique_ptr<MidiAutomatableDrawableButton> steel, nylon;
    juce::ImageButton settingsButton, mappingsButton;
    juce::Label chordName;
    MiscPopup panelOverlay;
    std::unique_ptr<juce::MidiKeyboardComponent> keyboard;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Editor)
};

} // namespace tovalin
