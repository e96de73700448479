// Paints the editor's pictures and builds its typeface resource.
//
//   tovalin-artwork [-o editor/images] [--fonts /usr/share/fonts/truetype/dejavu]
//   tovalin-artwork --check editor/images   (exit 1 when a committed file is not reproduced)
//   tovalin-artwork --sheet contact.png     (every picture on one sheet, for looking at)
//   tovalin-artwork --zoom guitar- out.png  (the pictures whose names start so, three times larger)
//   tovalin-artwork --preview out.png X Y W H  (part of the editor as it will look, three times larger)

#include "Artwork.h"
#include "ArtworkCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace tovalin::artwork;

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI gui;
    juce::String outputFolder = "editor/images", fontFolder = "/usr/share/fonts/truetype/dejavu", sheet;
    bool check = false;
    bool preview = false;
    int crop[4] = {0, 0, 721, 292}; // with --preview: the part of the editor to show, three times larger
    juce::String zoomFirst;         // with --zoom: pictures from this one on, magnified three times
    for (int i = 1; i < argc; ++i)
    {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp (argv[i], "-o") == 0 && hasValue)
            outputFolder = argv[++i];
        else if (std::strcmp (argv[i], "--check") == 0 && hasValue)
        {
            check = true;
            outputFolder = argv[++i];
        }
        else if (std::strcmp (argv[i], "--fonts") == 0 && hasValue)
            fontFolder = argv[++i];
        else if (std::strcmp (argv[i], "--sheet") == 0 && hasValue)
            sheet = argv[++i];
        else if (std::strcmp (argv[i], "--preview") == 0 && i + 5 < argc)
        {
            sheet = argv[++i];
            for (int k = 0; k < 4; ++k)
                crop[k] = std::atoi (argv[++i]);
            preview = true;
        }
        else if (std::strcmp (argv[i], "--zoom") == 0 && i + 2 < argc)
        {
            zoomFirst = argv[++i];
            sheet = argv[++i];
        }
        else
        {
            std::fprintf (stderr, "usage: tovalin-artwork [-o FOLDER | --check FOLDER] [--fonts FOLDER] "
                                  "[--sheet FILE.png]\n");
            return 2;
        }
    }

    juce::String error;
    GeneratedArtwork made;
    if (! generateArtwork (juce::File::getCurrentWorkingDirectory().getChildFile (fontFolder), made, error))
    {
        std::fprintf (stderr, "tovalin-artwork: %s\n", error.toRawUTF8());
        return 2;
    }
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (outputFolder);

    if (sheet.isNotEmpty())
    {
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (sheet);
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::Image picture;
        if (preview)
            picture = editorPreview (made, made.fonts)
                          .getClippedImage ({crop[0], crop[1], crop[2], crop[3]})
                          .rescaled (crop[2] * 3, crop[3] * 3, juce::Graphics::lowResamplingQuality);
        else if (zoomFirst.isNotEmpty())
            picture = zoomSheet (made, zoomFirst);
        else
            picture = contactSheet (made, made.fonts);
        if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (picture, out))
        {
            std::fprintf (stderr, "tovalin-artwork: cannot write %s\n", file.getFullPathName().toRawUTF8());
            return 2;
        }
        return 0;
    }

    if (check)
    {
        const auto differences = compareWithFolder (made, folder);
        for (auto& d : differences)
            std::fprintf (stderr, "tovalin-artwork: %s\n", d.toRawUTF8());
        if (! differences.isEmpty())
            return 1;
        std::printf ("%d files in %s are reproduced\n", (int) made.files.size(), folder.getFullPathName().toRawUTF8());
        return 0;
    }

    if (! writeToFolder (made, folder, error))
    {
        std::fprintf (stderr, "tovalin-artwork: %s\n", error.toRawUTF8());
        return 2;
    }
    std::printf ("wrote %d files to %s\n", (int) made.files.size(), folder.getFullPathName().toRawUTF8());
    return 0;
}
