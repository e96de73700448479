#include "Painting.h"

#include <cmath>

namespace tovalin::artwork
{
juce::Image blankImage (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
}

void paintWood (juce::Graphics& g, const juce::Path& area, const WoodStyle& style, juce::int64 seed)
{
    juce::Graphics::ScopedSaveState save (g);
    g.reduceClipRegion (area);
    const auto box = area.getBounds().expanded (2.0f);
    juce::Random random (seed);

    // Across the grain the colour swings slowly between light and dark bands.
    const float across = style.vertical ? box.getWidth() : box.getHeight();
    const float along = style.vertical ? box.getHeight() : box.getWidth();
    juce::ColourGradient base (style.light, box.getX(), box.getY(), style.dark,
                               style.vertical ? box.getRight() : box.getX(),
                               style.vertical ? box.getY() : box.getBottom(), false);
    for (int i = 1; i < 6; ++i)
        base.addColour (i / 6.0, style.light.interpolatedWith (style.dark, random.nextFloat() * 0.7f));
    g.setGradientFill (base);
    g.fillRect (box);

    // Grain lines: each a gentle wave with a phase and amplitude of its own.
    const int lines = (int) (across / style.grainSpacing) + 2;
    for (int l = 0; l < lines; ++l)
    {
        const float offset = (l + random.nextFloat() * 0.8f) * style.grainSpacing;
        const float amplitude = style.waviness * (0.4f + random.nextFloat());
        const float wavelength = along * (0.35f + random.nextFloat() * 0.9f);
        const float phase = random.nextFloat() * juce::MathConstants<float>::twoPi;
        juce::Path line;
        for (float t = 0; t <= along; t += 2.0f)
        {
            const float d = offset + amplitude * std::sin (phase + t / wavelength * juce::MathConstants<float>::twoPi) +
                            0.35f * amplitude * std::sin (phase * 1.7f + t / (wavelength * 0.31f));
            const juce::Point<float> p = style.vertical ? juce::Point<float> (box.getX() + d, box.getY() + t)
                                                        : juce::Point<float> (box.getX() + t, box.getY() + d);
            if (t == 0)
                line.startNewSubPath (p);
            else
                line.lineTo (p);
        }
        const float alpha = style.grainAlpha * (0.35f + random.nextFloat());
        g.setColour (style.grain.withAlpha (juce::jlimit (0.0f, 1.0f, alpha)));
        g.strokePath (line, juce::PathStrokeType (0.4f + random.nextFloat() * 0.9f));
    }

    // Flame figure: soft bands of light across the grain.
    if (style.figure > 0)
    {
        for (float t = random.nextFloat() * 4.0f; t < along; t += 2.5f + random.nextFloat() * 3.5f)
        {
            const float width = 1.0f + random.nextFloat() * 1.6f;
            const auto band = style.vertical
                                  ? juce::Rectangle<float> (box.getX(), box.getY() + t, box.getWidth(), width)
                                  : juce::Rectangle<float> (box.getX() + t, box.getY(), width, box.getHeight());
            g.setColour (juce::Colours::white.withAlpha (style.figure * (0.3f + 0.7f * random.nextFloat())));
            g.fillRect (band);
        }
    }
}

void addNoise (juce::Image& image, juce::Rectangle<int> area, float amount, juce::int64 seed)
{
    area = area.getIntersection (image.getBounds());
    juce::Random random (seed);
    juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readWrite);
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = pixels.getPixelColour (x, y);
            const float n = (random.nextFloat() - 0.5f) * 2.0f * amount;
            if (c.getAlpha() == 0)
                continue;
            const auto adjusted = n > 0 ? c.brighter (n) : c.darker (-n);
            pixels.setPixelColour (x, y, adjusted.withAlpha (c.getAlpha()));
        }
}

void drawEngraved (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, const juce::Font& font,
                   juce::Justification justification, juce::Colour ink, float lipAlpha)
{
    g.setFont (font);
    g.setColour (juce::Colour (0xfffff6dc).withAlpha (lipAlpha));
    g.drawText (text, area.translated (0.0f, 1.0f), justification, false);
    g.setColour (ink);
    g.drawText (text, area, justification, false);
}

void drawInset (juce::Graphics& g, juce::Rectangle<float> area, float corner, float depth)
{
    juce::Path outline;
    outline.addRoundedRectangle (area, corner);
    juce::Graphics::ScopedSaveState save (g);
    g.reduceClipRegion (outline);
    for (int i = 0; i < (int) depth; ++i)
    {
        const float a = 0.22f * (1.0f - (float) i / depth);
        g.setColour (juce::Colours::black.withAlpha (a));
        g.drawRoundedRectangle (area.reduced ((float) i).translated (0.6f, 0.8f).withTrimmedRight (0.6f), corner, 1.0f);
    }
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.drawLine (area.getX() + corner, area.getBottom() - 0.5f, area.getRight() - corner, area.getBottom() - 0.5f, 1.0f);
}

void drawRim (juce::Graphics& g, juce::Rectangle<float> area, float corner, float width, juce::Colour light,
              juce::Colour dark)
{
    juce::Path rim;
    rim.addRoundedRectangle (area, corner);
    juce::ColourGradient gradient (light, area.getX(), area.getY(), dark, area.getRight(), area.getBottom(), false);
    gradient.addColour (0.5, light.interpolatedWith (dark, 0.35f));
    g.setGradientFill (gradient);
    g.strokePath (rim, juce::PathStrokeType (width));
    g.setColour (juce::Colours::black.withAlpha (0.25f));
    g.drawRoundedRectangle (area.expanded (width * 0.5f + 0.5f), corner + width * 0.5f, 0.8f);
}

void drawScrew (juce::Graphics& g, juce::Point<float> centre, float radius, float slotAngle)
{
    const auto head = juce::Rectangle<float> (radius * 2, radius * 2).withCentre (centre);
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.fillEllipse (head.translated (0.4f, 0.7f).expanded (0.5f));
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xfffff1b8), head.getX(), head.getY(),
                                             juce::Colour (0xff8a6414), head.getRight(), head.getBottom(), false));
    g.fillEllipse (head);
    const auto dir = juce::Point<float> (std::cos (slotAngle), std::sin (slotAngle)) * (radius * 0.8f);
    g.setColour (juce::Colour (0xff4a3208).withAlpha (0.9f));
    g.drawLine ({centre - dir, centre + dir}, radius * 0.38f);
}

void fillVertical (juce::Graphics& g, const juce::Path& path, juce::Colour top, juce::Colour bottom)
{
    const auto box = path.getBounds();
    g.setGradientFill (juce::ColourGradient (top, 0, box.getY(), bottom, 0, box.getBottom(), false));
    g.fillPath (path);
}

} // namespace tovalin::artwork
