#include "stateTesting.h"

#include "UIButton.h"
#include "UIContainer.h"
#include "UIImageSelector.h"

#include <algorithm>

namespace {
constexpr int32_t kButtonWidth = 160, kButtonHeight = 45;
constexpr int32_t kBarHeight = 80;
}  // namespace

TTestingGUI::TTestingGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    outer_ = MakeUIContainer(TQZRect{0, 0, 600, kBarHeight}, this, 0);
    outer_->forwardCommands = true;
    inner_ = MakeUIContainer(TQZRect{20, 10, 580, kBarHeight - 10}, outer_, 1);
    inner_->forwardCommands = true;
    const char* names[3] = {"Test 1", "Test 2", "Test 3"};
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t x = 15 + i * (kButtonWidth + 20);
        NewWindow<TUIButton>(names[i], TQZRect{x, 8, x + kButtonWidth, 8 + kButtonHeight}, inner_, 10 + i);
    }
    Arrange();
    ShowSelector("Video.Table", "Tables\\");
}

TQZRect TTestingGUI::SelectorRect() const
{
    return {20, 20, std::max(60, GetWidth() - 20), std::max(60, GetHeight() - kBarHeight - 40)};
}

bool TTestingGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t w = GetWidth(), h = GetHeight();
    outer_->SetRect({(w - 600) / 2, h - kBarHeight - 20, (w + 600) / 2, h - 20});
    if (selector_) selector_->SetRect(SelectorRect());
    return false;
}

void TTestingGUI::ShowSelector(const char* key, const char* folder)
{
    TUIImageSelector* old = selector_;
    selector_ = nullptr;
    if (old) TGUIWindow::Free(old);
    selector_ = NewWindow<TUIImageSelector>(SelectorRect(), key, folder, this);
}

void TStateTesting::CreateGUI()
{
    MakeWindow<TTestingGUI>();
}

void TStateTesting::HandleEvent(int32_t command)
{
    auto* w = dynamic_cast<TTestingGUI*>(Window());
    switch (command) {
        case 1:
        case GUICMD_BACK:
            if (StateEngine) StateEngine->PopState();
            break;
        case 10:
            if (w) w->ShowSelector("Video.Cardback", "Cardbacks\\");
            break;
        case 11:
            if (w) w->ShowSelector("Video.Table", "Tables\\");
            break;
        case 12:
            if (w) w->ShowSelector("Video.Cardface", "Cardsets\\");
            break;
        default: break;
    }
}
