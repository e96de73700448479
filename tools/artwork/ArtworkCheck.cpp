#include "ArtworkCheck.h"
#include "Icons.h"
#include "Painting.h"

#include "editor/images/GuitarPictures.h"

#include <cstdlib>

namespace tovalin::artwork
{
std::vector<ArtworkImage> paintAllArtwork (const Fonts& fonts)
{
    std::vector<ArtworkImage> all;
    all.push_back ({"background.png", paintBackground (fonts)});
    for (auto& icon : paintIcons (fonts))
        all.push_back (icon);
    all.push_back ({"about-picture.png", paintAboutPicture()});
    for (int i = 0; i < 9; ++i)
        all.push_back ({GuitarPictureFiles[i].fileName, paintGuitar (i)});
    return all;
}

bool generateArtwork (const juce::File& fontFolder, GeneratedArtwork& made, juce::String& error)
{
    auto typeface = buildTypefaceResource (fontFolder, error);
    Fonts fonts;
    if (typeface.getSize() == 0 || ! fontsFromResource (typeface, fonts))
    {
        if (error.isEmpty())
            error = "the typeface resource could not be read back";
        return false;
    }
    made.files.clear();
    made.files.push_back ({typefaceFileName, typeface});
    made.fonts = fonts;
    made.images = paintAllArtwork (fonts);
    for (auto& picture : made.images)
        made.files.push_back ({picture.fileName, encodePng (picture.image)});
    return true;
}

bool picturesMatch (const juce::Image& a, const juce::Image& b)
{
    if (! a.isValid() || ! b.isValid() || a.getBounds() != b.getBounds())
        return false;
    const juce::Image::BitmapData pa (a, juce::Image::BitmapData::readOnly), pb (b, juce::Image::BitmapData::readOnly);
    int far = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto ca = pa.getPixelColour (x, y), cb = pb.getPixelColour (x, y);
            const int d = juce::jmax (std::abs (ca.getRed() - cb.getRed()), std::abs (ca.getGreen() - cb.getGreen()),
                                      std::abs (ca.getBlue() - cb.getBlue()), std::abs (ca.getAlpha() - cb.getAlpha()));
            if (d > 2)
                ++far;
        }
    return far * 1000 <= a.getWidth() * a.getHeight();
}

namespace
{
    juce::MemoryBlock inflate (const juce::MemoryBlock& record)
    {
        juce::MemoryInputStream raw (record, false);
        juce::GZIPDecompressorInputStream in (raw);
        juce::MemoryOutputStream out;
        out.writeFromInputStream (in, -1);
        return out.getMemoryBlock();
    }

    /** Two typeface resources hold the same glyph sets, however zlib packed them. */
    bool sameGlyphSets (const juce::MemoryBlock& a, const juce::MemoryBlock& b)
    {
        std::vector<juce::MemoryBlock> ra, rb;
        if (! splitTypefaceResource (a.getData(), a.getSize(), ra) ||
            ! splitTypefaceResource (b.getData(), b.getSize(), rb))
            return false;
        for (size_t i = 0; i < ra.size(); ++i)
            if (inflate (ra[i]) != inflate (rb[i]))
                return false;
        return true;
    }
} // namespace

juce::StringArray compareWithFolder (const GeneratedArtwork& made, const juce::File& folder)
{
    juce::StringArray differences;
    for (auto& [name, bytes] : made.files)
    {
        const auto file = folder.getChildFile (name);
        juce::MemoryBlock stored;
        if (! file.loadFileAsData (stored))
        {
            differences.add (file.getFullPathName() + " is missing");
            continue;
        }
        if (stored == bytes)
            continue;
        if (name.endsWith (".png"))
        {
            const auto ours = juce::ImageFileFormat::loadFrom (bytes.getData(), bytes.getSize());
            const auto theirs = juce::ImageFileFormat::loadFrom (stored.getData(), stored.getSize());
            if (picturesMatch (ours, theirs))
                continue;
        }
        if (name == typefaceFileName && sameGlyphSets (bytes, stored))
            continue;
        differences.add (file.getFullPathName() + " differs from what the generator makes");
    }
    return differences;
}

bool writeToFolder (const GeneratedArtwork& made, const juce::File& folder, juce::String& error)
{
    if (! folder.createDirectory())
    {
        error = "cannot create " + folder.getFullPathName();
        return false;
    }
    for (auto& [name, bytes] : made.files)
        if (! folder.getChildFile (name).replaceWithData (bytes.getData(), bytes.getSize()))
        {
            error = "cannot write " + folder.getChildFile (name).getFullPathName();
            return false;
        }
    return true;
}

juce::Image contactSheet (const GeneratedArtwork& made, const Fonts& fonts)
{
    // The background across the top at double size, the rest in rows below it.
    const int margin = 12, width = 721 * 2 + 2 * margin;
    int x = margin, y = 292 * 2 + 2 * margin, rowHeight = 0;
    std::vector<juce::Rectangle<int>> places;
    for (size_t i = 1; i < made.images.size(); ++i)
    {
        const auto& image = made.images[i].image;
        const int scale = image.getHeight() >= 100 ? 2 : 3;
        const int w = juce::jmax (image.getWidth() * scale, 90), h = image.getHeight() * scale + 14;
        if (x + w > width - margin)
        {
            x = margin;
            y += rowHeight + margin;
            rowHeight = 0;
        }
        places.push_back ({x, y, w, h});
        x += w + margin;
        rowHeight = juce::jmax (rowHeight, h);
    }
    auto sheet = blankImage (width, y + rowHeight + margin);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff3a3a3a));
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
    g.drawImage (editorPreview (made, fonts), margin, margin, 721 * 2, 292 * 2, 0, 0, 721, 292);
    g.setFont (11.0f);
    for (size_t i = 1; i < made.images.size(); ++i)
    {
        const auto& image = made.images[i].image;
        const auto place = places[i - 1];
        const int scale = image.getHeight() >= 100 ? 2 : 3;
        const juce::Rectangle<int> picture (place.getX(), place.getY(), image.getWidth() * scale,
                                            image.getHeight() * scale);
        for (int cy = 0; cy < picture.getHeight(); cy += 8)
            for (int cx = 0; cx < picture.getWidth(); cx += 8)
            {
                g.setColour (((cx + cy) / 8) % 2 ? juce::Colour (0xffd0d0d0) : juce::Colour (0xffb0b0b0));
                g.fillRect (
                    juce::Rectangle<int> (picture.getX() + cx, picture.getY() + cy, 8, 8).getIntersection (picture));
            }
        g.drawImage (image, picture.getX(), picture.getY(), picture.getWidth(), picture.getHeight(), 0, 0,
                     image.getWidth(), image.getHeight());
        g.setColour (juce::Colours::white);
        g.drawText (made.images[i].fileName.upToLastOccurrenceOf (".", false, false), place.getX(),
                    place.getBottom() - 13, place.getWidth() + 40, 13, juce::Justification::centredLeft, true);
    }
    return sheet;
}

juce::Image zoomSheet (const GeneratedArtwork& made, const juce::String& prefix)
{
    int width = 8, height = 16;
    for (auto& picture : made.images)
        if (picture.fileName.startsWith (prefix))
        {
            width += picture.image.getWidth() * 3 + 8;
            height = juce::jmax (height, picture.image.getHeight() * 3 + 16);
        }
    auto sheet = blankImage (width, height);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff808080));
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
    int x = 8;
    for (auto& picture : made.images)
        if (picture.fileName.startsWith (prefix))
        {
            const auto& image = picture.image;
            g.drawImage (image, x, 8, image.getWidth() * 3, image.getHeight() * 3, 0, 0, image.getWidth(),
                         image.getHeight());
            x += image.getWidth() * 3 + 8;
        }
    return sheet;
}

} // namespace tovalin::artwork
