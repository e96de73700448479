#include "processor/TovalinPlugin.h"

#include <gtest/gtest.h>

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
    a.velocityMapper.addPoint (64, 100);
    a.setPreference ("chordsDetectionDelay", 200);
    a.settings.showWelcomePanel = 0;
    a.actionMapper.addMapping (7, a.actionMapper.createAction ("Set Parameter"), true);
    a.actionMapper.setMappingTarget ("Volume (coarse)", "Set Parameter", "Volume", "Color");
    juce::MemoryBlock chunk;
    a.getStateInformation (chunk);

    TovalinPlugin b;
    b.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_FLOAT_EQ (b.parameters.get (P::Color).value, 0.8f);
    EXPECT_EQ (b.parameters.get (P::StringType).getText(), juce::String ("Steel"));
    EXPECT_EQ (b.parameters.get (P::GuitarType).getText(), a.parameters.get (P::GuitarType).getText());
    EXPECT_EQ (b.velocityMapper.getPoints(), a.velocityMapper.getPoints());
    EXPECT_EQ (b.settings.chordsDetectionDelay, 200);
    EXPECT_EQ (b.guitarist.chordDetectionDelay, 200);
    EXPECT_EQ (b.settings.showWelcomePanel, 1) << "not part of the state";
    EXPECT_EQ (b.presetLibrary->getCurrentName(), juce::String ("Heavy"));
    EXPECT_EQ (b.getCurrentProgram(), 7);
    EXPECT_TRUE (b.presetLibrary->isModified()) << "the song's sound differs from the preset";
    EXPECT_FALSE (b.restoringState);
    ASSERT_EQ (b.actionMapper.mappingsOf (7).size(), 1u) << "the mappings come along";
    EXPECT_EQ (b.actionMapper.mappingsOf (7)[0]->getTarget(), juce::String ("Color"));
    EXPECT_EQ (b.actionMapper.mappingsOf (1).size(), 1u);
}

TEST (State, ChunksThatAreNotOursChangeNothing)
{
    TovalinPlugin plugin;
    const float colour = plugin.parameters.get (P::Color).value;
    juce::MemoryBlock foreign;
    juce::XmlElement other ("SomethingElse");
    other.createNewChildElement ("Parameter")->setAttribute ("id", 6);
    juce::AudioProcessor::copyXmlToBinary (other, foreign);
    plugin.setStateInformation (foreign.getData(), (int) foreign.getSize());
    const char garbage[] = "VC2!\x05\x00\x00\x00<x/>";
    plugin.setStateInformation (garbage, (int) sizeof (garbage));
    plugin.setStateInformation (garbage, 3);
    EXPECT_FLOAT_EQ (plugin.parameters.get (P::Color).value, colour);
    EXPECT_EQ (plugin.presetLibrary->getCurrentName(), juce::String ("Are You Classical ?"));
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
    EXPECT_TRUE (plugin.presetLibrary->isModified());
    EXPECT_EQ (plugin.presetLibrary->getCurrentName(), juce::String ("Are You Classical ?"));
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
    plugin.hostType = 15;
    EXPECT_EQ (plugin.getNumPrograms(), 1);
    EXPECT_EQ (plugin.getCurrentProgram(), 0);
    EXPECT_EQ (plugin.getProgramName (3), juce::String ("None"));
    plugin.setCurrentProgram (3);
    EXPECT_EQ (plugin.presetLibrary->getCurrentIndex(), 0) << "ignored in the Cubase family";
}
