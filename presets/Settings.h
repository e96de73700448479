#pragma once

#include <juce_events/juce_events.h>

#include <string>

namespace juce
{
class XmlElement;
}

namespace tovalin
{
/** The eight program-wide preferences with their defaults and range rules, and the
    preferences file "preferences.tvc" in the user's "Marvesk/Tovalin" folder.

    Message thread: reading, writing, loading and saving. Other threads read the
    fields, each a whole int. */
class Settings : public juce::ChangeBroadcaster
{
public:
    ~Settings() override = default;

    int samplesOfLatency = 256;
    int chordsDetectionDelay = 0;
    int performanceLevel = 2;
    int bend = 1;
    int harmonics = 2;
    int bendOnAftertouch = 1;
    int inversions = 1;
    int showWelcomePanel = 1;

    /** Stores value under key after the key's range rule; false for an unknown key. */
    bool setValue (const std::string& key, int value);

    /** The value stored under key; false for an unknown key. */
    bool getValue (const std::string& key, int& value) const;

    /** Applies the preference elements of parent (a file root or a state root);
        missing keys keep their values. */
    void readSettings (const juce::XmlElement& parent);

    /** Appends the seven preferences a plug-in state carries (not "showWelcomePanel"). */
    void writeSettings (juce::XmlElement& parent) const;

    /** Reads "preferences.tvc" when it exists and parses; else the values stay. */
    void loadPreferences();

    /** Writes "preferences.tvc". The file is replaced whole (written beside it, then
        renamed), and an existing file that does not parse is kept as
        "preferences.tvc.unreadable" rather than lost. False when it cannot be written. */
    bool savePreferences();

    /** The "Tovalin" folder inside "Marvesk" in the user's application-data folder,
        created when missing. */
    static juce::File preferenceFolder();

    /** A file in that folder; exists tells whether it is there. */
    static juce::File preferenceFile (const juce::String& name, bool& exists);
};

/** The range rule of "samplesOfLatency": the next power of two, at least 2. */
int latencyFromStoredValue (int value);

/** Writes text to file whole or not at all: into a file beside it, then renamed. An
    existing file that does not parse as XML is first kept under backupSuffix. */
bool writeUserFileSafely (const juce::File& file, const juce::String& text, const juce::String& backupSuffix);

} // namespace tovalin
