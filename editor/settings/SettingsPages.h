#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace tovalin
{
class TovalinPlugin;

/** The "Performances" page of the settings panel: latency, chord-detection delay,
    sound precision and "Save as default". Every move is stored through the
    processor's setPreference, which applies it at once. Message thread. */
class SettingsPerformancesPanel : public juce::Component,
                                  private juce::Slider::Listener,
                                  private juce::Button::Listener,
                                  private juce::ChangeListener
{
public:
    explicit SettingsPerformancesPanel (TovalinPlugin& processor);
    ~SettingsPerformancesPanel() override;

    /** The partition sizes the latency slider offers, by its index. */
    static constexpr std::array<int, 6> latencyTable{32, 64, 128, 256, 512, 1024};

    /** Sliders, toggles and value labels from the preferences. */
    void refreshFromSettings();

    juce::Slider latencySlider, delaySlider, precisionSlider;
    juce::Label latencyValue, delayValue;
    juce::TextButton saveButton{"Save as default"};

    void paint (juce::Graphics& g) override;

private:
    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override { refreshFromSettings(); }

    TovalinPlugin& processor;
    juce::Label latencyLabel, delayLabel, precisionLabel;
};

/** The "Effects and playing modes" page: pitch-bend range, bend on aftertouch,
    harmonics pitch shift and chord inversions. Message thread. */
class SettingsEffectsPanel : public juce::Component,
                             private juce::Slider::Listener,
                             private juce::Button::Listener,
                             private juce::ChangeListener
{
public:
    explicit SettingsEffectsPanel (TovalinPlugin& processor);
    ~SettingsEffectsPanel() override;

    void refreshFromSettings();

    juce::Slider bendSlider, harmonicsSlider;
    juce::Label bendValue, harmonicsValue;
    juce::ToggleButton aftertouchToggle{"Active"}, inversionsToggle{"Active"};

    void paint (juce::Graphics& g) override;

private:
    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override { refreshFromSettings(); }

    TovalinPlugin& processor;
    juce::Label bendLabel, aftertouchLabel, harmonicsLabel, inversionsLabel;
};

/** "0 semitone", "1 semitone", "2 semitones"; the same with "octave". */
juce::String countWithUnit (int n, const juce::String& unit);

/** Samples at 44100 Hz as whole milliseconds: "10 ms" for 441. */
juce::String delayText (int samples);

} // namespace tovalin
