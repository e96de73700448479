#include "presets/PresetMenus.h"
#include "tests/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <memory>

using namespace tovalin;

namespace
{
/** Answers the boxes from a script and records what they said. Answers come after
    the asking call has returned, as a user's would: settle() gives them. */
struct ScriptedDialogs : PresetDialogs
{
    std::deque<bool> confirmations;
    std::deque<std::optional<juce::String>> names;
    juce::StringArray log;
    juce::String lastInitialText;
    std::deque<std::function<void()>> pendingAnswers;

    void confirm (const juce::String& title, const juce::String& text, std::function<void (bool)> answered) override
    {
        log.add ("confirm|" + title + "|" + text);
        const bool yes = ! confirmations.empty() && confirmations.front();
        if (! confirmations.empty())
            confirmations.pop_front();
        pendingAnswers.push_back ([answered, yes] { answered (yes); });
    }
    void tell (const juce::String& title, const juce::String& text) override { log.add ("tell|" + title + "|" + text); }
    void askName (const juce::String& title, const juce::String& message, const juce::String& initialText,
                  std::function<void (std::optional<juce::String>)> answered) override
    {
        log.add ("ask|" + title + "|" + message);
        lastInitialText = initialText;
        auto n = names.empty() ? std::nullopt : names.front();
        if (! names.empty())
            names.pop_front();
        pendingAnswers.push_back ([answered, n] { answered (n); });
    }

    /** Gives every answer, including those to questions the answers raise. */
    void settle()
    {
        while (! pendingAnswers.empty())
        {
            auto answer = std::move (pendingAnswers.front());
            pendingAnswers.pop_front();
            answer();
        }
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
    std::shared_ptr<ScriptedDialogs> scripted = std::make_shared<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *scripted;

    void chooseSave (int itemId)
    {
        presetMenus::chooseSave (*library, itemId, scripted);
        dialogs.settle();
    }
    void chooseRemove (int itemId)
    {
        presetMenus::chooseRemove (*library, itemId, scripted);
        dialogs.settle();
    }

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
    chooseSave (3);
    EXPECT_EQ (dialogs.lastInitialText, juce::String ("Default (new)"));
    EXPECT_EQ (dialogs.log[0], juce::String ("ask|Save as new preset|Name of the new preset ?"));
    EXPECT_EQ (library->getCurrentName(), juce::String ("Default (new)"));

    dialogs.names = {juce::String()};
    chooseSave (3);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1], juce::String ("tell|Save preset|Please enter a name!"));

    dialogs.names = {juce::String ("Heavy")};
    chooseSave (3);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1],
               juce::String ("tell|Save preset|The preset \n\nHeavy\n\nis a already the name of a built-in preset. "
                             "Please choose another name."));

    // "Save current preset." on a built-in preset saves as new.
    library->selectByName ("Heavy");
    dialogs.names = {std::nullopt};
    chooseSave (1);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1], juce::String ("ask|Save as new preset|Name of the new preset ?"));
}

TEST_F (Menus, RenamingFollowsItsRules)
{
    const auto items = presetMenus::saveItems (*library);
    EXPECT_FALSE (items[2].enabled) << "a built-in preset cannot be renamed";
    chooseSave (2);
    EXPECT_EQ (
        dialogs.log[0],
        juce::String ("tell|Rename current preset|The current preset is a built-in preset. You cannot rename it."));

    library->save ("A", "");
    library->save ("B", "");
    library->selectByName ("A");
    dialogs.names = {juce::String ("A")};
    chooseSave (2);
    EXPECT_TRUE (dialogs.log[dialogs.log.size() - 1].contains ("should not be empty and should be different"));

    dialogs.names = {juce::String ("B")};
    dialogs.confirmations = {true};
    chooseSave (2);
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
    chooseRemove (1);
    EXPECT_TRUE (library->getNames().contains ("Mine"));
    EXPECT_EQ (dialogs.log[0],
               juce::String ("confirm|Remove|Do you really want to remove the following preset?\n\nMine"));

    dialogs.confirmations = {true};
    chooseRemove (12);
    EXPECT_FALSE (library->getNames().contains ("Mine"));
    EXPECT_EQ (library->getCurrentIndex(), -1);

    library->selectByName ("Heavy");
    chooseRemove (1);
    EXPECT_EQ (dialogs.log[dialogs.log.size() - 1],
               juce::String ("tell|Remove preset|The preset 'Heavy' is a built-in preset. You cannot remove it."));
}

TEST_F (Menus, AChoiceWaitsForTheAnswer)
{
    library->save ("Mine", "");
    dialogs.confirmations = {true};
    presetMenus::chooseRemove (*library, 1, scripted);
    EXPECT_TRUE (library->getNames().contains ("Mine")) << "removed before the user answered";
    dialogs.settle();
    EXPECT_FALSE (library->getNames().contains ("Mine"));
}
