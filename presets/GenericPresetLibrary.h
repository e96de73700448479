#pragma once

#include <atomic>

#include "PresetLoader.h"

#include <juce_events/juce_events.h>

#include <memory>
#include <vector>

namespace tovalin
{
/** A list of named presets: built-in ones from an embedded document, then the user's
    from a file in the preference folder; which one is current, and whether the
    instrument has changed since it was loaded or saved. It knows nothing of what a
    preset holds: its PresetLoader applies and fills the elements.

    Message thread, and the audio thread for mapped program changes; one lock
    serialises every operation. */
class GenericPresetLibrary : public juce::ChangeBroadcaster
{
public:
    struct PresetEntry
    {
        juce::String name, desc;
        std::unique_ptr<juce::XmlElement> element;
        bool builtIn = false;
    };

    GenericPresetLibrary (const juce::String& tagName, const juce::String& fileName, PresetLoader& loader);
    ~GenericPresetLibrary() override = default;

    /** The embedded document becomes the built-in set; its first preset is applied. */
    void loadBuiltIns (const char* utf8Data, size_t length);
    /** The working list anew: the built-ins, then the user file. */
    void reload();
    void selectIndex (int index);
    void selectByName (const juce::String& name);
    /** Makes the name current without applying it; false when there is no such preset. */
    bool setCurrentName (const juce::String& name);
    void save (juce::String name, const juce::String& desc);
    void rename (const juce::String& oldName, juce::String newName);
    void remove (const juce::String& name);
    bool isBuiltIn (const juce::String& name) const;

    juce::StringArray getNames() const;
    juce::String getCurrentName() const;
    int getCurrentIndex() const;
    bool isModified() const;
    void setModified (bool isNowModified);

    juce::File userFile() const;

private:
    void parse (const juce::XmlElement& root, bool builtIn);
    void resetToBuiltIns();
    void writeUserFile (bool silent, bool keepModified);
    int indexOf (const juce::String& name) const { return names.indexOf (name); }

    juce::CriticalSection lock;
    std::vector<PresetEntry> entries, builtInEntries;
    juce::StringArray names, builtInNames;
    juce::String currentName;
    int currentIndex = -1;
    juce::String tagName, rootTagName, fileName;
    PresetLoader& loader;
    /** Set lock-free: parameter changes mark it from any thread, the audio thread
        included, which must not wait for the library's lock. */
    std::atomic<bool> modified{false};
};

} // namespace tovalin
