// The settings panel driven as a user would: each control stores its preference,
// shows its value and changes what the instrument plays, heard in rendered audio.
#include "PlayingPlugin.h"

#include "editor/settings/MyPreferencesPanel.h"
#include "editor/settings/SettingsPages.h"
#include "engine/FFTReal.h"
#include "performance/ParameterIds.h"
#include "tools/lab/AudioAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tovalin;
using namespace tovalin::test;
using namespace tovalin::lab;
using P = ParameterIds;

namespace
{
/** Power in [lo, hi) Hz over the first 8192 samples (the attack), in dB of the whole. */
double bandShareDb (const std::vector<float>& x, double lo, double hi)
{
    constexpr int n = 8192;
    FFTReal<float> fft (n);
    std::vector<float> windowed (n), spectrum (n);
    for (int i = 0; i < n; ++i)
        windowed[(size_t) i] = x[(size_t) i] * (float) (0.5 - 0.5 * std::cos (2.0 * pi * i / (n - 1)));
    fft.doFft (windowed.data(), spectrum.data());
    double band = 0.0, total = 0.0;
    for (int k = 1; k < n / 2; ++k)
    {
        const double power = (double) spectrum[(size_t) k] * spectrum[(size_t) k] +
                             (double) spectrum[(size_t) (n / 2 + k)] * spectrum[(size_t) (n / 2 + k)];
        total += power;
        if (const double f = k * rate / n; f >= lo && f < hi)
            band += power;
    }
    return 10.0 * std::log10 (band / total + 1e-30);
}

int preference (TovalinPlugin& p, const char* key)
{
    int value = -1;
    p.getSettings().getValue (key, value);
    return value;
}

struct SettingsPanel : ::testing::Test
{
    PlayingPlugin player;
    std::unique_ptr<MyPreferencesPanel> panel = std::make_unique<MyPreferencesPanel> (player.plugin);

    SettingsPerformancesPanel& performances()
    {
        panel->showTab ("Performances");
        return dynamic_cast<SettingsPerformancesPanel&> (*panel->getPage());
    }
    SettingsEffectsPanel& effects()
    {
        click (*panel->getTabButton (1));
        return dynamic_cast<SettingsEffectsPanel&> (*panel->getPage());
    }

    /** The open low E string (channel 2 plays string 0), after the strings came to rest. */
    std::vector<float> lowE()
    {
        player.settle();
        player.render (2.0);
        return player.render (1.2, {{0, juce::MidiMessage::noteOn (2, 52, (juce::uint8) 110)},
                                    {(int) rate, juce::MidiMessage::noteOff (2, 52)}});
    }

    void TearDown() override { closeAlerts(); }
};
} // namespace

TEST_F (SettingsPanel, OpensOnPerformancesWithTwoTabsInThePlugIn)
{
    EXPECT_EQ (panel->getWidth(), 300);
    EXPECT_EQ (panel->getHeight(), 250);
    ASSERT_EQ (panel->getNumTabs(), 2);
    EXPECT_EQ (panel->getCurrentTab(), juce::String ("Performances"));
    EXPECT_NE (dynamic_cast<SettingsPerformancesPanel*> (panel->getPage()), nullptr);
    EXPECT_TRUE (panel->getTabButton (0)->getToggleState());
    EXPECT_FALSE (panel->getTabButton (1)->getToggleState());

    click (*panel->getTabButton (1));
    EXPECT_EQ (panel->getCurrentTab(), juce::String ("Effects"));
    EXPECT_NE (dynamic_cast<SettingsEffectsPanel*> (panel->getPage()), nullptr);
    EXPECT_FALSE (panel->getTabButton (0)->getToggleState());

    // Without an audio page, "Audio" and unknown names open "Performances".
    for (const char* name : {"Audio", "Nonsense"})
    {
        MyPreferencesPanel other (player.plugin, name);
        EXPECT_EQ (other.getCurrentTab(), juce::String ("Performances")) << name;
    }
}

TEST_F (SettingsPanel, TheStandaloneProgramsAudioPageIsAThirdTab)
{
    juce::Component* made = nullptr;
    MyPreferencesPanel withAudio (player.plugin, "Audio",
                                  [&made] (TovalinPlugin&)
                                  {
                                      auto page = std::make_unique<juce::Component> ("devices");
                                      made = page.get();
                                      return page;
                                  });
    EXPECT_EQ (withAudio.getWidth(), 630);
    ASSERT_EQ (withAudio.getNumTabs(), 3);
    EXPECT_EQ (withAudio.getCurrentTab(), juce::String ("Audio"));
    EXPECT_EQ (withAudio.getPage(), made);
    EXPECT_TRUE (withAudio.getTabButton (2)->getToggleState());
    EXPECT_EQ (withAudio.getPage()->getBounds(), juce::Rectangle<int> (43, 0, 580, 250));
}

// Each latency step stores its partition size, shows it, and the host is told a
// latency that moves by exactly the partition's change.
TEST_F (SettingsPanel, LatencySliderStoresShowsAndReportsEachStep)
{
    auto& page = performances();
    dragSlider (page.latencySlider, 3);
    ASSERT_EQ (preference (player.plugin, "samplesOfLatency"), 256);
    const int at256 = player.plugin.getLatencySamples();
    for (int step : {0, 1, 2, 4, 5, 3})
    {
        const int size = SettingsPerformancesPanel::latencyTable[(size_t) step];
        dragSlider (page.latencySlider, step);
        EXPECT_EQ (preference (player.plugin, "samplesOfLatency"), 32 << step) << "step " << step;
        EXPECT_EQ (page.latencyValue.getText(), juce::String (32 << step));
        EXPECT_EQ (player.plugin.getLatencySamples() - at256, size - 256) << "step " << step;
    }
}

TEST_F (SettingsPanel, AStoredLatencyTheSliderDoesNotOfferShowsTheFirstStep)
{
    ASSERT_TRUE (player.plugin.setPreference ("samplesOfLatency", 2048));
    panel = std::make_unique<MyPreferencesPanel> (player.plugin); // opened afresh
    auto& page = performances();
    EXPECT_EQ (page.latencySlider.getValue(), 0.0);
    EXPECT_EQ (page.latencyValue.getText(), juce::String ("2048"));
    dragSlider (page.latencySlider, 3);
    EXPECT_EQ (preference (player.plugin, "samplesOfLatency"), 256);
}

TEST_F (SettingsPanel, ChordDetectionDelayIsShownInMillisecondsAndAddedToTheLatency)
{
    auto& page = performances();
    const int before = player.plugin.getLatencySamples();
    const struct
    {
        int samples;
        const char* shown;
    } cases[] = {{441, "10 ms"}, {2205, "50 ms"}, {0, "0 ms"}};
    for (const auto& c : cases)
    {
        dragSlider (page.delaySlider, c.samples);
        EXPECT_EQ (preference (player.plugin, "chordsDetectionDelay"), c.samples);
        EXPECT_EQ (page.delayValue.getText(), juce::String (c.shown));
        EXPECT_EQ (player.plugin.getLatencySamples() - before, c.samples);
    }
}

// The low E string loses its modes above about 6.5 kHz at precision 0.
TEST_F (SettingsPanel, SoundPrecisionRebuildsTheStringsWithTheNewModeCount)
{
    auto& page = performances();
    ASSERT_EQ (page.precisionSlider.getValue(), 2.0);
    // The brightest sound, whose high partials ring long enough to be measured.
    player.setParameter (P::Color, 0.0f);
    player.setParameter (P::AttackPlace, 0.0f);
    player.setParameter (P::ExcitationType, 1.0f);
    const auto fine = lowE();
    dragSlider (page.precisionSlider, 0);
    EXPECT_EQ (preference (player.plugin, "performanceLevel"), 0);
    const auto coarse = lowE();
    const double fineHigh = bandShareDb (fine, 8000.0, 12000.0), coarseHigh = bandShareDb (coarse, 8000.0, 12000.0);
    EXPECT_GT (fineHigh, -80.0);
    EXPECT_LT (coarseHigh, fineHigh - 30.0);
}

TEST_F (SettingsPanel, BendRangeLabelsAndTheBendHeard)
{
    auto& page = effects();
    const char* shown[] = {"0 semitone", "1 semitone", "2 semitones", "3 semitones"};
    for (int n : {0, 1, 2, 3})
    {
        dragSlider (page.bendSlider, n);
        EXPECT_EQ (preference (player.plugin, "bend"), n);
        EXPECT_EQ (page.bendValue.getText(), juce::String (shown[n]));
    }

    // A fretted A (fret 5 of the low E string), wheel centred, then fully up; measured
    // once the fretting finger has slid to the bent pitch.
    auto pitch = [&] (int wheel)
    {
        player.settle();
        player.render (2.0);
        const auto x = player.render (1.0, {{0, juce::MidiMessage::noteOn (2, 57, (juce::uint8) 110)},
                                            {block, juce::MidiMessage::pitchWheel (1, wheel)}});
        return peakFrequency (x, 30000, 8192, 90.0, 160.0, rate);
    };
    const double centred = pitch (8192), bent = pitch (16383);
    EXPECT_NEAR (centred, 110.0, 3.0);
    EXPECT_NEAR (cents (bent, centred), 300.0, 10.0);
}

TEST_F (SettingsPanel, HarmonicsShiftCannotGoBelowOneOctaveAndPicksTheHarmonic)
{
    auto& page = effects();
    EXPECT_EQ (page.harmonicsValue.getText(), juce::String ("2 octaves"));
    dragSlider (page.harmonicsSlider, 0);
    EXPECT_EQ (page.harmonicsSlider.getValue(), 1.0);
    EXPECT_EQ (preference (player.plugin, "harmonics"), 1);
    EXPECT_EQ (page.harmonicsValue.getText(), juce::String ("1 octave"));

    // The open low E played as a harmonic: touched at the twelfth fret (1 octave) every
    // even partial sounds, the octave above all; at the fifth fret (2 octaves) only every
    // fourth partial, so the octave falls silent under two octaves up.
    player.setParameter (P::ToggleHarmonics, 1.0f);
    auto octaveOverTwoOctaves = [&]
    {
        player.settle();
        player.render (2.0);
        const auto x = player.render (1.0, {{0, juce::MidiMessage::noteOn (2, 52, (juce::uint8) 110)}});
        return 20.0 * std::log10 (windowedMagnitude (x, 4410, 16384, 82.407 * 2.0, rate) /
                                  windowedMagnitude (x, 4410, 16384, 82.407 * 4.0, rate));
    };
    const double oneOctave = octaveOverTwoOctaves();
    EXPECT_GT (oneOctave, 0.0);
    dragSlider (page.harmonicsSlider, 2);
    EXPECT_EQ (page.harmonicsValue.getText(), juce::String ("2 octaves"));
    EXPECT_LT (octaveOverTwoOctaves(), oneOctave - 20.0);
}

TEST_F (SettingsPanel, AftertouchBendsOnlyWhileItsToggleIsOn)
{
    auto& page = effects();
    ASSERT_TRUE (page.aftertouchToggle.getToggleState());
    auto bendAfterPressure = [&]
    {
        player.setParameter (P::PitchBend, 0.5f);
        player.processBlock ({juce::MidiMessage::noteOn (2, 57, (juce::uint8) 100)});
        player.processBlock ({juce::MidiMessage::channelPressureChange (1, 127)});
        const float bend = player.parameter (P::PitchBend);
        player.processBlock ({juce::MidiMessage::noteOff (2, 57)});
        return bend;
    };
    EXPECT_GT (bendAfterPressure(), 0.9f);
    click (page.aftertouchToggle);
    EXPECT_EQ (preference (player.plugin, "bendOnAftertouch"), 0);
    EXPECT_FLOAT_EQ (bendAfterPressure(), 0.5f);
    click (page.aftertouchToggle);
    EXPECT_EQ (preference (player.plugin, "bendOnAftertouch"), 1);
    EXPECT_GT (bendAfterPressure(), 0.9f);
}

// C major with E in the bass is named as a C chord only while inversions are detected.
TEST_F (SettingsPanel, InversionsToggleChangesWhichChordIsRecognised)
{
    auto& page = effects();
    player.setParameter (P::ToggleChords, 1.0f);
    auto chordOf = [&]
    {
        player.settle();
        player.render (0.5, {{0, juce::MidiMessage::noteOn (1, 52, (juce::uint8) 100)},
                             {0, juce::MidiMessage::noteOn (1, 55, (juce::uint8) 100)},
                             {0, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)}});
        const auto name = player.plugin.getFingering().getChordName();
        player.render (1.0, {{0, juce::MidiMessage::noteOff (1, 52)},
                             {0, juce::MidiMessage::noteOff (1, 55)},
                             {0, juce::MidiMessage::noteOff (1, 60)}});
        return juce::String (name);
    };
    ASSERT_TRUE (page.inversionsToggle.getToggleState());
    const auto withInversions = chordOf();
    click (page.inversionsToggle);
    EXPECT_EQ (preference (player.plugin, "inversions"), 0);
    const auto without = chordOf();
    std::printf ("E G C: with inversions \"%s\", without \"%s\"\n", withInversions.toRawUTF8(), without.toRawUTF8());
    EXPECT_TRUE (withInversions.startsWith ("C")) << withInversions;
    EXPECT_NE (withInversions, without);
}

TEST_F (SettingsPanel, SaveAsDefaultWritesThePreferencesFileAndSaysSo)
{
    auto& effectsPage = effects();
    dragSlider (effectsPage.bendSlider, 3);
    auto& page = performances();
    const auto file = player.home.userFile ("preferences.tvc");
    ASSERT_FALSE (file.existsAsFile());
    click (page.saveButton);
    ASSERT_TRUE (file.existsAsFile());
    const auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("root"));
    ASSERT_NE (xml->getChildByName ("bend"), nullptr);
    EXPECT_EQ (xml->getChildByName ("bend")->getIntAttribute ("value"), 3);

    auto* box = openAlert();
    ASSERT_NE (box, nullptr) << "the message box says so";
    EXPECT_EQ (box->getName(), juce::String ("Settings"));
    closeAlerts();

    // Saving again without a change still writes and still says so.
    ASSERT_TRUE (file.deleteFile());
    click (page.saveButton);
    EXPECT_TRUE (file.existsAsFile());
    EXPECT_NE (openAlert(), nullptr);
}
