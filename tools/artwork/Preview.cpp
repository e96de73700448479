// A mock-up of the editor drawn from the artwork, for looking at the pictures in place:
// the controls are drawn roughly as the house look draws them, at the editor's bounds.

#include "ArtworkCheck.h"
#include "Painting.h"

#include "editor/images/GuitarPictures.h"

#include <algorithm>
#include <cmath>

namespace tovalin::artwork
{
namespace
{
    const juce::Colour gold (0xffebb923), darkGreen (30, 88, 48), paleCyan (181, 253, 239);

    const juce::Image& find (const GeneratedArtwork& made, const juce::String& name)
    {
        for (auto& picture : made.images)
            if (picture.fileName == name)
                return picture.image;
        static juce::Image none;
        return none;
    }

    void centredAt (juce::Graphics& g, const juce::Image& image, int cx, int cy)
    {
        g.drawImageAt (image, cx - image.getWidth() / 2, cy - image.getHeight() / 2);
    }

    juce::Path needle (float hub, float length)
    {
        juce::Path p;
        p.addTriangle (-hub, 0, 0, -length, hub, 0);
        p.addEllipse (-hub, -hub, 2 * hub, 2 * hub);
        return p;
    }

    void knob (juce::Graphics& g, juce::Rectangle<int> b, float value)
    {
        const float r = (float) (juce::jmin (b.getWidth() / 2, b.getHeight() / 2) - 2);
        const auto c = b.toFloat().getCentre();
        const float start = juce::MathConstants<float>::pi * 1.2f, end = juce::MathConstants<float>::pi * 2.8f;
        const float angle = start + value * (end - start);
        juce::Path ring;
        ring.addPieSegment (c.x - r, c.y - r, 2 * r, 2 * r, start, end, 0.3f);
        g.setColour (gold.withAlpha (0.5f));
        g.fillPath (ring);
        juce::Path arc;
        arc.addPieSegment (c.x - 0.8f * r, c.y - 0.8f * r, 1.6f * r, 1.6f * r, start, angle, 0.3f);
        g.setColour (gold);
        g.fillPath (arc);
        g.setColour (juce::Colours::black);
        g.fillPath (needle (0.2f * r, 0.66f * r), juce::AffineTransform::rotation (angle).translated (c));
    }

    void linear (juce::Graphics& g, juce::Rectangle<int> b, float value, bool vertical, bool track = true)
    {
        const int thumbRadius = juce::jmin (7, b.getHeight() / 2, b.getWidth() / 2) + 2;
        const float r = thumbRadius - 2.0f, hub = 0.2f * 2.7f * r;
        if (vertical)
        {
            const float top = b.getY() + (float) thumbRadius, height = b.getHeight() - 2.0f * thumbRadius;
            const float x = b.getX() + b.getWidth() * 0.5f, pos = top + (1 - value) * height;
            if (track)
            {
                g.setColour (darkGreen);
                g.fillRect (x - r / 2, top - r / 2, 0.4f * r, height + r);
            }
            g.setColour (gold);
            g.fillPath (
                needle (hub, 0.66f * 2.7f * r),
                juce::AffineTransform::rotation (1.5f * juce::MathConstants<float>::pi).translated (x + hub, pos));
        }
        else
        {
            const float left = b.getX() + (float) thumbRadius, width = b.getWidth() - 2.0f * thumbRadius;
            const float y = b.getY() + b.getHeight() * 0.5f, pos = left + value * width;
            g.setColour (darkGreen);
            g.fillRect (left - r / 2, y - r / 2, width + r, 0.4f * r);
            g.setColour (gold);
            g.fillPath (needle (hub, 0.66f * 2.7f * r),
                        juce::AffineTransform::rotation (juce::MathConstants<float>::pi).translated (pos, y - hub));
        }
    }

    void light (juce::Graphics& g, int x, int y, juce::uint32 colour)
    {
        g.setColour (juce::Colour (colour));
        g.fillEllipse ((float) x + 8, (float) y + 8, 8, 8);
    }
} // namespace

juce::Image editorPreview (const GeneratedArtwork& made, const Fonts& fonts)
{
    auto image = blankImage (721, 292);
    juce::Graphics g (image);
    g.drawImageAt (find (made, "background.png"), 0, 0);

    // The carousel with the first guitar in front.
    struct Entry
    {
        float angle;
        int index;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < 9; ++i)
        entries.push_back ({std::fmod (juce::MathConstants<float>::pi + i * juce::MathConstants<float>::twoPi / 9,
                                       juce::MathConstants<float>::twoPi),
                            i});
    std::sort (entries.begin(), entries.end(),
               [] (const Entry& a, const Entry& b) { return -std::cos (a.angle) < -std::cos (b.angle); });
    for (auto& e : entries)
    {
        float alpha = -std::cos (e.angle);
        if (alpha <= 0)
            continue;
        if (std::abs (e.angle - juce::MathConstants<float>::pi) < juce::MathConstants<float>::pi / 4)
            alpha = 1;
        const auto& picture = find (made, GuitarPictureFiles[e.index].fileName);
        const int x = 71 - (int) std::round (std::sin (e.angle) * 45),
                  y = 171 - (int) std::round (std::cos (e.angle) * 10);
        g.setOpacity (alpha);
        g.drawImageAt (picture, x - picture.getWidth() / 2, y - picture.getHeight() / 2);
    }
    g.setOpacity (1.0f);
    g.setColour (juce::Colours::black);
    g.setFont (fonts.font (FontStyle::plain, 15.0f));
    g.drawFittedText ("Corvan's Classical\nGuitar", 28, 23, 86, 45, juce::Justification::centred, 2);
    g.drawImageAt (find (made, "previous.png"), 10, 37);
    g.drawImageAt (find (made, "next.png"), 115, 37);
    g.drawImageAt (find (made, "presets-list.png"), 115, 57);

    // A C major chord on the fretboard: string 0 silent.
    const int frets[6] = {-1, 3, 2, 0, 1, 0};
    for (int s = 0; s < 6; ++s)
        if (frets[s] >= 0)
        {
            const juce::Rectangle<float> dot ((float) neck::viewX + neck::dotX[frets[s]],
                                              (float) neck::viewY + neck::dotY[s], 10, 10);
            g.setGradientFill (juce::ColourGradient (juce::Colour (0xff505050), dot.getX() + 3, dot.getY() + 2,
                                                     juce::Colours::black, dot.getCentreX(), dot.getBottom(), false));
            g.fillEllipse (dot);
        }

    g.setFont (fonts.font (FontStyle::plain, 14.0f));
    g.drawText ("Warm nylon (*)", 236, 14, 98, 28, juce::Justification::centredLeft, true);
    g.setFont (fonts.font (FontStyle::plain, 15.0f));
    g.drawText ("C", 442, 14, 106, 24, juce::Justification::centredRight, true);
    centredAt (g, find (made, "presets-list.png"), 356, 37);
    centredAt (g, find (made, "save.png"), 376, 20);
    centredAt (g, find (made, "delete.png"), 376, 38);
    centredAt (g, find (made, "about-button.png"), 640, 60);
    g.drawImageAt (find (made, "settings.png"), 144, 94);
    g.drawImageAt (find (made, "midi-mappings.png"), 144, 115);
    g.drawImageAt (find (made, "steel-off.png"), 243, 230);
    g.drawImageAt (find (made, "nylon-on.png"), 243, 251);

    knob (g, {245, 149, 59, 41}, 0.6f);
    knob (g, {287, 224, 59, 41}, 0.35f);
    linear (g, {342, 223, 54, 16}, 0.3f, false);
    linear (g, {342, 251, 54, 16}, 0.5f, false);
    linear (g, {313, 174, 81, 26}, 0.4f, false);
    linear (g, {160, 186, 60, 12}, 0.5f, false);
    linear (g, {160, 216, 60, 12}, 0.7f, false);
    linear (g, {160, 246, 60, 12}, 0.2f, false);
    linear (g, {606, 110, 75, 32}, 0.8f, true);
    linear (g, {430, 175, 32, 80}, 0.25f, true, false);
    linear (g, {472, 174, 40, 73}, 0.3f, true);
    linear (g, {511, 174, 40, 73}, 0.6f, true);
    light (g, 448, 32, 0xff4cf824);
    light (g, 144, 146, 0xffff0000);
    light (g, 144, 166, 0xff4cf824);
    light (g, 144, 196, 0xff90acfc);
    light (g, 144, 226, 0xffff0000);
    light (g, 144, 256, 0xffff0000);
    light (g, 181, 256, 0xff4cf824);

    g.setColour (darkGreen);
    g.fillRect (318, 150, 72, 16);
    g.setColour (paleCyan);
    g.setFont (fonts.font (FontStyle::plain, 13.0f));
    g.drawText ("Medium 1", 321, 150, 55, 16, juce::Justification::centredLeft, true);

    const juce::uint32 segment[6] = {0xffb2d235, 0xfffff200, 0xffffc60b, 0xfff9a01b, 0xfff15a22, 0xffed1c24};
    for (int i = 0; i < 22; ++i)
    {
        g.setColour (juce::Colour (segment[i / 6]));
        g.fillRect (609 + i * 2, 104, 2, 8);
    }
    // A velocity curve.
    juce::Path curve;
    curve.startNewSubPath (570, 276);
    curve.quadraticTo (600, 200, 698, 168);
    g.setColour (darkGreen);
    g.strokePath (curve, juce::PathStrokeType (1.5f));
    return image;
}

} // namespace tovalin::artwork
