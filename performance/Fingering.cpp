#include "Fingering.h"

#include <cstring>

namespace tovalin
{
Fingering::Fingering()
{
    for (int s = 0; s < StringCount; ++s)
    {
        highestNote[s] = OpenNote[s] + StringFretCount[s] - 1;
        note[s] = -1;
        fret[s] = -1;
        state[s] = StringState::Free;
        publishedFret[s].store (-1, std::memory_order_relaxed);
    }
    for (auto& word : publishedName)
        word.store (0, std::memory_order_relaxed);
    for (int n = LowestNote; n <= HighestNote; ++n)
        for (int s = 0; s < StringCount; ++s)
            fretTable[n - LowestNote][s] = (OpenNote[s] <= n && n <= highestNote[s]) ? n - OpenNote[s] : -1;
}

// The sequence lock's orderings, without fences (which ThreadSanitizer does not model):
// every published store is a release store, so a reader whose acquire load sees one of
// them also sees the odd count stored before it; the reader's data loads are acquire
// loads, so its second look at the count comes after them. A reader that found the same
// even count before and after its copy therefore saw no store of a write in between.
// (On x86 all of these are plain moves.)
void Fingering::beginPublish() noexcept
{
    sequence.store (sequence.load (std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void Fingering::endPublish() noexcept
{
    sequence.store (sequence.load (std::memory_order_relaxed) + 1, std::memory_order_release);
}

void Fingering::setString (int s, int noteNumber, int fretNumber, StringState newState) noexcept
{
    note[s] = noteNumber;
    fret[s] = fretNumber;
    state[s] = newState;
    beginPublish();
    publishedFret[s].store (fretNumber, std::memory_order_release);
    endPublish();
    changed.store (1, std::memory_order_release);
}

void Fingering::setStringFromFret (int s, int fretNumber, StringState newState) noexcept
{
    setString (s, OpenNote[s] + fretNumber, fretNumber, newState);
}

void Fingering::clearString (int s) noexcept { setString (s, -1, -1, StringState::Free); }

void Fingering::setState (int s, StringState newState) noexcept { state[s] = newState; }

void Fingering::reset() noexcept
{
    for (int s = 0; s < StringCount; ++s)
        clearString (s);
}

void Fingering::setChordName (const char* name) noexcept
{
    char bytes[NameWords * 8] = {};
    if (name != nullptr)
        std::strncpy (bytes, name, ChordNameCapacity - 1);
    beginPublish();
    for (size_t w = 0; w < NameWords; ++w)
    {
        std::uint64_t word;
        std::memcpy (&word, bytes + w * 8, 8);
        publishedName[w].store (word, std::memory_order_release);
    }
    endPublish();
}

bool Fingering::readPublished (Published& out) const noexcept
{
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        const std::uint32_t before = sequence.load (std::memory_order_acquire);
        if ((before & 1) != 0)
            continue;
        int frets[StringCount];
        char bytes[NameWords * 8];
        for (int s = 0; s < StringCount; ++s)
            frets[s] = publishedFret[s].load (std::memory_order_acquire);
        for (size_t w = 0; w < NameWords; ++w)
        {
            const std::uint64_t word = publishedName[w].load (std::memory_order_acquire);
            std::memcpy (bytes + w * 8, &word, 8);
        }
        if (sequence.load (std::memory_order_relaxed) != before)
            continue;
        std::memcpy (out.fret, frets, sizeof (frets));
        std::memcpy (out.chordName, bytes, ChordNameCapacity);
        out.chordName[ChordNameCapacity - 1] = 0;
        return true;
    }
    return false;
}

std::string Fingering::getChordName() const
{
    Published p;
    while (! readPublished (p))
        ;
    return p.chordName;
}

} // namespace tovalin
