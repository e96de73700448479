#include "processor/TovalinPlugin.h"

// Every format wrapper creates its processor here: one per plug-in instance.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new tovalin::TovalinPlugin(); }
