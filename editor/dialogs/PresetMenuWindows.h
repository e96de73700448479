#pragma once

#include "presets/PresetMenus.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

namespace tovalin
{
/** The preset dialogs as JUCE alert windows, shown asynchronously over owner. An
    answer given after owner has been deleted is dropped: what the answer would act
    on (the processor's libraries) may be gone with it. Message thread. */
class JucePresetDialogs : public PresetDialogs
{
public:
    explicit JucePresetDialogs (juce::Component& owner) : owner (&owner) {}

    void confirm (const juce::String& title, const juce::String& text, std::function<void (bool)> answered) override;
    void tell (const juce::String& title, const juce::String& text) override;
    void askName (const juce::String& title, const juce::String& message, const juce::String& initialText,
                  std::function<void (std::optional<juce::String>)> answered) override;

private:
    juce::Component::SafePointer<juce::Component> owner;
};

namespace presetMenus
{
    /** The menu of items: top-level items, then the submenus "Built-in presets" and
        "User presets" when any item belongs to one. */
    juce::PopupMenu buildMenu (const std::vector<PresetMenuItem>& items);

    /** The three menus at a component (the editor's preset buttons), shown
        asynchronously; the choice is carried out when the menu closes, unless the
        component has been deleted by then. Message thread. */
    void showPresetMenu (GenericPresetLibrary& library, juce::Component& component,
                         std::function<void (bool picked)> done = {});
    void showSaveMenu (GenericPresetLibrary& library, juce::Component& component);
    void showRemoveMenu (GenericPresetLibrary& library, juce::Component& component);
} // namespace presetMenus

} // namespace tovalin
