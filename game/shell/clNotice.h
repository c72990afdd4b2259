// A short notice for the player: the engine routes it to the notice pop-up;
// the admin log always gets it.
#pragma once

#include <functional>
#include <string>

void ShowNoticeText(const std::string& text);
// Where notices are shown; an empty function leaves only the log.
void SetNoticeSink(std::function<void(const std::string&)> sink);
