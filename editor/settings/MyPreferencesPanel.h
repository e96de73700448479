#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace tovalin
{
class TovalinPlugin;

/** The settings panel: a column of picture tabs on the left ("Performances",
    "Effects" and, when the program offers one, "Audio"), the open tab's page beside
    them. The editor shows it in its panel overlay, which owns it; closing the overlay
    deletes it, and nothing is kept between openings. Message thread.

    The plug-in's panel (300 x 250) has two tabs. The standalone program passes an
    audio page factory: the panel then has the third tab "Audio" and is 630 x 250. */
class MyPreferencesPanel : public juce::Component, private juce::Button::Listener
{
public:
    /** Makes the page of the "Audio" tab (the device selector), for the processor. */
    using PageFactory = std::function<std::unique_ptr<juce::Component> (TovalinPlugin&)>;

    /** Opens "Performances", then requestedTab when it is not empty (an unknown name
        opens "Performances"). */
    MyPreferencesPanel (TovalinPlugin& processor, const juce::String& requestedTab = {}, PageFactory audioPage = {});
    ~MyPreferencesPanel() override;

    /** Opens the named tab ("Performances", "Effects", "Audio") unless it is open. */
    void showTab (const juce::String& name);
    const juce::String& getCurrentTab() const noexcept { return currentTab; }
    juce::Component* getPage() const noexcept { return page.get(); }
    /** The tab buttons, in order; each is named after its tab. */
    juce::DrawableButton* getTabButton (int index) const { return tabButtons[index]; }
    int getNumTabs() const noexcept { return tabButtons.size(); }

    static constexpr int tabSize = 32;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void addTab (const juce::String& name, const void* png, int pngSize);
    void buttonClicked (juce::Button* button) override;

    TovalinPlugin& processor;
    PageFactory audioPageFactory;
    juce::String currentTab;
    std::unique_ptr<juce::Component> page;
    juce::OwnedArray<juce::DrawableButton> tabButtons;
};

} // namespace tovalin
