#pragma once

#include "PerformanceHost.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

namespace tovalin
{
/** What a mapped MIDI source does. The base kind, "None", does nothing.

    perform runs on the audio thread (from the mapper's dispatch) and never
    allocates; everything else runs on the message thread. */
class Action2
{
public:
    explicit Action2 (PerformanceHost& p) : processor (p) {}
    virtual ~Action2() = default;

    /** The kind's name: the "type" of a stored mapping. */
    virtual juce::String getName() const { return "None"; }
    /** value 0..127; isKey for a note-on or note-off, isKeyDown for a note-on. */
    virtual void perform (int value, bool isKey, bool isKeyDown) noexcept;
    virtual juce::StringArray getTargetChoices() const { return {}; }
    virtual void setTarget (const juce::String& text) { what = text; }
    virtual juce::String getTarget() const { return what; }
    virtual std::unique_ptr<Action2> clone() const { return std::make_unique<Action2> (processor); }
    /** Meant for keys rather than controllers. */
    virtual bool isKeyAction() const { return false; }
    virtual juce::String getHelpText() const { return {}; }
    /** The mapping is being removed: leave what it drove at rest. */
    virtual void resetToNeutral() {}

protected:
    /** A host-notified parameter change inside a change gesture. */
    void setParameter (int id, float value) noexcept;

    PerformanceHost& processor;
    juce::String what;
};

/** Sets a listed parameter to value / 127 (key releases do nothing). */
class ActionSetParameter : public Action2
{
public:
    using Action2::Action2;
    juce::String getName() const override { return "Set Parameter"; }
    void perform (int value, bool isKey, bool isKeyDown) noexcept override;
    juce::StringArray getTargetChoices() const override;
    void setTarget (const juce::String& text) override;
    juce::String getTarget() const override;
    std::unique_ptr<Action2> clone() const override { return std::make_unique<ActionSetParameter> (processor); }
    juce::String getHelpText() const override;

    int parameterId = ParameterIds::Volume;
};

/** Loads a preset by name: on a controller event or a key press. */
class ActionLoadProgram : public Action2
{
public:
    using Action2::Action2;
    juce::String getName() const override { return "Load Preset"; }
    void perform (int value, bool isKey, bool isKeyDown) noexcept override;
    juce::StringArray getTargetChoices() const override;
    void setTarget (const juce::String& text) override { presetName = text; }
    juce::String getTarget() const override;
    std::unique_ptr<Action2> clone() const override;
    bool isKeyAction() const override { return true; }
    juce::String getHelpText() const override { return "Move the controller to change the current preset."; }

    juce::String presetName;
};

class ActionSetVibrato : public Action2
{
public:
    using Action2::Action2;
    juce::String getName() const override { return "Vibrato"; }
    void perform (int value, bool isKey, bool isKeyDown) noexcept override;
    std::unique_ptr<Action2> clone() const override { return std::make_unique<ActionSetVibrato> (processor); }
    juce::String getHelpText() const override { return "Move the controller to change the vibrato frequency."; }
    void resetToNeutral() override;
};

/** Restrums the current chord; a held key also sets the direction of new chords. */
class ActionStrum : public Action2
{
public:
    ActionStrum (PerformanceHost& p, bool upward) : Action2 (p), up (upward) {}
    juce::String getName() const override { return up ? "Strum up" : "Strum down"; }
    void perform (int value, bool isKey, bool isKeyDown) noexcept override;
    std::unique_ptr<Action2> clone() const override { return std::make_unique<ActionStrum> (processor, up); }
    bool isKeyAction() const override { return true; }
    juce::String getHelpText() const override;

    const bool up;
};

class ActionSetPitchBend : public Action2
{
public:
    using Action2::Action2;
    juce::String getName() const override { return "Pitch bend"; }
    void perform (int value, bool isKey, bool isKeyDown) noexcept override;
    std::unique_ptr<Action2> clone() const override { return std::make_unique<ActionSetPitchBend> (processor); }
    juce::String getHelpText() const override { return "Move the controller to shift the pitch of all strings."; }
    void resetToNeutral() override;
};

/** Switches a playing mode from a key: latched (each press toggles) or held. */
class ActionToggle : public Action2
{
public:
    ActionToggle (PerformanceHost& p, juce::String mode, int parameter, bool latched)
        : Action2 (p), modeName (std::move (mode)), parameterId (parameter), latch (latched)
    {
    }
    juce::String getName() const override { return "Toggle " + modeName; }
    void perform (int value, bool isKey, bool isKeyDown) noexcept override;
    std::unique_ptr<Action2> clone() const override
    {
        return std::make_unique<ActionToggle> (processor, modeName, parameterId, latch);
    }
    bool isKeyAction() const override { return true; }
    juce::String getHelpText() const override;
    void resetToNeutral() override;

    const juce::String modeName;
    const int parameterId;
    const bool latch;
};

} // namespace tovalin
