// Desktop stand-in: the per-user data folder and modal message boxes.
#pragma once
#include <functional>
#include <string>

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

}  // namespace plat::os
