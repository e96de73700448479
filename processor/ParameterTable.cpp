#include "ParameterTable.h"

#include <cmath>

namespace tovalin
{
namespace
{
    constexpr float significantChange = 1.0f / 128.0f;

    int roundHalfUp (double x) { return (int) std::floor (x + 0.5); }
} // namespace

// ---------------------------------------------------------------------------------
// Param

Param::Param (juce::String n, float defaultValue, bool isListedTarget, float neutral)
    : name (std::move (n)), value (defaultValue), lastFiredValue (defaultValue), listed (isListedTarget),
      neutralValue (neutral)
{
}

bool Param::hasChangedEnough (float x) const { return std::abs (x - lastFiredValue) > significantChange; }

juce::String Param::getText() const { return textFor (value); }

juce::String Param::textFor (float v) const { return juce::String (v); }

void Param::setFromText (const juce::String& text)
{
    const float x = text.getFloatValue();
    if (x == value)
        return;
    setValue (juce::jlimit (0.0f, 1.0f, x), true);
}

float Param::valueForText (const juce::String& text) const { return juce::jlimit (0.0f, 1.0f, text.getFloatValue()); }

bool Param::isActive() const { return std::abs (value - neutralValue) > significantChange; }

void Param::setValue (float x, bool updateLastFired)
{
    if (x == value)
        return;
    x = juce::jlimit (0.0f, 1.0f, x);
    value = x;
    if (updateLastFired)
        lastFiredValue = x;
    // The forcing itself arrives once and keeps the state; any other change ends it.
    if (std::abs (x - getForcedValue()) < 0.001f && forcePending)
        forcePending = false;
    else
        forced = false;
}

// ---------------------------------------------------------------------------------
// StepParam

StepParam::StepParam (juce::String n, juce::StringArray s, const juce::String& defaultText)
    : Param (std::move (n), 0.0f, false), steps (std::move (s))
{
    if (defaultText.isNotEmpty())
        setFromText (defaultText);
}

int StepParam::stepIndex (float v) const { return roundHalfUp ((double) v * (steps.size() - 1)); }

bool StepParam::hasChangedEnough (float x) const
{
    const int k = stepIndex (x);
    return k != stepIndex (value) && k < steps.size();
}

juce::String StepParam::textFor (float v) const
{
    const int k = stepIndex (v);
    return k >= 0 && k < steps.size() ? steps[k] : juce::String();
}

juce::String StepParam::getText() const { return textFor (value); }

void StepParam::setFromText (const juce::String& text) { setValue (valueForText (text), true); }

float StepParam::valueForText (const juce::String& text) const
{
    const int k = steps.indexOf (text); // exact, case-sensitive
    if (k < 0 || steps.size() < 2)
        return 0.0f;
    return (float) k / (float) (steps.size() - 1);
}

// ---------------------------------------------------------------------------------
// ToggleParam

ToggleParam::ToggleParam (juce::String n, bool on) : Param (std::move (n), on ? 1.0f : 0.0f, true), defaultOn (on) {}

juce::String ToggleParam::getText() const { return textFor (value); }

void ToggleParam::setFromText (const juce::String& text) { setValue (valueForText (text), true); }

float ToggleParam::valueForText (const juce::String& text) const
{
    if (text == "Off")
        return 0.0f;
    if (text == "On")
        return 1.0f;
    return defaultOn ? 1.0f : 0.0f;
}

bool ToggleParam::isActive() const { return value >= 0.5f; }

// ---------------------------------------------------------------------------------
// ParameterTable

ParameterTable::ParameterTable (const juce::StringArray& guitarNames, const juce::StringArray& roomNames)
{
    auto plain = [] (const char* n, float d, bool listed = true, float neutral = 0.0f)
    { return std::make_unique<Param> (n, d, listed, neutral); };
    // The insertion order sets the order of the names offered to the editor and to
    // mapped actions.
    add (Volume, plain ("Volume", 0.5f));
    add (Impedance, plain ("Impedance", 0.5f));
    add (Color, plain ("Color", 0.5f));
    add (Inharmonicity, plain ("Inharmonicity", 0.5f));
    add (Twang, plain ("Twang", 0.5f));
    add (Mix, plain ("Mix", 0.0f, false));
    add (AttackPlace, plain ("Attack Place", 0.5f));
    add (ExcitationType, plain ("Excitation type", 0.5f));
    add (StrummingSpeed, plain ("Strumming speed", 0.5f));
    add (VibratoFrequency, plain ("Vibrato freq.", 0.0f));
    add (VibratoMaxFrequency, plain ("Vibrato max freq", 0.5f));
    add (PitchBend, plain ("Pitch Bend", 0.5f, true, 0.5f));
    add (PalmMuteAmount, plain ("Palm mute amount", 0.5f));
    add (HarmonicsAmount, plain ("Harmonics amount", 0.5f));
    add (GuitarType, std::make_unique<StepParam> ("Guitar type", guitarNames, ""));
    add (RoomType, std::make_unique<StepParam> ("Room type", roomNames, "Medium 2"));
    add (StringType, std::make_unique<StepParam> ("String type", juce::StringArray ("Nylon", "Steel"), ""));
    add (ToggleHarmonics, std::make_unique<ToggleParam> ("Toggle harmonics", false));
    add (TogglePalm, std::make_unique<ToggleParam> ("Toggle palm", false));
    add (ToggleLegato, std::make_unique<ToggleParam> ("Toggle legato", false));
    add (ToggleChords, std::make_unique<ToggleParam> ("Toggle chords", true));
    add (ToggleSustain, std::make_unique<ToggleParam> ("Toggle sustain", false));
}

void ParameterTable::add (int id, std::unique_ptr<Param> param)
{
    allNames.add (param->name);
    if (param->isListed())
        listedNames.add (param->name);
    params[id] = std::move (param);
}

bool ParameterTable::findId (const juce::String& name, int& id) const
{
    for (const auto& [key, p] : params)
        if (p->name == name)
        {
            id = key;
            return true;
        }
    return false;
}

void ParameterTable::writeParameters (juce::XmlElement& parent) const
{
    const juce::ScopedLock pl (parameterLock);
    for (const auto& [id, p] : params)
    {
        auto* e = parent.createNewChildElement ("Parameter");
        e->setAttribute ("id", id);
        e->setAttribute ("title", p->name);
        e->setAttribute ("value", (double) p->value.load());
        e->setAttribute ("auto", p->forced ? 1 : 0);
    }
}

} // namespace tovalin
