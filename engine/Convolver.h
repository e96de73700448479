#pragma once

#include "FFTReal.h"
#include "Vector.h"

#include <memory>
#include <vector>

namespace tovalin
{
/** The body filter: partitioned overlap-save convolution in the frequency domain, with
    rings of output-spectrum accumulators. Its latency is one partition of the head;
    once its input has gone silent and the filter's tail has passed, it rests and
    computes nothing.

    The response is cut non-uniformly: a head of short partitions of the latency's
    length, then levels of partitions four times longer each (see load). A long
    partition's work for one input frame (a forward transform, its multiply-adds,
    an inverse transform) is spread over the hops that frame's length allows, so
    that every hop costs about the same. The output is that of a direct
    convolution within single-precision rounding.

    Audio thread: setOutput, process, startTail, wake, reset. load runs on another
    thread while audio processing is suspended. */
class Convolver
{
public:
    Convolver() = default;

    /** Installs filter h of n samples, padded to a partitions of the latency's length
        (a <= 0: nothing changes). Returns the partition length, which is the latency
        in samples. */
    int load (const float* h, int n, int a);

    /** Empties the buffers and the rings; the resting state is kept. */
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
    /** The response's length in partitions of the latency's length, as loaded. */
    int partitionCount() const noexcept { return partitions; }
    /** Latency in samples: one partition (0 before a filter is loaded). */
    int latency() const noexcept { return partitionLength_; }
    bool isTailCounting() const noexcept { return tailCounting; }
    bool isSilent() const noexcept { return silent; }
    /** Hops computed since loading, for observing the resting state. */
    long long hopCount() const noexcept { return hops; }

    /** The layout: level 0 is the head; each level has partitions of one length. */
    int levelCount() const noexcept { return (int) levels.size(); }
    int levelBlockLength (int level) const noexcept { return levels[(size_t) level].blockLength; }
    int levelPartitions (int level) const noexcept { return levels[(size_t) level].partitions; }
    /** Hops after startTail until the convolver rests. */
    int restHops() const noexcept { return hopsToRest; }

private:
    /** Partitions of one length B, as a uniformly partitioned convolution of its part
        of the response, delayed by its offset. */
    struct Level
    {
        int blockLength = 0;  // B
        int offset = 0;       // where its part of the response starts, in samples
        int partitions = 0;   // K
        int hopsPerFrame = 0; // B over the head's partition length
        std::unique_ptr<FFTReal<float>> fft;
        std::unique_ptr<Vector<float>> filterStorage, ringStorage, frame, spectrum, blockOut;
        std::vector<const float*> filters; // partition k's spectrum
        std::vector<float*> slots;         // ring slot k
        std::vector<float*> targets;       // one step's multiply-add destinations
        int ringIndex = 0;                 // the slot that is output next
        int nextPartition = 0;             // multiply-adds of the current frame done so far
        long long frameEnd = 0;            // input time at which the current frame ended
    };

    void hop() noexcept;
    /** One hop's share of a level's work: the forward transform when a frame has
        just ended, some multiply-adds, and the inverse transform when all are done. */
    void step (Level& level) noexcept;
    void gatherFrame (float* frame, int length) const noexcept;

    int partitions = 0;
    int partitionLength_ = 0;
    std::vector<Level> levels;
    // The input's last samples, circularly, long enough for the longest frame.
    std::unique_ptr<Vector<float>> history;
    int historyMask = 0;
    // The levels' outputs, summed ahead of time by output time, circularly.
    std::unique_ptr<Vector<float>> ahead;
    int aheadMask = 0;
    // The output of the last hop, read out over the next partition.
    std::unique_ptr<Vector<float>> outputBlock;
    int fill = 0;             // samples consumed since the last hop
    long long hopIndex = 0;   // hops since reset
    long long inputCount = 0; // samples consumed since reset
    int hopsToRest = 0;
    float* output = nullptr;
    int written = 0;
    bool tailCounting = false;
    bool silent = true;
    int tailHops = 0;
    long long hops = 0;
};

} // namespace tovalin
