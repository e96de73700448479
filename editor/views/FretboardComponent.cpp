#include "FretboardComponent.h"

namespace tovalin
{
/** The dots' look: glossy black beads, the way fingertips on a chart are drawn, rather
    than the program's flat buttons. */
class FretboardComponent::DotLook : public juce::LookAndFeel_V2
{
public:
    void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&, bool, bool) override
    {
        const auto area = button.getLocalBounds().toFloat().reduced (0.5f);
        const float d = area.getWidth();
        // A soft shadow down and to the right, as if lit from the sound hole's side.
        g.setColour (juce::Colours::black.withAlpha (0.28f));
        g.fillEllipse (area.translated (d * 0.08f, d * 0.1f));
        juce::ColourGradient body (juce::Colour (0xff55504a), area.getX() + d * 0.35f, area.getY() + d * 0.3f,
                                   juce::Colour (0xff050505), area.getX() + d * 0.9f, area.getY() + d * 0.9f, true);
        g.setGradientFill (body);
        g.fillEllipse (area);
        g.setColour (juce::Colours::black);
        g.drawEllipse (area, juce::jmax (0.6f, d * 0.06f));
        // The gloss: a small bright spot up and to the left.
        const auto spot = juce::Rectangle<float> (d * 0.32f, d * 0.24f)
                              .withCentre ({area.getX() + d * 0.36f, area.getY() + d * 0.3f});
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.85f), spot.getCentreX(),
                                                 spot.getCentreY(), juce::Colours::white.withAlpha (0.0f),
                                                 spot.getRight(), spot.getBottom(), true));
        g.fillEllipse (spot);
    }

    void drawButtonText (juce::Graphics&, juce::TextButton&, bool, bool) override {}
};

FretboardComponent::FretboardComponent (const Fingering& f) : fingering (f), dotLook (std::make_unique<DotLook>())
{
    setLookAndFeel (dotLook.get());
    // Clicks reach the view itself (for its tooltip) but no dot.
    setInterceptsMouseClicks (true, false);
    setOpaque (false);
    shownFret.fill (-1);
    for (int s = 0; s < StringCount; ++s)
        for (int j = 0; j < StringFretCount[s]; ++j)
        {
            auto* d = dots[(size_t) s].add (new juce::TextButton ("dot"));
            d->setTooltip ({});
            d->setColour (juce::TextButton::buttonColourId, juce::Colours::black);
            d->setColour (juce::TextButton::buttonOnColourId, juce::Colours::black);
            d->setWantsKeyboardFocus (false);
            addChildComponent (d);
        }

    Fingering::Published now;
    if (fingering.readPublished (now))
        for (int s = 0; s < StringCount; ++s)
            showFret (s, now.fret[s]);

    setSize (ReferenceWidth, ReferenceHeight);
    startTimer (PollMilliseconds);
}

FretboardComponent::~FretboardComponent()
{
    stopTimer();
    for (auto& row : dots)
        row.clear();
    setLookAndFeel (nullptr);
}

juce::Button* FretboardComponent::dot (int s, int fret) const
{
    return fret >= 0 && fret < dots[(size_t) s].size() ? dots[(size_t) s][fret] : nullptr;
}

void FretboardComponent::showFret (int s, int fret)
{
    if (auto* old = dot (s, shownFret[(size_t) s]))
        old->setVisible (false);
    // A fret with no dot on its string (beyond the neck) shows nothing.
    auto* shown = dot (s, fret);
    if (shown != nullptr)
        shown->setVisible (true);
    shownFret[(size_t) s] = shown != nullptr ? fret : -1;
}

void FretboardComponent::poll()
{
    if (! fingering.takeChange())
        return;
    Fingering::Published now;
    if (! fingering.readPublished (now))
    {
        // Writes kept overlapping the copy: take the change again at the next tick.
        fingering.changed.store (1, std::memory_order_release);
        return;
    }
    for (int s = 0; s < StringCount; ++s)
        if (now.fret[s] != shownFret[(size_t) s])
            showFret (s, now.fret[s]);
    chordName = juce::String::fromUTF8 (now.chordName);
    sendChangeMessage();
}

void FretboardComponent::resized()
{
    const float scale = (float) getHeight() / (float) ReferenceHeight;
    const int size = juce::roundToInt (scale * (float) ReferenceDotSize);
    for (int s = 0; s < StringCount; ++s)
        for (int j = 0; j < dots[(size_t) s].size(); ++j)
            dots[(size_t) s][j]->setBounds (juce::roundToInt ((float) DotX[j] * scale),
                                            juce::roundToInt ((float) DotY[s] * scale), size, size);
}

} // namespace tovalin
