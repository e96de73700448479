#include "presets/Settings.h"
#include "engine/StringConstants.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"
#include "tests/TemporaryHome.h"

#include <gtest/gtest.h>

using namespace tovalin;

namespace
{
/** A home folder of the test's own, so the real user folder is never touched. */
struct Preferences : ::testing::Test
{
    TemporaryHome home;

    juce::File file() const { return home.userFile ("preferences.tvc"); }

    void writeFile (const juce::String& text)
    {
        file().getParentDirectory().createDirectory();
        ASSERT_TRUE (file().replaceWithText (text));
    }

    static juce::String document (const juce::String& children)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>" + children + "</root>";
    }
};
} // namespace

TEST_F (Preferences, TheFolderIsMarveskTovalinInTheApplicationDataFolder)
{
    const juce::File folder = Settings::preferenceFolder();
    EXPECT_TRUE (folder.isDirectory());
    EXPECT_EQ (folder, file().getParentDirectory());
    EXPECT_TRUE (folder.isAChildOf (home.getFile()));
}

TEST_F (Preferences, StoredValuesFollowTheRangeRules)
{
    struct Case
    {
        const char* element;
        const char* key;
        int expected;
    };
    const Case cases[] = {
        {"<samplesOfLatency value=\"300\"/>", "samplesOfLatency", 512},
        {"<samplesOfLatency value=\"1024\"/>", "samplesOfLatency", 1024},
        {"<samplesOfLatency value=\"0\"/>", "samplesOfLatency", 2},
        {"<harmonics value=\"0\"/>", "harmonics", 1},
        {"<performanceLevel value=\"7\"/>", "performanceLevel", 2},
        {"<bend value=\"-1\"/>", "bend", 0},
        {"<bend/>", "bend", 1},
        {"<bend value=\"lots\"/>", "bend", 0},
        {"<chordsDetectionDelay value=\"441\"/>", "chordsDetectionDelay", 441},
        {"<inversions value=\"5\"/>", "inversions", 1},
    };
    for (const Case& c : cases)
    {
        writeFile (document (c.element));
        Settings s;
        s.loadPreferences();
        int v = -99;
        ASSERT_TRUE (s.getValue (c.key, v));
        EXPECT_EQ (v, c.expected) << c.element;
    }
}

TEST_F (Preferences, MissingOrBrokenFilesLeaveTheDefaultsAndTheFile)
{
    Settings fresh;
    fresh.loadPreferences();
    EXPECT_EQ (fresh.samplesOfLatency, 256);
    EXPECT_FALSE (file().existsAsFile()) << "loading never writes";

    writeFile ("<root><bend value=\"3\"");
    Settings broken;
    broken.loadPreferences();
    EXPECT_EQ (broken.bend, 1);
    EXPECT_EQ (file().loadFileAsString(), juce::String ("<root><bend value=\"3\""));

    writeFile (document (""));
    Settings empty;
    empty.loadPreferences();
    EXPECT_EQ (empty.performanceLevel, 2);
}

TEST_F (Preferences, SavingWritesTheDocumentAndKeepsAnUnreadableFile)
{
    Settings s;
    s.bend = 3;
    s.showWelcomePanel = 0;
    ASSERT_TRUE (s.savePreferences());
    const auto root = juce::parseXML (file());
    ASSERT_NE (root, nullptr);
    EXPECT_TRUE (root->hasTagName ("root"));
    EXPECT_TRUE (file().loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    ASSERT_EQ (root->getNumChildElements(), 8);
    EXPECT_TRUE (root->getChildElement (0)->hasTagName ("showWelcomePanel"));
    EXPECT_TRUE (root->getChildElement (5)->hasTagName ("bendOnAftertouch"));
    EXPECT_TRUE (root->getChildElement (6)->hasTagName ("harmonics"));
    const juce::String first = file().loadFileAsString();
    ASSERT_TRUE (s.savePreferences());
    EXPECT_EQ (file().loadFileAsString(), first) << "saving twice writes the same file";

    Settings again;
    again.loadPreferences();
    EXPECT_EQ (again.bend, 3);
    EXPECT_EQ (again.showWelcomePanel, 0);

    // Someone's file that does not parse is kept aside, never written over.
    writeFile ("not xml at all");
    ASSERT_TRUE (s.savePreferences());
    EXPECT_EQ (file().getSiblingFile ("preferences.tvc.unreadable").loadFileAsString(),
               juce::String ("not xml at all"));
    EXPECT_NE (juce::parseXML (file()), nullptr);
    EXPECT_FALSE (file().getSiblingFile ("preferences.tvc.part").exists());
}

TEST_F (Preferences, AStateCarriesSevenPreferencesAndNotTheWelcomePanel)
{
    Settings s;
    s.chordsDetectionDelay = 100;
    juce::XmlElement state ("TovalinSettings");
    s.writeSettings (state);
    EXPECT_EQ (state.getNumChildElements(), 7);
    EXPECT_EQ (state.getChildByName ("showWelcomePanel"), nullptr);
    Settings other;
    other.showWelcomePanel = 0;
    other.readSettings (state);
    EXPECT_EQ (other.chordsDetectionDelay, 100);
    EXPECT_EQ (other.showWelcomePanel, 0) << "left as it was";
}

TEST_F (Preferences, TheProcessorStartsFromTheStoredPreferences)
{
    writeFile (document ("<chordsDetectionDelay value=\"300\"/><performanceLevel value=\"0\"/>"));
    TovalinPlugin plugin;
    EXPECT_EQ (inside (plugin).guitarist.chordDetectionDelay, 300);
    EXPECT_EQ (inside (plugin).voices[0]->modeCount, ModeCountTable[0][0]);
}
