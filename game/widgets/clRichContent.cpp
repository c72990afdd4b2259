#include "clRichContent.h"

#include "qz7fonts.h"
#include "qz7video.h"
#include "qz7window.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

int32_t LineHeightOf(TQZFont* font)
{
    return font ? font->LineHeight() + font->GetMetric() : 0;
}

int32_t WidthOf(TQZFont* font, const std::string& text)
{
    return font ? font->TextWidth(text) : 0;
}

std::string Lower(std::string s)
{
    for (char& c : s) c = char(std::tolower(uint8_t(c)));
    return s;
}

}  // namespace

// ---------------------------------------------------------------- cursor

void TRichCursor::Reset(int32_t width, int32_t height)
{
    boxWidth = width;
    boxHeight = height;
    used = 0;
    lines.assign(1, Line{});
}

void TRichCursor::NewLine()
{
    lines.push_back(Line{});
    used = 0;
}

void TRichCursor::AddToLine(int32_t width, int32_t height)
{
    if (lines.empty()) lines.push_back(Line{});
    used += width;
    lines.back().width += width;
    lines.back().height = std::max(lines.back().height, height);
}

int32_t TRichCursor::HeightOf(int32_t n) const
{
    int32_t h = 0;
    for (int32_t i = 0; i < n && i < int32_t(lines.size()); ++i) h += lines[size_t(i)].height;
    return h;
}

// ---------------------------------------------------------------- fitting

int32_t FitChars(TQZFont* font, const std::string& text, int32_t remaining, int32_t box)
{
    int32_t width = WidthOf(font, text);
    if (width <= remaining) return int32_t(text.size());
    int32_t remembered = -1;
    for (int32_t i = int32_t(text.size()) - 1; i >= 0; --i) {
        width -= font ? font->CharWidth(uint8_t(text[size_t(i)])) : 0;
        if (text[size_t(i)] != ' ') continue;
        if (width <= remaining) return i;
        if (remembered < 0 && width <= box) remembered = i;
    }
    if (remaining < box) return 0;  // the line holds something: start on the next one
    if (remembered >= 0) return remembered;
    int32_t n = 0, used = 0;
    while (n < int32_t(text.size())) {
        used += font ? font->CharWidth(uint8_t(text[size_t(n)])) : 0;
        if (used > box) break;
        ++n;
    }
    return std::max(1, n);
}

// ---------------------------------------------------------------- items

TQZFont* TRichItem::GetFont()
{
    return content ? content->GetFont(content->Pass()) : nullptr;
}

TQZFont* TRichTextItem::GetFont()
{
    return font ? font : TRichItem::GetFont();
}

// A break at a space drops that space (and any that follow); a break inside
// a word, or a word moved whole to the next line, keeps every letter.
void TRichTextItem::Layout(TRichCursor& cursor)
{
    runs.clear();
    TQZFont* f = GetFont();
    const int32_t height = LineHeightOf(f);
    std::string rest = text;
    while (!rest.empty()) {
        const int32_t n = FitChars(f, rest, cursor.Remaining(), cursor.boxWidth);
        if (n < int32_t(rest.size())) {
            if (n >= 1) {
                runs.push_back({rest.substr(0, size_t(n)), cursor.used, cursor.CurrentLine()});
                cursor.AddToLine(WidthOf(f, runs.back().text), height);
            }
            rest.erase(0, size_t(n));
            const size_t word = rest.find_first_not_of(' ');
            rest.erase(0, word == std::string::npos ? rest.size() : word);
            cursor.NewLine();
        } else {
            runs.push_back({rest, cursor.used, cursor.CurrentLine()});
            cursor.AddToLine(WidthOf(f, rest) + WidthOf(f, " "), height);
            rest.clear();
        }
    }
}

int32_t TRichTextItem::LineCount() const
{
    if (runs.empty()) return 0;
    return runs.back().line - runs.front().line + 1;
}

void TRichTextItem::Draw(const TQZRect& rect)
{
    TQZFont* f = GetFont();
    if (!f || !content) return;
    const auto& lines = content->Cursor().lines;
    for (const Run& run : runs) {
        if (run.line < 0 || run.line >= int32_t(lines.size())) continue;
        const TQZPoint offset = content->LineOffset(run.line);
        const int32_t textHeight = f->TextHeight(run.text);
        const int32_t x = rect.left + offset.x + run.x;
        const int32_t y = rect.top + offset.y + (lines[size_t(run.line)].height - textHeight) / 2;
        f->DrawText({x, y, x + f->TextWidth(run.text), y + textHeight}, run.text, RICH_TEXT_FLAGS, colour);
    }
}

void TRichLineBreakItem::Layout(TRichCursor& cursor)
{
    if (cursor.used > 0) cursor.NewLine();
    line = cursor.CurrentLine();
    cursor.AddToLine(cursor.boxWidth - 6, 4);
    cursor.NewLine();
}

void TRichLineBreakItem::Draw(const TQZRect& rect)
{
    if (!rule || !content) return;
    TQZVideo* v = content->GetVideo();
    if (!v) return;
    const TQZPoint o = content->LineOffset(line);
    v->FillRect({rect.left + o.x, rect.top + o.y, rect.right - o.x, rect.top + o.y + 1}, colour);
}

// ---------------------------------------------------------------- content

TRichContent::TRichContent() = default;
TRichContent::~TRichContent() = default;

TQZFont* TRichContent::GetFont(int32_t pass)
{
    pass = ClampInt(0, pass, RICH_PASSES - 1);
    if (fonts_[size_t(pass)]) return fonts_[size_t(pass)];
    TQZFonts* fonts = GetFonts();
    TQZFont* base = fonts ? fonts->DefaultFont() : nullptr;
    if (!base || pass == 0) return fonts_[size_t(pass)] = base;
    const float s = GetMonitorScale(nullptr);
    const int32_t smaller = base->size - int32_t(std::lround(s * (pass == 1 ? 2.0f : 3.0f)));
    TQZFont* f = fonts->GetFont(base->face, std::max(1, smaller), base->flags);
    return fonts_[size_t(pass)] = f ? f : base;
}

void TRichContent::SetFont(int32_t pass, TQZFont* font)
{
    if (pass < 0 || pass >= RICH_PASSES) return;
    fonts_[size_t(pass)] = font;
    dirty_ = true;
}

TQZVideo* TRichContent::GetVideo()
{
    return video ? video : CurrentVideo();
}

TRichTextItem* TRichContent::AddText(const std::string& text, TQZColour colour)
{
    items_.push_back(std::make_unique<TRichTextItem>(this, text, colour));
    dirty_ = true;
    return static_cast<TRichTextItem*>(items_.back().get());
}

TRichLineBreakItem* TRichContent::AddLineBreak(bool rule, TQZColour colour)
{
    items_.push_back(std::make_unique<TRichLineBreakItem>(this, rule, colour));
    dirty_ = true;
    return static_cast<TRichLineBreakItem*>(items_.back().get());
}

void TRichContent::Remove(TRichItem* item)
{
    items_.erase(std::remove_if(items_.begin(), items_.end(), [&](const auto& i) { return i.get() == item; }),
                 items_.end());
    dirty_ = true;
}

void TRichContent::Clear()
{
    items_.clear();
    dirty_ = true;
}

void TRichContent::SetSize(int32_t width, int32_t height)
{
    boxWidth_ = width;
    boxHeight_ = height;
    Layout();
}

void TRichContent::Update()
{
    if (dirty_) Layout();
}

void TRichContent::Layout()
{
    for (pass_ = 0; pass_ < RICH_PASSES; ++pass_) {
        cursor_.Reset(boxWidth_, boxHeight_);
        for (auto& item : items_) item->Layout(cursor_);
        textHeight_ = cursor_.HeightOf(int32_t(cursor_.lines.size()));
        if (textHeight_ <= boxHeight_ || pass_ == RICH_PASSES - 1) break;
    }
    dirty_ = false;
}

TQZPoint TRichContent::LineOffset(int32_t line) const
{
    const int32_t width = line >= 0 && line < int32_t(cursor_.lines.size()) ? cursor_.lines[size_t(line)].width : 0;
    int32_t x = 0;
    if (hAlign == 1) x = (boxWidth_ - width) / 2;
    else if (hAlign == 2) x = boxWidth_ - width;
    int32_t y = cursor_.HeightOf(line);
    if (vAlign == 1) y += (boxHeight_ - textHeight_) / 2;
    else if (vAlign == 2) y += boxHeight_ - textHeight_;
    return {x, y};
}

void TRichContent::Draw(const TQZRect& rect)
{
    for (auto& item : items_) {
        if (item->visible) item->Draw(rect);
    }
}

// ---------------------------------------------------------------- markup

std::vector<std::string> SplitMarkup(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('<', at);
        const std::string before = text.substr(at, open == std::string::npos ? std::string::npos : open - at);
        if (!before.empty()) pieces.push_back(before);
        if (open == std::string::npos) break;
        const size_t close = text.find('>', open + 1);
        const size_t length = close == std::string::npos ? std::string::npos : close - open - 1;
        const std::string tag = text.substr(open + 1, length);
        if (!tag.empty()) pieces.push_back("<" + Lower(tag) + ">");
        if (close == std::string::npos) break;
        at = close + 1;
    }
    return pieces;
}
