#pragma once

// Measurements of a single rendered or recorded note, the way a guitar's sound is judged
// against recordings: each partial's decay, the level a second after the attack, the
// body's air resonance under the note and how the brightness evolves.

#include "engine/FFTReal.h"
#include "tools/lab/AudioAnalysis.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tovalin::lab
{
/** x convolved with h (the first x.size() samples), by FFT overlap-add. */
inline std::vector<float> convolve (const std::vector<float>& x, const std::vector<float>& h)
{
    int n = 128;
    while (n < 2 * (int) h.size())
        n *= 2;
    const int block = n - (int) h.size() + 1;
    FFTReal<float> fft (n);
    std::vector<float> hPadded ((size_t) n, 0.0f), hSpectrum ((size_t) n), in ((size_t) n), spectrum ((size_t) n),
        out ((size_t) n);
    std::copy (h.begin(), h.end(), hPadded.begin());
    fft.doFft (hPadded.data(), hSpectrum.data());
    std::vector<float> y (x.size(), 0.0f);
    for (size_t start = 0; start < x.size(); start += (size_t) block)
    {
        std::fill (in.begin(), in.end(), 0.0f);
        const size_t count = std::min ((size_t) block, x.size() - start);
        std::copy (x.begin() + (long) start, x.begin() + (long) (start + count), in.begin());
        fft.doFft (in.data(), spectrum.data());
        spectrumMultiply (spectrum.data(), spectrum.data(), hSpectrum.data(), n);
        fft.doIfft (spectrum.data(), out.data());
        for (size_t i = 0; i < (size_t) n && start + i < y.size(); ++i)
            y[start + i] += out[i] / (float) n;
    }
    return y;
}

inline double toDb (double ratio) { return 10.0 * std::log10 (ratio + 1e-30); }

/** The attack: the first sample louder than a tenth of the note's peak. */
inline size_t attackSample (const std::vector<float>& x)
{
    float peak = 0;
    for (float v : x)
        peak = std::max (peak, std::abs (v));
    for (size_t i = 0; i < x.size(); ++i)
        if (std::abs (x[i]) > 0.1f * peak)
            return i;
    return 0;
}

/** T60 of the component near f, fitted between 5 and 35 dB below its peak (or the end
    of x, extrapolating), from 4096-sample windows every 2048 samples after `from`.
    Returns 0 when the component is never loud enough or falls too fast to fit. */
inline double partialT60 (const std::vector<float>& x, size_t from, double f, double rate)
{
    constexpr size_t window = 4096, hop = 2048;
    std::vector<double> t, db;
    for (size_t s = from; s + window <= x.size(); s += hop)
    {
        t.push_back (((double) s + window / 2.0) / rate);
        db.push_back (20.0 * std::log10 (windowedMagnitude (x, s, window, f, rate) + 1e-30));
    }
    if (t.size() < 3)
        return 0;
    const size_t top = (size_t) (std::max_element (db.begin(), db.end()) - db.begin());
    double sx = 0, sy = 0, sxx = 0, sxy = 0, n = 0;
    for (size_t i = top; i < t.size(); ++i)
    {
        if (db[i] > db[top] - 5.0)
            continue;
        if (db[i] < db[top] - 35.0)
            break;
        sx += t[i];
        sy += db[i];
        sxx += t[i] * t[i];
        sxy += t[i] * db[i];
        n += 1;
    }
    if (n < 3)
    {
        // Still within 5 dB of its peak at the end: the slope from the peak on.
        sx = sy = sxx = sxy = n = 0;
        for (size_t i = top; i < t.size(); ++i)
        {
            sx += t[i];
            sy += db[i];
            sxx += t[i] * t[i];
            sxy += t[i] * db[i];
            n += 1;
        }
        if (n < 3)
            return 0;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return slope < 0 ? -60.0 / slope : 1e9;
}

/** Level (dB) of the 50 ms around `at` seconds after the attack, re the loudest 50 ms
    of the first 0.3 s. */
inline double levelAfter (const std::vector<float>& x, size_t attack, double at, double rate)
{
    const size_t span = (size_t) (0.05 * rate);
    double loudest = 0;
    for (size_t s = attack; s < attack + (size_t) (0.3 * rate); s += span / 5)
        loudest = std::max (loudest, rms (x, s, span));
    const size_t centre = attack + (size_t) (at * rate);
    return 20.0 * std::log10 (rms (x, centre - span / 2, span) / loudest + 1e-30);
}

/** The body's air resonance under a note: its magnitude between 85 and 125 Hz over the
    first half second, in dB re the note's strongest partial there. */
inline double airModeLevel (const std::vector<float>& x, size_t attack, double fundamental, int partials, double rate)
{
    const size_t length = (size_t) (0.5 * rate);
    double air = 0;
    for (double f = 85.0; f <= 125.0; f += 1.0)
        air = std::max (air, windowedMagnitude (x, attack, length, f, rate));
    double strongest = 0;
    for (int n = 1; n <= partials; ++n)
    {
        const double f = peakFrequency (x, attack, length, n * fundamental * 0.99, n * fundamental * 1.01, rate);
        strongest = std::max (strongest, windowedMagnitude (x, attack, length, f, rate));
    }
    return 20.0 * std::log10 (air / strongest + 1e-30);
}

/** The share (dB) of the energy above `edge` Hz in a Hann window of `length` samples
    starting at `start`. */
inline double energyAbove (const std::vector<float>& x, size_t start, size_t length, double edge, double rate)
{
    int n = 128;
    while (n < (int) length)
        n *= 2;
    std::vector<float> in ((size_t) n, 0.0f), spectrum ((size_t) n);
    for (size_t i = 0; i < length && start + i < x.size(); ++i)
        in[i] = x[start + i] * (float) (0.5 - 0.5 * std::cos (2.0 * pi * (double) i / (double) (length - 1)));
    FFTReal<float> fft (n);
    fft.doFft (in.data(), spectrum.data());
    double all = 0, high = 0;
    for (int k = 1; k < n / 2; ++k)
    {
        const double e = (double) spectrum[(size_t) k] * spectrum[(size_t) k] +
                         (double) spectrum[(size_t) (n / 2 + k)] * spectrum[(size_t) (n / 2 + k)];
        all += e;
        if (k * rate / n >= edge)
            high += e;
    }
    return toDb (high / (all + 1e-30));
}

/** Brightness at `at` seconds after the attack: the share of the energy above 2 kHz in
    the 20 ms around it (the first 10 ms for the attack itself). */
inline double brightnessAt (const std::vector<float>& x, size_t attack, double at, double rate, double edge = 2000.0)
{
    const size_t length = (size_t) ((at < 0.01 ? 0.01 : 0.02) * rate);
    const size_t centre = attack + (size_t) (at * rate);
    const size_t start = at < 0.01 ? attack : centre - length / 2;
    return energyAbove (x, start, length, edge, rate);
}

} // namespace tovalin::lab
