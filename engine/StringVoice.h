#pragma once

namespace tovalin
{
/** The running state of one string. No string model is attached yet: the voice
    stays idle and renders nothing.

    Audio thread: render, reset, stop, activate (inside the callback lock). */
class StringVoice
{
public:
    /** Adds up to count samples into buffer[offset...]; true if any sample was computed.
        An idle voice is skipped without touching the buffer. */
    bool render (int count, float* buffer, int offset) noexcept
    {
        (void) buffer;
        (void) offset;
        return count > 0 && idle == 0;
    }

    void reset() noexcept {}
    void stop() noexcept { idle = 1; }
    void activate() noexcept {}

    /** 1 when the string is silent and skipped. */
    unsigned char idle = 1;
};

} // namespace tovalin
