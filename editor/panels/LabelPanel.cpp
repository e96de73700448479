#include "LabelPanel.h"

#include "editor/look/BasicLookAndFeel.h"

namespace tovalin
{
LabelPanel::LabelPanel (const juce::String& titleText, const juce::String& text) : title (titleText)
{
    message.setText (text, juce::dontSendNotification);
    message.setFont (juce::Font (14.0f));
    message.setJustificationType (juce::Justification::centred);
    message.setColour (juce::Label::textColourId, juce::Colours::black);
    message.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    message.setEditable (false);
    addAndMakeVisible (message);
    setSize (500, 120);
}

void LabelPanel::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));
    BasicLookAndFeel::drawTitleBand (g, getWidth(), title);
}

void LabelPanel::resized()
{
    message.setBounds (getLocalBounds().withTrimmedTop (40).reduced (15, 0).withTrimmedBottom (15));
}

} // namespace tovalin
