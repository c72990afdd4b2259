// The tutorial service ("TUTORIAL"): shows tutorial pages in a movable window
// when the game reaches a situation that has one, remembers in the settings
// ("Tutorials." + ID) the highest page of each tutorial the user has seen,
// and pages through, dismisses or switches off tutorials on instruction.
#pragma once

#include "clShellLinks.h"
#include "clTutorialPages.h"
#include "microService.h"

#include <functional>
#include <string>

class TState;
class TUITutorial;

using TServiceNotice = std::function<void(const std::string&)>;

class TTutorialService : public TMicroService {
public:
    // The pages come from the file; notices go to the given sink (the admin
    // log without one).
    explicit TTutorialService(const std::string& fileName = kTutorialFile, TServiceNotice notice = {});
    ~TTutorialService() override;

    void Execute(const std::string& instruction) override;
    void Tick() override;
    void Shutdown() override;

    TTutorialPage GetPage(const std::string& id, int32_t page);
    bool PageExists(const std::string& id, int32_t page);
    bool IsPageViewed(const std::string& id, int32_t page);
    void SetPageViewed(int32_t page, const std::string& id);

    TUITutorial* Window() const { return window_; }
    bool WindowShown() const;
    const TTutorialPages& Pages() const { return pages_; }
    bool Listening() const { return listening_; }

private:
    // The rules' tutorial triggers reach the service through the game flow's
    // event, or straight when there is no flow.
    class TLink : public TTutorialLink {
    public:
        explicit TLink(TTutorialService* owner) : owner_(owner) {}
        void Trigger(const std::string& name, int32_t page) override;

    private:
        TTutorialService* owner_;
    };

    void OnTutorialEvent(const std::string& text);
    void ShowWindow(bool show);
    void ShowPage(const std::string& id, int32_t page);
    void Notice(const std::string& text) const;
    void StopListening();
    // A page belongs to the screen it opened on: hidden while another screen
    // is on top, shown again when its screen is back, dropped (not seen)
    // when its screen is gone.
    void FollowOwner();

    TTutorialPages pages_;
    TServiceNotice notice_;
    TUITutorial* window_ = nullptr;  // a child of the root window
    const TState* owner_ = nullptr;  // the screen the page opened on; compared, never used
    bool suspended_ = false;          // hidden while its screen is covered
    bool listening_ = false;
    TLink link_{this};
};
