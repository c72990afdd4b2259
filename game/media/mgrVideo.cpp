#include "mgrVideo.h"

#include "clCardGraphics.h"
#include "clVideoDraw.h"
#include "coreGameDiagnostics.h"
#include "imImage.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "osClock.h"
#include "qz7kvdata.h"
#include "qz7memory.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "qz7videowindow.h"

#include <algorithm>
#include <cmath>

namespace os = plat::os;

TVideo* Video = nullptr;
const char* const kDisplayModeNames[3] = {"Windowed", "Fullscreen Window", "Fullscreen"};

namespace {
constexpr int32_t kWindowedWidth = 1024;
constexpr int32_t kWindowedHeight = 768;

uint32_t WindowFlagsOf(int32_t mode)
{
    return mode == DISPLAY_WINDOWED ? (QZWS_HIDDEN | QZWS_SIZING | QZWS_MAXBOX) : QZWS_POPUP;
}

// The clamp of the card size rules: when the bounds cross, the lower wins.
int32_t ClampLowerWins(int32_t lo, int32_t v, int32_t hi)
{
    return std::max(lo, std::min(v, hi));
}

// Pascal's rounding: halves go to the even neighbour.
int32_t RoundEven(double v)
{
    return int32_t(std::nearbyint(v));
}
}  // namespace

int32_t DisplayModeOfName(const std::string& name)
{
    if (name == kDisplayModeNames[DISPLAY_FULLSCREEN]) return DISPLAY_FULLSCREEN;
    if (name == kDisplayModeNames[DISPLAY_FULLSCREEN_WINDOW]) return DISPLAY_FULLSCREEN_WINDOW;
    return DISPLAY_WINDOWED;
}

TQZPoint ComputeCardSize(TQZPoint client, TQZPoint card, bool forceSize)
{
    if (card.x <= 0 || card.y <= 0) card = {CARDGFX_FALLBACK_WIDTH, CARDGFX_FALLBACK_HEIGHT};
    int32_t h = ClampLowerWins(96, (client.y - 290) / 3, 3 * card.y);
    int32_t w = ClampLowerWins(71, (client.x - 550) / 3, 3 * card.x);
    if (forceSize) {
        w = std::min(w, card.x);
        h = std::min(h, card.y);
    }
    const float aspect = float(3 * card.y) / float(3 * card.x);
    TQZPoint a{w, RoundEven(double(w) * aspect)};
    TQZPoint b{RoundEven(double(h) / aspect), h};
    TQZPoint size = a.x < b.x ? a : b;
    if (size.x % 2 != 0) ++size.x;
    return size;
}

void RegisterVideoManager()
{
    RegisterManagerClass<TVideo, &Video>(MGR_VIDEO, DomainBit(MGR_SETTINGS), "Video Engine");
}

// ---------------------------------------------------------------- window
TVideoWindow::TVideoWindow(int32_t width, int32_t height, int32_t mode)
    : TQZWindow(kVideoWindowTitle, WindowFlagsOf(mode), width, height)
{
}

bool TVideoWindow::Paint(int64_t argument)
{
    TVideo* video = Video;
    if (!video || !video->renderCallback) return TQZWindow::Paint(argument);
    if (painting_) return true;
    painting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{painting_};
    video->FramePainted();
    video->renderCallback();
    if (HandleExists()) os::ValidateWindow(Handle());
    return true;
}

// ---------------------------------------------------------------- manager
TVideo::TVideo() = default;

TVideo::~TVideo()
{
    draw_.reset();
    if (!FrameworkStarted()) return;
    if (TQZVideo* video = GetVideo()) {
        if (video->resizeMethod == MakeMethod<&TVideo::OnVideoResize>(this)) video->resizeMethod = {};
        video->Finalise();
    }
}

void TVideo::Initialize()
{
    draw_ = std::make_unique<TVideoDraw>([this] { return CardSize(); });
    previousTime_ = os::TickMilliseconds();
    lastTime_ = previousTime_ + 1;
    CreateDisplay(DisplayModeOfName(SettingText("Video.DisplayMode")));
    TQZVideo* video = GetVideo();
    video->repaintMode = 0;
    WindowWaitForInput = false;
    if (window_) window_->SetMinClientSize(kMinClientWidth, kMinClientHeight);
    video->resizeMethod = MakeMethod<&TVideo::OnVideoResize>(this);
    RestoreWindowPlacement();
    initialised_ = true;
}

void TVideo::CreateDisplay(int32_t mode)
{
    mode_ = mode;
    TQZPoint size = mode == DISPLAY_WINDOWED ? TQZPoint{kWindowedWidth, kWindowedHeight} : GetScreenSize();
    TQZVideo* video = GetVideo();
    // The window in place is restyled; without one (or when that fails) a new one is made.
    const bool restyled =
        video && video->IsReady() && window_ && video->SetWindowStyle(size.x, size.y, mode) == QZRES_OK;
    if (!restyled) {
        auto window = std::make_unique<TVideoWindow>(size.x, size.y, mode);
        TVideoWindow* raw = window.get();
        auto wrapped = std::make_unique<TQZVideoWindow>(std::move(window));
        TQZVideoWindow* wrappedRaw = wrapped.get();
        uint32_t flags = mode == DISPLAY_WINDOWED ? 0 : QZVIDEO_NOSIZEFRAME;
        if (!video || video->SetMode(size.x, size.y, std::move(wrapped), mode, flags) != QZRES_OK)
            FatalError(kVideoFatal);
        window_ = raw;
        videoWindow_ = wrappedRaw;
        videoWindow_->ApplyWindowKind(mode);
    }
    if (receiver_) receiver_->ClientResized(ClientRect());
    SetWindowIcon();
}

void TVideo::SetWindowIcon()
{
    if (!window_) return;
    os::IconHandle icon = os::LoadIconResource(kWindowIconName);
    if (!icon) {
        plat::imaging::Image image;
        if (!plat::imaging::DecodeImageFile(kWindowIconFile, image)) return;
        std::vector<uint32_t> pixels(size_t(image.width) * size_t(image.height));
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x) pixels[size_t(y) * size_t(image.width) + size_t(x)] = image.Pixel(x, y);
        icon = os::RegisterIcon(kWindowIconName, image.width, image.height, std::move(pixels));
    }
    if (icon) window_->SetIcon(icon);
}

void TVideo::SetDisplayMode(int32_t mode)
{
    if (mode == mode_) return;
    if (mode_ == DISPLAY_WINDOWED) SaveWindowPlacement();
    CreateDisplay(mode);
    if (mode == DISPLAY_WINDOWED) RestoreWindowPlacement();
}

void TVideo::SaveWindowPlacement()
{
    if (mode_ != DISPLAY_WINDOWED || !window_ || !window_->HandleExists() || !Settings) return;
    os::WindowPlacement p;
    if (!os::GetWindowPlacement(window_->Handle(), p)) return;
    std::vector<uint8_t> bytes = os::EncodePlacement(p);
    TQZMemory memory;
    if (memory.AssignBytes(bytes.data(), int32_t(bytes.size())) != QZRES_OK) return;
    Settings->SetBytes("Window.Position", memory);
}

void TVideo::RestoreWindowPlacement()
{
    if (mode_ != DISPLAY_WINDOWED || !window_ || !window_->HandleExists()) return;
    std::unique_ptr<TQZMemory> saved = Settings ? Settings->GetBytes("Window.Position") : nullptr;
    os::WindowPlacement p;
    // Only a whole record that says it is one, and that puts the window
    // where it can be seen; anything else leaves the window where it is.
    if (saved && os::DecodePlacement(saved->Data(), size_t(saved->Size()), p) &&
        os::SetWindowPlacement(window_->Handle(), p))
        return;
    window_->ShowHide(false);
}

void TVideo::SetResizeReceiver(TResizeReceiver* receiver)
{
    receiver_ = receiver;
    if (receiver_) receiver_->ClientResized(ClientRect());
}

void TVideo::OnVideoResize(TQZVideo*)
{
    if (receiver_) receiver_->ClientResized(ClientRect());
}

void TVideo::FramePainted()
{
    previousTime_ = lastTime_;
    lastTime_ = os::TickMilliseconds();
}

int32_t TVideo::FrameTime() const
{
    // The clock wraps: the difference is taken modulo 2^32.
    int32_t elapsed = int32_t(lastTime_ - previousTime_);
    return elapsed > 0 ? elapsed : 1;
}

void TVideo::Redraw()
{
    if (window_) window_->Invalidate();
    if (TQZVideo* video = GetVideo()) video->Repaint();
}

TQZRect TVideo::ClientRect() const
{
    TQZPoint size = window_ && window_->HandleExists() ? window_->GetClientSize() : TQZPoint{};
    return {0, 0, size.x, size.y};
}

TQZPoint TVideo::CardSize() const
{
    TCardGraphics* cardset = Resources ? Resources->GetCardset() : nullptr;
    TQZPoint card = cardset ? TQZPoint{cardset->Width(), cardset->Height()} : TQZPoint{};
    TQZRect client = ClientRect();
    return ComputeCardSize({client.Width(), client.Height()}, card, SettingBool("Cards.ForceSize"));
}
