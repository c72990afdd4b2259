// Mouse and keyboard: window messages turned into input state that the
// widget tree reads once a frame.
#pragma once

#include "qz7core.h"
#include "osWindow.h"

#include <cstdint>
#include <vector>

using TQZWindowHandle = plat::os::WindowHandle;

// Key codes: the virtual key in the low byte, modifier bits, and the marker
// that tells a virtual key from a plain character.
constexpr uint32_t QZKEY_SHIFT = 0x10000;
constexpr uint32_t QZKEY_ALT = 0x20000;
constexpr uint32_t QZKEY_CTRL = 0x40000;
constexpr uint32_t QZKEY_VIRTUAL = 0x1000000;
constexpr uint32_t QZKEY_F12 = 0x0100007B;
constexpr uint32_t QZKEY_BARE_SHIFT = 0x01010010;
constexpr uint32_t QZKEY_BARE_CTRL = 0x01040011;
constexpr int QZKEY_QUEUE_SIZE = 16;
// The mouse buttons as key codes: their virtual keys with the marker.
constexpr uint32_t QZKEY_LBUTTON = 0x01000001;
constexpr uint32_t QZKEY_RBUTTON = 0x01000002;
constexpr uint32_t QZKEY_MBUTTON = 0x01000004;

// Keys and button events are stamped from one counter as they arrive, so
// that a frame that takes both can take them in the order the user gave
// them. No stamp: nothing queued.
constexpr uint64_t QZINPUT_NO_ARRIVAL = UINT64_MAX;
uint64_t NextInputArrival();

class TQZKeyboard : public TQZClass {
public:
    TQZKeyboard() = default;
    ~TQZKeyboard() override;

    bool translateKeys = true;
    bool recordBareShift = true;
    bool recordBareCtrl = true;

    // Queues the key with the modifiers held when its message was made.
    void RecordKey(uint8_t virtualKey);
    static bool IsVirtualOnlyKey(uint32_t key);
    virtual bool IsKeyDown(uint32_t code);
    virtual bool IsKeyUp(uint32_t code);
    virtual int32_t QueryState();
    bool HasKeys() const { return count_ > 0; }
    int32_t KeyCount() const { return count_; }
    // The oldest key: its character when it translates, else its code; 0
    // when none is queued.
    uint32_t ReadKey();
    // The arrival stamp of the oldest key; QZINPUT_NO_ARRIVAL when none.
    uint64_t OldestArrival() const { return count_ > 0 ? arrivals_[0] : QZINPUT_NO_ARRIVAL; }
    // The character of a key code; 0 for keys that give none.
    uint8_t Translate(uint32_t code) const;

private:
    uint32_t queue_[QZKEY_QUEUE_SIZE] = {};
    uint64_t arrivals_[QZKEY_QUEUE_SIZE] = {};
    int32_t count_ = 0;
};

// The keyboard, made on first use and freed at framework stop.
TQZKeyboard* GetKeyboard();

struct TQZMouseEvent {
    int32_t button = 0;  // 1 left, 2 right, 3 middle; 0 = no event
    bool down = false;
    int32_t x = 0, y = 0;
    uint32_t modifiers = 0;  // QZKEY_SHIFT, QZKEY_CTRL
    TQZWindowHandle window = 0;
    uint64_t arrival = QZINPUT_NO_ARRIVAL;
};

constexpr int QZMOUSE_QUEUE_SIZE = 16;
constexpr TQZPoint QZ_NOWHERE{-1, -1};

class TQZMouse : public TQZClassSingleton {
public:
    void Initialise() override;

    void Capture(TQZWindowHandle window);
    void ReleaseCapture();
    void ReleaseAllButtons();
    bool HasEventFor(TQZWindowHandle window) const;  // 0 = the main window
    bool HasEvent() const { return !events_.empty(); }
    TQZMouseEvent PopEventFor(TQZWindowHandle window);
    // The arrival stamp of the oldest event for the window (0 = the main
    // one); QZINPUT_NO_ARRIVAL when none.
    uint64_t OldestArrivalFor(TQZWindowHandle window) const;
    void AddButtonEvent(int32_t button, bool down, TQZWindowHandle window, uint32_t modifiers, TQZPoint position);
    void SetWindowPosition(TQZPoint position, TQZWindowHandle window);
    void SetPosition(TQZPoint position);
    void AddWheel(int32_t delta, TQZWindowHandle window);
    bool HasMoved(TQZWindowHandle window = 0) const;
    bool HasPosition() const { return !(position_ == QZ_NOWHERE); }
    TQZPoint GetPosition() const { return position_; }
    int32_t TakeWheel();
    bool HasWheel() const { return wheel_ != 0; }
    bool IsButtonDown(int32_t button) const;
    void SetButton(int32_t button, bool down);

    bool IsCaptured() const { return captured_; }
    TQZWindowHandle MainWindow() const { return mainWindow_; }
    void SetMainWindow(TQZWindowHandle window) { mainWindow_ = window; }
    // The widget tree moves the previous position on after each frame.
    void SetPreviousPosition(TQZPoint p) { previous_ = p; }
    // Another window whose pointer position is kept apart from the main one.
    void AddWindow(TQZWindowHandle window);
    TQZPoint WindowPosition(TQZWindowHandle window) const;
    void ClearMoved(TQZWindowHandle window);
    // The pointer's movement since the last call (0, 0 the first time, or
    // while the pointer is nowhere).
    TQZPoint ReadMouseDelta();
    // Where the button of that key code was last pressed or released; the
    // read clears its pending flag. Code 0 and the primary button read the
    // current position, a button never seen (or any other code) QZ_NOWHERE.
    TQZPoint ReadButtonPosition(uint32_t code);
    // A press or release of that button not read yet.
    bool IsButtonPositionPending(uint32_t code) const;
    // The key code of button 1, 2 or 3; 0 for any other.
    static uint32_t ButtonKeyCode(int32_t button);

private:
    struct WindowPos {
        TQZWindowHandle window = 0;
        TQZPoint position = QZ_NOWHERE;
        bool moved = false;
    };
    struct ButtonRecord {
        uint32_t code = 0;
        TQZPoint position = QZ_NOWHERE;
        bool pending = false;
    };
    TQZWindowHandle Resolve(TQZWindowHandle window) const { return window ? window : mainWindow_; }
    ButtonRecord* FindButtonRecord(uint32_t code);

    bool buttons_[3] = {};
    bool captured_ = false;
    std::vector<TQZMouseEvent> events_;
    TQZPoint previous_;
    TQZWindowHandle mainWindow_ = 0;
    int32_t wheel_ = 0;
    TQZPoint position_;
    std::vector<WindowPos> windows_;
    TQZPoint deltaBase_ = QZ_NOWHERE;
    std::vector<ButtonRecord> buttonRecords_;
};

// The mouse while the framework runs; nullptr otherwise.
TQZMouse* GetMouse();

// Which queue holds the oldest input for the window: the keyboard's or the
// mouse's button events (0 = the main window). A frame takes its input in
// this order, or a click may move the focus before the keys typed ahead of
// it are read.
enum class TQZInputKind { None, Key, Button };
TQZInputKind NextInputKind(TQZWindowHandle window = 0);
