#include "PresetMenuWindows.h"

namespace tovalin
{
void JucePresetDialogs::confirm (const juce::String& title, const juce::String& text,
                                 std::function<void (bool)> answered)
{
    const auto options = juce::MessageBoxOptions()
                             .withIconType (juce::MessageBoxIconType::NoIcon)
                             .withTitle (title)
                             .withMessage (text)
                             .withButton ("Yes")
                             .withButton ("No")
                             .withAssociatedComponent (owner.getComponent());
    // Of two buttons the first answers 1 and the last 0.
    juce::AlertWindow::showAsync (options,
                                  [stillOpen = owner, answered = std::move (answered)] (int result)
                                  {
                                      if (stillOpen != nullptr)
                                          answered (result == 1);
                                  });
}

void JucePresetDialogs::tell (const juce::String& title, const juce::String& text)
{
    juce::AlertWindow::showAsync (juce::MessageBoxOptions()
                                      .withIconType (juce::MessageBoxIconType::NoIcon)
                                      .withTitle (title)
                                      .withMessage (text)
                                      .withButton ("OK")
                                      .withAssociatedComponent (owner.getComponent()),
                                  nullptr);
}

void JucePresetDialogs::askName (const juce::String& title, const juce::String& message,
                                 const juce::String& initialText,
                                 std::function<void (std::optional<juce::String>)> answered)
{
    auto* window = new juce::AlertWindow (title, message, juce::MessageBoxIconType::NoIcon, owner.getComponent());
    window->addTextEditor ("Name", initialText, "Name");
    window->addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey));
    window->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
    // The window deletes itself once its callback has run, so the text is read there.
    juce::Component::SafePointer<juce::AlertWindow> box (window);
    window->enterModalState (true,
                             juce::ModalCallbackFunction::create (
                                 [box, stillOpen = owner, answered = std::move (answered)] (int result)
                                 {
                                     if (stillOpen == nullptr || box == nullptr)
                                         return;
                                     if (result != 1)
                                         answered (std::nullopt);
                                     else
                                         answered (box->getTextEditorContents ("Name"));
                                 }),
                             true);
}

namespace presetMenus
{
    juce::PopupMenu buildMenu (const std::vector<PresetMenuItem>& items)
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
        return menu;
    }

    namespace
    {
        /** Shows items at component and hands the chosen id (0: dismissed) to choose,
            unless the component is gone by then. */
        void showItems (const std::vector<PresetMenuItem>& items, juce::Component& component,
                        std::function<void (int)> choose)
        {
            buildMenu (items).showMenuAsync (juce::PopupMenu::Options().withTargetComponent (&component),
                                             [stillOpen = juce::Component::SafePointer<juce::Component> (&component),
                                              choose = std::move (choose)] (int itemId)
                                             {
                                                 if (stillOpen != nullptr)
                                                     choose (itemId);
                                             });
        }
    } // namespace

    void showPresetMenu (GenericPresetLibrary& library, juce::Component& component, std::function<void (bool)> done)
    {
        library.reload();
        showItems (presetItems (library), component,
                   [&library, done = std::move (done)] (int itemId)
                   {
                       const bool picked = choosePreset (library, itemId);
                       if (done)
                           done (picked);
                   });
    }

    void showSaveMenu (GenericPresetLibrary& library, juce::Component& component)
    {
        library.reload();
        showItems (saveItems (library), component,
                   [&library, dialogs = std::make_shared<JucePresetDialogs> (component)] (int itemId)
                   { chooseSave (library, itemId, dialogs); });
    }

    void showRemoveMenu (GenericPresetLibrary& library, juce::Component& component)
    {
        library.reload();
        showItems (removeItems (library), component,
                   [&library, dialogs = std::make_shared<JucePresetDialogs> (component)] (int itemId)
                   { chooseRemove (library, itemId, dialogs); });
    }
} // namespace presetMenus

} // namespace tovalin
