#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tovalin
{
class ActionMapper2;

/** What MIDI learn shows: the prompt, the NeedKey and NeedController messages, the
    question when the chosen source is already mapped (Overwrite, Append, Cancel) and
    the confirmation "Mapped to ..." with the action's help text.

    The panel follows the mapper's learner by itself: from startLearning() it polls the
    learn state every 50 ms (the audio thread captures the MIDI event) until the learn
    is mapped or asks its question. The answer buttons act on the mapper at once.

    Its host (the editor's learn overlay) centres it at its own size (400 x 200), calls
    startLearning() after the widget started the learn (startLearn or mapDirect), and
    listens to its change broadcast: when wantsToClose() is true (Cancel was answered)
    the host hides itself; a click outside the panel is the host's cancelLearning().
    Only the top part is painted while no question is asked (the bottom 48 pixels are
    left to the dimmed overlay), so the panel looks shorter without buttons.
    Message thread. */
class MidiLearnPanel : public juce::Component,
                       public juce::ChangeBroadcaster,
                       private juce::Button::Listener,
                       private juce::Timer
{
public:
    enum Answer
    {
        NoAnswer = -1,
        Overwrite = 0,
        Append = 1,
        Cancel = 2
    };

    explicit MidiLearnPanel (ActionMapper2& mapper);
    ~MidiLearnPanel() override;

    /** Shows the prompt for the learn under way and follows it. */
    void startLearning();
    /** Cancels the learn in the mapper (nothing is mapped) and stops following it. */
    void cancelLearning();
    /** One poll of the learn state (what the 50 ms timer does). */
    void pollLearner();

    bool isLearning() const noexcept { return learning; }
    bool isAskingQuestion() const noexcept { return questionMode; }
    /** The user answered Cancel: the host closes. */
    bool wantsToClose() const noexcept { return answer == Cancel; }
    Answer getAnswer() const noexcept { return answer; }

    void setMessage (const juce::String& text);
    juce::String getMessage() const { return status.getText(); }
    void setQuestionMode (bool on);

    juce::TextButton overwriteButton{"Overwrite"}, appendButton{"Append"}, cancelButton{"Cancel"};

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void buttonClicked (juce::Button* button) override;
    void timerCallback() override { pollLearner(); }
    void showConfirmation();

    ActionMapper2& mapper;
    juce::Label status{"labelStatus"};
    bool learning = false, questionMode = false;
    Answer answer = NoAnswer;
};

} // namespace tovalin
