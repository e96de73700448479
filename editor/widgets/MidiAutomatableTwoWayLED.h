#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class TovalinPlugin;
class MidiLearnPopup;

/** A green (on) or red (off) light showing a switch. The chords light, made with a
    name, toggles its parameter on a left click and maps the toggle to a key on a right
    click; the bend light, made without, only maps the pitch bend to a controller. */
class MidiAutomatableTwoWayLED : public juce::Component, public juce::SettableTooltipClient
{
public:
    static constexpr juce::uint32 offColour = 0xffff0000, onColour = 0xff4cf824;

    /** The chords light: named, toggling on a click. */
    MidiAutomatableTwoWayLED (TovalinPlugin& processor, const juce::String& name, int parameterIndex,
                              MidiLearnPopup* learnOverlay);
    /** The bend light. */
    MidiAutomatableTwoWayLED (TovalinPlugin& processor, int parameterIndex, MidiLearnPopup* learnOverlay);

    /** On when the parameter is active; repaints only on a change. */
    void updateFromParameter();
    bool isOn() const noexcept { return on; }

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    TovalinPlugin& processor;
    const int parameterIndex;
    MidiLearnPopup* const learnOverlay;
    const bool isBend, clickToggles;
    const bool latch = true;
    bool on = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiAutomatableTwoWayLED)
};

/** The lit dot of a light: the lower-right quarter of its bounds. */
void paintLightDot (juce::Graphics& g, juce::Rectangle<int> bounds, juce::Colour colour);

} // namespace tovalin
