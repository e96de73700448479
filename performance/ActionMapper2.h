#pragma once

namespace juce
{
class MidiMessage;
}

namespace tovalin
{
/** Offers each MIDI event to the mapped actions. No mapping set is installed yet, so
    nothing is consumed and every event goes on to the Guitarist.

    Audio thread: handleMidiMessage. */
class ActionMapper2
{
public:
    /** True when a mapped action consumed the message. */
    bool handleMidiMessage (const juce::MidiMessage&) noexcept { return false; }
};

} // namespace tovalin
