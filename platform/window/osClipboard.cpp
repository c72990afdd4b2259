#include "osClipboard.h"

#include "osWindowBackEnd.h"

namespace plat::os {

namespace {

// Code points of the bytes 0x80-0x9F; the rest map to themselves.
constexpr uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePoint(uint8_t ch)
{
    return ch >= 0x80 && ch < 0xA0 ? kHigh[ch - 0x80] : ch;
}

char ByteOf(uint32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return char(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) return char(0x80 + i);
    }
    return '?';
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Reads one sequence at i (moved past it); false for a malformed one, with
// i past its first byte.
bool ReadUtf8(const std::string& s, size_t& i, uint32_t& cp)
{
    const uint8_t lead = uint8_t(s[i++]);
    int extra = 0;
    if (lead < 0x80) {
        cp = lead;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; }
    else return false;
    if (i + size_t(extra) > s.size()) return false;
    for (int k = 0; k < extra; ++k) {
        const uint8_t b = uint8_t(s[i + size_t(k)]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    i += size_t(extra);
    return true;
}

}  // namespace

std::string Text8ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) AppendUtf8(out, CodePoint(uint8_t(c)));
    return out;
}

std::string Utf8ToText8(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = 0;
        out += ReadUtf8(utf8, i, cp) ? ByteOf(cp) : '?';
    }
    return out;
}

bool SetClipboardText(const std::string& text)
{
    return detail::EnsureBackEnd().SetClipboard(Text8ToUtf8(text));
}

std::string GetClipboardText()
{
    std::string utf8;
    if (!detail::EnsureBackEnd().GetClipboard(utf8)) return {};
    return Utf8ToText8(utf8);
}

bool HasClipboardText()
{
    return detail::EnsureBackEnd().HasClipboard();
}

}  // namespace plat::os
