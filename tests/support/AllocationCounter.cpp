#include "AllocationCounter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cxxabi.h>
#include <execinfo.h>
#include <memory>
#include <mutex>
#include <new>

// GCC names its sanitizers with macros, clang through __has_feature; a sanitizer's own
// allocator must not be replaced.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TOVALIN_SANITIZED_BUILD 1
#endif
#endif
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(TOVALIN_SANITIZED_BUILD)
#define TOVALIN_REPLACES_ALLOCATOR 0
#else
#define TOVALIN_REPLACES_ALLOCATOR 1
#endif

namespace
{
thread_local bool counting = false;
thread_local bool recording = false; // inside the counter: what it calls is not counted
std::atomic<long> count{0};

constexpr int maxStacks = 6, maxFrames = 28;
void* stacks[maxStacks][maxFrames];
int frameCounts[maxStacks];
std::atomic<int> stacksTaken{0};
std::mutex stacksLock; // taken only by counting threads, and only in tests that count

[[maybe_unused]] void noteAllocation() noexcept
{
    if (! counting || recording)
        return;
    recording = true;
    count.fetch_add (1, std::memory_order_relaxed);
    // Each distinct call stack once: one faulty path allocating at every block must not
    // hide the others.
    void* frames[maxFrames];
    const int depth = backtrace (frames, maxFrames);
    const std::lock_guard<std::mutex> lock (stacksLock);
    const int taken = stacksTaken.load();
    bool known = false;
    for (int s = 0; s < taken && ! known; ++s)
        known = frameCounts[s] == depth && std::equal (frames, frames + depth, stacks[s]);
    if (! known && taken < maxStacks)
    {
        std::copy (frames, frames + depth, stacks[taken]);
        frameCounts[taken] = depth;
        stacksTaken = taken + 1;
    }
    recording = false;
}

// The first backtrace loads the unwinder, which allocates: done before any counting.
const int unwinderLoaded = []
{
    void* frame[2];
    return backtrace (frame, 2);
}();
} // namespace

namespace tovalin::heap
{
bool allocationsAreCounted() noexcept { return TOVALIN_REPLACES_ALLOCATOR != 0 && unwinderLoaded > 0; }

void countAllocationsOnThisThread (bool on) noexcept { counting = on; }

long countedAllocations() noexcept { return count.load(); }

void resetCountedAllocations() noexcept
{
    count = 0;
    stacksTaken = 0;
}

std::string whereCountedAllocationsWere()
{
    const std::lock_guard<std::mutex> lock (stacksLock);
    std::string text;
    const int taken = std::min (stacksTaken.load(), maxStacks);
    for (int s = 0; s < taken; ++s)
    {
        text += "allocating call " + std::to_string (s + 1) + ":\n";
        char** symbols = backtrace_symbols (stacks[s], frameCounts[s]);
        for (int f = 1; f < frameCounts[s] && symbols != nullptr; ++f) // past the counter's own frame
        {
            std::string line = symbols[f];
            // "binary(mangled+0x12) [0x...]": the name demangled where there is one.
            const auto open = line.find ('('), plus = line.find ('+', open);
            if (open != std::string::npos && plus != std::string::npos && plus > open + 1)
            {
                int status = 0;
                std::unique_ptr<char, void (*) (void*)> name (
                    abi::__cxa_demangle (line.substr (open + 1, plus - open - 1).c_str(), nullptr, nullptr, &status),
                    std::free);
                if (status == 0)
                    line = std::string (name.get()) + "  " + line.substr (0, open);
            }
            text += "  " + line + "\n";
        }
        std::free (symbols);
    }
    return text;
}

} // namespace tovalin::heap

#if TOVALIN_REPLACES_ALLOCATOR
// glibc's own allocator under its internal names: the replacements below count and
// forward to it.
extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void __libc_free (void*);
    void* __libc_memalign (size_t, size_t);
    void* __libc_valloc (size_t);
    void* __libc_pvalloc (size_t);

    void* malloc (size_t size) noexcept
    {
        noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (size_t n, size_t size) noexcept
    {
        noteAllocation();
        return __libc_calloc (n, size);
    }

    void* realloc (void* p, size_t size) noexcept
    {
        noteAllocation();
        return __libc_realloc (p, size);
    }

    void free (void* p) noexcept { __libc_free (p); }

    void* memalign (size_t alignment, size_t size) noexcept
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (size_t alignment, size_t size) noexcept
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    int posix_memalign (void** result, size_t alignment, size_t size) noexcept
    {
        noteAllocation();
        if (alignment % sizeof (void*) != 0 || (alignment & (alignment - 1)) != 0)
            return EINVAL;
        void* p = __libc_memalign (alignment, size);
        if (p == nullptr && size != 0)
            return ENOMEM;
        *result = p;
        return 0;
    }

    void* valloc (size_t size) noexcept
    {
        noteAllocation();
        return __libc_valloc (size);
    }

    void* pvalloc (size_t size) noexcept
    {
        noteAllocation();
        return __libc_pvalloc (size);
    }
}

namespace
{
void* allocate (std::size_t size)
{
    noteAllocation();
    if (void* p = __libc_malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    noteAllocation();
    if (void* p = __libc_memalign ((size_t) alignment, size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateOrNull (std::size_t size) noexcept
{
    noteAllocation();
    return __libc_malloc (size == 0 ? 1 : size);
}

void* allocateAlignedOrNull (std::size_t size, std::align_val_t alignment) noexcept
{
    noteAllocation();
    return __libc_memalign ((size_t) alignment, size == 0 ? 1 : size);
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull (size); }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull (size); }
void* operator new (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void* operator new (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocateAlignedOrNull (size, a);
}
void* operator new[] (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    return allocateAlignedOrNull (size, a);
}

void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept { __libc_free (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept { __libc_free (p); }
void operator delete (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::align_val_t, const std::nothrow_t&) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t, const std::nothrow_t&) noexcept { __libc_free (p); }
#endif
