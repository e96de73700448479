#include "MidiAutomatableSlider.h"

#include "MappingMenu.h"
#include "processor/TovalinPlugin.h"

namespace tovalin
{
MidiAutomatableSlider::MidiAutomatableSlider (TovalinPlugin& p, int index, MidiLearnPopup* overlay)
    : processor (p), parameterIndex (index), learnOverlay (overlay)
{
    setRange (0.0, 1.0, 0.0);
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    setPopupMenuEnabled (false);
    setValue (processor.getParameterTable().get (parameterIndex).value.load(), juce::dontSendNotification);
}

void MidiAutomatableSlider::updateFromParameter()
{
    setValue (processor.getParameterTable().get (parameterIndex).value.load(), juce::dontSendNotification);
}

bool MidiAutomatableSlider::isMappingClick (const juce::MouseEvent& e) const
{
    return learnOverlay != nullptr && e.mods.isRightButtonDown();
}

void MidiAutomatableSlider::mouseDown (const juce::MouseEvent& e)
{
    if (! isMappingClick (e))
    {
        juce::Slider::mouseDown (e);
        return;
    }
    if (! isEnabled())
        return;
    auto& mapper = processor.getActionMapper();
    MappingMenu::show (
        mapper, *this, MappingMenu::Kind::controllers,
        [this]
        {
            auto action = std::make_unique<ActionSetParameter> (processor);
            action->parameterId = parameterIndex;
            return std::unique_ptr<Action2> (std::move (action));
        },
        learnOverlay);
}

void MidiAutomatableSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (! isMappingClick (e))
        juce::Slider::mouseDrag (e);
}

void MidiAutomatableSlider::mouseUp (const juce::MouseEvent& e)
{
    if (! isMappingClick (e))
        juce::Slider::mouseUp (e);
}

void MidiAutomatableSlider::startedDragging()
{
    if (! gestureOpen)
    {
        gestureOpen = true;
        processor.beginParameterGesture (parameterIndex);
    }
}

void MidiAutomatableSlider::stoppedDragging()
{
    if (applyOnRelease)
        processor.setParameterNotifyingHost (parameterIndex, (float) getValue());
    if (gestureOpen)
    {
        gestureOpen = false;
        processor.endParameterGesture (parameterIndex);
    }
}

void MidiAutomatableSlider::valueChanged()
{
    if (applyOnRelease && gestureOpen)
        return;
    if (gestureOpen)
    {
        processor.setParameterNotifyingHost (parameterIndex, (float) getValue());
        return;
    }
    // A change without a drag (the wheel, the keyboard) is a gesture of its own.
    processor.beginParameterGesture (parameterIndex);
    processor.setParameterNotifyingHost (parameterIndex, (float) getValue());
    processor.endParameterGesture (parameterIndex);
}

} // namespace tovalin
