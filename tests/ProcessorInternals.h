#pragma once

#include "processor/TovalinPlugin.h"

namespace tovalin
{
/** What tests look at inside a processor: its parts, by the same names. The processor
    keeps them private; this friend hands out references for one test step. */
struct ProcessorInternals
{
    explicit ProcessorInternals (TovalinPlugin& p)
        : processor (p), parameters (p.parameters), keyboardState (p.keyboardState), hostSampleRate (p.hostSampleRate),
          rateSupported (p.rateSupported), hasSse2 (p.hasSse2), disabled (p.disabled), firstPrepare (p.firstPrepare),
          currentLevel (p.currentLevel), restoringState (p.restoringState), constructed (p.constructed),
          convolver (p.convolver), velocityMapper (p.velocityMapper), soundLibrary (p.soundLibrary),
          bodyFilterBuilder (p.bodyFilterBuilder), bodyFilterLock (p.bodyFilterLock), fingering (p.fingering),
          guitarist (p.guitarist), voices (p.voices), liveModels (p.liveModels), workModels (p.workModels),
          stringsGeneration (p.stringsGeneration), presetLibrary (p.presetLibrary), settings (p.settings),
          actionMapper (p.actionMapper), actionLibrary (p.actionLibrary), deferredPresetLoad (p.deferredPresetLoad),
          stringParams (p.stringParams), stringsLock (p.stringsLock), rateConverter (p.rateConverter),
          precomputationThread (p.precomputationThread), hostType (p.hostType), audioRunning (p.audioRunning)
    {
    }

    void initializeStrings() { processor.initializeStrings(); }
    void reportLatency() { processor.reportLatency(); }
    bool programsHidden() const noexcept { return processor.programsHidden(); }
    StringPreferences stringPreferences() const noexcept { return processor.stringPreferences(); }
    void recomputeStringParams (StringParams& params, const SoundControls& controls) const
    {
        processor.recomputeStringParams (params, controls);
    }
    static bool isPlayingParameter (int id) noexcept { return TovalinPlugin::isPlayingParameter (id); }

    TovalinPlugin& processor;
    ParameterTable& parameters;
    juce::MidiKeyboardState& keyboardState;
    float& hostSampleRate;
    bool& rateSupported;
    bool& hasSse2;
    bool& disabled;
    bool& firstPrepare;
    int& currentLevel;
    std::atomic<bool>& restoringState;
    bool& constructed;
    Convolver& convolver;
    VelocityMapper& velocityMapper;
    SoundLibrary& soundLibrary;
    std::unique_ptr<BodyFilterBuilder>& bodyFilterBuilder;
    juce::CriticalSection& bodyFilterLock;
    Fingering& fingering;
    Guitarist& guitarist;
    std::array<std::unique_ptr<StringVoice>, StringCount>& voices;
    std::array<std::unique_ptr<StringModel>, StringCount>& liveModels;
    std::array<std::unique_ptr<StringModel>, StringCount>& workModels;
    std::atomic<int>& stringsGeneration;
    std::unique_ptr<GenericPresetLibrary>& presetLibrary;
    Settings& settings;
    ActionMapper2& actionMapper;
    std::unique_ptr<GenericPresetLibrary>& actionLibrary;
    DeferredPresetLoad& deferredPresetLoad;
    std::array<StringParams, StringCount>& stringParams;
    juce::CriticalSection& stringsLock;
    RateConverter& rateConverter;
    StringPrecomputationThread& precomputationThread;
    int& hostType;
    std::atomic<bool>& audioRunning;
};

inline ProcessorInternals inside (TovalinPlugin& processor) { return ProcessorInternals (processor); }
/** For a test's read-only helpers. */
inline ProcessorInternals inside (const TovalinPlugin& processor)
{
    return ProcessorInternals (const_cast<TovalinPlugin&> (processor));
}

} // namespace tovalin
