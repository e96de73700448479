#pragma once

// A prepared instrument for the editor's tests: its panels are driven on the message
// thread while blocks are rendered as a host would, and what it plays is measured.

#include "processor/TovalinPlugin.h"
#include "tests/MessagePump.h"
#include "tests/TemporaryHome.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <utility>
#include <vector>

namespace tovalin::test
{
constexpr double rate = 44100.0;
constexpr int block = 256;

struct PlayingPlugin
{
    TemporaryHome home; // first: the instrument reads its preferences from here
    TovalinPlugin plugin;

    PlayingPlugin()
    {
        plugin.setPreference ("chordsDetectionDelay", 0);
        plugin.setPlayConfigDetails (0, 2, rate, block);
        plugin.prepareToPlay (rate, block);
        settle();
    }

    ~PlayingPlugin() { plugin.releaseResources(); }

    float parameter (int id) const { return plugin.getParameterTable().get (id).value; }
    void setParameter (int id, float value) { plugin.setParameterNotifyingHost (id, value); }

    /** What the last changes asked for is installed before the next block. */
    void settle()
    {
        plugin.finishPendingWork();
        render (0.0);
    }

    /** One block carrying these events, as the host's audio callback runs it. */
    void processBlock (const std::vector<juce::MidiMessage>& events)
    {
        juce::AudioBuffer<float> buffer (2, block);
        juce::MidiBuffer midi;
        for (const auto& m : events)
            midi.addEvent (m, 0);
        const juce::ScopedLock sl (plugin.getCallbackLock());
        plugin.processBlock (buffer, midi);
    }

    /** Renders seconds of audio (at least one block); events are (sample, message). */
    std::vector<float> render (double seconds, std::vector<std::pair<int, juce::MidiMessage>> events = {})
    {
        std::vector<float> out;
        const int total = juce::jmax (block, (int) (seconds * rate));
        juce::AudioBuffer<float> buffer (2, block);
        for (int pos = 0; pos < total; pos += block)
        {
            juce::MidiBuffer midi;
            for (const auto& [at, m] : events)
                if (at >= pos && at < pos + block)
                    midi.addEvent (m, at - pos);
            {
                const juce::ScopedLock sl (plugin.getCallbackLock());
                plugin.processBlock (buffer, midi);
            }
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + block);
        }
        return out;
    }
};

/** The user drags a slider's thumb to value with the mouse. */
inline void dragSlider (juce::Slider& slider, double value)
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto at = [&] (double v)
    { return juce::Point<float> ((float) slider.getPositionOfValue (v), slider.getHeight() * 0.5f); };
    const auto start = at (slider.getValue());
    const auto event = [&] (juce::Point<float> p, bool dragged)
    {
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (source, p, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f,
                                 0.0f, 0.0f, 0.0f, &slider, &slider, now, start, now, 1, dragged);
    };
    juce::Component& c = slider;
    c.mouseDown (event (start, false));
    c.mouseDrag (event (at (value), true));
    c.mouseUp (event (at (value), true));
}

/** The user clicks a button (its click is delivered as a message). */
inline void click (juce::Button& button)
{
    button.triggerClick();
    dispatchPendingMessages();
}

/** The alert window in front, or null. */
inline juce::AlertWindow* openAlert()
{
    auto& modal = *juce::ModalComponentManager::getInstance();
    for (int i = 0; i < modal.getNumModalComponents(); ++i)
        if (auto* box = dynamic_cast<juce::AlertWindow*> (modal.getModalComponent (i)))
            return box;
    return nullptr;
}

/** The open menu window deepest in (a submenu over its parent), or null. */
inline juce::Component* openMenu()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isVisible())
            return c;
    return nullptr;
}

/** The user presses keys on the open menu, one after another; false if none is open. */
inline bool pressOnMenu (std::initializer_list<int> keyCodes)
{
    for (int key : keyCodes)
    {
        auto* menu = openMenu();
        if (menu == nullptr)
            return false;
        menu->keyPressed (juce::KeyPress (key));
        dispatchPendingMessages();
    }
    return true;
}

/** The user clicks the alert's button that reads text; false if there is none. */
inline bool clickAlertButton (juce::AlertWindow& box, const juce::String& text)
{
    for (auto* child : box.getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == text)
        {
            click (*button);
            return true;
        }
    return false;
}

inline void closeAlerts()
{
    juce::PopupMenu::dismissAllActiveMenus();
    while (auto* box = openAlert())
        box->exitModalState (0);
    dispatchPendingMessages();
}

} // namespace tovalin::test
