#include "BasicLookAndFeel.h"

#include <TovalinImages.h>
#include <juce_audio_utils/juce_audio_utils.h>

namespace tovalin
{
const juce::Colour BasicLookAndFeel::Colours::tan{0xffe9c384};
const juce::Colour BasicLookAndFeel::Colours::lightTan{0xfffee5ba};
const juce::Colour BasicLookAndFeel::Colours::paleYellow{0xfffdefb5};
const juce::Colour BasicLookAndFeel::Colours::gold{0xffebb923};
const juce::Colour BasicLookAndFeel::Colours::darkGreen{(juce::uint8) 30, (juce::uint8) 88, (juce::uint8) 48};
const juce::Colour BasicLookAndFeel::Colours::paleCyan{(juce::uint8) 181, (juce::uint8) 253, (juce::uint8) 239};
const juce::Colour BasicLookAndFeel::Colours::buttonTop{0xff8a3001};
const juce::Colour BasicLookAndFeel::Colours::buttonBottom{0xff551002};

namespace
{
    using C = BasicLookAndFeel::Colours;

    /** The needle of the linear thumbs and of the knobs: a triangle on a round hub,
        pointing up from the origin. */
    juce::Path needle (float hub, float tip)
    {
        juce::Path p;
        p.addTriangle (-hub, 0.0f, 0.0f, -tip, hub, 0.0f);
        p.addEllipse (-hub, -hub, hub * 2.0f, hub * 2.0f);
        return p;
    }

    std::unique_ptr<juce::Drawable> embeddedImage (const void* data, int size)
    {
        auto drawable = std::make_unique<juce::DrawableImage>();
        drawable->setImage (juce::ImageCache::getFromMemory (data, size));
        return drawable;
    }
} // namespace

BasicLookAndFeel::BasicLookAndFeel()
{
    // The resource is four records: a 32-bit little-endian byte count, then the bytes.
    juce::MemoryInputStream in (TovalinImages::typeface_bin, (size_t) TovalinImages::typeface_binSize, false);
    for (auto& block : glyphSets)
    {
        const int count = in.getNumBytesRemaining() >= 4 ? in.readInt() : 0;
        if (count > 0 && count <= in.getNumBytesRemaining())
            in.readIntoMemoryBlock (block, count);
    }

    const std::pair<int, juce::Colour> table[] = {
        {juce::TextButton::buttonColourId, C::tan},
        {juce::TextButton::buttonOnColourId, C::tan},
        {juce::TextButton::textColourOffId, C::paleYellow},
        {juce::TextButton::textColourOnId, C::paleYellow},
        {juce::Slider::trackColourId, C::darkGreen},
        {juce::Slider::thumbColourId, C::gold},
        {juce::ComboBox::backgroundColourId, C::darkGreen},
        {juce::ComboBox::textColourId, C::paleCyan},
        {juce::ComboBox::arrowColourId, C::paleCyan},
        {juce::ComboBox::outlineColourId, juce::Colours::black.withAlpha (0.0f)},
        {juce::TextEditor::highlightColourId, C::tan},
        {juce::TextEditor::focusedOutlineColourId, C::darkGreen},
        {juce::PopupMenu::highlightedBackgroundColourId, C::tan},
        {juce::PopupMenu::highlightedTextColourId, juce::Colours::black},
        {juce::DirectoryContentsDisplayComponent::highlightColourId, C::tan},
        {juce::TooltipWindow::backgroundColourId, C::tan},
        {juce::ListBox::outlineColourId, C::tan},
        {juce::ResizableWindow::backgroundColourId, juce::Colours::white},
        {juce::MidiKeyboardComponent::upDownButtonBackgroundColourId, juce::Colours::white},
        {juce::MidiKeyboardComponent::mouseOverKeyOverlayColourId, juce::Colour (0x80ffbe57)},
        {juce::MidiKeyboardComponent::keyDownOverlayColourId, juce::Colour (0xccfd9c1d)},
    };
    for (const auto& [id, colour] : table)
        setColour (id, colour);

    folderImage = embeddedImage (TovalinImages::folder_png, TovalinImages::folder_pngSize);
    documentImage = embeddedImage (TovalinImages::document_png, TovalinImages::document_pngSize);
}

BasicLookAndFeel::~BasicLookAndFeel() = default;

void BasicLookAndFeel::drawTitleBand (juce::Graphics& g, int width, const juce::String& title)
{
    g.setGradientFill (juce::ColourGradient (C::tan, 0.0f, 15.0f, C::lightTan, 0.0f, 29.0f, false));
    g.fillRect (0, 0, width, 30);
    if (title.isNotEmpty())
    {
        g.setColour (juce::Colours::black);
        g.setFont (juce::Font (15.0f, juce::Font::bold));
        g.drawText (title, 8, 8, width, 18, juce::Justification::centredLeft, true);
    }
}

juce::Typeface::Ptr BasicLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (font.getTypefaceName() == "Arial")
        return juce::Font::getDefaultTypefaceForFont (font);

    const bool bold = font.isBold(), italic = font.isItalic();
    const size_t index = bold && italic ? 3 : (italic ? 2 : (bold ? 1 : 0));
    if (glyphSets[index].isEmpty())
        return juce::LookAndFeel_V2::getTypefaceForFont (font);

    juce::MemoryInputStream in (glyphSets[index], false);
    auto* typeface = new juce::CustomTypeface (in);
    // Named by style: JUCE caches rendered glyphs by a font's name and style.
    typeface->setCharacteristics ("Tovalin Sans", typeface->getAscent(), bold, italic, 0);
    return juce::Typeface::Ptr (typeface);
}

void BasicLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&, bool, bool)
{
    const auto height = (float) button.getHeight();
    g.setGradientFill (juce::ColourGradient (C::buttonTop, 0.0f, 0.0f, C::buttonBottom, 0.0f, height, false));
    g.fillRoundedRectangle (button.getLocalBounds().toFloat(), 4.0f);
}

void BasicLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert, const juce::Rectangle<int>& textArea,
                                     juce::TextLayout& textLayout)
{
    g.fillAll (alert.findColour (juce::AlertWindow::backgroundColourId));
    drawTitleBand (g, alert.getWidth(), {});

    int iconSpaceUsed = 0;
    int iconSize = juce::jmin (130, alert.getHeight() + 20);
    if (alert.containsAnyExtraComponents() || alert.getNumButtons() > 2)
        iconSize = juce::jmin (iconSize, textArea.getHeight() + 50);
    const juce::Rectangle<int> iconRect (iconSize / -10, iconSize / -10, iconSize, iconSize);

    if (alert.getAlertType() != juce::MessageBoxIconType::NoIcon)
    {
        juce::Path icon;
        juce::uint32 colour;
        char character;
        if (alert.getAlertType() == juce::MessageBoxIconType::WarningIcon)
        {
            colour = 0x55ff5555;
            character = '!';
            icon.addTriangle ((float) iconRect.getCentreX(), (float) iconRect.getY(), (float) iconRect.getRight(),
                              (float) iconRect.getBottom(), (float) iconRect.getX(), (float) iconRect.getBottom());
            icon = icon.createPathWithRoundedCorners (5.0f);
        }
        else
        {
            const bool info = alert.getAlertType() == juce::MessageBoxIconType::InfoIcon;
            colour = info ? 0x605555ff : 0x40b69900;
            character = info ? 'i' : '?';
            icon.addEllipse (iconRect.toFloat());
        }
        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (juce::Font ((float) iconRect.getHeight() * 0.9f, juce::Font::bold),
                              juce::String::charToString ((juce::juce_wchar) (juce::uint8) character),
                              (float) iconRect.getX(), (float) iconRect.getY(), (float) iconRect.getWidth(),
                              (float) iconRect.getHeight(), juce::Justification::centred, false);
        glyphs.createPath (icon);
        icon.setUsingNonZeroWinding (false); // the character is cut out of the shape
        g.setColour (juce::Colour (colour));
        g.fillPath (icon);
        iconSpaceUsed = 80;
    }

    g.setColour (alert.findColour (juce::AlertWindow::textColourId));
    textLayout.draw (g, textArea.withTrimmedLeft (iconSpaceUsed).toFloat());
    g.setColour (alert.findColour (juce::AlertWindow::outlineColourId));
    g.drawRect (0, 0, alert.getWidth(), alert.getHeight());
}

const juce::Drawable* BasicLookAndFeel::getDefaultFolderImage() { return folderImage.get(); }

const juce::Drawable* BasicLookAndFeel::getDefaultDocumentFileImage() { return documentImage.get(); }

juce::Button* BasicLookAndFeel::createFileBrowserGoUpButton()
{
    auto* button = new juce::DrawableButton ("up", juce::DrawableButton::ImageOnButtonBackground);
    juce::Path arrow;
    arrow.addArrow ({50.0f, 100.0f, 50.0f, 0.0f}, 40.0f, 100.0f, 50.0f);
    juce::DrawablePath image;
    image.setPath (arrow);
    image.setFill (C::paleYellow);
    button->setImages (&image);
    return button;
}

void BasicLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
    g.setColour (findColour (juce::PopupMenu::textColourId).withAlpha (0.6f));
    g.drawRect (0, 0, width, height);
}

juce::Font BasicLookAndFeel::getPopupMenuFont() { return juce::Font (14.0f); }

void BasicLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int buttonX, int buttonY,
                                     int buttonW, int buttonH, juce::ComboBox& box)
{
    g.fillAll (box.findColour (juce::ComboBox::backgroundColourId));
    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRect (0, 0, width, height);
    if (! box.isEnabled())
        return;

    const auto bx = (float) buttonX, by = (float) buttonY, bw = (float) buttonW, bh = (float) buttonH;
    juce::Path arrows;
    arrows.addTriangle (bx + 0.5f * bw, by + 0.25f * bh, bx + 0.7f * bw, by + 0.45f * bh, bx + 0.3f * bw,
                        by + 0.45f * bh);
    arrows.addTriangle (bx + 0.5f * bw, by + 0.75f * bh, bx + 0.7f * bw, by + 0.55f * bh, bx + 0.3f * bw,
                        by + 0.55f * bh);
    g.setColour (box.findColour (juce::ComboBox::arrowColourId));
    g.fillPath (arrows);
}

juce::Colour BasicLookAndFeel::thumbBaseColour (const juce::Slider& slider)
{
    const bool enabled = slider.isEnabled();
    auto colour = enabled ? slider.findColour (juce::Slider::thumbColourId) : C::darkGreen;
    colour = colour.withMultipliedSaturation (enabled && slider.hasKeyboardFocus (false) ? 1.3f : 0.9f);
    if (slider.isMouseButtonDown())
    {
        const bool light = colour.getRed() + colour.getGreen() + colour.getBlue() > 383;
        return colour.overlaidWith ((light ? juce::Colours::black : juce::Colours::white).withAlpha (0.1f));
    }
    if (slider.isMouseOverOrDragging())
        return colour.brighter (0.3f);
    return colour;
}

void BasicLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height, float, float,
                                                   float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    const float r = (float) (getSliderThumbRadius (slider) - 2);
    g.setColour (slider.findColour (juce::Slider::trackColourId));
    if (slider.isHorizontal())
        g.fillRect ((float) x - r / 2.0f, (float) y + (float) height / 2.0f - r / 2.0f, (float) width + r, 0.4f * r);
    else
        g.fillRect ((float) x + (float) width / 2.0f - r / 2.0f, (float) y - r / 2.0f, 0.4f * r, (float) height + r);
}

void BasicLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                              float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                                              juce::Slider& slider)
{
    if (style != juce::Slider::LinearHorizontal && style != juce::Slider::LinearVertical)
    {
        LookAndFeel_V2::drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style,
                                               slider);
        return;
    }
    const float r = (float) (getSliderThumbRadius (slider) - 2);
    const float length = 2.7f * r, hub = 0.2f * length;
    const auto shape = needle (hub, 0.66f * length);
    const auto placement = style == juce::Slider::LinearHorizontal
                               ? juce::AffineTransform::rotation (juce::MathConstants<float>::pi)
                                     .translated (sliderPos, (float) y + (float) height / 2.0f - hub)
                               : juce::AffineTransform::rotation (1.5f * juce::MathConstants<float>::pi)
                                     .translated ((float) x + (float) width / 2.0f + hub, sliderPos);
    g.setColour (thumbBaseColour (slider));
    g.fillPath (shape, placement);
}

int BasicLookAndFeel::getSliderThumbRadius (juce::Slider& slider)
{
    return juce::jmin (7, slider.getHeight() / 2, slider.getWidth() / 2) + 2;
}

void BasicLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float position,
                                         float startAngle, float endAngle, juce::Slider& slider)
{
    const int radius = juce::jmin (width / 2, height / 2) - 2;
    if (radius <= 12)
    {
        LookAndFeel_V2::drawRotarySlider (g, x, y, width, height, position, startAngle, endAngle, slider);
        return;
    }
    const float R = (float) radius;
    const float cx = (float) x + (float) width / 2.0f, cy = (float) y + (float) height / 2.0f;
    const float angle = startAngle + position * (endAngle - startAngle);

    juce::Path ring;
    ring.addPieSegment (cx - R, cy - R, 2.0f * R, 2.0f * R, startAngle, endAngle, 0.3f);
    g.setColour (C::gold.withAlpha (0.5f));
    g.fillPath (ring);

    const float r = 0.8f * R;
    juce::Path value;
    value.addPieSegment (cx - r, cy - r, 2.0f * r, 2.0f * r, startAngle, angle, 0.3f);
    g.setColour (C::gold);
    g.fillPath (value);

    g.setColour (juce::Colours::black);
    g.fillPath (needle (0.2f * R, 0.66f * R), juce::AffineTransform::rotation (angle).translated (cx, cy));
}

void BasicLookAndFeel::drawTableHeaderBackground (juce::Graphics& g, juce::TableHeaderComponent& header)
{
    g.fillAll (juce::Colours::white);
    const auto height = (float) header.getHeight();
    g.setGradientFill (juce::ColourGradient (C::tan, 0.0f, height / 2.0f, C::lightTan, 0.0f, height - 1.0f, false));
    g.fillAll();
}

void BasicLookAndFeel::drawTableHeaderColumn (juce::Graphics& g, juce::TableHeaderComponent&,
                                              const juce::String& columnName, int, int width, int height,
                                              bool isMouseOver, bool isMouseDown, int columnFlags)
{
    if (isMouseDown)
        g.fillAll (findColour (juce::Slider::trackColourId));
    else if (isMouseOver)
        g.fillAll (C::tan);

    int textRight = width - 4;
    const bool sorted =
        (columnFlags & (juce::TableHeaderComponent::sortedForwards | juce::TableHeaderComponent::sortedBackwards)) != 0;
    if (sorted)
    {
        const float arrowWidth = (float) height / 2.0f;
        const float left = (float) textRight - 1.25f * arrowWidth;
        const bool forwards = (columnFlags & juce::TableHeaderComponent::sortedForwards) != 0;
        const float top = 0.35f * (float) height, bottom = 0.65f * (float) height;
        juce::Path arrow;
        if (forwards)
            arrow.addTriangle (left, bottom, left + arrowWidth / 2.0f, top, left + arrowWidth, bottom);
        else
            arrow.addTriangle (left, top, left + arrowWidth / 2.0f, bottom, left + arrowWidth, top);
        g.setColour (juce::Colour (0x99000000));
        g.fillPath (arrow);
        textRight = (int) left;
    }
    g.setColour (juce::Colours::black);
    g.setFont (juce::Font ((float) height / 2.0f, juce::Font::bold));
    g.drawFittedText (columnName, 4, 0, textRight - 4, height, juce::Justification::centredLeft, 1, 0.7f);
}

} // namespace tovalin
