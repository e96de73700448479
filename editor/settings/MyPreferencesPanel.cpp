#include "MyPreferencesPanel.h"

#include "PanelStyle.h"
#include "SettingsPages.h"

#include <TovalinImages.h>

namespace tovalin
{
MyPreferencesPanel::MyPreferencesPanel (TovalinPlugin& p, const juce::String& requestedTab, PageFactory audioPage)
    : processor (p), audioPageFactory (std::move (audioPage))
{
    addTab ("Performances", TovalinImages::tabperformances_png, TovalinImages::tabperformances_pngSize);
    addTab ("Effects", TovalinImages::tabeffects_png, TovalinImages::tabeffects_pngSize);
    if (audioPageFactory)
        addTab ("Audio", TovalinImages::tabaudio_png, TovalinImages::tabaudio_pngSize);
    setSize (audioPageFactory ? 630 : 300, 250);
    if (requestedTab.isNotEmpty())
        showTab (requestedTab);
}

MyPreferencesPanel::~MyPreferencesPanel()
{
    // The page goes first: it may listen to the processor through this panel's look.
    page.reset();
}

void MyPreferencesPanel::addTab (const juce::String& name, const void* png, int pngSize)
{
    const auto picture = juce::ImageCache::getFromMemory (png, pngSize);
    // The open tab is bright, the others faded: the normal image has half the alpha.
    auto faded = picture.createCopy();
    faded.multiplyAllAlphas (0.5f);
    juce::DrawableImage normal (faded), bright (picture);

    auto* button = tabButtons.add (new juce::DrawableButton (name, juce::DrawableButton::ImageFitted));
    button->setImages (&normal, &bright, &bright, nullptr, &bright, &bright, &bright, nullptr);
    button->setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
    button->setColour (juce::DrawableButton::backgroundOnColourId, juce::Colours::transparentBlack);
    button->setClickingTogglesState (true);
    button->setRadioGroupId (1);
    button->setTooltip (name);
    button->addListener (this);
    addAndMakeVisible (button);
    if (page == nullptr)
        showTab (name);
}

void MyPreferencesPanel::showTab (const juce::String& requested)
{
    // Unknown names, and "Audio" where there is no audio page, open "Performances".
    juce::String name = requested;
    if (name != "Effects" && ! (name == "Audio" && audioPageFactory))
        name = "Performances";
    if (name == currentTab)
        return;
    currentTab = name;
    page.reset();
    if (name == "Effects")
        page = std::make_unique<SettingsEffectsPanel> (processor);
    else if (name == "Audio")
        page = audioPageFactory (processor);
    else
        page = std::make_unique<SettingsPerformancesPanel> (processor);
    if (page != nullptr)
    {
        addAndMakeVisible (*page);
        page->setWantsKeyboardFocus (true);
        if (isShowing())
            page->grabKeyboardFocus();
    }
    resized();
    for (auto* b : tabButtons)
        if (b->getName() == name)
            b->setToggleState (true, juce::dontSendNotification);
}

void MyPreferencesPanel::buttonClicked (juce::Button*)
{
    for (auto* b : tabButtons)
        if (b->getToggleState())
        {
            showTab (b->getName());
            return;
        }
}

void MyPreferencesPanel::resized()
{
    for (int k = 0; k < tabButtons.size(); ++k)
        tabButtons[k]->setBounds (6, 40 + tabSize * k, tabSize, tabSize);
    if (page != nullptr)
        page->setBounds (43, 0, getWidth() - 50, getHeight());
}

void MyPreferencesPanel::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
    panelStyle::paintTitleBand (g, getWidth(), {});
}

} // namespace tovalin
