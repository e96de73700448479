#include "EmbeddedSoundData.h"

// The file is assembled in as it stands: no multi-megabyte array for the compiler to parse.
__asm__(".section .rodata\n"
        ".balign 16\n"
        ".global tovalinSoundDataBegin\n"
        ".hidden tovalinSoundDataBegin\n"
        "tovalinSoundDataBegin:\n"
        ".incbin \"" TOVALIN_SOUND_DATA_FILE "\"\n"
        ".global tovalinSoundDataEnd\n"
        ".hidden tovalinSoundDataEnd\n"
        "tovalinSoundDataEnd:\n"
        ".previous\n");

extern "C" const unsigned char tovalinSoundDataBegin[];
extern "C" const unsigned char tovalinSoundDataEnd[];

namespace tovalin
{
const unsigned char* embeddedSoundData() noexcept { return tovalinSoundDataBegin; }

size_t embeddedSoundDataSize() noexcept { return (size_t) (tovalinSoundDataEnd - tovalinSoundDataBegin); }

} // namespace tovalin
