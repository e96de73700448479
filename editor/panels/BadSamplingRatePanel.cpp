#include "BadSamplingRatePanel.h"

namespace tovalin
{
juce::String BadSamplingRatePanel::messageFor (double rate)
{
    return "Your current sampling rate (" + juce::String::formatted ("%.9g", rate) +
           ") is not supported by Tovalin. Sound and user interface have been disabled. Please choose another "
           "sampling rate in your host application in order to use Tovalin.";
}

BadSamplingRatePanel::BadSamplingRatePanel (double rate, std::function<void()> openSetup)
    : openAudioSetup (std::move (openSetup))
{
    message.setText (messageFor (rate), juce::dontSendNotification);
    message.setFont (juce::Font (14.0f));
    message.setJustificationType (juce::Justification::centred);
    message.setColour (juce::Label::textColourId, juce::Colours::black);
    message.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    message.setEditable (false);
    addAndMakeVisible (message);
    if (openAudioSetup)
    {
        audioSetup = std::make_unique<juce::TextButton> ("Audio setup");
        // Posted: the handler replaces (deletes) this panel, and with it the button.
        audioSetup->onClick = [call = openAudioSetup] { juce::MessageManager::callAsync (call); };
        addAndMakeVisible (*audioSetup);
    }
    setSize (400, openAudioSetup ? 150 : 120);
}

void BadSamplingRatePanel::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));
}

void BadSamplingRatePanel::resized()
{
    if (audioSetup != nullptr)
    {
        message.setBounds (15, 15, getWidth() - 30, getHeight() - 15 - 45);
        audioSetup->setBounds ((getWidth() - 120) / 2, getHeight() - 39, 120, 24);
    }
    else
        message.setBounds (getLocalBounds().reduced (15));
}

} // namespace tovalin
