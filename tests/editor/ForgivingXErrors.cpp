// Kept apart from JUCE's headers: Xlib's macros (None, Bool, Status) clash with them.
#include <X11/Xlib.h>

namespace tovalin::test
{
// Windows on a bare X server (Xvfb, no window manager) draw a few harmless protocol
// errors, and Xlib's default handler ends the process on the first. JUCE installs
// forgiving handlers only inside a JUCEApplication.
void forgiveXErrors()
{
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
}
} // namespace tovalin::test
