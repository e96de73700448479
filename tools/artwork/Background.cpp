// The editor's background: a honey-coloured veneer with inset panels that group the
// controls, engraved labels, and the guitar neck under the fretboard view.

#include "Artwork.h"
#include "Painting.h"

#include <cmath>

namespace tovalin::artwork
{
namespace
{
    const juce::Colour tan (0xffe9c384), lightTan (0xfffee5ba), gold (0xffebb923), darkGreen (30, 88, 48);
    const juce::Colour ink (0xff4a2608), brassLight (0xfff8e08a), brassDark (0xff8f6b12);

    juce::Font labelFont (const Fonts& fonts)
    {
        return fonts.font (FontStyle::bold, 8.5f).withExtraKerningFactor (0.05f);
    }

    void label (juce::Graphics& g, const Fonts& fonts, const juce::String& text, float centreX, float top)
    {
        const float width = labelFont (fonts).getStringWidthFloat (text) + 4.0f;
        drawEngraved (g, text, {centreX - width / 2, top, width, 10.0f}, labelFont (fonts),
                      juce::Justification::centred, ink);
    }

    void leftLabel (juce::Graphics& g, const Fonts& fonts, const juce::String& text, float x, float top)
    {
        drawEngraved (g, text, {x, top, 90.0f, 10.0f}, labelFont (fonts), juce::Justification::centredLeft, ink);
    }

    /** A panel of light tan set into the veneer, with a dark green pinstripe and a brass rim. */
    void panel (juce::Graphics& g, juce::Image& image, juce::Rectangle<float> area, juce::int64 seed,
                bool screws = true)
    {
        juce::Path outline;
        outline.addRoundedRectangle (area, 5.0f);
        juce::DropShadow (juce::Colours::black.withAlpha (0.45f), 5, {1, 2}).drawForPath (g, outline);
        fillVertical (g, outline, lightTan, juce::Colour (0xfff2d39c));
        addNoise (image, area.getSmallestIntegerContainer(), 0.025f, seed);
        drawInset (g, area, 5.0f, 4.0f);
        g.setColour (darkGreen.withAlpha (0.55f));
        g.drawRoundedRectangle (area.reduced (3.5f), 3.0f, 0.8f);
        drawRim (g, area, 5.0f, 1.6f, brassLight, brassDark);
        if (screws)
        {
            juce::Random random (seed);
            for (auto corner : {area.getTopLeft(), area.getTopRight(), area.getBottomLeft(), area.getBottomRight()})
            {
                const auto inward = (area.getCentre() - corner);
                const auto at = corner + juce::Point<float> (inward.x > 0 ? 6.5f : -6.5f, inward.y > 0 ? 6.5f : -6.5f);
                drawScrew (g, at, 2.3f, random.nextFloat() * 3.1f);
            }
        }
    }

    /** An ivory window behind a label drawn by the editor. */
    void ivoryWindow (juce::Graphics& g, juce::Rectangle<float> area)
    {
        juce::Path outline;
        outline.addRoundedRectangle (area, 3.0f);
        fillVertical (g, outline, juce::Colour (0xfffffaea), juce::Colour (0xfff6e7c4));
        drawInset (g, area, 3.0f, 3.0f);
        g.setColour (brassDark.withAlpha (0.8f));
        g.drawRoundedRectangle (area, 3.0f, 1.0f);
    }

    /** The lit dot of a light sits in the lower right quarter of its 16-pixel box. */
    void lightSocket (juce::Graphics& g, float boxX, float boxY)
    {
        const juce::Point<float> centre (boxX + 12.0f, boxY + 12.0f);
        const auto ring = juce::Rectangle<float> (13.0f, 13.0f).withCentre (centre);
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.fillEllipse (ring.translated (0.5f, 1.0f));
        g.setGradientFill (juce::ColourGradient (brassLight, ring.getX(), ring.getY(), brassDark, ring.getRight(),
                                                 ring.getBottom(), false));
        g.fillEllipse (ring);
        const auto hole = juce::Rectangle<float> (9.5f, 9.5f).withCentre (centre);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff140a04), hole.getX(), hole.getY(),
                                                 juce::Colour (0xff5a3a1a), hole.getRight(), hole.getBottom(), false));
        g.fillEllipse (hole);
    }

    void veneer (juce::Graphics& g, juce::Image& image)
    {
        g.fillAll (juce::Colour (0xffe3b66a)); // opaque to the last pixel, whatever the clip's edges
        juce::Path all;
        all.addRectangle (image.getBounds().toFloat());
        WoodStyle wood;
        wood.light = juce::Colour (0xffeac27a);
        wood.dark = juce::Colour (0xffd6a650);
        wood.grain = juce::Colour (0xff8a5416);
        wood.grainSpacing = 2.6f;
        wood.waviness = 2.2f;
        wood.grainAlpha = 0.16f;
        paintWood (g, all, wood, 7);
        addNoise (image, image.getBounds(), 0.035f, 8);
        // A soft vignette, lighter in the middle like lacquer catching the light.
        juce::ColourGradient glow (juce::Colours::white.withAlpha (0.16f), 400, 120,
                                   juce::Colours::black.withAlpha (0.14f), 0, 300, true);
        g.setGradientFill (glow);
        g.fillAll();
    }

    /** Purfling round the whole face: a dark line, a gold one and a row of alternating tiles. */
    void purfling (juce::Graphics& g, juce::Rectangle<float> area)
    {
        g.setColour (juce::Colour (0xff2a1608));
        g.drawRect (area, 1.0f);
        g.setColour (gold.withAlpha (0.85f));
        g.drawRect (area.reduced (1.0f), 0.8f);
        g.setColour (juce::Colour (0xff2a1608).withAlpha (0.7f));
        g.drawRect (area.reduced (1.8f), 0.4f);
    }

    void wordmark (juce::Graphics& g, const Fonts& fonts)
    {
        const juce::Rectangle<float> area (146, 8, 84, 80);
        juce::Path plate;
        plate.addRoundedRectangle (area.reduced (2, 6), 6.0f);
        juce::DropShadow (juce::Colours::black.withAlpha (0.4f), 4, {1, 2}).drawForPath (g, plate);
        fillVertical (g, plate, juce::Colour (0xff6b2a08), juce::Colour (0xff3a1204));
        drawRim (g, area.reduced (2, 6), 6.0f, 1.4f, brassLight, brassDark);
        auto font = fonts.font (FontStyle::boldItalic, 19.0f);
        auto titleArea = juce::Rectangle<float> (area.getX(), 24, area.getWidth(), 24);
        g.setFont (font);
        g.setColour (juce::Colours::black.withAlpha (0.5f));
        g.drawText ("Tovalin", titleArea.translated (0.8f, 1.2f), juce::Justification::centred, false);
        // Gold lettering: a vertical gradient through the glyphs.
        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (font, "Tovalin", titleArea.getX(), titleArea.getY(), titleArea.getWidth(),
                              titleArea.getHeight(), juce::Justification::centred, 1);
        juce::Path letters;
        glyphs.createPath (letters);
        juce::ColourGradient metal (juce::Colour (0xfffff3c0), 0, titleArea.getY() + 4, juce::Colour (0xffb8860b), 0,
                                    titleArea.getBottom() - 4, false);
        metal.addColour (0.55, gold);
        g.setGradientFill (metal);
        g.fillPath (letters);
        g.setFont (fonts.font (FontStyle::plain, 8.5f).withExtraKerningFactor (0.12f));
        g.setColour (juce::Colour (0xfffde7b0));
        g.drawText ("ACOUSTIC GUITAR", area.getX(), 49, area.getWidth(), 10, juce::Justification::centred, false);
        g.setColour (gold.withAlpha (0.7f));
        g.drawLine (area.getX() + 14, 62.5f, area.getRight() - 14, 62.5f, 0.7f);
        g.setFont (fonts.font (FontStyle::italic, 8.0f));
        g.setColour (juce::Colour (0xffe9c384));
        g.drawText ("physically modelled", area.getX(), 64, area.getWidth(), 10, juce::Justification::centred, false);
    }

    void showcase (juce::Graphics& g, juce::Image& image)
    {
        const juce::Rectangle<float> area (3, 3, 138, 286);
        juce::Path outline;
        outline.addRoundedRectangle (area, 6.0f);
        juce::DropShadow (juce::Colours::black.withAlpha (0.5f), 6, {1, 2}).drawForPath (g, outline);
        fillVertical (g, outline, juce::Colour (0xfffff0d2), juce::Colour (0xffe3bf86));
        {
            juce::Graphics::ScopedSaveState save (g);
            g.reduceClipRegion (outline);
            // Soft folds of a drape behind the guitars.
            juce::ColourGradient folds (juce::Colours::black.withAlpha (0.0f), area.getX(), 0,
                                        juce::Colours::black.withAlpha (0.0f), area.getRight(), 0, false);
            for (int i = 0; i <= 24; ++i)
            {
                const double t = i / 24.0;
                const float shade = 0.5f + 0.5f * std::sin ((float) t * 9.0f * juce::MathConstants<float>::pi + 0.7f);
                folds.addColour (t, juce::Colour (0xff8a4a10).withAlpha (0.05f + 0.09f * shade));
            }
            g.setGradientFill (folds);
            g.fillRect (area);
            // A spotlight from above onto the guitar in front.
            juce::ColourGradient spot (juce::Colours::white.withAlpha (0.75f), 71, 150,
                                       juce::Colours::white.withAlpha (0.0f), 71 + 90, 150, true);
            g.setGradientFill (spot);
            g.fillEllipse (-20, 40, 182, 240);
            // The turntable the guitars stand on.
            const juce::Rectangle<float> disc (10, 262, 122, 22);
            g.setColour (juce::Colours::black.withAlpha (0.25f));
            g.fillEllipse (disc.translated (0, 3).expanded (3, 1));
            WoodStyle wood;
            wood.light = juce::Colour (0xff7a3a12);
            wood.dark = juce::Colour (0xff4a1e08);
            wood.grain = juce::Colour (0xff200800);
            wood.grainSpacing = 1.8f;
            juce::Path discPath;
            discPath.addEllipse (disc);
            paintWood (g, discPath, wood, 21);
            g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.35f), 71, 262,
                                                     juce::Colours::transparentWhite, 71, 276, false));
            g.fillEllipse (disc.reduced (8, 3).translated (0, -2));
            g.setColour (brassLight.withAlpha (0.9f));
            g.drawEllipse (disc, 1.0f);
        }
        addNoise (image, area.getSmallestIntegerContainer(), 0.02f, 22);
        drawInset (g, area, 6.0f, 5.0f);
        drawRim (g, area, 6.0f, 1.8f, brassLight, brassDark);
        // The name plate behind the caption.
        const juce::Rectangle<float> plate (27, 24, 88, 43);
        juce::Path platePath;
        platePath.addRoundedRectangle (plate, 4.0f);
        juce::DropShadow (juce::Colours::black.withAlpha (0.3f), 3, {0, 1}).drawForPath (g, platePath);
        fillVertical (g, platePath, juce::Colour (0xfffbe3a6), juce::Colour (0xffe2b557));
        g.setColour (brassDark);
        g.drawRoundedRectangle (plate, 4.0f, 1.0f);
        g.setColour (juce::Colours::white.withAlpha (0.6f));
        g.drawLine (plate.getX() + 4, plate.getY() + 1.5f, plate.getRight() - 4, plate.getY() + 1.5f, 0.8f);
    }

    void neckView (juce::Graphics& g, juce::Image& image)
    {
        using namespace neck;
        const juce::Rectangle<float> frame (231, 51, 335, 89);
        panel (g, image, frame.expanded (3), 31, false);
        const juce::Rectangle<float> window ((float) viewX, (float) viewY, (float) viewWidth, (float) viewHeight);
        juce::Graphics::ScopedSaveState save (g);
        g.reduceClipRegion (window.toNearestInt());

        const float nut = wireX (0);
        const float boardEnd = wireX (fretPositions - 1) + 5.0f;
        const float boardTop = (float) viewY + 1.0f, boardBottom = (float) (viewY + viewHeight) - 1.0f;

        // The top: spruce with the sound hole and its rosette, where the board ends.
        juce::Path top;
        top.addRectangle (window);
        WoodStyle spruce;
        spruce.light = juce::Colour (0xfff3d9a4);
        spruce.dark = juce::Colour (0xffe2bd7c);
        spruce.grain = juce::Colour (0xffa0702c);
        spruce.grainSpacing = 2.2f;
        spruce.waviness = 0.4f;
        spruce.grainAlpha = 0.25f;
        paintWood (g, top, spruce, 32);
        const juce::Point<float> holeCentre (boardEnd + 31.0f, (float) viewY + viewHeight * 0.5f);
        const float holeRadius = 27.0f;
        for (int ring = 0; ring < 5; ++ring)
        {
            const float r = holeRadius + 9.0f - ring * 1.8f;
            const juce::Colour colours[5] = {juce::Colour (0xff2a1608), juce::Colour (0xfff4ecd6),
                                             juce::Colour (0xff3d7a6a), juce::Colour (0xfff4ecd6),
                                             juce::Colour (0xff2a1608)};
            g.setColour (colours[ring]);
            g.drawEllipse (juce::Rectangle<float> (2 * r, 2 * r).withCentre (holeCentre), 1.4f);
        }
        const auto hole = juce::Rectangle<float> (2 * holeRadius, 2 * holeRadius).withCentre (holeCentre);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff050201), holeCentre.x, holeCentre.y,
                                                 juce::Colour (0xff2a1406), holeCentre.x - holeRadius, holeCentre.y,
                                                 true));
        g.fillEllipse (hole);

        // The head beyond the nut: the maple neck's own wood, a shade darker under its
        // lacquer, so the open strings' black dots show on it as well as on the board.
        juce::Path head;
        head.addRectangle (window.getX(), boardTop - 1, nut - window.getX(), boardBottom - boardTop + 2);
        WoodStyle headWood;
        headWood.light = juce::Colour (0xffe8c88c);
        headWood.dark = juce::Colour (0xffd0a460);
        headWood.grain = juce::Colour (0xff8a5a1c);
        headWood.grainSpacing = 2.4f;
        headWood.waviness = 0.5f;
        paintWood (g, head, headWood, 33);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.25f), window.getX(), 0,
                                                 juce::Colours::transparentBlack, nut, 0, false));
        g.fillPath (head);

        // The fingerboard: maple, so the black dots of the view stand out on it.
        juce::Path board;
        board.addRectangle (nut, boardTop, boardEnd - nut, boardBottom - boardTop);
        juce::DropShadow (juce::Colours::black.withAlpha (0.55f), 4, {2, 1}).drawForPath (g, board);
        WoodStyle maple;
        maple.light = juce::Colour (0xfff6dfb0);
        maple.dark = juce::Colour (0xffe4c184);
        maple.grain = juce::Colour (0xffb07a34);
        maple.grainSpacing = 3.0f;
        maple.waviness = 0.8f;
        maple.grainAlpha = 0.2f;
        paintWood (g, board, maple, 34);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.18f), 0, boardTop,
                                                 juce::Colours::transparentBlack, 0, boardTop + 14, false));
        g.fillRect (nut, boardTop, boardEnd - nut, 14.0f);
        g.setGradientFill (juce::ColourGradient (juce::Colours::transparentBlack, 0, boardBottom - 14,
                                                 juce::Colours::black.withAlpha (0.2f), 0, boardBottom, false));
        g.fillRect (nut, boardBottom - 14, boardEnd - nut, 14.0f);
        // Binding along both edges.
        g.setColour (juce::Colour (0xfffdf6e3));
        g.fillRect (nut, boardTop, boardEnd - nut, 1.2f);
        g.fillRect (nut, boardBottom - 1.2f, boardEnd - nut, 1.2f);
        g.setColour (juce::Colour (0xff2a1608));
        g.fillRect (nut, boardTop + 1.2f, boardEnd - nut, 0.5f);
        g.fillRect (nut, boardBottom - 1.7f, boardEnd - nut, 0.5f);

        // Inlays: mother of pearl between the strings, on the usual frets.
        auto inlay = [&] (int fret, float y)
        {
            const float x = (wireX (fret - 1) + wireX (fret)) * 0.5f;
            const float r = juce::jmin (3.4f, (wireX (fret) - wireX (fret - 1)) * 0.3f);
            const auto dot = juce::Rectangle<float> (2 * r, 2 * r).withCentre ({x, y});
            juce::ColourGradient pearl (juce::Colours::white, x - r * 0.4f, y - r * 0.4f, juce::Colour (0xffc9d6e4),
                                        x + r, y + r, true);
            pearl.addColour (0.6, juce::Colour (0xfff3e2ee));
            g.setGradientFill (pearl);
            g.fillEllipse (dot);
            g.setColour (juce::Colour (0xff8a7060).withAlpha (0.6f));
            g.drawEllipse (dot, 0.5f);
        };
        const float middle = (stringY (2) + stringY (3)) * 0.5f;
        for (int fret : {3, 5, 7, 9, 15, 17})
            inlay (fret, middle);
        inlay (12, (stringY (1) + stringY (2)) * 0.5f);
        inlay (12, (stringY (3) + stringY (4)) * 0.5f);

        // Fret wires: nickel silver, lit from the upper left, with a shadow to the right.
        for (int k = 1; k < fretPositions; ++k)
        {
            const float x = wireX (k);
            g.setColour (juce::Colours::black.withAlpha (0.3f));
            g.fillRect (x + 0.8f, boardTop, 1.2f, boardBottom - boardTop);
            g.setGradientFill (juce::ColourGradient (juce::Colour (0xff9a9a98), x - 0.9f, 0, juce::Colour (0xff5e5e5c),
                                                     x + 0.9f, 0, false));
            g.fillRect (x - 0.9f, boardTop, 1.8f, boardBottom - boardTop);
            g.setColour (juce::Colours::white.withAlpha (0.85f));
            g.fillRect (x - 0.45f, boardTop, 0.6f, boardBottom - boardTop);
        }
        // The nut: bone.
        g.setColour (juce::Colours::black.withAlpha (0.35f));
        g.fillRect (nut + 1.2f, boardTop - 1, 1.5f, boardBottom - boardTop + 2);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xfffffbee), nut - 1.5f, 0, juce::Colour (0xffd8cba8),
                                                 nut + 1.5f, 0, false));
        g.fillRect (nut - 1.5f, boardTop - 1, 3.0f, boardBottom - boardTop + 2);

        // Strings: wound ones bronze, plain ones steel, each with its shadow on the board.
        const float gauge[6] = {1.9f, 1.6f, 1.35f, 1.1f, 0.85f, 0.7f};
        for (int s = 0; s < 6; ++s)
        {
            const float y = stringY (s);
            const float w = gauge[s];
            g.setColour (juce::Colours::black.withAlpha (0.28f));
            g.fillRect (window.getX(), y + w * 0.5f + 0.6f, window.getWidth(), w * 0.8f);
            const bool wound = s < 4;
            const juce::Colour light = wound ? juce::Colour (0xfff3dcb0) : juce::Colour (0xfff4f4f4);
            const juce::Colour dark = wound ? juce::Colour (0xff7a5a30) : juce::Colour (0xff6a6a6a);
            // A dark edge first, so even the thin strings stand out from the pale board.
            g.setColour (juce::Colour (0xff2a1a0c).withAlpha (0.6f));
            g.fillRect (window.getX(), y - w * 0.5f - 0.5f, window.getWidth(), w + 1.0f);
            g.setGradientFill (juce::ColourGradient (light, 0, y - w * 0.5f, dark, 0, y + w * 0.5f, false));
            g.fillRect (window.getX(), y - w * 0.5f, window.getWidth(), w);
            if (wound)
            {
                g.setColour (dark.withAlpha (0.35f));
                for (float x = window.getX(); x < window.getRight(); x += 1.5f)
                    g.fillRect (x, y - w * 0.5f, 0.5f, w);
            }
        }
    }

    void header (juce::Graphics& g, juce::Image& image, const Fonts& fonts)
    {
        panel (g, image, {231, 7, 162, 43}, 41, false);
        ivoryWindow (g, {233.5f, 13, 104, 30});
        panel (g, image, {437, 7, 122, 43}, 42, false);
        ivoryWindow (g, {441, 12, 112, 26});
        lightSocket (g, 448, 32);
        leftLabel (g, fonts, "CHORDS", 467, 39);
    }

    void performanceColumn (juce::Graphics& g, juce::Image& image, const Fonts& fonts)
    {
        panel (g, image, {143, 142, 89, 147}, 51, false);
        const float lights[6][2] = {{144, 146}, {144, 166}, {144, 196}, {144, 226}, {144, 256}, {181, 256}};
        for (auto& l : lights)
            lightSocket (g, l[0], l[1]);
        leftLabel (g, fonts, "BEND", 164, 154);
        leftLabel (g, fonts, "VIBRATO", 164, 174);
        leftLabel (g, fonts, "PALM", 164, 204);
        leftLabel (g, fonts, "HARMONICS", 164, 234);
        label (g, fonts, "LEGATO", 163, 276);
        label (g, fonts, "SUSTAIN", 199, 276);
        // Hair lines under the amount sliders tie each to its light.
        g.setColour (darkGreen.withAlpha (0.35f));
        for (float y : {201.5f, 231.5f, 261.5f})
            g.drawLine (162, y - 1, 222, y - 1, 0.6f);
    }

    void soundPanel (juce::Graphics& g, juce::Image& image, const Fonts& fonts)
    {
        panel (g, image, {233, 143, 172, 146}, 61);
        label (g, fonts, "ENERGY", 274.5f, 191);
        label (g, fonts, "ROOM", 354, 166.5f);
        label (g, fonts, "DISTANCE", 353.5f, 199);
        label (g, fonts, "STRINGS", 264.5f, 218.5f);
        label (g, fonts, "DAMPING", 316.5f, 266);
        label (g, fonts, "HARDNESS", 369, 240);
        label (g, fonts, "TWANG", 369, 268);
        // Near and far marks at the distance slider's ends.
        g.setFont (fonts.font (FontStyle::italic, 7.5f));
        g.setColour (ink.withAlpha (0.8f));
        g.drawText ("near", 303, 190, 20, 8, juce::Justification::centredLeft, false);
        g.drawText ("far", 391, 190, 14, 8, juce::Justification::centredLeft, false);
    }

    void attackPanel (juce::Graphics& g, juce::Image& image, const Fonts& fonts)
    {
        panel (g, image, {408, 143, 157, 146}, 71);
        // The plucking position's track is a string over the top, from bridge to sound hole.
        const float x = 446.0f;
        const juce::Rectangle<float> strip (x - 8, 168, 16, 94);
        juce::Path stripPath;
        stripPath.addRoundedRectangle (strip, 3.0f);
        WoodStyle spruce;
        spruce.light = juce::Colour (0xfff5deae);
        spruce.dark = juce::Colour (0xffe2bd7c);
        spruce.grain = juce::Colour (0xffa0702c);
        spruce.vertical = true;
        spruce.grainSpacing = 1.8f;
        spruce.waviness = 0.3f;
        spruce.grainAlpha = 0.3f;
        paintWood (g, stripPath, spruce, 72);
        drawInset (g, strip, 3.0f, 3.0f);
        // Saddle below, sound hole edge above.
        g.setColour (juce::Colour (0xff2a1608));
        g.fillRoundedRectangle (strip.getX() + 1, strip.getBottom() - 7, strip.getWidth() - 2, 5, 1.5f);
        g.setColour (juce::Colour (0xfffffbee));
        g.fillRect (strip.getX() + 2, strip.getBottom() - 6, strip.getWidth() - 4, 1.4f);
        {
            juce::Graphics::ScopedSaveState save (g);
            g.reduceClipRegion (stripPath);
            g.setColour (juce::Colour (0xff0a0502));
            g.fillEllipse (x - 22, strip.getY() - 30, 44, 36);
            g.setColour (juce::Colour (0xff3d7a6a));
            g.drawEllipse (x - 24, strip.getY() - 32, 48, 40, 1.2f);
        }
        g.setColour (juce::Colour (0xffd8d4cc));
        g.fillRect (x - 0.6f, strip.getY(), 1.2f, strip.getHeight() - 6);
        g.setFont (fonts.font (FontStyle::italic, 7.5f));
        g.setColour (ink.withAlpha (0.8f));
        g.drawText ("neck", (int) x - 30, 168, 21, 9, juce::Justification::centredRight, false);
        g.drawText ("bridge", (int) x - 34, 251, 25, 9, juce::Justification::centredRight, false);
        label (g, fonts, "ATTACK", x, 265);
        label (g, fonts, "PLACE", x, 275);
        // Engraved scales beside the two vertical sliders.
        for (float cx : {492.0f, 531.0f})
        {
            g.setColour (ink.withAlpha (0.45f));
            for (int t = 0; t <= 10; ++t)
            {
                const float y = 174 + 5.5f + t * (73 - 11) / 10.0f;
                const float len = (t % 5 == 0) ? 6.0f : 3.5f;
                g.drawLine (cx - 9 - len, y, cx - 9, y, 0.7f);
            }
        }
        g.setColour (ink.withAlpha (0.8f));
        g.drawText ("pick", 474, 164, 30, 9, juce::Justification::centred, false);
        g.drawText ("finger", 474, 248, 30, 9, juce::Justification::centred, false);
        g.drawText ("fast", 513, 164, 30, 9, juce::Justification::centred, false);
        g.drawText ("slow", 513, 248, 30, 9, juce::Justification::centred, false);
        label (g, fonts, "TECHNIQUE", 491, 265);
        label (g, fonts, "STRUM", 534, 265);
        label (g, fonts, "SPEED", 534, 275);
    }

    void outputPanel (juce::Graphics& g, juce::Image& image, const Fonts& fonts)
    {
        panel (g, image, {569, 99, 148, 190}, 81, false);
        // The meter's slot: unlit segments glow faintly in their own colours.
        const juce::Rectangle<float> slot (607, 102, 76, 12);
        g.setColour (juce::Colour (0xff120804));
        g.fillRoundedRectangle (slot, 2.0f);
        const juce::uint32 segment[6] = {0xffb2d235, 0xfffff200, 0xffffc60b, 0xfff9a01b, 0xfff15a22, 0xffed1c24};
        for (int i = 0; i < 36; ++i)
        {
            g.setColour (juce::Colour (segment[i / 6]).withAlpha (0.16f));
            g.fillRect (609.0f + i * 2, 104.0f, 1.4f, 8.0f);
        }
        drawRim (g, slot, 2.0f, 1.0f, brassLight, brassDark);
        // A scale beside the output level's track.
        g.setColour (ink.withAlpha (0.45f));
        for (int t = 0; t <= 4; ++t)
        {
            const float y = 110 + 9.0f + t * (32 - 18) / 4.0f;
            g.drawLine (t % 2 == 0 ? 625.0f : 628.0f, y, 632.0f, y, 0.7f);
        }
        drawEngraved (g, "OUTPUT", {566, 118, 40, 10}, labelFont (fonts), juce::Justification::centredRight, ink);
        label (g, fonts, "VELOCITY CURVE", 634, 152);
        const juce::Rectangle<float> graph (566, 164, 136, 116);
        g.setColour (juce::Colour (0xfffffaea));
        g.fillRoundedRectangle (graph, 3.0f);
        // Faint graph paper under the curve.
        g.setColour (darkGreen.withAlpha (0.1f));
        for (int i = 1; i < 8; ++i)
        {
            g.drawVerticalLine ((int) (graph.getX() + i * graph.getWidth() / 8), graph.getY() + 2,
                                graph.getBottom() - 2);
            g.drawHorizontalLine ((int) (graph.getY() + i * graph.getHeight() / 8), graph.getX() + 2,
                                  graph.getRight() - 2);
        }
        drawInset (g, graph, 3.0f, 3.0f);
        g.setColour (brassDark.withAlpha (0.8f));
        g.drawRoundedRectangle (graph, 3.0f, 1.0f);
    }
} // namespace

juce::Image paintBackground (const Fonts& fonts)
{
    auto image = blankImage (721, 292);
    juce::Graphics g (image);
    veneer (g, image);
    purfling (g, image.getBounds().toFloat());
    showcase (g, image);
    wordmark (g, fonts);
    header (g, image, fonts);
    performanceColumn (g, image, fonts);
    soundPanel (g, image, fonts);
    attackPanel (g, image, fonts);
    outputPanel (g, image, fonts);
    neckView (g, image);
    return image;
}

} // namespace tovalin::artwork
