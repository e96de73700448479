// The guitar chooser: its turns, its messages to the editor and its pictures.
#include "editor/views/GuitarFlowComponent.h"
#include "tests/MessagePump.h"
#include "tests/editor/ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

using namespace tovalin;
using namespace tovalin::test;

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;
constexpr float twoPi = juce::MathConstants<float>::twoPi;

struct Messages : juce::ChangeListener
{
    explicit Messages (GuitarFlowComponent& c) : chooser (c) { chooser.addChangeListener (this); }
    ~Messages() override { chooser.removeChangeListener (this); }
    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        ++count;
        lastName = chooser.getSelectedName();
    }
    GuitarFlowComponent& chooser;
    int count = 0;
    juce::String lastName;
};

struct Chooser : ::testing::Test
{
    std::unique_ptr<GuitarFlowComponent> chooser;

    void open (const juce::String& guitar, int width = 143, int height = 300)
    {
        chooser = std::make_unique<GuitarFlowComponent> (guitar);
        chooser->setBounds (0, 0, width, height);
        settle();
    }

    void settle()
    {
        ASSERT_TRUE (dispatchMessagesUntil ([&] { return ! chooser->isTurning(); }, 2000));
    }

    /** The user clicks a button (the button's own click path, as a mouse click takes). */
    void press (juce::Button& b)
    {
        b.triggerClick();
        dispatchPendingMessages();
    }

    /** Angle distance, the short way. */
    static float apart (float a, float b) { return std::abs (std::remainder (a - b, twoPi)); }

    /** Follows the ring's rotation through a turn, sampling as the messages come. */
    float rotationUntilStill()
    {
        float total = 0.0f, last = chooser->getBaseAngle();
        dispatchMessagesUntil (
            [&]
            {
                const float now = chooser->getBaseAngle();
                total += std::remainder (now - last, twoPi);
                last = now;
                return ! chooser->isTurning();
            },
            2000);
        return total;
    }
};

/** The open menu window, or null. */
juce::Component* openMenu()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isVisible())
            return c;
    return nullptr;
}
} // namespace

TEST_F (Chooser, OpensTurnedToTheCurrentGuitar)
{
    chooser = std::make_unique<GuitarFlowComponent> ("Kelvo's Folk");
    chooser->setBounds (0, 0, 143, 300);
    EXPECT_TRUE (chooser->isTurning()) << "the carousel turns to it when the editor opens";
    settle();
    EXPECT_EQ (chooser->getSelectedName(), "Kelvo's Folk");
    EXPECT_NEAR (chooser->getEntryAngle (3), pi, 1e-4);
    EXPECT_EQ (chooser->getNameLabel().getText(), "Kelvo's Folk\nGuitar");
    EXPECT_EQ (chooser->getNumEntries(), 9);
    keepForViewing (renderOnBackground (*chooser, {0, 0}), "guitar-chooser.png");

    // Layout in the editor's column.
    EXPECT_EQ (chooser->getNameLabel().getBounds(), juce::Rectangle<int> (28, 23, 86, 45));
    EXPECT_EQ (chooser->getPreviousButton().getPosition(), juce::Point<int> (10, 37));
    EXPECT_EQ (chooser->getNextButton().getPosition(), juce::Point<int> (115, 37));
    EXPECT_EQ (chooser->getListButton().getPosition(), juce::Point<int> (115, 57));
}

TEST_F (Chooser, NextFromTheLastTurnsOneSpacingTheShortWay)
{
    open ("Vastro's Gypsy");
    ASSERT_EQ (chooser->getSelectedIndex(), 8);
    Messages messages (*chooser);
    press (chooser->getNextButton());
    EXPECT_EQ (chooser->getSelectedIndex(), 0);
    EXPECT_TRUE (chooser->isTurning());
    const float turned = rotationUntilStill();
    EXPECT_NEAR (std::abs (turned), twoPi / 9, 1e-3) << "one spacing, not back across all guitars";
    EXPECT_NEAR (chooser->getEntryAngle (0), pi, 1e-4);
    dispatchPendingMessages();
    EXPECT_EQ (messages.count, 1);
    EXPECT_EQ (messages.lastName, "Pemra's folk");
    EXPECT_EQ (chooser->getNameLabel().getText(), "Pemra's Folk\nGuitar");

    // And back: previous from the first is the last, the same short way.
    press (chooser->getPreviousButton());
    EXPECT_NEAR (rotationUntilStill(), -turned, 1e-3);
    EXPECT_EQ (chooser->getSelectedName(), "Vastro's Gypsy");
    dispatchPendingMessages();
    EXPECT_EQ (messages.count, 2);
}

TEST_F (Chooser, ASecondClickDuringATurnCarriesOnFromWhereItStands)
{
    open ("Pemra's folk");
    Messages messages (*chooser);
    const float start = chooser->getBaseAngle();
    press (chooser->getNextButton());
    // A few ticks into the turn.
    ASSERT_TRUE (dispatchMessagesUntil ([&] { return apart (chooser->getBaseAngle(), start) > 0.08f; }, 2000));
    ASSERT_TRUE (chooser->isTurning());
    const float midway = chooser->getBaseAngle();
    ASSERT_LT (apart (midway, start), twoPi / 9 - 0.02f) << "the first turn had not ended";

    press (chooser->getNextButton());
    EXPECT_EQ (chooser->getSelectedIndex(), 2);
    EXPECT_NEAR (apart (chooser->getBaseAngle(), midway), 0.0f, 0.05f) << "no jump when the second turn starts";
    const float rest = rotationUntilStill();
    EXPECT_NEAR (std::abs (rest), apart (midway, start + (twoPi / 9) * -2.0f), 0.05f);
    EXPECT_NEAR (chooser->getEntryAngle (2), pi, 1e-4) << "the new guitar ends exactly in front";
    dispatchPendingMessages();
    EXPECT_EQ (messages.count, 2);
}

TEST_F (Chooser, AProcessorRefreshTurnsWithoutAMessage)
{
    open ("Pemra's folk");
    Messages messages (*chooser);

    chooser->selectByName ("Pemra's folk"); // already chosen: nothing
    EXPECT_FALSE (chooser->isTurning());

    chooser->selectByName ("An unknown guitar from an old preset");
    EXPECT_FALSE (chooser->isTurning());
    EXPECT_EQ (chooser->getSelectedName(), "Pemra's folk");

    chooser->selectByName ("Zorbel's Jumbo");
    EXPECT_TRUE (chooser->isTurning());
    settle();
    EXPECT_NEAR (chooser->getEntryAngle (4), pi, 1e-4);
    EXPECT_EQ (chooser->getNameLabel().getText(), "Zorbel's Jumbo\nGuitar");
    dispatchPendingMessages();
    EXPECT_EQ (messages.count, 0) << "a refresh must not be echoed to the host";

    // "Pemra's folk" is matched exactly: the capitalised caption is not a name.
    chooser->selectByName ("Pemra's Folk");
    EXPECT_EQ (chooser->getSelectedIndex(), 4);
}

TEST_F (Chooser, TheFullListChoosesAnyGuitar)
{
    open ("Pemra's folk");
    Messages messages (*chooser);
    juce::Component window;
    window.setBounds (100, 100, 143, 300);
    window.addAndMakeVisible (*chooser);
    window.addToDesktop (0);
    window.setVisible (true);

    auto pressOnMenu = [&] (std::initializer_list<int> keys)
    {
        for (int key : keys)
        {
            juce::Component* menu = nullptr;
            ASSERT_TRUE (dispatchMessagesUntil ([&] { return (menu = openMenu()) != nullptr; }, 2000));
            menu->keyPressed (juce::KeyPress (key));
            dispatchPendingMessages();
        }
    };

    press (chooser->getListButton());
    // Dismissed: nothing happens.
    pressOnMenu ({juce::KeyPress::escapeKey});
    dispatchPendingMessages();
    EXPECT_EQ (messages.count, 0);
    EXPECT_EQ (chooser->getSelectedIndex(), 0);

    press (chooser->getListButton());
    const int down = juce::KeyPress::downKey;
    pressOnMenu ({down, down, down, down, down, down, juce::KeyPress::returnKey}); // the sixth item
    dispatchMessagesUntil ([&] { return messages.count > 0; }, 1000);
    EXPECT_EQ (messages.count, 1);
    EXPECT_EQ (chooser->getSelectedName(), "Talvina's Flamenco");
    window.removeFromDesktop();
}

TEST (ChooserOpacity, FollowsTheAngleRoundTheRing)
{
    struct Case
    {
        float angle, alpha;
    };
    const Case cases[] = {
        {0.0f, 0.0f},
        {pi * 0.5f, 0.0f}, // the far left: invisible
        {pi * 1.5f, 0.0f}, // the far right
        {pi * 0.5f + 0.2f, std::sin (0.2f)},
        {pi * 1.5f - 0.3f, std::sin (pi - 0.3f)},
        {pi, 1.0f},
        {pi - pi * 0.25f + 0.01f, 1.0f}, // within a quarter of pi of the front
        {pi + pi * 0.25f - 0.01f, 1.0f},
        {pi + pi * 0.25f + 0.01f, std::sin (pi * 0.75f + 0.01f)},
        {-pi, 1.0f}, // any angle, wrapped
        {3 * pi, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR (GuitarFlowComponent::opacityAt (c.angle), c.alpha, 1e-5) << "at " << c.angle;
}

// Seen in the picture: a guitar standing exactly at the far right is not drawn; a hair
// nearer the front it shows, faint.
TEST_F (Chooser, AGuitarAtTheSideVanishes)
{
    open ("Pemra's folk", 320, 300);
    const int centre = 160;
    auto maxAlphaRightOf = [&] (const juce::Image& picture, int fromX)
    {
        int most = 0;
        for (int y = 90; y < picture.getHeight(); ++y) // below the name and the buttons
            for (int x = fromX; x < picture.getWidth(); ++x)
                most = std::max (most, (int) picture.getPixelAt (x, y).getAlpha());
        return most;
    };
    // Entry 0 at 3 pi / 2 (45 pixels right of centre); its neighbour 8 stands 40 degrees
    // nearer the front, 34 pixels right. Right of where entry 8 ends only entry 0 can show.
    chooser->setBaseAngle (pi * 1.5f);
    const auto atSide = render (*chooser);
    int edge8 = centre + 34 + 45;
    EXPECT_EQ (maxAlphaRightOf (atSide, edge8), 0);
    chooser->setBaseAngle (pi * 1.5f - 0.08f);
    const int faint = maxAlphaRightOf (render (*chooser), edge8);
    EXPECT_GT (faint, 5);
    EXPECT_LT (faint, 40) << "alpha about sin(0.08)";
}

TEST_F (Chooser, EveryGuitarInFrontIsOpaqueAndLooksItsOwn)
{
    open ("Pemra's folk");
    const int n = chooser->getNumEntries();
    // The middle of the front guitar's body: nothing else is drawn over it.
    const juce::Rectangle<int> body (71 - 14, 171 + 10 + 20, 28, 70);
    std::vector<juce::Image> bodies;
    for (int i = 0; i < n; ++i)
    {
        chooser->setBaseAngle (pi - (float) i * twoPi / (float) n);
        const auto picture = render (*chooser);
        keepForViewing (renderOnBackground (*chooser, {0, 0}), ("guitar-front-" + std::to_string (i) + ".png").c_str(),
                        2);
        int clear = 0;
        for (int y = body.getY(); y < body.getBottom(); ++y)
            for (int x = body.getX(); x < body.getRight(); ++x)
                clear += picture.getPixelAt (x, y).getAlpha() < 255 ? 1 : 0;
        EXPECT_EQ (clear, 0) << chooser->getEntryName (i) << " is not opaque in front";
        bodies.push_back (picture.getClippedImage (body));
    }
    double closest = 1e9;
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b < n; ++b)
        {
            double sum = 0.0;
            for (int y = 0; y < body.getHeight(); ++y)
                for (int x = 0; x < body.getWidth(); ++x)
                {
                    const auto p = bodies[(size_t) a].getPixelAt (x, y), q = bodies[(size_t) b].getPixelAt (x, y);
                    sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen()) +
                           std::abs (p.getBlue() - q.getBlue());
                }
            const double mean = sum / (3.0 * body.getWidth() * body.getHeight());
            closest = std::min (closest, mean);
            EXPECT_GT (mean, 12.0) << chooser->getEntryName (a) << " and " << chooser->getEntryName (b)
                                   << " look alike";
        }
    std::cout << "closest pair of guitars differs by " << closest << " levels on average\n";
}
