// The small pictures: image buttons, string buttons, settings tabs, file icons and the
// about pictures. Brown lacquer and pale yellow lettering like the house's text buttons.

#include "Icons.h"
#include "Painting.h"

#include <cmath>

namespace tovalin::artwork
{
namespace
{
    const juce::Colour buttonTop (0xff8a3001), buttonBottom (0xff551002), paleYellow (0xfffdefb5);
    const juce::Colour gold (0xffebb923), brassLight (0xfff8e08a), brassDark (0xff8f6b12), ink (0xff4a2608);
    const juce::Colour darkGreen (30, 88, 48);

    /** A lacquered brown key with a brass edge, filling the image but for a 1-pixel shadow. */
    void brownKey (juce::Graphics& g, juce::Rectangle<float> area, float corner)
    {
        juce::Path key;
        key.addRoundedRectangle (area, corner);
        g.setColour (juce::Colours::black.withAlpha (0.35f));
        g.fillRoundedRectangle (area.translated (0.5f, 1.0f), corner);
        fillVertical (g, key, buttonTop, buttonBottom);
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.28f), 0, area.getY(),
                                                 juce::Colours::transparentWhite, 0, area.getCentreY(), false));
        g.fillRoundedRectangle (area.reduced (1.0f).withHeight (area.getHeight() * 0.5f), corner);
        g.setGradientFill (juce::ColourGradient (brassLight, area.getX(), area.getY(), brassDark, area.getRight(),
                                                 area.getBottom(), false));
        g.drawRoundedRectangle (area.reduced (0.4f), corner, 0.8f);
    }

    juce::Image presetsList()
    {
        auto image = blankImage (16, 15);
        juce::Graphics g (image);
        brownKey (g, {0.5f, 0.5f, 15.0f, 13.5f}, 2.5f);
        g.setColour (paleYellow);
        for (int row = 0; row < 3; ++row)
        {
            const float y = 3.6f + row * 3.0f;
            g.fillEllipse (3.0f, y - 0.9f, 1.8f, 1.8f);
            g.fillRect (6.0f, y - 0.6f, 7.0f, 1.2f);
        }
        return image;
    }

    juce::Image save()
    {
        auto image = blankImage (17, 19);
        juce::Graphics g (image);
        brownKey (g, {0.5f, 0.5f, 16.0f, 17.5f}, 2.5f);
        g.setColour (paleYellow);
        // An arrow into a tray.
        juce::Path arrow;
        arrow.addArrow ({8.5f, 3.0f, 8.5f, 11.5f}, 2.0f, 6.0f, 4.0f);
        g.fillPath (arrow);
        juce::Path tray;
        tray.startNewSubPath (3.0f, 11.0f);
        tray.lineTo (3.0f, 14.5f);
        tray.lineTo (14.0f, 14.5f);
        tray.lineTo (14.0f, 11.0f);
        g.strokePath (tray, juce::PathStrokeType (1.3f, juce::PathStrokeType::mitered));
        return image;
    }

    juce::Image remove()
    {
        auto image = blankImage (16, 19);
        juce::Graphics g (image);
        brownKey (g, {0.5f, 0.5f, 15.0f, 17.5f}, 2.5f);
        g.setColour (paleYellow);
        // A waste bin: lid, handle, body with ribs.
        g.fillRoundedRectangle (3.2f, 4.2f, 9.6f, 1.4f, 0.6f);
        g.fillRect (6.5f, 3.0f, 3.0f, 1.4f);
        juce::Path body;
        body.startNewSubPath (4.2f, 6.3f);
        body.lineTo (11.8f, 6.3f);
        body.lineTo (11.0f, 14.8f);
        body.lineTo (5.0f, 14.8f);
        body.closeSubPath();
        g.fillPath (body);
        g.setColour (buttonBottom);
        for (float x : {6.6f, 8.0f, 9.4f})
            g.fillRect (x - 0.35f, 7.6f, 0.7f, 5.8f);
        return image;
    }

    /** Pill-shaped text key with an emblem at its left; alpha marks the clickable shape. */
    juce::Image textKey (const Fonts& fonts, int width, int height, const juce::String& text,
                         const std::function<void (juce::Graphics&, juce::Rectangle<float>)>& emblem)
    {
        auto image = blankImage (width, height);
        juce::Graphics g (image);
        const juce::Rectangle<float> key (1.0f, 1.0f, width - 2.5f, height - 3.0f);
        brownKey (g, key, key.getHeight() * 0.5f);
        const auto emblemArea = juce::Rectangle<float> (key.getHeight() - 6, key.getHeight() - 6)
                                    .withPosition (key.getX() + 4, key.getY() + 3);
        emblem (g, emblemArea);
        const auto textArea = key.withTrimmedLeft (emblemArea.getRight() - key.getX() + 2).withTrimmedRight (6);
        auto font = fonts.font (FontStyle::bold, 11.5f);
        while (font.getStringWidthFloat (text) > textArea.getWidth() && font.getHeight() > 8.0f)
            font = font.withHeight (font.getHeight() - 0.25f);
        g.setFont (font);
        g.setColour (juce::Colours::black.withAlpha (0.4f));
        g.drawText (text, textArea.translated (0, 1), juce::Justification::centred, false);
        g.setColour (paleYellow);
        g.drawText (text, textArea, juce::Justification::centred, false);
        return image;
    }

    void gear (juce::Graphics& g, juce::Rectangle<float> area)
    {
        const auto c = area.getCentre();
        const float r = area.getWidth() * 0.5f;
        juce::Path teeth;
        for (int i = 0; i < 8; ++i)
        {
            juce::Path tooth;
            tooth.addRectangle (-r * 0.2f, -r, r * 0.4f, r * 0.5f);
            teeth.addPath (tooth, juce::AffineTransform::rotation (i * juce::MathConstants<float>::pi / 4));
        }
        teeth.addEllipse (-r * 0.72f, -r * 0.72f, r * 1.44f, r * 1.44f);
        teeth.addEllipse (-r * 0.3f, -r * 0.3f, r * 0.6f, r * 0.6f);
        teeth.setUsingNonZeroWinding (false);
        g.setColour (gold);
        g.fillPath (teeth, juce::AffineTransform::translation (c));
    }

    void midiPlug (juce::Graphics& g, juce::Rectangle<float> area)
    {
        const auto c = area.getCentre();
        const float r = area.getWidth() * 0.5f;
        g.setColour (gold);
        g.drawEllipse (area.reduced (0.6f), 1.2f);
        for (int i = 0; i < 5; ++i)
        {
            const float a = juce::MathConstants<float>::pi * (1.0f + i * 0.25f);
            const auto p = c + juce::Point<float> (std::cos (a), std::sin (a)) * (r * 0.55f);
            g.fillEllipse (juce::Rectangle<float> (1.6f, 1.6f).withCentre (p));
        }
        g.fillRect (c.x - 1.0f, c.y + r * 0.45f, 2.0f, 1.2f);
    }

    /** String-type key: raised brown when off; lit gold and pressed in when on. */
    juce::Image stringKey (const Fonts& fonts, const juce::String& text, bool on)
    {
        auto image = blankImage (43, 18);
        juce::Graphics g (image);
        const juce::Rectangle<float> key (0.5f, 0.5f, 41.5f, 16.0f);
        if (on)
        {
            juce::Path face;
            face.addRoundedRectangle (key.translated (0, 0.8f), 3.0f);
            fillVertical (g, face, juce::Colour (0xfffff0a8), juce::Colour (0xffd9a21a));
            juce::ColourGradient glow (juce::Colours::white.withAlpha (0.7f), key.getCentreX(), key.getCentreY(),
                                       juce::Colours::transparentWhite, key.getX(), key.getCentreY(), true);
            g.setGradientFill (glow);
            g.fillRoundedRectangle (key.translated (0, 0.8f), 3.0f);
            g.setColour (juce::Colours::black.withAlpha (0.3f));
            g.drawLine (key.getX() + 3, key.getY() + 1.3f, key.getRight() - 3, key.getY() + 1.3f, 1.0f);
            g.setColour (brassDark);
            g.drawRoundedRectangle (key.translated (0, 0.8f), 3.0f, 1.0f);
            g.setFont (fonts.font (FontStyle::bold, 11.0f));
            g.setColour (ink);
            g.drawText (text, key.translated (0, 0.8f), juce::Justification::centred, false);
        }
        else
        {
            brownKey (g, key, 3.0f);
            g.setFont (fonts.font (FontStyle::bold, 11.0f));
            g.setColour (paleYellow.withAlpha (0.55f));
            g.drawText (text, key, juce::Justification::centred, false);
        }
        return image;
    }

    /** A round brass medallion with a lacquered brown field. */
    void medallion (juce::Graphics& g, juce::Rectangle<float> area)
    {
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.fillEllipse (area.translated (0.6f, 1.0f));
        g.setGradientFill (juce::ColourGradient (brassLight, area.getX(), area.getY(), brassDark, area.getRight(),
                                                 area.getBottom(), false));
        g.fillEllipse (area);
        juce::Path field;
        field.addEllipse (area.reduced (area.getWidth() * 0.1f));
        fillVertical (g, field, buttonTop, buttonBottom);
    }

    juce::Image carouselArrow (bool next, int height)
    {
        auto image = blankImage (17, height);
        juce::Graphics g (image);
        const juce::Rectangle<float> area (0.5f, 0.5f, 15.5f, height - 1.5f);
        medallion (g, area);
        const auto c = area.getCentre();
        const float s = next ? 1.0f : -1.0f;
        juce::Path arrow;
        arrow.addTriangle (c.x + s * 3.5f, c.y, c.x - s * 2.5f, c.y - 4.0f, c.x - s * 2.5f, c.y + 4.0f);
        g.setColour (paleYellow);
        g.fillPath (arrow);
        return image;
    }

    juce::Image folder()
    {
        auto image = blankImage (21, 18);
        juce::Graphics g (image);
        juce::Path back;
        back.startNewSubPath (1, 3);
        back.lineTo (7, 3);
        back.lineTo (9, 5);
        back.lineTo (19.5f, 5);
        back.lineTo (19.5f, 16);
        back.lineTo (1, 16);
        back.closeSubPath();
        fillVertical (g, back, juce::Colour (0xffc8901e), juce::Colour (0xff8f5f0e));
        juce::Path front;
        front.startNewSubPath (1, 16.5f);
        front.lineTo (3.5f, 7.5f);
        front.lineTo (20.5f, 7.5f);
        front.lineTo (18.5f, 16.5f);
        front.closeSubPath();
        fillVertical (g, front, juce::Colour (0xfffde1a0), gold);
        g.setColour (brassDark);
        g.strokePath (front, juce::PathStrokeType (0.8f));
        return image;
    }

    juce::Image document()
    {
        auto image = blankImage (14, 16);
        juce::Graphics g (image);
        juce::Path page;
        page.startNewSubPath (1.5f, 0.5f);
        page.lineTo (9.0f, 0.5f);
        page.lineTo (12.5f, 4.0f);
        page.lineTo (12.5f, 15.5f);
        page.lineTo (1.5f, 15.5f);
        page.closeSubPath();
        g.setColour (juce::Colour (0xfffffcf2));
        g.fillPath (page);
        g.setColour (juce::Colour (0xff8a6a3a));
        g.strokePath (page, juce::PathStrokeType (0.9f));
        juce::Path fold;
        fold.addTriangle (9.0f, 0.5f, 9.0f, 4.0f, 12.5f, 4.0f);
        g.setColour (juce::Colour (0xffe9c384));
        g.fillPath (fold);
        g.setColour (juce::Colour (0xffb08a50));
        for (int row = 0; row < 4; ++row)
            g.fillRect (3.5f, 6.0f + row * 2.2f, row == 3 ? 4.0f : 7.0f, 0.8f);
        return image;
    }

    /** Settings tab pictures: a pick over a stave (performances), a body radiating into a
        hall (effects), a loudspeaker (audio). */
    juce::Image performancesTab()
    {
        auto image = blankImage (50, 49);
        juce::Graphics g (image);
        g.setColour (ink.withAlpha (0.65f));
        for (int i = 0; i < 5; ++i)
            g.fillRect (2.0f, 30.0f + i * 3.5f, 46.0f, 0.8f);
        juce::Path pick;
        pick.startNewSubPath (25, 44);
        pick.cubicTo (14, 30, 6, 14, 12, 7);
        pick.cubicTo (18, 1, 32, 1, 38, 7);
        pick.cubicTo (44, 14, 36, 30, 25, 44);
        pick.closeSubPath();
        juce::DropShadow (juce::Colours::black.withAlpha (0.45f), 3, {1, 2}).drawForPath (g, pick);
        juce::ColourGradient shell (juce::Colour (0xffb8642a), 14, 6, juce::Colour (0xff4a1c06), 36, 40, false);
        shell.addColour (0.4, juce::Colour (0xff8a3a10));
        shell.addColour (0.6, juce::Colour (0xffc98a3c));
        g.setGradientFill (shell);
        g.fillPath (pick);
        g.setColour (gold);
        g.strokePath (pick, juce::PathStrokeType (1.2f));
        g.setColour (paleYellow);
        g.fillEllipse (19, 15, 7, 5.5f);
        g.fillRect (25.0f, 6.0f, 1.4f, 11.5f);
        g.fillRect (25.0f, 6.0f, 6.0f, 1.6f);
        return image;
    }

    juce::Image effectsTab()
    {
        auto image = blankImage (49, 57);
        juce::Graphics g (image);
        for (int i = 0; i < 3; ++i)
        {
            juce::Path arc;
            const float r = 13.0f + i * 6.5f;
            arc.addCentredArc (24.5f, 40, r, r, 0, -1.1f, 1.1f, true);
            g.setColour (darkGreen.withAlpha (0.9f - i * 0.25f));
            g.strokePath (arc,
                          juce::PathStrokeType (2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        }
        juce::Path body;
        body.addEllipse (14.5f, 36, 20, 19);
        body.addEllipse (17.5f, 27, 14, 13);
        juce::DropShadow (juce::Colours::black.withAlpha (0.4f), 3, {1, 1}).drawForPath (g, body);
        g.setGradientFill (
            juce::ColourGradient (juce::Colour (0xfff6d492), 18, 28, juce::Colour (0xffc08a3a), 32, 54, false));
        g.fillPath (body);
        g.setColour (juce::Colour (0xff5a2a0a));
        g.strokePath (body, juce::PathStrokeType (1.0f));
        g.setColour (juce::Colour (0xff1a0a04));
        g.fillEllipse (21.5f, 36.5f, 6, 6);
        return image;
    }

    juce::Image audioTab()
    {
        auto image = blankImage (55, 49);
        juce::Graphics g (image);
        juce::Path cone;
        cone.addRectangle (5, 17, 9, 15);
        cone.startNewSubPath (14, 17);
        cone.lineTo (27, 6);
        cone.lineTo (27, 43);
        cone.lineTo (14, 32);
        cone.closeSubPath();
        juce::DropShadow (juce::Colours::black.withAlpha (0.45f), 3, {1, 2}).drawForPath (g, cone);
        fillVertical (g, cone, buttonTop.brighter (0.3f), buttonBottom);
        g.setColour (gold);
        g.strokePath (cone, juce::PathStrokeType (1.2f));
        for (int i = 0; i < 3; ++i)
        {
            juce::Path wave;
            const float r = 8.0f + i * 7.0f;
            wave.addCentredArc (28, 24.5f, r, r, 0, 0.55f, juce::MathConstants<float>::pi - 0.55f, true);
            g.setColour (darkGreen.withAlpha (0.9f - i * 0.22f));
            g.strokePath (wave,
                          juce::PathStrokeType (2.4f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        }
        return image;
    }

    /** The about key: a guitar rosette around a gold monogram, round (its alpha is its shape). */
    juce::Image aboutEmblem (const Fonts& fonts)
    {
        auto image = blankImage (88, 83);
        juce::Graphics g (image);
        const juce::Point<float> c (44, 41);
        const float r = 39.0f;
        const auto outer = juce::Rectangle<float> (2 * r, 2 * r).withCentre (c);
        juce::Path disc;
        disc.addEllipse (outer);
        juce::DropShadow (juce::Colours::black.withAlpha (0.55f), 4, {1, 2}).drawForPath (g, disc);
        WoodStyle spruce;
        spruce.light = juce::Colour (0xfff6dcaa);
        spruce.dark = juce::Colour (0xffe0b874);
        spruce.grain = juce::Colour (0xffa0702c);
        spruce.vertical = true;
        spruce.grainSpacing = 2.0f;
        spruce.waviness = 0.4f;
        spruce.grainAlpha = 0.3f;
        paintWood (g, disc, spruce, 91);
        // Mosaic ring: small tiles in green, cream and brown.
        juce::Random random (92);
        const juce::Colour tiles[4] = {juce::Colour (0xff3d7a6a), juce::Colour (0xfff4ecd6), juce::Colour (0xff6b2a08),
                                       juce::Colour (0xff1e5830)};
        for (int ring = 0; ring < 3; ++ring)
        {
            const float r0 = 26.0f + ring * 2.6f;
            for (int k = 0; k < 72; ++k)
            {
                const float a0 = k * juce::MathConstants<float>::twoPi / 72;
                juce::Path tile;
                tile.addPieSegment (juce::Rectangle<float> (2 * (r0 + 2.6f), 2 * (r0 + 2.6f)).withCentre (c), a0,
                                    a0 + juce::MathConstants<float>::twoPi / 72, r0 / (r0 + 2.6f));
                g.setColour (tiles[(k + ring * 2 + (k / 3) % 2) % 4]);
                g.fillPath (tile);
            }
        }
        g.setColour (juce::Colour (0xff2a1608));
        g.drawEllipse (juce::Rectangle<float> (52, 52).withCentre (c), 1.2f);
        g.drawEllipse (juce::Rectangle<float> (2 * 34.0f, 2 * 34.0f).withCentre (c), 1.2f);
        // The sound hole with a gold T.
        const auto hole = juce::Rectangle<float> (46, 46).withCentre (c);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff2a1406), c.x, c.y - 8, juce::Colour (0xff050201),
                                                 c.x, c.y + 23, false));
        g.fillEllipse (hole);
        auto font = fonts.font (FontStyle::boldItalic, 34.0f);
        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (font, "T", hole.getX(), hole.getY() - 1, hole.getWidth(), hole.getHeight(),
                              juce::Justification::centred, 1);
        juce::Path letter;
        glyphs.createPath (letter);
        juce::ColourGradient metal (juce::Colour (0xfffff3c0), 0, hole.getY() + 8, juce::Colour (0xffa87808), 0,
                                    hole.getBottom() - 8, false);
        metal.addColour (0.5, gold);
        g.setGradientFill (metal);
        g.fillPath (letter);
        g.setFont (fonts.font (FontStyle::bold, 7.0f).withExtraKerningFactor (0.2f));
        g.setColour (juce::Colour (0xfffde7b0));
        g.drawText ("ABOUT", hole.withTrimmedTop (31).withHeight (8), juce::Justification::centred, false);
        drawRim (g, outer.reduced (0.8f), r, 1.6f, brassLight, brassDark);
        return image;
    }
} // namespace

std::vector<ArtworkImage> paintIcons (const Fonts& fonts)
{
    return {
        {"presets-list.png", presetsList()},
        {"save.png", save()},
        {"delete.png", remove()},
        {"about-button.png", aboutEmblem (fonts)},
        {"settings.png", textKey (fonts, 86, 24, "Settings", gear)},
        {"midi-mappings.png", textKey (fonts, 88, 25, "MIDI mappings", midiPlug)},
        {"steel-off.png", stringKey (fonts, "Steel", false)},
        {"steel-on.png", stringKey (fonts, "Steel", true)},
        {"nylon-off.png", stringKey (fonts, "Nylon", false)},
        {"nylon-on.png", stringKey (fonts, "Nylon", true)},
        {"tab-performances.png", performancesTab()},
        {"tab-effects.png", effectsTab()},
        {"tab-audio.png", audioTab()},
        {"folder.png", folder()},
        {"document.png", document()},
        {"previous.png", carouselArrow (false, 17)},
        {"next.png", carouselArrow (true, 16)},
    };
}

} // namespace tovalin::artwork
