#pragma once

namespace juce
{
class XmlElement;
}

namespace tovalin
{
/** What a preset library applies its stored elements to and fills new ones from. */
class PresetLoader
{
public:
    virtual void loadPreset (const juce::XmlElement& element) = 0;
    virtual void savePreset (juce::XmlElement& element) = 0;
    virtual ~PresetLoader() = default;
};

} // namespace tovalin
