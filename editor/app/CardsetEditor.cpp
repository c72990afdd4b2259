#include "CardsetEditor.h"

#include "UICarddeckview.h"
#include "clCardGraphics.h"
#include "clCardImage.h"
#include "coreGameDiagnostics.h"
#include "coreManager.h"
#include "ioCardset.h"
#include "mgrLoaders.h"
#include "qz7files.h"
#include "qz7guibutton.h"
#include "qz7guidialog.h"
#include "qz7guiimage.h"
#include "qz7guiscrollbar.h"
#include "qz7guihost.h"
#include "qz7text.h"
#include "qz7texture.h"
#include "qz7window.h"
#include "osDesktop.h"
#include "osWindow.h"

#include <cmath>
#include <cstdio>

const char* const kEditorScene = "Assets/Editor/Scenes/CardSetEditor.json";
const char* const kNewCardsetScene = "Assets/Editor/Scenes/NewCardsetDlg.json";
const char* const kCameoScene = "Assets/Editor/Scenes/CameoDlg.json";
const char* const kResizeScene = "Assets/Editor/Scenes/ResizeCardsetDlg.json";
const char* const kOverlayCardset = "Assets/Editor/Overlays_192x256.cards";
const char* const kWhiteCard = "Assets/Editor/Overlay_White.png";
const char* const kCameoPreview = "Assets/Editor/Preview256.png";
const char* const kFirstCardset = "Cardsets/Basic.cards";

namespace {

constexpr int32_t kDialogOK = 1;

int32_t RoundEven(double v) { return int32_t(std::nearbyint(v)); }

TQZGUIDialog* FindDialog(TQZGUIWindow* built)
{
    if (auto* d = dynamic_cast<TQZGUIDialog*>(built)) return d;
    for (int32_t i = 0; built && i < built->ChildCount(); ++i) {
        if (TQZGUIDialog* d = FindDialog(built->GetChild(i))) return d;
    }
    return nullptr;
}

}  // namespace

TQZGUIWindow* FindByTitleDeep(TQZGUIWindow* root, const std::string& title)
{
    if (!root) return nullptr;
    for (int32_t i = 0; i < root->ChildCount(); ++i) {
        TQZGUIWindow* c = root->GetChild(i);
        if (SameText(c->Title(), title)) return c;
        if (TQZGUIWindow* found = FindByTitleDeep(c, title)) return found;
    }
    return nullptr;
}

TSizeVerdict SizeVerdict(int32_t width, int32_t height)
{
    if (width < 1 || height < 1) return {"n/a", 0xFFD08080, false};
    if (width > CARDIMAGE_MAX_SIDE || height > CARDIMAGE_MAX_SIDE) return {"too large", 0xFFD08080, false};
    const double ratio = double(height) / double(width);
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ratio);
    return {text, ratio < 1.1 || ratio > 1.5 ? 0xFFD0D080u : 0xFF80D080u, true};
}

bool SaveCardset(TCardGraphics& cardset, const std::string& fileName, bool deckOnly)
{
    if (!Loaders) return false;
    bool haveWriter = false;
    for (int32_t i = 0; i < Loaders->Count() && !haveWriter; ++i)
        haveWriter = dynamic_cast<TLoaderCardset*>(Loaders->LoaderAt(i)) != nullptr;
    if (!haveWriter) return false;
    std::unique_ptr<TQZMemory> bytes = WriteCardsetFile(cardset, deckOnly);
    if (!bytes) return false;
    return WriteFileAtomic(fileName, bytes->Data(), bytes->Size()) == QZRES_OK;
}

// ---------------------------------------------------------------- editor

TEditorApp::TEditorApp() : TQZApplication(QZ_EDITOR_IDENTITY, "Cardset Editor")
{
    onLog = [](const std::string& text) { WriteLog(text); };
    onWarning = [](const std::string& text) { ShowWarning(text); };
    fileDialog = [this](const std::string& title, bool save) {
        return ShowFileDialog(OutputWindow(), title, "", save);
    };
}

TEditorApp::~TEditorApp()
{
    plat::os::SetDisplayLostHandler(nullptr);
    // The view shows the cardset: it goes with the host, before the cardset.
    Shutdown();
    view_ = nullptr;
}

void TEditorApp::Warn(const std::string& text)
{
    WriteLog(text);
    if (auto handler = onWarning) handler(text);
}

void TEditorApp::Init()
{
    ClearManagerRegistrations(kEditorDroppedManagers);
    CreateManagers();
    // Without a window system the editor would run on unseen: it ends, saying
    // why (the log exists once the managers have made the per-user folder).
    if (const std::string cause = plat::os::WindowSystemFailure(); !cause.empty()) {
        const std::string text = "The Cardset Editor cannot open its window: " + cause +
                                 ". Start it on a desktop, or set VANTOREL_HEADLESS=1 to run it without a window.";
        WriteLog("Fatal error: " + text);
        plat::os::ShowMessageBox({"Cardset Editor - Fatal Error", text, plat::os::BoxIcon::Error, plat::os::BoxButtons::Ok});
        ExitCode = kFatalExitCode;
        Terminated = true;
        return;
    }
    // The cardset cannot be saved without asking where: the loss is logged.
    plat::os::SetDisplayLostHandler([] { WriteLog("The connection to the display was lost: the editor ends"); });
    if (TQZVideo* video = Video()) {
        video->drawProc = nullptr;
        video->drawMethod = {};
    }
    if (!LoadScene(kEditorScene)) {
        Warn(std::string("The editor's screen could not be loaded from ") + kEditorScene);
        (void)LoadScene("");  // the empty scene: nothing to read, cannot fail
    }
    struct DialogFile {
        const char* file;
        TQZGUIDialog** slot;
    };
    for (const DialogFile& d : {DialogFile{kNewCardsetScene, &newDlg_}, DialogFile{kCameoScene, &cameoDlg_},
                                DialogFile{kResizeScene, &resizeDlg_}}) {
        const std::string text = ReadTextFile(d.file);
        TQZGUIWindow* built = text.empty() ? nullptr : BuildScene(text);
        *d.slot = FindDialog(built);
        if (!*d.slot) {
            WriteLog(std::string("The dialog scene ") + d.file + " could not be built");
            continue;
        }
        (*d.slot)->ApplyKeyValueText("visible=false,enabled=false");
    }
    cameoDistance_ = {10, 10};
    cameoBorder_ = true;
    // The zoom bar has no command of its own: its moves are command 10
    // unless the editor itself is setting it.
    if (auto* scroll = dynamic_cast<TQZGUIScrollBar*>(FindWidget("ViewSizeScroll"))) {
        scroll->onValueChange = [this](TQZGUIWindow*) {
            if (Host() && !Host()->HasState(QZSTATE_MUTED)) OnCommand(EDCMD_ZOOM_SCROLL);
        };
    }
    TQZGUIWindow* container = FindWidget("CardContainer");
    if (!container) container = Host();
    view_ = TQZGUIWindow::CreateChild<TUICardDeckView>(container, {1, 1, 99, 99}, {}, 0, true);
    view_->SetCardSize({71, 96});
    view_->onCardDropped = [this](int32_t slot, const std::string& file) { OnCardFileDropped(slot, file); };
    view_->AttachDropTarget(OutputWindow());
    onCommand = [this](int32_t id) { OnCommand(id); };
    if (Loaders) overlay_ = Loaders->LoadCardset(kOverlayCardset);
    if (!overlay_) WriteLog(std::string("The overlay cardset ") + kOverlayCardset + " could not be loaded");
    try {
        white_ = TQZTexture::CreateFromFile(kWhiteCard, 0, false);
    } catch (const EQZTextureError& e) {
        WriteLog(std::string("The white card could not be loaded: ") + e.what());
    }
    // A first cardset that will not open leaves the editor empty; OpenCardset has told why.
    (void)OpenCardset(kFirstCardset);
    if (Host()) Host()->LayoutPass();
}

TQZGUIWindow* TEditorApp::FindWidget(const std::string& title) const { return FindByTitleDeep(Host(), title); }

bool TEditorApp::Checked(const std::string& title) const
{
    auto* box = dynamic_cast<TQZGUICheckbox*>(FindWidget(title));
    return box && box->Value();
}

std::string TEditorApp::FieldText(const std::string& title, TQZGUIWindow* within) const
{
    TQZGUIWindow* w = FindByTitleDeep(within ? within : Host(), title);
    return w ? w->Text() : std::string();
}

void TEditorApp::SetFieldText(const std::string& title, const std::string& text, TQZGUIWindow* within)
{
    if (TQZGUIWindow* w = FindByTitleDeep(within ? within : Host(), title)) w->SetText(text);
}

void TEditorApp::RemoveStaleSaves(const std::string& fileName)
{
    const int32_t removed = RemoveStaleTemporariesOf(fileName);
    if (removed > 0) WriteLog("Removed " + std::to_string(removed) + " unfinished saves of " + fileName);
}

bool TEditorApp::OpenCardset(const std::string& fileName)
{
    RemoveStaleSaves(fileName);
    std::unique_ptr<TCardGraphics> loaded = Loaders ? Loaders->LoadCardset(fileName) : nullptr;
    if (!loaded) {
        // The cardset on screen stays as it was.
        Warn("The cardset " + fileName + " could not be loaded");
        return false;
    }
    if (view_) view_->SetCardset(loaded.get());
    cardset_ = std::move(loaded);
    FillFields();
    SetViewSize({cardset_->Width(), cardset_->Height()});
    return true;
}

void TEditorApp::FillSizeFields()
{
    if (!cardset_) return;
    // Filling the edits must not run their change commands.
    TQZGUIWindow* host = Host();
    if (host) host->SetState(QZSTATE_MUTED, true);
    SetFieldText("EditCardSizeX", std::to_string(cardset_->Width()));
    SetFieldText("EditCardSizeY", std::to_string(cardset_->Height()));
    if (host) host->SetState(QZSTATE_MUTED, false);
}

void TEditorApp::FillFields()
{
    if (!cardset_) return;
    FillSizeFields();
    TQZGUIWindow* host = Host();
    if (host) host->SetState(QZSTATE_MUTED, true);
    SetFieldText("editCardTitle", cardset_->Title);
    SetFieldText("editCardAuthor", cardset_->Author);
    SetFieldText("editCardComments", cardset_->Comments);
    if (auto* box = dynamic_cast<TQZGUICheckbox*>(FindWidget("AlignLeftCheckBox"))) box->SetValue(cardset_->AlignLeft);
    if (host) host->SetState(QZSTATE_MUTED, false);
}

void TEditorApp::SetViewSize(TQZPoint size)
{
    if (!CardSizeAcceptable(size)) return;
    viewSize_ = size;
    if (auto* scroll = dynamic_cast<TQZGUIScrollBar*>(FindWidget("ViewSizeScroll"))) {
        scroll->SetText(std::to_string(size.x) + "x" + std::to_string(size.y));
        TQZGUIWindow* host = Host();
        if (host) host->SetState(QZSTATE_MUTED, true);
        scroll->SetValue(size.x);
        if (host) host->SetState(QZSTATE_MUTED, false);
    }
    if (view_) view_->SetCardSize(size);
}

void TEditorApp::ZoomBy(int32_t factor)
{
    const float aspect = cardset_->Aspect();
    SetViewSize({71 * factor, factor * RoundEven(double(aspect) * 71.0)});
}

void TEditorApp::ApplyCardSizeFields()
{
    const TQZPoint size{TextToIntDef(FieldText("EditCardSizeX"), 0), TextToIntDef(FieldText("EditCardSizeY"), 0)};
    if (!CardSizeAcceptable(size)) {
        WriteLog("Card size " + std::to_string(size.x) + "x" + std::to_string(size.y) + " refused");
        return;
    }
    cardset_->SetCardSize(size.x, size.y);
    if (Host()) Host()->Invalidate(true);
}

void TEditorApp::OnCommand(int32_t id)
{
    if (id < EDCMD_CARDSIZE_X || id > EDCMD_OVERLAY_CARD) return;
    // Every command works on the open cardset; a dialog already running
    // takes no second one.
    if (!cardset_ || inDialog_) return;
    switch (id) {
    case EDCMD_CARDSIZE_X:
    case EDCMD_CARDSIZE_Y: ApplyCardSizeFields(); break;
    case EDCMD_ZOOM_1: ZoomBy(1); break;
    case EDCMD_ZOOM_2: ZoomBy(2); break;
    case EDCMD_ZOOM_3: ZoomBy(3); break;
    case EDCMD_ZOOM_SCROLL: {
        auto* scroll = dynamic_cast<TQZGUIScrollBar*>(FindWidget("ViewSizeScroll"));
        if (!scroll) break;
        const int32_t w = scroll->Value();
        SetViewSize({w, RoundEven(double(w) * double(cardset_->Aspect()))});
        break;
    }
    case EDCMD_NEW: NewCardsetDialog(); break;
    case EDCMD_OPEN: {
        const std::string name = fileDialog ? fileDialog("Select Cardset to load", false) : std::string();
        if (!name.empty()) (void)OpenCardset(name);  // a file that will not open is warned about there
        break;
    }
    case EDCMD_SAVE: SaveAs(); break;
    case EDCMD_CAMEO: CameoDialogRun(); break;
    case EDCMD_RESIZE: ResizeDialogRun(); break;
    case EDCMD_EXPORT_CARD: ExportCard(); break;
    case EDCMD_OVERLAY_CARD: OverlayCard(); break;
    default: break;
    }
}

void TEditorApp::SaveAs()
{
    cardset_->Title = FieldText("editCardTitle");
    cardset_->Author = FieldText("editCardAuthor");
    cardset_->Comments = FieldText("editCardComments");
    if (auto* box = dynamic_cast<TQZGUICheckbox*>(FindWidget("AlignLeftCheckBox"))) cardset_->AlignLeft = box->Value();
    const std::string name = fileDialog ? fileDialog("Save Cardset as", true) : std::string();
    if (name.empty()) return;
    RemoveStaleSaves(name);
    if (SaveCardset(*cardset_, name, false))
        WriteLog("Cardset saved to " + name);
    else
        Warn("The cardset could not be saved to " + name);
}

void TEditorApp::ExportCard()
{
    const int32_t slot = view_ ? view_->Selected() : -1;
    TQZTexture* image = cardset_->GetImage(slot);
    if (!image) {
        WriteLog("Card " + std::to_string(slot) + " has no picture to export");
        return;
    }
    const std::string name = fileDialog ? fileDialog("Save image as", true) : std::string();
    if (name.empty()) return;
    if (int32_t result = image->SaveToFile(name); result != QZRES_OK)
        Warn("The card picture could not be saved to " + name + " (" + ResultText(result) + ")");
}

std::unique_ptr<TQZTexture> TEditorApp::OverlaidWhiteCard(int32_t slot, TQZPoint cardSize) const
{
    TQZTexture* art = overlay_ ? overlay_->GetImage(slot) : nullptr;
    if (!white_ || !art) return nullptr;
    std::unique_ptr<TQZTexture> fitted = FitKeyedToCard(art, cardSize);
    std::unique_ptr<TQZTexture> card = FitToCard(white_.get(), cardSize);
    if (!fitted || !card) return nullptr;
    ApplyKeyColour(card.get(), fitted.get());
    DrawOverlay(fitted.get(), card.get());
    return card;
}

void TEditorApp::OverlayCard()
{
    const int32_t slot = view_ ? view_->Selected() : -1;
    if (slot < 0 || slot >= CARDGFX_SLOTS) return;
    std::unique_ptr<TQZTexture> card = OverlaidWhiteCard(slot, {cardset_->Width(), cardset_->Height()});
    if (!card) {
        WriteLog("No overlay artwork for card " + std::to_string(slot) + ": nothing changed");
        return;
    }
    cardset_->SetImage(slot, std::move(card));
    if (view_) view_->Invalidate(true);
}

void TEditorApp::OnCardFileDropped(int32_t slot, const std::string& fileName)
{
    if (!cardset_ || slot < 0 || slot >= CARDGFX_SLOTS) return;
    const TQZPoint cardSize{cardset_->Width(), cardset_->Height()};
    TQZTexture* existing = cardset_->GetImage(slot);
    std::unique_ptr<TQZTexture> result;
    if (existing && Checked("CameoCheckBox")) {
        std::unique_ptr<TQZTexture> picture;
        try {
            picture = TQZTexture::CreateFromFile(fileName, 0, false);
        } catch (const EQZTextureError& e) {
            WriteLog("Dropped file " + fileName + " could not be read: " + e.what());
        }
        if (picture) {
            result = NewCardTexture(existing->GetWidth(), 0x00000000);
            if (result)
                ComposeCameo(cameoDistance_, cardSize, existing, cameoKeepAspect_, cameoBorder_, result.get(),
                             picture.get());
        }
    } else {
        result = LoadCardPicture(fileName, cardSize, nullptr);
    }
    if (!result) {
        WriteLog("Dropped file " + fileName + " is not a picture: card " + std::to_string(slot) + " unchanged");
        return;
    }
    if (existing && Checked("OverlayCheckBox")) DrawOverlay(existing, result.get());
    cardset_->SetImage(slot, std::move(result));
    if (view_) view_->Invalidate(true);
}

// ---------------------------------------------------------------- dialogs

bool TEditorApp::RunDialog(TQZGUIDialog* dialog, const std::function<void()>& everyFrame)
{
    if (!dialog) return false;
    inDialog_ = true;
    dialog->ApplyKeyValueText("visible=true,enabled=true");
    dialog->ShowModal();
    dialog->SetAlwaysOnTop(true);
    while (dialog->Result() == 0 && !Terminated) {
        if (everyFrame) everyFrame();
        if (auto hook = onDialogFrame) hook(dialog);
        if (dialog->Result() != 0) break;
        Step();
        WaitForQueuedWork(15);  // paced as the main loop is: a dialog open must not spin
    }
    // A window closed while the dialog was up ends it as Cancel.
    const bool ok = !Terminated && dialog->Result() == kDialogOK;
    dialog->EndModal();
    dialog->ApplyKeyValueText("visible=false,enabled=false");
    inDialog_ = false;
    return ok;
}

bool TEditorApp::CheckSizeFields(TQZGUIDialog* dialog, TQZPoint& size) const
{
    size = {TextToIntDef(FieldText("editWidth", dialog), 0), TextToIntDef(FieldText("editHeight", dialog), 0)};
    const TSizeVerdict v = SizeVerdict(size.x, size.y);
    if (TQZGUIWindow* label = FindByTitleDeep(dialog, "editAspectRatio")) {
        label->SetText(v.text);
        label->SetColor(v.colour);
    }
    if (dialog->OKButton()) dialog->OKButton()->SetEnabled(v.ok);
    return v.ok;
}

void TEditorApp::NewCardsetDialog()
{
    TQZGUIDialog* d = newDlg_;
    if (!d) return;
    SetFieldText("editWidth", std::to_string(cardset_->Width()), d);
    SetFieldText("editHeight", std::to_string(cardset_->Height()), d);
    TQZPoint size;
    // Every frame the check only shows what is wrong; OK is checked after.
    if (!RunDialog(d, [&] { (void)CheckSizeFields(d, size); }) || !CheckSizeFields(d, size)) return;
    auto fresh = std::make_unique<TCardGraphics>();
    fresh->SetCardSize(size.x, size.y);
    auto* overlayBox = dynamic_cast<TQZGUICheckbox*>(FindByTitleDeep(d, "checkboxOverlay"));
    if (overlayBox && overlayBox->Value()) {
        for (int32_t slot = 0; slot < CARDGFX_SLOTS; ++slot) fresh->SetImage(slot, OverlaidWhiteCard(slot, size));
    }
    if (view_) view_->SetCardset(fresh.get());
    cardset_ = std::move(fresh);
    // The texts typed so far stay: they are what the new cardset is saved with.
    FillSizeFields();
    SetViewSize(size);
}

void TEditorApp::ResizeDialogRun()
{
    TQZGUIDialog* d = resizeDlg_;
    if (!d) return;
    SetFieldText("editWidth", std::to_string(cardset_->Width()), d);
    SetFieldText("editHeight", std::to_string(cardset_->Height()), d);
    TQZPoint size;
    // Every frame the check only shows what is wrong; OK is checked after.
    if (!RunDialog(d, [&] { (void)CheckSizeFields(d, size); }) || !CheckSizeFields(d, size)) return;
    const TQZPoint old{cardset_->Width(), cardset_->Height()};
    for (int32_t slot = 0; slot < CARDGFX_SLOTS; ++slot) {
        if (TQZTexture* image = cardset_->GetImage(slot)) cardset_->SetImage(slot, ResizeImage(image, old, size, true));
    }
    cardset_->SetCardSize(size.x, size.y);
    // Only the size changed: texts typed and not yet saved stay as they are.
    FillSizeFields();
    SetViewSize(size);
}

void TEditorApp::CameoDialogRun()
{
    TQZGUIDialog* d = cameoDlg_;
    if (!d) return;
    const TQZPoint cardSize{cardset_->Width(), cardset_->Height()};
    std::unique_ptr<TQZTexture> preview = TQZTexture::CreateOfSize(cardSize.x, cardSize.y);
    if (!preview) return;
    std::unique_ptr<TQZTexture> sample;
    try {
        sample = TQZTexture::CreateFromFile(kCameoPreview, 0, false);
    } catch (const EQZTextureError& e) {
        WriteLog(std::string("The cameo sample could not be loaded: ") + e.what());
    }
    TQZTexture* shown = preview.get();
    auto* image = dynamic_cast<TQZGUIImage*>(FindByTitleDeep(d, "PreviewImage"));
    if (image) image->SetTexture(std::move(preview));
    SetFieldText("DistanceX", std::to_string(cameoDistance_.x), d);
    SetFieldText("DistanceY", std::to_string(cameoDistance_.y), d);
    auto* border = dynamic_cast<TQZGUICheckbox*>(FindByTitleDeep(d, "BorderCheckBox"));
    auto* aspect = dynamic_cast<TQZGUICheckbox*>(FindByTitleDeep(d, "AspectCheckBox"));
    if (border) border->SetValue(cameoBorder_);
    if (aspect) aspect->SetValue(cameoKeepAspect_);
    auto distance = [&] {
        return TQZPoint{ClampInt(0, TextToIntDef(FieldText("DistanceX", d), 0), cardSize.x / 2),
                        ClampInt(0, TextToIntDef(FieldText("DistanceY", d), 0), cardSize.y / 2)};
    };
    const int32_t slot = view_ ? view_->Selected() : 0;
    const bool ok = RunDialog(d, [&] {
        if (!image) return;
        ComposeCameo(distance(), cardSize, cardset_->GetImage(slot), aspect && aspect->Value(),
                     border && border->Value(), shown, sample.get());
        image->Invalidate(true);
    });
    if (ok) {
        if (auto* box = dynamic_cast<TQZGUICheckbox*>(FindWidget("CameoCheckBox"))) box->SetValue(true);
        cameoDistance_ = distance();
        cameoBorder_ = border && border->Value();
        cameoKeepAspect_ = aspect && aspect->Value();
    }
    if (image) image->SetTexture(nullptr);
}
