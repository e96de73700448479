#pragma once

#include "FFTReal.h"
#include "Vector.h"

#include <memory>
#include <vector>

namespace tovalin
{
/** The body filter: uniformly partitioned overlap-save convolution with a ring of
    output-spectrum accumulators. Its latency is one partition; once its input has
    gone silent and the filter's tail has passed, it rests and computes nothing.

    Audio thread: setOutput, process, startTail, wake, reset. load runs on another
    thread while audio processing is suspended. */
class Convolver
{
public:
    Convolver() = default;

    /** Installs filter h of n samples in a partitions (a <= 0: nothing changes).
        Returns the partition length, which is the latency in samples. */
    int load (const float* h, int n, int a);

    /** Empties the buffers and the ring; the resting state is kept. */
    void reset() noexcept;

    /** Where the next process call writes; the length is not used. */
    void setOutput (float* destination, int length) noexcept;

    /** Consumes n input samples and writes n output samples. */
    void process (const float* input, int n) noexcept;

    /** The input has gone silent: play out the tail, then rest. */
    void startTail() noexcept;

    /** The input is active again. */
    void wake() noexcept;

    int partitionLength() const noexcept { return partitionLength_; }
    int partitionCount() const noexcept { return partitions; }
    /** Latency in samples: one partition (0 before a filter is loaded). */
    int latency() const noexcept { return partitionLength_; }
    bool isTailCounting() const noexcept { return tailCounting; }
    bool isSilent() const noexcept { return silent; }
    /** Hops (transform pairs) computed since loading, for observing the resting state. */
    long long hopCount() const noexcept { return hops; }

private:
    void hop() noexcept;

    int partitions = 0;
    int partitionLength_ = 0;
    int fftSize = 0;
    std::unique_ptr<FFTReal<float>> fft;
    std::unique_ptr<Vector<float>> filterStorage, ringStorage;
    // Views into the two blocks above, one per partition.
    std::vector<Vector<float>> filterSpectra;
    std::vector<Vector<float>> ring;
    // Each hop's multiply-add targets: filter partition i into the ring slot it feeds.
    std::vector<const float*> filterPointers;
    std::vector<float*> ringPointers;
    std::unique_ptr<Vector<float>> inputBuffer, fftInput, outputBuffer, spectrum, blockOut;
    int position = 0;
    int ringIndex = 0;
    int clearIndex = -1;
    float* output = nullptr;
    int written = 0;
    bool tailCounting = false;
    bool silent = true;
    int tailHops = 0;
    long long hops = 0;
};

} // namespace tovalin
