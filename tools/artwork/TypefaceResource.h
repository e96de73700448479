#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace tovalin::artwork
{
/** The editor's typeface resource: four records (plain, bold, italic, bold-italic), each a
    32-bit little-endian byte count followed by a juce::CustomTypeface stream (zlib). */
enum class FontStyle
{
    plain = 0,
    bold,
    italic,
    boldItalic
};

constexpr int typefaceFirstCharacter = 32;
constexpr int typefaceGlyphCount = 192;

/** The font files the resource is made from, in record order (DejaVu Sans Condensed). */
extern const char* const typefaceSourceFiles[4];

/** Loads one TTF; null (with a message in error) when the file is missing or unreadable. */
juce::Typeface::Ptr loadFontFile (const juce::File& file, juce::String& error);

/** Copies the resource's glyph range from a font, with every kerning pair the font has
    between two characters of the range (JUCE's own copy keeps only half of them). */
std::unique_ptr<juce::CustomTypeface> copyGlyphSet (juce::Typeface& source);

/** Builds the whole resource from the four fonts in fontFolder; an empty block and a
    message when a font is missing. */
juce::MemoryBlock buildTypefaceResource (const juce::File& fontFolder, juce::String& error);

/** Splits a resource into its four records; false when the container is malformed. */
bool splitTypefaceResource (const void* data, size_t size, std::vector<juce::MemoryBlock>& records);

/** A typeface read from one record, named "Tovalin Sans" in the given style. The records
    themselves carry no name or style, and JUCE caches rendered glyphs by a font's name,
    style and height: fonts made straight from two unnamed records would share glyphs. */
juce::Typeface::Ptr typefaceFromRecord (const juce::MemoryBlock& record, FontStyle style);

} // namespace tovalin::artwork
