#include "GuitarFlowComponent.h"

#include <GuitarPictures.h>
#include <TovalinImages.h>

#include <cmath>
#include <cstring>

namespace tovalin
{
namespace
{
    constexpr float pi = juce::MathConstants<float>::pi;
    constexpr float twoPi = juce::MathConstants<float>::twoPi;
    // The turn is planned as if frames came every 25 ms over 0.2 s: eight steps, one per tick.
    constexpr float plannedFramePeriod = 0.025f;
    constexpr float plannedTurnSeconds = 0.2f;

    juce::Image embeddedImage (const char* fileName)
    {
        for (int i = 0; i < TovalinImages::namedResourceListSize; ++i)
            if (std::strcmp (TovalinImages::originalFilenames[i], fileName) == 0)
            {
                int size = 0;
                if (const char* data = TovalinImages::getNamedResource (TovalinImages::namedResourceList[i], size))
                    return juce::ImageCache::getFromMemory (data, size);
            }
        jassertfalse; // a picture the build does not embed
        return {};
    }

    juce::Image guitarPicture (const char* guitarName)
    {
        for (const auto& file : GuitarPictureFiles)
            if (std::strcmp (file.guitarName, guitarName) == 0)
                return embeddedImage (file.fileName);
        return {};
    }

    void setButtonImages (juce::ImageButton& button, const juce::Image& image)
    {
        button.setImages (true, false, true, image, 1.0f, juce::Colours::transparentBlack, image, 1.0f,
                          juce::Colours::white.withAlpha (0.3f), image, 1.0f, juce::Colours::black.withAlpha (0.2f));
    }
} // namespace

GuitarFlowComponent::GuitarFlowComponent (const juce::String& currentGuitarName)
{
    setButtonImages (previousButton, embeddedImage ("previous.png"));
    setButtonImages (nextButton, embeddedImage ("next.png"));
    setButtonImages (listButton, embeddedImage ("presets-list.png"));
    previousButton.setTooltip ("Go to the previous guitar");
    nextButton.setTooltip ("Go to the next guitar");
    listButton.setTooltip ("Show full list");
    for (auto* b : {&previousButton, &nextButton, &listButton})
    {
        b->addListener (this);
        b->setWantsKeyboardFocus (false);
        addAndMakeVisible (b);
    }

    nameLabel.setJustificationType (juce::Justification::centred);
    nameLabel.setEditable (false, false, false);
    nameLabel.setBorderSize (juce::BorderSize<int> (1, 2, 1, 2));
    nameLabel.setColour (juce::Label::textColourId, juce::Colour (0xff4a2a10));
    nameLabel.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (nameLabel);

    const char* const names[][2] = {{"Pemra's folk", "Pemra's Folk\nGuitar"},
                                    {"Tamsk's Folk", "Tamsk's Folk\nGuitar"},
                                    {"Ivrena's Folk", "Ivrena's Folk\nGuitar"},
                                    {"Kelvo's Folk", "Kelvo's Folk\nGuitar"},
                                    {"Zorbel's Jumbo", "Zorbel's Jumbo\nGuitar"},
                                    {"Talvina's Flamenco", "Talvina's Flamenco\nGuitar"},
                                    {"Corvan's Classical", "Corvan's Classical\nGuitar"},
                                    {"Brosk's Classical", "Brosk's Classical\nGuitar"},
                                    {"Vastro's Gypsy", "Vastro's Gypsy\nGuitar"}};
    for (const auto& n : names)
        addEntry (n[0], n[1], guitarPicture (n[0]));

    setSize (150, 340);
    selectByName (currentGuitarName);
}

GuitarFlowComponent::~GuitarFlowComponent() { stopTimer(); }

void GuitarFlowComponent::addEntry (const juce::String& name, const juce::String& caption, const juce::Image& picture)
{
    auto* e = entries.add (new Entry());
    e->name = name;
    e->caption = caption;
    e->menuText = caption.replace ("\n", " ");
    e->picture = picture;
    spacing = twoPi / (float) entries.size();
}

float GuitarFlowComponent::wrapAngle (float a) noexcept
{
    a = std::fmod (a, twoPi);
    while (a < 0.0f)
        a += twoPi;
    // fmod of a value just below a multiple of 2 pi plus 2 pi can round up to 2 pi.
    return a >= twoPi ? 0.0f : a;
}

float GuitarFlowComponent::opacityAt (float angle) noexcept
{
    angle = wrapAngle (angle);
    if (! (angle > pi * 0.5f && angle < pi * 1.5f))
        return 0.0f;
    if (std::abs (angle - pi) < pi * 0.25f)
        return 1.0f;
    return std::sin (angle - pi * 0.5f);
}

float GuitarFlowComponent::getEntryAngle (int index) const noexcept
{
    return wrapAngle (baseAngle + (float) index * spacing);
}

void GuitarFlowComponent::setBaseAngle (float angle)
{
    stopTimer();
    stepsDone = 0;
    baseAngle = angle;
    repaint();
}

juce::String GuitarFlowComponent::getSelectedName() const
{
    return juce::isPositiveAndBelow (selected, entries.size()) ? entries[selected]->name : juce::String();
}

void GuitarFlowComponent::selectByName (const juce::String& name)
{
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i]->name == name)
        {
            selectIndex (i, false);
            return;
        }
}

void GuitarFlowComponent::selectIndex (int index, bool notify)
{
    if (index == selected || ! juce::isPositiveAndBelow (index, entries.size()))
        return;
    selected = index;
    fitNameFont (entries[index]->caption);
    nameLabel.setText (entries[index]->caption, juce::dontSendNotification);
    if (notify)
        sendChangeMessage();

    // A turn in progress is abandoned where it stands; the new one starts from there
    // and brings the entry to the front the shorter way round.
    stopTimer();
    const float angle = wrapAngle (wrapAngle (baseAngle) + twoPi * (float) index / (float) entries.size());
    step = (pi - angle) * plannedFramePeriod / plannedTurnSeconds;
    stepsDone = 0;
    startTimer (TickMilliseconds);
}

void GuitarFlowComponent::fitNameFont (const juce::String& caption)
{
    // Each line of the caption on one line of the plaque: a long name is first narrowed,
    // then made smaller, never broken over a third line.
    const float room = (float) juce::jmax (20, nameLabel.getWidth() - nameLabel.getBorderSize().getLeftAndRight());
    juce::Font font (13.0f, juce::Font::bold);
    float widest = 0.0f;
    for (const auto& line : juce::StringArray::fromLines (caption))
        widest = juce::jmax (widest, font.getStringWidthFloat (line));
    if (widest > room)
    {
        const float scale = room / widest;
        font.setHorizontalScale (juce::jmax (0.75f, scale));
        if (scale < 0.75f)
            font.setHeight (font.getHeight() * scale / 0.75f);
    }
    nameLabel.setFont (font);
}

void GuitarFlowComponent::timerCallback()
{
    baseAngle += step;
    repaint();
    if (++stepsDone >= TurnSteps)
    {
        stopTimer();
        stepsDone = 0;
    }
}

void GuitarFlowComponent::buttonClicked (juce::Button* button)
{
    const int n = entries.size();
    if (n == 0)
        return;
    if (button == &previousButton)
        selectIndex (selected <= 0 ? n - 1 : selected - 1, true);
    else if (button == &nextButton)
        selectIndex (selected + 1 >= n ? 0 : selected + 1, true);
    else if (button == &listButton)
        showList();
}

void GuitarFlowComponent::showList()
{
    juce::PopupMenu menu;
    menu.setLookAndFeel (&getLookAndFeel());
    for (int i = 0; i < entries.size(); ++i)
        menu.addItem (i + 1, entries[i]->menuText, true, false);
    juce::WeakReference<GuitarFlowComponent> self (this);
    menu.showMenuAsync (juce::PopupMenu::Options().withTargetComponent (&listButton),
                        [self] (int choice)
                        {
                            if (self != nullptr && choice > 0)
                                self->selectIndex (choice - 1, true);
                        });
}

void GuitarFlowComponent::paint (juce::Graphics& g)
{
    baseAngle = wrapAngle (baseAngle);
    const int n = entries.size();
    juce::Array<float> alpha, angle;
    int back = -1, front = -1;
    float backAngle = 0.0f, frontness = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        const float a = getEntryAngle (i);
        angle.add (a);
        alpha.add (opacityAt (a));
        if (alpha[i] <= 0.0f)
            continue;
        const float towardsFront = std::sin (a - pi * 0.5f);
        if (back < 0 || a > backAngle)
            back = i, backAngle = a;
        if (front < 0 || towardsFront > frontness)
            front = i, frontness = towardsFront;
    }
    if (front < 0)
        return;

    auto draw = [&] (int i)
    {
        if (alpha[i] <= 0.0f)
            return;
        const auto& picture = entries[i]->picture;
        const int x = centreX - juce::roundToInt (std::sin (angle[i]) * radiusX);
        const int y = centreY - juce::roundToInt (std::cos (angle[i]) * radiusY);
        g.setColour (juce::Colours::black.withAlpha (alpha[i]));
        g.drawImageAt (picture, x - picture.getWidth() / 2, y - picture.getHeight() / 2);
    };
    // Back to front: from the rightmost visible entry leftwards to the front one, then
    // from beyond it round the back and in from the left, the front one last.
    for (int i = back; i != front; i = (i + n - 1) % n)
        draw (i);
    for (int i = (back + 1) % n, drawn = 0; drawn < n - 1 && i != front; i = (i + 1) % n, ++drawn)
        draw (i);
    draw (front);
}

void GuitarFlowComponent::resized()
{
    const int w = getWidth(), h = getHeight();
    const int row = juce::roundToInt (0.15f * (float) h);
    const int labelWidth = juce::roundToInt (0.6f * (float) w);
    const int gap = juce::roundToInt (0.01f * (float) w);
    nameLabel.setBounds ((w - labelWidth) / 2, row - 22, labelWidth, 45);
    if (juce::isPositiveAndBelow (selected, entries.size()))
        fitNameFont (entries[selected]->caption);
    previousButton.setTopLeftPosition (nameLabel.getX() - previousButton.getWidth() - gap,
                                       row - previousButton.getHeight() / 2);
    nextButton.setTopLeftPosition (nameLabel.getRight() + gap, row - nextButton.getHeight() / 2);
    listButton.setTopLeftPosition (nameLabel.getRight() + gap,
                                   juce::roundToInt ((float) row + 0.75f * (float) nextButton.getHeight()));
    centreX = w / 2;
    centreY = juce::roundToInt (4.0f * (float) h / 7.0f);
}

} // namespace tovalin
