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

} // namespace tovalin
