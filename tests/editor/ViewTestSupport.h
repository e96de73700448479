#pragma once

#include <TovalinImages.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

namespace tovalin::test
{
/** The component as painted, on a transparent ground (its own pixels only). */
inline juce::Image render (juce::Component& c)
{
    return c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f).convertedToFormat (juce::Image::ARGB);
}

/** The component painted over its place in the editor's background, as a player sees it. */
inline juce::Image renderOnBackground (juce::Component& c, juce::Point<int> at)
{
    const auto background =
        juce::ImageCache::getFromMemory (TovalinImages::background_png, TovalinImages::background_pngSize);
    juce::Image out (juce::Image::ARGB, c.getWidth(), c.getHeight(), true);
    juce::Graphics g (out);
    g.fillAll (juce::Colour (0xffe7be3e));
    g.drawImageAt (background, -at.x, -at.y);
    g.drawImageAt (render (c), 0, 0);
    return out;
}

/** With TOVALIN_VIEW_PICTURES set to a folder, writes the picture there, magnified, to
    look at; otherwise does nothing. */
inline void keepForViewing (const juce::Image& image, const char* name, int magnify = 3)
{
    const char* folder = std::getenv ("TOVALIN_VIEW_PICTURES");
    if (folder == nullptr)
        return;
    juce::Image big (juce::Image::ARGB, image.getWidth() * magnify, image.getHeight() * magnify, true);
    {
        juce::Graphics g (big);
        g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
        g.drawImageTransformed (image, juce::AffineTransform::scale ((float) magnify));
    }
    const auto file = juce::File (folder).getChildFile (name);
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (big, out);
}

/** The user's press and release at a point of the component, straight to its handlers. */
inline juce::MouseEvent mouseAt (juce::Component& c, juce::Point<float> p, int clicks = 1,
                                 juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), p, mods,
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, p, now,
                             clicks, false);
}

inline void click (juce::Component& c, juce::Point<float> p)
{
    c.mouseDown (mouseAt (c, p));
    c.mouseUp (mouseAt (c, p, 1, {}));
}

} // namespace tovalin::test
