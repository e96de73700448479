#include "ActionMapper2.h"

#include "ChordNames.h"
#include "Fingering.h"

#include "presets/GenericPresetLibrary.h"

namespace tovalin
{
using P = ParameterIds;

namespace
{
    juce::String keyName (int note) { return juce::String (noteName (note)) + juce::String (note / 12 - 1); }

    constexpr int LearnItem = 641;
} // namespace

ActionMapper2::ActionMapper2 (PerformanceHost& p) : processor (p)
{
    for (int id = 0; id < 128; ++id)
    {
        const char* name = juce::MidiMessage::getControllerName (id);
        controllerNames.add (name != nullptr ? juce::String (name) : "Controller " + juce::String (id));
    }
    for (int note = 0; note < 128; ++note)
        controllerNames.add (keyName (note));
    controllerNames.add ("Pitch Bend");
    controllerNames.add ("None");

    prototypes.push_back (std::make_unique<Action2> (p));
    prototypes.push_back (std::make_unique<ActionSetParameter> (p));
    auto load = std::make_unique<ActionLoadProgram> (p);
    load->presetName = "Empty";
    prototypes.push_back (std::move (load));
    prototypes.push_back (std::make_unique<ActionSetVibrato> (p));
    prototypes.push_back (std::make_unique<ActionStrum> (p, true));
    prototypes.push_back (std::make_unique<ActionStrum> (p, false));
    prototypes.push_back (std::make_unique<ActionToggle> (p, "harmonics", P::ToggleHarmonics, false));
    prototypes.push_back (std::make_unique<ActionToggle> (p, "palm", P::TogglePalm, false));
    prototypes.push_back (std::make_unique<ActionToggle> (p, "legato", P::ToggleLegato, false));
    prototypes.push_back (std::make_unique<ActionToggle> (p, "chords detection", P::ToggleChords, true));
    prototypes.push_back (std::make_unique<ActionToggle> (p, "sustain", P::ToggleSustain, false));
    prototypes.push_back (std::make_unique<ActionSetPitchBend> (p));
    for (size_t i = 0; i < prototypes.size(); ++i)
    {
        actionTypeNames.add (prototypes[i]->getName());
        prototypeIsKey[i] = prototypes[i]->isKeyAction();
    }
    // A learn capture appends on the audio thread, only into an empty list: room for
    // a few in every list means it never allocates.
    for (auto& list : mappings)
        list.reserve (4);
}

ActionMapper2::~ActionMapper2() = default;

// ---------------------------------------------------------------------------------
// The audio path

bool ActionMapper2::dispatch (const juce::MidiMessage& m) noexcept
{
    int id = 0, value = 0;
    const bool isKey = m.isNoteOnOrOff();
    if (m.isController())
    {
        id = m.getControllerNumber();
        value = m.getControllerValue();
    }
    else if (isKey)
    {
        id = m.getNoteNumber() + 128;
        value = m.getVelocity();
    }
    else if (m.isPitchWheel())
    {
        id = PitchWheelId;
        value = (int) juce::jlimit (0.0, 127.0, m.getPitchWheelValue() * 127.0 / 16383.0);
    }
    else
    {
        if (m.isAftertouch())
            bendOnAftertouch (m.getAfterTouchValue());
        else if (m.isChannelPressure())
            bendOnAftertouch (m.getChannelPressureValue());
        return false;
    }

    const LearnState s = state.load();
    if (s == LearnState::Listening || s == LearnState::NeedKey || s == LearnState::NeedController)
    {
        capture (id);
        return true;
    }
    const auto& list = mappings[(size_t) id];
    for (const auto& action : list)
        action->perform (value, isKey, m.isNoteOn());
    return ! list.empty();
}

void ActionMapper2::bendOnAftertouch (int pressure) noexcept
{
    if (! processor.bendsOnAftertouch())
        return;
    bool holding = false;
    for (int s = 0; s < StringCount; ++s)
        holding = holding || processor.currentFingering().note[s] != -1;
    processor.setParameterNotifyingHost (P::PitchBend, holding ? ((float) pressure / 127.0f + 1.0f) * 0.5f : 0.5f);
}

void ActionMapper2::capture (int id) noexcept
{
    const bool key = id >= 128 && id <= 255;
    learnedId = id;
    if (wantsKey && ! key)
        state = LearnState::NeedKey;
    else if (! wantsKey && key)
        state = LearnState::NeedController;
    else if (! mappings[(size_t) id].empty())
        state = LearnState::Conflict;
    else
    {
        if (pendingAction != nullptr)
            mappings[(size_t) id].push_back (std::move (pendingAction)); // within reserved room
        state = LearnState::Mapped;
        libraryMarkPending = true;
    }
    changed = true;
}

void ActionMapper2::applyPendingLibraryMark()
{
    if (libraryMarkPending.exchange (false))
        markLibrary();
}

void ActionMapper2::markLibrary()
{
    // The library's own flag; its change broadcast is asynchronous.
    if (library != nullptr)
        library->setModified (true);
}

// ---------------------------------------------------------------------------------
// Reading and writing

void ActionMapper2::readMappings (const juce::XmlElement& element)
{
    const juce::ScopedLock sl (processor.dispatchLock());
    bool wasEmpty = true;
    for (auto& list : mappings)
    {
        wasEmpty = wasEmpty && list.empty();
        list.clear();
    }
    bool readAny = false;
    for (auto* e : element.getChildIterator())
    {
        if (! e->hasTagName ("ActionMapping") || ! e->hasAttribute ("controllerId") || ! e->hasAttribute ("type"))
            continue;
        const int id = e->getIntAttribute ("controllerId");
        if (id < 0 || id >= ControllerIdCount)
            continue;
        auto action = createAction (e->getStringAttribute ("type"));
        if (action == nullptr)
            continue;
        action->setTarget (e->getStringAttribute ("what"));
        append (id, std::move (action));
        readAny = true;
    }
    if (! wasEmpty || readAny)
        changed = true;
}

void ActionMapper2::writeMappings (juce::XmlElement& element) const
{
    for (int id = 0; id < ControllerIdCount; ++id)
        for (const auto& action : mappings[(size_t) id])
        {
            auto* e = element.createNewChildElement ("ActionMapping");
            e->setAttribute ("controllerId", id);
            e->setAttribute ("controllerName", controllerNames[id]);
            e->setAttribute ("type", action->getName());
            e->setAttribute ("what", action->getTarget());
        }
}

std::unique_ptr<juce::XmlElement> ActionMapper2::defaultSet()
{
    auto set = std::make_unique<juce::XmlElement> ("Action");
    set->setAttribute ("name", "Default");
    set->setAttribute ("desc", "");
    const struct
    {
        int id;
        const char* name;
        const char* type;
    } rows[] = {{1, "Modulation Wheel (coarse)", "Vibrato"},
                {175, "B2", "Toggle legato"},
                {176, "C3", "Toggle palm"},
                {177, "C#3", "Toggle harmonics"},
                {178, "D3", "Toggle sustain"},
                {179, "D#3", "Toggle chords detection"},
                {256, "Pitch Bend", "Pitch bend"}};
    for (const auto& r : rows)
    {
        auto* e = set->createNewChildElement ("ActionMapping");
        e->setAttribute ("controllerId", r.id);
        e->setAttribute ("controllerName", r.name);
        e->setAttribute ("type", r.type);
        e->setAttribute ("what", "");
    }
    return set;
}

std::unique_ptr<Action2> ActionMapper2::createAction (const juce::String& typeName) const
{
    for (const auto& p : prototypes)
        if (p->getName() == typeName) // exactly: "Toggle Legato" is not "Toggle legato"
            return p->clone();
    return nullptr;
}

// ---------------------------------------------------------------------------------
// Edits

void ActionMapper2::append (int id, std::unique_ptr<Action2> action)
{
    auto& list = mappings[(size_t) id];
    list.push_back (std::move (action));
    if (list.capacity() < list.size() + 1)
        list.reserve (list.size() + 4);
}

bool ActionMapper2::findAction (const juce::String& name, const juce::String& type, const juce::String& what, int& id,
                                size_t& index) const
{
    id = idOfName (name);
    if (id < 0)
        return false;
    const auto& list = mappings[(size_t) id];
    for (index = 0; index < list.size(); ++index)
        if (list[index]->getName() == type && list[index]->getTarget() == what)
            return true;
    return false;
}

void ActionMapper2::addMapping (int id, std::unique_ptr<Action2> action, bool force)
{
    applyPendingLibraryMark();
    if (id < 0 || id >= ControllerIdCount || action == nullptr)
        return;
    const juce::ScopedLock sl (processor.dispatchLock());
    const juce::ScopedLock ll (learnLock);
    learnedId = id;
    if (mappings[(size_t) id].empty() || force)
    {
        append (id, std::move (action));
        pendingAction.reset();
        state = LearnState::Mapped;
        markLibrary();
    }
    else
    {
        pendingAction = std::move (action);
        state = LearnState::Conflict;
    }
    changed = true;
}

void ActionMapper2::addUnassignedMapping()
{
    addMapping (NoSourceId, std::make_unique<ActionSetParameter> (processor), true);
}

bool ActionMapper2::moveMapping (const juce::String& fromName, const juce::String& type, const juce::String& what,
                                 const juce::String& toName, bool quiet)
{
    const juce::ScopedLock sl (processor.dispatchLock());
    int from = 0;
    size_t index = 0;
    const int to = idOfName (toName);
    if (to < 0 || ! findAction (fromName, type, what, from, index))
        return false;
    auto& list = mappings[(size_t) from];
    std::unique_ptr<Action2> action = std::move (list[index]);
    list.erase (list.begin() + (long) index);
    append (to, std::move (action));
    if (! quiet)
    {
        markLibrary();
        changed = true;
    }
    return true;
}

bool ActionMapper2::replaceMapping (const juce::String& name, const juce::String& type, const juce::String& what,
                                    std::unique_ptr<Action2> newAction)
{
    const juce::ScopedLock sl (processor.dispatchLock());
    int id = 0;
    size_t index = 0;
    if (newAction == nullptr || ! findAction (name, type, what, id, index))
        return false;
    auto& list = mappings[(size_t) id];
    list.erase (list.begin() + (long) index);
    append (id, std::move (newAction));
    markLibrary();
    changed = true;
    return true;
}

bool ActionMapper2::removeMapping (const juce::String& name, const juce::String& type, const juce::String& what)
{
    const juce::ScopedLock sl (processor.dispatchLock());
    int id = 0;
    size_t index = 0;
    if (! findAction (name, type, what, id, index))
        return false;
    auto& list = mappings[(size_t) id];
    list[index]->resetToNeutral();
    list.erase (list.begin() + (long) index);
    markLibrary();
    changed = true;
    return true;
}

bool ActionMapper2::setMappingTarget (const juce::String& name, const juce::String& type, const juce::String& what,
                                      const juce::String& newWhat)
{
    const juce::ScopedLock sl (processor.dispatchLock());
    int id = 0;
    size_t index = 0;
    if (! findAction (name, type, what, id, index))
        return false;
    mappings[(size_t) id][index]->setTarget (newWhat);
    markLibrary();
    changed = true;
    return true;
}

juce::String ActionMapper2::getMappingHelp (const juce::String& name, const juce::String& type,
                                            const juce::String& what) const
{
    const juce::ScopedLock sl (processor.dispatchLock());
    int id = 0;
    size_t index = 0;
    return findAction (name, type, what, id, index) ? mappings[(size_t) id][index]->getHelpText() : juce::String();
}

juce::StringArray ActionMapper2::getChoicesForType (const juce::String& typeName) const
{
    for (const auto& p : prototypes)
        if (p->getName() == typeName)
            return p->getTargetChoices();
    return {};
}

void ActionMapper2::clearMappings()
{
    const juce::ScopedLock sl (processor.dispatchLock());
    for (auto& list : mappings)
        list.clear();
    markLibrary();
    changed = true;
}

// ---------------------------------------------------------------------------------
// The learner

void ActionMapper2::startLearn (std::unique_ptr<Action2> action, bool key)
{
    applyPendingLibraryMark();
    const juce::ScopedLock sl (processor.dispatchLock());
    const juce::ScopedLock ll (learnLock);
    pendingAction = std::move (action);
    helpText = pendingAction != nullptr ? pendingAction->getHelpText() : juce::String();
    wantsKey = key;
    state = LearnState::Listening;
}

void ActionMapper2::mapDirect (int id, std::unique_ptr<Action2> action)
{
    {
        const juce::ScopedLock sl (processor.dispatchLock());
        const juce::ScopedLock ll (learnLock);
        wantsKey = id >= 128 && id <= 255;
        state = LearnState::Mapped;
        helpText = action != nullptr ? action->getHelpText() : juce::String();
    }
    addMapping (id, std::move (action), false);
}

juce::String ActionMapper2::learnedControllerName() const
{
    const int id = learnedId.load();
    return id < 0 ? juce::String ("None") : controllerNames[id];
}

juce::StringArray ActionMapper2::existingMappings() const
{
    const juce::ScopedLock sl (processor.dispatchLock());
    juce::StringArray out;
    const int id = learnedId.load();
    if (id < 0)
        return out;
    for (const auto& a : mappings[(size_t) id])
        out.add (a->getTarget().isEmpty() ? a->getName() : a->getName() + " (" + a->getTarget() + ")");
    return out;
}

void ActionMapper2::resolveAdd()
{
    applyPendingLibraryMark();
    const juce::ScopedLock sl (processor.dispatchLock());
    const juce::ScopedLock ll (learnLock);
    if (state != LearnState::Conflict || pendingAction == nullptr)
        return;
    append (learnedId, std::move (pendingAction));
    state = LearnState::Idle;
}

void ActionMapper2::resolveReplace()
{
    applyPendingLibraryMark();
    const juce::ScopedLock sl (processor.dispatchLock());
    const juce::ScopedLock ll (learnLock);
    if (state != LearnState::Conflict || pendingAction == nullptr)
        return;
    mappings[(size_t) learnedId.load()].clear();
    append (learnedId, std::move (pendingAction));
    state = LearnState::Idle;
}

void ActionMapper2::cancelLearn()
{
    applyPendingLibraryMark();
    const juce::ScopedLock sl (processor.dispatchLock());
    const juce::ScopedLock ll (learnLock);
    pendingAction.reset();
    state = LearnState::Idle;
}

juce::String ActionMapper2::learnHelpText() const
{
    const juce::ScopedLock ll (learnLock);
    return helpText;
}

bool ActionMapper2::learnWantsKey() const
{
    const juce::ScopedLock ll (learnLock);
    return wantsKey;
}

ActionMapper2::MenuDescription ActionMapper2::controllerMenu() const
{
    MenuDescription m;
    m.submenuTitle = "Map to controller";
    for (int id = 0; id < 128; ++id)
        m.submenuItems.push_back ({id + 1, controllerNames[id]});
    m.items.push_back ({PitchWheelId + 1, "Map to pitch bend"});
    m.items.push_back ({LearnItem, "Map using MIDI learn"});
    return m;
}

ActionMapper2::MenuDescription ActionMapper2::keyMenu() const
{
    MenuDescription m;
    m.submenuTitle = "Map to key";
    for (int id = 128; id < 256; ++id)
        m.submenuItems.push_back ({id + 1, controllerNames[id]});
    m.items.push_back ({LearnItem, "Map using MIDI learn"});
    return m;
}

} // namespace tovalin
