#include "AboutPanel.h"

#include "editor/look/BasicLookAndFeel.h"

#include <TovalinImages.h>

namespace tovalin
{
namespace
{
    void setUpLabel (juce::Label& label, const juce::String& text, float height, juce::Justification justification)
    {
        label.setText (text, juce::dontSendNotification);
        label.setFont (juce::Font (height));
        label.setJustificationType (justification);
        label.setColour (juce::Label::textColourId, juce::Colours::black);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        label.setEditable (false);
    }
} // namespace

AboutPanel::AboutPanel()
    : picture (juce::ImageCache::getFromMemory (TovalinImages::aboutpicture_png, TovalinImages::aboutpicture_pngSize)),
      link ("www.marvesk.com", juce::URL ("https://marvesk.com"))
{
    setUpLabel (maker, juce::CharPointer_UTF8 ("Tovalin acoustic guitar \xc2\xa9 2008-2025 Marvesk"), 13.0f,
                juce::Justification::centredLeft);
    setUpLabel (version, "1.3", 15.0f, juce::Justification::centred);
    setUpLabel (trademark, "ASIO is a trademark of Steinberg Media Technologies GmbH.", 11.0f,
                juce::Justification::centredLeft);
    link.setFont (juce::Font (13.0f), false, juce::Justification::centred);
    link.setColour (juce::HyperlinkButton::textColourId, BasicLookAndFeel::Colours::buttonTop);

    maker.setBounds (168, 24, 392, 56);
    version.setBounds (37, 157, 96, 24);
    link.setBounds (168, 60, 150, 24);
    trademark.setBounds (168, 169, 392, 24);
    for (juce::Component* c : {(juce::Component*) &maker, (juce::Component*) &version, (juce::Component*) &link,
                               (juce::Component*) &trademark})
        addAndMakeVisible (c);
    setSize (600, 220);
}

void AboutPanel::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));
    BasicLookAndFeel::drawTitleBand (g, getWidth(), "About Tovalin");
    g.drawImageAt (picture, 35, 50);
}

} // namespace tovalin
