#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace tovalin
{
/** The house style of every component: white panels under a tan title band, brown
    gradient text buttons with pale yellow lettering, gold needles and knob arcs over
    dark green tracks, dark green combo boxes, tan tooltips and highlights, and the
    typeface compiled into the program. */
class BasicLookAndFeel : public juce::LookAndFeel_V2
{
public:
    struct Colours
    {
        static const juce::Colour tan, lightTan, paleYellow, gold, darkGreen, paleCyan, buttonTop, buttonBottom;
    };

    BasicLookAndFeel();
    ~BasicLookAndFeel() override;

    /** The 30-pixel band across the top of a panel, with its title (if any) in bold black. */
    static void drawTitleBand (juce::Graphics& g, int width, const juce::String& title);

    /** The colour a linear slider's needle is filled with: the thumb colour adjusted for
        focus, press and hover. */
    static juce::Colour thumbBaseColour (const juce::Slider& slider);

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font& font) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour, bool highlighted,
                               bool down) override;
    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;
    const juce::Drawable* getDefaultFolderImage() override;
    const juce::Drawable* getDefaultDocumentFileImage() override;
    juce::Button* createFileBrowserGoUpButton() override;
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY, int buttonW,
                       int buttonH, juce::ComboBox&) override;
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                     float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                                     juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                                juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    void drawTableHeaderBackground (juce::Graphics&, juce::TableHeaderComponent&) override;
    void drawTableHeaderColumn (juce::Graphics&, juce::TableHeaderComponent&, const juce::String& columnName,
                                int columnId, int width, int height, bool isMouseOver, bool isMouseDown,
                                int columnFlags) override;

private:
    /** The four glyph sets (plain, bold, italic, bold-italic), each as read from the
        embedded resource. */
    std::array<juce::MemoryBlock, 4> glyphSets;
    std::unique_ptr<juce::Drawable> folderImage, documentImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BasicLookAndFeel)
};

} // namespace tovalin
