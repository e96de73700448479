#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class TovalinPlugin;

/** One choice of a step parameter as a picture button (the string type: "Steel" or
    "Nylon"). A click that leaves it on sets the parameter to its choice, in one host
    gesture. Any mouse button clicks it: it cannot be mapped. */
class MidiAutomatableDrawableButton : public juce::DrawableButton
{
public:
    MidiAutomatableDrawableButton (TovalinPlugin& processor, int parameterIndex, const juce::String& choiceText,
                                   const juce::Image& offImage, const juce::Image& onImage);

    /** Turns itself on, without notification, when the parameter shows its choice. */
    void updateFromParameter();

private:
    void clicked() override;

    TovalinPlugin& processor;
    const int parameterIndex;
    juce::DrawableImage off, on;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiAutomatableDrawableButton)
};

} // namespace tovalin
