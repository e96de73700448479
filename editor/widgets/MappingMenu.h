#pragma once

#include "performance/Actions.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tovalin
{
class ActionMapper2;
class MidiLearnPopup;

/** The right-click menu of a mappable widget: map what the widget stands for to a MIDI
    controller (or key, or the pitch wheel) at once, or by MIDI learn. */
struct MappingMenu
{
    /** Which of the mapper's menus, and whether a learn waits for a key. */
    enum class Kind
    {
        controllers,
        keys
    };

    /** Menu item identifiers: controller id + 1 (1 to 640), and MIDI learn. */
    static constexpr int learnItem = 641;

    /** The popup menu of the mapper's menu description. */
    static juce::PopupMenu build (const ActionMapper2& mapper, Kind kind);

    /** Shows the menu asynchronously at the mouse; when an item is chosen (and widget
        still exists), makes the action and maps it or starts MIDI learn, then shows
        the learn overlay. A dismissed menu does nothing. */
    static void show (ActionMapper2& mapper, juce::Component& widget, Kind kind,
                      std::function<std::unique_ptr<Action2>()> makeAction, MidiLearnPopup* learnOverlay);

    /** What a chosen item does (0: dismissed, nothing). */
    static void apply (int item, ActionMapper2& mapper, Kind kind, std::unique_ptr<Action2> action,
                       MidiLearnPopup* learnOverlay);
};

} // namespace tovalin
