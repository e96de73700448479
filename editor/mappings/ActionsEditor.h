#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace tovalin
{
class ActionMapper2;
class GenericPresetLibrary;
class TovalinPlugin;

/** The MIDI mappings editor: every mapping of the ActionMapper2 as a row (event,
    action type, action details) whose cells are drop-down lists, the buttons to add,
    clear and delete rows, and the mapping sets' load, save and delete menus.

    The table is the mapper's: edits go to the mapper, and the rows are rebuilt from it
    whenever its `changed` flag is raised (polled every 50 ms), so mappings learnt from
    MIDI while the editor is open appear at once. Menus and dialogs are asynchronous.
    Message thread. */
class ActionsEditor : public juce::Component,
                      public juce::TableListBoxModel,
                      private juce::Timer,
                      private juce::Button::Listener
{
public:
    ActionsEditor (ActionMapper2& mapper, GenericPresetLibrary& mappingSets);
    explicit ActionsEditor (TovalinPlugin& processor);
    ~ActionsEditor() override;

    enum Column
    {
        EventColumn = 1,
        TypeColumn = 2,
        DetailsColumn = 3,
        DeleteColumn = 4
    };

    /** The rows anew from the mapper, in its order. */
    void rebuildRows();
    /** One "ActionMapping" element per row, as shown (sorted or not). */
    const juce::XmlElement& getRows() const noexcept { return *rows; }

    juce::TableListBox& getTable() noexcept { return table; }
    juce::TextButton newButton{"New"}, clearButton{"Clear"}, loadButton{"Load preset"}, saveButton{"Save preset"},
        deleteButton{"Delete preset"};

    /** A row's cell: a drop-down list of the column's choices. */
    class InfoColumnCustomComponent;
    /** A row's delete button "x". */
    class DeleteColumnCustomComponent;

    // TableListBoxModel
    int getNumRows() override { return rowCount; }
    void paintRowBackground (juce::Graphics&, int row, int width, int height, bool selected) override;
    void paintCell (juce::Graphics&, int row, int column, int width, int height, bool selected) override;
    juce::Component* refreshComponentForCell (int row, int column, bool selected, juce::Component* existing) override;
    void sortOrderChanged (int column, bool forwards) override;
    int getColumnAutoSizeWidth (int column) override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void timerCallback() override;
    void buttonClicked (juce::Button* button) override;
    void refreshSaveText();
    static const char* attributeOf (int column);

    ActionMapper2& mapper;
    GenericPresetLibrary& mappingSets;
    std::unique_ptr<juce::XmlElement> rows;
    int rowCount = 0;
    juce::TableListBox table;
    juce::Font cellFont{14.0f};
    juce::StringArray emptyList;
};

} // namespace tovalin
