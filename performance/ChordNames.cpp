#include "ChordNames.h"

#include <algorithm>
#include <cstring>

namespace tovalin
{
namespace
{
    /** Appends to a fixed buffer, dropping what does not fit. */
    struct Text
    {
        char* out;
        size_t capacity;
        size_t length = 0;

        void add (const char* s) noexcept
        {
            while (*s != 0 && length + 1 < capacity)
                out[length++] = *s++;
            out[length] = 0;
        }
    };
} // namespace

const char* noteName (int note) noexcept
{
    static const char* const names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return names[((note % 12) + 12) % 12];
}

void nameChord (int root, int mask, const int* bassNotes, int bassCount, char* out, size_t capacity) noexcept
{
    if (capacity == 0)
        return;
    out[0] = 0;
    if (root == -1)
        return;
    const auto has = [mask] (int bit) { return (mask & (1 << bit)) != 0; };
    Text name{out, capacity};
    char suffixBuffer[32];
    Text suffix{suffixBuffer, sizeof (suffixBuffer)};
    suffixBuffer[0] = 0;
    bool special = false;

    name.add (noteName (root));
    if (has (3)) // minor third
    {
        if (has (6))
        {
            name.add ("dim");
            special = true;
        }
        else if (has (8))
        {
            suffix.add ("5#");
            special = true;
        }
        else
            name.add ("m");
    }
    else if (has (4)) // major third
    {
        if (has (8))
        {
            name.add ("aug");
            special = true;
        }
        else if (has (6))
        {
            suffix.add ("5b");
            special = true;
        }
    }
    else if (has (2))
        suffix.add ("sus2");
    else if (has (5))
        suffix.add ("sus4");
    else
        suffix.add ("no 3rd.");

    // Directly after what is there: "sus2no 5th." is the chord's known spelling.
    if (! has (7) && ! special)
        suffix.add ("no 5th.");

    static const struct
    {
        int bit;
        const char* text;
    } extensions[] = {{9, "6"},   {10, "7"},  {11, "7M"},  {13, "9b"},  {14, "9"}, {15, "9#"},
                      {16, "10"}, {17, "11"}, {18, "11#"}, {19, "13b"}, {20, "13"}};
    for (const auto& e : extensions)
        if (has (e.bit))
            name.add (e.text);

    if (bassCount > 0)
    {
        int ascending[128];
        const int count = std::min (bassCount, 128);
        std::copy (bassNotes, bassNotes + count, ascending);
        std::sort (ascending, ascending + count);
        name.add ("\\");
        for (int i = 0; i < count; ++i)
        {
            if (i > 0)
                name.add (",");
            name.add (noteName (ascending[i]));
        }
    }
    if (suffix.length > 0)
    {
        name.add (" ");
        name.add (suffixBuffer);
    }
}

std::string nameChord (int root, int mask, const std::vector<int>& bassNotes)
{
    char text[ChordNameCapacity];
    nameChord (root, mask, bassNotes.data(), (int) bassNotes.size(), text, sizeof (text));
    return text;
}

} // namespace tovalin
