#pragma once

#include <array>
#include <cstdint>

namespace tovalin
{
/** A gesture waiting for its sample. Times are engine samples from the start of
    the current block and may lie beyond it. */
struct DelayedEvent
{
    int string = -1; // 0..5, or -1 while still to be chosen
    int note = -1;
    std::uint8_t velocity = 0;
    int time = 0;
    int fret = -1; // or -1 while still to be chosen
    int type = 1;  // StringState the string takes: 0 chord, 1 single, 2 legato
    bool assigned = false;
};

/** Time-ordered queue of delayed gestures in fixed storage, so that the audio thread
    never allocates. Events are appended with strictly increasing times and taken
    from the front. A full queue refuses further events (a note storm loses notes,
    never memory). */
class DelayedEventQueue
{
public:
    static constexpr int Capacity = 512;

    bool empty() const noexcept { return count == 0; }
    int size() const noexcept { return count; }

    /** Time of the last queued event, or -1 when empty. */
    int lastTime() const noexcept { return count == 0 ? -1 : at (count - 1).time; }

    const DelayedEvent& front() const noexcept { return events[(std::size_t) head]; }
    const DelayedEvent& at (int i) const noexcept { return events[(std::size_t) ((head + i) % Capacity)]; }

    /** Appends at time max(requestedTime, lastTime() + 1); false when full. */
    bool append (DelayedEvent e, int requestedTime) noexcept
    {
        if (count == Capacity)
            return false;
        const int last = lastTime();
        e.time = requestedTime > last ? requestedTime : last + 1;
        events[(std::size_t) ((head + count) % Capacity)] = e;
        ++count;
        return true;
    }

    DelayedEvent popFront() noexcept
    {
        DelayedEvent e = events[(std::size_t) head];
        head = (head + 1) % Capacity;
        --count;
        return e;
    }

    /** Removes the first event for this note; false when there is none. */
    bool removeFirstWithNote (int note) noexcept
    {
        for (int i = 0; i < count; ++i)
        {
            if (at (i).note != note)
                continue;
            for (int j = i; j + 1 < count; ++j)
                events[(std::size_t) ((head + j) % Capacity)] = at (j + 1);
            --count;
            return true;
        }
        return false;
    }

    /** After a block: drops the events inside it, shifts the rest to the next block. */
    void advance (int blockLength) noexcept
    {
        while (count > 0 && front().time < blockLength)
            popFront();
        for (int i = 0; i < count; ++i)
            events[(std::size_t) ((head + i) % Capacity)].time -= blockLength;
    }

    void clear() noexcept
    {
        head = 0;
        count = 0;
    }

private:
    std::array<DelayedEvent, Capacity> events{};
    int head = 0;
    int count = 0;
};

} // namespace tovalin
