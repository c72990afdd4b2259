#include "clCardGraphics.h"

#include "qz7texture.h"

namespace {
// Generations of scaled copies kept after the size changed.
constexpr size_t kRetiredGenerations = 3;
}  // namespace

// What a scaled copy depends on besides its card's picture, and the copies.
struct TCardGraphics::TScaledCards {
    struct TKey {
        int32_t width = 0, height = 0;
        uint32_t samplers = 0;  // TQZTexture::SamplerStates
        bool operator==(const TKey&) const = default;
    };
    struct TCopy {
        const TQZTexture* from = nullptr;
        std::unique_ptr<TQZTexture> texture;
    };
    TKey key;
    std::array<TCopy, CARDGFX_SLOTS> copies;
    // Copies of an earlier size: a widget's recorded drawing may still name
    // them until it records again; a few generations are kept.
    std::vector<std::vector<std::unique_ptr<TQZTexture>>> retired;

    void Retire(TCopy& copy)
    {
        if (copy.texture) {
            if (retired.empty()) retired.emplace_back();
            retired.back().push_back(std::move(copy.texture));
        }
        copy = {};
    }
    void RetireAll()
    {
        std::vector<std::unique_ptr<TQZTexture>> generation;
        for (TCopy& copy : copies) {
            if (copy.texture) generation.push_back(std::move(copy.texture));
            copy = {};
        }
        if (generation.empty()) return;
        retired.push_back(std::move(generation));
        if (retired.size() > kRetiredGenerations) retired.erase(retired.begin());
    }
};

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
    if (scaled_) scaled_->Retire(scaled_->copies[size_t(index)]);
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
    const uint32_t samplers = TQZTexture::SamplerStates();
    if (samplers == 0) return nullptr;
    const TScaledCards::TKey key{size.x, size.y, samplers};
    if (!scaled_) scaled_ = std::make_unique<TScaledCards>();
    if (!(key == scaled_->key)) {
        scaled_->RetireAll();
        scaled_->key = key;
    }
    TScaledCards::TCopy& copy = scaled_->copies[size_t(index)];
    if (!copy.texture || copy.from != t) {
        scaled_->Retire(copy);
        copy.texture = TQZTexture::CreateDrawnAt(t, CardRect(), size.x, size.y);
        copy.from = t;
    }
    return copy.texture.get();
}

void TCardGraphics::FreeImages()
{
    scaled_.reset();
    for (int32_t i = CARDGFX_SLOTS - 1; i >= 0; --i) images_[size_t(i)].reset();
    texturesLost_ = false;
}
