#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
/** The guitar chooser: nine guitar pictures standing on a flat ellipse, the chosen one
    in front and opaque, its neighbours fading towards the back; previous and next
    buttons turn the carousel by one guitar (eight 50 ms steps), a list button offers
    every guitar in a menu, and the chosen guitar's name stands above.

    Construct it with the current "Guitar type" text (parameter 0's text); it turns to
    that guitar. A choice of the user's own (buttons, menu) sends a change message;
    the listener (the editor) then sets parameter 0 to the value for
    getSelectedName(). When the parameter changes elsewhere, the owner calls
    selectByName(parameter 0's text): the carousel turns without sending anything, so
    nothing is echoed to the host. Message thread only. */
class GuitarFlowComponent : public juce::Component,
                            private juce::Timer,
                            private juce::Button::Listener,
                            public juce::ChangeBroadcaster,
                            public juce::SettableTooltipClient
{
public:
    static constexpr int TurnSteps = 8;
    static constexpr int TickMilliseconds = 50;

    explicit GuitarFlowComponent (const juce::String& currentGuitarName);
    ~GuitarFlowComponent() override;

    /** Turns to the guitar of that name, without a change message; an unknown name
        changes nothing. */
    void selectByName (const juce::String& name);
    /** Turns to entry index; with notify, sends the change message (a user's choice). */
    void selectIndex (int index, bool notify);

    /** The chosen guitar's name ("" before any choice). */
    juce::String getSelectedName() const;
    int getSelectedIndex() const noexcept { return selected; }
    int getNumEntries() const noexcept { return entries.size(); }
    juce::String getEntryName (int index) const { return entries[index]->name; }
    juce::String getEntryCaption (int index) const { return entries[index]->caption; }

    /** Where the carousel stands: the rotation of the whole ring, and one entry's place
        on it (0 <= angle < 2 pi; pi is the front, pi/2 and 3 pi/2 the far left and
        right, where the pictures vanish). */
    float getBaseAngle() const noexcept { return baseAngle; }
    float getEntryAngle (int index) const noexcept;
    bool isTurning() const noexcept { return isTimerRunning(); }
    /** Stops any turn and stands the ring at that rotation. */
    void setBaseAngle (float angle);

    /** An entry's opacity at an angle of the ring: none behind, fading from the sides
        to the front, opaque within a quarter of pi of the front. */
    static float opacityAt (float angle) noexcept;
    /** Any angle into 0 <= a < 2 pi. */
    static float wrapAngle (float angle) noexcept;

    juce::Button& getPreviousButton() noexcept { return previousButton; }
    juce::Button& getNextButton() noexcept { return nextButton; }
    juce::Button& getListButton() noexcept { return listButton; }
    const juce::Label& getNameLabel() const noexcept { return nameLabel; }

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    struct Entry
    {
        juce::String name, caption, menuText;
        juce::Image picture;
    };

    void addEntry (const juce::String& name, const juce::String& caption, const juce::Image& picture);
    void buttonClicked (juce::Button* button) override;
    void timerCallback() override;
    void showList();
    void fitNameFont (const juce::String& caption);

    juce::OwnedArray<Entry> entries;
    float baseAngle = 0.0f;
    float spacing = 0.0f;
    int selected = -1;
    float step = 0.0f;
    int stepsDone = 0;
    int centreX = 0, centreY = 0;
    float radiusX = 45.0f, radiusY = 10.0f;

    juce::ImageButton previousButton{"previous"}, nextButton{"next"}, listButton{"list"};
    juce::Label nameLabel{"Name"};

    JUCE_DECLARE_WEAK_REFERENCEABLE (GuitarFlowComponent)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuitarFlowComponent)
};

} // namespace tovalin
