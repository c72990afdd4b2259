// Clipboard stand-in: plain text in and out. The program's texts are 8-bit
// (Windows-1252); the SDL back end keeps UTF-8 on the system clipboard, so
// text is converted both ways. Headless, the clipboard is a string in memory.
#pragma once

#include <cstdint>
#include <string>

namespace plat::os {

// False when the clipboard cannot take the text.
[[nodiscard]] bool SetClipboardText(const std::string& text);
// The clipboard's text, empty when it holds none.
std::string GetClipboardText();
bool HasClipboardText();

// Windows-1252 bytes as UTF-8, and back; a character that has no 8-bit
// form becomes '?', and so does each byte of a malformed UTF-8 sequence.
std::string Text8ToUtf8(const std::string& text);
std::string Utf8ToText8(const std::string& utf8);

}  // namespace plat::os
