// The MIDI mappings editor driven as a user would: its drop-down cells, sorting, the
// row buttons and the mapping sets' menus, checked against the mapper's table.
#include "PlayingPlugin.h"

#include "editor/mappings/ActionsEditor.h"
#include "performance/ActionMapper2.h"
#include "performance/ParameterIds.h"
#include "presets/GenericPresetLibrary.h"

#include <gtest/gtest.h>

using namespace tovalin;
using namespace tovalin::test;

namespace
{
const int Down = juce::KeyPress::downKey, Right = juce::KeyPress::rightKey, Return = juce::KeyPress::returnKey;

struct MappingsEditor : ::testing::Test
{
    PlayingPlugin player;
    ActionMapper2& mapper = player.plugin.getActionMapper();
    std::unique_ptr<ActionsEditor> editor;

    void SetUp() override
    {
        player.plugin.getMappingLibrary().selectByName ("Default");
        editor = std::make_unique<ActionsEditor> (player.plugin);
        settle();
    }
    void TearDown() override
    {
        closeAlerts();
        editor.reset();
        dispatchPendingMessages();
    }

    /** Two timer ticks: whatever the mapper changed is on screen. */
    void settle()
    {
        dispatchMessagesUntil ([] { return false; }, 120);
    }

    juce::ComboBox& cell (int row, int column)
    {
        auto* c = editor->getTable().getCellComponent (column, row);
        EXPECT_NE (c, nullptr) << "row " << row << " column " << column;
        static juce::ComboBox none;
        if (c == nullptr)
            return none;
        return *dynamic_cast<juce::ComboBox*> (c->getChildComponent (0));
    }

    int rowOf (const juce::String& event)
    {
        int i = 0;
        for (auto* r : editor->getRows().getChildIterator())
        {
            if (r->getStringAttribute ("controllerName") == event)
                return i;
            ++i;
        }
        return -1;
    }

    juce::StringArray column (const char* attribute)
    {
        juce::StringArray out;
        for (auto* r : editor->getRows().getChildIterator())
            out.add (r->getStringAttribute (attribute));
        return out;
    }

    /** The user picks the item that reads text in a cell's list. */
    void choose (juce::ComboBox& combo, const juce::String& text)
    {
        for (int i = 0; i < combo.getNumItems(); ++i)
            if (combo.getItemText (i) == text)
            {
                ASSERT_TRUE (combo.isItemEnabled (combo.getItemId (i))) << text;
                combo.setSelectedId (combo.getItemId (i), juce::sendNotificationSync);
                settle();
                return;
            }
        FAIL() << "no item " << text;
    }

    std::vector<juce::String> typesOn (int id)
    {
        std::vector<juce::String> out;
        for (const auto& a : mapper.mappingsOf (id))
            out.push_back (a->getName());
        return out;
    }
};
} // namespace

TEST_F (MappingsEditor, ListsTheDefaultSetInTheMappersOrder)
{
    EXPECT_EQ (editor->getWidth(), 600);
    EXPECT_EQ (editor->getTable().getNumRows(), 7);
    EXPECT_EQ (column ("controllerName").joinIntoString ("|"),
               juce::String ("Modulation Wheel (coarse)|B2|C3|C#3|D3|D#3|Pitch Bend"));
    EXPECT_EQ (cell (6, ActionsEditor::TypeColumn).getText(), juce::String ("Pitch bend"));
    EXPECT_EQ (editor->saveButton.getButtonText(), juce::String ("Save preset"));
}

TEST_F (MappingsEditor, ANoneRowOffersEveryTypeEnabled)
{
    click (editor->newButton);
    settle();
    const int row = rowOf ("None");
    ASSERT_GE (row, 0);
    auto& types = cell (row, ActionsEditor::TypeColumn);
    ASSERT_EQ (types.getNumItems(), mapper.actionTypeNames.size());
    for (int i = 0; i < types.getNumItems(); ++i)
    {
        EXPECT_EQ (types.getItemText (i), mapper.actionTypeNames[i]);
        EXPECT_TRUE (types.isItemEnabled (types.getItemId (i))) << types.getItemText (i).toStdString();
    }
    // "Set Parameter" offers the parameters as details.
    EXPECT_EQ (types.getText(), juce::String ("Set Parameter"));
    EXPECT_GT (cell (row, ActionsEditor::DetailsColumn).getNumItems(), 10);
}

TEST_F (MappingsEditor, KindsThatDoNotFitTheEventAreDisabledWithTheReason)
{
    const struct
    {
        const char* event;
        const char* disabled;
        const char* enabled;
    } cases[] = {{"Modulation Wheel (coarse)", "Toggle palm (key controllers only)", "Vibrato"},
                 {"C3", "Set Parameter (midi controllers only)", "Toggle palm"}};
    for (const auto& c : cases)
    {
        auto& types = cell (rowOf (c.event), ActionsEditor::TypeColumn);
        bool sawDisabled = false, sawEnabled = false;
        for (int i = 0; i < types.getNumItems(); ++i)
        {
            if (types.getItemText (i) == c.disabled)
                sawDisabled = ! types.isItemEnabled (types.getItemId (i));
            if (types.getItemText (i) == c.enabled)
                sawEnabled = types.isItemEnabled (types.getItemId (i));
        }
        EXPECT_TRUE (sawDisabled) << c.event;
        EXPECT_TRUE (sawEnabled) << c.event;
    }
}

TEST_F (MappingsEditor, ChoosingTypeAndDetailsEditsTheMapper)
{
    choose (cell (rowOf ("Modulation Wheel (coarse)"), ActionsEditor::TypeColumn), "Set Parameter");
    EXPECT_EQ (typesOn (1), std::vector<juce::String>{"Set Parameter"});
    const auto target = player.plugin.getParameterTable().get (ParameterIds::Color).name;
    choose (cell (rowOf ("Modulation Wheel (coarse)"), ActionsEditor::DetailsColumn), target);
    EXPECT_EQ (mapper.mappingsOf (1).front()->getTarget(), target);
    EXPECT_TRUE (cell (rowOf ("Modulation Wheel (coarse)"), ActionsEditor::TypeColumn)
                     .getTooltip()
                     .startsWith ("How to use this action:\n\n"));
}

TEST_F (MappingsEditor, MovingAControllerRowToAKeyTurnsAnUnfittingTypeIntoNone)
{
    choose (cell (rowOf ("Modulation Wheel (coarse)"), ActionsEditor::EventColumn), "C5");
    EXPECT_TRUE (mapper.mappingsOf (1).empty());
    EXPECT_EQ (typesOn (128 + 72), std::vector<juce::String>{"None"});
    EXPECT_EQ (editor->getRows().getChildElement (rowOf ("C5"))->getStringAttribute ("type"), juce::String ("None"));

    // A fitting type keeps its kind: the legato key moved to another key.
    choose (cell (rowOf ("B2"), ActionsEditor::EventColumn), "A2");
    EXPECT_EQ (typesOn (128 + 45), std::vector<juce::String>{"Toggle legato"});
}

TEST_F (MappingsEditor, SortingByAColumnThenANewRowShowsTheMappersOrderAgain)
{
    auto& header = editor->getTable().getHeader();
    header.setSortColumnId (ActionsEditor::TypeColumn, true);
    dispatchPendingMessages();
    EXPECT_EQ (column ("type").joinIntoString ("|"),
               juce::String ("Pitch bend|Toggle chords detection|Toggle harmonics|"
                             "Toggle legato|Toggle palm|Toggle sustain|Vibrato"));
    header.setSortColumnId (ActionsEditor::EventColumn, false);
    dispatchPendingMessages();
    EXPECT_EQ (column ("controllerName")[0], juce::String ("Pitch Bend"));
    EXPECT_EQ (column ("controllerName")[6], juce::String ("B2"));

    click (editor->newButton);
    settle();
    EXPECT_EQ (column ("controllerName").joinIntoString ("|"),
               juce::String ("Modulation Wheel (coarse)|B2|C3|C#3|D3|D#3|Pitch Bend|None"));
}

TEST_F (MappingsEditor, DeleteARowAndClearTheList)
{
    player.setParameter (ParameterIds::PitchBend, 0.9f);
    auto* deleteCell = editor->getTable().getCellComponent (ActionsEditor::DeleteColumn, rowOf ("Pitch Bend"));
    ASSERT_NE (deleteCell, nullptr);
    click (*dynamic_cast<juce::Button*> (deleteCell->getChildComponent (0)));
    settle();
    EXPECT_TRUE (mapper.mappingsOf (256).empty());
    EXPECT_FLOAT_EQ (player.parameter (ParameterIds::PitchBend), 0.5f) << "a removed bend returns to neutral";
    EXPECT_EQ (editor->getTable().getNumRows(), 6);
    EXPECT_EQ (rowOf ("Pitch Bend"), -1);

    click (editor->clearButton);
    settle();
    EXPECT_EQ (editor->getTable().getNumRows(), 0);
    juce::XmlElement table ("T");
    mapper.writeMappings (table);
    EXPECT_EQ (table.getNumChildElements(), 0);
}

TEST_F (MappingsEditor, SaveAndLoadASetWithItsModifiedMark)
{
    click (editor->newButton);
    settle();
    EXPECT_EQ (editor->saveButton.getButtonText(), juce::String ("Save preset (*)"));

    // "Save preset" > "Save as new preset." > the name "Eight rows".
    click (editor->saveButton);
    ASSERT_TRUE (pressOnMenu ({Down, Return}));
    auto* box = openAlert();
    ASSERT_NE (box, nullptr);
    box->getTextEditor ("Name")->setText ("Eight rows");
    ASSERT_TRUE (clickAlertButton (*box, "OK"));
    settle();
    auto& sets = player.plugin.getMappingLibrary();
    EXPECT_EQ (sets.getCurrentName(), juce::String ("Eight rows"));
    EXPECT_EQ (editor->saveButton.getButtonText(), juce::String ("Save preset"));
    EXPECT_TRUE (player.home.userFile ("actions.tvc").existsAsFile());

    click (editor->clearButton);
    settle();
    EXPECT_EQ (editor->saveButton.getButtonText(), juce::String ("Save preset (*)"));

    // "Load preset" > "User presets" > "Eight rows": the eight rows come back.
    click (editor->loadButton);
    ASSERT_TRUE (pressOnMenu ({Down, Down, Right, Down, Return}));
    settle();
    EXPECT_EQ (sets.getCurrentName(), juce::String ("Eight rows"));
    EXPECT_EQ (editor->getTable().getNumRows(), 8);
    EXPECT_EQ (editor->saveButton.getButtonText(), juce::String ("Save preset"));

    // "Delete preset" > "Remove current preset." after confirmation.
    click (editor->deleteButton);
    ASSERT_TRUE (pressOnMenu ({Down, Return}));
    box = openAlert();
    ASSERT_NE (box, nullptr);
    ASSERT_TRUE (clickAlertButton (*box, "Yes"));
    EXPECT_FALSE (sets.getNames().contains ("Eight rows"));
}
