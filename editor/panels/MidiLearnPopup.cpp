#include "MidiLearnPopup.h"

#include "performance/ActionMapper2.h"

namespace tovalin
{
MidiLearnPopup::MidiLearnPopup (ActionMapper2& m) : mapper (m), panel (m)
{
    addAndMakeVisible (panel);
    panel.addChangeListener (this);
    setVisible (false);
}

MidiLearnPopup::~MidiLearnPopup()
{
    stopTimer();
    panel.removeChangeListener (this);
}

void MidiLearnPopup::startLearning (int directId)
{
    dim = 0.0f;
    if (directId >= 0)
    {
        panel.cancelLearning(); // nothing to follow: the mapping is made
        panel.setQuestionMode (false);
        panel.setMessage ("Mapped to " + mapper.controllerNames[directId] + ".\n\n" + mapper.learnHelpText());
    }
    else
        panel.startLearning();
    toFront (false);
    startTimer (50);
    setVisible (true);
    repaint();
}

void MidiLearnPopup::close()
{
    stopTimer();
    panel.cancelLearning();
    panel.setQuestionMode (false);
    setVisible (false);
}

void MidiLearnPopup::paint (juce::Graphics& g) { g.fillAll (juce::Colours::black.withAlpha (dim)); }

void MidiLearnPopup::resized() { panel.setCentrePosition (getLocalBounds().getCentre()); }

void MidiLearnPopup::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent == this)
        close();
}

void MidiLearnPopup::parentSizeChanged()
{
    if (auto* parent = getParentComponent())
        setBounds (parent->getLocalBounds());
}

void MidiLearnPopup::timerCallback()
{
    // The dimming grows to half over five ticks; the panel follows the learn itself.
    dim = juce::jmin (0.5f, dim + 0.1f);
    repaint();
    if (dim >= 0.5f)
        stopTimer();
}

void MidiLearnPopup::changeListenerCallback (juce::ChangeBroadcaster*)
{
    if (panel.wantsToClose())
        close();
}

} // namespace tovalin
