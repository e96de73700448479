// The fretboard view, driven by notes played through the processor and read back from
// its rendered pixels.
#include "editor/views/FretboardComponent.h"
#include "editor/views/GuitarFlowComponent.h"
#include "editor/views/VelocityEditorComponent.h"
#include "processor/TovalinPlugin.h"
#include "tests/MessagePump.h"
#include "tests/editor/ViewTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace tovalin;
using namespace tovalin::test;

namespace
{
constexpr double rate = 44100.0;
constexpr int block = 256;

struct Player
{
    TovalinPlugin plugin;

    Player()
    {
        plugin.setPreference ("chordsDetectionDelay", 0);
        plugin.setPlayConfigDetails (0, 2, rate, block);
        plugin.prepareToPlay (rate, block);
    }

    ~Player() { plugin.releaseResources(); }

    /** Plays the events in the first block, then renders on for seconds. */
    void play (const std::vector<juce::MidiMessage>& events, double seconds = 0.3)
    {
        juce::AudioBuffer<float> buffer (2, block);
        for (int done = 0; done < (int) (seconds * rate); done += block)
        {
            juce::MidiBuffer midi;
            if (done == 0)
                for (const auto& m : events)
                    midi.addEvent (m, 0);
            const juce::ScopedLock sl (plugin.getCallbackLock());
            plugin.processBlock (buffer, midi);
        }
        plugin.finishPendingWork();
    }
};

/** Counts the view's change messages and keeps the chord label, as the editor does. */
struct ChordLabel : juce::ChangeListener
{
    explicit ChordLabel (FretboardComponent& f) : fretboard (f) { fretboard.addChangeListener (this); }
    ~ChordLabel() override { fretboard.removeChangeListener (this); }
    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        ++messages;
        label.setText (fretboard.getChordName(), juce::dontSendNotification);
    }
    FretboardComponent& fretboard;
    juce::Label label;
    int messages = 0;
};

bool isDark (juce::Colour c) { return c.getAlpha() > 200 && c.getBrightness() < 0.35f; }

/** The dots seen in the picture: for every string, the frets whose dot centre is dark. */
std::map<int, std::vector<int>> dotsSeen (const juce::Image& picture, float scale)
{
    std::map<int, std::vector<int>> seen;
    const int half = juce::roundToInt (5 * scale);
    for (int s = 0; s < StringCount; ++s)
        for (int j = 0; j < FretboardComponent::FretPositions; ++j)
        {
            const int x = juce::roundToInt ((float) FretboardComponent::DotX[j] * scale) + half;
            const int y = juce::roundToInt ((float) FretboardComponent::DotY[s] * scale) + half;
            if (isDark (picture.getPixelAt (x, y)))
                seen[s].push_back (j);
        }
    return seen;
}

/** Pixels painted (any alpha) outside the dots the fingering names, expanded by a
    pixel or two for the shadow: there must be none. */
int strayPixels (const juce::Image& picture, const Fingering::Published& p, float scale)
{
    juce::RectangleList<int> allowed;
    const int size = juce::roundToInt (10 * scale);
    for (int s = 0; s < StringCount; ++s)
        if (p.fret[s] >= 0)
            allowed.add (juce::Rectangle<int> (juce::roundToInt ((float) FretboardComponent::DotX[p.fret[s]] * scale),
                                               juce::roundToInt ((float) FretboardComponent::DotY[s] * scale), size,
                                               size)
                             .expanded (2));
    int stray = 0;
    for (int y = 0; y < picture.getHeight(); ++y)
        for (int x = 0; x < picture.getWidth(); ++x)
            if (picture.getPixelAt (x, y).getAlpha() > 0 && ! allowed.containsPoint ({x, y}))
                ++stray;
    return stray;
}

/** The three views and the chord label where the editor puts them, over its background:
    to look at. */
juce::Image renderViewsInPlace (TovalinPlugin& plugin, FretboardComponent& fretboard, juce::Label& chord)
{
    struct Background : juce::Component
    {
        void paint (juce::Graphics& g) override
        {
            g.fillAll (juce::Colour (0xffe7be3e));
            g.drawImageAt (
                juce::ImageCache::getFromMemory (TovalinImages::background_png, TovalinImages::background_pngSize), 0,
                0);
        }
    } editor;
    editor.setSize (721, 300);
    GuitarFlowComponent chooser (plugin.getParameterTable().get (0).getText());
    VelocityEditorComponent curve (plugin.getVelocityMapper());
    chooser.setBounds (0, 0, 143, 300);
    curve.setBounds (568, 166, 132, 112);
    fretboard.setBounds (234, 54, 329, 83);
    chord.setBounds (442, 14, 110, 24);
    chord.setFont (juce::Font (15.0f));
    chord.setColour (juce::Label::textColourId, juce::Colours::black);
    chord.setJustificationType (juce::Justification::centredRight);
    for (juce::Component* c : std::initializer_list<juce::Component*>{&chooser, &fretboard, &curve, &chord})
        editor.addAndMakeVisible (c);
    dispatchMessagesUntil ([&] { return ! chooser.isTurning(); }, 2000);
    auto picture = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
    for (juce::Component* c : std::initializer_list<juce::Component*>{&chooser, &fretboard, &curve, &chord})
        editor.removeChildComponent (c);
    return picture;
}

std::map<int, std::vector<int>> expectedDots (const Fingering::Published& p)
{
    std::map<int, std::vector<int>> expected;
    for (int s = 0; s < StringCount; ++s)
        if (p.fret[s] >= 0)
            expected[s].push_back (p.fret[s]);
    return expected;
}
} // namespace

TEST (Fretboard, ShowsADotAtEachSoundingStringsFretAndTheChordName)
{
    struct Case
    {
        const char* what;
        std::vector<juce::MidiMessage> notes;
        std::map<int, std::vector<int>> dots; // string -> fret, when the case fixes them
        const char* chord;
        int sounding; // strings that must sound (a chord: at least this many)
    };
    const Case cases[] = {
        {"nothing played", {}, {}, "", 0},
        {"strings by channel: low G on string 0, A on string 5",
         {juce::MidiMessage::noteOn (2, 55, (juce::uint8) 100), juce::MidiMessage::noteOn (7, 81, (juce::uint8) 100)},
         {{0, {3}}, {5, {5}}},
         "",
         2},
        {"a single note on the keyboard channel", {juce::MidiMessage::noteOn (1, 69, (juce::uint8) 100)}, {}, "", 1},
        {"C major on the keyboard channel",
         {juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100),
          juce::MidiMessage::noteOn (1, 67, (juce::uint8) 100)},
         {},
         "C",
         3},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        Player player;
        FretboardComponent fretboard (player.plugin.getFingering());
        ChordLabel label (fretboard);
        player.play (c.notes, 0.6); // a strum is spread over time: let every string sound

        Fingering::Published now;
        ASSERT_TRUE (player.plugin.getFingering().readPublished (now));
        if (! c.notes.empty())
            ASSERT_TRUE (dispatchMessagesUntil ([&] { return label.messages > 0; }, 2000)) << "no change message";
        else
            dispatchMessagesUntil ([] { return false; }, 60);

        const auto expected = expectedDots (now);
        if (! c.dots.empty())
        {
            EXPECT_EQ (expected, c.dots) << "the transcription placed the channel notes elsewhere";
        }
        int sounding = 0;
        for (int s = 0; s < StringCount; ++s)
            if (now.fret[s] >= 0)
            {
                ++sounding;
                EXPECT_EQ (fretboard.getShownFret (s), now.fret[s]);
            }
        if (c.chord[0] != 0)
        {
            EXPECT_GE (sounding, c.sounding);
        }
        else
        {
            EXPECT_EQ (sounding, c.sounding);
        }
        const auto picture = render (fretboard);
        EXPECT_EQ (dotsSeen (picture, 1.0f), expected);
        EXPECT_EQ (strayPixels (picture, now, 1.0f), 0);
        EXPECT_EQ (label.label.getText(), juce::String (c.chord));
        if (c.chord[0] != 0)
        {
            keepForViewing (renderOnBackground (fretboard, {234, 54}), "fretboard-c-major.png");
            keepForViewing (renderViewsInPlace (player.plugin, fretboard, label.label), "views-in-place.png", 2);
        }
    }
}

TEST (Fretboard, TwoChangesWithinOneTickShowOnlyTheLater)
{
    Player player;
    FretboardComponent fretboard (player.plugin.getFingering());
    ChordLabel label (fretboard);
    // Both land before the view's next poll: string 0 at fret 3, then at fret 7.
    player.play ({juce::MidiMessage::noteOn (2, 55, (juce::uint8) 100)}, 0.01);
    player.play ({juce::MidiMessage::noteOn (2, 59, (juce::uint8) 100)}, 0.01);
    fretboard.poll();
    dispatchPendingMessages();
    EXPECT_EQ (label.messages, 1);
    EXPECT_EQ (dotsSeen (render (fretboard), 1.0f), (std::map<int, std::vector<int>>{{0, {7}}}));

    // A change on one string leaves the others' dots alone.
    player.play ({juce::MidiMessage::noteOn (4, 64, (juce::uint8) 100)}, 0.01); // string 2, fret 2
    fretboard.poll();
    EXPECT_EQ (dotsSeen (render (fretboard), 1.0f), (std::map<int, std::vector<int>>{{0, {7}}, {2, {2}}}));
    // A new fret on a string moves its dot; a released string loses it.
    player.play ({juce::MidiMessage::noteOn (2, 52, (juce::uint8) 100), juce::MidiMessage::noteOff (4, 64)}, 0.01);
    fretboard.poll();
    EXPECT_EQ (dotsSeen (render (fretboard), 1.0f), (std::map<int, std::vector<int>>{{0, {0}}}));
    // Nothing new: nothing is sent.
    dispatchPendingMessages();
    const int before = label.messages;
    fretboard.poll();
    dispatchPendingMessages();
    EXPECT_EQ (label.messages, before);
}

TEST (Fretboard, AtTwiceTheHeightPositionsAndSizesDouble)
{
    Fingering fingering;
    fingering.setStringFromFret (0, 0, StringState::Single);
    fingering.setStringFromFret (2, 7, StringState::Single);
    fingering.setStringFromFret (5, 17, StringState::Single);
    fingering.setStringFromFret (4, 18, StringState::Single); // beyond the neck of string 4: no dot
    FretboardComponent fretboard (fingering);

    auto darkBox = [] (const juce::Image& picture, juce::Rectangle<int> around)
    {
        juce::Rectangle<int> box;
        for (int y = around.getY(); y < around.getBottom(); ++y)
            for (int x = around.getX(); x < around.getRight(); ++x)
                if (picture.getPixelAt (x, y).getAlpha() > 128 && picture.getPixelAt (x, y).getBrightness() < 0.5f)
                    box = box.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : box.getUnion ({x, y, 1, 1});
        return box;
    };

    const auto small = render (fretboard);
    fretboard.setSize (2 * FretboardComponent::ReferenceWidth, 166);
    const auto large = render (fretboard);
    keepForViewing (large, "fretboard-166.png", 1);
    EXPECT_EQ (dotsSeen (small, 1.0f), (std::map<int, std::vector<int>>{{0, {0}}, {2, {7}}, {5, {17}}}));
    EXPECT_EQ (dotsSeen (large, 2.0f), (std::map<int, std::vector<int>>{{0, {0}}, {2, {7}}, {5, {17}}}));

    for (auto [s, j] : {std::pair{0, 0}, std::pair{2, 7}, std::pair{5, 17}})
    {
        SCOPED_TRACE ("string " + std::to_string (s));
        const juce::Point<int> at (FretboardComponent::DotX[j], FretboardComponent::DotY[s]);
        const auto a = darkBox (small, juce::Rectangle<int> (at.x - 3, at.y - 3, 16, 16));
        const auto b = darkBox (large, juce::Rectangle<int> (2 * at.x - 6, 2 * at.y - 6, 32, 32));
        EXPECT_NEAR (a.getWidth(), 10, 1);
        EXPECT_NEAR (b.getWidth(), 20, 2);
        EXPECT_NEAR (b.getHeight(), 20, 2);
        EXPECT_NEAR (b.getCentreX(), 2 * a.getCentreX(), 2);
        EXPECT_NEAR (b.getCentreY(), 2 * a.getCentreY(), 2);
        EXPECT_NEAR (a.getCentreX(), at.x + 5, 1);
        EXPECT_NEAR (a.getCentreY(), at.y + 5, 1);
    }
}

// The dots sit on the strings painted in the editor's background, between its fret wires.
TEST (Fretboard, DotsLieOnThePaintedStringsBetweenTheFrets)
{
    const auto background =
        juce::ImageCache::getFromMemory (TovalinImages::background_png, TovalinImages::background_pngSize);
    const juce::Point<int> view (234, 54);
    auto brightness = [&] (int x, int y) { return background.getPixelAt (view.x + x, view.y + y).getBrightness(); };
    for (int s = 0; s < StringCount; ++s)
    {
        // Along the neck, the row through the dots' centres is a string: darker than the
        // wood three pixels above and below it.
        const int y = FretboardComponent::DotY[s] + FretboardComponent::ReferenceDotSize / 2;
        float onString = 0, beside = 0;
        for (int x = 20; x < 250; ++x)
        {
            onString += std::min (brightness (x, y), brightness (x, y - 1));
            beside += (brightness (x, y - 3) + brightness (x, y + 3)) * 0.5f;
        }
        EXPECT_LT (onString, beside * 0.97f) << "no string painted under the dots of string " << s;
    }
    // Across the neck, a fret wire is a grey column, darker than the maple; the dots'
    // centres are not on one.
    const int between = FretboardComponent::DotY[2] + 11;
    for (int j = 1; j < FretboardComponent::FretPositions; ++j)
    {
        const int x = FretboardComponent::DotX[j] + FretboardComponent::ReferenceDotSize / 2;
        float wire = 1;
        for (int dx = -8; dx <= 8; ++dx)
            wire = std::min (wire, brightness (x + dx, between));
        EXPECT_GT (brightness (x, between), wire + 0.03f) << "fret " << j << " sits on a wire";
    }
}
