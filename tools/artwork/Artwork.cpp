#include "Artwork.h"

namespace tovalin::artwork
{
juce::Font Fonts::font (FontStyle style, float height) const
{
    const juce::Typeface::Ptr chosen[4] = {plain, bold, italic, boldItalic};
    return juce::Font (chosen[(int) style]).withHeight (height);
}

bool fontsFromResource (const juce::MemoryBlock& resource, Fonts& fonts)
{
    std::vector<juce::MemoryBlock> records;
    if (! splitTypefaceResource (resource.getData(), resource.getSize(), records))
        return false;
    fonts.plain = typefaceFromRecord (records[0], FontStyle::plain);
    fonts.bold = typefaceFromRecord (records[1], FontStyle::bold);
    fonts.italic = typefaceFromRecord (records[2], FontStyle::italic);
    fonts.boldItalic = typefaceFromRecord (records[3], FontStyle::boldItalic);
    return true;
}

namespace neck
{
    float wireX (int k)
    {
        if (k >= fretPositions - 1)
            return viewX + dotX[fretPositions - 1] + dotSize * 0.5f +
                   (dotX[fretPositions - 1] - dotX[fretPositions - 2]) * 0.5f;
        return viewX + (dotX[k] + dotX[k + 1]) * 0.5f + dotSize * 0.5f;
    }

    float stringY (int s) { return viewY + dotY[s] + dotSize * 0.5f; }
} // namespace neck

juce::MemoryBlock encodePng (const juce::Image& image)
{
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}

} // namespace tovalin::artwork
