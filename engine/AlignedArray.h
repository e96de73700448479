#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tovalin
{
/** 16-byte aligned storage for the engine's 4-wide loads and stores. */
inline void* allocateAligned (std::size_t bytes)
{
    void* p = nullptr;
    if (posix_memalign (&p, 64, bytes == 0 ? 64 : bytes) != 0)
        throw std::bad_alloc();
    return p;
}

inline void freeAligned (void* p) noexcept { std::free (p); }

} // namespace tovalin
