#include "ChordLibrary.h"

#include "performance/ChordShapes.h"

#include <algorithm>
#include <cstring>

namespace tovalin
{
namespace
{
    constexpr ChordRow builtInRows[] = {
#include "ChordTable.inc"
    };

    std::uint64_t keyOf (int root, int mask) noexcept
    {
        return ((std::uint64_t) (std::uint32_t) root << 32) | (std::uint32_t) mask;
    }
} // namespace

ChordLibrary::ChordLibrary()
{
    for (const ChordRow& row : builtInRows)
    {
        if (row.root == 0)
            break;
        if (find (row.root, row.mask) != nullptr)
            continue; // a key already present keeps its first voicing
        Entry e;
        e.root = row.root;
        e.mask = row.mask;
        nameChord (row.root, row.mask, nullptr, 0, e.voicing.name, sizeof (e.voicing.name));
        for (int s = 0; s < StringCount; ++s)
        {
            e.voicing.fret[s] = row.fret[s];
            e.voicing.kind[s] = row.fret[s] != -1 ? 0 : 3;
        }
        e.voicing.noChord = false;
        const auto at = std::lower_bound (table.begin(), table.end(), keyOf (row.root, row.mask),
                                          [] (const Entry& x, std::uint64_t k) { return keyOf (x.root, x.mask) < k; });
        table.insert (at, e);
    }
}

const ChordVoicing* ChordLibrary::find (int root, int mask) const noexcept
{
    const std::uint64_t k = keyOf (root, mask);
    const auto at = std::lower_bound (table.begin(), table.end(), k,
                                      [] (const Entry& x, std::uint64_t key) { return keyOf (x.root, x.mask) < key; });
    return at != table.end() && keyOf (at->root, at->mask) == k ? &at->voicing : nullptr;
}

const ChordVoicing& ChordLibrary::lookup (int root, int mask) const noexcept
{
    const ChordVoicing* v = find (root, mask);
    return v != nullptr ? *v : none;
}

} // namespace tovalin
