#include "qz7application.h"

#include "qz7guibutton.h"
#include "qz7guifactory.h"
#include "qz7guihost.h"
#include "qz7videochoice.h"
#include "qz7videowindow.h"
#include "qz7window.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace {
constexpr int32_t kWidth = 1024, kHeight = 768;
}

TQZApplication::TQZApplication(const std::string& identity, const std::string& title)
{
    FrameworkStart(identity);
    ApplicationTitle = title;
}

TQZApplication::~TQZApplication()
{
    Shutdown();
    states_.reset();
}

TQZVideo* TQZApplication::Video() const { return FrameworkStarted() ? GetVideo() : nullptr; }

TQZWindow* TQZApplication::OutputWindow() const
{
    TQZVideo* video = Video();
    auto* output = video ? dynamic_cast<TQZVideoWindow*>(video->Window()) : nullptr;
    return output ? output->MainWindow() : nullptr;
}

bool TQZApplication::SetVideoMode()
{
    TQZVideo* video = Video();
    if (!video) return false;
    if (video->SetMode(kWidth, kHeight, nullptr, QZWINDOW_WINDOWED, 0) != QZRES_OK) return false;
    if (TQZWindow* window = OutputWindow()) {
        window->onClose = TQZCloseEvent::Bind<&TQZApplication::CloseRequested>(this);
    }
    return true;
}

void TQZApplication::CloseRequested(TQZWindow*) { closeRequested_ = true; }

void TQZApplication::Log(const std::string& text) const
{
    if (auto handler = onLog) handler(text);
}

TQZGUIWindow* TQZApplication::BuildScene(const std::string& text)
{
    TQZGUIFactory* factory = GetGUIFactory();
    if (!factory) return nullptr;
    TQZGUIWindow* built = nullptr;
    try {
        if (host_) {
            built = factory->Build(text, host_.get());
        } else {
            std::unique_ptr<TQZGUIWindow> root = factory->BuildRoot(text);
            if (dynamic_cast<TQZGUIHost*>(root.get())) {
                host_.reset(static_cast<TQZGUIHost*>(root.release()));
                built = host_.get();
            } else if (root) {
                // A scene whose root is not a host goes into a new one.
                host_ = TQZGUIWindow::CreateRoot<TQZGUIHost>({0, 0, 100, 100});
                built = host_->AddChild(std::move(root));
            }
        }
    } catch (const std::exception& e) {
        Log(std::string("The scene cannot be built: ") + e.what());
        return nullptr;
    }
    WireHost();
    return built;
}

bool TQZApplication::LoadScene(const std::string& fileName)
{
    // Without a video the scene still loads; a mode refused is reported where it is set.
    if (!Video() || !Video()->Window()) (void)SetVideoMode();
    if (fileName.empty()) {
        if (!host_) host_ = TQZGUIWindow::CreateRoot<TQZGUIHost>({0, 0, 100, 100});
        WireHost();
        return true;
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        Log("The scene file " + fileName + " cannot be read");
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A new scene replaces what the host showed.
    if (host_) host_->ClearChildren();
    return BuildScene(text) != nullptr;
}

void TQZApplication::WireHost()
{
    if (!host_) return;
    host_->onMessage = [this](int32_t, TQZGUIWindow* sender) { HostClicked(sender); };
    // Commands wait for the end of the frame's input: a command may run a
    // modal dialog, whose frames must not start inside the input pass.
    host_->messageProc = [this](int32_t id) { commands_.push_back(id); };
    if (TQZVideo* video = Video()) {
        host_->SetVideo(video);
        video->drawProc = nullptr;
        video->drawMethod = TQZVideoMethod::Bind<&TQZApplication::Paint>(this);
    }
}

void TQZApplication::HostClicked(TQZGUIWindow* sender)
{
    if (auto handler = onClick) handler(sender);
    auto* button = dynamic_cast<TQZGUIButton*>(sender);
    if (button && !button->Script().empty()) pending_ = button->Script();
}

TQZStateEngine* TQZApplication::StateEngine()
{
    if (!states_) {
        states_ = std::make_unique<TQZStateEngine>();
        states_->Initialise();
    }
    return states_.get();
}

void TQZApplication::RunCommand(const std::string& text)
{
    if (!states_) return;
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        Log("Command " + text + " is not a number: ignored");
        return;
    }
    states_->ForwardCommand(value);
}

void TQZApplication::Paint(TQZVideo* video)
{
    if (!host_) return;
    video->Clear(host_->Color());
    host_->PaintTree();
}

void TQZApplication::Step()
{
    PumpFrame();
    if (states_) states_->Update();
    if (host_) {
        host_->ProcessMouse();
        host_->UpdateTree();
        host_->LayoutPass();
        host_->FlushDirtyRect();
    }
    std::vector<int32_t> commands;
    commands.swap(commands_);
    for (int32_t id : commands) {
        if (auto handler = onCommand) handler(id);
    }
    if (!pending_.empty()) {
        const std::string command = pending_;
        pending_.clear();
        RunCommand(command);
    }
    if (closeRequested_) Terminated = true;
}

void TQZApplication::Shutdown()
{
    if (TQZVideo* video = Video()) {
        if (video->drawMethod == TQZVideoMethod::Bind<&TQZApplication::Paint>(this)) video->drawMethod = {};
        if (TQZWindow* window = OutputWindow()) window->onClose = {};
    }
    host_.reset();
    if (TQZVideo* video = Video(); video && video->Window()) video->Finalise();
}
