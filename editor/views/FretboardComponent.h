#pragma once

#include "performance/Fingering.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

namespace tovalin
{
/** The fretboard view: one black dot per sounding string at the fret where the
    transcription fingers it, drawn over the neck painted in the editor's background
    (the dots line up with it at 329 x 83; the view scales with its height).

    Construct it with the processor's fingering (TovalinPlugin::getFingering()); it must
    not outlive it. Every 20 ms it polls the fingering; when something changed it moves
    the dots, copies the chord name and sends a change message (asynchronous, so several
    changes may arrive as one). A listener (the editor) then reads getChordName() for its
    chord label. The view takes no mouse input and changes nothing. Message thread only. */
class FretboardComponent : public juce::Component,
                           private juce::Timer,
                           public juce::ChangeBroadcaster,
                           public juce::SettableTooltipClient
{
public:
    static constexpr int ReferenceWidth = 329;
    static constexpr int ReferenceHeight = 83;
    static constexpr int FretPositions = 19;
    /** Dot centres lie half a dot size right of and below these, at the reference height. */
    static constexpr int DotX[FretPositions] = {0,   9,   26,  43,  60,  78,  95,  112, 131, 148,
                                                165, 182, 196, 209, 222, 235, 246, 256, 264};
    static constexpr int DotY[StringCount] = {69, 56, 43, 30, 16, 4};
    static constexpr int ReferenceDotSize = 10;
    static constexpr int PollMilliseconds = 20;

    explicit FretboardComponent (const Fingering& fingering);
    ~FretboardComponent() override;

    /** The chord name read at the last poll that took a change ("" for none). */
    const juce::String& getChordName() const noexcept { return chordName; }
    /** The fret whose dot string s shows, or -1. */
    int getShownFret (int s) const noexcept { return shownFret[(size_t) s]; }

    /** One poll, as the timer does every 20 ms: takes the fingering's change, if any. */
    void poll();

    void resized() override;

private:
    void timerCallback() override { poll(); }
    void showFret (int s, int fret);
    juce::Button* dot (int s, int fret) const;

    class DotLook;

    const Fingering& fingering;
    std::unique_ptr<DotLook> dotLook;
    std::array<juce::OwnedArray<juce::TextButton>, StringCount> dots;
    std::array<int, StringCount> shownFret;
    juce::String chordName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FretboardComponent)
};

} // namespace tovalin
