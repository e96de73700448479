#include "SettingsPages.h"

#include "PanelStyle.h"

#include "processor/TovalinPlugin.h"

#include <cmath>

namespace tovalin
{
using namespace panelStyle;

juce::String countWithUnit (int n, const juce::String& unit)
{
    return juce::String (n) + " " + unit + (n == 0 || n == 1 ? "" : "s");
}

juce::String delayText (int samples) { return juce::String ((int) std::lround (samples * 1000.0 / 44100.0)) + " ms"; }

namespace
{
    void setUpSlider (juce::Component& page, juce::Slider& s, double lo, double hi, juce::Slider::Listener* listener,
                      const juce::String& tooltip)
    {
        s.setSliderStyle (juce::Slider::LinearHorizontal);
        s.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        s.setRange (lo, hi, 1.0);
        s.setTooltip (tooltip);
        // The settings panel's own slider colours: a dark green thumb on a tan track.
        s.setColour (juce::Slider::thumbColourId, darkGreen);
        s.setColour (juce::Slider::trackColourId, tan);
        s.setColour (juce::Slider::backgroundColourId, lightTan);
        s.addListener (listener);
        page.addAndMakeVisible (s);
    }

    void setUpLabel (juce::Component& page, juce::Label& l, const juce::String& text, juce::Rectangle<int> bounds,
                     juce::Justification justification = juce::Justification::centredLeft)
    {
        styleLabel (l, justification);
        l.setText (text, juce::dontSendNotification);
        l.setBounds (bounds);
        page.addAndMakeVisible (l);
    }

    void setUpToggle (juce::Component& page, juce::ToggleButton& t, juce::Button::Listener* listener)
    {
        t.setColour (juce::ToggleButton::textColourId, juce::Colours::black);
        t.setColour (juce::ToggleButton::tickColourId, darkGreen);
        t.setColour (juce::ToggleButton::tickDisabledColourId, tan);
        t.addListener (listener);
        page.addAndMakeVisible (t);
    }
} // namespace

// ---------------------------------------------------------------------------------------
// Performances

SettingsPerformancesPanel::SettingsPerformancesPanel (TovalinPlugin& p) : processor (p)
{
    setUpLabel (*this, latencyLabel, "Latency samples:", {16, 51, 119, 24});
    setUpSlider (*this, latencySlider, 0, (double) latencyTable.size() - 1, this,
                 "Set this to a low value to achieve low latency or to a higher value to reduce CPU consumption.");
    latencySlider.setBounds (135, 56, 89, 19);
    setUpLabel (*this, latencyValue, "0", {160, 36, 40, 24}, juce::Justification::centred);

    setUpLabel (*this, delayLabel, "Chords detection \ndelay:", {16, 93, 160, 28});
    setUpSlider (*this, delaySlider, 0, 2205, this,
                 "Control the duration under which playing groups of notes may result in a chord directly without "
                 "hearing the individual notes before. This will introduce extra latency but may allow you to play "
                 "cleaner chords.");
    delaySlider.setBounds (135, 98, 89, 19);
    setUpLabel (*this, delayValue, "0", {150, 78, 40, 24}, juce::Justification::centred);

    setUpLabel (*this, precisionLabel, "Sound precision:", {16, 145, 160, 30});
    setUpSlider (*this, precisionSlider, 0, 2, this,
                 "Control the quality of the sound. Set this to a low value to reduce CPU consumption.");
    precisionSlider.setBounds (135, 150, 89, 19);

    styleTextButton (saveButton);
    saveButton.setTooltip ("Make your current settings your default settings for when you start a new Tovalin");
    saveButton.setBounds (16, 200, 100, 20);
    saveButton.addListener (this);
    addAndMakeVisible (saveButton);

    processor.getSettings().addChangeListener (this);
    refreshFromSettings();
}

SettingsPerformancesPanel::~SettingsPerformancesPanel() { processor.getSettings().removeChangeListener (this); }

void SettingsPerformancesPanel::refreshFromSettings()
{
    const auto& settings = processor.getSettings();
    const int latency = settings.samplesOfLatency;
    // A stored size the slider does not offer (a hand-edited file, another version's
    // state) shows the first step until the user chooses one.
    const auto* found = std::find (latencyTable.begin(), latencyTable.end(), latency);
    latencySlider.setValue (found != latencyTable.end() ? (double) (found - latencyTable.begin()) : 0.0,
                            juce::dontSendNotification);
    latencyValue.setText (juce::String (latency), juce::dontSendNotification);
    delaySlider.setValue (settings.chordsDetectionDelay, juce::dontSendNotification);
    delayValue.setText (delayText (settings.chordsDetectionDelay), juce::dontSendNotification);
    precisionSlider.setValue (settings.performanceLevel, juce::dontSendNotification);
}

void SettingsPerformancesPanel::sliderValueChanged (juce::Slider* slider)
{
    const int value = (int) std::lround (slider->getValue());
    if (slider == &latencySlider)
    {
        const int samples = latencyTable[(size_t) juce::jlimit (0, (int) latencyTable.size() - 1, value)];
        processor.setPreference ("samplesOfLatency", samples);
        latencyValue.setText (juce::String (samples), juce::dontSendNotification);
    }
    else if (slider == &delaySlider)
    {
        processor.setPreference ("chordsDetectionDelay", value);
        delayValue.setText (delayText (value), juce::dontSendNotification);
    }
    else if (slider == &precisionSlider)
        processor.setPreference ("performanceLevel", value);
}

void SettingsPerformancesPanel::buttonClicked (juce::Button* button)
{
    if (button != &saveButton)
        return;
    const bool saved = processor.getSettings().savePreferences();
    if (saved)
        juce::AlertWindow::showMessageBoxAsync (
            juce::MessageBoxIconType::NoIcon, "Settings",
            "Your current settings will be your new default settings for when you start a new Tovalin.", {}, this);
    else
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::NoIcon, "Settings",
                                                "Your settings could not be written to\n\n" +
                                                    processor.getSettings().preferenceFolder().getFullPathName() +
                                                    "\n\nThe defaults for a new Tovalin stay as they were.",
                                                {}, this);
}

void SettingsPerformancesPanel::paint (juce::Graphics& g) { paintHeading (g, "Performances"); }

// ---------------------------------------------------------------------------------------
// Effects and playing modes

SettingsEffectsPanel::SettingsEffectsPanel (TovalinPlugin& p) : processor (p)
{
    setUpLabel (*this, bendLabel, "Pitch bend maximum\npitch increase:", {15, 50, 119, 36});
    setUpSlider (*this, bendSlider, 0, 3, this, {});
    bendSlider.setBounds (135, 75, 89, 19);
    setUpLabel (*this, bendValue, "0", {140, 55, 80, 24});

    setUpLabel (*this, aftertouchLabel, "Bend on\naftertouch:", {15, 100, 115, 28});
    setUpToggle (*this, aftertouchToggle, this);
    aftertouchToggle.setBounds (135, 105, 89, 19);

    setUpLabel (*this, harmonicsLabel, "Harmonics pitch\nshift:", {15, 145, 160, 24});
    setUpSlider (*this, harmonicsSlider, 1, 2, this, {});
    harmonicsSlider.setBounds (135, 165, 89, 19);
    setUpLabel (*this, harmonicsValue, "0", {140, 145, 80, 24});

    setUpLabel (*this, inversionsLabel, "Detect chords\ninversions", {15, 195, 115, 24});
    setUpToggle (*this, inversionsToggle, this);
    inversionsToggle.setTooltip (
        "Active this setting to detect chords in which the root note is not the bass note. Disable the settings if "
        "you are unable to play some bass lines or chords progressions as you would like to.");
    inversionsToggle.setBounds (135, 200, 90, 19);

    processor.getSettings().addChangeListener (this);
    refreshFromSettings();
}

SettingsEffectsPanel::~SettingsEffectsPanel() { processor.getSettings().removeChangeListener (this); }

void SettingsEffectsPanel::refreshFromSettings()
{
    const auto& settings = processor.getSettings();
    // Without notification: the values come from the preferences, nothing to store.
    bendSlider.setValue (settings.bend, juce::dontSendNotification);
    harmonicsSlider.setValue (settings.harmonics, juce::dontSendNotification);
    aftertouchToggle.setToggleState (settings.bendOnAftertouch != 0, juce::dontSendNotification);
    inversionsToggle.setToggleState (settings.inversions != 0, juce::dontSendNotification);
    bendValue.setText (countWithUnit (settings.bend, "semitone"), juce::dontSendNotification);
    harmonicsValue.setText (countWithUnit (settings.harmonics, "octave"), juce::dontSendNotification);
}

void SettingsEffectsPanel::sliderValueChanged (juce::Slider* slider)
{
    const int value = (int) std::lround (slider->getValue());
    if (slider == &bendSlider)
        processor.setPreference ("bend", value);
    else if (slider == &harmonicsSlider)
        processor.setPreference ("harmonics", value);
    refreshFromSettings();
}

void SettingsEffectsPanel::buttonClicked (juce::Button* button)
{
    if (button == &aftertouchToggle)
        processor.setPreference ("bendOnAftertouch", aftertouchToggle.getToggleState() ? 1 : 0);
    else if (button == &inversionsToggle)
        processor.setPreference ("inversions", inversionsToggle.getToggleState() ? 1 : 0);
}

void SettingsEffectsPanel::paint (juce::Graphics& g) { paintHeading (g, "Effects and playing modes"); }

} // namespace tovalin
