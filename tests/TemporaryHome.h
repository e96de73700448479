#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <string>

namespace tovalin
{
/** Points HOME at an empty folder of its own for its lifetime, so a test never touches
    the real user folder, and puts the previous HOME back afterwards. */
class TemporaryHome
{
public:
    TemporaryHome()
    {
        if (const char* h = std::getenv ("HOME"))
            previousHome = h;
        folder.getFile().createDirectory();
        setenv ("HOME", folder.getFile().getFullPathName().toRawUTF8(), 1);
    }

    ~TemporaryHome()
    {
        setenv ("HOME", previousHome.c_str(), 1);
        folder.getFile().deleteRecursively();
    }

    TemporaryHome (const TemporaryHome&) = delete;
    TemporaryHome& operator= (const TemporaryHome&) = delete;

    juce::File getFile() const { return folder.getFile(); }

    /** A file in the user's Tovalin folder, e.g. "presets.tvc". */
    juce::File userFile (const char* name) const
    {
        return getFile().getChildFile (".config/Marvesk/Tovalin").getChildFile (name);
    }

private:
    juce::TemporaryFile folder{"tovalin-home"};
    std::string previousHome;
};
} // namespace tovalin
