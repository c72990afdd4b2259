#include "clAnimBackdrop.h"

#include "coreGameDiagnostics.h"
#include "qz7direct3d.h"
#include "qz7files.h"
#include "qz7icedata.h"
#include "qz7kvdata.h"
#include "qz7memory.h"
#include "qz7surface.h"
#include "qz7text.h"
#include "qz7texture.h"
#include "qzlux7effects.h"
#include "sgDevice.h"

#include <algorithm>
#include <cmath>

namespace sg = plat::softgpu;

namespace {
// Letters and digits alternating; the shipped archives are scrambled with it.
constexpr char kProtectionKey[] = "V7q2L9x4K1m8T3b6";

TQZIceData* FindNode(TQZIceData& archive, const std::string& name)
{
    return name.empty() ? nullptr : archive.FindByName(name);
}

sg::Rect ToRect(const TQZRect& r) { return {r.left, r.top, r.right, r.bottom}; }
}  // namespace

bool IsAnimatedBackdropFile(const std::string& fileName)
{
    return FileExtOf(fileName) == "ICE";
}

const char* TAnimatedBackdrop::ProtectionKey() { return kProtectionKey; }

TAnimatedBackdrop::TAnimatedBackdrop() = default;
TAnimatedBackdrop::~TAnimatedBackdrop() = default;

std::unique_ptr<TAnimatedBackdrop> TAnimatedBackdrop::Create(const std::string& fileName)
{
    auto b = std::make_unique<TAnimatedBackdrop>();
    if (!IsAnimatedBackdropFile(fileName)) {
        // A mirrored surface keeps its picture through a device reset.
        b->image_ = CreateSurfaceFromFile(fileName, QZSURFACE_MIRROR);
        if (!b->image_) return nullptr;
        b->image_->KeepStretched(true);  // stretched over the table every frame
        b->aspectCorrect = true;
        return b;
    }
    if (!b->LoadArchive(fileName)) return nullptr;
    return b;
}

bool TAnimatedBackdrop::LoadArchive(const std::string& fileName)
{
    std::unique_ptr<TQZIceData> archive = TQZIceData::CreateFromFile(fileName);
    if (!archive) return false;
    maxRenderSize = {BACKDROP_MAX_RENDER_SIDE, BACKDROP_MAX_RENDER_SIDE};
    displayMode = BACKDROP_STRETCH;
    TQZIceData* description = FindNode(*archive, "Backdrop.json");
    if (!description) {
        WriteLog("Backdrop \"" + fileName + "\" has no Backdrop.json");
        return false;
    }
    TQZKeyValue json;
    (void)json.ParseText(description->Data().AsString());  // what came before a fault is kept
    title = json.GetString("Title");
    technique = json.GetString("Shader.Technique");
    aspectCorrect = json.GetBool("Shader.AspectCorrect", false);
    if (json.HasPath("Shader.MaxRenderSize")) {
        const TQZPoint p = json.GetPoint("Shader.MaxRenderSize");
        // A size the table cannot use is held to what it can.
        maxRenderSize = {std::clamp(p.x, 1, BACKDROP_MAX_RENDER_SIDE), std::clamp(p.y, 1, BACKDROP_MAX_RENDER_SIDE)};
    }
    if (json.HasPath("Shader.SlowModeSlices"))
        slowModeSlices = std::clamp(json.GetInt("Shader.SlowModeSlices"), 0, BACKDROP_MAX_SLICES);
    if (json.HasPath("Shader.DisplayMode")) {
        const std::string mode = UpperText(json.GetString("Shader.DisplayMode"));
        displayMode = mode == "TILE" ? BACKDROP_TILE : mode == "TILEHORIZONTAL" ? BACKDROP_TILE_HORIZONTAL : BACKDROP_STRETCH;
    }
    if (!LoadEffect(*archive, json.GetString("Shader.EffectFile"), json.GetBool("Shader.Protected", false))) {
        WriteLog("Backdrop \"" + fileName + "\": the effect does not load");
        return false;
    }
    if (TQZIceData* node = FindNode(*archive, json.GetString("Shader.TextureFile")))
        texture_ = TQZTexture::CreateFromMemory(node->Data().Data(), node->Data().Size(), 0);
    return true;
}

bool TAnimatedBackdrop::LoadEffect(TQZIceData& archive, const std::string& name, bool scrambled)
{
    TQZIceData* node = FindNode(archive, name);
    if (!node) return false;
    TQZMemory bytes;
    if (bytes.AssignBytes(node->Data().Data(), node->Data().Size()) != QZRES_OK) return false;
    if (scrambled && bytes.XorWithKey(kProtectionKey) != QZRES_OK) return false;
    try {
        effect_ = TQZLuxEffect::Create(bytes.Data(), bytes.Size(), nullptr, technique);
    } catch (const ELuxCompileException& e) {
        // A broken effect fails the backdrop like a missing one; the text says where.
        WriteLog(std::string(e.what()) + " at line " + IntToString(e.Line()) + ", column " + IntToString(e.Column()));
        return false;
    }
    return true;
}

TQZPoint TAnimatedBackdrop::RenderSize(const TQZRect& rect) const
{
    return {std::clamp(rect.Width(), 1, maxRenderSize.x), std::clamp(rect.Height(), 1, maxRenderSize.y)};
}

void TAnimatedBackdrop::SetParameters(TQZPoint size, TQZPoint shown, double seconds)
{
    const float w = float(shown.x), h = float(shown.y);
    effect_->SetVector(effect_->hLuxExtra, float(seconds), w, h, w / h);
    // The rendered rectangle onto clip space, and no world transform.
    const float wvp[16] = {2.0f / float(size.x), 0, 0, 0, 0, -2.0f / float(size.y), 0, 0, 0, 0, 1, 0, -1, 1, 0, 1};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    effect_->SetMatrix(effect_->hWVP, wvp);
    effect_->SetMatrix(effect_->hWorld, identity);
    effect_->SetMatrix(effect_->hWorldInverseTranspose, identity);
    effect_->SetTexture(effect_->hTex, texture_.get());
}

int32_t TAnimatedBackdrop::Draw(const TQZRect& rect, double seconds)
{
    if (!effect_) return QZRES_FAILED;
    if (rect.Width() <= 0 || rect.Height() <= 0) return QZRES_OK;
    lastSeconds = seconds;
    ++framesDrawn;
    const TQZPoint size = RenderSize(rect);
    SetParameters(size, {rect.Width(), rect.Height()}, seconds);
    // Aspect correction keeps a unit as long across as down: the shorter
    // side runs 0..1, the longer further.
    float uw = 1.0f, vh = 1.0f;
    if (aspectCorrect) {
        const float aspect = float(rect.Width()) / float(rect.Height());
        if (aspect >= 1.0f) uw = aspect;
        else vh = 1.0f / aspect;
    }
    const bool sliced = slowMode_ && slowModeSlices > 1;
    if (!sliced && displayMode == BACKDROP_STRETCH && size.x == rect.Width() && size.y == rect.Height()) {
        targetFilled_ = false;
        return effect_->Draw(rect, {0, 0, uw, vh});
    }
    if (int32_t r = RenderInto(size, uw, vh); r != QZRES_OK) return r;
    return Show(rect, size);
}

// The effect into the frame texture: all of it, or in slow mode one band
// (all of it the first time, so nothing shows that was never drawn);
// texture coordinates run to (uw, vh).
int32_t TAnimatedBackdrop::RenderInto(TQZPoint size, float uw, float vh)
{
    TQZDirect3DDevice* device = Direct3DDevice();
    if (!device || !device->Device()) return QZRES_D3D_NODEVICE;
    if (!target_ || target_->GetWidth() != size.x || target_->GetHeight() != size.y || !target_->HasTexture()) {
        if (int32_t r = TQZTexture::CreateRenderTarget(target_, size.x, size.y); r != QZRES_OK) return r;
        targetFilled_ = false;
    }
    int32_t top = 0, bottom = size.y;
    if (slowMode_ && slowModeSlices > 1 && targetFilled_) {
        const int32_t slices = std::min(slowModeSlices, size.y);
        nextSlice_ %= slices;
        top = int32_t(int64_t(size.y) * nextSlice_ / slices);
        bottom = int32_t(int64_t(size.y) * (nextSlice_ + 1) / slices);
        nextSlice_ = (nextSlice_ + 1) % slices;
    }
    TQZD3DImageClass* previous = device->GetRenderTarget();
    if (int32_t r = device->SetRenderTarget(target_.get()); r != QZRES_OK) return r;
    const float v0 = vh * float(top) / float(size.y), v1 = vh * float(bottom) / float(size.y);
    const int32_t r = effect_->Draw({0, top, size.x, bottom}, {0, v0, uw, v1});
    (void)device->SetRenderTarget(previous);
    if (r == QZRES_OK) targetFilled_ = true;
    return r;
}

// The frame texture onto the rectangle: stretched, tiled both ways, or
// tiled across and stretched down; bilinear where it is scaled.
int32_t TAnimatedBackdrop::Show(const TQZRect& rect, TQZPoint size)
{
    TQZDirect3DDevice* device = Direct3DDevice();
    TQZD3DImageClass* screen = device ? device->GetRenderTarget() : nullptr;
    std::shared_ptr<sg::Surface> to = screen ? screen->DeviceSurface() : nullptr;
    std::shared_ptr<sg::Surface> from = target_ ? target_->DeviceSurface() : nullptr;
    if (!to || !from) return QZRES_FAILED;
    const TQZRect bounds{0, 0, to->Width(), to->Height()};
    const int32_t tileW = displayMode == BACKDROP_STRETCH ? rect.Width() : size.x;
    const int32_t tileH = displayMode == BACKDROP_TILE ? size.y : rect.Height();
    int32_t result = QZRES_OK;
    for (int32_t y = rect.top; y < rect.bottom; y += tileH)
        for (int32_t x = rect.left; x < rect.right; x += tileW) {
            const TQZRect tile{x, y, x + tileW, y + tileH};
            TQZRect part;
            if (!IntersectRects(tile, rect, part) || !IntersectRects(part, bounds, part)) continue;
            // The source rectangle of the visible part, in the frame's pixels.
            const double sx = double(size.x) / tileW, sy = double(size.y) / tileH;
            TQZRect src{int32_t(std::floor((part.left - x) * sx)), int32_t(std::floor((part.top - y) * sy)),
                        int32_t(std::ceil((part.right - x) * sx)), int32_t(std::ceil((part.bottom - y) * sy))};
            src = {std::clamp(src.left, 0, size.x - 1), std::clamp(src.top, 0, size.y - 1),
                   std::clamp(src.right, src.left + 1, size.x), std::clamp(src.bottom, src.top + 1, size.y)};
            const sg::Rect s = ToRect(src), d = ToRect(part);
            const uint32_t filter = src.Width() == part.Width() && src.Height() == part.Height() ? sg::kFilterPoint
                                                                                                  : sg::kFilterLinear;
            if (device->Device()->StretchRect(from.get(), &s, to.get(), &d, filter) != sg::kOk) result = QZRES_FAILED;
            device->CountDraw(2);
        }
    return result;
}
