// Any MIDI a host can send, on every channel, with parameter changes between blocks:
// the output stays finite and bounded, and nothing crashes.
#include "processor/TovalinPlugin.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace
{
tovalin::TovalinPlugin& plugin()
{
    static juce::ScopedJuceInitialiser_GUI gui;
    static tovalin::TovalinPlugin instance;
    static const bool prepared = []
    {
        instance.setPlayConfigDetails (0, 2, 48000, 64);
        instance.prepareToPlay (48000, 64);
        return true;
    }();
    (void) prepared;
    return instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    tovalin::TovalinPlugin& p = plugin();
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    std::size_t i = 0;
    auto byte = [&] { return i < size ? data[i++] : (std::uint8_t) 0; };
    while (i < size)
    {
        midi.clear();
        const int events = byte() % 8;
        for (int e = 0; e < events && i < size; ++e)
        {
            const std::uint8_t bytes[3] = {(std::uint8_t) (byte() | 0x80), (std::uint8_t) (byte() & 0x7f),
                                           (std::uint8_t) (byte() & 0x7f)};
            const int length = juce::MidiMessage::getMessageLengthFromFirstByte (bytes[0]);
            if (bytes[0] != 0xf0 && bytes[0] != 0xf7)
                midi.addEvent (bytes, std::min (length, 3), byte() % 64);
        }
        const std::uint8_t control = byte();
        if (control < 22) // now and then a parameter moves, as automation would
            p.setParameterNotifyingHost (control, (float) byte() / 255.0f);
        {
            const juce::ScopedLock sl (p.getCallbackLock());
            p.processBlock (buffer, midi);
        }
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s < 64; ++s)
            {
                const float v = buffer.getSample (c, s);
                if (! std::isfinite (v) || std::abs (v) > 100.0f)
                    __builtin_trap();
            }
    }
    return 0;
}
