#include "qz7guiclipboard.h"

#include "osClipboard.h"

// The window stand-in has one clipboard for the program: the window that
// asks is not needed to reach it.
std::string GetClipboardText(TQZGUIWindow*)
{
    return plat::os::GetClipboardText();
}

bool IsClipboardTextAvailable()
{
    return plat::os::HasClipboardText();
}

bool SetClipboardText(TQZGUIWindow*, const std::string& text)
{
    return plat::os::SetClipboardText(text);
}
