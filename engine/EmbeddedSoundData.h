#pragma once

#include <cstddef>

namespace tovalin
{
/** data/sound-data.bin as the build embedded it (the format of SoundDataFormat.h). */
const unsigned char* embeddedSoundData() noexcept;
size_t embeddedSoundDataSize() noexcept;

} // namespace tovalin
