#include "clVideoDraw.h"

#include "clAnimBackdrop.h"
#include "clCardGraphics.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "osClock.h"
#include "qz7surface.h"
#include "qz7texture.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "sgTypes.h"

#include <algorithm>
#include <cmath>

namespace sg = plat::softgpu;

namespace {
constexpr TQZColour kWhite = 0xFFFFFFFF;
constexpr TQZColour kBlack = 0xFF000000;
constexpr int32_t kCell = 32;

const TRenderStateList kNormalStates = {{sg::kRsDestBlend, sg::kBlendInvSrcAlpha}};
const TRenderStateList kAdditiveStates = {{sg::kRsDestBlend, sg::kBlendOne}};

TQZRenderCache* Cache()
{
    TQZVideo* video = CurrentVideo();
    return video ? video->GetRenderCache() : nullptr;
}

TQZTexture* Texture(int32_t id)
{
    return Resources ? Resources->GetTexture(id) : nullptr;
}

TQZRect Square(const TQZRect& rect)
{
    int32_t side = std::min(rect.Width(), kCell);
    return {rect.left, rect.top, rect.left + side, rect.top + side};
}

int32_t Half(double v)
{
    return int32_t(std::nearbyint(v));
}
}  // namespace

TVideoDraw::TVideoDraw(std::function<TQZPoint()> cardSize)
    : clock(&plat::os::TickMilliseconds), cardSize_(std::move(cardSize))
{
}

void TVideoDraw::Cell(int32_t textureId, const TQZRect& source, const TQZRect& dest, TQZColour colour)
{
    if (TQZTexture* t = Texture(textureId)) t->DrawPart(source, dest, colour);
}

void TVideoDraw::FillRect(const TQZRect& rect, TQZColour colour, bool outlined)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    if (outlined) {
        video->FillRect(rect, kBlack);
        video->FillRect(AdjustRect(rect, 1, 1, -1, -1), colour);
    } else {
        video->FillRect(rect, colour);
    }
}

void TVideoDraw::Bevel(const TQZRect& rect, TQZColour colour1, TQZColour colour2)
{
    if (TQZVideo* video = GetVideo()) video->DrawFrame(rect, colour1, 2, colour2);
}

void TVideoDraw::Fill(TQZColour colour, const TQZRect& rect)
{
    if (TQZVideo* video = GetVideo()) video->FillRect(rect, colour);
}

uint32_t TVideoDraw::PulseAlpha(uint32_t time)
{
    uint32_t b = (time % 2000) / 20;
    uint32_t v = b <= 50 ? b : 100 - b;
    return 40 + v;
}

void TVideoDraw::FillPulse(TQZColour colour, const TQZRect& rect)
{
    Fill((colour & 0x00FFFFFFu) | (PulseAlpha(clock()) << 24), rect);
}

void TVideoDraw::DrawTexture(TQZTexture* texture, const TQZRect& source, TQZColour colour, const TQZRect& dest)
{
    if (texture) texture->DrawPart(source, dest, colour);
}

void TVideoDraw::DrawCard(TQZPoint position, TCard card, TQZColour colour, bool face)
{
    if (card == 0 || !cardSize_) return;
    TQZPoint size = cardSize_();
    if (face) {
        if (TCardGraphics* cardset = Resources ? Resources->GetCardset() : nullptr)
            (void)cardset->DrawCardCached(card, position, colour, size);  // an empty slot shows nothing
        return;
    }
    if (TQZTexture* back = Texture(TEXTURE_CARDBACK))
        back->Draw({position.x, position.y, position.x + size.x, position.y + size.y}, colour);
}

void TVideoDraw::DrawBadge(int32_t kind, const TQZRect& rect)
{
    static const TQZRect cells[3] = {{0, 0, 48, 24}, {0, 24, 48, 48}, {64, 48, 112, 72}};
    if (kind < 0 || kind > 2) return;
    if (TQZTexture* t = Texture(TEXTURE_EMBOSS)) t->DrawNineSlice(rect, {8, 8, 8, 8}, true, kWhite, cells[kind]);
}

void TVideoDraw::DrawTabMarker(bool on, const TQZRect& rect)
{
    const int32_t x = (rect.left + rect.right) / 2 - 26, y = rect.bottom - 22;
    const TQZRect source = on ? TQZRect{64, 0, 115, 22} : TQZRect{64, 32, 115, 54};
    Cell(TEXTURE_ONOFF, source, {x, y, x + 51, y + 22}, kWhite);
}

void TVideoDraw::DrawPanel(TQZColour colour, const TQZRect& rect)
{
    if (TQZTexture* t = Texture(TEXTURE_TILEFRAME))
        t->DrawNineSlice(rect, {10, 10, 10, 10}, false, colour, {0, 0, kCell, kCell});
}

void TVideoDraw::DrawAnimatedBorder(TQZColour colour, const TQZRect& rect)
{
    TQZTexture* t = Texture(TEXTURE_CHECKERS);
    if (!t) return;
    // The pattern moves one pixel every 50 ms; the texture wraps.
    const int32_t o = int32_t((clock() % 1600) / 50);
    const int32_t w = rect.Width(), h = rect.Height();
    t->DrawPart({o, 0, o + w, 2}, {rect.left, rect.top, rect.right, rect.top + 2}, colour);
    t->DrawPart({o, 0, o + w, 2}, {rect.left, rect.bottom - 2, rect.right, rect.bottom}, colour);
    t->DrawPart({0, o, 2, o + h}, {rect.left, rect.top, rect.left + 2, rect.bottom}, colour);
    t->DrawPart({0, o, 2, o + h}, {rect.right - 2, rect.top, rect.right, rect.bottom}, colour);
}

void TVideoDraw::DrawSuitIcon(TSuit suit, const TQZRect& rect)
{
    // Row 6: no trumps in column 1, the suits from column 2.
    const int32_t column = suit == SUIT_NOTRUMPS ? 1 : int32_t(suit) + 2;
    if (column < 1 || column > 5) return;
    Cell(TEXTURE_SUITS, {(column - 1) * kCell, 5 * kCell, column * kCell, 6 * kCell}, rect, kWhite);
}

void TVideoDraw::DrawIcon(int32_t index, const TQZRect& rect)
{
    if (index < 0) return;
    const int32_t x = (index % 4) * kCell, y = (index / 4) * kCell;
    Cell(TEXTURE_SUITS, {x, y, x + kCell, y + kCell}, rect, kWhite);
}

void TVideoDraw::DrawIconRow3(int32_t index, const TQZRect& rect)
{
    if (index < 0) return;
    const int32_t x = (index % 4) * kCell;
    Cell(TEXTURE_SUITS, {x, 96, x + kCell, 96 + kCell}, Square(rect), kWhite);
}

void TVideoDraw::DrawIconCell(int32_t column, int32_t row, const TQZRect& rect)
{
    const int32_t x = (column - 1) * kCell, y = (row - 1) * kCell;
    Cell(TEXTURE_SUITS, {x, y, x + kCell, y + kCell}, Square(rect), kWhite);
}

std::vector<TVideoDraw::TShadowPiece> TVideoDraw::ShadowPieces(TQZPoint tex, TQZPoint p, TQZPoint card)
{
    const int32_t w = card.x, h = card.y;
    const int32_t dx = Half(17.0 / 200.0 * w), dy = Half(15.0 / 200.0 * h);
    const int32_t ex = tex.x - 17, ey = tex.y - 15;  // where the edges begin
    return {
        {{0, 0, ex, ey}, {p.x, p.y, p.x + w - 1, p.y + h - 1}},
        {{ex, 0, tex.x, ey}, {p.x + w - 1, p.y, p.x + w + dx, p.y + h}},
        {{0, ey, ex, tex.y}, {p.x, p.y + h - 1, p.x + w, p.y + h + dy}},
        {{ex, ey, tex.x, tex.y}, {p.x + w, p.y + h, p.x + w + dx, p.y + h + dy}},
    };
}

void TVideoDraw::DrawCardShadow(TQZColour colour, TQZPoint position)
{
    TQZTexture* t = Texture(TEXTURE_SHADOW);
    if (!t || !cardSize_) return;
    for (const TShadowPiece& piece : ShadowPieces({t->GetWidth(), t->GetHeight()}, position, cardSize_()))
        t->DrawPart(piece.source, piece.dest, colour);
}

TQZRect TVideoDraw::CoverSource(TQZPoint image, const TQZRect& rect)
{
    if (image.x <= 0 || image.y <= 0 || rect.Width() <= 0 || rect.Height() <= 0) return {0, 0, image.x, image.y};
    const double g = double(image.x) / image.y, r = double(rect.Width()) / rect.Height();
    if (r >= g) {
        const double band = image.x / r;
        return {0, Half(image.y / 2.0 - band / 2.0), image.x, Half(image.y / 2.0 + band / 2.0)};
    }
    const double band = image.y * r;
    return {Half(image.x / 2.0 - band / 2.0), 0, Half(image.x / 2.0 + band / 2.0), image.y};
}

void TVideoDraw::DrawBackdrop(TQZColour, const TQZRect& rect)
{
    TAnimatedBackdrop* backdrop = Resources ? Resources->GetBackdrop(1) : nullptr;
    if (backdrop && !backdrop->Still()) {
        // The effect draws straight to the target: what the cache holds goes first.
        if (TQZRenderCache* cache = Cache()) cache->FlushBatch();
        if (backdrop->Draw(rect, double(clock()) / 1000.0) != QZRES_OK) Fill(kBlack, rect);
        return;
    }
    TQZSurface* image = backdrop ? backdrop->Image() : nullptr;
    if (!image) {
        Fill(kBlack, rect);
        return;
    }
    // The image goes straight to the screen: what the cache holds goes first.
    if (TQZRenderCache* cache = Cache()) cache->FlushBatch();
    const TQZPoint size = image->GetSize();
    const int32_t tileBelow = SettingInt("Video.Table.TileBelowSize");
    // A backdrop that fails to draw leaves the cleared frame; nothing to undo.
    if (tileBelow >= size.x || tileBelow >= size.y) (void)image->DrawTiled(rect, {0, 0});
    else (void)image->DrawToScreenAt(rect, CoverSource(size, rect));
}

void TVideoDraw::SetAdditiveBlending(bool on)
{
    if (TQZRenderCache* cache = Cache())
        cache->SetRenderState(sg::kRsDestBlend, on ? sg::kBlendOne : sg::kBlendInvSrcAlpha);
}

void TVideoDraw::SetColourWriteMask(bool alpha, bool red, bool green, bool blue)
{
    uint32_t mask = (alpha ? sg::kWriteAlpha : 0) | (red ? sg::kWriteRed : 0) | (green ? sg::kWriteGreen : 0) |
                    (blue ? sg::kWriteBlue : 0);
    if (TQZRenderCache* cache = Cache()) cache->SetRenderState(sg::kRsColorWriteEnable, mask);
}

void TVideoDraw::SelectRenderStates(int32_t list)
{
    ApplyRenderStates(list == 1 ? kAdditiveStates : kNormalStates);
}

void TVideoDraw::ApplyRenderStates(const TRenderStateList& list)
{
    TQZRenderCache* cache = Cache();
    if (!cache) return;
    for (const auto& [state, value] : list) cache->SetRenderState(state, value);
}

void TVideoDraw::DrawPrimitive(const std::vector<TQZD3DVertex>& vertices, const std::vector<uint16_t>& indices)
{
    if (TQZRenderCache* cache = Cache())
        cache->AddVertices(int32_t(vertices.size()), int32_t(indices.size()), vertices.data(), indices.data(), 2);
}

void TVideoDraw::SetClipRect(const TQZRect& rect)
{
    if (TQZVideo* video = CurrentVideo()) video->PushClip(rect);
}

void TVideoDraw::ClearClipRect()
{
    if (TQZVideo* video = CurrentVideo()) video->PopClip();
}

int32_t TVideoDraw::BidIcon(const TBid& bid)
{
    if (bid.count == 1) return 6;
    if (bid.count == 0) return 7;
    return int32_t(bid.suit);
}
