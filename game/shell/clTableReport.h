// A developer's view of the table for scripts that play the real program
// (VANTOREL_TABLE_REPORT=<file>): the screen, the hand's state and where the
// widgets the player uses stand on the window, rewritten whenever it changes.
// Lines: "state <id>", "depth <screens on the stack>", "status <n>", "local <seat>", "toplay <seat>" (0 while nobody
// can play: also while a complete trick waits to be gathered),
// "bidder <seat>", "declarer <seat>", "trick <n>", "score <team 1> <team 2>",
// "hand <cards as text>", "moving <1 while a card is on its way, else 0>",
// "prompt <the prompt line>", "selected <suit> <count>" (the bid the bidding
// panel has put together), "button <command> <x> <y>" (centre of an enabled,
// visible button of the screen on top), "tile <command> <x> <y> <highlight>
// <1 once its picture is loaded>" (an image tile of the screen), "card <position> <x> <y> <mark>" (a
// card of the local hand), "bid <value> <x> <y> <enabled>" (a button of the
// bidding panel), "box <what> <left> <top> <right> <bottom>" (where the top
// seat's name label ("topname") and each card of its hand ("topcard") and
// the bidding panel once faded in ("panel") stand on the window); over the
// screens: "tutorial <page id> <page> <1 once faded in>" with the tutorial window's buttons,
// "console 1 <1 once its entry takes keys>" while the admin console is open, "chat <typing 1/0> <lines>"
// while the chat window shows.
#pragma once

#include <string>

class TGUIWindow;

class TTableReport {
public:
    TTableReport();
    bool Active() const { return !file_.empty(); }
    void FrameDone();
    // The report as it stands (also without the switch).
    static std::string Text();

private:
    std::string file_;
    std::string last_;
};
