// Buttons of the scene toolkit: the push button (a click sends its ID up;
// Enter on the focused button presses it for 120 ms) and the checkbox,
// whose click toggles its value first.
#pragma once

#include "qz7gui.h"

class TQZGUIButton : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIButton"; }
    const TQZGUIPropertyList& Properties() const override;
    static const TQZGUIPropertyList& ButtonProperties();

    void InitDefaults() override;
    bool HandleKey(uint32_t key) override;
    void Update() override;
    void Paint(const TQZRect& rect) override;

    // Carried for the application, which runs a clicked button's script.
    std::string Script() const { return script_; }
    void SetScript(const std::string& s) { script_ = s; }
    // The selected mark: the current tab of a panel set.
    bool Selected() const { return selected_; }
    void SetSelected(bool flag);

    static constexpr uint32_t KEY_PRESS_MS = 120;

protected:
    // The plain button look in a rectangle.
    void PaintPlain(const TQZRect& rect);

private:
    std::string script_;
    bool selected_ = false;
    bool keyPressed_ = false;
    uint32_t keyPressTick_ = 0;
};

class TQZGUICheckbox : public TQZGUIButton {
public:
    const char* ClassName() const override { return "TQZGUICheckbox"; }
    const TQZGUIPropertyList& Properties() const override;

    void Click() override;
    void InitDefaults() override;
    void Paint(const TQZRect& rect) override;

    bool Value() const { return value_; }
    void SetValue(bool v);

private:
    bool value_ = false;
};
