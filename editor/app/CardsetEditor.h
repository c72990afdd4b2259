// The cardset editor: its screen and three dialogs from scene files, the
// cardset being edited shown in the card view, and the commands of the
// screen's buttons (zoom, new, open, save, export of one card, cameo and
// resize dialogs, overlay).
#pragma once

#include "qz7application.h"

#include <memory>
#include <string>

class TCardGraphics;
class TQZGUIDialog;
class TQZTexture;
class TUICardDeckView;

// The editor's command ids, sent by the buttons of its screen.
enum TEditorCommand : int32_t {
    EDCMD_CARDSIZE_X = 5,
    EDCMD_CARDSIZE_Y = 6,
    EDCMD_ZOOM_1 = 7,
    EDCMD_ZOOM_2 = 8,
    EDCMD_ZOOM_3 = 9,
    EDCMD_ZOOM_SCROLL = 10,
    EDCMD_NEW = 11,
    EDCMD_OPEN = 12,
    EDCMD_SAVE = 13,
    EDCMD_CAMEO = 14,
    EDCMD_RESIZE = 15,
    EDCMD_EXPORT_CARD = 16,
    EDCMD_OVERLAY_CARD = 17,
};

extern const char* const kEditorScene;
extern const char* const kNewCardsetScene;
extern const char* const kCameoScene;
extern const char* const kResizeScene;
extern const char* const kOverlayCardset;
extern const char* const kWhiteCard;
extern const char* const kCameoPreview;
extern const char* const kFirstCardset;

// The file dialogs the editor asks; tests answer them.
using TEditorFileDialog = std::function<std::string(const std::string& title, bool save)>;

class TEditorApp : public TQZApplication {
public:
    TEditorApp();
    ~TEditorApp() override;

    void Init() override;
    // Loads first and replaces the open cardset only when the load worked;
    // false (with a warning) otherwise.
    [[nodiscard]] bool OpenCardset(const std::string& fileName);
    void SetViewSize(TQZPoint size);
    void OnCommand(int32_t id);
    void OnCardFileDropped(int32_t slot, const std::string& fileName);

    TCardGraphics* Cardset() const { return cardset_.get(); }
    TUICardDeckView* DeckView() const { return view_; }
    TQZPoint ViewSize() const { return viewSize_; }
    TQZGUIWindow* FindWidget(const std::string& title) const;
    TQZGUIDialog* NewDialog() const { return newDlg_; }
    TQZGUIDialog* CameoDialog() const { return cameoDlg_; }
    TQZGUIDialog* ResizeDialog() const { return resizeDlg_; }
    TQZPoint CameoDistance() const { return cameoDistance_; }
    bool CameoBorder() const { return cameoBorder_; }
    bool CameoKeepAspect() const { return cameoKeepAspect_; }

    // Non-zero when the editor cannot run (no window system): the program's exit code.
    int32_t ExitCode = 0;

    TEditorFileDialog fileDialog;
    // Where warnings go (a message box by default; tests record them).
    std::function<void(const std::string&)> onWarning;
    // Runs once per frame while a dialog is open (tests drive dialogs here).
    std::function<void(TQZGUIDialog*)> onDialogFrame;

private:
    void Warn(const std::string& text);
    // What a save of this cardset cut short by a crash left beside it.
    void RemoveStaleSaves(const std::string& fileName);
    // Every field from the open cardset (on open); the size fields alone.
    void FillFields();
    void FillSizeFields();
    void ZoomBy(int32_t factor);
    void ApplyCardSizeFields();
    void SaveAs();
    void ExportCard();
    void OverlayCard();
    // Runs a dialog's frames until it ends; true for OK.
    bool RunDialog(TQZGUIDialog* dialog, const std::function<void()>& everyFrame);
    void NewCardsetDialog();
    void ResizeDialogRun();
    void CameoDialogRun();
    // The width/height/ratio check of the new and resize dialogs.
    [[nodiscard]] bool CheckSizeFields(TQZGUIDialog* dialog, TQZPoint& size) const;
    std::unique_ptr<TQZTexture> OverlaidWhiteCard(int32_t slot, TQZPoint cardSize) const;
    bool Checked(const std::string& title) const;
    std::string FieldText(const std::string& title, TQZGUIWindow* within = nullptr) const;
    void SetFieldText(const std::string& title, const std::string& text, TQZGUIWindow* within = nullptr);

    std::unique_ptr<TCardGraphics> cardset_;
    std::unique_ptr<TCardGraphics> overlay_;
    std::unique_ptr<TQZTexture> white_;
    TQZPoint cameoDistance_{10, 10};
    bool cameoBorder_ = true;
    bool cameoKeepAspect_ = false;
    TUICardDeckView* view_ = nullptr;
    TQZPoint viewSize_{71, 96};
    TQZGUIDialog* newDlg_ = nullptr;
    TQZGUIDialog* cameoDlg_ = nullptr;
    TQZGUIDialog* resizeDlg_ = nullptr;
    bool inDialog_ = false;
};

// Writes the cardset through the first registered .cards loader, to a
// temporary file renamed over the target; false when nothing was written.
[[nodiscard]] bool SaveCardset(TCardGraphics& cardset, const std::string& fileName, bool deckOnly);
// Every descendant of the window, depth first, whose title matches.
TQZGUIWindow* FindByTitleDeep(TQZGUIWindow* root, const std::string& title);
// The aspect text of the size dialogs and its colour; OK allowed or not.
struct TSizeVerdict {
    std::string text;
    TQZColour colour;
    bool ok;
};
TSizeVerdict SizeVerdict(int32_t width, int32_t height);
