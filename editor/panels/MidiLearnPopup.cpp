#include "MidiLearnPopup.h"

#include "editor/look/BasicLookAndFeel.h"
#include "performance/ActionMapper2.h"

namespace tovalin
{
/** The white box in the middle: the title band and the message. */
class MidiLearnPopup::Panel : public juce::Component
{
public:
    Panel()
    {
        status.setName ("labelStatus");
        status.setFont (juce::Font (15.0f));
        status.setJustificationType (juce::Justification::centred);
        status.setColour (juce::Label::textColourId, juce::Colours::black);
        status.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        status.setEditable (false);
        status.setText ("Move a controller or press a key. ", juce::dontSendNotification);
        addAndMakeVisible (status);
        setSize (400, 200);
    }

    void paint (juce::Graphics& g) override
    {
        g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));
        BasicLookAndFeel::drawTitleBand (g, getWidth(), "MIDI Mapping");
    }

    void resized() override { status.setBounds (18, 40, getWidth() - 36, getHeight() - 106); }

    juce::Label status;
};

MidiLearnPopup::MidiLearnPopup (ActionMapper2& m) : mapper (m), panel (std::make_unique<Panel>())
{
    addAndMakeVisible (*panel);
    setVisible (false);
}

MidiLearnPopup::~MidiLearnPopup() { stopTimer(); }

juce::String MidiLearnPopup::getMessage() const { return panel->status.getText(); }

void MidiLearnPopup::startLearning (bool wantsKey, int directControllerId)
{
    dim = 0.0f;
    fading = true;
    learning = true;
    directId = directControllerId;
    panel->status.setText (wantsKey ? "Press a key on your MIDI keyboard.\n"
                                    : "Move a controller or press a key on your MIDI keyboard.\n",
                           juce::dontSendNotification);
    toFront (false);
    startTimer (50);
    setVisible (true);
    repaint();
}

void MidiLearnPopup::close()
{
    learning = false;
    mapper.cancelLearn();
    stopTimer();
    setVisible (false);
}

void MidiLearnPopup::paint (juce::Graphics& g) { g.fillAll (juce::Colours::black.withAlpha (dim)); }

void MidiLearnPopup::resized() { panel->setCentrePosition (getLocalBounds().getCentre()); }

void MidiLearnPopup::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent == this)
        close();
}

void MidiLearnPopup::parentSizeChanged()
{
    if (auto* parent = getParentComponent())
        setBounds (parent->getLocalBounds());
}

void MidiLearnPopup::timerCallback()
{
    if (fading)
    {
        if (dim < 0.5f)
        {
            dim = juce::jmin (0.5f, dim + 0.1f);
            repaint();
        }
        else
            fading = false;
    }
    if (! learning)
    {
        if (! fading)
            stopTimer();
        return;
    }
    using State = ActionMapper2::LearnState;
    switch (mapper.learnState())
    {
        case State::Idle:
        case State::Listening:
            break;
        case State::NeedKey:
            panel->status.setText ("The action you are currently learning is a toggle button and can only be mapped "
                                   "to a key. Please press a key on your MIDI keyboard.",
                                   juce::dontSendNotification);
            break;
        case State::NeedController:
            panel->status.setText ("The action you are currently learning is controlled using a range of values and "
                                   "can only be mapped to a MIDI controller. Please move a controller.",
                                   juce::dontSendNotification);
            break;
        case State::Conflict:
        {
            // Nothing is mapped yet: a click outside cancels. (Overwrite and Append come
            // with the mappings editor.)
            learning = false;
            const auto existing = mapper.existingMappings().joinIntoString (", ");
            panel->status.setText (mapper.learnedControllerName() + " is currently mapped to " + existing +
                                       ". Do you really want to overwrite this mapping?",
                                   juce::dontSendNotification);
            break;
        }
        case State::Mapped:
        {
            learning = false;
            const auto name = directId >= 0 ? mapper.controllerNames[directId] : mapper.learnedControllerName();
            panel->status.setText ("Mapped to " + name + ".\n\n" + mapper.learnHelpText(), juce::dontSendNotification);
            break;
        }
    }
}

} // namespace tovalin
