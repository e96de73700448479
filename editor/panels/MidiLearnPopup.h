#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class ActionMapper2;

/** The overlay that follows MIDI learn after a right click on a widget: it dims the
    editor, tells the user what to do, and confirms the mapping. A click on the dimmed
    area cancels the learn and hides it. Message thread. */
class MidiLearnPopup : public juce::Component, private juce::Timer
{
public:
    explicit MidiLearnPopup (ActionMapper2& mapper);
    ~MidiLearnPopup() override;

    /** Called after the mapper's startLearn (wantsKey as given to it), or after its
        mapDirect to directId (the mapper remembers only learnt ids). */
    void startLearning (bool wantsKey, int directId = -1);
    /** Cancels any learn and hides the overlay. */
    void close();

    bool isLearning() const noexcept { return learning; }
    juce::String getMessage() const;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void parentSizeChanged() override;

private:
    class Panel;
    void timerCallback() override;

    ActionMapper2& mapper;
    std::unique_ptr<Panel> panel;
    float dim = 0.0f;
    bool fading = false, learning = false;
    int directId = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiLearnPopup)
};

} // namespace tovalin
