#include "ActionsEditor.h"

#include "editor/dialogs/PresetMenuWindows.h"
#include "editor/settings/PanelStyle.h"
#include "performance/ActionMapper2.h"
#include "presets/GenericPresetLibrary.h"
#include "processor/TovalinPlugin.h"

namespace tovalin
{
using namespace panelStyle;

namespace
{
    bool isKeyId (int id) { return id >= 128 && id <= 255; }

    /** Compares without case and without leading signs ("#1" sorts with "1"). */
    struct RowComparator
    {
        juce::String attribute;
        int direction = 1;

        static juce::String sortKey (const juce::String& s)
        {
            int start = 0;
            while (start < s.length() && ! juce::CharacterFunctions::isLetterOrDigit (s[start]))
                ++start;
            return s.substring (start);
        }

        int compareElements (const juce::XmlElement* a, const juce::XmlElement* b) const
        {
            return direction * sortKey (a->getStringAttribute (attribute))
                                   .compareIgnoreCase (sortKey (b->getStringAttribute (attribute)));
        }
    };
} // namespace

// ---------------------------------------------------------------------------------------
// Cells

class ActionsEditor::InfoColumnCustomComponent : public juce::Component, private juce::ComboBox::Listener
{
public:
    explicit InfoColumnCustomComponent (ActionsEditor& e) : owner (e)
    {
        combo.setColour (juce::ComboBox::backgroundColourId, juce::Colours::white);
        combo.setColour (juce::ComboBox::textColourId, juce::Colours::black);
        combo.setColour (juce::ComboBox::arrowColourId, juce::Colours::black);
        combo.setColour (juce::ComboBox::outlineColourId, juce::Colours::transparentBlack);
        combo.setColour (juce::ComboBox::focusedOutlineColourId, tan);
        combo.addListener (this);
        addAndMakeVisible (combo);
    }

    void refresh (int newRow, int newColumn)
    {
        row = newRow;
        column = newColumn;
        const auto* r = owner.rows->getChildElement (row);
        if (r == nullptr)
            return;
        const auto event = r->getStringAttribute ("controllerName");
        const auto type = r->getStringAttribute ("type");
        const auto what = r->getStringAttribute ("what");
        auto& m = owner.mapper;
        const juce::StringArray& choices = column == EventColumn  ? m.controllerNames
                                           : column == TypeColumn ? m.actionTypeNames
                                                                  : owner.emptyList;
        const juce::StringArray details = column == DetailsColumn ? m.getChoicesForType (type) : juce::StringArray();

        combo.clear (juce::dontSendNotification);
        if (column == TypeColumn && event != "None")
        {
            // Kinds that do not fit the row's event are listed, disabled, with the reason.
            const bool keyEvent = isKeyId (m.idOfName (event));
            for (int i = 0; i < choices.size(); ++i)
            {
                const bool fits = m.prototypeIsKey[(size_t) i] == keyEvent;
                const auto suffix = keyEvent ? " (midi controllers only)" : " (key controllers only)";
                combo.addItem (fits ? choices[i] : choices[i] + suffix, i + 1);
                combo.setItemEnabled (i + 1, fits);
            }
        }
        else
            combo.addItemList (column == DetailsColumn ? details : choices, 1);

        combo.setText (r->getStringAttribute (attributeOf (column)), juce::dontSendNotification);
        if (column == TypeColumn || column == DetailsColumn)
        {
            const auto help = m.getMappingHelp (event, type, what);
            combo.setTooltip (help.isEmpty() ? juce::String() : "How to use this action:\n\n" + help);
        }
        else
            combo.setTooltip ({});
    }

    void resized() override { combo.setBounds (getLocalBounds().reduced (2)); }

    juce::ComboBox combo;

private:
    void comboBoxChanged (juce::ComboBox*) override
    {
        const auto* r = owner.rows->getChildElement (row);
        if (r == nullptr)
            return;
        const auto event = r->getStringAttribute ("controllerName");
        const auto type = r->getStringAttribute ("type");
        const auto what = r->getStringAttribute ("what");
        const auto chosen = combo.getText();
        auto& m = owner.mapper;
        if (column == EventColumn)
        {
            const int to = m.idOfName (chosen);
            if (to < 0)
                return;
            const int typeIndex = m.actionTypeNames.indexOf (type);
            const bool typeIsKey = typeIndex >= 0 && m.prototypeIsKey[(size_t) typeIndex];
            if (typeIsKey == isKeyId (to))
                m.moveMapping (event, type, what, chosen, false);
            else if (m.moveMapping (event, type, what, chosen, true))
                m.replaceMapping (chosen, type, what, m.createAction ("None"));
        }
        else if (column == TypeColumn)
        {
            if (auto action = m.createAction (chosen))
                m.replaceMapping (event, type, what, std::move (action));
        }
        else if (column == DetailsColumn)
            m.setMappingTarget (event, type, what, chosen);
        // The mapper's `changed` flag brings the new rows at the next tick.
    }

    ActionsEditor& owner;
    int row = 0, column = 0;
};

class ActionsEditor::DeleteColumnCustomComponent : public juce::Component, private juce::Button::Listener
{
public:
    explicit DeleteColumnCustomComponent (ActionsEditor& e) : owner (e)
    {
        styleTextButton (button);
        button.setTooltip ("Delete this MIDI mapping");
        button.addListener (this);
        addAndMakeVisible (button);
    }

    void setRow (int newRow) { row = newRow; }
    void resized() override { button.setBounds (getLocalBounds().reduced (2)); }

    juce::TextButton button{"x"};

private:
    void buttonClicked (juce::Button*) override
    {
        if (const auto* r = owner.rows->getChildElement (row))
            owner.mapper.removeMapping (r->getStringAttribute ("controllerName"), r->getStringAttribute ("type"),
                                        r->getStringAttribute ("what"));
        owner.refreshSaveText();
    }

    ActionsEditor& owner;
    int row = 0;
};

// ---------------------------------------------------------------------------------------
// The editor

ActionsEditor::ActionsEditor (TovalinPlugin& p) : ActionsEditor (p.getActionMapper(), p.getMappingLibrary()) {}

ActionsEditor::ActionsEditor (ActionMapper2& m, GenericPresetLibrary& sets) : mapper (m), mappingSets (sets)
{
    rebuildRows();
    mappingSets.reload();

    auto& header = table.getHeader();
    header.addColumn ("Event", EventColumn, 200, 100, 400);
    header.addColumn ("Action type", TypeColumn, 180, 80, 400);
    header.addColumn ("Action details", DetailsColumn, 140, 80, 400);
    header.addColumn ({}, DeleteColumn, 40, 20, 40, juce::TableHeaderComponent::notSortable);
    header.setSortColumnId (EventColumn, true);
    header.setColour (juce::TableHeaderComponent::backgroundColourId, lightTan);
    header.setColour (juce::TableHeaderComponent::textColourId, juce::Colours::black);
    header.setColour (juce::TableHeaderComponent::outlineColourId, tan);
    header.setColour (juce::TableHeaderComponent::highlightColourId, tan);
    table.setModel (this);
    table.setRowHeight (24);
    table.setHeaderHeight (22);
    table.setOutlineThickness (1);
    table.setColour (juce::ListBox::backgroundColourId, juce::Colours::white);
    table.setColour (juce::ListBox::outlineColourId, tan);
    table.getVerticalScrollBar().setColour (juce::ScrollBar::thumbColourId, tan);
    table.getHorizontalScrollBar().setColour (juce::ScrollBar::thumbColourId, tan);
    addAndMakeVisible (table);

    const struct
    {
        juce::TextButton& button;
        const char* tooltip;
    } buttons[] = {{newButton, "Add a new MIDI mapping"},
                   {clearButton, "Clear the list of MIDI mappings (no undo!)"},
                   {loadButton, "Load a preset of MIDI mappings"},
                   {saveButton, "Save the current MIDI mappings as a preset"},
                   {deleteButton, "Delete a preset of MIDI mappings"}};
    for (const auto& b : buttons)
    {
        styleTextButton (b.button);
        b.button.setTooltip (b.tooltip);
        b.button.addListener (this);
        addAndMakeVisible (b.button);
    }
    refreshSaveText();
    startTimer (50);
    setSize (600, 270);
}

ActionsEditor::~ActionsEditor()
{
    stopTimer();
    table.setModel (nullptr);
}

const char* ActionsEditor::attributeOf (int column)
{
    switch (column)
    {
        case EventColumn:
            return "controllerName";
        case TypeColumn:
            return "type";
        case DetailsColumn:
            return "what";
        default:
            return "";
    }
}

void ActionsEditor::rebuildRows()
{
    auto fresh = std::make_unique<juce::XmlElement> ("Actions");
    mapper.writeMappings (*fresh);
    rows = std::move (fresh);
    rowCount = rows->getNumChildElements();
}

void ActionsEditor::paintRowBackground (juce::Graphics& g, int row, int, int, bool selected)
{
    // The list paints empty rows below the last one too: those stay white.
    g.fillAll (row >= rowCount ? juce::Colours::white
               : selected      ? lightTan
               : row % 2 == 1  ? rowTint
                               : juce::Colours::white);
}

void ActionsEditor::paintCell (juce::Graphics& g, int row, int column, int width, int height, bool)
{
    if (const auto* r = rows->getChildElement (row); r != nullptr && column != DeleteColumn)
    {
        g.setColour (juce::Colours::black);
        g.setFont (cellFont);
        g.drawText (r->getStringAttribute (attributeOf (column)), 2, 0, width - 4, height,
                    juce::Justification::centredLeft, true);
    }
    g.setColour (juce::Colours::black.withAlpha (0.2f));
    g.fillRect (width - 1, 0, 1, height);
}

juce::Component* ActionsEditor::refreshComponentForCell (int row, int column, bool, juce::Component* existing)
{
    if (column >= EventColumn && column <= DetailsColumn)
    {
        auto* cell = dynamic_cast<InfoColumnCustomComponent*> (existing);
        if (cell == nullptr)
        {
            delete existing;
            cell = new InfoColumnCustomComponent (*this);
        }
        cell->refresh (row, column);
        return cell;
    }
    if (column == DeleteColumn)
    {
        auto* cell = dynamic_cast<DeleteColumnCustomComponent*> (existing);
        if (cell == nullptr)
        {
            delete existing;
            cell = new DeleteColumnCustomComponent (*this);
        }
        cell->setRow (row);
        return cell;
    }
    delete existing;
    return nullptr;
}

void ActionsEditor::sortOrderChanged (int column, bool forwards)
{
    if (column < EventColumn || column > DetailsColumn)
        return;
    RowComparator comparator{attributeOf (column), forwards ? 1 : -1};
    rows->sortChildElements (comparator, true);
    table.updateContent();
    table.repaint();
}

int ActionsEditor::getColumnAutoSizeWidth (int column)
{
    int widest = 32;
    for (const auto* r : rows->getChildIterator())
        widest = juce::jmax (widest, cellFont.getStringWidth (r->getStringAttribute (attributeOf (column))));
    return widest + 8;
}

void ActionsEditor::timerCallback()
{
    refreshSaveText();
    if (mapper.changed.exchange (false))
    {
        rebuildRows();
        table.updateContent();
        table.repaint();
    }
}

void ActionsEditor::refreshSaveText()
{
    mapper.applyPendingLibraryMark(); // a learn on the audio thread leaves its mark pending
    saveButton.setButtonText (mappingSets.isModified() ? "Save preset (*)" : "Save preset");
}

void ActionsEditor::buttonClicked (juce::Button* button)
{
    juce::Component::SafePointer<ActionsEditor> self (this);
    if (button == &newButton)
        mapper.addUnassignedMapping();
    else if (button == &clearButton)
        mapper.clearMappings();
    else if (button == &loadButton)
    {
        mappingSets.reload();
        presetMenus::showPresetMenu (mappingSets, loadButton,
                                     [self] (bool)
                                     {
                                         if (self != nullptr)
                                             self->refreshSaveText();
                                     });
    }
    else if (button == &saveButton)
    {
        mappingSets.reload();
        presetMenus::showSaveMenu (mappingSets, saveButton);
    }
    else if (button == &deleteButton)
    {
        mappingSets.reload();
        presetMenus::showRemoveMenu (mappingSets, deleteButton);
    }
    refreshSaveText();
}

void ActionsEditor::resized()
{
    table.setBounds (8, 34, getWidth() - 16, getHeight() - 68);
    const int y = table.getBottom() + 8;
    int x = 8;
    for (auto* b : {&newButton, &clearButton, &loadButton, &saveButton, &deleteButton})
    {
        b->setBounds (x, y, 86, 18);
        x += 94;
    }
}

void ActionsEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
    paintTitleBand (g, getWidth(), {});
    paintHeading (g, "MIDI mappings editor");
}

} // namespace tovalin
