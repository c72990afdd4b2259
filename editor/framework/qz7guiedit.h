// The one-line edit box of the scene toolkit: a cursor, a selection made
// by dragging or shifted keys, horizontal scrolling, clipboard keys, and a
// message on Enter and (optionally) on every change.
#pragma once

#include "qz7gui.h"

class TQZGUIEdit : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIEdit"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void MouseDown(bool down, TQZPoint point) override;
    void Click() override;
    bool HandleKey(uint32_t key) override;
    void DragMove(TQZPoint delta) override;
    void Paint(const TQZRect& rect) override;
    void SetText(const std::string& text) override;

    int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(int32_t v) { maxLength_ = v; }
    int32_t MessageOnChange() const { return messageOnChange_; }
    void SetMessageOnChange(int32_t v) { messageOnChange_ = v; }

    int32_t Cursor() const { return cursor_; }
    // Clamped to the text, scrolling it so that the cursor shows.
    void SetCursor(int32_t position);
    int32_t SelStart() const { return selStart_; }
    int32_t SelEnd() const { return selEnd_; }
    void SetSelection(int32_t from, int32_t to);
    std::string SelectedText() const;
    int32_t FirstVisible() const { return first_; }
    // The character position under a point's x (window coordinates).
    int32_t CharAt(int32_t x) const;
    // One past the last character shown from the first visible one.
    int32_t VisibleEnd(int32_t first) const;

    // Characters the box takes (codes 32 to 127).
    static bool PassesFilter(char c) { return uint8_t(c) >= 32 && uint8_t(c) <= 127; }

private:
    int32_t WidthOf(int32_t count) const;
    int32_t Length() const { return int32_t(Text().size()); }
    bool HasSelection() const { return selStart_ < selEnd_; }
    void Insert(const std::string& text);
    void DeleteRange(int32_t from, int32_t to);
    void MoveCursor(int32_t position, bool extend);
    bool ClipboardKey(uint32_t key);

    int32_t cursor_ = 0, anchor_ = 0, selStart_ = 0, selEnd_ = 0, first_ = 0;
    int32_t maxLength_ = 255, messageOnChange_ = 0;
};
