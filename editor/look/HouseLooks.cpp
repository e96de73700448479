#include "HouseLooks.h"

namespace tovalin
{
GeneralLookAndFeel* GeneralLookAndFeel::instance = nullptr;
ActionsLookAndFeel* ActionsLookAndFeel::instance = nullptr;
StandaloneAudioLookAndFeel* StandaloneAudioLookAndFeel::instance = nullptr;

namespace
{
    void useWhiteComboBoxes (BasicLookAndFeel& look)
    {
        look.setColour (juce::ComboBox::backgroundColourId, juce::Colours::white);
        look.setColour (juce::ComboBox::textColourId, juce::Colours::black);
        look.setColour (juce::ComboBox::arrowColourId, juce::Colours::black);
    }
} // namespace

GeneralLookAndFeel::~GeneralLookAndFeel()
{
    if (instance == this)
        instance = nullptr;
}

GeneralLookAndFeel& GeneralLookAndFeel::getInstance()
{
    if (instance == nullptr)
        instance = new GeneralLookAndFeel();
    return *instance;
}

void GeneralLookAndFeel::installAsDefault()
{
    auto& look = getInstance();
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == &look)
        return;
    juce::LookAndFeel::setDefaultLookAndFeel (&look);
    // Typefaces already made for fonts came from the previous look.
    juce::Typeface::clearTypefaceCache();
}

ActionsLookAndFeel::ActionsLookAndFeel() { useWhiteComboBoxes (*this); }

ActionsLookAndFeel::~ActionsLookAndFeel()
{
    if (instance == this)
        instance = nullptr;
}

ActionsLookAndFeel& ActionsLookAndFeel::getInstance()
{
    if (instance == nullptr)
        instance = new ActionsLookAndFeel();
    return *instance;
}

StandaloneAudioLookAndFeel::StandaloneAudioLookAndFeel()
{
    useWhiteComboBoxes (*this);
    setColour (juce::ComboBox::outlineColourId, findColour (juce::ListBox::outlineColourId));
}

StandaloneAudioLookAndFeel::~StandaloneAudioLookAndFeel()
{
    if (instance == this)
        instance = nullptr;
}

StandaloneAudioLookAndFeel& StandaloneAudioLookAndFeel::getInstance()
{
    if (instance == nullptr)
        instance = new StandaloneAudioLookAndFeel();
    return *instance;
}

} // namespace tovalin
