#include "ChordNames.h"

#include <algorithm>

namespace tovalin
{
const char* noteName (int note)
{
    static const char* const names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return names[((note % 12) + 12) % 12];
}

std::string nameChord (int root, int mask, const std::vector<int>& bassNotes)
{
    if (root == -1)
        return {};
    const auto has = [mask] (int bit) { return (mask & (1 << bit)) != 0; };
    std::string name = noteName (root), suffix;
    bool special = false;

    if (has (3)) // minor third
    {
        if (has (6))
        {
            name += "dim";
            special = true;
        }
        else if (has (8))
        {
            suffix += "5#";
            special = true;
        }
        else
            name += "m";
    }
    else if (has (4)) // major third
    {
        if (has (8))
        {
            name += "aug";
            special = true;
        }
        else if (has (6))
        {
            suffix += "5b";
            special = true;
        }
    }
    else if (has (2))
        suffix += "sus2";
    else if (has (5))
        suffix += "sus4";
    else
        suffix += "no 3rd.";

    // Directly after what is there: "sus2no 5th." is the chord's known spelling.
    if (! has (7) && ! special)
        suffix += "no 5th.";

    static const struct
    {
        int bit;
        const char* text;
    } extensions[] = {{9, "6"},   {10, "7"},  {11, "7M"},  {13, "9b"},  {14, "9"}, {15, "9#"},
                      {16, "10"}, {17, "11"}, {18, "11#"}, {19, "13b"}, {20, "13"}};
    for (const auto& e : extensions)
        if (has (e.bit))
            name += e.text;

    if (! bassNotes.empty())
    {
        std::vector<int> ascending = bassNotes;
        std::sort (ascending.begin(), ascending.end());
        name += "\\";
        for (size_t i = 0; i < ascending.size(); ++i)
            name += (i > 0 ? "," : "") + std::string (noteName (ascending[i]));
    }
    return suffix.empty() ? name : name + " " + suffix;
}

} // namespace tovalin
