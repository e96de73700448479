#pragma once

namespace tovalin
{
/** Makes every processor of this program open the editor: with the on-screen keyboard
    (the standalone program, 721 x 362) or without (a plug-in, 721 x 292). Call once,
    before creating processors, on the message thread. */
void useEditor (bool withKeyboard);
} // namespace tovalin
