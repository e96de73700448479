#pragma once

#include "Artwork.h"

namespace tovalin::artwork
{
/** Every small picture (buttons, string keys, tabs, file icons, the about key). */
std::vector<ArtworkImage> paintIcons (const Fonts& fonts);

/** The about panel's picture: a guitar laid across the frame. */
juce::Image paintAboutPicture();

} // namespace tovalin::artwork
