#include "PresetMenus.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
// ---------------------------------------------------------------------------------
// JUCE's boxes

bool JucePresetDialogs::confirm (const juce::String& title, const juce::String& text)
{
    return juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::NoIcon, title, text, "Yes", "No", nullptr,
                                               nullptr);
}

void JucePresetDialogs::tell (const juce::String& title, const juce::String& text)
{
    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::NoIcon, title, text);
}

std::optional<juce::String> JucePresetDialogs::askName (const juce::String& title, const juce::String& message,
                                                        const juce::String& initialText)
{
    juce::AlertWindow window (title, message, juce::MessageBoxIconType::NoIcon);
    window.addTextEditor ("Name", initialText, "Name");
    window.addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey));
    window.addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
    if (window.runModalLoop() != 1)
        return std::nullopt;
    return window.getTextEditorContents ("Name");
}

namespace presetMenus
{
    namespace
    {
        bool isUserName (const GenericPresetLibrary& library, const juce::String& name)
        {
            return name.isNotEmpty() && ! library.isBuiltIn (name) && library.getNames().contains (name);
        }

        /** One item per user preset (id i + 10 for entry i) after a separator. */
        void addUserPresets (const GenericPresetLibrary& library, std::vector<PresetMenuItem>& items)
        {
            const juce::StringArray names = library.getNames();
            bool first = true;
            for (int i = 0; i < names.size(); ++i)
                if (! library.isBuiltIn (names[i]))
                {
                    items.push_back ({i + 10, names[i], true, names[i] == library.getCurrentName(), 0, first});
                    first = false;
                }
        }

        void saveAsNew (GenericPresetLibrary& library, PresetDialogs& dialogs)
        {
            const auto n =
                dialogs.askName ("Save as new preset", "Name of the new preset ?", library.getCurrentName() + " (new)");
            if (! n)
                return;
            if (n->isEmpty())
            {
                dialogs.tell ("Save preset", "Please enter a name!");
                return;
            }
            if (library.isBuiltIn (*n))
            {
                dialogs.tell ("Save preset", "The preset \n\n" + *n +
                                                 "\n\nis a already the name of a built-in preset. Please choose "
                                                 "another name.");
                return;
            }
            if (library.getNames().contains (*n) &&
                ! dialogs.confirm ("Save as new preset", "There is already a preset with the name\n\n" + *n +
                                                             ".\n\nDo you want to overwrite it?"))
                return;
            library.save (*n, "");
        }

        void renameCurrent (GenericPresetLibrary& library, PresetDialogs& dialogs)
        {
            const juce::String current = library.getCurrentName();
            const juce::String title = "Rename current preset";
            if (current.isEmpty())
            {
                dialogs.tell (title, "There is no preset selected at the moment to rename!");
                return;
            }
            if (library.isBuiltIn (current))
            {
                dialogs.tell (title, "The current preset is a built-in preset. You cannot rename it.");
                return;
            }
            const auto n = dialogs.askName (title, "New name of the preset ?", current);
            if (! n)
                return;
            if (n->isEmpty() || *n == current)
            {
                dialogs.tell (title,
                              "The new name should not be empty and should be different from the previous name!");
                return;
            }
            if (library.isBuiltIn (*n))
            {
                dialogs.tell (title, "The preset\n\n" + *n +
                                         "\n\nis a already the name of a built-in preset. Please choose another "
                                         "name.");
                return;
            }
            if (library.getNames().contains (*n) &&
                ! dialogs.confirm (title, "There is already a preset with the name\n\n" + *n +
                                              ".\n\nDo you want to overwrite it?"))
                return;
            library.rename (current, *n);
        }
    } // namespace

    std::vector<PresetMenuItem> presetItems (const GenericPresetLibrary& library)
    {
        std::vector<PresetMenuItem> items;
        const juce::StringArray names = library.getNames();
        for (int i = 0; i < names.size(); ++i)
            items.push_back (
                {i + 1, names[i], true, names[i] == library.getCurrentName(), library.isBuiltIn (names[i]) ? 1 : 2});
        return items;
    }

    bool choosePreset (GenericPresetLibrary& library, int itemId)
    {
        const juce::StringArray names = library.getNames();
        if (itemId < 1 || itemId > names.size())
            return false;
        library.selectByName (names[itemId - 1]);
        return true;
    }

    std::vector<PresetMenuItem> saveItems (const GenericPresetLibrary& library)
    {
        const juce::String current = library.getCurrentName();
        std::vector<PresetMenuItem> items = {
            {3, "Save as new preset."},
            {1, "Save current preset."},
            {2, "Rename current preset.", isUserName (library, current)},
        };
        addUserPresets (library, items);
        return items;
    }

    void chooseSave (GenericPresetLibrary& library, int itemId, PresetDialogs& dialogs)
    {
        const juce::String current = library.getCurrentName();
        if (itemId == 1)
        {
            if (current.isEmpty() || library.isBuiltIn (current))
                saveAsNew (library, dialogs);
            else if (dialogs.confirm ("Save current preset",
                                      "Do you want to overwrite\n\n" + current + "\n\nwith your current parameters?"))
                library.save (current, "");
        }
        else if (itemId == 2)
            renameCurrent (library, dialogs);
        else if (itemId == 3)
            saveAsNew (library, dialogs);
        else if (itemId >= 10)
        {
            const juce::String name = library.getNames()[itemId - 10];
            if (name.isNotEmpty() &&
                dialogs.confirm ("Save", "Do you want to overwrite\n\n" + name + "\n\nwith your current parameters?"))
                library.save (name, "");
        }
    }

    std::vector<PresetMenuItem> removeItems (const GenericPresetLibrary& library)
    {
        const juce::String current = library.getCurrentName();
        std::vector<PresetMenuItem> items = {{1, "Remove current preset.", isUserName (library, current)}};
        addUserPresets (library, items);
        return items;
    }

    void chooseRemove (GenericPresetLibrary& library, int itemId, PresetDialogs& dialogs)
    {
        juce::String name;
        if (itemId == 1)
        {
            name = library.getCurrentName();
            if (name.isEmpty())
                return;
            if (library.isBuiltIn (name))
            {
                dialogs.tell ("Remove preset", "The preset '" + name + "' is a built-in preset. You cannot remove it.");
                return;
            }
        }
        else if (itemId >= 10)
            name = library.getNames()[itemId - 10];
        if (name.isNotEmpty() &&
            dialogs.confirm ("Remove", "Do you really want to remove the following preset?\n\n" + name))
            library.remove (name);
    }

    namespace
    {
        int showItems (const std::vector<PresetMenuItem>& items, juce::Component* component)
        {
            juce::PopupMenu menu, builtIn, user;
            for (const auto& item : items)
            {
                juce::PopupMenu& target = item.submenu == 1 ? builtIn : item.submenu == 2 ? user : menu;
                if (item.separatorBefore)
                    target.addSeparator();
                target.addItem (item.id, item.text, item.enabled, item.ticked);
            }
            if (builtIn.getNumItems() > 0 || user.getNumItems() > 0)
            {
                menu.addSubMenu ("Built-in presets", builtIn);
                menu.addSubMenu ("User presets", user);
            }
            auto options = juce::PopupMenu::Options();
            if (component != nullptr)
                options = options.withTargetComponent (component);
            return menu.showMenu (options);
        }
    } // namespace

    bool showPresetMenu (GenericPresetLibrary& library, juce::Component* component)
    {
        library.reload();
        return choosePreset (library, showItems (presetItems (library), component));
    }

    void showSaveMenu (GenericPresetLibrary& library, juce::Component* component)
    {
        library.reload();
        JucePresetDialogs dialogs;
        chooseSave (library, showItems (saveItems (library), component), dialogs);
    }

    void showRemoveMenu (GenericPresetLibrary& library, juce::Component* component)
    {
        library.reload();
        JucePresetDialogs dialogs;
        chooseRemove (library, showItems (removeItems (library), component), dialogs);
    }
} // namespace presetMenus

} // namespace tovalin
