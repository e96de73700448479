#pragma once

#include "BasicLookAndFeel.h"

namespace tovalin
{
/** The process-wide default look of every component. Created on first use, deleted at
    shutdown. Message thread. */
class GeneralLookAndFeel : public BasicLookAndFeel, private juce::DeletedAtShutdown
{
public:
    ~GeneralLookAndFeel() override;
    static GeneralLookAndFeel& getInstance();

    /** Makes it the default look of every component (once; later calls do nothing). */
    static void installAsDefault();

private:
    GeneralLookAndFeel() = default;
    static GeneralLookAndFeel* instance;
};

/** The MIDI mappings editor's look: white combo boxes with black text. */
class ActionsLookAndFeel : public BasicLookAndFeel, private juce::DeletedAtShutdown
{
public:
    ~ActionsLookAndFeel() override;
    static ActionsLookAndFeel& getInstance();

private:
    ActionsLookAndFeel();
    static ActionsLookAndFeel* instance;
};

/** The audio and MIDI device panel's look: white combo boxes outlined in tan. */
class StandaloneAudioLookAndFeel : public BasicLookAndFeel, private juce::DeletedAtShutdown
{
public:
    ~StandaloneAudioLookAndFeel() override;
    static StandaloneAudioLookAndFeel& getInstance();

private:
    StandaloneAudioLookAndFeel();
    static StandaloneAudioLookAndFeel* instance;
};

} // namespace tovalin
