#pragma once

namespace tovalin
{
/** A contact force acting at one point of a string, stepped once per sample: it
    receives the string's displacement there (m) and returns the force it applies (N).
    A force raises `finished` itself; the voice then deletes it.

    Audio thread only. Arithmetic in double precision. */
class Force
{
public:
    virtual ~Force() = default;
    virtual float compute (float y) noexcept = 0;

    unsigned char finished = 0;
};

/** The release timer: applies nothing and finishes after 50 ms. */
class DummyDampingForce final : public Force
{
public:
    explicit DummyDampingForce (float rate) noexcept;
    float compute (float y) noexcept override;

    int duration;
    int count = 0;
};

/** Friction contact between finger (or pick) and string. */
struct FrictionRecord
{
    float bristleStiffness; // sigma0, N/m
    float bristleDamping;   // sigma1, N s/m
    float staticFriction;   // mu_s
    float dynamicFriction;  // mu_d
    float normalForce;      // N
    float stribeckVelocity; // m/s
    float breakawayRatio;
};

/** The finger's motion: a driven mass on a spring. */
struct GestureRecord
{
    float mass; // kg
    float quality;
    float driveSpeed;   // m/s
    float stiffness;    // N/m
    float releaseDepth; // m
    float maxTravel;    // m
    float releaseTime;  // s: how long the contact takes to let go (a finger's flesh rolls off, a pick snaps)
    float amplitude;    // the voice's velocity gain is amplitude squared
};

/** The four technique endpoints. */
struct ExcitationEndpoints
{
    static const GestureRecord pickSoftGesture, pickHardGesture, fingerSoftGesture, fingerHardGesture;
    static const FrictionRecord pickSoftFriction, pickHardFriction, fingerSoftFriction, fingerHardFriction;
};

/** 128 pluck levels from soft (0) to hard (127), blending finger and pick. */
class ExcitationTable
{
public:
    static constexpr int Levels = 128;

    ExcitationTable() { build (0.0); }

    /** blend: 0 all finger, 1 all pick (the "Excitation type" value to the fifth). */
    void build (double blend) noexcept;

    GestureRecord gestures[Levels];
    FrictionRecord frictions[Levels];
};

/** The plucking finger or pick: a driven mass that drags the string along by
    elasto-plastic friction until its stored energy passes a threshold, then lets go. */
class ForcePlucking final : public Force
{
public:
    ForcePlucking (const FrictionRecord& friction, const GestureRecord& gesture, float rate) noexcept;
    float compute (float y) noexcept override;

    /** Cuts the running cycle and queues one more: two further cycles in all. */
    void restart() noexcept;

    /** Drop of the finger's stored elastic energy in the last sample (drives the twang). */
    float energyDrop = 0.0f;

    int repeats = 0;
    int phase = 0; // 0 approach, 1 contact, 3 released
    int count = 0;
    int maxCount;

private:
    void frictionSolve (double y) noexcept;

    FrictionRecord friction;
    GestureRecord gesture;
    double dt, rate;
    double fs, fc, zba, damping;
    double beta1, beta2, beta3, betaP, betaV, phi, kappa;

    double p = 0, x = 0, x1 = 0, x2 = 0, x3 = 0;
    double y1 = 0, y2 = 0, y3 = 0;
    double z = 0, w = 0, F = 0;
    double E = 0, previousE = 0, accumulated = 0;
    int releaseSteps = 0, releaseLeft = -1; // the let-go ramp, not started while negative
    double releaseForce = 0;
};

/** Two pads pulled along trajectories toward and past the string: the shared dynamics
    of the fretting finger and the palm or harmonic touch. */
class PadPair
{
public:
    void setup (double rate, double stiffness, double angularFrequency, double dampingDivisor,
                double approachFrequency) noexcept;

    /** Starts both trajectories: pad A from d, first step d - s * (travel + d), swinging
        about restLevel; pad B mirrored. */
    void startTrajectories (double d, double travel, double restLevel) noexcept;

    /** Shifts the target histories, appending while the trajectory runs. */
    inline void advanceTargets (bool append) noexcept;

    /** Pad `lane`'s (0 for A, 1 for B) predicted position before its contact force. */
    double predict (int lane) const noexcept;
    /** Both predictions at once, into q[0] (A) and q[1] (B). */
    inline void predictBoth (double* q) const noexcept;
    inline void movePads (const double* q) noexcept;

    // Each history entry holds pad A then pad B, sixteen bytes read and written whole:
    // the per-sample shifts then never load what two narrower stores just wrote, which
    // the processor cannot forward and would stall on.
    using Pair = double[2];
    int trajectorySteps = 0;
    double phi = 0;
    alignas (16) Pair force = {};     // FA, FB
    alignas (16) Pair target[4] = {}; // oldest first, [3] newest
    alignas (16) Pair pos[3] = {};    // [0] newest
    double trajectoryE = 0;           // 2 cos(omega dt)
    double trajectorySine = 0;        // sin(omega dt)
    double restH = 0;                 // (2 - e) times the trajectory's rest level

private:
    double gamma1 = 0, gamma2 = 0, gamma3 = 0, gammaA = 0, gammaV = 0;
};

/** The fretting finger: two pads pinch the string at the fret point with a stiff
    quadratic contact. */
class ForceFret final : public Force
{
public:
    ForceFret (float rate, float fretStiffness) noexcept;
    float compute (float y) noexcept override;

    /** compute() in three steps, so that the contact solves of several voices can run
        side by side: begin() does everything before the solve and tells whether one is
        needed (else the sample's force is ready in result); then the pads' forces come
        from solveContacts (or solveOwnContact), and finish() completes the sample.
        The same arithmetic as compute(); defined in ForcesInline.h. */
    inline bool begin (float y) noexcept;
    void solveOwnContact() noexcept { solveContacts (&contactBatch, 1); }
    inline void finish() noexcept;
    float result = 0.0f;

    /** One pad pair's solve: in the overlaps and last forces, out the new forces. */
    struct ContactSolve
    {
        ForceFret* force;
    };
    static void solveContacts (const ContactSolve* batch, int count) noexcept;

    /** The finger leaves the string. */
    void lift() noexcept { lifting = 1; }

    int count = 0;
    unsigned char pressing = 0;
    unsigned char lifting = 0;
    int liftDuration;

private:
    /** Up to four solves at once (processors with AVX-512). */
    static void solveFour (const ContactSolve* batch, int count) noexcept;

    PadPair pads;
    double contactStiffness = 2.02e7;
    double y1 = 0, y2 = 0;
    // Between begin() and finish().
    double pendingY = 0;
    alignas (16) double q[2] = {}; // the pads' predictions, A then B
    bool appendAfterContact = false;
    ContactSolve contactBatch{this};
};

/** The palm-mute touch (kind 0) or the harmonic touch (kind 1): pads with a
    dissipative contact that damps instead of clamping. */
class ForcePalm final : public Force
{
public:
    ForcePalm (int kind, float rate, float strength, float depth, int touchDuration) noexcept;
    float compute (float y) noexcept override;

    int kind;
    int count = 0;
    unsigned char pressing = 0;
    int maxCount = 882000;
    int touchDuration;

private:
    void contact (double y) noexcept;

    PadPair pads;
    double rate;
    double strength, depth;
    double y1 = 0, y2 = 0, y3 = 0;
};

} // namespace tovalin
