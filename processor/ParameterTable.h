#pragma once

#include "../performance/ParameterIds.h"

#include <juce_core/juce_core.h>

#include <map>
#include <memory>
#include <vector>

namespace tovalin
{
/** One host parameter: a normalised value 0..1 whose meaning its class decides.

    A change counts only when it is significant (hasChangedEnough); a parameter can be
    forced by the editor's three-way indicators into a special value, and leaves that
    state by itself on the next change to any other value.

    Fields are guarded by the table's parameterLock; value is also read without it
    (a float is written whole). */
class Param
{
public:
    Param (juce::String name, float defaultValue, bool listed, float neutralValue = 0.0f);
    virtual ~Param() = default;

    virtual bool hasChangedEnough (float newValue) const;
    virtual juce::String getText() const;
    virtual void setFromText (const juce::String& text);
    virtual float valueForText (const juce::String& text) const;
    virtual bool isActive() const;
    virtual float getForcedValue() const { return 1.0f; }
    virtual float getReleasedValue() const { return 0.0f; }
    virtual bool isListed() const { return listed; }

    /** The text the parameter would show at value v. */
    virtual juce::String textFor (float v) const;
    /** Distinct values the host may offer (0 for continuous). */
    virtual int stepCount() const { return 0; }

    void setValue (float newValue, bool updateLastFired);

    juce::String name;
    std::atomic<float> value{0.0f};
    float lastFiredValue = 0.0f;
    bool forced = false;
    bool forcePending = true;
    bool listed = false;
    float neutralValue = 0.0f;
};

/** A choice among named steps. */
class StepParam : public Param
{
public:
    StepParam (juce::String name, juce::StringArray steps, const juce::String& defaultText);

    bool hasChangedEnough (float newValue) const override;
    juce::String getText() const override;
    void setFromText (const juce::String& text) override;
    float valueForText (const juce::String& text) const override;
    juce::String textFor (float v) const override;
    int stepCount() const override { return steps.size(); }

    /** The step that value v selects (may be steps.size() or more for v beyond 1). */
    int stepIndex (float v) const;

    juce::StringArray steps;
};

/** An on/off switch: on from 0.5. */
class ToggleParam : public Param
{
public:
    ToggleParam (juce::String name, bool defaultOn);

    juce::String getText() const override;
    void setFromText (const juce::String& text) override;
    float valueForText (const juce::String& text) const override;
    bool isActive() const override;
    float getForcedValue() const override { return 0.9888f; }
    juce::String textFor (float v) const override { return v >= 0.5f ? "On" : "Off"; }
    int stepCount() const override { return 2; }

    bool defaultOn;
};

/** The 22 host parameters, ids 0 to 21. */
class ParameterTable : public ParameterIds
{
public:
    /** Builds the 22 parameters with the guitar and room names as their choices. */
    ParameterTable (const juce::StringArray& guitarNames, const juce::StringArray& roomNames);

    void add (int id, std::unique_ptr<Param> param);
    /** ids 0..21 only. */
    Param& get (int id) const { return *params.at (id); }
    bool findId (const juce::String& name, int& id) const;

    /** One "Parameter" element per parameter, in ascending id. */
    void writeParameters (juce::XmlElement& parent) const;

    juce::StringArray allNames;    // in insertion order
    juce::StringArray listedNames; // the targets of mapped parameter actions
    juce::CriticalSection parameterLock;

private:
    std::map<int, std::unique_ptr<Param>> params;
};

} // namespace tovalin
