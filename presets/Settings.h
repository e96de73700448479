#pragma once

#include <string>

namespace tovalin
{
/** The eight program-wide preferences with their defaults and range rules.
    Written on the message thread; read by other threads as whole ints. */
class Settings
{
public:
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

    /** The keys in file order. */
    static const char* const* keys (int& count);
};

/** The range rule of "samplesOfLatency": the next power of two, at least 2. */
int latencyFromStoredValue (int value);

} // namespace tovalin
