#include "UIToast.h"

#include "UIButton.h"
#include "UIRichContent.h"
#include "UITheme.h"
#include "qz7text.h"

namespace {
constexpr int32_t kWidth = 300;
constexpr int32_t kHeight = 160;
constexpr TQZColour kNameColour = 0xFFFFFF00;
constexpr TQZColour kTextColour = 0xFF000000;

}  // namespace

TUIToast::TUIToast(TGUIWindow* parent) : TUIFrame("", {0, 0, kWidth, kHeight}, parent, 0)
{
    forwardCommands = false;
    captionFont = UIFONT_SMALL;
    shadowBelow = true;
}

void TUIToast::AfterCreate()
{
    TUIFrame::AfterCreate();
    view_ = NewWindow<TUIRichContent>(TQZRect{10, 10, 290, 150}, this);
    view_->clickThrough = true;
    acceptButton_ = MakeUIButton("Accept", {10, 105, 135, 150}, this, UITOAST_ACCEPT);
    ignoreButton_ = MakeUIButton("Ignore", {165, 105, 290, 150}, this, UITOAST_IGNORE);
    acceptButton_->SetVisible(false);
    ignoreButton_->SetVisible(false);
    SetVisible(false);
}

void TUIToast::ShowNotice(const std::string& text, int32_t kind, bool question, int32_t duration)
{
    TToastContent notice;
    notice.text = text;
    notice.kind = kind;
    notice.isQuestion = question;
    notice.duration = duration;
    ShowContent(notice);
}

void TUIToast::ShowText(const std::string& text) { ShowNotice(text, 1, false, UITOAST_DEFAULT_DURATION); }

void TUIToast::ShowPlayerJoined(const std::string& name)
{
    ShowNotice(ReplacePairs("New player connected:<HR>*%playername%*<BR>has joined the game.", {{"%playername%", name}}), 4,
               false, UITOAST_DEFAULT_DURATION);
}

void TUIToast::ShowPlayerLeft(const std::string& name)
{
    ShowNotice(ReplacePairs("Player has disconnected:<HR>*%playername%*", {{"%playername%", name}}), 4, false,
               UITOAST_DEFAULT_DURATION);
}

void TUIToast::ShowContent(const TToastContent& notice)
{
    if (notice.kind < current_.kind) {
        queue_.push_back(notice);
        return;
    }
    current_ = notice;
    answered_ = false;
    // Only a question takes the pointer; a plain notice lets it reach the table.
    clickThrough = !notice.isQuestion;
    acceptButton_->SetVisible(notice.isQuestion);
    ignoreButton_->SetVisible(notice.isQuestion);
    view_->SetRect(notice.isQuestion ? TQZRect{10, 10, 290, 90} : TQZRect{10, 10, 290, 150});
    TRichContent* content = view_->Content();
    content->Clear();
    for (const std::string& piece : SplitMarkup(notice.text)) {
        if (piece == "<br>") {
            content->AddLineBreak(false);
        } else if (piece == "<hr>") {
            content->AddLineBreak(true);
        } else if (piece.front() == '<') {
            // other tags show nothing
        } else if (piece.size() >= 2 && piece.front() == '*' && piece.back() == '*') {
            content->AddText(piece.substr(1, piece.size() - 2), kNameColour)->font = UIFont(UIFONT_BUTTON);
        } else {
            content->AddText(piece, kTextColour);
        }
    }
    UIPlaySound(UITOAST_SOUND);
    SetVisible(true);
    SetShown(true);
}

// The notice rises 64 pixels as it fades in. Once its time is up it fades
// out and the next waiting notice takes its place; a hidden notice (faded
// out, or past its time again) is done.
void TUIToast::Update()
{
    if (const TGUIWindow* parent = GetParent()) {
        const int32_t left = parent->GetWidth() - 320;
        const int32_t top = parent->GetHeight() - 116 - (GetAlpha() + 1) / 4;
        if (GetRect().left != left || GetRect().top != top) SetBounds({left, top, left + kWidth, top + kHeight});
    }
    if (Visible()) {
        UIRequestFrames();
        const bool timeUp = int64_t(current_.duration) < int64_t(FadeTime());
        if (Hiding() && (timeUp || GetAlpha() <= 0)) {
            SetVisible(false);
            SetHiding(false);
            current_ = TToastContent{};
        } else if (timeUp && !Hiding()) {
            SetHiding(true);
            current_.kind = 0;
            if (!queue_.empty()) {
                const TToastContent next = queue_.front();
                queue_.erase(queue_.begin());
                ShowContent(next);
            }
        }
    }
    TUIFrame::Update();
}

void TUIToast::HandleCommand(TGUIWindow* sender, int32_t id)
{
    TUIFrame::HandleCommand(sender, id);
    if (id == UITOAST_ACCEPT) {
        // Answered once: the notice ends at the next update.
        if (current_.onAnswer && !answered_) current_.onAnswer(current_.tag, 1);
        answered_ = true;
        current_.duration = 1;
    } else if (id == UITOAST_IGNORE) {
        current_.duration = 1;
    }
}

bool TUIToast::Arrange()
{
    if (const TGUIWindow* parent = GetParent()) {
        const int32_t w = parent->GetWidth(), h = parent->GetHeight();
        SetBounds({w - 320, h - 180, w - 20, h - 20});
    }
    if (view_) view_->Arrange();
    return true;
}
