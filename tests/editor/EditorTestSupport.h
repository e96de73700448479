#pragma once

#include "editor/Editor.h"
#include "processor/TovalinPlugin.h"
#include "tests/MessagePump.h"
#include "tests/TemporaryHome.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace tovalin::test
{
/** A synthetic mouse event on c at pos (in c's coordinates). */
inline juce::MouseEvent mouseEvent (juce::Component& c, juce::Point<float> pos, juce::ModifierKeys mods,
                                    juce::Point<float> downPos, bool dragged = false)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), pos, mods,
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downPos, now,
                             1, dragged);
}

inline const juce::ModifierKeys leftButton{juce::ModifierKeys::leftButtonModifier};
inline const juce::ModifierKeys rightButton{juce::ModifierKeys::rightButtonModifier};

/** Presses and releases a mouse button at pos. */
inline void click (juce::Component& c, juce::Point<float> pos, juce::ModifierKeys button = leftButton)
{
    c.mouseDown (mouseEvent (c, pos, button, pos));
    c.mouseUp (mouseEvent (c, pos, juce::ModifierKeys(), pos));
}

/** The open popup menu window deepest in, or null. */
inline juce::Component* openMenu()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isVisible())
            return c;
    return nullptr;
}

/** How many mappings the mapper holds over all sources. */
inline size_t mappingCount (const ActionMapper2& mapper)
{
    size_t n = 0;
    for (int id = 0; id < ControllerIdCount; ++id)
        n += mapper.mappingsOf (id).size();
    return n;
}

/** What the host is told: gesture starts and ends and values, in order. */
struct HostRecorder : juce::AudioProcessorListener
{
    struct Event
    {
        char kind; // 'b' begin, 'v' value, 'e' end
        int id;
        float value;
    };
    std::vector<Event> events;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int id, float value) override
    {
        events.push_back ({'v', id, value});
    }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int id) override
    {
        events.push_back ({'b', id, 0.0f});
    }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int id) override
    {
        events.push_back ({'e', id, 0.0f});
    }
    std::vector<Event> of (int id) const
    {
        std::vector<Event> out;
        for (const auto& e : events)
            if (e.id == id)
                out.push_back (e);
        return out;
    }
};

/** A processor and its plug-in editor, the welcome panel off. */
struct EditorFixture
{
    TemporaryHome home;
    TovalinPlugin processor;
    std::unique_ptr<Editor> editor;

    explicit EditorFixture (bool welcome = false, bool withKeyboard = false)
    {
        processor.setPreference ("showWelcomePanel", welcome ? 1 : 0);
        editor = std::make_unique<Editor> (processor, withKeyboard);
        dispatchPendingMessages();
    }
    ~EditorFixture()
    {
        editor.reset();
        dispatchPendingMessages();
    }

    template <typename T>
    T& control (int id)
    {
        auto* c = dynamic_cast<T*> (editor->findControl (id));
        if (c == nullptr)
            throw std::runtime_error ("no control of that kind on parameter " + std::to_string (id));
        return *c;
    }
};

/** Paints c alone on an opaque white ground. */
inline juce::Image render (juce::Component& c)
{
    juce::Image image (juce::Image::ARGB, c.getWidth(), c.getHeight(), true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    c.paintEntireComponent (g, true);
    return image;
}

/** Distance between two colours: the largest channel difference. */
inline int colourDistance (juce::Colour a, juce::Colour b)
{
    return juce::jmax (std::abs (a.getRed() - b.getRed()), std::abs (a.getGreen() - b.getGreen()),
                       std::abs (a.getBlue() - b.getBlue()));
}

} // namespace tovalin::test
