#include "MappingMenu.h"

#include "editor/panels/MidiLearnPopup.h"
#include "performance/ActionMapper2.h"

namespace tovalin
{
juce::PopupMenu MappingMenu::build (const ActionMapper2& mapper, Kind kind)
{
    const auto description = kind == Kind::keys ? mapper.keyMenu() : mapper.controllerMenu();
    juce::PopupMenu sub, menu;
    for (const auto& [id, text] : description.submenuItems)
        sub.addItem (id, text);
    menu.addSubMenu (description.submenuTitle, sub);
    for (const auto& [id, text] : description.items)
        menu.addItem (id, text);
    return menu;
}

void MappingMenu::show (ActionMapper2& mapper, juce::Component& widget, Kind kind,
                        std::function<std::unique_ptr<Action2>()> makeAction, MidiLearnPopup* learnOverlay)
{
    juce::Component::SafePointer<juce::Component> safeWidget (&widget);
    juce::Component::SafePointer<juce::Component> safeOverlay (learnOverlay);
    build (mapper, kind)
        .showMenuAsync (juce::PopupMenu::Options().withTargetComponent (&widget).withMousePosition(),
                        [&mapper, kind, safeWidget, safeOverlay, makeAction = std::move (makeAction)] (int item)
                        {
                            // The widget (and with it the editor and the mapper's owner) may be gone.
                            if (item == 0 || safeWidget == nullptr)
                                return;
                            apply (item, mapper, kind, makeAction(),
                                   dynamic_cast<MidiLearnPopup*> (safeOverlay.getComponent()));
                        });
}

void MappingMenu::apply (int item, ActionMapper2& mapper, Kind kind, std::unique_ptr<Action2> action,
                         MidiLearnPopup* learnOverlay)
{
    if (item <= 0 || item > learnItem || action == nullptr)
        return;
    const bool wantsKey = kind == Kind::keys;
    if (item == learnItem)
        mapper.startLearn (std::move (action), wantsKey);
    else
        mapper.mapDirect (item - 1, std::move (action));
    if (learnOverlay != nullptr)
        learnOverlay->startLearning (item == learnItem ? -1 : item - 1);
}

} // namespace tovalin
