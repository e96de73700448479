#pragma once

#include "processor/TovalinPlugin.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace tovalin
{
/** The output level as 36 coloured segments, green to red. The audio thread feeds it
    every block (one clamp and one multiply-add per sample); every 30 ms it repaints
    the span between the old and the new count, and only when the count changed. */
class VuMeterComponent : public juce::Component,
                         public juce::SettableTooltipClient,
                         public TovalinPlugin::OutputListener,
                         private juce::Timer
{
public:
    static constexpr int segmentCount = 36, segmentWidth = 2, segmentHeight = 8, gap = 0;

    VuMeterComponent();
    ~VuMeterComponent() override;

    /** The smoothing follows the host rate (time constant 20 ms). Message thread. */
    void setSampleRate (double rate);
    /** A block of output (audio thread). */
    void addSamples (int count, const float* samples) noexcept;
    void outputBlock (const float* samples, int count) noexcept override { addSamples (count, samples); }

    int getLitSegments() const noexcept { return lit; }
    /** The timer's work, callable directly: the count from the level, and the repaint. */
    void updateFromLevel();

    void paint (juce::Graphics&) override;

private:
    void timerCallback() override { updateFromLevel(); }

    static const juce::uint32 colours[6];
    std::atomic<float> coefficient{0.0f};
    std::atomic<float> level{0.0f};
    int lit = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VuMeterComponent)
};

} // namespace tovalin
