#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin::panelStyle
{
/** The house colours the panels draw with themselves (the look draws the rest). */
inline const juce::Colour tan{0xffe9c384};
inline const juce::Colour lightTan{0xfffee5ba};
inline const juce::Colour paleYellow{0xfffdefb5};
inline const juce::Colour darkGreen{juce::Colour::fromRGB (30, 88, 48)};
inline const juce::Colour buttonBrown{0xff6f2001};
inline const juce::Colour rowTint{0xfffff7e8};

/** The 30-pixel tan band across the top of a panel, with an optional bold title. */
inline void paintTitleBand (juce::Graphics& g, int width, const juce::String& title)
{
    g.setGradientFill (juce::ColourGradient::vertical (tan, 15.0f, lightTan, 29.0f));
    g.fillRect (0, 0, width, 30);
    if (title.isNotEmpty())
    {
        g.setColour (juce::Colours::black);
        g.setFont (juce::Font (15.0f, juce::Font::bold));
        g.drawText (title, 8, 8, width, 18, juce::Justification::centredLeft, true);
    }
}

/** A page's or panel's heading: black, bold, at 8, 8 in a 200 x 18 box. */
inline void paintHeading (juce::Graphics& g, const juce::String& text)
{
    g.setColour (juce::Colours::black);
    g.setFont (juce::Font (15.0f, juce::Font::bold));
    g.drawText (text, 8, 8, 200, 18, juce::Justification::centredLeft, true);
}

/** Brown text buttons with pale yellow lettering, whatever look is installed. */
inline void styleTextButton (juce::TextButton& b)
{
    b.setColour (juce::TextButton::buttonColourId, buttonBrown);
    b.setColour (juce::TextButton::buttonOnColourId, buttonBrown);
    b.setColour (juce::TextButton::textColourOffId, paleYellow);
    b.setColour (juce::TextButton::textColourOnId, paleYellow);
}

/** A black, transparent, read-only label of font height 13. */
inline void styleLabel (juce::Label& l, juce::Justification justification = juce::Justification::centredLeft)
{
    l.setFont (juce::Font (13.0f));
    l.setJustificationType (justification);
    l.setEditable (false, false, false);
    l.setColour (juce::Label::textColourId, juce::Colours::black);
    l.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
}
} // namespace tovalin::panelStyle
