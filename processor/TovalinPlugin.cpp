#include "TovalinPlugin.h"
#include "presets/SafeXml.h"

#include "ChunkLoop.h"
#include "HostParameter.h"

#include "../engine/SoundNames.h"
#include "../presets/BuiltInPresets.h"

#include "../engine/StringConstants.h"
#include "../engine/StringPrecomputation.h"

#include <algorithm>
#include <optional>

namespace tovalin
{
namespace
{
    constexpr int maxDeferredEvents = 256;

    /** Only complete channel messages reach the mapper and the Guitarist; system
        messages mean nothing to the instrument, and a truncated message would make
        them read bytes that were never sent. */
    bool isUsableChannelMessage (const juce::uint8* data, int size) noexcept
    {
        if (size < 1 || data[0] < 0x80 || data[0] >= 0xF0)
            return false;
        return size == juce::MidiMessage::getMessageLengthFromFirstByte (data[0]);
    }
} // namespace

/** Walks the deferred events (all at time 0) and then the block's events, giving each
    its engine time from the block's start and skipping what the instrument cannot use. */
class TovalinPlugin::MidiCursor
{
public:
    MidiCursor (const juce::MidiBuffer& deferredEvents, const juce::MidiBuffer& blockEvents,
                double inputPerOutput) noexcept
        : block (blockEvents), ratio (inputPerOutput), it (deferredEvents.cbegin()), end (deferredEvents.cend())
    {
        skipUnusable();
    }

    /** The current event's engine time from the block's start; false at the end. */
    bool peek (int& engineTime) const noexcept
    {
        if (it == end)
            return false;
        engineTime = inDeferred ? 0 : (int) ((*it).samplePosition * ratio);
        return true;
    }

    juce::MidiMessage message() const noexcept
    {
        const auto meta = *it;
        return juce::MidiMessage (meta.data, meta.numBytes, 0.0);
    }

    void next() noexcept
    {
        ++it;
        ++consumed;
        skipUnusable();
    }

    int consumedCount() const noexcept { return consumed; }

private:
    void skipUnusable() noexcept
    {
        for (;;)
        {
            if (it == end)
            {
                if (! inDeferred)
                    return;
                inDeferred = false;
                it = block.cbegin();
                end = block.cend();
                continue;
            }
            const auto meta = *it;
            if (isUsableChannelMessage (meta.data, meta.numBytes))
                return;
            ++it;
        }
    }

    const juce::MidiBuffer& block;
    double ratio;
    juce::MidiBufferIterator it, end;
    bool inDeferred = true;
    int consumed = 0;
};

/** Connects the chunk loop to the processor's MIDI, Guitarist and voices. */
struct TovalinPlugin::ChunkClient
{
    TovalinPlugin& processor;
    MidiCursor& events;
    int base;   // engine samples of this block rendered before the chunk
    int length; // the chunk's engine samples
    bool lastChunk;
    float* mix;

    bool nextMidiTime (int& t) noexcept
    {
        int engineTime = 0;
        if (! events.peek (engineTime))
            return false;
        int local = engineTime - base;
        if (local >= length)
        {
            // Events in the block's last host samples may map beyond the rendered
            // engine samples: the last chunk still delivers them, at its end.
            if (! lastChunk)
                return false;
            local = length - 1;
        }
        t = std::max (0, local);
        return true;
    }

    void handleMidi (int t) noexcept
    {
        const juce::MidiMessage m = events.message();
        if (! processor.actionMapper.dispatch (m))
            processor.guitarist.handleNoteEvent (m, t);
        events.next();
    }

    bool nextGestureTime (int& t) noexcept { return processor.guitarist.peekNextEventTime (t); }

    void processGesture (int t) noexcept { processor.guitarist.processDueEvent (t); }

    bool render (int pos, int len) noexcept
    {
        StringVoice* v[StringCount];
        for (int s = 0; s < StringCount; ++s)
            v[s] = processor.voices[(size_t) s].get();
        return renderVoices (v, StringCount, len, mix, pos);
    }
};

TovalinPlugin::TovalinPlugin()
    : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    hasSse2 = juce::SystemStats::hasSSE2();
    disabled = ! hasSse2;

    settings.loadPreferences();
    guitarist.chordDetectionDelay = settings.chordsDetectionDelay;
    guitarist.detectInversions = settings.inversions == 1;

    // The host sees the parameters by id.
    for (int id = 0; id < ParameterTable::Count; ++id)
        addParameter (new HostParameter (*this, parameters.get (id), id));
    // The pluck records follow "Excitation type" from the start.
    const double excitation = parameters.get (ParameterTable::ExcitationType).value;
    velocityMapper.rebuildExcitation (excitation * excitation * excitation * excitation * excitation);

    const SoundControls controls = currentSoundControls();
    for (int s = 0; s < StringCount; ++s)
    {
        stringParams[(size_t) s].stringIndex = s;
        recomputeStringParams (stringParams[(size_t) s], controls);
    }
    buildStrings (false);

    hostType = hostTypeOf (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFileName());
    presetLibrary = std::make_unique<GenericPresetLibrary> ("Preset", "presets.tvc", *this);
    presetLibrary->loadBuiltIns (builtInPresetsDocument, builtInPresetsDocumentSize);
    presetLibrary->reload();
    velocityMapper.setModifiedNotifier (&curveEdits);
    // The mapping sets: the built-in "Default" first, then the user's file.
    actionLibrary = std::make_unique<GenericPresetLibrary> ("Action", "actions.tvc", actionMapper);
    {
        juce::XmlElement sets ("ActionSet");
        sets.addChildElement (ActionMapper2::defaultSet().release());
        const juce::String document = sets.toString();
        actionLibrary->loadBuiltIns (document.toRawUTF8(), document.getNumBytesAsUTF8());
    }
    actionLibrary->reload();
    actionMapper.library = actionLibrary.get();
    actionMapper.changed = false;

    deferredMidi.ensureSize (4096);
    // Hosts take the reported defaults for a fresh instance's values: they must be the
    // values the startup preset left.
    for (auto* p : getParameters())
        static_cast<HostParameter*> (p)->adoptCurrentAsDefault();
    constructed = true;
}

TovalinPlugin::~TovalinPlugin()
{
    // The thread checks for exit at least every 30 ms and between strings; it is
    // given ample time so that it never has to be killed in the middle of an install.
    precomputationThread.setPaused (true);
    precomputationThread.stopThread (5000);
}

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

void TovalinPlugin::setSoundControls (const SoundControls& c)
{
    using P = ParameterTable;
    auto set = [this] (int id, float v)
    {
        if (parameters.get (id).value != v)
            setParameterNotifyingHost (id, v);
    };
    auto& guitar = static_cast<StepParam&> (parameters.get (P::GuitarType));
    set (P::GuitarType, guitar.valueForText (c.guitarType));
    set (P::StringType, c.stringType == "Nylon" ? 0.0f : 1.0f);
    set (P::AttackPlace, c.attackPlace);
    set (P::Volume, c.volume);
    set (P::Impedance, c.impedance);
    set (P::Color, c.color);
    set (P::Inharmonicity, c.inharmonicity);
    set (P::StrummingSpeed, c.strummingSpeed);
    set (P::VibratoFrequency, c.vibratoFrequency);
    set (P::PitchBend, c.pitchBend);
    set (P::VibratoMaxFrequency, c.vibratoMaxFrequency);
    set (P::PalmMuteAmount, c.palmMuteAmount);
    set (P::HarmonicsAmount, c.harmonicsAmount);
    set (P::Twang, c.twang);
}

SoundControls TovalinPlugin::currentSoundControls() const
{
    using P = ParameterTable;
    const juce::ScopedLock pl (parameters.parameterLock);
    auto value = [this] (int id) { return parameters.get (id).value.load(); };
    SoundControls c;
    c.guitarType = parameters.get (P::GuitarType).getText().toStdString();
    c.stringType = parameters.get (P::StringType).getText().toStdString();
    c.attackPlace = value (P::AttackPlace);
    c.volume = value (P::Volume);
    c.impedance = value (P::Impedance);
    c.color = value (P::Color);
    c.inharmonicity = value (P::Inharmonicity);
    c.strummingSpeed = value (P::StrummingSpeed);
    c.vibratoFrequency = value (P::VibratoFrequency);
    c.pitchBend = value (P::PitchBend);
    c.vibratoMaxFrequency = value (P::VibratoMaxFrequency);
    c.palmMuteAmount = value (P::PalmMuteAmount);
    c.harmonicsAmount = value (P::HarmonicsAmount);
    c.twang = value (P::Twang);
    return c;
}

void TovalinPlugin::setParameterNotifyingHost (int id, float newValue)
{
    if (auto* p = getParameters()[id])
        p->setValueNotifyingHost (newValue);
}

void TovalinPlugin::setParameter (int id, float x)
{
    using P = ParameterTable;
    if (disabled || id < 0 || id >= P::Count)
        return;

    // Inside a block (a mapped action) the audio thread owns the voices, the models and
    // the Guitarist: every other thread that changes them holds the callback lock or
    // has processing suspended. It waits for nothing: a busy parameter lock hands the
    // change to runHandedOffWork, and whatever builds, allocates or broadcasts is
    // handed off likewise.
    const bool inBlock = isInBlock();

    // Changes whose side effects reach what the audio thread plays (the volume and
    // the five toggles), from any other thread:
    //  - while blocks may run, applied by the audio thread at the start of its next
    //    block: holding the callback lock here would stall the audio thread whenever
    //    this thread lost its core meanwhile;
    //  - while no block runs, at once, under the callback lock and the strings lock
    //    (the processor's lock order: callback, strings, parameter).
    // Locks are held in place, not on the heap: this may run on the audio thread.
    const bool touchesPlaying = isPlayingParameter (id);
    std::optional<juce::ScopedLock> callbackLock, strings;
    bool deferPlaying = false;
    if (touchesPlaying && ! inBlock)
    {
        if (audioRunning)
            deferPlaying = true;
        else
        {
            callbackLock.emplace (getCallbackLock());
            strings.emplace (stringsLock);
        }
    }

    Param& p = parameters.get (id);
    bool significant;
    {
        const juce::ScopedTryLock pl (parameters.parameterLock);
        if (! pl.isLocked())
        {
            if (inBlock)
            {
                handOff.values[(size_t) id] = x;
                handOff.parameters.fetch_or (1u << id);
                return;
            }
            // Elsewhere waiting is allowed; the lock is taken in order.
            const juce::ScopedLock wait (parameters.parameterLock);
            significant = p.hasChangedEnough (x);
            p.setValue (x, significant);
        }
        else
        {
            significant = p.hasChangedEnough (x);
            p.setValue (x, significant);
        }
    }
    if (! significant)
        return;

    const bool on = x >= 0.5f;
    if (touchesPlaying)
    {
        if (deferPlaying)
        {
            postedPlayingValues[(size_t) id] = x;
            postedPlaying.fetch_or (1u << id);
        }
        else
            applyPlayingParameter (id, x);
    }
    switch (id)
    {
        case P::GuitarType:
        case P::RoomType:
        case P::Mix:
            if (! restoringState)
            {
                // A new guitar brings a new admittance for the strings.
                if (inBlock)
                {
                    if (id == P::GuitarType)
                        handOff.bodyFilterStrings = true;
                    handOff.bodyFilter = true;
                }
                else
                    updateBodyAndRoom (id == P::GuitarType);
            }
            break;
        case P::ExcitationType:
            if (inBlock)
                handOff.excitation = true; // the rebuild takes the curve's lock
            else
                velocityMapper.rebuildExcitation ((double) x * x * x * x * x);
            break;
        case P::VibratoFrequency:
        case P::PitchBend:
        {
            // Posted to the live models; the audio thread takes them up between runs.
            // Elsewhere the strings lock keeps the models from being replaced meanwhile.
            std::optional<juce::ScopedLock> modelsLock;
            if (! inBlock)
                modelsLock.emplace (stringsLock);
            for (auto& m : liveModels)
                if (id == P::VibratoFrequency)
                    m->postVibrato (x);
                else
                    m->postBend (x);
            break;
        }
        case P::ToggleHarmonics:
        case P::TogglePalm:
        {
            // The host sees one of the two switch the other off.
            const int other = id == P::ToggleHarmonics ? P::TogglePalm : P::ToggleHarmonics;
            if (on && parameters.get (other).isActive())
                setParameterNotifyingHost (other, 0.0f);
            break;
        }
        case P::Volume:
        case P::ToggleLegato:
        case P::ToggleSustain:
        case P::ToggleChords:
            break;
        default: // the parameters that shape the strings
            if (! restoringState)
                precomputationThread.requestRecompute();
            break;
    }

    if (! restoringState)
    {
        if (presetLibrary != nullptr)
            presetLibrary->setModified (true);
        if (inBlock)
            handOff.broadcast = true; // posting a message may allocate and lock
        else
            sendChangeMessage();
    }
}

void TovalinPlugin::runHandedOffWork()
{
    jassert (! isInBlock());
    const juce::ScopedLock sl (handOff.lock);
    const std::uint32_t ids = handOff.parameters.exchange (0);
    for (int id = 0; id < ParameterTable::Count; ++id)
        if ((ids & (1u << id)) != 0)
            setParameter (id, handOff.values[(size_t) id]);
    if (handOff.excitation.exchange (false))
    {
        const double x = parameters.get (ParameterTable::ExcitationType).value;
        velocityMapper.rebuildExcitation (x * x * x * x * x);
    }
    if (handOff.bodyFilter.exchange (false))
        updateBodyAndRoom (handOff.bodyFilterStrings.exchange (false));
    if (handOff.broadcast.exchange (false))
        sendChangeMessage();
}

bool TovalinPlugin::isPlayingParameter (int id) noexcept
{
    using P = ParameterTable;
    return id == P::Volume || id == P::ToggleHarmonics || id == P::TogglePalm || id == P::ToggleLegato ||
           id == P::ToggleSustain || id == P::ToggleChords;
}

void TovalinPlugin::applyPlayingParameter (int id, float x) noexcept
{
    using P = ParameterTable;
    const bool on = x >= 0.5f;
    switch (id)
    {
        case P::Volume:
            for (int s = 0; s < StringCount; ++s)
            {
                recomputeVolume (stringParams[(size_t) s], x);
                voices[(size_t) s]->updateGain();
            }
            break;
        case P::ToggleHarmonics:
            guitarist.setHarmonics (on);
            break;
        case P::TogglePalm:
            guitarist.setPalm (on);
            break;
        case P::ToggleLegato:
            guitarist.setLegato (on);
            break;
        case P::ToggleSustain:
            // The strings that ring only through sustain end before sustain goes off.
            if (! on)
                guitarist.releaseOrphans();
            guitarist.setSustain (on);
            break;
        case P::ToggleChords:
            guitarist.setChordDetection (on);
            break;
        default:
            break;
    }
}

void TovalinPlugin::applyPostedPlaying (bool fromBlock) noexcept
{
    if (postedPlaying.load() == 0)
        return;
    std::optional<juce::ScopedLock> callbackLock, strings;
    std::optional<juce::ScopedTryLock> stringsInBlock;
    if (fromBlock)
    {
        stringsInBlock.emplace (stringsLock);
        if (! stringsInBlock->isLocked())
            return; // the next block tries again
    }
    else
    {
        callbackLock.emplace (getCallbackLock());
        strings.emplace (stringsLock);
    }
    const std::uint32_t posted = postedPlaying.exchange (0);
    // Switches going off first: of palm and harmonics, the one switched on wins.
    for (const bool switchingOn : {false, true})
        for (int id = 0; id < ParameterTable::Count; ++id)
            if ((posted & (1u << id)) != 0)
            {
                const float x = postedPlayingValues[(size_t) id];
                const bool secondRound = id == ParameterTable::Volume || x >= 0.5f;
                if (secondRound == switchingOn)
                    applyPlayingParameter (id, x);
            }
}

void TovalinPlugin::loadPreset (const juce::XmlElement& element)
{
    if (disabled)
        return;
    restoringState = true;
    readParameters (element);
    velocityMapper.readPoints (element);
    restoringState = false;
    if (constructed)
        updateBodyAndRoom (true);
    sendChangeMessage();
}

void TovalinPlugin::savePreset (juce::XmlElement& element)
{
    if (disabled)
        return;
    parameters.writeParameters (element);
    velocityMapper.writePoints (element);
}

int TovalinPlugin::getNumPrograms()
{
    // The Cubase family handles programs badly: it is shown a single one.
    if (programsHidden() || presetLibrary == nullptr)
        return 1;
    return juce::jmax (1, presetLibrary->getNames().size());
}

int TovalinPlugin::getCurrentProgram()
{
    if (programsHidden() || presetLibrary == nullptr)
        return 0;
    return presetLibrary->getCurrentIndex();
}

void TovalinPlugin::setCurrentProgram (int index)
{
    if (programsHidden() || presetLibrary == nullptr || index == presetLibrary->getCurrentIndex())
        return;
    presetLibrary->selectIndex (index);
}

const juce::String TovalinPlugin::getProgramName (int index)
{
    if (programsHidden())
        return "None";
    return presetLibrary != nullptr ? presetLibrary->getNames()[index] : juce::String();
}

void TovalinPlugin::changeProgramName (int index, const juce::String& newName)
{
    if (presetLibrary != nullptr)
        presetLibrary->rename (presetLibrary->getNames()[index], newName);
}

void TovalinPlugin::readParameters (const juce::XmlElement& parent)
{
    for (auto* e : parent.getChildIterator())
    {
        if (! e->hasTagName ("Parameter") || ! e->hasAttribute ("id") || ! e->hasAttribute ("value"))
            continue;
        const int id = e->getIntAttribute ("id");
        if (id < 0 || id >= ParameterTable::Count)
            continue;
        setParameterNotifyingHost (id, (float) e->getDoubleAttribute ("value"));
        const juce::ScopedLock pl (parameters.parameterLock);
        Param& p = parameters.get (id);
        p.forced = e->getIntAttribute ("auto", 0) == 1;
        if (p.forced)
            p.forcePending = true;
    }
}

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

bool TovalinPlugin::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    // The instrument takes no audio in and plays one mono signal, on a stereo (or
    // mono) output. Accepting more would let a host (the VST 2.4 wrapper) offer 64.
    if (layouts.inputBuses.size() > 0 && ! layouts.getMainInputChannelSet().isDisabled())
        return false;
    if (layouts.outputBuses.size() != 1)
        return false;
    const auto out = layouts.getMainOutputChannelSet();
    return out == juce::AudioChannelSet::stereo() || out == juce::AudioChannelSet::mono();
}

void TovalinPlugin::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    if (disabled)
        return;
    rateSupported = rateConverter.configure (sampleRate, samplesPerBlock);
    hostSampleRate = (float) sampleRate;
    deferredMidi.clear();
    sendChangeMessage();
    resetEngine();
    const bool starting = ! preparedOnce;
    preparedOnce = true;
    initializeStrings();
    // The body filter is loaded outside the strings lock: its load suspends processing,
    // which takes the callback lock, and that lock comes first.
    if (starting)
        updateBodyAndRoom (false);
    reportLatency();
    // From here on, playing changes from other threads are left to the blocks.
    audioRunning = true;
    applyPostedPlaying (false);
}

void TovalinPlugin::releaseResources()
{
    if (disabled)
        return;
    rateSupported = true;
    audioRunning = false;
    applyPostedPlaying (false);
    rateConverter.release();
    deferredMidi.clear();
    resetEngine();
    sendChangeMessage();
}

double TovalinPlugin::getTailLengthSeconds() const
{
    // A released string is damped to silence within its release time; the body and the
    // room ring on after that.
    constexpr double releaseSeconds = 0.05;
    return releaseSeconds + (double) bodyFilterLength.load() / EngineSampleRate;
}

void TovalinPlugin::reportLatency()
{
    // The host compensates in its own samples: the engine's 44 100 Hz counts are
    // scaled to the host rate.
    const double engineSamples = (double) guitarist.chordDetectionDelay + bodyFilterLatency;
    const double rate = hostSampleRate > 0.0f ? (double) hostSampleRate : (double) EngineSampleRate;
    setLatencySamples (juce::jmax (0, (int) std::lround (engineSamples * rate / EngineSampleRate)));
}

void TovalinPlugin::resetEngine()
{
    // The callback lock first, as everywhere: from any other thread the reset then
    // falls between two blocks. A block (the floating-point recovery) owns the strings
    // already and takes no lock.
    std::optional<juce::ScopedLock> cl, sl;
    if (! isInBlock())
    {
        cl.emplace (getCallbackLock());
        sl.emplace (stringsLock);
    }
    for (auto& v : voices)
        if (v != nullptr)
        {
            v->reset();
            v->stop();
        }
    fingering.reset();
    guitarist.resetPerformance();
    convolver.reset();
}

bool TovalinPlugin::setPreference (const juce::String& key, int value)
{
    const std::string name = key.toStdString();
    int before = 0;
    if (! settings.getValue (name, before) || ! settings.setValue (name, value))
        return false;
    int after = 0;
    settings.getValue (name, after);
    guitarist.chordDetectionDelay = settings.chordsDetectionDelay;
    guitarist.detectInversions = settings.inversions == 1;
    if (after != before)
    {
        if (key == "performanceLevel")
            buildStrings (true);
        else if (key == "bend" || key == "harmonics")
            applyEffectSettings();
        else if (key == "samplesOfLatency" && preparedOnce)
            updateBodyAndRoom (true); // the body filter's partition is the latency
    }
    reportLatency();
    return true;
}

void TovalinPlugin::applyEffectSettings()
{
    if (disabled)
        return;
    const SoundControls controls = currentSoundControls();
    {
        const juce::ScopedLock cl (getCallbackLock());
        const juce::ScopedLock sl (stringsLock);
        const juce::ScopedLock pl (parameters.parameterLock);
        for (auto& p : stringParams)
            recomputeEffectParams (p, controls, stringPreferences());
    }
    // A pass already under way computed the fields from the old preferences; one more
    // pass keeps what it installs consistent with the new ones.
    precomputationThread.requestRecompute();
}

void TovalinPlugin::renderChunk (MidiCursor& events, int engineBase, int n, bool lastChunk, float* destination)
{
    std::fill (mixBuffer.data(), mixBuffer.data() + n, 0.0f);
    ChunkClient client{*this, events, engineBase, n, lastChunk, mixBuffer.data()};
    const bool anyRendered = runChunk (client, n);

    if (floatingPointGuard.hadArithmeticError())
    {
        resetEngine();
        // The faulty samples must not reach the body filter's history.
        std::fill (mixBuffer.data(), mixBuffer.data() + n, 0.0f);
    }

    guitarist.advanceQueue (n);

    bool allIdle = true;
    for (const auto& v : voices)
        allIdle = allIdle && v->idle != 0;
    if (allIdle != lastAllIdle || anyRendered)
    {
        if (allIdle && ! anyRendered)
        {
            convolver.startTail();
            lastAllIdle = true;
        }
        else
        {
            convolver.wake();
            lastAllIdle = false;
        }
    }

    if (convolver.partitionLength() > 0)
    {
        convolver.setOutput (destination, n);
        convolver.process (mixBuffer.data(), n);
    }
    else
    {
        // No body filter is loaded yet: the dry string sum goes on as it is.
        std::copy (mixBuffer.data(), mixBuffer.data() + n, destination);
    }

    if (floatingPointGuard.hadArithmeticError())
    {
        resetEngine();
        convolver.reset();
        std::fill (destination, destination + n, 0.0f);
    }
}

void TovalinPlugin::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    const int numSamples = buffer.getNumSamples();
    if (isSuspended() || disabled || ! rateSupported || ! rateConverter.isConfigured() || buffer.getNumChannels() == 0)
    {
        buffer.clear();
        return;
    }

    keyboardState.processNextMidiBuffer (midiMessages, 0, numSamples, true);
    blockThread = juce::Thread::getCurrentThreadId();
    // What other threads handed over takes effect first: new strings, then playing
    // changes (which act on the strings).
    precomputationThread.installIfReady();
    applyPostedPlaying (true);

    floatingPointGuard.enterAudioBlock();

    MidiCursor events (deferredMidi, midiMessages, rateConverter.getInputPerOutput());

    // Leftover host samples of the previous block come first; then chunks of at most
    // MaxChunk engine samples until the block is full.
    const int chunks = rateConverter.serveBlock (buffer, numSamples,
                                                 [&] (int engineBase, int n, bool lastChunk, float* dest)
                                                 { renderChunk (events, engineBase, n, lastChunk, dest); });

    if (chunks == 0)
    {
        // Nothing was rendered, so nothing was delivered: keep the block's events for
        // the start of the next one (fixed storage, bounded count).
        for (const auto meta : midiMessages)
            if (isUsableChannelMessage (meta.data, meta.numBytes) && deferredMidi.getNumEvents() < maxDeferredEvents)
                deferredMidi.addEvent (meta.data, meta.numBytes, 0);
    }
    else
    {
        deferredMidi.clear();
    }

    for (int ch = 1; ch < buffer.getNumChannels(); ++ch)
        buffer.copyFrom (ch, 0, buffer, 0, 0, numSamples);
    if (auto* listener = outputListener.load())
        listener->outputBlock (buffer.getReadPointer (0), numSamples);

    blockThread = nullptr;
    floatingPointGuard.leaveAudioBlock();
}

void TovalinPlugin::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement root (stateTag);
    root.setAttribute ("pluginVersion", "1.3");
    actionMapper.writeMappings (root);
    parameters.writeParameters (root);
    velocityMapper.writePoints (root);
    settings.writeSettings (root);
    auto* preset = root.createNewChildElement ("currentPreset");
    preset->setAttribute ("name", presetLibrary != nullptr ? presetLibrary->getCurrentName() : juce::String());
    preset->setAttribute ("um", presetLibrary != nullptr && presetLibrary->isModified() ? 1 : 0);
    actionMapper.applyPendingLibraryMark();
    auto* actions = root.createNewChildElement ("currentActionsPreset");
    actions->setAttribute ("name", actionLibrary != nullptr ? actionLibrary->getCurrentName() : juce::String());
    actions->setAttribute ("um", actionLibrary != nullptr && actionLibrary->isModified() ? 1 : 0);
    copyXmlToBinary (root, destData);
}

void TovalinPlugin::setStateInformation (const void* data, int sizeInBytes)
{
    if (disabled || data == nullptr || sizeInBytes <= 0)
        return;
    const std::unique_ptr<juce::XmlElement> xml = xmlFromStateChunk (data, sizeInBytes);
    if (xml == nullptr || ! xml->hasTagName (stateTag))
        return;

    restoringState = true;
    const StringPreferences effectsBefore = stringPreferences();
    settings.readSettings (*xml);
    guitarist.chordDetectionDelay = settings.chordsDetectionDelay;
    guitarist.detectInversions = settings.inversions == 1;
    if (auto* preset = xml->getChildByName ("currentPreset"))
        if (preset->hasAttribute ("name") && presetLibrary != nullptr)
        {
            const bool found = presetLibrary->setCurrentName (preset->getStringAttribute ("name"));
            presetLibrary->setModified (! found || preset->getIntAttribute ("um", 0) == 1);
        }
    if (auto* actions = xml->getChildByName ("currentActionsPreset"))
        if (actions->hasAttribute ("name") && actionLibrary != nullptr)
        {
            const bool found = actionLibrary->setCurrentName (actions->getStringAttribute ("name"));
            actionLibrary->setModified (! found || actions->getIntAttribute ("um", 0) == 1);
        }
    readParameters (*xml);
    velocityMapper.readPoints (*xml);
    actionMapper.readMappings (*xml);
    restoringState = false;
    // The restored sound precision and effect preferences take effect like the
    // settings panel's: the strings rebuilt, the effect fields recomputed.
    buildStrings (true);
    const StringPreferences effects = stringPreferences();
    if (effects.bend != effectsBefore.bend || effects.harmonics != effectsBefore.harmonics)
        applyEffectSettings();
    updateBodyAndRoom (true);
    reportLatency();
    sendChangeMessage();
}

void TovalinPlugin::beginParameterGesture (int id)
{
    if (auto* p = getParameters()[id])
        p->beginChangeGesture();
}

void TovalinPlugin::endParameterGesture (int id)
{
    if (auto* p = getParameters()[id])
        p->endChangeGesture();
}

void TovalinPlugin::toggleForcedParameter (int id)
{
    if (id < 0 || id >= ParameterTable::Count)
        return;
    float value = 0.0f;
    {
        // Decided under the parameter lock; set after it, so that the change takes the
        // callback and strings locks first, in the processor's order.
        const juce::ScopedLock pl (parameters.parameterLock);
        Param& p = parameters.get (id);
        if (p.forced)
        {
            p.forced = false;
            value = p.getReleasedValue();
        }
        else
        {
            p.forced = true;
            p.forcePending = true;
            value = p.getForcedValue();
        }
    }
    beginParameterGesture (id);
    setParameterNotifyingHost (id, value);
    endParameterGesture (id);
}

namespace
{
    TovalinPlugin::EditorFactory& editorFactory()
    {
        static TovalinPlugin::EditorFactory factory;
        return factory;
    }
} // namespace

void TovalinPlugin::setEditorFactory (EditorFactory factory) { editorFactory() = std::move (factory); }

juce::AudioProcessorEditor* TovalinPlugin::createEditor()
{
    const auto& factory = editorFactory();
    return factory ? factory (*this) : nullptr;
}

bool TovalinPlugin::hasEditor() const { return editorFactory() != nullptr; }

void TovalinPlugin::setOutputListener (OutputListener* listener)
{
    const juce::ScopedLock cl (getCallbackLock());
    outputListener = listener;
}

void TovalinPlugin::finishPendingWork()
{
    deferredPresetLoad.runPending();
    runHandedOffWork();
    // Bounded, in case the thread is held paused; it polls, so it is woken at once.
    for (int waited = 0; ! precomputationThread.isSettled() && waited < 20000; ++waited)
    {
        precomputationThread.notify();
        juce::Thread::sleep (1);
    }
}

int TovalinPlugin::hostTypeOf (const juce::String& executableName)
{
    struct Host
    {
        const char* text;
        int code;
    };
    static const Host hosts[] = {
        {"Live 6.", 1},    {"Live 7.", 2},      {"Live 8.", 3},    {"Live ", 4},    {"ProTools", 7}, {"SONAR 8", 8},
        {"SONAR", 9},      {"Tracktion 3", 11}, {"Tracktion", 12}, {"Cubase4", 13}, {"Cubase5", 14}, {"Cubase", 15},
        {"Wavelab 5", 16}, {"Wavelab 6", 17},   {"Wavelab", 18},   {"reaper", 10},  {"Logic", 6}};
    for (const Host& h : hosts)
        if (executableName.containsIgnoreCase (h.text))
            return h.code;
    return 0;
}

bool TovalinPlugin::programsHidden() const noexcept { return hostType >= 13 && hostType <= 15; }

} // namespace tovalin

namespace tovalin
{
void HostParameter::setValue (float newValue) { processor.setParameter (id, newValue); }
} // namespace tovalin
