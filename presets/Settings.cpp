#include "Settings.h"
#include "SafeXml.h"

#include <juce_core/juce_core.h>

#include <algorithm>

namespace tovalin
{
namespace
{

    SharedInt* field (Settings& s, const std::string& key)
    {
        if (key == "samplesOfLatency")
            return &s.samplesOfLatency;
        if (key == "chordsDetectionDelay")
            return &s.chordsDetectionDelay;
        if (key == "performanceLevel")
            return &s.performanceLevel;
        if (key == "bend")
            return &s.bend;
        if (key == "harmonics")
            return &s.harmonics;
        if (key == "bendOnAftertouch")
            return &s.bendOnAftertouch;
        if (key == "inversions")
            return &s.inversions;
        if (key == "showWelcomePanel")
            return &s.showWelcomePanel;
        return nullptr;
    }
} // namespace

int latencyFromStoredValue (int value)
{
    // The body filter cannot partition below 2 samples; larger values go to the next
    // power of two, and nothing beyond 2^30 fits an int.
    if (value <= 2)
        return 2;
    if (value > (1 << 30))
        return 1 << 30;
    int p = 2;
    while (p < value)
        p <<= 1;
    return p;
}

bool Settings::setValue (const std::string& key, int value)
{
    SharedInt* f = field (*this, key);
    if (f == nullptr)
        return false;

    if (f == &samplesOfLatency)
        value = latencyFromStoredValue (value);
    else if (f == &performanceLevel)
        value = std::clamp (value, 0, 2);
    else if (f == &bend)
        value = std::clamp (value, 0, 3);
    else if (f == &harmonics)
        value = std::clamp (value, 1, 2);
    else if (f != &chordsDetectionDelay)
        value = std::clamp (value, 0, 1);

    *f = value;
    return true;
}

bool Settings::getValue (const std::string& key, int& value) const
{
    const SharedInt* f = field (const_cast<Settings&> (*this), key);
    if (f == nullptr)
        return false;
    value = *f;
    return true;
}

namespace
{
    // readSettings takes the keys in this order; the state (and, after "showWelcomePanel",
    // the file) lists them in stateOrder.
    const char* const readOrder[] = {
        "samplesOfLatency", "chordsDetectionDelay", "performanceLevel", "bend",
        "harmonics",        "bendOnAftertouch",     "inversions",       "showWelcomePanel"};
    const char* const stateOrder[] = {
        "samplesOfLatency", "chordsDetectionDelay", "performanceLevel", "bend", "bendOnAftertouch", "harmonics",
        "inversions"};
} // namespace

void Settings::readSettings (const juce::XmlElement& parent)
{
    for (const char* key : readOrder)
        if (auto* e = parent.getChildByName (key))
            if (e->hasAttribute ("value"))
                setValue (key, e->getStringAttribute ("value").getIntValue()); // text that is no number reads 0
}

void Settings::writeSettings (juce::XmlElement& parent) const
{
    for (const char* key : stateOrder)
    {
        int v = 0;
        getValue (key, v);
        parent.createNewChildElement (key)->setAttribute ("value", v);
    }
}

juce::File Settings::preferenceFolder()
{
    const juce::File folder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                                  .getChildFile ("Marvesk")
                                  .getChildFile ("Tovalin");
    if (! folder.isDirectory())
        folder.createDirectory();
    return folder;
}

juce::File Settings::preferenceFile (const juce::String& name, bool& exists)
{
    const juce::File f = preferenceFolder().getChildFile (name);
    exists = f.existsAsFile();
    return f;
}

void Settings::loadPreferences()
{
    bool exists = false;
    const juce::File file = preferenceFile ("preferences.tvc", exists);
    if (! exists)
        return;
    const std::unique_ptr<juce::XmlElement> root = parseXmlFile (file);
    if (root == nullptr)
        return; // unreadable: the defaults stay, and the file is left as it is
    readSettings (*root);
    sendChangeMessage();
}

bool Settings::savePreferences()
{
    juce::XmlElement root ("root");
    root.createNewChildElement ("showWelcomePanel")->setAttribute ("value", showWelcomePanel);
    writeSettings (root);
    bool exists = false;
    const juce::File file = preferenceFile ("preferences.tvc", exists);
    return writeUserFileSafely (file, root.toString(), ".unreadable");
}

bool writeUserFileSafely (const juce::File& file, const juce::String& text, const juce::String& backupSuffix)
{
    if (file.existsAsFile() && parseXmlFile (file) == nullptr)
    {
        // Someone's file that we cannot read: keep it rather than write over it.
        const juce::File backup = file.withFileExtension (file.getFileExtension().substring (1) + backupSuffix);
        if (! file.moveFileTo (backup.getNonexistentSibling (false)))
            return false;
    }
    const juce::File temp = file.getSiblingFile (file.getFileName() + ".part");
    if (! temp.replaceWithText (text, false, false, "\n"))
    {
        temp.deleteFile();
        return false;
    }
    if (! temp.moveFileTo (file))
    {
        temp.deleteFile();
        return false;
    }
    return true;
}

} // namespace tovalin
