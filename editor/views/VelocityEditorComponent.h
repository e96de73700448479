#pragma once

#include "performance/VelocityMapper.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
/** The velocity curve editor: draws the mapper's curve (incoming MIDI velocity 0..127
    across, excitation level 0..127 up) and edits its points: a click on empty ground
    inside the plot adds a point, a point dragged moves between its neighbours, a double
    click on a point deletes it (the last point stays).

    Construct it with the processor's mapper (TovalinPlugin::getVelocityMapper()); it
    listens to the mapper's change messages and redraws on them (a preset or a state
    load), and must not outlive it. Edits go through the mapper's own operations, which
    bring them to the audio thread. It sends nothing itself. Message thread only. */
class VelocityEditorComponent : public juce::Component, private juce::ChangeListener, public juce::SettableTooltipClient
{
public:
    static constexpr int PointRadius = 6;
    /** How near, in velocity and level steps, a click must be to take a point. */
    static constexpr int GrabSteps = PointRadius / 2;

    explicit VelocityEditorComponent (VelocityMapper& mapper);
    ~VelocityEditorComponent() override;

    /** Where curve point (velocity, level) is drawn. */
    juce::Point<float> positionOf (int velocity, int level) const noexcept;
    /** The velocity and level a mouse position reads as (truncated towards zero). */
    juce::Point<int> curveAt (juce::Point<float> position) const noexcept;
    /** The x of velocity 0 and the y of the highest level: the plot's inner edge. */
    int getPlotInset() const noexcept { return left; }
    int getDraggedVelocity() const noexcept { return draggedKey; }

    void paint (juce::Graphics& g) override;
    void resized() override;
    void mouseMove (const juce::MouseEvent& e) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseExit (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;

private:
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    /** The velocity of the point under the mouse, or -1. */
    int hitPoint (juce::Point<float> position) const;
    void setHighlight (juce::Point<float> centre);
    void updateHighlight (juce::Point<float> position);

    VelocityMapper& mapper;
    static constexpr int LineThickness = 1, Margin = 4, AxisGap = 4;
    static constexpr int Levels = ExcitationTable::Levels;
    int left = LineThickness + Margin + AxisGap;
    int top = LineThickness + Margin + AxisGap;
    int bottom = 0;
    float xScale = 1.0f, yScale = 1.0f;
    int draggedKey = -1;
    // The point the first click of a double click added, which that double click keeps.
    int justAddedKey = -1;
    juce::Point<float> highlight{-1.0f, -1.0f};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelocityEditorComponent)
};

} // namespace tovalin
