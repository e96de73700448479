#include "performance/ChordNames.h"

#include <gtest/gtest.h>

using namespace tovalin;

// Every chord shape the library knows, named over the low E.
TEST (ChordNames, EveryShapeIsNamedAsTheGuitaristReadsIt)
{
    const struct
    {
        int mask;
        const char* name;
    } shapes[] = {
        {0x91, "E"},
        {0x89, "Em"},
        {0x289, "Em6"},
        {0x291, "E6"},
        {0x281, "E6 no 3rd."},
        {0x209, "Em6 no 5th."},
        {0x211, "E6 no 5th."},
        {0x489, "Em7"},
        {0x491, "E7"},
        {0x511, "Eaug7"},
        {0x481, "E7 no 3rd."},
        {0x409, "Em7 no 5th."},
        {0x411, "E7 no 5th."},
        {0x891, "E7M"},
        {0x889, "Em7M"},
        {0x881, "E7M no 3rd."},
        {0x811, "E7M no 5th."},
        {0x809, "Em7M no 5th."},
        {0x4089, "Em9"},
        {0x4091, "E9"},
        {0x4291, "E69"},
        {0x4081, "E9 no 3rd."},
        {0x4009, "Em9 no 5th."},
        {0x4011, "E9 no 5th."},
        {0x4489, "Em79"},
        {0x4491, "E79"},
        {0x4481, "E79 no 3rd."},
        {0x4411, "E79 no 5th."},
        {0x4891, "E7M9"},
        {0x4881, "E7M9 no 3rd."},
        {0x4811, "E7M9 no 5th."},
        {0x85, "E sus2"},
        {0xA1, "E sus4"},
        {0x485, "E7 sus2"},
        {0x4A1, "E7 sus4"},
        {0x405, "E7 sus2no 5th."},
        {0x421, "E7 sus4no 5th."},
        {0x49, "Edim"},
        {0x111, "Eaug"},
        {0x449, "Edim7"},
        {0x451, "E7 5b"},
    };
    for (const auto& s : shapes)
        EXPECT_EQ (nameChord (52, s.mask, {}), s.name) << std::hex << s.mask;
}

TEST (ChordNames, RootsBassNotesAndRarerIntervals)
{
    EXPECT_EQ (nameChord (-1, 0x91, {}), "");
    EXPECT_EQ (nameChord (60, 0x91, {55}), "C\\G");
    EXPECT_EQ (nameChord (60, 0x91, {55, 52}), "C\\E,G") << "bass notes in ascending order";
    EXPECT_EQ (nameChord (73, 0x89, {}), "C#m");
    EXPECT_EQ (nameChord (58, 0x91, {}), "A#");
    EXPECT_EQ (nameChord (52, 0x109, {}), "E 5#") << "a minor third with an augmented fifth";
    EXPECT_EQ (nameChord (52, 0xE091, {}), "E9b99#");
    EXPECT_EQ (nameChord (52, 0x1F0091, {}), "E101111#13b13") << "the upper extensions in order";
    EXPECT_EQ (nameChord (52, 0x201093, {}), "E") << "intervals 1, 12 and 21 add nothing";
    EXPECT_EQ (nameChord (52, 0x1, {}), "E no 3rd.no 5th.");
}
