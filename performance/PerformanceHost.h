#pragma once

#include "ParameterIds.h"

#include <juce_core/juce_core.h>

namespace tovalin
{
class Fingering;
class TranscriptionChordsMode;

/** What the mapped actions and the action mapper act on: the processor, seen from
    the performance layer. Implemented by the processor.

    Threads. "Audio" operations are called from the mapper's dispatch inside a block
    and must neither allocate nor wait on a lock another thread may hold; "message"
    operations come from the mapper's edits, the mappings editor and preset loads. */
class PerformanceHost
{
public:
    virtual ~PerformanceHost() = default;

    /** Audio and message. A host-notified change of parameter id inside a change
        gesture (what a mapped action does). */
    virtual void changeParameterInGesture (int id, float value) noexcept = 0;

    /** Audio. A host-notified change of parameter id without a gesture (aftertouch
        bend, which streams). */
    virtual void setParameterNotifyingHost (int id, float value) = 0;

    /** Audio and message. The current normalised value of parameter id. */
    virtual float parameterValue (int id) const noexcept = 0;

    /** Message. The value parameter id had when the instrument was built. */
    virtual float parameterDefault (int id) const = 0;

    /** Message. The parameters a "Set Parameter" action may drive, by name. */
    virtual juce::StringArray listedParameterNames() const = 0;

    /** Message. The id of the parameter named name; false when there is none. */
    virtual bool findParameterId (const juce::String& name, int& id) const = 0;

    /** Message. The name of parameter id. */
    virtual juce::String parameterName (int id) const = 0;

    /** Audio. Asks for the named sound preset to be loaded on the message thread
        (loading parses and allocates); never allocates. */
    virtual void requestPresetLoad (const juce::String& name) noexcept = 0;

    /** Message. The sound presets' names. */
    virtual juce::StringArray presetNames() const = 0;

    /** Audio. The keyboard's chord mode, for strums. */
    virtual TranscriptionChordsMode& chordsMode() noexcept = 0;

    /** Audio. Where each string is played now. */
    virtual const Fingering& currentFingering() const noexcept = 0;

    /** Audio. The "bendOnAftertouch" preference. */
    virtual bool bendsOnAftertouch() const noexcept = 0;

    /** Message. The lock held around every block, so around every dispatch: the
        mapper's edits hold it so that none overlaps a dispatch. */
    virtual const juce::CriticalSection& dispatchLock() const noexcept = 0;
};

} // namespace tovalin
