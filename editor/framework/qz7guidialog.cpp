#include "qz7videochoice.h"
#include "qz7guidialog.h"

#include "qz7guicontainer.h"
#include "qz7text.h"

const std::vector<std::string>& DlgButtonsNames()
{
    static const std::vector<std::string> names = {"dlgOK", "dlgOKCancel"};
    return names;
}

const TQZGUIPropertyList& TQZGUIDialog::Properties() const
{
    using W = TQZGUIDialog;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = p::Extend(
        WindowProperties(),
        {p::Integer<W>("CancelID", &W::CancelID, &W::SetCancelID, true, -1),
         p::Enumeration<W, TDlgButtons>("DlgButtons", DlgButtonsNames(), &W::DlgButtons, &W::SetDlgButtons),
         p::String<W>("Prompt", &W::Prompt, &W::SetPrompt)});
    return list;
}

TQZGUIDialog::~TQZGUIDialog()
{
    if (modal_) EndModal();
}

void TQZGUIDialog::InitDefaults()
{
    TQZGUILayout managed;
    managed.mode = LayoutParentManaged;
    auto button = [&](int32_t id, const char* caption) {
        TQZGUIButton* b = CreateChild<TQZGUIButton>(this, {}, caption, id);
        b->SetTitle(QZGUI_BUILTIN);
        b->SetLayout(managed);
        b->onNotify = [this](TQZGUIWindow* sender) { ButtonClicked(sender); };
        return b;
    };
    ok_ = button(1, "OK");
    cancel_ = button(2, "Cancel");
    cancel_->SetVisible(false);
    SetAlwaysOnTop(true);
    SetCanDrag(true);
    SetCanClick(false);
    modal_ = false;
}

void TQZGUIDialog::ButtonClicked(TQZGUIWindow* sender)
{
    result_ = sender->ID();
    // The dialog's own handlers (or its parent's) hear which button it was.
    TQZGUIWindow::Notify(sender->ID(), sender);
}

void TQZGUIDialog::SetDlgButtons(TDlgButtons b)
{
    buttons_ = b;
    if (cancel_) cancel_->SetVisible(b == dlgOKCancel);
    LayoutPass();
}

void TQZGUIDialog::PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out)
{
    const int32_t w = GetWidth(), h = GetHeight();
    if (child == ok_) {
        out = buttons_ == dlgOK ? TQZRect{w / 4, h - 47, 3 * w / 4, h - 7} : TQZRect{w / 6, h - 47, w / 2 - 1, h - 7};
    } else if (child == cancel_) {
        out = {w / 2 + 1, h - 47, 5 * w / 6, h - 7};
    } else if (SameText(child->Title(), "Content")) {
        out = {11, 41, w - 11, h - 57};
    } else {
        TQZGUIWindow::PlaceChild(child, layout, out);
    }
}

void TQZGUIDialog::SetPrompt(const std::string& prompt)
{
    if (prompt == prompt_) return;
    prompt_ = prompt;
    TQZGUIWindow* content = FindChildByTitle("Content");
    TQZGUIWindow* text = content ? content->FindChildByTitle("Prompt") : nullptr;
    if (prompt.empty()) {
        if (text) (void)content->RemoveChild(text);  // the child was found under it just above
        return;
    }
    if (!content) {
        content = CreateChild<TQZGUIContainer>(this, {});
        content->SetTitle("Content");
        content->SetBGColor(GetThemeColor(4));
        TQZGUILayout managed;
        managed.mode = LayoutParentManaged;
        content->SetLayout(managed);
    }
    if (!text) {
        text = CreateChild<TQZGUIWindow>(content, {});
        text->SetTitle("Prompt");
    }
    text->SetText(prompt);
    text->SetTextDraw(QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE | QZFD_WORD_WRAP);
    text->SetPosition({0, 0, text->TextWidth(prompt) + 2, text->TextHeight(prompt) + 2});
}

// ---------------------------------------------------------------- modal state

void TQZGUIDialog::ShowModal()
{
    TQZGUIWindow* parent = Parent();
    if (parent) {
        disabled_.clear();
        for (int32_t i = 0; i < parent->ChildCount(); ++i) {
            TQZGUIWindow* sibling = parent->GetChild(i);
            if (sibling == this) continue;
            disabled_.emplace_back(sibling, sibling->Enabled());
            sibling->SetEnabled(false);
        }
        const int32_t w = GetWidth(), h = GetHeight();
        const int32_t left = (parent->GetWidth() - w) / 2, top = (parent->GetHeight() - h) / 2;
        SetPosition({left, top, left + w, top + h});
    }
    SetEnabled(true);
    SetVisible(true);
    result_ = 0;
    modal_ = true;
}

void TQZGUIDialog::EndModal()
{
    // Only siblings still in the list get their state back: one freed while
    // the dialog was up is gone from it (and a parent going frees its
    // children from the last, so later siblings may already have gone).
    TQZGUIWindow* parent = Parent();
    for (const auto& [sibling, enabled] : disabled_) {
        if (parent && parent->IndexOfChild(sibling) >= 0) sibling->SetEnabled(enabled);
    }
    disabled_.clear();
    modal_ = false;
    SetVisible(false);
}

// ---------------------------------------------------------------- pointer and painting

void TQZGUIDialog::DragMove(TQZPoint delta)
{
    TQZGUIWindow* parent = Parent();
    if (!parent) return;
    const TQZRect p = GetPosition();
    const int32_t w = GetWidth(), h = GetHeight();
    const int32_t left = ClampInt(0, p.left + delta.x, MaxOf(0, parent->GetWidth() - w));
    const int32_t top = ClampInt(0, p.top + delta.y, MaxOf(0, parent->GetHeight() - h));
    SetPosition({left, top, left + w, top + h});
}

void TQZGUIDialog::MouseMove(TQZPoint point)
{
    SetPointerShape(PointInRect(point, {1, 1, GetWidth() - 1, 31}) ? QZCURSOR_MOVE : QZCURSOR_DEFAULT);
}

void TQZGUIDialog::SetHover(bool flag)
{
    TQZGUIWindow::SetHover(flag);
    if (!flag) SetPointerShape(QZCURSOR_DEFAULT);
}

void TQZGUIDialog::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    const TQZColour frame = GetThemeColor(0);
    video->DrawFrame(r, frame, 1, frame);
    video->FillRect({r.left + 1, r.top + 1, r.right - 1, r.top + 31}, GetThemeColor(6));
    video->FillRect({r.left + 1, r.top + 31, r.right - 1, r.bottom - 1}, GetThemeColor(4));
    video->FillRect({r.left + 1, r.top + 31, r.right - 1, r.top + 32}, GetThemeColor(0));
    video->FillRect({r.left + 10, r.bottom, r.right + 10, r.bottom + 10}, 0x60000000);
    video->FillRect({r.right, r.top + 10, r.right + 10, r.bottom}, 0x60000000);
    if (!Text().empty())
        DrawText({r.left + 3, r.top + 1, r.right - 1, r.top + 31}, Text(), QZFD_ALIGN_LEFT | QZFD_ALIGN_MIDDLE,
                 GetThemeColor(4));
}
