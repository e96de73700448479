// The nine guitar pictures of the guitar chooser: outlines from a few measures per
// model, woods, shading and hardware drawn from code, each on a transparent ground.

#include "Artwork.h"
#include "Icons.h"
#include "Painting.h"

#include <cmath>

namespace tovalin::artwork
{
namespace
{
    enum class Head
    {
        solid,   // three tuners a side, metal buttons
        slotted, // classical: two slots, rollers, pearl buttons
        pegs,    // flamenco: wooden friction pegs through the head
        gypsy    // solid, tall, art-deco crown
    };
    enum class Bridge
    {
        pins,
        moustache,
        tieBlock,
        floating // with a tailpiece at the tail
    };
    enum class Guard
    {
        none,
        teardrop,
        large,
        tapPlates
    };

    struct Wood
    {
        juce::uint32 light, dark, grain;
        float figure = 0.0f;
    };

    struct Design
    {
        int width;                       // picture width, pixels
        float bodyLength;                // top of the upper bout to the tail
        float upper, waist, lower;       // half widths as fractions of the widest half width
        float upperAt, waistAt, lowerAt; // positions along the body, 0 top .. 1 tail
        float shoulder;                  // 0 round .. 1 square shoulders
        Wood top;
        juce::uint32 binding, sides;
        bool sunburst;
        juce::uint32 neck, board, headFace;
        Head head;
        Bridge bridge;
        Guard guard;
        juce::uint32 guardColour;
        bool cutaway, ovalHole, nylon, rosetteMosaic;
        juce::uint32 rosette[3];
    };

    const Wood spruce{0xfff5dca6, 0xffdcb272, 0xff9a6a2a};
    const Wood agedSpruce{0xffeec486, 0xffcf9650, 0xff8a5a1c};
    const Wood cedar{0xffd8955a, 0xffa95e32, 0xff6a3214};
    const Wood darkCedar{0xffb06a3a, 0xff7a3a1a, 0xff3a1608};
    const Wood mahogany{0xff9a4c28, 0xff5e2810, 0xff2a0e04};
    const Wood maple{0xfff2c878, 0xffcf9238, 0xff9a6018, 0.2f};
    const Wood cypress{0xfffbf1d4, 0xffeedab0, 0xffc0a070};

    // clang-format off
    const Design designs[9] = {
        // Corvan's Classical: spruce, rosewood, mosaic rosette, slotted head.
        {83, 104, 0.78f, 0.62f, 1.0f, 0.24f, 0.45f, 0.72f, 0.25f, spruce, 0xff3a1a0c, 0xff4a2412, false,
         0xff8a4a24, 0xff1c120c, 0xff4a2412, Head::slotted, Bridge::tieBlock, Guard::none, 0, false, false, true, true,
         {0xff2e6a3a, 0xffb8322a, 0xfff4ecd6}},
        // Talvina's Flamenco: pale cypress, clear tap plates, friction pegs.
        {81, 101, 0.77f, 0.6f, 1.0f, 0.24f, 0.45f, 0.72f, 0.25f, cypress, 0xfff4ecd6, 0xffe0c890, false,
         0xffc89a5a, 0xff1c120c, 0xffe8d2a0, Head::pegs, Bridge::tieBlock, Guard::tapPlates, 0x38ffffff, false, false,
         true, true, {0xff1e5830, 0xff8a3a10, 0xfff4ecd6}},
        // Brosk's Classical: dark cedar, deep red-brown, the darker classical.
        {83, 104, 0.8f, 0.64f, 1.0f, 0.24f, 0.45f, 0.72f, 0.3f, darkCedar, 0xff1a0a04, 0xff2a1008, false,
         0xff5a2a12, 0xff100a08, 0xff1a0c06, Head::slotted, Bridge::tieBlock, Guard::none, 0, false, false, true, true,
         {0xffd8b060, 0xff1a3a6a, 0xfff4ecd6}},
        // Kelvo's Folk: dreadnought, spruce over rosewood, tortoise guard.
        {87, 108, 0.86f, 0.74f, 1.0f, 0.22f, 0.44f, 0.72f, 0.85f, spruce, 0xfff4ecd6, 0xff3a1a0c, false,
         0xff7a3a18, 0xff2a160c, 0xff0c0806, Head::solid, Bridge::pins, Guard::teardrop, 0xff5a240c, false, false,
         false, false, {0xff0c0806, 0xfff4ecd6, 0xff0c0806}},
        // Tamsk's Folk: orchestra model, cedar top, mahogany.
        {84, 104, 0.76f, 0.6f, 1.0f, 0.23f, 0.44f, 0.72f, 0.35f, cedar, 0xfff4ecd6, 0xff5e2810, false,
         0xff6a3016, 0xff2a160c, 0xff3a1a0c, Head::solid, Bridge::pins, Guard::teardrop, 0xff2a0e06, false, false,
         false, false, {0xfff4ecd6, 0xff0c0806, 0xff3d7a6a}},
        // Ivrena's Folk: concert size, flamed maple.
        {82, 100, 0.78f, 0.58f, 1.0f, 0.24f, 0.45f, 0.72f, 0.3f, maple, 0xff0c0806, 0xffc8902e, false,
         0xffe8c07a, 0xff2a160c, 0xff0c0806, Head::solid, Bridge::pins, Guard::teardrop, 0xff0c0806, false, false,
         false, false, {0xff0c0806, 0xfff4ecd6, 0xff0c0806}},
        // Pemra's folk: parlour, all mahogany, long neck.
        {79, 90, 0.7f, 0.56f, 1.0f, 0.26f, 0.46f, 0.72f, 0.15f, mahogany, 0xfff0e4c8, 0xff4a1e0a, false,
         0xff6a2c12, 0xff1c120c, 0xff3a1a0c, Head::slotted, Bridge::pins, Guard::none, 0, false, false, false, false,
         {0xfff4ecd6, 0xff2a0e04, 0xfff4ecd6}},
        // Zorbel's Jumbo: wide round lower bout, narrow waist, sunburst, large guard.
        {89, 112, 0.74f, 0.56f, 1.0f, 0.2f, 0.42f, 0.7f, 0.1f, agedSpruce, 0xfff4ecd6, 0xff1a0a04, true,
         0xff5a2410, 0xff1c120c, 0xff0c0806, Head::solid, Bridge::moustache, Guard::large, 0xff120806, false, false,
         false, false, {0xfff4ecd6, 0xff0c0806, 0xfff4ecd6}},
        // Vastro's Gypsy: cutaway, small oval hole, floating bridge and tailpiece.
        {85, 110, 0.8f, 0.7f, 1.0f, 0.22f, 0.46f, 0.74f, 0.5f, agedSpruce, 0xff0c0806, 0xff6a2a10, false,
         0xff4a2010, 0xff100a08, 0xff0c0806, Head::gypsy, Bridge::floating, Guard::none, 0, true, true,
         false, false, {0xfff4ecd6, 0xff0c0806, 0xfff4ecd6}},
    };
    // clang-format on

    constexpr float headTop = 2.0f, nutY = 31.0f, tailY = 197.0f;

    /** The body outline: right half from measures, mirrored; the gypsy's treble side cut away. */
    juce::Path bodyOutline (const Design& d, float cx)
    {
        const float half = d.width * 0.5f - 1.5f;
        const float y0 = tailY - d.bodyLength, len = d.bodyLength;
        const float yU = y0 + d.upperAt * len, yW = y0 + d.waistAt * len, yL = y0 + d.lowerAt * len;
        const float U = d.upper * half, W = d.waist * half, L = d.lower * half;

        auto side = [&] (float s, bool cut)
        {
            juce::Path p;
            p.startNewSubPath (cx, y0);
            if (cut)
            {
                // A rounded cutaway: from beside the neck, a concave sweep out to the upper
                // bout's widest point, lower than on the other side; then straight on to the waist.
                p.lineTo (cx + s * 6.0f, y0);
                p.cubicTo (cx + s * 7.0f, y0 + 14.0f, cx + s * U * 0.45f, yU + 12.0f, cx + s * U * 0.97f, yU + 16.0f);
                p.cubicTo (cx + s * U * 1.02f, yU + 16.0f + (yW - yU - 16.0f) * 0.5f, cx + s * W, yW - (yW - yU) * 0.2f,
                           cx + s * W, yW);
                p.cubicTo (cx + s * W, yW + (yL - yW) * 0.4f, cx + s * L, yL - (yL - yW) * 0.55f, cx + s * L, yL);
                p.cubicTo (cx + s * L, yL + (tailY - yL) * 0.62f, cx + s * L * 0.62f, tailY, cx, tailY);
                return p;
            }
            const float sq = d.shoulder;
            p.cubicTo (cx + s * U * (0.55f + 0.4f * sq), y0, cx + s * U, yU - (yU - y0) * (0.75f - 0.45f * sq),
                       cx + s * U, yU);
            p.cubicTo (cx + s * U, yU + (yW - yU) * 0.45f, cx + s * W, yW - (yW - yU) * 0.4f, cx + s * W, yW);
            p.cubicTo (cx + s * W, yW + (yL - yW) * 0.4f, cx + s * L, yL - (yL - yW) * 0.55f, cx + s * L, yL);
            p.cubicTo (cx + s * L, yL + (tailY - yL) * 0.62f, cx + s * L * 0.62f, tailY, cx, tailY);
            return p;
        };
        // Join the two halves into one closed outline.
        juce::Path right = side (1.0f, d.cutaway), left = side (-1.0f, false);
        juce::Path outline;
        juce::PathFlatteningIterator r (right, {}, 0.2f);
        bool first = true;
        while (r.next())
        {
            if (first)
                outline.startNewSubPath (r.x1, r.y1);
            first = false;
            outline.lineTo (r.x2, r.y2);
        }
        std::vector<juce::Point<float>> leftPoints;
        juce::PathFlatteningIterator l (left, {}, 0.2f);
        while (l.next())
            leftPoints.push_back ({l.x2, l.y2});
        for (auto it = leftPoints.rbegin(); it != leftPoints.rend(); ++it)
            outline.lineTo (*it);
        outline.closeSubPath();
        return outline;
    }

    void shadeBody (juce::Graphics& g, const juce::Path& body, const Design& d)
    {
        juce::Graphics::ScopedSaveState save (g);
        g.reduceClipRegion (body);
        const auto box = body.getBounds();
        if (d.sunburst)
        {
            // The burst follows the outline: amber in the middle, near black at the edge.
            for (int i = 0; i < 14; ++i)
            {
                g.setColour (juce::Colour (0xff2a0c02).withAlpha (0.085f));
                g.strokePath (body, juce::PathStrokeType (3.0f + i * 2.6f));
            }
            g.setColour (juce::Colour (0x30e07010));
            g.fillRect (box);
        }
        // Edges roll away from the light; a broad sheen across the upper left.
        for (int i = 0; i < 3; ++i)
        {
            g.setColour (juce::Colours::black.withAlpha (0.1f));
            g.strokePath (body, juce::PathStrokeType (2.0f + i * 3.0f));
        }
        juce::ColourGradient sheen (juce::Colours::white.withAlpha (0.32f), box.getX() + box.getWidth() * 0.32f,
                                    box.getY() + box.getHeight() * 0.55f, juce::Colours::transparentWhite,
                                    box.getX() + box.getWidth() * 0.32f + box.getWidth() * 0.45f,
                                    box.getY() + box.getHeight() * 0.55f, true);
        g.setGradientFill (sheen);
        g.fillRect (box);
    }

    void rosetteAndHole (juce::Graphics& g, const Design& d, float cx, float y0)
    {
        const float half = d.width * 0.5f - 1.5f;
        if (d.ovalHole)
        {
            // A small oval hole, the "petite bouche", with a thin double ring.
            const auto hole = juce::Rectangle<float> (13.0f, 9.5f).withCentre ({cx, y0 + d.bodyLength * 0.34f});
            g.setColour (juce::Colour (d.rosette[0]));
            g.drawEllipse (hole.expanded (2.6f), 1.1f);
            g.setColour (juce::Colour (d.rosette[1]));
            g.drawEllipse (hole.expanded (1.4f), 0.8f);
            g.setColour (juce::Colour (0xff0a0402));
            g.fillEllipse (hole);
            return;
        }
        const float r = half * d.upper * 0.42f;
        const juce::Point<float> c (cx, y0 + d.bodyLength * (d.rosetteMosaic ? 0.33f : 0.32f));
        if (d.rosetteMosaic)
        {
            // A wide band of mosaic tiles between fine rings.
            juce::Random random (d.width * 7 + (juce::int64) d.rosette[0]);
            for (int k = 0; k < 36; ++k)
            {
                const float a0 = k * juce::MathConstants<float>::twoPi / 36;
                juce::Path tile;
                tile.addPieSegment (juce::Rectangle<float> (2 * (r + 5), 2 * (r + 5)).withCentre (c), a0,
                                    a0 + juce::MathConstants<float>::twoPi / 36, (r + 1.8f) / (r + 5));
                g.setColour (juce::Colour (d.rosette[(k % 3)])
                                 .interpolatedWith (juce::Colours::black, random.nextFloat() * 0.2f));
                g.fillPath (tile);
            }
            g.setColour (juce::Colour (0xff1a0a04));
            g.drawEllipse (juce::Rectangle<float> (2 * (r + 5.4f), 2 * (r + 5.4f)).withCentre (c), 0.8f);
            g.drawEllipse (juce::Rectangle<float> (2 * (r + 1.4f), 2 * (r + 1.4f)).withCentre (c), 0.8f);
        }
        else
        {
            for (int ring = 0; ring < 3; ++ring)
            {
                g.setColour (juce::Colour (d.rosette[ring]));
                const float rr = r + 1.6f + ring * 1.3f;
                g.drawEllipse (juce::Rectangle<float> (2 * rr, 2 * rr).withCentre (c), ring == 1 ? 1.2f : 0.8f);
            }
        }
        const auto hole = juce::Rectangle<float> (2 * r, 2 * r).withCentre (c);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff3a1c0a), c.x, c.y - r, juce::Colour (0xff050201),
                                                 c.x, c.y + r * 0.4f, false));
        g.fillEllipse (hole);
    }

    void guard (juce::Graphics& g, const Design& d, float cx, float y0, int seed)
    {
        const float half = d.width * 0.5f - 1.5f;
        const float holeY = y0 + d.bodyLength * 0.32f, r = half * d.upper * 0.42f;
        auto mottle = [&] (const juce::Path& shape)
        {
            g.setColour (juce::Colour (d.guardColour));
            g.fillPath (shape);
            juce::Graphics::ScopedSaveState save (g);
            g.reduceClipRegion (shape);
            juce::Random random (seed);
            const auto box = shape.getBounds();
            for (int i = 0; i < 40; ++i)
            {
                const float x = box.getX() + random.nextFloat() * box.getWidth();
                const float y = box.getY() + random.nextFloat() * box.getHeight();
                g.setColour (juce::Colour (0xffc86a1a).withAlpha (0.15f + 0.25f * random.nextFloat()));
                g.fillEllipse (x, y, 1.0f + random.nextFloat() * 3.0f, 0.8f + random.nextFloat() * 2.0f);
            }
            g.setColour (juce::Colours::white.withAlpha (0.25f));
            g.strokePath (shape, juce::PathStrokeType (0.6f));
        };
        switch (d.guard)
        {
            case Guard::none:
                break;
            case Guard::teardrop:
            {
                // A teardrop hugging the rosette below and to the right of the hole.
                const float r2 = r + 5.0f;
                const float a0 = -0.15f, a1 = 1.75f; // along the rosette, from the right to below
                const juce::Point<float> c (cx, holeY);
                juce::Path p;
                p.startNewSubPath (c + juce::Point<float> (std::cos (a0), std::sin (a0)) * r2);
                p.cubicTo (c.x + r2 * 1.45f, c.y - r * 0.1f, c.x + r2 * 1.5f, c.y + r2 * 1.25f, c.x + r2 * 0.75f,
                           c.y + r2 * 1.3f);
                p.quadraticTo (c.x + r2 * 0.2f, c.y + r2 * 1.32f, c.x + std::cos (a1) * r2, c.y + std::sin (a1) * r2);
                p.addCentredArc (c.x, c.y, r2, r2, 0.0f, a1 + juce::MathConstants<float>::halfPi,
                                 a0 + juce::MathConstants<float>::halfPi);
                p.closeSubPath();
                mottle (p);
                break;
            }
            case Guard::large:
            {
                // A big guard sweeping round the hole's treble side and down towards the bridge.
                juce::Path p;
                p.startNewSubPath (cx + r * 0.2f, holeY + r + 1.5f);
                p.cubicTo (cx + r * 1.2f, holeY + r * 2.6f, cx + r * 2.6f, holeY + r * 2.2f, cx + r * 2.4f,
                           holeY + r * 0.6f);
                p.cubicTo (cx + r * 2.3f, holeY - r * 0.6f, cx + r * 1.8f, holeY - r * 1.3f, cx + r * 0.9f,
                           holeY - r * 1.1f);
                p.cubicTo (cx + r * 1.5f, holeY - r * 0.2f, cx + r * 1.4f, holeY + r * 1.0f, cx + r * 0.2f,
                           holeY + r + 1.5f);
                p.closeSubPath();
                mottle (p);
                // Engraved flowers in gold.
                g.setColour (juce::Colour (0xffebb923).withAlpha (0.85f));
                for (int petal = 0; petal < 5; ++petal)
                {
                    const float a = petal * juce::MathConstants<float>::twoPi / 5;
                    g.fillEllipse (cx + r * 1.75f + std::cos (a) * 1.6f - 0.9f,
                                   holeY + r * 0.9f + std::sin (a) * 1.6f - 0.9f, 1.8f, 1.8f);
                }
                break;
            }
            case Guard::tapPlates:
            {
                // Clear plates both sides of the hole: a glint and an edge, the wood seen through.
                for (float s : {-1.0f, 1.0f})
                {
                    juce::Path p;
                    p.startNewSubPath (cx + s * (r + 2), holeY - r);
                    p.cubicTo (cx + s * (r + 14), holeY - r * 1.2f, cx + s * (r + 18), holeY + r * 1.2f,
                               cx + s * (r + 6), holeY + r * 1.8f);
                    p.quadraticTo (cx + s * (r - 2), holeY + r * 1.2f, cx + s * (r + 2), holeY - r);
                    p.closeSubPath();
                    g.setColour (juce::Colour (d.guardColour));
                    g.fillPath (p);
                    g.setColour (juce::Colour (0x90a09070));
                    g.strokePath (p, juce::PathStrokeType (0.9f));
                    g.setColour (juce::Colours::white.withAlpha (0.7f));
                    g.drawLine (cx + s * (r + 6), holeY - r * 0.6f, cx + s * (r + 10), holeY + r * 0.3f, 0.8f);
                }
                break;
            }
        }
    }

    void bridge (juce::Graphics& g, const Design& d, float cx, float y0, float stringHalf)
    {
        const float y = y0 + d.bodyLength * 0.76f;
        const juce::Colour wood (d.board);
        switch (d.bridge)
        {
            case Bridge::pins:
            case Bridge::moustache:
            {
                const float w = stringHalf * 2 + 10;
                juce::Path p;
                if (d.bridge == Bridge::moustache)
                {
                    p.startNewSubPath (cx - w * 0.5f, y - 3);
                    p.quadraticTo (cx - w * 0.9f, y - 5, cx - w * 0.95f, y + 1);
                    p.quadraticTo (cx - w * 0.8f, y + 2, cx - w * 0.5f, y + 4);
                    p.lineTo (cx + w * 0.5f, y + 4);
                    p.quadraticTo (cx + w * 0.8f, y + 2, cx + w * 0.95f, y + 1);
                    p.quadraticTo (cx + w * 0.9f, y - 5, cx + w * 0.5f, y - 3);
                    p.closeSubPath();
                }
                else
                    p.addRoundedRectangle (cx - w * 0.5f, y - 3, w, 7, 2.5f);
                g.setColour (juce::Colours::black.withAlpha (0.35f));
                g.fillPath (p, juce::AffineTransform::translation (0.5f, 1.0f));
                g.setColour (wood);
                g.fillPath (p);
                g.setColour (juce::Colour (0xfffffbee));
                g.drawLine (cx - stringHalf - 1, y - 1.6f, cx + stringHalf + 1, y - 0.8f, 1.2f);
                for (int s = 0; s < 6; ++s)
                    g.fillEllipse (cx - stringHalf + s * stringHalf * 0.4f - 0.8f, y + 1.0f, 1.6f, 1.6f);
                break;
            }
            case Bridge::tieBlock:
            {
                const float w = stringHalf * 2 + 14;
                g.setColour (juce::Colours::black.withAlpha (0.35f));
                g.fillRoundedRectangle (cx - w * 0.5f + 0.5f, y - 2.5f, w, 7.5f, 1.5f);
                g.setColour (wood.brighter (0.25f));
                g.fillRoundedRectangle (cx - w * 0.5f, y - 3, w, 7.5f, 1.5f);
                g.setColour (juce::Colour (0xfffffbee));
                g.fillRect (cx - stringHalf - 1.5f, y - 2.2f, stringHalf * 2 + 3, 1.2f);
                // The tie block, strings knotted over it.
                g.setColour (juce::Colour (d.rosette[0]).withAlpha (0.9f));
                g.fillRect (cx - stringHalf - 1.5f, y + 1.0f, stringHalf * 2 + 3, 2.5f);
                g.setColour (juce::Colour (0xfff0e8d8));
                for (int s = 0; s < 6; ++s)
                    g.fillRect (cx - stringHalf + s * stringHalf * 0.4f - 0.6f, y + 0.5f, 1.2f, 3.4f);
                break;
            }
            case Bridge::floating:
            {
                const float w = stringHalf * 2 + 12;
                juce::Path p;
                p.startNewSubPath (cx - w * 0.5f, y + 1.5f);
                p.quadraticTo (cx - w * 0.3f, y - 3, cx, y - 2.5f);
                p.quadraticTo (cx + w * 0.3f, y - 3, cx + w * 0.5f, y + 1.5f);
                p.closeSubPath();
                g.setColour (juce::Colours::black.withAlpha (0.4f));
                g.fillPath (p, juce::AffineTransform::translation (0.5f, 1.2f));
                g.setColour (wood);
                g.fillPath (p);
                // The tailpiece: nickel, hinged at the tail.
                juce::Path tail;
                tail.startNewSubPath (cx - stringHalf - 1.5f, tailY - 16);
                tail.lineTo (cx + stringHalf + 1.5f, tailY - 16);
                tail.lineTo (cx + 4.5f, tailY + 1);
                tail.lineTo (cx - 4.5f, tailY + 1);
                tail.closeSubPath();
                g.setColour (juce::Colours::black.withAlpha (0.35f));
                g.fillPath (tail, juce::AffineTransform::translation (0.6f, 0.8f));
                g.setGradientFill (juce::ColourGradient (juce::Colour (0xfff4f4f0), cx - 6, 0,
                                                         juce::Colour (0xff707070), cx + 6, 0, false));
                g.fillPath (tail);
                g.setColour (juce::Colour (0xff505050));
                g.strokePath (tail, juce::PathStrokeType (0.6f));
                g.drawLine (cx, tailY - 14, cx, tailY - 1, 0.7f);
                break;
            }
        }
    }

    void headstock (juce::Graphics& g, const Design& d, float cx, float neckHalf)
    {
        const juce::Colour face (d.headFace);
        juce::Path head;
        float w = neckHalf + 3.0f;
        switch (d.head)
        {
            case Head::solid:
                head.startNewSubPath (cx - neckHalf, nutY);
                head.lineTo (cx - w - 1.5f, headTop + 2);
                head.quadraticTo (cx, headTop - 1, cx + w + 1.5f, headTop + 2);
                head.lineTo (cx + neckHalf, nutY);
                break;
            case Head::gypsy:
                w = neckHalf + 2.0f;
                head.startNewSubPath (cx - neckHalf, nutY);
                head.lineTo (cx - w, headTop + 4);
                head.lineTo (cx - 2.5f, headTop + 4);
                head.lineTo (cx, headTop);
                head.lineTo (cx + 2.5f, headTop + 4);
                head.lineTo (cx + w, headTop + 4);
                head.lineTo (cx + neckHalf, nutY);
                break;
            case Head::slotted:
            case Head::pegs:
                head.startNewSubPath (cx - w, nutY);
                head.lineTo (cx - w, headTop + 3);
                head.quadraticTo (cx, headTop - 2, cx + w, headTop + 3);
                head.lineTo (cx + w, nutY);
                break;
        }
        head.closeSubPath();
        // Tuners first, so the head covers their shafts.
        for (int i = 0; i < 3; ++i)
        {
            const float y = headTop + 7.0f + i * 7.5f;
            for (float s : {-1.0f, 1.0f})
            {
                // Solid heads taper towards the nut: the tuners follow the edge.
                const float taper = (y - headTop) / (nutY - headTop);
                const float halfAt = d.head == Head::solid   ? (w + 1.5f) + (neckHalf - w - 1.5f) * taper
                                     : d.head == Head::gypsy ? w + (neckHalf - w) * taper
                                                             : w;
                const float edge = cx + s * (halfAt - 0.5f);
                if (d.head == Head::pegs)
                {
                    g.setColour (juce::Colour (0xff2a140a));
                    g.fillRect (s > 0 ? edge : edge - 4, y - 0.8f, 4.0f, 1.6f);
                    g.fillEllipse (s > 0 ? edge + 3 : edge - 7, y - 2.2f, 4.0f, 4.4f);
                }
                else
                {
                    const bool pearl = d.head == Head::slotted;
                    g.setColour (juce::Colour (0xff909090));
                    g.fillRect (s > 0 ? edge : edge - 3, y - 0.7f, 3.0f, 1.4f);
                    const auto knob = juce::Rectangle<float> (3.4f, 4.4f).withCentre ({edge + s * 3.6f, y});
                    g.setGradientFill (juce::ColourGradient (
                        pearl ? juce::Colour (0xfffff8ea) : juce::Colour (0xfff4f4f4), knob.getX(), knob.getY(),
                        pearl ? juce::Colour (0xffc8b89a) : juce::Colour (0xff6a6a6a), knob.getRight(),
                        knob.getBottom(), false));
                    g.fillRoundedRectangle (knob, 1.2f);
                }
            }
        }
        g.setColour (juce::Colours::black.withAlpha (0.4f));
        g.fillPath (head, juce::AffineTransform::translation (0.5f, 0.8f));
        g.setColour (face);
        g.fillPath (head);
        WoodStyle veneer{face.brighter (0.25f), face, juce::Colours::black, 1.6f, 0.3f, 0.25f, true, 0.0f};
        paintWood (g, head, veneer, d.width * 13 + (juce::int64) d.head);
        if (d.head == Head::slotted)
        {
            g.setColour (juce::Colour (0xff0a0604));
            for (float s : {-1.0f, 1.0f})
                g.fillRoundedRectangle (cx + s * 2.6f - 1.3f, headTop + 5, 2.6f, 19.0f, 1.3f);
            g.setColour (juce::Colour (0xfff0e8d8));
            for (int i = 0; i < 3; ++i)
                for (float s : {-1.0f, 1.0f})
                    g.fillRect (cx + s * 2.6f - 1.3f, headTop + 6.5f + i * 7.5f, 2.6f, 1.2f);
        }
        else
        {
            // Post bushings and a small inlaid mark.
            g.setColour (juce::Colour (0xffd8d8d8));
            for (int i = 0; i < 3; ++i)
            {
                const float y = headTop + 7.0f + i * 7.5f, taper = (y - headTop) / (nutY - headTop);
                const float halfAt =
                    d.head == Head::solid ? (w + 1.5f) + (neckHalf - w - 1.5f) * taper : w + (neckHalf - w) * taper;
                for (float s : {-1.0f, 1.0f})
                    g.fillEllipse (cx + s * (halfAt - 2.4f) - 1.0f, y - 1.0f, 2.0f, 2.0f);
            }
            g.setColour (juce::Colour (0xffebb923).withAlpha (0.85f));
            g.fillEllipse (cx - 1.2f, headTop + 4.5f, 2.4f, 2.4f);
        }
        g.setColour (juce::Colours::white.withAlpha (0.18f));
        g.strokePath (head, juce::PathStrokeType (0.6f));
    }
} // namespace

juce::Image paintGuitar (int index)
{
    const Design& d = designs[index];
    auto image = blankImage (d.width, 200);
    juce::Graphics g (image);
    const float cx = d.width * 0.5f;
    const float y0 = tailY - d.bodyLength;
    const float neckHalf = d.nylon ? 4.6f : 4.0f, neckHalfAtBody = neckHalf + 1.0f;

    const auto body = bodyOutline (d, cx);
    // Sides and binding: the outline a little larger, in the binding colour, with the
    // sides' wood showing beyond it at the tail.
    g.setColour (juce::Colour (d.sides));
    g.fillPath (body, juce::AffineTransform::scale (1.0f, 1.0f, cx, y0).translated (0.0f, 0.8f));
    g.setColour (juce::Colour (d.binding));
    g.strokePath (body, juce::PathStrokeType (2.2f));
    WoodStyle topWood{juce::Colour (d.top.light),
                      juce::Colour (d.top.dark),
                      juce::Colour (d.top.grain),
                      1.9f,
                      0.5f,
                      0.28f,
                      true,
                      d.top.figure};
    if (d.top.figure > 0)
    {
        topWood.grainSpacing = 2.6f;
        topWood.vertical = true;
    }
    paintWood (g, body, topWood, index * 101 + 5);
    if (d.top.figure > 0)
    {
        // Flame across the grain: draw it as horizontal bands within the body.
        juce::Graphics::ScopedSaveState save (g);
        g.reduceClipRegion (body);
        juce::Random random (index * 17 + 3);
        for (float y = y0; y < tailY; y += 2.0f + random.nextFloat() * 2.5f)
        {
            juce::Path band;
            const float tilt = 2.0f + random.nextFloat() * 3.0f;
            band.addQuadrilateral (0, y, (float) d.width, y + tilt, (float) d.width, y + tilt + 1.2f, 0, y + 1.2f);
            g.setColour (juce::Colour (0xff7a4408).withAlpha (0.1f + 0.12f * random.nextFloat()));
            g.fillPath (band);
        }
    }
    shadeBody (g, body, d);
    g.setColour (juce::Colour (d.binding));
    g.strokePath (body, juce::PathStrokeType (1.2f));
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.strokePath (body, juce::PathStrokeType (0.5f),
                  juce::AffineTransform::scale (1.012f, 1.005f, cx, tailY - d.bodyLength * 0.5f));

    guard (g, d, cx, y0, index * 31 + 7);
    rosetteAndHole (g, d, cx, y0);

    // The neck and fingerboard run from the nut onto the top, to the hole's edge.
    const float boardEnd = d.ovalHole ? y0 + d.bodyLength * 0.34f - 7.5f
                                      : y0 + d.bodyLength * 0.32f - (d.width * 0.5f - 1.5f) * d.upper * 0.42f - 1.0f;
    juce::Path neck;
    neck.addQuadrilateral (cx - neckHalf, nutY, cx + neckHalf, nutY, cx + neckHalfAtBody, boardEnd, cx - neckHalfAtBody,
                           boardEnd);
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.fillPath (neck, juce::AffineTransform::translation (0.6f, 0.8f));
    g.setColour (juce::Colour (d.board));
    g.fillPath (neck);
    {
        WoodStyle boardWood{juce::Colour (d.board).brighter (0.3f),
                            juce::Colour (d.board),
                            juce::Colours::black,
                            1.2f,
                            0.2f,
                            0.3f,
                            true,
                            0.0f};
        paintWood (g, neck, boardWood, index * 7 + 1);
    }
    // Frets, closer together towards the body.
    const float scale = (tailY - d.bodyLength * 0.24f - nutY) * 1.55f;
    for (int f = 1; f < 22; ++f)
    {
        const float y = nutY + scale * (1.0f - std::pow (2.0f, -f / 12.0f));
        if (y > boardEnd - 1)
            break;
        const float halfAt = neckHalf + (neckHalfAtBody - neckHalf) * (y - nutY) / (boardEnd - nutY);
        g.setColour (juce::Colour (0xffd8d8d0));
        g.fillRect (cx - halfAt, y - 0.35f, 2 * halfAt, 0.7f);
        if (! d.nylon && (f == 3 || f == 5 || f == 7 || f == 9 || f == 12 || f == 15))
        {
            const float prev = nutY + scale * (1.0f - std::pow (2.0f, -(f - 1) / 12.0f));
            g.setColour (juce::Colour (0xfff4f0e8));
            const float my = (y + prev) * 0.5f;
            if (f == 12)
            {
                g.fillEllipse (cx - 2.6f, my - 0.8f, 1.6f, 1.6f);
                g.fillEllipse (cx + 1.0f, my - 0.8f, 1.6f, 1.6f);
            }
            else
                g.fillEllipse (cx - 0.8f, my - 0.8f, 1.6f, 1.6f);
        }
    }
    g.setColour (juce::Colour (0xfffffbee));
    g.fillRect (cx - neckHalf - 0.5f, nutY - 1.2f, 2 * neckHalf + 1, 1.5f);

    headstock (g, d, cx, neckHalf);

    const float stringHalfAtNut = neckHalf - 1.0f, stringHalfAtBridge = neckHalf + (d.nylon ? 2.6f : 2.0f);
    bridge (g, d, cx, y0, stringHalfAtBridge);

    // Strings, nut to saddle (to the tailpiece on the gypsy).
    const float end = d.bridge == Bridge::floating ? tailY - 15.0f : y0 + d.bodyLength * 0.76f;
    for (int s = 0; s < 6; ++s)
    {
        const float t = s / 5.0f - 0.5f;
        const float x0 = cx + 2 * t * stringHalfAtNut, x1 = cx + 2 * t * stringHalfAtBridge;
        const bool wound = s < 3;
        const juce::Colour colour = d.nylon ? (wound ? juce::Colour (0xffe8e8e8) : juce::Colour (0xfff8f2e0))
                                            : (wound ? juce::Colour (0xffe8cc98) : juce::Colour (0xfff0f0f0));
        g.setColour (juce::Colours::black.withAlpha (0.22f));
        g.drawLine (x0 + 0.6f, nutY, x1 + 0.6f, end, 0.55f);
        g.setColour (colour.withAlpha (0.92f));
        g.drawLine (x0, nutY, x1, end, wound ? 0.6f : 0.45f);
    }
    return image;
}

juce::Image paintAboutPicture()
{
    // The classical guitar laid diagonally over a warm gold disc, with its soft shadow.
    auto image = blankImage (88, 83);
    juce::Graphics g (image);
    const juce::Rectangle<float> disc (8.0f, 5.0f, 72.0f, 72.0f);
    juce::ColourGradient glow (juce::Colour (0xfffff3c8), disc.getCentreX() - 10, disc.getCentreY() - 12,
                               juce::Colour (0xffd9a23a), disc.getRight(), disc.getBottom(), true);
    g.setGradientFill (glow);
    g.fillEllipse (disc);
    g.setColour (juce::Colour (0xff8f6b12));
    g.drawEllipse (disc.reduced (0.5f), 1.0f);
    const auto guitar = paintGuitar (0);
    const auto place = juce::AffineTransform::translation (-guitar.getWidth() * 0.5f, -100.0f)
                           .rotated (0.72f)
                           .scaled (0.41f)
                           .translated (44.0f, 41.0f);
    g.setColour (juce::Colours::black.withAlpha (0.3f));
    g.drawImageTransformed (guitar.convertedToFormat (juce::Image::SingleChannel), place.translated (2.0f, 3.0f), true);
    g.setOpacity (1.0f);
    g.drawImageTransformed (guitar, place, false);
    return image;
}

} // namespace tovalin::artwork
