// The renderer's MIDI file reader on arbitrary bytes: an error or a performance of
// well-formed channel messages at finite times, never a crash, an overrun or an
// endless loop.
#include "render/MidiFileReader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes (data, data + size);
    tovalin::MidiFileContents contents;
    std::string error;
    if (tovalin::readMidiFile (bytes, contents, error))
    {
        if (! std::isfinite (contents.lengthSeconds))
            __builtin_trap();
        for (const auto& e : contents.events)
        {
            if (e.size < 2 || e.size > 3 || ! (e.seconds >= 0.0) || ! std::isfinite (e.seconds))
                __builtin_trap();
            if (e.bytes[0] < 0x80 || e.bytes[0] >= 0xF0)
                __builtin_trap();
            for (int i = 1; i < e.size; ++i)
                if (e.bytes[i] >= 0x80)
                    __builtin_trap();
        }
    }
    else if (error.empty())
        __builtin_trap();
    return 0;
}
