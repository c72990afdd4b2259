// The dialog of the scene toolkit: a framed window with a title bar, a
// "Content" area, OK and (optionally) Cancel buttons, an optional prompt,
// dragging inside its parent, and a modal state that disables its siblings.
#pragma once

#include "qz7guibutton.h"

enum TDlgButtons : int32_t { dlgOK = 0, dlgOKCancel = 1 };

const std::vector<std::string>& DlgButtonsNames();

class TQZGUIDialog : public TQZGUIWindow {
public:
    ~TQZGUIDialog() override;
    const char* ClassName() const override { return "TQZGUIDialog"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void PlaceChild(TQZGUIWindow* child, const TQZGUILayout& layout, TQZRect& out) override;
    void DragMove(TQZPoint delta) override;
    void MouseMove(TQZPoint point) override;
    void SetHover(bool flag) override;
    void Paint(const TQZRect& rect) override;

    int32_t CancelID() const { return cancelID_; }
    void SetCancelID(int32_t id) { cancelID_ = id; }
    TDlgButtons DlgButtons() const { return buttons_; }
    void SetDlgButtons(TDlgButtons b);
    std::string Prompt() const { return prompt_; }
    void SetPrompt(const std::string& prompt);

    void ShowModal();
    void EndModal();
    bool Modal() const { return modal_; }
    // The ID of the button that ended the dialog last (1 OK, 2 Cancel; 0 none).
    int32_t Result() const { return result_; }
    TQZGUIButton* OKButton() const { return ok_; }
    TQZGUIButton* CancelButton() const { return cancel_; }

private:
    void ButtonClicked(TQZGUIWindow* sender);

    int32_t cancelID_ = -1;
    TDlgButtons buttons_ = dlgOK;
    std::string prompt_;
    TQZGUIButton* ok_ = nullptr;
    TQZGUIButton* cancel_ = nullptr;
    bool modal_ = false;
    int32_t result_ = 0;
    std::vector<std::pair<TQZGUIWindow*, bool>> disabled_;
};
