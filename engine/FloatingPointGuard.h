#pragma once

namespace tovalin
{
/** The floating-point environment around one audio block, on the calling thread:
    denormals flushed to zero during the block, arithmetic faults detected, and the
    caller's settings restored afterwards.

    Audio thread: enterAudioBlock() at the start of a block, hadArithmeticError()
    after rendering, leaveAudioBlock() before returning to the host. */
class FloatingPointGuard
{
public:
    /** Saves the x87 control word and the SSE control/status register, switches on
        flush-to-zero and denormals-are-zero, clears the status flags. */
    void enterAudioBlock() noexcept;

    /** Reads and clears the status flags: true if an overflow, a division by zero or
        an invalid operation happened since they were last cleared. */
    bool hadArithmeticError() noexcept;

    /** Restores the saved SSE register and x87 control word, clears the status flags. */
    void leaveAudioBlock() noexcept;

private:
    unsigned int savedMxcsr = 0;
    unsigned short savedX87Control = 0;
    bool entered = false;
};

/** Enters on construction and leaves on destruction. */
class ScopedAudioBlockGuard
{
public:
    ScopedAudioBlockGuard() noexcept { guard.enterAudioBlock(); }
    ~ScopedAudioBlockGuard() { guard.leaveAudioBlock(); }
    bool hadArithmeticError() noexcept { return guard.hadArithmeticError(); }

    ScopedAudioBlockGuard (const ScopedAudioBlockGuard&) = delete;
    ScopedAudioBlockGuard& operator= (const ScopedAudioBlockGuard&) = delete;

private:
    FloatingPointGuard guard;
};

} // namespace tovalin
