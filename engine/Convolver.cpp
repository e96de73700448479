#include "Convolver.h"

#include <cmath>
#include <cstring>

namespace tovalin
{
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
    int P = 1;
    while (P < b)
        P <<= 1;
    // The transform needs at least 16 points.
    if (P < 8)
        P = 8;
    partitionLength_ = P;
    fftSize = 2 * P;
    fft = std::make_unique<FFTReal<float>> (fftSize);

    // Filter gain: the response normalised to an RMS of 1/100.
    float energy = 0.0f;
    for (int j = 0; j < n; ++j)
        energy += h[j] * h[j];
    const float rms = std::sqrt (energy / (float) n);
    const float gain = rms > 0.0f ? 1.0f / (100.0f * rms) : 1.0f;

    filterSpectra.clear();
    ring.clear();
    // Each kind in one block, partition after partition: every hop then streams
    // through the spectra and the ring in address order, which the processor's
    // prefetching follows (separate blocks would restart it at each partition).
    filterStorage = std::make_unique<Vector<float>> (a * fftSize);
    ringStorage = std::make_unique<Vector<float>> (a * fftSize);
    Vector<float> frame (fftSize);
    const float scale = gain / (float) fftSize;
    for (int k = 0; k < a; ++k)
    {
        frame.clear();
        for (int j = 0; j < P; ++j)
        {
            const int index = k * P + j;
            if (index < n)
                frame[j] = h[index] * scale;
        }
        filterSpectra.emplace_back (filterStorage->data() + (size_t) k * (size_t) fftSize, fftSize);
        fft->doFft (frame.data(), filterSpectra.back().data());
        ring.emplace_back (ringStorage->data() + (size_t) k * (size_t) fftSize, fftSize);
    }
    filterPointers.assign ((size_t) a, nullptr);
    for (int k = 0; k < a; ++k)
        filterPointers[(size_t) k] = filterSpectra[(size_t) k].data();
    ringPointers.assign ((size_t) a, nullptr);
    inputBuffer = std::make_unique<Vector<float>> (fftSize);
    fftInput = std::make_unique<Vector<float>> (fftSize);
    outputBuffer = std::make_unique<Vector<float>> (fftSize);
    spectrum = std::make_unique<Vector<float>> (fftSize);
    blockOut = std::make_unique<Vector<float>> (fftSize);
    hops = 0;
    reset();
    return P;
}

void Convolver::reset() noexcept
{
    if (inputBuffer != nullptr)
    {
        inputBuffer->clear();
        fftInput->clear();
        outputBuffer->clear();
    }
    for (auto& slot : ring)
        slot.clear();
    position = 0;
    ringIndex = 0;
    clearIndex = partitions - 1;
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
    float* in = inputBuffer->data();
    const float* out = outputBuffer->data();
    for (int j = 0; j < n; ++j)
    {
        output[written] = out[position];
        in[position] = input[j];
        ++written;
        if (position + 1 != P && position + 1 != 2 * P)
        {
            ++position;
            continue;
        }
        position = position + 1 == 2 * P ? 0 : position + 1;
        hop();
    }
}

void Convolver::hop() noexcept
{
    const int P = partitionLength_;
    const int a = partitions;
    ++hops;

    ring[(size_t) clearIndex].clear();

    // The last 2P input samples in time order.
    const float* in = inputBuffer->data();
    float* frame = fftInput->data();
    if (position == P)
    {
        std::memcpy (frame, in + P, sizeof (float) * (size_t) P);
        std::memcpy (frame + P, in, sizeof (float) * (size_t) P);
    }
    else
        std::memcpy (frame, in, sizeof (float) * (size_t) (2 * P));

    fft->doFft (frame, spectrum->data());
    for (int i = 0; i < a; ++i)
    {
        int slot = ringIndex + i;
        if (slot >= a)
            slot -= a;
        ringPointers[(size_t) i] = ring[(size_t) slot].data();
    }
    spectrumMultiplyAddEach (ringPointers.data(), spectrum->data(), filterPointers.data(), a, fftSize);
    fft->doIfft (ring[(size_t) ringIndex].data(), blockOut->data());
    std::memcpy (outputBuffer->data() + position, blockOut->data() + P, sizeof (float) * (size_t) P);

    clearIndex = ringIndex;
    ringIndex = ringIndex + 1 == a ? 0 : ringIndex + 1;

    if (tailCounting && ++tailHops >= a + 1)
        silent = true;
}

} // namespace tovalin
