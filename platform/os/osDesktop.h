// Desktop stand-in: the per-user data folder and modal message boxes.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace plat::os {

// Environment variable that moves the per-user data folder (tests use it).
inline constexpr const char* kDataHomeVariable = "VANTOREL_DATA_HOME";

// $VANTOREL_DATA_HOME, else $XDG_DATA_HOME, else ~/.local/share, with a
// trailing '/'. Empty when none can be found.
std::string UserDataHome();

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
};

// Shows a modal box and returns the button chosen. The headless back end
// writes the caption and text to standard error and answers the default
// button (OK, or Yes).
BoxAnswer ShowMessageBox(const MessageBoxRequest& request);

// Replaces how boxes are shown (the windowed back end, or a test capturing
// what was shown); an empty function restores the headless back end.
using MessageBoxHandler = std::function<BoxAnswer(const MessageBoxRequest&)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// Opens a web address or a document with the desktop's opener: `xdg-open`
// started directly (no shell) with the address as its only argument, not
// waited for. False for an empty address, one that would read as an option
// (a leading '-'), or an opener that cannot be started. Headless (the
// VANTOREL_HEADLESS or VQ_TEST environment switch) nothing is started and
// the request is recorded instead.
[[nodiscard]] bool OpenWithDesktop(const std::string& address);
// The requests recorded while headless, oldest first; the record empties.
std::vector<std::string> TakeOpenRequests();
// Tests: another opener program (empty restores `xdg-open`), and whether
// to start it even while headless.
void SetDesktopOpener(const std::string& program, bool startWhileHeadless);
// Waits for every opener started so far to finish (tests).
void WaitForOpeners();

}  // namespace plat::os
