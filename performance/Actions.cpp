#include "Actions.h"

#include "Guitarist.h"

namespace tovalin
{
using P = ParameterIds;

void Action2::perform (int, bool, bool) noexcept {}

void Action2::setParameter (int id, float value) noexcept { processor.changeParameterInGesture (id, value); }

// ---------------------------------------------------------------------------------

void ActionSetParameter::perform (int value, bool isKey, bool isKeyDown) noexcept
{
    if (isKey && ! isKeyDown)
        return;
    setParameter (parameterId, (float) value / 127.0f);
}

juce::StringArray ActionSetParameter::getTargetChoices() const { return processor.listedParameterNames(); }

void ActionSetParameter::setTarget (const juce::String& text)
{
    int id = 0;
    if (processor.findParameterId (text, id))
        parameterId = id;
}

juce::String ActionSetParameter::getTarget() const { return processor.parameterName (parameterId); }

juce::String ActionSetParameter::getHelpText() const
{
    if (parameterId >= P::ToggleHarmonics && parameterId <= P::ToggleChords)
        return "Set the parameter to a value lower than or equal to 0.5 to toggle it off, and to a value higher than "
               "0.5 to toggle it on.\n\nNote: The 'Toggle ..' parameters are intended to be used for creating "
               "automation tracks. \n\nIf you only want to toggle the mode on or off easily, you should not use these "
               "and map the 'Toggle ..' actions to your MIDI keyboard's keys.";
    return "Move the controller to change the value of the parameter.";
}

// ---------------------------------------------------------------------------------

void ActionLoadProgram::perform (int, bool isKey, bool isKeyDown) noexcept
{
    if (isKey && ! isKeyDown)
        return;
    processor.requestPresetLoad (presetName);
}

juce::StringArray ActionLoadProgram::getTargetChoices() const { return processor.presetNames(); }

juce::String ActionLoadProgram::getTarget() const
{
    const bool known = processor.presetNames().contains (presetName);
    if (known || presetName.endsWith (" (missing)"))
        return presetName;
    return presetName + " (missing)";
}

std::unique_ptr<Action2> ActionLoadProgram::clone() const
{
    auto a = std::make_unique<ActionLoadProgram> (processor);
    const juce::StringArray names = getTargetChoices();
    a->presetName = names.isEmpty() ? juce::String ("None") : names[0];
    return a;
}

// ---------------------------------------------------------------------------------

void ActionSetVibrato::perform (int value, bool isKey, bool isKeyDown) noexcept
{
    if (isKey && ! isKeyDown)
        return;
    setParameter (P::VibratoFrequency, (float) value / 127.0f);
}

void ActionSetVibrato::resetToNeutral() { setParameter (P::VibratoFrequency, 0.0f); }

void ActionSetPitchBend::perform (int value, bool isKey, bool isKeyDown) noexcept
{
    if (isKey && ! isKeyDown)
        return;
    setParameter (P::PitchBend, (float) value / 127.0f);
}

void ActionSetPitchBend::resetToNeutral() { setParameter (P::PitchBend, 0.5f); }

// ---------------------------------------------------------------------------------

void ActionStrum::perform (int value, bool isKey, bool isKeyDown) noexcept
{
    TranscriptionChordsMode& chords = processor.chordsMode();
    using Hold = TranscriptionChordsMode::StrumHold;
    if (isKey)
        chords.setStrumHold (up ? Hold::Up : Hold::Down, isKeyDown, value);
    else if (up)
        chords.restrumUp (value);
    else
        chords.restrumDown (value);
}

juce::String ActionStrum::getHelpText() const
{
    if (up)
        return "Press the key to restrum the current chord up.\nHold it to force chords to be strummed up.";
    return "Press the key to restrum the current chord down.";
}

// ---------------------------------------------------------------------------------

void ActionToggle::perform (int, bool isKey, bool isKeyDown) noexcept
{
    if (! isKey)
        return; // toggles answer to keys only
    if (latch)
    {
        if (isKeyDown)
            setParameter (parameterId, processor.parameterValue (parameterId) < 0.5f ? 1.0f : 0.0f);
    }
    else
        setParameter (parameterId, isKeyDown ? 1.0f : 0.0f);
}

juce::String ActionToggle::getHelpText() const
{
    if (latch)
        return "Press the key to toggle the mode on or off. You don't have to hold the key.";
    return "Hold the key to toggle the mode on, release the key to toggle it off.";
}

void ActionToggle::resetToNeutral() { setParameter (parameterId, processor.parameterDefault (parameterId)); }

} // namespace tovalin
