#pragma once

namespace tovalin
{
/** The body-filter stage of the block loop. No body filter is loaded yet, so it
    passes its input through unchanged with no latency.

    Audio thread: setOutput, process, startTail, wake, reset. */
class Convolver
{
public:
    /** Where the next process call writes; the length is not used. */
    void setOutput (float* destination, int length) noexcept
    {
        output = destination;
        (void) length;
        written = 0;
    }

    /** Consumes n input samples and writes n output samples. */
    void process (const float* input, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
            output[written + i] = silent ? 0.0f : input[i];
        written += n;
    }

    /** The input has gone silent: play out the tail, then rest. */
    void startTail() noexcept
    {
        if (! silent)
            tailCounting = true;
    }

    /** The input is active again. */
    void wake() noexcept
    {
        tailCounting = false;
        silent = false;
    }

    void reset() noexcept {}

    /** Latency in engine samples. */
    int latency() const noexcept { return 0; }

    bool isTailCounting() const noexcept { return tailCounting; }

private:
    float* output = nullptr;
    int written = 0;
    bool tailCounting = false;
    bool silent = false;
};

} // namespace tovalin
