#include "MidiAutomatableThreeWayLED.h"

#include "MappingMenu.h"
#include "MidiAutomatableTwoWayLED.h"
#include "processor/TovalinPlugin.h"

namespace tovalin
{
MidiAutomatableThreeWayLED::MidiAutomatableThreeWayLED (TovalinPlugin& p, const juce::String& name, int index,
                                                        MidiLearnPopup* overlay)
    : juce::Component (name), processor (p), parameterIndex (index), learnOverlay (overlay), isVibrato (false)
{
}

MidiAutomatableThreeWayLED::MidiAutomatableThreeWayLED (TovalinPlugin& p, int index, MidiLearnPopup* overlay)
    : processor (p), parameterIndex (index), learnOverlay (overlay), isVibrato (true)
{
}

void MidiAutomatableThreeWayLED::updateFromParameter()
{
    State now;
    {
        const auto& table = processor.getParameterTable();
        const juce::ScopedLock sl (table.parameterLock);
        const auto& parameter = table.get (parameterIndex);
        now = parameter.forced ? State::forced : (parameter.isActive() ? State::on : State::off);
    }
    if (now != state)
    {
        state = now;
        repaint();
    }
}

void MidiAutomatableThreeWayLED::paint (juce::Graphics& g)
{
    const auto colour = state == State::forced ? forcedColour : (state == State::on ? onColour : offColour);
    paintLightDot (g, getLocalBounds(), juce::Colour (colour));
}

void MidiAutomatableThreeWayLED::mouseDown (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;
    if (e.mods.isRightButtonDown())
    {
        auto& mapper = processor.getActionMapper();
        const auto kind = isVibrato ? MappingMenu::Kind::controllers : MappingMenu::Kind::keys;
        MappingMenu::show (
            mapper, *this, kind,
            [this]() -> std::unique_ptr<Action2>
            {
                if (isVibrato)
                    return std::make_unique<ActionSetVibrato> (processor);
                return std::make_unique<ActionToggle> (processor, getName(), parameterIndex, false);
            },
            learnOverlay);
        return;
    }
    if (clickable)
        processor.toggleForcedParameter (parameterIndex);
}

} // namespace tovalin
