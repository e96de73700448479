#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tovalin
{
/** Covers the editor while the host runs at a rate the instrument does not play at.
    In the standalone program it offers a button to the audio setup. */
class BadSamplingRatePanel : public juce::Component
{
public:
    /** With openAudioSetup (the standalone program) the panel has an "Audio setup"
        button that calls it; the call may delete this panel. */
    explicit BadSamplingRatePanel (double rate, std::function<void()> openAudioSetup = {});
    void paint (juce::Graphics&) override;
    void resized() override;

    /** "Your current sampling rate (32000) is not supported...". */
    static juce::String messageFor (double rate);
    juce::String getMessage() const { return message.getText(); }

private:
    juce::Label message;
    std::unique_ptr<juce::TextButton> audioSetup;
    std::function<void()> openAudioSetup;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BadSamplingRatePanel)
};

} // namespace tovalin
