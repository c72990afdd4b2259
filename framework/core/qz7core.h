// Bottom of the framework: the singleton table, the frame pump, result codes
// and small value helpers, over the owning base class and bound methods of
// qz7object.
//
// How failures travel: framework routines return result codes (QZRES_*, 0
// for success), every failure passing through ErrorResult; the codes that
// must not be dropped are [[nodiscard]]. Exceptions come only from loading
// resources (texture and image files) and the constructors built on it
// (CreateFromFile), from streams read past their end, and from a paint that
// raised, again at the next pump. The game layers above report through the
// diagnostics routines (coreGameDiagnostics: log, warning, fatal error).
#pragma once

#include "qz7object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------- results
constexpr int32_t QZRES_OK = 0;
constexpr int32_t QZRES_FAILED = 1;
constexpr int32_t QZRES_BADARG = 2;
constexpr int32_t QZRES_ALLOC = 3;
constexpr int32_t QZRES_NOFILE = 4;
constexpr int32_t QZRES_AUDIO_NOLIBRARY = 0x5100;
constexpr int32_t QZRES_AUDIO_NOINIT = 0x5101;
constexpr int32_t QZRES_AUDIO_NODEVICE = 0x5102;
constexpr int32_t QZRES_FILE_OPEN = 0x6001;
constexpr int32_t QZRES_FILE_FIRSTREAD = 0x6002;
constexpr int32_t QZRES_FILE_WRITE = 0x6003;
constexpr int32_t QZRES_FILE_SIZE = 0x6004;
constexpr int32_t QZRES_FOLDER_EXISTS = 0x6005;
constexpr int32_t QZRES_FILE_READ = 0x6006;
constexpr int32_t QZRES_ARRAY_NOMEMORY = 0x9001;

// Every failure passes through here: one place to hook diagnostics.
int32_t ErrorResult(int32_t code);
// The code's name for logs and messages ("QZRES_FILE_WRITE"), the video
// layer's codes included; a code the framework does not define reads as its
// number ("result 0x1234").
std::string ResultText(int32_t code);
inline bool Succeeded(int32_t code) { return code == QZRES_OK; }

// Base of the process-wide singletons kept in the 12-slot table.
class TQZClassSingleton : public TQZClass {
public:
    // Builds the singleton's state once it is stored in its slot.
    virtual void Initialise() {}
};

constexpr int QZ_SINGLETON_SLOTS = 12;
constexpr int QZSLOT_SYSINFO = 2;
constexpr int QZSLOT_FONTS = 3;
constexpr int QZSLOT_GUIFACTORY = 4;
constexpr int QZSLOT_AUDIO = 5;
constexpr int QZSLOT_RESOURCES = 6;
constexpr int QZSLOT_MOUSE = 7;
constexpr int QZSLOT_VIDEOGDI = 8;
constexpr int QZSLOT_VIDEODX9 = 9;
constexpr int QZSLOT_DIRECT3D = 10;
constexpr int QZSLOT_STEAM = 11;

namespace qz7detail {
TQZClassSingleton* SlotGet(int slot);
// Stores a newly made singleton and runs its Initialise; the object is in its
// slot before Initialise runs, so Initialise may ask for its own slot.
TQZClassSingleton* SlotCreate(int slot, std::unique_ptr<TQZClassSingleton> (*make)());
}  // namespace qz7detail

// The object in the slot, created on first use while the framework runs;
// nullptr before FrameworkStart, after FrameworkStop, or for a bad slot.
template <class T> T* GetInstance(int slot)
{
    TQZClassSingleton* s = qz7detail::SlotGet(slot);
    if (!s) {
        s = qz7detail::SlotCreate(slot, []() -> std::unique_ptr<TQZClassSingleton> {
            return std::make_unique<T>();
        });
    }
    return dynamic_cast<T*>(s);
}
bool SingletonExists(int slot);

// A singleton made outside the table still initialises.
template <class T, class... A> std::unique_ptr<T> CreateSingleton(A&&... args)
{
    auto s = std::make_unique<T>(std::forward<A>(args)...);
    s->Initialise();
    return s;
}

// ---------------------------------------------------------------- life cycle
void FrameworkStart(const std::string& applicationName);
void FrameworkStop();
bool FrameworkStarted();
const std::string& ApplicationName();
// The application name the editor starts the framework with. Where the
// editor's build differs from the game's, this one value at start-up
// chooses; no unit is compiled twice.
inline constexpr const char* QZ_EDITOR_IDENTITY = "CardsetEditor";
// The editor's variant of the rules and services: decided once, when the
// framework starts with the editor's name; false when it is stopped. Every
// difference between the two builds asks this and nothing else.
bool EditorVariant();
// One step of the framework per frame; the result of the frame event.
int32_t PumpFrame();
int32_t FrameCounter();
void SetFrameCounter(int32_t value);  // tests: reach the wrap quickly

// Work handed to the main thread by other threads; PumpFrame runs it.
void QueueForMainThread(std::function<void()> work);
// Runs every request queued before the call, on the calling (main) thread.
void ProcessSynchronize();
// Blocks until work is queued or the time is up; true when work waits. A
// loop without frames (a test, a modal wait) sleeps on it instead of polling.
bool WaitForQueuedWork(int32_t timeoutMs);

// ---------------------------------------------------------------- values
struct TQZPoint { int32_t x = 0, y = 0; bool operator==(const TQZPoint&) const = default; };
struct TQZPointF { float x = 0, y = 0; bool operator==(const TQZPointF&) const = default; };
struct TQZRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const TQZRect&) const = default;
};
struct TQZRectF {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TQZRectF&) const = default;
};
using TQZColour = uint32_t;  // ARGB

inline int32_t IfThenInt(bool c, int32_t a, int32_t b) { return c ? a : b; }
inline float IfThenSingle(bool c, float a, float b) { return c ? a : b; }
inline std::string IfThenStr(bool c, const std::string& a, const std::string& b) { return c ? a : b; }
inline void* IfThenPtr(bool c, void* a, void* b) { return c ? a : b; }

std::string IntToString(int32_t v);
std::string Int64ToString(int64_t v);
std::string SingleToString(float v, int digits);
int32_t StringToInt(const std::string& text);

inline TQZColour MakeColour(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
inline uint32_t PackColourBytes(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return uint32_t(b0) | (uint32_t(b1) << 8) | (uint32_t(b2) << 16) | (uint32_t(b3) << 24);
}
inline bool HasFlags(uint32_t value, uint32_t mask) { return (value & mask) == mask; }
inline uint16_t HiWord(uint32_t v) { return uint16_t(v >> 16); }
inline uint16_t LoWord(uint32_t v) { return uint16_t(v & 0xFFFF); }
inline int32_t MaxOf(int32_t a, int32_t b) { return a > b ? a : b; }
inline int32_t MinOf(int32_t a, int32_t b) { return a < b ? a : b; }
inline float MinOfSingle(float a, float b) { return a < b ? a : b; }
inline int32_t ClampInt(int32_t lo, int32_t v, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline float ClampSingle(float lo, float v, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The process random generator (seeded by the program; tests seed it too).
void SeedRandom(uint64_t seed);
uint32_t RandomInt(uint32_t range);  // 0 .. range-1; 0 when range is 0
double RandomUnit();                 // [0, 1)
int32_t RandomBetween(int32_t lo, int32_t hi);
float RandomBetweenSingle(float lo, float hi);

inline bool PointInRect(TQZPoint p, const TQZRect& r)
{
    return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}
bool IntersectRects(const TQZRect& a, const TQZRect& b, TQZRect& out);
bool RectsIntersect(const TQZRect& a, const TQZRect& b);
inline bool RectIsPoint(const TQZRect& r) { return r.left == r.right && r.top == r.bottom; }
inline TQZPoint MakePoint(int32_t x, int32_t y) { return {x, y}; }
inline TQZPointF MakePointF(float x, float y) { return {x, y}; }
TQZPoint PointFToPoint(TQZPointF p);
inline TQZRect MakeRect(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }
inline TQZRectF MakeRectF(float l, float t, float r, float b) { return {l, t, r, b}; }
TQZRect RectFToRect(const TQZRectF& r);
inline TQZRectF RectToRectF(const TQZRect& r) { return {float(r.left), float(r.top), float(r.right), float(r.bottom)}; }
TQZRect CentredRect(int32_t x, int32_t y, int32_t w, int32_t h);
TQZRect CentreRectIn(TQZPoint size, const TQZRect& r);
TQZRect RectAtPoint(TQZPoint p, int32_t w, int32_t h, bool centred);
inline TQZRect AdjustRect(const TQZRect& r, int32_t dl, int32_t dt, int32_t dr, int32_t db)
{
    return {r.left + dl, r.top + dt, r.right + dr, r.bottom + db};
}
inline TQZRectF AdjustRectF(const TQZRectF& r, float dl, float dt, float dr, float db)
{
    return {r.left + dl, r.top + dt, r.right + dr, r.bottom + db};
}
inline TQZRect OffsetRectBy(const TQZRect& r, TQZPoint p)
{
    return {r.left + p.x, r.top + p.y, r.right + p.x, r.bottom + p.y};
}

// Clears the holder first, then frees what it held.
template <class T> void FreeAndNil(std::unique_ptr<T>& holder)
{
    std::unique_ptr<T> gone = std::move(holder);
    gone.reset();
}
