// A small formatted-text model: coloured text runs and line breaks (with or
// without a rule) laid out into a box with word wrap and alignment. Text that
// does not fit is laid out again in smaller fonts, up to three passes.
#pragma once

#include "qz7core.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TQZFont;
class TQZVideo;
class TRichContent;

constexpr int32_t RICH_PASSES = 3;
// Font flags of a run's text drawing.
constexpr uint32_t RICH_TEXT_FLAGS = 9;

class TRichCursor : public TQZClass {
public:
    struct Line {
        int32_t width = 0, height = 0;
    };

    void Reset(int32_t boxWidth, int32_t boxHeight);
    void NewLine();
    void AddToLine(int32_t width, int32_t height);
    int32_t Remaining() const { return boxWidth - used; }
    // The height of the first n lines.
    int32_t HeightOf(int32_t n) const;
    int32_t CurrentLine() const { return int32_t(lines.size()) - 1; }

    int32_t used = 0;
    std::vector<Line> lines;
    int32_t boxWidth = 0, boxHeight = 0;
};

class TRichItem : public TQZClass {
public:
    explicit TRichItem(TRichContent* content, TQZColour colour) : colour(colour), content(content) {}
    virtual void Layout(TRichCursor& cursor) = 0;
    virtual void Draw(const TQZRect& rect) = 0;
    // The content's font of the current pass.
    virtual TQZFont* GetFont();

    TQZColour colour = 0xFFFFFFFF;
    TRichContent* content;
    bool visible = true;
};

class TRichTextItem : public TRichItem {
public:
    struct Run {
        std::string text;
        int32_t x = 0;
        int32_t line = 0;
    };

    TRichTextItem(TRichContent* content, const std::string& text, TQZColour colour)
        : TRichItem(content, colour), text(text)
    {
    }
    void Layout(TRichCursor& cursor) override;
    void Draw(const TQZRect& rect) override;
    TQZFont* GetFont() override;
    // The lines the runs take.
    int32_t LineCount() const;

    TQZFont* font = nullptr;  // not owned; nullptr: the content's font of the pass
    std::vector<Run> runs;
    std::string text;
};

class TRichLineBreakItem : public TRichItem {
public:
    TRichLineBreakItem(TRichContent* content, bool rule, TQZColour colour) : TRichItem(content, colour), rule(rule) {}
    void Layout(TRichCursor& cursor) override;
    void Draw(const TQZRect& rect) override;

    bool rule;
    int32_t line = 0;
};

// How many leading characters of the text go on the current line.
int32_t FitChars(TQZFont* font, const std::string& text, int32_t remaining, int32_t box);

class TRichContent : public TQZClass {
public:
    TRichContent();
    ~TRichContent() override;

    virtual TQZFont* GetFont(int32_t pass);
    virtual void SetFont(int32_t pass, TQZFont* font);
    virtual TQZVideo* GetVideo();

    TRichTextItem* AddText(const std::string& text, TQZColour colour = 0xFFFFFFFF);
    TRichLineBreakItem* AddLineBreak(bool rule, TQZColour colour = 0xFFFFFFFF);
    void Remove(TRichItem* item);
    void Clear();
    void SetSize(int32_t width, int32_t height);
    void Update();
    void Layout();
    void Draw(const TQZRect& rect);
    // Where a line starts, relative to the box.
    TQZPoint LineOffset(int32_t line) const;

    int32_t ItemCount() const { return int32_t(items_.size()); }
    TRichItem* Item(int32_t index) const { return items_[size_t(index)].get(); }
    const TRichCursor& Cursor() const { return cursor_; }
    bool Dirty() const { return dirty_; }
    int32_t Pass() const { return pass_; }
    int32_t TextHeight() const { return textHeight_; }
    int32_t BoxWidth() const { return boxWidth_; }
    int32_t BoxHeight() const { return boxHeight_; }

    int32_t hAlign = 1;  // 0 left, 1 centre, 2 right
    int32_t vAlign = 1;  // 1 centre, 2 bottom
    TQZVideo* video = nullptr;  // nullptr: the running frame's

private:
    std::vector<std::unique_ptr<TRichItem>> items_;
    TRichCursor cursor_;
    bool dirty_ = true;
    int32_t boxWidth_ = 0, boxHeight_ = 0;
    int32_t pass_ = 0;
    int32_t textHeight_ = 0;
    std::array<TQZFont*, RICH_PASSES> fonts_{};
};

// Splits text at its tags: text pieces and tags in lower case ("<HR>" -> "<hr>").
std::vector<std::string> SplitMarkup(const std::string& text);
