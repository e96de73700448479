// The embedded pictures and typeface, checked by reading their pixels and glyphs.

#include "Artwork.h"
#include "ArtworkCheck.h"
#include "TypefaceResource.h"

#include "editor/images/GuitarPictures.h"
#include "engine/SoundNames.h"

#include <TovalinImages.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

using namespace tovalin;
using namespace tovalin::artwork;

namespace
{
const juce::File fontFolder ("/usr/share/fonts/truetype/dejavu");

/** The fretboard view's dots at its reference height, as the view places them: left edges
    of the 10-pixel dots per fret position, tops per string, the view at 234, 54. */
constexpr int viewX = 234, viewY = 54;
constexpr int dotLeft[19] = {0, 9, 26, 43, 60, 78, 95, 112, 131, 148, 165, 182, 196, 209, 222, 235, 246, 256, 264};
constexpr int dotTop[6] = {69, 56, 43, 30, 16, 4};
float dotCentreX (int fret) { return viewX + dotLeft[fret] + 5.0f; }
float dotCentreY (int string) { return viewY + dotTop[string] + 5.0f; }

juce::Image embedded (const char* fileName)
{
    for (int i = 0; i < TovalinImages::namedResourceListSize; ++i)
        if (juce::String (TovalinImages::originalFilenames[i]) == fileName)
        {
            int size = 0;
            const char* data = TovalinImages::getNamedResource (TovalinImages::namedResourceList[i], size);
            return juce::ImageFileFormat::loadFrom (data, (size_t) size);
        }
    return {};
}

juce::MemoryBlock embeddedTypeface()
{
    return juce::MemoryBlock (TovalinImages::typeface_bin, TovalinImages::typeface_binSize);
}

struct GuiEnvironment : ::testing::Environment
{
    void SetUp() override { gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { gui.reset(); }
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};
const auto* const environment = ::testing::AddGlobalTestEnvironment (new GuiEnvironment);

float saturation (juce::Colour c) { return c.getSaturation(); }

juce::Image textImage (const juce::Font& font, const juce::String& text)
{
    juce::Image image (juce::Image::ARGB, 360, 40, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    g.setColour (juce::Colours::black);
    g.setFont (font);
    g.drawSingleLineText (text, 4, 28);
    return image;
}

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    int count = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                ++count;
    return count;
}
} // namespace

// ---------------------------------------------------------------------------------------
// Typeface

TEST (EmbeddedTypeface, EachOfTheFourRecordsHoldsTheGlyphsFromSpaceOn)
{
    std::vector<juce::MemoryBlock> records;
    const auto resource = embeddedTypeface();
    ASSERT_TRUE (splitTypefaceResource (resource.getData(), resource.getSize(), records));
    ASSERT_EQ (records.size(), 4u);
    for (auto& record : records)
    {
        // A zlib stream (not gzip, not raw), read field by field as the typeface reads it.
        ASSERT_GE (record.getSize(), 2u);
        EXPECT_EQ ((unsigned char) record[0], 0x78);
        juce::MemoryInputStream raw (record, false);
        juce::GZIPDecompressorInputStream in (raw);
        EXPECT_EQ (in.readString(), juce::String());
        EXPECT_FALSE (in.readBool());
        EXPECT_FALSE (in.readBool());
        const float ascent = in.readFloat();
        EXPECT_GT (ascent, 0.6f);
        EXPECT_LT (ascent, 1.0f);
        EXPECT_EQ (in.readShort(), 0); // default character
        const int count = in.readInt();
        ASSERT_EQ (count, 192);
        std::set<int> codes;
        int drawn = 0;
        for (int i = 0; i < count; ++i)
        {
            codes.insert ((int) (juce::juce_wchar) (juce::uint16) in.readShort());
            in.readFloat();
            juce::Path outline;
            outline.loadPathFromStream (in);
            drawn += outline.isEmpty() ? 0 : 1;
        }
        EXPECT_EQ (*codes.begin(), 32);
        EXPECT_EQ (*codes.rbegin(), 223);
        EXPECT_EQ (codes.size(), 192u);
        EXPECT_GT (drawn, 90);         // letters, digits and signs have outlines
        EXPECT_GT (in.readInt(), 100); // kerning pairs
    }
}

TEST (EmbeddedTypeface, TextFromTheResourceIsPixelIdenticalToTextFromTheFont)
{
    std::vector<juce::MemoryBlock> records;
    const auto resource = embeddedTypeface();
    ASSERT_TRUE (splitTypefaceResource (resource.getData(), resource.getSize(), records));
    const juce::String sample = juce::String::fromUTF8 ("AVA Tovalin: WAVE, To yT \"LT\" 12/8 \xc3\x85r");
    for (int style = 0; style < 4; ++style)
    {
        SCOPED_TRACE (typefaceSourceFiles[style]);
        juce::String error;
        auto font = loadFontFile (fontFolder.getChildFile (typefaceSourceFiles[style]), error);
        ASSERT_NE (font, nullptr) << error;
        auto fromResource = typefaceFromRecord (records[(size_t) style], (FontStyle) style);
        for (float height : {11.0f, 15.0f, 23.0f})
        {
            const auto a = textImage (juce::Font (font).withHeight (height), sample);
            const auto b = textImage (juce::Font (fromResource).withHeight (height), sample);
            EXPECT_EQ (differingPixels (a, b), 0) << "height " << height;
        }
    }
}

TEST (EmbeddedTypeface, KerningPairsSurviveInBothOrders)
{
    juce::String error;
    auto font = loadFontFile (fontFolder.getChildFile (typefaceSourceFiles[0]), error);
    ASSERT_NE (font, nullptr) << error;
    std::vector<juce::MemoryBlock> records;
    const auto resource = embeddedTypeface();
    ASSERT_TRUE (splitTypefaceResource (resource.getData(), resource.getSize(), records));
    auto fromResource = typefaceFromRecord (records[0], FontStyle::plain);
    for (const char* pair : {"AV", "VA", "To", "LT", "Ty"})
    {
        SCOPED_TRACE (pair);
        const juce::String text (pair);
        const float apart = font->getStringWidth (text.substring (0, 1)) + font->getStringWidth (text.substring (1));
        EXPECT_LT (font->getStringWidth (text), apart - 0.01f); // the font kerns it
        EXPECT_FLOAT_EQ (fromResource->getStringWidth (text), font->getStringWidth (text));
    }
    // JUCE's own copy loses the pairs whose second character has the higher code.
    juce::CustomTypeface plainCopy;
    plainCopy.addGlyphsFromOtherTypeface (*font, 32, 192);
    EXPECT_NE (plainCopy.getStringWidth ("AV"), font->getStringWidth ("AV"));
}

TEST (EmbeddedTypeface, AMalformedResourceIsRejected)
{
    const auto resource = embeddedTypeface();
    std::vector<juce::MemoryBlock> records;
    EXPECT_FALSE (splitTypefaceResource (resource.getData(), resource.getSize() - 1, records));
    EXPECT_FALSE (splitTypefaceResource (resource.getData(), 3, records));
    juce::MemoryBlock longer (resource);
    longer.append ("x", 1);
    EXPECT_FALSE (splitTypefaceResource (longer.getData(), longer.getSize(), records));
    juce::MemoryBlock badCount (resource);
    badCount[3] = (char) 0x7f; // first record claims more bytes than there are
    EXPECT_FALSE (splitTypefaceResource (badCount.getData(), badCount.getSize(), records));
    juce::String error;
    EXPECT_EQ (buildTypefaceResource (juce::File ("/nonexistent-font-folder"), error).getSize(), 0u);
    EXPECT_TRUE (error.contains ("DejaVuSansCondensed.ttf"));
}

// ---------------------------------------------------------------------------------------
// Sizes

TEST (ArtworkFiles, EveryPictureHasTheSizeItsControlNeeds)
{
    struct Size
    {
        const char* file;
        int width, height;
    };
    const Size sizes[] = {{"background.png", 721, 292},
                          {"presets-list.png", 16, 15},
                          {"save.png", 17, 19},
                          {"delete.png", 16, 19},
                          {"about-button.png", 88, 83},
                          {"about-picture.png", 88, 83},
                          {"settings.png", 86, 24},
                          {"midi-mappings.png", 88, 25},
                          {"steel-off.png", 43, 18},
                          {"steel-on.png", 43, 18},
                          {"nylon-off.png", 43, 18},
                          {"nylon-on.png", 43, 18},
                          {"tab-performances.png", 50, 49},
                          {"tab-effects.png", 49, 57},
                          {"tab-audio.png", 55, 49},
                          {"folder.png", 21, 18},
                          {"document.png", 14, 16},
                          {"previous.png", 17, 17},
                          {"next.png", 17, 16}};
    for (auto& s : sizes)
    {
        const auto image = embedded (s.file);
        ASSERT_TRUE (image.isValid()) << s.file;
        EXPECT_EQ (image.getWidth(), s.width) << s.file;
        EXPECT_EQ (image.getHeight(), s.height) << s.file;
    }
}

TEST (ArtworkFiles, ShapedButtonsAreClickableOnlyOnTheirFace)
{
    // The about, settings and mappings buttons count clicks where alpha exceeds 0.1.
    for (const char* file : {"about-button.png", "settings.png", "midi-mappings.png"})
    {
        SCOPED_TRACE (file);
        const auto image = embedded (file);
        const int w = image.getWidth(), h = image.getHeight();
        EXPECT_GT (image.getPixelAt (w / 2, h / 2).getFloatAlpha(), 0.99f);
        EXPECT_GT (image.getPixelAt (w / 2 + w / 3, h / 2).getFloatAlpha(), 0.99f);
        for (auto corner : {juce::Point<int> (0, 0), {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
            EXPECT_LT (image.getPixelAt (corner.x, corner.y).getFloatAlpha(), 0.1f);
    }
    // The round about key: transparent just outside its circle, on every side.
    const auto about = embedded ("about-button.png");
    EXPECT_LT (about.getPixelAt (44, 0).getFloatAlpha(), 0.1f);
    EXPECT_LT (about.getPixelAt (3, 41).getFloatAlpha(), 0.1f);
    EXPECT_LT (about.getPixelAt (10, 10).getFloatAlpha(), 0.1f);
}

TEST (ArtworkFiles, StringKeysLookLitWhenOn)
{
    for (const char* name : {"steel", "nylon"})
    {
        SCOPED_TRACE (name);
        const auto off = embedded ((juce::String (name) + "-off.png").toRawUTF8());
        const auto on = embedded ((juce::String (name) + "-on.png").toRawUTF8());
        double brightnessOff = 0, brightnessOn = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 43; ++x)
            {
                brightnessOff += off.getPixelAt (x, y).getPerceivedBrightness();
                brightnessOn += on.getPixelAt (x, y).getPerceivedBrightness();
            }
        EXPECT_GT (brightnessOn, brightnessOff * 1.5);
    }
    EXPECT_GT (differingPixels (embedded ("steel-on.png"), embedded ("nylon-on.png")), 40);
}

// ---------------------------------------------------------------------------------------
// The neck under the fretboard view

namespace
{
/** Columns along a row of the background where a fret wire (grey metal, unlike the
    yellow maple) lies, each run of columns reported by its middle. */
std::vector<float> wiresAlongRow (const juce::Image& background, int y, int fromX, int toX)
{
    std::vector<float> wires;
    int runStart = -1;
    for (int x = fromX; x <= toX; ++x)
    {
        const bool metal = x < toX && saturation (background.getPixelAt (x, y)) < 0.12f;
        if (metal && runStart < 0)
            runStart = x;
        if (! metal && runStart >= 0)
        {
            wires.push_back ((runStart + x - 1) * 0.5f);
            runStart = -1;
        }
    }
    return wires;
}
} // namespace

TEST (BackgroundArtwork, EveryDotOfTheFretboardSitsBetweenTwoFretWires)
{
    const auto background = embedded ("background.png");
    ASSERT_EQ (background.getWidth(), 721);
    // Rows between the strings, away from them and from the inlays.
    for (int gap : {0, 4})
    {
        const int y = (int) std::round ((dotCentreY (gap) + dotCentreY (gap + 1)) * 0.5f);
        SCOPED_TRACE (y);
        const auto wires = wiresAlongRow (background, y, (int) dotCentreX (0) + 2, (int) dotCentreX (18) + 12);
        // The nut and 18 frets: one wire between every two neighbouring dots, one after the last.
        ASSERT_EQ (wires.size(), 19u);
        for (int fret = 1; fret < 19; ++fret)
        {
            EXPECT_GT (dotCentreX (fret), wires[(size_t) fret - 1] + 1.5f) << "fret " << fret;
            EXPECT_LT (dotCentreX (fret), wires[(size_t) fret] - 1.5f) << "fret " << fret;
        }
        EXPECT_LT (dotCentreX (0), wires[0] - 1.5f); // the open string's dot lies beyond the nut
    }
}

TEST (BackgroundArtwork, StringsRunThroughTheDotsOfTheirRow)
{
    const auto background = embedded ("background.png");
    // Across the middle of a fret, each string shows as a line unlike the board around it.
    for (int fret : {2, 6, 10})
    {
        const int x = (int) std::round (dotCentreX (fret));
        for (int s = 0; s < 6; ++s)
        {
            const int y = (int) std::round (dotCentreY (s));
            const float onString = background.getPixelAt (x, y).getPerceivedBrightness();
            const float board = 0.5f * (background.getPixelAt (x, y - 4).getPerceivedBrightness() +
                                        background.getPixelAt (x, y + 4).getPerceivedBrightness());
            EXPECT_GT (std::abs (onString - board), 0.08f) << "fret " << fret << " string " << s;
        }
        // Halfway between two strings there is board, like the board around it.
        const int between = (int) std::round ((dotCentreY (0) + dotCentreY (1)) * 0.5f);
        EXPECT_LT (std::abs (background.getPixelAt (x, between).getPerceivedBrightness() -
                             background.getPixelAt (x, between + 1).getPerceivedBrightness()),
                   0.08f);
    }
}

TEST (BackgroundArtwork, InlaysMarkTheUsualFrets)
{
    const auto background = embedded ("background.png");
    auto pearl = [&] (int fret, float y)
    {
        const auto c = background.getPixelAt ((int) std::round (dotCentreX (fret)), (int) std::round (y));
        return c.getBlue() > 215 && c.getSaturation() < 0.12f;
    };
    const float middle = (dotCentreY (2) + dotCentreY (3)) * 0.5f;
    for (int fret : {3, 5, 7, 9, 15, 17})
        EXPECT_TRUE (pearl (fret, middle)) << "fret " << fret;
    for (int fret : {1, 2, 4, 6, 8, 10, 11, 13, 14, 16})
        EXPECT_FALSE (pearl (fret, middle)) << "fret " << fret;
    EXPECT_TRUE (pearl (12, (dotCentreY (1) + dotCentreY (2)) * 0.5f));
    EXPECT_TRUE (pearl (12, (dotCentreY (3) + dotCentreY (4)) * 0.5f));
}

TEST (BackgroundArtwork, IsOpaqueEverywhere)
{
    const auto background = embedded ("background.png");
    for (int y = 0; y < background.getHeight(); y += 3)
        for (int x = 0; x < background.getWidth(); x += 3)
            ASSERT_EQ (background.getPixelAt (x, y).getAlpha(), 255) << x << ", " << y;
}

// ---------------------------------------------------------------------------------------
// Guitars

TEST (GuitarPictures, EveryGuitarHasItsPicture)
{
    std::set<std::string> names, pictured;
    for (const char* name : GuitarNames)
        names.insert (name);
    for (auto& entry : GuitarPictureFiles)
    {
        pictured.insert (entry.guitarName);
        EXPECT_TRUE (embedded (entry.fileName).isValid()) << entry.fileName;
    }
    EXPECT_EQ (names, pictured);
}

TEST (GuitarPictures, OpaqueBodyOnATransparentGround)
{
    for (auto& entry : GuitarPictureFiles)
    {
        SCOPED_TRACE (entry.guitarName);
        const auto image = embedded (entry.fileName);
        const int w = image.getWidth();
        EXPECT_GE (w, 79);
        EXPECT_LE (w, 89);
        EXPECT_EQ (image.getHeight(), 200);
        for (auto corner : {juce::Point<int> (0, 0), {w - 1, 0}, {0, 199}, {w - 1, 199}, {2, 100}, {w - 3, 60}})
            EXPECT_EQ (image.getPixelAt (corner.x, corner.y).getAlpha(), 0) << corner.toString();
        // The lower bout, right and left of the strings, and the neck.
        for (auto inside : {juce::Point<int> (w / 2 - 18, 175), {w / 2 + 18, 175}, {w / 2, 185}, {w / 2, 60}})
            EXPECT_EQ (image.getPixelAt (inside.x, inside.y).getAlpha(), 255) << inside.toString();
        // The body is most of the lower picture's width.
        int opaque = 0;
        for (int x = 0; x < w; ++x)
            opaque += image.getPixelAt (x, 170).getAlpha() == 255 ? 1 : 0;
        EXPECT_GT (opaque, w * 3 / 4);
    }
}

TEST (GuitarPictures, EachLooksDifferentFromEveryOther)
{
    // Mean difference per channel over the picture, the pictures centred on each other.
    std::vector<juce::Image> images;
    for (auto& entry : GuitarPictureFiles)
        images.push_back (embedded (entry.fileName));
    double smallest = 1e9;
    for (size_t i = 0; i < images.size(); ++i)
        for (size_t j = i + 1; j < images.size(); ++j)
        {
            const auto& a = images[i];
            const auto& b = images[j];
            const int w = juce::jmax (a.getWidth(), b.getWidth());
            double sum = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < w; ++x)
                {
                    auto pixel = [&] (const juce::Image& im)
                    {
                        const int px = x - (w - im.getWidth()) / 2;
                        return px >= 0 && px < im.getWidth() ? im.getPixelAt (px, y) : juce::Colours::transparentBlack;
                    };
                    const auto ca = pixel (a), cb = pixel (b);
                    sum += std::abs (ca.getRed() * ca.getFloatAlpha() - cb.getRed() * cb.getFloatAlpha()) +
                           std::abs (ca.getGreen() * ca.getFloatAlpha() - cb.getGreen() * cb.getFloatAlpha()) +
                           std::abs (ca.getBlue() * ca.getFloatAlpha() - cb.getBlue() * cb.getFloatAlpha()) +
                           std::abs (ca.getAlpha() - cb.getAlpha());
                }
            const double mean = sum / (4.0 * w * 200);
            smallest = std::min (smallest, mean);
            EXPECT_GT (mean, 8.0) << GuitarPictureFiles[i].guitarName << " and " << GuitarPictureFiles[j].guitarName;
        }
    RecordProperty ("smallestMeanDifference", juce::String (smallest, 2).toStdString());
}

// ---------------------------------------------------------------------------------------
// Reproduction

TEST (ArtworkFiles, TheGeneratorPaintsTheSamePicturesTwice)
{
    juce::String error;
    GeneratedArtwork first, second;
    ASSERT_TRUE (generateArtwork (fontFolder, first, error)) << error;
    ASSERT_TRUE (generateArtwork (fontFolder, second, error)) << error;
    ASSERT_EQ (first.files.size(), second.files.size());
    for (size_t i = 0; i < first.files.size(); ++i)
        EXPECT_TRUE (first.files[i].second == second.files[i].second) << first.files[i].first;
}

TEST (ArtworkFiles, AChangedPictureIsReported)
{
    juce::String error;
    GeneratedArtwork made;
    ASSERT_TRUE (generateArtwork (fontFolder, made, error)) << error;
    const auto folder = juce::File::createTempFile ("artwork");
    ASSERT_TRUE (writeToFolder (made, folder, error)) << error;
    EXPECT_TRUE (compareWithFolder (made, folder).isEmpty());

    // One pixel a little off is another compiler's rounding; a repainted patch is a change.
    auto background = made.images[0].image.createCopy();
    background.setPixelAt (100, 100, background.getPixelAt (100, 100).brighter (0.005f));
    EXPECT_TRUE (picturesMatch (made.images[0].image, background));
    {
        juce::Graphics g (background);
        g.setColour (juce::Colours::red);
        g.fillRect (300, 200, 20, 20);
    }
    EXPECT_FALSE (picturesMatch (made.images[0].image, background));
    folder.getChildFile ("background.png")
        .replaceWithData (encodePng (background).getData(), encodePng (background).getSize());
    folder.getChildFile ("save.png").deleteFile();
    const auto differences = compareWithFolder (made, folder);
    EXPECT_EQ (differences.size(), 2);
    EXPECT_TRUE (differences.joinIntoString ("\n").contains ("background.png"));
    EXPECT_TRUE (differences.joinIntoString ("\n").contains ("save.png is missing"));
    folder.deleteRecursively();
}

namespace
{
/** A typeface resource whose records are unpacked, changed by edit and packed again at
    another compression level. */
juce::MemoryBlock repacked (const juce::MemoryBlock& resource, const std::function<void (juce::MemoryBlock&)>& edit)
{
    std::vector<juce::MemoryBlock> records;
    splitTypefaceResource (resource.getData(), resource.getSize(), records);
    juce::MemoryOutputStream out;
    for (auto& record : records)
    {
        juce::MemoryInputStream raw (record, false);
        juce::GZIPDecompressorInputStream in (raw);
        juce::MemoryOutputStream plain;
        plain.writeFromInputStream (in, -1);
        auto content = plain.getMemoryBlock();
        edit (content);
        juce::MemoryOutputStream packed;
        {
            juce::GZIPCompressorOutputStream zip (packed, 1);
            zip.write (content.getData(), content.getSize());
        }
        out.writeInt ((int) packed.getDataSize());
        out.write (packed.getData(), packed.getDataSize());
    }
    return out.getMemoryBlock();
}
} // namespace

TEST (ArtworkFiles, TheTypefaceCountsByItsGlyphsNotByHowZlibPackedThem)
{
    juce::String error;
    GeneratedArtwork made;
    ASSERT_TRUE (generateArtwork (fontFolder, made, error)) << error;
    const auto folder = juce::File::createTempFile ("typeface");
    ASSERT_TRUE (writeToFolder (made, folder, error)) << error;
    const auto resource = made.files[0].second;
    ASSERT_EQ (made.files[0].first, typefaceFileName);

    const auto samePacked = repacked (resource, [] (juce::MemoryBlock&) {});
    ASSERT_FALSE (samePacked == resource);
    folder.getChildFile (typefaceFileName).replaceWithData (samePacked.getData(), samePacked.getSize());
    EXPECT_TRUE (compareWithFolder (made, folder).isEmpty());

    // One byte of one glyph's outline changed.
    const auto edited =
        repacked (resource, [] (juce::MemoryBlock& content) { content[content.getSize() / 2] ^= 0x10; });
    folder.getChildFile (typefaceFileName).replaceWithData (edited.getData(), edited.getSize());
    const auto differences = compareWithFolder (made, folder);
    ASSERT_EQ (differences.size(), 1);
    EXPECT_TRUE (differences[0].contains (typefaceFileName));
    folder.deleteRecursively();
}

TEST (BackgroundArtwork, TextLabelsSitOnALightGround)
{
    // The preset name, the chord name and the guitar's caption are black text: the
    // background under them must be light (bounds as the editor lays them out).
    const auto background = embedded ("background.png");
    const juce::Rectangle<int> labels[] = {{234, 14, 100, 28}, {442, 14, 110, 24}, {28, 23, 86, 45}};
    for (auto bounds : labels)
    {
        SCOPED_TRACE (bounds.toString());
        const auto inner = bounds.reduced (4);
        float darkest = 1.0f;
        for (int y = inner.getY(); y < inner.getBottom(); ++y)
            for (int x = inner.getX(); x < inner.getRight(); ++x)
                darkest = std::min (darkest, background.getPixelAt (x, y).getPerceivedBrightness());
        EXPECT_GT (darkest, 0.7f);
    }
}
