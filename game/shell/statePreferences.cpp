#include "statePreferences.h"

#include "UIButton.h"
#include "UIFrame.h"
#include "UIImageSelector.h"
#include "UITheme.h"
#include "clCardGraphics.h"
#include "clVideoDraw.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "qz7kvdata.h"
#include "qz7texture.h"

#include <algorithm>

namespace {
constexpr int32_t kTileFrameWidth = 228, kTileFrameHeight = 250;
constexpr int32_t kFrameWidth = 3 * kTileFrameWidth + 4 * 20;
constexpr int32_t kFrameHeight = kTileFrameHeight + 60;
constexpr int32_t kButtonWidth = 200, kButtonHeight = 50;
constexpr int32_t kPanelMargin = 40;

constexpr TPreferenceChoice kChoices[3] = {
    {"Video.Table", "Tables\\", "Choose Table", "Table"},
    {"Video.Cardface", "Cardsets\\", "Choose Cardset", "Cardset"},
    {"Video.Cardback", "Cardbacks\\", "Choose Cardback", "Cardback"},
};
constexpr int32_t kCommands[3] = {PREFCMD_TABLE, PREFCMD_CARDSET, PREFCMD_CARDBACK};

std::string CaptionOfSetting(const std::string& key)
{
    const std::string value = SettingText(key);
    return value.substr(0, value.find('.'));
}
}  // namespace

const TPreferenceChoice& PreferenceChoice(int32_t kind)
{
    return kChoices[std::clamp(kind, 0, 2)];
}

// ---------------------------------------------------------------- preview tile

TUIImagePreference::TUIImagePreference(const TQZRect& rect, TGUIWindow* parent, int32_t commandId, int32_t kind)
    : TUIImageTile(rect, parent, commandId), kind_(kind)
{
    if (kind != PREFERENCE_TABLE) scale = IMAGETILE_PORTRAIT_SCALE;
}

void TUIImagePreference::DrawImage(const TQZRect& rect)
{
    switch (kind_) {
        case PREFERENCE_TABLE:
            if (Video && Video->Draw()) Video->Draw()->DrawBackdrop(0xFFFFFFFF, rect);
            break;
        case PREFERENCE_CARDSET:
            if (TCardGraphics* cards = Resources ? Resources->GetCardset() : nullptr)
                // An empty slot shows nothing.
                (void)cards->DrawCard(PREFERENCE_CARD, {rect.left, rect.top}, 0xFFFFFFFF, {rect.Width(), rect.Height()});
            break;
        default:
            if (TQZTexture* back = Resources ? Resources->GetTexture(TEXTURE_CARDBACK) : nullptr)
                back->Draw(rect, 0xFFFFFFFF);
            break;
    }
}

// ---------------------------------------------------------------- window

TPreferenceGUI::TPreferenceGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    frame_ = MakeUIFrame("Preferences", TQZRect{0, 0, kFrameWidth, kFrameHeight}, this);
    frame_->forwardCommands = true;
    for (int32_t kind = 0; kind < 3; ++kind) {
        const int32_t x = 20 + kind * (kTileFrameWidth + 20);
        tiles_[kind] = MakeUIFrame(kChoices[kind].heading, TQZRect{x, 45, x + kTileFrameWidth, 45 + kTileFrameHeight},
                                   frame_);
        tiles_[kind]->forwardCommands = true;
        tiles_[kind]->captionFont = UIFONT_BUTTON;
        const int32_t left = (kTileFrameWidth - IMAGETILE_SIZE) / 2;
        previews_[kind] = NewWindow<TUIImagePreference>(
            TQZRect{left, 40, left + IMAGETILE_SIZE, 40 + IMAGETILE_SIZE}, tiles_[kind], kCommands[kind], kind);
    }
    continue_ = NewWindow<TUIButton>("Continue", TQZRect{0, 0, kButtonWidth, kButtonHeight}, this, 1);
    reset_ = NewWindow<TUIButton>("Reset Default", TQZRect{0, 0, kButtonWidth, kButtonHeight}, this, PREFCMD_RESET);

    panel_ = MakeUIFrame("Select Table", TQZRect{0, 0, 400, 400}, this);
    panel_->forwardCommands = true;
    close_ = NewWindow<TUIButton>("Close", TQZRect{0, 0, kButtonWidth, kButtonHeight}, panel_, PREFCMD_CLOSE);
    panel_->SetVisible(false);
    Arrange();
    RefreshCaptions();
    ChangeFocus(continue_);
}

bool TPreferenceGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t w = GetWidth(), h = GetHeight();
    const int32_t total = kFrameHeight + 20 + kButtonHeight;
    const int32_t top = std::max(28, (h - total) / 2);
    const int32_t left = (w - kFrameWidth) / 2;
    frame_->SetRect({left, top, left + kFrameWidth, top + kFrameHeight});
    const int32_t y = top + kFrameHeight + 20;
    continue_->SetRect({w / 2 - kButtonWidth - 10, y, w / 2 - 10, y + kButtonHeight});
    reset_->SetRect({w / 2 + 10, y, w / 2 + kButtonWidth + 10, y + kButtonHeight});

    const TQZRect panel{kPanelMargin, kPanelMargin, std::max(kPanelMargin + 300, w - kPanelMargin),
                        std::max(kPanelMargin + 300, h - kPanelMargin)};
    panel_->SetRect(panel);
    const int32_t pw = panel.Width(), ph = panel.Height();
    close_->SetRect({(pw - kButtonWidth) / 2, ph - kButtonHeight - 15, (pw + kButtonWidth) / 2, ph - 15});
    if (selector_) selector_->SetRect(SelectorRect());
    return false;
}

TQZRect TPreferenceGUI::SelectorRect() const
{
    const TQZRect& p = panel_->GetRect();
    return {20, 40, p.Width() - 20, p.Height() - kButtonHeight - 30};
}

void TPreferenceGUI::OpenSelector(int32_t kind)
{
    CloseSelector();
    const TPreferenceChoice& choice = PreferenceChoice(kind);
    panel_->caption = choice.title;
    panel_->SetVisible(true);
    panel_->BringToFront();
    selector_ = NewWindow<TUIImageSelector>(SelectorRect(), choice.key, choice.folder, panel_);
    ChangeFocus(close_);
}

void TPreferenceGUI::CloseSelector()
{
    TUIImageSelector* selector = selector_;
    selector_ = nullptr;
    if (selector) TGUIWindow::Free(selector);
    if (panel_->IsVisible()) {
        panel_->SetVisible(false);
        ChangeFocus(continue_);
    }
    RefreshCaptions();
}

void TPreferenceGUI::ResetDefaults()
{
    TQZKeyValue defaults;
    if (!Settings || !defaults.LoadFromFile(kDefaultsFile, KVFORM_LINES, true)) return;
    for (const TPreferenceChoice& choice : kChoices)
        if (defaults.FindNode(choice.key)) Settings->SetString(choice.key, defaults.GetString(choice.key));
    if (Resources) Resources->LoadGroup(1, true);
    RefreshCaptions();
}

void TPreferenceGUI::RefreshCaptions()
{
    for (int32_t kind = 0; kind < 3; ++kind) previews_[kind]->caption = CaptionOfSetting(kChoices[kind].key);
}

// ---------------------------------------------------------------- state

void TStatePreferences2::CreateGUI()
{
    MakeWindow<TPreferenceGUI>();
}

void TStatePreferences2::HandleEvent(int32_t command)
{
    auto* w = dynamic_cast<TPreferenceGUI*>(Window());
    switch (command) {
        case 1:
        case GUICMD_BACK:
            if (StateEngine) StateEngine->PopState();
            break;
        case PREFCMD_TABLE:
        case PREFCMD_CARDSET:
        case PREFCMD_CARDBACK:
            if (w) w->OpenSelector(PREFCMD_TABLE - command);
            break;
        case PREFCMD_CLOSE:
            if (w) w->CloseSelector();
            break;
        case PREFCMD_RESET:
            if (w) w->ResetDefaults();
            break;
        default: break;
    }
}
