#pragma once

#include <cstddef>

namespace tovalin
{
/** The built-in sound presets document (UTF-8 XML, root "PresetSet"). */
extern const char builtInPresetsDocument[];
extern const size_t builtInPresetsDocumentSize;

} // namespace tovalin
