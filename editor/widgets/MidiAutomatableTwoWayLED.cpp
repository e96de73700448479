#include "MidiAutomatableTwoWayLED.h"

#include "MappingMenu.h"
#include "processor/TovalinPlugin.h"

namespace tovalin
{
void paintLightDot (juce::Graphics& g, juce::Rectangle<int> bounds, juce::Colour colour)
{
    const auto b = bounds.toFloat();
    g.setColour (colour);
    g.fillEllipse (b.getWidth() / 2.0f, b.getHeight() / 2.0f, b.getWidth() / 2.0f, b.getHeight() / 2.0f);
}

MidiAutomatableTwoWayLED::MidiAutomatableTwoWayLED (TovalinPlugin& p, const juce::String& name, int index,
                                                    MidiLearnPopup* overlay)
    : juce::Component (name), processor (p), parameterIndex (index), learnOverlay (overlay), isBend (false),
      clickToggles (true)
{
}

MidiAutomatableTwoWayLED::MidiAutomatableTwoWayLED (TovalinPlugin& p, int index, MidiLearnPopup* overlay)
    : processor (p), parameterIndex (index), learnOverlay (overlay), isBend (true), clickToggles (false)
{
}

void MidiAutomatableTwoWayLED::updateFromParameter()
{
    const bool nowOn = processor.getParameterTable().get (parameterIndex).isActive();
    if (nowOn != on)
    {
        on = nowOn;
        repaint();
    }
}

void MidiAutomatableTwoWayLED::paint (juce::Graphics& g)
{
    paintLightDot (g, getLocalBounds(), juce::Colour (on ? onColour : offColour));
}

void MidiAutomatableTwoWayLED::mouseDown (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;
    if (e.mods.isRightButtonDown())
    {
        auto& mapper = processor.getActionMapper();
        const auto kind = isBend ? MappingMenu::Kind::controllers : MappingMenu::Kind::keys;
        MappingMenu::show (
            mapper, *this, kind,
            [this]() -> std::unique_ptr<Action2>
            {
                if (isBend)
                    return std::make_unique<ActionSetPitchBend> (processor);
                return std::make_unique<ActionToggle> (processor, getName(), parameterIndex, latch);
            },
            learnOverlay);
        return;
    }
    if (! clickToggles)
        return;
    bool wasActive;
    {
        const juce::ScopedLock sl (processor.getParameterTable().parameterLock);
        wasActive = processor.getParameterTable().get (parameterIndex).isActive();
    }
    processor.beginParameterGesture (parameterIndex);
    processor.setParameterNotifyingHost (parameterIndex, wasActive ? 0.0f : 1.0f);
    processor.endParameterGesture (parameterIndex);
}

} // namespace tovalin
