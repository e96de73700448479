#include "editor/dialogs/PresetMenuWindows.h"
#include "tests/MessagePump.h"
#include "tests/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tovalin;
using tovalin::test::dispatchPendingMessages;

namespace
{
struct NullLoader : PresetLoader
{
    void loadPreset (const juce::XmlElement&) override {}
    void savePreset (juce::XmlElement& e) override { e.createNewChildElement ("Content"); }
};

const char* const builtIns = R"(<PresetSet><Preset name="Heavy" desc=""/><Preset name="Default" desc=""/></PresetSet>)";

/** The open menu window deepest in (a submenu over its parent), or null. */
juce::Component* openMenu()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isVisible())
            return c;
    return nullptr;
}

/** The alert window in front, or null. */
juce::AlertWindow* openBox()
{
    auto& modal = *juce::ModalComponentManager::getInstance();
    for (int i = 0; i < modal.getNumModalComponents(); ++i)
        if (auto* box = dynamic_cast<juce::AlertWindow*> (modal.getModalComponent (i)))
            return box;
    return nullptr;
}

/** The user presses keys on the open menu, one after another. */
void pressOnMenu (std::initializer_list<int> keyCodes)
{
    for (int key : keyCodes)
    {
        auto* menu = openMenu();
        ASSERT_NE (menu, nullptr) << "no menu is open";
        menu->keyPressed (juce::KeyPress (key));
        dispatchPendingMessages();
    }
}

/** The user clicks the box's button that reads text. */
void clickButton (juce::AlertWindow& box, const juce::String& text)
{
    for (auto* child : box.getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == text)
        {
            button->triggerClick();
            dispatchPendingMessages();
            return;
        }
    FAIL() << "no button " << text;
}

const int Down = juce::KeyPress::downKey, Right = juce::KeyPress::rightKey, Return = juce::KeyPress::returnKey,
          Escape = juce::KeyPress::escapeKey;

struct MenuWindows : ::testing::Test
{
    TemporaryHome home;
    NullLoader loader;
    std::unique_ptr<GenericPresetLibrary> library;
    std::unique_ptr<juce::Component> button = std::make_unique<juce::Component> ("preset button");

    void SetUp() override
    {
        library = std::make_unique<GenericPresetLibrary> ("Preset", "presets.tvc", loader);
        library->loadBuiltIns (builtIns, std::strlen (builtIns));
        button->setBounds (0, 0, 80, 20);
        button->addToDesktop (0);
        button->setVisible (true);
    }

    void TearDown() override
    {
        juce::PopupMenu::dismissAllActiveMenus();
        while (auto* box = openBox())
            box->exitModalState (0);
        dispatchPendingMessages();
        EXPECT_EQ (openMenu(), nullptr);
        EXPECT_EQ (openBox(), nullptr);
    }
};
} // namespace

TEST_F (MenuWindows, APresetIsPickedFromItsSubmenu)
{
    library->save ("Mine", "");
    library->selectByName ("Heavy");
    std::optional<bool> picked;
    presetMenus::showPresetMenu (*library, *button, [&] (bool p) { picked = p; });
    dispatchPendingMessages();
    EXPECT_FALSE (picked.has_value()) << "the menu waits for the user";

    // "Built-in presets" > "Heavy", "Default".
    pressOnMenu ({Down, Right, Down, Return});
    ASSERT_TRUE (picked.has_value());
    EXPECT_TRUE (*picked);
    EXPECT_EQ (library->getCurrentName(), juce::String ("Default"));

    // "User presets" > "Mine".
    presetMenus::showPresetMenu (*library, *button, [&] (bool p) { picked = p; });
    pressOnMenu ({Down, Down, Right, Return});
    EXPECT_EQ (library->getCurrentName(), juce::String ("Mine"));
}

TEST_F (MenuWindows, ADismissedMenuPicksNothing)
{
    library->selectByName ("Heavy");
    std::optional<bool> picked;
    presetMenus::showPresetMenu (*library, *button, [&] (bool p) { picked = p; });
    pressOnMenu ({Down, Escape});
    ASSERT_TRUE (picked.has_value());
    EXPECT_FALSE (*picked);
    EXPECT_EQ (library->getCurrentName(), juce::String ("Heavy"));
}

TEST_F (MenuWindows, TheNameBoxSavesWhatTheUserTyped)
{
    library->selectByName ("Default");
    presetMenus::showSaveMenu (*library, *button);
    pressOnMenu ({Down, Return}); // "Save as new preset."

    auto* box = openBox();
    ASSERT_NE (box, nullptr);
    EXPECT_EQ (box->getName(), juce::String ("Save as new preset"));
    auto* name = box->getTextEditor ("Name");
    ASSERT_NE (name, nullptr);
    EXPECT_EQ (name->getText(), juce::String ("Default (new)"));
    name->setText ("Evening");
    clickButton (*box, "OK");
    EXPECT_EQ (openBox(), nullptr);
    EXPECT_TRUE (library->getNames().contains ("Evening"));
    EXPECT_EQ (library->getCurrentName(), juce::String ("Evening"));

    // Cancel saves nothing, whatever was typed.
    presetMenus::showSaveMenu (*library, *button);
    pressOnMenu ({Down, Return});
    box = openBox();
    ASSERT_NE (box, nullptr);
    box->getTextEditor ("Name")->setText ("Night");
    clickButton (*box, "Cancel");
    EXPECT_FALSE (library->getNames().contains ("Night"));

    // An empty name is answered with a message.
    presetMenus::showSaveMenu (*library, *button);
    pressOnMenu ({Down, Return});
    box = openBox();
    ASSERT_NE (box, nullptr);
    box->getTextEditor ("Name")->setText ("");
    clickButton (*box, "OK");
    box = openBox();
    ASSERT_NE (box, nullptr);
    EXPECT_EQ (box->getName(), juce::String ("Save preset"));
    EXPECT_EQ (box->getNumButtons(), 1);
    clickButton (*box, "OK");
    EXPECT_EQ (openBox(), nullptr);
    EXPECT_EQ (library->getNames(), juce::StringArray ("Heavy", "Default", "Evening"));
}

TEST_F (MenuWindows, RemovingAsksAndNoKeepsThePreset)
{
    library->save ("Mine", "");
    for (const bool yes : {false, true})
    {
        presetMenus::showRemoveMenu (*library, *button);
        pressOnMenu ({Down, Return}); // "Remove current preset."
        auto* box = openBox();
        ASSERT_NE (box, nullptr);
        EXPECT_EQ (box->getName(), juce::String ("Remove"));
        EXPECT_TRUE (library->getNames().contains ("Mine")) << "removed before the answer";
        clickButton (*box, yes ? "Yes" : "No");
        EXPECT_EQ (library->getNames().contains ("Mine"), ! yes);
    }
}

TEST_F (MenuWindows, AnAnswerAfterTheEditorHasGoneIsDropped)
{
    library->save ("Mine", "");
    presetMenus::showRemoveMenu (*library, *button);
    pressOnMenu ({Down, Return});
    auto* box = openBox();
    ASSERT_NE (box, nullptr);
    button.reset(); // the editor closes with the box still open
    clickButton (*box, "Yes");
    EXPECT_TRUE (library->getNames().contains ("Mine"));
}
