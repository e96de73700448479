#include "FloatingPointGuard.h"

#include <cfenv>

#include <xmmintrin.h>

namespace tovalin
{
namespace
{
    constexpr unsigned int flushToZero = 0x8000;
    constexpr unsigned int denormalsAreZero = 0x0040;
    constexpr unsigned int sseStatusFlags = 0x003F;

    inline unsigned short readX87Control() noexcept
    {
        unsigned short cw = 0;
        __asm__ __volatile__("fnstcw %0" : "=m"(cw));
        return cw;
    }

    inline void writeX87Control (unsigned short cw) noexcept { __asm__ __volatile__("fldcw %0" : : "m"(cw)); }

    // The x87 and SSE exception flags. Not feclearexcept, which saves and reloads the
    // whole x87 environment, several hundred cycles at every block.
    inline void clearStatusFlags() noexcept
    {
        __asm__ __volatile__("fnclex");
        _mm_setcsr (_mm_getcsr() & ~sseStatusFlags);
    }
} // namespace

void FloatingPointGuard::enterAudioBlock() noexcept
{
    savedX87Control = readX87Control();
    savedMxcsr = _mm_getcsr();
    _mm_setcsr ((savedMxcsr | flushToZero | denormalsAreZero) & ~sseStatusFlags);
    clearStatusFlags();
    entered = true;
}

bool FloatingPointGuard::hadArithmeticError() noexcept
{
    const bool fault = std::fetestexcept (FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID) != 0;
    clearStatusFlags();
    return fault;
}

void FloatingPointGuard::leaveAudioBlock() noexcept
{
    if (! entered)
        return;
    _mm_setcsr (savedMxcsr & ~sseStatusFlags);
    clearStatusFlags();
    writeX87Control (savedX87Control);
    entered = false;
}

} // namespace tovalin
