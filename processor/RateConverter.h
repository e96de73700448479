#pragma once

#include "../engine/GuitarConstants.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <vector>

namespace tovalin
{
/** Converts the engine's 44 100 Hz stream to the host rate by L/M with a polyphase
    windowed-sinc FIR of N taps per phase. Seven host rates are supported; any other
    rate makes configure() return false and the converter copy.

    Message thread: configure, release. Audio thread: the rest. */
class RateConverter
{
public:
    static constexpr int EngineRate = EngineSampleRate;
    /** The most engine samples one chunk of the block loop renders. */
    static constexpr int MaxChunk = 9000;

    struct RateSpec
    {
        int hostRate, up, down, taps;
    };
    static const RateSpec supportedRates[7];

    RateConverter();
    ~RateConverter();

    /** Sets up for hostRate (rounded to an integer). False when it is not supported. */
    bool configure (double hostRate, int samplesPerBlock);

    /** Engine samples to render for outputCount host samples. */
    int inputNeeded (int outputCount);

    /** The most host samples one chunk of at most maxInput engine samples can serve. */
    int outputsForInput (int maxInput) const noexcept;

    /** Moves the leftover samples of the previous chunk into channel 0 from startIndex
        on, at most maxCount of them; the rest stay for the next call. Returns the count moved. */
    int drainOverflow (juce::AudioBuffer<float>& buffer, int startIndex, int maxCount) noexcept;

    /** Leftover samples waiting for the next block. */
    int pendingOverflow() const noexcept { return overflowCount; }

    /** Where the chunk's engine samples go. */
    float* writePointer() noexcept { return work + historyLength; }

    /** Converts inputCount engine samples into channel 0 from startIndex on, producing
        outputCount samples there and keeping any surplus for the next block. */
    void process (juce::AudioBuffer<float>& buffer, int inputCount, int outputCount, int startIndex) noexcept;

    /** Fills host samples [0, numSamples) of channel 0: first the previous block's
        leftovers, then chunks of at most MaxChunk engine samples. For each chunk,
        renderChunk (engineBase, n, lastChunk, destination) must write n engine samples
        to destination; engineBase counts the engine samples of this block before the
        chunk. Returns the number of chunks (0 when the leftovers filled the block). */
    template <typename ChunkRenderer>
    int serveBlock (juce::AudioBuffer<float>& buffer, int numSamples, ChunkRenderer&& renderChunk)
    {
        int outPos = drainOverflow (buffer, 0, numSamples);
        int engineBase = 0;
        int chunks = 0;
        while (outPos < numSamples)
        {
            const int wanted = numSamples - outPos;
            const int served = std::min (wanted, outputsForInput (MaxChunk));
            const int n = inputNeeded (served);
            renderChunk (engineBase, n, served == wanted, writePointer());
            process (buffer, n, served, outPos);
            outPos += served;
            engineBase += n;
            ++chunks;
            if (outPos < numSamples)
                outPos += drainOverflow (buffer, outPos, numSamples - outPos);
        }
        return chunks;
    }

    /** Frees the work area and empties the leftovers. */
    void release();

    bool isConfigured() const noexcept { return work != nullptr; }
    bool isCopy() const noexcept { return up == 1 && down == 1; }
    double getInputPerOutput() const noexcept { return inputPerOutput; }
    bool isPrimed() const noexcept { return primed; }

    /** Builds the L phases of N taps of a windowed-sinc interpolator whose phase p is a
        fractional delay of p/L after tap N/2 - 1, cut off at cutoff (a fraction of the
        input Nyquist), each phase summed to 1. */
    static std::vector<float> makeCoefficients (int up, int taps, double cutoff);

private:
    void allocateWork (int floats);
    float filterOutput (const float* x, int cursor) const noexcept;

    float* work = nullptr;
    int workCapacity = 0;
    juce::AudioBuffer<float> overflow;
    int up = 1, down = 1;
    double inputPerOutput = 1.0, outputPerInput = 1.0;
    int taps = 0;
    std::vector<float> coefficients;
    int historyLength = 0;
    bool primed = false;
    int overflowCount = 0;
    int lastInputCount = 0;
    int phase = 1;
    int overflowCapacity = 0;

    JUCE_DECLARE_NON_COPYABLE (RateConverter)
};

} // namespace tovalin
