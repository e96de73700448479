#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace tovalin;
using P = ParameterTable;

TEST (State, TheChunkCarriesTheWholeInstrumentInItsOrder)
{
    TovalinPlugin plugin;
    juce::MemoryBlock chunk;
    plugin.getStateInformation (chunk);
    ASSERT_GT (chunk.getSize(), 9u);
    const auto* bytes = static_cast<const unsigned char*> (chunk.getData());
    EXPECT_EQ (bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (unsigned) bytes[3] << 24, 0x21324356u);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.getData(), (int) chunk.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("TovalinSettings"));
    EXPECT_EQ (xml->getStringAttribute ("pluginVersion"), juce::String ("1.3"));
    juce::StringArray tags;
    for (auto* e : xml->getChildIterator())
        if (tags.isEmpty() || tags[tags.size() - 1] != e->getTagName())
            tags.add (e->getTagName());
    EXPECT_EQ (tags, juce::StringArray ({"ActionMapping", "Parameter", "VelocityPoint", "samplesOfLatency",
                                         "chordsDetectionDelay", "performanceLevel", "bend", "bendOnAftertouch",
                                         "harmonics", "inversions", "currentPreset", "currentActionsPreset"}));
    EXPECT_EQ (xml->getChildByName ("showWelcomePanel"), nullptr);
    EXPECT_EQ (xml->getChildByName ("currentPreset")->getStringAttribute ("name"),
               juce::String ("Are You Classical ?"));
}

TEST (State, ASavedInstrumentIsRestoredWhole)
{
    TovalinPlugin a;
    a.setCurrentProgram (7); // "Heavy"
    a.setParameterNotifyingHost (P::Color, 0.8f);
    a.setParameterNotifyingHost (P::StringType, 1.0f);
    inside (a).velocityMapper.addPoint (64, 100);
    a.setPreference ("chordsDetectionDelay", 200);
    inside (a).settings.showWelcomePanel = 0;
    inside (a).actionMapper.addMapping (7, inside (a).actionMapper.createAction ("Set Parameter"), true);
    inside (a).actionMapper.setMappingTarget ("Volume (coarse)", "Set Parameter", "Volume", "Color");
    juce::MemoryBlock chunk;
    a.getStateInformation (chunk);

    TovalinPlugin b;
    b.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_FLOAT_EQ (inside (b).parameters.get (P::Color).value, 0.8f);
    EXPECT_EQ (inside (b).parameters.get (P::StringType).getText(), juce::String ("Steel"));
    EXPECT_EQ (inside (b).parameters.get (P::GuitarType).getText(),
               inside (a).parameters.get (P::GuitarType).getText());
    EXPECT_EQ (inside (b).velocityMapper.getPoints(), inside (a).velocityMapper.getPoints());
    EXPECT_EQ (inside (b).settings.chordsDetectionDelay, 200);
    EXPECT_EQ (inside (b).guitarist.chordDetectionDelay, 200);
    EXPECT_EQ (inside (b).settings.showWelcomePanel, 1) << "not part of the state";
    EXPECT_EQ (inside (b).presetLibrary->getCurrentName(), juce::String ("Heavy"));
    EXPECT_EQ (b.getCurrentProgram(), 7);
    EXPECT_TRUE (inside (b).presetLibrary->isModified()) << "the song's sound differs from the preset";
    EXPECT_FALSE (inside (b).restoringState);
    ASSERT_EQ (inside (b).actionMapper.mappingsOf (7).size(), 1u) << "the mappings come along";
    EXPECT_EQ (inside (b).actionMapper.mappingsOf (7)[0]->getTarget(), juce::String ("Color"));
    EXPECT_EQ (inside (b).actionMapper.mappingsOf (1).size(), 1u);
}

TEST (State, ChunksThatAreNotOursChangeNothing)
{
    TovalinPlugin plugin;
    const float colour = inside (plugin).parameters.get (P::Color).value;
    juce::MemoryBlock foreign;
    juce::XmlElement other ("SomethingElse");
    other.createNewChildElement ("Parameter")->setAttribute ("id", 6);
    juce::AudioProcessor::copyXmlToBinary (other, foreign);
    plugin.setStateInformation (foreign.getData(), (int) foreign.getSize());
    const char garbage[] = "VC2!\x05\x00\x00\x00<x/>";
    plugin.setStateInformation (garbage, (int) sizeof (garbage));
    plugin.setStateInformation (garbage, 3);
    EXPECT_FLOAT_EQ (inside (plugin).parameters.get (P::Color).value, colour);
    EXPECT_EQ (inside (plugin).presetLibrary->getCurrentName(), juce::String ("Are You Classical ?"));
}

TEST (State, AnUnknownCurrentPresetCountsAsModified)
{
    TovalinPlugin plugin;
    juce::XmlElement state ("TovalinSettings");
    auto* preset = state.createNewChildElement ("currentPreset");
    preset->setAttribute ("name", "Someone else's");
    preset->setAttribute ("um", 0);
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (state, chunk);
    plugin.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_TRUE (inside (plugin).presetLibrary->isModified());
    EXPECT_EQ (inside (plugin).presetLibrary->getCurrentName(), juce::String ("Are You Classical ?"));
}

TEST (State, TheHostIsKnownByItsExecutableName)
{
    const std::pair<const char*, int> cases[] = {
        {"tovalin-render", 0}, {"Live 8.0.exe", 3}, {"Ableton Live 9 Suite", 4}, {"Cubase5.exe", 14},
        {"Cubase 4.exe", 15},  {"REAPER", 10},      {"Logic Pro X", 6},          {"SONAR 8.5", 8},
        {"WaveLab 6.exe", 17}, {"Tracktion 3", 11},
    };
    for (const auto& [name, code] : cases)
        EXPECT_EQ (TovalinPlugin::hostTypeOf (name), code) << name;

    TovalinPlugin plugin;
    inside (plugin).hostType = 15;
    EXPECT_EQ (plugin.getNumPrograms(), 1);
    EXPECT_EQ (plugin.getCurrentProgram(), 0);
    EXPECT_EQ (plugin.getProgramName (3), juce::String ("None"));
    plugin.setCurrentProgram (3);
    EXPECT_EQ (inside (plugin).presetLibrary->getCurrentIndex(), 0) << "ignored in the Cubase family";
}

namespace
{
std::unique_ptr<juce::XmlElement> stateOf (TovalinPlugin& plugin)
{
    juce::MemoryBlock chunk;
    plugin.getStateInformation (chunk);
    return juce::AudioProcessor::getXmlFromBinary (chunk.getData(), (int) chunk.getSize());
}

/** A value of the host parameter that differs from its default: another step of a
    choice, the other state of a switch, a distant value of a continuous one. */
float anotherValue (const juce::AudioProcessorParameter& p)
{
    const float d = p.getDefaultValue();
    if (p.isBoolean())
        return d >= 0.5f ? 0.0f : 1.0f;
    if (p.isDiscrete())
    {
        const int steps = p.getNumSteps(), index = (int) std::lround (d * (float) (steps - 1));
        return (float) ((index + (steps > 2 ? 2 : 1)) % steps) / (float) (steps - 1);
    }
    return d < 0.5f ? d + 0.37f : d - 0.29f;
}

/** Mono output of a fresh performance: a chord, single notes and the wheels. (A
    controller mapped to a string-shaping parameter would recompute the strings, and the
    recomputed set goes live at a block that depends on thread timing.) */
std::vector<float> render (TovalinPlugin& plugin, int blockSize = 256, int seconds = 2)
{
    plugin.setPlayConfigDetails (0, 1, 44100, blockSize);
    plugin.prepareToPlay (44100, blockSize);
    juce::MidiBuffer all;
    for (int i = 0; i < 4; ++i)
        all.addEvent (juce::MidiMessage::noteOn (1, 52 + 4 * i, (juce::uint8) (80 + 10 * i)), 100 + i);
    all.addEvent (juce::MidiMessage::controllerEvent (1, 1, 90), 15000);
    all.addEvent (juce::MidiMessage::pitchWheel (1, 12000), 22000);
    for (int i = 0; i < 4; ++i)
        all.addEvent (juce::MidiMessage::noteOff (1, 52 + 4 * i), 40000);
    all.addEvent (juce::MidiMessage::noteOn (3, 65, (juce::uint8) 110), 45000);
    all.addEvent (juce::MidiMessage::noteOn (5, 69, (juce::uint8) 70), 60000);

    std::vector<float> out;
    juce::AudioBuffer<float> buffer (1, blockSize);
    for (int start = 0; start < seconds * 44100; start += blockSize)
    {
        juce::MidiBuffer midi;
        midi.addEvents (all, start, blockSize, -start);
        plugin.processBlock (buffer, midi);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
    }
    return out;
}
} // namespace

// Everything the state holds is changed from its default, saved, and restored into a
// fresh instrument: the second instrument's chunk is the first's element by element,
// its host parameters read the same, and it plays the same samples.
TEST (State, AChangedInstrumentIsRestoredWholeIntoAFreshOne)
{
    TovalinPlugin fresh;
    const auto defaults = stateOf (fresh);

    TovalinPlugin a;
    a.setCurrentProgram (9);
    const auto& params = a.getParameters();
    for (int id = 0; id < P::Count; ++id)
        params[id]->setValueNotifyingHost (anotherValue (*params[id]));
    const std::pair<const char*, int> preferences[] = {{"samplesOfLatency", 512}, {"chordsDetectionDelay", 700},
                                                       {"performanceLevel", 1},   {"bend", 3},
                                                       {"bendOnAftertouch", 0},   {"harmonics", 1},
                                                       {"inversions", 0}};
    for (const auto& [key, value] : preferences)
        ASSERT_TRUE (a.setPreference (key, value)) << key;
    inside (a).velocityMapper.addPoint (40, 20);
    inside (a).velocityMapper.addPoint (100, 127);
    inside (a).actionMapper.addMapping (7, inside (a).actionMapper.createAction ("Set Parameter"), true);
    inside (a).actionMapper.setMappingTarget ("Volume (coarse)", "Set Parameter", "Volume", "Color");
    const auto saved = stateOf (a);
    ASSERT_NE (saved, nullptr);

    // Every element is changed, but the harmonics switch, which the palm switch turns off.
    ASSERT_EQ (saved->getNumChildElements(), defaults->getNumChildElements() + 3)
        << "two velocity points and a mapping more";
    for (auto* e : saved->getChildIterator())
    {
        if (e->hasTagName ("VelocityPoint") || e->hasTagName ("ActionMapping"))
            continue;
        const auto* before = e->hasTagName ("Parameter")
                                 ? defaults->getChildByAttribute ("id", e->getStringAttribute ("id"))
                                 : defaults->getChildByName (e->getTagName());
        ASSERT_NE (before, nullptr) << e->toString();
        const bool harmonicsSwitch = e->hasTagName ("Parameter") && e->getIntAttribute ("id") == P::ToggleHarmonics;
        EXPECT_EQ (e->isEquivalentTo (before, false), harmonicsSwitch) << e->toString();
    }
    EXPECT_FALSE (saved->isEquivalentTo (defaults.get(), false));

    juce::MemoryBlock chunk;
    a.getStateInformation (chunk);
    TovalinPlugin b;
    b.setStateInformation (chunk.getData(), (int) chunk.getSize());
    const auto restored = stateOf (b);
    ASSERT_EQ (restored->getNumChildElements(), saved->getNumChildElements());
    for (int i = 0; i < saved->getNumChildElements(); ++i)
        EXPECT_TRUE (restored->getChildElement (i)->isEquivalentTo (saved->getChildElement (i), false))
            << "saved    " << saved->getChildElement (i)->toString (juce::XmlElement::TextFormat().singleLine())
            << "\nrestored " << restored->getChildElement (i)->toString (juce::XmlElement::TextFormat().singleLine());
    EXPECT_TRUE (restored->isEquivalentTo (saved.get(), false));

    for (int id = 0; id < P::Count; ++id)
    {
        EXPECT_EQ (b.getParameters()[id]->getValue(), params[id]->getValue()) << params[id]->getName (40);
        EXPECT_EQ (b.getParameters()[id]->getCurrentValueAsText(), params[id]->getCurrentValueAsText());
    }
    EXPECT_EQ (b.getCurrentProgram(), a.getCurrentProgram());
    EXPECT_EQ (b.getProgramName (b.getCurrentProgram()), a.getProgramName (a.getCurrentProgram()));

    const auto heardA = render (a), heardB = render (b);
    EXPECT_EQ (b.getLatencySamples(), a.getLatencySamples());
    ASSERT_EQ (heardA.size(), heardB.size());
    float loudest = 0.0f;
    size_t differing = 0, first = heardA.size();
    for (size_t i = 0; i < heardA.size(); ++i)
    {
        loudest = std::max (loudest, std::abs (heardA[i]));
        if (heardA[i] != heardB[i] && differing++ == 0)
            first = i;
    }
    EXPECT_GT (loudest, 0.01f) << "the performance sounds";
    EXPECT_EQ (differing, 0u) << "from sample " << first;
}
