#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <string>

namespace juce
{
class XmlElement;
}

namespace tovalin
{
/** An int one thread sets while others read it (relaxed: each value stands alone). */
class SharedInt
{
public:
    SharedInt (int v = 0) noexcept : value (v) {}
    SharedInt (const SharedInt& other) noexcept : value ((int) other) {}
    SharedInt& operator= (const SharedInt& other) noexcept { return *this = (int) other; }
    SharedInt& operator= (int v) noexcept
    {
        value.store (v, std::memory_order_relaxed);
        return *this;
    }
    operator int() const noexcept { return value.load (std::memory_order_relaxed); }

private:
    std::atomic<int> value;
};

/** The eight program-wide preferences with their defaults and range rules, and the
    preferences file "preferences.tvc" in the user's "Marvesk/Tovalin" folder.

    Message thread: reading, writing, loading and saving. Other threads read the
    fields (the precomputation thread the bend and harmonics rules, the audio thread
    the aftertouch rule) while a state restore may set them. */
class Settings : public juce::ChangeBroadcaster
{
public:
    ~Settings() override = default;

    SharedInt samplesOfLatency = 256;
    SharedInt chordsDetectionDelay = 0;
    SharedInt performanceLevel = 2;
    SharedInt bend = 1;
    SharedInt harmonics = 2;
    SharedInt bendOnAftertouch = 1;
    SharedInt inversions = 1;
    SharedInt showWelcomePanel = 1;

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
