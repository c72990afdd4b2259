#include "clCardImage.h"

#include "coreGameDiagnostics.h"
#include "qz7texture.h"

#include <algorithm>
#include <cmath>

namespace {

// Locks a texture's pixels for the scope; nullptr data when it cannot.
class PixelLock {
public:
    PixelLock(TQZTexture* texture, bool readOnly)
    {
        if (!texture) return;
        data_ = texture->PixelData();
        if (data_ && data_->Lock(readOnly ? 1 : 0) != QZRES_OK) data_ = nullptr;
    }
    ~PixelLock()
    {
        if (data_) data_->Unlock();
    }
    PixelLock(const PixelLock&) = delete;
    PixelLock& operator=(const PixelLock&) = delete;
    TQZTexturePixelData* operator->() const { return data_; }
    TQZTexturePixelData* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    TQZTexturePixelData* data_ = nullptr;
};

int32_t RoundEven(double v) { return int32_t(std::nearbyint(v)); }

}  // namespace

bool CardSizeAcceptable(TQZPoint size)
{
    return size.x >= 1 && size.y >= 1 && size.x <= CARDIMAGE_MAX_SIDE && size.y <= CARDIMAGE_MAX_SIDE;
}

int32_t TextureSideFor(TQZPoint cardSize)
{
    // Bounded so a size that slipped past the checks cannot loop forever.
    const int32_t side = std::min(std::max(cardSize.x, cardSize.y), CARDIMAGE_MAX_SIDE);
    int32_t p = 4;
    while (p < side) p *= 2;
    return p;
}

std::unique_ptr<TQZTexture> NewCardTexture(int32_t side, uint32_t colour)
{
    std::unique_ptr<TQZTexture> t = TQZTexture::CreateOfSize(side, side);
    if (!t) return nullptr;
    PixelLock px(t.get(), false);
    if (!px) return nullptr;
    px->Clear(colour);
    return t;
}

std::unique_ptr<TQZTexture> FitToCard(TQZTexture* image, TQZPoint cardSize)
{
    if (!image) return nullptr;
    const int32_t p = TextureSideFor(cardSize);
    if (image->GetWidth() == p && image->GetHeight() == p)
        return TQZTexture::CreateResampled(image, image->GetWidth(), image->GetHeight());
    std::unique_ptr<TQZTexture> out = NewCardTexture(p, 0x00000000);
    if (!out) return nullptr;
    PixelLock src(image, true);
    PixelLock dst(out.get(), false);
    if (src && dst) dst->CopyResampled(src.get(), image->GetRect(), {0, 0, cardSize.x, cardSize.y});
    return out;
}

std::unique_ptr<TQZTexture> FitKeyedToCard(TQZTexture* art, TQZPoint cardSize)
{
    if (!art || art->GetWidth() < 1 || art->GetHeight() < 1) return nullptr;
    std::unique_ptr<TQZTexture> out = NewCardTexture(TextureSideFor(cardSize), CARDIMAGE_KEY_COLOUR);
    if (!out) return nullptr;
    PixelLock src(art, true);
    PixelLock dst(out.get(), false);
    if (!src || !dst) return out;
    // The sample positions of the bilinear copy, so keyed and plain fits line up.
    const int32_t w = art->GetWidth(), h = art->GetHeight();
    const double sx = double(w) / cardSize.x, sy = double(h) / cardSize.y;
    for (int32_t y = 0; y < cardSize.y; ++y) {
        const double fy = y * sy;
        const int32_t y0 = std::min(int32_t(fy), h - 1), y1 = std::min(y0 + 1, h - 1);
        const double wy = fy - std::floor(fy);
        for (int32_t x = 0; x < cardSize.x; ++x) {
            const double fx = x * sx;
            const int32_t x0 = std::min(int32_t(fx), w - 1), x1 = std::min(x0 + 1, w - 1);
            const double wx = fx - std::floor(fx);
            const uint32_t p[4] = {src->GetPixel(x0, y0), src->GetPixel(x1, y0), src->GetPixel(x0, y1),
                                   src->GetPixel(x1, y1)};
            const double weight[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
            double ink = 0, sum[4] = {0, 0, 0, 0};
            for (int i = 0; i < 4; ++i) {
                if (p[i] == CARDIMAGE_KEY_COLOUR) continue;
                ink += weight[i];
                for (int c = 0; c < 4; ++c) sum[c] += weight[i] * double((p[i] >> (8 * c)) & 0xFF);
            }
            if (ink <= 0.5) continue;  // mostly key: stays key
            uint32_t colour = 0;
            for (int c = 0; c < 4; ++c)
                colour |= uint32_t(std::clamp(int32_t(std::lround(sum[c] / ink)), 0, 255)) << (8 * c);
            dst->SetPixel(x, y, colour);
        }
    }
    return out;
}

std::unique_ptr<TQZTexture> LoadCardPicture(const std::string& fileName, TQZPoint cardSize, TQZPoint* picture)
{
    std::unique_ptr<TQZTexture> loaded;
    try {
        loaded = TQZTexture::CreateFromFile(fileName, 0, false);
    } catch (const EQZTextureError& e) {
        WriteLog(std::string("Cannot load the picture ") + fileName + ": " + e.what());
        return nullptr;
    }
    if (!loaded) return nullptr;
    if (picture) *picture = {loaded->GetWidth(), loaded->GetHeight()};
    const int32_t p = TextureSideFor(cardSize);
    if (loaded->GetWidth() == p && loaded->GetHeight() == p) return loaded;
    WriteLog("File " + fileName + " of size " + std::to_string(loaded->GetWidth()) + "x" +
             std::to_string(loaded->GetHeight()) + " loaded into texture of size " + std::to_string(p) + "x" +
             std::to_string(p));
    std::unique_ptr<TQZTexture> out = NewCardTexture(p, 0x00000000);
    if (!out) return nullptr;
    PixelLock src(loaded.get(), true);
    PixelLock dst(out.get(), false);
    if (src && dst) dst->CopyResampled(src.get(), loaded->GetRect(), {0, 0, cardSize.x, cardSize.y});
    return out;
}

std::unique_ptr<TQZTexture> ResizeImage(TQZTexture* image, TQZPoint oldSize, TQZPoint newSize, bool smooth)
{
    std::unique_ptr<TQZTexture> out = NewCardTexture(TextureSideFor(newSize), 0x00FFFFFF);
    if (!out || !image) return out;
    PixelLock src(image, true);
    PixelLock dst(out.get(), false);
    if (!src || !dst) return out;
    const TQZRect from{0, 0, oldSize.x, oldSize.y}, to{0, 0, newSize.x, newSize.y};
    if (smooth)
        dst->CopyResampled(src.get(), from, to);
    else
        dst->CopyScaled(src.get(), from, to);
    return out;
}

void DrawOverlay(TQZTexture* overlay, TQZTexture* target)
{
    if (!overlay || !target || overlay->GetWidth() < 1 || overlay->GetHeight() < 1) return;
    PixelLock src(overlay, true);
    PixelLock dst(target, false);
    if (!src || !dst) return;
    const int32_t lastX = overlay->GetWidth() - 1, lastY = overlay->GetHeight() - 1;
    for (int32_t y = 0; y < target->GetHeight(); ++y) {
        for (int32_t x = 0; x < target->GetWidth(); ++x) {
            const uint32_t c = src->GetPixel(std::min(x, lastX), std::min(y, lastY));
            if (c != CARDIMAGE_KEY_COLOUR) dst->SetPixel(x, y, c);
        }
    }
}

void ApplyKeyColour(TQZTexture* keySource, TQZTexture* target)
{
    if (!keySource || !target) return;
    PixelLock src(keySource, true);
    PixelLock dst(target, false);
    if (!src || !dst) return;
    // Pixels beyond the key source stay as they are.
    const int32_t w = std::min(keySource->GetWidth(), target->GetWidth());
    const int32_t h = std::min(keySource->GetHeight(), target->GetHeight());
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (src->GetPixel(x, y) == CARDIMAGE_KEY_COLOUR) dst->SetPixel(x, y, CARDIMAGE_KEY_COLOUR);
        }
    }
}

TQZRect AspectCropRect(TQZPoint picture, TQZPoint frame)
{
    const int32_t w = picture.x, h = picture.y;
    if (w <= 0 || h <= 0 || frame.x <= 0 || frame.y <= 0) return {0, 0, w, h};
    const float e = float(w) / float(h), f = float(frame.x) / float(frame.y);
    if (e > f) {
        const int32_t g = RoundEven(double(float(w) / (e / f) * 0.5f));
        return {w / 2 - g, 0, w / 2 + g, h};
    }
    if (e < f) {
        const int32_t g = RoundEven(double(e * (float(h) / f) * 0.5f));
        return {0, h / 2 - g, w, h / 2 + g};
    }
    return {0, 0, w, h};
}

void ComposeCameo(TQZPoint distance, TQZPoint cardSize, TQZTexture* base, bool keepAspect, bool border,
                  TQZTexture* target, TQZTexture* picture)
{
    if (!base || !target) return;
    PixelLock dst(target, false);
    if (!dst) return;
    const int32_t w = cardSize.x, h = cardSize.y;
    {
        PixelLock src(base, true);
        if (src) dst->CopyScaled(src.get(), {0, 0, w, h}, {0, 0, w, h});
    }
    const TQZRect inner{distance.x, distance.y, w - distance.x, h - distance.y};
    if (inner.left >= inner.right || inner.top >= inner.bottom || !picture) return;
    if (border) {
        // Cut to the texture: a distance of 0 puts the frame's outer line outside it.
        const TQZRect frame{std::max(inner.left - 1, 0), std::max(inner.top - 1, 0),
                            std::min(inner.right + 1, target->GetWidth()),
                            std::min(inner.bottom + 1, target->GetHeight())};
        dst->FillRect(frame, 0xFF000000);
    }
    const TQZPoint size{picture->GetWidth(), picture->GetHeight()};
    const TQZRect source =
        keepAspect ? AspectCropRect(size, {inner.Width(), inner.Height()}) : TQZRect{0, 0, size.x, size.y};
    PixelLock src(picture, true);
    if (src) dst->CopyResampled(src.get(), source, inner);
}
