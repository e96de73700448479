#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class TovalinPlugin;
class MidiLearnPopup;

/** A slider on one host parameter. A drag is one host gesture: its start, every value
    on the way and its end reach the host. A right click maps the parameter to a MIDI
    controller, unless the slider has no learn overlay (then it is an ordinary click). */
class MidiAutomatableSlider : public juce::Slider
{
public:
    MidiAutomatableSlider (TovalinPlugin& processor, int parameterIndex, MidiLearnPopup* learnOverlay);

    /** Shows the parameter's value without telling anyone. */
    void updateFromParameter();

    int getParameterIndex() const noexcept { return parameterIndex; }

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    void startedDragging() override;
    void stoppedDragging() override;
    void valueChanged() override;
    bool isMappingClick (const juce::MouseEvent&) const;

    TovalinPlugin& processor;
    const int parameterIndex;
    MidiLearnPopup* const learnOverlay;
    const bool applyOnRelease = false; // values are sent while dragging
    bool gestureOpen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiAutomatableSlider)
};

} // namespace tovalin
