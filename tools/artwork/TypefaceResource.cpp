#include "TypefaceResource.h"

namespace tovalin::artwork
{
const char* const typefaceSourceFiles[4] = {"DejaVuSansCondensed.ttf", "DejaVuSansCondensed-Bold.ttf",
                                            "DejaVuSansCondensed-Oblique.ttf", "DejaVuSansCondensed-BoldOblique.ttf"};

juce::Typeface::Ptr loadFontFile (const juce::File& file, juce::String& error)
{
    juce::MemoryBlock data;
    if (! file.loadFileAsData (data) || data.getSize() == 0)
    {
        error = "cannot read the font " + file.getFullPathName() + " (Debian package fonts-dejavu-extra)";
        return nullptr;
    }
    auto typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
    if (typeface == nullptr)
        error = "not a usable font: " + file.getFullPathName();
    return typeface;
}

namespace
{
    float advanceOf (juce::Typeface& font, const juce::String& text, int index)
    {
        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        font.getGlyphPositions (text, glyphs, offsets);
        return offsets.size() > index ? offsets[index] : 0.0f;
    }
} // namespace

std::unique_ptr<juce::CustomTypeface> copyGlyphSet (juce::Typeface& source)
{
    auto set = std::make_unique<juce::CustomTypeface>();
    set->addGlyphsFromOtherTypeface (source, typefaceFirstCharacter, typefaceGlyphCount);

    // JUCE's copy only asks for pairs whose second character comes earlier in the range:
    // add the pairs whose second character comes later, so "AV" keeps its kerning.
    const int last = typefaceFirstCharacter + typefaceGlyphCount;
    for (int first = typefaceFirstCharacter; first < last; ++first)
    {
        const auto firstText = juce::String::charToString ((juce::juce_wchar) first);
        const float width = advanceOf (source, firstText, 1);
        for (int second = first + 1; second < last; ++second)
        {
            const float amount =
                advanceOf (source, firstText + juce::String::charToString ((juce::juce_wchar) second), 1) - width;
            if (amount != 0.0f)
                set->addKerningPair ((juce::juce_wchar) first, (juce::juce_wchar) second, amount);
        }
    }
    // An anonymous family: the look chooses the record by style, not by name or flags.
    set->setCharacteristics ({}, source.getAscent(), false, false, 0);
    return set;
}

juce::MemoryBlock buildTypefaceResource (const juce::File& fontFolder, juce::String& error)
{
    juce::MemoryOutputStream out;
    for (const char* name : typefaceSourceFiles)
    {
        auto source = loadFontFile (fontFolder.getChildFile (name), error);
        if (source == nullptr)
            return {};
        juce::MemoryOutputStream record;
        copyGlyphSet (*source)->writeToStream (record);
        record.flush();
        out.writeInt ((int) record.getDataSize()); // little-endian, as the container wants
        out.write (record.getData(), record.getDataSize());
    }
    return out.getMemoryBlock();
}

bool splitTypefaceResource (const void* data, size_t size, std::vector<juce::MemoryBlock>& records)
{
    records.clear();
    juce::MemoryInputStream in (data, size, false);
    for (int i = 0; i < 4; ++i)
    {
        if (in.getNumBytesRemaining() < 4)
            return false;
        const int count = in.readInt();
        if (count <= 0 || count > in.getNumBytesRemaining())
            return false;
        juce::MemoryBlock record;
        in.readIntoMemoryBlock (record, count);
        records.push_back (std::move (record));
    }
    return in.isExhausted();
}

juce::Typeface::Ptr typefaceFromRecord (const juce::MemoryBlock& record, FontStyle style)
{
    juce::MemoryInputStream in (record, false);
    auto* typeface = new juce::CustomTypeface (in);
    const bool bold = style == FontStyle::bold || style == FontStyle::boldItalic;
    const bool italic = style == FontStyle::italic || style == FontStyle::boldItalic;
    typeface->setCharacteristics ("Tovalin Sans", typeface->getAscent(), bold, italic, 0);
    return typeface;
}

} // namespace tovalin::artwork
