#pragma once

#include "TypefaceResource.h"

#include <functional>
#include <vector>

namespace tovalin::artwork
{
/** The four styles of the embedded typeface; every text in the artwork uses them. */
struct Fonts
{
    juce::Typeface::Ptr plain, bold, italic, boldItalic;

    juce::Font font (FontStyle style, float height) const;
};

/** Reads the four styles from a typeface resource; false when it is malformed. */
bool fontsFromResource (const juce::MemoryBlock& resource, Fonts& fonts);

/** One picture the editor embeds, under its file name in editor/images. */
struct ArtworkImage
{
    juce::String fileName;
    juce::Image image;
};

/** The fretboard view's geometry on the background: the view's place and, at its
    reference height, the left edge of each fret position's 10-pixel dot and the top of
    each string's dots (string 0 lowest). */
namespace neck
{
    constexpr int viewX = 234, viewY = 54, viewWidth = 329, viewHeight = 83;
    constexpr int dotSize = 10;
    constexpr int fretPositions = 19;
    constexpr int dotX[fretPositions] = {0,   9,   26,  43,  60,  78,  95,  112, 131, 148,
                                         165, 182, 196, 209, 222, 235, 246, 256, 264};
    constexpr int dotY[6] = {69, 56, 43, 30, 16, 4};

    /** The background's x of fret wire k (k = 0 is the nut): halfway between the dots
        of fret positions k and k + 1; the last wire closes position 18. */
    float wireX (int k);
    /** The background's y of string s, through the middle of its dots. */
    float stringY (int s);
} // namespace neck

juce::Image paintBackground (const Fonts& fonts);
/** The picture of guitar i of GuitarPictureFiles (editor/images/GuitarPictures.h). */
juce::Image paintGuitar (int index);
/** Every picture, background first. */
std::vector<ArtworkImage> paintAllArtwork (const Fonts& fonts);

/** PNG bytes of an image, as the generator writes them. */
juce::MemoryBlock encodePng (const juce::Image& image);

} // namespace tovalin::artwork
