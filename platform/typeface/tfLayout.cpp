#include "tfLayout.h"

#include <algorithm>

namespace plat::typeface {

int32_t TextMetrics::TextWidth(std::string_view text) const
{
    int32_t w = 0;
    for (char c : text) w += Advance(uint8_t(c));
    return w;
}

namespace {

struct Line {
    std::string_view text;
    int32_t width;
};

bool IsBreakChar(char c) { return c == '\r' || c == '\n'; }

// Hard lines: CR LF, CR and LF each end one.
std::vector<std::string_view> SplitHard(std::string_view text, bool singleLine)
{
    std::vector<std::string_view> out;
    if (singleLine) {
        out.push_back(text);
        return out;
    }
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsBreakChar(text[i])) continue;
        out.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    out.push_back(text.substr(start));
    return out;
}

std::string_view TrimSpacesRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Breaks one hard line at spaces so that each piece fits the width.
void WrapLine(const TextMetrics& m, std::string_view line, int32_t width, std::vector<Line>& out)
{
    while (true) {
        int32_t total = m.TextWidth(line);
        if (total <= width) {
            out.push_back({line, total});
            return;
        }
        // Longest prefix ending at a word's end that fits.
        size_t cut = std::string_view::npos;
        int32_t run = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == ' ' && i > 0 && line[i - 1] != ' ' && run <= width) cut = i;
            run += m.Advance(uint8_t(line[i]));
        }
        if (cut == std::string_view::npos) {
            // No space before the width is passed: the first word stands alone.
            size_t end = line.find(' ');
            if (end == std::string_view::npos) {
                out.push_back({line, total});
                return;
            }
            cut = end;
        }
        std::string_view head = TrimSpacesRight(line.substr(0, cut));
        out.push_back({head, m.TextWidth(head)});
        size_t next = line.find_first_not_of(' ', cut);
        if (next == std::string_view::npos) return;
        line = line.substr(next);
    }
}

}  // namespace

TextLayout LayoutText(const TextMetrics& m, std::string_view text, const TextRect& rect, uint32_t format)
{
    TextLayout out;
    out.clipped = !(format & TEXT_NOCLIP);
    out.bounds = {rect.left, rect.top, rect.left, rect.top};
    if (text.empty()) return out;

    std::vector<Line> lines;
    for (std::string_view hard : SplitHard(text, format & TEXT_SINGLELINE)) {
        if ((format & TEXT_WORDBREAK) && !(format & TEXT_SINGLELINE))
            WrapLine(m, hard, rect.Width(), lines);
        else
            lines.push_back({hard, m.TextWidth(hard)});
    }
    int32_t lineHeight = m.LineHeight();
    int32_t blockHeight = lineHeight * int32_t(lines.size());
    int32_t widest = 0;
    for (const Line& l : lines) widest = std::max(widest, l.width);
    out.lines = int32_t(lines.size());
    if (format & TEXT_CALCRECT) {
        out.bounds = {rect.left, rect.top, rect.left + widest, rect.top + blockHeight};
        return out;
    }

    int32_t y = rect.top;
    if (format & TEXT_BOTTOM) y = rect.bottom - blockHeight;
    else if (format & TEXT_VCENTER) y = rect.top + (rect.Height() - blockHeight) / 2;
    out.bounds = {INT32_MAX, y, INT32_MIN, y + blockHeight};
    for (const Line& l : lines) {
        int32_t x = rect.left;
        if (format & TEXT_RIGHT) x = rect.right - l.width;
        else if (format & TEXT_CENTER) x = rect.left + (rect.Width() - l.width) / 2;
        out.bounds.left = std::min(out.bounds.left, x);
        out.bounds.right = std::max(out.bounds.right, x + l.width);
        for (char c : l.text) {
            out.glyphs.push_back({uint8_t(c), x, y});
            x += m.Advance(uint8_t(c));
        }
        y += lineHeight;
    }
    return out;
}

}  // namespace plat::typeface
