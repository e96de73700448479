#include "MiscPopup.h"

namespace tovalin
{
MiscPopup::MiscPopup()
{
    setVisible (false);
    setWantsKeyboardFocus (false);
}

MiscPopup::~MiscPopup() { stopTimer(); }

void MiscPopup::showPanel (std::unique_ptr<juce::Component> newPanel, bool fadeIn, bool closesOnClick)
{
    {
        const juce::ScopedLock sl (panelLock);
        if (panel != nullptr)
            removeChildComponent (panel.get());
        panel = std::move (newPanel);
        if (panel != nullptr)
            addAndMakeVisible (*panel);
        closeOnClick = closesOnClick;
    }
    if (fadeIn)
    {
        dim = 0.0f;
        startTimer (50);
    }
    else
    {
        dim = targetDim;
        stopTimer();
    }
    resized();
    repaint();
    setVisible (true);
    toFront (false);
}

void MiscPopup::closePanel()
{
    stopTimer();
    setVisible (false);
    const juce::ScopedLock sl (panelLock);
    panel.reset();
}

void MiscPopup::paint (juce::Graphics& g) { g.fillAll (juce::Colours::black.withAlpha (dim)); }

void MiscPopup::resized()
{
    const juce::ScopedLock sl (panelLock);
    if (panel != nullptr)
        panel->setCentrePosition (getLocalBounds().getCentre());
}

void MiscPopup::mouseDown (const juce::MouseEvent& e)
{
    // Only clicks on the dimmed area itself reach here: the panel takes its own.
    if (e.eventComponent == this && closeOnClick)
        closePanel();
}

void MiscPopup::parentSizeChanged()
{
    if (auto* parent = getParentComponent())
        setBounds (parent->getLocalBounds());
}

void MiscPopup::timerCallback()
{
    dim = juce::jmin (targetDim, dim + fadeStep);
    repaint();
    if (dim >= targetDim)
        stopTimer();
}

} // namespace tovalin
