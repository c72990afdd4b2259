#include "clCardGraphics.h"

#include "qz7direct3d.h"
#include "qz7texture.h"
#include "sgDevice.h"

namespace {
// Generations of scaled copies kept after the size changed.
constexpr size_t kRetiredGenerations = 3;
}  // namespace

TCardGraphics::TCardGraphics() = default;

TCardGraphics::~TCardGraphics()
{
    FreeImages();
}

void TCardGraphics::SetCardSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) {
        width = CARDGFX_FALLBACK_WIDTH;
        height = CARDGFX_FALLBACK_HEIGHT;
    }
    width_ = width;
    height_ = height;
    aspect_ = float(height) / float(width);
}

TQZTexture* TCardGraphics::GetImage(int32_t index)
{
    if (index < 0 || index >= CARDGFX_SLOTS) return nullptr;
    TQZTexture* t = images_[size_t(index)].get();
    if (t && t->TakeRestoreFailed()) texturesLost_ = true;
    return t;
}

void TCardGraphics::SetImage(int32_t index, std::unique_ptr<TQZTexture> texture)
{
    if (index < 0 || index >= CARDGFX_SLOTS) return;
    // A new picture may take the old one's address: its scaled copy goes now.
    if (scaled_[size_t(index)].texture) {
        if (retired_.empty()) retired_.emplace_back();
        retired_.back().push_back(std::move(scaled_[size_t(index)].texture));
    }
    scaled_[size_t(index)] = {};
    images_[size_t(index)] = std::move(texture);
}

bool TCardGraphics::HasImage(int32_t index) const
{
    return index >= 0 && index < CARDGFX_SLOTS && images_[size_t(index)] != nullptr;
}

bool TCardGraphics::DrawCard(int32_t index, TQZPoint position, TQZColour colour, TQZPoint size)
{
    TQZTexture* t = GetImage(index);
    if (!t) return false;
    t->DrawPart(CardRect(), {position.x, position.y, position.x + size.x, position.y + size.y}, colour);
    return true;
}

bool TCardGraphics::DrawCardCached(int32_t index, TQZPoint position, TQZColour colour, TQZPoint size)
{
    TQZTexture* scaled = ScaledImage(index, size);
    if (!scaled) return DrawCard(index, position, colour, size);
    scaled->DrawWhole({position.x, position.y, position.x + size.x, position.y + size.y}, colour);
    return true;
}

TQZTexture* TCardGraphics::ScaledImage(int32_t index, TQZPoint size)
{
    TQZTexture* t = GetImage(index);
    if (!t || size.x < 1 || size.y < 1 || (size.x == width_ && size.y == height_)) return nullptr;
    TQZDirect3DDevice* d3d = Direct3DDevice();
    plat::softgpu::Device* device = d3d ? d3d->Device() : nullptr;
    if (!device) return nullptr;
    TScaledKey key{size.x, size.y};
    uint32_t mag = 0, min = 0;
    (void)device->GetSamplerState(0, plat::softgpu::kSampMagFilter, mag);
    (void)device->GetSamplerState(0, plat::softgpu::kSampMinFilter, min);
    key.linear = mag == plat::softgpu::kFilterLinear || min == plat::softgpu::kFilterLinear;
    (void)device->GetSamplerState(0, plat::softgpu::kSampAddressU, key.addressU);
    (void)device->GetSamplerState(0, plat::softgpu::kSampAddressV, key.addressV);
    if (!(key == scaledKey_)) {
        DropScaled();
        scaledKey_ = key;
    }
    TScaled& slot = scaled_[size_t(index)];
    if (!slot.texture || slot.from != t) {
        if (slot.texture) {
            if (retired_.empty()) retired_.emplace_back();
            retired_.back().push_back(std::move(slot.texture));
        }
        slot.texture = TQZTexture::CreateDrawnAt(t, CardRect(), size.x, size.y);
        slot.from = t;
    }
    return slot.texture.get();
}

void TCardGraphics::DropScaled()
{
    std::vector<std::unique_ptr<TQZTexture>> generation;
    for (TScaled& slot : scaled_) {
        if (slot.texture) generation.push_back(std::move(slot.texture));
        slot = {};
    }
    if (generation.empty()) return;
    retired_.push_back(std::move(generation));
    if (retired_.size() > kRetiredGenerations) retired_.erase(retired_.begin());
}

void TCardGraphics::FreeImages()
{
    for (TScaled& slot : scaled_) slot = {};
    retired_.clear();
    for (int32_t i = CARDGFX_SLOTS - 1; i >= 0; --i) images_[size_t(i)].reset();
    texturesLost_ = false;
}
