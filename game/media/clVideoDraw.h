// The drawing helpers the widgets use: plain and pulsing fills, bevels,
// cells of the interface textures (badges, tab markers, panels, icons,
// suits), cards and their shadows, the table backdrop, and the render
// states of normal and additive drawing.
#pragma once

#include "coreGame.h"
#include "qz7core.h"
#include "qz7direct3d.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class TQZTexture;

// Interface textures by id (the resource manager's table).
constexpr int32_t TEXTURE_TILEFRAME = 2;
constexpr int32_t TEXTURE_SHADOW = 7;
constexpr int32_t TEXTURE_SUITS = 8;
constexpr int32_t TEXTURE_CHECKERS = 9;
constexpr int32_t TEXTURE_ONOFF = 20;
constexpr int32_t TEXTURE_EMBOSS = 25;

using TRenderStateList = std::vector<std::pair<uint32_t, uint32_t>>;

class TVideoDraw {
public:
    // The clock the pulsing and moving helpers follow (tests replace it).
    using TClock = uint32_t (*)();
    TClock clock;
    // The size cards are drawn at, asked of the video manager that owns this.
    explicit TVideoDraw(std::function<TQZPoint()> cardSize);

    void FillRect(const TQZRect& rect, TQZColour colour, bool outlined);
    void Bevel(const TQZRect& rect, TQZColour colour1, TQZColour colour2);
    void Fill(TQZColour colour, const TQZRect& rect);
    void FillPulse(TQZColour colour, const TQZRect& rect);
    // The alpha FillPulse gives at a clock value: 40 to 90 and back in 2 s.
    static uint32_t PulseAlpha(uint32_t clock);
    void DrawTexture(TQZTexture* texture, const TQZRect& source, TQZColour colour, const TQZRect& dest);
    void DrawCard(TQZPoint position, TCard card, TQZColour colour, bool face);
    void DrawBadge(int32_t kind, const TQZRect& rect);
    void DrawTabMarker(bool on, const TQZRect& rect);
    void DrawPanel(TQZColour colour, const TQZRect& rect);
    void DrawAnimatedBorder(TQZColour colour, const TQZRect& rect);
    void DrawSuitIcon(TSuit suit, const TQZRect& rect);
    void DrawIcon(int32_t index, const TQZRect& rect);
    void DrawIconRow3(int32_t index, const TQZRect& rect);
    void DrawIconCell(int32_t column, int32_t row, const TQZRect& rect);
    void DrawCardShadow(TQZColour colour, TQZPoint position);
    void DrawBackdrop(TQZColour colour, const TQZRect& rect);
    void SetAdditiveBlending(bool on);
    void SetColourWriteMask(bool alpha, bool red, bool green, bool blue);
    // List 0 draws normally, list 1 adds.
    void SelectRenderStates(int32_t list);
    void ApplyRenderStates(const TRenderStateList& list);
    void DrawPrimitive(const std::vector<TQZD3DVertex>& vertices, const std::vector<uint16_t>& indices);
    void SetClipRect(const TQZRect& rect);
    void ClearClipRect();
    static int32_t BidIcon(const TBid& bid);

    // Pieces of the card shadow: source and destination of each.
    struct TShadowPiece {
        TQZRect source, dest;
    };
    static std::vector<TShadowPiece> ShadowPieces(TQZPoint textureSize, TQZPoint position, TQZPoint cardSize);
    // The part of an image that covers a rectangle keeping the image's proportions.
    static TQZRect CoverSource(TQZPoint image, const TQZRect& rect);

private:
    void Cell(int32_t textureId, const TQZRect& source, const TQZRect& dest, TQZColour colour);

    std::function<TQZPoint()> cardSize_;
};
