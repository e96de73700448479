#include "SoundDataGenerator.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace tovalin::sounddata
{
namespace
{
    constexpr double pi = 3.14159265358979323846;
    constexpr double speedOfSound = 343.0;
    constexpr double topStatisticalFrequency = 16000.0;
    constexpr double topDensity = 0.1;
    constexpr int originDelay = 4; // the body response's time origin, in samples

    constexpr double classicalEnvelope[] = {-14, -15, -17, -22, -30, -42, -55};
    constexpr double flamencoEnvelope[] = {-13, -13, -14, -18, -26, -38, -50};
    constexpr double steelEnvelope[] = {-15, -15, -16, -19, -26, -37, -50};
    constexpr double concertEnvelope[] = {-15, -16, -18, -22, -30, -41, -54};
    constexpr double parlorEnvelope[] = {-12, -13, -15, -19, -27, -38, -50};
    constexpr double jumboEnvelope[] = {-16, -16, -16, -19, -26, -37, -50};
    constexpr double gypsyEnvelope[] = {-10, -8, -7, -10, -17, -28, -42};

    // Pressure polarity of the explicit modes: the air mode against the top.
    constexpr double polarity[9] = {-1, 1, 1, -1, 1, -1, 1, -1, 1};

    double interpolateLogFrequency (const double* fs, const double* values, int n, double f)
    {
        if (f <= fs[0])
            return values[0];
        if (f >= fs[n - 1])
            return values[n - 1];
        int i = 0;
        while (f > fs[i + 1])
            ++i;
        const double x = std::log (f / fs[i]) / std::log (fs[i + 1] / fs[i]);
        return values[i] + x * (values[i + 1] - values[i]);
    }

    double statisticalQ (const GuitarDesign& g, double f)
    {
        const double points[2] = {g.statisticalStart, 5000.0};
        const double values[2] = {g.qStart, g.qEnd};
        return interpolateLogFrequency (points, values, 2, f);
    }

    /** A 2nd-order Butterworth section (bilinear transform, prewarped). */
    struct Biquad
    {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;

        static Biquad make (double cutoff, bool highPass)
        {
            const double k = std::tan (pi * cutoff / SampleRate);
            const double q = 1.0 / std::sqrt (2.0);
            const double norm = 1.0 / (1.0 + k / q + k * k);
            Biquad s;
            if (highPass)
            {
                s.b0 = norm;
                s.b1 = -2.0 * norm;
                s.b2 = norm;
            }
            else
            {
                s.b0 = k * k * norm;
                s.b1 = 2.0 * s.b0;
                s.b2 = s.b0;
            }
            s.a1 = 2.0 * (k * k - 1.0) * norm;
            s.a2 = (1.0 - k / q + k * k) * norm;
            return s;
        }

        void run (std::vector<double>& x) const
        {
            double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
            for (double& v : x)
            {
                const double y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
                x2 = x1;
                x1 = v;
                y2 = y1;
                y1 = y;
                v = y;
            }
        }
    };

    double energy (const std::vector<double>& x)
    {
        double e = 0;
        for (double v : x)
            e += v * v;
        return e;
    }

    std::vector<float> toFloat (const std::vector<double>& x)
    {
        std::vector<float> out (x.size());
        for (size_t i = 0; i < x.size(); ++i)
            out[i] = (float) x[i];
        return out;
    }
} // namespace

const double EnvelopeFrequencies[EnvelopePoints] = {800, 1500, 3000, 5000, 8000, 12000, 16000};
const double BandCentres[RoomBands] = {125, 250, 500, 1000, 2000, 4000, 8000};

// Explicit modes f:Q:P:L (Hz, quality, admittance peak in table units, pressure peak
// in dB re the main top resonance), then the statistical band: start, density, target
// medians of |Y|, floor, Q from the start to 5 kHz. Same-type bodies stay a few
// percent apart, the air mode clear of the open strings' fundamentals.
// clang-format off
const GuitarDesign Guitars[9] = {
    {"Corvan's Classical", 23259, 553, 3.6296,
     {{98, 22, 250, -19}, {217, 49, 1019, 0}, {250, 49, 199, -8}, {290, 12, 459, -18}, {395, 66, 248, -14},
      {505, 62, 362, -9}, {600, 45, 300, -15}, {690, 45, 360, -13}, {790, 50, 300, -14}},
     850, 0.05, {1000, 2000, 4000}, {270, 160, 105}, 55, 45, 60, classicalEnvelope},
    {"Talvina's Flamenco", 30319, 1453, 2.7562,
     {{104, 11, 212, -19}, {228, 30, 1100, 0}, {262, 49, 297, -6}, {305, 12, 515, -17}, {420, 51, 357, -13},
      {540, 49, 504, -8}, {640, 40, 400, -14}, {735, 40, 430, -12}, {835, 45, 380, -13}},
     900, 0.05, {1000, 2000, 4000}, {270, 200, 140}, 10, 38, 50, flamencoEnvelope},
    {"Brosk's Classical", 26353, 2042, 2.45,
     {{92, 23, 112, -25}, {204, 52, 520, 0}, {240, 36, 376, -13}, {278, 11, 402, -12}, {380, 70, 190, -14},
      {480, 70, 288, -9}, {572, 45, 300, -15}, {662, 45, 330, -13}, {755, 50, 280, -14}},
     820, 0.055, {1000, 2000, 4000}, {250, 150, 100}, 48, 45, 60, classicalEnvelope},
    {"Kelvo's Folk", 29369, 1453, 2.7562,
     {{100, 21, 290, -20}, {184, 52, 691, 0}, {226, 43, 317, -18}, {265, 44, 186, -6}, {350, 56, 250, -14},
      {430, 51, 324, -10}, {520, 50, 220, -15}, {610, 50, 240, -14}, {705, 55, 200, -15}},
     780, 0.06, {1000, 2000, 4000}, {160, 110, 75}, 14, 55, 70, steelEnvelope},
    {"Tamsk's Folk", 28775, 1419, 2.8215,
     {{104, 21, 253, -16}, {189, 53, 600, 0}, {236, 43, 343, -8}, {282, 16, 250, -18}, {372, 31, 400, -14},
      {458, 36, 517, -10}, {552, 50, 230, -15}, {648, 50, 250, -14}, {745, 55, 210, -15}},
     820, 0.06, {1000, 2000, 4000}, {175, 115, 80}, 10, 55, 70, steelEnvelope},
    {"Ivrena's Folk", 27132, 1453, 2.7562,
     {{115, 19, 113, -18}, {210, 55, 600, 0}, {255, 65, 152, -8}, {300, 26, 239, -18}, {395, 63, 190, -14},
      {485, 60, 262, -10}, {580, 45, 220, -15}, {675, 48, 240, -14}, {775, 50, 200, -15}},
     850, 0.06, {1000, 2000, 4000}, {170, 110, 75}, 36, 48, 62, concertEnvelope},
    {"Pemra's folk", 23764, 1271, 3.15,
     {{122, 15, 146, -20}, {236, 54, 759, 0}, {285, 32, 703, -9}, {330, 40, 49, -17}, {440, 60, 391, -13},
      {540, 20, 700, -9}, {640, 50, 240, -14}, {740, 50, 260, -13}, {850, 55, 220, -14}},
     930, 0.055, {1000, 2000, 4000}, {190, 125, 85}, 35, 55, 70, parlorEnvelope},
    {"Zorbel's Jumbo", 33196, 1543, 2.5941,
     {{95, 29, 114, -20}, {172, 53, 667, 0}, {208, 66, 122, -18}, {245, 43, 28, -2}, {320, 60, 200, -14},
      {395, 51, 174, -10}, {480, 50, 220, -15}, {560, 50, 230, -14}, {650, 55, 190, -15}},
     720, 0.065, {1000, 2000, 4000}, {150, 100, 70}, 33, 55, 70, jumboEnvelope},
    {"Vastro's Gypsy", 7140, 795, 6.3,
     {{122, 8, 90, -14}, {232, 16, 820, 0}, {280, 15, 252, -8}, {335, 16, 293, -14}, {450, 20, 331, -10},
      {560, 20, 425, -7}, {680, 22, 400, -9}, {800, 24, 420, -8}, {950, 25, 380, -8}},
     1050, 0.045, {1000, 2000, 5000}, {280, 260, 220}, 4, 28, 35, gypsyEnvelope},
};

// Shoebox rooms: dimensions, source and microphone (m), T60 per octave band (s),
// direct-to-reverberant ratio (dB), mixing time (ms).
const RoomDesign Rooms[6] = {
    {"Small 1", 9992, {2.2, 1.8, 2.4}, {0.8, 0.9, 1.0}, {1.1, 0.9, 1.05}, {0.30, 0.25, 0.21, 0.20, 0.19, 0.17, 0.14}, 6, 15},
    {"Small 2", 15811, {3.2, 2.6, 2.5}, {1.2, 1.0, 1.0}, {1.8, 1.3, 1.2}, {0.45, 0.42, 0.40, 0.40, 0.38, 0.34, 0.28}, -1, 18},
    {"Medium 1", 13624, {5.5, 4.2, 2.7}, {2.0, 1.6, 1.0}, {3.0, 1.9, 1.3}, {0.50, 0.45, 0.40, 0.38, 0.36, 0.32, 0.26}, 0, 22},
    {"Medium 2", 15558, {6.5, 5.4, 2.9}, {2.3, 2.0, 1.0}, {3.8, 2.6, 1.5}, {0.55, 0.50, 0.46, 0.45, 0.43, 0.38, 0.30}, -2, 26},
    {"Large 1", 26565, {12, 9, 5}, {4, 4, 1.2}, {7, 5, 2}, {0.90, 0.85, 0.78, 0.75, 0.70, 0.60, 0.45}, -3, 40},
    {"Large 2", 27736, {18, 13, 7}, {5, 6, 1.2}, {11, 7.5, 2.5}, {1.05, 0.95, 0.88, 0.85, 0.78, 0.65, 0.48}, -4, 55},
};
// clang-format on

uint64_t Random::next() noexcept
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::uniform() noexcept { return ((double) (next() >> 11) + 0.5) * 0x1.0p-53; }

double Random::gaussian() noexcept
{
    const double u1 = uniform();
    const double u2 = uniform();
    return std::sqrt (-2.0 * std::log (u1)) * std::cos (2.0 * pi * u2);
}

double modeDensity (const GuitarDesign& g, double f)
{
    const double x = std::log (f / g.statisticalStart) / std::log (topStatisticalFrequency / g.statisticalStart);
    return g.density * std::pow (topDensity / g.density, std::clamp (x, 0.0, 1.0));
}

double envelopeDb (const GuitarDesign& g, double f)
{
    return interpolateLogFrequency (EnvelopeFrequencies, g.envelopeDb, EnvelopePoints, f);
}

double targetMedian (const GuitarDesign& g, double f)
{
    return interpolateLogFrequency (g.medianFrequency, g.median, 3, f);
}

std::vector<BodyMode> statisticalModes (const GuitarDesign& g, Random& random)
{
    std::vector<BodyMode> modes;
    double f = g.statisticalStart;
    for (;;)
    {
        const double spacing = random.uniform();
        f += (0.5 + spacing) / modeDensity (g, f);
        if (f >= topStatisticalFrequency)
            break;
        BodyMode m;
        m.frequency = f;
        m.q = statisticalQ (g, f) * std::exp (0.15 * random.gaussian());
        m.chi = std::clamp (-std::log (random.uniform()), 0.05, 6.0);
        m.amplitudeGain = random.gaussian();
        m.phase = 2.0 * pi * random.uniform();
        modes.push_back (m);
    }
    return modes;
}

namespace
{
    std::vector<double> bodyResponse (const GuitarDesign& g, const std::vector<BodyMode>& statistical, double& kappa)
    {
        const int N = g.bodyLength;
        const double T = 1.0 / SampleRate;
        std::vector<double> h ((size_t) N, 0.0), upper ((size_t) N, 0.0);

        // The direct term of every mode is a short smooth pulse, not a one-sample click.
        double pulse[9], pulseSum = 0;
        for (int j = 0; j < 9; ++j)
            pulseSum += pulse[j] = 0.5 - 0.5 * std::cos (2.0 * pi * (j + 1) / 10.0);
        for (double& p : pulse)
            p /= pulseSum;

        double residue[9];
        for (int k = 0; k < 9; ++k)
            residue[k] = polarity[k] * std::pow (10.0, g.modes[k].levelDb / 20.0) / g.modes[k].q;
        // No net volume flow at DC: the air mode's residue the sum rule asks for.
        double sum = 0;
        for (int k = 1; k < 9; ++k)
        {
            const double w = 2.0 * pi * g.modes[k].frequency;
            sum += residue[k] / (w * w);
        }
        const double w1 = 2.0 * pi * g.modes[0].frequency;
        kappa = residue[0] / (-w1 * w1 * sum);

        for (int k = 0; k < 9; ++k)
        {
            const double r = residue[k];
            const double w = 2.0 * pi * g.modes[k].frequency;
            const double alpha = w / (2.0 * g.modes[k].q);
            const double wd = std::sqrt (w * w - alpha * alpha);
            for (int j = 0; j < 9; ++j)
                h[(size_t) j] += r * pulse[j];
            for (int n = originDelay; n < N; ++n)
            {
                const double t = (n - originDelay) * T;
                h[(size_t) n] -=
                    T * r * std::exp (-alpha * t) *
                    (2.0 * alpha * std::cos (wd * t) + ((w * w - 2.0 * alpha * alpha) / wd) * std::sin (wd * t));
            }
        }

        for (const BodyMode& m : statistical)
        {
            const double w = 2.0 * pi * m.frequency;
            const double alpha = w / (2.0 * m.q);
            const double a =
                m.amplitudeGain * std::sqrt (8.0 * alpha * std::pow (10.0, envelopeDb (g, m.frequency) / 10.0) /
                                             modeDensity (g, m.frequency));
            const int last = std::min (N, originDelay + (int) std::ceil (std::log (1e9) / alpha * SampleRate) + 1);
            for (int n = originDelay; n < last; ++n)
            {
                const double t = (n - originDelay) * T;
                upper[(size_t) n] += T * a * std::exp (-alpha * t) * std::sin (w * t + m.phase);
            }
        }
        // Keeps the statistical band out of the explicit modes' region.
        Biquad::make (g.statisticalStart / 2.0, true).run (upper);
        for (int n = 0; n < N; ++n)
            h[(size_t) n] += upper[(size_t) n];

        const int fadeStart = N - N / 10;
        for (int n = fadeStart; n < N; ++n)
            h[(size_t) n] *= 0.5 + 0.5 * std::cos (pi * (n - fadeStart) / (double) (N - fadeStart));
        double mean = 0;
        for (double v : h)
            mean += v;
        mean /= N;
        for (double& v : h)
            v -= mean;
        const double scale = std::sqrt (N / energy (h));
        for (double& v : h)
            v *= scale;
        return h;
    }

    struct AdmittanceMode
    {
        double omega, q, mass;
        bool statistical;
    };

    std::vector<double> admittanceMagnitudes (const std::vector<AdmittanceMode>& modes, double conductance, int rows,
                                              double step)
    {
        std::vector<double> out ((size_t) rows);
        for (int i = 0; i < rows; ++i)
        {
            const double w = 2.0 * pi * i * step;
            std::complex<double> y (conductance, 0.0);
            for (const auto& m : modes)
                y += std::complex<double> (0.0, w) /
                     (m.mass * std::complex<double> (m.omega * m.omega - w * w, w * m.omega / m.q));
            out[(size_t) i] = AdmittanceScale * std::abs (y);
        }
        return out;
    }

    double median (std::vector<double> v)
    {
        std::sort (v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
    }

    std::vector<float> admittanceTable (const GuitarDesign& g, const std::vector<BodyMode>& statistical)
    {
        const double top = (g.admittanceRows - 1) * g.step;
        std::vector<AdmittanceMode> modes;
        for (const auto& m : g.modes)
            modes.push_back ({2.0 * pi * m.frequency, m.q,
                              AdmittanceScale * m.q / (2.0 * pi * m.frequency * m.admittancePeak), false});
        for (const auto& m : statistical)
        {
            if (m.frequency >= 1.15 * top)
                break;
            // |Y| includes the susceptance, about twice the conductance: start from half.
            const double conductance = 0.5 * targetMedian (g, m.frequency) / AdmittanceScale;
            const double inverseMass = 4.0 * conductance * m.chi / modeDensity (g, m.frequency);
            modes.push_back ({2.0 * pi * m.frequency, m.q, 1.0 / inverseMass, true});
        }
        const double floor = g.floor / AdmittanceScale;

        // Octaves from the statistical start: bring each band's median to its target.
        for (int pass = 0; pass < 3; ++pass)
        {
            const std::vector<double> y = admittanceMagnitudes (modes, floor, g.admittanceRows, g.step);
            for (double lo = g.statisticalStart; lo < top; lo *= 2.0)
            {
                const double hi = std::min (2.0 * lo, top);
                std::vector<double> band;
                for (int i = 0; i < g.admittanceRows; ++i)
                    if (i * g.step >= lo && i * g.step < hi)
                        band.push_back (y[(size_t) i]);
                if (band.size() < 8)
                    continue;
                const double ratio = median (band) / targetMedian (g, std::sqrt (lo * hi));
                for (auto& m : modes)
                {
                    const double f = m.omega / (2.0 * pi);
                    const bool last = hi >= top;
                    if (m.statistical && f >= lo && (f < hi || last))
                        m.mass *= ratio;
                }
            }
        }

        const std::vector<double> y = admittanceMagnitudes (modes, floor, g.admittanceRows, g.step);
        std::vector<float> values ((size_t) g.admittanceRows);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = (float) -y[i]; // one sign throughout, as recorded
        return values;
    }
} // namespace

DecayRange decayTarget (bool steelBody, int string, int partial, double f)
{
    const int body = steelBody ? 1 : 0;
    if (partial == 1)
    {
        // Fitted on recorded single notes of a nylon-strung classical and a steel-strung
        // flat-top, with room either side for each guitar's character.
        const DecayRange fundamentals[2][6] = {{{8, 25}, {6, 20}, {6, 20}, {3.5, 12}, {2, 8}, {1, 6}},
                                               {{12, 40}, {5, 20}, {8, 25}, {6, 20}, {6, 20}, {3, 12}}};
        return fundamentals[body][string];
    }
    if (f < 500)
        return {0.5, steelBody ? 40.0 : 25.0}; // below the table: no longer than a low E
    // The string's own loss grows with the mode number: upper partials die well before
    // the fundamental, nylon ones soonest.
    const int band = f < 1000 ? 0 : f < 2000 ? 1 : 2;
    const DecayRange partials[2][3] = {{{1, 12}, {0.5, 8}, {0.2, 4}}, {{1.5, 16}, {0.5, 10}, {0.3, 6}}};
    return partials[body][band];
}

bool hasSteelBody (int guitar) { return guitar >= 3 && guitar <= 7; }

bool onBodyResonance (const GuitarDesign& g, double f)
{
    for (const auto& m : g.modes)
        if (std::abs (f - m.frequency) <= 1.5 * m.frequency / m.q)
            return true;
    return false;
}

GuitarData generateGuitar (int index, uint64_t seed, GuitarReport* report)
{
    const GuitarDesign& g = Guitars[index];
    Random random (seed);
    const std::vector<BodyMode> statistical = statisticalModes (g, random);
    GuitarData out;
    double kappa = 0;
    out.body = toFloat (bodyResponse (g, statistical, kappa));
    out.admittance = admittanceTable (g, statistical);
    out.step = (float) g.step;
    if (report != nullptr)
    {
        report->kappa = kappa;
        report->statisticalModes = statistical;
    }
    return out;
}

void bandFilter (std::vector<double>& x, int band)
{
    const double lowEdge = BandCentres[band] / std::sqrt (2.0);
    const double highEdge = BandCentres[band] * std::sqrt (2.0);
    if (band > 0)
    {
        const Biquad s = Biquad::make (lowEdge, true);
        s.run (x);
        s.run (x);
    }
    if (band < RoomBands - 1)
    {
        const Biquad s = Biquad::make (highEdge, false);
        s.run (x);
        s.run (x);
    }
}

RoomData generateRoom (int index, uint64_t seed)
{
    const RoomDesign& room = Rooms[index];
    const int N = room.length;
    const double* L = room.dimensions;
    const double volume = L[0] * L[1] * L[2];
    const double surface = 2.0 * (L[0] * L[1] + L[0] * L[2] + L[1] * L[2]);
    const double mixingTime = room.mixingTimeMs / 1000.0;

    double reflectionGain[RoomBands];
    for (int b = 0; b < RoomBands; ++b)
    {
        const double absorption = 1.0 - std::exp (-0.161 * volume / (surface * room.t60[b]));
        reflectionGain[b] = std::sqrt (1.0 - absorption);
    }

    double direct = 0;
    for (int a = 0; a < 3; ++a)
        direct += (room.source[a] - room.microphone[a]) * (room.source[a] - room.microphone[a]);
    direct = std::sqrt (direct);

    // Early reflections: the shoebox's image sources, each band with its own wall loss.
    const double longest = direct + 1.2 * mixingTime * speedOfSound;
    std::vector<std::vector<double>> bands (RoomBands, std::vector<double> ((size_t) N, 0.0));
    int range[3];
    for (int a = 0; a < 3; ++a)
        range[a] = (int) std::ceil (longest / (2.0 * L[a])) + 1;
    double firstReflection = mixingTime;
    for (int nx = -range[0]; nx <= range[0]; ++nx)
        for (int ny = -range[1]; ny <= range[1]; ++ny)
            for (int nz = -range[2]; nz <= range[2]; ++nz)
                for (int parity = 0; parity < 8; ++parity)
                {
                    const int n[3] = {nx, ny, nz};
                    double distance = 0;
                    int reflections = 0;
                    for (int a = 0; a < 3; ++a)
                    {
                        const int p = (parity >> a) & 1;
                        const double image = (1 - 2 * p) * room.source[a] + 2.0 * n[a] * L[a];
                        distance += (image - room.microphone[a]) * (image - room.microphone[a]);
                        reflections += std::abs (2 * n[a] - p);
                    }
                    if (reflections == 0)
                        continue; // the direct sound stays a pure impulse
                    distance = std::sqrt (distance);
                    const double delay = (distance - direct) / speedOfSound;
                    if (delay > 1.2 * mixingTime)
                        continue;
                    const int at = (int) std::lround (delay * SampleRate);
                    if (at < 1 || at >= N)
                        continue;
                    firstReflection = std::min (firstReflection, delay);
                    for (int b = 0; b < RoomBands; ++b)
                        bands[(size_t) b][(size_t) at] +=
                            (direct / distance) * std::pow (reflectionGain[b], (double) reflections);
                }
    std::vector<double> early ((size_t) N, 0.0);
    for (int b = 0; b < RoomBands; ++b)
    {
        bandFilter (bands[(size_t) b], b);
        for (int i = 0; i < N; ++i)
            early[(size_t) i] += bands[(size_t) b][(size_t) i];
    }

    // The diffuse tail: one noise, each octave decaying at its own rate, faded in
    // from the first reflection to the mixing time.
    Random random (seed);
    std::vector<double> noise ((size_t) N);
    for (double& v : noise)
        v = random.gaussian();
    std::vector<double> tail ((size_t) N, 0.0);
    for (int b = 0; b < RoomBands; ++b)
    {
        std::vector<double> x = noise;
        bandFilter (x, b);
        // A narrow band of noise has few degrees of freedom and its energy wanders;
        // levelling it over 30 ms keeps each band's decay the designed one.
        const int half = (int) (0.015 * SampleRate);
        std::vector<double> running ((size_t) N + 1, 0.0);
        for (int i = 0; i < N; ++i)
            running[(size_t) i + 1] = running[(size_t) i] + x[(size_t) i] * x[(size_t) i];
        std::vector<double> level ((size_t) N);
        for (int i = 0; i < N; ++i)
        {
            const int lo = std::max (0, i - half), hi = std::min (N, i + half + 1);
            level[(size_t) i] = std::sqrt ((running[(size_t) hi] - running[(size_t) lo]) / (hi - lo));
        }
        for (int i = 0; i < N; ++i)
            x[(size_t) i] /= level[(size_t) i] + 1e-30;
        for (int i = 0; i < N; ++i)
            tail[(size_t) i] += x[(size_t) i] * std::exp (-6.91 * (i / SampleRate) / room.t60[b]);
    }
    for (int i = 0; i < N; ++i)
    {
        const double t = i / SampleRate;
        double fade = 1.0;
        if (t <= firstReflection)
            fade = 0.0;
        else if (t < mixingTime)
            fade = 0.5 - 0.5 * std::cos (pi * (t - firstReflection) / (mixingTime - firstReflection));
        tail[(size_t) i] *= fade;
    }

    // No rumble below 20 Hz, and a fade to silence over the last 15 %.
    const int fadeStart = N - (N * 15) / 100;
    auto finish = [&] (std::vector<double>& x)
    {
        Biquad::make (20.0, true).run (x);
        for (int i = fadeStart; i < N; ++i)
        {
            const double c = std::cos (0.5 * pi * (i - fadeStart) / (double) (N - fadeStart));
            x[(size_t) i] *= c * c;
        }
    };
    finish (early);
    finish (tail);

    // The reverberant energy the direct-to-reverberant ratio asks for; the early
    // reflections never take more than half of it.
    const double wanted = std::pow (10.0, -room.directToReverberantDb / 10.0);
    double earlyGain = 1.0;
    const double earlyEnergy = energy (early);
    if (earlyEnergy > 0.5 * wanted)
        earlyGain = std::sqrt (0.5 * wanted / earlyEnergy);
    const double tailGain = std::sqrt (std::max (0.0, wanted - earlyGain * earlyGain * earlyEnergy) / energy (tail));
    std::vector<double> r ((size_t) N);
    for (int i = 0; i < N; ++i)
        r[(size_t) i] = earlyGain * early[(size_t) i] + tailGain * tail[(size_t) i];
    r[0] = 0.0;
    const double reverberant = energy (r);
    for (double& v : r)
        v *= std::sqrt (wanted / reverberant);

    // The whole response has no DC: the correction decays with the lowest band, so it
    // neither outlasts the reverberation nor changes how it decays.
    r[0] = 1.0;
    double sum = 0, weight = 0;
    for (int i = 0; i < N; ++i)
        sum += r[(size_t) i];
    std::vector<double> shape ((size_t) N, 0.0);
    for (int i = 1; i < N; ++i)
    {
        double c = std::exp (-6.91 * (i / SampleRate) / room.t60[0]);
        if (i >= fadeStart)
        {
            const double f = std::cos (0.5 * pi * (i - fadeStart) / (double) (N - fadeStart));
            c *= f * f;
        }
        shape[(size_t) i] = c;
        weight += c;
    }
    for (int i = 1; i < N; ++i)
        r[(size_t) i] -= sum / weight * shape[(size_t) i];

    double peak = 0;
    for (double v : r)
        peak = std::max (peak, std::abs (v));
    for (double& v : r)
        v *= 0.7 / peak; // "as recorded": the body filter normalises it

    RoomData out;
    out.response = toFloat (r);
    return out;
}

SoundData generateAll()
{
    SoundData d;
    for (int i = 0; i < 9; ++i)
        d.guitars.push_back (generateGuitar (i, SeedBase + (uint64_t) i));
    for (int j = 0; j < 6; ++j)
        d.rooms.push_back (generateRoom (j, SeedBase + 100 + (uint64_t) j));
    return d;
}

} // namespace tovalin::sounddata
