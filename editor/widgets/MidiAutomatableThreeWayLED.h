#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class TovalinPlugin;
class MidiLearnPopup;

/** A green (on), red (off) or blue (forced) light showing a playing mode. A left click
    forces the mode, or releases it when forced; a right click maps the mode's toggle
    to a key (or, for the vibrato light, the vibrato to a controller). */
class MidiAutomatableThreeWayLED : public juce::Component, public juce::SettableTooltipClient
{
public:
    static constexpr juce::uint32 offColour = 0xffff0000, onColour = 0xff4cf824, forcedColour = 0xff90acfc;

    enum class State
    {
        off,
        on,
        forced
    };

    /** A toggle light ("palm", "harmonics", "legato", "sustain"). */
    MidiAutomatableThreeWayLED (TovalinPlugin& processor, const juce::String& name, int parameterIndex,
                                MidiLearnPopup* learnOverlay);
    /** The vibrato light. */
    MidiAutomatableThreeWayLED (TovalinPlugin& processor, int parameterIndex, MidiLearnPopup* learnOverlay);

    /** Forced when the parameter is forced, else on or off; repaints only on a change. */
    void updateFromParameter();
    State getState() const noexcept { return state; }

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    TovalinPlugin& processor;
    const int parameterIndex;
    MidiLearnPopup* const learnOverlay;
    const bool isVibrato;
    const bool clickable = true;
    State state = State::off;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiAutomatableThreeWayLED)
};

} // namespace tovalin
