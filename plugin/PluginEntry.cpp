#include "editor/EditorFactory.h"
#include "processor/TovalinPlugin.h"

// Every format wrapper creates its processor here: one per plug-in instance. A plug-in
// shows the editor without the on-screen keyboard (the host has its own).
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    tovalin::useEditor (false);
    return new tovalin::TovalinPlugin();
}
