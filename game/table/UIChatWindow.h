// The chat at the bottom left, above the scoreboard. Tab opens it for typing;
// a line goes to every peer of a shared game through the multiplayer
// manager (and comes back as "CHAT_MESSAGE"), or is shown here alone when no
// shared game runs. Lines fade from view after a while and only the last ten
// old ones are kept for when the chat is opened.
#pragma once

#include "UIFrame.h"
#include "qz7core.h"

#include <cstdint>
#include <string>
#include <vector>

class TGameflow;
class TRichItem;
class TUIButton;
class TUIEditBox;
class TUILabel;
class TUIRichContent;

constexpr int32_t UICHAT_ENTER = 1;
constexpr int32_t UICHAT_SEND = 2;
constexpr uint32_t UICHAT_KEY_TOGGLE = 9;  // Tab
constexpr int32_t UICHAT_MAX_LENGTH = 100;
// A line this old shows only while the chat is open.
constexpr uint32_t UICHAT_FRESH_MS = 10000;
// Old lines kept behind the newest.
constexpr size_t UICHAT_KEEP = 10;
constexpr TQZColour UICHAT_LOCAL_NAME = 0xFFFFFF00;
constexpr TQZColour UICHAT_OTHER_NAME = 0xFF00FF00;
// The ground of the open chat: it lies over the left player's cards, which
// must not show through what is typed and read there.
constexpr TQZColour UICHAT_ACTIVE_GROUND = 0xE0000000;

struct TChatMessage {
    TRichItem* name = nullptr;  // owned by the view
    TRichItem* text = nullptr;
    TRichItem* lineBreak = nullptr;
    uint32_t time = 0;  // tick clock, ms
};

class TUIChatWindow : public TUIFrame {
public:
    explicit TUIChatWindow(TGUIWindow* parent);

    void AfterCreate() override;
    void Destroying() override;
    bool KeyPress(uint32_t key) override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    void Update() override;
    void Draw(const TQZRect& rect) override;
    bool Arrange() override;

    void AddMessage(const std::string& name, const std::string& text, int32_t seat);
    void SetActive(bool flag);

    bool Active() const { return active_; }
    const std::vector<TChatMessage>& Messages() const { return messages_; }
    TUIRichContent* View() const { return view_; }
    TUIEditBox* Entry() const { return entry_; }
    TUIButton* SendButton() const { return sendButton_; }
    TUILabel* Hint() const { return hint_; }

private:
    void Send();
    void OnChatMessage(TQZClass* payload);

    std::vector<TChatMessage> messages_;
    TUIRichContent* view_ = nullptr;
    TUILabel* hint_ = nullptr;
    TUIEditBox* entry_ = nullptr;
    TUIButton* sendButton_ = nullptr;
    bool active_ = false;
    TGameflow* subscribed_ = nullptr;  // the game flow whose chat lines this window shows
};
