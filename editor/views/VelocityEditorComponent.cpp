#include "VelocityEditorComponent.h"

#include <cmath>

namespace tovalin
{
namespace
{
    const juce::Point<float> noHighlight{-1.0f, -1.0f};
}

VelocityEditorComponent::VelocityEditorComponent (VelocityMapper& m) : mapper (m)
{
    mapper.addChangeListener (this);
    setSize (600, 480);
}

VelocityEditorComponent::~VelocityEditorComponent() { mapper.removeChangeListener (this); }

void VelocityEditorComponent::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == &mapper)
        repaint();
}

void VelocityEditorComponent::resized()
{
    left = LineThickness + Margin + AxisGap;
    top = LineThickness + Margin + AxisGap;
    bottom = getHeight() - top;
    xScale = (float) (getWidth() - 2 * left) / 127.0f;
    yScale = (float) (getHeight() - 2 * top) / (float) (Levels - 1);
}

juce::Point<float> VelocityEditorComponent::positionOf (int velocity, int level) const noexcept
{
    return {(float) left + (float) velocity * xScale, (float) bottom - (float) level * yScale};
}

juce::Point<int> VelocityEditorComponent::curveAt (juce::Point<float> p) const noexcept
{
    return {(int) ((p.x - (float) left) / xScale), (int) (((float) bottom - p.y) / yScale)};
}

int VelocityEditorComponent::hitPoint (juce::Point<float> position) const
{
    const auto at = curveAt (position);
    for (const auto& [key, value] : mapper.getPoints())
        if (std::abs (key - at.x) <= GrabSteps && std::abs (value - at.y) <= GrabSteps)
            return key;
    return -1;
}

void VelocityEditorComponent::setHighlight (juce::Point<float> centre)
{
    if (centre != highlight)
    {
        highlight = centre;
        repaint();
    }
}

void VelocityEditorComponent::updateHighlight (juce::Point<float> position)
{
    const int key = hitPoint (position);
    if (key < 0)
    {
        setHighlight (noHighlight);
        return;
    }
    const auto points = mapper.getPoints();
    setHighlight (positionOf (key, points.at (key)));
}

void VelocityEditorComponent::mouseMove (const juce::MouseEvent& e) { updateHighlight (e.position); }

void VelocityEditorComponent::mouseExit (const juce::MouseEvent&)
{
    if (draggedKey < 0)
        setHighlight (noHighlight);
}

void VelocityEditorComponent::mouseDown (const juce::MouseEvent& e)
{
    if (e.getNumberOfClicks() < 2)
        justAddedKey = -1;
    const int key = hitPoint (e.position);
    if (key >= 0)
    {
        draggedKey = key;
        setHighlight (positionOf (key, mapper.getPoints().at (key)));
    }
    else if ((float) left < e.position.x && e.position.x < (float) (getWidth() - left) && (float) top < e.position.y &&
             e.position.y < (float) bottom)
    {
        const auto at = curveAt (e.position);
        const int newKey = juce::jlimit (0, 127, at.x);
        if (mapper.getPoints().count (newKey) == 0)
            justAddedKey = newKey;
        mapper.addPoint (newKey, juce::jlimit (0, Levels - 1, at.y));
    }
    repaint();
}

void VelocityEditorComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (draggedKey < 0)
        return;
    const auto points = mapper.getPoints();
    const auto it = points.find (draggedKey);
    if (it == points.end())
    {
        draggedKey = -1; // the curve was replaced under the mouse (a preset load)
        return;
    }
    const int previous = it == points.begin() ? -1 : std::prev (it)->first;
    const int next = std::next (it) == points.end() ? 128 : std::next (it)->first;
    const auto at = curveAt (e.position);
    const int key = juce::jmax (previous + 1, juce::jmin (juce::jlimit (0, 127, at.x), next - 1));
    const int value = juce::jlimit (0, Levels - 1, at.y);
    mapper.movePoint (draggedKey, key, value);
    draggedKey = key;
    setHighlight (positionOf (key, value));
    repaint();
}

void VelocityEditorComponent::mouseUp (const juce::MouseEvent& e)
{
    updateHighlight (e.position);
    draggedKey = -1;
}

void VelocityEditorComponent::mouseDoubleClick (const juce::MouseEvent& e)
{
    const int key = hitPoint (e.position);
    // A double click on empty ground adds one point (its first click) and deletes nothing.
    if (key >= 0 && key != justAddedKey && mapper.removePoint (key))
    {
        highlight = noHighlight;
        draggedKey = -1;
        repaint();
    }
}

void VelocityEditorComponent::paint (juce::Graphics& g)
{
    const float w = (float) getWidth(), h = (float) getHeight();
    const float axis = (float) (Margin + LineThickness + AxisGap / 2);
    const auto points = mapper.getPoints();

    juce::Path curve;
    if (! points.empty())
    {
        const auto first = positionOf (points.begin()->first, points.begin()->second);
        curve.startNewSubPath ((float) left, first.y);
        if (points.begin()->first != 0)
            curve.lineTo (first);
        for (auto it = std::next (points.begin()); it != points.end(); ++it)
            curve.lineTo (positionOf (it->first, it->second));
        if (points.rbegin()->first != 127)
            curve.lineTo (w - (float) left, curve.getCurrentPosition().y);

        // A light wash under the curve, so its shape reads at a glance on the squared paper.
        juce::Path wash (curve);
        wash.lineTo (curve.getCurrentPosition().x, (float) bottom);
        wash.lineTo ((float) left, (float) bottom);
        wash.closeSubPath();
        g.setGradientFill (juce::ColourGradient (juce::Colour (0x40c07a20), 0.0f, (float) top,
                                                 juce::Colour (0x10c07a20), 0.0f, (float) bottom, false));
        g.fillPath (wash);
    }

    g.setColour (juce::Colours::black);
    g.fillRect (axis, h - axis, w - 2.0f * axis, 1.0f);
    g.fillRect (axis, axis, 1.0f, h - 2.0f * axis);

    if (highlight != noHighlight)
    {
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.fillEllipse (juce::Rectangle<float> (2.0f * PointRadius, 2.0f * PointRadius).withCentre (highlight));
    }

    g.setColour (juce::Colours::black);
    g.strokePath (curve, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    for (const auto& [key, value] : points)
        g.fillEllipse (
            juce::Rectangle<float> ((float) PointRadius, (float) PointRadius).withCentre (positionOf (key, value)));
}

} // namespace tovalin
