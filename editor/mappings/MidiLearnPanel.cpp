#include "MidiLearnPanel.h"

#include "editor/settings/PanelStyle.h"
#include "performance/ActionMapper2.h"

namespace tovalin
{
using namespace panelStyle;
using LearnState = ActionMapper2::LearnState;

MidiLearnPanel::MidiLearnPanel (ActionMapper2& m) : mapper (m)
{
    status.setFont (juce::Font (15.0f));
    status.setJustificationType (juce::Justification::centred);
    status.setEditable (false, false, false);
    status.setColour (juce::Label::textColourId, juce::Colours::black);
    status.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    status.setText ("Move a controller or press a key. ", juce::dontSendNotification);
    addAndMakeVisible (status);
    for (auto* b : {&overwriteButton, &appendButton, &cancelButton})
    {
        styleTextButton (*b);
        b->addListener (this);
        addChildComponent (b);
    }
    setOpaque (false);
    setSize (400, 200);
}

MidiLearnPanel::~MidiLearnPanel() { stopTimer(); }

void MidiLearnPanel::startLearning()
{
    answer = NoAnswer;
    learning = true;
    setQuestionMode (false);
    setMessage (mapper.learnWantsKey() ? "Press a key on your MIDI keyboard.\n"
                                       : "Move a controller or press a key on your MIDI keyboard.\n");
    startTimer (50);
}

void MidiLearnPanel::cancelLearning()
{
    stopTimer();
    learning = false;
    mapper.cancelLearn();
}

void MidiLearnPanel::pollLearner()
{
    if (! learning)
    {
        stopTimer();
        return;
    }
    switch (mapper.learnState())
    {
        case LearnState::Idle:
        case LearnState::Listening:
            break;
        case LearnState::NeedKey:
            setMessage ("The action you are currently learning is a toggle button and can only be mapped to a key. "
                        "Please press a key on your MIDI keyboard.");
            break;
        case LearnState::NeedController:
            setMessage ("The action you are currently learning is controlled using a range of values and can only be "
                        "mapped to a MIDI controller. Please move a controller.");
            break;
        case LearnState::Conflict:
            stopTimer();
            setMessage (mapper.learnedControllerName() + " is currently mapped to " +
                        mapper.existingMappings().joinIntoString (", ") +
                        ". Do you really want to overwrite this mapping?");
            setQuestionMode (true);
            break;
        case LearnState::Mapped:
            stopTimer();
            learning = false;
            showConfirmation();
            break;
    }
}

void MidiLearnPanel::showConfirmation()
{
    setMessage ("Mapped to " + mapper.learnedControllerName() + ".\n\n" + mapper.learnHelpText());
}

void MidiLearnPanel::buttonClicked (juce::Button* button)
{
    answer = button == &overwriteButton ? Overwrite : button == &appendButton ? Append : Cancel;
    if (answer == Cancel)
        cancelLearning();
    else
    {
        if (answer == Overwrite)
            mapper.resolveReplace();
        else
            mapper.resolveAdd();
        // The mapper leaves `changed` alone here: raise it, so an open mappings
        // editor shows the new table.
        mapper.changed = true;
        learning = false;
        showConfirmation();
        setQuestionMode (false);
    }
    sendChangeMessage();
}

void MidiLearnPanel::setMessage (const juce::String& text) { status.setText (text, juce::dontSendNotification); }

void MidiLearnPanel::setQuestionMode (bool on)
{
    questionMode = on;
    for (auto* b : {&overwriteButton, &appendButton, &cancelButton})
        b->setVisible (on);
    repaint();
}

void MidiLearnPanel::resized()
{
    status.setBounds (18, 40, getWidth() - 36, getHeight() - 106);
    overwriteButton.setBounds (90, getHeight() - 48, 80, 30);
    appendButton.setBounds (188, getHeight() - 48, 80, 30);
    cancelButton.setBounds (286, getHeight() - 48, 80, 30);
}

void MidiLearnPanel::paint (juce::Graphics& g)
{
    const int bottom = questionMode ? getHeight() : getHeight() - 48;
    g.setColour (juce::Colours::white);
    g.fillRect (0, 30, getWidth(), bottom - 30);
    paintTitleBand (g, getWidth(), "MIDI Mapping");
    g.setColour (tan);
    g.drawRect (0, 0, getWidth(), bottom, 1);
}

} // namespace tovalin
