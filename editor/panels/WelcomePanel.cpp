#include "WelcomePanel.h"

#include "editor/look/BasicLookAndFeel.h"

namespace tovalin
{
WelcomePanel::WelcomePanel()
{
    text.setText ("To get started,\n\n1. Choose a guitar\n2. Choose the strings to use (steel or nylon).\n\n"
                  "You can also load one of the built-in presets\nto get a glimpse of all the possibilities.\n\n"
                  "We hope that you will enjoy playing Tovalin!",
                  juce::dontSendNotification);
    text.setFont (juce::Font (14.0f));
    text.setJustificationType (juce::Justification::centredLeft);
    text.setColour (juce::Label::textColourId, juce::Colours::black);
    text.setEditable (false);
    addAndMakeVisible (text);
    setSize (400, 210);
}

void WelcomePanel::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));
    BasicLookAndFeel::drawTitleBand (g, getWidth(), "Welcome to Tovalin!");
}

void WelcomePanel::resized() { text.setBounds (50, 40, getWidth() - 100, juce::jmax (0, getHeight() - 82)); }

} // namespace tovalin
