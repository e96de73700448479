#include "PresetMenus.h"

namespace tovalin
{
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

        using Dialogs = std::shared_ptr<PresetDialogs>;

        /** Saves under name, after asking when a user preset of that name exists. */
        void saveAfterAsking (GenericPresetLibrary& library, const Dialogs& dialogs, const juce::String& title,
                              const juce::String& name, std::function<void()> save)
        {
            if (! library.getNames().contains (name))
            {
                save();
                return;
            }
            dialogs->confirm (
                title, "There is already a preset with the name\n\n" + name + ".\n\nDo you want to overwrite it?",
                [save = std::move (save)] (bool yes)
                {
                    if (yes)
                        save();
                });
        }

        void saveAsNew (GenericPresetLibrary& library, const Dialogs& dialogs)
        {
            dialogs->askName ("Save as new preset", "Name of the new preset ?", library.getCurrentName() + " (new)",
                              [&library, dialogs] (std::optional<juce::String> n)
                              {
                                  if (! n)
                                      return;
                                  if (n->isEmpty())
                                  {
                                      dialogs->tell ("Save preset", "Please enter a name!");
                                      return;
                                  }
                                  if (library.isBuiltIn (*n))
                                  {
                                      dialogs->tell ("Save preset",
                                                     "The preset \n\n" + *n +
                                                         "\n\nis a already the name of a built-in preset. Please "
                                                         "choose another name.");
                                      return;
                                  }
                                  saveAfterAsking (library, dialogs, "Save as new preset", *n,
                                                   [&library, name = *n] { library.save (name, ""); });
                              });
        }

        void renameCurrent (GenericPresetLibrary& library, const Dialogs& dialogs)
        {
            const juce::String current = library.getCurrentName();
            const juce::String title = "Rename current preset";
            if (current.isEmpty())
            {
                dialogs->tell (title, "There is no preset selected at the moment to rename!");
                return;
            }
            if (library.isBuiltIn (current))
            {
                dialogs->tell (title, "The current preset is a built-in preset. You cannot rename it.");
                return;
            }
            dialogs->askName (
                title, "New name of the preset ?", current,
                [&library, dialogs, current, title] (std::optional<juce::String> n)
                {
                    if (! n)
                        return;
                    if (n->isEmpty() || *n == current)
                    {
                        dialogs->tell (
                            title, "The new name should not be empty and should be different from the previous name!");
                        return;
                    }
                    if (library.isBuiltIn (*n))
                    {
                        dialogs->tell (title, "The preset\n\n" + *n +
                                                  "\n\nis a already the name of a built-in preset. Please choose "
                                                  "another name.");
                        return;
                    }
                    saveAfterAsking (library, dialogs, title, *n,
                                     [&library, current, name = *n] { library.rename (current, name); });
                });
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

    void chooseSave (GenericPresetLibrary& library, int itemId, std::shared_ptr<PresetDialogs> dialogs)
    {
        const juce::String current = library.getCurrentName();
        if (itemId == 1)
        {
            if (current.isEmpty() || library.isBuiltIn (current))
                saveAsNew (library, dialogs);
            else
                dialogs->confirm ("Save current preset",
                                  "Do you want to overwrite\n\n" + current + "\n\nwith your current parameters?",
                                  [&library, current] (bool yes)
                                  {
                                      if (yes)
                                          library.save (current, "");
                                  });
        }
        else if (itemId == 2)
            renameCurrent (library, dialogs);
        else if (itemId == 3)
            saveAsNew (library, dialogs);
        else if (itemId >= 10)
        {
            const juce::String name = library.getNames()[itemId - 10];
            if (name.isNotEmpty())
                dialogs->confirm ("Save", "Do you want to overwrite\n\n" + name + "\n\nwith your current parameters?",
                                  [&library, name] (bool yes)
                                  {
                                      if (yes)
                                          library.save (name, "");
                                  });
        }
    }

    std::vector<PresetMenuItem> removeItems (const GenericPresetLibrary& library)
    {
        const juce::String current = library.getCurrentName();
        std::vector<PresetMenuItem> items = {{1, "Remove current preset.", isUserName (library, current)}};
        addUserPresets (library, items);
        return items;
    }

    void chooseRemove (GenericPresetLibrary& library, int itemId, std::shared_ptr<PresetDialogs> dialogs)
    {
        juce::String name;
        if (itemId == 1)
        {
            name = library.getCurrentName();
            if (name.isEmpty())
                return;
            if (library.isBuiltIn (name))
            {
                dialogs->tell ("Remove preset",
                               "The preset '" + name + "' is a built-in preset. You cannot remove it.");
                return;
            }
        }
        else if (itemId >= 10)
            name = library.getNames()[itemId - 10];
        if (name.isNotEmpty())
            dialogs->confirm ("Remove", "Do you really want to remove the following preset?\n\n" + name,
                              [&library, name] (bool yes)
                              {
                                  if (yes)
                                      library.remove (name);
                              });
    }

} // namespace presetMenus

} // namespace tovalin
