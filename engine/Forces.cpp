#include "Forces.h"
#include "ForcesInline.h"
#include "SimdPath.h"

#include <cmath>

#include <immintrin.h>

namespace tovalin
{
namespace
{
    constexpr double singlePi = (double) 3.14159265358979323846f;
    constexpr double pi = 3.14159265358979323846;

    int signOf (double v) noexcept { return (v > 0) - (v < 0); }
} // namespace

// ---------------------------------------------------------------------------------
// Release timer

DummyDampingForce::DummyDampingForce (float rate) noexcept : duration ((int) (0.05f * rate)) {}

float DummyDampingForce::compute (float) noexcept
{
    if (! finished)
    {
        ++count;
        if (count >= duration)
            finished = 1;
    }
    return 0.0f;
}

// ---------------------------------------------------------------------------------
// Excitation endpoints and table

// m, Q, vd, k, dr, maxTravel, releaseTime, amplitude. A finger lets go over a fraction of a
// millisecond, which keeps its attack rounder than a pick's.
const GestureRecord ExcitationEndpoints::pickSoftGesture = {0.0849f, 0.44f, 0.168f, 5112, 0.00043f, 0.005f, 0.0f, 0.5f};
const GestureRecord ExcitationEndpoints::pickHardGesture = {0.0804f, 0.4f, 0.178f, 5298, 0.003f, 0.005f, 0.0f, 1.0f};
const GestureRecord ExcitationEndpoints::fingerSoftGesture = {0.0054f,  3.0f,   0.17f,   7520,
                                                              0.00043f, 0.005f, 0.0005f, 0.5f};
const GestureRecord ExcitationEndpoints::fingerHardGesture = {0.0052f, 4.0f,   0.18f,   7730,
                                                              0.003f,  0.005f, 0.0004f, 1.0f};

// sigma0, sigma1, mu_s, mu_d, fN, vs, breakawayRatio
const FrictionRecord ExcitationEndpoints::pickSoftFriction = {5313, 0.000258f, 1.48f, 1.12f, 100, 0.08f, 0.5f};
const FrictionRecord ExcitationEndpoints::pickHardFriction = {5500, 0.000209f, 2.25f, 2.15f, 140, 0.784f, 0.8f};
const FrictionRecord ExcitationEndpoints::fingerSoftFriction = {5400, 0.00028f, 2.1f, 2.0f, 50, 0.1f, 0.5f};
const FrictionRecord ExcitationEndpoints::fingerHardFriction = {5500, 0.000185f, 2.2f, 2.1f, 74, 1.0f, 0.8f};

namespace
{
    template <typename Record, size_t FieldCount>
    Record blend (const Record& a, const Record& b, double share, float Record::*const (&fields)[FieldCount])
    {
        Record r = a;
        for (auto field : fields)
            r.*field = (float) ((double) (a.*field) * share + (double) (b.*field) * (1.0 - share));
        return r;
    }

    float GestureRecord::*const gestureFields[] = {&GestureRecord::mass,         &GestureRecord::quality,
                                                   &GestureRecord::driveSpeed,   &GestureRecord::stiffness,
                                                   &GestureRecord::releaseDepth, &GestureRecord::maxTravel,
                                                   &GestureRecord::releaseTime,  &GestureRecord::amplitude};
    float FrictionRecord::*const frictionFields[] = {
        &FrictionRecord::bristleStiffness, &FrictionRecord::bristleDamping, &FrictionRecord::staticFriction,
        &FrictionRecord::dynamicFriction,  &FrictionRecord::normalForce,    &FrictionRecord::stribeckVelocity,
        &FrictionRecord::breakawayRatio};
} // namespace

void ExcitationTable::build (double e) noexcept
{
    using X = ExcitationEndpoints;
    const GestureRecord softG = blend (X::pickSoftGesture, X::fingerSoftGesture, e, gestureFields);
    const GestureRecord hardG = blend (X::pickHardGesture, X::fingerHardGesture, e, gestureFields);
    const FrictionRecord softF = blend (X::pickSoftFriction, X::fingerSoftFriction, e, frictionFields);
    const FrictionRecord hardF = blend (X::pickHardFriction, X::fingerHardFriction, e, frictionFields);
    for (int level = 0; level < Levels; ++level)
    {
        const double t = level / 127.0;
        gestures[level] = blend (hardG, softG, t, gestureFields);
        frictions[level] = blend (hardF, softF, t, frictionFields);
    }
}

// ---------------------------------------------------------------------------------
// Pluck

ForcePlucking::ForcePlucking (const FrictionRecord& f, const GestureRecord& g, float sampleRate) noexcept
    : maxCount ((int) std::lround (0.1 * std::floor ((double) sampleRate))), friction (f), gesture (g)
{
    rate = sampleRate;
    dt = 1.0 / rate;
    fs = (double) f.staticFriction * f.normalForce;
    fc = (double) f.dynamicFriction * f.normalForce;
    zba = (double) f.breakawayRatio * fc / f.bristleStiffness;
    const double m = g.mass, k = g.stiffness;
    damping = std::sqrt (k * m) / g.quality;

    const double B = k * dt * dt / m;
    const double C = damping * dt / m;
    const double D = B + 2.0 + 1.5 * C;
    beta1 = (5.0 + 2.0 * C) / D;
    beta2 = (-4.0 - C / 2.0) / D;
    beta3 = 1.0 / D;
    betaP = B / D;
    betaV = C * dt * g.driveSpeed / D;
    phi = dt * dt / (m * D);
    kappa = 1.5 * rate * phi;
}

void ForcePlucking::restart() noexcept
{
    ++repeats;
    F = 0;
    phase = 0;
    count = 0;
    releaseLeft = -1;
}

float ForcePlucking::compute (float yIn) noexcept
{
    if (finished)
        return 0.0f;

    if (phase == 3 && releaseLeft < 0)
    {
        releaseSteps = (int) std::lround ((double) gesture.releaseTime * rate);
        releaseLeft = releaseSteps;
        releaseForce = F;
    }
    if (phase == 3 && releaseLeft > 0)
    {
        // The contact lets go gradually: modes faster than the release are barely excited.
        --releaseLeft;
        F = releaseForce * (0.5 + 0.5 * std::cos (pi * (releaseSteps - releaseLeft) / (releaseSteps + 1.0)));
        return (float) F;
    }

    if (count >= maxCount || phase == 3)
    {
        F = 0;
        releaseLeft = -1;
        if (repeats == 0)
            finished = 1;
        else
        {
            --repeats;
            phase = 0;
            count = 0;
        }
        return 0.0f;
    }

    const double y = yIn;
    if (count == 0)
        y1 = y2 = y3 = y;

    if (count >= 3)
    {
        if (phase == 0 && y / gesture.releaseDepth < 0.2)
        {
            phase = 1;
            p = x = x1 = x2 = x3 = y;
        }
        if (phase == 1)
        {
            frictionSolve (y);
            if (p < gesture.maxTravel)
                p += gesture.driveSpeed * dt;
        }
    }

    const double dr = gesture.releaseDepth;
    if (accumulated > 3.0 * dr * dr / 0.009)
        phase = 3;

    ++count;
    y3 = y2;
    y2 = y1;
    y1 = y;

    previousE = E;
    E = gesture.stiffness * (x - p) * (x - p);
    energyDrop = (float) (previousE - E);
    accumulated += E - previousE;
    return (float) F;
}

void ForcePlucking::frictionSolve (double y) noexcept
{
    const double s0 = friction.bristleStiffness;
    const double s1 = friction.bristleDamping;
    const double vs = friction.stribeckVelocity;

    const double xp = beta1 * x1 + beta2 * x2 + beta3 * x3 + betaP * p + betaV;
    if (std::abs (xp - y - phi * F) < 0.01)
    {
        const double vp = ((3 * xp - 4 * x1 + x2) - (3 * y - 4 * y1 + y2)) * rate / 2;
        double v = vp - kappa * F;
        const double z0 = z + (dt / 2) * w;

        for (int iteration = 0; iteration < 5; ++iteration)
        {
            const double stribeck = (fs - fc) * std::exp (-(v / vs) * (v / vs));
            const double zss = v > 0 ? (fc + stribeck) / s0 : v < 0 ? -(fc + stribeck) / s0 : fs / s0;
            const double absZ = std::abs (z);
            const bool sameSign = v != 0 && signOf (v) == signOf (z);
            const bool inBreakaway = zba < absZ && absZ < zss;

            double alpha;
            if (! sameSign)
                alpha = 0;
            else if (inBreakaway)
                alpha = (z - zba) / (zss - zba);
            else if (absZ >= zss)
                alpha = 1;
            else
                alpha = 0;

            const double dzss = v == 0 ? 0.0 : -2.0 * std::abs (v) * stribeck / (s0 * vs * vs);
            const double zdot = v * (1.0 - alpha * z / zss);
            const double g = zdot - w;
            const double dAlphaDv =
                (v != 0 && inBreakaway && z * v > 0) ? zba * dzss / ((zss - zba) * (zss - zba)) : 0.0;
            const double dZdotDv = 1.0 - (z / (zss * zss)) * ((alpha + v * dAlphaDv) * zss - v * alpha * dzss);
            const double dAlphaDz = (sameSign && inBreakaway) ? 1.0 / (zss - zba) : 0.0;
            const double dZdotDz = -(v / zss) * (alpha + z * dAlphaDz);
            const double gPrime = (dt / 2) * dZdotDz - s1 * kappa * dZdotDv - 1.0;

            w -= g / gPrime;
            z = z0 + (dt / 2) * w;
            F = s1 * w + s0 * z;
            v = vp - kappa * F;
        }
    }

    x = xp - phi * F;
    x3 = x2;
    x2 = x1;
    x1 = x;
}

// ---------------------------------------------------------------------------------
// Pads

void PadPair::setup (double rate, double k, double W, double dampingDivisor, double approachFrequency) noexcept
{
    const double dt = 1.0 / rate;
    const double m = k / (W * W);
    const double c = std::sqrt (m * k) / dampingDivisor;
    const double B = k * dt * dt / m;
    const double C = c * dt / m;
    const double h = B + 2.0 + (11.0 / 6.0) * C;
    gamma1 = (3 * C + 5) / h;
    gamma2 = (-4 - 1.5 * C) / h;
    gamma3 = (C / 3 + 1) / h;
    gammaA = B / h;
    gammaV = (C / 6) / h;
    phi = dt * dt / (m * h);

    const double omega = 2.0 * pi * approachFrequency;
    trajectoryE = 2.0 * std::cos (omega * dt);
    trajectorySine = std::sin (omega * dt);
    trajectorySteps = (int) (pi / (2.0 * omega * dt));
}

void PadPair::startTrajectories (double d, double travel, double restLevel) noexcept
{
    const double e = trajectoryE;
    const double s = trajectorySine;
    const double h = (2.0 - e) * restLevel;
    double a[4];
    a[0] = d;
    a[1] = d - s * (travel + d);
    a[2] = e * a[1] - a[0] + h;
    a[3] = e * a[2] - a[1] + h;
    for (int i = 0; i < 4; ++i)
    {
        target[i][0] = a[i];
        target[i][1] = -a[i];
    }
    for (int i = 0; i < 3; ++i)
    {
        pos[i][0] = d;
        pos[i][1] = -d;
    }
    restH = h;
}

double PadPair::predict (int lane) const noexcept
{
    const double* const t0 = target[0];
    const double* const t1 = target[1];
    const double* const t2 = target[2];
    const double* const t3 = target[3];
    return (11 * t3[lane] - 18 * t2[lane] + 9 * t1[lane] - 2 * t0[lane]) * gammaV + gamma1 * pos[0][lane] +
           gamma2 * pos[1][lane] + gamma3 * pos[2][lane] + gammaA * t3[lane];
}

// ---------------------------------------------------------------------------------
// Fretting finger

ForceFret::ForceFret (float rate, float fretStiffness) noexcept : liftDuration ((int) std::floor (0.6 * rate))
{
    const double W = 2.0 * singlePi * 50000.0 * 1.3 * 9.0 * 2.0 * 5.0;
    pads.setup (rate, 1e4 * (double) fretStiffness, W, 40.0, 8.5);
}

// Each pad's contact force solves Kc (delta - phi F)^2 = F. Newton's iteration from
// the previous force converges to the root u = delta - phi F of phi Kc u^2 + u - delta = 0;
// it is taken here in closed form (the stable form, without cancellation). Contact
// starts as before: only when the pad overlaps the string with last sample's force.
__attribute__ ((always_inline)) inline void solvePads (double phi, double Kc, double y, const double* q,
                                                       double* force) noexcept
{
    // Pad A overlaps by y - qA, pad B by qB - y.
    const __m128d yy = _mm_set1_pd (y), qq = _mm_load_pd (q);
    const __m128d delta = _mm_move_sd (_mm_sub_pd (qq, yy), _mm_sub_pd (yy, qq));
    const __m128d previous = _mm_load_pd (force);
    const __m128d touching =
        _mm_cmpgt_pd (_mm_sub_pd (delta, _mm_mul_pd (_mm_set1_pd (phi), previous)), _mm_setzero_pd());
    // Clamped so that a pad clear of the string never takes the root of a negative.
    const __m128d overlap = _mm_max_pd (delta, _mm_setzero_pd());
    const __m128d root =
        _mm_sqrt_pd (_mm_add_pd (_mm_set1_pd (1.0), _mm_mul_pd (_mm_set1_pd (4.0 * phi * Kc), overlap)));
    const __m128d u = _mm_div_pd (_mm_mul_pd (_mm_set1_pd (2.0), overlap), _mm_add_pd (_mm_set1_pd (1.0), root));
    _mm_store_pd (force, _mm_and_pd (touching, _mm_mul_pd (_mm_set1_pd (Kc), _mm_mul_pd (u, u))));
}

#if defined(__x86_64__) || defined(__i386__)
namespace
{
    bool widePadSolves() noexcept { return activeSimdPath() == SimdPath::avx512; }
} // namespace

#if defined(__GNUC__) && ! defined(__clang__)
// GCC 12's own AVX-512 intrinsics trip its uninitialised-value warnings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
namespace
{
    __attribute__ ((target ("avx512f"))) inline __m512d fourPairs (const __m128d* p) noexcept
    {
        const __m256d low = _mm256_insertf128_pd (_mm256_castpd128_pd256 (p[0]), p[1], 1);
        const __m256d high = _mm256_insertf128_pd (_mm256_castpd128_pd256 (p[2]), p[3], 1);
        return _mm512_insertf64x4 (_mm512_castpd256_pd512 (low), high, 1);
    }
} // namespace

// Four fingers' pads (eight lanes, pad A of finger j in lane 2j, pad B in 2j + 1) in
// one pass of solvePads' operations. The square root and the division are the costly
// steps, and the processor takes them eight lanes wide in the time of two: the same
// correctly rounded operations lane by lane (the engine is built without contracting
// products and sums into fused operations), so the same bits.
__attribute__ ((target ("avx512f"))) void ForceFret::solveFour (const ContactSolve* batch, int count) noexcept
{
    // Each finger's pair moves as one 16-byte value, in and out: wider loads of what
    // narrower stores just wrote (or the reverse) would stall the processor.
    // Unused lanes hold zeros: no overlap, no force.
    __m128d y[4], q[4], previous[4], phi[4], stiffness[4], c4[4];
    for (int j = 0; j < 4; ++j)
    {
        if (j < count)
        {
            const ForceFret& f = *batch[j].force;
            y[j] = _mm_set1_pd (f.pendingY);
            q[j] = _mm_load_pd (f.q);
            previous[j] = _mm_load_pd (f.pads.force);
            phi[j] = _mm_set1_pd (f.pads.phi);
            stiffness[j] = _mm_set1_pd (f.contactStiffness);
            c4[j] = _mm_set1_pd (4.0 * f.pads.phi * f.contactStiffness);
        }
        else
            y[j] = q[j] = previous[j] = phi[j] = stiffness[j] = c4[j] = _mm_setzero_pd();
    }
    const __m512d vy = fourPairs (y), vq = fourPairs (q), vPrevious = fourPairs (previous);
    const __m512d vPhi = fourPairs (phi), vStiffness = fourPairs (stiffness), vC4 = fourPairs (c4);

    // Pad A overlaps by y - qA, pad B by qB - y.
    const __m512d delta = _mm512_mask_blend_pd ((__mmask8) 0xAA, _mm512_sub_pd (vy, vq), _mm512_sub_pd (vq, vy));
    const __mmask8 touching =
        _mm512_cmp_pd_mask (_mm512_sub_pd (delta, _mm512_mul_pd (vPhi, vPrevious)), _mm512_setzero_pd(), _CMP_GT_OS);
    const __m512d overlap = _mm512_max_pd (delta, _mm512_setzero_pd());
    const __m512d one = _mm512_set1_pd (1.0);
    const __m512d root = _mm512_sqrt_pd (_mm512_add_pd (one, _mm512_mul_pd (vC4, overlap)));
    const __m512d u = _mm512_div_pd (_mm512_mul_pd (_mm512_set1_pd (2.0), overlap), _mm512_add_pd (one, root));
    const __m512d force = _mm512_maskz_mul_pd (touching, vStiffness, _mm512_mul_pd (u, u));
    const __m256d low = _mm512_castpd512_pd256 (force), high = _mm512_extractf64x4_pd (force, 1);
    const __m128d pairs[4] = {_mm256_castpd256_pd128 (low), _mm256_extractf128_pd (low, 1),
                              _mm256_castpd256_pd128 (high), _mm256_extractf128_pd (high, 1)};
    for (int j = 0; j < count; ++j)
        _mm_store_pd (batch[j].force->pads.force, pairs[j]);
}
#if defined(__GNUC__) && ! defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

void ForceFret::solveContacts (const ContactSolve* batch, int count) noexcept
{
#if defined(__x86_64__) || defined(__i386__)
    if (count > 1 && widePadSolves())
    {
        for (int start = 0; start < count; start += 4)
            solveFour (batch + start, count - start < 4 ? count - start : 4);
        return;
    }
#endif
    // Independent solves, one after another with nothing in between: the processor
    // overlaps their square roots and divisions.
    for (int i = 0; i < count; ++i)
    {
        ForceFret& f = *batch[i].force;
        solvePads (f.pads.phi, f.contactStiffness, f.pendingY, f.q, f.pads.force);
    }
}

float ForceFret::compute (float yIn) noexcept
{
    if (begin (yIn))
    {
        solveOwnContact();
        finish();
    }
    return result;
}

// ---------------------------------------------------------------------------------
// Palm and harmonic touch

ForcePalm::ForcePalm (int touchKind, float sampleRate, float K, float X, int duration) noexcept
    : kind (touchKind), touchDuration (duration), rate (sampleRate), strength (K), depth (X)
{
    const double W = 2.0 * singlePi * 50000.0 * 1.3 * 9.0 * 4.0;
    pads.setup (sampleRate, 1e4, W, 20.0, 4.5);
}

void ForcePalm::contact (double y) noexcept
{
    // Each pad's force solves K r d^2 = F, with d = delta - phi F its overlap and
    // r = velocity - o F its closing speed, by four Newton steps from the last force.
    // Both pads at once, pad A in the low lane: the same operations on each as one
    // pad at a time, so the same bits.
    const double phi = pads.phi;
    const double K = strength;
    const double o = (11.0 / 6.0) * rate * phi;
    const double stringVelocityTerm = 11 * y - 18 * y1 + 9 * y2 - 2 * y3;

    alignas (16) double q[2];
    pads.predictBoth (q);
    const auto velocityTerm = [&] (int lane)
    { return 11 * q[lane] - 18 * pads.pos[0][lane] + 9 * pads.pos[1][lane] - 2 * pads.pos[2][lane]; };
    const double padAVelocityTerm = velocityTerm (0);
    const double padBVelocityTerm = velocityTerm (1);

    const __m128d vPhi = _mm_set1_pd (phi), vO = _mm_set1_pd (o), vK = _mm_set1_pd (K);
    const __m128d vRate = _mm_set1_pd ((11.0 / 6.0) * rate), vKPhi = _mm_set1_pd (K * phi);
    const __m128d zero = _mm_setzero_pd();
    __m128d delta = _mm_set_pd (q[1] - y, y - q[0]);
    __m128d velocity = _mm_set_pd ((padBVelocityTerm - stringVelocityTerm) * rate / 6,
                                   (stringVelocityTerm - padAVelocityTerm) * rate / 6);
    __m128d force = _mm_load_pd (pads.force);
    // A pad clear of the string has no force; its lane iterates on zeros, harmlessly.
    const __m128d touching = _mm_cmpgt_pd (_mm_sub_pd (delta, _mm_mul_pd (vPhi, force)), zero);
    delta = _mm_and_pd (touching, delta);
    velocity = _mm_and_pd (touching, velocity);
    force = _mm_and_pd (touching, force);
    for (int step = 0; step < 4; ++step)
    {
        const __m128d d = _mm_sub_pd (delta, _mm_mul_pd (vPhi, force));
        const __m128d r = _mm_sub_pd (velocity, _mm_mul_pd (vO, force));
        const __m128d residual = _mm_sub_pd (_mm_mul_pd (_mm_mul_pd (_mm_mul_pd (vK, r), d), d), force);
        const __m128d slope = _mm_sub_pd (
            _mm_mul_pd (_mm_xor_pd (_mm_add_pd (_mm_mul_pd (vRate, d), _mm_add_pd (r, r)), _mm_set1_pd (-0.0)),
                        _mm_mul_pd (vKPhi, d)),
            _mm_set1_pd (1.0));
        force = _mm_sub_pd (force, _mm_div_pd (residual, slope));
    }
    // Never pulling: a negative force is none.
    force = _mm_andnot_pd (_mm_cmplt_pd (force, zero), force);
    _mm_store_pd (pads.force, _mm_and_pd (touching, force));
    pads.movePads (q);
}

float ForcePalm::compute (float yIn) noexcept
{
    if (finished)
        return 0.0f;
    if (count >= maxCount)
    {
        finished = 1;
        return 0.0f;
    }
    const double y = yIn;
    if (count == 0)
        y1 = y2 = y3 = y;
    if (count == 3 && ! pressing)
    {
        pressing = 1;
        pads.startTrajectories (std::abs (y), depth, -std::abs (y));
    }
    if (pressing && count > 0)
    {
        if (kind == 1 && count > touchDuration)
        {
            finished = 1;
            return 0.0f;
        }
        contact (y);
        pads.advanceTargets (count < 3 + pads.trajectorySteps);
    }
    y3 = y2;
    y2 = y1;
    y1 = y;
    ++count;
    return (float) (pads.force[1] - pads.force[0]);
}

} // namespace tovalin
