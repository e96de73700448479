// A fixture for the include check: a header of the same layer, which may be included.
#pragma once
