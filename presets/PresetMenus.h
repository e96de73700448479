#pragma once

#include "GenericPresetLibrary.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tovalin
{
/** The boxes the preset menus show: the editor's are JUCE's alert windows, the
    tests' are scripted. Boxes answer asynchronously (a plug-in's editor may not run a
    modal loop): an answer may arrive after the call has returned, or never (its owner
    closed). */
class PresetDialogs
{
public:
    virtual ~PresetDialogs() = default;
    /** "Yes" and "No"; answered (true) for Yes. */
    virtual void confirm (const juce::String& title, const juce::String& text, std::function<void (bool)> answered) = 0;
    /** A single button. */
    virtual void tell (const juce::String& title, const juce::String& text) = 0;
    /** A window with a text editor "Name" and "OK"/"Cancel": answered with the text,
        or with none when cancelled. */
    virtual void askName (const juce::String& title, const juce::String& message, const juce::String& initialText,
                          std::function<void (std::optional<juce::String>)> answered) = 0;
};

/** One item of a menu: its id and text, whether it is enabled and ticked, and the
    submenu it belongs to (0 none, 1 "Built-in presets", 2 "User presets"). */
struct PresetMenuItem
{
    int id;
    juce::String text;
    bool enabled = true;
    bool ticked = false;
    int submenu = 0;
    bool separatorBefore = false;
};

/** The three preset menus: what they offer and what a choice does (message thread).
    The editor shows menus built from these items and hands the chosen id over; the
    decisions are kept here, headless, so that they can be driven without a display.
    A choice that asks something continues in the dialogs' answers: the library must
    outlive them (the editor's dialogs drop answers once the editor is gone). */
namespace presetMenus
{
    std::vector<PresetMenuItem> presetItems (const GenericPresetLibrary& library);
    /** A chosen item id (0: dismissed); true when a preset was picked. */
    bool choosePreset (GenericPresetLibrary& library, int itemId);

    std::vector<PresetMenuItem> saveItems (const GenericPresetLibrary& library);
    void chooseSave (GenericPresetLibrary& library, int itemId, std::shared_ptr<PresetDialogs> dialogs);

    std::vector<PresetMenuItem> removeItems (const GenericPresetLibrary& library);
    void chooseRemove (GenericPresetLibrary& library, int itemId, std::shared_ptr<PresetDialogs> dialogs);
} // namespace presetMenus

} // namespace tovalin
