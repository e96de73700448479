#include "engine/EmbeddedSoundData.h"
#include "engine/FFTReal.h"
#include "engine/SoundLibrary.h"
#include "engine/StringConstants.h"
#include "engine/StringModel.h"
#include "engine/StringPrecomputation.h"
#include "tools/sounddata/SoundDataGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

using namespace tovalin;
using namespace tovalin::sounddata;

namespace
{
const SoundData& embedded()
{
    static const SoundData data = []
    {
        SoundData d;
        std::string error;
        parseSoundData (embeddedSoundData(), embeddedSoundDataSize(), d, error);
        return d;
    }();
    return data;
}

constexpr int SpectrumLength = 65536;
constexpr double BinWidth = SampleRate / SpectrumLength;

/** |H| at the bins of a zero-padded transform. */
std::vector<double> magnitudeSpectrum (const std::vector<float>& h)
{
    std::vector<float> x (SpectrumLength, 0.0f), f (SpectrumLength);
    std::copy (h.begin(), h.begin() + (long) std::min (h.size(), x.size()), x.begin());
    FFTReal<float> fft (SpectrumLength);
    fft.doFft (x.data(), f.data());
    std::vector<double> m (SpectrumLength / 2 + 1);
    m[0] = std::abs (f[0]);
    m[SpectrumLength / 2] = std::abs (f[SpectrumLength / 2]);
    for (int k = 1; k < SpectrumLength / 2; ++k)
        m[(size_t) k] = std::hypot ((double) f[(size_t) k], (double) f[(size_t) (SpectrumLength / 2 + k)]);
    return m;
}

struct Peak
{
    double frequency = 0, magnitude = 0;
};

/** The largest local maximum of m between lo and hi (Hz). */
Peak peakBetween (const std::vector<double>& m, double lo, double hi)
{
    Peak p;
    for (int k = std::max (1, (int) (lo / BinWidth)); k <= (int) (hi / BinWidth) && k + 1 < (int) m.size(); ++k)
        if (m[(size_t) k] >= m[(size_t) k - 1] && m[(size_t) k] >= m[(size_t) k + 1] && m[(size_t) k] > p.magnitude)
            p = {k * BinWidth, m[(size_t) k]};
    return p;
}

double db (double x) { return 20.0 * std::log10 (x); }

/** Energy decay curve (Schroeder), in dB re its start, over the first `length` samples. */
std::vector<double> energyDecay (const std::vector<double>& x, size_t length)
{
    std::vector<double> e (length);
    double sum = 0;
    for (size_t i = length; i-- > 0;)
        e[i] = sum += x[i] * x[i];
    for (double& v : e)
        v = 10.0 * std::log10 (v / sum + 1e-300);
    return e;
}

/** T60 from the energy decay between -5 and -25 dB, by least squares. */
double t20 (const std::vector<double>& edc)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0, n = 0;
    for (size_t i = 0; i < edc.size(); ++i)
        if (edc[i] <= -5.0 && edc[i] >= -25.0)
        {
            const double t = (double) i / SampleRate;
            sx += t;
            sy += edc[i];
            sxx += t * t;
            sxy += t * edc[i];
            n += 1;
        }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return -60.0 / slope;
}

/** Medians of |Y| per octave from the statistical start, with their targets. */
std::vector<std::pair<double, double>> octaveMedians (const GuitarDesign& g, const GuitarData& d)
{
    std::vector<std::pair<double, double>> out;
    const double top = (g.admittanceRows - 1) * g.step;
    for (double lo = g.statisticalStart; lo < top; lo *= 2.0)
    {
        const double hi = std::min (2.0 * lo, top);
        std::vector<double> band;
        for (size_t i = 0; i < d.admittance.size(); ++i)
            if (i * g.step >= lo && i * g.step < hi)
                band.push_back (std::abs (d.admittance[i]));
        if (band.size() < 8)
            continue;
        std::sort (band.begin(), band.end());
        out.push_back ({band[band.size() / 2], targetMedian (g, std::sqrt (lo * hi))});
    }
    return out;
}
/** The amplitude time constants of every mode of string `s` at precision 2 on a guitar. */
std::vector<float> modeDecayTimes (int s, const SoundControls& controls, const AdmittanceTable& table)
{
    StringParams params;
    params.stringIndex = s;
    recomputeParams (params, controls, StringPreferences(), &table);
    StringModel model (ModeCountTable[2][s], StringFretCount[s], &params);
    computeModes (model);
    const float* tau = model.modes.decayTime.data();
    return std::vector<float> (tau, tau + model.modes.decayTime.size());
}
} // namespace

TEST (SoundData, TheEmbeddedDataHaveTheCatalogueSizesAndAreFinite)
{
    const SoundData& d = embedded();
    ASSERT_EQ (d.guitars.size(), 9u);
    ASSERT_EQ (d.rooms.size(), 6u);
    const int bodies[9] = {23259, 30319, 26353, 29369, 28775, 27132, 23764, 33196, 7140};
    const int rows[9] = {553, 1453, 2042, 1453, 1419, 1453, 1271, 1543, 795};
    const float steps[9] = {3.6296f, 2.7562f, 2.45f, 2.7562f, 2.8215f, 2.7562f, 3.15f, 2.5941f, 6.3f};
    const int rooms[6] = {9992, 15811, 13624, 15558, 26565, 27736};
    for (size_t i = 0; i < 9; ++i)
    {
        EXPECT_EQ (d.guitars[i].body.size(), (size_t) bodies[i]) << i;
        EXPECT_EQ (d.guitars[i].admittance.size(), (size_t) rows[i]) << i;
        EXPECT_EQ (d.guitars[i].step, steps[i]) << i;
        for (float v : d.guitars[i].body)
            ASSERT_TRUE (std::isfinite (v)) << i;
        for (float v : d.guitars[i].admittance)
            ASSERT_TRUE (std::isfinite (v)) << i;
    }
    for (size_t j = 0; j < 6; ++j)
    {
        EXPECT_EQ (d.rooms[j].response.size(), (size_t) rooms[j]) << j;
        for (float v : d.rooms[j].response)
            ASSERT_TRUE (std::isfinite (v)) << j;
    }

    // The library offers them under the catalogue's names.
    SoundLibrary library;
    ASSERT_EQ (library.guitarNames().size(), 9u);
    EXPECT_EQ (library.guitarNames()[8], "Vastro's Gypsy");
    EXPECT_EQ (library.roomNames()[3], "Medium 2");
    const GuitarEntry* corvan = library.findGuitar ("Corvan's Classical");
    ASSERT_NE (corvan, nullptr);
    EXPECT_EQ (corvan->admittanceFrequency[0], 0.0f);
    EXPECT_FLOAT_EQ (corvan->admittanceFrequency[60], 60 * 3.6296f);
    EXPECT_EQ (corvan->admittanceExtra.size(), corvan->admittance.size());
}

TEST (SoundData, TheGeneratorIsDeterministicAndReproducesTheEmbeddedData)
{
    const SoundData made = generateAll();
    const SoundData& stored = embedded();
    ASSERT_EQ (made.guitars.size(), stored.guitars.size());
    auto closeTo = [] (const std::vector<float>& a, const std::vector<float>& b)
    {
        if (a.size() != b.size())
            return false;
        float peak = 0;
        for (float v : b)
            peak = std::max (peak, std::abs (v));
        for (size_t i = 0; i < a.size(); ++i)
            if (std::abs (a[i] - b[i]) > 1e-6f * peak)
                return false;
        return true;
    };
    for (size_t i = 0; i < 9; ++i)
    {
        EXPECT_TRUE (closeTo (made.guitars[i].body, stored.guitars[i].body)) << i;
        EXPECT_TRUE (closeTo (made.guitars[i].admittance, stored.guitars[i].admittance)) << i;
    }
    for (size_t j = 0; j < 6; ++j)
        EXPECT_TRUE (closeTo (made.rooms[j].response, stored.rooms[j].response)) << j;

    EXPECT_EQ (generateGuitar (2, SeedBase + 2).body, generateGuitar (2, SeedBase + 2).body);
    EXPECT_NE (generateGuitar (2, SeedBase + 77).body, made.guitars[2].body);
    EXPECT_NE (generateRoom (1, SeedBase + 77).response, made.rooms[1].response);
}

TEST (SoundData, BodyResponsesRadiateTheirModesAndEnvelope)
{
    for (int i = 0; i < 9; ++i)
    {
        SCOPED_TRACE (Guitars[i].name);
        const GuitarDesign& g = Guitars[i];
        const std::vector<float>& h = embedded().guitars[(size_t) i].body;
        const size_t N = h.size();

        // The air mode's strength against what no net volume flow at DC would give.
        GuitarReport report;
        generateGuitar (i, SeedBase + (uint64_t) i, &report);
        EXPECT_GE (report.kappa, 1.0);
        EXPECT_LE (report.kappa, 3.0);

        double e = 0;
        size_t loudest = 0;
        for (size_t n = 0; n < N; ++n)
        {
            e += (double) h[n] * h[n];
            if (std::abs (h[n]) > std::abs (h[loudest]))
                loudest = n;
        }
        EXPECT_NEAR (e / (double) N, 1.0, 1e-4);
        EXPECT_LT ((double) loudest / SampleRate, 0.010);

        const auto m = magnitudeSpectrum (h);
        const double fA0 = g.modes[0].frequency, fTop = g.modes[1].frequency;
        const Peak a0 = peakBetween (m, fA0 * 0.97, fA0 * 1.03);
        const Peak top = peakBetween (m, fTop * 0.97, fTop * 1.03);
        ASSERT_GT (a0.magnitude, 0.0) << "a resonance near the air mode";
        ASSERT_GT (top.magnitude, 0.0) << "a resonance near the main top mode";
        EXPECT_NEAR (db (a0.magnitude / top.magnitude), g.modes[0].levelDb, 3.0);
        EXPECT_LE (db (m[(size_t) std::lround (0.4 * fA0 / BinWidth)] / a0.magnitude), -20.0)
            << "the reflex skirt below the air mode";

        // The statistical band, octave by octave, against its envelope (re the top mode).
        for (double fc : {1000.0, 2000.0, 4000.0, 8000.0})
        {
            double power = 0, target = 0;
            int bins = 0;
            for (int k = (int) (fc / std::sqrt (2.0) / BinWidth); k <= (int) (fc * std::sqrt (2.0) / BinWidth); ++k)
            {
                power += m[(size_t) k] * m[(size_t) k];
                target += std::pow (10.0, envelopeDb (g, k * BinWidth) / 10.0);
                ++bins;
            }
            const double level = 10.0 * std::log10 (power / bins) - db (top.magnitude);
            EXPECT_NEAR (level, 10.0 * std::log10 (target / bins), 5.0) << fc << " Hz";
        }

        std::vector<double> x (h.begin(), h.end());
        EXPECT_LE (energyDecay (x, N)[(size_t) (0.9 * (double) N)], -40.0);

        // The same modes make the admittance's peaks.
        const std::vector<float>& y = embedded().guitars[(size_t) i].admittance;
        size_t maxRow = 0;
        for (size_t r = 0; r < y.size(); ++r)
            if (std::abs (y[r]) > std::abs (y[maxRow]))
                maxRow = r;
        EXPECT_NEAR (maxRow * g.step / top.frequency, 1.0, 0.03);
    }
}

TEST (SoundData, AdmittancesPeakWhereTheBodyResonatesAndMeetTheirMedians)
{
    for (int i = 0; i < 9; ++i)
    {
        SCOPED_TRACE (Guitars[i].name);
        const GuitarDesign& g = Guitars[i];
        const std::vector<float>& y = embedded().guitars[(size_t) i].admittance;
        const float sign = y[0] < 0 ? -1.0f : 1.0f;
        std::vector<double> a (y.size());
        for (size_t r = 0; r < y.size(); ++r)
        {
            ASSERT_EQ (y[r] < 0, sign < 0) << "one sign throughout, row " << r;
            a[r] = std::abs (y[r]);
            ASSERT_GE (a[r], 1.0) << r;
            ASSERT_LE (a[r], 4000.0) << r;
        }
        const auto rowOf = [&] (double f) { return (size_t) std::lround (f / g.step); };
        const size_t globalMax = (size_t) (std::max_element (a.begin(), a.end()) - a.begin());
        EXPECT_NEAR (globalMax * g.step / g.modes[1].frequency, 1.0, 0.03);

        size_t a0 = rowOf (g.modes[0].frequency * 0.97);
        for (size_t r = a0; r <= rowOf (g.modes[0].frequency * 1.03); ++r)
            if (a[r] > a[a0])
                a0 = r;
        EXPECT_GT (a[a0], a[a0 - 1]);
        EXPECT_GT (a[a0], a[a0 + 1]) << "a local maximum at the air mode";
        const double dip = *std::min_element (a.begin() + (long) a0, a.begin() + (long) globalMax);
        EXPECT_LE (dip, 0.5 * std::min (a[a0], a[globalMax])) << "the anti-resonance between the two";

        for (const auto& [measured, target] : octaveMedians (g, embedded().guitars[(size_t) i]))
            EXPECT_NEAR (measured / target, 1.0, 0.25);
    }

    // Corvan's classical stays near the rows recorded of that guitar.
    const std::vector<float>& corvan = embedded().guitars[0].admittance;
    for (auto [f, recorded] :
         {std::pair (0.0, 99.46), {43.56, 97.15}, {217.78, 1649.66}, {958.22, 270.59}, {2003.56, 153.66}})
    {
        const double value = std::abs (corvan[(size_t) std::lround (f / 3.6296)]);
        EXPECT_GT (value, recorded / 2) << f;
        EXPECT_LT (value, recorded * 2) << f;
    }
}

TEST (SoundData, RoomsHaveTheirDirectSoundDecayAndBalance)
{
    for (int j = 0; j < 6; ++j)
    {
        SCOPED_TRACE (Rooms[j].name);
        const RoomDesign& room = Rooms[j];
        const std::vector<float>& r = embedded().rooms[(size_t) j].response;
        double peak = 0, rest = 0, sum = 0;
        size_t loudest = 0;
        for (size_t n = 0; n < r.size(); ++n)
        {
            if (std::abs (r[n]) > peak)
            {
                peak = std::abs (r[n]);
                loudest = n;
            }
            if (n > 0)
                rest += (double) r[n] * r[n];
            sum += r[n];
        }
        EXPECT_EQ (loudest, 0u) << "the direct sound comes first and loudest";
        EXPECT_NEAR (peak, 0.70, 0.01);
        EXPECT_NEAR (10.0 * std::log10 ((double) r[0] * r[0] / rest), room.directToReverberantDb, 1.5);
        EXPECT_LT (std::abs (sum / (double) r.size()), 1e-4 * peak);

        for (int b = 0; b < RoomBands; ++b)
        {
            // The reverberation alone, filtered backwards in time (a short low band's decay
            // is then not lengthened by the filter's own ringing), twice for the steeper
            // skirts of a measuring filter.
            std::vector<double> x (r.begin() + 1, r.end());
            std::reverse (x.begin(), x.end());
            bandFilter (x, b);
            bandFilter (x, b);
            std::reverse (x.begin(), x.end());
            const double t = t20 (energyDecay (x, (x.size() * 85) / 100));
            EXPECT_NEAR (t / room.t60[b], 1.0, 0.15) << BandCentres[b] << " Hz";
        }
    }
}

// The admittance sets how long each string partial sings: with the engine's own loss
// formulas, the first 12 partials of every open string stay inside the ranges of its
// kind of guitar (a partial on a body resonance may die faster: that is the body
// taking its energy, as on real guitars), with both string sets.
TEST (SoundData, EveryGuitarGivesItsStringsTheirDecayTimes)
{
    SoundLibrary library;
    std::vector<double> classical, steel;
    for (int i = 0; i < 9; ++i)
    {
        SCOPED_TRACE (Guitars[i].name);
        const bool steelBody = hasSteelBody (i);
        const AdmittanceTable table = library.findGuitar (Guitars[i].name)->admittanceTable();
        for (const char* set : {"Nylon", "Steel"})
            for (int s = 0; s < StringCount; ++s)
            {
                SoundControls controls;
                controls.stringType = set;
                const std::vector<float> decayTime = modeDecayTimes (s, controls, table);
                for (int n = 0; n < 12; ++n)
                {
                    const double f = (n + 1) * openStringFrequency (s);
                    const double t60 = 6.91 * decayTime[(size_t) n];
                    const DecayRange range = decayTarget (steelBody, s, n + 1, f);
                    const double shortest = onBodyResonance (Guitars[i], f) ? 0.5 : range.shortest;
                    EXPECT_GE (t60, shortest)
                        << Guitars[i].name << " " << set << " string " << s << " partial " << n + 1 << " at " << f;
                    EXPECT_LE (t60, range.longest)
                        << Guitars[i].name << " " << set << " string " << s << " partial " << n + 1 << " at " << f;
                    if (std::string (set) == (steelBody ? "Steel" : "Nylon") && i != 8)
                        (steelBody ? steel : classical).push_back (t60);
                }
            }
    }
    // Steel-string bodies sing longer than the classical ones.
    std::sort (classical.begin(), classical.end());
    std::sort (steel.begin(), steel.end());
    EXPECT_GE (steel[steel.size() / 2], 1.3 * classical[classical.size() / 2]);
}

// The decay stays positive and finite at both ends of "Impedance".
TEST (SoundData, DecayTimesStayFiniteAcrossImpedance)
{
    SoundLibrary library;
    for (int i = 0; i < 9; ++i)
    {
        const AdmittanceTable table = library.findGuitar (Guitars[i].name)->admittanceTable();
        for (float impedance : {0.0f, 1.0f})
            for (int s = 0; s < StringCount; ++s)
            {
                SoundControls controls;
                controls.impedance = impedance;
                const std::vector<float> decayTime = modeDecayTimes (s, controls, table);
                for (size_t n = 0; n < decayTime.size(); ++n)
                {
                    const float tau = decayTime[n];
                    ASSERT_TRUE (std::isfinite (tau) && tau > 0.0f) << i << " " << impedance << " " << s << " " << n;
                }
            }
    }
}
