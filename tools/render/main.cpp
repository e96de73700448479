#include "Renderer.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    std::vector<std::string> args (argv + 1, argv + argc);
    return tovalin::renderMain (args, std::cout, std::cerr);
}
