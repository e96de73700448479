#pragma once

#include <string>

namespace tovalin::heap
{
/** Counts every heap allocation made on the threads that asked for it: operator new and
    new[] in all their forms, malloc, calloc, realloc, posix_memalign, aligned_alloc,
    memalign, valloc and pvalloc (the test binary replaces them all). Sanitizer builds
    bring their own allocator, and nothing is counted there. */
bool allocationsAreCounted() noexcept;

/** Switches counting on or off for the calling thread only. */
void countAllocationsOnThisThread (bool on) noexcept;

/** Allocations counted since the last reset, on every counting thread. */
long countedAllocations() noexcept;
void resetCountedAllocations() noexcept;

/** The distinct call stacks of the first few counted allocations since the last
    reset, symbolised (one frame a line). Not for a counting thread. */
std::string whereCountedAllocationsWere();

/** Counts allocations on this thread while it lives. */
struct CountingAllocations
{
    CountingAllocations() noexcept { countAllocationsOnThisThread (true); }
    ~CountingAllocations() { countAllocationsOnThisThread (false); }
    CountingAllocations (const CountingAllocations&) = delete;
    CountingAllocations& operator= (const CountingAllocations&) = delete;
};

} // namespace tovalin::heap
