// The velocity curve editor, driven by the mouse; its edits heard through the processor.
#include "editor/views/VelocityEditorComponent.h"
#include "processor/TovalinPlugin.h"
#include "tests/MessagePump.h"
#include "tests/editor/ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tovalin;
using namespace tovalin::test;

namespace
{
using Points = std::map<int, int>;

struct CurveEditor : ::testing::Test
{
    VelocityMapper mapper;
    VelocityEditorComponent editor{mapper};

    CurveEditor() { editor.setSize (132, 112); }

    void setPoints (const Points& points)
    {
        juce::XmlElement e ("Curve");
        for (auto [k, v] : points)
        {
            auto* p = e.createNewChildElement ("VelocityPoint");
            p->setAttribute ("id", k);
            p->setAttribute ("value", v);
        }
        mapper.readPoints (e);
    }

    /** The middle of the cell that reads as (velocity, level), a little inside it. */
    juce::Point<float> at (int velocity, int level) const
    {
        const auto corner = editor.positionOf (velocity, level);
        const auto next = editor.positionOf (velocity + 1, level + 1);
        return {corner.x + 0.4f * (next.x - corner.x), corner.y + 0.4f * (next.y - corner.y)};
    }

    void drag (juce::Point<float> from, juce::Point<float> to)
    {
        editor.mouseDown (mouseAt (editor, from));
        editor.mouseDrag (mouseAt (editor, to));
        editor.mouseUp (mouseAt (editor, to, 1, {}));
    }

    void doubleClick (juce::Point<float> p)
    {
        click (editor, p);
        editor.mouseDown (mouseAt (editor, p, 2));
        editor.mouseUp (mouseAt (editor, p, 2, {}));
        editor.mouseDoubleClick (mouseAt (editor, p, 2, {}));
    }
};
} // namespace

TEST_F (CurveEditor, AClickInsideAddsAPointTheMarginNothing)
{
    struct Case
    {
        int width, height;
        int x, y; // pixels from the plot's edges: 0 is on the margin line
        bool fromRight, fromBottom;
        bool adds;
    };
    const Case cases[] = {
        {132, 112, 0, 40, false, false, false},  // on the left margin
        {132, 112, -3, 40, false, false, false}, // beyond it
        {132, 112, 40, 0, false, false, false},  // on the top margin
        {132, 112, 40, 0, false, true, false},   // on the bottom margin
        {132, 112, 0, 40, true, false, false},   // on the right margin
        {132, 112, 1, 40, false, false, true},   // one pixel in
        {132, 112, 1, 1, true, true, true},
        {600, 480, 1, 200, false, false, true}, // at the default size one pixel in is velocity 0
    };
    for (const auto& c : cases)
    {
        editor.setSize (c.width, c.height);
        setPoints ({{127, 127}});
        const int inset = editor.getPlotInset();
        const juce::Point<float> where ((float) (c.fromRight ? c.width - inset - c.x : inset + c.x),
                                        (float) (c.fromBottom ? c.height - inset - c.y : inset + c.y));
        click (editor, where);
        const auto after = mapper.getPoints();
        ASSERT_EQ (after.size(), c.adds ? 2u : 1u) << where.toString() << " in " << c.width;
        if (c.adds)
        {
            const auto read = editor.curveAt (where);
            EXPECT_EQ (after.count (read.x), 1u);
            EXPECT_EQ (after.at (read.x), read.y);
            if (c.width == 600)
            {
                EXPECT_EQ (read.x, 0);
            }
        }
    }
}

TEST_F (CurveEditor, AClickWithinThreeStepsGrabsThePoint)
{
    setPoints ({{0, 0}, {64, 80}, {127, 127}});
    for (int dk : {-4, -3, 0, 3, 4})
        for (int dv : {-4, -3, 0, 3, 4})
        {
            SCOPED_TRACE ("velocity " + std::to_string (dk) + ", level " + std::to_string (dv) + " away");
            setPoints ({{0, 0}, {64, 80}, {127, 127}});
            const bool near = std::abs (dk) <= 3 && std::abs (dv) <= 3;
            editor.mouseDown (mouseAt (editor, at (64 + dk, 80 + dv)));
            EXPECT_EQ (editor.getDraggedVelocity(), near ? 64 : -1);
            // Missed, the click adds a point, except on the point's own velocity, which
            // keeps its level.
            EXPECT_EQ (mapper.getPoints().size(), near || dk == 0 ? 3u : 4u);
            EXPECT_EQ (mapper.getPoints().at (64), 80);
            editor.mouseUp (mouseAt (editor, at (64 + dk, 80 + dv), 1, {}));
            EXPECT_EQ (editor.getDraggedVelocity(), -1);
        }
}

TEST_F (CurveEditor, ADraggedPointStaysBetweenItsNeighbours)
{
    struct Case
    {
        Points start;
        int grab;
        juce::Point<float> to;
        Points expected;
    };
    const float farRight = 400.0f, farLeft = -300.0f, above = -200.0f, below = 400.0f;
    const Case cases[] = {
        {{{0, 0}, {64, 64}, {127, 127}}, 64, {farRight, above}, {{0, 0}, {126, 127}, {127, 127}}},
        {{{0, 0}, {64, 64}, {127, 127}}, 64, {farLeft, below}, {{0, 0}, {1, 0}, {127, 127}}},
        {{{20, 30}, {64, 64}, {127, 127}},
         20,
         {farLeft, 56.0f},
         {{0, editor.curveAt ({0, 56.0f}).y}, {64, 64}, {127, 127}}},
        {{{50, 50}}, 50, {farRight, below}, {{127, 0}}}, // a lone point goes anywhere
        {{{50, 50}}, 50, {farLeft, above}, {{0, 127}}},
    };
    for (const auto& c : cases)
    {
        setPoints (c.start);
        drag (at (c.grab, c.start.at (c.grab)), c.to);
        EXPECT_EQ (mapper.getPoints(), c.expected) << "dragging " << c.grab << " to " << c.to.toString();
    }

    // Dragging onto the neighbour stops one step before it, through every step between.
    setPoints ({{0, 0}, {40, 40}, {60, 90}, {127, 127}});
    editor.mouseDown (mouseAt (editor, at (40, 40)));
    for (int k = 40; k <= 70; ++k)
    {
        editor.mouseDrag (mouseAt (editor, at (k, 40)));
        EXPECT_EQ (editor.getDraggedVelocity(), std::min (k, 59));
    }
    editor.mouseUp (mouseAt (editor, at (70, 40), 1, {}));
    EXPECT_EQ (mapper.getPoints(), (Points{{0, 0}, {59, 40}, {60, 90}, {127, 127}}));
}

TEST_F (CurveEditor, ADoubleClickDeletesAPointButNotTheLast)
{
    setPoints ({{0, 0}, {64, 100}, {127, 127}});
    doubleClick (at (64, 100));
    EXPECT_EQ (mapper.getPoints(), (Points{{0, 0}, {127, 127}}));
    doubleClick (at (0, 0));
    EXPECT_EQ (mapper.getPoints(), (Points{{127, 127}}));
    doubleClick (at (127, 127));
    EXPECT_EQ (mapper.getPoints(), (Points{{127, 127}})) << "the last point stays";

    // On empty ground a double click adds one point (its first click) and deletes nothing.
    setPoints ({{0, 0}, {127, 127}});
    doubleClick (at (30, 90));
    EXPECT_EQ (mapper.getPoints(), (Points{{0, 0}, {30, 90}, {127, 127}}));
}

// The curve is drawn where its points are: along it the picture is dark, away from it not.
TEST_F (CurveEditor, DrawsTheCurveAndRedrawsOnTheMappersMessage)
{
    struct Counting : VelocityEditorComponent
    {
        using VelocityEditorComponent::VelocityEditorComponent;
        void paint (juce::Graphics& g) override
        {
            ++paints;
            VelocityEditorComponent::paint (g);
        }
        int paints = 0;
    };
    Counting view (mapper);
    view.setBounds (0, 0, 132, 112);
    setPoints ({{20, 100}, {90, 10}});
    auto darkAt = [&] (const juce::Image& picture, juce::Point<float> p)
    { return picture.getPixelAt (juce::roundToInt (p.x), juce::roundToInt (p.y)).getAlpha() > 150; };
    auto picture = render (view);
    EXPECT_TRUE (darkAt (picture, view.positionOf (20, 100)));
    EXPECT_TRUE (darkAt (picture, view.positionOf (55, 55)));  // on the line between
    EXPECT_TRUE (darkAt (picture, view.positionOf (0, 100)));  // flat from the left edge
    EXPECT_TRUE (darkAt (picture, view.positionOf (120, 10))); // flat to the right edge
    EXPECT_FALSE (darkAt (picture, view.positionOf (55, 100)));
    EXPECT_FALSE (darkAt (picture, view.positionOf (10, 20)));
    keepForViewing (renderOnBackground (view, {568, 166}), "velocity-curve.png", 4);

    // The mapper broadcasts (a preset load): the view asks to be painted again, untouched.
    juce::Component window;
    window.setBounds (0, 0, 132, 112);
    window.addAndMakeVisible (view);
    window.addToDesktop (0);
    window.setVisible (true);
    dispatchMessagesUntil ([&] { return view.paints > 0; }, 1000);
    dispatchMessagesUntil ([] { return false; }, 100);
    const int before = view.paints;
    setPoints ({{0, 127}, {127, 0}});
    EXPECT_TRUE (dispatchMessagesUntil ([&] { return view.paints > before; }, 2000)) << "no redraw";
    picture = render (view);
    EXPECT_TRUE (darkAt (picture, view.positionOf (64, 63)));
    EXPECT_FALSE (darkAt (picture, view.positionOf (20, 100)));
    window.removeFromDesktop();
}

// Softening the curve's top through the editor makes the same key velocity pluck softer.
TEST (CurveEditorAndSound, TheEditedCurveChangesThePluck)
{
    constexpr double rate = 44100.0;
    constexpr int block = 256;
    TovalinPlugin plugin;
    plugin.setPlayConfigDetails (0, 2, rate, block);
    plugin.prepareToPlay (rate, block);
    VelocityEditorComponent editor (plugin.getVelocityMapper());
    editor.setSize (132, 112);

    auto rms = [&] (int velocity)
    {
        juce::AudioBuffer<float> buffer (2, block);
        double sum = 0.0;
        int count = 0;
        for (int done = 0; done < (int) (3.0 * rate); done += block)
        {
            juce::MidiBuffer midi;
            if (done == 0)
                midi.addEvent (juce::MidiMessage::noteOn (3, 57, (juce::uint8) velocity), 0); // open A
            if (done == (int) (0.5 * rate) / block * block)
                midi.addEvent (juce::MidiMessage::noteOff (3, 57), 0);
            {
                const juce::ScopedLock sl (plugin.getCallbackLock());
                plugin.processBlock (buffer, midi);
            }
            if (done < (int) (0.4 * rate))
                for (int i = 0; i < block; ++i, ++count)
                    sum += (double) buffer.getSample (0, i) * buffer.getSample (0, i);
            plugin.finishPendingWork();
        }
        return std::sqrt (sum / count);
    };
    rms (100); // the first note after the start
    const double before = rms (100);
    ASSERT_GT (before, 1e-4);

    // Grab the top point and pull it down to a tenth of the excitation range.
    const auto top = editor.positionOf (127, 127);
    editor.mouseDown (mouseAt (editor, top));
    editor.mouseDrag (mouseAt (editor, editor.positionOf (127, 12) + juce::Point<float> (0.3f, -0.3f)));
    editor.mouseUp (mouseAt (editor, editor.positionOf (127, 12), 1, {}));
    ASSERT_EQ (plugin.getVelocityMapper().getPoints(), (std::map<int, int>{{0, 0}, {127, 12}}));

    const double after = rms (100);
    const double db = 20.0 * std::log10 (after / before);
    std::cout << "velocity 100 before and after the edit: " << before << ", " << after << " (" << db << " dB)\n";
    EXPECT_LT (db, -6.0);
    EXPECT_GT (after, 0.0);

    // And pulling it back restores the level.
    editor.mouseDown (mouseAt (editor, editor.positionOf (127, 12)));
    editor.mouseDrag (mouseAt (editor, editor.positionOf (127, 127) + juce::Point<float> (0.3f, -0.3f)));
    editor.mouseUp (mouseAt (editor, top, 1, {}));
    EXPECT_NEAR (20.0 * std::log10 (rms (100) / before), 0.0, 0.5);
    plugin.releaseResources();
}
