// Clipboard text for the scene toolkit's edit boxes.
#pragma once

#include <string>

class TQZGUIWindow;

// The clipboard's text; empty when it holds none.
std::string GetClipboardText(TQZGUIWindow* window);
bool IsClipboardTextAvailable();
// False when the clipboard cannot take it.
[[nodiscard]] bool SetClipboardText(TQZGUIWindow* window, const std::string& text);
