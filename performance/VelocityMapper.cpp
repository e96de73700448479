#include "VelocityMapper.h"

#include <juce_core/juce_core.h>

namespace tovalin
{
namespace
{
    void flatten (const FrictionRecord& f, const GestureRecord& g, float* out) noexcept
    {
        const float values[15] = {f.bristleStiffness, f.bristleDamping,   f.staticFriction, f.dynamicFriction,
                                  f.normalForce,      f.stribeckVelocity, f.breakawayRatio, g.mass,
                                  g.quality,          g.driveSpeed,       g.stiffness,      g.releaseDepth,
                                  g.maxTravel,        g.releaseTime,      g.amplitude};
        for (int i = 0; i < 15; ++i)
            out[i] = values[i];
    }
} // namespace

VelocityMapper::VelocityMapper()
{
    for (auto& table : records)
        for (auto& record : table)
            for (auto& v : record)
                v.store (0.0f, std::memory_order_relaxed);
    sequence[0].store (0);
    sequence[1].store (0);
    points = {{0, 0}, {127, ExcitationTable::Levels - 1}};
    sendChangeMessage();
    table.build (0.0);
    fullRebuild();
}

void VelocityMapper::levelRecord (int level, float* values) const noexcept
{
    flatten (table.frictions[level], table.gestures[level], values);
}

void VelocityMapper::writeRecord (int velocity, const float* values) noexcept
{
    for (int i = 0; i < RecordFloats; ++i)
        records[target][velocity][i].store (values[i], std::memory_order_relaxed);
}

void VelocityMapper::beginWrite() noexcept
{
    const int current = published.load (std::memory_order_relaxed);
    target = 1 - current;
    sequence[target].fetch_add (1, std::memory_order_acq_rel);
    for (int v = 0; v < Velocities; ++v)
        for (int i = 0; i < RecordFloats; ++i)
            records[target][v][i].store (records[current][v][i].load (std::memory_order_relaxed),
                                         std::memory_order_relaxed);
}

void VelocityMapper::endWrite() noexcept
{
    sequence[target].fetch_add (1, std::memory_order_release);
    published.store (target, std::memory_order_release);
}

void VelocityMapper::constantFill (int from, int to, int level) noexcept
{
    float values[RecordFloats];
    levelRecord (level, values);
    for (int v = std::max (0, from); v <= std::min (127, to); ++v)
        writeRecord (v, values);
}

void VelocityMapper::segmentFill (int a, int x, int b, int y) noexcept
{
    const int n = b - a;
    float from[RecordFloats], to[RecordFloats], mixed[RecordFloats];
    levelRecord (x, from);
    levelRecord (y, to);
    for (int k = 0; k < n; ++k)
    {
        // The quotient in single precision, widened for the mix.
        const double t = n >= 2 ? (double) ((float) k / (float) (n - 1)) : 0.0;
        for (int i = 0; i < RecordFloats; ++i)
            mixed[i] = (float) ((double) to[i] * t + (double) from[i] * (1.0 - t));
        if (a + k >= 0 && a + k < Velocities)
            writeRecord (a + k, mixed);
    }
}

void VelocityMapper::fullRebuild() noexcept
{
    beginWrite();
    const auto first = points.begin();
    if (first->first != 0)
        constantFill (0, first->first, first->second);
    for (auto it = points.begin(), next = std::next (it); next != points.end(); ++it, ++next)
        segmentFill (it->first, it->second, next->first, next->second);
    const auto last = std::prev (points.end());
    constantFill (last->first, 127, last->second);
    endWrite();
}

void VelocityMapper::fillAround (std::map<int, int>::const_iterator it, int velocity, int value) noexcept
{
    // From the previous point (or velocity 0) to the point, and on to the next (or 127).
    if (it == points.begin())
        constantFill (0, velocity, value);
    else
        segmentFill (std::prev (it)->first, std::prev (it)->second, velocity, value);
    const auto next = std::next (it);
    if (next == points.end())
        constantFill (velocity, 127, value);
    else
        segmentFill (velocity, value, next->first, next->second);
}

void VelocityMapper::rebuildExcitation (double blend)
{
    const juce::ScopedLock sl (lock);
    table.build ((double) (float) blend);
    fullRebuild();
}

void VelocityMapper::notifyModified()
{
    if (modifiedNotifier != nullptr)
        modifiedNotifier->markModified();
}

void VelocityMapper::addPoint (int velocity, int value)
{
    velocity = juce::jlimit (0, 127, velocity);
    value = juce::jlimit (0, ExcitationTable::Levels - 1, value);
    {
        const juce::ScopedLock sl (lock);
        points.emplace (velocity, value);
        // The map and the tables stay consistent: an existing point keeps its value,
        // and the tables are filled with what the map holds.
        value = points[velocity];
        const auto it = points.find (velocity);
        beginWrite();
        fillAround (it, velocity, value);
        endWrite();
    }
    notifyModified();
}

void VelocityMapper::movePoint (int oldVelocity, int newVelocity, int newValue)
{
    newValue = juce::jlimit (0, ExcitationTable::Levels - 1, newValue);
    {
        const juce::ScopedLock sl (lock);
        const auto it = points.find (oldVelocity);
        if (it == points.end())
            return;
        // Keep the point strictly between its neighbours, as the editor does.
        const int low = it == points.begin() ? 0 : std::prev (it)->first + 1;
        const int high = std::next (it) == points.end() ? 127 : std::next (it)->first - 1;
        newVelocity = juce::jlimit (low, high, newVelocity);
        beginWrite();
        fillAround (it, newVelocity, newValue);
        endWrite();
        points.erase (it);
        points[newVelocity] = newValue;
    }
    notifyModified();
}

bool VelocityMapper::removePoint (int velocity)
{
    {
        const juce::ScopedLock sl (lock);
        const auto it = points.find (velocity);
        if (it == points.end() || points.size() == 1)
            return false;
        beginWrite();
        const auto next = std::next (it);
        if (it == points.begin())
            constantFill (0, next->first, next->second);
        else if (next == points.end())
            constantFill (std::prev (it)->first, 127, std::prev (it)->second);
        else
            segmentFill (std::prev (it)->first, std::prev (it)->second, next->first, next->second);
        endWrite();
        points.erase (it);
    }
    notifyModified();
    return true;
}

void VelocityMapper::readPoints (const juce::XmlElement& element)
{
    {
        const juce::ScopedLock sl (lock);
        points.clear();
        for (auto* e : element.getChildIterator())
        {
            if (! e->hasTagName ("VelocityPoint") || ! e->hasAttribute ("id") || ! e->hasAttribute ("value"))
                continue;
            const int id = e->getIntAttribute ("id");
            const int value = e->getIntAttribute ("value");
            if (id >= 0 && id <= 127 && value >= 0 && value < ExcitationTable::Levels)
                points.emplace (id, value); // a repeated id keeps its first value
        }
        if (points.empty())
            points = {{0, 0}, {127, ExcitationTable::Levels - 1}};
        fullRebuild();
    }
    sendChangeMessage();
}

void VelocityMapper::writePoints (juce::XmlElement& element) const
{
    const juce::ScopedLock sl (lock);
    for (const auto& [velocity, value] : points)
    {
        auto* e = element.createNewChildElement ("VelocityPoint");
        e->setAttribute ("id", velocity);
        e->setAttribute ("value", value);
    }
}

std::map<int, int> VelocityMapper::getPoints() const
{
    const juce::ScopedLock sl (lock);
    return points;
}

void VelocityMapper::recordsFor (int velocity, FrictionRecord& f, GestureRecord& g) const noexcept
{
    velocity = velocity < 0 ? 0 : velocity > 127 ? 127 : velocity;
    float v[RecordFloats];
    // The published table is only rewritten once a later edit has published the other
    // one and begun on this one; then the read is simply made again.
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        const int t = published.load (std::memory_order_acquire);
        const unsigned before = sequence[t].load (std::memory_order_acquire);
        // Acquire loads keep the second look at the count after the record (plain loads
        // on x86).
        for (int i = 0; i < RecordFloats; ++i)
            v[i] = records[t][velocity][i].load (std::memory_order_acquire);
        if ((before & 1u) == 0 && sequence[t].load (std::memory_order_acquire) == before)
            break;
    }
    f = {v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
    g = {v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14]};
}

} // namespace tovalin
