// The notice pop-up: a marked-up notice that rises at the bottom right and
// fades out after its time, optionally asking a question with "Accept" and
// "Ignore". A notice of lower priority than the one showing waits its turn.
#pragma once

#include "UIFrame.h"
#include "qz7core.h"

#include <string>
#include <vector>

class TUIButton;
class TUIRichContent;

constexpr int32_t UITOAST_ACCEPT = 1;
constexpr int32_t UITOAST_IGNORE = 2;
// Sound of a new notice.
constexpr int32_t UITOAST_SOUND = 7;
constexpr int32_t UITOAST_DEFAULT_DURATION = 5000;

// Told the notice's tag and the answer (1 accept).
using TToastAnswer = TQZMethod<void(const std::string&, int32_t)>;

struct TToastContent {
    std::string text;      // with markup
    int32_t kind = 0;      // the priority
    int32_t duration = 0;  // ms
    bool isQuestion = false;
    TToastAnswer onAnswer;
    std::string tag;       // handed to onAnswer
};

class TUIToast : public TUIFrame {
public:
    explicit TUIToast(TGUIWindow* parent);

    void AfterCreate() override;
    void Update() override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    bool Arrange() override;

    void ShowNotice(const std::string& text, int32_t kind, bool question, int32_t duration);
    void ShowContent(const TToastContent& notice);
    void ShowText(const std::string& text);
    void ShowPlayerJoined(const std::string& name);
    void ShowPlayerLeft(const std::string& name);

    const TToastContent& Current() const { return current_; }
    const std::vector<TToastContent>& Queue() const { return queue_; }
    TUIRichContent* View() const { return view_; }
    TUIButton* AcceptButton() const { return acceptButton_; }
    TUIButton* IgnoreButton() const { return ignoreButton_; }

private:
    TUIRichContent* view_ = nullptr;
    TUIButton* acceptButton_ = nullptr;
    TUIButton* ignoreButton_ = nullptr;
    TToastContent current_;
    std::vector<TToastContent> queue_;
    bool answered_ = false;
};
