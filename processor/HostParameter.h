#pragma once

#include "ParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace tovalin
{
class TovalinPlugin;

/** How a host sees one entry of the parameter table: reads come from the table,
    writes go through the processor's setParameter with its significance rule and
    side effects.

    Every parameter has a permanent string id (hostParameterId): VST3 and LV2 hosts
    store automation and saved values under it, so it must never change, even when
    parameters are added or reordered. */
class HostParameter : public juce::AudioProcessorParameterWithID
{
public:
    HostParameter (TovalinPlugin& processor, Param& param, int id)
        : juce::AudioProcessorParameterWithID (juce::ParameterID (hostParameterId (id), 1), param.name),
          processor (processor), param (param), id (id)
    {
    }

    /** The permanent string id of table entry id (empty outside 0..21). */
    static const char* hostParameterId (int id) noexcept
    {
        static const char* const ids[ParameterTable::Count] = {"guitarType",
                                                               "roomType",
                                                               "stringType",
                                                               "attackPlace",
                                                               "volume",
                                                               "impedance",
                                                               "color",
                                                               "inharmonicity",
                                                               "mix",
                                                               "excitationType",
                                                               "strummingSpeed",
                                                               "vibratoFrequency",
                                                               "pitchBend",
                                                               "toggleHarmonics",
                                                               "togglePalm",
                                                               "toggleLegato",
                                                               "toggleSustain",
                                                               "toggleChords",
                                                               "vibratoMaxFrequency",
                                                               "palmMuteAmount",
                                                               "harmonicsAmount",
                                                               "twang"};
        return id >= 0 && id < ParameterTable::Count ? ids[id] : "";
    }

    float getValue() const override { return param.value; }
    void setValue (float newValue) override;

    /** The value the instrument starts with. Hosts take it for the value of a fresh
        instance (VST3 wrappers cache it until the first change; LV2 hosts read it from
        the plug-in's description), so it must be what the instrument really plays
        once constructed, with its startup preset applied: see adoptCurrentAsDefault. */
    float getDefaultValue() const override { return defaultValue; }

    /** Makes the current value the reported default. Called once the processor has
        applied its startup preset. */
    void adoptCurrentAsDefault() noexcept { defaultValue = param.value; }

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
