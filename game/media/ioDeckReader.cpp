#include "ioDeckReader.h"

#include "clCardGraphics.h"
#include "imImage.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <algorithm>
#include <climits>

TDeckReader::TDeckReader(const TQZMemory& memory) : data_(memory.Data()), size_(size_t(memory.Size())) {}

const uint8_t* TDeckReader::Take(uint64_t count, size_t& taken)
{
    const uint8_t* p = data_ + at_;
    taken = count < Remaining() ? size_t(count) : Remaining();
    at_ += taken;
    return p;
}

uint64_t TDeckReader::Bytes(int count, bool bigEndian)
{
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) {
        const uint64_t b = AtEnd() ? 0 : data_[at_++];
        v |= bigEndian ? b << (8 * (count - 1 - i)) : b << (8 * i);
    }
    return v;
}

uint8_t TDeckReader::U8() { return uint8_t(Bytes(1, false)); }
uint16_t TDeckReader::U16LE() { return uint16_t(Bytes(2, false)); }
uint16_t TDeckReader::U16BE() { return uint16_t(Bytes(2, true)); }
uint32_t TDeckReader::U32LE() { return uint32_t(Bytes(4, false)); }
uint32_t TDeckReader::U32BE() { return uint32_t(Bytes(4, true)); }

std::string TDeckReader::Text(size_t limit)
{
    std::string out;
    while (out.size() < limit && !AtEnd()) {
        const char c = char(data_[at_++]);
        if (c == 0) break;
        out += c;
    }
    return out;
}

TDeckPositions DeckPositions(int32_t base, int32_t rankStep, int32_t suitStep, int32_t joker)
{
    TDeckPositions p{};
    for (int32_t slot = 0; slot < 52; ++slot) {
        const int32_t rank = slot % 13, suit = slot / 13;
        const int32_t r = rank == 12 ? 0 : rank + 1;  // the ace comes first
        const int32_t s = (suit + 3) % 4;              // clubs, diamonds, hearts, spades
        p[size_t(slot)] = base + rankStep * r + suitStep * s;
    }
    p[52] = joker;
    return p;
}

int32_t SlotAtPosition(const TDeckPositions& positions, int32_t position)
{
    for (size_t i = 0; i < positions.size(); ++i)
        if (positions[i] == position) return int32_t(i);
    return -1;
}

std::unique_ptr<TQZTexture> NewDeckPicture(int32_t width, int32_t height)
{
    auto t = std::make_unique<TQZTexture>();
    if (t->CreateD3DTexture(width, height) != QZRES_OK) return nullptr;
    TQZTexturePixelData* d = t->PixelData();
    if (d->Lock(0) != QZRES_OK) return nullptr;
    d->Clear(0);
    d->Unlock();
    return t;
}

TDeckPixels::TDeckPixels(TQZTexture* texture)
{
    if (!texture || !texture->HasTexture()) return;
    TQZTexturePixelData* d = texture->PixelData();
    if (d->Lock(0) != QZRES_OK) return;
    data_ = d;
    row0_ = d->Bits();
    pitch_ = d->Pitch();
}

TDeckPixels::~TDeckPixels()
{
    if (data_) data_->Unlock();
}

TDeckPixelBudget::TDeckPixelBudget(size_t fileSize)
{
    const int64_t bytes = int64_t(std::min<uint64_t>(fileSize, uint64_t(INT32_MAX)));
    total_ = left_ = DECK_PIXEL_FLOOR + bytes * DECK_PIXELS_PER_BYTE;
}

bool TDeckPixelBudget::Allows(int64_t width, int64_t height) const
{
    return width >= 0 && height >= 0 && (height == 0 || width <= total_ / height);
}

bool TDeckPixelBudget::Take(int64_t width, int64_t height)
{
    if (width < 0 || height < 0 || (height != 0 && width > left_ / height)) return false;
    left_ -= width * height;
    return true;
}

std::unique_ptr<TQZTexture> LoadDeckPicture(const uint8_t* data, size_t size, int32_t maxSide,
                                            TDeckPixelBudget* budget)
{
    plat::imaging::ImageInfo info;
    if (!data || size == 0 || size > size_t(INT32_MAX) || !plat::imaging::ReadImageInfo(data, size, info))
        return nullptr;
    if (info.width < 1 || info.height < 1 || info.width > maxSide || info.height > maxSide) return nullptr;
    if (budget && !budget->Take(info.width, info.height)) return nullptr;
    auto t = std::make_unique<TQZTexture>();
    if (t->LoadFromMemory(data, int32_t(size), QZTEXLOAD_NOFILTER, 0) != QZRES_OK) return nullptr;
    return t;
}

std::unique_ptr<TCardGraphics> NewDeckCardset(const std::string& title, const std::string& author,
                                              const std::string& comments, int32_t width, int32_t height)
{
    auto cardset = std::make_unique<TCardGraphics>();
    cardset->Title = title;
    cardset->Author = author;
    cardset->Comments = comments;
    cardset->SetCardSize(width, height);
    return cardset;
}
