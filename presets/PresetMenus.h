#pragma once

#include "GenericPresetLibrary.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace juce
{
class Component;
}

namespace tovalin
{
/** The boxes the preset menus show; the editor's are JUCE's alert windows, the tests'
    are scripted. */
class PresetDialogs
{
public:
    virtual ~PresetDialogs() = default;
    /** "Yes" and "No"; true for Yes. */
    virtual bool confirm (const juce::String& title, const juce::String& text) = 0;
    /** A single button. */
    virtual void tell (const juce::String& title, const juce::String& text) = 0;
    /** A window with a text editor "Name" and "OK"/"Cancel"; the text, or none when cancelled. */
    virtual std::optional<juce::String> askName (const juce::String& title, const juce::String& message,
                                                 const juce::String& initialText) = 0;
};

/** JUCE's alert windows, modal (the editor's message thread). */
class JucePresetDialogs : public PresetDialogs
{
public:
    bool confirm (const juce::String& title, const juce::String& text) override;
    void tell (const juce::String& title, const juce::String& text) override;
    std::optional<juce::String> askName (const juce::String& title, const juce::String& message,
                                         const juce::String& initialText) override;
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

/** The three preset menus: what they offer and what a choice does. The menus are
    built from these items and shown by showPresetMenu and its siblings (message
    thread); the decisions are separate so that they can be driven without a display. */
namespace presetMenus
{
    std::vector<PresetMenuItem> presetItems (const GenericPresetLibrary& library);
    /** A chosen item id (0: dismissed); true when a preset was picked. */
    bool choosePreset (GenericPresetLibrary& library, int itemId);

    std::vector<PresetMenuItem> saveItems (const GenericPresetLibrary& library);
    void chooseSave (GenericPresetLibrary& library, int itemId, PresetDialogs& dialogs);

    std::vector<PresetMenuItem> removeItems (const GenericPresetLibrary& library);
    void chooseRemove (GenericPresetLibrary& library, int itemId, PresetDialogs& dialogs);

    /** The menus at a component (the editor's preset buttons). */
    bool showPresetMenu (GenericPresetLibrary& library, juce::Component* component);
    void showSaveMenu (GenericPresetLibrary& library, juce::Component* component);
    void showRemoveMenu (GenericPresetLibrary& library, juce::Component* component);
} // namespace presetMenus

} // namespace tovalin
