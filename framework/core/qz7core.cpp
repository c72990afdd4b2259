#include "qz7core.h"

#include "qz7events.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <random>

int32_t ErrorResult(int32_t code)
{
    return code;
}

std::string ResultText(int32_t code)
{
    // The video layer's codes (qz7direct3d, qz7videostate, qz7surface) are
    // named here by value: the core sits below the headers that define them.
    static const std::pair<int32_t, const char*> kNames[] = {
        {QZRES_OK, "QZRES_OK"},
        {QZRES_FAILED, "QZRES_FAILED"},
        {QZRES_BADARG, "QZRES_BADARG"},
        {QZRES_ALLOC, "QZRES_ALLOC"},
        {QZRES_NOFILE, "QZRES_NOFILE"},
        {5, "QZRES_VIDEO_NOTSUPPORTED"},
        {0x2001, "QZRES_VIDEO_GDI_UNSUPPORTED"},
        {QZRES_AUDIO_NOLIBRARY, "QZRES_AUDIO_NOLIBRARY"},
        {QZRES_AUDIO_NOINIT, "QZRES_AUDIO_NOINIT"},
        {QZRES_AUDIO_NODEVICE, "QZRES_AUDIO_NODEVICE"},
        {QZRES_FILE_OPEN, "QZRES_FILE_OPEN"},
        {QZRES_FILE_FIRSTREAD, "QZRES_FILE_FIRSTREAD"},
        {QZRES_FILE_WRITE, "QZRES_FILE_WRITE"},
        {QZRES_FILE_SIZE, "QZRES_FILE_SIZE"},
        {QZRES_FOLDER_EXISTS, "QZRES_FOLDER_EXISTS"},
        {QZRES_FILE_READ, "QZRES_FILE_READ"},
        {QZRES_ARRAY_NOMEMORY, "QZRES_ARRAY_NOMEMORY"},
        {10753, "QZRES_SURFACE_NOTMADE"},
        {10755, "QZRES_SURFACE_NOACCESS"},
        {10756, "QZRES_SURFACE_OTHERACCESS"},
        {10757, "QZRES_SURFACE_NOCOPY"},
    };
    for (const auto& [value, name] : kNames)
        if (value == code) return name;
    char text[32];
    std::snprintf(text, sizeof text, "result 0x%X", unsigned(code));
    return text;
}

// ---------------------------------------------------------------- globals
namespace {
struct FrameworkGlobals {
    std::string name;
    int32_t frameCounter = 0;
    bool started = false;
    std::atomic<bool> editorVariant{false};  // read by worker threads too
    bool creating = false;
    std::unique_ptr<TQZClassSingleton> slots[QZ_SINGLETON_SLOTS];
};

FrameworkGlobals& G()
{
    static FrameworkGlobals g;
    return g;
}

std::mutex syncLock;
std::deque<std::function<void()>> syncQueue;
std::condition_variable syncQueued;
}  // namespace

namespace qz7detail {
TQZClassSingleton* SlotGet(int slot)
{
    if (slot < 0 || slot >= QZ_SINGLETON_SLOTS) return nullptr;
    return G().slots[slot].get();
}

TQZClassSingleton* SlotCreate(int slot, std::unique_ptr<TQZClassSingleton> (*make)())
{
    FrameworkGlobals& g = G();
    if (slot < 0 || slot >= QZ_SINGLETON_SLOTS || !g.started) return nullptr;
    g.creating = true;
    g.slots[slot] = make();
    g.creating = false;
    TQZClassSingleton* s = g.slots[slot].get();
    s->Initialise();
    return g.slots[slot].get();
}
}  // namespace qz7detail

bool SingletonExists(int slot)
{
    return qz7detail::SlotGet(slot) != nullptr;
}

void FrameworkStart(const std::string& applicationName)
{
    FrameworkGlobals& g = G();
    g.name = applicationName;
    g.frameCounter = 0;
    g.started = true;
    g.editorVariant = applicationName == QZ_EDITOR_IDENTITY;
    for (auto& s : g.slots) s.reset();
}

void FrameworkStop()
{
    FrameworkGlobals& g = G();
    if (!g.started) return;
    g.started = false;
    g.editorVariant = false;
    EventManager()->Fire(QZEVENT_SHUTDOWN, nullptr);
    for (auto& s : g.slots) {
        std::unique_ptr<TQZClassSingleton> gone = std::move(s);
        gone.reset();
    }
    FreeEventManager();
}

bool FrameworkStarted()
{
    return G().started;
}

const std::string& ApplicationName()
{
    return G().name;
}

bool EditorVariant()
{
    return G().editorVariant;
}

int32_t PumpFrame()
{
    FrameworkGlobals& g = G();
    if (g.frameCounter == 2147483647) g.frameCounter = 1;
    ++g.frameCounter;
    TQZEventManager* bus = EventManager();
    bus->SetState(QZAPPSTATE_WAIT_WINDOWS);
    int32_t result = bus->Fire(QZEVENT_FRAME, nullptr);
    ProcessSynchronize();
    EventManager()->SetState(QZAPPSTATE_WORKING);
    return result;
}

int32_t FrameCounter()
{
    return G().frameCounter;
}

void SetFrameCounter(int32_t value)
{
    G().frameCounter = value;
}

void QueueForMainThread(std::function<void()> work)
{
    {
        std::lock_guard<std::mutex> guard(syncLock);
        syncQueue.push_back(std::move(work));
    }
    syncQueued.notify_all();
}

bool WaitForQueuedWork(int32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(syncLock);
    return syncQueued.wait_for(guard, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                               [] { return !syncQueue.empty(); });
}

void ProcessSynchronize()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> guard(syncLock);
        batch.swap(syncQueue);
    }
    for (auto& work : batch) work();
}

// ---------------------------------------------------------------- values
std::string IntToString(int32_t v)
{
    return std::to_string(v);
}

std::string Int64ToString(int64_t v)
{
    return std::to_string(v);
}

std::string SingleToString(float v, int digits)
{
    if (digits < 0) digits = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", digits, digits, double(v));
    return buf;
}

int32_t StringToInt(const std::string& text)
{
    if (text.empty()) return 0;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return 0;
    return static_cast<int32_t>(v);
}

namespace {
std::mt19937_64& Rng()
{
    static std::mt19937_64 rng(0x5EED);
    return rng;
}
}  // namespace

void SeedRandom(uint64_t seed)
{
    Rng().seed(seed);
}

uint32_t RandomInt(uint32_t range)
{
    if (range == 0) return 0;
    return static_cast<uint32_t>(Rng()() % range);
}

double RandomUnit()
{
    return double(Rng()() >> 11) * (1.0 / 9007199254740992.0);
}

int32_t RandomBetween(int32_t lo, int32_t hi)
{
    if (hi <= lo) return lo;
    // The width of the range needs 33 bits when it spans most of int32.
    const uint64_t width = uint64_t(int64_t(hi) - int64_t(lo)) + 1;
    return static_cast<int32_t>(int64_t(lo) + int64_t(Rng()() % width));
}

float RandomBetweenSingle(float lo, float hi)
{
    return lo + float(RandomUnit()) * (hi - lo);
}

bool IntersectRects(const TQZRect& a, const TQZRect& b, TQZRect& out)
{
    // Worked out before out is touched: out may be a or b.
    TQZRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    bool hit = r.left < r.right && r.top < r.bottom;
    out = hit ? r : TQZRect{};
    return hit;
}

bool RectsIntersect(const TQZRect& a, const TQZRect& b)
{
    TQZRect scratch;
    return IntersectRects(a, b, scratch);
}

TQZPoint PointFToPoint(TQZPointF p)
{
    return {int32_t(std::lround(p.x)), int32_t(std::lround(p.y))};
}

TQZRect RectFToRect(const TQZRectF& r)
{
    return {int32_t(std::lround(r.left)), int32_t(std::lround(r.top)), int32_t(std::lround(r.right)),
            int32_t(std::lround(r.bottom))};
}

TQZRect CentredRect(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return {x - w / 2, y - h / 2, x + w / 2 + w % 2, y + h / 2 + h % 2};
}

TQZRect CentreRectIn(TQZPoint size, const TQZRect& r)
{
    return CentredRect((r.left + r.right) / 2, (r.top + r.bottom) / 2, size.x, size.y);
}

TQZRect RectAtPoint(TQZPoint p, int32_t w, int32_t h, bool centred)
{
    if (centred) return CentredRect(p.x, p.y, w, h);
    return {p.x, p.y, p.x + w, p.y + h};
}
