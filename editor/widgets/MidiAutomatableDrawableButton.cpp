#include "MidiAutomatableDrawableButton.h"

#include "processor/TovalinPlugin.h"

namespace tovalin
{
MidiAutomatableDrawableButton::MidiAutomatableDrawableButton (TovalinPlugin& p, int index, const juce::String& choice,
                                                              const juce::Image& offImage, const juce::Image& onImage)
    : juce::DrawableButton (choice, juce::DrawableButton::ImageRaw), processor (p), parameterIndex (index)
{
    setButtonText (choice);
    off.setImage (offImage);
    on.setImage (onImage);
    // Normal, over and down look alike; the on state shows the lit picture.
    setImages (&off, &off, &off, nullptr, &on, &on, &on, nullptr);
    setClickingTogglesState (true);
    setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
    setColour (juce::DrawableButton::backgroundOnColourId, juce::Colours::transparentBlack);
}

void MidiAutomatableDrawableButton::updateFromParameter()
{
    if (! getToggleState() && processor.getParameterTable().get (parameterIndex).getText() == getButtonText())
        setToggleState (true, juce::dontSendNotification);
}

void MidiAutomatableDrawableButton::clicked()
{
    if (! getToggleState())
        return;
    const float value = processor.getParameterTable().get (parameterIndex).valueForText (getButtonText());
    processor.beginParameterGesture (parameterIndex);
    processor.setParameterNotifyingHost (parameterIndex, value);
    processor.endParameterGesture (parameterIndex);
}

} // namespace tovalin
