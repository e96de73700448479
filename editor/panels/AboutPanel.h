#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
/** Who made the instrument, its version and web site. */
class AboutPanel : public juce::Component
{
public:
    AboutPanel();
    void paint (juce::Graphics&) override;

private:
    juce::Image picture;
    juce::Label maker, version, trademark;
    juce::HyperlinkButton link;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutPanel)
};

} // namespace tovalin
