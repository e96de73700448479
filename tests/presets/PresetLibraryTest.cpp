#include "presets/BuiltInPresets.h"
#include "presets/GenericPresetLibrary.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tests/TemporaryHome.h"

#include <gtest/gtest.h>

using namespace tovalin;

namespace
{
/** Records what the library applies; fills presets with a counter. */
struct FakeLoader : PresetLoader
{
    juce::StringArray applied;
    int saves = 0;
    void loadPreset (const juce::XmlElement& e) override { applied.add (e.getStringAttribute ("name")); }
    void savePreset (juce::XmlElement& e) override { e.createNewChildElement ("Content")->setAttribute ("n", ++saves); }
};

const char* const twoPresets = R"(<?xml version="1.0" encoding="UTF-8"?>
<PresetSet><Preset name="First" desc=""/><Preset name="Heavy" desc=""/><Other name="x" desc=""/><Preset name="NoDesc"/></PresetSet>)";

struct Library : ::testing::Test
{
    TemporaryHome home;
    FakeLoader loader;
    std::unique_ptr<GenericPresetLibrary> library;

    void SetUp() override { library = makeLibrary(); }

    std::unique_ptr<GenericPresetLibrary> makeLibrary()
    {
        auto l = std::make_unique<GenericPresetLibrary> ("Preset", "presets.tvc", loader);
        l->loadBuiltIns (twoPresets, std::strlen (twoPresets));
        l->reload();
        return l;
    }

    juce::File userFile() const { return home.userFile ("presets.tvc"); }
};
} // namespace

TEST_F (Library, BuiltInsComeFirstAndTheFirstIsApplied)
{
    EXPECT_EQ (library->getNames(), juce::StringArray ("First", "Heavy"));
    EXPECT_EQ (loader.applied, juce::StringArray ("First"));
    EXPECT_EQ (library->getCurrentName(), juce::String ("First"));
    EXPECT_TRUE (library->isBuiltIn ("Heavy"));
    EXPECT_FALSE (library->isModified());
}

TEST_F (Library, SavingUnderABuiltInNameMakesAUserPreset)
{
    library->save ("Heavy", "");
    EXPECT_EQ (library->getCurrentName(), juce::String ("Heavy (user)"));
    EXPECT_EQ (library->getNames(), juce::StringArray ("First", "Heavy", "Heavy (user)"));
    EXPECT_EQ (library->getCurrentIndex(), 2);
    EXPECT_TRUE (library->isBuiltIn ("Heavy"));
    EXPECT_FALSE (library->isBuiltIn ("Heavy (user)"));

    const auto root = juce::parseXML (userFile());
    ASSERT_NE (root, nullptr);
    EXPECT_TRUE (root->hasTagName ("PresetSet"));
    ASSERT_EQ (root->getNumChildElements(), 1) << "only user presets are written";
    EXPECT_EQ (root->getChildElement (0)->getStringAttribute ("name"), juce::String ("Heavy (user)"));
    EXPECT_TRUE (root->getChildElement (0)->hasAttribute ("desc"));

    // Saving again overwrites the same entry.
    library->save ("Heavy (user)", "");
    EXPECT_EQ (library->getNames().size(), 3);
}

TEST_F (Library, RenamingAndRemoving)
{
    library->save ("A", "");
    library->save ("B", "");
    library->rename ("A", "A"); // its own name: nothing
    EXPECT_EQ (library->getNames(), juce::StringArray ("First", "Heavy", "A", "B"));
    library->rename ("A", "B"); // overwrites B with A's content
    EXPECT_EQ (library->getNames(), juce::StringArray ("First", "Heavy", "B"));
    library->rename ("First", "Renamed");
    EXPECT_EQ (library->getNames()[0], juce::String ("First")) << "built-ins keep their names";

    library->selectByName ("B");
    library->setModified (true);
    library->remove ("B");
    EXPECT_EQ (library->getCurrentName(), juce::String());
    EXPECT_EQ (library->getCurrentIndex(), -1);
    EXPECT_FALSE (library->isModified());
    library->remove ("Heavy");
    EXPECT_TRUE (library->getNames().contains ("Heavy")) << "built-ins stay";
}

TEST_F (Library, AnotherInstancesSaveAppearsOnReload)
{
    auto other = makeLibrary();
    other->save ("Shared", "");
    EXPECT_FALSE (library->getNames().contains ("Shared"));
    library->reload();
    EXPECT_TRUE (library->getNames().contains ("Shared"));
    EXPECT_TRUE (library->setCurrentName ("Shared"));
    EXPECT_FALSE (library->setCurrentName ("Nobody"));
}

TEST_F (Library, UserFilesThatCannotBeUsedAddNothingAndAreKept)
{
    userFile().getParentDirectory().createDirectory();
    userFile().replaceWithText ("<PresetSet><Preset name=\"X\"/></PresetSet>");
    library->reload();
    EXPECT_EQ (library->getNames().size(), 2) << "a preset without desc is skipped";

    userFile().replaceWithText ("garbage");
    library->reload();
    EXPECT_EQ (library->getNames().size(), 2);
    library->save ("Mine", "");
    EXPECT_EQ (userFile().getSiblingFile ("presets.tvc.unreadable").loadFileAsString(), juce::String ("garbage"));
}

// The processor's library: the sixteen built-ins as the host's programs.
TEST_F (Library, TheInstrumentsPresetsAreItsPrograms)
{
    TovalinPlugin plugin;
    ASSERT_EQ (plugin.getNumPrograms(), 16);
    EXPECT_EQ (plugin.getProgramName (0), juce::String ("Are You Classical ?"));
    EXPECT_EQ (plugin.getProgramName (15), juce::String ("Default"));
    EXPECT_EQ (plugin.getCurrentProgram(), 0);
    EXPECT_NEAR (inside (plugin).parameters.get (ParameterTable::Color).value, 0.5554f, 1e-4)
        << "the first preset is applied";

    plugin.setCurrentProgram (6); // "Musical Box": forced harmonics and sustain, vibrato on
    EXPECT_TRUE (inside (plugin).parameters.get (ParameterTable::ToggleHarmonics).forced);
    EXPECT_NEAR (inside (plugin).parameters.get (ParameterTable::ToggleHarmonics).value, 0.9888f, 1e-6);
    EXPECT_TRUE (inside (plugin).parameters.get (ParameterTable::ToggleChords).isActive())
        << "presets never touch chords";
    EXPECT_FALSE (inside (plugin).presetLibrary->isModified()) << "applying a preset marks nothing";

    plugin.setParameterNotifyingHost (ParameterTable::Color, 0.9f);
    EXPECT_TRUE (inside (plugin).presetLibrary->isModified());

    inside (plugin).presetLibrary->save ("My sound", "");
    TovalinPlugin second;
    EXPECT_EQ (second.getNumPrograms(), 17) << "user presets follow the built-ins";
    second.setCurrentProgram (16);
    EXPECT_FLOAT_EQ (inside (second).parameters.get (ParameterTable::Color).value, 0.9f);
}
