#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
/** A titled message (the minimum-requirements notice). */
class LabelPanel : public juce::Component
{
public:
    LabelPanel (const juce::String& title, const juce::String& text);
    void paint (juce::Graphics&) override;
    void resized() override;

    const juce::String& getTitle() const noexcept { return title; }

private:
    juce::String title;
    juce::Label message;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LabelPanel)
};

} // namespace tovalin
