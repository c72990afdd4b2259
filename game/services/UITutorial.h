// The tutorial window: a movable frame with the page's title, text and
// picture in its frame, and the buttons that page through, dismiss or switch
// the tutorials off. Its buttons become service instructions.
#pragma once

#include "UIMovableFrame.h"
#include "clTutorialPages.h"

#include <functional>
#include <memory>
#include <string>

class TQZTexture;
class TUIButton;
class TUILabel;

constexpr int32_t UITUTORIAL_GOTIT = 30000;
constexpr int32_t UITUTORIAL_HIDE = 30001;
constexpr int32_t UITUTORIAL_PREV = 30002;
constexpr int32_t UITUTORIAL_NEXT = 30003;
constexpr int32_t UITUTORIAL_WIDTH = 800;
constexpr int32_t UITUTORIAL_HEIGHT = 400;
// Room the window leaves free at the bottom of its parent when it can: the
// main menu's buttons stay within reach below it.
constexpr int32_t UITUTORIAL_BOTTOM_ROOM = 290;

class TUITutorial : public TUIMovableFrame {
public:
    using TInstruction = std::function<void(const std::string&)>;
    using TPageSource = std::function<TTutorialPage(const std::string&, int32_t)>;

    TUITutorial(TGUIWindow* parent, TPageSource pages, TInstruction instruction);
    ~TUITutorial() override;

    void AfterCreate() override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    void Draw(const TQZRect& rect) override;
    void Destroying() override;

    void ShowPage(const std::string& id, int32_t page);
    // Centred across, and above the bottom room where the parent has it.
    void PlaceInParent();

    const TTutorialPage& Page() const { return page_; }
    TUIButton* GotItButton() const { return gotIt_; }
    TUIButton* PrevButton() const { return prev_; }
    TUIButton* NextButton() const { return next_; }
    TUILabel* TitleLabel() const { return title_; }
    TUILabel* TextLabel() const { return text_; }
    bool HasImage() const { return image_ != nullptr; }

    // Told when the window is freed with its tree.
    std::function<void()> onDestroyed;

private:
    void LayOut();
    int32_t TopIn(int32_t height) const;

    TPageSource pages_;
    TInstruction instruction_;
    TTutorialPage page_;
    TUILabel* title_ = nullptr;
    TUILabel* text_ = nullptr;
    TUIButton* gotIt_ = nullptr;
    TUIButton* hide_ = nullptr;
    TUIButton* prev_ = nullptr;
    TUIButton* next_ = nullptr;
    std::unique_ptr<TQZTexture> frameImage_;
    std::unique_ptr<TQZTexture> image_;
};
