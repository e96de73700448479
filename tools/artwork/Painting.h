#pragma once

#include <juce_graphics/juce_graphics.h>

namespace tovalin::artwork
{
/** Small drawing helpers shared by the pictures. Everything is seeded: the same call
    paints the same pixels. */
juce::Image blankImage (int width, int height);

/** Wood: a base gradient, wavy grain lines along the given direction and fine pores. */
struct WoodStyle
{
    juce::Colour light, dark, grain;
    float grainSpacing = 3.0f; // mean distance between grain lines, pixels
    float waviness = 1.5f;
    float grainAlpha = 0.18f;
    bool vertical = false; // grain running top to bottom
    float figure = 0.0f;   // flame figure across the grain (maple), 0 for none
};
void paintWood (juce::Graphics& g, const juce::Path& area, const WoodStyle& style, juce::int64 seed);

/** Adds per-pixel noise (brightness jitter) inside a rectangle. */
void addNoise (juce::Image& image, juce::Rectangle<int> area, float amount, juce::int64 seed);

/** Text cut into the surface: a light lip below, the dark letters above it. */
void drawEngraved (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, const juce::Font& font,
                   juce::Justification justification, juce::Colour ink, float lipAlpha = 0.55f);

/** A recessed rectangle: shadows on the upper and left inner edges, light on the lower right. */
void drawInset (juce::Graphics& g, juce::Rectangle<float> area, float corner, float depth);

/** A raised rim (brass or wood) around a rectangle. */
void drawRim (juce::Graphics& g, juce::Rectangle<float> area, float corner, float width, juce::Colour light,
              juce::Colour dark);

/** A slotted brass screw head. */
void drawScrew (juce::Graphics& g, juce::Point<float> centre, float radius, float slotAngle);

/** Fills a path with a vertical gradient between two colours. */
void fillVertical (juce::Graphics& g, const juce::Path& path, juce::Colour top, juce::Colour bottom);

} // namespace tovalin::artwork
