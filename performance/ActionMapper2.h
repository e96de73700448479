#pragma once

#include "Actions.h"

#include "presets/PresetLoader.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_data_structures/juce_data_structures.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace tovalin
{
class GenericPresetLibrary;

/** Controller ids: 0..127 control changes, 128..255 keys (note id - 128), 256 the
    pitch wheel, 257 no source. */
constexpr int ControllerIdCount = 258;
constexpr int PitchWheelId = 256;
constexpr int NoSourceId = 257;

/** Binds controllers, keys and the pitch wheel to actions, runs the audio thread's
    half of MIDI learn, and reads and writes its table as "ActionMapping" elements.

    Audio thread: dispatch (it only reads the table, and on a learn capture appends
    into room reserved in advance). Message thread: every edit and the learner, each
    holding the processor's callback lock, so no edit overlaps a dispatch. */
class ActionMapper2 : public PresetLoader
{
public:
    explicit ActionMapper2 (PerformanceHost& processor);
    ~ActionMapper2() override;

    /** True when the event was consumed: captured by learn or handed to an action. */
    bool dispatch (const juce::MidiMessage& message) noexcept;

    // PresetLoader: a mapping set is the table's "ActionMapping" elements.
    void loadPreset (const juce::XmlElement& element) override { readMappings (element); }
    void savePreset (juce::XmlElement& element) override { writeMappings (element); }

    void readMappings (const juce::XmlElement& element);
    void writeMappings (juce::XmlElement& element) const;

    /** The built-in "Default" mapping set. */
    static std::unique_ptr<juce::XmlElement> defaultSet();

    // Edits (message thread).
    void addMapping (int id, std::unique_ptr<Action2> action, bool force);
    void addUnassignedMapping();
    bool moveMapping (const juce::String& fromName, const juce::String& type, const juce::String& what,
                      const juce::String& toName, bool quiet);
    bool replaceMapping (const juce::String& name, const juce::String& type, const juce::String& what,
                         std::unique_ptr<Action2> newAction);
    bool removeMapping (const juce::String& name, const juce::String& type, const juce::String& what);
    bool setMappingTarget (const juce::String& name, const juce::String& type, const juce::String& what,
                           const juce::String& newWhat);
    juce::String getMappingHelp (const juce::String& name, const juce::String& type, const juce::String& what) const;
    juce::StringArray getChoicesForType (const juce::String& typeName) const;
    void clearMappings();

    /** A fresh action of the named kind, or null. */
    std::unique_ptr<Action2> createAction (const juce::String& typeName) const;
    int idOfName (const juce::String& controllerName) const { return controllerNames.indexOf (controllerName); }
    const std::vector<std::unique_ptr<Action2>>& mappingsOf (int id) const { return mappings[(size_t) id]; }

    // The learner (message thread, under its lock).
    enum class LearnState
    {
        Idle = 0,
        Listening = 1,
        Mapped = 2,
        Conflict = 3,
        NeedKey = 4,
        NeedController = 5
    };
    void startLearn (std::unique_ptr<Action2> action, bool wantsKey);
    void mapDirect (int id, std::unique_ptr<Action2> action);
    juce::String learnedControllerName() const;
    juce::StringArray existingMappings() const;
    void resolveAdd();
    void resolveReplace();
    void cancelLearn();
    LearnState learnState() const noexcept { return state.load(); }
    int learnedControllerId() const noexcept { return learnedId.load(); }
    juce::String learnHelpText() const;
    /** Whether the learn under way waits for a key (a toggle or strum) rather than a
        controller: what the learn prompt asks the player to do. */
    bool learnWantsKey() const;

    /** The mappings editor's two source menus: a submenu of items (id, text) and the
        items after it. */
    struct MenuDescription
    {
        juce::String submenuTitle;
        std::vector<std::pair<int, juce::String>> submenuItems, items;
    };
    MenuDescription controllerMenu() const;
    MenuDescription keyMenu() const;

    /** Set by every change of the table; the mappings editor clears it. */
    std::atomic<bool> changed{false};

    juce::StringArray controllerNames; // 258, by controller id
    juce::StringArray actionTypeNames; // the 12 prototypes' names
    std::array<bool, 12> prototypeIsKey{};

    /** The mapping-set library: edits mark it modified. */
    GenericPresetLibrary* library = nullptr;

    /** A learn capture on the audio thread cannot take the library's lock: it leaves
        the mark pending, and the next operation of the message thread (or this call)
        applies it. */
    void applyPendingLibraryMark();

private:
    void capture (int id) noexcept;
    void bendOnAftertouch (int pressure) noexcept;
    /** The list named by a controller name and its first action of type and target. */
    bool findAction (const juce::String& name, const juce::String& type, const juce::String& what, int& id,
                     size_t& index) const;
    void append (int id, std::unique_ptr<Action2> action);
    void markLibrary();

    PerformanceHost& processor;
    std::vector<std::unique_ptr<Action2>> prototypes;
    std::array<std::vector<std::unique_ptr<Action2>>, ControllerIdCount> mappings;

    // The learner's fields: the editor's side under learnLock; capture on the audio
    // thread runs under the callback lock, which every editor operation holds too.
    juce::CriticalSection learnLock;
    std::atomic<bool> libraryMarkPending{false};
    std::atomic<LearnState> state{LearnState::Idle};
    std::atomic<int> learnedId{-1};
    std::unique_ptr<Action2> pendingAction;
    juce::String helpText;
    bool wantsKey = false;
};

} // namespace tovalin
