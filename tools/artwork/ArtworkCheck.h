#pragma once

#include "Artwork.h"

namespace tovalin::artwork
{
/** Everything the generator makes: the files under their names and the pictures. */
struct GeneratedArtwork
{
    std::vector<std::pair<juce::String, juce::MemoryBlock>> files; // typeface first, then the PNGs
    std::vector<ArtworkImage> images;
    Fonts fonts; // read back from the typeface resource
};

constexpr const char* typefaceFileName = "typeface.bin";

/** Builds the typeface from the fonts in fontFolder, then paints every picture with it. */
bool generateArtwork (const juce::File& fontFolder, GeneratedArtwork& made, juce::String& error);

/** What differs between the generator's output and a folder: a line per file. PNGs count
    as equal when their bytes are, or when their decoded pixels differ by at most 2 in any
    channel on all but one pixel in a thousand (another compiler may round differently); the
    typeface counts as equal when its records unpack to the same glyph sets. */
juce::StringArray compareWithFolder (const GeneratedArtwork& made, const juce::File& folder);

bool writeToFolder (const GeneratedArtwork& made, const juce::File& folder, juce::String& error);

/** Every picture on one sheet, labelled, over a checker board that shows transparency. */
juce::Image contactSheet (const GeneratedArtwork& made, const Fonts& fonts);

/** The pictures whose file names start with prefix, side by side, three times larger. */
juce::Image zoomSheet (const GeneratedArtwork& made, const juce::String& prefix);

/** The editor as it will look: the pictures in place under roughly drawn controls. */
juce::Image editorPreview (const GeneratedArtwork& made, const Fonts& fonts);

/** True when two images have the same size and their pixels agree as compareWithFolder asks. */
bool picturesMatch (const juce::Image& a, const juce::Image& b);

} // namespace tovalin::artwork
