// The panels as a musician sees them: rendered, checked by their pixels, and written
// as PNG files (into the build tree, TOVALIN_PANEL_PICTURES) to be looked at.
#include "PlayingPlugin.h"

#include "editor/mappings/ActionsEditor.h"
#include "editor/mappings/MidiLearnPanel.h"
#include "editor/settings/MyPreferencesPanel.h"
#include "performance/ActionMapper2.h"

#include <gtest/gtest.h>

using namespace tovalin;
using namespace tovalin::test;

namespace
{
juce::Image picture (juce::Component& c, const char* fileName)
{
    const auto image = c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
    const juce::File folder (TOVALIN_PANEL_PICTURES);
    folder.createDirectory();
    const auto file = folder.getChildFile (fileName);
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
    return image;
}

/** How many pixels of an area are dark (text, outlines), as a share of the area. */
float darkShare (const juce::Image& image, juce::Rectangle<int> area)
{
    int dark = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            dark += juce::Colours::white.overlaidWith (image.getPixelAt (x, y)).getPerceivedBrightness() < 0.5f ? 1 : 0;
    return (float) dark / (float) (area.getWidth() * area.getHeight());
}

/** How far the pixels of an area are, on average, from white (0 white, 1 black). */
float ink (const juce::Image& image, juce::Rectangle<int> area)
{
    double sum = 0.0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            const auto onWhite = juce::Colours::white.overlaidWith (c);
            sum += 1.0 - onWhite.getPerceivedBrightness();
        }
    return (float) (sum / area.getWidth() / area.getHeight());
}

bool isTan (juce::Colour c)
{
    return c.getRed() > 200 && c.getGreen() > 160 && c.getBlue() < 170 && c.getAlpha() == 255;
}

struct Pictures : ::testing::Test
{
    PlayingPlugin player;
};
} // namespace

TEST_F (Pictures, SettingsTabsShowTheOpenTabBrightUnderTheTitleBand)
{
    MyPreferencesPanel panel (player.plugin);
    const auto performances = picture (panel, "settings-performances.png");
    EXPECT_TRUE (isTan (performances.getPixelAt (150, 10)));
    EXPECT_EQ (performances.getPixelAt (290, 240), juce::Colour (juce::Colours::white));
    const juce::Rectangle<int> firstTab (6, 40, 32, 32), secondTab (6, 72, 32, 32);
    EXPECT_GT (darkShare (performances, {16 + 43, 56, 100, 14}), 0.05f) << "the latency label is written";

    panel.showTab ("Effects");
    const auto effects = picture (panel, "settings-effects.png");
    // Each tab is bright while open and faded while another is.
    EXPECT_GT (ink (performances, firstTab), ink (effects, firstTab) * 1.4f);
    EXPECT_GT (ink (effects, secondTab), ink (performances, secondTab) * 1.4f);
}

TEST_F (Pictures, MappingsEditorWithTheDefaultSet)
{
    player.plugin.getMappingLibrary().selectByName ("Default");
    ActionsEditor editor (player.plugin);
    const auto image = picture (editor, "mappings-editor.png");
    EXPECT_TRUE (isTan (image.getPixelAt (300, 4)));
    // Seven rows written in the table, none below them.
    const auto& table = editor.getTable();
    const int rowTop = table.getY() + table.getHeaderHeight() + 1;
    for (int row = 0; row < 7; ++row)
        EXPECT_GT (darkShare (image, {12, rowTop + row * 24 + 4, 150, 16}), 0.01f) << "row " << row;
    EXPECT_EQ (darkShare (image, {12, rowTop + 7 * 24 + 4, 150, 10}), 0.0f);
}

TEST_F (Pictures, LearnPanelPromptIsShortAndTheQuestionHasItsButtons)
{
    auto& mapper = player.plugin.getActionMapper();
    MidiLearnPanel panel (mapper);
    mapper.startLearn (mapper.createAction ("Vibrato"), false);
    panel.startLearning();
    const auto prompt = picture (panel, "learn-prompt.png");
    EXPECT_TRUE (isTan (prompt.getPixelAt (200, 5)));
    EXPECT_GT (darkShare (prompt, {18, 60, 364, 60}), 0.01f) << "the prompt is written";
    EXPECT_EQ (prompt.getPixelAt (200, 190).getAlpha(), 0) << "no buttons: the bottom is the overlay's";

    mapper.cancelLearn();
    mapper.startLearn (mapper.createAction ("Vibrato"), false);
    player.processBlock ({juce::MidiMessage::controllerEvent (1, 1, 64)}); // the modulation wheel is mapped
    panel.pollLearner();
    ASSERT_TRUE (panel.isAskingQuestion());
    const auto question = picture (panel, "learn-question.png");
    EXPECT_EQ (question.getPixelAt (200, 195).getAlpha(), 255);
    EXPECT_GT (ink (question, panel.appendButton.getBounds()), 0.3f) << "the buttons are drawn";
    panel.cancelLearning();
}
