// The state chunk, the presets as the host's programs, and the host family.
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
