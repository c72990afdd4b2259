#include "UICarddeckview.h"

#include "cardNames.h"
#include "clCardGraphics.h"
#include "coreGameDiagnostics.h"
#include "qz7fonts.h"
#include "qz7guiscrollbar.h"
#include "qz7windragdrop.h"

#include <algorithm>

const char* const kDeckViewFontFile = "Assets/Editor/PelmarMiniSquare10.qz7";
const char* const kDeckViewFontFace = "MiniSquare";

namespace {
constexpr int32_t kFontSize = 10;
constexpr int32_t kScrollWidth = 12;
}  // namespace

TUICardDeckView::TUICardDeckView() = default;
TUICardDeckView::~TUICardDeckView() = default;

void TUICardDeckView::InitDefaults()
{
    SetCanClick(true);
    SetCanFocus(true);
    SetRepaintOptions(QZREPAINT_CLIP);
    if (TQZFonts* fonts = GetFonts()) {
        fonts->RegisterFont(kDeckViewFontFile, kDeckViewFontFace, kFontSize);
        SetFont(fonts->GetFontPlain(kDeckViewFontFace, kFontSize));
    }
    scroll_ = CreateChild<TQZGUIScrollBar>(this, {0, 0, kScrollWidth, 10});
    scroll_->SetTitle(QZGUI_BUILTIN);
    scroll_->SetRange(0, 0, 0);
    scroll_->SetValue(0);
    scroll_->onValueChange = [this](TQZGUIWindow*) { Invalidate(true); };
}

void TUICardDeckView::SetCardset(TCardGraphics* cardset)
{
    cardset_ = cardset;
    Invalidate(true);
}

void TUICardDeckView::SetCardSize(TQZPoint size)
{
    cardSize_ = {std::max(size.x, 1), std::max(size.y, 1)};
    UpdateScrollBar();
    Invalidate(true);
}

void TUICardDeckView::SetSelected(int32_t slot)
{
    selected_ = slot;
    Invalidate(true);
}

int32_t TUICardDeckView::Columns() const
{
    return std::max(1, (GetWidth() - 15) / (cardSize_.x + DECKVIEW_GAP));
}

TQZRect TUICardDeckView::SlotRect(int32_t slot) const
{
    const int32_t n = Columns();
    const int32_t x = (slot % n) * (cardSize_.x + DECKVIEW_GAP);
    const int32_t y = (slot / n) * (cardSize_.y + DECKVIEW_GAP);
    return {x, y, x + cardSize_.x, y + cardSize_.y};
}

int32_t TUICardDeckView::ScrollValue() const { return scroll_ && scroll_->Visible() ? scroll_->Value() : 0; }

int32_t TUICardDeckView::HitCard(TQZPoint point) const
{
    const TQZPoint p{point.x, point.y + ScrollValue()};
    for (int32_t i = 0; i < DECKVIEW_SLOTS; ++i) {
        const TQZRect r = SlotRect(i);
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return i;
    }
    return -1;
}

void TUICardDeckView::UpdateScrollBar()
{
    if (!scroll_) return;
    const int32_t bottom = SlotRect(DECKVIEW_SLOTS - 1).bottom;
    const int32_t before = scroll_->Value();
    scroll_->SetSmallStep(cardSize_.y + DECKVIEW_GAP);
    scroll_->SetRange(0, bottom, GetHeight());
    scroll_->SetVisible(GetHeight() < bottom);
    // A position the new range no longer holds starts again at the top.
    if (scroll_->Value() != before) scroll_->SetValue(0);
}

void TUICardDeckView::LayoutChanged()
{
    PlaceDropTarget();
    if (scroll_) scroll_->SetPosition({GetWidth() - kScrollWidth, 0, GetWidth(), GetHeight()});
    UpdateScrollBar();
}

TQZPoint TUICardDeckView::ScreenToView(TQZPoint screen) const
{
    const TQZRect r = GetScreenRect();
    return {screen.x - r.left, screen.y - r.top};
}

void TUICardDeckView::MouseDown(bool down, TQZPoint point)
{
    TQZGUIWindow::MouseDown(down, point);
    if (!down) return;
    const int32_t slot = HitCard(point);
    if (slot >= 0) SetSelected(slot);
}

bool TUICardDeckView::MouseWheel(int32_t delta)
{
    if (!scroll_ || !scroll_->Visible()) return false;
    scroll_->SetValue(scroll_->Value() - (delta > 0 ? 1 : -1) * (cardSize_.y + DECKVIEW_GAP));
    return true;
}

void TUICardDeckView::AttachDropTarget(TQZWindow* window)
{
    drop_.reset();
    if (!window) return;
    drop_ = std::make_unique<TQZDragDrop>(window, GetScreenRect());
    if (!drop_->Registered()) {
        WriteLog("The card view could not take drops: the window has a drop target already");
        drop_.reset();
        return;
    }
    drop_->onOver = TQZDragOverEvent::Bind<&TUICardDeckView::DragOver>(this);
    drop_->onLeave = TQZDragEvent::Bind<&TUICardDeckView::DragLeave>(this);
    drop_->onDrop = TQZDropFilesEvent::Bind<&TUICardDeckView::DragDrop>(this);
}

void TUICardDeckView::PlaceDropTarget()
{
    if (drop_) drop_->targetRect = GetScreenRect();
}

void TUICardDeckView::DragOver(TQZPoint point)
{
    const int32_t slot = HitCard(ScreenToView(point));
    if (slot < 0) {
        hover_ = false;
    } else {
        selected_ = slot;
        hover_ = true;
    }
    Invalidate(true);
}

void TUICardDeckView::DragLeave()
{
    hover_ = false;
    Invalidate(true);
}

void TUICardDeckView::DragDrop(TQZPoint point, const std::vector<std::string>& files)
{
    const int32_t slot = HitCard(ScreenToView(point));
    hover_ = false;
    const std::string name = files.empty() ? std::string() : files.front();
    WriteLog("DragDrop file " + name + " onto idx " + std::to_string(slot));
    Invalidate(true);
    if (slot < 0 || name.empty()) return;
    SetSelected(slot);
    // A copy: the callback may replace the handler.
    if (TCardDropCallback callback = onCardDropped) callback(selected_, name);
}

void TUICardDeckView::Paint(const TQZRect& rect)
{
    TQZGUIWindow::Paint(rect);
    TQZVideo* video = GetVideo();
    if (!video) return;
    const TQZRect screen = GetScreenRect();
    const int32_t scroll = ScrollValue();
    for (int32_t i = 0; i < DECKVIEW_SLOTS; ++i) {
        TQZRect r = SlotRect(i);
        r = {r.left + screen.left, r.top + screen.top - scroll, r.right + screen.left, r.bottom + screen.top - scroll};
        if (r.bottom < screen.top || r.top > screen.bottom) continue;
        if (!cardset_ || !cardset_->DrawCard(i, {r.left, r.top}, 0xFFFFFFFF, cardSize_)) {
            video->FillRect(r, 0xFF000000);
            // Kept off the slot's edges: a name wraps (and is cut) inside the margin.
            const TQZRect inner{r.left + DECKVIEW_TEXT_MARGIN, r.top, r.right - DECKVIEW_TEXT_MARGIN, r.bottom};
            DrawText(inner, "[" + std::to_string(i) + "]", QZFD_ALIGN_CENTRE | QZFD_ALIGN_TOP, 0xFFFFFFFF);
            const TQZRect lower{inner.left, inner.top + 25, inner.right, inner.bottom - DECKVIEW_TEXT_MARGIN};
            DrawText(lower, CardName(i), QZFD_ALIGN_CENTRE | QZFD_ALIGN_TOP | QZFD_WORD_WRAP, 0xFFFFFFFF);
        }
        if (i == selected_) {
            video->DrawFrame({r.left - 2, r.top - 2, r.right + 2, r.bottom + 2}, 0xFF000000, 4, 0xFF000000);
            video->DrawFrame({r.left - 2, r.top - 2, r.right + 2, r.bottom + 2}, 0xFFFFFF00, 2, 0xFFFFFF00);
            if (hover_) video->FillRect(r, 0x40FFFF00);
        }
    }
    // Covered also while a parent is disabled (a modal dialog is up).
    if (!IsShownInTree()) video->FillRect(screen, 0xA0808080);
}
