#pragma once

#include "engine/Forces.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <map>

namespace juce
{
class XmlElement;
}

namespace tovalin
{
/** Told when the curve is edited, so that the current preset shows as modified. */
class ModifiedNotifier
{
public:
    virtual ~ModifiedNotifier() = default;
    virtual void markModified() = 0;
};

/** Turns a MIDI velocity into the pluck's excitation through the player's curve:
    points map velocities to levels of the 128-level excitation table, velocities in
    between are interpolated, and the result is kept for all 128 velocities so that a
    pluck is a lookup.

    Message thread (or the parameter's thread for rebuildExcitation): every edit, under
    the mapper's lock. Audio thread: recordsFor, which never waits: an edit writes the
    table the audio thread is not reading and then publishes it, and each table carries
    a sequence count, so a pluck never sees a half-written record. */
class VelocityMapper : public juce::ChangeBroadcaster
{
public:
    static constexpr int Velocities = 128;

    VelocityMapper();
    ~VelocityMapper() override = default;

    void setModifiedNotifier (ModifiedNotifier* notifier) noexcept { modifiedNotifier = notifier; }

    /** New blend of finger (0) and pick (1) for the excitation table, then a full rebuild. */
    void rebuildExcitation (double blend);

    void addPoint (int velocity, int value);
    void movePoint (int oldVelocity, int newVelocity, int newValue);
    /** False when it is the only point (nothing changes). */
    bool removePoint (int velocity);

    /** The "VelocityPoint" children of element replace the curve (defaults when none is valid). */
    void readPoints (const juce::XmlElement& element);
    /** One "VelocityPoint" child per point, ascending. */
    void writePoints (juce::XmlElement& element) const;

    /** The records of one velocity (audio thread; never blocks). */
    void recordsFor (int velocity, FrictionRecord& friction, GestureRecord& gesture) const noexcept;

    /** The curve (under the lock): velocity to excitation level. */
    std::map<int, int> getPoints() const;

    const ExcitationTable& excitation() const noexcept { return table; }

private:
    static constexpr int FrictionFloats = 7;
    static constexpr int GestureFloats = 8;
    static constexpr int RecordFloats = FrictionFloats + GestureFloats;

    void fullRebuild() noexcept;
    void constantFill (int from, int to, int level) noexcept;
    void segmentFill (int a, int x, int b, int y) noexcept;
    /** The segments on both sides of the point at it, taken at (velocity, value). */
    void fillAround (std::map<int, int>::const_iterator it, int velocity, int value) noexcept;
    void writeRecord (int velocity, const float* values) noexcept;
    void levelRecord (int level, float* values) const noexcept;
    void notifyModified();

    /** An edit starts from a copy of the published table in the other one, changes it,
        and publishes it; a table's count is odd while it is written. */
    void beginWrite() noexcept;
    void endWrite() noexcept;

    std::atomic<float> records[2][Velocities][RecordFloats];
    std::atomic<unsigned> sequence[2];
    std::atomic<int> published{0};
    int target = 1; // the table being written (writers hold the lock)
    std::map<int, int> points;
    ExcitationTable table;
    ModifiedNotifier* modifiedNotifier = nullptr;
    juce::CriticalSection lock;
};

} // namespace tovalin
