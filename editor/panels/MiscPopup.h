#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
/** The overlay that dims the editor and hosts one information or settings panel at a
    time, centred at its own size. Message thread. */
class MiscPopup : public juce::Component, private juce::Timer
{
public:
    MiscPopup();
    ~MiscPopup() override;

    /** Takes ownership of panel, replacing (and deleting) the one shown before. With
        fadeIn the dimming grows over a quarter of a second; with closeOnClick a click on
        the dimmed area closes the overlay. */
    void showPanel (std::unique_ptr<juce::Component> panel, bool fadeIn, bool closeOnClick);
    /** Hides the overlay and deletes its panel. */
    void closePanel();

    juce::Component* getPanel() const noexcept { return panel.get(); }
    float getDimLevel() const noexcept { return dim; }

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void parentSizeChanged() override;

private:
    void timerCallback() override;

    static constexpr float targetDim = 0.5f, fadeStep = 0.1f;
    float dim = 0.0f;
    bool closeOnClick = true;
    std::unique_ptr<juce::Component> panel;
    juce::CriticalSection panelLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MiscPopup)
};

} // namespace tovalin
