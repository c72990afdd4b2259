#include "UICycleButton.h"

#include "UITheme.h"
#include "qz7texture.h"

#include <algorithm>

TUICycleButton::TUICycleButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent,
                               int32_t commandId)
    : TUIButton(caption, rect, parent, commandId)
{
    textFlags = 0x11;
}

TUICycleButton* MakeUICycleButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent,
                                  int32_t commandId)
{
    return NewWindow<TUICycleButton>(caption, rect, parent, commandId);
}

void TUICycleButton::AddOption(const std::string& text)
{
    if (std::find(options_.begin(), options_.end(), text) == options_.end()) options_.push_back(text);
}

int32_t TUICycleButton::GetSelectedIndex() const
{
    auto it = std::find(options_.begin(), options_.end(), caption_);
    return it == options_.end() ? -1 : int32_t(it - options_.begin());
}

void TUICycleButton::Click()
{
    if (!options_.empty()) SetCaption(options_[size_t(GetSelectedIndex() + 1) % options_.size()]);
    TUIButton::Click();
}

void TUICycleButton::Draw(const TQZRect& rect)
{
    if (rect.Width() <= 1 || rect.Height() <= 1) return;
    DrawCached(renderer_, FaceKey(rect).Value(), [&] {
        DrawFace(rect);
        if (TQZTexture* icon = UITexture(UITEX_CYCLE)) {
            // A square at the right end, 8 pixels in, centred on the middle.
            const int32_t side = std::min(rect.Height(), 32);
            const int32_t right = rect.right - 8, top = (rect.top + rect.bottom - side) / 2;
            icon->Draw({right - side, top, right, top + side}, 0xFFFFFFFF);
        }
    });
}
