// The renderer's MIDI file reader on arbitrary bytes: an error or a performance,
// never a crash, an overrun or an endless loop.
#include "render/MidiFileReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes (data, data + size);
    tovalin::MidiFileContents contents;
    std::string error;
    if (tovalin::readMidiFile (bytes, contents, error))
        for (const auto& e : contents.events)
            if (e.size < 1 || e.size > 3 || ! (e.seconds >= 0.0))
                __builtin_trap();
    return 0;
}
