#include "VuMeterComponent.h"

#include <cmath>

namespace tovalin
{
const juce::uint32 VuMeterComponent::colours[6] = {0xffb2d235, 0xfffff200, 0xffffc60b,
                                                   0xfff9a01b, 0xfff15a22, 0xffed1c24};

VuMeterComponent::VuMeterComponent()
{
    setSampleRate (44100.0);
    setOpaque (false);
    startTimer (30);
}

VuMeterComponent::~VuMeterComponent() { stopTimer(); }

void VuMeterComponent::setSampleRate (double rate)
{
    if (rate > 0.0)
        coefficient = (float) std::exp (-1.0 / (0.02 * rate));
}

void VuMeterComponent::addSamples (int count, const float* samples) noexcept
{
    const float a = coefficient.load (std::memory_order_relaxed), b = 1.0f - a;
    float y = level.load (std::memory_order_relaxed);
    for (int i = 0; i < count; ++i)
        y = a * y + b * juce::jlimit (0.0f, 1.0f, samples[i]);
    level.store (y, std::memory_order_relaxed);
}

void VuMeterComponent::updateFromLevel()
{
    // Full scale at -35 dB: the guitar's output level sits well below 0 dB.
    const float scale = 1.0f / std::pow (10.0f, -1.75f);
    const int now =
        juce::jlimit (0, segmentCount, (int) (level.load (std::memory_order_relaxed) * scale * (float) segmentCount));
    if (now == lit)
        return;
    const int from = juce::jmin (now, lit), to = juce::jmax (now, lit);
    lit = now;
    repaint (from * (segmentWidth + gap), 0, (to - from) * (segmentWidth + gap), getHeight());
}

void VuMeterComponent::paint (juce::Graphics& g)
{
    for (int i = 0; i < lit; ++i)
    {
        g.setColour (juce::Colour (colours[i / 6]));
        g.fillRect (i * (segmentWidth + gap), 0, segmentWidth, segmentHeight);
    }
}

} // namespace tovalin
