#include "RateConverter.h"

#include "../engine/AlignedArray.h"

#include <cmath>
#include <cstring>

namespace tovalin
{
const RateConverter::RateSpec RateConverter::supportedRates[7] = {
    {22050, 1, 2, 14},     {44100, 1, 1, 0},   {48000, 160, 147, 24},  {88200, 2, 1, 24},
    {96000, 320, 147, 24}, {176400, 4, 1, 24}, {192000, 640, 147, 28},
};

RateConverter::RateConverter() = default;

RateConverter::~RateConverter() { freeAligned (work); }

std::vector<float> RateConverter::makeCoefficients (int L, int N, double cutoff)
{
    std::vector<float> table ((size_t) L * (size_t) N);
    const double pi = 3.14159265358979323846;
    // Blackman window: for interpolation it reaches zero half a tap beyond the outermost
    // taps; for decimation (cutoff below 1) at tap N - 1, leaving a kernel symmetric
    // about tap N/2 - 1.
    const double halfWidth = cutoff < 1.0 ? 0.5 * N : 0.5 * (N + 1);
    for (int p = 0; p < L; ++p)
    {
        std::vector<double> h ((size_t) N);
        double sum = 0.0;
        for (int k = 0; k < N; ++k)
        {
            const double d = k - (N / 2 - 1) - (double) p / L;
            if (p == 0 && cutoff >= 1.0)
            {
                h[(size_t) k] = (k == N / 2 - 1) ? 1.0 : 0.0; // the pure delay
            }
            else
            {
                const double x = pi * cutoff * d;
                const double sinc = d == 0.0 ? cutoff : cutoff * std::sin (x) / x;
                const double w = std::abs (d) >= halfWidth ? 0.0
                                                           : 0.42 + 0.5 * std::cos (pi * d / halfWidth) +
                                                                 0.08 * std::cos (2.0 * pi * d / halfWidth);
                h[(size_t) k] = sinc * w;
            }
            sum += h[(size_t) k];
        }
        for (int k = 0; k < N; ++k)
            table[(size_t) p * (size_t) N + (size_t) k] = (float) (h[(size_t) k] / sum);
    }
    return table;
}

bool RateConverter::configure (double hostRate, int samplesPerBlock)
{
    const int rate = (int) std::lround (hostRate);
    const RateSpec* spec = nullptr;
    for (const auto& r : supportedRates)
        if (r.hostRate == rate)
            spec = &r;

    up = spec ? spec->up : 1;
    down = spec ? spec->down : 1;
    taps = spec ? spec->taps : 0;
    outputPerInput = (double) up / down;
    inputPerOutput = (double) down / up;
    historyLength = taps > 0 ? taps - 1 : 0;

    if (up > 1)
        coefficients = makeCoefficients (up, taps, 1.0);
    else if (down > 1)
        // Decimation: one phase cut off at the host's Nyquist, so that the upper half of
        // the engine band does not fold back; centred on tap N/2 - 1 like the pure delay.
        coefficients = makeCoefficients (1, taps, 1.0 / down);
    else
        coefficients.clear();

    phase = up;
    primed = false;
    overflowCount = 0;
    lastInputCount = 0;

    // Room for the longest chunk the block loop renders, so that no block allocates.
    const int needed = historyLength + std::max (2 * std::max (samplesPerBlock, 0) + 32, MaxChunk + taps + 32);
    allocateWork (needed);

    overflowCapacity = 2 * taps + 32;
    overflow.setSize (1, overflowCapacity, false, false, false);
    overflow.clear();
    return spec != nullptr;
}

void RateConverter::allocateWork (int floats)
{
    freeAligned (work);
    work = static_cast<float*> (allocateAligned (sizeof (float) * (size_t) floats));
    std::memset (work, 0, sizeof (float) * (size_t) floats);
    workCapacity = floats;
}

int RateConverter::inputNeeded (int outputCount)
{
    if (isCopy())
        return outputCount;
    // Integer ceil(outputCount * M / L), exact where a double product might not be.
    long long k = ((long long) outputCount * down + up - 1) / up;
    if (! primed)
        k += taps - 1;
    if (historyLength + k > workCapacity)
    {
        // Only reached when called for more than one chunk; the block loop never is.
        const int needed = (int) (historyLength + k);
        float* old = work;
        work = static_cast<float*> (allocateAligned (sizeof (float) * (size_t) needed * 2));
        std::memset (work, 0, sizeof (float) * (size_t) needed * 2);
        std::memcpy (work, old, sizeof (float) * (size_t) historyLength);
        freeAligned (old);
        workCapacity = needed * 2;
    }
    return (int) k;
}

int RateConverter::outputsForInput (int maxInput) const noexcept
{
    if (isCopy())
        return maxInput;
    const int usable = maxInput - (primed ? 0 : taps - 1);
    if (usable <= 0)
        return 0;
    // Largest f with ceil(f * M / L) <= usable.
    return (int) (((long long) usable * up) / down);
}

int RateConverter::drainOverflow (juce::AudioBuffer<float>& buffer, int startIndex, int maxCount) noexcept
{
    if (isCopy() || overflowCount == 0 || maxCount <= 0)
        return 0;
    const int moved = std::min (overflowCount, maxCount);
    float* out = buffer.getWritePointer (0, startIndex);
    const float* src = overflow.getReadPointer (0);
    std::memcpy (out, src, sizeof (float) * (size_t) moved);
    if (moved < overflowCount)
    {
        float* o = overflow.getWritePointer (0);
        std::memmove (o, o + moved, sizeof (float) * (size_t) (overflowCount - moved));
    }
    overflowCount -= moved;
    return moved;
}

inline float RateConverter::filterOutput (const float* x, int cursor) const noexcept
{
    if (phase == 0 && up > 1)
        return x[cursor - taps / 2];
    const float* c = coefficients.data() + (size_t) phase * (size_t) taps;
    const float* s = x + cursor - taps + 1;
    float y = 0.0f;
    for (int k = 0; k < taps; ++k)
        y += c[k] * s[k];
    return y;
}

void RateConverter::process (juce::AudioBuffer<float>& buffer, int a, int count, int start) noexcept
{
    if (isCopy())
    {
        std::memcpy (buffer.getWritePointer (0, start), work, sizeof (float) * (size_t) count);
        return;
    }

    float* x = work;
    float* out = buffer.getWritePointer (0, start);
    const int H = historyLength;
    overflowCount = 0;
    lastInputCount = a;
    // cursor is the newest input consumed so far: the last history sample when primed,
    // else the chunk's first H samples serve as history.
    int cursor = primed ? H - 1 : 2 * H - 1;
    int inputsLeft = primed ? a : a - H;

    int produced = 0;
    float* ov = overflow.getWritePointer (0);
    bool inputExhausted = false;
    while (! inputExhausted && (produced < count || overflowCount < overflowCapacity))
    {
        while (phase >= up && inputsLeft > 0)
        {
            phase -= up;
            ++cursor;
            --inputsLeft;
        }
        if (phase >= up)
            break;
        // Every output sample before the chunk's last input has been consumed.
        do
        {
            const float y = filterOutput (x, cursor);
            if (produced < count)
                out[produced++] = y;
            else if (overflowCount < overflowCapacity)
                ov[overflowCount++] = y;
            else
                break;
            phase += down;
        } while (phase < up);
        inputExhausted = inputsLeft <= 0 && phase >= up;
    }

    // Keep the last H samples as the next chunk's history.
    std::memmove (x, x + a, sizeof (float) * (size_t) H);
    primed = true;
}

void RateConverter::release()
{
    freeAligned (work);
    work = nullptr;
    workCapacity = 0;
    overflowCount = 0;
    overflow.clear();
}

} // namespace tovalin
