#include "EditorTestSupport.h"

#include "editor/look/HouseLooks.h"

#include <TovalinImages.h>
#include <gtest/gtest.h>

using namespace tovalin;
using namespace tovalin::test;
using C = BasicLookAndFeel::Colours;

namespace
{
struct Look : ::testing::Test
{
    void SetUp() override { GeneralLookAndFeel::installAsDefault(); }
};

/** The embedded typeface's record for a style (0 plain, 1 bold), read straight from the resource. */
juce::Typeface::Ptr embeddedTypeface (int style)
{
    juce::MemoryInputStream in (TovalinImages::typeface_bin, (size_t) TovalinImages::typeface_binSize, false);
    juce::MemoryBlock record;
    for (int i = 0; i <= style; ++i)
    {
        const int count = in.readInt();
        record.reset();
        in.readIntoMemoryBlock (record, count);
    }
    juce::MemoryInputStream recordIn (record, false);
    auto* typeface = new juce::CustomTypeface (recordIn);
    typeface->setCharacteristics ("Expected " + juce::String (style), typeface->getAscent(), style == 1, false, 0);
    return juce::Typeface::Ptr (typeface);
}

juce::Image drawText (const juce::Font& font, const juce::String& text = "Tovalin AV 1.3")
{
    juce::Image image (juce::Image::ARGB, 160, 30, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    g.setColour (juce::Colours::black);
    g.setFont (font);
    g.drawText (text, 0, 0, 160, 30, juce::Justification::centredLeft, false);
    return image;
}

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    int n = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            n += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
    return n;
}

juce::Colour overWhite (juce::Colour c) { return juce::Colours::white.overlaidWith (c); }
} // namespace

TEST_F (Look, AKnobHasAGoldRingAGoldValueArcAndABlackNeedle)
{
    juce::Slider knob (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    knob.setRange (0.0, 1.0);
    knob.setValue (0.5); // the needle points straight up
    knob.setSize (59, 41);
    const auto image = render (knob);
    const float cx = 29.5f, cy = 20.5f, R = 18.0f;
    auto at = [&] (float angle, float radius)
    { return image.getPixelAt ((int) (cx + radius * std::sin (angle)), (int) (cy - radius * std::cos (angle))); };
    const float left = -juce::MathConstants<float>::halfPi, right = juce::MathConstants<float>::halfPi;
    EXPECT_LE (colourDistance (at (left, 0.55f * R), C::gold), 8) << "the value arc, full gold, up to the value";
    EXPECT_LE (colourDistance (at (right, 0.55f * R), overWhite (C::gold.withAlpha (0.5f))), 8)
        << "beyond the value only the half-gold ring";
    EXPECT_LE (colourDistance (at (left, 0.9f * R), overWhite (C::gold.withAlpha (0.5f))), 8)
        << "the outer ring is half gold";
    EXPECT_EQ (at (juce::MathConstants<float>::pi, 0.6f * R), juce::Colours::white) << "the gap at the bottom";
    EXPECT_LT (at (0.0f, 0.3f * R).getBrightness(), 0.2f) << "the needle points up";
    EXPECT_LT (at (0.0f, 0.0f).getBrightness(), 0.2f) << "its hub";
    EXPECT_GT (at (juce::MathConstants<float>::pi, 0.3f * R).getBrightness(), 0.8f) << "no needle downwards";
}

TEST_F (Look, ALinearSliderHasADarkGreenTrackAndAGoldNeedle)
{
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.25);
    slider.setSize (54, 16); // r = 7: a 2.8-pixel bar, a hub of radius 3.78
    const auto image = render (slider);
    const int thumb = (int) slider.getPositionOfValue (0.25);
    const int far = (int) slider.getPositionOfValue (0.9);
    EXPECT_LE (colourDistance (image.getPixelAt (far, 5), C::darkGreen), 8) << "the track";
    EXPECT_LE (colourDistance (image.getPixelAt (far, 6), C::darkGreen), 8) << "the track";
    EXPECT_EQ (image.getPixelAt (far, 2), juce::Colours::white) << "above the track";
    EXPECT_EQ (image.getPixelAt (far, 10), juce::Colours::white) << "below the track";
    const auto needle = BasicLookAndFeel::thumbBaseColour (slider);
    EXPECT_LE (colourDistance (image.getPixelAt (thumb, 4), needle), 8) << "the hub";
    EXPECT_LE (colourDistance (image.getPixelAt (thumb, 11), needle), 12) << "the needle points down";
    EXPECT_LE (colourDistance (needle, C::gold), 30);
}

TEST_F (Look, ALitLightFillsItsLowerRightQuarter)
{
    EditorFixture f;
    auto& light = f.control<MidiAutomatableThreeWayLED> (ParameterIds::TogglePalm);
    f.processor.setParameterNotifyingHost (ParameterIds::TogglePalm, 1.0f);
    dispatchPendingMessages();
    auto image = render (light);
    EXPECT_EQ (image.getPixelAt (12, 12), juce::Colour (MidiAutomatableThreeWayLED::onColour));
    EXPECT_EQ (image.getPixelAt (4, 4), juce::Colours::white);
    EXPECT_EQ (image.getPixelAt (12, 4), juce::Colours::white);
    click (light, {12.0f, 12.0f});
    dispatchPendingMessages();
    EXPECT_EQ (render (light).getPixelAt (12, 12), juce::Colour (MidiAutomatableThreeWayLED::forcedColour));
    f.processor.setParameterNotifyingHost (ParameterIds::TogglePalm, 0.0f);
    dispatchPendingMessages();
    EXPECT_EQ (render (light).getPixelAt (12, 12), juce::Colour (MidiAutomatableThreeWayLED::offColour));
}

TEST_F (Look, TheTitleBandRunsFromTanToLightTan)
{
    juce::Image image (juce::Image::ARGB, 200, 40, true);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        BasicLookAndFeel::drawTitleBand (g, 200, {});
    }
    EXPECT_LE (colourDistance (image.getPixelAt (100, 5), C::tan), 2);
    EXPECT_LE (colourDistance (image.getPixelAt (100, 15), C::tan), 2);
    EXPECT_LE (colourDistance (image.getPixelAt (100, 29), C::lightTan), 8);
    const auto middle = image.getPixelAt (100, 22);
    EXPECT_GT (middle.getGreen(), C::tan.getGreen());
    EXPECT_LT (middle.getGreen(), C::lightTan.getGreen());
    EXPECT_EQ (image.getPixelAt (100, 32), juce::Colours::white) << "30 pixels high";
}

TEST_F (Look, TextIsDrawnWithTheEmbeddedTypefaceAndArialWithJucesOwn)
{
    const auto plain = drawText (juce::Font (16.0f));
    EXPECT_EQ (differingPixels (plain, drawText (juce::Font (embeddedTypeface (0)).withHeight (16.0f))), 0);
    const auto bold = drawText (juce::Font (16.0f, juce::Font::bold));
    EXPECT_EQ (differingPixels (bold, drawText (juce::Font (embeddedTypeface (1)).withHeight (16.0f))), 0);
    EXPECT_GT (differingPixels (plain, bold), 50);
    EXPECT_EQ (differingPixels (
                   drawText (juce::Font (16.0f, juce::Font::underlined)),
                   drawText (juce::Font (embeddedTypeface (0)).withHeight (16.0f).withStyle (juce::Font::underlined))),
               0)
        << "underlined text uses the plain set";

    juce::Font arial ("Arial", 16.0f, juce::Font::plain);
    const auto expected = drawText (juce::Font (juce::Font::getDefaultTypefaceForFont (arial)).withHeight (16.0f));
    EXPECT_EQ (differingPixels (drawText (arial), expected), 0);
    EXPECT_GT (differingPixels (drawText (arial), plain), 50);
}

TEST_F (Look, TextButtonsAreBrownGradientsPressedOrNot)
{
    juce::TextButton button ("OK");
    button.setSize (80, 30);
    const auto idle = render (button);
    EXPECT_LE (colourDistance (idle.getPixelAt (40, 1), C::buttonTop), 12);
    EXPECT_LE (colourDistance (idle.getPixelAt (40, 28), C::buttonBottom), 12);
    button.setState (juce::Button::buttonDown);
    EXPECT_EQ (differingPixels (idle, render (button)), 0);
}
