#pragma once

// Generates the guitars' body responses and bridge admittances and the rooms'
// responses from physical models: one modal body per guitar (explicit low modes plus a
// statistical band) gives both its radiated response and its bridge admittance, and
// shoebox rooms give image-source early reflections and a decaying octave-band tail.
// Deterministic: the same seeds give the same bytes.

#include "engine/GuitarConstants.h"
#include "engine/SoundDataFormat.h"

#include <cstdint>
#include <vector>

namespace tovalin::sounddata
{
constexpr double SampleRate = EngineSampleRate;
constexpr double AdmittanceScale = 14194.0; // table units per s/kg of bridge mobility
constexpr uint64_t SeedBase = 0x6A09E667F3BCC909ull;

/** splitmix64, with uniforms in (0, 1) and Box–Muller normals (cosine branch). */
class Random
{
public:
    explicit Random (uint64_t seed) : state (seed) {}
    uint64_t next() noexcept;
    double uniform() noexcept;
    double gaussian() noexcept;

private:
    uint64_t state;
};

struct ExplicitMode
{
    double frequency, q, admittancePeak, levelDb;
};

/** One guitar's body: nine explicit modes and the statistics of the band above. */
struct GuitarDesign
{
    const char* name;
    int bodyLength;
    int admittanceRows;
    double step;
    ExplicitMode modes[9];
    double statisticalStart;   // Hz
    double density;            // modes per Hz at the start
    double medianFrequency[3]; // where the target medians of |Y| are given
    double median[3];          // table units
    double floor;              // table units
    double qStart, qEnd;       // statistical Q at the start and from 5 kHz
    const double* envelopeDb;  // pressure envelope at EnvelopeFrequencies
};

constexpr int EnvelopePoints = 7;
extern const double EnvelopeFrequencies[EnvelopePoints];
extern const GuitarDesign Guitars[9];

/** One shoebox room. */
struct RoomDesign
{
    const char* name;
    int length;
    double dimensions[3], source[3], microphone[3];
    double t60[7]; // octave bands 125 Hz … 8 kHz
    double directToReverberantDb;
    double mixingTimeMs;
};

constexpr int RoomBands = 7;
extern const double BandCentres[RoomBands];
extern const RoomDesign Rooms[6];

/** A statistical body mode. */
struct BodyMode
{
    double frequency, q, chi, amplitudeGain, phase;
};

/** What the generator decided on the way, for the checks. */
struct GuitarReport
{
    double kappa = 0; // A0's residue over the one the volume-flow sum rule asks
    std::vector<BodyMode> statisticalModes;
};

/** The modes of the band above the explicit ones, drawn once up to 16 kHz. */
std::vector<BodyMode> statisticalModes (const GuitarDesign& g, Random& random);

/** Density of the statistical modes (per Hz) at f. */
double modeDensity (const GuitarDesign& g, double f);

/** The pressure envelope in dB re the main top resonance's peak. */
double envelopeDb (const GuitarDesign& g, double f);

/** The target median of |admittance| (table units) at f. */
double targetMedian (const GuitarDesign& g, double f);

/** The T60 range (s) the design aims at for an open string's partial (1 = the
    fundamental) at f Hz, on a steel-string body or a classical, flamenco or gypsy one;
    for the first 12 partials of each string. */
struct DecayRange
{
    double shortest, longest;
};
DecayRange decayTarget (bool steelBody, int string, int partial, double f);

/** True for the steel-string bodies (the four folk guitars and the jumbo). */
bool hasSteelBody (int guitar);

/** Whether f lies on one of the body's explicit resonances (within three
    half-bandwidths), where a partial gives its energy to the body fastest. */
bool onBodyResonance (const GuitarDesign& g, double f);

GuitarData generateGuitar (int index, uint64_t seed, GuitarReport* report = nullptr);
RoomData generateRoom (int index, uint64_t seed);

/** Everything, with the standard seeds. */
SoundData generateAll();

/** The octave band filter the rooms are built with: two 2nd-order Butterworth
    sections at each edge (low-pass only for the lowest band, high-pass only for the
    highest). Applied in place. */
void bandFilter (std::vector<double>& x, int band);

} // namespace tovalin::sounddata
