#pragma once

#include "DeferredPresetLoad.h"
#include "ParameterTable.h"
#include "RateConverter.h"
#include "StringPrecomputationThread.h"

#include "../engine/Convolver.h"
#include "../engine/FloatingPointGuard.h"
#include "../engine/SoundLibrary.h"
#include "../engine/StringModel.h"
#include "../engine/StringParams.h"
#include "../engine/StringVoice.h"
#include "../engine/Vector.h"
#include "../performance/ActionMapper2.h"
#include "../performance/Fingering.h"
#include "../performance/Guitarist.h"
#include "../performance/PerformanceHost.h"
#include "../presets/GenericPresetLibrary.h"
#include "../presets/PresetLoader.h"
#include "../presets/Settings.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <functional>

namespace tovalin
{
/** The instrument's audio processor, owned by the standalone window or the plug-in
    wrapper. The engine runs at 44 100 Hz in mono; seven host rates are served by the
    rate converter.

    Locks. Three recursive locks guard the shared state: the callback lock of
    juce::AudioProcessor (held by the host around every block, taken by
    suspendProcessing), stringsLock (voices, string models, Guitarist) and the
    parameter table's parameterLock. Every path takes them in this one order:

        callback lock  ->  stringsLock  ->  parameterLock

    and never waits for an earlier lock while holding a later one. A path that needs
    an earlier lock while it holds a later one releases and retakes in order, or
    defers the work. The block loop holds the callback lock and may take stringsLock
    (its floating-point recovery), which fits the order.

    None of them is held for long. The precomputation thread computes the strings with
    no lock held, and the audio thread installs them, trying the strings and parameter
    locks without waiting. (Were stringsLock held over the computation, a volume or
    toggle change, which holds the callback lock while it takes stringsLock, would
    stall the audio thread for milliseconds; and a thread that installs while holding
    the callback lock stalls it whenever that thread loses its core.)

    The preset libraries' own locks come before all three: a library applies a preset
    while holding its lock. Nothing that holds the callback lock waits for a library
    lock: the modified mark is set lock-free, and mapped preset loads are deferred to
    the message thread. */
class TovalinPlugin : public juce::AudioProcessor,
                      public juce::ChangeBroadcaster,
                      public juce::ActionBroadcaster,
                      public PresetLoader,
                      public PerformanceHost,
                      public juce::ChangeListener
{
public:
    TovalinPlugin();
    ~TovalinPlugin() override;

    // juce::AudioProcessor
    const juce::String getName() const override { return "Tovalin"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    const juce::String getInputChannelName (int i) const override { return juce::String (i + 1); }
    const juce::String getOutputChannelName (int i) const override { return juce::String (i + 1); }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return getTotalNumOutputChannels() > 1; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    /** How long the instrument sounds after its last note ends: a string's release and
        the loaded body filter's ring (the room's reverberation included). */
    double getTailLengthSeconds() const override;

    /** The editor that the deliverable set with setEditorFactory, or none. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    // The sound presets are the host's programs.
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    void changeListenerCallback (juce::ChangeBroadcaster*) override {}

    // PresetLoader: a sound preset is the parameters and the velocity curve.
    void loadPreset (const juce::XmlElement& element) override;
    void savePreset (juce::XmlElement& element) override;

    // ---------------------------------------------------------------------------------
    // The surface for the editor and the standalone window. Message thread unless a
    // line says otherwise; nothing here may be called from processBlock.

    /** Makes the editor of a processor. The processor cannot know the editor (it lies
        on a higher layer): each deliverable sets the factory once, before it creates
        processors; until then a processor has no editor. */
    using EditorFactory = std::function<juce::AudioProcessorEditor*(TovalinPlugin&)>;
    static void setEditorFactory (EditorFactory factory);

    /** The host parameters' names, texts, values and forced marks, to read. Any thread. */
    const ParameterTable& getParameterTable() const noexcept { return parameters; }
    /** A host change gesture around setParameterNotifyingHost (a slider drag). */
    void beginParameterGesture (int id);
    void endParameterGesture (int id);
    /** A three-way light's click: a switch that is forced is released, any other is
        forced, in one host gesture. */
    void toggleForcedParameter (int id);

    /** The preferences, to read (change them with setPreference); "Save as default"
        writes them with getSettings().savePreferences(). */
    Settings& getSettings() noexcept { return settings; }
    /** The sound presets ("presets.tvc") and the MIDI mapping sets ("actions.tvc"). */
    GenericPresetLibrary& getPresetLibrary() noexcept { return *presetLibrary; }
    GenericPresetLibrary& getMappingLibrary() noexcept { return *actionLibrary; }
    /** The MIDI mappings and MIDI learn. Edits take the callback lock. */
    ActionMapper2& getActionMapper() noexcept { return actionMapper; }
    /** The velocity curve; edits reach the audio thread without waiting for it. */
    VelocityMapper& getVelocityMapper() noexcept { return velocityMapper; }
    /** Where each string is fingered, written by the audio thread; polled (20 ms). */
    const Fingering& getFingering() const noexcept { return fingering; }
    /** The on-screen keyboard's notes join every block's events. */
    juce::MidiKeyboardState& getKeyboardState() noexcept { return keyboardState; }
    /** The host rate of the last preparation, and whether the instrument plays at it. */
    float getHostSampleRate() const noexcept { return hostSampleRate; }
    bool isRateSupported() const noexcept { return rateSupported; }
    /** False on a processor without SSE2: the instrument stays silent. */
    bool hasRequiredInstructions() const noexcept { return hasSse2; }

    /** Receives the first output channel of every block, on the audio thread (the
        editor's level meter). It must not allocate, wait or call back. */
    class OutputListener
    {
    public:
        virtual ~OutputListener() = default;
        virtual void outputBlock (const float* samples, int count) noexcept = 0;
    };
    /** Sets or clears (nullptr) the output listener. Takes the callback lock, so once
        it returns no block uses a listener that was replaced. */
    void setOutputListener (OutputListener* listener);

    /** An offline host (a renderer, a test) calls this between blocks, in place of a
        message loop: mapped preset loads and handed-off work run, and the strings that
        the last changes asked for are installed at the start of the next block. Then
        the same input always renders the same samples. */
    void finishPendingWork();

    // Processor operations

    /** Under the callback lock and stringsLock: every voice reset and stopped, the
        Fingering and the performance reset, the convolver emptied. Any thread. */
    void resetEngine();

    /** Stores a preference by key after its range rule and applies what depends on it.
        False for an unknown key. Message thread. */
    bool setPreference (const juce::String& key, int value);

    /** (Re)creates the six voices and their models for the preferred sound precision
        when it differs from the current one; with restart, and once the processor has
        been prepared, computes them at once as on a first start (otherwise the first
        preparation does). Message thread; never from a block. */
    void buildStrings (bool restart);

    /** The bend and harmonics preferences reach the strings: their touch, vibrato, bend
        and harmonic fields are recomputed at once. Message thread. */
    void applyEffectSettings();

    /** Runs the work blocks handed off because the audio thread may neither wait nor
        allocate: parameter changes that found the parameter lock busy, body-filter
        rebuilds, excitation rebuilds and change broadcasts asked for by mapped actions.
        The precomputation thread runs it every 30 ms at the latest; an offline host
        calls it between blocks so that the same input always renders the same samples.
        Any thread but the audio thread. */
    void runHandedOffWork();

    /** New values for the parameters that shape the strings, through the host
        parameters (as an editor would set them); the strings are then recomputed on
        the precomputation thread. Any thread. */
    void setSoundControls (const SoundControls& controls);

    /** The string-shaping values of the current parameters, read under the parameter
        lock. */
    SoundControls currentSoundControls() const;

    /** A parameter change by id (the host's and every component's path): stores the
        value, and when the change is significant performs its side effect. Any
        thread, the audio thread included (mapped actions). */
    void setParameter (int id, float newValue) override; // also answers JUCE's legacy index path

    /** setParameter, then the host is told (what editors, actions and presets use). */
    void setParameterNotifyingHost (int id, float newValue) override;

    /** Applies the "Parameter" elements of parent (presets, state). */
    void readParameters (const juce::XmlElement& parent);

    /** The body filter is rebuilt from "Guitar type", "Room type" and "Mix"; the
        strings are recomputed when asked (a new guitar brings a new admittance). */
    void updateBodyAndRoom (bool recomputeStrings);

    /** How many body filters have been built so far. */
    int bodyFilterBuildCount() const noexcept { return bodyFilterBuilds.load(); }

    /** The host family from the running executable's file name (0: none listed; 13 to
        15: the Cubase family, which is shown a single program). */
    static int hostTypeOf (const juce::String& executableName);

    /** The root tag of the state chunk. */
    static constexpr const char* stateTag = "TovalinSettings";

    /** The names of the nine guitars and the six rooms, in parameter order. */
    static juce::StringArray guitarChoices();
    static juce::StringArray roomChoices();

private:
    // The processor's parts. The precomputation thread works on the strings; tests look
    // inside through their own friend.
    friend class StringPrecomputationThread;
    friend struct ProcessorInternals;

    // PerformanceHost: what mapped actions and the mapper act on.
    void changeParameterInGesture (int id, float value) noexcept override
    {
        if (auto* p = getParameters()[id])
        {
            p->beginChangeGesture();
            p->setValueNotifyingHost (value);
            p->endChangeGesture();
        }
    }
    float parameterValue (int id) const noexcept override { return parameters.get (id).value; }
    float parameterDefault (int id) const override
    {
        auto* p = getParameters()[id];
        return p != nullptr ? p->getDefaultValue() : parameterValue (id);
    }
    juce::StringArray listedParameterNames() const override { return parameters.listedNames; }
    bool findParameterId (const juce::String& name, int& id) const override { return parameters.findId (name, id); }
    juce::String parameterName (int id) const override { return parameters.get (id).name; }
    void requestPresetLoad (const juce::String& name) noexcept override { deferredPresetLoad.request (name); }
    juce::StringArray presetNames() const override
    {
        return presetLibrary != nullptr ? presetLibrary->getNames() : juce::StringArray();
    }
    TranscriptionChordsMode& chordsMode() noexcept override { return guitarist.chords(); }
    const Fingering& currentFingering() const noexcept override { return fingering; }
    bool bendsOnAftertouch() const noexcept override { return settings.bendOnAftertouch != 0; }
    const juce::CriticalSection& dispatchLock() const noexcept override { return getCallbackLock(); }

    /** On the first preparation: starts the precomputation thread and computes every
        live model. Called by prepareToPlay. */
    void initializeStrings();

    StringPreferences stringPreferences() const noexcept { return {settings.bend, settings.harmonics}; }

    /** Recomputes one string's parameters from controls, with the admittance of the
        guitar they name (an unknown guitar keeps the string's previous table). */
    void recomputeStringParams (StringParams& params, const SoundControls& controls) const;

    /** Reports to the host the delay between a note and its sound that the processor
        itself adds: the chord-detection delay and the body filter's partition, both in
        engine samples, converted to host samples. */
    void reportLatency();

    int hostType = 0;
    bool programsHidden() const noexcept;

    ParameterTable parameters{guitarChoices(), roomChoices()};
    juce::MidiKeyboardState keyboardState;
    float hostSampleRate = 0.0f;
    bool rateSupported = true;
    bool hasSse2 = true;
    bool disabled = false;
    bool firstPrepare = true;
    /** prepareToPlay has run at least once (the body filter is loaded). */
    bool preparedOnce = false;
    bool lastAllIdle = true;
    int currentLevel = -1;
    std::atomic<bool> restoringState{false}; // read by mapped actions on the audio thread

    /** The volume and the five toggles: their side effects act on what is playing. */
    static bool isPlayingParameter (int id) noexcept;
    /** The side effect of a playing parameter (the callback lock held, or the block
        running; and the strings lock held). */
    void applyPlayingParameter (int id, float value) noexcept;
    /** Applies the playing changes other threads handed over: from the block, only if
        the strings lock is free at once (else the next block); otherwise taking the
        callback and strings locks. */
    void applyPostedPlaying (bool fromBlock) noexcept;
    /** The thread running processBlock, while it runs. */
    std::atomic<juce::Thread::ThreadID> blockThread{nullptr};
    /** Prepared: blocks may run, so playing changes from other threads go through the
        hand-over below instead of the callback lock. */
    std::atomic<bool> audioRunning{false};
    std::atomic<std::uint32_t> postedPlaying{0}; // one bit per parameter id
    std::array<std::atomic<float>, ParameterTable::Count> postedPlayingValues{};
    bool constructed = false;
    std::atomic<OutputListener*> outputListener{nullptr};

    Convolver convolver;
    std::atomic<int> bodyFilterBuilds{0};
    /** The loaded body filter's latency, for reporting from any thread (the convolver
        itself belongs to the audio thread and the loader). */
    std::atomic<int> bodyFilterLatency{0};
    VelocityMapper velocityMapper;
    /** The guitars and rooms (their recorded data comes with the sound data). */
    SoundLibrary soundLibrary;
    std::unique_ptr<BodyFilterBuilder> bodyFilterBuilder;
    /** Serialises updateBodyAndRoom: only ever tried; a busy update repeats instead. */
    juce::CriticalSection bodyFilterLock;
    std::atomic<bool> bodyFilterRedo{false};
    /** The loaded body filter's length in engine samples (the tail the host hears). */
    std::atomic<int> bodyFilterLength{0};
    Fingering fingering;
    Guitarist guitarist{fingering};
    /** String 0 is the lowest. Guarded by stringsLock; swapped under the callback lock. */
    std::array<std::unique_ptr<StringVoice>, StringCount> voices;
    std::array<std::unique_ptr<StringModel>, StringCount> liveModels;
    /** The precomputation thread's work copies. */
    std::array<std::unique_ptr<StringModel>, StringCount> workModels;
    /** Incremented whenever buildStrings replaces the voices and models. */
    std::atomic<int> stringsGeneration{0};
    std::unique_ptr<GenericPresetLibrary> presetLibrary;
    Settings settings;
    ActionMapper2 actionMapper{*this};
    /** The mapping sets (actions.tvc); destroyed before the mapper it loads into. */
    std::unique_ptr<GenericPresetLibrary> actionLibrary;
    /** Preset loads that mapped actions ask for on the audio thread. */
    DeferredPresetLoad deferredPresetLoad{[this] (const juce::String& name)
                                          {
                                              if (presetLibrary != nullptr)
                                                  presetLibrary->selectByName (name);
                                          }};
    std::array<StringParams, StringCount> stringParams;
    juce::CriticalSection stringsLock;
    RateConverter rateConverter;
    StringPrecomputationThread precomputationThread{*this};

    /** Marks the current preset modified when the velocity curve is edited. */
    struct CurveEdits : ModifiedNotifier
    {
        TovalinPlugin& processor;
        explicit CurveEdits (TovalinPlugin& p) : processor (p) {}
        void markModified() override
        {
            if (processor.presetLibrary != nullptr)
                processor.presetLibrary->setModified (true);
        }
    } curveEdits{*this};

    /** What a block hands off (see runHandedOffWork): lock-free, fixed storage. */
    struct HandOff
    {
        std::atomic<std::uint32_t> parameters{0}; // one bit per parameter id
        std::array<std::atomic<float>, ParameterTable::Count> values{};
        std::atomic<bool> bodyFilter{false};
        std::atomic<bool> bodyFilterStrings{false};
        std::atomic<bool> excitation{false};
        std::atomic<bool> broadcast{false};
        juce::CriticalSection lock; // serialises the runners, never taken by a block
    } handOff;

    bool isInBlock() const noexcept { return blockThread.load() == juce::Thread::getCurrentThreadId(); }

    struct ChunkClient;
    class MidiCursor;

    void renderChunk (MidiCursor& events, int engineBase, int n, bool lastChunk, float* destination);

    Vector<float> mixBuffer{RateConverter::MaxChunk};
    FloatingPointGuard floatingPointGuard;
    /** MIDI events of a block that rendered no engine samples (a block no longer than
        the converter's leftover): delivered at the start of the next block. */
    juce::MidiBuffer deferredMidi;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TovalinPlugin)
};

} // namespace tovalin
