// A fixture for the include check: an engine header that reaches up the layers.
#pragma once

#include "Beside.h"
#include "processor/Anything.h"
#include <juce_core/juce_core.h>
#include <vector>
