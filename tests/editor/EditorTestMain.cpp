#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace tovalin::test
{
void forgiveXErrors();
}

// The editor's tests run on a message thread of their own: this one, for the whole
// process. Menus and alert windows are real windows: they need an X display (ctest
// runs this program under xvfb-run).
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    tovalin::test::forgiveXErrors();
    juce::ScopedJuceInitialiser_GUI gui;
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty() && ! ::testing::GTEST_FLAG (list_tests))
    {
        std::cerr << "The editor's tests need an X display: run them under xvfb-run -a.\n";
        return 1;
    }
    return RUN_ALL_TESTS();
}
