#include "qz7input.h"

#include "qz7events.h"
#include "osKeys.h"

#include <algorithm>

namespace os = plat::os;

// ---------------------------------------------------------------- keyboard
namespace {
TQZKeyboard* keyboard = nullptr;

constexpr uint8_t kVirtualOnly[] = {
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,  // F1-F12
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,              // keypad 0-9
    os::kVkInsert, os::kVkUp, os::kVkDown, os::kVkLeft, os::kVkRight, os::kVkHome, os::kVkEnd,
    os::kVkPrior, os::kVkNext, os::kVkDelete, os::kVkSleep, os::kVkApps, os::kVkSnapshot,
};
static_assert(sizeof(kVirtualOnly) == 35);

uint64_t lastArrival = 0;
}  // namespace

uint64_t NextInputArrival()
{
    return ++lastArrival;
}

TQZInputKind NextInputKind(TQZWindowHandle window)
{
    const TQZKeyboard* kb = keyboard;
    const TQZMouse* mouse = GetMouse();
    const uint64_t key = kb ? kb->OldestArrival() : QZINPUT_NO_ARRIVAL;
    const uint64_t button = mouse ? mouse->OldestArrivalFor(window) : QZINPUT_NO_ARRIVAL;
    if (key == QZINPUT_NO_ARRIVAL && button == QZINPUT_NO_ARRIVAL) return TQZInputKind::None;
    return key < button ? TQZInputKind::Key : TQZInputKind::Button;
}

TQZKeyboard::~TQZKeyboard()
{
    if (keyboard == this) keyboard = nullptr;
}

TQZKeyboard* GetKeyboard()
{
    if (!keyboard) {
        auto made = std::make_unique<TQZKeyboard>();
        keyboard = made.release();
        AddAutoFree(keyboard);
    }
    return keyboard;
}

void TQZKeyboard::RecordKey(uint8_t virtualKey)
{
    uint32_t code = virtualKey | QZKEY_VIRTUAL;
    if (os::KeyStateDown(os::kVkShift)) code |= QZKEY_SHIFT;
    if (os::KeyStateDown(os::kVkMenu)) code |= QZKEY_ALT;
    if (os::KeyStateDown(os::kVkControl)) code |= QZKEY_CTRL;
    if (code == QZKEY_BARE_SHIFT && !recordBareShift) return;
    if (code == QZKEY_BARE_CTRL && !recordBareCtrl) return;
    if (count_ == QZKEY_QUEUE_SIZE) {
        std::copy(queue_ + 1, queue_ + QZKEY_QUEUE_SIZE, queue_);
        std::copy(arrivals_ + 1, arrivals_ + QZKEY_QUEUE_SIZE, arrivals_);
        --count_;
    }
    arrivals_[count_] = NextInputArrival();
    queue_[count_++] = code;
    if (code == QZKEY_F12) EventManager()->Fire(QZEVENT_F12, nullptr);
}

bool TQZKeyboard::IsVirtualOnlyKey(uint32_t key)
{
    uint8_t k = uint8_t(key & 0xFF);
    return std::find(std::begin(kVirtualOnly), std::end(kVirtualOnly), k) != std::end(kVirtualOnly);
}

bool TQZKeyboard::IsKeyDown(uint32_t code)
{
    if (!(code & QZKEY_VIRTUAL)) {
        if (code > 0x60) return false;
        code += QZKEY_VIRTUAL;
    }
    return os::AsyncKeyDown(uint8_t(code & 0xFF));
}

bool TQZKeyboard::IsKeyUp(uint32_t code)
{
    return !IsKeyDown(code);
}

int32_t TQZKeyboard::QueryState()
{
    return 0;
}

// Keys are read oldest first: the widget tree takes one key a frame, so two
// keys typed within one frame must keep their order.
uint32_t TQZKeyboard::ReadKey()
{
    if (count_ == 0) return 0;
    uint32_t code = queue_[0];
    std::copy(queue_ + 1, queue_ + count_, queue_);
    std::copy(arrivals_ + 1, arrivals_ + count_, arrivals_);
    --count_;
    if (!translateKeys || (code & QZKEY_CTRL)) return code;
    uint8_t ch = Translate(code);
    if (ch == 0) return code;
    if ((code & 0xFF) == os::kVkTab) return code & 0xF00FF;
    return ch;
}

// Translates with the modifiers recorded in the code: a key read a frame
// later must not take the shift state of that later moment.
uint8_t TQZKeyboard::Translate(uint32_t code) const
{
    if (!(code & QZKEY_VIRTUAL) && code <= 0xFF) return uint8_t(code);
    if (IsVirtualOnlyKey(code)) return 0;
    return os::VirtualKeyToChar(uint8_t(code & 0xFF), (code & QZKEY_SHIFT) != 0, (code & QZKEY_CTRL) != 0);
}

// ---------------------------------------------------------------- mouse
TQZMouse* GetMouse()
{
    return FrameworkStarted() ? GetInstance<TQZMouse>(QZSLOT_MOUSE) : nullptr;
}

void TQZMouse::Initialise()
{
    std::fill(std::begin(buttons_), std::end(buttons_), false);
    events_.clear();
    wheel_ = 0;
    position_ = {0, 0};
    previous_ = {0, 0};
    windows_.clear();
    deltaBase_ = QZ_NOWHERE;
    buttonRecords_.clear();
}

void TQZMouse::Capture(TQZWindowHandle window)
{
    os::SetMouseCapture(window);
    captured_ = true;
}

void TQZMouse::ReleaseCapture()
{
    os::ReleaseMouseCapture();
    captured_ = false;
}

void TQZMouse::ReleaseAllButtons()
{
    SetPosition(QZ_NOWHERE);
    for (int32_t b = 1; b <= 3; ++b) {
        if (buttons_[b - 1]) AddButtonEvent(b, false, mainWindow_, 0, QZ_NOWHERE);
    }
}

bool TQZMouse::HasEventFor(TQZWindowHandle window) const
{
    TQZWindowHandle w = Resolve(window);
    return std::any_of(events_.begin(), events_.end(), [&](const TQZMouseEvent& e) { return e.window == w; });
}

uint64_t TQZMouse::OldestArrivalFor(TQZWindowHandle window) const
{
    TQZWindowHandle w = Resolve(window);
    auto it = std::find_if(events_.begin(), events_.end(), [&](const TQZMouseEvent& e) { return e.window == w; });
    return it == events_.end() ? QZINPUT_NO_ARRIVAL : it->arrival;
}

TQZMouseEvent TQZMouse::PopEventFor(TQZWindowHandle window)
{
    TQZWindowHandle w = Resolve(window);
    auto it = std::find_if(events_.begin(), events_.end(), [&](const TQZMouseEvent& e) { return e.window == w; });
    if (it == events_.end()) {
        TQZMouseEvent none;
        none.x = position_.x;
        none.y = position_.y;
        return none;
    }
    TQZMouseEvent e = *it;
    events_.erase(it);
    return e;
}

void TQZMouse::AddButtonEvent(int32_t button, bool down, TQZWindowHandle window, uint32_t modifiers,
                              TQZPoint position)
{
    if (events_.size() == QZMOUSE_QUEUE_SIZE) events_.erase(events_.begin());
    if (!mainWindow_) mainWindow_ = window;
    events_.push_back(TQZMouseEvent{button, down, position.x, position.y, modifiers, window, NextInputArrival()});
    SetButton(button, down);
    SetPosition(position);
    if (const uint32_t code = ButtonKeyCode(button)) {
        ButtonRecord* record = FindButtonRecord(code);
        if (!record) record = &buttonRecords_.emplace_back(ButtonRecord{code});
        record->position = position;
        record->pending = true;
    }
    if (down && !captured_) {
        Capture(window);
    } else if (captured_ && !IsButtonDown(1) && !IsButtonDown(2) && !IsButtonDown(3)) {
        ReleaseCapture();
    }
}

void TQZMouse::SetWindowPosition(TQZPoint position, TQZWindowHandle window)
{
    if (!mainWindow_) mainWindow_ = window;
    if (window == mainWindow_) {
        SetPosition(position);
        return;
    }
    for (WindowPos& w : windows_) {
        if (w.window == window) {
            w.position = position;
            w.moved = true;
        }
    }
}

void TQZMouse::SetPosition(TQZPoint position)
{
    if (position == position_) return;
    position_ = position;
    EventManager()->Fire(QZEVENT_MOUSEMOVED, &position_);
}

void TQZMouse::AddWheel(int32_t delta, TQZWindowHandle window)
{
    if (window == mainWindow_) wheel_ += delta;
}

bool TQZMouse::HasMoved(TQZWindowHandle window) const
{
    if (window == 0 || window == mainWindow_) return !(position_ == previous_);
    for (const WindowPos& w : windows_) {
        if (w.window == window) return w.moved;
    }
    return false;
}

int32_t TQZMouse::TakeWheel()
{
    int32_t w = wheel_;
    wheel_ = 0;
    return w;
}

bool TQZMouse::IsButtonDown(int32_t button) const
{
    return button >= 1 && button <= 3 && buttons_[button - 1];
}

void TQZMouse::SetButton(int32_t button, bool down)
{
    if (button >= 1 && button <= 3) buttons_[button - 1] = down;
}

void TQZMouse::AddWindow(TQZWindowHandle window)
{
    if (std::none_of(windows_.begin(), windows_.end(), [&](const WindowPos& w) { return w.window == window; })) {
        windows_.push_back(WindowPos{window, QZ_NOWHERE, false});
    }
}

TQZPoint TQZMouse::WindowPosition(TQZWindowHandle window) const
{
    if (window == 0 || window == mainWindow_) return position_;
    for (const WindowPos& w : windows_) {
        if (w.window == window) return w.position;
    }
    return QZ_NOWHERE;
}

void TQZMouse::ClearMoved(TQZWindowHandle window)
{
    for (WindowPos& w : windows_) {
        if (w.window == window) w.moved = false;
    }
}

TQZPoint TQZMouse::ReadMouseDelta()
{
    if (position_ == QZ_NOWHERE) {
        deltaBase_ = QZ_NOWHERE;
        return {0, 0};
    }
    TQZPoint delta{0, 0};
    if (!(deltaBase_ == QZ_NOWHERE)) delta = {position_.x - deltaBase_.x, position_.y - deltaBase_.y};
    deltaBase_ = position_;
    return delta;
}

uint32_t TQZMouse::ButtonKeyCode(int32_t button)
{
    switch (button) {
    case 1: return QZKEY_LBUTTON;
    case 2: return QZKEY_RBUTTON;
    case 3: return QZKEY_MBUTTON;
    default: return 0;
    }
}

TQZMouse::ButtonRecord* TQZMouse::FindButtonRecord(uint32_t code)
{
    auto it = std::find_if(buttonRecords_.begin(), buttonRecords_.end(),
                           [code](const ButtonRecord& r) { return r.code == code; });
    return it == buttonRecords_.end() ? nullptr : &*it;
}

TQZPoint TQZMouse::ReadButtonPosition(uint32_t code)
{
    ButtonRecord* record = FindButtonRecord(code);
    if (record) record->pending = false;
    if (code == 0 || code == QZKEY_LBUTTON) return position_;
    return record ? record->position : QZ_NOWHERE;
}

bool TQZMouse::IsButtonPositionPending(uint32_t code) const
{
    return std::any_of(buttonRecords_.begin(), buttonRecords_.end(),
                       [code](const ButtonRecord& r) { return r.code == code && r.pending; });
}
