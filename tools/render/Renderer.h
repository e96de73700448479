#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tovalin
{
/** The renderer's whole run: drives the processor as a host does and writes the
    WAV. Returns the exit status: 0 success, 2 bad usage or bad input (with a one-line
    message on err), 1 a failure to write. */
int renderMain (const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tovalin
