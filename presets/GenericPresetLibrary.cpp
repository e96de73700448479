#include "GenericPresetLibrary.h"
#include "SafeXml.h"

#include "Settings.h"

#include <juce_core/juce_core.h>

namespace tovalin
{
namespace
{
    GenericPresetLibrary::PresetEntry copyOf (const GenericPresetLibrary::PresetEntry& e)
    {
        return {e.name, e.desc, std::make_unique<juce::XmlElement> (*e.element), e.builtIn};
    }
} // namespace

GenericPresetLibrary::GenericPresetLibrary (const juce::String& tag, const juce::String& file, PresetLoader& l)
    : tagName (tag), rootTagName (tag + "Set"), fileName (file), loader (l)
{
}

void GenericPresetLibrary::parse (const juce::XmlElement& root, bool builtIn)
{
    for (auto* e : root.getChildIterator())
    {
        if (! e->hasTagName (tagName) || ! e->hasAttribute ("name") || ! e->hasAttribute ("desc"))
            continue;
        PresetEntry entry{e->getStringAttribute ("name"), e->getStringAttribute ("desc"),
                          std::make_unique<juce::XmlElement> (*e), builtIn};
        if (builtIn)
        {
            builtInNames.add (entry.name);
            builtInEntries.push_back (std::move (entry));
        }
        else
        {
            names.add (entry.name);
            entries.push_back (std::move (entry));
        }
    }
}

void GenericPresetLibrary::resetToBuiltIns()
{
    entries.clear();
    for (const auto& e : builtInEntries)
        entries.push_back (copyOf (e));
    names = builtInNames;
}

void GenericPresetLibrary::loadBuiltIns (const char* data, size_t length)
{
    const juce::ScopedLock sl (lock);
    const auto root = parseXmlBytes (data, length);
    if (root != nullptr)
        parse (*root, true);
    resetToBuiltIns();
    if (! builtInNames.isEmpty())
        selectByName (builtInNames[0]);
}

juce::File GenericPresetLibrary::userFile() const
{
    bool exists = false;
    return Settings::preferenceFile (fileName, exists);
}

void GenericPresetLibrary::reload()
{
    {
        const juce::ScopedLock sl (lock);
        resetToBuiltIns();
        const juce::File file = userFile();
        if (file.existsAsFile())
            if (const auto root = parseXmlFile (file))
            {
                parse (*root, false);
                currentIndex = indexOf (currentName);
            }
    }
    sendChangeMessage();
}

void GenericPresetLibrary::selectIndex (int i)
{
    {
        const juce::ScopedLock sl (lock);
        if (i < 0 || i >= (int) entries.size())
            return;
        currentIndex = i;
        currentName = names[i];
        loader.loadPreset (*entries[(size_t) i].element);
        modified = false;
    }
    sendChangeMessage();
}

void GenericPresetLibrary::selectByName (const juce::String& name)
{
    const juce::ScopedLock sl (lock);
    const int i = indexOf (name);
    if (i >= 0)
        selectIndex (i);
}

bool GenericPresetLibrary::setCurrentName (const juce::String& name)
{
    const juce::ScopedLock sl (lock);
    const int i = indexOf (name);
    if (i < 0)
        return false;
    currentIndex = i;
    currentName = name;
    return true;
}

void GenericPresetLibrary::writeUserFile (bool silent, bool keepModified)
{
    juce::XmlElement root (rootTagName);
    for (const auto& e : entries)
        if (! e.builtIn)
        {
            auto* copy = new juce::XmlElement (*e.element);
            copy->setAttribute ("name", e.name);
            copy->setAttribute ("desc", e.desc);
            root.addChildElement (copy);
        }
    writeUserFileSafely (userFile(), root.toString(), ".unreadable");
    modified = keepModified && modified.load();
    if (! silent)
        sendChangeMessage();
}

void GenericPresetLibrary::save (juce::String name, const juce::String& desc)
{
    {
        const juce::ScopedLock sl (lock);
        if (builtInNames.contains (name))
            name << " (user)";
        const int i = indexOf (name);
        if (i >= 0)
        {
            entries[(size_t) i].element->deleteAllChildElements();
            loader.savePreset (*entries[(size_t) i].element);
        }
        else
        {
            auto element = std::make_unique<juce::XmlElement> (tagName);
            loader.savePreset (*element);
            entries.push_back ({name, desc, std::move (element), false});
            names.add (name);
        }
        writeUserFile (false, false);
        currentName = name;
        currentIndex = indexOf (name);
    }
    sendChangeMessage();
}

void GenericPresetLibrary::rename (const juce::String& oldName, juce::String newName)
{
    const juce::ScopedLock sl (lock);
    if (builtInNames.contains (oldName))
        return;
    if (builtInNames.contains (newName))
        newName << " (user)";
    if (newName == oldName)
        return;
    const int existing = indexOf (newName);
    if (existing >= 0 && ! entries[(size_t) existing].builtIn)
    {
        entries.erase (entries.begin() + existing);
        names.remove (existing);
    }
    const int i = indexOf (oldName);
    if (i < 0)
        return;
    entries[(size_t) i].name = newName;
    names.set (i, newName);
    if (currentName == oldName)
        currentName = newName;
    currentIndex = indexOf (currentName);
    writeUserFile (false, true);
}

void GenericPresetLibrary::remove (const juce::String& name)
{
    {
        const juce::ScopedLock sl (lock);
        const int i = indexOf (name);
        if (builtInNames.contains (name) || i < 0)
            return;
        entries.erase (entries.begin() + i);
        names.remove (i);
        writeUserFile (true, false);
        if (currentName == name)
        {
            currentName = {};
            currentIndex = -1;
            modified = false;
        }
        else
            currentIndex = indexOf (currentName);
    }
    sendChangeMessage();
}

bool GenericPresetLibrary::isBuiltIn (const juce::String& name) const
{
    const juce::ScopedLock sl (lock);
    for (const auto& e : entries)
        if (e.name == name)
            return e.builtIn;
    return false;
}

juce::StringArray GenericPresetLibrary::getNames() const
{
    const juce::ScopedLock sl (lock);
    return names;
}

juce::String GenericPresetLibrary::getCurrentName() const
{
    const juce::ScopedLock sl (lock);
    return currentName;
}

int GenericPresetLibrary::getCurrentIndex() const
{
    const juce::ScopedLock sl (lock);
    return currentIndex;
}

bool GenericPresetLibrary::isModified() const { return modified; }

void GenericPresetLibrary::setModified (bool m)
{
    modified = m;
    sendChangeMessage(); // posts JUCE's update allocated in advance: no lock, no allocation
}

} // namespace tovalin
