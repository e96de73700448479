// Preset, mapping-set and preference documents as a user's files may hold them:
// every reader takes what it understands and skips the rest.
#include "presets/SafeXml.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <cstddef>
#include <cstdint>

namespace
{
tovalin::TovalinPlugin& plugin()
{
    static juce::ScopedJuceInitialiser_GUI gui;
    static tovalin::TovalinPlugin instance;
    return instance;
}

struct Discard : tovalin::PresetLoader
{
    void loadPreset (const juce::XmlElement&) override {}
    void savePreset (juce::XmlElement&) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    tovalin::TovalinPlugin& p = plugin();
    const auto xml = tovalin::parseXmlBytes (data, size); // as user files are read
    if (xml == nullptr)
        return 0;
    tovalin::Settings settings;
    settings.readSettings (*xml);
    p.readParameters (*xml);
    inside (p).velocityMapper.readPoints (*xml);
    inside (p).actionMapper.readMappings (*xml);
    for (auto* child : xml->getChildIterator())
    {
        p.loadPreset (*child);
        inside (p).actionMapper.readMappings (*child);
    }
    // A library's built-in document.
    Discard loader;
    tovalin::GenericPresetLibrary library ("Preset", "fuzz-presets.tvc", loader);
    library.loadBuiltIns ((const char*) data, size);
    for (const auto& name : library.getNames())
        library.selectByName (name);
    return 0;
}
