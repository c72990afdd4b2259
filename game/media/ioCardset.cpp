#include "ioCardset.h"

#include "clCardGraphics.h"
#include "coreGame.h"
#include "qz7memory.h"
#include "qz7texture.h"

#include <cstring>
#include <limits>

namespace {
uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

bool SideFits(int64_t side) { return side >= 1 && side <= CARD_MAX_SIDE; }

// Reads the three length-prefixed texts from p; stops at the first that
// does not fit the file, leaving it and the rest empty.
bool ReadTexts(const uint8_t* data, size_t size, uint64_t p, TCardsFileInfo& out)
{
    std::string* texts[3] = {&out.title, &out.author, &out.comments};
    for (std::string* text : texts) {
        if (p + 4 > size) return false;
        uint64_t n = U32(data + p);
        if (n > size - p - 4) return false;
        text->assign(reinterpret_cast<const char*>(data + p + 4), size_t(n));
        p += n + 4;
    }
    return true;
}
}  // namespace

bool DetectCardsFile(const uint8_t* data, size_t size)
{
    if (!data || size < size_t(CARDS_HEADER_SIZE)) return false;
    return std::memcmp(data, CARDS_MAGIC, CARDS_MAGIC_SIZE) == 0 &&
           HasFlags(U32(data + CARDS_AT_FLAGS), CARDS_FLAG_MARKER) && U32(data + CARDS_AT_VERSION) == CARDS_VERSION;
}

TCardsParse ParseCardsFile(const uint8_t* data, size_t size, TCardsFileInfo& out)
{
    out = TCardsFileInfo();
    if (!DetectCardsFile(data, size)) return TCardsParse::NotCards;
    // The sides are unsigned in the file: anything above 4096 (a negative
    // number written as one too) is refused.
    uint32_t w = U32(data + CARDS_AT_WIDTH), h = U32(data + CARDS_AT_HEIGHT);
    if (!SideFits(w) || !SideFits(h)) return TCardsParse::BadSize;
    out.flags = U32(data + CARDS_AT_FLAGS);
    out.width = int32_t(w);
    out.height = int32_t(h);
    out.textCut = !ReadTexts(data, size, U32(data + CARDS_AT_TEXT), out);
    for (size_t i = 0; i < out.images.size(); ++i) {
        const uint8_t* e = data + CARDS_AT_DIRECTORY + 8 * i;
        TCardsImageEntry entry{U32(e), U32(e + 4)};
        if (entry.size != 0 && uint64_t(entry.offset) + entry.size > size) {
            ++out.badEntries;
            entry = {};
        }
        out.images[i] = entry;
    }
    return TCardsParse::Ok;
}

bool BuildCardsFile(const TCardsFileContent& c, std::vector<uint8_t>& out)
{
    out.clear();
    if (!SideFits(c.width) || !SideFits(c.height)) return false;
    uint64_t total = uint64_t(CARDS_HEADER_SIZE) + 12 + c.title.size() + c.author.size() + c.comments.size();
    for (const auto& image : c.images) total += image.size();
    if (total > std::numeric_limits<uint32_t>::max()) return false;

    std::vector<uint8_t> b(CARDS_HEADER_SIZE, 0);
    b.reserve(size_t(total));
    std::memcpy(b.data(), CARDS_MAGIC, CARDS_MAGIC_SIZE);
    uint32_t flags = CARDS_FLAG_MARKER | (c.alignLeft ? 0 : CARDS_FLAG_NOT_ALIGN_LEFT) |
                     (c.optionB ? CARDS_FLAG_OPTION_B : 0);
    PutU32(b, CARDS_AT_FLAGS, flags);
    PutU32(b, CARDS_AT_TEXT, uint32_t(CARDS_HEADER_SIZE));
    PutU32(b, CARDS_AT_WIDTH, uint32_t(c.width));
    PutU32(b, CARDS_AT_HEIGHT, uint32_t(c.height));
    PutU32(b, CARDS_AT_VERSION, CARDS_VERSION);
    for (const std::string* text : {&c.title, &c.author, &c.comments}) {
        size_t at = b.size();
        b.resize(at + 4);
        PutU32(b, at, uint32_t(text->size()));
        b.insert(b.end(), text->begin(), text->end());
    }
    for (size_t i = 0; i < c.images.size(); ++i) {
        size_t entry = size_t(CARDS_AT_DIRECTORY) + 8 * i;
        PutU32(b, entry, uint32_t(b.size()));
        PutU32(b, entry + 4, uint32_t(c.images[i].size()));
        b.insert(b.end(), c.images[i].begin(), c.images[i].end());
    }
    out = std::move(b);
    return true;
}

std::unique_ptr<TQZMemory> WriteCardsetFile(TCardGraphics& cardset, bool deckOnly)
{
    TCardsFileContent c;
    c.width = cardset.Width();
    c.height = cardset.Height();
    c.alignLeft = cardset.AlignLeft;
    c.optionB = cardset.OptionB;
    c.title = cardset.Title;
    c.author = cardset.Author;
    c.comments = cardset.Comments;
    for (int32_t i = 0; i < CARDGFX_SLOTS; ++i) {
        TQZTexture* picture = cardset.GetImage(i);
        if (!picture || (deckOnly && !IsCardInDeck(i))) continue;
        std::unique_ptr<TQZMemory> encoded;
        if (picture->SaveToMemory(encoded, QZTEXFMT_PNG) != QZRES_OK || !encoded) return nullptr;
        c.images[size_t(i)].assign(encoded->Data(), encoded->Data() + encoded->Size());
    }
    std::vector<uint8_t> bytes;
    if (!BuildCardsFile(c, bytes) || bytes.size() > size_t(std::numeric_limits<int32_t>::max())) return nullptr;
    auto memory = std::make_unique<TQZMemory>();
    if (memory->AssignBytes(bytes.data(), int32_t(bytes.size())) != QZRES_OK) return nullptr;
    return memory;
}

bool TLoaderCardset::Detect(const TQZMemory& memory) const
{
    return DetectCardsFile(memory.Data(), size_t(memory.Size()));
}

std::unique_ptr<TCardGraphics> TLoaderCardset::Load(const TQZMemory& memory)
{
    TCardsFileInfo info;
    if (ParseCardsFile(memory.Data(), size_t(memory.Size()), info) != TCardsParse::Ok) return nullptr;
    auto cardset = std::make_unique<TCardGraphics>();
    cardset->SetCardSize(info.width, info.height);
    cardset->Title = info.title;
    cardset->Author = info.author;
    cardset->Comments = info.comments;
    const bool ownIndices = HasFlags(info.flags, CARDS_FLAG_OWN_INDICES);
    for (int32_t i = 0; i < CARDGFX_SLOTS; ++i) {
        const TCardsImageEntry& e = info.images[size_t(i)];
        if (e.size == 0) continue;
        // A picture that does not decode leaves its slot empty; the others load.
        auto picture = std::make_unique<TQZTexture>();
        if (picture->LoadFromMemory(memory.Data() + e.offset, int32_t(e.size), QZTEXLOAD_NOFILTER, 0) != QZRES_OK)
            continue;
        // Such files hold pictures made for the game's 256-pixel card textures.
        if (ownIndices)
            picture = ComposeCardImage(i, picture.get(), false, {CARDS_OWN_INDICES_SIDE, CARDS_OWN_INDICES_SIDE});
        cardset->SetImage(i, std::move(picture));
    }
    cardset->AlignLeft = !HasFlags(info.flags, CARDS_FLAG_NOT_ALIGN_LEFT);
    cardset->OptionB = HasFlags(info.flags, CARDS_FLAG_OPTION_B);
    return cardset;
}
