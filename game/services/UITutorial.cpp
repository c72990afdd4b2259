#include "UITutorial.h"

#include "UIButton.h"
#include "UILabel.h"
#include "UITheme.h"
#include "coreGameDiagnostics.h"
#include "qz7files.h"
#include "qz7fonts.h"
#include "qz7texture.h"

#include <algorithm>

namespace {
constexpr const char* kFrameImage = "Assets\\Tutorials\\Tutorial_Frame.png";
constexpr TQZRect kFramePart{0, 0, 160, 190};
constexpr TQZRect kFrameAt{4, 50, 164, 240};
constexpr TQZRect kImageAt{18, 67, 146, 195};
constexpr TQZRect kCaptionAt{22, 197, 146, 232};
constexpr TQZColour kGold = 0xFFF0C850;

std::unique_ptr<TQZTexture> LoadPicture(const std::string& file)
{
    if (!IsFile(file)) {
        AdminLog("Tutorial picture \"" + file + "\" not found");
        return nullptr;
    }
    try {
        return TQZTexture::CreateFromFile(file, 0, false);
    } catch (const std::exception& e) {
        AdminLog("Tutorial picture \"" + file + "\" could not be loaded: " + e.what());
        return nullptr;
    }
}

TQZRect Offset(const TQZRect& r, const TQZRect& by)
{
    return {by.left + r.left, by.top + r.top, by.left + r.right, by.top + r.bottom};
}
}  // namespace

TUITutorial::TUITutorial(TGUIWindow* parent, TPageSource pages, TInstruction instruction)
    : TUIMovableFrame("Tutorial", parent, {UITUTORIAL_WIDTH, UITUTORIAL_HEIGHT}),
      pages_(std::move(pages)),
      instruction_(std::move(instruction))
{
    // Not yet in the parent's children: the place only, arranged on creation.
    if (parent) {
        left = (parent->GetWidth() - frameWidth) / 2;
        top = TopIn(parent->GetHeight());
    }
}

TUITutorial::~TUITutorial() = default;

void TUITutorial::AfterCreate()
{
    TUIMovableFrame::AfterCreate();
    SetGripShown(false);
    title_ = MakeUILabel("", {}, this, kGold, UIFONT_BUTTON);
    text_ = MakeUILabel("", {}, this, 0xFFFFFFFF, UIFONT_SMALL);
    text_->wordWrap = true;
    gotIt_ = MakeUIButton("Got it", {}, this, UITUTORIAL_GOTIT);
    hide_ = MakeUIButton("Hide tutorials", {}, this, UITUTORIAL_HIDE);
    prev_ = MakeUIButton("<", {}, this, UITUTORIAL_PREV);
    next_ = MakeUIButton(">", {}, this, UITUTORIAL_NEXT);
    frameImage_ = LoadPicture(kFrameImage);
    LayOut();
}

void TUITutorial::Destroying()
{
    TUIMovableFrame::Destroying();
    if (onDestroyed) onDestroyed();
}

int32_t TUITutorial::TopIn(int32_t height) const
{
    return std::max(0, std::min((height - frameHeight) / 2, height - frameHeight - UITUTORIAL_BOTTOM_ROOM));
}

void TUITutorial::PlaceInParent()
{
    const TGUIWindow* parent = GetParent();
    if (!parent) return;
    left = (parent->GetWidth() - frameWidth) / 2;
    top = TopIn(parent->GetHeight());
    Arrange();
}

void TUITutorial::LayOut()
{
    const int32_t textLeft = image_ ? 180 : 24;
    title_->SetBounds({24, 12, frameWidth - 40, 46});
    text_->SetBounds({textLeft, 56, frameWidth - 24, frameHeight - 70});
    gotIt_->SetBounds({frameWidth - 200, frameHeight - 62, frameWidth - 24, frameHeight - 14});
    hide_->SetBounds({frameWidth - 400, frameHeight - 62, frameWidth - 216, frameHeight - 14});
    prev_->SetBounds({24, frameHeight - 62, 84, frameHeight - 14});
    next_->SetBounds({92, frameHeight - 62, 152, frameHeight - 14});
}

void TUITutorial::ShowPage(const std::string& id, int32_t page)
{
    page_ = pages_ ? pages_(id, page) : TTutorialPage{};
    title_->SetCaption(page_.title);
    text_->SetCaption(page_.content);
    gotIt_->SetCaption(page_.nextPage.empty() ? "OK" : "Next");
    prev_->SetEnabled(page_.page > 1);
    next_->SetEnabled(page_.page < page_.totalPages);
    image_.reset();
    if (!page_.image.empty()) image_ = LoadPicture(std::string(kTutorialFolder) + page_.image);
    LayOut();
}

void TUITutorial::HandleCommand(TGUIWindow* sender, int32_t id)
{
    switch (id) {
        case UITUTORIAL_GOTIT:
            if (!page_.nextPage.empty()) {
                instruction_("SETVIEWED");
                instruction_("PAGE " + page_.nextPage);
            } else {
                instruction_("OK");
            }
            return;
        case UITUTORIAL_HIDE: instruction_("HIDE"); return;
        case UITUTORIAL_PREV: instruction_("PREV"); return;
        case UITUTORIAL_NEXT: instruction_("NEXT"); return;
        case UIMOVABLE_CLOSE:
            instruction_("OK");
            SetVisible(false);
            return;
        default: TUIMovableFrame::HandleCommand(sender, id);
    }
}

void TUITutorial::Draw(const TQZRect& rect)
{
    TUIMovableFrame::Draw(rect);
    if (!image_) return;
    if (frameImage_) frameImage_->DrawPart(kFramePart, Offset(kFrameAt, rect), 0xFFFFFFFF);
    image_->Draw(Offset(kImageAt, rect), 0xFFFFFFFF);
    if (TQZFont* font = UIFont(UIFONT_SMALL))
        font->DrawText(Offset(kCaptionAt, rect), page_.caption, QZTEXT_CENTER | QZTEXT_VCENTER | QZTEXT_WORDWRAP,
                       0xFF000000);
}
