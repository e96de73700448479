// tovalin-snapshot: pictures of the editor as a musician sees it after playing a MIDI
// file, made without a window (and without a display).

#include "editor/Editor.h"
#include "editor/EditorFactory.h"
#include "editor/panels/AboutPanel.h"
#include "editor/panels/WelcomePanel.h"
#include "editor/settings/MyPreferencesPanel.h"
#include "processor/TovalinPlugin.h"
#include "render/MidiFileReader.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <fstream>
#include <iostream>
#include <iterator>

namespace juce
{
// JUCE's own step of its Linux message loop: delivers one pending message, or returns
// false at once when none is pending.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
using namespace tovalin;

const char* const usage =
    "usage: tovalin-snapshot [-o DIR] [--standalone] [--panels] [-p PRESET] [-s NAME=VALUE]... [MIDI file]\n"
    "\n"
    "Plays the MIDI file (if any) through the instrument as a host would, block by block,\n"
    "lets the editor show it, and writes DIR/editor.png (721 x 292; 721 x 362 with the\n"
    "on-screen keyboard of --standalone). Keys still held at the end of the file stay held.\n"
    "  -o DIR          where to write the pictures (default: the current folder)\n"
    "  --standalone    the standalone program's editor, with its keyboard\n"
    "  --panels        also about.png, welcome.png, settings-performances.png,\n"
    "                  settings-effects.png, mappings.png, learn.png and unsupported-rate.png\n"
    "  -p PRESET       start from this preset\n"
    "  -s NAME=VALUE   set a parameter by name or id to 0..1 or one of its texts\n"
    "Needs no display: everything is drawn offscreen.\n";

struct Options
{
    juce::File folder = juce::File::getCurrentWorkingDirectory();
    bool standalone = false, panels = false;
    juce::String preset, midiFile;
    std::vector<std::pair<juce::String, juce::String>> sets;
};

/** Delivers the messages that timers and other threads post, for a while. */
void runMessages (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;
    while (juce::Time::getMillisecondCounter() < end)
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
}

bool parse (int argc, char** argv, Options& o, juce::String& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const juce::String a (argv[i]);
        auto next = [&] (juce::String& value)
        {
            if (i + 1 >= argc)
            {
                error = a + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        juce::String v;
        if (a == "-h" || a == "--help")
        {
            std::cout << usage;
            std::exit (0);
        }
        if (a == "-o")
        {
            if (! next (v))
                return false;
            o.folder = juce::File::getCurrentWorkingDirectory().getChildFile (v);
        }
        else if (a == "--standalone")
            o.standalone = true;
        else if (a == "--panels")
            o.panels = true;
        else if (a == "-p")
        {
            if (! next (o.preset))
                return false;
        }
        else if (a == "-s")
        {
            if (! next (v))
                return false;
            if (! v.containsChar ('=') || v.upToFirstOccurrenceOf ("=", false, false).trim().isEmpty())
            {
                error = "bad -s '" + v + "' (use NAME=VALUE)";
                return false;
            }
            o.sets.emplace_back (v.upToFirstOccurrenceOf ("=", false, false).trim(),
                                 v.fromFirstOccurrenceOf ("=", false, false).trim());
        }
        else if (a.startsWith ("-"))
        {
            error = "unknown option " + a;
            return false;
        }
        else if (o.midiFile.isEmpty())
            o.midiFile = a;
        else
        {
            error = "only one MIDI file, please";
            return false;
        }
    }
    return true;
}

/** A parameter by name or id, and a value as 0..1 or one of its texts. */
bool setParameter (TovalinPlugin& p, const juce::String& name, const juce::String& text, juce::String& error)
{
    const auto& table = p.getParameterTable();
    int id = -1;
    if (name.containsOnly ("0123456789"))
        id = name.getIntValue();
    else if (! table.findId (name, id))
        id = -1;
    if (id < 0 || id >= ParameterTable::Count)
    {
        error = "unknown parameter '" + name + "'";
        return false;
    }
    const auto& param = table.get (id);
    float value;
    if (text.containsOnly ("0123456789.") && text.isNotEmpty())
        value = text.getFloatValue();
    else if (param.textFor (param.valueForText (text)).equalsIgnoreCase (text))
        value = param.valueForText (text);
    else
    {
        error = "bad value '" + text + "' for parameter '" + param.name + "' (a number 0..1 or one of its texts)";
        return false;
    }
    if (value < 0.0f || value > 1.0f)
    {
        error = "value " + text + " for '" + param.name + "' is outside 0..1";
        return false;
    }
    p.beginParameterGesture (id);
    p.setParameterNotifyingHost (id, value);
    p.endParameterGesture (id);
    return true;
}

bool writePicture (juce::Component& c, const juce::File& file)
{
    const auto image = c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    if (! out.openedOk() || ! png.writeImageToStream (image, out))
    {
        std::cerr << "tovalin-snapshot: cannot write " << file.getFullPathName() << "\n";
        return false;
    }
    std::cout << file.getFullPathName() << "\n";
    return true;
}

int run (const Options& o)
{
    constexpr double rate = 44100.0;
    constexpr int block = 512;

    MidiFileContents midi;
    if (o.midiFile.isNotEmpty())
    {
        std::ifstream in (o.midiFile.toStdString(), std::ios::binary);
        if (! in)
        {
            std::cerr << "tovalin-snapshot: cannot read " << o.midiFile << "\n";
            return 1;
        }
        std::vector<std::uint8_t> bytes ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
        std::string error;
        if (! readMidiFile (bytes, midi, error))
        {
            std::cerr << "tovalin-snapshot: " << o.midiFile << ": " << error << "\n";
            return 1;
        }
    }
    if (! o.folder.isDirectory() && ! o.folder.createDirectory())
    {
        std::cerr << "tovalin-snapshot: cannot make the folder " << o.folder.getFullPathName() << "\n";
        return 1;
    }

    useEditor (o.standalone);
    auto processor = std::make_unique<TovalinPlugin>();
    // The picture shows the instrument, not the first-use greeting.
    processor->setPreference ("showWelcomePanel", 0);
    processor->setPlayConfigDetails (0, 2, rate, block);
    if (o.preset.isNotEmpty())
    {
        if (! processor->getPresetLibrary().getNames().contains (o.preset))
        {
            std::cerr << "tovalin-snapshot: unknown preset '" << o.preset
                      << "'; the presets are: " << processor->getPresetLibrary().getNames().joinIntoString (", ")
                      << "\n";
            return 1;
        }
        processor->getPresetLibrary().selectByName (o.preset);
    }
    for (const auto& [name, value] : o.sets)
    {
        juce::String error;
        if (! setParameter (*processor, name, value, error))
        {
            std::cerr << "tovalin-snapshot: " << error << "\n";
            return 1;
        }
    }

    processor->prepareToPlay (rate, block);
    processor->finishPendingWork();
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor->createEditorIfNeeded());
    runMessages (50);

    // The performance, block by block, as a host plays it.
    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer events;
    // Half a second more after the file's end: held notes go on sounding, and what
    // waits on time (a strum, the chord detection delay) completes, as it would in a host.
    const auto total = (juce::int64) std::ceil ((midi.lengthSeconds + 0.5) * rate);
    size_t next = 0;
    for (juce::int64 position = 0; position < total; position += block)
    {
        buffer.clear();
        events.clear();
        while (next < midi.events.size() && (juce::int64) (midi.events[next].seconds * rate) < position + block)
        {
            const auto& e = midi.events[next++];
            events.addEvent (e.bytes, e.size,
                             (int) juce::jmax<juce::int64> (0, (juce::int64) (e.seconds * rate) - position));
        }
        {
            const juce::ScopedLock sl (processor->getCallbackLock());
            processor->processBlock (buffer, events);
        }
        processor->finishPendingWork();
        while (juce::dispatchNextMessageOnSystemQueue (true))
        {
        }
    }
    // The editor's timers catch up with what was played; fades and meters settle.
    runMessages (600);

    auto& view = dynamic_cast<Editor&> (*editor);
    if (! writePicture (view, o.folder.getChildFile ("editor.png")))
        return 1;

    if (o.panels)
    {
        auto& overlay = view.getPanelOverlay();
        overlay.showPanel (std::make_unique<AboutPanel>(), false, true);
        if (! writePicture (view, o.folder.getChildFile ("about.png")))
            return 1;
        overlay.showPanel (std::make_unique<WelcomePanel>(), false, true);
        if (! writePicture (view, o.folder.getChildFile ("welcome.png")))
            return 1;
        overlay.closePanel();

        // The settings and mappings panels, opened by their buttons as the user does.
        view.getSettingsButton().triggerClick();
        runMessages (400);
        auto* settings = dynamic_cast<MyPreferencesPanel*> (overlay.getPanel());
        if (settings == nullptr)
        {
            std::cerr << "tovalin-snapshot: the settings button opened no settings panel\n";
            return 1;
        }
        for (const auto& [tab, file] :
             {std::pair<const char*, const char*>{"Performances", "settings-performances.png"},
              std::pair<const char*, const char*>{"Effects", "settings-effects.png"}})
        {
            settings->showTab (tab);
            runMessages (100);
            if (! writePicture (view, o.folder.getChildFile (file)))
                return 1;
        }
        overlay.closePanel();
        view.getMappingsButton().triggerClick();
        runMessages (400);
        if (! writePicture (view, o.folder.getChildFile ("mappings.png")))
            return 1;
        overlay.closePanel();

        auto action = std::make_unique<ActionSetParameter> (*processor);
        action->parameterId = ParameterIds::Color;
        processor->getActionMapper().startLearn (std::move (action), false);
        view.getLearnOverlay().startLearning();
        runMessages (400);
        if (! writePicture (view, o.folder.getChildFile ("learn.png")))
            return 1;
        view.getLearnOverlay().close();

        // A host at a rate the instrument does not play at.
        processor->releaseResources();
        processor->prepareToPlay (32000.0, block);
        runMessages (200);
        if (! writePicture (view, o.folder.getChildFile ("unsupported-rate.png")))
            return 1;
    }

    editor.reset();
    processor->releaseResources();
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    Options options;
    juce::String error;
    if (! parse (argc, argv, options, error))
    {
        std::cerr << "tovalin-snapshot: " << error << "\n\n" << usage;
        return 2;
    }
    // Everything is drawn offscreen: no display is needed, and none is opened.
    juce::ScopedJuceInitialiser_GUI gui;
    return run (options);
}
