#include "Settings.h"

#include <algorithm>

namespace tovalin
{
namespace
{
    const char* const keyNames[] = {
        "showWelcomePanel", "samplesOfLatency", "chordsDetectionDelay", "performanceLevel", "bend", "bendOnAftertouch",
        "harmonics",        "inversions"};

    int* field (Settings& s, const std::string& key)
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
    int* f = field (*this, key);
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
    const int* f = field (const_cast<Settings&> (*this), key);
    if (f == nullptr)
        return false;
    value = *f;
    return true;
}

const char* const* Settings::keys (int& count)
{
    count = (int) (sizeof (keyNames) / sizeof (keyNames[0]));
    return keyNames;
}

} // namespace tovalin
