// A host's state chunk, whatever it holds: the instrument restores what it can read,
// keeps the rest, and its own chunk is then read back to the same state.
#include "presets/SafeXml.h"
#include "processor/TovalinPlugin.h"

#include <cstddef>
#include <cstdint>

namespace
{
tovalin::TovalinPlugin& plugin()
{
    static juce::ScopedJuceInitialiser_GUI gui;
    static tovalin::TovalinPlugin instance;
    return instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    tovalin::TovalinPlugin& p = plugin();
    // The chunk as a host hands it over, and the same bytes wrapped as the XML we write.
    p.setStateInformation (data, (int) size);
    if (auto xml = tovalin::parseXmlBytes (data, size))
    {
        juce::MemoryBlock wrapped;
        juce::AudioProcessor::copyXmlToBinary (*xml, wrapped);
        p.setStateInformation (wrapped.getData(), (int) wrapped.getSize());
    }
    juce::MemoryBlock saved;
    p.getStateInformation (saved);
    p.setStateInformation (saved.getData(), (int) saved.getSize());
    juce::MemoryBlock again;
    p.getStateInformation (again);
    if (again != saved)
        __builtin_trap(); // what we write, we read back whole
    return 0;
}
