#pragma once

namespace tovalin
{
/** The nine guitars and six rooms, in catalogue order: the choices of "Guitar type"
    and "Room type". */
constexpr const char* GuitarNames[9] = {"Corvan's Classical", "Talvina's Flamenco", "Brosk's Classical",
                                        "Kelvo's Folk",       "Tamsk's Folk",       "Ivrena's Folk",
                                        "Pemra's folk",       "Zorbel's Jumbo",     "Vastro's Gypsy"};
constexpr const char* RoomNames[6] = {"Small 1", "Small 2", "Medium 1", "Medium 2", "Large 1", "Large 2"};

} // namespace tovalin
