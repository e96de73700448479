#pragma once

#include "editor/mappings/MidiLearnPanel.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class ActionMapper2;

/** The overlay that follows MIDI learn after a right click on a widget: it dims the
    editor and hosts the MidiLearnPanel, which tells the user what to do, asks about a
    source already mapped and confirms the mapping. A click on the dimmed area cancels
    the learn and hides it; so does the panel's Cancel. Message thread. */
class MidiLearnPopup : public juce::Component, private juce::Timer, private juce::ChangeListener
{
public:
    explicit MidiLearnPopup (ActionMapper2& mapper);
    ~MidiLearnPopup() override;

    /** Called after the mapper's startLearn, or after its mapDirect to directId (the
        mapper remembers only learnt ids, so the confirmation names directId itself). */
    void startLearning (int directId = -1);
    /** Cancels any learn and hides the overlay. */
    void close();

    bool isLearning() const noexcept { return panel.isLearning(); }
    juce::String getMessage() const { return panel.getMessage(); }
    MidiLearnPanel& getPanel() noexcept { return panel; }
    float getDimLevel() const noexcept { return dim; }

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void parentSizeChanged() override;

private:
    void timerCallback() override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override;

    ActionMapper2& mapper;
    MidiLearnPanel panel;
    float dim = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiLearnPopup)
};

} // namespace tovalin
