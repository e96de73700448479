#pragma once

#include "ParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace tovalin
{
class TovalinPlugin;

/** How a host sees one entry of the parameter table: reads come from the table,
    writes go through the processor's setParameter with its significance rule and
    side effects. */
class HostParameter : public juce::AudioProcessorParameter
{
public:
    HostParameter (TovalinPlugin& processor, Param& param, int id) : processor (processor), param (param), id (id) {}

    float getValue() const override { return param.value; }
    void setValue (float newValue) override;
    float getDefaultValue() const override { return defaultValue; }
    juce::String getName (int maximumLength) const override { return param.name.substring (0, maximumLength); }
    juce::String getLabel() const override { return {}; }
    juce::String getText (float value, int maximumLength) const override
    {
        return param.textFor (value).substring (0, maximumLength);
    }
    float getValueForText (const juce::String& text) const override { return param.valueForText (text); }
    int getNumSteps() const override
    {
        return param.stepCount() > 1 ? param.stepCount() : juce::AudioProcessor::getDefaultNumParameterSteps();
    }
    bool isDiscrete() const override { return param.stepCount() > 1; }
    bool isBoolean() const override { return param.stepCount() == 2 && dynamic_cast<ToggleParam*> (&param) != nullptr; }
    bool isMetaParameter() const override
    {
        return id == ParameterTable::ToggleHarmonics || id == ParameterTable::TogglePalm;
    }

private:
    TovalinPlugin& processor;
    Param& param;
    int id;
    float defaultValue = param.value;
};

} // namespace tovalin
