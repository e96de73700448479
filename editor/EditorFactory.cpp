#include "EditorFactory.h"

#include "Editor.h"
#include "processor/TovalinPlugin.h"

namespace tovalin
{
void useEditor (bool withKeyboard)
{
    TovalinPlugin::setEditorFactory ([withKeyboard] (TovalinPlugin& processor) -> juce::AudioProcessorEditor*
                                     { return new Editor (processor, withKeyboard); });
}
} // namespace tovalin
