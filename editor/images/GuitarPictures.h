#pragma once

namespace tovalin
{
/** Which picture in editor/images shows which guitar (the guitar's "Guitar type" choice
    text). The pictures are 79 to 89 pixels wide and 200 high, on a transparent ground. */
struct GuitarPictureFile
{
    const char* guitarName;
    const char* fileName;
};

constexpr GuitarPictureFile GuitarPictureFiles[9] = {{"Corvan's Classical", "guitar-corvans-classical.png"},
                                                     {"Talvina's Flamenco", "guitar-talvinas-flamenco.png"},
                                                     {"Brosk's Classical", "guitar-brosks-classical.png"},
                                                     {"Kelvo's Folk", "guitar-kelvos-folk.png"},
                                                     {"Tamsk's Folk", "guitar-tamsks-folk.png"},
                                                     {"Ivrena's Folk", "guitar-ivrenas-folk.png"},
                                                     {"Pemra's folk", "guitar-pemras-folk.png"},
                                                     {"Zorbel's Jumbo", "guitar-zorbels-jumbo.png"},
                                                     {"Vastro's Gypsy", "guitar-vastros-gypsy.png"}};

} // namespace tovalin
