#include "Convolver.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tovalin
{
namespace
{
    int powerOfTwoAtLeast (int n)
    {
        int p = 1;
        while (p < n)
            p <<= 1;
        return p;
    }
} // namespace

int Convolver::load (const float* h, int n, int a)
{
    if (a <= 0 || n <= 0 || h == nullptr)
        return partitionLength_;
    if (a >= n)
        a = std::min (n / 2, 8);
    // A filter of one sample leaves no half to split: one partition.
    if (a < 1)
        a = 1;

    partitions = a;
    const int b = (n + a - 1) / a;
    // The transform needs at least 16 points.
    const int P = std::max (8, powerOfTwoAtLeast (b));
    partitionLength_ = P;

    // The layout. A level of partitions of length B whose part of the response starts
    // at offset O finishes an input frame's work B - P samples after the frame ended
    // (spread over B / P hops), and the first output that work feeds is read out
    // O - B + P samples after it: O = 2B - 2P is the earliest offset in time. With B
    // four times the last level's, each level then holds six partitions up to the
    // next; the last holds the rest. A level is added while the rest of the response
    // fills at least one of its partitions, up to partitions of 4096 samples (or
    // four of the latency's): longer ones cost more in transforms than they save in
    // multiply-adds, and their transforms would weigh on the hop that runs them.
    const int length = a * P;
    const int longest = std::max (4096, 4 * P);
    std::vector<int> blocks{P}, offsets{0};
    for (;;)
    {
        const int B = blocks.back() * 4;
        const int O = 2 * B - 2 * P;
        if (B > longest || length - O < B)
            break;
        blocks.push_back (B);
        offsets.push_back (O);
    }

    // Filter gain: the response normalised to an RMS of 1/100.
    float energy = 0.0f;
    for (int j = 0; j < n; ++j)
        energy += h[j] * h[j];
    const float rms = std::sqrt (energy / (float) n);
    const float gain = rms > 0.0f ? 1.0f / (100.0f * rms) : 1.0f;

    levels.clear();
    levels.resize (blocks.size());
    int end = 0;
    for (size_t i = 0; i < blocks.size(); ++i)
    {
        Level& level = levels[i];
        const int B = blocks[i], fftSize = 2 * B;
        level.blockLength = B;
        level.offset = offsets[i];
        level.partitions =
            i + 1 < blocks.size() ? (offsets[i + 1] - offsets[i]) / B : (length - offsets[i] + B - 1) / B;
        level.hopsPerFrame = B / P;
        level.fft = std::make_unique<FFTReal<float>> (fftSize);
        const int K = level.partitions;
        // Each kind in one block, partition after partition: a step streams through
        // the spectra and the ring in address order, which prefetching follows.
        level.filterStorage = std::make_unique<Vector<float>> (K * fftSize);
        level.ringStorage = std::make_unique<Vector<float>> (K * fftSize);
        level.frame = std::make_unique<Vector<float>> (fftSize);
        level.spectrum = std::make_unique<Vector<float>> (fftSize);
        level.blockOut = std::make_unique<Vector<float>> (fftSize);
        level.filters.assign ((size_t) K, nullptr);
        level.slots.assign ((size_t) K, nullptr);
        level.targets.assign ((size_t) K, nullptr);
        const float scale = gain / (float) fftSize;
        float* frame = level.frame->data();
        for (int k = 0; k < K; ++k)
        {
            std::fill (frame, frame + fftSize, 0.0f);
            for (int j = 0; j < B; ++j)
            {
                const int index = level.offset + k * B + j;
                if (index < n)
                    frame[j] = h[index] * scale;
            }
            float* spectrum = level.filterStorage->data() + (size_t) k * (size_t) fftSize;
            level.fft->doFft (frame, spectrum);
            level.filters[(size_t) k] = spectrum;
            level.slots[(size_t) k] = level.ringStorage->data() + (size_t) k * (size_t) fftSize;
        }
        end = level.offset + K * B;
    }

    history = std::make_unique<Vector<float>> (2 * blocks.back());
    historyMask = 2 * blocks.back() - 1;
    // The levels write up to about two of their partitions ahead of the output.
    ahead = std::make_unique<Vector<float>> (4 * blocks.back());
    aheadMask = 4 * blocks.back() - 1;
    outputBlock = std::make_unique<Vector<float>> (P);
    // The last input frame's contributions end `end` samples after it, and come out
    // one partition later.
    hopsToRest = levels.size() == 1 ? a + 1 : end / P + 2;
    hops = 0;
    reset();
    return P;
}

void Convolver::reset() noexcept
{
    if (history == nullptr)
        return;
    history->clear();
    ahead->clear();
    outputBlock->clear();
    for (Level& level : levels)
    {
        level.ringStorage->clear();
        level.frame->clear();
        level.spectrum->clear();
        level.blockOut->clear();
        level.ringIndex = 0;
        level.nextPartition = level.partitions; // no frame under way
        level.frameEnd = 0;
    }
    fill = 0;
    hopIndex = 0;
    inputCount = 0;
    tailHops = 0;
}

void Convolver::setOutput (float* destination, int) noexcept
{
    output = destination;
    written = 0;
}

void Convolver::startTail() noexcept
{
    if (! silent)
    {
        tailCounting = true;
        tailHops = 0;
    }
}

void Convolver::wake() noexcept
{
    if (silent || tailCounting)
    {
        silent = false;
        tailCounting = false;
        tailHops = 0;
    }
}

void Convolver::process (const float* input, int n) noexcept
{
    if (output == nullptr)
        return;
    if (silent || partitions == 0)
    {
        std::memset (output + written, 0, sizeof (float) * (size_t) n);
        written += n;
        return;
    }
    const int P = partitionLength_;
    float* past = history->data();
    const float* out = outputBlock->data();
    int j = 0;
    while (j < n)
    {
        const int chunk = std::min (n - j, P - fill);
        std::memcpy (output + written, out + fill, sizeof (float) * (size_t) chunk);
        const int at = (int) (inputCount & historyMask);
        const int first = std::min (chunk, historyMask + 1 - at);
        std::memcpy (past + at, input + j, sizeof (float) * (size_t) first);
        std::memcpy (past, input + j + first, sizeof (float) * (size_t) (chunk - first));
        inputCount += chunk;
        written += chunk;
        j += chunk;
        fill += chunk;
        if (fill == P)
        {
            fill = 0;
            hop();
        }
    }
}

void Convolver::gatherFrame (float* frame, int length) const noexcept
{
    // The last `length` input samples in time order.
    const float* past = history->data();
    const int start = (int) ((inputCount - length) & historyMask);
    const int first = std::min (length, historyMask + 1 - start);
    std::memcpy (frame, past + start, sizeof (float) * (size_t) first);
    std::memcpy (frame + first, past, sizeof (float) * (size_t) (length - first));
}

void Convolver::step (Level& level) noexcept
{
    const int B = level.blockLength, K = level.partitions, S = level.hopsPerFrame;
    const int s = (int) (hopIndex % S);
    if (s == 0)
    {
        gatherFrame (level.frame->data(), 2 * B);
        level.fft->doFft (level.frame->data(), level.spectrum->data());
        level.nextPartition = 0;
        level.frameEnd = inputCount;
    }
    // The frame's multiply-adds in equal shares over its hops: partition k adds this
    // frame's share to the output k frames on.
    const int done = (int) (((long long) K * (s + 1) + S - 1) / S);
    const int count = done - level.nextPartition;
    if (count > 0)
    {
        for (int i = 0; i < count; ++i)
        {
            int slot = level.ringIndex + level.nextPartition + i;
            while (slot >= K)
                slot -= K;
            level.targets[(size_t) i] = level.slots[(size_t) slot];
        }
        spectrumMultiplyAddEach (level.targets.data(), level.spectrum->data(),
                                 level.filters.data() + level.nextPartition, count, 2 * B);
        level.nextPartition = done;
    }
    if (s != S - 1)
        return;

    // All partitions are in: the slot due now becomes output, then starts over as the
    // farthest one.
    float* due = level.slots[(size_t) level.ringIndex];
    level.fft->doIfft (due, level.blockOut->data());
    std::memset (due, 0, sizeof (float) * (size_t) (2 * B));
    level.ringIndex = level.ringIndex + 1 == K ? 0 : level.ringIndex + 1;
    // The last half is this frame's output (the first is the circular wrap).
    const float* result = level.blockOut->data() + B;
    if (level.offset == 0)
    {
        std::memcpy (outputBlock->data(), result, sizeof (float) * (size_t) B);
        return;
    }
    float* sums = ahead->data();
    const long long at = level.frameEnd - B + level.offset;
    for (int m = 0; m < B; ++m)
        sums[(at + m) & aheadMask] += result[m];
}

void Convolver::hop() noexcept
{
    const int P = partitionLength_;
    ++hops;
    ++hopIndex;
    // The longer levels first: they may finish the part of this hop's output that
    // falls due now.
    for (size_t l = levels.size(); l-- > 1;)
        step (levels[l]);
    step (levels[0]);
    if (levels.size() > 1)
    {
        float* out = outputBlock->data();
        float* due = ahead->data() + (((hopIndex - 1) * P) & aheadMask);
        for (int m = 0; m < P; ++m)
        {
            out[m] += due[m];
            due[m] = 0.0f;
        }
    }

    if (tailCounting && ++tailHops >= hopsToRest)
        silent = true;
}

} // namespace tovalin
