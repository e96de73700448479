#include "presets/PresetMenus.h"
#include "tests/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

using namespace tovalin;

namespace
{
/** Answers the boxes from a script and records what they said. */
struct ScriptedDialogs : PresetDialogs
{
    std::deque<bool> confirmations;
    std::deque<std::optional<juce::String>> names;
    juce::StringArray log;
    juce::String lastInitialText;

    bool confirm (const juce::String& title, const juce::String& text) override
    {
        log.add ("confirm|" + title + "|" + text);
        const bool yes = ! confirmations.empty() && confirmations.front();
        if (! confirmations.empty())
            confirmations.pop_front();
        return yes;
    }
    void tell (const juce::String& title, const juce::String& text) override { log.add ("tell|" + title + "|" + text); }
    std::optional<juce::String> askName (const juce::String& title, const juce::String& message,
                                         const juce::String& initialText) override
    {
        log.add ("ask|" + title + "|" + message);
        lastInitialText = initialText;
        auto n = names.empty() ? std::nullopt : names.front();
        if (! names.empty())
            names.pop_front();
        return n;
    }
};

struct NullLoader : PresetLoader
{
    void loadPreset (const juce::XmlElement&) override {}
    void savePreset (juce::XmlElement& e) override { e.createNewChildElement ("Content"); }
};

const char* const builtIns = R"(<PresetSet><Preset name="Heavy" desc=""/><Preset name="Default" desc=""/></PresetSet>)";

struct Menus : ::testing::Test
{
    TemporaryHome home;
    NullLoader loader;
    std::unique_ptr<GenericPresetLibrary> library;
    ScriptedDialogs dialogs;

    void SetUp() override
    {
        library = std::make_unique<GenericPresetLibrary> ("Preset", "presets.tvc", loader);
        library->loadBuiltIns (builtIns, std::strlen (builtIns));
    }
};
} // namespace

TEST_F (Menus, ThePresetMenuSortsBuiltInAndUserPresets)
{
    library->save ("Mine", "");
    const auto items = presetMenus::presetItems (*library);
    ASSERT_EQ (items.size(), 3u);
    EXPECT_EQ (items[0].submenu, 1);
    EXPECT_EQ (items[2].submenu, 2);
    EXPECT_EQ (items[2].id, 3);
    EXPECT_TRUE (items[2].ticked);
    EXPECT_TRUE (presetMenus::choosePreset (*library, 2));
    EXPECT_EQ (library->getCurrentName(), juce::String ("Default"));
    EXPECT_FALSE (presetMenus::choosePreset (*library, 0)) << "dismissed";
}

TEST_F (Menus, SavingAsNewOffersTheCurrentNameWithNew)
{
    library->selectByName ("Default");
    dialogs.names = {juce::String ("Default (new)")};
    presetMenus::chooseSave (*library, 3, dialogs);
    EXPECT_EQ (dialogs.lastInitialText, juce::String ("Default (new)"));
    EXPECT_EQ (dialogs.log[0], juce::String ("ask|Save as new preset|Name of the new preset ?"));
    EXPECT_EQ (library->getCurrentName(), juce::String ("Default (new)"));

    dialogs.names = {juce::String()};
    presetMenus::chooseSave (*library, 3, dialogs);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1], juce::String ("tell|Save preset|Please enter a name!"));

    dialogs.names = {juce::String ("Heavy")};
    presetMenus::chooseSave (*library, 3, dialogs);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1],
               juce::String ("tell|Save preset|The preset \n\nHeavy\n\nis a already the name of a built-in preset. "
                             "Please choose another name."));

    // "Save current preset." on a built-in preset saves as new.
    library->selectByName ("Heavy");
    dialogs.names = {std::nullopt};
    presetMenus::chooseSave (*library, 1, dialogs);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1], juce::String ("ask|Save as new preset|Name of the new preset ?"));
}

TEST_F (Menus, RenamingFollowsItsRules)
{
    const auto items = presetMenus::saveItems (*library);
    EXPECT_FALSE (items[2].enabled) << "a built-in preset cannot be renamed";
    presetMenus::chooseSave (*library, 2, dialogs);
    EXPECT_EQ (
        dialogs.log[0],
        juce::String ("tell|Rename current preset|The current preset is a built-in preset. You cannot rename it."));

    library->save ("A", "");
    library->save ("B", "");
    library->selectByName ("A");
    dialogs.names = {juce::String ("A")};
    presetMenus::chooseSave (*library, 2, dialogs);
    EXPECT_TRUE (dialogs.log[dialogs.log.size() - 1].contains ("should not be empty and should be different"));

    dialogs.names = {juce::String ("B")};
    dialogs.confirmations = {true};
    presetMenus::chooseSave (*library, 2, dialogs);
    EXPECT_TRUE (dialogs.log[dialogs.log.size() - 1].startsWith (
        "confirm|Rename current preset|There is already a preset with the name\n\nB."));
    EXPECT_EQ (library->getNames(), juce::StringArray ("Heavy", "Default", "B"));
    EXPECT_EQ (library->getCurrentName(), juce::String ("B"));
}

TEST_F (Menus, RemovingAsksFirst)
{
    library->save ("Mine", "");
    auto items = presetMenus::removeItems (*library);
    EXPECT_TRUE (items[0].enabled);
    ASSERT_EQ (items.size(), 2u);
    EXPECT_EQ (items[1].id, 12);

    dialogs.confirmations = {false};
    presetMenus::chooseRemove (*library, 1, dialogs);
    EXPECT_TRUE (library->getNames().contains ("Mine"));
    EXPECT_EQ (dialogs.log[0],
               juce::String ("confirm|Remove|Do you really want to remove the following preset?\n\nMine"));

    dialogs.confirmations = {true};
    presetMenus::chooseRemove (*library, 12, dialogs);
    EXPECT_FALSE (library->getNames().contains ("Mine"));
    EXPECT_EQ (library->getCurrentIndex(), -1);

    library->selectByName ("Heavy");
    presetMenus::chooseRemove (*library, 1, dialogs);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1],
               juce::String ("tell|Remove preset|The preset 'Heavy' is a built-in preset. You cannot remove it."));
}
