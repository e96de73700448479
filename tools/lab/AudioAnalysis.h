#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tovalin::lab
{
constexpr double pi = 3.14159265358979323846;

/** Magnitude of the Hann-windowed DFT of x[start, start + length) at frequency f. */
inline double windowedMagnitude (const std::vector<float>& x, size_t start, size_t length, double f, double rate)
{
    double re = 0, im = 0;
    const double w = 2.0 * pi * f / rate;
    // Rotating phasor in double precision: accurate over long windows.
    double c = 1, s = 0;
    const double cw = std::cos (w), sw = std::sin (w);
    for (size_t i = 0; i < length; ++i)
    {
        const double window = 0.5 - 0.5 * std::cos (2.0 * pi * (double) i / (double) (length - 1));
        const double v = x[start + i] * window;
        re += v * c;
        im -= v * s;
        const double nc = c * cw - s * sw;
        s = s * cw + c * sw;
        c = nc;
    }
    return std::sqrt (re * re + im * im) * 2.0 / (double) length * 2.0;
}

/** The frequency of the strongest component within [lo, hi], refined by golden-section
    search on the windowed spectrum after a coarse scan. */
inline double peakFrequency (const std::vector<float>& x, size_t start, size_t length, double lo, double hi,
                             double rate)
{
    const int scan = 80;
    double best = lo, bestMag = -1;
    for (int i = 0; i <= scan; ++i)
    {
        const double f = lo + (hi - lo) * i / scan;
        const double m = windowedMagnitude (x, start, length, f, rate);
        if (m > bestMag)
        {
            bestMag = m;
            best = f;
        }
    }
    double a = std::max (lo, best - (hi - lo) / scan), b = std::min (hi, best + (hi - lo) / scan);
    const double g = 0.6180339887498949;
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = windowedMagnitude (x, start, length, c, rate), fd = windowedMagnitude (x, start, length, d, rate);
    for (int it = 0; it < 40; ++it)
    {
        if (fc > fd)
        {
            b = d;
            d = c;
            fd = fc;
            c = b - g * (b - a);
            fc = windowedMagnitude (x, start, length, c, rate);
        }
        else
        {
            a = c;
            c = d;
            fc = fd;
            d = a + g * (b - a);
            fd = windowedMagnitude (x, start, length, d, rate);
        }
    }
    return 0.5 * (a + b);
}

/** One Hann-windowed segment, windowed once: the same measurements as windowedMagnitude
    and peakFrequency, for many frequencies of one segment at a fraction of their cost. */
class WindowedSegment
{
public:
    WindowedSegment (const std::vector<float>& x, size_t start, size_t length, double sampleRate)
        : samples (length), rate (sampleRate)
    {
        for (size_t i = 0; i < length; ++i)
            samples[i] = x[start + i] * (0.5 - 0.5 * std::cos (2.0 * pi * (double) i / (double) (length - 1)));
    }

    double magnitude (double f) const
    {
        double re = 0, im = 0, c = 1, s = 0;
        const double w = 2.0 * pi * f / rate, cw = std::cos (w), sw = std::sin (w);
        for (const double v : samples)
        {
            re += v * c;
            im -= v * s;
            const double nc = c * cw - s * sw;
            s = s * cw + c * sw;
            c = nc;
        }
        return std::sqrt (re * re + im * im) * 4.0 / (double) samples.size();
    }

    /** The strongest component within [lo, hi]: a coarse scan, then golden-section search. */
    double peakFrequency (double lo, double hi) const
    {
        const int scan = 80;
        double best = lo, bestMag = -1;
        for (int i = 0; i <= scan; ++i)
        {
            const double f = lo + (hi - lo) * i / scan;
            const double m = magnitude (f);
            if (m > bestMag)
            {
                bestMag = m;
                best = f;
            }
        }
        double a = std::max (lo, best - (hi - lo) / scan), b = std::min (hi, best + (hi - lo) / scan);
        const double g = 0.6180339887498949;
        double c = b - g * (b - a), d = a + g * (b - a);
        double fc = magnitude (c), fd = magnitude (d);
        for (int it = 0; it < 40; ++it)
        {
            if (fc > fd)
            {
                b = d;
                d = c;
                fd = fc;
                c = b - g * (b - a);
                fc = magnitude (c);
            }
            else
            {
                a = c;
                c = d;
                fc = fd;
                d = a + g * (b - a);
                fd = magnitude (d);
            }
        }
        return 0.5 * (a + b);
    }

private:
    std::vector<double> samples;
    double rate;
};

inline double cents (double f, double reference) { return 1200.0 * std::log2 (f / reference); }

/** RMS of x[start, start + length). */
inline double rms (const std::vector<float>& x, size_t start, size_t length)
{
    double s = 0;
    for (size_t i = start; i < start + length && i < x.size(); ++i)
        s += (double) x[i] * x[i];
    return std::sqrt (s / (double) length);
}

/** T60 of the component at f: the amplitude's slope over successive windows, by least squares. */
inline double decayTimeT60 (const std::vector<float>& x, double f, double rate, size_t start, size_t windows,
                            size_t windowLength)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t k = 0; k < windows; ++k)
    {
        const size_t s = start + k * windowLength;
        const double t = ((double) s + windowLength / 2.0) / rate;
        const double db = 20.0 * std::log10 (windowedMagnitude (x, s, windowLength, f, rate) + 1e-30);
        sx += t;
        sy += db;
        sxx += t * t;
        sxy += t * db;
    }
    const double n = (double) windows;
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return -60.0 / slope;
}

/** Instantaneous frequency of the component near f0, from the upward zero crossings of
    the signal band-passed around it: (time in seconds, frequency) pairs. */
inline std::vector<std::pair<double, double>> frequencyTrack (const std::vector<float>& x, double f0, double rate)
{
    const double w = 2.0 * pi * f0 / rate, q = 10.0, alpha = std::sin (w) / (2.0 * q);
    const double a0 = 1.0 + alpha, b0 = alpha / a0, a1 = -2.0 * std::cos (w) / a0, a2 = (1.0 - alpha) / a0;
    std::vector<double> y (x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t n = 0; n < x.size(); ++n)
    {
        y[n] = b0 * x[n] - b0 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x[n];
        y2 = y1;
        y1 = y[n];
    }
    std::vector<std::pair<double, double>> track;
    double last = -1;
    for (size_t n = 1; n < y.size(); ++n)
        if (y[n - 1] < 0 && y[n] >= 0)
        {
            const double t = ((double) n - 1 + y[n - 1] / (y[n - 1] - y[n])) / rate;
            if (last >= 0)
                track.push_back ({0.5 * (t + last), 1.0 / (t - last)});
            last = t;
        }
    return track;
}

} // namespace tovalin::lab
