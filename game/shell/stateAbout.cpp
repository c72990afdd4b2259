#include "stateAbout.h"

#include "UIButton.h"
#include "UILabel.h"
#include "UITheme.h"
#include "UITitle.h"
#include "mgrGameflow.h"
#include "mgrServices.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "qz7texture.h"
#include "stateMenu.h"

#include <algorithm>
#include <string>

namespace {
constexpr int32_t kBlockWidth = 900, kBlockHeight = 600;
constexpr int32_t kLogoTexture = 6;

struct TCredit {
    const char* heading;
    const char* lines;
};
// Three columns of two headings each.
constexpr TCredit kCredits[6] = {
    {"Game Design & Coding", "The Vantorel Qar team"},
    {"Application Framework", "QZ7\nDirect3D engine, UI, logic"},
    {"Opponent AI", "The Vantorel Qar team\nConservative, moderate and\naggressive play styles"},
    {"Graphics & Audio", "Drawn and synthesised by\nthe asset generator\nDejaVu fonts"},
    {"Additional Cardset Graphics", "Cardsets made with the\ncardset editor"},
    {"Music", "Synthesised by the\nasset generator"},
};
}  // namespace

TAboutGUI::TAboutGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    NewWindow<TUITitle>(this, false);
    block_ = NewWindow<TGUIWindow>(TQZRect{0, 0, kBlockWidth, kBlockHeight}, this, 0);
    // The buttons' commands pass through the block to the screen.
    block_->forwardCommands = true;
    TUILabel* version = MakeUILabel("Version 1.90", TQZRect{0, 250, kBlockWidth, 280}, block_, 0xFFAAAAAA, UIFONT_BUTTON);
    version->centreHorizontal = true;
    TUILabel* date = MakeUILabel("2024/05/21", TQZRect{0, 280, kBlockWidth, 305}, block_, 0xFFAAAAAA, UIFONT_SMALL);
    date->centreHorizontal = true;
    for (int32_t i = 0; i < 6; ++i) {
        const int32_t x = 20 + (i / 2) * 290, y = 320 + (i % 2) * 110;
        MakeUILabel(kCredits[i].heading, TQZRect{x, y, x + 280, y + 26}, block_, 0xFFFFFF00, UIFONT_BUTTON);
        // One label a line: labels draw a single line.
        const std::string text = kCredits[i].lines;
        int32_t line = 0;
        for (size_t from = 0; from <= text.size(); ++line) {
            const size_t end = std::min(text.find('\n', from), text.size());
            const int32_t top = y + 28 + line * 20;
            MakeUILabel(text.substr(from, end - from), TQZRect{x, top, x + 280, top + 20}, block_, 0xFFFFFFFF,
                        UIFONT_SMALL);
            from = end + 1;
        }
    }
    TUIButton* cont = NewWindow<TUIButton>("Continue", TQZRect{230, 545, 440, 595}, block_, 1);
    TUIButton* blog = NewWindow<TUIButton>("Visit Game Blog", TQZRect{460, 545, 670, 595}, block_, 2);
    blog->SetEnabled(WebSettingConfigured("Internet.BlogURL"));
    Arrange();
    ChangeFocus(cont);
}

bool TAboutGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t w = GetWidth(), h = GetHeight();
    // Higher than 600 pixels: the block moves down by a third of the excess.
    const int32_t top = h > kBlockHeight ? (h - kBlockHeight) / 3 : 0;
    const int32_t left = (w - kBlockWidth) / 2;
    block_->SetRect({left, top, left + kBlockWidth, top + kBlockHeight});
    return false;
}

void TAboutGUI::Draw(const TQZRect& rect)
{
    TStateGUI::Draw(rect);
    if (TQZTexture* logo = UITexture(kLogoTexture))
        logo->Draw({rect.right - 256, rect.bottom - 64, rect.right, rect.bottom}, 0xFFFFFFFF);
}

void TStateAbout::CreateGUI()
{
    MakeWindow<TAboutGUI>();
}

void TStateAbout::HandleEvent(int32_t command)
{
    switch (command) {
        case 1:
        case GUICMD_BACK:
            if (StateEngine) StateEngine->PopState();
            break;
        case 2:
            // A refused address is logged by OpenWebSetting; a browser that does not start has no more to say.
            (void)OpenWebSetting("Internet.BlogURL");
            break;
        case 3:
            if (ServiceManager) ServiceManager->MarshalInstruction("Benchmark.Start");
            break;
        case 4:
            // A file that does not load says why itself and leaves the session as it was.
            if (Session) (void)Session->LoadGame(UserFolder() + "Savedgame.txt");
            break;
        default: break;
    }
}
