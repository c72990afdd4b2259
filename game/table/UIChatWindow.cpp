#include "UIChatWindow.h"

#include "UIButton.h"
#include "UIEditBox.h"
#include "UILabel.h"
#include "UIRichContent.h"
#include "UITheme.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "mgrSession.h"
#include "qz7text.h"
#include "qz7timer.h"
#include "qz7video.h"

#include <algorithm>

namespace {
std::string LocalName()
{
    const TSessionPlayer* p = Session ? Session->Players().LocalPlayer() : nullptr;
    return p ? p->Name() : std::string();
}
}  // namespace

TUIChatWindow::TUIChatWindow(TGUIWindow* parent) : TUIFrame("", {}, parent, 0)
{
    forwardCommands = false;
    captionFont = UIFONT_SMALL;
    noBackground = true;
    shadowBelow = false;
    borderColour = 0;
}

void TUIChatWindow::AfterCreate()
{
    TUIFrame::AfterCreate();
    view_ = NewWindow<TUIRichContent>(TQZRect{}, this);
    view_->Content()->hAlign = 0;
    view_->Content()->vAlign = 2;
    view_->clickThrough = true;
    hint_ = MakeUILabel("Press TAB to toggle chat", {}, this, 0xFFFFFFFF, UIFONT_BUTTON);
    entry_ = NewWindow<TUIEditBox>("", TQZRect{}, this, UICHAT_ENTER);
    entry_->SetMaxLength(UICHAT_MAX_LENGTH);
    sendButton_ = MakeUIButton("Send", {}, this, UICHAT_SEND);
    SetActive(false);
    hint_->SetVisible(false);
    Arrange();
    if (Gameflow) {
        subscribed_ = Gameflow;
        subscribed_->Subscribe("CHAT_MESSAGE", MakeMethod<&TUIChatWindow::OnChatMessage>(this));
    }
}

void TUIChatWindow::Destroying()
{
    if (subscribed_) subscribed_->Unsubscribe("CHAT_MESSAGE", MakeMethod<&TUIChatWindow::OnChatMessage>(this));
    subscribed_ = nullptr;
    TUIFrame::Destroying();
}

void TUIChatWindow::OnChatMessage(TQZClass* payload)
{
    if (const auto* line = dynamic_cast<const TMPChatLine*>(payload)) AddMessage(line->name, line->text, line->seat);
}

void TUIChatWindow::AddMessage(const std::string& name, const std::string& text, int32_t seat)
{
    TRichContent* content = view_->Content();
    const bool local = Session && seat == int32_t(Session->LocalSeat());
    TChatMessage message;
    message.time = GetTickMS();
    TRichTextItem* nameItem = content->AddText(name + ":", local ? UICHAT_LOCAL_NAME : UICHAT_OTHER_NAME);
    nameItem->font = UIFont(UIFONT_BUTTON);
    message.name = nameItem;
    message.text = content->AddText(text, 0xFFFFFFFF);
    message.lineBreak = content->AddLineBreak(false);
    messages_.push_back(message);
    content->Layout();
    SetVisible(true);
}

bool TUIChatWindow::KeyPress(uint32_t key)
{
    if (key == UICHAT_KEY_TOGGLE) {
        SetActive(!active_);
        return true;
    }
    return TUIFrame::KeyPress(key);
}

// A closed chat lets the pointer reach what lies under its lines.
void TUIChatWindow::SetActive(bool flag)
{
    active_ = flag;
    clickThrough = !flag;
    if (!flag && entry_->IsFocused()) entry_->SetFocus(false);
    entry_->SetVisible(flag);
    sendButton_->SetVisible(flag);
    borderColour = flag ? 0xFFFFFFFF : 0;
    if (flag) entry_->SetFocus(true);
}

void TUIChatWindow::HandleCommand(TGUIWindow* sender, int32_t id)
{
    TUIFrame::HandleCommand(sender, id);
    if (id == UICHAT_ENTER || id == UICHAT_SEND) Send();
}

// In a shared game the line makes the round through the host, which hands it
// to every peer's chat (this one's too); otherwise only this table has it.
void TUIChatWindow::Send()
{
    const std::string text = TrimText(entry_->Caption());
    entry_->SetCaption("");
    if (active_) entry_->SetFocus(true);
    if (text.empty()) return;
    const TSeat seat = Session ? Session->LocalSeat() : TSeat(0);
    if (Multiplayer && Multiplayer->IsMultiplayer()) Multiplayer->SendAction(text, LocalName(), seat);
    else AddMessage(LocalName(), text, seat);
}

void TUIChatWindow::Update()
{
    const uint32_t now = GetTickMS();
    for (size_t i = 0; i < messages_.size();) {
        TChatMessage& m = messages_[i];
        if (now - m.time <= UICHAT_FRESH_MS) break;  // the rest are newer
        if (messages_.size() - 1 - i >= UICHAT_KEEP) {
            for (TRichItem* item : {m.name, m.text, m.lineBreak}) view_->Content()->Remove(item);
            messages_.erase(messages_.begin() + std::ptrdiff_t(i));
            continue;
        }
        for (TRichItem* item : {m.name, m.text, m.lineBreak}) item->visible = active_;
        ++i;
    }
    const bool fresh = !messages_.empty() && now - messages_.back().time <= UICHAT_FRESH_MS;
    hint_->SetVisible(!entry_->IsVisible() && fresh);
    TUIFrame::Update();
}

void TUIChatWindow::Draw(const TQZRect& rect)
{
    if (active_)
        if (TQZVideo* video = CurrentVideo()) video->FillRect(rect, UICHAT_ACTIVE_GROUND);
    TUIFrame::Draw(rect);
}

// Just above the scoreboard (a quarter of the height, at least 160).
bool TUIChatWindow::Arrange()
{
    const TGUIWindow* parent = GetParent();
    if (!parent || !view_) return true;
    const int32_t w = parent->GetWidth(), h = parent->GetHeight();
    const int32_t h1 = std::max(h / 4, 160);
    const int32_t width = std::max(std::max(w / 4, 230), 300);
    const int32_t height = std::max(h1 - 50, 160);
    const int32_t top = h - h1 - height - 10;
    SetBounds({0, top, width, top + height});
    entry_->SetBounds({2, height - 36, width - 70, height - 2});
    sendButton_->SetBounds({width - 70, height - 35, width - 2, height - 2});
    view_->SetBounds({10, 10, width - 10, height - 40});
    hint_->SetBounds({6, height - 34, width - 66, height});
    return true;
}
