// The parameters and preferences: their changes, side effects and hand-overs.
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

void HostParameter::setValue (float newValue) { processor.setParameter (id, newValue); }

} // namespace tovalin
