// The triggers of the achievement engine: each a named set of integer
// variables read from the game, and the small condition language evaluated
// over them ("WIN=1&TRICKS.WON>6", parentheses, "&", "|", "=", "<", ">", "!").
#pragma once

#include "clAchievementConfig.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using TTriggerFunction = std::function<int32_t()>;

struct TTriggerTerm {
    std::string name;  // upper case
    TTriggerFunction value;
    std::unique_ptr<TTriggerTerm> next;
};

class TTrigger {
public:
    explicit TTrigger(const std::string& name);
    virtual ~TTrigger() = default;
    TTrigger(const TTrigger&) = delete;
    TTrigger& operator=(const TTrigger&) = delete;

    const std::string& Name() const { return name_; }
    // Added at the head: a later variable of the same name hides an earlier.
    void AddVariable(const std::string& name, TTriggerFunction value);
    // The value of a literal, a suit name or a variable; an unknown identifier
    // is reported and counts as 0.
    virtual int32_t Evaluate(const std::string& identifier);
    // 1 or 0. Errors are reported as warnings and give 0.
    int32_t EvaluateExpression(const std::string& expression);
    bool EvaluateCondition(const std::string& condition);
    // Where syntax errors go instead of the warning box (the asset generator
    // checks every shipped condition this way); empty restores the box.
    void SetErrorSink(std::function<void(const std::string&)> sink) { errorSink_ = std::move(sink); }

private:
    int32_t SyntaxError(const std::string& message, const std::string& text);
    int32_t Comparison(const std::string& expression);
    std::string name_;
    std::unique_ptr<TTriggerTerm> terms_;
    std::function<void(const std::string&)> errorSink_;
};

// A trigger's variables read the game session; the local partnership is the
// team of the local player's seat.
class TTriggerGame : public TTrigger {
public:
    // now: the local date-time in days (the hour is its fraction).
    explicit TTriggerGame(std::function<double()> now);
};

class TTriggerHand : public TTrigger {
public:
    TTriggerHand();
};

class TTriggerTrick : public TTrigger {
public:
    TTriggerTrick();
};

// The points the local partnership scored in the hand just played; 0 when
// it scored none.
int32_t LocalHandPoints();

// What is wrong with a set of definitions, one text per fault (empty when
// nothing is): ids repeated, a trigger the game does not fire, a condition
// that does not parse or names an unknown variable, a target below 1, an
// "@STATISTIC" achievement over a statistic that is not defined.
std::vector<std::string> CheckAchievementDefinitions(const std::vector<TAchievementDef>& achievements,
                                                     const std::vector<TStatisticDef>& statistics);
