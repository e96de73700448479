#pragma once

namespace tovalin
{
/** The 22 host parameters by id. The processor's parameter table owns them; the
    performance layer names them in its actions (vibrato, bend, the toggles). */
struct ParameterIds
{
    static constexpr int Count = 22;

    enum Id
    {
        GuitarType = 0,
        RoomType = 1,
        StringType = 2,
        AttackPlace = 3,
        Volume = 4,
        Impedance = 5,
        Color = 6,
        Inharmonicity = 7,
        Mix = 8,
        ExcitationType = 9,
        StrummingSpeed = 10,
        VibratoFrequency = 11,
        PitchBend = 12,
        ToggleHarmonics = 13,
        TogglePalm = 14,
        ToggleLegato = 15,
        ToggleSustain = 16,
        ToggleChords = 17,
        VibratoMaxFrequency = 18,
        PalmMuteAmount = 19,
        HarmonicsAmount = 20,
        Twang = 21
    };
};

} // namespace tovalin
