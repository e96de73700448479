#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
/** The first-use greeting: how to get started. Closed by a click outside it. */
class WelcomePanel : public juce::Component
{
public:
    WelcomePanel();
    void paint (juce::Graphics&) override;
    void resized() override;

private:
    juce::Label text;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WelcomePanel)
};

} // namespace tovalin
