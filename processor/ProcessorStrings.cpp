// The strings: built for the sound precision, computed, and the body filter that
// follows the guitar, the room and the mix.
#include "TovalinPlugin.h"

#include "HostParameter.h"

#include "../engine/SoundNames.h"
#include "../engine/StringConstants.h"
#include "../engine/StringPrecomputation.h"
#include "../presets/BuiltInPresets.h"
#include "../presets/SafeXml.h"

#include <algorithm>
#include <optional>

namespace tovalin
{
void TovalinPlugin::buildStrings (bool restart)
{
    const int level = juce::jlimit (0, 2, (int) settings.performanceLevel);
    if (disabled || level == currentLevel)
        return;

    precomputationThread.pauseAndWait();
    suspendProcessing (true);
    {
        const juce::ScopedLock sl (stringsLock);
        currentLevel = level;
        for (int s = 0; s < StringCount; ++s)
        {
            const int modes = ModeCountTable[level][s];
            const int frets = StringFretCount[s];
            voices[(size_t) s].reset();
            workModels[(size_t) s] = std::make_unique<StringModel> (modes, frets, &stringParams[(size_t) s]);
            liveModels[(size_t) s] = std::make_unique<StringModel> (modes, frets, &stringParams[(size_t) s]);
            voices[(size_t) s] = std::make_unique<StringVoice> (modes, liveModels[(size_t) s].get());
            voices[(size_t) s]->reset();
        }
        ++stringsGeneration;
        guitarist.setStrings (&voices, &stringParams, &velocityMapper);
        fingering.reset();
    }
    if (restart)
    {
        // New voices start as on a first preparation: their models computed at once
        // from the current values. Before the first preparation, that preparation
        // does it.
        firstPrepare = true;
        if (preparedOnce)
            initializeStrings();
    }
    precomputationThread.setPaused (false);
    suspendProcessing (false);
}

void TovalinPlugin::initializeStrings()
{
    const juce::ScopedLock sl (stringsLock);
    if (! firstPrepare)
        return;
    // Every string is computed here from the current values, so a change made before
    // this (a preset, restored state) needs no second pass: one would install at a
    // moment that depends on thread timing, and the same input would not always
    // render the same samples.
    precomputationThread.discardRequest();
    const SoundControls controls = currentSoundControls();
    for (int s = 0; s < StringCount; ++s)
    {
        voices[(size_t) s]->setSampleRate ((float) EngineSampleRate);
        workModels[(size_t) s]->setSampleRate ((float) EngineSampleRate);
        liveModels[(size_t) s]->setSampleRate ((float) EngineSampleRate);

        StringParams& p = stringParams[(size_t) s];
        recomputeStringParams (p, controls);
        StringModel& live = *liveModels[(size_t) s];
        computeModes (live);
        computeShapes (live, true);
        computeCoefficients (live);
        applyControls (live, controls);
        live.stringSetName = p.stringSetName;
        voices[(size_t) s]->reset();
    }
    firstPrepare = false;
    // Started once the models it works on are ready.
    if (! precomputationThread.isThreadRunning())
        precomputationThread.startThread();
}

juce::StringArray TovalinPlugin::guitarChoices() { return juce::StringArray (GuitarNames, 9); }

juce::StringArray TovalinPlugin::roomChoices() { return juce::StringArray (RoomNames, 6); }

void TovalinPlugin::recomputeStringParams (StringParams& params, const SoundControls& controls) const
{
    const GuitarEntry* guitar = soundLibrary.findGuitar (controls.guitarType);
    const AdmittanceTable table = guitar != nullptr ? guitar->admittanceTable() : AdmittanceTable();
    recomputeParams (params, controls, stringPreferences(), guitar != nullptr ? &table : nullptr);
}

void TovalinPlugin::updateBodyAndRoom (bool recomputeStrings)
{
    if (disabled)
        return;
    // A new guitar brings a new admittance for the strings; asked here, so that a
    // request that collapses into a running update is not lost.
    if (recomputeStrings)
        precomputationThread.requestRecompute();
    // Concurrent requests collapse: a busy update runs once more with fresh values.
    bodyFilterRedo = true;
    const juce::ScopedTryLock tl (bodyFilterLock);
    if (! tl.isLocked())
        return;
    if (bodyFilterBuilder == nullptr)
        bodyFilterBuilder = std::make_unique<BodyFilterBuilder> (soundLibrary);
    while (bodyFilterRedo.exchange (false))
    {
        std::string guitar, room;
        float mix = 0.0f;
        {
            const juce::ScopedLock pl (parameters.parameterLock);
            guitar = parameters.get (ParameterTable::GuitarType).getText().toStdString();
            room = parameters.get (ParameterTable::RoomType).getText().toStdString();
            mix = parameters.get (ParameterTable::Mix).value;
        }
        bodyFilterBuilder->build (guitar, room, mix);
        ++bodyFilterBuilds;
        if (bodyFilterBuilder->length() > 0)
        {
            // Only the load itself happens with processing suspended.
            suspendProcessing (true);
            bodyFilterBuilder->load (settings.samplesOfLatency, convolver);
            bodyFilterLatency = convolver.latency();
            bodyFilterLength = bodyFilterBuilder->length();
            suspendProcessing (false);
        }
        reportLatency();
    }
}

} // namespace tovalin
